#include "canvas/canvas.h"
#include "pixel_helpers.h"

#include <gtest/gtest.h>

#include <climits>

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::boundsOf;
using test::inked;

constexpr Rect kWholeRange{INT_MIN, INT_MIN, INT_MAX, INT_MAX};

// A rectangle over the whole int range reports a saturated size, and a figure in it covers
// the canvas while its outline lies far outside.
TEST(IntLimits, FiguresOverTheWholeRangeCoverTheCanvas) {
    EXPECT_EQ(kWholeRange.width(), INT_MAX);
    EXPECT_EQ(shrinkRect(kWholeRange, -1), kWholeRange);
    QImage img = blankImage(40, 30);
    Canvas c(img);
    c.setPenColor(clRed);
    c.setBrushColor(clBlue);
    c.rectangle(kWholeRange);
    EXPECT_EQ(inked(img, clBlue).size(), 0u);
    c.setBrushColor(clLime);
    c.ellipse(kWholeRange);
    EXPECT_EQ(inked(img, clLime).size(), 0u);
    // Counter-clockwise from north to east: three quarters, the canvas among them (the
    // centre pixel is (-1, -1)).
    c.setBrushColor(clYellow);
    c.pie(kWholeRange, Point{0, INT_MIN}, Point{INT_MAX, 0});
    EXPECT_EQ(inked(img, clYellow).size(), 0u);
    // From east to north: the quarter above the canvas.
    c.setBrushColor(clNavy);
    c.pie(kWholeRange, Point{INT_MAX, 0}, Point{0, INT_MIN});
    EXPECT_EQ(inked(img, clYellow).size(), 0u);
}

// A circle a million pixels across whose western edge crosses the canvas at column 20:
// there the arc is a straight column, and nothing else of it shows.
TEST(IntLimits, AnArcOfAHugeCircleShowsExactlyWhereItCrossesTheCanvas) {
    constexpr int kRadius = 1000000;
    QImage img = blankImage(40, 30);
    Canvas c(img);
    c.setPenColor(clBlack);
    const Rect box{20, 15 - kRadius, 20 + 2 * kRadius + 1, 15 + kRadius + 1};
    const int cx = 20 + kRadius;
    c.arc(box, Point{cx, 0}, Point{cx, 30}); // north, counter-clockwise over west to south
    EXPECT_EQ(boundsOf(inked(img)), (Rect{20, 0, 21, 30}));
    EXPECT_EQ(inked(img).size(), 30u);
}

// Selected as a clip, the ring between two such circles lets through the band that
// crosses the canvas and nothing else.
TEST(IntLimits, AHugeEllipseRingClipsLikeItsBandOnTheCanvas) {
    constexpr int kRadius = 60000;
    QImage img = blankImage(40, 30);
    Canvas c(img);
    const Rect outer{10 - kRadius, -kRadius, 10 + kRadius, kRadius};
    c.selectEllipseRingRegion(outer, shrinkRect(outer, kRadius - 20), Point{0, 0});
    c.fillRect(Rect{0, 0, 40, 30}, clBlue);
    // Right of the centre (10, 0) the band runs from about 20 to 60000 pixels out.
    EXPECT_EQ(at(img, 35, 1), clBlue);
    EXPECT_EQ(at(img, 12, 1), clWhite);
    EXPECT_EQ(at(img, 35, 29), clBlue);
}

// However tall a font is asked for, it is measured, and drawn, at the tallest size.
TEST(IntLimits, FontsBeyondTheTallestAreMeasuredAtIt) {
    QImage img = blankImage(8, 8);
    Canvas c(img);
    FontSpec f;
    f.height = -kMaxFontPixels;
    c.setFont(f);
    const Size tallest = c.textExtent("0,5");
    EXPECT_GT(tallest.height, kMaxFontPixels);
    for (int height : {-30000, 30000, INT_MIN, INT_MAX}) {
        f.height = height;
        c.setFont(f);
        const Size e = c.textExtent("0,5");
        EXPECT_EQ(e.width, tallest.width) << height;
        EXPECT_EQ(e.height, tallest.height) << height;
    }
    f.height = 0;
    f.size = INT_MAX;
    c.setFont(f);
    EXPECT_EQ(c.textExtent("0,5").height, tallest.height);
}

} // namespace
} // namespace kv
