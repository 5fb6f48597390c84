#pragma once
// The heart-rate-variability table: one record per beat with its arrival time and interval, the
// heart rate and the change from the beat before computed once when the record is appended, and
// per whole heart rate the sum of the interval changes and their count. The window and `klt hrv`
// fill it from the read thread's beat intervals.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/KLTDate.h"

namespace klt {

struct THRDistRecord {
    TDateTimeMark time;  // arrival, local time
    int32_t hrDist = 0;  // beat-to-beat interval, tenths of a millisecond
    int32_t heartrate = 0;
    std::optional<double> heartrateVariance; // ms
    int32_t index = 0;   // 1 for the first record
};

// round(600000 ÷ interval) bpm; 0 for an interval that is none.
int32_t HeartrateOfInterval(int32_t hrDist);
// (previous − current) ÷ 10 in ms: a slowing is negative. Nothing when the heart sped up by more
// than 100 ms from one beat to the next, which is a beat detected twice rather than the heart.
std::optional<double> IntervalVariance(int32_t previous, int32_t current);

// The chart shows the last 500 beats: its horizontal minimum once the maximum has passed 500.
inline constexpr double kShownBeats = 500;
std::optional<double> LastBeatsMinimum(double maximum);

struct TIntervalChangeSum {
    int64_t sumTenthsMs = 0; // of |previous − current|
    int64_t count = 0;
};

struct THRVarianceSummary {
    size_t beats = 0;
    double meanHeartrate = 0; // beats a minute over the time the intervals cover
    double rmssdMs = 0;       // root mean square of the successive differences
};

class THRDistTable {
public:
    void Append(const TDateTimeMark& time, int32_t hrDist);
    void Clear();

    bool Empty() const { return records_.empty(); }
    size_t Count() const { return records_.size(); }
    const std::vector<THRDistRecord>& Records() const { return records_; }
    // Keyed by the heart rate of the later beat of each pair.
    const std::map<int32_t, TIntervalChangeSum>& ChangesByHeartrate() const { return changes_; }
    THRVarianceSummary Summary() const;

private:
    std::vector<THRDistRecord> records_;
    std::map<int32_t, TIntervalChangeSum> changes_;
};

} // namespace klt
