#include <gtest/gtest.h>

#include <filesystem>

#include "core/Exceptions.h"
#include "online/OnlineOptions.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::ReadFileBytes;
using test::TScriptedPrompt;
using test::TTempDir;
using test::WriteFileBytes;

// Every set away from its defaults, with texts that would break an unescaped line.
void ChangeEverything(TOnlineOptions& options) {
    options.OnlineCommonOptionSet.ControlRate = 3;
    options.OnlineCommonOptionSet.SaveData = true;
    options.OnlineCommonOptionSet.Breakfreewheel = 2;
    options.OnlineCommonOptionSet.BrakeOptionSet.OffsetCorrection = -250;
    options.OnlineMainChartOptionSet.TimeScaleMode = 1;
    options.OnlineMainChartOptionSet.SetTime(6000);
    options.OnlineMainChartOptionSet.SpeedSkala.Skala.SetDisplayRange(true, 60, 10);
    TOnlineErgometerOptions& ergometer = options.OnlineErgometerOptions;
    ergometer.SetErgometerMode(emDemoMode);
    TUser user;
    user.Username = "Ann \"Fast\" <O'Neill> & Co";
    user.Weight = 61;
    user.Height = 172;
    ergometer.OpenEndTestOptionSet.UserNameList.PutItem(5, user);
    ergometer.OpenEndTestOptionSet.CurrentUser = user.Username;
    ergometer.ShortTestOptionSet.Time = 3000;
    TKLTDemoCategorie categorie;
    categorie.SetName("Juniors </Categories>");
    categorie.Watt = 250;
    categorie.Tolerance = -5;
    options.OnlineDemoModeOptionSet.Categories.PutItem(0, categorie);
    options.OnlineDemoModeOptionSet.DemoMode = 3;
}

std::string Line(int level, const std::string& name, const std::string& value) {
    return std::string(2 * level, ' ') + "<Variable Name=\"" + name + "\" Value=\"" + value + "\"/>\n";
}

TEST(OnlineOptions, SavedOptionsLoadEqualInTheirLineForm) {
    TTempDir dir;
    TOnlineOptions options(dir.Path());
    ChangeEverything(options);
    options.Save();
    const std::string text = ReadFileBytes(dir.File("OnlineOptions.cfg"));
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\"?>\n<OnlineOptionSets>\n  <OnlineCommonOptionSet>\n" +
                                 Line(2, "ControlRate", "3")));
    EXPECT_NE(text.find(Line(2, "SaveData", "-1") + Line(2, "Breakfreewheel", "2")), std::string::npos);
    EXPECT_NE(text.find("    <BrakeOptionSet>\n" + Line(3, "Friction", "60") + Line(3, "Slope", "131") +
                        Line(3, "Fixpoint", "1018") + Line(3, "OffsetCorrection", "-250") +
                        "    </BrakeOptionSet>\n  </OnlineCommonOptionSet>\n"),
              std::string::npos);
    EXPECT_NE(text.find("    <SpeedSkala>\n" + Line(3, "Enabled", "1") + Line(3, "Minimum", "10") +
                        Line(3, "Maximum", "60")),
              std::string::npos);
    EXPECT_NE(text.find("</HRVarianceSkala>\n    <SpeedSkala>"), std::string::npos);
    EXPECT_NE(
        text.find("    <ShortTestOptionSet>\n" + Line(3, "Time", "3000") + "    </ShortTestOptionSet>\n"),
        std::string::npos);
    EXPECT_TRUE(text.ends_with("  </OnlineDemoModeOptionSet>\n</OnlineOptionSets>\n"));

    TScriptedPrompt prompt;
    TOnlineOptions loaded(dir.Path());
    loaded.Load();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(loaded.SameAs(options));
    ASSERT_EQ(loaded.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList.Count(), 1);
    EXPECT_EQ(loaded.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList.Item(0)->Username,
              "Ann \"Fast\" <O'Neill> & Co");
    TCurrentUser current;
    current.Select(loaded.OnlineErgometerOptions.OpenEndTestOptionSet);
    EXPECT_EQ(current.Height, 172);

    TOnlineOptions copy(dir.Path());
    EXPECT_FALSE(copy.SameAs(options));
    copy.AssignFrom(options);
    EXPECT_TRUE(copy.SameAs(options));
    copy.SetDefaults();
    EXPECT_EQ(copy.OnlineCommonOptionSet.ControlRate, 6);
    EXPECT_EQ(copy.OnlineMainChartOptionSet.Time(), 6000); // a reset leaves the chart's time alone
}

