#include <gtest/gtest.h>

#include <filesystem>

#include "online/ErgoProgramEditor.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::TScriptedPrompt;
using test::TTempDir;

// A program "Ramp" of three steps, 100, 200 and 300 W for 60 s each, created and applied.
struct TEditorFixture {
    TTempDir dir;
    TOnlineOptions live{dir.Path()};
    TErgoProgramEditor editor{live};

    TEditorFixture() {
        editor.CreateProgram("Ramp");
        for (int watts : {300, 200, 100}) {
            if (watts != 300) {
                editor.InsertStep(); // before the selected first step
            }
            editor.SetValue(0, TErgoUnit::Time, 6000);
            editor.SetValue(0, TErgoUnit::Power, 8 * watts);
        }
    }
};

TEST(ErgoProgramEditor, StepsAreInsertedBeforeTheSelectedOneAndMoved) {
    TEditorFixture f;
    TErgoProgramEditor& editor = f.editor;
    ASSERT_EQ(editor.Program().Count(), 3);
    EXPECT_EQ(editor.Program().Section(2)->Power.Value, 2400);
    editor.SelectStep(0);
    editor.InsertStep();
    ASSERT_EQ(editor.Program().Count(), 4);
    EXPECT_EQ(*editor.Program().Section(0), TKLTErgoSection());
    EXPECT_EQ(editor.Program().Section(1)->Power.Value, 800);
    EXPECT_EQ(editor.Program().Section(3)->Power.Value, 2400);

    editor.SelectStep(1);
    editor.MoveStepUp();
    EXPECT_EQ(editor.SelectedStep(), 0);
    EXPECT_EQ(editor.Program().Section(0)->Power.Value, 800);
    editor.SelectStep(3);
    editor.MoveStepDown(); // already the last
    EXPECT_EQ(editor.Program().Section(3)->Power.Value, 2400);
    EXPECT_EQ(editor.SelectedStep(), 3);
}

TEST(ErgoProgramEditor, TheLastStepIsNeverDeleted) {
    TEditorFixture f;
    TErgoProgramEditor& editor = f.editor;
    editor.SelectStep(2);
    EXPECT_TRUE(editor.DeleteStep());
    EXPECT_EQ(editor.SelectedStep(), 1);
    EXPECT_TRUE(editor.DeleteStep());
    EXPECT_FALSE(editor.DeleteStep());
    ASSERT_EQ(editor.Program().Count(), 1);
    EXPECT_EQ(editor.Program().Section(0)->Power.Value, 800);
}

TEST(ErgoProgramEditor, TotalsAndCheckMarks) {
    TEditorFixture f;
    TErgoProgramEditor& editor = f.editor;
    EXPECT_EQ(editor.TotalTime(), 18000);
    EXPECT_DOUBLE_EQ(editor.TotalWork(), 36.0); // (100 + 200 + 300) W x 60 s
    editor.SetControlledBy(1, TErgoControl::Heartrate);
    editor.SetControlledBy(1, TErgoControl::Cadence);
    editor.SetMarked(1, true);
    const TKLTErgoSection& step = *editor.Program().Section(1);
    EXPECT_EQ(step.ControlledBy(), TErgoControl::Cadence);
    EXPECT_FALSE(step.Heartrate.Checked);
    EXPECT_TRUE(step.Time.Checked);
    editor.SetMarked(7, true); // no such step
    EXPECT_EQ(editor.Program().Count(), 3);
}

TEST(ErgoProgramEditor, ApplySavesTheOptionsWithTheProgram) {
    TEditorFixture f;
    EXPECT_TRUE(f.editor.Modified());
    ASSERT_TRUE(f.editor.Apply());
    EXPECT_FALSE(f.editor.Modified());
    TOnlineOptions reread(f.dir.Path());
    reread.Load();
    EXPECT_TRUE(reread.SameAs(f.live));
    EXPECT_EQ(reread.OnlineErgometerOptions.PredefinedFileOptionSet.Program().Count(), 3);

    // Creating another program while changes are pending offers to apply them first.
    f.editor.SetValue(0, TErgoUnit::Time, 100);
    TScriptedPrompt prompt({TPromptAnswer::No, TPromptAnswer::No});
    ASSERT_TRUE(f.editor.CreateProgram("Flat"));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "Save Changes?");
    EXPECT_EQ(f.editor.Program().Count(), 1);
    EXPECT_EQ(f.editor.Working().OnlineErgometerOptions.PredefinedFileOptionSet.FileNames(),
              (std::vector<std::string>{"Ramp", "Flat"}));
    f.editor.DeleteProgram();
    EXPECT_FALSE(std::filesystem::exists(f.dir.File("ErgoFiles/Flat.erg")));
    EXPECT_EQ(f.editor.Working().OnlineErgometerOptions.PredefinedFileOptionSet.SelectedFileName(), "");

    EXPECT_FALSE(f.editor.CreateProgram("a/b"));
    EXPECT_EQ(prompt.shown.back().text, "Cannot open File " + f.dir.Path() + "/ErgoFiles/a/b");
}

} // namespace
} // namespace klt
