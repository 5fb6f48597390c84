// The live chart: only the samples in view are read, at most one per two pixel columns, the curves
// stay inside the plot, and the time axis, markers and note are drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/LiveChart.h"
#include "tests/analysis/RecordingCanvas.h"

namespace klt {
namespace {

using test::TRecordingCanvas;

// Power rising by a watt (8 raw) a sample; a marker every 100 samples.
class TRampSamples : public ILiveChartSamples {
public:
    explicit TRampSamples(int count) : count_(count) {}
    int Count() const override { return count_; }
    double Mean(TMesswertArtType, int i) const override {
        ++reads;
        lowest = std::min(lowest, i);
        return 8.0 * i;
    }
    std::vector<int> Markers(int first, int last) const override {
        std::vector<int> marked;
        for (int i = (first + 99) / 100 * 100; i <= std::min(last, count_ - 1); i += 100) {
            marked.push_back(i);
        }
        return marked;
    }
    mutable int reads = 0;
    mutable int lowest = 1 << 30;

private:
    int count_;
};

TLiveChartFrame Frame(int first, int last, std::string note = {}) {
    TLiveChartFrame frame;
    frame.first = first;
    frame.last = last;
    frame.scales = {{mwaLeistung, 0, 8 * 400}, {mwaHerzfrequenz, 0, 64 * 200}};
    frame.note = std::move(note);
    return frame;
}

const TRecordingCanvas::TStroke& LongestStroke(const TRecordingCanvas& canvas) {
    return *std::max_element(canvas.strokes.begin(), canvas.strokes.end(),
                             [](const auto& a, const auto& b) { return a.points.size() < b.points.size(); });
}

TEST(LiveChart, AWholeLongRideIsReadOnceForEveryOtherPixelColumn) {
    TRecordingCanvas canvas(800, 400);
    const TRampSamples ride(14'401);
    DrawLiveChart(canvas, ride, Frame(0, 14'400));
    EXPECT_LE(ride.reads, 2 * 400) << "two curves, a point per two columns at most";
    const TRecordingCanvas::TStroke& curve = LongestStroke(canvas);
    EXPECT_GT(curve.points.size(), 300u);
    for (const TCanvasPoint& point : curve.points) {
        EXPECT_GE(point.x, curve.clip.left);
        EXPECT_LE(point.x, curve.clip.right);
        EXPECT_GE(point.y, curve.clip.top) << "values above the scale stay at its top";
        EXPECT_LE(point.y, curve.clip.bottom);
    }
    EXPECT_EQ(curve.points.back().x, curve.clip.right) << "the newest sample ends the curve";
    EXPECT_TRUE(canvas.FindText("2:00:00")) << "the time axis counts the ride's seconds";
}

TEST(LiveChart, TheLastMinutesReadOnlyTheSamplesInView) {
    TRecordingCanvas canvas(800, 400);
    const TRampSamples ride(7'000);
    DrawLiveChart(canvas, ride, Frame(6'900, 7'020, "Start pedaling"));
    EXPECT_EQ(ride.lowest, 6'900);
    EXPECT_EQ(ride.reads, 2 * 100) << "the samples still to come are not drawn";
    const TRecordingCanvas::TStroke& curve = LongestStroke(canvas);
    EXPECT_EQ(curve.points.front().x, curve.clip.left);
    EXPECT_LT(curve.points.back().x, curve.clip.right);
    EXPECT_TRUE(canvas.FindText("Start pedaling"));
    EXPECT_TRUE(canvas.FindText("57:30"));
    EXPECT_TRUE(canvas.FindText("400")) << "the power axis";
    EXPECT_TRUE(canvas.FindText("200")) << "the heart-rate axis";
    EXPECT_EQ(canvas.StrokesIn({200, 110, 0}), 1) << "sample 7000 is marked";
}

TEST(LiveChart, ANewRideAndATinyWindowDrawWithoutCurves) {
    TRecordingCanvas canvas(800, 400);
    DrawLiveChart(canvas, TRampSamples(1), Frame(0, 480, "Start pedaling"));
    EXPECT_TRUE(canvas.FindText("Start pedaling"));
    TRecordingCanvas tiny(20, 10);
    DrawLiveChart(tiny, TRampSamples(100), Frame(0, 480));
    EXPECT_TRUE(tiny.strokes.empty());
}

TEST(LiveChart, TimeLabelsNeverCrowd) {
    EXPECT_EQ(LiveChartTimeStep(60, 2000, 40), 5);
    EXPECT_EQ(LiveChartTimeStep(60, 800, 40), 10);
    EXPECT_EQ(LiveChartTimeStep(3600, 800, 40), 600);
    EXPECT_EQ(LiveChartTimeStep(200'000, 800, 40), 7200);
}

} // namespace
} // namespace klt
