#include "canvas/canvas.h"
#include "pixel_helpers.h"

#include <functional>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::inked;
using test::PixelSet;

struct Direction {
    const char* name;
    int dx, dy;
};

class LineDirection : public ::testing::TestWithParam<Direction> {};

// Whatever the direction, a line owns its start pixel and never its end pixel, and draws
// exactly one pixel per step along its major axis.
TEST_P(LineDirection, DrawsStartButNotEndPixel) {
    const Direction d = GetParam();
    QImage img = blankImage(40, 40);
    const Point from{20, 20};
    const Point to{from.x + d.dx, from.y + d.dy};
    {
        Canvas c(img);
        c.setPenColor(clBlack);
        c.line(from.x, from.y, to.x, to.y);
        EXPECT_EQ(c.penPos(), to);
    }
    EXPECT_EQ(at(img, from.x, from.y), clBlack);
    EXPECT_EQ(at(img, to.x, to.y), clWhite);
    const PixelSet px = inked(img);
    EXPECT_EQ(int(px.size()), std::max(std::abs(d.dx), std::abs(d.dy)));
    for (const auto& [x, y] : px) {
        EXPECT_GE(x, std::min(from.x, to.x));
        EXPECT_LE(x, std::max(from.x, to.x));
        EXPECT_GE(y, std::min(from.y, to.y));
        EXPECT_LE(y, std::max(from.y, to.y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    EightWays, LineDirection,
    ::testing::Values(Direction{"East", 9, 0}, Direction{"West", -9, 0}, Direction{"South", 0, 9},
                      Direction{"North", 0, -9}, Direction{"SouthEast", 7, 7},
                      Direction{"NorthWest", -7, -7}, Direction{"NorthEast", 7, -7},
                      Direction{"SouthWest", -7, 7}, Direction{"ShallowEast", 11, 3},
                      Direction{"SteepNorth", -2, -13}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Line, ZeroLengthDrawsNothingAndMovesPen) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.moveTo(3, 3);
        c.lineTo(3, 3);
        EXPECT_EQ(c.penPos(), (Point{3, 3}));
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Line, HorizontalLineCoversStartToEndMinusOne) {
    QImage img = blankImage(20, 5);
    {
        Canvas c(img);
        c.line(0, 2, 20, 2); // a full-width line as the gradients draw them
    }
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(at(img, x, 2), clBlack) << x;
    EXPECT_EQ(inked(img).size(), 20u);
}

TEST(Line, ClearPenDrawsNothing) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.setPenStyle(PenStyle::psClear);
        c.line(0, 0, 9, 9);
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Polyline, InnerVerticesOnceAndLastEndLeftOut) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setPenMode(PenMode::pmNotXor); // a vertex drawn twice would vanish
        c.polyline({{2, 2}, {10, 2}, {10, 10}, {2, 10}});
    }
    EXPECT_EQ(at(img, 2, 2), clBlack);
    EXPECT_EQ(at(img, 10, 2), clBlack);
    EXPECT_EQ(at(img, 10, 10), clBlack);
    EXPECT_EQ(at(img, 2, 10), clWhite);
    EXPECT_EQ(inked(img).size(), 24u);
}

TEST(Polyline, ColourComesFromPen) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.setPenColor(clRed);
        c.polyline({{0, 5}, {5, 5}});
    }
    EXPECT_EQ(at(img, 0, 5), clRed);
}

TEST(DottedPen, ThreeOnThreeOffRunningOnAlongPolyline) {
    QImage img = blankImage(30, 10);
    {
        Canvas c(img);
        c.setPenStyle(PenStyle::psDot);
        c.polyline({{0, 1}, {4, 1}, {4, 5}});
    }
    // Pixels along the path: (0..3,1) then (4,1..4); on at path index 0,1,2 and 6,7.
    EXPECT_EQ(at(img, 0, 1), clBlack);
    EXPECT_EQ(at(img, 2, 1), clBlack);
    EXPECT_EQ(at(img, 3, 1), clWhite);
    EXPECT_EQ(at(img, 4, 1), clWhite);
    EXPECT_EQ(at(img, 4, 2), clWhite);
    EXPECT_EQ(at(img, 4, 3), clBlack);
    EXPECT_EQ(at(img, 4, 4), clBlack);
    EXPECT_EQ(at(img, 4, 5), clWhite);
}

TEST(DottedPen, GapsStayTransparentWhateverTheBrush) {
    QImage img = blankImage(12, 3);
    {
        Canvas c(img);
        c.setBrushColor(clRed);
        c.setBrushStyle(BrushStyle::bsSolid);
        c.setPenStyle(PenStyle::psDot);
        c.line(0, 1, 12, 1);
    }
    EXPECT_EQ(at(img, 4, 1), clWhite);
    EXPECT_EQ(inked(img).size(), 6u);
}

