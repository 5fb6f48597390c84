// `klt plot --view ratio` against a stored picture of the demonstration ride's distribution.
// After an intended change of the picture, run the test once with KLT_UPDATE_GOLDEN=1: it then
// writes tests/data/plot-ratio.png anew (look at it before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <QImage>

#include "analysis/DiagramColours.h"
#include "analysis/RatioChart.h"
#include "tests/cli/KltRun.h"

namespace klt {
namespace {

constexpr const char* kGolden = KLT_TEST_DATA_DIR "/plot-ratio.png";
// Text rendering may differ by a pixel here and there between machines; a broken chart moves far more.
constexpr double kTolerance = 0.02;

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) <= 48;
}

int PixelsOf(const QImage& image, TRgb colour) {
    const QRgb wanted = qRgb(colour.red, colour.green, colour.blue);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == wanted ? 1 : 0;
        }
    }
    return count;
}

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
        EXPECT_GT(PixelsOf(image, line), 100) << RatioChannelName(channel);
        EXPECT_GT(PixelsOf(image, MixColour(line, colours.window, 0.55)), 1000) << RatioChannelName(channel);
    }

    if (std::getenv("KLT_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::copy_file(png, kGolden, std::filesystem::copy_options::overwrite_existing);
        GTEST_SKIP() << "wrote " << kGolden;
    }
    const QImage golden = QImage(QString::fromUtf8(kGolden)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), image.size()) << kGolden;
    int differing = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            differing += Near(image.pixel(x, y), golden.pixel(x, y)) ? 0 : 1;
        }
    }
    if (differing > kTolerance * image.width() * image.height()) {
        const std::string kept = std::string(KLT_BIN_DIR) + "/plot-ratio.actual.png";
        std::filesystem::copy_file(png, kept, std::filesystem::copy_options::overwrite_existing);
        ADD_FAILURE() << differing << " pixels differ from " << kGolden << "; the new picture is " << kept;
    }
}

} // namespace
} // namespace klt
