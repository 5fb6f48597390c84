#include "device/usb/SectionTraining.h"

#include <cmath>
#include <limits>

#include "core/Exceptions.h"
#include "core/KLTDate.h"

namespace klt {

namespace {

constexpr size_t kReservedSamples = 26000; // what a head unit's memory holds
constexpr int kCadenceStopHundredths = 300;

} // namespace

TSectionTraining::TSectionTraining(const TVeltrakDataHeader& header, int64_t start) : header_(header) {
    const int64_t day = start / kHundredthsPerDay;
    if (start < 0 || day >= kNoDate) {
        throw EConvertError("A training of the head unit would start on a day no training file can keep.");
    }
    day_ = static_cast<uint16_t>(day);
    blockStart_ = start;
    samples_.reserve(kReservedSamples);
}

void TSectionTraining::BeginSection(const TVeltrakDataHeader& header) {
    blockStart_ = header.Start();
    blockRecords_ = 0;
    blockOpen_ = false;
}

int64_t TSectionTraining::NextTime() const {
    return blockStart_ + blockRecords_ * header_.Interval();
}

bool TSectionTraining::StartBlockAt(int64_t time) {
    const int64_t offset = time - day_ * kHundredthsPerDay;
    if (blocks_.size() >= static_cast<size_t>(TKLTFile::kMaxBlocks) || offset < 0 ||
        offset > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    blocks_.push_back({static_cast<uint32_t>(offset), 0});
    blockStart_ = time;
    blockRecords_ = 0;
    blockOpen_ = true;
    return true;
}

bool TSectionTraining::Add(const TSectionRecord& record) {
    if (record.pause) {
        ++blockRecords_;
        blockOpen_ = false;
        return true;
    }
    if (samples_.size() >= static_cast<size_t>(TKLTFile::kMaxSamples)) {
        return false;
    }
    // The first sample after a pause (or of a section) opens a block at the time it was recorded.
    if (!blockOpen_ && !StartBlockAt(NextTime())) {
        return false;
    }
    samples_.emplace_back(std::array<int, TData::kChannelCount>{record.power, record.heartRate, record.cadence,
                                                                record.speed, record.altitude, record.temperature});
    ++blocks_.back().count;
    ++blockRecords_;
    temperatureSum_ += record.temperature;

    const int index = SampleCount();
    const bool on = record.marker != 0;
    if (on && !markerOn_) {
        markers_.push_back({index, 0});
    } else if (!on && markerOn_) {
        markers_.back().last = index - 1;
    }
    markerOn_ = on;

    if (record.cadence == 0 && previousCadence_ != 0) {
        ClearCadenceStop();
    }
    previousCadence_ = record.cadence;
    return true;
}

// The crank reports a stop only some seconds after the rider stopped pedalling; the samples of
// that lag still carry the last power and cadence.
void TSectionTraining::ClearCadenceStop() {
    const auto lag = static_cast<size_t>(
        std::lround(static_cast<double>(kCadenceStopHundredths) / header_.Interval()));
    const size_t current = samples_.size() - 1;
    for (size_t i = current - std::min(lag, current); i < current; ++i) {
        samples_[i].SetValue(dcPower, 0);
        samples_[i].SetValue(dcCadence, 0);
    }
}

void TSectionTraining::Fill(TTrainingData& training, bool fahrenheit) const {
    const int count = SampleCount();
    training.Clear();
    TKLTHeader& header = training.EditHeader();
    header.date = day_;
    header.circumference = header_.wheel;
    const TIntervalFraction interval = IntervalFraction(header_.intervalMs);
    header.intervalNumerator = interval.numerator;
    header.intervalDenominator = interval.denominator;
    header.zeroOffset = static_cast<uint16_t>(header_.zeroOffset);
    header.slope = header_.SlopeUsed();
    training.EditBlocks() = blocks_;
    for (const TData& sample : samples_) {
        training.AddSample(sample);
    }
    if (count == 0) {
        return;
    }
    training.AppendMarker(header_.InitialsText(), 1, count);
    for (const TMarkerRange& marker : markers_) {
        training.AppendMarker("", marker.first, marker.last == 0 ? count : marker.last);
    }
    training.SetComment(TemperatureComment(temperatureSum_, count, fahrenheit));
}

std::string TemperatureComment(int64_t tenthsSum, int count, bool fahrenheit) {
    if (count <= 0) {
        return {};
    }
    const double celsius = static_cast<double>(tenthsSum) / count / 10.0;
    if (fahrenheit) {
        return std::to_string(std::lround(celsius * 1.8 + 32.0)) + "°F";
    }
    return std::to_string(std::lround(celsius)) + "°C";
}

} // namespace klt
