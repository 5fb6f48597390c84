#pragma once
// Which samples the live chart shows: the whole run, or with "TimeScaleMode" 1 the last "Time",
// moving on in jumps so the curves do not crawl at every sample.
#include <cstdint>

namespace klt {

struct TSampleRange {
    int first = 0;
    int last = 0;
    bool operator==(const TSampleRange&) const = default;
};

class TLiveChartWindow {
public:
    static constexpr int kSamplesPerSecond = 2;

    // `timeScaleMode` and `time` (1/100 s) as the chart options hold them.
    TLiveChartWindow(int32_t timeScaleMode, int32_t time);

    // The range to show once sample `newest` is in.
    TSampleRange Follow(int newest);
    // A new run starts at the left edge.
    void Reset();

private:
    bool whole_;
    int width_;
    int step_; // how far beyond the newest sample the right end jumps
    int right_;
};

} // namespace klt
