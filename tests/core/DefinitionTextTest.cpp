#include "core/DefinitionText.h"

#include "core/Exceptions.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitString, SplitsAtBarsKeepingEmptyFields) {
    EXPECT_EQ(SplitString("||Work|WRK|0|1/8e5|kilojoules|kJ"),
              (Fields{"", "", "Work", "WRK", "0", "1/8e5", "kilojoules", "kJ"}));
    EXPECT_EQ(SplitString("a|"), (Fields{"a", ""}));
    EXPECT_EQ(SplitString(""), (Fields{""}));
}

TEST(SplitString, TrimsTheTrimSetButNotInnerSpaces) {
    EXPECT_EQ(SplitString(" \t miles per hour\r\n|\x7Fÿmphÿ\b"), (Fields{"miles per hour", "mph"}));
    EXPECT_EQ(SplitString(std::string("a\0|b", 4)), (Fields{"a", "b"}));
    EXPECT_EQ(SplitString(" °C|été"), (Fields{"°C", "été"})); // of the non-ASCII characters only ÿ is trimmed
}

TEST(SplitString, QuotesProtectBarsAndSpaces) {
    EXPECT_EQ(SplitString("x|\"a|b\"|y"), (Fields{"x", "a|b", "y"}));
    EXPECT_EQ(SplitString(" \" a \" |z"), (Fields{" a ", "z"}));
    EXPECT_EQ(SplitString("\"\"|\"|\""), (Fields{"", "|"}));
}

TEST(SplitString, UnclosedQuoteIsAnErrorAtThatField) {
    try {
        SplitString("a|\"b|c");
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "SplitString(\")");
    }
    TDefinitionFields fields("1|2|\"broken");
    EXPECT_EQ(fields.Next(), "1");
    EXPECT_EQ(fields.Next(), "2");
    EXPECT_FALSE(fields.AtEnd());
    EXPECT_THROW(fields.Next(), EConvertError);
}

TEST(ReadNumberField, ReadsNumbersAndQuotientsWithEmptyAsMinusUnbounded) {
    EXPECT_EQ(ReadNumberField("-55"), -55);
    EXPECT_EQ(ReadNumberField("3.6e-3"), 3.6e-3);
    EXPECT_EQ(ReadNumberField("1/8"), 0.125);
    EXPECT_EQ(ReadNumberField("1/8e5"), 1 / 8e5);
    EXPECT_EQ(ReadNumberField("1/1.609344e8"), 1 / 1.609344e8);
    EXPECT_EQ(ReadNumberField("1,000.5"), 1000.5);
    EXPECT_EQ(ReadNumberField(""), -UnboundedLimit);
    EXPECT_FALSE(ReadNumberField("watt"));
    EXPECT_FALSE(ReadNumberField("1/"));
    EXPECT_FALSE(ReadNumberField("1/x"));
    EXPECT_FALSE(ReadNumberField("{Text 288}"));
}

TEST(ReadFactorField, ReadsAnOptionalOffsetAfterASemicolon) {
    std::optional<TFactorField> fahrenheit = ReadFactorField("0.18;32");
    ASSERT_TRUE(fahrenheit);
    EXPECT_EQ(fahrenheit->factor, 0.18);
    EXPECT_EQ(fahrenheit->offset, 32);
    std::optional<TFactorField> watt = ReadFactorField("1/8");
    ASSERT_TRUE(watt);
    EXPECT_EQ(watt->factor, 0.125);
    EXPECT_EQ(watt->offset, 0);
    EXPECT_FALSE(ReadFactorField("1;x"));
    EXPECT_FALSE(ReadFactorField("x;1"));
}

} // namespace
} // namespace klt
