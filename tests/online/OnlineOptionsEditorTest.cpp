#include <gtest/gtest.h>

#include <filesystem>

#include "online/DemoPerson.h"
#include "online/OnlineOptionsEditor.h"
#include "online/SaveDetailsCheck.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TScriptedPrompt;
using test::TTempDir;

struct TOptionsFixture {
    TTempDir dir;
    TOnlineOptions live{dir.Path()};
    TOnlineOptionsEditor editor{live, dir.Path()};

    TOnlineOptions Reread() const {
        TOnlineOptions reread(dir.Path());
        reread.Load();
        return reread;
    }
};

TEST(OnlineOptionsEditor, ClosingAsksOnlyWithChangesAndAppliesOnYes) {
    TOptionsFixture f;
    TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes});
    EXPECT_EQ(f.editor.Close(), TOptionsClose::Discard);
    EXPECT_TRUE(prompt.shown.empty());

    f.editor.Edit().OnlineCommonOptionSet.ControlRate = 2;
    EXPECT_EQ(f.editor.Close(), TOptionsClose::Discard);
    EXPECT_EQ(f.live.OnlineCommonOptionSet.ControlRate, 6);
    EXPECT_FALSE(std::filesystem::exists(f.live.Path()));

    EXPECT_EQ(f.editor.Close(), TOptionsClose::Applied);
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].caption, "Attention");
    EXPECT_EQ(prompt.shown[1].text, "Save Changes?");
    EXPECT_EQ(f.live.OnlineCommonOptionSet.ControlRate, 2);
    EXPECT_EQ(f.Reread().OnlineCommonOptionSet.ControlRate, 2);
}

TEST(OnlineOptionsEditor, AFailedSaveKeepsTheChangesPendingAndTheLiveOptionsAsTheyWere) {
    TOptionsFixture f;
    std::filesystem::create_directory(f.live.Path()); // the file cannot be written
    f.editor.Edit().OnlineCommonOptionSet.HorseMode = 1;
    TScriptedPrompt prompt({TPromptAnswer::Yes});
    EXPECT_FALSE(f.editor.Apply());
    EXPECT_EQ(f.live.OnlineCommonOptionSet.HorseMode, 0);
    EXPECT_TRUE(f.editor.Modified()) << "Apply must stay enabled to try again";
    EXPECT_EQ(f.editor.Close(), TOptionsClose::Stay);
    EXPECT_EQ(prompt.shown.back().caption, "Attention");
    EXPECT_FALSE(prompt.shown.back().question);

    std::filesystem::remove(f.live.Path());
    EXPECT_TRUE(f.editor.Apply());
    EXPECT_EQ(f.Reread().OnlineCommonOptionSet.HorseMode, 1);
}

TEST(OnlineOptionsEditor, ResetSoftwareRestoresTheDefaultsAndForgetsTheBrakeOffsets) {
    TOptionsFixture f;
    std::filesystem::create_directories(f.dir.File("ErgoFiles"));
    for (const char* name : {"ErgoFiles/Offset.con", "ErgoFiles/Offset.off", "ErgoFiles/Keep.erg"}) {
        test::WriteFileBytes(f.dir.File(name), "x");
    }
    f.live.OnlineCommonOptionSet.BrakeOptionSet.Friction = 99;
    f.editor.Edit().OnlineCommonOptionSet.GearingLow = 20;

    TScriptedPrompt prompt({TPromptAnswer::Cancel, TPromptAnswer::Ok});
    EXPECT_FALSE(f.editor.ResetSoftware());
    EXPECT_EQ(f.live.OnlineCommonOptionSet.BrakeOptionSet.Friction, 99);
    EXPECT_TRUE(std::filesystem::exists(f.dir.File("ErgoFiles/Offset.con")));

    EXPECT_TRUE(f.editor.ResetSoftware());
    EXPECT_EQ(prompt.shown[0].caption, "Warning");
    EXPECT_NE(prompt.shown[0].text.find("Reset will NOT delete any data"), std::string::npos);
    EXPECT_EQ(f.live.OnlineCommonOptionSet.BrakeOptionSet.Friction, 60);
    EXPECT_FALSE(f.editor.Modified());
    EXPECT_EQ(f.Reread().OnlineCommonOptionSet.GearingLow, 13);
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("ErgoFiles/Offset.con")));
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("ErgoFiles/Offset.off")));
    EXPECT_TRUE(std::filesystem::exists(f.dir.File("ErgoFiles/Keep.erg")));
}

TEST(OnlineOptionsEditor, AResetThatCannotBeSavedChangesNothing) {
    TOptionsFixture f;
    std::filesystem::create_directory(f.live.Path());
    std::filesystem::create_directories(f.dir.File("ErgoFiles"));
    test::WriteFileBytes(f.dir.File("ErgoFiles/Offset.con"), "x");
    f.live.OnlineCommonOptionSet.ControlRate = 3;
    TScriptedPrompt prompt({TPromptAnswer::Ok});
    EXPECT_FALSE(f.editor.ResetSoftware());
    EXPECT_EQ(f.live.OnlineCommonOptionSet.ControlRate, 3);
    EXPECT_TRUE(std::filesystem::exists(f.dir.File("ErgoFiles/Offset.con")));
}

