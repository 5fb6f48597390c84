#include "tools/sim/TelemetryFrame.h"

#include <algorithm>

#include "tools/sim/CharacterHeadUnit.h"
#include "tools/sim/Ergometer.h"
#include "tools/sim/SimClock.h"

namespace klt::sim {
namespace {

constexpr uint8_t kFrameStart = 'J';
constexpr uint8_t kStx = 0x02, kEtx = 0x03;

void PutWord(TTelemetryFrame& frame, size_t at, int value) {
    const int clamped = std::clamp(value, 0, 0xFFFF);
    frame[at] = static_cast<uint8_t>(clamped >> 8);
    frame[at + 1] = static_cast<uint8_t>(clamped);
}

} // namespace

uint8_t TelemetryChecksum(const TTelemetryFrame& frame) {
    uint8_t checksum = 0;
    for (size_t i = 0; i + 1 < frame.size(); ++i) {
        checksum ^= frame[i];
    }
    return checksum;
}

TTelemetryFrame BuildTelemetryFrame(const TTelemetryValues& values) {
    TTelemetryFrame frame{};
    frame[0] = kFrameStart;
    frame[1] = values.rider;
    const int secondOfDay = static_cast<int>((values.clockSeconds % 86400 + 86400) % 86400);
    frame[2] = ToBcd(secondOfDay / 3600); // bit 7 clear: the speed is per hour
    frame[3] = ToBcd(secondOfDay / 60 % 60);
    frame[4] = ToBcd(secondOfDay % 60);
    PutWord(frame, 5, values.power);
    PutWord(frame, 7, SpeedTenthsKmh(values.speed));
    frame[9] = static_cast<uint8_t>(std::clamp(values.cadence, 0, 0xFF));
    frame[10] = static_cast<uint8_t>(std::clamp(values.heartRate, 0, 0xFF));
    for (size_t i = 0; i < 4; ++i) {
        frame[11 + i] = static_cast<uint8_t>(values.counter >> (24 - 8 * i));
    }
    frame[15] = TelemetryChecksum(frame);
    return frame;
}

std::vector<uint8_t> EncodeTelemetryFrame(const TTelemetryFrame& frame, TTelemetryEncoding encoding, size_t keep) {
    const std::vector<uint8_t> body(frame.begin() + 1, frame.begin() + static_cast<long>(std::clamp<size_t>(keep, 1, frame.size())));
    if (encoding == TTelemetryEncoding::Binary) {
        std::vector<uint8_t> bytes = {kFrameStart};
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    }
    std::vector<uint8_t> bytes = {kStx};
    const std::vector<uint8_t> characters = ToNibbleCharacters(body);
    bytes.insert(bytes.end(), characters.begin(), characters.end());
    bytes.push_back(kEtx);
    return bytes;
}

} // namespace klt::sim
