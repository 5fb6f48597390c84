#pragma once
// The live read thread: reads one head unit on a thread of its own, either by polling its live
// values every cycle (serial and USB head units), by receiving the telemetry frames of riders 1
// and 2 that a head unit in monitor mode sends by itself, or by polling the beat-to-beat intervals
// of a USB head unit every cycle. Each value set and each interval goes to the sink as a copy; the
// statuses it writes are its own. After each polled read of live values it runs the brake step.
//
// While it runs, the thread owns the protocol object: nobody else may use it except under the
// device lock (TDeviceAccess), which every polled read holds. Stopping is prompt at any moment: a
// wait is woken, an exchange in progress is aborted through the protocol's idle hook, a brake step
// in progress ends first.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "device/kltcomm.h"
#include "device/live/DeviceAccess.h"
#include "device/live/LiveEvents.h"
#include "device/live/LiveLogs.h"
#include "device/live/PollErrorCount.h"

namespace klt {

enum class TReadMode { Polling, Telemetry, BeatIntervals };

struct TReadThreadSettings {
    TReadMode mode = TReadMode::Polling;
    // How often live values are polled; shorter when a simulator runs faster than real time.
    std::chrono::milliseconds cycle{500};
    // The head unit's telemetry cycle in seconds: a rider's watchdog fires after five of them.
    int telemetryCycle = 1;
    // Where the logs go (the training database); empty: no logs.
    std::filesystem::path logDirectory;
};

// What the protocol object asks while the thread owns it: no one is there to answer, so every
// question gets its cautious answer (no retry) and messages go unseen.
class TUnattendedPrompt : public TCautiousPrompt {
public:
    void ShowMessage(const std::string&, const std::string&) override {}
};

class TVeltrakReadThread {
public:
    static constexpr std::chrono::milliseconds kTelemetryPause{100};
    static constexpr int kRiders = 2;

    // `riders` are the statuses of riders 1 and 2 the thread starts from (firmware for the cadence
    // filter); none: brake type none, firmware 1. `brake` may be null.
    TVeltrakReadThread(TVeltrakOld& veltrak, const TReadThreadSettings& settings, TDeviceAccess& access,
                       IBrakeStep* brake, ILiveSink& sink,
                       std::array<const TVeltrakStatus*, kRiders> riders = {nullptr, nullptr});
    ~TVeltrakReadThread();
    TVeltrakReadThread(const TVeltrakReadThread&) = delete;
    TVeltrakReadThread& operator=(const TVeltrakReadThread&) = delete;

    // Start, Stop, Suspend and Resume belong to the owner's thread (never the sink's calls).
    // Starts reading; the logs start empty. Does nothing while running. Beat intervals need a
    // generation VI or 7 protocol object (ERangeError otherwise).
    void Start();
    // Ends the reading and waits for the thread; the protocol object's hooks are back as they were.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // The thread pauses at the top of its next cycle until resumed.
    void Suspend();
    void Resume();

private:
    // The protocol object's hooks while the thread owns it, and what they were before.
    void TakeProtocol();
    void ReturnProtocol();
    void Run();
    void RunPolling();
    void RunTelemetry();
    // The bytes waiting on the line, at most a buffer full.
    std::vector<uint8_t> PendingBytes();
    void RunBeatIntervals();
    // One read under the device lock with the error counting of polling; false when it failed.
    bool Poll(TPollErrorCount& errors, const std::function<void()>& read);
    void RunBrakeStep();
    // Waits until `until`, or while suspended; false once stopping.
    bool WaitUntil(std::chrono::steady_clock::time_point until);
    bool Stopping() const { return stopping_.load(); }
    int64_t NowMs() const;

    TVeltrakOld& veltrak_;
    const TReadThreadSettings settings_;
    TDeviceAccess& access_;
    IBrakeStep* brake_;
    ILiveSink& sink_;
    std::array<TVeltrakStatus, kRiders> riders_;
    TLiveLogs logs_;
    TUnattendedPrompt prompt_;
    struct TSavedHooks {
        TVeltrakInternal::TEvent onIdle, onAbort;
        std::function<void()> processPendingEvent;
        IPrompt* prompt = nullptr;
    } saved_;
    const std::chrono::steady_clock::time_point epoch_ = std::chrono::steady_clock::now();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> reading_{false}; // an exchange the stop may abort runs
    bool suspended_ = false;           // under mutex_
};

} // namespace klt
