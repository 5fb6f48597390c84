#pragma once
// Identity, settings and live values of one head unit, whatever its generation. The protocol
// objects fill it; setup dialogs edit it; stored status files and `klt device status` list its
// published properties by name.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/ExtraHeader.h"
#include "core/Persistent.h"

namespace klt {

enum class TVeltrakHWVersion : uint8_t {
    HWNull,
    HWVersionVT2x032,
    HWVersionVT2x128,
    HWVersionVT3x032,
    HWVersionVT3x128,
    HWVersionVT4x128,
    HWVersionVT5x128,
    HWVersionVT6x128,
    HWVersionVT7x128,
    HWVersionEntwicklung
};
enum class TVeltrakPasswordLevel : uint8_t {
    PasswordLevelSchutz,
    PasswordLevelSportler,
    PasswordLevelTrainer,
    PasswordLevelIntern,
    PasswordLevelUnknown
};
enum class TVeltrakFormatDatumZeit : uint8_t {
    FormatDatumDDpMMpYY,
    FormatDatumDDsMMsYY,
    FormatDatumMMsDDsYY,
    FormatDatumYYdDDdMM
};
enum class TVeltrakGeschwindigkeitFormat : uint8_t {
    GeschwindigkeitFormat_kmh,
    GeschwindigkeitFormat_ms,
    GeschwindigkeitFormat_mph
};
enum class TVeltrakStreckeFormat : uint8_t { StreckeFormat_m, StreckeFormat_km, StreckeFormat_m_mi };
enum class TVeltrakTemperaturFormat : uint8_t { TemperaturFormat_GradC, TemperaturFormat_GradF };
enum class TVeltrakSysBetriebsart : uint8_t {
    SysBetriebsartNORMAL,
    SysBetriebsartDAUER,
    SysBetriebsartDOWN,
    SysBetriebsartKALTSTART,
    SysBetriebsartTESTIDLE,
    SysBetriebsartTESTAKTIV
};
enum class TVeltrakKeyboardStatus : uint8_t {
    KeyboardStatusNONE,
    KeyboardStatusPRO,
    KeyboardStatusMODE,
    KeyboardStatusMODE_PRO,
    KeyboardStatusSET,
    KeyboardStatusSET_PRO,
    KeyboardStatusSET_MODE,
    KeyboardStatusSET_MODE_PRO
};
enum class TVeltrakDisplayModus : uint8_t {
    DisplayModusNOW,
    DisplayModusSUM,
    DisplayModusAVR,
    DisplayModusMAX,
    DisplayModusCALI,
    DisplayModusINFO
};
enum class TVeltrakRTCError : uint8_t {
    RTCErrorLocked,
    RTCErrorNone,
    RTCErrorNoRTCInit,
    RTCErrorNoRTCSync,
    RTCErrorTooFast,
    RTCErrorTooSlow,
    RTCErrorTimeout
};
enum class TVeltrakBremseTyp : uint8_t { BremseTypKeine, BremseTypWirbelStrom };

// The hardware version a configured head-unit type (4, 5, 6, 7) stands for; HWNull for others.
TVeltrakHWVersion HWVersionOfType(int headUnitType);
// "IV", "V", "VI", "VII", ...
std::string HWVersionName(TVeltrakHWVersion version);

// Settings of generation V head units that have no published property of their own.
struct TVeltrakSettingsV {
    bool telemetry = false;
    uint8_t reedSwitch = 20;
    uint8_t cadenceThreshold = 28;
    uint8_t telemetryRepeatK = 1;
    uint8_t telemetryRepeatL = 1;
    uint8_t telemetryIdRepeat = 9;
    uint8_t valueFormat = 3;
    uint8_t horseMode = 0;
    uint8_t twoStateSetting = 0; // "h": 0 or 1
    uint8_t powerDownMode = '0'; // "0", "1", "2" or "4"
    uint16_t powerDownSeconds = 0;
    uint8_t displayMode = 0;
    uint8_t zoneMode = 1; // 1 power zones, 2 heart-rate zones
    std::array<uint16_t, 5> zoneLimits = {800, 1600, 2400, 3200, 4000};
    std::array<uint8_t, 8> serialAndProduction = {};
    std::array<uint8_t, 14> odometer = {};               // BCD as the head unit sends it
    std::array<std::array<uint8_t, 5>, 4> wireless = {}; // heart rate, speed, power meter, communication
};

// Settings of generation VI and 7 head units that have no published property: the payload of each
// request kind as read, written back as it is.
using TVeltrakSettingsVI = std::map<int, std::vector<uint8_t>>;

class TVeltrakStatus : public TPersistent {
public:
    static constexpr size_t kZoneSetCount = 6;
    static constexpr size_t kZoneSetSize = 36;
    static constexpr size_t kEncryptKeySize = 96;
    using TZoneSet = std::array<uint8_t, kZoneSetSize>;

