#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/KLTIniData.h"
#include "app/OptionDataUnit.h"
#include "core/NumberFormat.h"
#include "tests/support/RawTraining.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempDatabase.h"
#include "tests/ui/UiShots.h"
#include "ui/DateFilterEdit.h"
#include "ui/DiagramOptionsPage.h"
#include "ui/MesswertDisplay.h"
#include "ui/Dialogs.h"
#include "ui/KLTFileOpenDlg.h"
#include "ui/KLTFilePropertyDlg.h"
#include "ui/KLTMarkerDlg.h"
#include "ui/AnalyseOptionsPage.h"
#include "ui/KLTOptionDlg.h"
#include "ui/PREditMesswert.h"
#include "ui/RatioOptionsPage.h"

namespace klt {
namespace {

using test::Day;

constexpr int32_t kNine = 9 * 360000;

class FileOpenDialogTest : public ::testing::Test {
protected:
    FileOpenDialogTest() {
        configuration_.SystemData.DataBaseDir = db_.Path();
        first_ = db_.Put("AB", Day(2026, 12, 1), kNine);
        second_ = db_.Put("CD", Day(2026, 12, 2), kNine);
    }

    test::TTempDatabase db_;
    TKLTIniData configuration_;
    std::string first_;
    std::string second_;
    std::vector<std::string> opened_;
    TKLTFileOpenDlg::TOpen open_ = [this](const std::string& path) { opened_.push_back(path); };
};

TEST_F(FileOpenDialogTest, ListsTheTrainingsAndOpensTheSelectedOne) {
    TKLTFileOpenDlg dialog(configuration_, open_);
    dialog.show();
    QTableWidget& grid = dialog.Grid();
    ASSERT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 15);
    EXPECT_TRUE(grid.horizontalHeader()->sectionsMovable());
    EXPECT_EQ(grid.item(1, 1)->text(), "CD");
    EXPECT_EQ(grid.item(0, 5)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));

    grid.setCurrentCell(1, 0);
    QTest::mouseClick(&dialog.OpenButton(), Qt::LeftButton);
    EXPECT_EQ(opened_, std::vector<std::string>{second_});
    EXPECT_TRUE(dialog.isVisible()); // Open keeps the list

