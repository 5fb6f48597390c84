#pragma once
// One recorded sample as it lies in memory and in KLT7 files: 14 little-endian bytes.
//   0 power W (u16), 2 cadence rpm (u8), 3 heart rate bpm (u8), 4 speed mm/s (s32, low 16 bits
//   used, multiples of 32), 8 altitude m (s32), 12 temperature 0.1 degC (16 bits, signed).
// Accessors and setters speak the raw units of the measurement kinds: power 1/8 W, cadence
// 1/32 rpm, heart rate 1/64 bpm, speed mm/s, altitude m, temperature 0.1 degC.
#include <cstdint>

namespace klt {

struct TSampleElement {
    static constexpr int kSize = 14;
    static constexpr int kMaxPowerWatts = 4095;
    static constexpr int kMaxSpeedUnits = 2047; // in 32 mm/s
    static constexpr int kMaxBeatsOrRevs = 255;

    uint8_t bytes[kSize];

    int StoredPower() const { return U16(0); }
    int StoredCadence() const { return bytes[2]; }
    int StoredHeartRate() const { return bytes[3]; }

    int Power() const { return StoredPower() * 8; }
    int Cadence() const { return StoredCadence() * 32; }
    int HeartRate() const { return StoredHeartRate() * 64; }
    int Speed() const { return U16(4); }
    int Altitude() const { return static_cast<int32_t>(U32(8)); }
    int Temperature() const { return static_cast<int16_t>(U16(12)); }

    // Full setter: clamps power, cadence, heart rate and speed to what the record can hold.
    void Set(int power, int cadence, int heartRate, int speed, int altitude, int temperature);
    // Short setter for records converted from older files, which know no altitude or temperature.
    void SetShort(int power, int cadence, int heartRate, int speed) { Set(power, cadence, heartRate, speed, 0, 0); }

    // clamp(raw div divisor, 0..max): 0 for negative raw values, max once raw reaches divisor*max.
    static int ClampDiv(int raw, int divisor, int max);

private:
    uint16_t U16(int at) const { return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8); }
    uint32_t U32(int at) const {
        return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
               uint32_t{bytes[at + 3]} << 24;
    }
    void PutU16(int at, uint16_t v);
    void PutU32(int at, uint32_t v);
};

static_assert(sizeof(TSampleElement) == TSampleElement::kSize);

} // namespace klt