    TVeltrakStatus();
    void VisitProperties(TPropertyVisitor& visitor) override;
    void Assign(const TPersistent& source) override;
    // Clears every field to its default.
    void Clear();

    uint16_t SWVersion() const { return swVersion_; }
    void SetSWVersion(uint16_t version) { swVersion_ = version; }
    TVeltrakHWVersion HWVersion() const { return hwVersion_; }
    void SetHWVersion(TVeltrakHWVersion version) { hwVersion_ = version; }
    // The firmware version as the user reads it ("3.14", "43.09", "1.23.4").
    std::string SWVersionText() const;
    // The hardware generation's name, with a suffix when a brake is fitted.
    std::string HWVersionText() const;

    int32_t Abschaltzeit() const { return abschaltzeit_ * 100; }
    void SetAbschaltzeit(int32_t value);
    bool HerzfrequenzAlleineFlag() const { return herzfrequenzAlleine_ != 0; }
    void SetHerzfrequenzAlleineFlag(bool on) { herzfrequenzAlleine_ = on ? 0x7FFF : 0; }
    std::string Initialen() const;
    void SetInitialen(const std::string& text);
    std::string InitialenPrefix() const;
    void SetInitialenPrefix(const std::string& text);
    int32_t AbspeicherZeit() const { return abspeicherZaehler_ * 100 / abspeicherNenner_; }
    void SetAbspeicherZeit(int32_t hundredths);
    uint8_t AbspeicherZeitZaehler() const { return abspeicherZaehler_; }
    uint8_t AbspeicherZeitNenner() const { return abspeicherNenner_; }
    void SetAbspeicherZeitBruch(uint8_t numerator, uint8_t denominator);
    int32_t AbspeicherZeitTemperatur() const { return abspeicherZeitTemperatur_ * 100; }
    void SetAbspeicherZeitTemperatur(int32_t hundredths);
    double Jahresstrecke() const { return static_cast<double>(jahresstrecke_) * 1e8; }
    void SetJahresstrecke(double value);
    int32_t PowerMeasureCharge() const { return powerMeasureCharge_; }
    void SetPowerMeasureCharge(int32_t charge);
    bool PowerMeasureChargeChanged() const { return chargeChanged_; }
    std::string FunkEncryptKey() const;
    void SetFunkEncryptKey(const std::string& key);
    bool FunkEncryptKeyPresent() const { return encryptKeyPresent_; }

    // Valid zone sets by firmware: none below 300, five up to 309, six from 310.
    size_t ZoneSetCount() const;
    // ERangeError naming the class beyond the valid sets.
    TZoneSet& ZoneSet(size_t index);

    // Nm from crank frequency, zero offset and slope; 0 while the frequency is at or below the offset.
    double Torque() const;
    // Seconds x 1000 / current: until empty while discharging, until full while charging; 0 without current.
    int64_t RemainingBatteryTime() const;
    // 0..100.
    int32_t ChargePercentage() const;

    // The head unit's clock: day number since 1880 and hundredths of the day.
    uint16_t ClockDay = 0xFFFF;
    int32_t ClockTime = 0;

