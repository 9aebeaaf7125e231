#include "gauges/bevel.h"

#include <QImage>
#include <climits>
#include <gtest/gtest.h>

namespace kv {
namespace {

QImage blank(int w, int h, ColorValue c = clFuchsia) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toQColor(c));
    return img;
}

ColorValue px(const QImage& img, int x, int y) {
    return fromQColor(QColor::fromRgb(img.pixel(x, y)));
}

// Expects column x (rows y0..y1) or row y (columns x0..x1) to be in colour c.
void expectColumn(const QImage& img, int x, int y0, int y1, ColorValue c) {
    for (int y = y0; y <= y1; ++y)
        ASSERT_EQ(px(img, x, y), resolveColor(c)) << "column " << x << " row " << y;
}
void expectRow(const QImage& img, int y, int x0, int x1, ColorValue c) {
    for (int x = x0; x <= x1; ++x)
        ASSERT_EQ(px(img, x, y), resolveColor(c)) << "row " << y << " column " << x;
}

struct Painted {
    QImage image;
    Rect content;
};

Painted paintBevel(const Bevel& b, int w, int h) {
    Painted p{blank(w, h), {}};
    Canvas c(p.image);
    p.content = b.paint(c, Rect{0, 0, w, h});
    return p;
}

TEST(BevelPaint, RaisedDefaultTwoRingsOnHundredByFifty) {
    Bevel b;
    EXPECT_EQ(b.bevelSize(), 7);
    const Painted p = paintBevel(b, 100, 50);
    EXPECT_EQ(p.content, (Rect{7, 7, 93, 43}));
    for (int ring = 0; ring < 2; ++ring) {
        // Top/left in the highlight; the bottom/right pass owns three corners.
        expectColumn(p.image, ring, ring, 48 - ring, clBtnHighlight);
        expectRow(p.image, ring, ring, 98 - ring, clBtnHighlight);
        expectColumn(p.image, 99 - ring, ring, 49 - ring, clBtnShadow);
        expectRow(p.image, 49 - ring, ring, 99 - ring, clBtnShadow);
    }
    for (int y = 2; y < 48; ++y)
        for (int x = 2; x < 98; ++x)
            ASSERT_EQ(px(p.image, x, y), resolveColor(clBtnFace)) << x << "," << y;
}

TEST(BevelPaint, BothOutlinesAroundAndInsideTheRings) {
    Bevel b;
    b.setBevelLine(BevelLineKind::blBoth);
    EXPECT_EQ(b.bevelSize(), 9);
    const Painted p = paintBevel(b, 100, 50);
    EXPECT_EQ(p.content, (Rect{9, 9, 91, 41}));
    // Outer outline on the border.
    expectRow(p.image, 0, 0, 99, clBlack);
    expectRow(p.image, 49, 0, 99, clBlack);
    expectColumn(p.image, 0, 0, 49, clBlack);
    expectColumn(p.image, 99, 0, 49, clBlack);
    // Rings at 1 and 2.
    expectRow(p.image, 1, 1, 97, clBtnHighlight);
    expectColumn(p.image, 98, 1, 48, clBtnShadow);
    expectRow(p.image, 2, 2, 96, clBtnHighlight);
    expectRow(p.image, 47, 2, 97, clBtnShadow);
    // Inner outline just inside the rings, then the face.
    expectRow(p.image, 3, 3, 96, clBlack);
    expectRow(p.image, 46, 3, 96, clBlack);
    expectColumn(p.image, 3, 3, 46, clBlack);
    expectColumn(p.image, 96, 3, 46, clBlack);
    expectRow(p.image, 4, 4, 95, clBtnFace);
}

