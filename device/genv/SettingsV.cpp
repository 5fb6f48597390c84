// Writing the settings of a generation V head unit and starting a new recording.
#include <algorithm>
#include <cmath>

#include "core/Exceptions.h"
#include "core/Prompt.h"
#include "core/Texts.h"
#include "device/genv/VeltrakV.h"

namespace klt {
namespace {

constexpr uint16_t kDefaultSlope = 250; // 25 Hz/Nm in tenths

// The storage interval as the head unit counts it: whole seconds, or tenths with bit 7 set.
uint8_t IntervalByte(int32_t hundredths) {
    if (hundredths >= 100) {
        return static_cast<uint8_t>(std::clamp((hundredths + 50) / 100, 1, 32));
    }
    return static_cast<uint8_t>(0x80 | std::clamp((hundredths + 5) / 10, 1, 9));
}

bool ValidInterval(int32_t hundredths) {
    return hundredths >= 100 ? hundredths <= 3200 : hundredths >= 10 && hundredths % 10 == 0;
}

// The eight initials bytes: six characters and two blanks.
std::array<uint8_t, 8> InitialsBytes(const std::string& initials) {
    std::array<uint8_t, 8> bytes;
    bytes.fill(' ');
    std::copy_n(initials.begin(), std::min<size_t>(initials.size(), 6), bytes.begin());
    return bytes;
}

std::array<uint8_t, 2> WordBytes(uint16_t value) {
    return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

// Resets a value that the head unit would not take and says so.
template <class T> void ResetOutOfRange(IPrompt& prompt, T& value, bool valid, T fallback, int message) {
    if (!valid) {
        prompt.ShowMessage("Warning", LoadText(message));
        value = fallback;
    }
}

} // namespace

void TVeltrakV::WriteSetting(char command, std::span<const uint8_t> data, size_t replyLength,
                             TSettingGroup group) {
    if (!SendTelegramV(command, data, replyLength)) {
        MarkFailed(group);
    }
}

void TVeltrakV::WriteSettingsV(const TVeltrakStatus& settings) {
    ClearFailedSettings();
    TVeltrakSettingsV v = settings.SettingsV;
    uint16_t slope = SlopeWordFromSteigung(settings.SteigungUsed);
    ResetOutOfRange<uint16_t>(UserPrompt(), slope, slope >= 50 && slope <= 1000, kDefaultSlope, 65157);
    int32_t interval = settings.AbspeicherZeit();
    ResetOutOfRange<int32_t>(UserPrompt(), interval, ValidInterval(interval), 100, 65158);
    ResetOutOfRange<uint8_t>(UserPrompt(), v.cadenceThreshold, v.cadenceThreshold >= 1 && v.cadenceThreshold <= 50, 13,
                             65159);
    ResetOutOfRange<uint8_t>(UserPrompt(), v.telemetryIdRepeat, v.telemetryIdRepeat >= 1 && v.telemetryIdRepeat <= 15, 9,
                             65160);
    ResetOutOfRange<uint8_t>(UserPrompt(), v.valueFormat, v.valueFormat <= 3, 0, 65161);
    ResetOutOfRange<uint8_t>(UserPrompt(), v.horseMode, v.horseMode <= 1, 0, 65162);
    ResetOutOfRange<uint8_t>(UserPrompt(), v.displayMode, v.displayMode <= 15, 0, 65163);

    WriteSetting('E', WordBytes(slope), 2, TSettingGroup::Slope);
    WriteSetting('G', WordBytes(static_cast<uint16_t>(settings.Radumfang)), 2,
                 TSettingGroup::WheelCircumference);
    WriteSetting('N', InitialsBytes(settings.Initialen()), 0, TSettingGroup::Initials);
    WriteSetting('R', std::array<uint8_t, 1>{IntervalByte(interval)}, 1, TSettingGroup::StorageInterval);
    std::array<uint8_t, 11> zones{v.zoneMode};
    for (size_t i = 0; i < v.zoneLimits.size(); ++i) {
        const auto limit = WordBytes(v.zoneLimits[i]);
        std::copy(limit.begin(), limit.end(), zones.begin() + 1 + 2 * static_cast<std::ptrdiff_t>(i));
    }
    WriteSetting('H', zones, 0, TSettingGroup::Trainingzones);
    WriteSetting('S', std::array<uint8_t, 2>{v.reedSwitch, v.cadenceThreshold}, 2, TSettingGroup::ReedSwitch);
    WriteSetting('K', std::array<uint8_t, 1>{std::min<uint8_t>(v.telemetryRepeatK, 10)}, 1,
                 TSettingGroup::TelemetrieTelRepeat);
    WriteSetting('L', std::array<uint8_t, 1>{std::min<uint8_t>(v.telemetryRepeatL, 10)}, 1,
                 TSettingGroup::TelemetrieZyklusTime);
    const uint16_t firmware = Status().SWVersion();
    // The value format ("W" reads it) is written with "V", the display mode ("b" reads it) with "p".
    if (firmware > 0x147E) {
        WriteSetting('U', std::array<uint8_t, 1>{v.horseMode}, 1, TSettingGroup::HorseMode);
        WriteSetting('V', std::array<uint8_t, 1>{v.valueFormat}, 0, TSettingGroup::ValueFormat);
    }
    if (firmware > 0x2615) {
        WriteSetting('p', std::array<uint8_t, 1>{v.displayMode}, 0, TSettingGroup::DisplayMode);
    }
    if (firmware > 0x6412) {
        WriteSetting('h', std::array<uint8_t, 1>{static_cast<uint8_t>(v.twoStateSetting != 0 ? '1' : '0')}, 1,
                     TSettingGroup::HeartrateFilterMode);
    }
    ShowFailedSettings(kWriteErrorHeading);
}

void TVeltrakV::StartRecordingV() {
    TVeltrakStatus& s = Status();
    if (!SendTelegramV('B', {}, 0)) {
        throw Exception("The software was not able to clear the memory\r\nPlease try again");
    }
    if (!SendTelegramV('T', {}, 0)) {
        throw Exception(NotAcknowledgedText('T'));
    }
    if (!SendTelegramV('R', {IntervalByte(s.AbspeicherZeit())}, 1)) {
        throw Exception(NotAcknowledgedText('R'));
    }
    if (!SendTelegramV('N', InitialsBytes(s.Initialen()), 0)) {
        throw Exception(NotAcknowledgedText('N'));
    }
    const TVeltrakSettingsV& v = s.SettingsV;
    if (v.powerDownMode != '0') {
        const auto seconds = WordBytes(v.powerDownSeconds);
        if (!SendTelegramV('v', {v.powerDownMode, seconds[0], seconds[1]}, 3)) {
            throw Exception(NotAcknowledgedText('v'));
        }
        powerDownSuspended_ = false;
    }
}

} // namespace klt
