#include "core/SampleElement.h"

namespace klt {

int TSampleElement::ClampDiv(int raw, int divisor, int max) {
    if (raw < 0) {
        return 0;
    }
    return raw < divisor * max ? raw / divisor : max;
}

void TSampleElement::PutU16(int at, uint16_t v) {
    bytes[at] = static_cast<uint8_t>(v);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}

void TSampleElement::PutU32(int at, uint32_t v) {
    PutU16(at, static_cast<uint16_t>(v));
    PutU16(at + 2, static_cast<uint16_t>(v >> 16));
}

void TSampleElement::Set(int power, int cadence, int heartRate, int speed, int altitude, int temperature) {
    PutU16(0, static_cast<uint16_t>(ClampDiv(power, 8, kMaxPowerWatts)));
    bytes[2] = static_cast<uint8_t>(ClampDiv(cadence, 32, kMaxBeatsOrRevs));
    bytes[3] = static_cast<uint8_t>(ClampDiv(heartRate, 64, kMaxBeatsOrRevs));
    // The 32-bit speed field holds the sign-extended 16-bit value; readers use the low half.
    const auto speed16 = static_cast<uint16_t>(ClampDiv(speed, 32, kMaxSpeedUnits) * 32);
    PutU32(4, static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(speed16))));
    PutU32(8, static_cast<uint32_t>(altitude));
    PutU16(12, static_cast<uint16_t>(temperature));
}

} // namespace klt
