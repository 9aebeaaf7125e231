#include "canvas/canvas.h"
#include "pixel_helpers.h"
#include "support/ratio_pictures.h"

#include <QPainter>
#include <QPicture>
#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::differingFromOneToOne;
using test::imageAt;
using test::pixelsBetween;
using test::unevenBlocks;

constexpr QSize kScene(200, 120);

// Every kind of figure a control draws, in logical pixels.
void drawScene(Canvas& c) {
    c.setPenColor(clBlack);
    c.setBrushColor(clYellow);
    c.rectangle(Rect{5, 5, 45, 35});
    c.line(50, 5, 90, 35);
    c.line(50, 35, 90, 5);
    c.setPenWidth(3);
    c.line(95, 5, 130, 30);
    c.setPenWidth(1);
    c.setBrushColor(clLime);
    c.ellipse(Rect{135, 5, 195, 45});
    c.setBrushColor(clRed);
    c.pie(Rect{5, 45, 65, 105}, Point{65, 75}, Point{35, 45});
    c.polygon({{70, 60}, {100, 50}, {90, 100}});
    c.arc(Rect{105, 50, 165, 110}, Point{165, 80}, Point{105, 80});
    FontSpec f;
    f.name = "Arial";
    f.height = -16;
    f.color = clNavy;
    c.setFont(f);
    c.setBackMode(BackMode::Transparent);
    c.textOut(110, 95, "12,34 V");
    c.fillRect(Rect{170, 60, 171, 110}, clBlue);
}

QImage sceneAt(double ratio) {
    QImage img = imageAt(kScene, ratio);
    Canvas c(img);
    drawScene(c);
    return img;
}

// Device pixels of `img` in `area` that are exactly `colour`.
int pixelsOf(const QImage& img, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += img.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

TEST(ShapesAtARatio, FillsCoverWholeDevicePixelsWithoutBlending) {
    QImage img = imageAt({20, 20}, 2.0);
    {
        Canvas c(img);
        EXPECT_TRUE(c.drawsShapes());
        EXPECT_EQ(c.width(), 20);
        EXPECT_EQ(c.height(), 20);
        c.fillRect(Rect{3, 4, 10, 12}, clBlue);
    }
    EXPECT_EQ(pixelsOf(img, QRect(6, 8, 14, 16), Qt::blue), 14 * 16);
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::blue), 14 * 16);
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::white), 40 * 40 - 14 * 16);

    // At 150 % an odd edge lies between device pixels; both rectangles meeting there take
    // the nearest device edge, so neither a gap nor a blended column shows.
    QImage odd = imageAt({20, 4}, 1.5);
    {
        Canvas c(odd);
        c.fillRect(Rect{3, 0, 5, 4}, clRed);
        c.fillRect(Rect{5, 0, 9, 4}, clBlue);
    }
    EXPECT_EQ(pixelsOf(odd, odd.rect(), Qt::red) + pixelsOf(odd, odd.rect(), Qt::blue) +
                  pixelsOf(odd, odd.rect(), Qt::white),
              odd.width() * odd.height());
    EXPECT_EQ(odd.pixelColor(7, 2), QColor(Qt::red)); // logical 5 starts at device 8
    EXPECT_EQ(odd.pixelColor(8, 2), QColor(Qt::blue));
    EXPECT_EQ(odd.pixelColor(13, 2), QColor(Qt::blue)); // logical 9 starts at device 14
    EXPECT_EQ(odd.pixelColor(14, 2), QColor(Qt::white));
    EXPECT_EQ(odd.pixelColor(4, 2), QColor(Qt::white)); // logical 3 starts at device 5
    EXPECT_EQ(odd.pixelColor(5, 2), QColor(Qt::red));
}

