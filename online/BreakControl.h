#pragma once
// The brake regulator of the ergometer: twice a second, after the head-unit read thread has read
// the live values, it works out the brake values that make the rider meet a target power, cadence
// (isokinetic) or heart rate, and writes them to the head unit. The user-interface thread sets
// targets and modes and switches the brake at any time; each of its calls is safe against a step
// in progress on the read thread, and every path that stops the regulation releases the brake.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/CappedLog.h"
#include "core/Exceptions.h"
#include "device/kltcomm.h"
#include "device/live/DeviceAccess.h"
#include "online/BrakeEvents.h"
#include "online/KLTOnlineData.h"
#include "online/OffsetTable.h"
#include "online/OnlineCommonOptionSet.h"
#include "online/OnlineErgometerOptions.h"
#include "online/RegulationSamples.h"

namespace klt {

// Raised to the read thread when steps keep failing; the brake has been sent zeros by then.
class EBrakeControl : public Exception {
public:
    using Exception::Exception;
};

// The four values the head unit passes on to the brake.
struct TBrakeValues {
    int32_t Offset = 0;
    int32_t Steigung = 0;
    int32_t Grenze = 0;
    uint8_t Teiler = 1;
};

enum class TBrakeControlBy { Power = 0, Cadence = 1, HeartRate = 2 };

class TBreakControl : public IBrakeStep {
public:
    static constexpr int32_t kLowestOffset = TRegulationSamples::kLowestOffset;
    static constexpr int32_t kReleasedOffset = TRegulationSamples::kReleasedOffset;
    static constexpr int32_t kStopOffset = 0x11000;       // brakes the flywheel to a stop
    // Below this flywheel speed (about 28 rpm at the crank) the brake model's gain grows without
    // bound, so a rider setting off would be braked to a halt: the brake stays released as for a
    // standing flywheel, and the model sets the offset once the flywheel runs.
    static constexpr int kLowestRegulatedSpeed = 3000;
    static constexpr int32_t kRegulatingSlope = 0xF00000; // what power and cadence control send
    static constexpr int kReleaseAttempts = 5;

    // `device` sends the brake values from `status` (the status it is linked to), which the read
    // thread fills with the live values; `samples` are the rider's live samples, whose current one
    // the owner appends before each step. `options` are copied (ApplyOptions takes changes).
    // The regulator's log "OnlineTestwerte/Testwerte.txt" and the model's logs go below
    // `databaseDir` (none without one). Starts inactive, which releases the brake; a failure to
    // send that is thrown.
    TBreakControl(TVeltrakInternal& device, TVeltrakStatus& status, TKLTOnlineDatas& samples,
                  const TOnlineCommonOptionSet& options, const std::string& databaseDir,
                  TDeviceAccess& access, IBrakeEvents& events);
    // Releases the brake (offset 0) when active.
    ~TBreakControl() override;
    TBreakControl(const TBreakControl&) = delete;
    TBreakControl& operator=(const TBreakControl&) = delete;

    // The read thread's call after each good read: one regulation step while active.
    void AfterRead() override;
    // One regulation step. Throws EBrakeControl on the second failing step in a row.
    void Regulate();

    // Switching off releases the brake (throws when it cannot be sent five times).
    void SetActive(bool active);
    bool Active() const { return active_; }
    void SetBrakeEnabled(bool enabled);
    bool BrakeEnabled() const { return brakeEnabled_; }
    // Releases the brake at `offset`, trying up to five times; throws the last failure.
    void ReleaseBrake(int32_t offset);

    void SetControlBy(TBrakeControlBy control);
    // The open-end test and calibration regulate apart from the other modes.
    void SetErgometerMode(TErgometerMode mode) { ergometerMode_ = mode; }
    // Also stored as the current sample's set power (0..32767).
    void SetTargetPower(int watts);
    int TargetPower() const { return targetPower_; }
    void SetTargetCadence(int perMinute);
    void SetTargetHeartRate(int perMinute) { targetHeartRate_ = perMinute; }
    // The "Stop Ergo" button: the flywheel is braked to a stop until the rider pedals again.
    void RequestStop() { stopRequested_ = true; }
    // Starts the regulation afresh at the current target (a new test).
    void ResetRegulation();

    // Raised once in calibration mode when the brake has settled.
    bool CalibrationDone() const { return calibrationDone_; }
    void ClearCalibrationDone() { calibrationDone_ = false; }

    // Replaces the options the regulator works with (the brake set included).
    void ApplyOptions(const TOnlineCommonOptionSet& options);
    // The brake set with the correction adapted so far, for the owner to keep.
    TBrakeOptionSet BrakeOptions() const;
    // Which rule set the last offset (the regulator log's " Reg:"), for tests and benchmarks.
    int LastRegulationCase() const { return lastCase_; }

private:
    struct TStepValues; // what one step worked with, for its log lines

    void Step();
    void StepFailed(const std::exception& failure);
    void NewOffsetPhase(TStepValues& step);
    void RegulatePhase(TStepValues& step);
    void ControlHeartRate(TStepValues& step, const TRegulationSamples& samples);
    void TrackSteadiness(TStepValues& step, const TRegulationSamples& samples);
    TBrakeValues PowerValues(int32_t offset);
    TBrakeValues CadenceValues();
    // Counts a step beyond what the power supply can feed; past ten in a row the brake is
    // released and the rider is to be warned. True when that happened.
    bool PowerSupplyOverloaded(bool overloaded);
    void SetTargetPowerLocked(int target);
    void ReleaseBrakeLocked(int32_t offset);
    // Sends with the head unit held, so the write never cuts into a read; up to `attempts` tries.
    void Send(const TBrakeValues& values, int attempts = 1);
    void LogStep(const TStepValues& step);
    int NewOffsetCountForRate() const;

    TVeltrakInternal& device_;
    TVeltrakStatus& status_;
    TKLTOnlineDatas& samples_;
    TDeviceAccess& access_;
    IBrakeEvents& events_;
    TCappedLog log_;

    // Set from any thread, read by the step.
    std::atomic<bool> active_{false};
    std::atomic<bool> brakeEnabled_{true};
    std::atomic<TBrakeControlBy> controlBy_{TBrakeControlBy::Power};
    std::atomic<TErgometerMode> ergometerMode_{emPredefinedFile};
    std::atomic<int> targetPower_{0};
    std::atomic<int> targetCadence_{0};
    std::atomic<bool> targetCadenceChanged_{false};
    std::atomic<int> targetHeartRate_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> calibrationDone_{false};
    std::atomic<bool> running_{false};
    std::atomic<int> headUnitPower_{0}; // W, as the last step read it
    std::atomic<int> lastCase_{0};

    // The regulator's state: the step and the user-interface thread's setters hold this.
    mutable std::mutex mutex_;
    TOnlineCommonOptionSet options_;
    TOffsetTable table_;
    int32_t currentOffset_ = kReleasedOffset;
    int newOffsetCount_ = 0;
    int hold_ = 0;
    int averagingDepth_ = 0; // AvrCountSet
    int steadyCount_ = 0;    // FCorrectOffsetCount
    double heartRateFactor_ = 0.18;
    double gearRatio_ = 0; // flywheel per crank turn; 0 until measured
    int protectionCount_ = 0;
    bool powerSupplyOverloaded_ = false; // in this step: warn once the step is over
    int errorCount_ = 0;
};

} // namespace klt
