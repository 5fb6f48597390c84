// klt plot of the analysis views compared with stored pictures (tests/support/ImageChecks.h says
// how to store new ones).
#include <gtest/gtest.h>

#include <QImage>

#include "core/MesswertColours.h"
#include "tests/cli/KltRun.h"
#include "tests/support/ImageChecks.h"
#include "tests/support/AnalysisRides.h"

namespace klt {
namespace {

class KltPlotAnalysis : public ::testing::Test {
protected:
    QImage Plot(const std::string& ride, const std::string& view) {
        const std::string png = dir_.File(view + ".png");
        const test::TKltRun run =
            test::RunKlt(dir_, "", "plot " + ride + " --view " + view + " --width 900 --height 560 -o " + png);
        EXPECT_EQ(run.status, 0) << run.err;
        return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    }

    test::TTempDir dir_;
};

TEST_F(KltPlotAnalysis, AnalysisOfARideLooksAsStored) {
    const std::string ride = dir_.File("ride.klt");
    test::WriteLineRide(ride);
    const QImage image = Plot(ride, "analysis");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(test::PixelsOf(image, SlotColour(SlotRegressionLine)), 300) << "the fitted line";
    EXPECT_GT(test::PixelsOf(image, SlotColour(SlotPowerHistogram)), 3000) << "the power histogram";
    test::ExpectLikeGolden(image, KLT_TEST_DATA_DIR "/plots/analysis.png");
}

TEST_F(KltPlotAnalysis, ConconiAnalysisOfAStepTestLooksAsStored) {
    const std::string ride = dir_.File("steps.klt");
    test::WriteStepTest(ride, true);
    const QImage image = Plot(ride, "conconi");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(test::PixelsOf(image, SlotColour(SlotRegressionLine)), 300) << "the fitted line";
    EXPECT_LT(test::PixelsOf(image, SlotColour(SlotPowerHistogram)), 1000) << "the power axis's texts, no histogram";
    test::ExpectLikeGolden(image, KLT_TEST_DATA_DIR "/plots/conconi.png");
}

} // namespace
} // namespace klt
