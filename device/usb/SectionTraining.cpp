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
    TSampleElement sample{};
    sample.Set(record.power * 8, record.cadence * 32, record.heartRate * 64, record.speed, record.altitude,
               record.temperature);
    samples_.push_back(sample);
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
        TSampleElement& s = samples_[i];
        s.Set(0, 0, s.HeartRate(), s.Speed(), s.Altitude(), s.Temperature());
    }
}

void TSectionTraining::Fill(TKLTFile& file, bool fahrenheit) const {
    const int count = SampleCount();
    file.Clear();
    TKLTHeader& header = file.EditHeader();
    header.magic = {'K', 'L', 'T', '7'};
    header.date = day_;
    header.circumference = header_.wheel;
    const TIntervalFraction interval = IntervalFraction(header_.intervalMs);
    header.intervalNumerator = interval.numerator;
    header.intervalDenominator = interval.denominator;
    header.zeroOffset = static_cast<uint16_t>(header_.zeroOffset);
    header.slope = header_.SlopeUsed();
    file.SetBlocks(blocks_);
    file.SetSampleCount(count);
    file.InsertMarker(TKLTMarker(header_.InitialsText(), 0, 0));
    for (int i = 0; i < count; ++i) {
        file.Sample(i + 1) = samples_[static_cast<size_t>(i)];
    }
    for (const TMarkerRange& marker : markers_) {
        file.InsertMarker(TKLTMarker("", marker.first, marker.last == 0 ? count : marker.last));
    }
    file.SetCommentText(TemperatureComment(temperatureSum_, count, fahrenheit));
    file.Normalise();
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
