#include <gtest/gtest.h>

#include "analysis/Diagramm.h"
#include "analysis/GlaettungsStufen.h"
#include "core/KLTDate.h"
#include "core/KLTFile.h"
#include "tests/analysis/RecordingCanvas.h"
#include "tests/core/MesswertFixture.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

class TRecordingHost : public IDiagramHost {
public:
    void SetHint(const std::string& text) override { hint = text; }
    void CreateMarkerFromSelection() override { ++markerRequests; }
    std::string hint = "none";
    int markerRequests = 0;
};

class DiagramInput : public MesswertFixture {
protected:
    DiagramInput() {
        test::FillTraining(file_, 400);
        view_.file = &file_;
        view_.host = &host_;
    }

    TKLTFile file_;
    TRecordingHost host_;
    TDiagramView view_;
    test::TRecordingCanvas canvas_{600, 400};
    TKLTDiagrammMehrZData diagram_;
};

TEST_F(DiagramInput, SmoothingStepsStopAtBothEnds) {
    EXPECT_TRUE(diagram_.KeyDown(TKey::F2, 0));
    EXPECT_EQ(diagram_.MaxGlaettung, 0);
    diagram_.MaxGlaettung = GlaettungsStufen.back();
    EXPECT_TRUE(diagram_.KeyDown(TKey::F2, 0));
    EXPECT_EQ(diagram_.MaxGlaettung, GlaettungsStufen.back());
    diagram_.MaxGlaettung = -3;
    EXPECT_TRUE(diagram_.KeyDown(TKey::F3, 0));
    EXPECT_EQ(diagram_.MaxGlaettung, -5);
    diagram_.MaxGlaettung = GlaettungsStufen.front();
    EXPECT_TRUE(diagram_.KeyDown(TKey::F3, 0));
    EXPECT_EQ(diagram_.MaxGlaettung, GlaettungsStufen.front());
    EXPECT_FALSE(diagram_.KeyDown(TKey::F2, TShift::Shift)); // only unshifted
}

TEST_F(DiagramInput, CtrlQCyclesMarkerInfoAndOtherLettersAreLeft) {
    const TPlotMarkerInfo expected[] = {PlotMarkerInfoBeide, PlotMarkerInfoUnten, PlotMarkerInfoAus,
                                        PlotMarkerInfoOben};
    for (const TPlotMarkerInfo info : expected) {
        EXPECT_TRUE(diagram_.KeyDown('Q', TShift::Ctrl));
        EXPECT_EQ(diagram_.PlotMarkerInfo, info);
    }
    EXPECT_FALSE(diagram_.KeyDown('Q', 0));
    EXPECT_FALSE(diagram_.KeyDown('X', TShift::Ctrl)); // the window's key
}

TEST_F(DiagramInput, ArrowKeysStepTheScaleOfTheirModifiers) {
    struct TCase {
        uint32_t shift;
        TMesswertSkala& skala;
    };
    for (const TCase c :
         {TCase{TShift::Alt, diagram_.SkalaLeistung}, TCase{TShift::Ctrl, diagram_.SkalaHerzfrequenz},
          TCase{TShift::Ctrl | TShift::Alt, diagram_.SkalaGeschwindigkeit},
          TCase{TShift::Ctrl | TShift::Shift, diagram_.SkalaTretfrequenz}}) {
        const double offset = c.skala.Offset();
        EXPECT_TRUE(diagram_.KeyDown(TKey::Right, c.shift));
        const double raised = c.skala.Offset();
        EXPECT_GT(raised, offset) << c.shift;
        EXPECT_TRUE(diagram_.KeyDown(TKey::Left, c.shift));
        EXPECT_LT(c.skala.Offset(), raised) << c.shift;
        const double bereich = c.skala.Bereich();
        EXPECT_TRUE(diagram_.KeyDown(TKey::Up, c.shift));
        const double widened = c.skala.Bereich();
        EXPECT_GT(widened, bereich) << c.shift;
        EXPECT_TRUE(diagram_.KeyDown(TKey::Down, c.shift));
        EXPECT_LT(c.skala.Bereich(), widened) << c.shift;
    }
    EXPECT_FALSE(diagram_.KeyDown(TKey::Right, 0)); // plain arrows move between markers
    EXPECT_FALSE(diagram_.KeyDown(TKey::Right, TShift::Shift | TShift::Alt));
}

TEST_F(DiagramInput, DraggingSelectsAndReleasingOffersAMarker) {
    diagram_.MouseMove(view_, canvas_, 0, 300, 100);
    ASSERT_TRUE(diagram_.LayoutState().Valid());
    const TDiagramLayout& l = diagram_.LayoutState();
    const int under = diagram_.SampleAt(300, 100);
    EXPECT_EQ(host_.hint.substr(0, 8), FormatTimeOfDay(file_.SampleTime(under), false)) << host_.hint;
    EXPECT_NE(host_.hint.find("watt"), std::string::npos);

    const TCanvasPoint from = l.PixelOf(50);
    const int start = diagram_.SampleAt(from.x, from.y + 5);
    EXPECT_NEAR(start, 50, 1);
    diagram_.MouseDown(view_, canvas_, TMouseButton::Left, TShift::Left, from.x, from.y + 5);
    EXPECT_TRUE(file_.SelectionActive());
    EXPECT_EQ(file_.SelectionFirst(), start);
    EXPECT_EQ(file_.SelectionLast(), start);
    diagram_.MouseUp(view_, canvas_, TMouseButton::Left, 0, from.x, from.y + 5);
    EXPECT_EQ(host_.markerRequests, 0); // a click is no range

    diagram_.MouseDown(view_, canvas_, TMouseButton::Left, TShift::Left, from.x, from.y + 5);
    const TCanvasPoint to = l.PixelOf(250);
    const int end = diagram_.SampleAt(to.x, to.y + 5);
    diagram_.MouseMove(view_, canvas_, TShift::Left, to.x, to.y + 5);
    EXPECT_EQ(file_.SelectionFirst(), start);
    EXPECT_EQ(file_.SelectionLast(), end);
    const std::string range = FormatTimeOfDay(file_.SampleTime(start), false) + "-";
    EXPECT_EQ(host_.hint.substr(0, range.size()), range) << host_.hint;
    diagram_.MouseUp(view_, canvas_, TMouseButton::Left, 0, to.x, to.y + 5);
    EXPECT_EQ(host_.markerRequests, 1);

    // Moving without the button keeps the selection; a double click starts none.
    diagram_.MouseMove(view_, canvas_, 0, 10, 10);
    EXPECT_EQ(file_.SelectionLast(), end);
    diagram_.MouseDown(view_, canvas_, TMouseButton::Left, TShift::Left | TShift::Double, from.x, from.y);
    diagram_.MouseUp(view_, canvas_, TMouseButton::Left, TShift::Double, from.x, from.y);
    EXPECT_EQ(file_.SelectionFirst(), start);
    EXPECT_EQ(host_.markerRequests, 1);
}

TEST_F(DiagramInput, WithoutSamplesTheMouseOnlyClearsTheHint) {
    TKLTFile empty;
    view_.file = &empty;
    diagram_.MouseMove(view_, canvas_, TShift::Left, 100, 100);
    EXPECT_EQ(host_.hint, "");
    diagram_.MouseDown(view_, canvas_, TMouseButton::Left, TShift::Left, 100, 100);
    EXPECT_FALSE(empty.SelectionActive());
}

} // namespace
} // namespace klt
