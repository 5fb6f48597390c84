#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/Analyse.h"
#include "analysis/AnalyseAxes.h"
#include "analysis/DiagramColours.h"
#include "core/MesswertColours.h"
#include "tests/analysis/RecordingCanvas.h"
#include "tests/core/MesswertFixture.h"
#include "tests/support/AnalysisRides.h"

namespace klt {
namespace {

using test::TRecordingCanvas;

class AnalysePaint : public MesswertFixture {
protected:
    AnalysePaint() {
        test::FillLineRide(file_, {0.25, 60, 30, 1800});
        view_.file = &file_;
    }

    static TRgb Slot(int slot) { return DiagramColours(PaletteColor, {255, 255, 255}).Slot(slot); }
    int FillsIn(TRgb colour) const {
        return static_cast<int>(std::count_if(canvas_.fills.begin(), canvas_.fills.end(),
                                              [&](const auto& fill) { return fill.second == colour; }));
    }
    const TRecordingCanvas::TText* TextStartingWith(const std::string& start) const {
        for (const auto& text : canvas_.texts) {
            if (text.text.rfind(start, 0) == 0) {
                return &text;
            }
        }
        return nullptr;
    }

    TKLTFile file_;
    TDiagramView view_;
    TRecordingCanvas canvas_{1200, 700};
};

TEST_F(AnalysePaint, DrawsAxesPairsLineHistogramsAndValues) {
    TKLTAnalyseData analyse;
    analyse.Paint(view_, canvas_);
    ASSERT_NE(canvas_.FindText("KLT-Data-Analysis"), nullptr);
    ASSERT_NE(canvas_.FindText("Power [watt]"), nullptr);
    ASSERT_NE(canvas_.FindText("Heartrate [bpm]"), nullptr);
    EXPECT_NE(canvas_.FindText("600"), nullptr) << "the power axis ends at 600 W";
    EXPECT_NE(canvas_.FindText("190"), nullptr) << "the heart-rate axis ends at 190 bpm";
    EXPECT_FALSE(canvas_.frames.empty());
    EXPECT_EQ(canvas_.StrokesIn(Slot(SlotRegressionLine)), 1);
    for (int slot = SlotTimeOrderFirst; slot < SlotTimeOrderFirst + 6; ++slot) {
        EXPECT_GE(canvas_.StrokesIn(Slot(slot)), 1) << "a sixth of the pairs in slot " << slot;
    }
    EXPECT_GT(FillsIn(Slot(SlotPowerHistogram)), 3);
    EXPECT_GT(FillsIn(Slot(SlotHeartRateHistogram)), 3);
    EXPECT_NE(canvas_.FindText("R²: 1.00"), nullptr);
    EXPECT_NE(canvas_.FindText("Shifting: 00:00:30 [Auto 00:00:02]"), nullptr);
    EXPECT_NE(canvas_.FindText("Smoothing: 00:04:00"), nullptr);
    EXPECT_NE(canvas_.FindText("PWC150: 360.0 watt"), nullptr); // 60 + 0.25 * 360 = 150
    EXPECT_NE(canvas_.FindText("Time: 00:30:00"), nullptr);
    const auto* caption = TextStartingWith("(0) File");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->y, 700 - TRecordingCanvas::kCharHeight);
}

TEST_F(AnalysePaint, StepTestShowsAFixedDelayNoHistogramsAndTheDeflection) {
    test::FillStepTest(file_, true);
    TConconiAnalyseData conconi;
    conconi.Paint(view_, canvas_);
    ASSERT_NE(canvas_.FindText("Conconi-Analysis"), nullptr);
    EXPECT_NE(canvas_.FindText("Shifting: 00:00:00 [Manu 00:00:01]"), nullptr);
    EXPECT_EQ(FillsIn(Slot(SlotPowerHistogram)), 0);
    EXPECT_NE(canvas_.FindText("Deflection"), nullptr) << "the point is marked";
    EXPECT_NE(TextStartingWith("Deflection: 2"), nullptr);
    EXPECT_NE(canvas_.FindText("Steps: 14"), nullptr);
    EXPECT_NE(TextStartingWith("PWC130: "), nullptr);
}

TEST_F(AnalysePaint, WithoutHeartRatesTheAxesStayAndANoteSaysWhy) {
    for (int i = 1; i <= file_.SampleCount(); ++i) {
        TSampleElement& s = file_.Sample(i);
        s.Set(s.Power(), s.Cadence(), 0, s.Speed(), 0, 0);
    }
    file_.SamplesEdited();
    TKLTAnalyseData analyse;
    analyse.Paint(view_, canvas_);
    EXPECT_NE(canvas_.FindText("Power [watt]"), nullptr);
    EXPECT_NE(canvas_.FindText("No heart-rate values to analyse in this marker"), nullptr);
    EXPECT_EQ(canvas_.StrokesIn(Slot(SlotRegressionLine)), 0);
    EXPECT_EQ(canvas_.FindText("R²: -1.00"), nullptr);
}

TEST_F(AnalysePaint, ZoneSharesAlongTheLineWithTheOption) {
    TKLTAnalyseData analyse;
    analyse.TrainingZoneSet = TTrainingZoneSet::Default();
    analyse.Paint(view_, canvas_);
    EXPECT_EQ(TextStartingWith("(00:"), nullptr) << "only with the zone option";
    canvas_.Prepare({255, 255, 255}, PaletteColor, CanvasOptionBit(PlotBereiche), 1200, 700);
    canvas_.Forget();
    analyse.Paint(view_, canvas_);
    int percent = 0;
    for (const auto& text : canvas_.texts) {
        percent += text.text.size() > 1 && text.text.back() == '%' ? 1 : 0;
    }
    EXPECT_GE(percent, 3) << "shares of the zones the ride touched, and the histogram scales";
    EXPECT_NE(TextStartingWith("(00:"), nullptr);
}

TEST(AnalyseAxes, DivisionsAreHalvedUntilTheirValuesFit) {
    EXPECT_EQ(AxisDivisions(10, 1000, 24), 10);
    EXPECT_EQ(AxisDivisions(10, 300, 24), 5);  // 30 pixels cannot hold 24 and some air
    EXPECT_EQ(AxisDivisions(10, 100, 24), 2);
    EXPECT_EQ(AxisDivisions(8, 20, 16), 1);
    EXPECT_EQ(AxisDivisions(0, 500, 16), 1);
}

TEST_F(AnalysePaint, LinesOfTheValueColumnThatDoNotFitAreLeftOut) {
    TKLTAnalyseData analyse;
    TRecordingCanvas low(1200, 300);
    analyse.Paint(view_, low);
    EXPECT_NE(low.FindText("R²: 1.00"), nullptr);
    for (const auto& text : low.texts) {
        EXPECT_LE(text.y + TRecordingCanvas::kCharHeight, 300) << text.text;
    }
    TRecordingCanvas tiny(40, 20);
    analyse.Paint(view_, tiny); // no room for a plot: nothing but the background
    EXPECT_EQ(tiny.StrokesIn(Slot(SlotRegressionLine)), 0);
}

} // namespace
} // namespace klt