TEST(BevelPaint, OuterOrInnerLineAlone) {
    Bevel outer;
    outer.setBevelLine(BevelLineKind::blOuter);
    const Painted po = paintBevel(outer, 60, 40);
    EXPECT_EQ(po.content, (Rect{8, 8, 52, 32}));
    expectRow(po.image, 0, 0, 59, clBlack);
    expectRow(po.image, 1, 1, 57, clBtnHighlight);
    expectRow(po.image, 3, 3, 56, clBtnFace);

    Bevel inner;
    inner.setBevelLine(BevelLineKind::blInner);
    const Painted pi = paintBevel(inner, 60, 40);
    EXPECT_EQ(pi.content, (Rect{8, 8, 52, 32}));
    expectRow(pi.image, 0, 0, 58, clBtnHighlight);
    expectRow(pi.image, 2, 2, 57, clBlack);
    expectColumn(pi.image, 57, 2, 37, clBlack);
}

TEST(BevelPaint, LoweredSwapsTheColours) {
    Bevel b;
    b.setStyle(BevelStyle::bsLowered);
    const Painted p = paintBevel(b, 40, 30);
    expectRow(p.image, 0, 0, 38, clBtnShadow);
    expectColumn(p.image, 39, 0, 29, clBtnHighlight);
    expectRow(p.image, 28, 1, 38, clBtnHighlight);
}

TEST(BevelPaint, WidthZeroDrawsNoRings) {
    Bevel b;
    b.setWidth(0);
    EXPECT_EQ(b.bevelSize(), 5);
    const Painted p = paintBevel(b, 30, 20);
    EXPECT_EQ(p.content, (Rect{5, 5, 25, 15}));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(px(p.image, x, y), resolveColor(clBtnFace)) << x << "," << y;
}

TEST(BevelPaint, NothingOutsideItsRectangle) {
    Bevel b;
    b.setBevelLine(BevelLineKind::blBoth);
    b.surfaceGrad().setVisible(true);
    QImage img = blank(80, 60);
    Rect content;
    {
        Canvas c(img);
        content = b.paint(c, Rect{10, 12, 70, 50});
    }
    EXPECT_EQ(content, (Rect{19, 21, 61, 41}));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            const bool inside = x >= 10 && x < 70 && y >= 12 && y < 50;
            ASSERT_EQ(px(img, x, y) == clFuchsia, !inside) << x << "," << y;
        }
}

TEST(BevelPaint, OffsetMovesTheContentEdges) {
    Bevel b;
    b.offset().setLeft(1);
    b.offset().setTop(2);
    b.offset().setRight(3);
    b.offset().setBottom(4);
    EXPECT_EQ(b.bevelSize(), 7); // the offset is not part of the size
    EXPECT_EQ(paintBevel(b, 100, 50).content, (Rect{8, 9, 90, 39}));
}

// Lowered, shadow ramp from black to white over four rings: the top/left rings run
// from white towards black, rounding 63.75 and 127.5 and 191.25 to even.
TEST(BevelPaint, FourRingRampFromOutsideIn) {
    Bevel b;
    b.setStyle(BevelStyle::bsLowered);
    b.setWidth(4);
    b.setColorShadowFrom(clBlack);
    b.setColorShadowTo(clWhite);
    const Painted p = paintBevel(b, 60, 40);
    const int expected[] = {191, 127, 64, 0};
    for (int i = 0; i < 4; ++i) {
        const int v = expected[i];
        EXPECT_EQ(px(p.image, i, 20), rgbColor(v, v, v)) << "ring " << i + 1;
        EXPECT_EQ(px(p.image, 30, i), rgbColor(v, v, v)) << "ring " << i + 1;
        EXPECT_EQ(px(p.image, 59 - i, 20), resolveColor(clBtnHighlight));
    }
    EXPECT_NE(px(p.image, 0, 20), resolveColor(clWhite));
}

struct RingCase {
    BevelStyle style;
    int ring; // 1 is the outermost
    ColorValue topLeft, bottomRight;
};

