#pragma once
// Telemetry reception without the thread: the bytes a read brought are taken apart into frames and
// status messages, each good frame goes to its rider, and what comes of it goes to the sink.
#include <array>
#include <cstdint>
#include <span>

#include "device/VeltrakStatus.h"
#include "device/live/LiveEvents.h"
#include "device/live/LiveLogs.h"
#include "device/live/TelemetryFrame.h"
#include "device/live/TelemetryRider.h"

namespace klt {

class TTelemetryReceiver {
public:
    static constexpr int kRiders = 2;

    // `statuses` of riders 1 and 2 take the values; `logs` may be closed.
    TTelemetryReceiver(std::array<TVeltrakStatus*, kRiders> statuses, int telemetryCycle, int64_t nowMs,
                       ILiveSink& sink, TLiveLogs& logs);

    // Takes apart what begins in `pending`; a frame cut off at its end is completed from `line`.
    void Receive(std::span<const uint8_t> pending, ITelemetryByteSource& line, int64_t nowMs);
    // Zeroes the riders whose frames stopped.
    void CheckWatchdogs(int64_t nowMs);

    const TTelemetryRider& Rider(int rider) const { return riders_.at(static_cast<size_t>(rider - 1)); }

private:
    void TakeFrame(const TTelemetryFrame& frame, int64_t nowMs);
    void Post(TLiveValueSet set);

    std::array<TTelemetryRider, kRiders> riders_;
    std::array<bool, kRiders> afterStatusMessage_{};
    ILiveSink& sink_;
    TLiveLogs& logs_;
};

} // namespace klt
