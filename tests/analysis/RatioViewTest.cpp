#include <gtest/gtest.h>

#include <limits>
#include <regex>

#include "analysis/RatioView.h"
#include "tests/analysis/RecordingCanvas.h"
#include "tests/support/MemoryTraining.h"

namespace klt {
namespace {

using test::TRecordingCanvas;

class THintHost : public IDiagramHost {
public:
    void SetHint(const std::string& text) override { hint = text; }
    void CreateMarkerFromSelection() override {}
    std::string hint = "unset";
};

// Ten minutes at 1 s: power 100..299 W, heart rate 120..159, cadence 70..109, speed 20..39 km/h.
void Ride(TKLTFile& file) {
    test::FillTraining(file, 600);
    file.InsertMarker(TKLTMarker("One", 1, 1));
    file.Normalise();
    for (int i = 1; i <= 600; ++i) {
        file.Sample(i).Set((100 + i % 200) * 8, (70 + i % 40) * 32, (120 + i % 40) * 64,
                           (20 + i % 20) * 10000 / 36, 0, 0);
    }
}

TRgb SeriesColour(TRatioChannel channel, TPRBGICanvasPalette palette = PaletteColor) {
    return DiagramColours(palette, {255, 255, 255}).Series(RatioBaseColour(channel), RatioKind(channel));
}

class RatioView : public ::testing::Test {
protected:
    void SetUp() override {
        Ride(file);
        control.SetOptions(&options);
        view.file = &file;
        view.host = &host;
    }
    int FillsIn(TRgb colour) const {
        int count = 0;
        for (const auto& [rect, c] : canvas.fills) {
            count += c == colour ? 1 : 0;
        }
        return count;
    }
    int TextsLike(const std::string& pattern) const {
        int count = 0;
        for (const TRecordingCanvas::TText& t : canvas.texts) {
            count += std::regex_match(t.text, std::regex(pattern)) ? 1 : 0;
        }
        return count;
    }

