#pragma once
// The 5-byte records of the register-protocol head units' recording memory: what kind each one is
// and the raw measurement values it holds.
#include <cstdint>

namespace klt {

inline constexpr int kVeltrakRecordSize = 5;

enum class TVeltrakRecordKind : uint8_t {
    Measurement,
    DateTime,              // 0x80: little-endian seconds of the head-unit clock
    ZeroOffsetDenominator, // 0x81: interval denominator, zero offset
    SlopeWheel,            // 0x82: slope, wheel circumference
    Numerator,             // 0x83: interval numerator
    TimeFraction,          // 0xC0..0xE7
    EmptyMemory,           // 0xFE, 0xFF
    Invalid
};

TVeltrakRecordKind RecordKind(const uint8_t* record);

// Values in the raw units of the measurement kinds.
struct TVeltrakMeasurement {
    int32_t power = 0;
    int32_t speed = 0;
    int32_t cadence = 0;
    int32_t heartRate = 0;
    bool operator==(const TVeltrakMeasurement&) const = default;
};

TVeltrakMeasurement DecodeMeasurement(const uint8_t* record);
// A measurement record that carries nothing: the head unit writes these while the rider stands.
bool IsPauseRecord(const uint8_t* record);

uint32_t RecordUInt32(const uint8_t* record, int offset);
uint16_t RecordUInt16(const uint8_t* record, int offset);

// Denominators the head units can store; anything else is taken as 1.
uint8_t ValidIntervalDenominator(uint8_t denominator);
// numerator / denominator seconds in hundredths.
int32_t IntervalHundredths(uint8_t numerator, uint8_t denominator);

} // namespace klt
