#include <gtest/gtest.h>

#include "analysis/DiagramColours.h"
#include "analysis/DiagramMarkerBars.h"
#include "analysis/Diagramm.h"
#include "core/KLTFile.h"
#include "tests/analysis/RecordingCanvas.h"
#include "tests/core/MesswertFixture.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

using test::TRecordingCanvas;

class DiagramPaint : public MesswertFixture {
protected:
    DiagramPaint() {
        test::FillTraining(file_, 600);
        file_.InsertMarker(TKLTMarker("Sprint", 101, 200));
        file_.InsertMarker(TKLTMarker("Inner", 150, 160));
        file_.Normalise();
        view_.file = &file_;
        view_.title = "Multi";
    }

    TRgb Colour(TMesswertArtType kind) const {
        return DiagramColours(PaletteColor, {255, 255, 255}).Curve(kind);
    }

    TKLTFile file_;
    TDiagramView view_;
    TRecordingCanvas canvas_{1200, 600};
};

TEST_F(DiagramPaint, DrawsTitleLegendsSmoothingAndCaption) {
    TKLTDiagrammMehrZData diagram;
    diagram.Paint(view_, canvas_);
    ASSERT_TRUE(diagram.LayoutState().Valid());
    EXPECT_EQ(diagram.LayoutState().rows, 2);
    const auto* title = canvas_.FindText("Multi");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->x + 20, 600, 10); // centred
    const auto* power = canvas_.FindText("Power [watt]");
    ASSERT_NE(power, nullptr);
    EXPECT_LT(power->x, 100); // the first legend at the left...
    const auto* speed = canvas_.FindText("Speed [km/h]");
    ASSERT_NE(speed, nullptr);
    EXPECT_GT(speed->x, 900); // ...the second at the right
    EXPECT_EQ(power->colour, Colour(mwaLeistung));
    const auto* smoothing = canvas_.FindText("Smoothing: 1%");
    ASSERT_NE(smoothing, nullptr);
    EXPECT_EQ(smoothing->y, 600 - TRecordingCanvas::kCharHeight);
    EXPECT_EQ(smoothing->x + 13 * TRecordingCanvas::kCharWidth, 1200 - 4);
}

TEST_F(DiagramPaint, TrendDiagramHasItsOwnTitleAndNarrowSurfacesShortNames) {
    TKLTDiagrammEinzTrendData trend;
    TRecordingCanvas narrow(600, 300);
    trend.Paint(view_, narrow);
    EXPECT_NE(narrow.FindText("Trend of Training"), nullptr);
    EXPECT_EQ(narrow.FindText("Power [watt]"), nullptr);
    EXPECT_NE(narrow.FindText("POW"), nullptr);
}

TEST_F(DiagramPaint, HiddenScaleNeitherDrawsNorAnswersKeys) {
    TKLTDiagrammMehrZData diagram;
    diagram.Paint(view_, canvas_);
    const int heartStrokes = canvas_.StrokesIn(Colour(mwaHerzfrequenz));
    EXPECT_GE(heartStrokes, 2); // a curve per row
    diagram.SkalaHerzfrequenz.SetVisible(false);
    canvas_.Forget();
    diagram.Paint(view_, canvas_);
    EXPECT_EQ(canvas_.StrokesIn(Colour(mwaHerzfrequenz)), 0);
    EXPECT_EQ(canvas_.FindText("Heartrate [bpm]"), nullptr);

    const double offset = diagram.SkalaHerzfrequenz.Offset();
    EXPECT_FALSE(diagram.KeyDown(TKey::Right, TShift::Ctrl));
    EXPECT_EQ(diagram.SkalaHerzfrequenz.Offset(), offset);
}

TEST_F(DiagramPaint, ZoneLinesLabelTheirAxisEvenWhenItsCurveIsHidden) {
    TKLTDiagrammMehrZData diagram;
    diagram.TrainingZoneSet = TTrainingZoneSet::Default();
    ASSERT_GT(diagram.TrainingZoneSet.ZoneCount(), 0);
    diagram.SkalaLeistung.SetVisible(false);
    diagram.SkalaHerzfrequenz.SetVisible(false);
    const TRgb powerColour = Colour(mwaLeistung);
    auto powerTexts = [&] {
        int count = 0;
        for (const auto& t : canvas_.texts) {
            count += t.colour == powerColour ? 1 : 0;
        }
        return count;
    };
    diagram.Paint(view_, canvas_);
    EXPECT_EQ(powerTexts(), 0);
    canvas_.Prepare({255, 255, 255}, PaletteColor, CanvasOptionBit(PlotBereiche), 1200, 600);
    canvas_.Forget();
    diagram.Paint(view_, canvas_);
    EXPECT_GT(powerTexts(), 0);
}

