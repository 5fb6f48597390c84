#include <gtest/gtest.h>

#include "app/ColorNames.h"
#include "app/ProfileReader.h"
#include "core/ProfileText.h"
#include "app/ProfileWriter.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TScriptedPrompt;

constexpr int32_t kToday = 53000;

// The profile text with `lines` inserted after the first line holding `after`.
std::string InsertAfter(std::string text, std::string_view after, std::string_view lines) {
    std::size_t at = text.find('\n', text.find(after)) + 1;
    return text.insert(at, lines);
}

class ProfileReader : public ::testing::Test {
protected:
    TScriptedPrompt prompt;
    const TProfileOptionSets defaults{kToday};
    TProfileOptionSets custom{kToday};

    TProfileOptionSets Read(std::string_view text) { return ReadProfileText(text, defaults, "JD.xml"); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& shown : prompt.shown) {
            EXPECT_EQ(shown.caption, "Attention");
            texts.push_back(shown.text);
        }
        return texts;
    }
};

TEST_F(ProfileReader, UnknownElementInsideSystemResetsOnlyThatSet) {
    custom.System = {6, 3};
    custom.SingleChart.ChartTitle = "kept";
    std::string text = InsertAfter(WriteProfileText(custom), "\"VeltrakVersion\"", "    <Foo>\n");
    TProfileOptionSets read = Read(text);
    EXPECT_EQ(read.System, defaults.System);
    EXPECT_EQ(read.SingleChart.ChartTitle, "kept");
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Fileformat Error\r\n<Foo> not allowed in <System>"}));
}

TEST_F(ProfileReader, DamagedMaxPanelRestoresThatPanelOnly) {
    custom.AnalyseOptionSet.MaxPanel(0) = {false, 100, 0x00FF00};
    custom.AnalyseOptionSet.MaxPanel(1) = {false, 200, 0x00FF00};
    custom.AnalyseOptionSet.MaxPanel(2) = {false, 300, 0x00FF00};
    std::string text = WriteProfileText(custom);
    // The second panel gets a stray element and the third a colour nobody knows.
    text = InsertAfter(text, "\"Time\" Value=\"200\"", "      <TrainingZone>\n");
    text.replace(text.find("clLime", text.find("\"Time\" Value=\"300\"")), 6, "clMauve");
    TProfileOptionSets read = Read(text);
    const TAnalyseOptionSet& analyse = read.AnalyseOptionSet;
    EXPECT_EQ(analyse.MaxPanel(0), (TMaxPanel{false, 100, 0x00FF00}));
    EXPECT_EQ(analyse.MaxPanel(1), TAnalyseOptionSet::DefaultMaxPanel(1));
    EXPECT_EQ(analyse.MaxPanel(2), TAnalyseOptionSet::DefaultMaxPanel(2));
    EXPECT_TRUE(analyse.ZoneSets() == custom.AnalyseOptionSet.ZoneSets());
    // One damaged file, one message.
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Fileformat Error\r\n<TrainingZone> not allowed in <MaxPanel>"}));
}

TEST_F(ProfileReader, ZoneSetsThatDoNotFitTheFirstAreDroppedWithAMessage) {
    TAnalyseOptionSet& analyse = custom.AnalyseOptionSet;
    analyse.AddZoneSet(kToday - 10); // two sets with the same zones
    analyse.AddZoneSet(kToday);
    TTrainingZone renamed = *analyse.ZoneSet(1)->Zone(0);
    renamed.Name = "Recovery";
    analyse.ZoneSet(1)->SetZone(0, renamed);
    analyse.ZoneSet(2)->DeleteZone(4);
    TProfileOptionSets read = Read(WriteProfileText(custom));
    ASSERT_EQ(read.AnalyseOptionSet.ZoneSetCount(), 1);
    EXPECT_EQ(*read.AnalyseOptionSet.ZoneSet(0), *analyse.ZoneSet(0));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with("The Software could not load all TrainingZoneSets\r\n"));
    EXPECT_NE(Messages()[0].find("TrainingZoneSet is not compatible with current software version\r\n"
                                 "Since Version 6.33.00 each TrainingZoneSet must have the same length"),
              std::string::npos);
}

TEST_F(ProfileReader, ZoneSetsAreOrderedByDateAndEmptyOrDamagedOnesLeftOut) {
    std::string text = WriteProfileText(custom);
    const std::string later = "    <TrainingZoneSet>\n      <Variable Name=\"Date\" Value=\"2030-01-01\"/>\n"
                              "    </TrainingZoneSet>\n";
    std::string set = text.substr(text.find("    <TrainingZoneSet>"));
    set = set.substr(0, set.find("    </TrainingZoneSet>\n") + 23);
    std::string earlier = set;
    earlier.replace(earlier.find("2026-02-09"), 10, "2020-05-01");
    std::string damaged = set;
    damaged.replace(damaged.find("clRed"), 5, "nonsense");
    text = InsertAfter(text, "<AnalyseOptionSet>", later + damaged + set + earlier);
    TProfileOptionSets read = Read(text);
    ASSERT_EQ(read.AnalyseOptionSet.ZoneSetCount(), 3);
    EXPECT_EQ(ProfileDateText(read.AnalyseOptionSet.ZoneSet(0)->Date), "2020-05-01");
    EXPECT_EQ(read.AnalyseOptionSet.ZoneSet(2)->Date, kToday + 365);
    EXPECT_EQ(Messages().size(), 2u); // the damaged colour, the set without zones
}