    grid.setCurrentCell(0, 0);
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(opened_, (std::vector<std::string>{second_, first_}));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(FileOpenDialogTest, TheFilterListsAnewAndEnablesTheButtonsOnlyWithRows) {
    TKLTFileOpenDlg dialog(configuration_, open_);
    dialog.InitialsBox().setEditText("C*");
    EXPECT_EQ(dialog.Grid().rowCount(), 1);
    EXPECT_EQ(configuration_.SystemData.DataBaseInitialMask, "C*");

    dialog.InitialsBox().setEditText("");
    QTest::keyClicks(&dialog.FromEdit().Field(), "2026-12-05");
    QTest::keyClicks(&dialog.ToEdit().Field(), "2026-12-01");
    EXPECT_EQ(dialog.Grid().rowCount(), 0);
    for (QPushButton* button :
         {&dialog.OpenButton(), &dialog.DeleteButton(), &dialog.PropertiesButton(), &dialog.OkButton()}) {
        EXPECT_FALSE(button->isEnabled());
    }
    dialog.accept(); // nothing to open: the dialog stays
    EXPECT_TRUE(opened_.empty());

    dialog.FromEdit().Clear(); // "All"
    EXPECT_EQ(configuration_.SystemData.DataBaseListDatumFrom, kNoDate);
    EXPECT_EQ(dialog.Grid().rowCount(), 1); // up to the first of December
    EXPECT_TRUE(dialog.OpenButton().isEnabled());
}

TEST_F(FileOpenDialogTest, TypedDatesFilterAtOnceAndTheCalendarOpensAtToday) {
    TKLTFileOpenDlg dialog(configuration_, open_);
    const int all = dialog.Grid().rowCount();
    ASSERT_GT(all, 0);
    QLineEdit& until = dialog.ToEdit().Field();
    QTest::keyClicks(&until, "1999-01-0");
    EXPECT_EQ(dialog.Grid().rowCount(), all) << "no date yet";
    QTest::keyClick(&until, Qt::Key_1);
    EXPECT_EQ(dialog.Grid().rowCount(), 0) << "nothing before 1999";
    EXPECT_EQ(configuration_.SystemData.DataBaseListDatumUntil, DaysOfDate(QDate(1999, 1, 1)));

    dialog.ToEdit().Clear();
    EXPECT_EQ(dialog.Grid().rowCount(), all);
    QTest::keyClick(&dialog.FromEdit().Field(), Qt::Key_Down, Qt::AltModifier);
    QCalendarWidget* calendar = dialog.FromEdit().Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(calendar->selectedDate(), QDate::currentDate());
    emit calendar->clicked(QDate(2030, 6, 1));
    EXPECT_EQ(dialog.FromEdit().Field().text(), "2030-06-01");
    EXPECT_EQ(dialog.Grid().rowCount(), 0);
}

TEST_F(FileOpenDialogTest, DeleteAsksFirstAndSelectsTheRowAbove) {
    TKLTFileOpenDlg dialog(configuration_, open_);
    dialog.Grid().setCurrentCell(1, 0);
    test::TScriptedPrompt prompt({TPromptAnswer::Yes});
    QTest::mouseClick(&dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(prompt.AnswersLeft(), 0u);
    EXPECT_FALSE(std::filesystem::exists(second_));
    ASSERT_EQ(dialog.Grid().rowCount(), 1);
    EXPECT_EQ(dialog.Grid().currentRow(), 0);
    EXPECT_EQ(dialog.Controller().SelectedPath(), first_);

    test::TScriptedPrompt again({TPromptAnswer::Yes});
    QTest::mouseClick(&dialog.DeleteButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog.Grid().isHidden()); // the last listed training went
    EXPECT_FALSE(dialog.DeleteButton().isEnabled());
}

TEST(MarkerDialogTest, CreatesAMarkerFromTheSelection) {
    test::TTempDatabase db; // the marker name history
    db.markerNames.AddName("Warm-up");
    TKLTFile file;
    test::FillTraining(file, 100, {{kNine, 100}});
    file.SetSelection(true, 10, 40);
    {
        TKLTMarkerDlg dialog(file, -1, 0);
        EXPECT_EQ(dialog.NameBox().count(), 1);
        EXPECT_EQ(dialog.FromSampleEdit().value(), 10);
        EXPECT_EQ(dialog.ToTimeEdit().time(), QTime(9, 0, 39));
        dialog.ToSampleEdit().setValue(30);
        dialog.NameBox().setEditText("Sprint");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    ASSERT_EQ(file.MarkerCount(), 2);
    EXPECT_EQ(file.Marker(1).name, "Sprint");
    EXPECT_EQ(file.Marker(1).first, 10);
    EXPECT_EQ(file.Marker(1).last, 30);
    EXPECT_TRUE(file.Modified());
    EXPECT_EQ(db.markerNames.Items().front(), "Sprint");
    file.SetSelection(false, 0, 0);
}

TEST(FilePropertyDialogTest, ChangesTheComment) {
    TFormatSettingsScope separators(TFormatSettings{".", ","});
    TKLTFile file;
    test::FillTraining(file, 20, {{kNine, 20}});
    TKLTFilePropertyDlg dialog(file);
    EXPECT_EQ(dialog.InitialsEdit().text(), "JD");
    EXPECT_EQ(dialog.CircumferenceEdit().text(), "2000");
    dialog.CommentEdit().setText("Recovery ride");
    dialog.accept();
    EXPECT_TRUE(dialog.Changed());
    EXPECT_EQ(file.Comment(), "Recovery ride");
    EXPECT_EQ(file.Header().circumference, 2000);
    EXPECT_EQ(file.Marker(0).startTime, kNine);
}

TEST(OptionDialogTest, WritesSmoothingAndRowsBackOnlyWhenConfirmed) {
    TOptionData options;
    TKLTIniData configuration;
    {
        TKLTOptionDlg dialog(options, configuration);
        dialog.MultiRowPage().RowsEdit()->setValue(4);
        QComboBox& smoothing = dialog.MultiRowPage().SmoothingBox();
        smoothing.setCurrentIndex(smoothing.findData(3000));
        dialog.reject();
    }
    EXPECT_EQ(options.DiagrammMehrZ.MaxAnzahlDiagramme, 2);
    {
        TKLTOptionDlg dialog(options, configuration);
        EXPECT_EQ(dialog.DetailPage().RowsEdit(), nullptr);
        dialog.MultiRowPage().RowsEdit()->setValue(4);
        QComboBox& smoothing = dialog.MultiRowPage().SmoothingBox();
        smoothing.setCurrentIndex(smoothing.findData(3000));
        dialog.TrendPage().MarkerBox().setChecked(true);
        dialog.accept();
    }
    EXPECT_EQ(options.DiagrammMehrZ.MaxAnzahlDiagramme, 4);
    EXPECT_EQ(options.DiagrammMehrZ.MaxGlaettung, 3000);
    EXPECT_TRUE(options.DiagrammEinZTrend.PlotMarker);
}

TEST(OptionDialogTest, TheDistributionPageChecksItsValuesAndSavesTheProfile) {
    TOptionData options;
    TKLTIniData configuration;
    test::TTempDir profiles;
    TOptionDataNew tree(profiles.Path(), "Anna");
    {
        TKLTOptionDlg dialog(options, configuration, &tree);
        ASSERT_NE(dialog.RatioPage(), nullptr);
        dialog.show();
        const TRatioOptionsPage::TChannelFields& power = dialog.RatioPage()->Fields(rcPower);
        EXPECT_EQ(power.maximum->value(), 400);
        EXPECT_EQ(power.maximum->suffix(), " watt");
        power.classWidth->setValue(500); // wider than the range
        test::TScriptedPrompt prompt;
        dialog.accept();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "The Power class width must lie between 1 and 395 watt, the width of its range.");
        EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open
        EXPECT_EQ(dialog.Pages().currentWidget(), dialog.RatioPage());
        test::SaveUiShot(dialog.grab(), "options-distribution.png");
        EXPECT_EQ(dialog.focusWidget(), power.classWidth); // where the mistake is
        EXPECT_FALSE(std::filesystem::exists(tree.ProfilePath()));

        power.classWidth->setValue(25);
        dialog.RatioPage()->Fields(rcCadence).enabled->setChecked(false);
        dialog.RatioPage()->SmootingEdit().setValue(30);
        dialog.RatioPage()->GridBox().setChecked(false);
        dialog.accept();
        EXPECT_TRUE(dialog.RatioChanged());
    }
    const TKLTRatioDataChartOptionSet& saved = tree.Sets().RatioDataChartOptionSet;
    EXPECT_EQ(saved.PowerSkala.MergeFct, 25);
    EXPECT_FALSE(saved.CadenceSkala.Skala.Visible());
    EXPECT_EQ(saved.SmootingFct, 30);
    EXPECT_FALSE(saved.DrawGrid);
    ASSERT_TRUE(std::filesystem::exists(tree.ProfilePath()));
    TOptionDataNew reread(profiles.Path(), "Anna");
    reread.Load();
    EXPECT_TRUE(reread.Sets().RatioDataChartOptionSet.Equals(saved));
    {
        TKLTOptionDlg unchanged(options, configuration, &tree);
        unchanged.accept();
        EXPECT_FALSE(unchanged.RatioChanged());
    }
}

TEST(OptionDialogTest, AnalysisPagesEditTheirOwnOptionsAndRefuseDelaysOutOfOrder) {
    TOptionData options;
    TKLTIniData configuration;
    TKLTOptionDlg dialog(options, configuration);
    TAnalyseOptionsPage& conconi = dialog.ConconiPage();
    dialog.Pages().setCurrentWidget(&dialog.AnalysisPage());
    test::SaveUiShot(dialog.grab(), "options-analysis.png");
    EXPECT_FALSE(conconi.HistogramBox().isChecked());
    EXPECT_TRUE(dialog.AnalysisPage().HistogramBox().isChecked());
    conconi.HistogramBox().setChecked(true);
    conconi.MinDelayEdit().setValue(40);
    conconi.MaxDelayEdit().setValue(20);
    test::TScriptedPrompt prompt;
    dialog.accept();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_NE(prompt.shown[0].text.find("smallest delay (40 s)"), std::string::npos);
    EXPECT_EQ(dialog.Pages().currentWidget(), &conconi) << "the page to mend is shown";
    EXPECT_EQ(options.ConconiAnalyse.MinZeitVersatz, 0) << "nothing taken yet";

    conconi.DefaultsButton().click();
    EXPECT_EQ(conconi.MinDelayEdit().value(), 0);
    EXPECT_FALSE(conconi.HistogramBox().isChecked());
    dialog.AnalysisPage().MaxDelayEdit().setValue(90);
    dialog.AnalysisPage().DelayStepEdit().setValue(5);
    QComboBox& averaging = dialog.AnalysisPage().AveragingBox();
    averaging.setCurrentIndex(averaging.findData(6000));
    emit averaging.activated(averaging.currentIndex());
    dialog.accept();
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(options.KLTAnalyse.MaxZeitVersatz, 9000);
    EXPECT_EQ(options.KLTAnalyse.OfsZeitVersatz, 500);
    EXPECT_EQ(options.KLTAnalyse.ZeitGlaettung, 6000);
    EXPECT_TRUE(options.ConconiAnalyse.Equals(TConconiAnalyseData()));
}

TEST(DialogFunctionsTest, RunModallyAndReportTheAnswer) {
    TOptionData options;
    TKLTIniData configuration;
    test::TTempDir profiles;
    TOptionDataNew tree(profiles.Path(), "");
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(ExecuteOptionDialog(nullptr, options, configuration, tree));
    QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    EXPECT_TRUE(ExecuteOptionDialog(nullptr, options, configuration, tree));
    QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->accept(); });
    ExecuteInfoDialog(nullptr);
}

} // namespace
} // namespace klt
