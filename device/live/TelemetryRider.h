#pragma once
// One rider of a telemetry ride: the values of its frames taken into its status (repeated frames
// once, a sudden cadence drop only when it lasts, impossible values as zero) and its watchdog, a
// deadline the read loop checks, which zeroes the values of a rider whose frames stop.
#include <cstdint>
#include <optional>

#include "device/VeltrakStatus.h"
#include "device/live/LiveEvents.h"
#include "device/live/TelemetryFrame.h"

namespace klt {

class TTelemetryRider {
public:
    static constexpr int kCadenceDropPercent = 80;
    static constexpr int kCadenceDropFrames = 3;
    // Firmware up to this version (other than 1) takes a cadence drop at once.
    static constexpr uint16_t kLastFirmwareWithoutCadenceFilter = 17170;
    static constexpr int kMaxPower = 32007;
    static constexpr int kMaxCadence = 8191;
    static constexpr int kMaxHeartRate = 0x3FFF;
    static constexpr int64_t kWatchdogMsPerCycle = 5000;

    // `telemetryCycle` in seconds; the watchdog starts at `nowMs`.
    TTelemetryRider(int rider, TVeltrakStatus& status, int telemetryCycle, int64_t nowMs);

    // A decoded frame of this rider: the value set to report, none when the frame repeats the
    // previous one's time.
    std::optional<TLiveValueSet> Take(const TTelemetryValues& values, int64_t nowMs);
    // The zeroed value set when the watchdog has expired by `nowMs`; it starts again.
    std::optional<TLiveValueSet> CheckWatchdog(int64_t nowMs);

    int64_t Deadline() const { return deadlineMs_; }
    int64_t WatchdogIntervalMs() const { return intervalMs_; }
    bool Received() const { return received_; }
    int FirstFrameTime() const { return firstTime_; }
    uint32_t FirstCounter() const { return firstCounter_; }

private:
    bool CadenceAccepted(int32_t cadence);
    TLiveValueSet ValueSet(int64_t elapsedMs) const;

    const int rider_;
    TVeltrakStatus& status_;
    int64_t intervalMs_;
    int64_t deadlineMs_;
    int previousTime_ = 0; // seconds of the day
    int firstTime_ = 0;
    uint32_t firstCounter_ = 0;
    bool received_ = false;
    int cadenceDrops_ = 0;
};

} // namespace klt
