#include "device/VeltrakRecords.h"

namespace klt {

namespace {

constexpr int kMinHeartRateByte = 20;
constexpr int kMaxHeartRateByte = 220;

bool HeartRateByteValid(uint8_t value) {
    return value >= kMinHeartRateByte && value <= kMaxHeartRateByte;
}

} // namespace

TVeltrakRecordKind RecordKind(const uint8_t* record) {
    const uint8_t first = record[0];
    if (first < 0x80) {
        return TVeltrakRecordKind::Measurement;
    }
    switch (first) {
    case 0x80:
        return TVeltrakRecordKind::DateTime;
    case 0x81:
        return TVeltrakRecordKind::ZeroOffsetDenominator;
    case 0x82:
        return TVeltrakRecordKind::SlopeWheel;
    case 0x83:
        return TVeltrakRecordKind::Numerator;
    case 0xFE:
    case 0xFF:
        return TVeltrakRecordKind::EmptyMemory;
    default:
        return first >= 0xC0 && first <= 0xE7 ? TVeltrakRecordKind::TimeFraction
                                              : TVeltrakRecordKind::Invalid;
    }
}

TVeltrakMeasurement DecodeMeasurement(const uint8_t* r) {
    TVeltrakMeasurement m;
    m.power = ((r[1] & 0x0F) | (r[2] << 4)) * 8;
    m.speed = (((r[1] >> 4) * 128) | (r[0] & 0x7F)) * 60;
    m.cadence = r[3] * 32;
    m.heartRate = HeartRateByteValid(r[4]) ? r[4] * 64 : 0;
    return m;
}

bool IsPauseRecord(const uint8_t* r) {
    return r[0] == 0 && r[1] == 0 && r[2] == 0 && r[3] == 0 && !HeartRateByteValid(r[4]);
}

uint32_t RecordUInt32(const uint8_t* record, int offset) {
    return static_cast<uint32_t>(RecordUInt16(record, offset)) |
           static_cast<uint32_t>(RecordUInt16(record, offset + 2)) << 16;
}

uint16_t RecordUInt16(const uint8_t* record, int offset) {
    return static_cast<uint16_t>(record[offset] | record[offset + 1] << 8);
}

uint8_t ValidIntervalDenominator(uint8_t denominator) {
    switch (denominator) {
    case 1:
    case 2:
    case 4:
    case 5:
    case 10:
    case 20:
        return denominator;
    default:
        return 1;
    }
}

int32_t IntervalHundredths(uint8_t numerator, uint8_t denominator) {
    return numerator * 100 / ValidIntervalDenominator(denominator);
}

} // namespace klt
