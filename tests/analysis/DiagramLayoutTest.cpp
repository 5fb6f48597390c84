#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "analysis/DiagramCurves.h"
#include "analysis/DiagramLayout.h"
#include "analysis/DiagramSmoothing.h"
#include "analysis/GlaettungsStufen.h"
#include "core/KLTFile.h"
#include "tests/core/MesswertFixture.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

// A character cell of 10 pixels: title line 13, bottom line 10.
TDiagramMetrics Surface(int width, int height) {
    return {width, height, 10, 1, 50};
}

TEST(DiagramLayout, RowsFallBackWithTheSurfaceHeight) {
    struct TCase {
        int height;
        int rows;
    };
    // Usable height = height - 23; each row needs 40 pixels, a single row 20.
    for (const TCase c : {TCase{223, 5}, TCase{222, 4}, TCase{183, 4}, TCase{182, 3}, TCase{103, 2},
                          TCase{102, 1}, TCase{43, 1}, TCase{42, 0}}) {
        const TDiagramLayout l = ComputeDiagramLayout(1, 1000, 5, Surface(300, c.height));
        EXPECT_EQ(l.rows, c.rows) << c.height;
        EXPECT_EQ(l.Valid(), c.rows > 0);
        if (l.Valid()) {
            EXPECT_EQ(l.top, 13);
            EXPECT_EQ(l.rowHeight, (c.height - 23) / c.rows);
            EXPECT_EQ(l.bottom, l.top + l.rows * l.rowHeight);
            EXPECT_LE(l.bottom, c.height - 10);
        }
    }
}

TEST(DiagramLayout, NothingFitsWithoutSamplesOrWidth) {
    EXPECT_FALSE(ComputeDiagramLayout(0, 0, 2, Surface(300, 300)).Valid());
    EXPECT_FALSE(ComputeDiagramLayout(5, 4, 2, Surface(300, 300)).Valid());
    EXPECT_FALSE(ComputeDiagramLayout(1, 100, 2, Surface(100, 300)).Valid()); // margins eat the width
}

TEST(DiagramLayout, SamplesAndPixelsMapBothWays) {
    // 1001 samples in 3 rows of 334 (the last one shorter), 200 pixels wide from x = 50.
    const TDiagramLayout l = ComputeDiagramLayout(100, 1100, 3, Surface(300, 400));
    ASSERT_EQ(l.rows, 3);
    EXPECT_EQ(l.samplesPerRow, 334);
    EXPECT_EQ(l.left, 50);
    EXPECT_EQ(l.width, 200);
    EXPECT_EQ(l.LastOfRow(2), 1100);

    EXPECT_EQ(l.PixelOf(100).x, 50);
    EXPECT_EQ(l.PixelOf(100).y, l.top);
    EXPECT_EQ(l.PixelOf(434).x, 50);
    EXPECT_EQ(l.PixelOf(434).y, l.top + l.rowHeight);
    EXPECT_EQ(l.PixelOf(100 + 167).x, 150);

    for (const int sample : {100, 267, 433, 434, 600, 768, 1000, 1100}) {
        const TCanvasPoint p = l.PixelOf(sample);
        // Columns hold one or two samples; the way back may land one column early.
        const int back = l.SampleAt(p.x, p.y + 1);
        EXPECT_LE(back, sample) << sample;
        EXPECT_LE(sample - back, 2) << sample;
    }
    // Outside the rows and the plot area the nearest sample is taken.
    EXPECT_EQ(l.SampleAt(0, 0), 100);
    EXPECT_EQ(l.SampleAt(-50, l.top + 1), 100);
    EXPECT_EQ(l.SampleAt(10000, 10000), 1100);    // the last row ends early
    EXPECT_EQ(l.SampleAt(10000, l.top + 1), 432); // the first sample of the row's last column
}

class DiagramCurve : public MesswertFixture {
protected:
    std::vector<int> Values(int count) {
        std::vector<int> values(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            values[static_cast<size_t>(i)] = 8 * (i + 1); // sample i+1 has i+1 W
        }
        return values;
    }
    TMesswertSkala power_{mwaLeistung};
};

