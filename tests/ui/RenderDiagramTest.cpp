#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "analysis/DiagramColours.h"
#include "app/OptionData.h"
#include "core/KLTFile.h"
#include "tests/support/ImageChecks.h"
#include "tools/synth/SyntheticRide.h"
#include "ui/canvas/RenderDiagram.h"

namespace klt {
namespace {

class RenderDiagram : public ::testing::Test {
protected:
    RenderDiagram() {
        synth::TRideOptions ride;
        ride.intervals = 3;
        synth::BuildRide(file_, ride);
        options_.SetToDefaults();
        view_.file = &file_;
        view_.title = "Test";
    }

    QImage Render(TKLTGraphicControl& diagram, const QRect& area, QSize size = {800, 500}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkGray);
        QPainter painter(&image);
        klt::RenderDiagram(painter, {area, QGuiApplication::font()}, diagram, view_, options_.GraphicData);
        return image;
    }

    TKLTFile file_;
    TOptionData options_;
    TDiagramView view_;
};

TEST_F(RenderDiagram, DrawsOnlyInsideItsAreaWithCrispCurves) {
    QImage image = Render(options_.DiagrammMehrZ, QRect(100, 50, 600, 400));
    EXPECT_EQ(image.pixelColor(99, 60), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(700, 60), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(150, 49), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(150, 450), QColor(Qt::darkGray));
    EXPECT_EQ(image.pixelColor(101, 51), QColor(Qt::white));
    // Without antialiasing the power curve is drawn in its exact colour.
    const TRgb power = DiagramColours(PaletteColor, {255, 255, 255}).Curve(mwaLeistung);
    EXPECT_GT(test::PixelsOf(image, power), 300);
}

TEST_F(RenderDiagram, SelectionInvertedTwiceRestoresThePicture) {
    QImage image = Render(options_.DiagrammMehrZ, QRect(0, 0, 800, 500));
    const QImage painted = image.copy();
    const QRect area(0, 0, 800, 500);
    {
        QPainter painter(&image);
        RenderDiagramSelection(painter, {area, QGuiApplication::font()}, options_.DiagrammMehrZ, view_,
                               options_.GraphicData, 3000, 100);
    }
    EXPECT_NE(image, painted);
    {
        QPainter painter(&image);
        RenderDiagramSelection(painter, {area, QGuiApplication::font()}, options_.DiagrammMehrZ, view_,
                               options_.GraphicData, 100, 3000);
    }
    EXPECT_EQ(image, painted);
}

TEST_F(RenderDiagram, BlackAndWhitePaletteDrawsNoColour) {
    options_.GraphicData.PRBGICanvasPalette = PaletteBlackAndWhite;
    const QImage image = Render(options_.DiagrammEinZDetail, QRect(0, 0, 800, 500));
    for (int y = 30; y < 450; y += 3) { // the rows; texts may be smoothed into grey
        for (int x = 0; x < 800; x += 3) {
            const QColor c = image.pixelColor(x, y);
            ASSERT_TRUE(c.red() == c.green() && c.green() == c.blue()) << x << "," << y << " " << c.name().toStdString();
        }
    }
}

} // namespace
} // namespace klt
