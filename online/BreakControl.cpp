#include "online/BreakControl.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <typeinfo>

#include "core/Texts.h"

namespace klt {

namespace {

constexpr char kPowerSupplyWarning[] = "Power Supply protection. Please select a higher Gear";

std::string ClassName(const std::exception& failure) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(
        abi::__cxa_demangle(typeid(failure).name(), nullptr, nullptr, &status), &std::free);
    return status == 0 && name ? name.get() : typeid(failure).name();
}

} // namespace

TBreakControl::TBreakControl(TVeltrakInternal& device, TVeltrakStatus& status, TKLTOnlineDatas& samples,
                             const TOnlineCommonOptionSet& options, const std::string& databaseDir,
                             TDeviceAccess& access, IBrakeEvents& events)
    : device_(device), status_(status), samples_(samples), access_(access), events_(events),
      options_(options), table_(options_.BrakeOptionSet, databaseDir) {
    if (!databaseDir.empty()) {
        const std::string path =
            (std::filesystem::path(databaseDir) / "OnlineTestwerte" / "Testwerte.txt").string();
        if (!log_.Open(path)) {
            events_.Warning("Warning", FormatText("Cannot open File %s", {path}));
        }
    }
    SetActive(false);
}

TBreakControl::~TBreakControl() {
    if (!active_) {
        return;
    }
    try {
        ReleaseBrake(0);
    } catch (const std::exception& failure) {
        log_.Line(std::string("Release failed: ") + failure.what());
    }
}

void TBreakControl::AfterRead() {
    if (active_) {
        Regulate();
    }
}

void TBreakControl::SetActive(bool active) {
    active_ = active;
    if (!active) {
        SetBrakeEnabled(false);
    }
}

void TBreakControl::SetBrakeEnabled(bool enabled) {
    brakeEnabled_ = enabled;
    if (!enabled) {
        ReleaseBrake(kReleasedOffset);
    }
}

void TBreakControl::ReleaseBrake(int32_t offset) {
    const std::lock_guard lock(mutex_);
    ReleaseBrakeLocked(offset);
}

void TBreakControl::ReleaseBrakeLocked(int32_t offset) {
    Send({.Offset = offset, .Steigung = 0, .Grenze = 0, .Teiler = 1}, kReleaseAttempts);
}

void TBreakControl::Send(const TBrakeValues& values, int attempts) {
    TDeviceAccess::TLock lock = access_.TryAcquire(std::chrono::milliseconds(0));
    if (!lock.owns_lock()) {
        log_.Line("Wait for Veltrak");
        lock = access_.TryAcquire(std::chrono::milliseconds(100));
        if (!lock.owns_lock()) {
            // The read is slow (a time-out); the write still waits for it rather than cut in.
            log_.Line("VTReadEvent");
            lock = access_.Acquire();
        }
    }
    for (int attempt = 1;; ++attempt) {
        log_.Line("Write to Veltrak");
        status_.BremseOffset = values.Offset;
        status_.BremseSteigung = values.Steigung;
        status_.BremseGrenze = values.Grenze;
        status_.BremseTeiler = values.Teiler;
        try {
            device_.WriteBrakeCalibration();
            return;
        } catch (const std::exception&) {
            if (attempt >= attempts) {
                throw;
            }
        }
    }
}

int TBreakControl::NewOffsetCountForRate() const {
    const int rate = options_.ControlRate;
    return rate <= 3 ? 8 : rate <= 7 ? 6 : 4;
}

void TBreakControl::SetControlBy(TBrakeControlBy control) {
    const std::lock_guard lock(mutex_);
    controlBy_ = control;
    newOffsetCount_ = NewOffsetCountForRate();
}

void TBreakControl::SetTargetPower(int watts) {
    const std::lock_guard lock(mutex_);
    SetTargetPowerLocked(watts);
}

void TBreakControl::SetTargetPowerLocked(int target) {
    // What a sample can record; the regulator's arithmetic stays far from overflowing with it.
    const int watts = std::clamp(target, 0, int{std::numeric_limits<int16_t>::max()});
    targetPower_ = watts;
    const int current = samples_.LastIndex();
    samples_.SetSetPower(current, watts);
    int previous = 0;
    if (current > 2) {
        const auto sample = samples_.Sample(current - 1);
        previous = sample ? sample->SetPower : headUnitPower_.load();
    }
    table_.SetStepDown(watts < previous - 50 && watts < 500 ? previous - watts : 0);
    if (watts > previous + 300 && previous < 250) {
        table_.SetBigStepUp(true);
    }
    newOffsetCount_ = NewOffsetCountForRate();
    hold_ = 0;
    steadyCount_ = 0;
}

void TBreakControl::SetTargetCadence(int perMinute) {
    targetCadence_ = perMinute;
    targetCadenceChanged_ = true;
}

void TBreakControl::ResetRegulation() {
    calibrationDone_ = false;
    const std::lock_guard lock(mutex_);
    hold_ = 0;
    SetTargetPowerLocked(targetPower_);
    currentOffset_ = kReleasedOffset;
}

void TBreakControl::ApplyOptions(const TOnlineCommonOptionSet& options) {
    const std::lock_guard lock(mutex_);
    options_ = options;
}

TBrakeOptionSet TBreakControl::BrakeOptions() const {
    const std::lock_guard lock(mutex_);
    return options_.BrakeOptionSet;
}

void TBreakControl::Regulate() {
    log_.Line("RegBreak On");
    if (running_.exchange(true)) {
        log_.Line("OnRegBreak");
        return;
    }
    struct TRunning {
        std::atomic<bool>& flag;
        ~TRunning() { flag = false; }
    } running{running_};
    bool warnOfPowerSupply = false;
    {
        const std::lock_guard lock(mutex_);
        // Looked at under the lock: a brake switched off meanwhile has been released by now, and
        // this step must not engage it again.
        if (!brakeEnabled_) {
            log_.Line("not Enabled");
            return;
        }
        powerSupplyOverloaded_ = false;
        try {
            Step();
            errorCount_ = 0;
        } catch (const std::exception& failure) {
            StepFailed(failure);
        }
        warnOfPowerSupply = powerSupplyOverloaded_;
    }
    // Told outside the lock, so the owner may switch the brake from its handler.
    if (warnOfPowerSupply) {
        events_.Warning("Warning", kPowerSupplyWarning);
    }
}

void TBreakControl::StepFailed(const std::exception& failure) {
    log_.Line("RegBreak Off Exception 0");
    log_.Line(failure.what());
    log_.Line(ClassName(failure));
    if (++errorCount_ < 2) {
        return;
    }
    try {
        Send({.Offset = 0, .Steigung = 0, .Grenze = 0, .Teiler = 1}, kReleaseAttempts);
    } catch (const std::exception& sendFailure) {
        log_.Line(sendFailure.what());
    }
    throw EBrakeControl("Severe Error of Brakecontrol");
}

} // namespace klt