TEST(WidePen, IsSolidRoundAndCoversTheEnd) {
    QImage img = blankImage(40, 20);
    {
        Canvas c(img);
        c.setPenWidth(3);
        c.setPenStyle(PenStyle::psDot); // dotted is never wide
        c.line(10, 10, 30, 10);
    }
    for (int x = 10; x <= 30; ++x) {
        EXPECT_EQ(at(img, x, 9), clBlack) << x;
        EXPECT_EQ(at(img, x, 10), clBlack) << x;
        EXPECT_EQ(at(img, x, 11), clBlack) << x;
    }
    EXPECT_EQ(at(img, 20, 8), clWhite);
    EXPECT_EQ(at(img, 20, 12), clWhite);
    // Round ends reach past the end point on the line's axis, not over the corners.
    EXPECT_EQ(at(img, 31, 10), clBlack);
    EXPECT_EQ(at(img, 32, 12), clWhite);
}

TEST(NotXorPen, DrawingTwiceRestoresEveryPixel) {
    QImage img = blankImage(40, 40, rgbColor(30, 140, 200));
    const QImage before = img.copy();
    {
        Canvas c(img);
        c.setPenColor(clBlack);
        c.setPenMode(PenMode::pmNotXor);
        c.setBrushStyle(BrushStyle::bsClear);
        for (int pass = 0; pass < 2; ++pass) {
            c.rectangle(Rect{3, 4, 30, 25});
            c.line(0, 39, 39, 0);
            c.polyline({{5, 5}, {20, 30}, {35, 5}});
            c.arc(Rect{2, 2, 38, 30}, Point{38, 16}, Point{20, 30});
            if (pass == 0) {
                EXPECT_NE(img, before);
            }
        }
    }
    EXPECT_EQ(img, before);
}

TEST(NotXorPen, BlackPenInvertsTheBackground) {
    QImage img = blankImage(10, 10, rgbColor(10, 20, 30));
    {
        Canvas c(img);
        c.setPenColor(clBlack);
        c.setPenMode(PenMode::pmNotXor);
        c.line(0, 0, 5, 0);
    }
    EXPECT_EQ(at(img, 0, 0), rgbColor(245, 235, 225));
}

} // namespace
} // namespace kv

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::inked;
using test::PixelSet;

// A fan of solid and dotted one-pixel lines reaching past every edge of a 60 x 50 image.
void drawFan(Canvas& c) {
    c.setPenColor(clBlack);
    for (int i = 0; i < 12; ++i) {
        c.setPenStyle(i % 3 == 0 ? PenStyle::psDot : PenStyle::psSolid);
        c.line(30, 25, -10 + i * 8, i % 2 ? -7 : 58);
        c.line(-5, i * 5, 66, 49 - i * 4);
    }
    c.setPenStyle(PenStyle::psSolid);
    c.rectangle(Rect{-3, 4, 40, 70});
}

PixelSet fanPixels(QImage::Format format) {
    QImage img(60, 50, format);
    img.fill(Qt::white);
    {
        Canvas c(img);
        drawFan(c);
    }
    return inked(img.convertToFormat(QImage::Format_RGB32));
}

// Lines clipped to a rectangle and to an elliptic ring keep exactly the pixels of the
// unclipped lines that lie inside the clip.
TEST(LineClip, KeepsExactlyThePixelsInsideRectangleOrRegion) {
    const PixelSet all = fanPixels(QImage::Format_RGB32);
    const QRegion ring = QRegion(QRect(5, 3, 50, 44), QRegion::Ellipse) -
                         QRegion(QRect(20, 15, 20, 20), QRegion::Ellipse);
    struct Clip {
        const char* name;
        std::function<void(Canvas&)> select;
        std::function<bool(int, int)> inside;
    };
    const Clip clips[] = {
        {"rectangle",
         [](Canvas& c) {
             c.intersectClip(Rect{7, 9, 41, 33});
         },
         [](int x, int y) { return x >= 7 && x < 41 && y >= 9 && y < 33; }},
        {"ring",
         [](Canvas& c) {
             c.selectEllipseRingRegion(Rect{105, 203, 155, 247}, Rect{120, 215, 140, 235},
                                       Point{100, 200});
         },
         [&ring](int x, int y) { return ring.contains(QPoint(x, y)); }},
        {"restored",
         [](Canvas& c) {
             c.saveClip();
             c.selectEllipseRingRegion(Rect{0, 0, 9, 9}, Rect{}, Point{});
             c.restoreClip();
         },
         [](int, int) { return true; }},
    };
    for (const Clip& clip : clips) {
        QImage img = blankImage(60, 50);
        {
            Canvas c(img);
            clip.select(c);
            drawFan(c);
        }
        PixelSet expected;
        for (const auto& p : all)
            if (clip.inside(p.first, p.second))
                expected.insert(p);
        EXPECT_EQ(inked(img), expected) << clip.name;
    }
}