// Highlight ramp black -> grey 100, shadow ramp green 200 -> green 100, two rings: raised
// runs both ramps From -> To, lowered puts the shadow ramp on top/left and runs both
// ramps To -> From; neither ever produces a From colour itself.
TEST(BevelPaint, RingColoursFollowBothRampsInEachStyle) {
    const RingCase table[] = {
        {BevelStyle::bsRaised, 1, rgbColor(50, 50, 50), rgbColor(0, 150, 0)},
        {BevelStyle::bsRaised, 2, rgbColor(100, 100, 100), rgbColor(0, 100, 0)},
        {BevelStyle::bsLowered, 1, rgbColor(0, 150, 0), rgbColor(50, 50, 50)},
        {BevelStyle::bsLowered, 2, rgbColor(0, 200, 0), clBlack},
    };
    for (const RingCase& t : table) {
        Bevel b;
        b.setStyle(t.style);
        b.setColorHighLightFrom(clBlack);
        b.setColorHighLightTo(rgbColor(100, 100, 100));
        b.setColorShadowFrom(rgbColor(0, 200, 0));
        b.setColorShadowTo(rgbColor(0, 100, 0));
        const Painted p = paintBevel(b, 40, 30);
        const int j = t.ring - 1;
        const char* name = t.style == BevelStyle::bsRaised ? "raised" : "lowered";
        EXPECT_EQ(px(p.image, j, 15), t.topLeft) << name << " ring " << t.ring << " left";
        EXPECT_EQ(px(p.image, 20, j), t.topLeft) << name << " ring " << t.ring << " top";
        EXPECT_EQ(px(p.image, 39 - j, 15), t.bottomRight) << name << " ring " << t.ring;
        EXPECT_EQ(px(p.image, 20, 29 - j), t.bottomRight) << name << " ring " << t.ring;
    }
}

TEST(BevelPaint, SurfaceGradientFillsInsideTheRingsUnderTheSpacing) {
    Bevel b;
    b.setBevelLine(BevelLineKind::blInner);
    b.surfaceGrad().setVisible(true);
    b.surfaceGrad().setColorFrom(clWhite);
    b.surfaceGrad().setColorTo(clBlack);
    b.surfaceGrad().setStyle(GradientStyle::gsHorizontal1);
    const Painted p = paintBevel(b, 60, 43);
    // Surface = outer shrunk by width + lines = (3, 3, 57, 40): its first row is white
    // right up to the inner outline, which lies just outside it.
    expectRow(p.image, 2, 2, 57, clBlack);
    expectRow(p.image, 3, 3, 56, clWhite);
    // 37 one-row bands; the last one shown, k = 36, truncates 255 - 36 * 255 / 37 to 6.
    EXPECT_EQ(px(p.image, 10, 39), rgbColor(6, 6, 6));
    EXPECT_EQ(px(p.image, 1, 20), resolveColor(clBtnHighlight)); // rings untouched
    EXPECT_EQ(px(p.image, 58, 20), resolveColor(clBtnShadow));
}

// A bevel thicker than its rectangle must not scribble its crossed-over rings around it,
// and the caller's clip is back in force afterwards.
TEST(BevelPaint, TooSmallRectangleStaysInsideAndKeepsTheClip) {
    Bevel b;
    b.setBevelLine(BevelLineKind::blBoth);
    b.setWidth(6);
    b.surfaceGrad().setVisible(true);
    for (int size = 0; size < 30; ++size) {
        QImage img = blank(40, 40);
        Rect r;
        {
            Canvas c(img);
            c.intersectClip(Rect{0, 0, 39, 40});
            r = b.paint(c, Rect{5, 5, 5 + size, 5 + size});
            EXPECT_EQ(c.clipBox(), (Rect{0, 0, 39, 40}));
            c.fillRect(Rect{0, 0, 40, 1}, clBlack);
        }
        EXPECT_EQ(r, (Rect{5 + 13, 5 + 13, 5 + size - 13, 5 + size - 13}));
        for (int y = 1; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= 5 && x < 5 + size && y >= 5 && y < 5 + size;
                ASSERT_EQ(px(img, x, y) != clFuchsia, inside)
                    << "size " << size << " pixel " << x << "," << y;
            }
        EXPECT_EQ(px(img, 38, 0), clBlack);
        EXPECT_EQ(px(img, 39, 0), clFuchsia);
    }
}

