#pragma once
// The live samples of one rider: two a second, with the running sums behind the live chart's
// windowed means. The user-interface thread appends a sample per head-unit status while the
// head-unit read thread's brake step reads the latest samples and stores the brake offset it
// sent, so the collection locks itself and hands out copies, never references into its storage.
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "core/RunningSum.h"
#include "core/TrainingSample.h"

namespace klt {

// A live sample's measured values (power W, cadence and heart rate 1/min, speed in the head
// unit's raw unit, temperature 0.1 degC, altitude 0) as a training sample, so that a run is saved
// through the training data module, with the running sums of the collection it was read from.
class TKLTBasicData : public TData {
public:
    int Power() const { return Value(dcPower); }
    int Cadence() const { return Value(dcCadence); }
    int HeartRate() const { return Value(dcHeartRate); }
    int Speed() const { return Value(dcSpeed); }

    // Sums over the samples 0..i. Filled in by the collection; a sample put into it has its sums
    // recomputed, so they never disagree with the values.
    int64_t PowerSum = 0;
    int64_t CadenceSum = 0;
    int64_t HeartRateSum = 0;
    int64_t SpeedSum = 0;
};

class TKLTOnlineData : public TKLTBasicData {
public:
    double WallTime = 0.0;    // date-time in days
    double ElapsedTime = 0.0; // days since the run started; 0 counts as unset
    bool Marker = false;      // "Set Marker" was pressed at this sample
    int16_t SetPower = 0;     // target power in W in force for this sample
    int64_t SetPowerSum = 0;
    int16_t HeartRateVariance = 0;
    int64_t HeartRateVarianceSum = 0;
    uint16_t BrakeOffset = 0; // as sent to the brake; around 32768
};

// The values the collection keeps running sums of, for its means.
enum class TOnlineChannel { Power, Cadence, HeartRate, Speed, SetPower, HeartRateVariance, BrakeOffset };

// Samples 0..LastIndex(). Sample 0 always exists: a new run starts with it empty (the window
// stamps its wall time) and appends a sample per status. Every member is safe to call from any
// thread; indices outside 0..LastIndex() read as nothing or 0 and are never written.
class TKLTOnlineDatas {
public:
    static constexpr int kDefaultWindow = 10;   // samples behind the live chart's means: 5 s
    static constexpr int kHalfHourSlots = 3600; // room reserved so that half an hour never allocates
    static constexpr int kMostReservedSlots = 24 * 3600 * 2; // a day; longer runs still grow

    explicit TKLTOnlineDatas(int slots = kHalfHourSlots);
    TKLTOnlineDatas(const TKLTOnlineDatas&) = delete;
    TKLTOnlineDatas& operator=(const TKLTOnlineDatas&) = delete;

    int LastIndex() const;
    int Count() const; // LastIndex() + 1

    // A copy of sample i with its running sums; nothing outside 0..LastIndex().
    std::optional<TKLTOnlineData> Sample(int i) const;
    // Replaces sample i, or appends it when i is LastIndex() + 1; its sums are computed, the sums
    // of the following samples follow. False, and nothing changes, for any other index.
    bool PutSample(int i, const TKLTOnlineData& sample);
    // Appends sample as the next one with the set power of the current last sample, and its brake
    // offset unless the sample brings one: a target and a brake setting stay in force until they
    // are changed, and the brake step, which runs on its own thread, may store its offset before
    // or after the append.
    // Returns the new sample's index.
    int Append(const TKLTOnlineData& sample);

    // Set one value of sample i and carry the change into the sums of the following samples.
    // Values are clamped to the member's range. False, and nothing changes, outside 0..LastIndex().
    bool SetPower(int i, int watts);
    bool SetCadence(int i, int perMinute);
    bool SetHeartRate(int i, int perMinute);
    bool SetSpeed(int i, int speed);
    bool SetSetPower(int i, int watts);
    bool SetHeartRateVariance(int i, int variance);
    bool SetBrakeOffset(int i, int offset);
    bool SetMarker(int i, bool marker);
    // The same on the last sample, found and written under one lock, so that a sample appended
    // meanwhile cannot take the old value and miss the new one. Return the index written.
    int SetSetPowerOfLast(int watts);
    int SetBrakeOffsetOfLast(int offset);

    // The means the live chart draws, at sample i over the `window` samples before it: samples
    // max(0, i - window) + 1 .. i, sample 0 alone at i = 0; integer division; 0 outside
    // 0..LastIndex().
    int WindowMean(TOnlineChannel channel, int i) const;
    // The windowed mean of speed in a speed unit: 0 km/h, 1 m/s, 2 mph, 3 raw / 60 000; 0 for
    // another unit.
    double WindowMeanSpeed(int i, int speedUnit) const;
    // The windowed mean of the heart-rate variance as shown: a tenth of it, rounded.
    int WindowMeanHeartRateVariance(int i) const;
    // Mean over the `count` samples ending at `last` (as far as there are samples; at least one);
    // integer division; 0 when last lies outside 0..LastIndex().
    int MeanOver(TOnlineChannel channel, int last, int count) const;

    int Window() const;
    void SetWindow(int samples); // at least 1

    // The sample in force at an elapsed time (days): the last one whose elapsed time lies at or
    // before it, skipping samples with an unset elapsed time; -1 before the first.
    int IndexAtTime(double elapsed) const;

    // Starts a new run: sample 0 alone, empty.
    void Reset();
    // Reserves room for `slots` samples (at most a day's); never drops any.
    void Resize(int slots);

private:
    using TLock = std::lock_guard<std::mutex>;
    static constexpr size_t kChannels = 7;

    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(samples_.size()); }
    // Stores the value of one channel of sample i and moves its running sum by the change.
    bool SetChannel(int i, TOnlineChannel channel, int value);
    int SetChannelOfLast(TOnlineChannel channel, int value);
    void SetChannelUnlocked(int i, TOnlineChannel channel, int value);
    static int64_t ChannelValue(const TKLTOnlineData& sample, TOnlineChannel channel);
    int64_t SumThrough(TOnlineChannel channel, int i) const;
    // Sum over the samples first..last, both within the collection.
    int64_t RangeSum(TOnlineChannel channel, int first, int last) const;
    // The first sample of the window ending at i.
    int WindowStart(int i) const;
    TKLTOnlineData WithSums(int i) const;
    void AppendUnlocked(const TKLTOnlineData& sample);

    mutable std::mutex mutex_;
    std::vector<TKLTOnlineData> samples_;
    std::array<TRunningSum, kChannels> sums_;
    int window_ = kDefaultWindow;
};

} // namespace klt
