// `klt plot --view ratio` against a stored picture of the demonstration ride's distribution
// (tests/support/ImageChecks.h says how to store a new one).
#include <gtest/gtest.h>

#include <cstdlib>

#include <QImage>

#include "analysis/DiagramColours.h"
#include "analysis/RatioChart.h"
#include "tests/cli/KltRun.h"
#include "tests/support/ImageChecks.h"

namespace klt {
namespace {

constexpr const char* kGolden = KLT_TEST_DATA_DIR "/plots/ratio.png";

TEST(KltPlotRatio, DrawsTheDistributionOfTheDemonstrationRideAsStored) {
    test::TTempDir dir;
    const std::string ride = dir.File("ride.klt"), png = dir.File("ratio.png");
    ASSERT_EQ(std::system((std::string(KLT_BIN_DIR) + "/klt-demo " + ride + " >/dev/null").c_str()), 0);
    const test::TKltRun run = test::RunKlt(dir, "KLT_CONFIG=" + dir.File("KLTWIN.CFG"),
                                           "plot " + ride + " --view ratio --width 960 --height 600 -o " + png);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(960, 600));

    // Bars in the key's colour, lighter; mean lines in the four channel colours.
    const TDiagramColours colours = DiagramColours(PaletteColor, {255, 255, 255});
    for (const TRatioChannel channel : {rcPower, rcHeartRate, rcCadence, rcSpeed}) {
        const TRgb line = colours.Series(RatioBaseColour(channel), RatioKind(channel));
        EXPECT_GT(test::PixelsOf(image, line), 100) << RatioChannelName(channel);
        EXPECT_GT(test::PixelsOf(image, MixColour(line, colours.window, 0.55)), 1000) << RatioChannelName(channel);
    }

    test::ExpectLikeGolden(image, kGolden);
}

} // namespace
} // namespace klt
