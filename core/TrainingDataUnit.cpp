#include "core/TrainingDataUnit.h"

#include <utility>
#include <vector>

#include "core/Exceptions.h"

namespace klt {

TTrainingData::TTrainingData() {
    Clear();
}

void TTrainingData::Clear() {
    header_ = TKLTHeader{};
    header_.magic = {'K', 'L', 'T', '7'};
    comment_.clear();
    markers_.clear();
    blocks_.clear();
    samples_.clear();
    for (TRunningSum& sum : sums_) {
        sum.Clear();
    }
    extraHeader_ = TExtraHeader{};
    modified_ = false;
}

double TTrainingData::IntervalSeconds() const {
    return header_.intervalDenominator == 0
               ? 1.0
               : static_cast<double>(header_.intervalNumerator) / header_.intervalDenominator;
}

void TTrainingData::CheckIndex(int index) const {
    if (index < 0 || index >= SampleCount()) {
        throw ERangeError("Index out of TTrainingData");
    }
}

void TTrainingData::AppendMarker(std::string name, int first, int last) {
    CheckIndex(first - 1);
    CheckIndex(last - 1);
    const int64_t count = last - first + 1;
    // Rounded like the document's marker averages, in the raw units of the measurement kinds.
    auto average = [&](int channel, int64_t rawPerUnit) {
        const int64_t sum = (RunningSum(channel, last - 1) - RunningSum(channel, first - 2)) * rawPerUnit;
        return static_cast<uint16_t>(count == 1 ? sum : (sum + count / 2) / count);
    };
    TStructurArray record;
    record.name = std::move(name);
    record.first = static_cast<uint16_t>(first);
    record.last = static_cast<uint16_t>(last);
    record.words = {average(dcPower, 8), average(dcHeartRate, 64), average(dcCadence, 32), average(dcSpeed, 1), 0};
    markers_.push_back(std::move(record));
}

const TData& TTrainingData::Sample(int index) const {
    CheckIndex(index);
    return samples_[static_cast<size_t>(index)];
}

void TTrainingData::AddSample(const TData& sample) {
    if (SampleCount() >= kMaxSamples) {
        throw ERangeError("Count of TTrainingData out of range");
    }
    for (int channel = 0; channel < TData::kChannelCount; ++channel) {
        sums_[static_cast<size_t>(channel)].Append(sample.Value(channel));
    }
    samples_.emplace_back(sample);
}

void TTrainingData::RebuildSums() {
    for (int channel = 0; channel < TData::kChannelCount; ++channel) {
        std::vector<int64_t> values(samples_.size());
        for (size_t i = 0; i < samples_.size(); ++i) {
            values[i] = samples_[i].Value(channel);
        }
        sums_[static_cast<size_t>(channel)].Assign(std::move(values));
    }
}

void TTrainingData::SetValue(int index, int channel, int value) {
    CheckIndex(index);
    if (!TData::IsChannel(channel)) {
        return;
    }
    TData& sample = samples_[static_cast<size_t>(index)];
    const int old = sample.Value(channel);
    sample.SetValue(channel, value);
    sums_[static_cast<size_t>(channel)].Add(index, int64_t{sample.Value(channel)} - old);
    modified_ = true;
}

int64_t TTrainingData::RunningSum(int channel, int index) const {
    return TData::IsChannel(channel) ? sums_[static_cast<size_t>(channel)].Through(index) : 0;
}

double TTrainingData::Work(int index) const {
    return static_cast<double>(RunningSum(dcPower, index)) * IntervalSeconds();
}

double TTrainingData::Distance(int index) const {
    return static_cast<double>(RunningSum(dcSpeed, index)) * IntervalSeconds() / 1000.0;
}

void TTrainingData::TakeBatteryInfo(const IVeltrakImageInfo& source) {
    const int32_t battery = source.BatteryValue();
    // Hours x 10 are kept to whole hours; "none" and the negative condition codes are no amounts.
    const bool amount = battery >= 0 && battery != IVeltrakImageInfo::kNoBattery;
    extraHeader_.batInfo.battery =
        amount ? static_cast<uint32_t>((int64_t{battery} + 5) / 10 * 10) : static_cast<uint32_t>(battery);
    extraHeader_.batInfo.battery2 = source.SecondBatteryWord();
}

void TTrainingData::TakeSensorInfo(const IVeltrakImageInfo& source, uint32_t sensorNumber) {
    const std::array<uint32_t, 3> further = source.FurtherSensorWords();
    extraHeader_.sensorInfo.words = {sensorNumber, further[0], further[1], further[2]};
}

} // namespace klt
