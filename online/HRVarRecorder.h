#pragma once
// The heart-rate-variability window without Qt: records the beat-to-beat intervals a generation VI
// or 7 head unit streams, through the read thread, into the table the window shows, and writes
// each recording to its text file below the database when it is stopped or the window closes.
// Everything but the read thread runs on the owner's thread: the thread only posts copies into
// the queue, which Pump() drains into the table.
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompt.h"
#include "device/live/DeviceAccess.h"
#include "device/live/LiveEvents.h"
#include "device/live/VeltrakReadThread.h"
#include "device/usb/VeltrakVI.h"
#include "online/BeatRecorder.h"

namespace klt {

// The chart's horizontal axis: beats in their order, or the heart rate each beat came at.
enum class THRVarAxis { Index, Heartrate };

struct THRVarChartPoint {
    double x = 0;
    double variance = 0; // ms
};

struct THRVarChart {
    THRVarAxis axis = THRVarAxis::Index;
    double minimum = 0; // of the horizontal axis
    double maximum = 0;
    std::vector<THRVarChartPoint> points; // beats without a variance are left out
};

// By beat: the last 500 beats; by heart rate: every beat between 20 and 255 bpm.
THRVarChart HRVarChart(const THRDistTable& table, THRVarAxis axis);

class THRVarRecorder {
public:

    // `veltrak` connected, or null for no head unit: then nothing is ever recorded. Questions and
    // failures go to `prompt`. `cycle` is how often the head unit is asked for beats.
    THRVarRecorder(TVeltrak* veltrak, std::string databaseDir, IPrompt& prompt,
                   std::chrono::milliseconds cycle = std::chrono::milliseconds(500));
    // Destruction stops reading; what was recorded and not yet written is the owner's to save
    // through Close() before.
    THRVarRecorder(const THRVarRecorder&) = delete;
    THRVarRecorder& operator=(const THRVarRecorder&) = delete;

    bool HasHeadUnit() const { return thread_ != nullptr; }
    bool Recording() const { return thread_ != nullptr && thread_->Running(); }

    // Starts streaming into an empty table. A recording kept after a failed write is written first,
    // and nothing starts while it cannot be. False when nothing started.
    bool Start();
    // Stops streaming, writes the recording and empties the table. When the file cannot be written
    // the user may retry; otherwise the table is kept for the next attempt. False then.
    bool Stop();
    // Takes what the read thread posted into the table; true when anything shown changed.
    bool Pump();
    // The window closes: streaming stops and a recording that holds beats is written. False when it
    // could not be, and the table is kept.
    bool Close();

    const THRDistTable& Table() const { return beats_.Table(); }
    int LostBeats() const { return beats_.Lost(); }
    bool ConnectionLost() const { return beats_.ConnectionLost(); }
    // The file the last recording went to.
    const std::optional<std::string>& SavedFile() const { return saved_; }

    THRVarAxis Axis() const { return axis_; }
    void ChangeMode();
    THRVarChart Chart() const { return HRVarChart(Table(), axis_); }

    // The heart rate and the change of interval of the newest beat.
    std::optional<int32_t> LiveHeartrate() const;
    std::optional<double> LiveVariance() const;

private:
    void Take(const std::vector<TLiveEvent>& events);
    bool Save();

    const std::string databaseDir_;
    IPrompt& prompt_;
    TLiveEventQueue queue_;
    TDeviceAccess access_;
    std::unique_ptr<TVeltrakReadThread> thread_;
    TBeatRecorder beats_;
    std::optional<std::string> saved_;
    THRVarAxis axis_ = THRVarAxis::Index;
};

} // namespace klt
