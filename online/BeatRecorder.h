#pragma once
// The beats the read thread hands over, appended to a heart-rate-variability table with their
// arrival in local time, and what the thread reported besides: beats the head unit dropped, a lost
// connection. The window and `klt hrv` record through it.
#include <chrono>

#include "core/KLTDate.h"
#include "device/live/LiveEvents.h"
#include "online/HeartRateVariance.h"

namespace klt {

class TBeatRecorder {
public:
    TBeatRecorder();

    // Beats go into the table; other events only note what happened.
    void Take(const TLiveEvent& event);
    // Empties the table and the counts; arrivals are measured afresh from now, so a recording
    // started after a change of the local clock gets its times right.
    void Clear();

    const THRDistTable& Table() const { return table_; }
    int Lost() const { return lost_; }
    // Since the last beat: a connection that came back with beats is no longer lost.
    bool ConnectionLost() const { return connectionLost_; }
    // Whether a connection was lost at any time since the recording began.
    bool EverLost() const { return everLost_; }

private:
    std::chrono::steady_clock::time_point start_;
    TDateTimeMark startMark_;
    THRDistTable table_;
    int lost_ = 0;
    bool connectionLost_ = false;
    bool everLost_ = false;
};

} // namespace klt
