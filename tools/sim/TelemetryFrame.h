#pragma once
// The telemetry frame a head unit in monitor mode sends once a cycle per rider: "J", the rider,
// the time in BCD, power, speed per hour, cadence, heart rate, a 32-bit counter and the XOR of all
// bytes before it; on the line either as raw bytes after "J" or, after 0x02, every byte from the
// rider on as two characters (nibble + 0x30) up to 0x03.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/sim/SimOptions.h"

namespace klt::sim {

inline constexpr size_t kTelemetryFrameSize = 16;
using TTelemetryFrame = std::array<uint8_t, kTelemetryFrameSize>;

struct TTelemetryValues {
    uint8_t rider = 1;
    int64_t clockSeconds = 0; // the head unit's clock; the frame carries the time of day
    int power = 0;            // W
    int speed = 0;            // mm/s
    int cadence = 0;          // rpm
    int heartRate = 0;        // bpm
    uint32_t counter = 0;
};

TTelemetryFrame BuildTelemetryFrame(const TTelemetryValues& values);
uint8_t TelemetryChecksum(const TTelemetryFrame& frame);
// The bytes on the line for the first `keep` bytes of the frame (a frame cut short keeps fewer).
std::vector<uint8_t> EncodeTelemetryFrame(const TTelemetryFrame& frame, TTelemetryEncoding encoding,
                                          size_t keep = kTelemetryFrameSize);

} // namespace klt::sim