// What a fill or a straight line leaves inside a clip is what it leaves there without one:
// a part of a face drawn again under a clip must match the face drawn whole.
TEST(ShapesAtARatio, FillsAndStraightLinesUnderAClipAreThePixelsWithoutIt) {
    for (const double ratio : {1.5, 2.0})
        for (const int left : {0, 100, 228}) {
            QImage whole = imageAt({456, 17}, ratio), clipped = whole;
            for (QImage* img : {&whole, &clipped}) {
                Canvas c(*img);
                if (img == &clipped)
                    c.intersectClip(Rect{left, 0, 456, 17});
                c.fillRect(Rect{0, 0, 456, 17}, 0xD6DFF7);
                c.setPenColor(0x686868);
                c.line(3, 0, 453, 0);
                c.setPenColor(0xBEBEBE);
                c.line(3, 1, 453, 1);
            }
            const QRect inside(int(std::ceil(left * ratio)), 0, whole.width(), whole.height());
            EXPECT_EQ(clipped.copy(inside), whole.copy(inside)) << ratio << " " << left;
        }
}

// Thin slants, dots and wide straight lines under rectangle clips, saved and restored, and
// under a ring: on an RGB32 image the canvas writes many of them itself, on an ARGB32 one
// the painter draws them all. Both must show the same figures, smoothed alike.
TEST(ShapesAtARatio, StrokesWrittenIntoTheImageAreThePaintersStrokes) {
    auto scene = [](Canvas& c) {
        c.fillRect(Rect{0, 0, 200, 120}, clWhite);
        c.setPenColor(clNavy);
        c.polyline({{10, 100}, {40, 20}, {70, 90}, {71, 30}, {120, 31}});
        c.setPenStyle(PenStyle::psDot);
        c.line(5, 10, 190, 10);
        c.line(150, 5, 150, 115);
        c.setPenStyle(PenStyle::psSolid);
        c.setPenWidth(2);
        c.line(5, 110, 190, 110);
        c.setPenWidth(3);
        c.line(180, 20, 180, 100);
        c.setPenWidth(1);
        c.saveClip();
        c.intersectClip(Rect{30, 40, 120, 80});
        c.intersectClip(Rect{20, 50, 100, 120});
        c.line(0, 0, 200, 120);
        c.setPenStyle(PenStyle::psDot);
        c.line(0, 60, 200, 60);
        c.setPenStyle(PenStyle::psSolid);
        c.saveClip();
        c.selectEllipseRingRegion(Rect{40, 40, 110, 110}, Rect{60, 60, 90, 90}, Point{0, 0});
        c.line(0, 120, 200, 0);
        c.line(0, 75, 200, 75);
        c.restoreClip();
        c.line(0, 119, 200, 40);
        c.restoreClip();
        c.polygon({{130, 40}, {160, 100}, {120, 90}});
    };
    for (const double ratio : {1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        QImage direct = imageAt(kScene, ratio);
        QImage painted = direct.convertToFormat(QImage::Format_ARGB32);
        for (QImage* img : {&direct, &painted}) {
            Canvas c(*img);
            scene(c);
        }
        EXPECT_EQ(test::differingPixels(direct, painted, 16), 0);
        // The ink laid down: navy takes the red away from white.
        auto ink = [](const QImage& img) {
            double sum = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    sum += (255 - qRed(img.pixel(x, y))) / 255.0;
            return sum;
        };
        EXPECT_NEAR(ink(direct), ink(painted), 0.01 * ink(painted));
    }
}

TEST(ShapesAtARatio, StraightOnePixelLinesKeepTheirEndRuleOnTheDevice) {
    QImage img = imageAt({20, 20}, 2.0);
    {
        Canvas c(img);
        c.setPenColor(clRed);
        c.line(2, 5, 10, 5);   // columns 2..9
        c.line(15, 12, 15, 3); // rows 12 down to 4
    }
    EXPECT_EQ(pixelsOf(img, QRect(4, 10, 16, 2), Qt::red), 32);
    EXPECT_EQ(img.pixelColor(20, 10), QColor(Qt::white));
    EXPECT_EQ(img.pixelColor(3, 10), QColor(Qt::white));
    EXPECT_EQ(pixelsOf(img, QRect(30, 8, 2, 18), Qt::red), 36);
    EXPECT_EQ(img.pixelColor(30, 6), QColor(Qt::white));
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::red), 32 + 36);
}

