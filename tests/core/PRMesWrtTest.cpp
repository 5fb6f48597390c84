#include "core/PRMesWrt.h"

#include "core/Exceptions.h"
#include "tests/core/MesswertFixture.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using MesswertArtTest = MesswertFixture;

struct TRawLimits {
    TMesswertArtType kind;
    double minimum;
    double maximum;
};

TEST_F(MesswertArtTest, EveryKindHasItsRawLimits) {
    constexpr double U = UnboundedLimit;
    const TRawLimits limits[] = {
        {mwaLeistung, 0, 32760},
        {mwaTretfrequenz, 0, 7680},
        {mwaHerzfrequenz, 0, 15360},
        {mwaGeschwindigkeit, 0, 31944},
        {mwaTemperatur, -550, 1250},
        {mwaHoehe, -100, 5000},
        {mwaArbeit, -U, U},
        {mwaStreckeKurz, -U, U},
        {mwaStrecke, -U, U},
        {mwaRadumfang, 1000, 4000},
        {mwaPapiermass, 0, 10000},
        {mwaSteigung, 1528, 18335},
        {mwaDrehmoment, 0, 32697},
        {mwaNullstelle, 1, 4000},
        {mwaSteigungHerzfrequenzProLeistung, 0, 80},
        {mwaNullstelleHerzfrequenzProLeistung, 0, 15360},
        {mwaPWC150, 0, 32760},
        {mwaMaxAnzahlDiagramme, 2, 5},
        {mwaMarkernr, -U, U},
        {mwaHerzfrequenzAenderung, 0, 240},
        {mwaHerzfrequenzPulslaenge, 1, 10},
    };
    for (const TRawLimits& expected : limits) {
        const TMesswertArt& art = MesswertArt(expected.kind);
        EXPECT_EQ(art.Minimum(), expected.minimum) << art.Name();
        EXPECT_EQ(art.Maximum(), expected.maximum) << art.Name();
        EXPECT_EQ(art.DefinitionTextId(), 287 + expected.kind);
        if (expected.minimum != -U) {
            EXPECT_GE(art.Minimum(), -32768) << art.Name();
            EXPECT_LE(art.Maximum(), 32767) << art.Name();
        }
    }
}

TEST_F(MesswertArtTest, OnlyKinds1To21Exist) {
    EXPECT_EQ(MesswertArt(mwaHerzfrequenzPulslaenge).ShortName(), "pHRT");
    EXPECT_THROW(MesswertArt(mwaNone), ERangeError);
    EXPECT_THROW(MesswertArt(static_cast<TMesswertArtType>(22)), ERangeError);
}

TEST_F(MesswertArtTest, FahrenheitConvertsWithItsOffset) {
    TMesswertArt& temperature = MesswertArt(mwaTemperatur);
    temperature.SetUnit(1);
    EXPECT_EQ(temperature.FormatValue(200), "68.0");
    EXPECT_NEAR(temperature.ParseValue("68"), 200, 1e-9);
    EXPECT_EQ(temperature.ToRawRounded(68), 200);
    EXPECT_EQ(temperature.FormatValue(-550), "-67.0");
}

TEST_F(MesswertArtTest, SpeedShowsInEveryUnitWithAnyDecimals) {
    TMesswertArt& speed = MesswertArt(mwaGeschwindigkeit);
    const char* expected[] = {"36.0", "10.0", "22.4"};
    for (int unit = 0; unit < 3; ++unit) {
        speed.SetUnit(unit);
        EXPECT_EQ(speed.FormatValue(10000), expected[unit]) << speed.UnitShortName();
    }
    EXPECT_EQ(speed.UnitShortName(), "mph");
    EXPECT_EQ(speed.ToRawRounded(22.36936), 10000);
    EXPECT_EQ(speed.FormatValue(10000, -2), "22.37");
    EXPECT_EQ(speed.FormatValue(10000, -3), "22.369");
    EXPECT_EQ(speed.FormatValue(10000, 0), "22");
    EXPECT_EQ(MesswertArt(mwaLeistung).FormatValue(8 * 12345, -1, true), "12,345");
    EXPECT_EQ(MesswertArt(mwaLeistung).FormatValue(8 * 12345, -1, false), "12345");
}

TEST_F(MesswertArtTest, ParseValueUsesTheProcessSeparators) {
    const TMesswertArt& power = MesswertArt(mwaLeistung);
    EXPECT_EQ(power.ParseValue(" 1,234.5 "), 9876);
    TFormatSettingsScope german(TFormatSettings{",", "."});
    EXPECT_EQ(power.ParseValue("1.234,5"), 9876);
    EXPECT_EQ(power.FormatValue(9876, 1, true), "1.234,5");
}

