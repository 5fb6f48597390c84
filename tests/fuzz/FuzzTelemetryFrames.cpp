// Any bytes as what a head unit in monitor mode sends, in reads of any length, with time passing
// between them: frames of both encodings, status messages and noise go through the reception the
// read thread runs. Nothing may crash or grow, and every value set handed on must be one a rider
// can have: riders 1 or 2 and values within their limits.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "device/live/TelemetryReceiver.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using klt::fuzz::Check;

class TCheckingSink : public klt::ILiveSink {
public:
    void Post(klt::TLiveEvent event) override {
        if (const auto* set = std::get_if<klt::TLiveValueSet>(&event)) {
            Check(set->rider == 1 || set->rider == 2);
            Check(set->power >= 0 && set->power <= klt::TTelemetryRider::kMaxPower);
            Check(set->cadence >= 0 && set->cadence <= klt::TTelemetryRider::kMaxCadence);
            Check(set->heartRate >= 0 && set->heartRate <= klt::TTelemetryRider::kMaxHeartRate);
            Check(set->speed >= 0);
            Check(set->elapsedMs >= -1);
        } else if (const auto* message = std::get_if<klt::TLiveStatusMessage>(&event)) {
            Check(message->bytes.size() <= klt::kTelemetryStatusMessageMax);
        }
    }
};

// The bytes a read after the pending ones brings, then silence.
class TLineBytes : public klt::ITelemetryByteSource {
public:
    explicit TLineBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Read(uint8_t* out, size_t count) override {
        const size_t n = std::min(count, bytes_.size());
        std::copy_n(bytes_.begin(), n, out);
        bytes_ = bytes_.subspan(n);
        return n;
    }

private:
    std::span<const uint8_t> bytes_;
};

} // namespace

// Each read: a control byte (pending length in its low five bits, what the line brings after them
// in its upper three, the time that passes), then those bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> input(data, size);
    std::array<klt::TVeltrakStatus, 2> statuses;
    statuses[0].SetSWVersion(1);
    statuses[1].SetSWVersion(17170);
    TCheckingSink sink;
    klt::TLiveLogs logs;
    klt::TTelemetryReceiver receiver({&statuses[0], &statuses[1]}, 1, 0, sink, logs);
    int64_t now = 0;
    while (!input.empty()) {
        const uint8_t control = input[0];
        input = input.subspan(1);
        const std::span<const uint8_t> pending = input.first(std::min<size_t>((control & 0x1F) + 1, input.size()));
        input = input.subspan(pending.size());
        const std::span<const uint8_t> more = input.first(std::min<size_t>((control >> 5) * 6u, input.size()));
        input = input.subspan(more.size());
        TLineBytes line(more);
        receiver.Receive(pending, line, now);
        receiver.CheckWatchdogs(now);
        now += (control & 0x07) * 900;
    }
    return 0;
}
