#include <gtest/gtest.h>

#include <set>

#include "core/Exceptions.h"
#include "device/VeltrakClock.h"
#include "device/VeltrakStatus.h"

namespace klt {
namespace {

TEST(VeltrakStatus, SettingsAreHeldInTheHeadUnitsOwnSteps) {
    TVeltrakStatus status;
    EXPECT_EQ(status.Abschaltzeit(), 2000);
    status.SetAbschaltzeit(2099);
    EXPECT_EQ(status.Abschaltzeit(), 2000);
    status.SetAbschaltzeit(50);
    EXPECT_EQ(status.Abschaltzeit(), 1000);
    status.SetAbschaltzeit(999999);
    EXPECT_EQ(status.Abschaltzeit(), 25500);

    EXPECT_EQ(status.AbspeicherZeit(), 1000);
    status.SetAbspeicherZeit(250); // whole seconds
    EXPECT_EQ(status.AbspeicherZeitZaehler(), 2);
    EXPECT_EQ(status.AbspeicherZeit(), 200);
    status.SetAbspeicherZeit(30); // 1/3 s
    EXPECT_EQ(status.AbspeicherZeitNenner(), 3);
    EXPECT_EQ(status.AbspeicherZeit(), 33);
    status.SetAbspeicherZeit(75); // hundredths between
    EXPECT_EQ(status.AbspeicherZeitZaehler(), 75);
    EXPECT_EQ(status.AbspeicherZeitNenner(), 100);
    EXPECT_EQ(status.AbspeicherZeit(), 75);
    status.SetAbspeicherZeitBruch(1, 0); // a broken head unit must not divide by zero
    EXPECT_EQ(status.AbspeicherZeit(), 100);

    EXPECT_EQ(status.AbspeicherZeitTemperatur(), 90000);
    status.SetAbspeicherZeitTemperatur(5000);
    EXPECT_EQ(status.AbspeicherZeitTemperatur(), 6000);
    status.SetAbspeicherZeitTemperatur(59999);
    EXPECT_EQ(status.AbspeicherZeitTemperatur(), 30000);
    status.SetAbspeicherZeitTemperatur(180000);
    EXPECT_EQ(status.AbspeicherZeitTemperatur(), 180000);
    status.SetAbspeicherZeitTemperatur(10000000);
    EXPECT_EQ(status.AbspeicherZeitTemperatur(), 360000);

    status.SetJahresstrecke(12.4e8);
    EXPECT_DOUBLE_EQ(status.Jahresstrecke(), 12e8);
    status.SetJahresstrecke(-5e8);
    EXPECT_DOUBLE_EQ(status.Jahresstrecke(), 0);
    status.SetJahresstrecke(1e30);
    EXPECT_DOUBLE_EQ(status.Jahresstrecke(), 2147483647.0 * 1e8);

    status.SetHerzfrequenzAlleineFlag(true);
    EXPECT_TRUE(status.HerzfrequenzAlleineFlag());
}

TEST(VeltrakStatus, InitialsArePrefixAndRest) {
    TVeltrakStatus status;
    EXPECT_EQ(status.Initialen(), "");
    status.SetInitialen("JDO Jane Doe from Bern and more");
    EXPECT_EQ(status.InitialenPrefix(), "JDO");
    EXPECT_EQ(status.Initialen(), "JDO Jane Doe from Be"); // 3 + 17 characters
    status.SetInitialenPrefix("AB");
    EXPECT_EQ(status.Initialen(), "AB Jane Doe from Be");
    status.SetInitialen("X");
    EXPECT_EQ(status.Initialen(), "X");
}

TEST(VeltrakStatus, ZoneSetsByFirmware) {
    TVeltrakStatus status;
    status.SetSWVersion(299);
    EXPECT_THROW(status.ZoneSet(0), ERangeError);
    status.SetSWVersion(305);
    EXPECT_NO_THROW(status.ZoneSet(4));
    try {
        status.ZoneSet(5);
        FAIL();
    } catch (const ERangeError& e) {
        EXPECT_NE(std::string(e.what()).find("TVeltrakStatus"), std::string::npos);
    }
    status.SetSWVersion(310);
    EXPECT_NO_THROW(status.ZoneSet(5));
}

TEST(VeltrakStatus, DerivedTorqueAndBattery) {
    TVeltrakStatus status;
    status.Frequenz = 600;
    status.NullstelleUsed = 500;
    status.SteigungUsed = 20;
    EXPECT_DOUBLE_EQ(status.Torque(), 5.0);
    status.Frequenz = 400;
    EXPECT_DOUBLE_EQ(status.Torque(), 0.0);
    status.Frequenz = 600;
    status.SteigungUsed = 0;
    EXPECT_DOUBLE_EQ(status.Torque(), 0.0);

    status.PowerMeasureChargeMax = 1000;
    EXPECT_FALSE(status.PowerMeasureChargeChanged());
    status.SetPowerMeasureCharge(250);
    EXPECT_TRUE(status.PowerMeasureChargeChanged());
    EXPECT_EQ(status.ChargePercentage(), 25);
    status.PowerMeasureINow = -50;
    EXPECT_EQ(status.RemainingBatteryTime(), 5000);
    status.PowerMeasureINow = 75; // charging: time until full
    EXPECT_EQ(status.RemainingBatteryTime(), 10000);
    status.PowerMeasureINow = 0;
    EXPECT_EQ(status.RemainingBatteryTime(), 0);
    status.SetPowerMeasureCharge(5000);
    EXPECT_EQ(status.ChargePercentage(), 100);
}

TEST(VeltrakStatus, VersionTexts) {
    TVeltrakStatus status;
    status.SetSWVersion(314);
    status.SetHWVersion(TVeltrakHWVersion::HWVersionVT4x128);
    EXPECT_EQ(status.SWVersionText(), "3.14");
    EXPECT_EQ(status.HWVersionText(), "IV");
    status.SetHWVersion(TVeltrakHWVersion::HWVersionVT5x128);
    status.SetSWVersion(0x4309);
    EXPECT_EQ(status.SWVersionText(), "43.09");
    status.SetHWVersion(TVeltrakHWVersion::HWVersionVT6x128);
    status.SetSWVersion(0x1234);
    EXPECT_EQ(status.SWVersionText(), "1.23.4");
    EXPECT_EQ(HWVersionName(HWVersionOfType(7)), "VII");
    EXPECT_EQ(HWVersionOfType(4), TVeltrakHWVersion::HWVersionVT4x128);
    EXPECT_EQ(HWVersionOfType(3), TVeltrakHWVersion::HWNull);
}

TEST(VeltrakStatus, EncryptKeyIsCutAndMarked) {
    TVeltrakStatus status;
    EXPECT_FALSE(status.FunkEncryptKeyPresent());
    status.SetFunkEncryptKey(std::string(120, 'k'));
    EXPECT_TRUE(status.FunkEncryptKeyPresent());
    EXPECT_EQ(status.FunkEncryptKey(), std::string(96, 'k'));
}

// Names every property once and lets a copy carry them all.
class TNameCollector : public TPropertyVisitor {
public:
    std::vector<std::string> names;
    void Boolean(std::string_view n, bool, const TSetter<bool>&) override { names.emplace_back(n); }
    void Integer(std::string_view n, int64_t, int64_t, int64_t, const TSetter<int64_t>&) override {
        names.emplace_back(n);
    }
    void Number(std::string_view n, double, const TSetter<double>&) override { names.emplace_back(n); }
    void Enumeration(std::string_view n, int, TValueNames, const TSetter<int>&) override {
        names.emplace_back(n);
    }
    void Flags(std::string_view n, uint32_t, TValueNames, const TSetter<uint32_t>&) override {
        names.emplace_back(n);
    }
    void Text(std::string_view n, const std::string&, const TSetter<std::string>&) override {
        names.emplace_back(n);
    }
    void TextList(std::string_view n, const std::vector<std::string>&,
                  const TSetter<std::vector<std::string>>&) override {
        names.emplace_back(n);
    }
    void Object(std::string_view n, const TNestedProperties&) override { names.emplace_back(n); }
};

TEST(VeltrakStatus, PublishesEveryPropertyOnceAndAssignCopiesAll) {
    TVeltrakStatus status;
    TNameCollector collector;
    status.VisitProperties(collector);
    const std::set<std::string> unique(collector.names.begin(), collector.names.end());
    EXPECT_EQ(unique.size(), collector.names.size());
    EXPECT_EQ(collector.names.size(), 74u);
    for (const char* name : {"SWVersion", "Abschaltzeit", "Jahresstrecke", "RTCError", "BremseStellwert",
                             "PowerMeasureINow", "FunkEncryptKey"}) {
        EXPECT_EQ(unique.count(name), 1u) << name;
    }
    status.SetSWVersion(314);
    status.Leistung = 1600;
    status.SetInitialen("JDO");
    TVeltrakStatus copy;
    copy.Assign(status);
    EXPECT_TRUE(copy.Equals(status));
    EXPECT_EQ(copy.SWVersion(), 314); // read-only ones too
    copy.Clear();
    EXPECT_EQ(copy.Leistung, 0);
    EXPECT_EQ(copy.Initialen(), "");
}

TEST(VeltrakClock, ConvertsBetweenHeadUnitAndDayNumbers) {
    EXPECT_EQ(ClockFromDayTime({32872, 0}), (TVeltrakClockValue{0, 0}));
    EXPECT_EQ(ClockFromDayTime({32871, 5000}), (TVeltrakClockValue{0, 0}));
    EXPECT_EQ(ClockFromDayTime({32873, 360012}), (TVeltrakClockValue{86400 + 3600, 12}));
    EXPECT_EQ(DayTimeFromClock({86400 + 3600, 12}), (TVeltrakDayTime{32873, 360012}));
    EXPECT_EQ(DayTimeFromClock({-1, 0}), (TVeltrakDayTime{0xFFFF, 0}));
    EXPECT_EQ(SubtractHundredths({10, 20}, 50), (TVeltrakClockValue{9, 70}));
    EXPECT_EQ(SubtractHundredths({0, 20}, 50), (TVeltrakClockValue{0, 0}));
}

} // namespace
} // namespace klt
