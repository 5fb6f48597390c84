#pragma once
// The request kinds of generation VI and 7 head units: the class and code each goes out with, and
// for the settings the size of their payload, the value that holds when they cannot be read, the
// group named when they fail and the first firmware that knows them.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/genv/VeltrakV.h"
#include "device/usb/UsbRequest.h"

namespace klt {

struct TRequestKindInfo {
    static constexpr size_t kMaxFallback = 20;

    TUsbRequestKind request;
    size_t size = 0; // payload bytes read and written; 0 where it varies
    TSettingGroup group = TSettingGroup::Status;
    uint16_t firstFirmware = 0;
    std::array<uint8_t, kMaxFallback> fallback{}; // the first `size` bytes count

    std::span<const uint8_t> Fallback() const { return std::span(fallback).first(size); }
};

// The entry of a kind; ERangeError for a kind that is not defined.
const TRequestKindInfo& RequestKind(int kind);
bool IsRequestKind(int kind);

// Request kinds by use.
namespace TRequestKindNumber {
inline constexpr int Identification = 0;
inline constexpr int Clock = 2;
inline constexpr int BrakeValues = 3;
inline constexpr int Slope = 4;
inline constexpr int WheelCircumference = 5;
inline constexpr int Initials = 6;
inline constexpr int ZeroOffset = 7;
inline constexpr int StorageInterval = 8;
inline constexpr int Odometer = 12;
inline constexpr int BeatIntervals = 13;
inline constexpr int SectionCount = 29;
inline constexpr int StartRecording = 34;
inline constexpr int LiveValues = 38;
inline constexpr int PowerMeterBattery = 42;
} // namespace TRequestKindNumber

// The settings a status read asks for, in its order; a settings write leaves out those that are
// the head unit's identity or measurements, not settings.
std::span<const int> StatusReadKinds();
bool IsWrittenSetting(int kind);

} // namespace klt
