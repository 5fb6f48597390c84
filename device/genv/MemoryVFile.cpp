#include "device/genv/MemoryVFile.h"

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "device/VeltrakStatus.h"

namespace klt {

namespace {

constexpr int kYearsToLookBack = 8; // reaches a leap year from any year

} // namespace

uint16_t TrainingDayV(const TVeltrakVBlockStart& start, uint16_t clockDay) {
    const int32_t today = clockDay == kNoDate ? TDateTimeMark::Now().days : clockDay;
    const int year = CivilFromDaysSince1880(today).year;
    for (int y = year; y > year - kYearsToLookBack; --y) {
        const TCivilDate date{y, start.month, start.day};
        if (IsValidCivilDate(date) && DaysSince1880(date) <= today) {
            return static_cast<uint16_t>(DaysSince1880(date));
        }
    }
    throw EConvertError("The head unit's memory holds a training on a day that does not exist.");
}

void FillTrainingFileV(TKLTFile& file, const TVeltrakVTraining& training, const TVeltrakStatus& status) {
    const int count = static_cast<int>(training.samples.size());
    if (count > TKLTFile::kMaxSamples) {
        throw ERangeError("The training holds more samples than a training file can take.");
    }
    const TVeltrakVBlockStart& start = training.start;
    file.Clear();
    TKLTHeader& header = file.EditHeader();
    header.magic = {'K', 'L', 'T', '7'};
    header.date = TrainingDayV(start, status.ClockDay);
    header.circumference = static_cast<uint16_t>(status.Radumfang);
    header.intervalNumerator = status.AbspeicherZeitZaehler();
    header.intervalDenominator = status.AbspeicherZeitNenner();
    header.zeroOffset = static_cast<uint16_t>(status.NullstelleUsed);
    header.slope = static_cast<uint16_t>(status.SteigungUsed);
    const auto startTime =
        static_cast<uint32_t>(((start.hour * 60 + start.minute) * 60 + start.second) * 100);
    file.SetBlocks({{startTime, static_cast<uint16_t>(count)}});
    file.SetSampleCount(count);
    file.InsertMarker(TKLTMarker(status.Initialen(), 0, 0));
    for (int i = 0; i < count; ++i) {
        const TVeltrakVSample& s = training.samples[static_cast<size_t>(i)];
        file.Sample(i + 1).Set(s.power * 8, s.cadence * 32, s.heartRate * 64, s.speed, 0,
                               training.temperature);
    }
    for (const TVeltrakVMarker& marker : training.markers) {
        file.InsertMarker(TKLTMarker("", marker.first + 1, marker.last < 0 ? count : marker.last + 1));
    }
    file.Normalise();
}

std::vector<std::string> CreateTrainingFilesV(std::span<const uint8_t> memory, const TVeltrakStatus& status,
                                              const TDownloadExceptionHandler& handler) {
    const std::vector<TVeltrakVTraining> trainings =
        ParseMemoryV(memory, status.SWVersion(), status.AbspeicherZeit());
    std::vector<std::string> files;
    ForEachDownloadedTraining(
        trainings.size(),
        [&](size_t i) {
            files.push_back(SaveDownloadedTraining(
                [&](TKLTFile& file) { FillTrainingFileV(file, trainings[i], status); }));
        },
        handler);
    return files;
}

} // namespace klt
