#include "bench/BenchSupport.h"

#include <cstdlib>
#include <filesystem>

#include "core/KLTDatabase.h"
#include "tools/synth/SyntheticRide.h"

namespace klt::bench {

const std::string& BenchDir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/klt-bench-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    return dir;
}

void RemoveBenchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(BenchDir(), ignored);
}

const std::string& FullTrainingPath() {
    static const std::string path = [] {
        TKLTFile file;
        synth::BuildRide(file, synth::TRideOptions{});
        const int built = file.SampleCount();
        file.SetSampleCount(TKLTFile::kMaxSamples);
        for (int i = built + 1; i <= TKLTFile::kMaxSamples; ++i) {
            file.Sample(i) = file.Sample((i - 1) % built + 1);
        }
        file.Normalise();
        const std::string p = BenchDir() + "/full.klt";
        file.WriteKLT7(p, TDateTimeMark::None());
        return p;
    }();
    return path;
}

TKLTFile& FullTraining() {
    static TKLTFile file(FullTrainingPath());
    if (file.SampleCount() == 0) {
        file.ReadFile();
    }
    return file;
}

std::string BenchDatabaseDir() { return BenchDir() + "/_DATA.KLT"; }

const std::vector<std::string>& BenchDatabase() {
    static const std::vector<std::string> paths = [] {
        constexpr int kTrainings = 5000;
        TKLTFile ride;
        synth::TRideOptions options;
        options.intervals = 7;
        options.pauseSeconds = 60;
        synth::BuildRide(ride, options); // about an hour
        std::vector<std::string> written;
        const int startDay = DaysSince1880({2016, 1, 1});
        for (int i = 0; i < kTrainings; ++i) {
            const uint16_t date = static_cast<uint16_t>(startDay + i * 3650 / kTrainings);
            ride.EditHeader().date = date;
            const std::string initials = i % 4 == 0 ? "MK" : "JD";
            const std::string dir = CanonicalDirectory(BenchDatabaseDir(), initials, date);
            std::filesystem::create_directories(dir);
            const std::string path = dir + CanonicalStem(initials, date) + char('A' + i % 3) + ".klt";
            ride.Marker(0).name = initials;
            // Plain writes: the benchmark needs the files, not their safety.
            const std::string temp = path + ".tmp";
            ride.WriteKLT7(temp, TDateTimeMark::None());
            std::filesystem::rename(temp, path);
            written.push_back(path);
        }
        return written;
    }();
    return paths;
}

} // namespace klt::bench
