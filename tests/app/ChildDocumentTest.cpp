#include <gtest/gtest.h>

#include "analysis/DiagramInput.h"
#include "tests/analysis/RecordingCanvas.h"
#include "tests/app/ChildDocumentFixture.h"
#include "tests/support/ScriptedPrompt.h"

namespace klt {
namespace {

using test::ChildDocumentTest;
using test::TOpenDocument;

TEST_F(ChildDocumentTest, OpeningShowsTheTrainingWithTabsCaptionAndHistory) {
    const std::string path = WriteTraining();
    TOpenDocument doc(path, configuration_, tree_);
    EXPECT_EQ(doc.window.tabs,
              (std::vector<std::string>{"(0) File ", "(1) Climb ", "(2) Steep ", "(3) Sprint "}));
    EXPECT_EQ(doc.window.currentTab, 0);
    EXPECT_FALSE(doc.window.tabChangeAccepted) << "tab changes are refused while the tabs are rebuilt";
    EXPECT_EQ(doc->CurrentMarker(), 0);
    EXPECT_EQ(doc.window.caption.find(';'), std::string::npos);
    EXPECT_NE(doc.window.caption.find("JD"), std::string::npos) << doc.window.caption;
    EXPECT_GT(doc.window.repaints, 0);
    ASSERT_FALSE(configuration_.FileHistory.Items().empty());
    EXPECT_EQ(configuration_.FileHistory.Items().front(), doc->File().FileName());
}

TEST_F(ChildDocumentTest, AFileThatCannotBeLoadedLeavesTheHistoryAndReachesTheCaller) {
    const std::string path = dir_.File("broken.klt");
    test::WriteFileBytes(path, "not a training");
    test::TRecordingWindow window;
    EXPECT_ANY_THROW(TKLTChildDocument(path, &window, window, configuration_, tree_));
    EXPECT_TRUE(configuration_.FileHistory.Items().empty());
}

TEST_F(ChildDocumentTest, SecondWindowNumbersBothCaptionsUntilItCloses) {
    const std::string path = WriteTraining();
    TOpenDocument first(path, configuration_, tree_);
    auto second = std::make_unique<TOpenDocument>(path, configuration_, tree_);
    EXPECT_EQ(&first->File(), &(*second)->File());
    EXPECT_TRUE(first.window.caption.ends_with(";1")) << first.window.caption;
    EXPECT_TRUE(second->window.caption.ends_with(";2")) << second->window.caption;
    second.reset();
    EXPECT_EQ(first.window.caption.find(';'), std::string::npos) << first.window.caption;
}

TEST_F(ChildDocumentTest, SelectingAViewAgainTogglesOrCyclesIt) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    doc->SetView(gtSingleRow);
    EXPECT_TRUE(doc->Options().ShowDiagrammEinZTrend);
    doc->SetView(gtSingleRow);
    EXPECT_FALSE(doc->Options().ShowDiagrammEinZTrend);

    doc->SetView(gtMultiRow);
    EXPECT_EQ(doc.window.shown, gtMultiRow);
    TOptionData two;
    two.Assign(doc->Options());
    two.DiagrammMehrZ.MaxAnzahlDiagramme = 2;
    doc->ApplyOptions(two, false);
    std::vector<int> rows;
    for (int i = 0; i < 4; ++i) {
        doc->SetView(gtMultiRow);
        rows.push_back(doc->Options().DiagrammMehrZ.MaxAnzahlDiagramme);
    }
    EXPECT_EQ(rows, (std::vector<int>{3, 4, 5, 2}));

    doc->SetView(gtAnalyse);
    EXPECT_FALSE(doc->Options().ShowConconiAnalyse);
    doc->SetView(gtAnalyse);
    EXPECT_TRUE(doc->Options().ShowConconiAnalyse);

    doc->SetView(gtPeriodical); // a window of its own, not a view of the document
    EXPECT_EQ(doc->View(), gtAnalyse);
    doc->SetView(gtStatistical);
    EXPECT_EQ(doc.window.shown, gtStatistical);
    EXPECT_EQ(doc->Diagram(), nullptr);
}

TEST_F(ChildDocumentTest, OnlyChangesOfTheShownViewNeedARepaint) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    TOptionData options;
    options.Assign(doc->Options());
    EXPECT_FALSE(doc->ApplyOptions(options, false));
    EXPECT_TRUE(doc->ApplyOptions(options, true));

    options.DiagrammMehrZ.MaxGlaettung += 100; // not shown in the one-line view
    EXPECT_FALSE(doc->ApplyOptions(options, false));
    options.DiagrammEinZDetail.MaxGlaettung += 100;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    options.ShowDiagrammEinZTrend = true;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    options.GraphicData.PRBGICanvasPalette = PaletteGray;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    options.KLTGraphicType = gtMultiRow;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
}

