#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "app/OptionDataUnit.h"
#include "app/ProfileWriter.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::ReadFileBytes;
using test::TScriptedPrompt;
using test::TTempDir;
using test::WriteFileBytes;

constexpr int32_t kToday = 53000;

// A value in every set that differs from its default.
void Customise(TProfileOptionSets& s) {
    s.UserOptionSet.UsedSystems = {"JD", "Smith, J."};
    s.System = {6, 5};
    s.SingleChart.ChartTitle = "Ride \"one\" <best> & more\r\nsecond line";
    s.MultiChart.ChartTitle = "Multi";

    TAnalyseOptionSet& analyse = s.AnalyseOptionSet;
    TTrainingZone zone = *analyse.ZoneSet(0)->Zone(1);
    zone.HeartrateBegin = 120 * 64;
    zone.HeartrateEnd = 140 * 64;
    zone.SpeedEnd = 9000;
    zone.CadenceBegin = 80 * 32;
    zone.Color = 0x123456; // no colour name
    analyse.ZoneSet(0)->SetZone(1, zone);
    analyse.AddZoneSet(kToday);
    analyse.MaxPanel(2) = {false, 12345, 0x00FF00};

    s.ChartOptionSet.LeftAxis = {true, -5, 12'345'678'901};
    s.ChartOptionSet.Marks = true;
    s.ChartOptionSet.BackgroundBar = true;
    s.ChartOptionSet.ValueWindow.AverageValues = false;

    TStatisticChartOptionSet& statistic = s.StatisticChartOptionSet;
    statistic.Smooting = 3;
    statistic.RightAxis = {true, 0, 10 * TChartAxisOption::kScale};
    statistic.PowerSkala.SetDisplayRange(false, 600, 50);
    statistic.CadenceSkala.SetDisplayRange(true, 130, 40);

    TKLTRatioDataChartOptionSet& ratio = s.RatioDataChartOptionSet;
    ratio.SmootingFct = 20;
    ratio.DrawGrid = false;
    ratio.SpeedSkala.MergeFct = 5;
    ratio.SpeedSkala.Skala.SetDisplayRange(true, 50, 10);
    ratio.HeartRateSkala.Skala.SetVisible(false);

    s.UploadDataOptionSet = {"ftp.example.org", "rider",
                             "s\xC3\xA9"
                             "cret pass",
                             true, true};
}

class OptionDataNew : public ::testing::Test {
protected:
    TTempDir dir;
    TScriptedPrompt prompt;

    TOptionDataNew Loaded(const std::string& user) {
        TOptionDataNew profile(dir.Path(), user, kToday);
        profile.Load(kToday);
        return profile;
    }
};

TEST_F(OptionDataNew, EverySetSurvivesSavingAndLoadingAndNamesMatchWithoutCase) {
    TOptionDataNew profile(dir.Path(), "JD", kToday);
    Customise(profile.Sets());
    ASSERT_TRUE(profile.Save());

    TOptionDataNew loaded = Loaded("jd");
    EXPECT_TRUE(loaded.Sets().Equals(profile.Sets()));
    EXPECT_EQ(loaded.ProfilePath(), dir.File("JD.xml"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(OptionDataNew, ProfileIsWrittenOneElementPerLineWithTwoBlanksPerLevel) {
    TProfileOptionSets sets(kToday);
    sets.System.VeltrakVersion = 6;
    const std::string text = WriteProfileText(sets);
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\"?>\n<OptionSets>\n  <UserOptionSet>\n"
                                 "    <Variable Name=\"UsedSystems\" Value=\"\"/>\n  </UserOptionSet>\n"
                                 "  <System>\n    <Variable Name=\"VeltrakVersion\" Value=\"6\"/>\n"));
    EXPECT_NE(text.find("    <TrainingZoneSet>\n      <Variable Name=\"Date\" Value=\"2026-02-09\"/>\n"
                        "      <TrainingZone>\n        <Variable Name=\"Name\" Value=\"KB\"/>\n"),
              std::string::npos);
    EXPECT_NE(text.find("        <Variable Name=\"Color\" Value=\"$00005E00\"/>\n"), std::string::npos);
    EXPECT_NE(text.find("    <MaxPanel>\n      <Variable Name=\"Enabled\" Value=\"1\"/>\n"
                        "      <Variable Name=\"Time\" Value=\"500\"/>\n"
                        "      <Variable Name=\"Color\" Value=\"clRed\"/>\n    </MaxPanel>\n"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("  </UploadDataOptionSet>\n</OptionSets>\n"));
    std::size_t at = 0;
    for (const char* tag : {"<UserOptionSet>", "<System>", "<SingleChart>", "<MultiChart>",
                            "<AnalyseOptionSet>", "<ChartOptionSet>", "<StatisticChartOptionSet>",
                            "<RatioDataChartOptionSet>", "<UploadDataOptionSet>"}) {
        std::size_t next = text.find(std::string("\n  ") + tag + "\n", at);
        ASSERT_NE(next, std::string::npos) << tag << " missing or out of order";
        at = next;
    }
}

TEST_F(OptionDataNew, DamagedFirstLineGivesTheDefaultProfile) {
    TOptionDataNew profile(dir.Path(), "JD", kToday);
    Customise(profile.Sets());
    std::string text = WriteProfileText(profile.Sets());
    WriteFileBytes(dir.File("JD.xml"), "<?xml version=\"2.0\"?>" + text.substr(text.find('\n')));

    TOptionDataNew loaded = Loaded("JD");
    EXPECT_TRUE(loaded.Sets().Equals(Loaded("nobody").Sets()));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].caption, "Attention");
    EXPECT_EQ(prompt.shown[0].text, "File:JD.xml damaged");
}

TEST_F(OptionDataNew, ProfileReadWithLossesIsKeptBesideItBeforeItIsWritten) {
    TOptionDataNew profile(dir.Path(), "JD", kToday);
    Customise(profile.Sets());
    const std::string good = WriteProfileText(profile.Sets());
    std::string damagedBlock = good;
    damagedBlock.insert(damagedBlock.find("  </System>"), "    <Unknown/>\n");
    std::string zoneSetDropped = good;
    const size_t secondSet = zoneSetDropped.find("<TrainingZoneSet>", zoneSetDropped.find("<TrainingZoneSet>") + 1);
    zoneSetDropped.replace(zoneSetDropped.find("\"KB\"", secondSet), 4, "\"XX\""); // no longer fits the first

    for (const std::string& original : {damagedBlock, zoneSetDropped, std::string("not a profile\n")}) {
        std::filesystem::remove(dir.File("JD.xml.damaged"));
        WriteFileBytes(dir.File("JD.xml"), original);
        TOptionDataNew loaded = Loaded("JD");
        EXPECT_EQ(ReadFileBytes(dir.File("JD.xml.damaged")), original);
        ASSERT_TRUE(loaded.Save());
        EXPECT_NE(ReadFileBytes(dir.File("JD.xml")), original);
        EXPECT_EQ(ReadFileBytes(dir.File("JD.xml.damaged")), original); // what was lost stays at hand
    }
}

TEST_F(OptionDataNew, UnchangedProfileIsNotRewritten) {
    TOptionDataNew profile(dir.Path(), "JD", kToday);
    Customise(profile.Sets());
    ASSERT_TRUE(profile.Save());
    struct stat before {};
    ASSERT_EQ(::stat(dir.File("JD.xml").c_str(), &before), 0);
    TOptionDataNew loaded = Loaded("JD");
    ASSERT_TRUE(loaded.Save());
    struct stat after {};
    ASSERT_EQ(::stat(dir.File("JD.xml").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino); // the same file, not a new one
    EXPECT_FALSE(std::filesystem::exists(dir.File("JD.xml.damaged")));

    loaded.Sets().System.VeltrakVersion = 7;
    ASSERT_TRUE(loaded.Save());
    EXPECT_EQ(Loaded("JD").Sets().System.VeltrakVersion, 7);
}

TEST_F(OptionDataNew, EmptyProfileFileIsReplacedByADefaultOne) {
    WriteFileBytes(dir.File("JD.xml"), "");
    TOptionDataNew loaded = Loaded("JD");
    EXPECT_EQ(loaded.UserName(), "JD");
    EXPECT_TRUE(ReadFileBytes(dir.File("JD.xml")).starts_with("<?xml version=\"1.0\"?>\n<OptionSets>\n"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(OptionDataNew, CredentialsFileIsOwnerOnlyWithTheInvertedPassword) {
    WriteFileBytes(dir.File("JD.pwd"), "[Upload]\nUsername=old\n");
    ::chmod(dir.File("JD.pwd").c_str(), 0644);
    TOptionDataNew profile = Loaded("JD");
    EXPECT_EQ(profile.Sets().UploadDataOptionSet.Username, "old");
    EXPECT_EQ(profile.Sets().UploadDataOptionSet.Password, "tavel"); // no "Password" key
    ASSERT_TRUE(profile.Save());

    struct stat status {};
    ASSERT_EQ(::stat(dir.File("JD.pwd").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    const std::string inverted = {'\x8B', '\x9E', '\x89', '\x9A', '\x93'}; // "tavel", every bit flipped
    EXPECT_EQ(ReadFileBytes(dir.File("JD.pwd")), "[Upload]\nUsername=old\nPassword=" + inverted + "\n");
}

TEST_F(OptionDataNew, UsersAreTheDatabaseFoldersAndProfilesTheXmlFiles) {
    namespace fs = std::filesystem;
    for (const char* folder : {"_JD.klt", "_ab.KLT", "_x.txt", "plain.klt", "_.klt"}) {
        fs::create_directory(dir.File(folder));
    }
    WriteFileBytes(dir.File("_file.klt"), "");
    TOptionDataNew profile(dir.Path(), "", kToday);
    EXPECT_EQ(profile.Users(), (std::vector<std::string>{"ab", "JD"}));
    EXPECT_EQ(profile.Profiles(), (std::vector<std::string>{"Default"}));
    EXPECT_EQ(profile.Sets().UserOptionSet.UsedSystems, profile.Users());

    WriteFileBytes(dir.File("b.xml"), "");
    WriteFileBytes(dir.File("A.XML"), "");
    profile.SetDefaults(kToday);
    EXPECT_EQ(profile.Profiles(), (std::vector<std::string>{"A", "b"}));
}

TEST_F(OptionDataNew, DeletingAProfileRemovesBothFilesAndForgetsTheUser) {
    TOptionDataNew profile(dir.Path(), "JD", kToday);
    ASSERT_TRUE(profile.Save());
    TOptionDataNew other = profile;
    other.Sets().System.ProtectionLevel = 1;
    EXPECT_FALSE(other.Equals(profile));
    other.Assign(profile);
    EXPECT_TRUE(other.Equals(profile));

    profile.DeleteProfile();
    EXPECT_EQ(profile.UserName(), "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("JD.xml")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("JD.pwd")));
    EXPECT_TRUE(profile.Save()); // nothing to write without a user
    EXPECT_FALSE(std::filesystem::exists(dir.File(".xml")));
}

TEST_F(OptionDataNew, SavingWhereNoFileCanBeWrittenTellsTheUser) {
    WriteFileBytes(dir.File("blocked"), "");
    TOptionDataNew profile(dir.File("blocked"), "JD", kToday);
    EXPECT_FALSE(profile.Save());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Unable to save profile settings to disk");
}

TEST_F(OptionDataNew, UserNamesThatAreNoPlainFileNamesHaveNoFiles) {
    for (const char* user : {"..", "../JD", "a/b"}) {
        TOptionDataNew profile(dir.Path(), user, kToday);
        EXPECT_EQ(profile.ProfilePath(), "") << user;
        EXPECT_TRUE(profile.Save());
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

} // namespace
} // namespace klt
