#include "core/MesswertDefinition.h"

#include <gtest/gtest.h>

namespace klt {
namespace {

constexpr const char* Temperature =
    "-55|125|Temperature|TMP|1|0.1|degrees Celsius|°C|1|0.18;32|degrees Fahrenheit|°F";

TEST(ReadMesswertDefinition, ConvertsLimitsWithTheFirstUnit) {
    TMesswertDefinition fahrenheit = ReadMesswertDefinition(Temperature, 1);
    EXPECT_EQ(fahrenheit.minimum, -550);
    EXPECT_EQ(fahrenheit.maximum, 1250);
    EXPECT_EQ(fahrenheit.name, "Temperature");
    EXPECT_EQ(fahrenheit.shortName, "TMP");
    EXPECT_EQ(fahrenheit.unitIndex, 1);
    EXPECT_EQ(fahrenheit.unit.decimals, 1);
    EXPECT_EQ(fahrenheit.unit.factor, 0.18);
    EXPECT_EQ(fahrenheit.unit.offset, 32);
    EXPECT_EQ(fahrenheit.unit.name, "degrees Fahrenheit");
    EXPECT_EQ(fahrenheit.unit.shortName, "°F");
}

TEST(ReadMesswertDefinition, FallsBackToTheFirstUnit) {
    for (int index : {2, 7, -1}) {
        TMesswertDefinition missing = ReadMesswertDefinition(Temperature, index);
        EXPECT_EQ(missing.unitIndex, 0) << index;
        EXPECT_EQ(missing.unit.shortName, "°C") << index;
    }
    for (const char* malformed : {"0|10|N|S|0|1|a|a|x|2|b|b", "0|10|N|S|0|1|a|a|1|0|b|b", "0|10|N|S|0|1|a|a|0/0|2|b|b",
                                  "0|10|N|S|0|1|a|a|1|2|b", "0|10|N|S|0|1|a|a|1|\"2|b|b"}) {
        TMesswertDefinition fallback = ReadMesswertDefinition(malformed, 1);
        EXPECT_EQ(fallback.unitIndex, 0) << malformed;
        EXPECT_EQ(fallback.unit.name, "a") << malformed;
        EXPECT_EQ(fallback.name, "N") << malformed;
    }
}

TEST(ReadMesswertDefinition, LimitsThatAreNoNumberMeanNoLimit) {
    TMesswertDefinition odd = ReadMesswertDefinition("0/0|1/0|N|S|0|1|a|a", 0);
    EXPECT_EQ(odd.minimum, -UnboundedLimit);
    EXPECT_EQ(odd.maximum, UnboundedLimit);
}

TEST(ReadMesswertDefinition, AMissingTextGivesAnEmptyUnboundedKind) {
    for (const char* unreadable : {"{Text 288}", "0|10|\"Name|S|0|1|a|a", "0|10|N|S|x|1|a|a"}) {
        TMesswertDefinition kind = ReadMesswertDefinition(unreadable, 0);
        EXPECT_EQ(kind.unit.factor, 1) << unreadable;
        EXPECT_EQ(kind.unit.offset, 0) << unreadable;
        EXPECT_EQ(kind.unit.name, "") << unreadable;
    }
    TMesswertDefinition missing = ReadMesswertDefinition("{Text 288}", 0);
    EXPECT_EQ(missing.name, "");
    EXPECT_EQ(missing.minimum, -UnboundedLimit);
    EXPECT_EQ(missing.maximum, UnboundedLimit);
}

TEST(ReadMesswertDefinition, TruncatesNamesToTheirStoredLength) {
    TMesswertDefinition kind = ReadMesswertDefinition(
        "0|1|Highest change of heart rate per second of a ride|dHRTmax|0|1|(1/min)/s|(1/min)/s", 0);
    EXPECT_EQ(kind.name, "Highest change of heart rate per second ");
    EXPECT_EQ(kind.shortName, "dHRTma");
    EXPECT_EQ(kind.unit.shortName, "(1/min");
    EXPECT_EQ(ReadMesswertDefinition("0|1|N|°°°°°°°°|0|1|u|u", 0).shortName, "°°°°°°");
}

TEST(ReadMesswertUnitNames, ListsTheReadableUnitsInOrder) {
    EXPECT_EQ(ReadMesswertUnitNames(Temperature),
              (std::vector<std::string>{"degrees Celsius", "degrees Fahrenheit"}));
    EXPECT_EQ(ReadMesswertUnitNames("0|10|N|S|0|1|a|a|x|2|b|b"), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(ReadMesswertUnitNames("{Text 290}").empty());
}

} // namespace
} // namespace klt
