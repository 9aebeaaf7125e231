#include "canvas/canvas.h"
#include "pixel_helpers.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::boundsOf;
using test::inked;

TEST(Clip, IntersectLimitsDrawingAndRestoreUndoesIt) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.setBrushColor(clBlack);
        EXPECT_EQ(c.clipBox(), (Rect{0, 0, 20, 20}));
        c.saveClip();
        c.intersectClip(Rect{5, 5, 15, 15});
        c.saveClip();
        c.intersectClip(Rect{0, 0, 10, 10});
        EXPECT_EQ(c.clipBox(), (Rect{5, 5, 10, 10}));
        c.fillRect(Rect{0, 0, 20, 20});
        EXPECT_EQ(boundsOf(inked(img)), (Rect{5, 5, 10, 10}));
        c.restoreClip();
        EXPECT_EQ(c.clipBox(), (Rect{5, 5, 15, 15}));
        c.fillRect(Rect{0, 0, 20, 20}, clRed);
        EXPECT_EQ(boundsOf(inked(img)), (Rect{5, 5, 15, 15}));
        c.restoreClip();
        c.fillRect(Rect{0, 0, 20, 1}, clBlue);
        c.restoreClip(); // one more than saved: harmless
    }
    EXPECT_EQ(at(img, 0, 0), clBlue);
    EXPECT_EQ(at(img, 19, 0), clBlue);
}

TEST(Clip, EmptyIntersectionBlocksEverything) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.intersectClip(Rect{0, 0, 5, 5});
        c.intersectClip(Rect{6, 6, 9, 9});
        c.fillRect(Rect{0, 0, 10, 10}, clBlack);
        c.line(0, 0, 9, 9);
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Clip, SetAndClear) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.setClipRect(Rect{2, 2, 4, 4});
        c.fillRect(Rect{0, 0, 10, 10}, clBlack);
        c.clearClip();
        c.setPixel(9, 9, clBlack);
    }
    EXPECT_EQ(inked(img).size(), 5u);
}

// The ring is given in the parent's coordinates; this canvas starts at (100, 100) there.
TEST(ClipRegion, EllipseRingWithOriginOffset) {
    QImage img = blankImage(60, 60);
    {
        Canvas c(img);
        c.selectEllipseRingRegion(Rect{110, 110, 150, 150}, Rect{120, 120, 140, 140},
                                  Point{100, 100});
        c.fillRect(Rect{0, 0, 60, 60}, clBlack);
    }
    EXPECT_EQ(at(img, 30, 30), clWhite); // centre: inside the hole
    EXPECT_EQ(at(img, 12, 30), clBlack); // on the ring, left
    EXPECT_EQ(at(img, 47, 30), clBlack); // on the ring, right
    EXPECT_EQ(at(img, 30, 11), clBlack); // on the ring, top
    EXPECT_EQ(at(img, 11, 11), clWhite); // box corner: outside the outer ellipse
    EXPECT_EQ(at(img, 5, 30), clWhite);  // left of the region
    EXPECT_EQ(boundsOf(inked(img)), (Rect{10, 10, 50, 50}));
}

// A paint that clears the clip and selects a region again, as a dial repainted with its
// sector band does, must be held to the new region by every kind of drawing.
TEST(ClipRegion, RegionSelectedAfterClearingClipsEverything) {
    const QRegion ring = QRegion(QRect(10, 10, 80, 60), QRegion::Ellipse) -
                         QRegion(QRect(30, 25, 40, 30), QRegion::Ellipse);
    QImage img = blankImage(100, 80);
    {
        Canvas c(img);
        c.selectEllipseRingRegion(Rect{0, 0, 60, 60}, Rect{20, 20, 40, 40}, Point{});
        c.clearClip();
        c.selectEllipseRingRegion(Rect{15, 12, 95, 72}, Rect{35, 27, 75, 57}, Point{5, 2});
        c.setBrushColor(clRed);
        c.polygon({{0, 0}, {99, 0}, {99, 79}, {0, 79}});
        c.fillRect(Rect{0, 0, 100, 80}, clBlue);
        c.setPenWidth(3);
        c.line(0, 40, 100, 40);
        c.setPenWidth(1);
        c.line(50, 0, 50, 80);
        c.textOut(0, 30, "0000000000");
    }
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(at(img, x, y) != clWhite, ring.contains(QPoint(x, y))) << x << "," << y;
}