TEST(LineTarget, PremultipliedImageGetsTheSamePixels) {
    EXPECT_EQ(fanPixels(QImage::Format_ARGB32_Premultiplied), fanPixels(QImage::Format_RGB32));
    QImage img(40, 40, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(30, 140, 200));
    const QImage before = img.copy();
    {
        Canvas c(img);
        c.setPenMode(PenMode::pmNotXor);
        for (int pass = 0; pass < 2; ++pass)
            c.polyline({{0, 0}, {39, 20}, {3, 39}});
    }
    EXPECT_EQ(img, before);
}

// Grid lines, ticks and frames: rows and columns, solid and dotted, either way round,
// reaching past the image and the clip, joined to slanted segments in polylines so that
// the dot pattern runs on from one kind of segment to the other.
void drawStraightLines(Canvas& c) {
    c.setPenColor(clNavy);
    for (int i = 0; i < 16; ++i) {
        c.setPenStyle(i % 3 == 1 ? PenStyle::psDot : PenStyle::psSolid);
        const int at = -4 + i * 4;
        if (i % 2)
            c.line(-9 + i, at, 70 - i, at);
        else
            c.line(at, 57 - i, at, -6 + i);
    }
    c.setPenStyle(PenStyle::psDot);
    c.polyline({{-3, 10}, {41, 10}, {41, 30}, {20, 37}, {20, 2}, {63, 2}, {50, 48}, {50, 20}});
    c.setPenStyle(PenStyle::psSolid);
    c.rectangle(Rect{2, 3, 58, 47});
    c.polygon({{10, 40}, {10, 44}, {30, 44}, {30, 40}});
}

QImage straightLines(QImage::Format format, bool clipped) {
    QImage img(60, 50, format);
    img.fill(Qt::white);
    {
        Canvas c(img);
        if (clipped)
            c.intersectClip(Rect{7, 5, 43, 31});
        // Bands and columns, some reaching past the image and the clip, under the lines.
        c.fillRect(Rect{-5, 20, 12, 60}, clMaroon);
        c.fillRect(Rect{30, -3, 35, 8}, clLime);
        c.fillRect(Rect{20, 25, 58, 26}, clFuchsia);
        drawStraightLines(c);
    }
    return img.convertToFormat(QImage::Format_RGB32);
}

// Rows, columns and filled rectangles written straight into an RGB32 face are the pixels
// a painter puts on an image it draws itself (ARGB32, which the canvas does not write into).
TEST(StraightLines, LinesAndFillsWrittenDirectlyAreThePixelsThePainterDraws) {
    for (const bool clipped : {false, true}) {
        const QImage painted = straightLines(QImage::Format_ARGB32, clipped);
        EXPECT_EQ(straightLines(QImage::Format_RGB32, clipped), painted) << clipped;
        EXPECT_EQ(straightLines(QImage::Format_ARGB32_Premultiplied, clipped), painted);
    }
    QImage img(60, 50, QImage::Format_RGB32);
    img.fill(QColor(30, 140, 200));
    const QImage before = img.copy();
    {
        Canvas c(img);
        c.intersectClip(Rect{7, 5, 43, 31});
        c.setPenMode(PenMode::pmNotXor);
        drawStraightLines(c);
        EXPECT_NE(img, before);
        drawStraightLines(c);
    }
    EXPECT_EQ(img, before);
}

// A face shared with a copy (as a cached picture may be) is detached once when the canvas
// opens it: every kind of drawing lands in the canvas's image, none in the copy.
TEST(LineTarget, SharedImageIsDetachedAndTheCopyKept) {
    QImage face = blankImage(20, 20);
    const QImage copy = face;
    {
        Canvas c(face);
        c.line(0, 0, 10, 0);
        c.fillRect(Rect{0, 5, 10, 6}, clBlack);
    }
    EXPECT_EQ(at(face, 3, 0), clBlack);
    EXPECT_EQ(at(face, 3, 5), clBlack);
    EXPECT_TRUE(inked(copy).empty());
}

} // namespace
} // namespace kv