TEST_F(DiagramCurve, FewSamplesEachGetTheirOwnColumn) {
    power_.SetDisplayRange(true, 100, 0);
    const TDiagramLayout l = ComputeDiagramLayout(1, 10, 1, Surface(300, 123)); // 100 pixels high
    const std::vector<TCanvasPoint> points = CurvePoints(l, 0, Values(10), power_);
    ASSERT_EQ(points.size(), 12u); // first point, ten samples, last point
    EXPECT_EQ(points.front().x, 50);
    EXPECT_EQ(points.front().y, l.top + 100 - 1); // sample 1 has no predecessor
    for (int s = 1; s <= 10; ++s) {
        EXPECT_EQ(points[static_cast<size_t>(s)].x, 50 + (s - 1) * 20) << s;
        EXPECT_EQ(points[static_cast<size_t>(s)].y, l.top + 100 - s) << s;
    }
    EXPECT_EQ(points.back().x, 250);              // where the next sample would be
    EXPECT_EQ(points.back().y, l.top + 100 - 10); // no sample after the last
}

TEST_F(DiagramCurve, ManySamplesAreAveragedPerColumn) {
    power_.SetDisplayRange(true, 1000, 0);
    // 1000 samples on 200 columns: five per column.
    const TDiagramLayout l = ComputeDiagramLayout(1, 1000, 1, Surface(300, 1023));
    const std::vector<int> values = Values(1100);
    const std::vector<TCanvasPoint> points = CurvePoints(l, 0, values, power_);
    ASSERT_EQ(points.size(), 202u);
    EXPECT_EQ(points[1].x, 50);
    EXPECT_EQ(points[1].y, l.top + 1000 - 3); // mean of 1..5 W
    EXPECT_EQ(points[200].x, 249);
    EXPECT_EQ(points[200].y, l.top + 1000 - 998);
    // The shown range ends before the training does: the last point leans to the next sample.
    EXPECT_NEAR(points.back().y, l.top, 1); // (1000 + 1001) / 2 W
}

TEST_F(DiagramCurve, RowsContinueWhereThePreviousEnded) {
    power_.SetDisplayRange(true, 100, 0);
    const TDiagramLayout l = ComputeDiagramLayout(1, 20, 2, Surface(300, 223));
    const std::vector<int> values = Values(20);
    const std::vector<TCanvasPoint> second = CurvePoints(l, 1, values, power_);
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(second.front().x, 50);
    EXPECT_NEAR(second.front().y, l.RowTop(1) + 89.5, 1); // between 10 and 11 W
}

TEST(DiagramSmoothing, WindowFollowsTheSetting) {
    EXPECT_EQ(SmoothingWindowTime(0, 1, 3600, 100), 0);
    EXPECT_EQ(SmoothingWindowTime(500, 1, 3600, 100), 500);
    EXPECT_EQ(SmoothingWindowTime(-1, 1, 3600, 100), 3600); // 36 samples of one hour
    EXPECT_EQ(SmoothingWindowTime(-10, 101, 150, 200), 1000);
    EXPECT_EQ(SmoothingWindowTime(-1, 1, 50, 100), 50); // rounded: half a second
    EXPECT_EQ(SmoothingText(-5), "5%");
    EXPECT_EQ(SmoothingText(6000), "00:01:00");
}

TEST(DiagramSmoothing, OnePercentOfAnHourAveragesEighteenSamplesEachSide) {
    TKLTFile file;
    test::FillTraining(file, 3600);
    const int window = SmoothingWindowTime(-1, 1, 3600, file.Interval());
    const std::vector<int> raw = file.MovingAverages(mwaLeistung, 0);
    const std::vector<int> smoothed = file.MovingAverages(mwaLeistung, window);
    EXPECT_EQ(raw[999], 8 * 1000);
    EXPECT_EQ(smoothed[999], 8 * 1000); // symmetric window on a straight line
    // Samples 1..19 hold 1..19 W: the mean of 19 samples, at the start of the file.
    EXPECT_EQ(smoothed[0], 8 * 10);
    EXPECT_EQ(smoothed[3599], 8 * (3582 + 3600) / 2);
}

TEST(SmoothingSteps, ReadmeListsThePercentStepsInTheOrderF2WalksThem) {
    std::ifstream readme(KLT_TEST_DATA_DIR "/../../README.md");
    ASSERT_TRUE(readme);
    const std::string text((std::istreambuf_iterator<char>(readme)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("more/less"), std::string::npos);
    size_t at = text.find("F2 and F3 step the smoothing");
    ASSERT_NE(at, std::string::npos);
    for (int32_t step : GlaettungsStufen) {
        if (step < 0) {
            at = text.find(" " + SmoothingText(step), at);
            ASSERT_NE(at, std::string::npos) << SmoothingText(step);
        }
    }
}

} // namespace
} // namespace klt
