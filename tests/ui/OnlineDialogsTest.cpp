#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <filesystem>

#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "ui/ErgoProgramPage.h"
#include "ui/MesswertDisplay.h"
#include "ui/OnlineOptionsDlg.h"
#include "ui/OnlineSaveDataDialog.h"
#include "ui/OnlineUserDlg.h"

namespace klt {
namespace {

using test::TScriptedPrompt;
using test::TTempDir;

template <typename TWidget> TWidget& Find(const QWidget& parent, const char* name) {
    auto* widget = parent.findChild<TWidget*>(name);
    if (widget == nullptr) {
        throw std::logic_error(std::string("no control ") + name);
    }
    return *widget;
}

struct OnlineOptionsDialog : ::testing::Test {
    TTempDir dir;
    TOnlineOptions live{dir.Path()};

    TOnlineOptions Reread() const {
        TOnlineOptions reread(dir.Path());
        reread.Load();
        return reread;
    }
};

TEST_F(OnlineOptionsDialog, ApplyTakesThePagesIntoTheLiveOptionsAndSavesThem) {
    TOnlineOptionsDlg dialog(live, dir.Path());
    QSignalSpy applied(&dialog, &TOnlineOptionsDlg::Applied);
    EXPECT_EQ(dialog.windowTitle(), "Options");
    EXPECT_FALSE(dialog.ApplyButton().isEnabled());

    Find<QSpinBox>(dialog, "Friction").setValue(150);
    QTest::mouseClick(&Find<QCheckBox>(dialog, "SaveData"), Qt::LeftButton);
    auto& fixed = Find<QWidget>(dialog, "GearingFixed");
    QTest::mouseClick(&fixed, Qt::LeftButton);
    EXPECT_TRUE(Find<QSpinBox>(dialog, "GearingLow").isEnabled());
    Find<QSpinBox>(dialog, "GearingHigh").setValue(39);
    Find<QSpinBox>(dialog, "ChartTime").setValue(30);
    auto& mode = Find<QComboBox>(dialog, "ErgometerMode");
    mode.setCurrentIndex(2);
    emit mode.activated(2);
    EXPECT_EQ(live.OnlineCommonOptionSet.BrakeOptionSet.Friction, 60) << "nothing live before Apply";
    ASSERT_TRUE(dialog.ApplyButton().isEnabled());

    QTest::mouseClick(&dialog.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_FALSE(dialog.ApplyButton().isEnabled());
    const TOnlineOptions reread = Reread();
    EXPECT_EQ(reread.OnlineCommonOptionSet.BrakeOptionSet.Friction, 150);
    EXPECT_TRUE(reread.OnlineCommonOptionSet.SaveData);
    EXPECT_EQ(reread.OnlineCommonOptionSet.Gearing, 1);
    EXPECT_EQ(reread.OnlineCommonOptionSet.GearingHigh, 39);
    EXPECT_EQ(reread.OnlineMainChartOptionSet.Time(), 3000);
    EXPECT_EQ(reread.OnlineErgometerOptions.ErgometerMode(), emDemoMode);
    EXPECT_TRUE(reread.SameAs(live));
}

TEST_F(OnlineOptionsDialog, ClosingWithPendingChangesAsksAndStaysWhenSavingFails) {
    std::filesystem::create_directory(live.Path()); // the options file cannot be written
    TOnlineOptionsDlg dialog(live, dir.Path());
    QSignalSpy applied(&dialog, &TOnlineOptionsDlg::Applied);
    dialog.show();
    Find<QSpinBox>(dialog, "Slope").setValue(200);

    TScriptedPrompt prompt({TPromptAnswer::Yes});
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_GE(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].text, "Save Changes?");
    EXPECT_EQ(prompt.shown[0].caption, "Attention");
    EXPECT_FALSE(prompt.shown[1].question); // why it could not be saved
    EXPECT_TRUE(dialog.isVisible()) << "the changes are not lost";
    EXPECT_TRUE(dialog.ApplyButton().isEnabled());
    EXPECT_EQ(live.OnlineCommonOptionSet.BrakeOptionSet.Slope, 131);
    EXPECT_EQ(applied.count(), 0);

    std::filesystem::remove(live.Path());
    TScriptedPrompt again({TPromptAnswer::Yes});
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(Reread().OnlineCommonOptionSet.BrakeOptionSet.Slope, 200);
}

TEST_F(OnlineOptionsDialog, AProgramIsCreatedAndItsStepsEditedInTheTable) {
    TOnlineOptionsDlg dialog(live, dir.Path());
    TErgoProgramPage& page = dialog.ProgramPage();
    page.SetNameAsker([] { return std::string("Ramp"); });
    EXPECT_FALSE(page.NewStepButton().isEnabled()) << "no program selected";
    QTest::mouseClick(&page.CreateButton(), Qt::LeftButton);
    ASSERT_EQ(page.Programs().count(), 1);
    EXPECT_EQ(page.Programs().currentItem()->text(), "Ramp");
    EXPECT_TRUE(std::filesystem::exists(dir.File("ErgoFiles/Ramp.erg")));

    QTableWidget& steps = page.Steps();
    ASSERT_EQ(steps.rowCount(), 1);
    EXPECT_FALSE(page.DeleteStepButton().isEnabled()) << "the last step stays";
    steps.item(0, 0)->setText("0:05:00");
    steps.item(0, 1)->setText("200");
    steps.item(0, 1)->setCheckState(Qt::Checked);
    QTest::mouseClick(&page.NewStepButton(), Qt::LeftButton);
    ASSERT_EQ(steps.rowCount(), 2);
    steps.item(0, 0)->setText("0:01:00");
    steps.item(0, 1)->setText("100");
    steps.item(0, 2)->setText("90");
    steps.item(0, 2)->setCheckState(Qt::Checked);
    steps.item(0, 0)->setCheckState(Qt::Checked);

    TScriptedPrompt prompt({TPromptAnswer::No});
    steps.item(1, 1)->setText("lots");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(steps.item(1, 1)->text(), "200") << "the step keeps its value";
    EXPECT_NE(page.Totals().text().indexOf("0:06:00"), -1);
    EXPECT_NE(page.Totals().text().indexOf("66"), -1); // 100 W x 60 s + 200 W x 300 s

    const TKLTErgoSection& first = *dialog.Editor().Program().Section(0);
    EXPECT_EQ(first.Time.Value, 6000);
    EXPECT_EQ(first.Power.Value, 800);
    EXPECT_EQ(first.Cadence.Value, 90 * 32);
    EXPECT_EQ(first.ControlledBy(), TErgoControl::Cadence);
    EXPECT_TRUE(first.Time.Checked);
    EXPECT_EQ(steps.item(0, 1)->checkState(), Qt::Unchecked) << "one quantity controls";

    steps.setCurrentCell(0, 0);
    QTest::mouseClick(&page.DownButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.Editor().Program().Section(1)->Time.Value, 6000);
    dialog.accept();
    EXPECT_EQ(prompt.shown.back().text, "Save Changes?");
    EXPECT_EQ(live.OnlineErgometerOptions.PredefinedFileOptionSet.Program().Count(), 1) << "No discards";
}

TEST_F(OnlineOptionsDialog, UsersAndCategoriesAreEditedOnTheirPages) {
    TOnlineOptionsDlg dialog(live, dir.Path());
    TScriptedPrompt prompt;
    auto& name = Find<QLineEdit>(dialog, "UserName");
    name.setText("Anna");
    QTest::mouseClick(&Find<QPushButton>(dialog, "AddUser"), Qt::LeftButton);
    name.setText("anna");
    QTest::mouseClick(&Find<QPushButton>(dialog, "AddUser"), Qt::LeftButton);
    EXPECT_EQ(prompt.shown.size(), 1u) << "a second Anna is refused";
    Find<QSpinBox>(dialog, "UserWeight").setValue(64);
    QTest::mouseClick(&Find<QPushButton>(dialog, "SelectUser"), Qt::LeftButton);
    EXPECT_NE(Find<QLabel>(dialog, "CurrentUser").text().indexOf("Anna"), -1);

    Find<QLineEdit>(dialog, "CategorieName").setText("Juniors");
    Find<QSpinBox>(dialog, "CategorieWatt").setValue(150);
    Find<QSpinBox>(dialog, "CategorieTolerance").setValue(10);
    QTest::mouseClick(&Find<QPushButton>(dialog, "AddCategorie"), Qt::LeftButton);
    Find<QSpinBox>(dialog, "CategorieWatt").setValue(175);
    QTest::mouseClick(&Find<QPushButton>(dialog, "EditCategorie"), Qt::LeftButton);
    EXPECT_EQ(Find<QTableWidget>(dialog, "Categories").item(0, 1)->text(), "175");

    QTest::mouseClick(&dialog.ApplyButton(), Qt::LeftButton);
    const TOnlineOptions reread = Reread();
    const auto& users = reread.OnlineErgometerOptions.OpenEndTestOptionSet;
    ASSERT_EQ(users.UserNameList.Count(), 1);
    EXPECT_EQ(users.UserNameList.Items()[0].Weight, 64);
    EXPECT_EQ(users.CurrentUser, "Anna");
    ASSERT_EQ(reread.OnlineDemoModeOptionSet.Categories.Count(), 1);
    EXPECT_EQ(reread.OnlineDemoModeOptionSet.Categories.Items()[0].Watt, 175 * 8);
    EXPECT_EQ(reread.OnlineDemoModeOptionSet.Categories.Items()[0].Tolerance, 10);
}

TEST_F(OnlineOptionsDialog, ResetSoftwareClosesWithTheDefaultsSaved) {
    live.OnlineCommonOptionSet.ControlRate = 2;
    std::filesystem::create_directories(dir.File("ErgoFiles"));
    test::WriteFileBytes(dir.File("ErgoFiles/Offset.off"), "x");
    TOnlineOptionsDlg dialog(live, dir.Path());
    QSignalSpy applied(&dialog, &TOnlineOptionsDlg::Applied);
    dialog.show();
    TScriptedPrompt prompt({TPromptAnswer::Ok});
    QTest::mouseClick(&dialog.ResetButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.shown.size(), 1u) << "no \"Save Changes?\" after a reset";
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(live.OnlineCommonOptionSet.ControlRate, 6);
    EXPECT_EQ(Reread().OnlineCommonOptionSet.ControlRate, 6);
    EXPECT_FALSE(std::filesystem::exists(dir.File("ErgoFiles/Offset.off")));
}

TEST(OnlineSaveDataDialog, RefusesMissingInitialsAndKeepsTheProposedHundredths) {
    const TSaveDetails proposed{"JD", 53000, 9 * 360000 + 37, "Ramp test"};
    TOnlineSaveDataDialog dialog(proposed);
    EXPECT_EQ(dialog.windowTitle(), "Save Data");
    EXPECT_EQ(dialog.DateEdit().date(), DateOfDays(53000));
    EXPECT_EQ(dialog.CommentEdit().maxLength(), 70);

    TScriptedPrompt prompt;
    dialog.InitialsEdit().clear();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("initials"), std::string::npos);

