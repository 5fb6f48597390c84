#include <gtest/gtest.h>

#include "app/FilePropertyModel.h"
#include "app/MarkerEditModel.h"
#include "app/MesswertControlRules.h"
#include "app/OptionDialogModel.h"
#include "app/SystemData.h"
#include "core/MesswertSkala.h"
#include "tests/support/TempDatabase.h"

namespace klt {
namespace {

constexpr int32_t kNine = 9 * 360000;

class MarkerEditModelTest : public ::testing::Test {
protected:
    MarkerEditModelTest() {
        test::FillTraining(file_, 100, {{kNine, 100}});
        file_.AddMarker(TKLTMarker("Climb", 20, 60));
        file_.SetSelection(false, 0, 0);
    }
    ~MarkerEditModelTest() override { file_.SetSelection(false, 0, 0); }

    test::TTempDatabase db_; // the marker name history
    TKLTFile file_;
};

TEST_F(MarkerEditModelTest, ANewMarkerTakesTheSelectionInsideTheEnclosingMarker) {
    file_.SetSelection(true, 70, 10); // reaches out of "Climb" on both sides, backwards
    TMarkerEditModel model(file_, -1, 1);
    EXPECT_TRUE(model.IsNew());
    EXPECT_EQ(model.First(), 20);
    EXPECT_EQ(model.Last(), 60);

    file_.SetSelection(false, 0, 0);
    TMarkerEditModel whole(file_, -1, 1);
    EXPECT_EQ(whole.First(), 20);
    EXPECT_EQ(whole.Last(), 60);
}

TEST_F(MarkerEditModelTest, RangeByTimeOrSampleStaysInsideAndOrdered) {
    TMarkerEditModel model(file_, -1, 1);
    model.SetFirstTime(kNine + 3000); // sample 31
    EXPECT_EQ(model.First(), 31);
    EXPECT_EQ(model.FirstTime(), kNine + 3000);
    model.SetLast(5); // before the first: both ends meet at the enclosing start
    EXPECT_EQ(model.First(), 20);
    EXPECT_EQ(model.Last(), 20);
    model.SetLast(1000);
    EXPECT_EQ(model.Last(), 60);
    model.SetFirst(59);
    EXPECT_EQ(model.Values().SampleCount(), 2);
    EXPECT_EQ(model.Values().AvgPower(), 8 * 60 - 4); // mean of 59 W and 60 W, raw
}

TEST_F(MarkerEditModelTest, ApplyAddsTheMarkerAndRemembersItsName) {
    file_.SetSelection(true, 30, 40);
    TMarkerEditModel model(file_, -1, 1);
    model.SetName("  Sprint  ");
    ASSERT_TRUE(model.Apply());
    ASSERT_EQ(file_.MarkerCount(), 3);
    EXPECT_EQ(file_.Marker(2).name, "Sprint");
    EXPECT_EQ(file_.Marker(2).first, 30);
    EXPECT_EQ(file_.Marker(2).last, 40);
    EXPECT_TRUE(file_.Modified());
    EXPECT_EQ(TMarkerEditModel::RecentNames().front(), "Sprint");
}

TEST_F(MarkerEditModelTest, EditingMovesOrRenamesTheMarker) {
    TMarkerEditModel unchanged(file_, 1, 0);
    EXPECT_FALSE(unchanged.Apply());

    TMarkerEditModel renamed(file_, 1, 0);
    renamed.SetName("Long climb");
    EXPECT_TRUE(renamed.Apply());
    ASSERT_EQ(file_.MarkerCount(), 2);
    EXPECT_EQ(file_.Marker(1).name, "Long climb");

    TMarkerEditModel moved(file_, 1, 0);
    moved.SetLast(80);
    EXPECT_TRUE(moved.Apply());
    ASSERT_EQ(file_.MarkerCount(), 2);
    EXPECT_EQ(file_.Marker(1).last, 80);
    EXPECT_EQ(file_.Marker(1).name, "Long climb");
}

TEST_F(MarkerEditModelTest, TheWholeTrainingKeepsItsRangeAndIsNamedByInitials) {
    TMarkerEditModel model(file_, 0, 0);
    EXPECT_FALSE(model.RangeEditable());
    model.SetFirst(50);
    EXPECT_EQ(model.First(), 1);
    model.SetName("k/m");
    EXPECT_TRUE(model.Apply());
    EXPECT_EQ(file_.Marker(0).name, "km");
}

class FilePropertyModelTest : public ::testing::Test {
protected:
    FilePropertyModelTest() { test::FillTraining(file_, 10, {{kNine, 10}}, "JD", test::Day(2026, 12, 9)); }
    TKLTFile file_;
};

TEST_F(FilePropertyModelTest, NothingChangesWhenNothingDiffers) {
    TFilePropertyModel model(file_);
    EXPECT_EQ(model.Current().startTime, kNine);
    EXPECT_EQ(model.Current().circumference, 2000);
    EXPECT_EQ(model.Current().altitudeAtStart, 10);
    EXPECT_FALSE(model.Apply(model.Current()));
    EXPECT_FALSE(file_.Modified());
}

TEST_F(FilePropertyModelTest, OnlyWhatDiffersIsApplied) {
    TFilePropertyModel model(file_);
    TFileProperties wanted = model.Current();
    wanted.comment = "  " + std::string(80, 'x');
    wanted.startTime = kNine + 6000;
    ASSERT_TRUE(model.Apply(wanted));
    EXPECT_EQ(file_.Comment(), std::string(70, 'x'));
    EXPECT_EQ(file_.Marker(0).startTime, kNine + 6000);
    EXPECT_EQ(file_.Sample(3).Power(), 24); // not recalibrated
    EXPECT_EQ(model.Current().comment, file_.Comment());
}

TEST_F(FilePropertyModelTest, ANewStartAltitudeShiftsEveryAltitude) {
    TFilePropertyModel model(file_);
    TFileProperties wanted = model.Current();
    wanted.altitudeAtStart = 110;
    ASSERT_TRUE(model.Apply(wanted));
    EXPECT_EQ(file_.Sample(1).Altitude(), 110);
    EXPECT_EQ(file_.Sample(2).Altitude(), 120);
    EXPECT_EQ(file_.Sample(3).Power(), 24);
}

TEST(OptionDialogModelTest, WritesTheEditedCopiesBack) {
    TOptionData options;
    TSystemData system;
    TOptionDialogModel model(options, system);
    model.options.DiagrammMehrZ.MaxGlaettung = 3000;
    model.options.DiagrammMehrZ.MaxAnzahlDiagramme = 4;
    model.options.DiagrammMehrZ.SkalaLeistung.SetUpperEnd(8 * 800);
    model.system.unitsSPD = 2;
    model.system.defaultAllFiles = false;
    EXPECT_EQ(options.DiagrammMehrZ.MaxAnzahlDiagramme, 2); // untouched until written back

    model.WriteBack(options, system);
    EXPECT_EQ(options.DiagrammMehrZ.MaxGlaettung, 3000);
    EXPECT_EQ(options.DiagrammMehrZ.MaxAnzahlDiagramme, 4);
    EXPECT_EQ(options.DiagrammMehrZ.SkalaLeistung.UpperEnd(), 8 * 800);
    EXPECT_EQ(system.UnitsSPD, 2);
    EXPECT_FALSE(system.DefaultAllFiles);
}

TEST(OptionDialogModelTest, AnalysisDelaysOutOfOrderOrTooManyAreRefusedNamingThePage) {
    const TOptionData options;
    const TSystemData system;
    TOptionDialogModel model(options, system);
    EXPECT_FALSE(model.Problem());
    model.options.ConconiAnalyse.MinZeitVersatz = 3000;
    model.options.ConconiAnalyse.MaxZeitVersatz = 2000;
    auto problem = model.Problem();
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->conconi);
    EXPECT_EQ(problem->text, "Conconi: the smallest delay (30 s) is larger than the largest (20 s).");
    model.options.ConconiAnalyse.MaxZeitVersatz = 3000; // one delay: as good as any
    EXPECT_FALSE(model.Problem());
    model.options.KLTAnalyse.OfsZeitVersatz = 0; // every second of an hour
    model.options.KLTAnalyse.MaxZeitVersatz = 360000;
    problem = model.Problem();
    ASSERT_TRUE(problem);
    EXPECT_FALSE(problem->conconi);
    EXPECT_NE(problem->text.find("3601 delays"), std::string::npos) << problem->text;
    model.options.KLTAnalyse.OfsZeitVersatz = 500;
    EXPECT_FALSE(model.Problem());
}

TEST(OptionDialogModelTest, SmoothingChoicesHoldTheCurrentValueInOrder) {
    const auto steps = TOptionDialogModel::SmoothingChoices(-10);
    EXPECT_EQ(steps.size(), 29u);
    const auto choices = TOptionDialogModel::SmoothingChoices(700);
    ASSERT_EQ(choices.size(), 30u);
    EXPECT_EQ(choices[11].value, 500);
    EXPECT_EQ(choices[12].value, 700);
    EXPECT_EQ(choices[12].text, "7 s");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(0), "none");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(-10), "10 % of the shown time");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(9000), "1:30 min");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(6000), "1 min");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(8640000), "24 h");
    EXPECT_EQ(TOptionDialogModel::SmoothingText(540000), "1:30 h");
}

TEST(MesswertControlRulesTest, AcceleratorMarksTheFirstOccurrence) {
    EXPECT_EQ(WithAccelerator("Power [watt]", 'P'), "&Power [watt]");
    EXPECT_EQ(WithAccelerator("Temperature [°C]", 'e'), "T&emperature [°C]");
    EXPECT_EQ(WithAccelerator("Power [watt]", 'x'), "Power [watt]");
    EXPECT_EQ(WithAccelerator("Power [watt]", ' '), "Power [watt]");
}

TEST(MesswertControlRulesTest, ANegativeDistanceIsTakenBackFromTheUpperEnd) {
    TMesswertSkala skala(mwaLeistung);
    skala.SetOffset(8 * 100);
    skala.SetBereich(8 * 300); // 100 ... 400 W
    SetSkalaDistance(skala, -8 * 50);
    EXPECT_EQ(skala.Offset(), 8 * 350);
    EXPECT_EQ(skala.UpperEnd(), 8 * 400);
    SetSkalaDistance(skala, 8 * 200);
    EXPECT_EQ(skala.Offset(), 8 * 350);
    EXPECT_EQ(skala.UpperEnd(), 8 * 550);
}

} // namespace
} // namespace klt
