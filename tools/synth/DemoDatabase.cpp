#include "tools/synth/DemoDatabase.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <tuple>

#include "core/Exceptions.h"
#include "core/KLTDatabase.h"
#include "core/KLTFile.h"
#include "tools/synth/SyntheticRide.h"

namespace klt::synth {
namespace {

namespace fs = std::filesystem;

struct TDemoAthlete {
    const char* initials;
    int intervals;      // hard efforts of a typical ride
    uint32_t startHour; // when the athlete usually rides
};

constexpr TDemoAthlete kAthletes[] = {{"JD", 5, 9}, {"MK", 3, 17}, {"AS", 6, 7}};
constexpr int kRidesPerAthlete = 4;
constexpr int kDaysBetweenRides = 4;

const char* const kComments[] = {"Intervals on the river road", "Hill repeats", "Group ride, steady tempo",
                                 "Easy spin after the race"};

bool HoldsTrainings(const std::string& databaseDir) {
    std::error_code error;
    for (fs::recursive_directory_iterator it(databaseDir, error), end; !error && it != end;
         it.increment(error)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".klt" && it->is_regular_file(error)) {
            return true;
        }
    }
    return false;
}

void WriteRides(const std::string& databaseDir, uint16_t today) {
    uint32_t seed = 1;
    for (const TDemoAthlete& athlete : kAthletes) {
        for (int ride = 0; ride < kRidesPerAthlete; ++ride) {
            TRideOptions options;
            options.initials = athlete.initials;
            options.date = static_cast<uint16_t>(today - ride * kDaysBetweenRides - (seed % 2));
            options.startTime = (athlete.startHour + static_cast<uint32_t>(ride % 2)) * 360000;
            options.intervals = athlete.intervals - ride % 3;
            options.pauseSeconds = 180 + 60 * ride;
            options.seed = seed++;
            options.comment = kComments[ride % std::size(kComments)];
            const std::string dir = CanonicalDirectory(databaseDir, options.initials, options.date);
            fs::create_directories(dir);
            TKLTFile file(dir + CanonicalStem(options.initials, options.date) + "A.klt");
            BuildRide(file, options);
            file.WriteKLT7(file.FileName(), TDateTimeMark::None());
        }
    }
}

} // namespace

std::vector<std::string> EnsureDemoDatabase(const std::string& databaseDir, uint16_t today) {
    fs::create_directories(databaseDir);
    if (!HoldsTrainings(databaseDir)) {
        WriteRides(databaseDir, today);
    }
    std::vector<std::tuple<uint16_t, int32_t, std::string>> found;
    ForEachTraining(databaseDir, TTrainingFilter(), [&](TKLTFile& file) {
        found.emplace_back(file.Header().date, file.MarkerCount() > 0 ? file.Marker(0).startTime : 0,
                           file.FileName());
        return true;
    });
    std::sort(found.rbegin(), found.rend());
    std::vector<std::string> paths;
    for (const auto& entry : found) {
        paths.push_back(std::get<2>(entry));
    }
    return paths;
}

} // namespace klt::synth
