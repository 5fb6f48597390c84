#include "device/VeltrakStatus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "core/Exceptions.h"

namespace klt {
namespace {

constexpr std::string_view kHWVersionNames[] = {
    "HWNull",           "HWVersionVT2x032", "HWVersionVT2x128", "HWVersionVT3x032", "HWVersionVT3x128",
    "HWVersionVT4x128", "HWVersionVT5x128", "HWVersionVT6x128", "HWVersionVT7x128", "HWVersionEntwicklung"};
constexpr std::string_view kHWVersionShortNames[] = {"B",  "IIA", "IIP", "IIIA", "IIIP",
                                                     "IV", "V",   "VI",  "VII",  "Test"};
constexpr std::string_view kPasswordLevelNames[] = {"PasswordLevelSchutz", "PasswordLevelSportler",
                                                    "PasswordLevelTrainer", "PasswordLevelIntern",
                                                    "PasswordLevelUnknown"};
constexpr std::string_view kDatumZeitNames[] = {"FormatDatumDDpMMpYY", "FormatDatumDDsMMsYY",
                                                "FormatDatumMMsDDsYY", "FormatDatumYYdDDdMM"};
constexpr std::string_view kGeschwindigkeitNames[] = {"GeschwindigkeitFormat_kmh", "GeschwindigkeitFormat_ms",
                                                      "GeschwindigkeitFormat_mph"};
constexpr std::string_view kStreckeNames[] = {"StreckeFormat_m", "StreckeFormat_km", "StreckeFormat_m_mi"};
constexpr std::string_view kTemperaturNames[] = {"TemperaturFormat_GradC", "TemperaturFormat_GradF"};
constexpr std::string_view kBetriebsartNames[] = {"SysBetriebsartNORMAL",   "SysBetriebsartDAUER",
                                                  "SysBetriebsartDOWN",     "SysBetriebsartKALTSTART",
                                                  "SysBetriebsartTESTIDLE", "SysBetriebsartTESTAKTIV"};
constexpr std::string_view kKeyboardNames[] = {
    "KeyboardStatusNONE", "KeyboardStatusPRO",     "KeyboardStatusMODE",     "KeyboardStatusMODE_PRO",
    "KeyboardStatusSET",  "KeyboardStatusSET_PRO", "KeyboardStatusSET_MODE", "KeyboardStatusSET_MODE_PRO"};
constexpr std::string_view kDisplayModusNames[] = {"DisplayModusNOW", "DisplayModusSUM",  "DisplayModusAVR",
                                                   "DisplayModusMAX", "DisplayModusCALI", "DisplayModusINFO"};
constexpr std::string_view kRTCErrorNames[] = {"RTCErrorLocked",    "RTCErrorNone",    "RTCErrorNoRTCInit",
                                               "RTCErrorNoRTCSync", "RTCErrorTooFast", "RTCErrorTooSlow",
                                               "RTCErrorTimeout"};
constexpr std::string_view kBremseTypNames[] = {"BremseTypKeine", "BremseTypWirbelStrom"};

constexpr int32_t kTemperatureIntervals[] = {6000, 30000, 60000, 180000, 360000};

// Read-only properties are listed for readers of the status; writing them through the list has no effect.
void ReadOnly(TPropertyVisitor& visitor, std::string_view name, int64_t value, int64_t minimum,
              int64_t maximum) {
    visitor.Integer(name, value, minimum, maximum, [](int64_t) {});
}

template <class Enum>
void ReadOnlyEnum(TPropertyVisitor& visitor, std::string_view name, Enum value, TValueNames names) {
    visitor.Enumeration(name, static_cast<int>(value), names, [](int) {});
}

std::string FieldText(const uint8_t* bytes, size_t size, uint8_t filler) {
    std::string text;
    for (size_t i = 0; i < size && bytes[i] != filler && bytes[i] != 0; ++i) {
        text += static_cast<char>(bytes[i]);
    }
    return text;
}

template <size_t N> void FillField(std::array<uint8_t, N>& field, std::string_view text, uint8_t filler) {
    field.fill(filler);
    std::copy_n(text.begin(), std::min(text.size(), N), field.begin());
}

// Hexadecimal or decimal digits with a point before the last two, at least one digit before it.
std::string PointBeforeLastTwo(std::string digits) {
    while (digits.size() < 3) {
        digits.insert(digits.begin(), '0');
    }
    digits.insert(digits.size() - 2, ".");
    return digits;
}

} // namespace

TVeltrakHWVersion HWVersionOfType(int headUnitType) {
    if (headUnitType < 4 || headUnitType > 7) {
        return TVeltrakHWVersion::HWNull;
    }
    return static_cast<TVeltrakHWVersion>(headUnitType + 1);
}

std::string HWVersionName(TVeltrakHWVersion version) {
    const auto index = static_cast<size_t>(version);
    return index < std::size(kHWVersionShortNames) ? std::string(kHWVersionShortNames[index]) : std::string();
}

TVeltrakStatus::TVeltrakStatus() {
    initialenPrefix_.fill(kInitialsFiller);
    initialenRest_.fill(kInitialsFiller);
}

void TVeltrakStatus::Clear() {
    *this = TVeltrakStatus();
}

void TVeltrakStatus::Assign(const TPersistent& source) {
    if (const auto* status = dynamic_cast<const TVeltrakStatus*>(&source)) {
        *this = *status;
        return;
    }
    TPersistent::Assign(source);
}

std::string TVeltrakStatus::SWVersionText() const {
    char digits[16];
    switch (hwVersion_) {
    case TVeltrakHWVersion::HWVersionVT6x128: {
        std::snprintf(digits, sizeof digits, "%04X", swVersion_);
        std::string text = digits;
        text.insert(3, ".");
        text.insert(1, ".");
        return text;
    }
    case TVeltrakHWVersion::HWVersionVT5x128:
        std::snprintf(digits, sizeof digits, "%02X", swVersion_);
        return PointBeforeLastTwo(digits);
    default:
        return PointBeforeLastTwo(std::to_string(swVersion_));
    }
}

std::string TVeltrakStatus::HWVersionText() const {
    std::string text = HWVersionName(hwVersion_);
    if (BremseTyp != TVeltrakBremseTyp::BremseTypKeine) {
        text += " (eddy-current brake)";
    }
    return text;
}

void TVeltrakStatus::SetAbschaltzeit(int32_t value) {
    abschaltzeit_ = static_cast<uint8_t>(std::clamp(value / 100, 10, 255));
}

std::string TVeltrakStatus::Initialen() const {
    return InitialenPrefix() + FieldText(initialenRest_.data(), kRestSize, kInitialsFiller);
}

void TVeltrakStatus::SetInitialen(const std::string& text) {
    const std::string_view view(text);
    FillField(initialenPrefix_, view.substr(0, std::min(view.size(), kPrefixSize)), kInitialsFiller);
    FillField(initialenRest_, view.size() > kPrefixSize ? view.substr(kPrefixSize) : std::string_view(),
              kInitialsFiller);
}

std::string TVeltrakStatus::InitialenPrefix() const {
    return FieldText(initialenPrefix_.data(), kPrefixSize, kInitialsFiller);
}

void TVeltrakStatus::SetInitialenPrefix(const std::string& text) {
    FillField(initialenPrefix_, text, kInitialsFiller);
}

void TVeltrakStatus::SetAbspeicherZeit(int32_t hundredths) {
    if (hundredths >= 100) {
        SetAbspeicherZeitBruch(static_cast<uint8_t>(std::min(hundredths / 100, 255)), 1);
    } else if (hundredths <= 50) {
        SetAbspeicherZeitBruch(1, static_cast<uint8_t>(std::min(100 / std::max(hundredths, 1), 100)));
    } else {
        SetAbspeicherZeitBruch(static_cast<uint8_t>(hundredths), 100);
    }
}

void TVeltrakStatus::SetAbspeicherZeitBruch(uint8_t numerator, uint8_t denominator) {
    abspeicherZaehler_ = numerator;
    abspeicherNenner_ =
        denominator == 0 ? 1 : denominator; // a zero denominator from a head unit is no interval
}

void TVeltrakStatus::SetAbspeicherZeitTemperatur(int32_t hundredths) {
    int32_t snapped = kTemperatureIntervals[0];
    for (int32_t interval : kTemperatureIntervals) {
        if (interval <= hundredths) {
            snapped = interval;
        }
    }
    abspeicherZeitTemperatur_ = static_cast<int16_t>(std::clamp(snapped / 100, 0, 32767));
}

void TVeltrakStatus::SetJahresstrecke(double value) {
    const double held = std::isfinite(value) ? std::round(value / 1e8) : 0.0;
    jahresstrecke_ = static_cast<int32_t>(std::clamp(held, 0.0, 2147483647.0));
}

void TVeltrakStatus::SetPowerMeasureCharge(int32_t charge) {
    powerMeasureCharge_ = charge;
    chargeChanged_ = true;
}

std::string TVeltrakStatus::FunkEncryptKey() const {
    return std::string(encryptKey_.begin(),
                       encryptKey_.begin() + static_cast<std::ptrdiff_t>(encryptKeyLength_));
}

void TVeltrakStatus::SetFunkEncryptKey(const std::string& key) {
    encryptKey_.fill(0);
    encryptKeyLength_ = std::min(key.size(), kEncryptKeySize);
    std::copy_n(key.begin(), encryptKeyLength_, encryptKey_.begin());
    encryptKeyPresent_ = true;
}

size_t TVeltrakStatus::ZoneSetCount() const {
    if (swVersion_ < 300) {
        return 0;
    }
    return swVersion_ < 310 ? 5 : 6;
}

TVeltrakStatus::TZoneSet& TVeltrakStatus::ZoneSet(size_t index) {
    if (index >= ZoneSetCount()) {
        throw ERangeError("TVeltrakStatus: zone set " + std::to_string(index) + " out of range");
    }
    return zoneSets_[index];
}

double TVeltrakStatus::Torque() const {
    if (Frequenz <= NullstelleUsed || SteigungUsed <= 0) {
        return 0.0;
    }
    return static_cast<double>(Frequenz - NullstelleUsed) / SteigungUsed;
}

int64_t TVeltrakStatus::RemainingBatteryTime() const {
    if (PowerMeasureINow == 0) {
        return 0; // neither charging nor discharging: no time to tell
    }
    if (PowerMeasureINow > 0) {
        return int64_t{PowerMeasureChargeMax - powerMeasureCharge_} * 1000 / PowerMeasureINow;
    }
    return int64_t{powerMeasureCharge_} * 1000 / -PowerMeasureINow;
}

int32_t TVeltrakStatus::ChargePercentage() const {
    if (PowerMeasureChargeMax <= 0) {
        return 0;
    }
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{powerMeasureCharge_} * 100 / PowerMeasureChargeMax, 0, 100));
}

