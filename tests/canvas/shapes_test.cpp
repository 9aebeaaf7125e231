#include "canvas/canvas.h"
#include "pixel_helpers.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::boundsOf;
using test::inked;

TEST(FillRect, CoversLeftToRightMinusOneAndTopToBottomMinusOne) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setBrushColor(clBlue);
        c.fillRect(Rect{3, 4, 10, 12});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{3, 4, 10, 12}));
    EXPECT_EQ(inked(img).size(), 7u * 8u);
    EXPECT_EQ(at(img, 9, 11), clBlue);
}

TEST(FillRect, UsesBrushColourEvenWhenBrushIsClear) {
    QImage img = blankImage(5, 5);
    {
        Canvas c(img);
        c.setBrushColor(clLime);
        c.setBrushStyle(BrushStyle::bsClear);
        c.fillRect(Rect{0, 0, 2, 2});
    }
    EXPECT_EQ(at(img, 1, 1), clLime);
}

TEST(FillRect, EmptyOrInvertedRectanglesPaintNothing) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.setBrushColor(clBlack);
        c.fillRect(Rect{5, 5, 5, 9});
        c.fillRect(Rect{5, 5, 9, 5});
        c.fillRect(Rect{8, 8, 2, 2});
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Rectangle, OutlineOnOutermostPixelsInsideWithBrush) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setPenColor(clBlack);
        c.setBrushColor(clYellow);
        c.rectangle(Rect{2, 3, 12, 10});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{2, 3, 12, 10}));
    for (int x = 2; x < 12; ++x) {
        EXPECT_EQ(at(img, x, 3), clBlack) << x;
        EXPECT_EQ(at(img, x, 9), clBlack) << x;
    }
    for (int y = 3; y < 10; ++y) {
        EXPECT_EQ(at(img, 2, y), clBlack) << y;
        EXPECT_EQ(at(img, 11, y), clBlack) << y;
    }
    for (int y = 4; y < 9; ++y)
        for (int x = 3; x < 11; ++x)
            ASSERT_EQ(at(img, x, y), clYellow) << x << "," << y;
}

TEST(Rectangle, ClearBrushLeavesInside) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setBrushStyle(BrushStyle::bsClear);
        c.rectangle(Rect{0, 0, 20, 20});
    }
    EXPECT_EQ(inked(img).size(), 4u * 19u);
    EXPECT_EQ(at(img, 10, 10), clWhite);
}

TEST(Rectangle, ClearPenFillsTheWholeArea) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setPenStyle(PenStyle::psClear);
        c.setBrushColor(clRed);
        c.rectangle(Rect{2, 2, 8, 6});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{2, 2, 8, 6}));
    EXPECT_EQ(inked(img).size(), 24u);
}

TEST(Rectangle, OnePixelHighStaysInside) {
    QImage img = blankImage(20, 5);
    {
        Canvas c(img);
        c.rectangle(Rect{2, 2, 12, 3});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{2, 2, 12, 3}));
}

TEST(FrameRect, OnePixelBorderInGivenColour) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.frameRect(Rect{1, 1, 9, 9}, clGreen);
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{1, 1, 9, 9}));
    EXPECT_EQ(at(img, 8, 8), clGreen);
    EXPECT_EQ(at(img, 4, 4), clWhite);
}

TEST(Ellipse, InscribedInBoundingRectangle) {
    QImage img = blankImage(60, 40);
    {
        Canvas c(img);
        c.setBrushColor(clRed);
        c.ellipse(Rect{5, 6, 45, 30});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{5, 6, 45, 30}));
    EXPECT_EQ(at(img, 25, 18), clRed);
    EXPECT_EQ(at(img, 5, 6), clWhite); // corners lie outside the ellipse
    EXPECT_EQ(at(img, 44, 29), clWhite);
}

// Boxes one or two pixels thin have every pixel on the outermost ring: the figure is the
// whole box in the pen colour, never a pixel outside it and never nothing.
TEST(Ellipse, ThinBoxesAreCoveredExactly) {
    const Size sizes[] = {{1, 1}, {2, 2}, {3, 1}, {4, 2}, {8, 2}, {2, 8}, {1, 5}, {7, 1}};
    for (const Size s : sizes) {
        QImage img = blankImage(20, 20);
        {
            Canvas c(img);
            c.setPenColor(clBlack);
            c.setBrushColor(clRed);
            c.ellipse(Rect{5, 6, 5 + s.width, 6 + s.height});
        }
        const auto px = inked(img);
        EXPECT_EQ(boundsOf(px), (Rect{5, 6, 5 + s.width, 6 + s.height}))
            << s.width << "x" << s.height;
        EXPECT_EQ(int(px.size()), s.width * s.height) << s.width << "x" << s.height;
        for (const auto& [x, y] : px)
            EXPECT_EQ(at(img, x, y), clBlack) << s.width << "x" << s.height;
    }
}

TEST(Ellipse, ThinBoxInNotXorDrawnTwiceLeavesNoTrace) {
    QImage img = blankImage(20, 20, rgbColor(30, 60, 90));
    const QImage before = img.copy();
    {
        Canvas c(img);
        c.setPenMode(PenMode::pmNotXor);
        c.ellipse(Rect{2, 2, 12, 4});
        EXPECT_NE(img, before);
        c.ellipse(Rect{2, 2, 12, 4});
    }
    EXPECT_EQ(img, before);
}

