#pragma once
// The live window's run with its head unit, without the window: the read thread on the head unit,
// the brake regulator when the head unit has a brake, and the run, put together in the order
// their lives need. The owner's thread drives it: Pump() hands over what the read thread
// delivered, and the run's timers and buttons are the owner's as before. `klt ergo run` drives the
// same session headless.
#include <chrono>
#include <memory>
#include <string>

#include "core/Prompt.h"
#include "device/kltcomm.h"
#include "device/live/DeviceAccess.h"
#include "device/live/LiveEvents.h"
#include "online/CollectedWarnings.h"
#include "online/OnlineRunController.h"

namespace klt {

class TVeltrakReadThread;
class TReadThreadSwitch;

struct TOnlineSessionSetup {
    // emTelemetrie reads the telemetry of two riders and brakes nothing.
    TErgometerMode mode = emPredefinedFile;
    // Real time between two reads: half a second, shorter against a simulator that runs faster.
    std::chrono::milliseconds cycle{500};
    // Rides are stored and kept while they record below it, and the logs written there.
    std::string databaseDir;
};

class TOnlineSession {
public:
    // `veltrak` is connected and identified; the session owns it until it ends. Its brake is looked
    // up here: without one the run brakes nothing.
    TOnlineSession(TVeltrakOld& veltrak, TOnlineOptions& options, IRunOwner& owner, IPrompt& prompt,
                   const IRunClock& clock, const TOnlineSessionSetup& setup);
    // The reading stops first, then the run ends (the brake released, a ride still recording kept
    // for the next start).
    ~TOnlineSession();
    TOnlineSession(const TOnlineSession&) = delete;
    TOnlineSession& operator=(const TOnlineSession&) = delete;

    TOnlineRunController& Run() { return *run_; }
    const TOnlineRunController& Run() const { return *run_; }
    bool HasBrake() const { return brake_ != nullptr; }
    const TVeltrakStatus& Status() const { return veltrak_.Status(); }

    // On the owner's thread: the read thread's events go to the run, the regulator's warnings to
    // the prompt. The number of value sets handed over.
    int Pump();
    // What the read thread delivers, for the owner's tests and measurements to post to as well.
    TLiveEventQueue& Events() { return queue_; }
    // Like Pump(), after waiting at most `wait` for the first event (headless runs).
    int WaitAndPump(std::chrono::milliseconds wait);

private:
    int HandOver(std::vector<TLiveEvent> events);

    TVeltrakOld& veltrak_;
    IPrompt& prompt_;
    // Real time per ride time: a simulator running faster reports in real time what the ride
    // took longer for.
    int64_t speedup_ = 1;
    TDeviceAccess access_;
    TLiveEventQueue queue_;
    TCollectedWarnings warnings_;
    TRiderSamples samples_;
    std::unique_ptr<TBreakControl> brake_;
    std::unique_ptr<TVeltrakReadThread> reader_;
    std::unique_ptr<TReadThreadSwitch> readerSwitch_;
    std::unique_ptr<TOnlineRunController> run_;
};

} // namespace klt
