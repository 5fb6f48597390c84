#include "app/ConfigurationPaths.h"
#include "app/KLTIni.h"
#include "core/MesswertColours.h"
#include "core/TrainingEnvironment.h"

#include "tests/core/MesswertFixture.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace klt {
namespace {

namespace fs = std::filesystem;

constexpr const char* DamagedMessage = "Error reading your stored settings\r\nWill be set to defaults";

// Sets or unsets an environment variable for the lifetime of the object.
class TEnvironmentVariable {
public:
    TEnvironmentVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        Set(value);
    }
    ~TEnvironmentVariable() { Set(old_); }
    TEnvironmentVariable(const TEnvironmentVariable&) = delete;
    TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path MakeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "klt-ini-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

class KLTIniFileTest : public MesswertFixture {
protected:
    ~KLTIniFileTest() override {
        RebuildSlotColours(PaletteColor, false, TRgb{});
        fs::remove_all(dir_);
    }

    void WriteConfig(const std::string& text) {
        fs::create_directories(configPath_.parent_path());
        WriteText(configPath_, text);
    }

    fs::path dir_ = MakeTempDir();
    fs::path configPath_ = dir_ / "config" / "klt" / "KLTWIN.CFG";
    TEnvironmentVariable database_{"KLT_DATABASE", (dir_ / "db").string()};
    test::TScriptedPrompt prompt_;
};

TEST_F(KLTIniFileTest, WithoutAFileTheDefaultsHoldSilentlyAndTheProgramIsToldWhereItsDataIs) {
    {
        TKLTIniFile ini(configPath_.string());
        EXPECT_TRUE(prompt_.shown.empty());
        EXPECT_TRUE(ini.Equals(TKLTIniData()));
        EXPECT_EQ(ini.SystemData.DataBaseDir, (dir_ / "db").string());
        const TTrainingEnvironment& environment = TrainingEnvironment();
        EXPECT_EQ(environment.databaseDir, (dir_ / "db").string());
        EXPECT_EQ(environment.fileHistory, &ini.FileHistory);
        EXPECT_EQ(environment.markerNames, &ini.MarkerIdentList);
    }
    EXPECT_EQ(TrainingEnvironment().fileHistory, nullptr);
    EXPECT_EQ(TrainingEnvironment().markerNames, nullptr);
    EXPECT_TRUE(fs::exists(configPath_)); // saved at the end, directories created
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(KLTIniFileTest, SettingsSurviveTheProgramEndAndAreAppliedAtTheNextStart) {
    const fs::path ride = dir_ / "ride.klt";
    WriteText(ride, "x");
    {
        TKLTIniFile ini(configPath_.string());
        ini.SystemData.SetUserName("AB");
        ini.SystemData.UnitsSPD = 1;
        ini.OptionData.GraphicData.PRBGICanvasPalette = PaletteGray;
        ini.OptionData.DiagrammMehrZ.SkalaLeistung.SetOffset(800);
        ini.FileHistory.AddFile((dir_ / "gone.klt").string());
        ini.FileHistory.AddFile(ride.string());
        ini.MarkerIdentList.AddName("Climb");
    }
    fs::remove(dir_ / "gone.klt"); // never existed: purged on loading
    TKLTIniFile ini(configPath_.string());
    EXPECT_EQ(ini.SystemData.UserName(), "AB");
    EXPECT_EQ(ini.OptionData.DiagrammMehrZ.SkalaLeistung.Offset(), 800);
    EXPECT_EQ(ini.FileHistory.Items(), std::vector<std::string>{ride.string()});
    EXPECT_EQ(ini.MarkerIdentList.Items(), std::vector<std::string>{"Climb"});
    EXPECT_EQ(MesswertArt(mwaGeschwindigkeit).UnitShortName(), "m/s");
    EXPECT_EQ(SlotColour(MesswertArt(mwaLeistung).ColourSlot()), TRgb{}); // grey palettes: window text
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(KLTIniFileTest, ADamagedFileGivesTheDefaultsAMessageAndIsKeptForRepair) {
    const std::string damaged =
        "object KLTIniFile: TKLTIniFile\n  SystemData.UserName = 'AB'\n  SystemData.X = 1\nend\n";
    WriteConfig(damaged);
    {
        TKLTIniFile ini(configPath_.string());
        EXPECT_TRUE(ini.Equals(TKLTIniData()));
        ASSERT_EQ(prompt_.shown.size(), 1u);
        EXPECT_EQ(prompt_.shown[0].caption, "Attention");
        EXPECT_EQ(prompt_.shown[0].text, DamagedMessage);
        EXPECT_EQ(TrainingEnvironment().fileHistory, &ini.FileHistory);
    }
    EXPECT_EQ(ReadText(configPath_.string() + ".damaged"), damaged);
    EXPECT_EQ(ReadText(configPath_), TKLTIniData().Text());
    EXPECT_EQ(prompt_.shown.size(), 1u);
}

TEST_F(KLTIniFileTest, UnreadableFilesCountAsDamaged) {
    WriteConfig(std::string(TKLTIniFile::kMaxFileSize + 1, ' '));
    TKLTIniFile tooLarge(configPath_.string());
    fs::remove(configPath_.string() + ".damaged");

    const fs::path fifo = dir_ / "fifo.cfg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TKLTIniFile pipe(fifo.string()); // must not wait for a writer

    ASSERT_EQ(prompt_.shown.size(), 2u);
    EXPECT_EQ(prompt_.shown[0].text, DamagedMessage);
    EXPECT_EQ(prompt_.shown[1].text, DamagedMessage);
}

TEST_F(KLTIniFileTest, AnUnsaveableLocationIsReported) {
    WriteText(dir_ / "file", "");
    const std::string path = (dir_ / "file" / "KLTWIN.CFG").string();
    {
        TKLTIniFile ini(path);
        EXPECT_TRUE(prompt_.shown.empty()); // nothing to read is no damage
        EXPECT_FALSE(ini.Save());
    }
    ASSERT_EQ(prompt_.shown.size(), 2u); // the explicit save and the one at the end
    EXPECT_EQ(prompt_.shown[1].caption, "Warning");
    EXPECT_EQ(prompt_.shown[1].text, "Unable to save your settings to file " + path);
}

TEST_F(KLTIniFileTest, SavingReplacesTheFileAsAWholeEvenWhenItIsReadOnly) {
    WriteConfig(TKLTIniData().Text());
    fs::permissions(configPath_, fs::perms::owner_read);
    {
        TKLTIniFile ini(configPath_.string());
        ini.SystemData.SetUserName("CD");
    }
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(configPath_.parent_path()), fs::directory_iterator()), 1);
    TKLTIniFile ini(configPath_.string());
    EXPECT_EQ(ini.SystemData.UserName(), "CD");
}

TEST(ConfigurationPathsTest, EnvironmentVariablesChooseTheLocations) {
    TEnvironmentVariable home("HOME", "/home/rider");
    TEnvironmentVariable config("KLT_CONFIG", std::nullopt);
    TEnvironmentVariable database("KLT_DATABASE", std::nullopt);
    {
        TEnvironmentVariable xdg("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(ConfigurationFilePath(), "/home/rider/.config/klt/KLTWIN.CFG");
        EXPECT_EQ(DefaultDatabaseDir(), "/home/rider/Documents/KLT/_DATA.KLT");
    }
    {
        TEnvironmentVariable xdg("XDG_CONFIG_HOME", "relative/is/ignored");
        EXPECT_EQ(ConfigurationFilePath(), "/home/rider/.config/klt/KLTWIN.CFG");
    }
    TEnvironmentVariable xdg("XDG_CONFIG_HOME", "/etc/xdg-user");
    EXPECT_EQ(ConfigurationFilePath(), "/etc/xdg-user/klt/KLTWIN.CFG");
    TEnvironmentVariable overrideConfig("KLT_CONFIG", "/portable/settings.cfg");
    TEnvironmentVariable overrideDatabase("KLT_DATABASE", "/portable/data");
    EXPECT_EQ(ConfigurationFilePath(), "/portable/settings.cfg");
    EXPECT_EQ(DefaultDatabaseDir(), "/portable/data");
    EXPECT_EQ(TSystemData().DataBaseDir, "/portable/data");
}

} // namespace
} // namespace klt