    TVeltrakPasswordLevel PasswordLevel = TVeltrakPasswordLevel::PasswordLevelUnknown;
    uint8_t SerMultiProzID = 0;
    TVeltrakFormatDatumZeit DatumZeitFormat = TVeltrakFormatDatumZeit::FormatDatumDDpMMpYY;
    TVeltrakGeschwindigkeitFormat GeschwindigkeitFormat =
        TVeltrakGeschwindigkeitFormat::GeschwindigkeitFormat_kmh;
    TVeltrakStreckeFormat StreckeFormat = TVeltrakStreckeFormat::StreckeFormat_m;
    TVeltrakTemperaturFormat TemperaturFormat = TVeltrakTemperaturFormat::TemperaturFormat_GradC;
    int16_t HSLimitIncrX = 20;
    int16_t Radumfang = 0;
    int16_t SteigungUsed = 0;
    int16_t NullstelleUsed = 0;
    int16_t Frequenz = 0;
    int16_t Geschwindigkeit = 0;
    int16_t Leistung = 0;
    int16_t Tretfrequenz = 0;
    int16_t Herzfrequenz = 0;
    int16_t Temperatur = 0;
    uint16_t HeapSize = 0;
    uint16_t HeapCount = 0;
    uint16_t HeapCountUpper = 0;
    int32_t GesamtBetrieb = 0;
    int32_t GesamtEnergie = 0;
    TVeltrakSysBetriebsart SysBetriebsart = TVeltrakSysBetriebsart::SysBetriebsartNORMAL;
    TVeltrakKeyboardStatus KeyboardStatus = TVeltrakKeyboardStatus::KeyboardStatusNONE;
    TVeltrakDisplayModus DisplayModus = TVeltrakDisplayModus::DisplayModusNOW;
    TVeltrakRTCError RTCError = TVeltrakRTCError::RTCErrorLocked;
    bool LcdPresentFlag = false;
    int32_t Prozessortakt = 0;
    TVeltrakBremseTyp BremseTyp = TVeltrakBremseTyp::BremseTypKeine;
    int32_t BremseOffset = 0;
    int32_t BremseGrenze = 0;
    int32_t BremseSteigung = 0;
    uint8_t BremseTeiler = 0;
    bool BremseTimeout = false;
    int32_t BremseCounter = 0;
    int32_t BremseTimer = 0;
    int32_t BremseDauer = 0;
    int32_t BremseStellwert = 0;
    int32_t DisplayAnzeigePOW = 0;
    int32_t DisplayAnzeigeCAD = 0;
    int32_t DisplayAnzeigeHRT = 0;
    int32_t DisplayAnzeigeSPD = 0;
    int32_t DisplayGlaettungPOW = 0;
    int32_t DisplayGlaettungCAD = 0;
    int32_t DisplayGlaettungHRT = 0;
    int32_t DisplayGlaettungSPD = 0;
    int32_t IntervalTimerMin = 0;
    uint8_t DispDelayIntervalStart = 0;
    uint8_t DispDelayIntervalStop = 0;
    uint8_t DispDelayKeypress = 0;
    int16_t PowerMeasureIDown = 0;
    int16_t PowerMeasureIIdle = 0;
    int16_t PowerMeasureIAktiv = 0;
    int16_t PowerMeasureILoad = 0;
    int32_t PowerMeasureChargeMax = 0;
    int16_t PowerMeasureINow = 0;
    uint8_t FunkID = 0;
    uint8_t FunkTimeSlotDauer = 0;
    uint8_t FunkTimeSlotOffset = 0;
    uint8_t FunkEinschaltverzoegerung = 0;
    uint16_t FunkBaudrate = 0;
    uint8_t FunkWiederholungAktuelle = 0;
    uint8_t FunkWiederholungVorherige = 0;
    uint8_t FunkWiederholungVorvorherige = 0;

    TPMBatInfo BatInfo;
    TVeltrakSettingsV SettingsV;
    TVeltrakSettingsVI SettingsVI;

private:
    static constexpr size_t kPrefixSize = 3;
    static constexpr size_t kRestSize = 17;
    static constexpr uint8_t kInitialsFiller = 0xFE;

    uint16_t swVersion_ = 0;
    TVeltrakHWVersion hwVersion_ = TVeltrakHWVersion::HWNull;
    uint8_t abschaltzeit_ = 20;
    int16_t herzfrequenzAlleine_ = 0;
    std::array<uint8_t, kPrefixSize> initialenPrefix_{};
    std::array<uint8_t, kRestSize> initialenRest_{};
    uint8_t abspeicherZaehler_ = 10;
    uint8_t abspeicherNenner_ = 1;
    int16_t abspeicherZeitTemperatur_ = 900;
    int32_t jahresstrecke_ = 0;
    int32_t powerMeasureCharge_ = 0;
    bool chargeChanged_ = false;
    std::array<uint8_t, kEncryptKeySize> encryptKey_{};
    size_t encryptKeyLength_ = 0;
    bool encryptKeyPresent_ = false;
    std::array<TZoneSet, kZoneSetCount> zoneSets_{};
};

} // namespace klt