    dialog.InitialsEdit().setText("AB");
    dialog.CommentEdit().setText("Steady");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Details().initials, "AB");
    EXPECT_EQ(dialog.Details().startTime, 9 * 360000 + 37);
    EXPECT_EQ(dialog.Details().comment, "Steady");

    TOnlineSaveDataDialog changed(proposed);
    changed.TimeEdit().setTime(QTime(10, 30, 0));
    changed.accept();
    EXPECT_EQ(changed.Details().startTime, 10 * 360000 + 30 * 6000);
}

TEST(OnlineUserDlg, OffersTheCategoriesAndCutsTheNames) {
    TOnlineDemoModeOptionSet demo;
    TKLTDemoCategorie categorie;
    for (const char* name : {"Juniors", "Seniors"}) {
        categorie.SetName(name);
        demo.Categories.PutItem(demo.Categories.Count(), categorie);
    }
    TOnlineUserDlg dialog(TDemoPerson{"", "", 1}, demo);
    EXPECT_EQ(dialog.windowTitle(), "User");
    ASSERT_EQ(dialog.CategorieBox().count(), 2);
    EXPECT_EQ(dialog.CategorieBox().currentText(), "Seniors");

    TScriptedPrompt prompt;
    dialog.accept();
    EXPECT_EQ(prompt.shown.size(), 1u) << "a ride needs a name";
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    dialog.FirstNameEdit().setText("Anna");
    QTest::keyClicks(&dialog.LastNameEdit(), "Abcdefghijklmnopqrstuvwxyz");
    dialog.CategorieBox().setCurrentIndex(0);
    dialog.accept();
    EXPECT_EQ(dialog.Person().firstName, "Anna");
    EXPECT_EQ(dialog.Person().lastName, "Abcdefghijklmnopqrst");
    EXPECT_EQ(dialog.Person().categorie, 0);
}

} // namespace
} // namespace klt