TEST(ShapesAtARatio, SlantsCurvesAndTextAreSmoothedAtTheDevicesResolution) {
    const QImage one = sceneAt(1.0);
    const QImage two = sceneAt(2.0);
    // The plain picture has only pure colours along a slanted line; the one at 200 % has
    // the shades of an antialiased edge, at device pixels a doubled picture cannot have.
    const QRect cross(50, 5, 40, 30);
    EXPECT_EQ(pixelsBetween(one, cross, Qt::black, Qt::white), 0);
    EXPECT_GT(pixelsBetween(two, QRect(100, 10, 80, 60), Qt::black, Qt::white), 60);
    EXPECT_GT(unevenBlocks(two, 2), 400);
    EXPECT_EQ(unevenBlocks(one.scaled(one.size() * 2), 2), 0);
    // The pie's and the ellipse's edges too.
    EXPECT_GT(unevenBlocks(two, 2, QRect(10, 90, 120, 120)), 40);
    EXPECT_GT(unevenBlocks(two, 2, QRect(270, 10, 120, 80)), 40);
}

TEST(ShapesAtARatio, ThePictureIsTheOneToOnePictureInFinerPixels) {
    const QImage one = sceneAt(1.0);
    for (double ratio : {1.25, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = sceneAt(ratio);
        EXPECT_EQ(hi.size(), (QSize(qRound(200 * ratio), qRound(120 * ratio))));
        EXPECT_LT(differingFromOneToOne(one, hi), 30);
    }
    // The comparison sees a figure that is missing or moved.
    QImage moved = imageAt(kScene, 2.0);
    {
        Canvas c(moved);
        drawScene(c);
        c.fillRect(Rect{5, 5, 45, 35}, clWhite);
        c.setBrushColor(clYellow);
        c.rectangle(Rect{8, 7, 48, 37});
    }
    EXPECT_GT(differingFromOneToOne(one, moved), 100);
}

TEST(ShapesAtARatio, TextKeepsTheMetricsAndThePlaceOfThePlainPicture) {
    FontSpec f;
    f.name = "Arial";
    f.height = -40;
    f.bold = true;
    f.color = clBlack;
    const std::string text = "-0123,45 mV";
    Size plain;
    QRect plainInk;
    for (double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage img = imageAt({300, 60}, ratio);
        Size extent;
        {
            Canvas c(img);
            c.setFont(f);
            c.setBackMode(BackMode::Transparent);
            c.setTextAlign(HAlign::Right, VAlign::Top);
            extent = c.textExtent(text);
            c.textOut(290, 5, text);
        }
        // The ink's box in logical pixels.
        QRect ink;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128)
                    ink |= QRect(x, y, 1, 1);
        const QRect logical(qRound(ink.left() / ratio), qRound(ink.top() / ratio),
                            qRound(ink.width() / ratio), qRound(ink.height() / ratio));
        if (ratio == 1.0) {
            plain = extent;
            plainInk = logical;
            continue;
        }
        EXPECT_EQ(extent.width, plain.width);
        EXPECT_EQ(extent.height, plain.height);
        EXPECT_NEAR(logical.left(), plainInk.left(), 1);
        EXPECT_NEAR(logical.right(), plainInk.right(), 1);
        EXPECT_NEAR(logical.top(), plainInk.top(), 1);
        EXPECT_NEAR(logical.bottom(), plainInk.bottom(), 1);
    }
}

// The indicator's digits: glyphs larger on the device than any Qt keeps, which the
// canvas keeps itself.
void drawLargeText(Canvas& c, ColorValue colour, const std::string& text) {
    FontSpec f;
    f.name = "Arial";
    f.height = -64;
    f.bold = true;
    f.color = colour;
    c.setFont(f);
    c.setBackMode(BackMode::Transparent);
    c.setTextAlign(HAlign::Left, VAlign::Top);
    c.textOut(7, 3, text);
}