// Rings past the far side of the rectangle are clipped away, so an absurd width costs no
// more than one as wide as the rectangle: same picture, same content rectangle arithmetic.
TEST(BevelPaint, HugeWidthPaintsLikeTheWidestVisibleRings) {
    Bevel huge;
    huge.setWidth(1000000);
    huge.setBevelLine(BevelLineKind::blBoth);
    Bevel wide;
    wide.setWidth(60);
    wide.setBevelLine(BevelLineKind::blBoth);
    const Painted a = paintBevel(huge, 50, 30);
    const Painted b = paintBevel(wide, 50, 30);
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(a.content, (Rect{1000007, 1000007, 50 - 1000007, 30 - 1000007}));
}

// Near the end of the int range the size and the content rectangle saturate instead of
// wrapping around, and only the rings that can show are drawn.
TEST(BevelPaint, SizesNearTheIntLimitSaturate) {
    Bevel huge;
    huge.setWidth(INT_MAX - 3);
    huge.setBevelLine(BevelLineKind::blBoth);
    EXPECT_EQ(huge.bevelSize(), INT_MAX);
    Bevel wide;
    wide.setWidth(60);
    wide.setBevelLine(BevelLineKind::blBoth);
    const Painted a = paintBevel(huge, 50, 30);
    EXPECT_EQ(a.image, paintBevel(wide, 50, 30).image);
    EXPECT_EQ(a.content.left, INT_MAX);
    EXPECT_EQ(a.content.top, INT_MAX);
    EXPECT_LT(a.content.right, -2000000000);

    Bevel spaced;
    spaced.setSpacing(INT_MAX);
    spaced.offset().setTop(INT_MAX);
    EXPECT_EQ(spaced.bevelSize(), INT_MAX);
    const Painted b = paintBevel(spaced, 50, 30);
    EXPECT_EQ(b.content.left, INT_MAX);
    EXPECT_EQ(b.content.top, INT_MAX); // moved down by the offset as well, held at the end
    expectColumn(b.image, 0, 0, 28, clBtnHighlight);
    expectColumn(b.image, 49, 0, 29, clBtnShadow);
}

TEST(BevelSettings, NegativeWidthRefused) {
    Bevel b;
    int calls = 0;
    b.onChange = [&](SettingsObject&) { ++calls; };
    b.setWidth(-1);
    EXPECT_EQ(b.width(), 2);
    EXPECT_EQ(calls, 0);
    b.setWidth(0);
    EXPECT_EQ(b.width(), 0);
    EXPECT_EQ(calls, 1);
}

TEST(BevelSettings, SettersNotifyOnlyOnChangeWithSizeAlreadyUpdated) {
    Bevel b;
    int calls = 0;
    int sizeSeen = -1;
    b.onChange = [&](SettingsObject& s) {
        ++calls;
        EXPECT_EQ(&s, &b);
        sizeSeen = b.bevelSize();
    };
    b.setSpacing(5);
    b.setStyle(BevelStyle::bsRaised);
    b.setColor(clBtnFace);
    EXPECT_EQ(calls, 0);
    b.setBevelLine(BevelLineKind::blOuter);
    EXPECT_EQ(sizeSeen, 8);
    b.setSpacing(1);
    EXPECT_EQ(sizeSeen, 4);
    b.setWidth(5);
    EXPECT_EQ(sizeSeen, 7);
    b.setColorShadowFrom(clRed);
    b.setColorShadowTo(clRed);
    b.setColorHighLightFrom(clRed);
    b.setColorHighLightTo(clRed);
    b.setPenColor(clRed);
    b.setStyle(BevelStyle::bsLowered);
    b.setColor(clRed);
    EXPECT_EQ(calls, 10);
}

TEST(BevelSettings, OffsetAndSurfaceChangesReachTheBevel) {
    Bevel b;
    int calls = 0;
    b.onChange = [&](SettingsObject& s) {
        EXPECT_EQ(&s, &b);
        ++calls;
    };
    b.offset().setLeft(3);
    b.surfaceGrad().setVisible(true);
    b.surfaceGrad().setVisible(true);
    EXPECT_EQ(calls, 2);
}

