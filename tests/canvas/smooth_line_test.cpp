#include "canvas/smooth_line.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

QImage white(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

void draw(QImage& img, const SmoothLine& line, const QRect& clip) {
    writeSmoothLine(line, clip, PixelBuffer{img.bits(), img.bytesPerLine()}, qRgb(0, 0, 0));
}

// How much of `area` is covered, in pixels: black counts one, white none.
double ink(const QImage& img, const QRect& area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            sum += (255 - qRed(img.pixel(x, y))) / 255.0;
    return sum;
}

TEST(SmoothLine, AStraightBandCoversEachPixelByItsShareOfIt) {
    // Rows 4.25 to 6.25, columns 2 to 12 with flat ends, one more column each side square.
    for (const bool square : {false, true}) {
        SCOPED_TRACE(square ? "square ends" : "flat ends");
        QImage img = white(16, 12);
        draw(img, SmoothLine{{2, 5.25}, {12, 5.25}, 2.0, square, square}, img.rect());
        const int first = square ? 1 : 2, last = square ? 12 : 11;
        for (int x = 0; x < 16; ++x) {
            const bool in = x >= first && x <= last;
            EXPECT_NEAR(qRed(img.pixel(x, 3)), 255, 0) << x;
            EXPECT_NEAR(qRed(img.pixel(x, 4)), in ? 64 : 255, 1) << x;
            EXPECT_NEAR(qRed(img.pixel(x, 5)), in ? 0 : 255, 0) << x;
            EXPECT_NEAR(qRed(img.pixel(x, 6)), in ? 191 : 255, 1) << x;
            EXPECT_NEAR(qRed(img.pixel(x, 7)), 255, 0) << x;
        }
    }
}

TEST(SmoothLine, ASlantedBandLaysDownItsAreaAndNothingOutsideTheClip) {
    const double kPi = 3.14159265358979;
    for (double turn = 0; turn < 1; turn += 0.0625 + 0.01) {
        SCOPED_TRACE(turn);
        const QPointF from(50.3, 50.6);
        const QPointF to = from + 35 * QPointF(std::cos(2 * kPi * turn), std::sin(2 * kPi * turn));
        QImage whole = white(100, 100);
        draw(whole, SmoothLine{from, to, 3.0, true, false}, whole.rect());
        // 3 wide, 35 long and half the width more at the square start.
        EXPECT_NEAR(ink(whole, whole.rect()), 3 * (35 + 1.5), 0.01 * 3 * 36.5);

        const QRect clip(40, 45, 25, 20);
        QImage clipped = white(100, 100);
        draw(clipped, SmoothLine{from, to, 3.0, true, false}, clip);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_EQ(clipped.pixel(x, y),
                          clip.contains(x, y) ? whole.pixel(x, y) : 0xffffffffu)
                    << x << "," << y;
    }
}

TEST(SmoothLine, NoLengthOrNoWidthDrawsNothingAndAFarEndDrawsWhatShows) {
    QImage img = white(20, 20);
    draw(img, SmoothLine{{5, 5}, {5, 5}, 2.0, true, true}, img.rect());
    draw(img, SmoothLine{{5, 5}, {15, 5}, 0.0, true, true}, img.rect());
    draw(img, SmoothLine{{5, 5}, {std::nan(""), 5}, 2.0, true, true}, img.rect());
    EXPECT_EQ(ink(img, img.rect()), 0);
    // A line from far outside into the image draws its part in it.
    draw(img, SmoothLine{{-1e9, 10.5}, {15, 10.5}, 1.0, true, true}, img.rect());
    EXPECT_NEAR(ink(img, img.rect()), 15.5, 0.01);
}

TEST(SmoothLine, ARoundEndLaysDownItsDiscAroundTheBandItEnds) {
    QImage img = white(30, 30);
    const QRect none;
    writeDisc({10.5, 12.25}, 4.0, img.rect(), none, PixelBuffer{img.bits(), img.bytesPerLine()},
              qRgb(0, 0, 0));
    EXPECT_NEAR(ink(img, img.rect()), 3.14159265 * 16, 0.5);

    // Beside a band: the band's pixels and what lies outside the clip are left alone.
    QImage end = white(30, 30);
    const QRect band(20, 8, 10, 4);
    const QRect clip(0, 0, 22, 30);
    writeDisc({20, 10}, 2.0, clip, band, PixelBuffer{end.bits(), end.bytesPerLine()},
              qRgb(0, 0, 0));
    // The half outside the band, as sixteen points a pixel see it.
    EXPECT_NEAR(ink(end, end.rect()), 3.14159265 * 4 / 2, 0.4);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 30; ++x) {
            if (band.contains(x, y) || !clip.contains(x, y)) {
                ASSERT_EQ(end.pixel(x, y), 0xffffffffu) << x << "," << y;
            }
        }
    }
}

} // namespace
} // namespace kv
