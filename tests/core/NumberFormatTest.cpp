#include "core/NumberFormat.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

const TFormatSettings English{".", ","};
const TFormatSettings German{",", "."};

std::string Fixed(double value, int decimals, bool withThousands = false,
                  const TFormatSettings& settings = English) {
    return FormatFloatFixed(value, decimals, withThousands, settings);
}

TEST(FormatFloatFixed, RoundsTo15SignificantDigitsThenHalfAwayFromZero) {
    EXPECT_EQ(Fixed(0.125, 2), "0.13"); // exact binary tie
    EXPECT_EQ(Fixed(2.675, 2), "2.68"); // 2.67499999… in binary, 2.675 at 15 digits
    EXPECT_EQ(Fixed(-2.5, 0), "-3");
    EXPECT_EQ(Fixed(1.005, 2), "1.01");
    EXPECT_EQ(Fixed(0.005, 2), "0.01");
    EXPECT_EQ(Fixed(0.0049, 2), "0.00");
    EXPECT_EQ(Fixed(1e-20, 2), "0.00");
    EXPECT_EQ(Fixed(36.000000000000004, 1), "36.0");
    EXPECT_EQ(Fixed(999.96, 1), "1000.0");
    EXPECT_EQ(Fixed(999.96, 1, true), "1,000.0");
    EXPECT_EQ(Fixed(0.96, 0), "1");
}

TEST(FormatFloatFixed, NeverShowsMinusZero) {
    EXPECT_EQ(Fixed(-0.04, 1), "0.0");
    EXPECT_EQ(Fixed(-0.0, 0), "0");
    EXPECT_EQ(Fixed(-0.05, 1), "-0.1");
}

TEST(FormatFloatFixed, GroupsThousandsWithTheGivenSeparators) {
    EXPECT_EQ(Fixed(1234567.891, 2, true, German), "1.234.567,89");
    EXPECT_EQ(Fixed(1234567.891, 2, false, German), "1234567,89");
    EXPECT_EQ(Fixed(-123456, 0, true), "-123,456");
    EXPECT_EQ(Fixed(999, 0, true), "999");
    EXPECT_EQ(Fixed(1234.5, 1, true, TFormatSettings{",", "\u202F"}), "1\u202F234,5");
}

TEST(FormatFloatFixed, UsesScientificFormBeyond15IntegerDigitsAndAtMost18Decimals) {
    EXPECT_EQ(Fixed(123456789012345.0, 0), "123456789012345");
    EXPECT_EQ(Fixed(1e16, 2), "1E16");
    EXPECT_EQ(Fixed(-1.5e20, 2, true, German), "-1,5E20");
    EXPECT_EQ(Fixed(1.5, -3), "2");
    EXPECT_EQ(Fixed(1.5, 25), "1.500000000000000000");
}

TEST(ParseFloat, ReadsSignsFractionsAndExponentsIgnoringTrimCharactersAndThousands) {
    EXPECT_EQ(ParseFloat(" 1,234.5\t", English), 1234.5);
    EXPECT_EQ(ParseFloat("1.234,5", German), 1234.5);
    EXPECT_EQ(ParseFloat("1 2", English), 12);
    EXPECT_EQ(ParseFloat("1.5", German), 15); // a thousands separator counts wherever it stands
    EXPECT_EQ(ParseFloat("ÿ7", English), 7);
    EXPECT_EQ(ParseFloat("+5", English), 5);
    EXPECT_EQ(ParseFloat("-.5", English), -0.5);
    EXPECT_EQ(ParseFloat("3.", English), 3);
    EXPECT_EQ(ParseFloat("1e3", English), 1000);
    EXPECT_EQ(ParseFloat("2,5E-1", German), 0.25);
}

TEST(ParseFloat, ReportsTextThatIsNoNumber) {
    for (const char* text : {"", "  ", "abc", "1e", "--1", "1.2.3", ".", "1e999", "inf", "nan", "0x10"}) {
        EXPECT_FALSE(ParseFloat(text, English).has_value()) << text;
    }
}

TEST(LocaleFormatSettings, FallsBackToPointAndComma) {
    EXPECT_EQ(LocaleFormatSettings("C"), English);
    EXPECT_EQ(LocaleFormatSettings("C.UTF-8"), English);
    EXPECT_EQ(LocaleFormatSettings("xx_NOWHERE.UTF-8"), English);
}

} // namespace
} // namespace klt