TEST_F(ChildDocumentTest, TheDistributionViewFollowsTheProfileTheSpeedUnitAndEdits) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    TOptionData options;
    options.Assign(doc->Options());
    options.KLTGraphicType = gtRatio;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    EXPECT_TRUE(TKLTChildDocument::IsPaintBoxView(gtRatio));
    ASSERT_EQ(doc->Diagram(), &doc->RatioView());
    test::TRecordingCanvas canvas(800, 600);
    const TDiagramView view{&doc->File(), doc->CurrentMarker(), {}, nullptr};
    auto paint = [&] { doc->Diagram()->Paint(view, canvas); };
    paint();
    EXPECT_FALSE(doc->ApplyOptions(options, false));

    tree_.Sets().RatioDataChartOptionSet.CadenceSkala.MergeFct = 5; // as the options dialog saves it
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    paint();
    EXPECT_FALSE(doc->ApplyOptions(options, false));
    configuration_.SystemData.UnitsSPD = 2;
    EXPECT_TRUE(doc->ApplyOptions(options, false));
    paint();
    EXPECT_NE(canvas.FindText("Speed (mph)"), nullptr);

    // Edited samples are counted again; a selection has no place in the distribution.
    EXPECT_FALSE(doc->RatioView().Refresh(view));
    doc->File().Sample(5).Set(300 * 8, 0, 0, 0, 0, 0);
    doc->File().SamplesEdited();
    EXPECT_TRUE(doc->RatioView().Refresh(view));
    doc->File().SetSelection(true, 10, 20);
    EXPECT_FALSE(doc->ShownSelection().painted);
}

TEST_F(ChildDocumentTest, ViewKeysSwitchBetweenTheDiagramViews) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    EXPECT_TRUE(doc->KeyDown(TKey::F6, 0));
    EXPECT_EQ(doc->View(), gtMultiRow);
    doc->KeyDown(TKey::F6, 0);
    EXPECT_EQ(doc->View(), gtSingleRow);
    doc->KeyDown(TKey::F7, 0);
    EXPECT_EQ(doc->View(), gtAnalyse);
    doc->KeyDown(TKey::F7, 0);
    EXPECT_EQ(doc->View(), gtMultiRow);
    doc->KeyDown(TKey::F7, 0);
    EXPECT_EQ(doc->View(), gtAnalyse);
}

TEST_F(ChildDocumentTest, ControlKeysCyclePaletteAndToggleHelperLines) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    const TKLTGraphicData& graphic = doc->Options().GraphicData;
    const uint32_t lines = graphic.PRBGICanvasOptions;
    doc->KeyDown('X', TShift::Ctrl);
    EXPECT_EQ(graphic.PRBGICanvasOptions, lines ^ CanvasOptionBit(PlotHilfsLinieV));
    doc->KeyDown('Y', TShift::Ctrl);
    doc->KeyDown('Z', TShift::Ctrl);
    EXPECT_EQ(graphic.PRBGICanvasOptions, lines ^ CanvasOptionBit(PlotHilfsLinieV) ^
                                              CanvasOptionBit(PlotHilfsLinieH) ^
                                              CanvasOptionBit(PlotBereiche));

    std::vector<int> palettes;
    for (int i = 0; i < 9; ++i) {
        const int repaints = doc.window.repaints;
        EXPECT_TRUE(doc->KeyDown('B', TShift::Ctrl));
        EXPECT_GT(doc.window.repaints, repaints);
        palettes.push_back(graphic.PRBGICanvasPalette);
    }
    EXPECT_EQ(palettes, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 0, 1}));
    EXPECT_FALSE(doc->KeyDown('Q', TShift::Ctrl | TShift::Alt));
}

TEST_F(ChildDocumentTest, ArrowKeysWalkTheMarkerTabsAndTheirNesting) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    doc->KeyDown(TKey::Up, 0);
    EXPECT_EQ(doc->CurrentMarker(), 0) << "Up on marker 0 stays";
    doc->KeyDown(TKey::Left, 0);
    EXPECT_EQ(doc->CurrentMarker(), 0);
    doc->KeyDown(TKey::Down, 0);
    EXPECT_EQ(doc->CurrentMarker(), 1);
    doc->KeyDown(TKey::Down, 0);
    EXPECT_EQ(doc->CurrentMarker(), 2) << "Steep lies inside Climb";
    EXPECT_EQ(doc.window.currentTab, 2);
    doc->KeyDown(TKey::Down, 0);
    EXPECT_EQ(doc->CurrentMarker(), 2) << "Sprint does not lie inside Steep";
    doc->KeyDown(TKey::Up, 0);
    EXPECT_EQ(doc->CurrentMarker(), 1);
    doc->KeyDown(TKey::Right, 0);
    doc->KeyDown(TKey::Right, 0);
    EXPECT_EQ(doc->CurrentMarker(), 3);
    doc->KeyDown(TKey::Right, 0);
    doc->KeyDown(TKey::Down, 0);
    EXPECT_EQ(doc->CurrentMarker(), 3) << "nothing follows the last marker";
    doc->KeyDown(TKey::Up, 0);
    EXPECT_EQ(doc->CurrentMarker(), 0) << "only marker 0 encloses Sprint";
    EXPECT_NE(doc.window.caption.find("JD"), std::string::npos);
}

