#pragma once
// Telemetry frames as a head unit in monitor mode sends them, taken apart without any I/O: the
// bytes come from a source the caller provides (the line, a test, the fuzzer).
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace klt {

// 16 bytes: "J", rider, BCD time (bit 7 of the hours: speed per minute), power, speed, cadence,
// heart rate, counter, XOR checksum.
using TTelemetryFrame = std::array<uint8_t, 16>;

inline constexpr uint8_t kTelemetryFrameMark = 'J';
inline constexpr uint8_t kTelemetryCharacterFrameStart = 0x02;
inline constexpr uint8_t kTelemetryCharacterFrameEnd = 0x03;
inline constexpr uint8_t kTelemetryStatusMessage = 0x04;
inline constexpr uint8_t kTelemetryUnknownRider = 0xFF;
inline constexpr int kTelemetryMaxPower = 4094;
// A status message is read up to its 0x03 or this many bytes, whichever comes first.
inline constexpr size_t kTelemetryStatusMessageMax = 64;

// Where frame bytes come from; fewer than asked for means the line went quiet (or failed).
class ITelemetryByteSource {
public:
    virtual ~ITelemetryByteSource() = default;
    virtual size_t Read(uint8_t* bytes, size_t count) = 0;
};

struct TTelemetryStatusBytes {
    std::vector<uint8_t> bytes; // what followed the 0x04, without the closing 0x03
};

// What one leading byte starts: a frame, a status message, or nothing (the byte is dropped).
using TTelemetryItem = std::variant<std::monostate, TTelemetryFrame, TTelemetryStatusBytes>;

// Reads the rest of what `first` starts from `source`. A short raw frame and a character frame
// cut by a failed read get "c" in byte 14, so that their checksum fails.
TTelemetryItem ReadTelemetryItem(uint8_t first, ITelemetryByteSource& source);

// The frame with the rider number its checksum holds: as sent, or for 0xFF the first of 0..4 that
// makes the checksum match; none when the checksum fails.
std::optional<TTelemetryFrame> CheckTelemetryFrame(TTelemetryFrame frame);

// A checked frame's values in the head unit's raw units.
struct TTelemetryValues {
    int rider = 0;
    int timeOfDay = 0;    // seconds of the day
    int32_t power = 0;    // 1/8 W
    int32_t speed = 0;    // mm/s
    int32_t cadence = 0;  // 1/32 rpm
    int32_t heartRate = 0; // 1/64 bpm
    uint32_t counter = 0;
};

// None when the power lies above what a head unit measures or the time is impossible (the frame is
// ignored).
std::optional<TTelemetryValues> DecodeTelemetryFrame(const TTelemetryFrame& frame);

} // namespace klt
