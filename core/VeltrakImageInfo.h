#pragma once
// What a training takes over from the head unit's memory image besides its samples: the power
// meter's battery state and the further sensor words. The memory image implements it; the
// training data module only reads it, so core/ does not depend on the device layer.
#include <array>
#include <cstdint>

namespace klt {

class IVeltrakImageInfo {
public:
    static constexpr int32_t kNoBattery = 0xFFFF;

    virtual ~IVeltrakImageInfo() = default;
    // Hours x 10, the condition codes -5 (critical) .. -1 (new), or kNoBattery.
    virtual int32_t BatteryValue() const = 0;
    virtual uint32_t SecondBatteryWord() const = 0;
    virtual std::array<uint32_t, 3> FurtherSensorWords() const = 0;
};

} // namespace klt
