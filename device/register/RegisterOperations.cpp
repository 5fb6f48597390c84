// The operations of the older head units on their registers.
#include <algorithm>

#include "device/VeltrakClock.h"
#include "device/kltcomm.h"

namespace klt {
namespace {

int16_t Clamp16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

} // namespace

int TVeltrakInternal::TelemetryClockDelay() const {
    if (version_ <= 314 || status_->FunkTimeSlotDauer == 0) {
        return 0;
    }
    return (3 - (status_->FunkID & 3)) * 25;
}

void TVeltrakInternal::SetModeByte(uint8_t mode) {
    Exchange(16);
    SetData(1, mode);
    ReadRegister(15);
}

void TVeltrakInternal::WriteClock() {
    Identify();
    const TVeltrakClockValue clock = ClockFromDayTime({status_->ClockDay, status_->ClockTime});
    if (const int delay = TelemetryClockDelay(); delay != 0) {
        Wait(delay * 10 - 100); // the clock is set within the head unit's own time slot
    }
    Exchange(13, static_cast<uint32_t>(clock.seconds));
}

void TVeltrakInternal::ReadClock() {
    Exchange(14);
    TVeltrakClockValue clock{static_cast<int32_t>(Data32()),
                             static_cast<uint8_t>(version_ >= 240 ? StatusByte() : 0)};
    clock = SubtractHundredths(clock, TelemetryClockDelay());
    const TVeltrakDayTime dayTime = DayTimeFromClock(clock);
    status_->ClockDay = dayTime.day;
    status_->ClockTime = dayTime.time;
}

void TVeltrakInternal::Disconnect() {
    version_ = 0;
}

void TVeltrakInternal::ReadLiveValues() {
    TVeltrakStatus& s = *status_;
    Exchange(5, 0x0100);
    s.Frequenz = static_cast<int16_t>(Data16(1));
    Exchange(19);
    s.Leistung = Clamp16(int64_t{Data16(1)} * 8);
    s.Geschwindigkeit = static_cast<int16_t>(Data16(3));
    Exchange(20);
    s.Tretfrequenz = static_cast<int16_t>(Data16(1));
    s.Herzfrequenz = static_cast<int16_t>(Data16(3));
    if (version_ >= 300) {
        Exchange(57);
        s.PowerMeasureINow = static_cast<int16_t>(Data16(1));
        s.SetPowerMeasureCharge(Data16(3));
        Exchange(60);
        s.Temperatur = Clamp16(int64_t{static_cast<int16_t>(Data16(1))} * 5);
    }
}

void TVeltrakInternal::ReadStatus() {
    TVeltrakStatus& s = *status_;
    Exchange(1);
    s.NullstelleUsed = static_cast<int16_t>(Data16(1));
    s.SteigungUsed = static_cast<int16_t>(Data16(3));
    Exchange(3);
    s.Radumfang = static_cast<int16_t>(Data16(3));
    Exchange(8);
    const uint8_t numerator = Data(1);
    s.HeapCount = static_cast<uint16_t>(Data(2) << 8 | Data(3));
    Exchange(9);
    s.DispDelayIntervalStart = Data(1);
    s.DispDelayIntervalStop = Data(2);
    s.DispDelayKeypress = Data(3);
    Exchange(16);
    s.SysBetriebsart = static_cast<TVeltrakSysBetriebsart>(std::min<uint8_t>(Data(1), 5));
    s.DatumZeitFormat = static_cast<TVeltrakFormatDatumZeit>(std::min<uint8_t>(Data(2), 3));
    s.GeschwindigkeitFormat = static_cast<TVeltrakGeschwindigkeitFormat>(std::min<uint8_t>(Data(3), 2));
    s.StreckeFormat = static_cast<TVeltrakStreckeFormat>(std::min<uint8_t>(Data(4), 2));
    Exchange(18);
    s.SetHerzfrequenzAlleineFlag(Data16(1) != 0);
    s.SetAbschaltzeit(Data(3) * 100);
    Exchange(21);
    s.SetInitialenPrefix(
        std::string{static_cast<char>(Data(2)), static_cast<char>(Data(3)), static_cast<char>(Data(4))});
    uint8_t denominator = 1;
    if (version_ >= 240) {
        Exchange(24);
        s.SetJahresstrecke(Data16(1) * 1e8);
        s.HSLimitIncrX = Data(3);
        Exchange(29);
        s.GesamtBetrieb = static_cast<int32_t>(Data32());
        Exchange(31);
        s.KeyboardStatus = static_cast<TVeltrakKeyboardStatus>(StatusByte() & 7);
        s.LcdPresentFlag = (StatusByte() & 0x80) != 0;
        denominator = Data(1);
        s.DisplayModus = static_cast<TVeltrakDisplayModus>(std::min<uint8_t>(Data(3), 5));
        s.RTCError = static_cast<TVeltrakRTCError>(std::min<uint8_t>(Data(4), 6));
        Exchange(33);
        s.SetAbschaltzeit(Data16(1) * 100);
        s.SerMultiProzID = Data(3);
    }
    s.SetAbspeicherZeitBruch(numerator, denominator);
    ReadBrakeCalibration();
    if (version_ >= 300) {
        Exchange(43);
        s.DisplayAnzeigePOW = Data(1);
        s.DisplayAnzeigeCAD = Data(2);
        s.DisplayAnzeigeHRT = Data(3);
        s.DisplayAnzeigeSPD = Data(4);
        Exchange(44);
        s.DisplayGlaettungPOW = Data(1);
        s.DisplayGlaettungCAD = Data(2);
        s.DisplayGlaettungHRT = Data(3);
        s.DisplayGlaettungSPD = Data(4);
        Exchange(45);
        s.PowerMeasureIDown = static_cast<int16_t>(Data16(1));
        s.PowerMeasureIIdle = static_cast<int16_t>(Data16(3));
        Exchange(46);
        s.PowerMeasureIAktiv = static_cast<int16_t>(Data16(1));
        s.PowerMeasureILoad = static_cast<int16_t>(Data16(3));
        Exchange(47);
        s.PowerMeasureChargeMax = static_cast<int32_t>(Data32());
        Exchange(48);
        s.HeapSize = Data16(1);
        s.HeapCountUpper = Data16(3);
        Exchange(59);
        s.IntervalTimerMin = Data16(1);
    }
    ReadClock();
    ReadLiveValues();
}

void TVeltrakInternal::WriteSettings(const TVeltrakStatus& settings) {
    Exchange(2, uint32_t{static_cast<uint16_t>(settings.NullstelleUsed)} << 16 |
                    static_cast<uint16_t>(settings.SteigungUsed));
    Exchange(4, static_cast<uint16_t>(settings.Radumfang));
    if (version_ >= 300) {
        Exchange(50,
                 static_cast<uint32_t>(settings.DisplayAnzeigePOW << 24 | settings.DisplayAnzeigeCAD << 16 |
                                       settings.DisplayAnzeigeHRT << 8 | settings.DisplayAnzeigeSPD));
        Exchange(51, static_cast<uint32_t>(settings.DisplayGlaettungPOW << 24 |
                                           settings.DisplayGlaettungCAD << 16 |
                                           settings.DisplayGlaettungHRT << 8 | settings.DisplayGlaettungSPD));
    }
}

// The register head units keep their zones with the settings; nothing is written apart.
void TVeltrakInternal::WriteZones() {}

void TVeltrakInternal::ReadBrakeState() {
    Exchange(41);
    status_->BremseTimeout = Data(1) != 0;
    status_->BremseCounter = Data16(2);
    Exchange(42);
    status_->BremseTimer = Data16(1);
    status_->BremseStellwert = Data(3);
    status_->BremseDauer = Data(4);
}

void TVeltrakInternal::ReadBrakeCalibration() {
    TVeltrakStatus& s = *status_;
    Exchange(38);
    s.BremseOffset = Data16(1);
    s.Prozessortakt = 614400;
    if (version_ >= 260) {
        s.BremseTyp =
            Data(3) != 0 ? TVeltrakBremseTyp::BremseTypWirbelStrom : TVeltrakBremseTyp::BremseTypKeine;
        s.Prozessortakt = Data(4) * 102400;
    }
    Exchange(39);
    s.BremseGrenze = static_cast<int32_t>(Data32());
    Exchange(40);
    s.BremseSteigung = Data16(1);
    s.BremseTeiler = Data(3);
}

void TVeltrakInternal::WriteBrakeCalibration() {
    const TVeltrakStatus& s = *status_;
    // The registers carry 16 bits of offset and slope: a larger value goes as the largest they
    // carry, never wrapped round to a weak brake.
    const auto word = [](int32_t value) { return static_cast<uint32_t>(std::clamp(value, 0, 0xFFFF)); };
    Exchange(35, word(s.BremseOffset) << 16);
    Exchange(36, static_cast<uint32_t>(s.BremseGrenze));
    Exchange(37, word(s.BremseSteigung) << 16 | uint32_t{s.BremseTeiler} << 8);
}

void TVeltrakInternal::StartRecording() {
    Exchange(11, uint32_t{status_->AbspeicherZeitZaehler()} << 24);
    if (version_ >= 240) {
        Exchange(32, uint32_t{status_->AbspeicherZeitNenner()} << 24);
    }
}

std::array<uint8_t, 5> TVeltrakInternal::ReadMemoryBlock(uint16_t index) {
    Exchange(12, uint32_t{index} << 16);
    return {StatusByte(), Data(1), Data(2), Data(3), Data(4)};
}

} // namespace klt
