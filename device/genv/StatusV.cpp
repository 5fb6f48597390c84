// Reading a generation V head unit: identity, clock and settings, with defaults for what fails.
#include <algorithm>
#include <cmath>

#include "core/Exceptions.h"
#include "core/KLTDate.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "device/VeltrakClock.h"
#include "device/genv/VeltrakV.h"

namespace klt {
namespace {

// A 1- to 3-byte setting is read by sending 0xFF bytes: no value a head unit would take.
constexpr uint8_t kQuery = 0xFF;
constexpr double kSlopeFactor = 30.558;
// Settings memory: page 2 holds the year of the year's distance, page 3 that distance in km.
constexpr uint8_t kOdometerYearAddress = 0x34;
constexpr uint8_t kOdometerDistanceAddress = 0x4E;

uint16_t Word(const std::vector<uint8_t>& reply, size_t at) {
    return static_cast<uint16_t>(reply[at] << 8 | reply[at + 1]);
}

bool IsBcd(uint8_t byte) {
    return (byte >> 4) <= 9 && (byte & 0x0F) <= 9;
}
int FromBcd(uint8_t byte) {
    return (byte >> 4) * 10 + (byte & 0x0F);
}

} // namespace

void TVeltrakV::SetModeByte(uint8_t mode) {
    ByGeneration([] {}, [&] { TVeltrakInternal::SetModeByte(mode); });
}
void TVeltrakV::Disconnect() {
    ByGeneration([] {}, [&] { TVeltrakInternal::Disconnect(); });
}
void TVeltrakV::ReadLiveValues() {
    ByGeneration([] {}, [&] { TVeltrakInternal::ReadLiveValues(); });
}
void TVeltrakV::ReadBrakeState() {
    ByGeneration([] {}, [&] { TVeltrakInternal::ReadBrakeState(); });
}
void TVeltrakV::ReadBrakeCalibration() {
    ByGeneration([] {}, [&] { TVeltrakInternal::ReadBrakeCalibration(); });
}
void TVeltrakV::WriteBrakeCalibration() {
    ByGeneration([] {}, [&] { TVeltrakInternal::WriteBrakeCalibration(); });
}
void TVeltrakV::ReadClock() {
    ByGeneration([&] { ReadClockV(); }, [&] { TVeltrakInternal::ReadClock(); });
}
void TVeltrakV::WriteClock() {
    ByGeneration([&] { WriteClockV(); }, [&] { TVeltrakInternal::WriteClock(); });
}
void TVeltrakV::ReadStatus() {
    ByGeneration([&] { ReadSettingsV(); }, [&] { TVeltrakInternal::ReadStatus(); });
}
void TVeltrakV::WriteSettings(const TVeltrakStatus& settings) {
    ByGeneration([&] { WriteSettingsV(settings); }, [&] { TVeltrakInternal::WriteSettings(settings); });
}
void TVeltrakV::WriteZones() {
    ByGeneration([&] { WriteSettingsV(Status()); }, [&] { TVeltrakInternal::WriteZones(); });
}
void TVeltrakV::StartRecording() {
    ByGeneration([&] { StartRecordingV(); }, [&] { TVeltrakInternal::StartRecording(); });
}

bool TVeltrakV::ReadSetting(char command, std::initializer_list<uint8_t> request, size_t replyLength,
                            TSettingGroup group) {
    if (SendTelegramV(command, request, replyLength)) {
        return true;
    }
    MarkFailed(group);
    return false;
}

int16_t SteigungFromSlopeWord(uint16_t word) {
    return static_cast<int16_t>(std::min(std::lround(word * kSlopeFactor), 32767L));
}

uint16_t SlopeWordFromSteigung(int16_t steigung) {
    return static_cast<uint16_t>(std::clamp(std::lround(steigung / kSlopeFactor), 0L, 65535L));
}

bool TVeltrakV::WarnNewerFirmware() {
    return UserPrompt().Ask("Warning", LoadText(65156), TPromptButtons::OkCancel) == TPromptAnswer::Ok;
}

Exception TVeltrakV::NewerFirmwareError() {
    return Exception(
        FormatText("Veltrak firmware %s is newer than this program knows", {Status().SWVersionText()}));
}

void TVeltrakV::ShowFailedSettings(std::string_view heading) {
    if (failed_ != 0) {
        UserPrompt().ShowMessage("Warning", std::string(heading) + SettingGroupNames(failed_));
    }
}

void TVeltrakV::ReadSettingsV() {
    ClearFailedSettings();
    TVeltrakStatus& s = Status();
    if (s.SWVersion() == 0) {
        FindHeadUnitV();
    }
    ClearFailures();
    s.SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
    TVeltrakSettingsV& v = s.SettingsV;
    if (SendTelegramV('x', {'Z', 'Z', 'Z'}, 3)) {
        s.SetSWVersion(Word(reply_, 0));
        v.telemetry = (reply_[2] & 0x80) != 0;
        if ((reply_[2] & 0x20) != 0) {
            SendTelegramV('X', {'0'}, 0);
        }
    } else if (SendTelegramV('P', {}, 2)) {
        s.SetSWVersion(Word(reply_, 0));
    } else {
        s.SetSWVersion(0);
        MarkFailed(TSettingGroup::SoftwareVersion);
    }
    const uint16_t firmware = s.SWVersion();
    if (firmware >= kFirstUnknownFirmware) {
        WarnNewerFirmware(); // the head unit is not served whatever the answer
        throw NewerFirmwareError();
    }
    ReadClock();
    CorrectOdometerYear();

    if (firmware > 0x6412) {
        v.twoStateSetting = 0;
        if (ReadSetting('h', {kQuery}, 1, TSettingGroup::HeartrateFilterMode)) {
            v.twoStateSetting = reply_[0] == '1' ? 1 : 0;
        }
    }
    if (firmware > 0x3330) {
        v.powerDownMode = '0';
        v.powerDownSeconds = 0;
        if (ReadSetting('v', {kQuery, kQuery, kQuery}, 3, TSettingGroup::PowerDownMode)) {
            v.powerDownMode = reply_[0];
            v.powerDownSeconds = Word(reply_, 1);
        }
    }
    s.SteigungUsed = 7640;
    if (ReadSetting('E', {kQuery, kQuery}, 2, TSettingGroup::Slope)) {
        s.SteigungUsed = SteigungFromSlopeWord(Word(reply_, 0));
    }
    s.Radumfang = 2095;
    if (ReadSetting('G', {kQuery, kQuery}, 2, TSettingGroup::WheelCircumference)) {
        s.Radumfang = static_cast<int16_t>(std::min<uint16_t>(Word(reply_, 0), 32767));
    }
    s.SetInitialen("");
    if (ReadSetting('N', {0}, 8, TSettingGroup::Initials)) {
        std::string initials(reply_.begin(), reply_.end());
        initials.erase(initials.find_last_not_of(' ') + 1);
        s.SetInitialen(initials);
    }
    s.NullstelleUsed = 0;
    if (ReadSetting('F', {kQuery, kQuery}, 2, TSettingGroup::ZeroOffset)) {
        s.NullstelleUsed = static_cast<int16_t>(Word(reply_, 0));
    }
    s.SetAbspeicherZeit(100);
    if (ReadSetting('R', {kQuery}, 1, TSettingGroup::StorageInterval)) {
        const uint8_t interval = reply_[0];
        if ((interval & 0x80) != 0) {
            const int tenths = interval & 0x7F;
            s.SetAbspeicherZeit(tenths >= 1 && tenths <= 9 ? tenths * 10 : 100);
        } else {
            s.SetAbspeicherZeit(interval >= 1 && interval <= 32 ? interval * 100 : 100);
        }
    }
    v.zoneMode = 1;
    v.zoneLimits = {800, 1600, 2400, 3200, 4000};
    if (ReadSetting('H', {0}, 11, TSettingGroup::Trainingzones)) {
        v.zoneMode = reply_[0];
        for (size_t i = 0; i < v.zoneLimits.size(); ++i) {
            v.zoneLimits[i] = Word(reply_, 1 + 2 * i);
        }
    }
    v.odometer = {};
    if (ReadSetting('O', {}, 14, TSettingGroup::OdoValues)) {
        std::copy_n(reply_.begin(), v.odometer.size(), v.odometer.begin());
    }
    v.reedSwitch = 20;
    v.cadenceThreshold = 28;
    if (ReadSetting('S', {kQuery, kQuery}, 2, TSettingGroup::ReedSwitch)) {
        v.reedSwitch = reply_[0];
        v.cadenceThreshold = reply_[1];
    }
    if (firmware > 0x2B23) {
        v.serialAndProduction = {};
        if (ReadSetting('c', {0}, 8, TSettingGroup::SerialNumber)) {
            std::copy_n(reply_.begin(), v.serialAndProduction.size(), v.serialAndProduction.begin());
        }
    }
    auto repetitions = [&](char command, uint8_t& field, TSettingGroup group) {
        field = 1;
        if (ReadSetting(command, {kQuery}, 1, group) && reply_[0] <= 10) {
            field = reply_[0];
        }
    };
    repetitions('K', v.telemetryRepeatK, TSettingGroup::TelemetrieTelRepeat);
    repetitions('L', v.telemetryRepeatL, TSettingGroup::TelemetrieZyklusTime);
    if (firmware > 0x147E) {
        auto byteSetting = [&](char command, uint8_t& field, uint8_t fallback, TSettingGroup group) {
            field = fallback;
            if (ReadSetting(command, {kQuery}, 1, group)) {
                field = reply_[0];
            }
        };
        byteSetting('a', v.telemetryIdRepeat, 9, TSettingGroup::TelemetrieIdRepeat);
        byteSetting('W', v.valueFormat, 3, TSettingGroup::ValueFormat);
        byteSetting('U', v.horseMode, 0, TSettingGroup::HorseMode);
    }
    if (firmware > 0x7601) {
        for (uint8_t n = 1; n <= 4; ++n) {
            auto& wireless = v.wireless[n - 1u];
            wireless = {};
            if (ReadSetting(
                    'n', {0, n}, 5,
                    static_cast<TSettingGroup>(static_cast<int>(TSettingGroup::WirelessHeartrate) + n - 1))) {
                std::copy_n(reply_.begin(), wireless.size(), wireless.begin());
            }
        }
    }
    if (firmware > 0x2615) {
        v.displayMode = 0;
        if (ReadSetting('b', {kQuery}, 2, TSettingGroup::DisplayMode)) {
            v.displayMode = reply_[0];
        }
    }
    ShowFailedSettings(kReadErrorHeading);
}

// The settings memory keeps the year its year's distance belongs to (page 2) and that distance
// (page 3, docs/genv-settings-memory.md). The head unit counts on into a new year until told: once
// its clock is in a later year, the year's distance starts again from 0.
void TVeltrakV::CorrectOdometerYear() {
    const TVeltrakStatus& s = Status();
    if (s.ClockDay == kNoDate || s.ClockDay == DaysSince1880(kClockFallbackDate)) {
        return; // the clock is not known
    }
    if (!SendTelegramV('Z', {2, kOdometerYearAddress}, 1) || !IsBcd(reply_[0])) {
        return;
    }
    const int years = FromBcd(reply_[0]);
    if (!SendTelegramV('Z', {2, kOdometerYearAddress + 1}, 1) || !IsBcd(reply_[0])) {
        return;
    }
    const int stored = FromBcd(reply_[0]) * 100 + years;
    const int year = CivilFromDaysSince1880(s.ClockDay).year;
    if (year <= stored) {
        return;
    }
    const auto toBcd = [](int value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); };
    if (!SendTelegramV('Y', {3, kOdometerDistanceAddress, 0}, 0) ||
        !SendTelegramV('Y', {3, kOdometerDistanceAddress + 1, 0}, 0) ||
        !SendTelegramV('Y', {2, kOdometerYearAddress, toBcd(year % 100)}, 0) ||
        !SendTelegramV('Y', {2, kOdometerYearAddress + 1, toBcd(year / 100)}, 0)) {
        MarkFailed(TSettingGroup::OdoValues);
    }
}

