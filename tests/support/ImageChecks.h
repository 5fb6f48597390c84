#pragma once
// What tests ask of drawn pictures: how many pixels carry a colour, and whether a picture still
// looks like the one stored for it. Header-only, for the test suites that link Qt.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/MesswertColours.h"

namespace klt::test {

inline int PixelsOf(const QImage& image, QColor colour) {
    const QRgb wanted = colour.rgb() & 0xFFFFFF;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == wanted ? 1 : 0;
        }
    }
    return count;
}

inline int PixelsOf(const QImage& image, TRgb colour) {
    return PixelsOf(image, QColor(colour.red, colour.green, colour.blue));
}

// Compares a picture with the one stored at `golden`. Text rendering may differ by a pixel here
// and there between machines, a broken chart moves far more: up to 2 % of the pixels may differ
// by more than a little. After a deliberate change of the drawing, run the tests once with
// KLT_UPDATE_GOLDEN_IMAGES=1 to store the new pictures, and look at them before committing.
inline void ExpectLikeGolden(const QImage& image, const std::string& golden) {
    constexpr double kMaxDifferingShare = 0.02;
    constexpr int kChannelTolerance = 48;
    if (std::getenv("KLT_UPDATE_GOLDEN_IMAGES") != nullptr) {
        ASSERT_TRUE(image.save(QString::fromStdString(golden), "PNG")) << golden;
    }
    const QImage stored = QImage(QString::fromStdString(golden)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(stored.size(), image.size()) << golden;
    const QImage drawn = image.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb p = drawn.pixel(x, y), q = stored.pixel(x, y);
            differing += std::abs(qRed(p) - qRed(q)) > kChannelTolerance ||
                                 std::abs(qGreen(p) - qGreen(q)) > kChannelTolerance ||
                                 std::abs(qBlue(p) - qBlue(q)) > kChannelTolerance
                             ? 1
                             : 0;
        }
    }
    if (differing > kMaxDifferingShare * drawn.width() * drawn.height()) {
        const std::string kept = std::filesystem::temp_directory_path() /
                                 (std::filesystem::path(golden).stem().string() + ".actual.png");
        drawn.save(QString::fromStdString(kept), "PNG");
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; the new picture is " << kept;
    }
}

} // namespace klt::test
