#include "gauges/gradient.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace kv {
namespace {

constexpr ColorValue kWindow = 16244694; // RGB 214, 223, 247

ColorValue px(const QImage& img, int x, int y) {
    return fromQColor(QColor::fromRgb(img.pixel(x, y)));
}

QImage gradient(int w, int h, ColorValue from, GradientStyle s, ColorValue to) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toQColor(clFuchsia));
    Canvas c(img);
    gradientFill(c, Rect{0, 0, w, h}, from, s, to);
    return img;
}

void expectRows(const QImage& img, int y0, int y1, ColorValue c) {
    for (int y = y0; y <= y1; ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(px(img, x, y), c) << x << "," << y;
}

// White to the window colour: differences -41, -32, -8, so 41 steps at most; over 200
// rows bands of 4 rows, 50 steps of -0.82, -0.64, -0.16, channels truncated.
TEST(GradientHorizontal1, TwoHundredRowsEndOnBandFortyNine) {
    const QImage img = gradient(10, 200, clWhite, GradientStyle::gsHorizontal1, kWindow);
    expectRows(img, 0, 3, clWhite);
    expectRows(img, 4, 7, rgbColor(254, 254, 254));
    expectRows(img, 8, 11, rgbColor(253, 253, 254));
    expectRows(img, 192, 195, rgbColor(215, 224, 247)); // band 48
    expectRows(img, 196, 199, rgbColor(214, 223, 247)); // band 49
}

TEST(GradientHorizontal1, TwoHundredThreeRowsShowBandFiftyAtTheBottom) {
    const QImage img = gradient(10, 203, clWhite, GradientStyle::gsHorizontal1, kWindow);
    expectRows(img, 196, 199, rgbColor(214, 223, 247)); // band 49
    expectRows(img, 200, 202, kWindow);                 // band 50: the exact To colour
}

TEST(GradientHorizontal1, FewerRowsThanStepsGiveOneRowBands) {
    // Black to white has 255 steps; over 5 rows every row is its own band of 51.
    const QImage img = gradient(3, 5, clBlack, GradientStyle::gsHorizontal1, clWhite);
    const int expected[] = {0, 51, 102, 153, 204};
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(px(img, 1, y), rgbColor(expected[y], expected[y], expected[y])) << y;
}

TEST(GradientVertical1, BandsRunLeftToRight) {
    const QImage img = gradient(200, 3, clWhite, GradientStyle::gsVertical1, kWindow);
    EXPECT_EQ(px(img, 3, 1), clWhite);
    EXPECT_EQ(px(img, 4, 1), rgbColor(254, 254, 254));
    EXPECT_EQ(px(img, 199, 0), rgbColor(214, 223, 247));
    EXPECT_EQ(px(img, 195, 2), rgbColor(215, 224, 247));
}

TEST(GradientMirrored, FromColourOnTheMiddleLine) {
    // Two steps each side of row 2: F, then 127.5 -> 128, then 255.
    const QImage h2 = gradient(4, 5, clBlack, GradientStyle::gsHorizontal2, clWhite);
    const int rows[] = {255, 128, 0, 128, 255};
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(px(h2, 2, y), rgbColor(rows[y], rows[y], rows[y])) << y;
    const QImage v2 = gradient(5, 4, clBlack, GradientStyle::gsVertical2, clWhite);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(px(v2, x, 1), rgbColor(rows[x], rows[x], rows[x])) << x;
}

TEST(GradientMirrored, ThirdStyleCentresOnTheUpperThird) {
    // 30 rows: middle row 10, Round(20.1) = 20 steps; the bottom row is at step 19.
    const QImage img = gradient(4, 30, clBlack, GradientStyle::gsHorizontal3, clWhite);
    EXPECT_EQ(px(img, 0, 10), clBlack);
    EXPECT_EQ(px(img, 0, 0), rgbColor(128, 128, 128));  // 10 * 12.75 = 127.5 -> 128
    EXPECT_EQ(px(img, 0, 29), rgbColor(242, 242, 242)); // 19 * 12.75 = 242.25
    const QImage v = gradient(30, 4, clBlack, GradientStyle::gsVertical3, clWhite);
    EXPECT_EQ(px(v, 10, 2), clBlack);
    EXPECT_EQ(px(v, 29, 2), rgbColor(242, 242, 242));
}

int grey(ColorValue c) {
    return redOf(c);
}

struct Orientation {
    GradientStyle style;
    const char* name;
    // Where the ramp is nearest its From colour and where it reaches its To colour, as
    // fractions of width and height.
    double fromX, fromY, toX, toY;
};

class GradientOrientation : public ::testing::TestWithParam<Orientation> {};

TEST_P(GradientOrientation, FromAndToWhereTheStyleSaysSo) {
    const Orientation o = GetParam();
    const int w = 121, h = 81;
    const QImage img = gradient(w, h, clBlack, o.style, clWhite);
    const int fx = std::min(w - 1, int(o.fromX * w)), fy = std::min(h - 1, int(o.fromY * h));
    const int tx = std::min(w - 1, int(o.toX * w)), ty = std::min(h - 1, int(o.toY * h));
    EXPECT_LE(grey(px(img, fx, fy)), 16) << "near From at " << fx << "," << fy;
    EXPECT_GE(grey(px(img, tx, ty)), 239) << "near To at " << tx << "," << ty;
}

INSTANTIATE_TEST_SUITE_P(
    AllStyles, GradientOrientation,
    ::testing::Values(Orientation{GradientStyle::gsHorizontal1, "Horizontal1", 0.5, 0, 0.5, 1},
                      Orientation{GradientStyle::gsHorizontal2, "Horizontal2", 0.5, 0.5, 0.5, 1},
                      Orientation{GradientStyle::gsHorizontal3, "Horizontal3", 0.5, 0.34, 0.5, 1},
                      Orientation{GradientStyle::gsVertical1, "Vertical1", 0, 0.5, 1, 0.5},
                      Orientation{GradientStyle::gsVertical2, "Vertical2", 0.5, 0.5, 0, 0.5},
                      Orientation{GradientStyle::gsVertical3, "Vertical3", 0.34, 0.5, 1, 0.5},
                      Orientation{GradientStyle::gsElliptic1, "Elliptic1", 0.5, 0.5, 0, 0},
                      Orientation{GradientStyle::gsElliptic2, "Elliptic2", 0.5, 0.5, 1, 1},
                      Orientation{GradientStyle::gsElliptic3, "Elliptic3", 0.26, 0.26, 1, 1},
                      Orientation{GradientStyle::gsRectangle, "Rectangle", 0.5, 0.5, 0, 1},
                      Orientation{GradientStyle::gsDiamond1, "Diamond1", 0.5, 0.5, 0, 0},
                      Orientation{GradientStyle::gsDiamond2, "Diamond2", 0.5, 0.5, 1, 0},
                      Orientation{GradientStyle::gsTopLeft, "TopLeft", 0, 0, 1, 1},
                      Orientation{GradientStyle::gsTopRight, "TopRight", 1, 0, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GradientCentre, RectangleAndDiamondPutTheExactFromColourInTheMiddle) {
    for (GradientStyle s :
         {GradientStyle::gsRectangle, GradientStyle::gsDiamond1, GradientStyle::gsDiamond2}) {
        const QImage img = gradient(40, 30, clNavy, s, clYellow);
        EXPECT_EQ(px(img, 20, 15), clNavy) << int(s);
    }
}

// Red channel of every pixel, row by row, for small ramps whose steps are whole numbers.
void expectRedGrid(const QImage& img, const std::vector<std::vector<int>>& rows) {
    ASSERT_EQ(img.height(), int(rows.size()));
    for (int y = 0; y < img.height(); ++y) {
        ASSERT_EQ(img.width(), int(rows[y].size()));
        for (int x = 0; x < img.width(); ++x)
            EXPECT_EQ(px(img, x, y), rgbColor(rows[y][x], 0, 0)) << x << "," << y;
    }
}

// Black to red 4 over 5 x 3: one step per unit, rx 0.625, ry 0.375, centre (2, 1); the
// rectangles of k = 4 and 3 cover everything, k = 2 is (1, 0, 4, 3), k = 1 is (1, 1, 4, 2).
TEST(GradientShapes, RectanglesAroundTheCentre) {
    expectRedGrid(gradient(5, 3, clBlack, GradientStyle::gsRectangle, rgbColor(4, 0, 0)),
                  {{3, 2, 2, 2, 3}, {3, 1, 0, 1, 3}, {3, 2, 2, 2, 3}});
}

// Black to red 3 over 7 x 5: S = max(7 div 2, 3) = 3 diamonds with rx 7/6 and ry 5/6, the
// outermost in the To colour, the centre pixel in the From colour.
TEST(GradientShapes, DiamondOneStepsOutFromTheCentre) {
    expectRedGrid(gradient(7, 5, clBlack, GradientStyle::gsDiamond1, rgbColor(3, 0, 0)),
                  {{3, 3, 3, 2, 3, 3, 3},
                   {3, 3, 2, 1, 2, 3, 3},
                   {3, 2, 1, 0, 1, 2, 3},
                   {3, 3, 2, 1, 2, 3, 3},
                   {3, 3, 3, 2, 3, 3, 3}});
}

TEST(GradientShapes, DiamondTwoTakesTheLongerSideAsStepCount) {
    // S = max(7, 3) = 7, step 3/7, rx 1: along the middle row the vertices of k = 1, 2, 3
    // lie one column apart, in colours round(3/7 k) = 0, 1, 1.
    const QImage img = gradient(7, 5, clBlack, GradientStyle::gsDiamond2, rgbColor(3, 0, 0));
    const int middle[] = {1, 1, 0, 0, 0, 1, 1};
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(px(img, x, 2), rgbColor(middle[x], 0, 0)) << x;
}

// The corner styles take the colour at k / 2, a half step: over 2 x 2 from black to white
// (127.5 per step) the corner pixel gets round(0.5 x 127.5) = 64, not the From colour.
TEST(GradientShapes, TopLeftUsesHalfSteps) {
    const QImage img = gradient(2, 2, clBlack, GradientStyle::gsTopLeft, clWhite);
    EXPECT_EQ(px(img, 0, 0), rgbColor(64, 64, 64));
    EXPECT_EQ(px(img, 0, 1), rgbColor(64, 64, 64));
    EXPECT_EQ(px(img, 1, 0), rgbColor(128, 128, 128));
    EXPECT_EQ(px(img, 1, 1), rgbColor(128, 128, 128));
}

struct EllipseCore {
    GradientStyle style;
    int left, top; // of the 2 x 2 block nearest the From colour
    int grey;      // the first k whose radius rounds to one pixel
};

// Black to white over 40 x 40 (N = 255): the innermost ellipse drawn is the first k with
// Round(k x rx) = 1; rx is 40/255/2, 40/255 x 0.695 and 40/255 x 0.82, and the third
// style moves the centre from (20, 20) to (20 - 10 + 1, 20 - 10 + 1).
TEST(GradientShapes, EllipticCoresSitAndShadeAsEachStyleScalesIt) {
    const EllipseCore table[] = {{GradientStyle::gsElliptic1, 19, 19, 7},
                                 {GradientStyle::gsElliptic2, 19, 19, 5},
                                 {GradientStyle::gsElliptic3, 10, 10, 4}};
    for (const EllipseCore& e : table) {
        const QImage img = gradient(40, 40, clBlack, e.style, clWhite);
        int darkest = 256;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                darkest = std::min(darkest, grey(px(img, x, y)));
        EXPECT_EQ(darkest, e.grey) << int(e.style);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool core = x >= e.left && x < e.left + 2 && y >= e.top && y < e.top + 2;
                EXPECT_EQ(grey(px(img, x, y)) == e.grey, core)
                    << int(e.style) << " " << x << "," << y;
            }
    }
}

class EveryStyle : public ::testing::TestWithParam<int> {};

TEST_P(EveryStyle, EqualColoursFillTheWholeSurface) {
    const auto s = static_cast<GradientStyle>(GetParam());
    for (ColorValue c : {clRed, kWindow}) {
        const QImage img = gradient(37, 23, c, s, c);
        expectRows(img, 0, 22, c);
    }
    // A system colour equal to its own RGB value is the same colour.
    const QImage img = gradient(9, 7, clBtnFace, s, resolveColor(clBtnFace));
    expectRows(img, 0, 6, resolveColor(clBtnFace));
}

TEST_P(EveryStyle, CoversItsRectangleAndNothingElse) {
    const auto s = static_cast<GradientStyle>(GetParam());
    const Rect sizes[] = {
        {10, 10, 60, 40}, {3, 4, 4, 5}, {0, 0, 1, 70}, {5, 1, 75, 3}, {7, 9, 40, 70}};
    for (const Rect& q : sizes) {
        QImage img(80, 80, QImage::Format_RGB32);
        img.fill(toQColor(clFuchsia));
        {
            Canvas c(img);
            gradientFill(c, q, clWhite, s, clNavy);
        }
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x) {
                const bool inside = x >= q.left && x < q.right && y >= q.top && y < q.bottom;
                ASSERT_EQ(px(img, x, y) != clFuchsia, inside)
                    << "style " << GetParam() << " rect " << q.left << "," << q.top << ","
                    << q.right << "," << q.bottom << " pixel " << x << "," << y;
            }
    }
}

TEST_P(EveryStyle, EmptyRectangleIsLeftUnpainted) {
    const auto s = static_cast<GradientStyle>(GetParam());
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(toQColor(clFuchsia));
    const QImage before = img.copy();
    {
        Canvas c(img);
        gradientFill(c, Rect{2, 2, 2, 8}, clWhite, s, clBlack);
        gradientFill(c, Rect{2, 2, 8, 2}, clWhite, s, clBlack);
        gradientFill(c, Rect{8, 8, 2, 2}, clWhite, s, clBlack);
    }
    EXPECT_EQ(img, before);
}

INSTANTIATE_TEST_SUITE_P(AllStyles, EveryStyle, ::testing::Range(0, kGradientStyleCount));

// A surface longer than any face has its ramp drawn over the part on the canvas: 200 rows
// of one band each, stepping 255 / 200 per row from white at the canvas's top.
TEST(GradientSize, ASurfaceBeyondTheLargestFaceSpansThePartOnTheCanvas) {
    QImage img(30, 200, QImage::Format_RGB32);
    img.fill(toQColor(clFuchsia));
    Canvas c(img);
    gradientFill(c, Rect{0, -50, 30, 100000}, clWhite, GradientStyle::gsHorizontal1, clBlack);
    expectRows(img, 0, 0, clWhite);
    expectRows(img, 100, 100, rgbColor(127, 127, 127)); // trunc(255 - 100 * 1.275)
    expectRows(img, 199, 199, rgbColor(1, 1, 1));
}

TEST(GradientSettingsTest, DefaultsSettersAndAssign) {
    GradientSettings g;
    EXPECT_EQ(g.colorFrom(), 0xE2E2E2u);
    EXPECT_EQ(g.colorTo(), 0x8F8F8Fu);
    EXPECT_FALSE(g.visible());
    EXPECT_EQ(g.style(), GradientStyle::gsHorizontal1);
    int calls = 0;
    g.onChange = [&](SettingsObject&) { ++calls; };
    g.setVisible(false);
    g.setStyle(GradientStyle::gsHorizontal1);
    EXPECT_EQ(calls, 0);
    g.setStyle(GradientStyle::gsTopRight);
    EXPECT_EQ(calls, 1);

    GradientSettings src;
    src.setColorFrom(clWhite);
    src.setColorTo(kWindow);
    src.setVisible(true);
    g.assign(src);
    EXPECT_EQ(g.colorFrom(), clWhite);
    EXPECT_EQ(g.colorTo(), kWindow);
    EXPECT_TRUE(g.visible());
    EXPECT_EQ(g.style(), GradientStyle::gsHorizontal1);
    EXPECT_EQ(calls, 1 + 4 + 1); // four changed properties, then the closing notice
}

} // namespace
} // namespace kv