bool TVeltrakV::SetClock(const TClockReading& reading) {
    if (!IsValidCivilDate(reading.date) || reading.hour < 0 || reading.hour > 23 || reading.minute < 0 ||
        reading.minute > 59 || reading.second < 0 || reading.second > 59) {
        return false;
    }
    // the head unit counts from 1970; the status holds day numbers below 0xFFFF
    const int32_t day = DaysSince1880(reading.date);
    if (day < kVeltrakClockFirstDay || day >= kNoDate) {
        return false;
    }
    Status().ClockDay = static_cast<uint16_t>(day);
    Status().ClockTime = ((reading.hour * 60 + reading.minute) * 60 + reading.second) * 100;
    return true;
}

void TVeltrakV::SetFallbackClock() {
    SetClock({kClockFallbackDate});
}

void TVeltrakV::ReplaceIncorrectDate() {
    UserPrompt().ShowMessage("Warning", std::string(kIncorrectDateText));
    SetFallbackClock();
}

TClockReading TVeltrakV::ClockToWrite() {
    const TVeltrakStatus& s = Status();
    const int seconds = std::clamp(s.ClockTime, 0, 8639999) / 100;
    return {CivilFromDaysSince1880(s.ClockDay == kNoDate ? DaysSince1880(kClockFallbackDate) : s.ClockDay),
            seconds / 3600, seconds / 60 % 60, seconds % 60};
}

void TVeltrakV::ReadClockV() {
    if (!SendTelegramV('M', {0}, 6)) {
        SetFallbackClock();
        return;
    }
    const auto& r = reply_;
    const uint8_t hour = static_cast<uint8_t>(r[3] & 0x3F);
    const bool digits = std::all_of(r.begin(), r.end(), IsBcd) && IsBcd(hour);
    if (!digits || !SetClock({{2000 + FromBcd(r[2]), FromBcd(r[1]), FromBcd(r[0])},
                              FromBcd(hour),
                              FromBcd(r[4]),
                              FromBcd(r[5])})) {
        ReplaceIncorrectDate();
        WriteClockV();
    }
}

void TVeltrakV::WriteClockV() {
    const auto toBcd = [](int value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); };
    const TClockReading c = ClockToWrite();
    const std::array<uint8_t, 6> clock{toBcd(c.date.day), toBcd(c.date.month),
                                       toBcd(std::clamp(c.date.year - 2000, 0, 99)),
                                       toBcd(c.hour),     toBcd(c.minute),
                                       toBcd(c.second)};
    if (!SendTelegramV('M', clock, 0)) {
        throw Exception(NotAcknowledgedText('M'));
    }
}

} // namespace klt