TEST(LargeTextAtARatio, IsTheTextAPainterDrawsOnAnyDevice) {
    for (double ratio : {1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        // Over a painter every glyph is filled from its outline, where it stands.
        QImage expected = imageAt({260, 80}, ratio);
        {
            QPainter p(&expected);
            Canvas c(p, Size{260, 80});
            drawLargeText(c, clBlack, "01,234 8");
        }
        QImage img = imageAt({260, 80}, ratio);
        {
            Canvas c(img);
            drawLargeText(c, clBlack, "01,234 8");
        }
        EXPECT_GT(pixelsOf(img, img.rect(), Qt::black), 1000);
        // Placed to a quarter of a device pixel: edges may differ by a shade, no more.
        EXPECT_EQ(test::differingPixels(expected, img, 96), 0);
        EXPECT_LT(test::differingPixels(expected, img, 24), img.width() * img.height() / 100);
    }
}

TEST(LargeTextAtARatio, KeepsItsColourItsClipAndItsPlaceFromDrawToDraw) {
    QImage img = imageAt({260, 80}, 2.0);
    Canvas c(img);
    drawLargeText(c, clBlack, "88");
    const QImage black = img.copy();
    // The same glyphs in another colour are not the black ones again.
    img.fill(Qt::white);
    drawLargeText(c, clRed, "88");
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::black), 0);
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::red), pixelsOf(black, black.rect(), Qt::black));
    // Clipped, they leave the pixels outside the clip alone.
    img.fill(Qt::white);
    c.saveClip();
    c.intersectClip(Rect{0, 0, 40, 80});
    drawLargeText(c, clBlack, "88");
    c.restoreClip();
    const QRect outside(80, 0, img.width() - 80, img.height());
    EXPECT_EQ(pixelsOf(img, outside, Qt::white), outside.width() * outside.height());
    EXPECT_GT(pixelsOf(img, QRect(0, 0, 80, img.height()), Qt::black), 100);
}

TEST(ShapesAtARatio, ClipAndPixelsAreInLogicalPixels) {
    QImage img = imageAt({40, 40}, 1.5);
    Canvas c(img);
    c.intersectClip(Rect{5, 5, 15, 15});
    EXPECT_EQ(c.clipBox(), (Rect{5, 5, 15, 15}));
    c.fillRect(Rect{0, 0, 40, 40}, clRed);
    EXPECT_EQ(c.pixel(5, 5), clRed);
    EXPECT_EQ(c.pixel(14, 14), clRed);
    EXPECT_EQ(c.pixel(15, 14), clWhite);
    EXPECT_EQ(c.pixel(4, 10), clWhite);
    c.clearClip();
    EXPECT_EQ(c.clipBox(), (Rect{0, 0, 40, 40}));
    c.setPixel(30, 31, clBlue);
    EXPECT_EQ(c.pixel(30, 31), clBlue);
    EXPECT_EQ(c.pixel(31, 31), clWhite);
    // The clip's device pixels: logical 5 and 15 at 1.5 fall on device 8 and 23.
    EXPECT_EQ(pixelsOf(img, img.rect(), Qt::red), 15 * 15);
}

TEST(ShapesAtARatio, PiesCutToARingAreSmoothAlongBothCurves) {
    for (double ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage img = imageAt({100, 100}, ratio);
        {
            Canvas c(img);
            c.saveClip();
            c.selectEllipseRingRegion(Rect{10, 10, 90, 91}, Rect{25, 25, 75, 75}, Point{0, 0});
            c.setBrushColor(clRed);
            c.setPenColor(clRed);
            c.pie(Rect{10, 10, 90, 90}, Point{90, 50}, Point{10, 50}); // the upper half
            c.restoreClip();
            c.fillRect(Rect{0, 95, 100, 100}, clBlue); // the clip is back to the whole
        }
        auto at = [&](int x, int y) { return img.pixelColor(int(x * ratio), int(y * ratio)); };
        EXPECT_EQ(at(50, 20), QColor(Qt::red));   // in the ring
        EXPECT_EQ(at(50, 35), QColor(Qt::white)); // inside the inner ellipse
        EXPECT_EQ(at(50, 5), QColor(Qt::white));  // outside the outer one
        EXPECT_EQ(at(50, 70), QColor(Qt::white)); // the lower half
        EXPECT_EQ(at(50, 97), QColor(Qt::blue));
        // Shades between the band and the dial along the inner curve, which the ring alone
        // cuts: the pixels within two logical pixels of it, above the middle.
        int smoothed = 0;
        for (int y = 0; y < int(46 * ratio); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const double d = std::hypot((x + 0.5) / ratio - 50, (y + 0.5) / ratio - 50);
                if (d > 23 && d < 27)
                    smoothed += pixelsBetween(img, QRect(x, y, 1, 1), Qt::red, Qt::white);
            }
        if (ratio == 1.0)
            EXPECT_EQ(smoothed, 0);
        else
            EXPECT_GT(smoothed, 60); // some 140 device pixels of curve
    }
}

