// Reading and writing generation VI and 7 head units: status and settings with their defaults,
// the clock, the live values and the brake values.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Exceptions.h"
#include "device/usb/RequestKinds.h"
#include "device/usb/VeltrakVI.h"

namespace klt {
namespace {

namespace K = TRequestKindNumber;

uint16_t Word(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

uint32_t Long(std::span<const uint8_t> bytes, size_t at) {
    return uint32_t{Word(bytes, at)} << 16 | Word(bytes, at + 2);
}

void PutWord(std::vector<uint8_t>& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value >> 8));
    bytes.push_back(static_cast<uint8_t>(value));
}

void PutLong(std::vector<uint8_t>& bytes, uint32_t value) {
    PutWord(bytes, value >> 16);
    PutWord(bytes, value & 0xFFFF);
}

int16_t Clamp16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

int32_t Clamp32(uint32_t value) {
    return static_cast<int32_t>(std::min<uint32_t>(value, std::numeric_limits<int32_t>::max()));
}

// A brake value beyond the 32 bits of its field means nothing the brake could take.
uint32_t BrakeWord(int32_t value) {
    return static_cast<uint32_t>(std::max(value, 0));
}

constexpr uint8_t kEddyCurrentBrake = 1;
constexpr size_t kInitialsSize = 20;
constexpr double kSpeedFactor = 100000.0 / 3600.0;

} // namespace

void TVeltrakVI::ReadStatus() {
    if (UsesRequests()) {
        ReadStatusVI();
    } else {
        TVeltrakV::ReadStatus();
    }
}

void TVeltrakVI::WriteSettings(const TVeltrakStatus& settings) {
    if (UsesRequests()) {
        WriteSettingsVI(settings);
    } else {
        TVeltrakV::WriteSettings(settings);
    }
}

void TVeltrakVI::ReadClock() {
    if (UsesRequests()) {
        ReadClockVI();
    } else {
        TVeltrakV::ReadClock();
    }
}

void TVeltrakVI::WriteClock() {
    if (UsesRequests()) {
        WriteClockVI();
    } else {
        TVeltrakV::WriteClock();
    }
}

void TVeltrakVI::ReadLiveValues() {
    if (UsesRequests()) {
        ReadLiveValuesVI();
    } else {
        TVeltrakV::ReadLiveValues();
    }
}

void TVeltrakVI::ReadBrakeCalibration() {
    if (UsesRequests()) {
        ReadBrakeValuesVI();
    } else {
        TVeltrakV::ReadBrakeCalibration();
    }
}

void TVeltrakVI::WriteBrakeCalibration() {
    if (UsesRequests()) {
        WriteBrakeValuesVI();
    } else {
        TVeltrakV::WriteBrakeCalibration();
    }
}

void TVeltrakVI::ReadStatusVI() {
    ClearFailedSettings();
    requests_.ClearFailures();
    TVeltrakStatus& s = Status();
    if (s.HWVersion() > TVeltrakHWVersion::HWVersionVT7x128) {
        s.SetHWVersion(hardware_);
    }
    if (!ReadFirmwareVersion()) {
        s.SetSWVersion(0);
        MarkFailed(TSettingGroup::SoftwareVersion);
        throw Exception(std::string(kReadErrorHeading) + SettingGroupNames(FailedSettings()));
    }
    CheckFirmwareVersion();
    ReadClockVI();
    for (const int kind : StatusReadKinds()) {
        if (KnowsKind(kind)) {
            ReadSettingVI(kind);
        }
    }
    ShowFailedSettings(kReadErrorHeading);
}

bool TVeltrakVI::KnowsKind(int kind) {
    return Status().SWVersion() >= RequestKind(kind).firstFirmware;
}

void TVeltrakVI::ReadSettingVI(int kind) {
    const TRequestKindInfo& info = RequestKind(kind);
    if (SettingRequest(kind)) {
        DecodeSetting(kind, std::span(Payload()).first(info.size));
    } else {
        MarkFailed(info.group);
        DecodeSetting(kind, info.Fallback());
    }
}

void TVeltrakVI::DecodeSetting(int kind, std::span<const uint8_t> payload) {
    TVeltrakStatus& s = Status();
    switch (kind) {
    case K::Slope:
        s.SteigungUsed = SteigungFromSlopeWord(Word(payload, 0));
        break;
    case K::WheelCircumference:
        s.Radumfang = Clamp16(Word(payload, 0));
        break;
    case K::Initials: {
        std::string initials(payload.begin(), std::find(payload.begin(), payload.end(), 0));
        initials.erase(initials.find_last_not_of(' ') + 1);
        s.SetInitialen(initials);
        break;
    }
    case K::ZeroOffset:
        s.NullstelleUsed = static_cast<int16_t>(Word(payload, 0));
        break;
    case K::StorageInterval: // milliseconds
        s.SetAbspeicherZeit(std::max(Word(payload, 0) / 10, 1));
        break;
    case K::PowerMeterBattery:
        s.BatInfo.battery = Word(payload, 0);
        s.BatInfo.battery2 = Word(payload, 2);
        break;
    case K::Odometer:
        s.SetJahresstrecke(static_cast<double>(Clamp32(Long(payload, 0))) * 1e8);
        s.GesamtEnergie = Clamp32(Long(payload, 4));
        s.GesamtBetrieb = Word(payload, 8);
        break;
    default:
        s.SettingsVI[kind].assign(payload.begin(), payload.end());
        break;
    }
}

