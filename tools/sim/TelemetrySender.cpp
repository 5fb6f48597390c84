#include "tools/sim/TelemetrySender.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "tools/sim/LiveErgometer.h"
#include "tools/sim/TelemetryFrame.h"

namespace klt::sim {
namespace {

constexpr uint8_t kUnknownRider = 0xFF;
// A frame cut short keeps "J", the rider and the time.
constexpr size_t kShortFrameBytes = 5;
constexpr uint8_t kStatusStart = 0x04, kStatusEnd = 0x03;

} // namespace

TTelemetrySender::TTelemetrySender(const TSimOptions& options, std::vector<TLiveErgometer*> riders)
    : options_(options), riders_(std::move(riders)),
      clock_(options.clock.value_or(LocalNowSeconds()), options.speedup) {}

void TTelemetrySender::Serve() {
    using TClock = std::chrono::steady_clock;
    const auto cycle = std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(1.0 / options_.speedup));
    auto due = TClock::now() + cycle;
    for (;;) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - TClock::now()).count();
        if (!line_.Pause(static_cast<int>(std::max<int64_t>(wait, 0)))) {
            return;
        }
        SendCycle();
        // A line nobody reads holds the sender up; the cycles missed meanwhile are not made up.
        due = std::max(due + cycle, TClock::now());
    }
}

void TTelemetrySender::SendCycle() {
    const int64_t now = clock_.Now().seconds;
    ++cycles_;
    if (options_.telemetryStatusEvery > 0 && cycles_ % static_cast<uint32_t>(options_.telemetryStatusEvery) == 0) {
        const std::string text = "Monitor: riders " + std::to_string(riders_.size()) + ", cycle 1 s";
        std::vector<uint8_t> message = {kStatusStart};
        message.insert(message.end(), text.begin(), text.end());
        message.push_back(kStatusEnd);
        line_.Send(message);
    }
    for (size_t index = 0; index < riders_.size(); ++index) {
        const TErgometerReading reading = riders_[index]->Reading();
        ++framesSent_;
        TTelemetryFrame frame = BuildTelemetryFrame({.rider = static_cast<uint8_t>(index + 1),
                                                     .clockSeconds = now,
                                                     .power = reading.power,
                                                     .speed = reading.speed,
                                                     .cadence = reading.cadence,
                                                     .heartRate = reading.heartRate,
                                                     .counter = cycles_});
        if (Every(options_.faults.riderFfEvery)) {
            frame[1] = kUnknownRider; // the checksum stays that of the true rider number
        }
        if (Every(options_.faults.telemetryChecksumEvery)) {
            frame.back() ^= 0x5A;
        }
        const size_t keep = Every(options_.faults.shortFrameEvery) ? kShortFrameBytes : kTelemetryFrameSize;
        line_.Send(EncodeTelemetryFrame(frame, options_.telemetryEncoding, keep));
    }
}

} // namespace klt::sim