TEST_F(MesswertArtTest, BlankTextIsZeroAndGarbageIsHuge) {
    TMesswertArt& temperature = MesswertArt(mwaTemperatur);
    temperature.SetUnit(1);
    EXPECT_EQ(temperature.ParseValue(""), 0);
    EXPECT_EQ(temperature.ParseValue(" \t"), 0);
    EXPECT_EQ(temperature.ParseValue("warm"), temperature.ToRaw(1e99));
}

TEST_F(MesswertArtTest, StepSizeIsOneStepOfTheLastShownDecimal) {
    EXPECT_EQ(MesswertArt(mwaLeistung).StepSize(1, -1), 8);
    EXPECT_NEAR(MesswertArt(mwaLeistung).StepSize(3, 1), 2.4, 1e-9); // 3 × 0.1 W
    TMesswertArt& temperature = MesswertArt(mwaTemperatur);
    EXPECT_NEAR(temperature.StepSize(1, -1), 1, 1e-9);
    EXPECT_NEAR(temperature.StepSize(-2, -2), -0.2, 1e-9);
    temperature.SetUnit(1);
    EXPECT_NEAR(temperature.StepSize(1, -1), 0.1 / 0.18, 1e-9); // 32.0 °F to 32.1 °F
}

TEST_F(MesswertArtTest, UnitsAreChosenByIndexWithFallback) {
    TMesswertArt& altitude = MesswertArt(mwaHoehe);
    altitude.SetUnit(1);
    EXPECT_EQ(altitude.UnitIndex(), 1);
    EXPECT_EQ(altitude.UnitName(), "feet");
    EXPECT_EQ(altitude.Maximum(), 5000); // limits stay in raw units
    EXPECT_EQ(altitude.UnitNames(), (std::vector<std::string>{"meter", "feet"}));
    EXPECT_EQ(altitude.UnitIndex(), 1);
    altitude.SetUnit(5);
    EXPECT_EQ(altitude.UnitIndex(), 0);
    EXPECT_EQ(altitude.UnitShortName(), "m");
}

TEST_F(MesswertArtTest, NamesFollowTheSharedPatterns) {
    const TMesswertArt& power = MesswertArt(mwaLeistung);
    EXPECT_EQ(power.DisplayName(mwnAny), "Power");
    EXPECT_EQ(power.DisplayName(mwnAVR), "Ø Power");
    EXPECT_EQ(power.DisplayName(mwnMAX), "max. Power");
    EXPECT_EQ(power.DisplayShortName(mwnAVR), "Ø POW");
    EXPECT_EQ(power.DisplayBothNames(mwnMAX), "max. Power (max. POW)");
    EXPECT_EQ(power.FormattedName(mwnAny, mwfShort), "POW");
    EXPECT_EQ(TMesswertArt::NameWithUnit(power.Name(), power.UnitName()), "Power [watt]");
    const TMesswertArt& speed = MesswertArt(mwaGeschwindigkeit);
    EXPECT_EQ(speed.UnitNameWithShort(), "kilometers per hour (km/h)");
    EXPECT_EQ(speed.FormattedUnit(mwfShort), "km/h");
    EXPECT_EQ(speed.FormattedUnit(mwfLong), "kilometers per hour");
    EXPECT_EQ(speed.EditHint(),
              "|Change Speed with mouse or cursor keys. Shift, Alt and Alt+Shift keys accellerate changes");
}

TEST_F(MesswertArtTest, ColouredValueTextIsALineOfAValueList) {
    EXPECT_EQ(TMesswertArt::ColouredValueText(mwaLeistung, -1, 8 * 1234), "1\r1,234 watt  \n");
    EXPECT_EQ(TMesswertArt::ColouredValueText(mwaLeistung, -1, 0), "");
    EXPECT_EQ(TMesswertArt::ColouredValueText(mwaArbeit, 1, 8e5 * 2), "0\r2.0 kJ  \n");
    MesswertArt(mwaTemperatur).SetUnit(1);
    EXPECT_EQ(TMesswertArt::ColouredValueText(mwaTemperatur, -1, 0), "5\r32.0 °F  \n"); // 0 °C is no blank
}

TEST(TMesswertArtDefinition, AMissingDefinitionGivesAnEmptyUnboundedKind) {
    int requested = 0;
    TMesswertArt missing(999, [&](int id) {
        requested = id;
        return LoadText(id);
    });
    EXPECT_EQ(requested, 999);
    EXPECT_EQ(missing.Name(), "");
    EXPECT_EQ(missing.Minimum(), -UnboundedLimit);
    EXPECT_EQ(missing.Maximum(), UnboundedLimit);
    EXPECT_EQ(missing.UnitIndex(), 0);
    EXPECT_EQ(missing.ToDisplay(42), 42);
    EXPECT_EQ(missing.Colour(), NoColour);
    EXPECT_EQ(missing.ColourSlot(), 0);
    EXPECT_EQ(LoadText(999), "{Text 999}");
}

} // namespace
} // namespace klt