void TVeltrakStatus::VisitProperties(TPropertyVisitor& v) {
    ReadOnly(v, "SWVersion", swVersion_, 0, 0xFFFF);
    ReadOnlyEnum(v, "HWVersion", hwVersion_, kHWVersionNames);
    v.Field("PasswordLevel", PasswordLevel, kPasswordLevelNames);
    v.Field("SerMultiProzID", SerMultiProzID);
    v.Field("DatumZeitFormat", DatumZeitFormat, kDatumZeitNames);
    v.Field("GeschwindigkeitFormat", GeschwindigkeitFormat, kGeschwindigkeitNames);
    v.Field("StreckeFormat", StreckeFormat, kStreckeNames);
    v.Field("TemperaturFormat", TemperaturFormat, kTemperaturNames);
    v.Integer("Abschaltzeit", Abschaltzeit(), 0, 25500,
              [this](int64_t x) { SetAbschaltzeit(static_cast<int32_t>(x)); });
    v.Boolean("HerzfrequenzAlleineFlag", HerzfrequenzAlleineFlag(),
              [this](bool x) { SetHerzfrequenzAlleineFlag(x); });
    v.Field("HSLimitIncrX", HSLimitIncrX);
    v.Text("Initialen", Initialen(), [this](const std::string& x) { SetInitialen(x); });
    v.Text("InitialenPrefix", InitialenPrefix(), [this](const std::string& x) { SetInitialenPrefix(x); });
    v.Field("Radumfang", Radumfang);
    v.Field("SteigungUsed", SteigungUsed);
    v.Field("NullstelleUsed", NullstelleUsed);
    for (auto [name, value] : {std::pair{"Frequenz", Frequenz},
                               {"Geschwindigkeit", Geschwindigkeit},
                               {"Leistung", Leistung},
                               {"Tretfrequenz", Tretfrequenz},
                               {"Herzfrequenz", Herzfrequenz},
                               {"Temperatur", Temperatur}}) {
        ReadOnly(v, name, value, INT16_MIN, INT16_MAX);
    }
    v.Integer("AbspeicherZeit", AbspeicherZeit(), 1, 25500,
              [this](int64_t x) { SetAbspeicherZeit(static_cast<int32_t>(x)); });
    v.Integer("AbspeicherZeitTemperatur", AbspeicherZeitTemperatur(), 0, 3276700,
              [this](int64_t x) { SetAbspeicherZeitTemperatur(static_cast<int32_t>(x)); });
    ReadOnly(v, "HeapSize", HeapSize, 0, 0xFFFF);
    ReadOnly(v, "HeapCount", HeapCount, 0, 0xFFFF);
    ReadOnly(v, "HeapCountUpper", HeapCountUpper, 0, 0xFFFF);
    v.Field("GesamtBetrieb", GesamtBetrieb);
    v.Field("GesamtEnergie", GesamtEnergie);
    v.Number("Jahresstrecke", Jahresstrecke(), [this](double x) { SetJahresstrecke(x); });
    v.Field("SysBetriebsart", SysBetriebsart, kBetriebsartNames);
    ReadOnlyEnum(v, "KeyboardStatus", KeyboardStatus, kKeyboardNames);
    ReadOnlyEnum(v, "DisplayModus", DisplayModus, kDisplayModusNames);
    ReadOnlyEnum(v, "RTCError", RTCError, kRTCErrorNames);
    v.Boolean("LcdPresentFlag", LcdPresentFlag, [](bool) {});
    ReadOnly(v, "Prozessortakt", Prozessortakt, INT32_MIN, INT32_MAX);
    v.Field("BremseTyp", BremseTyp, kBremseTypNames);
    v.Field("BremseOffset", BremseOffset);
    v.Field("BremseGrenze", BremseGrenze);
    v.Field("BremseSteigung", BremseSteigung);
    v.Field("BremseTeiler", BremseTeiler);
    v.Boolean("BremseTimeout", BremseTimeout, [](bool) {});
    for (auto [name, value] : {std::pair{"BremseCounter", BremseCounter},
                               {"BremseTimer", BremseTimer},
                               {"BremseDauer", BremseDauer},
                               {"BremseStellwert", BremseStellwert}}) {
        ReadOnly(v, name, value, INT32_MIN, INT32_MAX);
    }
    v.Field("DisplayAnzeigePOW", DisplayAnzeigePOW);
    v.Field("DisplayAnzeigeCAD", DisplayAnzeigeCAD);
    v.Field("DisplayAnzeigeHRT", DisplayAnzeigeHRT);
    v.Field("DisplayAnzeigeSPD", DisplayAnzeigeSPD);
    v.Field("DisplayGlaettungPOW", DisplayGlaettungPOW);
    v.Field("DisplayGlaettungCAD", DisplayGlaettungCAD);
    v.Field("DisplayGlaettungHRT", DisplayGlaettungHRT);
    v.Field("DisplayGlaettungSPD", DisplayGlaettungSPD);
    v.Field("IntervalTimerMin", IntervalTimerMin);
    v.Field("DispDelayIntervalStart", DispDelayIntervalStart);
    v.Field("DispDelayIntervalStop", DispDelayIntervalStop);
    v.Field("DispDelayKeypress", DispDelayKeypress);
    v.Field("PowerMeasureIDown", PowerMeasureIDown);
    v.Field("PowerMeasureIIdle", PowerMeasureIIdle);
    v.Field("PowerMeasureIAktiv", PowerMeasureIAktiv);
    v.Field("PowerMeasureILoad", PowerMeasureILoad);
    v.Field("PowerMeasureChargeMax", PowerMeasureChargeMax);
    ReadOnly(v, "PowerMeasureINow", PowerMeasureINow, INT16_MIN, INT16_MAX);
    v.Integer("PowerMeasureCharge", powerMeasureCharge_, INT32_MIN, INT32_MAX,
              [this](int64_t x) { SetPowerMeasureCharge(static_cast<int32_t>(x)); });
    v.Field("FunkID", FunkID);
    v.Field("FunkTimeSlotDauer", FunkTimeSlotDauer);
    v.Field("FunkTimeSlotOffset", FunkTimeSlotOffset);
    v.Field("FunkEinschaltverzoegerung", FunkEinschaltverzoegerung);
    v.Field("FunkBaudrate", FunkBaudrate);
    v.Field("FunkWiederholungAktuelle", FunkWiederholungAktuelle);
    v.Field("FunkWiederholungVorherige", FunkWiederholungVorherige);
    v.Field("FunkWiederholungVorvorherige", FunkWiederholungVorvorherige);
    v.Text("FunkEncryptKey", FunkEncryptKey(), [this](const std::string& x) { SetFunkEncryptKey(x); });
}

} // namespace klt
