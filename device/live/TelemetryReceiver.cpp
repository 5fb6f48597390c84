#include "device/live/TelemetryReceiver.h"

#include <string>
#include <type_traits>

namespace klt {
namespace {

// The pending bytes first, then the line; every byte that comes out is logged.
class TPendingThenLine : public ITelemetryByteSource {
public:
    TPendingThenLine(std::span<const uint8_t> pending, ITelemetryByteSource& line, TCappedLog& log)
        : pending_(pending), line_(line), log_(log) {}

    bool HasPending() const { return next_ < pending_.size(); }
    uint8_t NextPending() { return pending_[next_++]; }

    size_t Read(uint8_t* bytes, size_t count) override {
        size_t got = 0;
        while (got < count && HasPending()) {
            bytes[got++] = NextPending();
        }
        if (got < count) {
            const size_t read = line_.Read(bytes + got, count - got);
            log_.Line(HexBytes(std::span(bytes + got, read)));
            got += read;
        }
        return got;
    }

private:
    std::span<const uint8_t> pending_;
    size_t next_ = 0;
    ITelemetryByteSource& line_;
    TCappedLog& log_;
};

std::string FrameLine(const TTelemetryValues& v) {
    return "Rider " + std::to_string(v.rider) + " Time " + std::to_string(v.timeOfDay) + " Power " +
           std::to_string(v.power) + " Cadence " + std::to_string(v.cadence) + " HeartRate " +
           std::to_string(v.heartRate) + " Speed " + std::to_string(v.speed) + " Counter " + std::to_string(v.counter);
}

} // namespace

TTelemetryReceiver::TTelemetryReceiver(std::array<TVeltrakStatus*, kRiders> statuses, int telemetryCycle,
                                       int64_t nowMs, ILiveSink& sink, TLiveLogs& logs)
    : riders_{TTelemetryRider(1, *statuses[0], telemetryCycle, nowMs),
              TTelemetryRider(2, *statuses[1], telemetryCycle, nowMs)},
      sink_(sink), logs_(logs) {}

void TTelemetryReceiver::Receive(std::span<const uint8_t> pending, ITelemetryByteSource& line, int64_t nowMs) {
    if (pending.empty()) {
        return;
    }
    logs_.bytes.Line(HexBytes(pending));
    TPendingThenLine source(pending, line, logs_.bytes);
    while (source.HasPending()) {
        std::visit(
            [&](auto&& item) {
                using T = std::decay_t<decltype(item)>;
                if constexpr (std::is_same_v<T, TTelemetryFrame>) {
                    TakeFrame(item, nowMs);
                } else if constexpr (std::is_same_v<T, TTelemetryStatusBytes>) {
                    afterStatusMessage_.fill(true);
                    sink_.Post(TLiveStatusMessage{std::move(item.bytes)});
                }
            },
            ReadTelemetryItem(source.NextPending(), source));
    }
}

void TTelemetryReceiver::TakeFrame(const TTelemetryFrame& frame, int64_t nowMs) {
    const std::optional<TTelemetryFrame> checked = CheckTelemetryFrame(frame);
    const std::optional<TTelemetryValues> values = checked ? DecodeTelemetryFrame(*checked) : std::nullopt;
    if (!values || values->rider < 1 || values->rider > kRiders) {
        return;
    }
    logs_.frames.Line(FrameLine(*values));
    if (std::optional<TLiveValueSet> set = riders_[static_cast<size_t>(values->rider - 1)].Take(*values, nowMs)) {
        Post(*set);
    }
}

void TTelemetryReceiver::CheckWatchdogs(int64_t nowMs) {
    for (TTelemetryRider& rider : riders_) {
        if (std::optional<TLiveValueSet> set = rider.CheckWatchdog(nowMs)) {
            Post(*set);
        }
    }
}

void TTelemetryReceiver::Post(TLiveValueSet set) {
    bool& afterStatus = afterStatusMessage_[static_cast<size_t>(set.rider - 1)];
    if (afterStatus) {
        set.elapsedMs = -1;
        afterStatus = false;
    }
    sink_.Post(set);
}

} // namespace klt