std::vector<uint8_t> TVeltrakVI::EncodeSetting(int kind, const TVeltrakStatus& settings) const {
    std::vector<uint8_t> bytes;
    switch (kind) {
    case K::Slope:
        PutWord(bytes, SlopeWordFromSteigung(settings.SteigungUsed));
        break;
    case K::WheelCircumference:
        PutWord(bytes, static_cast<uint16_t>(std::max<int16_t>(settings.Radumfang, 0)));
        break;
    case K::Initials:
        bytes.assign(kInitialsSize, ' ');
        std::ranges::copy(settings.Initialen().substr(0, kInitialsSize), bytes.begin());
        break;
    case K::ZeroOffset:
        PutWord(bytes, static_cast<uint16_t>(settings.NullstelleUsed));
        break;
    case K::StorageInterval:
        PutWord(bytes, static_cast<uint32_t>(std::clamp(settings.AbspeicherZeit() * 10, 1, 65535)));
        break;
    case K::Odometer:
        PutLong(bytes, static_cast<uint32_t>(std::lround(settings.Jahresstrecke() / 1e8)));
        PutLong(bytes, static_cast<uint32_t>(std::max(settings.GesamtEnergie, 0)));
        PutWord(bytes, static_cast<uint32_t>(std::clamp(settings.GesamtBetrieb, 0, 65535)));
        break;
    default: {
        const TRequestKindInfo& info = RequestKind(kind);
        const auto stored = settings.SettingsVI.find(kind);
        const bool usable = stored != settings.SettingsVI.end() && stored->second.size() == info.size;
        const std::span<const uint8_t> value = usable ? std::span<const uint8_t>(stored->second) : info.Fallback();
        bytes.assign(value.begin(), value.end());
        break;
    }
    }
    return bytes;
}

void TVeltrakVI::WriteSettingsVI(const TVeltrakStatus& settings) {
    ClearFailedSettings();
    requests_.ClearFailures();
    for (const int kind : StatusReadKinds()) {
        if (IsWrittenSetting(kind) && KnowsKind(kind) && !SettingRequest(kind, EncodeSetting(kind, settings))) {
            MarkFailed(RequestKind(kind).group);
        }
    }
    ShowFailedSettings(kWriteErrorHeading);
}

void TVeltrakVI::ReadClockVI() {
    constexpr int kReads = 2;
    for (int read = 1;; ++read) {
        if (!SettingRequest(K::Clock)) {
            SetFallbackClock();
            return;
        }
        const std::vector<uint8_t>& p = Payload();
        if (SetClock({{Word(p, 2), p[1], p[0]}, p[4], p[5], p[6]})) {
            return;
        }
        if (read == kReads) {
            break;
        }
        Clock().Sleep(100); // a clock read while it ticks over can be garbled once
    }
    ReplaceIncorrectDate();
    WriteClockVI();
}

void TVeltrakVI::WriteClockVI() {
    const TClockReading c = ClockToWrite();
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(c.date.day), static_cast<uint8_t>(c.date.month)};
    PutWord(bytes, static_cast<uint32_t>(c.date.year));
    bytes.insert(bytes.end(),
                 {static_cast<uint8_t>(c.hour), static_cast<uint8_t>(c.minute), static_cast<uint8_t>(c.second)});
    RequiredRequest(K::Clock, bytes);
}

void TVeltrakVI::ReadLiveValuesVI() {
    RequiredRequest(K::LiveValues);
    const std::vector<uint8_t>& p = Payload();
    TVeltrakStatus& s = Status();
    // into the raw units: 1/8 W, 1/32 rpm, mm/s, 1/64 bpm, 0.1 degrees
    s.Leistung = Clamp16(int64_t{Word(p, 0)} * 8);
    s.Tretfrequenz = Clamp16(int64_t{p[2]} * 32);
    s.Geschwindigkeit = Clamp16(std::lround(Word(p, 3) * kSpeedFactor));
    s.Herzfrequenz = Clamp16(int64_t{p[5]} * 64);
    s.Temperatur = static_cast<int16_t>(Word(p, 8));
}

void TVeltrakVI::ReadBrakeValuesVI() {
    RequiredRequest(K::BrakeValues);
    const std::vector<uint8_t>& p = Payload();
    TVeltrakStatus& s = Status();
    s.BremseOffset = Clamp32(Long(p, 0));
    s.BremseGrenze = Clamp32(Long(p, 4));
    s.BremseSteigung = Clamp32(Long(p, 8));
    s.BremseTeiler = p[12];
    // a brake this program does not know is none it could drive
    s.BremseTyp = p[13] == kEddyCurrentBrake ? TVeltrakBremseTyp::BremseTypWirbelStrom
                                             : TVeltrakBremseTyp::BremseTypKeine;
}

void TVeltrakVI::WriteBrakeValuesVI() {
    const TVeltrakStatus& s = Status();
    std::vector<uint8_t> bytes;
    PutLong(bytes, BrakeWord(s.BremseOffset));
    PutLong(bytes, BrakeWord(s.BremseGrenze));
    PutLong(bytes, BrakeWord(s.BremseSteigung));
    bytes.push_back(s.BremseTeiler);
    RequiredRequest(K::BrakeValues, bytes);
}

} // namespace klt