void ExpectDefaults(const TOnlineOptions& options) {
    const TOnlineCommonOptionSet& common = options.OnlineCommonOptionSet;
    EXPECT_EQ(common.ControlRate, 6);
    EXPECT_EQ(common.GearingLow, 13);
    EXPECT_EQ(common.GearingHigh, 53);
    EXPECT_EQ(common.BrakeOptionSet.Friction, 60);
    EXPECT_EQ(common.BrakeOptionSet.Slope, 131);
    EXPECT_EQ(common.BrakeOptionSet.Fixpoint, 1018);
    EXPECT_EQ(options.OnlineErgometerOptions.ErgometerMode(), emOpenEndTest);
    EXPECT_EQ(options.OnlineErgometerOptions.OpenEndTestOptionSet.UserNameList.Count(), 0);
}

TEST(OnlineOptions, DamagedFilesGiveOneMessageAndTheDefaults) {
    TTempDir dir;
    TOnlineOptions saved(dir.Path());
    ChangeEverything(saved);
    const std::string good = saved.WriteText();
    const std::string path = dir.File("OnlineOptions.cfg");
    struct TCase {
        std::string text;
        std::string message;
    };
    const TCase cases[] = {
        {good.substr(good.find('\n') + 1), "File:" + path + " damaged"},
        {good.substr(0, good.find("</OnlineOptionSets>")), "Error reading File:" + path},
        {good.substr(0, good.find("  <OnlineDemoModeOptionSet>")), "Error reading File:" + path},
        {std::string(good).insert(good.find("  <OnlineMainChartOptionSet>"), "\n"),
         "Error reading File:" + path},
    };
    for (const TCase& c : cases) {
        WriteFileBytes(path, c.text);
        TScriptedPrompt prompt;
        TOnlineOptions options(dir.Path());
        ChangeEverything(options);
        options.Load();
        ASSERT_EQ(prompt.shown.size(), 1u) << c.text;
        EXPECT_EQ(prompt.shown[0].text, c.message);
        ExpectDefaults(options);
    }

    std::filesystem::remove(path);
    TScriptedPrompt quiet;
    TOnlineOptions missing(dir.Path());
    ChangeEverything(missing);
    missing.Load();
    EXPECT_TRUE(quiet.shown.empty());
    ExpectDefaults(missing);

    std::filesystem::create_directory(path);
    TScriptedPrompt prompt;
    TOnlineOptions unreadable(dir.Path());
    unreadable.Load();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Error open File " + path);
    EXPECT_THROW(unreadable.Save(), EInOutError); // a folder stands where the file goes
}

TEST(OnlineOptions, ALineASetDoesNotAllowResetsThatSetAlone) {
    TOnlineOptions saved("");
    ChangeEverything(saved);
    saved.OnlineCommonOptionSet.BrakeOptionSet.Friction = 99;
    std::string text = saved.WriteText();
    text.insert(text.find("      <Variable Name=\"Slope\""), "      <Brake Name=\"Slope\"/>\n");
    TOnlineOptions options("");
    const std::vector<std::string> problems = options.ReadText(text);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "Fileformat Error\r\n      <Brake Name=\"Slope\"/> not allowed in BrakeOptionSet");
    EXPECT_EQ(options.OnlineCommonOptionSet.BrakeOptionSet.Friction, 60);
    EXPECT_EQ(options.OnlineCommonOptionSet.ControlRate, 3);
    EXPECT_EQ(options.OnlineCommonOptionSet.Breakfreewheel, 2); // read after the brake set
    EXPECT_TRUE(options.OnlineMainChartOptionSet.SameAs(saved.OnlineMainChartOptionSet));
    EXPECT_TRUE(options.OnlineDemoModeOptionSet.SameAs(saved.OnlineDemoModeOptionSet));
}

