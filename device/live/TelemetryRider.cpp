#include "device/live/TelemetryRider.h"

#include <algorithm>

namespace klt {
namespace {

constexpr int kSecondsPerDay = 24 * 3600;

int16_t Held(int32_t value, int32_t limit) { return static_cast<int16_t>(value > limit ? 0 : value); }

} // namespace

TTelemetryRider::TTelemetryRider(int rider, TVeltrakStatus& status, int telemetryCycle, int64_t nowMs)
    : rider_(rider), status_(status), intervalMs_(std::max(telemetryCycle, 1) * kWatchdogMsPerCycle),
      deadlineMs_(nowMs + intervalMs_) {}

std::optional<TLiveValueSet> TTelemetryRider::Take(const TTelemetryValues& values, int64_t nowMs) {
    deadlineMs_ = nowMs + intervalMs_;
    if (received_ && values.timeOfDay == previousTime_) {
        return std::nullopt; // the radio repeats every frame
    }
    int64_t elapsedMs = 0;
    if (received_) {
        // a ride across midnight goes on
        const int difference = (values.timeOfDay - previousTime_ + kSecondsPerDay) % kSecondsPerDay;
        intervalMs_ = std::min(intervalMs_, difference * kWatchdogMsPerCycle);
        deadlineMs_ = nowMs + intervalMs_;
        elapsedMs = int64_t{difference} * 1000;
    } else {
        firstTime_ = values.timeOfDay;
        firstCounter_ = values.counter;
        received_ = true;
    }
    previousTime_ = values.timeOfDay;
    status_.Geschwindigkeit = static_cast<int16_t>(std::clamp<int32_t>(values.speed, 0, INT16_MAX));
    status_.Herzfrequenz = Held(values.heartRate, kMaxHeartRate);
    if (CadenceAccepted(values.cadence)) {
        status_.Leistung = Held(values.power, kMaxPower);
        status_.Tretfrequenz = Held(values.cadence, kMaxCadence);
    }
    return ValueSet(elapsedMs);
}

bool TTelemetryRider::CadenceAccepted(int32_t cadence) {
    const uint16_t firmware = status_.SWVersion();
    const bool filtered = firmware == 1 || firmware > kLastFirmwareWithoutCadenceFilter;
    if (!filtered || int64_t{cadence} * 100 >= int64_t{status_.Tretfrequenz} * kCadenceDropPercent) {
        cadenceDrops_ = 0;
        return true;
    }
    if (++cadenceDrops_ < kCadenceDropFrames) {
        return false;
    }
    cadenceDrops_ = 0;
    return true;
}

std::optional<TLiveValueSet> TTelemetryRider::CheckWatchdog(int64_t nowMs) {
    if (nowMs < deadlineMs_) {
        return std::nullopt;
    }
    status_.Geschwindigkeit = 0;
    status_.Leistung = 0;
    status_.Tretfrequenz = 0;
    status_.Herzfrequenz = 0;
    previousTime_ = static_cast<int>((previousTime_ + intervalMs_ / 1000) % kSecondsPerDay);
    deadlineMs_ = nowMs + intervalMs_;
    return ValueSet(intervalMs_);
}

TLiveValueSet TTelemetryRider::ValueSet(int64_t elapsedMs) const {
    TLiveValueSet set;
    set.rider = rider_;
    set.elapsedMs = elapsedMs;
    set.power = status_.Leistung;
    set.cadence = status_.Tretfrequenz;
    set.heartRate = status_.Herzfrequenz;
    set.speed = status_.Geschwindigkeit;
    set.temperature = status_.Temperatur;
    set.stamp = std::chrono::steady_clock::now();
    return set;
}

} // namespace klt
