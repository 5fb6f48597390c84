#pragma once
// What the brake regulator reads of the live samples: the latest ones, up to the sample that was
// the current one when its step began. A sample that cannot be read (the run was reset meanwhile)
// gives the head unit's current value instead.
#include "online/KLTOnlineData.h"

namespace klt {

class TRegulationSamples {
public:
    // The head unit's current values in the samples' units: W, 1/min, raw speed.
    struct THeadUnitValues {
        int Power = 0;
        int HeartRate = 0;
        int Speed = 0;
    };

    // The brake offset assumed while a run has not yet sent any.
    static constexpr int kReleasedOffset = 33280;
    static constexpr int kLowestOffset = 0x8000;

    TRegulationSamples(const TKLTOnlineDatas& samples, const THeadUnitValues& headUnit);

    // The current sample's index.
    int Last() const { return last_; }

    int Speed(int i) const;
    // The target in force at sample i; nothing before the first sample.
    std::optional<int> SetPower(int i) const;

    // Over the `depth` samples up to the current one; the current power alone for depth 0.
    int MeanPower(int depth) const;
    // The speed now against `depth` samples back (one back for depth 0); 0 with a single sample.
    int SpeedChange(int depth) const;
    int MeanHeartRate(int samples) const;
    // The heart rate now against `samples` samples back.
    int HeartRateChange(int samples) const;
    // The offsets sent over the `depth` + 1 samples up to the current one; never below the
    // lowest working point.
    int MeanBrakeOffset(int depth) const;
    // What the previous step sent; the released brake at the start of a run.
    int LastSentOffset() const;

private:
    // The sample `depth` back from the current one, not before the run's first sample.
    int Back(int depth) const;
    // The mean of a channel over `count` samples up to the current one, or `fallback` when the
    // samples are gone.
    int Mean(TOnlineChannel channel, int count, int fallback) const;
    std::optional<TKLTOnlineData> At(int i) const { return samples_.Sample(i); }

    const TKLTOnlineDatas& samples_;
    THeadUnitValues headUnit_;
    int last_;
};

} // namespace klt