TEST(ClipRegion, RestoreAfterRegion) {
    QImage img = blankImage(20, 20);
    {
        Canvas c(img);
        c.saveClip();
        c.selectEllipseRingRegion(Rect{0, 0, 10, 10}, Rect{}, Point{});
        c.restoreClip();
        c.fillRect(Rect{0, 0, 20, 20}, clBlack);
    }
    EXPECT_EQ(inked(img).size(), 400u);
}

TEST(Bitmap, CopiedWholeAtAPoint) {
    Bitmap bmp(4, 3);
    {
        Canvas bc(bmp);
        bc.fillRect(Rect{0, 0, 4, 3}, clRed);
        bc.setPixel(3, 2, clBlue);
    }
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.draw(5, 6, bmp);
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{5, 6, 9, 9}));
    EXPECT_EQ(at(img, 5, 6), clRed);
    EXPECT_EQ(at(img, 8, 8), clBlue);
}

TEST(Bitmap, StretchedOntoARectangle) {
    Bitmap bmp(2, 2);
    {
        Canvas bc(bmp);
        bc.fillRect(Rect{0, 0, 2, 2}, clBlack);
        bc.setPixel(1, 1, clRed);
    }
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.stretchDraw(Rect{2, 2, 6, 6}, bmp.image());
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{2, 2, 6, 6}));
    EXPECT_EQ(at(img, 3, 3), clBlack);
    EXPECT_EQ(at(img, 4, 4), clRed);
    EXPECT_EQ(at(img, 5, 5), clRed);
    EXPECT_EQ(at(img, 4, 3), clBlack);
}

TEST(Bitmap, KeyColourLeftTransparent) {
    Bitmap bmp(3, 1);
    {
        Canvas bc(bmp);
        bc.setPixel(0, 0, clFuchsia);
        bc.setPixel(1, 0, clBlack);
        bc.setPixel(2, 0, clFuchsia);
    }
    QImage img = blankImage(5, 3, clGreen);
    {
        Canvas c(img);
        c.drawTransparent(1, 1, bmp.image(), clFuchsia);
    }
    EXPECT_EQ(at(img, 1, 1), clGreen);
    EXPECT_EQ(at(img, 2, 1), clBlack);
    EXPECT_EQ(at(img, 3, 1), clGreen);
    EXPECT_EQ(inked(img, clGreen).size(), 1u);
}

// No key colour means no hole: black pixels, which a colourless key would resolve to,
// are copied like every other.
TEST(Bitmap, NoKeyColourCopiesEveryPixel) {
    QImage src = blankImage(3, 1, clBlack);
    QImage img = blankImage(5, 3, clGreen);
    {
        Canvas c(img);
        c.drawTransparent(1, 1, src, clNone);
    }
    EXPECT_EQ(at(img, 1, 1), clBlack);
    EXPECT_EQ(at(img, 3, 1), clBlack);
    EXPECT_EQ(inked(img, clGreen).size(), 3u);
}

