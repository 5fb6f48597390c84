#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "ui/canvas/QtCanvas.h"

namespace klt {
namespace {

TEST(QtCanvas, InvertingTwiceRestoresTheImage) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    const QImage before = image.copy();
    {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        canvas.InvertRect({5, 5, 20, 15});
        canvas.InvertRect({5, 5, 20, 15});
    }
    EXPECT_EQ(image, before);
}

TEST(QtCanvas, InvertCoversExactlyTheRectangle) {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        canvas.InvertRect({2, 3, 5, 4});
    }
    EXPECT_EQ(image.pixelColor(2, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(5, 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 4), QColor(Qt::white));
}

} // namespace
} // namespace klt