// Pie and arc run counter-clockwise from the start direction to the end direction.
TEST(Pie, CounterClockwiseFromStartToEnd) {
    const Rect box{0, 0, 41, 41};
    const Point east{40, 20}, north{20, 0};
    QImage quarter = blankImage(41, 41);
    {
        Canvas c(quarter);
        c.setBrushColor(clBlack);
        c.pie(box, east, north);
    }
    EXPECT_EQ(at(quarter, 30, 10), clBlack);
    EXPECT_EQ(at(quarter, 10, 10), clWhite);
    EXPECT_EQ(at(quarter, 10, 30), clWhite);
    EXPECT_EQ(at(quarter, 30, 30), clWhite);

    QImage rest = blankImage(41, 41);
    {
        Canvas c(rest);
        c.setBrushColor(clBlack);
        c.pie(box, north, east); // the long way round
    }
    EXPECT_EQ(at(rest, 33, 7), clWhite);
    EXPECT_EQ(at(rest, 10, 10), clBlack);
    EXPECT_EQ(at(rest, 10, 30), clBlack);
    EXPECT_EQ(at(rest, 30, 30), clBlack);
}

TEST(Pie, QuarterReachesTheBoxEdgesWithRadiiThroughTheCentrePixel) {
    QImage img = blankImage(13, 13);
    {
        Canvas c(img);
        c.setBrushColor(clRed);
        c.pie(Rect{0, 0, 13, 13}, Point{12, 6}, Point{6, 0});
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{6, 0, 13, 7}));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(at(img, 6, i), clBlack) << i;     // the radius to the top
        EXPECT_EQ(at(img, 6 + i, 6), clBlack) << i; // the radius to the right
    }
    EXPECT_EQ(at(img, 8, 4), clRed);
}

TEST(Pie, DirectionsFromFarPointsOnAFlatEllipse) {
    // Points far outside the ellipse only give directions: (200, -100) from the centre of
    // a 100 x 20 box points up-right at about 45 degrees.
    QImage img = blankImage(100, 20);
    {
        Canvas c(img);
        c.setBrushColor(clBlack);
        c.pie(Rect{0, 0, 100, 20}, Point{200, 10}, Point{50 + 200, 10 - 200});
    }
    EXPECT_EQ(at(img, 60, 7), clBlack);  // about 17 degrees: inside
    EXPECT_EQ(at(img, 52, 2), clWhite);  // about 75 degrees: outside
    EXPECT_EQ(at(img, 60, 13), clWhite); // below the centre line
}

TEST(Pie, EqualDirectionsDrawTheWholeEllipse) {
    QImage img = blankImage(21, 21);
    {
        Canvas c(img);
        c.setBrushColor(clBlack);
        c.pie(Rect{0, 0, 21, 21}, Point{20, 10}, Point{30, 10});
    }
    EXPECT_EQ(at(img, 5, 10), clBlack);
    EXPECT_EQ(at(img, 15, 10), clBlack);
}

TEST(Arc, UpperHalfOnlyWithoutFilling) {
    QImage img = blankImage(41, 41);
    {
        Canvas c(img);
        c.setBrushColor(clRed);
        c.arc(Rect{0, 0, 41, 41}, Point{40, 20}, Point{0, 20});
    }
    const auto px = inked(img);
    ASSERT_FALSE(px.empty());
    for (const auto& [x, y] : px) {
        EXPECT_LE(y, 21) << x << "," << y;
        EXPECT_EQ(at(img, x, y), clBlack);
    }
    EXPECT_EQ(at(img, 20, 0), clBlack);  // top of the circle
    EXPECT_EQ(at(img, 40, 20), clBlack); // an arc keeps both end pixels
    EXPECT_EQ(at(img, 0, 20), clBlack);
    EXPECT_EQ(at(img, 20, 40), clWhite);
    EXPECT_EQ(at(img, 20, 10), clWhite);
    const Rect b = boundsOf(px);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.right, 41);
    EXPECT_EQ(b.top, 0);
}

TEST(Polygon, FilledWithBrushOutlinedWithPen) {
    QImage img = blankImage(30, 30);
    {
        Canvas c(img);
        c.setPenColor(clBlack);
        c.setBrushColor(clLime);
        c.polygon({{2, 2}, {25, 2}, {25, 25}, {2, 25}});
    }
    EXPECT_EQ(at(img, 2, 2), clBlack);
    EXPECT_EQ(at(img, 25, 25), clBlack); // closed outline: every vertex is drawn
    EXPECT_EQ(at(img, 2, 25), clBlack);
    EXPECT_EQ(at(img, 13, 13), clLime);
    EXPECT_EQ(at(img, 26, 13), clWhite);
    EXPECT_EQ(boundsOf(inked(img)), (Rect{2, 2, 26, 26}));
}

TEST(Pixel, SetAndReadBackWithinTheImageOnly) {
    QImage img = blankImage(4, 4);
    Canvas c(img);
    c.setPixel(1, 2, clNavy);
    c.setPixel(-1, 0, clNavy);
    c.setPixel(4, 4, clNavy);
    EXPECT_EQ(c.pixel(1, 2), clNavy);
    EXPECT_EQ(c.pixel(0, 0), clWhite);
    EXPECT_EQ(c.pixel(9, 9), clNone);
}

TEST(Pixel, SetPixelHonoursTheClip) {
    QImage img = blankImage(4, 4);
    {
        Canvas c(img);
        c.intersectClip(Rect{0, 0, 2, 2});
        c.setPixel(3, 3, clBlack);
        c.setPixel(1, 1, clBlack);
    }
    EXPECT_EQ(at(img, 3, 3), clWhite);
    EXPECT_EQ(at(img, 1, 1), clBlack);
}

TEST(SystemMetric, ScrollBarArrowHeightIsPositive) {
    EXPECT_GE(scrollBarArrowHeight(), 1);
}

} // namespace
} // namespace kv