TEST(OnlineOptions, PassingModesAreNeverStored) {
    TOnlineErgometerOptions ergometer;
    ergometer.SetErgometerMode(emDemoMode);
    ergometer.SetErgometerMode(emTelemetrie);
    EXPECT_EQ(ergometer.ErgometerMode(), emTelemetrie);
    EXPECT_EQ(ergometer.StoredMode(), emDemoMode);
    ergometer.SetErgometerMode(emError);
    EXPECT_EQ(ergometer.StoredMode(), emPredefinedFile);

    TOnlineOptions options("");
    options.OnlineErgometerOptions.SetErgometerMode(emCalibrationMode);
    options.OnlineErgometerOptions.SetErgometerMode(emTelemetrie);
    TOnlineOptions loaded("");
    loaded.ReadText(options.WriteText());
    EXPECT_EQ(loaded.OnlineErgometerOptions.ErgometerMode(), emCalibrationMode);
}

TEST(OnlineOptions, ValuesAreKeptWithinWhatTheyMayHold) {
    TOnlineMainChartOptionSet chart;
    chart.SetTime(300);
    EXPECT_EQ(chart.Time(), 500);
    TKLTDemoCategorie categorie;
    categorie.SetName(std::string(80, 'n'));
    EXPECT_EQ(categorie.Name(), std::string(70, 'n'));

    TOnlineOptions options("");
    std::string text = options.WriteText();
    text.replace(text.find("\"Time\" Value=\"500\""), 18, "\"Time\" Value=\"300\"");
    options.ReadText(text);
    EXPECT_EQ(options.OnlineMainChartOptionSet.Time(), 500);

    TOnlineOptionList<TUser> users{"UserNameList"};
    EXPECT_EQ(users.Item(0), nullptr);
    TUser ann;
    ann.Username = "Ann";
    users.PutItem(7, ann);
    EXPECT_EQ(users.Item(3)->Username, "Ann"); // clamped to the last
}

TEST(OnlineOptions, TheSelectedProgramIsLoadedAndSavedWithTheOptions) {
    TTempDir dir;
    std::filesystem::create_directories(dir.File("ErgoFiles"));
    WriteFileBytes(dir.File("ErgoFiles/b.ERG"), "");
    WriteFileBytes(dir.File("ErgoFiles/notes.txt"), "");
    TOnlineOptions options(dir.Path());
    TPredefinedFileOptionSet& predefined = options.OnlineErgometerOptions.PredefinedFileOptionSet;
    predefined.AddFileName("a");
    EXPECT_TRUE(std::filesystem::exists(dir.File("ErgoFiles/a.erg")));
    predefined.EditProgram().SetCommentary("ramp");
    options.Save();

    TOnlineOptions loaded(dir.Path());
    loaded.Load();
    const TPredefinedFileOptionSet& read = loaded.OnlineErgometerOptions.PredefinedFileOptionSet;
    EXPECT_EQ(read.FileNames(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(read.SelectedFileName(), "a");
    EXPECT_EQ(read.Program().Commentary(), "ramp");

    // A program that cannot be written is not named by the options.
    std::filesystem::remove(dir.File("ErgoFiles/a.erg"));
    std::filesystem::create_directory(dir.File("ErgoFiles/a.erg"));
    TScriptedPrompt prompt;
    options.Save();
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(predefined.SelectedFileName(), "");
    EXPECT_NE(ReadFileBytes(options.Path()).find(Line(3, "SelectedFileName", "")), std::string::npos);
}

TEST(OnlineOptions, AProgramNameFromTheFileNeverReachesOutsideTheProgramFolder) {
    TTempDir dir;
    WriteFileBytes(dir.File("escape.erg"), "<?xml version=\"1.0\"?>\n<KLTErgoFile>\n</KLTErgoFile>\n");
    TOnlineOptions options(dir.Path());
    std::string text = options.WriteText();
    const std::string empty = "\"SelectedFileName\" Value=\"\"";
    text.replace(text.find(empty), empty.size(), "\"SelectedFileName\" Value=\"../escape\"");
    options.ReadText(text);
    TPredefinedFileOptionSet& predefined = options.OnlineErgometerOptions.PredefinedFileOptionSet;
    EXPECT_EQ(predefined.SelectedFileName(), "");
    EXPECT_THROW(predefined.AddFileName("../escape"), EInOutError);
    options.Save();
    EXPECT_EQ(ReadFileBytes(dir.File("escape.erg")),
              "<?xml version=\"1.0\"?>\n<KLTErgoFile>\n</KLTErgoFile>\n");
}

} // namespace
} // namespace klt
