// klt plot of the analysis views compared with stored pictures. After a deliberate change of the
// drawing, run the test once with KLT_UPDATE_GOLDEN_IMAGES=1 to store the new pictures, and look
// at them before committing.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>

#include "core/MesswertColours.h"
#include "tests/cli/KltRun.h"
#include "tests/support/AnalysisRides.h"

namespace klt {
namespace {

constexpr double kMaxDifferingShare = 0.02; // fonts may differ a little between machines
constexpr int kChannelTolerance = 48;

double DifferingShare(const QImage& a, const QImage& b) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            differing += std::abs(p.red() - q.red()) > kChannelTolerance ||
                                 std::abs(p.green() - q.green()) > kChannelTolerance ||
                                 std::abs(p.blue() - q.blue()) > kChannelTolerance
                             ? 1
                             : 0;
        }
    }
    return double(differing) / (double(a.width()) * a.height());
}

int PixelsOf(const QImage& image, TRgb colour) {
    const QRgb wanted = qRgb(colour.red, colour.green, colour.blue);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

class KltPlotAnalysis : public ::testing::Test {
protected:
    QImage Plot(const std::string& ride, const std::string& view) {
        const std::string png = dir_.File(view + ".png");
        const test::TKltRun run =
            test::RunKlt(dir_, "", "plot " + ride + " --view " + view + " --width 900 --height 560 -o " + png);
        EXPECT_EQ(run.status, 0) << run.err;
        return QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    }

    void ExpectLikeGolden(const QImage& image, const std::string& name) {
        const std::string golden = std::string(KLT_TEST_DATA_DIR) + "/plots/" + name;
        if (std::getenv("KLT_UPDATE_GOLDEN_IMAGES") != nullptr) {
            ASSERT_TRUE(image.save(QString::fromStdString(golden), "PNG"));
        }
        const QImage stored = QImage(QString::fromStdString(golden)).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(stored.size(), image.size()) << golden;
        EXPECT_LT(DifferingShare(image, stored), kMaxDifferingShare) << golden;
    }

    test::TTempDir dir_;
};

TEST_F(KltPlotAnalysis, AnalysisOfARideLooksAsStored) {
    const std::string ride = dir_.File("ride.klt");
    test::WriteLineRide(ride);
    const QImage image = Plot(ride, "analysis");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(PixelsOf(image, SlotColour(SlotRegressionLine)), 300) << "the fitted line";
    EXPECT_GT(PixelsOf(image, SlotColour(SlotPowerHistogram)), 3000) << "the power histogram";
    ExpectLikeGolden(image, "analysis.png");
}

TEST_F(KltPlotAnalysis, ConconiAnalysisOfAStepTestLooksAsStored) {
    const std::string ride = dir_.File("steps.klt");
    test::WriteStepTest(ride, true);
    const QImage image = Plot(ride, "conconi");
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(PixelsOf(image, SlotColour(SlotRegressionLine)), 300) << "the fitted line";
    EXPECT_LT(PixelsOf(image, SlotColour(SlotPowerHistogram)), 1000) << "the power axis's texts, no histogram";
    ExpectLikeGolden(image, "conconi.png");
}

} // namespace
} // namespace klt