TEST(BevelSettings, AssignCopiesEverythingAndPaintsAlike) {
    Bevel src;
    src.setStyle(BevelStyle::bsLowered);
    src.setSpacing(2);
    src.setBevelLine(BevelLineKind::blBoth);
    src.setWidth(3);
    src.setColor(clYellow);
    src.setColorShadowFrom(clBlack);
    src.setColorShadowTo(clGray);
    src.setColorHighLightFrom(clWhite);
    src.setColorHighLightTo(clSilver);
    src.setPenColor(clNavy);
    src.offset().setTop(1);
    src.surfaceGrad().setVisible(true);
    src.surfaceGrad().setStyle(GradientStyle::gsDiamond1);

    Bevel dst;
    int calls = 0;
    dst.onChange = [&](SettingsObject&) { ++calls; };
    dst.assign(src);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(dst.bevelSize(), src.bevelSize());
    EXPECT_EQ(dst.offset().top(), 1);
    EXPECT_TRUE(dst.surfaceGrad().visible());
    EXPECT_EQ(dst.surfaceGrad().style(), GradientStyle::gsDiamond1);
    const Painted a = paintBevel(src, 70, 50);
    const Painted b = paintBevel(dst, 70, 50);
    EXPECT_EQ(a.content, b.content);
    EXPECT_EQ(a.image, b.image);
}

TEST(BevelRing, DrawsOnTheOutermostPixelsAndShrinks) {
    QImage img = blank(6, 5);
    Rect r;
    {
        Canvas c(img);
        r = drawBevelRing(c, Rect{0, 0, 6, 5}, clWhite, clBlack);
    }
    EXPECT_EQ(r, (Rect{1, 1, 5, 4}));
    const char* expected[] = {"WWWWWB", "W....B", "W....B", "W....B", "BBBBBB"};
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const char e = expected[y][x];
            const ColorValue want = e == 'W' ? clWhite : e == 'B' ? clBlack : clFuchsia;
            EXPECT_EQ(px(img, x, y), want) << x << "," << y;
        }
}

struct RampCase {
    ColorValue a, b;
    int n, i;
    ColorValue expected;
};

TEST(Ramp, StepsRoundToEvenAndEndOnTheToColour) {
    const RampCase table[] = {
        {clWhite, clBlack, 4, 1, rgbColor(191, 191, 191)},
        {clWhite, clBlack, 4, 2, rgbColor(127, 127, 127)}, // 255 - 127.5 -> 127
        {clWhite, clBlack, 4, 3, rgbColor(64, 64, 64)},
        {clWhite, clBlack, 4, 4, clBlack},
        {clBlack, clWhite, 2, 1, rgbColor(128, 128, 128)},     // 127.5 -> 128
        {clBlack, rgbColor(1, 0, 0), 2, 1, rgbColor(0, 0, 0)}, // 0.5 -> 0
        {clBlack, rgbColor(3, 0, 0), 2, 1, rgbColor(2, 0, 0)}, // 1.5 -> 2
        {clRed, clBlue, 1, 1, clBlue},
        {clRed, clBlue, 0, 1, clBlue}, // n = 0 counts as 1
        {clRed, clLime, 3, 0, clRed},
    };
    for (const auto& t : table)
        EXPECT_EQ(rampColor(t.a, t.b, t.n, t.i), t.expected)
            << std::hex << t.a << " " << t.b << " " << std::dec << t.n << " " << t.i;
}

TEST(Ramp, EqualColoursGiveTheFirstUnresolved) {
    EXPECT_EQ(rampColor(clBtnShadow, clBtnShadow, 2, 1), clBtnShadow);
    EXPECT_EQ(rampColor(clBtnFace, resolveColor(clBtnFace), 2, 1), clBtnFace);
    EXPECT_EQ(rampColor(resolveColor(clBtnFace), clBtnFace, 2, 1), resolveColor(clBtnFace));
}

TEST(Ramp, SystemColoursAreResolvedForArithmetic) {
    const ColorValue face = resolveColor(clBtnFace);
    if (face == clBlack)
        GTEST_SKIP() << "palette button face is black";
    EXPECT_EQ(rampColor(clBtnFace, clBlack, 1, 1), clBlack);
    EXPECT_FALSE(isSystemColor(rampColor(clBtnFace, clBlack, 2, 1)));
}

} // namespace
} // namespace kv