TEST_F(ChildDocumentTest, CaptionNamesTheCurrentMarker) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    doc->SetCurrentMarker(3);
    EXPECT_NE(doc.window.caption.find("JD/Sprint"), std::string::npos) << doc.window.caption;
    EXPECT_EQ(doc.window.currentTab, 3);
}

TEST_F(ChildDocumentTest, HoveringATabPreviewsItsRangeAndLeavingRestoresTheSelection) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    TKLTFile& file = doc->File();
    file.SetSelection(true, 5, 7);
    const std::string hint = doc->PreviewTab(3);
    EXPECT_NE(hint.find("Sprint"), std::string::npos) << hint;
    EXPECT_EQ(file.SelectionFirst(), 60);
    EXPECT_EQ(file.SelectionLast(), 80);
    doc->PreviewTab(1);
    doc->EndPreview();
    EXPECT_TRUE(file.SelectionActive());
    EXPECT_EQ(file.SelectionFirst(), 5);
    EXPECT_EQ(file.SelectionLast(), 7);
}

TEST_F(ChildDocumentTest, TheSelectionIsPaintedClippedToTheMarkerAndMovedByItsDifference) {
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    TKLTFile& file = doc->File();
    doc->SetCurrentMarker(1); // 10..50
    doc.window.inversions.clear();
    file.SetSelection(true, 40, 5); // reversed, and reaching out of the marker
    EXPECT_EQ(doc->ShownSelection(), (TSelectionRange{true, 10, 41}));
    file.SetSelection(true, 40, 45);
    file.SetSelection(false, 40, 45);
    EXPECT_EQ(doc.window.inversions, (std::vector<TSampleSpan>{{10, 41}, {10, 40}, {41, 46}, {40, 46}}));

    doc->SetView(gtStatistical);
    file.SetSelection(true, 12, 14);
    EXPECT_FALSE(doc->ShownSelection().painted) << "only the diagram views show the selection";
}

TEST(SelectionInversion, InvertsOnlyWhatChanges) {
    const TSelectionRange none;
    const TSelectionRange a{true, 10, 20};
    EXPECT_TRUE(SelectionInversions(none, none).empty());
    EXPECT_TRUE(SelectionInversions(a, a).empty());
    EXPECT_EQ(SelectionInversions(none, a), (std::vector<TSampleSpan>{{10, 20}}));
    EXPECT_EQ(SelectionInversions(a, none), (std::vector<TSampleSpan>{{10, 20}}));
    EXPECT_EQ(SelectionInversions(a, {true, 10, 25}), (std::vector<TSampleSpan>{{20, 25}}));
    EXPECT_EQ(SelectionInversions(a, {true, 5, 15}), (std::vector<TSampleSpan>{{5, 10}, {15, 20}}));
    EXPECT_EQ(SelectionInversions(a, {true, 12, 18}), (std::vector<TSampleSpan>{{10, 12}, {18, 20}}));
    EXPECT_EQ(SelectionInversions(a, {true, 20, 30}), (std::vector<TSampleSpan>{{10, 20}, {20, 30}}))
        << "touching ranges do not overlap";
    EXPECT_EQ(SelectionInversions(a, {false, 12, 18}), (std::vector<TSampleSpan>{{10, 20}}));
}

TEST(ZoneSetChoice, TakesTheFirstSetValidBeyondTheTrainingElseTheLast) {
    TAnalyseOptionSet sets(1000);
    std::vector<TTrainingZoneSet> list;
    for (int32_t date : {100, 200, 300}) {
        TTrainingZoneSet set(date);
        set.SetZone(0, TTrainingZone{.Name = std::to_string(date)});
        list.push_back(set);
    }
    sets.ReplaceZoneSets(list, 1000);
    EXPECT_EQ(ChooseZoneSet(sets, 50).Date, 100);
    EXPECT_EQ(ChooseZoneSet(sets, 150).Date, 200);
    EXPECT_EQ(ChooseZoneSet(sets, 200).Date, 300) << "a set ending on the training's day is over";
    EXPECT_EQ(ChooseZoneSet(sets, 400).Date, 300);
}

TEST_F(ChildDocumentTest, DiagramsTakeTheZoneSetOfTheTrainingDate) {
    std::vector<TTrainingZoneSet> list;
    for (int32_t date : {kDate - 10, kDate + 10, kDate + 20}) {
        list.emplace_back(date);
    }
    tree_.Sets().AnalyseOptionSet.ReplaceZoneSets(list);
    TOpenDocument doc(WriteTraining(), configuration_, tree_);
    EXPECT_EQ(doc->Options().DiagrammMehrZ.TrainingZoneSet.Date, kDate + 10);
    EXPECT_EQ(doc->Options().DiagrammEinZDetail.TrainingZoneSet.Date, kDate + 10);
    EXPECT_EQ(doc->Options().KLTAnalyse.TrainingZoneSet.Date, kDate + 10);
    EXPECT_EQ(doc->Options().ConconiAnalyse.TrainingZoneSet.Date, kDate + 10);
}

} // namespace
} // namespace klt
