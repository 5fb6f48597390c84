#include "core/MesswertEditValue.h"

#include "core/Exceptions.h"
#include "tests/core/MesswertFixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace klt {
namespace {

using MesswertEditValueTest = MesswertFixture;

TEST_F(MesswertEditValueTest, AnEmptyEditReadsZero) {
    TMesswertEditValue edit(mwaTemperatur);
    std::string text;
    EXPECT_EQ(edit.ReadValue(text), 0);
    EXPECT_EQ(text, "");
}

TEST_F(MesswertEditValueTest, TextThatIsNoNumberBecomesTheMaximum) {
    TMesswertEditValue edit(mwaLeistung);
    edit.SetMaximum(32760);
    std::string text = "lots";
    EXPECT_EQ(edit.ReadValue(text), 32760);
    EXPECT_EQ(text, "4095");
}

TEST_F(MesswertEditValueTest, ValuesOutsideTheRangeAreReplacedByTheLimit) {
    TMesswertEditValue edit(mwaGeschwindigkeit);
    edit.SetMinimum(1000);
    edit.SetMaximum(20000);
    edit.SetWithThousands(true);
    std::string text = "-5";
    EXPECT_EQ(edit.ReadValue(text), 1000);
    EXPECT_EQ(text, "3.6");
    text = "1,000";
    EXPECT_EQ(edit.ReadValue(text), 20000);
    EXPECT_EQ(text, "72.0");
    text = "50.4";
    EXPECT_NEAR(edit.ReadValue(text), 14000, 1e-9);
    EXPECT_EQ(text, "50.4");
}

TEST_F(MesswertEditValueTest, UnboundedKindsAcceptLargeValues) {
    for (TMesswertArtType kind : {mwaArbeit, mwaStreckeKurz, mwaStrecke, mwaMarkernr}) {
        TMesswertEditValue edit(kind);
        std::string text = "-99999";
        EXPECT_NEAR(MesswertArt(kind).ToDisplay(edit.ReadValue(text)), -99999, 1e-6)
            << MesswertArt(kind).Name();
        EXPECT_EQ(text, "-99999");
    }
}

TEST_F(MesswertEditValueTest, ReadsWithTheSeparatorsAndUnitItWasShownIn) {
    TMesswertEditValue edit(mwaGeschwindigkeit);
    edit.SetWithThousands(true);
    edit.SetDecimals(2);
    std::string text;
    {
        TFormatSettingsScope german(TFormatSettings{",", "."});
        text = edit.ShowValue(1000000); // 3600 km/h
    }
    EXPECT_EQ(text, "3.600,00");
    MesswertArt(mwaGeschwindigkeit).SetUnit(2);
    EXPECT_NEAR(edit.ReadValue(text), 1000000, 1e-6);
    EXPECT_EQ(FormatSettings().decimalSeparator, ".");
    EXPECT_EQ(MesswertArt(mwaGeschwindigkeit).UnitShortName(), "mph");
    text = edit.ShowValue(10000);
    EXPECT_EQ(text, "22.37");
    EXPECT_NEAR(edit.ReadValue(text), 10000, 1);
}

TEST_F(MesswertEditValueTest, ANonFiniteValueIsAConversionError) {
    TMesswertEditValue edit(mwaLeistung);
    edit.SetMaximum(std::numeric_limits<double>::infinity());
    std::string text = "1e308"; // 8e308 raw overflows
    try {
        edit.ReadValue(text);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Power is only valid between 0 and 4095");
    }
}

} // namespace
} // namespace klt