TEST(OnlineOptionsEditor, AProgramIsDeletedOnlyAfterTheQuestion) {
    TOptionsFixture f;
    TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::Yes});
    EXPECT_FALSE(f.editor.DeleteSelectedProgram()) << "nothing selected, nothing asked";
    ASSERT_TRUE(f.editor.CreateProgram("Ramp"));
    const std::string file = f.dir.File("ErgoFiles/Ramp.erg");
    EXPECT_FALSE(f.editor.DeleteSelectedProgram());
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(f.editor.DeleteSelectedProgram());
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST(OnlineOptionsEditor, ChoosingAnotherProgramOffersToSaveTheEditedSteps) {
    TOptionsFixture f;
    TOnlineOptionsEditor& editor = f.editor;
    ASSERT_TRUE(editor.CreateProgram("Flat"));
    ASSERT_TRUE(editor.CreateProgram("Ramp"));
    TScriptedPrompt prompt({TPromptAnswer::Yes, TPromptAnswer::No});
    EXPECT_TRUE(editor.ChooseProgram("Flat"));
    EXPECT_TRUE(prompt.shown.empty()) << "nothing edited, nothing asked";

    editor.SetValue(0, TErgoUnit::Power, 1600);
    EXPECT_TRUE(editor.ChooseProgram("Ramp"));
    TKLTErgoFile saved = TKLTErgoFile::AtPath(f.dir.File("ErgoFiles/Flat.erg"));
    saved.Load();
    EXPECT_EQ(saved.Section(0)->Power.Value, 1600) << "Yes saved the steps before they were replaced";

    editor.SetValue(0, TErgoUnit::Power, 800);
    EXPECT_TRUE(editor.ChooseProgram("Flat")); // No: the edit is dropped
    EXPECT_EQ(editor.Program().Section(0)->Power.Value, 1600);
    EXPECT_EQ(prompt.shown.size(), 2u);
}

TEST(OnlineOptionsEditor, UsersHaveDistinctNamesAndTheCurrentOneGoesWithItsEntry) {
    TOptionsFixture f;
    TOnlineOptionsEditor& editor = f.editor;
    TScriptedPrompt prompt;
    EXPECT_EQ(editor.AddUser(" Anna "), 0);
    EXPECT_EQ(editor.AddUser("Ben"), 1);
    EXPECT_EQ(editor.AddUser("ANNA"), -1);
    EXPECT_EQ(editor.AddUser("  "), -1);
    EXPECT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(editor.CurrentUser(), -1);

    editor.SelectUser(1);
    editor.SetUserSize(1, 72, 180);
    const auto& set = editor.Working().OnlineErgometerOptions.OpenEndTestOptionSet;
    EXPECT_EQ(set.CurrentUser, "Ben");
    EXPECT_EQ(set.UserNameList.Items()[1].Weight, 72);
    EXPECT_EQ(set.UserNameList.Items()[1].Height, 180);
    editor.DeleteUser(0);
    EXPECT_EQ(editor.CurrentUser(), 0);
    editor.DeleteUser(0);
    EXPECT_EQ(set.CurrentUser, "");
    EXPECT_EQ(set.UserNameList.Count(), 0);
}

TEST(OnlineOptionsEditor, CategoriesStoreWattsInTheHeadUnitsScaling) {
    TOptionsFixture f;
    TScriptedPrompt prompt;
    EXPECT_TRUE(f.editor.PutCategorie(5, "Juniors", 150, 10)); // past the end: appended
    EXPECT_TRUE(f.editor.PutCategorie(1, "Pros", 99999, 20));
    EXPECT_FALSE(f.editor.PutCategorie(0, " ", 100, 5));
    const auto& categories = f.editor.Working().OnlineDemoModeOptionSet.Categories;
    ASSERT_EQ(categories.Count(), 2);
    EXPECT_EQ(categories.Items()[0].Watt, 1200);
    EXPECT_EQ(categories.Items()[1].Watt, 4095 * 8) << "never wraps into a negative target";
    EXPECT_TRUE(f.editor.PutCategorie(0, "Seniors", 200, 15));
    EXPECT_EQ(categories.Items()[0].Name(), "Seniors");
    f.editor.DeleteCategorie(0);
    EXPECT_EQ(CategorieNames(f.editor.Working().OnlineDemoModeOptionSet), std::vector<std::string>{"Pros"});
}

TEST(DemoPerson, NamesAreKeptAsAResultKeepsThem) {
    TDemoPerson person;
    person.SetNames("  Maximilian-Alexander Johannes ", "Mus\ttermann");
    EXPECT_EQ(person.firstName, "Maximilian-Alexander");
    EXPECT_EQ(person.lastName, "Mus termann");
}

TEST(SaveDetailsCheck, RefusesWhatCannotBeFiledAndCutsTheComment) {
    TSaveDetails details{" JD ", 53000, 9 * 360000, std::string(80, 'c')};
    EXPECT_EQ(CheckSaveDetails(details), std::nullopt);
    EXPECT_EQ(details.initials, "JD");
    EXPECT_EQ(details.comment.size(), 70u);

    TSaveDetails empty{"  ", 53000, 0, ""};
    EXPECT_NE(CheckSaveDetails(empty), std::nullopt);
    TSaveDetails slash{"J/D", 53000, 0, ""};
    EXPECT_NE(CheckSaveDetails(slash), std::nullopt);
    TSaveDetails tooLong{std::string(21, 'A'), 53000, 0, ""};
    EXPECT_NE(CheckSaveDetails(tooLong), std::nullopt);
    TSaveDetails noDate{"JD", kNoDate, 0, ""};
    EXPECT_NE(CheckSaveDetails(noDate), std::nullopt);
    EXPECT_EQ(noDate.initials, "JD"); // untouched until everything passes
}

} // namespace
} // namespace klt
