#include "app/KLTMainStartup.h"
#include "app/OptionDataUnit.h"
#include "app/SystemData.h"

#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace klt {
namespace {

TEST(KLTMainCommandLine, CollectsTrainingFilesAndExactSwitches) {
    const TKLTCommandLine line =
        ParseCommandLine({"a.klt", "B.KLT", "notes.txt", "noversioncheck", "NoVersionCheck", "x.klt.bak",
                          "dir/c.Klt", "NoFirmwareFlash"});
    EXPECT_EQ(line.pendingFiles, (std::vector<std::string>{"a.klt", "B.KLT", "dir/c.Klt"}));
    EXPECT_EQ(line.flags, TStartupFlag::NoVersionCheck | TStartupFlag::NoFirmwareFlash);
    EXPECT_EQ(ParseCommandLine({"NOFIRMWAREFLASH", ".klt"}).flags, 0);
}

TEST(KLTMainStartupFlags, SetsStartedAndTelemetryAndTakesSwitchesForThisRunOnly) {
    test::TTempDir dir;
    TOptionDataNew tree(dir.Path(), "Rider");
    tree.Sets().System.ProtectionLevel = TStartupFlag::NoFirmwareFlash | 1 << 6;
    ApplyStartupFlags(tree, TStartupFlag::NoVersionCheck);
    EXPECT_EQ(tree.Sets().System.ProtectionLevel,
              TStartupFlag::Started | TStartupFlag::Telemetry | TStartupFlag::NoVersionCheck | 1 << 6);

    TOptionDataNew stored(dir.Path(), "Rider");
    stored.Load();
    EXPECT_EQ(stored.Sets().System.ProtectionLevel & (TStartupFlag::Started | TStartupFlag::Telemetry),
              TStartupFlag::Started | TStartupFlag::Telemetry);
}

TEST(KLTMainHeadUnitSelector, MapsStoredGenerationsToItems) {
    test::TTempDir dir;
    TOptionDataNew tree(dir.Path(), "Rider");
    tree.Sets().System.VeltrakVersion = 4;
    EXPECT_EQ(HeadUnitSelectorItem(tree), 1);
    tree.Sets().System.VeltrakVersion = 5;
    EXPECT_EQ(HeadUnitSelectorItem(tree), 0);
    for (int other : {-1, 6, 7}) {
        tree.Sets().System.VeltrakVersion = other;
        EXPECT_EQ(HeadUnitSelectorItem(tree), 0);
        EXPECT_EQ(tree.Sets().System.VeltrakVersion, 5);
    }
}

TEST(KLTMainHeadUnitSelector, PickingAnItemStoresAndSavesTheGeneration) {
    test::TTempDir dir;
    TOptionDataNew tree(dir.Path(), "Rider");
    SelectHeadUnitItem(tree, 1);
    TOptionDataNew stored(dir.Path(), "Rider");
    stored.Load();
    EXPECT_EQ(stored.Sets().System.VeltrakVersion, 4);
    SelectHeadUnitItem(tree, 0);
    stored.Load();
    EXPECT_EQ(stored.Sets().System.VeltrakVersion, 5);
}

TEST(KLTMainDatabaseCheck, MissingDirectoryIsResetToTheDefaultAndCreated) {
    test::TTempDir dir;
    const std::string fallback = dir.File("default/_DATA.KLT");
    ::setenv("KLT_DATABASE", fallback.c_str(), 1);
    test::TScriptedPrompt prompt;
    TSystemData system;
    system.DataBaseDir = dir.File("gone");
    EXPECT_TRUE(CheckDatabaseDirectory(system));
    ::unsetenv("KLT_DATABASE");
    EXPECT_EQ(system.DataBaseDir, fallback);
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text,
              "Your databasedirectory does not exist\r\nThe directory is set to the default value");

    EXPECT_FALSE(CheckDatabaseDirectory(system));
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST(KLTMainDatabaseCheck, FirstStartCreatesTheDefaultDirectoryWithoutAWord) {
    test::TTempDir dir;
    const std::string fallback = dir.File("home/_DATA.KLT");
    ::setenv("KLT_DATABASE", fallback.c_str(), 1);
    test::TScriptedPrompt prompt;
    for (const std::string& unset : {std::string(), fallback}) {
        TSystemData system;
        system.DataBaseDir = unset;
        EXPECT_TRUE(CheckDatabaseDirectory(system));
        EXPECT_EQ(system.DataBaseDir, fallback);
        std::filesystem::remove(fallback);
    }
    ::unsetenv("KLT_DATABASE");
    EXPECT_TRUE(prompt.shown.empty());
}

} // namespace
} // namespace klt