TEST(BitmapForArea, DrawnBackItLandsOnTheCanvassOwnPixels) {
    // An area starting between device pixels: what is drawn into its bitmap must come out
    // as if drawn on the canvas itself.
    for (double ratio : {1.0, 1.5, 2.0, 2.5}) {
        SCOPED_TRACE(ratio);
        const Rect area{3, 5, 40, 30};
        auto figures = [](Canvas& c, int dx, int dy) {
            c.fillRect(Rect{dx, dy, dx + 37, dy + 25}, clYellow);
            c.setPenColor(clBlack);
            c.setBrushColor(clRed);
            c.polygon({{dx + 2, dy + 3}, {dx + 30, dy + 9}, {dx + 11, dy + 22}});
            c.line(dx + 1, dy + 20, dx + 35, dy + 2);
        };
        QImage direct = imageAt({50, 40}, ratio);
        {
            Canvas c(direct);
            figures(c, area.left, area.top);
        }
        QImage viaBitmap = imageAt({50, 40}, ratio);
        {
            Canvas c(viaBitmap);
            Bitmap b(c, area);
            EXPECT_EQ(b.width(), area.width());
            EXPECT_EQ(b.height(), area.height());
            {
                Canvas bc(b);
                figures(bc, 0, 0);
            }
            c.draw(area.left, area.top, b);
        }
        EXPECT_EQ(test::differingPixels(direct, viaBitmap, 2), 0);
    }
}

TEST(CanvasOverAPainter, DrawsWhatTheCanvasOverTheImageDraws) {
    const QImage expected = sceneAt(2.0);
    QImage img = imageAt(kScene, 2.0);
    {
        QPainter p(&img);
        p.setPen(Qt::green); // the painter's own state comes back afterwards
        {
            Canvas c(p, Size{kScene.width(), kScene.height()});
            EXPECT_TRUE(c.drawsShapes());
            EXPECT_EQ(c.image(), nullptr);
            drawScene(c);
        }
        EXPECT_EQ(p.pen().color(), QColor(Qt::green));
    }
    // Over the image the canvas writes thin slants itself, smoothed as Qt smooths them to
    // within a few steps; over a painter Qt draws them.
    EXPECT_EQ(test::differingPixels(expected, img, 16), 0);
}

TEST(CanvasOverAPainter, APictureRecordedAsShapesReplaysAtAnyResolution) {
    // Recorded once on a paint device without pixels (as a vector export would be) and
    // replayed at 300 %, the scene is the one drawn at 300 %.
    QPicture picture;
    {
        QPainter p(&picture);
        Canvas c(p, Size{kScene.width(), kScene.height()});
        drawScene(c);
    }
    QImage replayed = imageAt(kScene, 3.0);
    {
        QPainter p(&replayed);
        p.drawPicture(0, 0, picture);
    }
    const QImage direct = sceneAt(3.0);
    EXPECT_LT(test::differingPixels(direct, replayed, 40), direct.width() * direct.height() / 200);
    EXPECT_GT(unevenBlocks(replayed, 3), 300);
}

TEST(FillDeviceRect, FillsDevicePixelsAtAnyRatio) {
    for (double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage img = imageAt({10, 10}, ratio);
        {
            Canvas c(img);
            c.fillDeviceRect(Rect{1, 2, 4, 3}, clRed);
        }
        EXPECT_EQ(pixelsOf(img, img.rect(), Qt::red), 3);
        EXPECT_EQ(img.pixelColor(1, 2), QColor(Qt::red));
        EXPECT_EQ(img.pixelColor(3, 2), QColor(Qt::red));
    }
}

} // namespace
} // namespace kv