TEST_F(ProfileReader, ValuesFollowTheReadingRules) {
    std::string text = WriteProfileText(custom);
    auto set = [&](std::string_view name, std::string_view value) {
        std::size_t at = text.find("Name=\"" + std::string(name) + "\"");
        std::size_t begin = text.find("Value=\"", at) + 7;
        text.replace(begin, text.find('"', begin) - begin, value);
    };
    set("VeltrakVersion", "6x");          // not a number: 0
    set("ProtectionLevel", "4294967296"); // beyond 32 bits: 0
    set("DrawGrid", "no");                // anything but "0" is true
    set("AutomaticUpload", "0");
    set("Adminmode", "");
    set("Time", "0x10");
    set("Color", "$00123456");
    set("Servername", std::string(100, 'x'));
    TProfileOptionSets read = Read(text);
    EXPECT_EQ(read.System.VeltrakVersion, 0);
    EXPECT_EQ(read.System.ProtectionLevel, 0);
    EXPECT_TRUE(read.RatioDataChartOptionSet.DrawGrid);
    EXPECT_FALSE(read.UploadDataOptionSet.AutomaticUpload);
    EXPECT_TRUE(read.UploadDataOptionSet.Adminmode);
    EXPECT_EQ(read.AnalyseOptionSet.MaxPanel(0).Time, 0);
    EXPECT_EQ(read.AnalyseOptionSet.ZoneSet(0)->Zone(0)->Color, 0x123456u);
    EXPECT_EQ(read.UploadDataOptionSet.Servername, std::string(70, 'x'));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ProfileReader, HostileLinesNeverBreakTheReader) {
    custom.MultiChart.ChartTitle = "survives";
    std::string text = WriteProfileText(custom);
    const std::string junk = "<Variable " + std::string(100'000, '"') + "\n<Variable Name=\"Smooting\n" +
                             std::string(1, '\0') + "\xFF\xFE<\n";
    std::string hostile = InsertAfter(text, "<StatisticChartOptionSet>", junk);
    TProfileOptionSets read = Read(hostile);
    EXPECT_EQ(read.MultiChart.ChartTitle, "survives");
    EXPECT_TRUE(read.StatisticChartOptionSet.Equals(defaults.StatisticChartOptionSet));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_LT(Messages()[0].size(), 300u); // the offending line is cut for the message box

    // A file that ends inside a block keeps what came before it.
    prompt.shown.clear();
    read = Read(text.substr(0, text.rfind('\n', text.find("\"ChartTitle\" Value=\"survives\"")) + 1));
    EXPECT_EQ(read.System, custom.System);
    EXPECT_EQ(read.MultiChart, defaults.MultiChart);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"File:JD.xml damaged"}));
}

TEST_F(ProfileReader, StrayClosingLinesCloseTheirBlocksAtTheRightLevel) {
    custom.RatioDataChartOptionSet.SmootingFct = 30;
    std::string text = WriteProfileText(custom);
    // A MaxPanel block that is never closed: the analysis set's closing line ends it and is
    // left for the analysis set, so the sets after it are still read.
    std::size_t panel = text.rfind("    </MaxPanel>\n");
    text.erase(panel, 16);
    TProfileOptionSets read = Read(text);
    EXPECT_EQ(read.RatioDataChartOptionSet.SmootingFct, 30);
    EXPECT_EQ(read.AnalyseOptionSet.MaxPanel(7), defaults.AnalyseOptionSet.MaxPanel(7));
    EXPECT_TRUE(read.AnalyseOptionSet.Equals(defaults.AnalyseOptionSet));
}

TEST(ProfileText, EscapesSurviveAndNamesListsKeepTheirCommas) {
    const std::string value = "a\"b<c>&d\r\n\t\x7F\xC3\xA9";
    std::optional<TProfileVariable> variable = ParseProfileVariable("  " + ProfileVariableLine("X", value));
    ASSERT_TRUE(variable.has_value());
    EXPECT_EQ(variable->name, "X");
    EXPECT_EQ(variable->value, value);
    EXPECT_EQ(UnescapeProfileValue("&bogus; &#; &#999; &"), "&bogus; &#; &#999; &");
    EXPECT_FALSE(ParseProfileVariable("<MaxPanel>").has_value());

    const std::vector<std::string> names = {"JD", "Smith, J.", "say \"hi\""};
    EXPECT_EQ(JoinProfileNames(names), "JD,\"Smith, J.\",\"say \"\"hi\"\"\"");
    EXPECT_EQ(SplitProfileNames(JoinProfileNames(names)), names);
    EXPECT_EQ(SplitProfileNames(",A,,B,"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ProfileDate("2026-02-30"), 0);

    EXPECT_EQ(ColorToText(0x0000FF), "clRed");
    EXPECT_EQ(ColorToText(0x005E00), "$00005E00");
    EXPECT_EQ(ColorFromText("CLRED"), 0x0000FFu);
    EXPECT_EQ(ColorFromText("0xff"), 0xFFu);
    EXPECT_EQ(ColorFromText("-16777201"), 0xFF00000Fu); // system colours are negative numbers
    EXPECT_FALSE(ColorFromText("4294967296").has_value());
    EXPECT_FALSE(ColorFromText("$").has_value());
    EXPECT_EQ(ProfileDate(ProfileDateText(kToday)), kToday);
}

} // namespace
} // namespace klt