TEST_F(DiagramPaint, PalettesMapKindsToGreyAndBlack) {
    const TRgb white{255, 255, 255};
    const TDiagramColours grey = DiagramColours(PaletteGray, white);
    const TDiagramColours blackWhite = DiagramColours(PaletteBlackAndWhite, white);
    for (const TMesswertArtType kind : DiagramChannels) {
        const TRgb c = grey.Curve(kind);
        EXPECT_TRUE(c.red == c.green && c.green == c.blue) << int(kind);
        EXPECT_EQ(blackWhite.Curve(kind), (TRgb{0, 0, 0}));
    }
    EXPECT_TRUE(grey.patterned);
    EXPECT_FALSE(DiagramColours(PaletteColor, white).patterned);
    EXPECT_EQ(DiagramColours(PaletteColor, {0, 0, 0}).text, white); // a dark window gets light texts
}

TEST_F(DiagramPaint, MarkerBarsAreCutWhereOtherMarkersBeginOrEnd) {
    const std::vector<TMarkerBarPiece> pieces = MarkerBarPieces(file_, 1, 600);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].index, 1);
    EXPECT_EQ(pieces[0].first, 101);
    EXPECT_EQ(pieces[0].last, 149);
    EXPECT_TRUE(pieces[0].markerStart);
    EXPECT_EQ(pieces[1].index, 2);
    EXPECT_EQ(pieces[1].first, 150);
    EXPECT_EQ(pieces[1].last, 160);
    EXPECT_EQ(pieces[2].index, 1);
    EXPECT_EQ(pieces[2].first, 161);
    EXPECT_FALSE(pieces[2].markerStart);
    // Shown from inside the outer marker, its bar starts at the shown range.
    const std::vector<TMarkerBarPiece> inner = MarkerBarPieces(file_, 155, 170);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(inner[0].index, 2);
    EXPECT_TRUE(inner[0].markerStart);
}

TEST_F(DiagramPaint, AtEqualStartsTheSmallerMarkerNumberOwnsTheBar) {
    TKLTFile file;
    test::FillTraining(file, 600);
    file.InsertMarker(TKLTMarker("Long", 300, 400));
    file.InsertMarker(TKLTMarker("Short", 300, 350));
    file.Normalise();
    ASSERT_EQ(file.MarkerCount(), 3);
    const std::vector<TMarkerBarPiece> pieces = MarkerBarPieces(file, 1, 600);
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces.front().first, 300);
    EXPECT_EQ(pieces.front().index, 1);
    EXPECT_TRUE(pieces.front().markerStart);
}

TEST_F(DiagramPaint, MarkerBarsShowNumbersHighlightTheCurrentMarkerAndFollowCtrlW) {
    TKLTDiagrammMehrZData diagram;
    view_.marker = 1;
    diagram.Paint(view_, canvas_);
    EXPECT_NE(canvas_.FindText("1 Sprin"), nullptr); // names are cut to five characters
    const TRgb current = DiagramColours(PaletteColor, {255, 255, 255}).barCurrent;
    int highlighted = 0;
    for (const auto& [rect, colour] : canvas_.fills) {
        highlighted += colour == current ? 1 : 0;
    }
    EXPECT_EQ(highlighted, 2); // marker 1 on both sides of marker 2

    EXPECT_TRUE(diagram.KeyDown('W', TShift::Ctrl));
    canvas_.Forget();
    diagram.Paint(view_, canvas_);
    EXPECT_EQ(canvas_.FindText("1 Sprin"), nullptr);
}

TEST_F(DiagramPaint, SelectionIsInvertedRowByRow) {
    TKLTDiagrammMehrZData diagram;
    diagram.MaxAnzahlDiagramme = 3;
    diagram.Paint(view_, canvas_);
    const TDiagramLayout& l = diagram.LayoutState();
    ASSERT_EQ(l.rows, 3);
    ASSERT_EQ(l.samplesPerRow, 200);
    diagram.SelectionPaint(view_, canvas_, 550, 101); // ends given either way round
    ASSERT_EQ(canvas_.inverted.size(), 3u);
    EXPECT_EQ(canvas_.inverted[0].left, l.ColumnOf(101));
    EXPECT_EQ(canvas_.inverted[0].right, l.right);
    EXPECT_EQ(canvas_.inverted[0].top, l.RowTop(0));
    EXPECT_EQ(canvas_.inverted[0].bottom, l.RowTop(1));
    EXPECT_EQ(canvas_.inverted[1].left, l.left);
    EXPECT_EQ(canvas_.inverted[1].right, l.right);
    EXPECT_EQ(canvas_.inverted[2].left, l.left);
    EXPECT_EQ(canvas_.inverted[2].right, l.ColumnOf(550));
    canvas_.inverted.clear();
    diagram.SelectionPaint(view_, canvas_, 120, 120);
    EXPECT_TRUE(canvas_.inverted.empty());
}

TEST_F(DiagramPaint, NothingButTheBackgroundWhenNoRowFits) {
    TKLTDiagrammMehrZData diagram;
    TRecordingCanvas tiny(800, 40);
    diagram.Paint(view_, tiny);
    EXPECT_FALSE(diagram.LayoutState().Valid());
    EXPECT_TRUE(tiny.strokes.empty());
    EXPECT_TRUE(tiny.texts.empty());
    EXPECT_EQ(tiny.fills.size(), 1u);
    diagram.SelectionPaint(view_, tiny, 1, 50);
    EXPECT_TRUE(tiny.inverted.empty());
}

} // namespace
} // namespace klt
