#include "device/usb/RequestKinds.h"

#include <algorithm>
#include <string>

#include "core/Exceptions.h"

namespace klt {
namespace {

using G = TSettingGroup;

// Kinds 14 to 17, 19 and 25 to 28 do not exist; kind 10 asks what kind 7 asks.
constexpr TRequestKindInfo kKinds[] = {
    {.request = {0, 1, 1}, .size = 2, .group = G::SoftwareVersion},
    {.request = {2, 2, 14}, .size = 7},
    // the brake values (docs/usb-brake.md): offset, limit, slope, divisor and, read, the brake type
    {.request = {3, 3, 1}, .size = 14},
    {.request = {4, 2, 1}, .size = 2, .group = G::Slope, .fallback = {0x00, 0xFA}}, // 7640 in use
    {.request = {5, 2, 3}, .size = 2, .group = G::WheelCircumference, .fallback = {0x08, 0x2F}}, // 2095 mm
    {.request = {6, 2, 5}, .size = 20, .group = G::Initials},
    {.request = {7, 2, 2}, .size = 2, .group = G::ZeroOffset},
    {.request = {8, 2, 6}, .size = 2, .group = G::StorageInterval, .fallback = {0x03, 0xE8}}, // 1 s
    // mode 1 (power) and the limits 800 to 4000 in eighths
    {.request = {9, 2, 4},
     .size = 11,
     .group = G::Trainingzones,
     .fallback = {1, 0x00, 100, 0x00, 200, 0x01, 0x2C, 0x01, 0x90, 0x01, 0xF4}},
    {.request = {10, 2, 2}, .size = 2, .group = G::ZeroOffset},
    {.request = {11, 2, 10}, .size = 1, .group = G::HeartrateFilterMode, .fallback = {1}},
    {.request = {12, 2, 13}, .size = 10, .group = G::OdoValues},
    // the beat-to-beat intervals since the previous read (docs/usb-beats.md): count, beats lost,
    // the intervals
    {.request = {13, 1, 7}, .size = 2},
    {.request = {18, 2, 7}, .size = 2, .group = G::HorseMode},
    {.request = {20, 2, 8}, .size = 3, .group = G::DisplayMode},
    {.request = {21, 2, 9}, .size = 6, .group = G::ProductionDate},
    {.request = {22, 2, 12}, .size = 1, .group = G::ValueFormat, .fallback = {3}},
    {.request = {23, 2, 9}, .size = 6, .group = G::SerialNumber},
    {.request = {24, 2, 11}, .size = 3, .group = G::PowerDownMode, .fallback = {1, 0, 60}}, // mode 0, 60 s
    {.request = {29, 4, 1}, .size = 2},
    {.request = {30, 4, 2}},
    {.request = {31, 4, 3}},
    {.request = {32, 4, 4}},
    {.request = {33, 4, 5}},
    {.request = {34, 4, 7}},
    {.request = {35, 2, 15}, .size = 1, .group = G::Telemetry},
    {.request = {36, 2, 16}, .size = 1, .group = G::WirelessCommunication, .fallback = {73}},
    {.request = {37, 2, 17}, .size = 6, .group = G::TelemetrieZyklusTime},
    {.request = {38, 1, 6}, .size = 10},
    {.request = {39, 2, 18}, .size = 1, .group = G::AutomaticZeroOffset, .firstFirmware = 35088},
    {.request = {40, 2, 20}, .size = 1, .group = G::WirelessSpeed, .firstFirmware = 38170, .fallback = {2}},
    {.request = {41, 2, 19}, .size = 1, .group = G::ShowActualTrainingZone, .firstFirmware = 35088},
    // the power meter's battery: hours x 10 or a condition code (signed), and a second word;
    // 0x7FFF: no power meter
    {.request = {42, 1, 12}, .size = 4, .group = G::Status, .firstFirmware = 38401, .fallback = {0x7F, 0xFF, 0, 0}},
    {.request = {43, 4, 8}},
    {.request = {44, 2, 23}, .size = 2, .group = G::WirelessHeartrate, .firstFirmware = 45575},
};

constexpr int kStatusReadKinds[] = {11, 24, 4, 5, 6, 7, 8, 9, 12, 23, 18, 20, 21, 22, 35, 36, 37, 39, 41, 40, 42, 44};

const TRequestKindInfo* Find(int kind) {
    const auto* entry = std::find_if(std::begin(kKinds), std::end(kKinds),
                                     [kind](const TRequestKindInfo& info) { return info.request.kind == kind; });
    return entry != std::end(kKinds) ? entry : nullptr;
}

} // namespace

const TRequestKindInfo& RequestKind(int kind) {
    if (const TRequestKindInfo* info = Find(kind)) {
        return *info;
    }
    throw ERangeError("Request kind " + std::to_string(kind) + " does not exist");
}

bool IsRequestKind(int kind) {
    return Find(kind) != nullptr;
}

std::span<const int> StatusReadKinds() {
    return kStatusReadKinds;
}

bool IsWrittenSetting(int kind) {
    // production date, serial number and the battery the power meter reports
    return kind != 21 && kind != 23 && kind != 42;
}

} // namespace klt