    TKLTFile file;
    TKLTRatioDataChartOptionSet options;
    TRatioDataGraphicControl control;
    THintHost host;
    TDiagramView view;
    TRecordingCanvas canvas{1600, 1000};
};

TEST_F(RatioView, DrawsFourChartsWithBarsMeansAndAxes) {
    control.Paint(view, canvas);
    for (const char* title : {"Power (watt)", "Heartrate (bpm)", "Cadence (rpm)", "Speed (km/h)"}) {
        EXPECT_NE(canvas.FindText(title), nullptr) << title;
    }
    // The power chart: eight classes 5..400 W, of which 105..304 W hold the ride.
    const TRgb powerBar = MixColour(SeriesColour(rcPower), {255, 255, 255}, 0.55);
    EXPECT_EQ(FillsIn(powerBar), 5);
    for (const char* bound : {"5", "55", "105", "355", "400"}) {
        EXPECT_NE(canvas.FindText(bound), nullptr) << bound;
    }
    EXPECT_EQ(canvas.FindText("401"), nullptr);
    const TRecordingCanvas::TText* title = canvas.FindText("Power (watt)");
    EXPECT_LT(title->x + static_cast<int>(title->text.size()) * TRecordingCanvas::kCharWidth, 800); // left half
    EXPECT_LT(title->y, 500);
    // Means of the other channels in their colours, in every chart but their own.
    for (const TRatioChannel channel : {rcPower, rcHeartRate, rcCadence, rcSpeed}) {
        EXPECT_EQ(canvas.StrokesIn(SeriesColour(channel)), 3) << channel;
    }
    // The right axis of the power chart takes the heart rate's range, 0..200 in 8 steps.
    const TRecordingCanvas::TText* top = nullptr;
    for (const TRecordingCanvas::TText& t : canvas.texts) {
        if (t.text == "200" && t.colour == SeriesColour(rcHeartRate) && t.x < 800) {
            top = &t;
        }
    }
    ASSERT_NE(top, nullptr);
    // Shares over the bars.
    EXPECT_GT(TextsLike("\\d+%"), 10);
}

TEST_F(RatioView, GridColoursAndNotesFollowTheSettings) {
    control.Paint(view, canvas);
    const TRgb grid = DiagramColours(PaletteColor, {255, 255, 255}).grid;
    const int withGrid = canvas.StrokesIn(grid);
    EXPECT_GT(withGrid, 4 * 7);
    options.DrawGrid = false;
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_EQ(canvas.StrokesIn(grid), 0);

    // A channel switched off: its chart says so and no chart draws its means.
    options.HeartRateSkala.Skala.SetVisible(false);
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_NE(canvas.FindText("Switched off in the options"), nullptr);
    EXPECT_EQ(canvas.StrokesIn(SeriesColour(rcHeartRate)), 0);

    // Black and white: every line in the text colour.
    canvas.Prepare({255, 255, 255}, PaletteBlackAndWhite, 0, 1600, 1000);
    canvas.Forget();
    control.Paint(view, canvas);
    for (const TRecordingCanvas::TStroke& stroke : canvas.strokes) {
        EXPECT_EQ(stroke.colour, (TRgb{0, 0, 0}));
    }

    // A marker of one sample is counted; one without samples gives a note, not empty axes.
    view.marker = 1;
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_EQ(TextsLike("No samples in this marker"), 0);
    EXPECT_FALSE(canvas.frames.empty());
    TKLTFile empty;
    view.file = &empty;
    view.marker = 0;
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_EQ(TextsLike("No samples in this marker"), 3);
    EXPECT_TRUE(canvas.frames.empty());
    view.file = &file;

    // Scales without room for a class say so.
    view.marker = 0;
    options.PowerSkala.MergeFct = 0;
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_EQ(TextsLike("No classes.*"), 1);

    // No heart rate in the marker.
    for (int i = 1; i <= file.SampleCount(); ++i) {
        TSampleElement& s = file.Sample(i);
        s.Set(s.Power(), s.Cadence(), 15 * 64, s.Speed(), 0, 0);
    }
    options.HeartRateSkala.Skala.SetVisible(true);
    control.Invalidate();
    canvas.Forget();
    control.Paint(view, canvas);
    EXPECT_NE(canvas.FindText("No heart rate above 20 bpm in this marker"), nullptr);
}

TEST_F(RatioView, ScalesFromADamagedProfileStillGiveAPicture) {
    TMesswertSkala hostile; // a scale without a kind takes any value
    hostile.SetOffset(std::numeric_limits<double>::quiet_NaN());
    hostile.SetBereich(1e300);
    options.HeartRateSkala.Skala.Assign(hostile); // the right axis of the power chart
    hostile.SetOffset(1e9);
    hostile.SetBereich(-5e9);
    options.PowerSkala.Skala.Assign(hostile); // the left axis of the others, and a key without room
    options.SpeedSkala.MergeFct = std::numeric_limits<int>::max();
    control.Paint(view, canvas);
    EXPECT_NE(canvas.FindText("Cadence (rpm)"), nullptr);
    for (const TRecordingCanvas::TStroke& stroke : canvas.strokes) {
        for (const TCanvasPoint& p : stroke.points) {
            EXPECT_LE(std::abs(p.y), 1000000);
        }
    }
    control.MouseMove(view, canvas, 0, 400, 250);
}

TEST_F(RatioView, ReadsOutMeansAndTimesUnderTheMouse) {
    options.SmootingFct = 0;
    std::vector<TRatioChart> charts = control.LayOut(view, canvas);
    ASSERT_EQ(charts.size(), 4u);
    const TRatioChart& power = charts[0];
    // The heart rate's mean over the 105..154 W class.
    const TRatioChart::TSeries& heartRate = power.Series()[0];
    ASSERT_EQ(heartRate.channel, rcHeartRate);
    const TCanvasPoint point = heartRate.points[2]->at;
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.1f bpm", *control.Data(rcPower).MeanValue(105, 154, rcHeartRate));
    control.MouseMove(view, canvas, 0, point.x + 1, point.y - 1);
    EXPECT_EQ(host.hint, expected);

    // 150 of the 600 seconds lie in the class 155..204 W.
    const TCanvasRect bar = power.Bars()[3].rect;
    control.MouseMove(view, canvas, 0, bar.left + 1, bar.bottom - 2);
    EXPECT_EQ(host.hint, "0:02:30");
    // Outside bars and points the read-out goes.
    control.MouseMove(view, canvas, 0, 2, 2);
    EXPECT_EQ(host.hint, "");
    EXPECT_EQ(RatioTimeText(3 * 3600 + 5 * 60 + 7), "3:05:07");
}

TEST_F(RatioView, CountsAgainOnlyWhenWhatItCountedChanged) {
    EXPECT_TRUE(control.Refresh(view));
    EXPECT_FALSE(control.Refresh(view));
    options.PowerSkala.Skala.SetDisplayRange(true, 500, 0); // classes, not counts
    EXPECT_FALSE(control.Refresh(view));
    EXPECT_TRUE(control.OptionsChanged());
    control.Paint(view, canvas);
    EXPECT_FALSE(control.OptionsChanged());
    options.SmootingFct = 30;
    EXPECT_TRUE(control.Refresh(view));
    control.SetSpeedUnit(2);
    EXPECT_TRUE(control.OptionsChanged());
    EXPECT_TRUE(control.Refresh(view));
    view.marker = 1;
    EXPECT_TRUE(control.Refresh(view));
    control.Invalidate();
    EXPECT_TRUE(control.Refresh(view));
    file.SetSampleCount(300);
    view.marker = 0;
    EXPECT_TRUE(control.Refresh(view));
    // The speed chart names its unit.
    control.Paint(view, canvas);
    EXPECT_NE(canvas.FindText("Speed (mph)"), nullptr);
}

} // namespace
} // namespace klt