// Keyed copies reaching over the image's edges and the clip keep only what lies inside
// both; under an elliptic clip the same holds pixel for pixel.
TEST(Bitmap, KeyedCopyClippedAndOverTheEdges) {
    Bitmap bmp(6, 4);
    {
        Canvas bc(bmp);
        bc.fillRect(Rect{0, 0, 6, 4}, clBlack);
        bc.fillRect(Rect{2, 1, 4, 3}, clFuchsia); // a keyed hole in the middle
    }
    struct Place {
        int x, y;
        Rect clip;
    };
    const Place places[] = {
        {-2, -1, Rect{0, 0, 10, 8}}, {6, 5, Rect{0, 0, 10, 8}}, {2, 2, Rect{3, 0, 6, 4}}};
    for (const Place& p : places) {
        QImage img = blankImage(10, 8, clGreen);
        {
            Canvas c(img);
            c.intersectClip(p.clip);
            c.drawTransparent(p.x, p.y, bmp.image(), clFuchsia);
        }
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const int bx = x - p.x, by = y - p.y;
                const bool onBitmap = bx >= 0 && bx < 6 && by >= 0 && by < 4;
                const bool hole = bx >= 2 && bx < 4 && by >= 1 && by < 3;
                const bool clipped =
                    x < p.clip.left || x >= p.clip.right || y < p.clip.top || y >= p.clip.bottom;
                const ColorValue want = onBitmap && !hole && !clipped ? clBlack : clGreen;
                ASSERT_EQ(at(img, x, y), want) << p.x << "," << p.y << " pixel " << x << "," << y;
            }
    }
    QImage ring = blankImage(10, 8, clGreen);
    {
        Canvas c(ring);
        c.selectEllipseRingRegion(Rect{0, 0, 10, 8}, Rect{}, Point{});
        c.drawTransparent(2, 2, bmp.image(), clFuchsia);
    }
    const QRegion region(QRect(0, 0, 10, 8), QRegion::Ellipse);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inked = x >= 2 && x < 8 && y >= 2 && y < 6 &&
                               !(x >= 4 && x < 6 && y >= 3 && y < 5) &&
                               region.contains(QPoint(x, y));
            ASSERT_EQ(at(ring, x, y), inked ? clBlack : clGreen) << x << "," << y;
        }
}

TEST(Bitmap, CopyRectTakesThePartGiven) {
    QImage src = blankImage(10, 10);
    {
        Canvas sc(src);
        sc.fillRect(Rect{4, 4, 6, 6}, clBlack);
    }
    QImage img = blankImage(10, 10, clYellow);
    {
        Canvas c(img);
        c.copyRect(Rect{0, 0, 3, 3}, src, Rect{3, 3, 6, 6});
    }
    EXPECT_EQ(at(img, 0, 0), clWhite);
    EXPECT_EQ(at(img, 1, 1), clBlack);
    EXPECT_EQ(at(img, 2, 2), clBlack);
    EXPECT_EQ(at(img, 3, 3), clYellow);
}

TEST(Bitmap, DrawingHonoursTheClip) {
    Bitmap bmp(10, 10);
    bmp.image().fill(Qt::black);
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        c.intersectClip(Rect{0, 0, 5, 10});
        c.draw(0, 0, bmp);
    }
    EXPECT_EQ(boundsOf(inked(img)), (Rect{0, 0, 5, 10}));
}

TEST(Bitmap, SizeIsKeptAndNegativeSizesAreEmpty) {
    Bitmap bmp(7, 5);
    EXPECT_EQ(bmp.width(), 7);
    EXPECT_EQ(bmp.height(), 5);
    bmp.setSize(-3, 2);
    EXPECT_EQ(bmp.width(), 0);
}

} // namespace
} // namespace kv

namespace kv {
namespace {

// A control's face is empty until the control has a size; drawing on it does nothing.
TEST(EmptyTarget, EveryOperationIsHarmless) {
    QImage none;
    Canvas c(none);
    EXPECT_EQ(c.width(), 0);
    c.fillRect(Rect{0, 0, 10, 10}, clBlack);
    c.rectangle(Rect{0, 0, 10, 10});
    c.line(0, 0, 5, 5);
    c.pie(Rect{0, 0, 10, 10}, Point{9, 5}, Point{5, 0});
    c.textOut(0, 0, "x");
    c.setPixel(0, 0, clBlack);
    c.draw(0, 0, test::blankImage(3, 3));
    EXPECT_EQ(c.pixel(0, 0), clNone);
    EXPECT_EQ(c.clipBox().width(), 0);
    EXPECT_TRUE(none.isNull());
}

} // namespace
} // namespace kv
