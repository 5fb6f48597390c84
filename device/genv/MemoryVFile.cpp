#include "device/genv/MemoryVFile.h"

#include <algorithm>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/TrainingDataUnit.h"
#include "device/TrainingDelivery.h"
#include "device/VeltrakStatus.h"

namespace klt {

namespace {

constexpr int kYearsToLookBack = 8; // reaches a leap year from any year
constexpr int64_t kHundredthsPerDay = 8640000;

int64_t TimeOfDay(const TVeltrakVBlockStart& start) {
    return ((start.hour * 60 + start.minute) * 60 + start.second) * int64_t{100};
}

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

void FillTrainingV(TTrainingData& training, const TVeltrakVTraining& recorded, const TVeltrakStatus& status) {
    const int count = static_cast<int>(recorded.samples.size());
    if (count > TTrainingData::kMaxSamples) {
        throw ERangeError("The training holds more samples than a training file can take.");
    }
    training.Clear();
    TKLTHeader& header = training.EditHeader();
    header.date = TrainingDayV(recorded.start, status.ClockDay);
    header.circumference = static_cast<uint16_t>(status.Radumfang);
    header.intervalNumerator = status.AbspeicherZeitZaehler();
    header.intervalDenominator = status.AbspeicherZeitNenner();
    header.zeroOffset = static_cast<uint16_t>(status.NullstelleUsed);
    header.slope = static_cast<uint16_t>(status.SteigungUsed);
    int64_t earliest = 0; // a block never starts before the one it follows ends
    for (const TVeltrakVTimeBlock& block : recorded.blocks) {
        if (block.count == 0) {
            continue;
        }
        const int64_t days = TrainingDayV(block.start, status.ClockDay) - int64_t{header.date};
        const int64_t start = std::max(earliest, days * kHundredthsPerDay + TimeOfDay(block.start));
        training.EditBlocks().push_back({static_cast<uint32_t>(start), static_cast<uint16_t>(block.count)});
        earliest = start + int64_t{block.count} * status.AbspeicherZeit();
    }
    for (const TVeltrakVSample& s : recorded.samples) {
        training.AddSample(TData({s.power, s.heartRate, s.cadence, s.speed, 0, s.temperature}));
    }
    if (count == 0) {
        return;
    }
    training.AppendMarker(status.Initialen(), 1, count);
    for (const TVeltrakVMarker& marker : recorded.markers) {
        training.AppendMarker("", marker.first + 1, marker.last < 0 ? count : marker.last + 1);
    }
}

TDownloadResult CreateTrainingFilesV(std::span<const uint8_t> memory, std::span<const size_t> garbled,
                                     const TVeltrakStatus& status, IDownloadSink& sink) {
    const TMemoryVParse parse = ParseMemoryV(memory, status.SWVersion(), status.AbspeicherZeit(), garbled);
    TDownloadResult result;
    for (const std::string& problem : parse.Problems()) {
        result.Incomplete(problem);
    }
    for (const TVeltrakVTraining& recorded : parse.trainings) {
        TTrainingData training;
        try {
            FillTrainingV(training, recorded, status);
        } catch (const Exception& error) {
            result.FailedSave(error.what());
            continue;
        }
        DeliverTraining(training, sink, result);
    }
    return result;
}

} // namespace klt
