#include "levelbar/level_bar.h"
#include "support/paint_log.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QWidget>
#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {
namespace {

constexpr ColorValue kFormColor = 0xF7DFD6;
constexpr ColorValue kDark = 0x686868;
constexpr ColorValue kSoft = 0xBEBEBE;
constexpr ColorValue kLight = 0xEFEFEF;

ColorValue at(const QImage& img, int x, int y) {
    return fromQColor(img.pixelColor(x, y));
}

// A level bar on a form of the main window's colour.
struct BarOnForm {
    QWidget form;
    LevelBar* bar;

    BarOnForm(int w, int h) {
        QPalette pal = form.palette();
        pal.setColor(QPalette::Window, toQColor(kFormColor));
        form.setPalette(pal);
        form.resize(600, 600);
        bar = new LevelBar(&form);
        bar->resize(w, h);
    }
    // The main window's bar: 456 x 17, black to navy, range 0..1000.
    static BarOnForm balken() { return BarOnForm(456, 17, true); }
    QImage render() { return bar->renderFace().copy(); }

private:
    BarOnForm(int w, int h, bool) : BarOnForm(w, h) {
        bar->setBarColorFrom(clBlack);
        bar->setBarColorTo(clNavy);
        bar->setMax(1000);
    }
};

// Columns of row `y` that carry bar colour (anything but the trough colour).
std::vector<int> barColumns(const QImage& img, int y, ColorValue trough) {
    std::vector<int> cols;
    for (int x = 3; x < img.width() - 3; ++x)
        if (at(img, x, y) != trough)
            cols.push_back(x);
    return cols;
}

TEST(LevelBarDefaults, ConstructedAsTheControlIsDocumented) {
    LevelBar bar;
    EXPECT_EQ(bar.width(), 150);
    EXPECT_EQ(bar.height(), scrollBarArrowHeight());
    EXPECT_EQ(bar.min(), 0);
    EXPECT_EQ(bar.max(), 100);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(bar.orientation(), BarOrientation::pbHorizontal);
    EXPECT_FALSE(bar.smooth());
    EXPECT_EQ(bar.color(), clWindow);
    EXPECT_EQ(bar.barColorFrom(), 0x31D329u);
    EXPECT_EQ(bar.barColorTo(), 0xADEFADu);
    EXPECT_EQ(bar.stepAmount(), 7);
    EXPECT_TRUE(bar.testAttribute(Qt::WA_OpaquePaintEvent));
    // without a parent the corners take the button face colour
    EXPECT_EQ(bar.backgroundColor(), clBtnFace);
}

TEST(LevelBarFrame, DrawsTheTwentyOneLinesInOrder) {
    BarOnForm f(12, 8);
    f.bar->setColor(clWhite);
    const QImage img = f.render();
    // B corner (form colour), s 0xBEBEBE, d 0x686868, l 0xEFEFEF, t trough
    const char* expected[] = {
        "BsddddddddsB", "sdssssssssds", "dssllllllssd", "dslttttttlsd",
        "dslttttttlsd", "dslttttttlsd", "sdllllllllds", "BsddddddddsB",
    };
    for (int y = 0; y < 8; ++y) {
        std::string row;
        for (int x = 0; x < 12; ++x) {
            const ColorValue c = at(img, x, y);
            row += c == kFormColor ? 'B'
                   : c == kSoft    ? 's'
                   : c == kDark    ? 'd'
                   : c == kLight   ? 'l'
                   : c == clWhite  ? 't'
                                   : '?';
        }
        EXPECT_EQ(row, expected[y]) << "row " << y;
    }
}

TEST(LevelBarBlocks, HalfScaleGivesTwentyNineBlocks) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    const QImage img = f.render();
    const ColorValue trough = resolveColor(clWindow);

    std::vector<int> expected;
    for (int k = 0; k < 29; ++k)
        for (int x = 4 + 8 * k; x < 10 + 8 * k; ++x)
            expected.push_back(x);
    for (int y = 3; y <= 13; ++y)
        EXPECT_EQ(barColumns(img, y, trough), expected) << "row " << y;
    EXPECT_TRUE(barColumns(img, 14, trough).empty());
    EXPECT_EQ(at(img, 228, 8), clBlack); // the last block's middle row
    EXPECT_EQ(at(img, 233, 3), clNavy);
    EXPECT_EQ(at(img, 234, 3), trough);

    for (auto [x, y] : {std::pair{0, 0}, {455, 0}, {0, 16}, {455, 16}})
        EXPECT_EQ(at(img, x, y), kFormColor) << x << "," << y;
}

TEST(LevelBarBlocks, BlockProfileRunsNavyBlackNavy) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    const QImage img = f.render();
    const int blue[] = {128, 102, 77, 51, 26, 0, 26, 51, 77, 102, 128};
    for (int x : {4, 9, 100, 233}) {
        for (int y = 3; y <= 13; ++y) {
            EXPECT_EQ(at(img, x, y), rgbColor(0, 0, blue[y - 3])) << x << "," << y;
        }
    }
}

TEST(LevelBarBlocks, FullScaleCutsTheLastBlockAtTheFrame) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(1000);
    const QImage img = f.render();
    const ColorValue trough = resolveColor(clWindow);
    const std::vector<int> cols = barColumns(img, 8, trough);
    ASSERT_FALSE(cols.empty());
    EXPECT_EQ(cols.size(), 56u * 6 + 1);
    EXPECT_EQ(cols.back(), 452);
    EXPECT_EQ(at(img, 452, 3), clNavy);
    EXPECT_EQ(at(img, 453, 8), kLight); // the frame, not the block
}

TEST(LevelBarBlocks, ZeroLeavesAnEmptyTrough) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(1);
    f.render();
    f.bar->setPosition(0);
    const QImage img = f.render();
    const ColorValue trough = resolveColor(clWindow);
    for (int y = 3; y <= 14; ++y)
        EXPECT_TRUE(barColumns(img, y, trough).empty()) << "row " << y;
    EXPECT_EQ(at(img, 3, 1), kSoft);
    EXPECT_EQ(at(img, 200, 2), kLight);
}

TEST(LevelBarBlocks, ShortLengthsStartABlockOnlyAfterTwoPixels) {
    // On a 100-pixel bar with range 0..100 the length equals the position.
    BarOnForm f(100, 17);
    f.bar->setPosition(3);
    EXPECT_EQ(barColumns(f.render(), 8, resolveColor(clWindow)),
              (std::vector<int>{4, 5, 6, 7, 8, 9}));
    f.bar->setPosition(2);
    EXPECT_TRUE(barColumns(f.render(), 8, resolveColor(clWindow)).empty());
}

TEST(LevelBarSmooth, FullBarCoversTheTroughBetweenTheFrame) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setSmooth(true);
    f.bar->setPosition(1000);
    const QImage img = f.render();
    std::vector<int> expected;
    for (int x = 4; x <= 452; ++x)
        expected.push_back(x);
    EXPECT_EQ(barColumns(img, 8, resolveColor(clWindow)), expected);
    for (int y = 3; y <= 13; ++y)
        EXPECT_EQ(at(img, 300, y), at(img, 4, y)) << "row " << y;
    EXPECT_EQ(at(img, 300, 3), clNavy);
    EXPECT_EQ(at(img, 300, 8), clBlack);
}

TEST(LevelBarVertical, OrientationSwapsTheSizeAndGrowsUpward) {
    BarOnForm f = BarOnForm::balken();
    f.bar->move(8, 326);
    f.bar->setOrientation(BarOrientation::pbVertical);
    EXPECT_EQ(f.bar->geometry(), QRect(8, 326, 17, 456));
    f.bar->setPosition(500);
    const QImage img = f.render();
    ASSERT_EQ(img.size(), QSize(17, 456));
    const ColorValue trough = resolveColor(clWindow);
    const int blue[] = {128, 102, 77, 51, 26, 0, 26, 51, 77, 102, 128};
    for (int y = 3; y < 453; ++y) {
        const int fromBottom = 452 - y; // 0 for the lowest trough row in use
        const bool inBlock = fromBottom < 29 * 8 && fromBottom % 8 < 6;
        if (inBlock) {
            for (int x = 3; x <= 13; ++x)
                ASSERT_EQ(at(img, x, y), rgbColor(0, 0, blue[x - 3])) << x << "," << y;
        } else {
            ASSERT_EQ(at(img, 8, y), trough) << "row " << y;
        }
    }
    EXPECT_EQ(at(img, 8, 453), trough); // the trough row under the first block

    f.bar->setOrientation(BarOrientation::pbHorizontal);
    EXPECT_EQ(f.bar->geometry(), QRect(8, 326, 456, 17));
}

TEST(LevelBarVertical, LoadingKeepsTheStoredSize) {
    BarOnForm f(17, 456);
    f.bar->setLoading(true);
    f.bar->setOrientation(BarOrientation::pbVertical);
    f.bar->setLoading(false);
    EXPECT_EQ(f.bar->size(), QSize(17, 456));
    EXPECT_EQ(f.bar->orientation(), BarOrientation::pbVertical);
}

TEST(LevelBarVertical, SmoothFillsFromTheBottom) {
    BarOnForm f(17, 100);
    f.bar->setOrientation(BarOrientation::pbVertical);
    ASSERT_EQ(f.bar->size(), QSize(100, 17));
    f.bar->resize(17, 100);
    f.bar->setSmooth(true);
    f.bar->setPosition(50);
    const QImage img = f.render();
    const ColorValue trough = resolveColor(clWindow);
    // L = 50: rows max(100 - 2 - 50, 3) + 1 = 49 to 96, columns 4 to 12
    EXPECT_EQ(at(img, 8, 48), trough);
    EXPECT_NE(at(img, 8, 49), trough);
    EXPECT_NE(at(img, 8, 96), trough);
    EXPECT_EQ(at(img, 8, 97), trough);
    EXPECT_EQ(at(img, 3, 70), trough);
    EXPECT_NE(at(img, 4, 70), trough);
    EXPECT_NE(at(img, 12, 70), trough);
    EXPECT_EQ(at(img, 13, 70), trough);
}

TEST(LevelBarRange, PositionIsClampedIntoTheRange) {
    LevelBar bar;
    int changes = 0;
    bar.onChange = [&] { ++changes; };
    bar.setMax(1000);
    EXPECT_EQ(changes, 1);
    bar.setPosition(5000);
    EXPECT_EQ(bar.position(), 1000);
    bar.setPosition(-3);
    EXPECT_EQ(bar.position(), 0);
    EXPECT_EQ(changes, 3);
    bar.setPosition(-50); // clamps to the position it already has
    EXPECT_EQ(changes, 3);
}

TEST(LevelBarRange, MaxZeroForcesPositionAndPaintsNothing) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(300);
    const QImage before = f.render();
    int changes = 0;
    f.bar->onChange = [&] { ++changes; };
    f.bar->setMax(0);
    EXPECT_EQ(f.bar->position(), 0);
    EXPECT_EQ(f.bar->max(), 0);
    EXPECT_EQ(changes, 1); // the position follows without a notification of its own

    QImage canvasImage(456, 17, QImage::Format_ARGB32_Premultiplied);
    canvasImage.fill(Qt::red);
    {
        Canvas c(canvasImage);
        f.bar->paint(c, Rect{0, 0, 456, 17});
    }
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 456; ++x)
            ASSERT_EQ(at(canvasImage, x, y), clRed) << x << "," << y;
    // the face keeps what it showed
    EXPECT_EQ(f.render(), before);
}

TEST(LevelBarRange, MinAboveThePositionRaisesIt) {
    LevelBar bar;
    bar.setPosition(10);
    bar.setMin(50);
    EXPECT_EQ(bar.min(), 50);
    EXPECT_EQ(bar.position(), 50);
    bar.setMin(500); // not beyond Max
    EXPECT_EQ(bar.min(), 100);
    EXPECT_EQ(bar.position(), 100);
    bar.setMax(20); // not below Min
    EXPECT_EQ(bar.max(), 100);
}

TEST(LevelBarRange, UnchangedValuesNeitherNotifyNorRepaint) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(400);
    f.render();
    int changes = 0;
    f.bar->onChange = [&] { ++changes; };
    f.bar->setMax(1000);
    f.bar->setMin(0);
    f.bar->setPosition(400);
    f.bar->setSmooth(false);
    f.bar->setBarColorFrom(clBlack);
    f.bar->setBarColorTo(clNavy);
    f.bar->setColor(clWindow);
    f.bar->setOrientation(BarOrientation::pbHorizontal);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(f.bar->faceDirty());
    f.bar->setPosition(401);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(f.bar->faceDirty());
    f.render();
    f.bar->setBarColorTo(clRed);
    EXPECT_TRUE(f.bar->faceDirty());
    EXPECT_EQ(changes, 1);
}

TEST(LevelBarRange, StepsStayInsideTheRange) {
    LevelBar bar;
    bar.step();
    EXPECT_EQ(bar.position(), 7);
    bar.stepBy(-20);
    EXPECT_EQ(bar.position(), 0);
    bar.stepBy(95);
    bar.step();
    EXPECT_EQ(bar.position(), 100);

    // near the ends of int a step clamps instead of wrapping around
    bar.setMax(INT_MAX);
    bar.setPosition(INT_MAX - 3);
    bar.stepBy(INT_MAX);
    EXPECT_EQ(bar.position(), INT_MAX);
    bar.setMin(INT_MIN);
    bar.setPosition(INT_MIN + 1);
    bar.stepBy(INT_MIN);
    EXPECT_EQ(bar.position(), INT_MIN);
}

TEST(LevelBarRange, FullIntRangePaintsHalfway) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setMin(INT_MIN);
    f.bar->setMax(INT_MAX);
    f.bar->setPosition(0);
    const QImage img = f.render();
    // L = 228, as for 500 of 1000
    EXPECT_EQ(barColumns(img, 8, resolveColor(clWindow)).back(), 233);
}

TEST(LevelBarPaint, PaintsIntoAnyRectangleOfACanvas) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    const QImage face = f.render();
    QImage big(500, 40, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::green);
    {
        Canvas c(big);
        f.bar->paint(c, Rect{20, 10, 476, 27});
    }
    EXPECT_EQ(big.copy(20, 10, 456, 17), face);
    EXPECT_EQ(at(big, 19, 10), clLime);
    EXPECT_EQ(at(big, 476, 26), clLime);
}

// A full bar wider than the int range, painted over a small canvas: what shows is the
// middle of the filled trough, blocks of six columns every eight in the edge colour.
TEST(LevelBarPaint, ARectangleWiderThanTheIntRangeShowsItsBlocks) {
    LevelBar bar;
    bar.setBarColorFrom(clBlack);
    bar.setBarColorTo(clNavy);
    bar.setColor(clWhite);
    bar.setMax(1000);
    bar.setPosition(1000);
    QImage img(64, 20, QImage::Format_RGB32);
    img.fill(toQColor(clFuchsia));
    Canvas c(img);
    bar.paint(c, Rect{-4, -5, INT_MAX, INT_MAX});
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(at(img, x, y), x % 8 < 6 ? clNavy : clWhite) << x << "," << y;
}

TEST(LevelBarPaint, PaintEventShowsTheFace) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(700);
    EXPECT_TRUE(f.bar->faceDirty());
    const QImage shown = f.bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_FALSE(f.bar->faceDirty());
    EXPECT_EQ(shown, f.bar->face().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(at(shown, 300, 3), clNavy);
}

TEST(LevelBarPaint, AMovedEndRedrawsOnlyBetweenTheEndsAndLooksDrawnWhole) {
    const int positions[] = {0, 3, 500, 499, 1000, 620, 7, 0, 333, 334, 990, 12};
    for (const BarOrientation o : {BarOrientation::pbHorizontal, BarOrientation::pbVertical})
        for (const bool smooth : {false, true})
            for (const double ratio : {1.0, 1.5, 2.0}) {
                BarOnForm f = BarOnForm::balken();
                BarOnForm whole = BarOnForm::balken();
                for (BarOnForm* b : {&f, &whole}) {
                    b->bar->setOrientation(o);
                    b->bar->setSmooth(smooth);
                }
                QPixmap picture(QSize(f.bar->width(), f.bar->height()) * ratio);
                picture.setDevicePixelRatio(ratio);
                f.bar->render(&picture);
                for (const int p : positions) {
                    f.bar->setPosition(p);
                    f.bar->render(&picture); // draws the parts due at the picture's ratio
                    whole.bar->setPosition(p);
                    ASSERT_EQ(f.bar->face(), whole.bar->renderFace(ratio))
                        << int(o) << " " << smooth << " " << ratio << " at " << p;
                }
            }
    // On screen a small move repaints a sliver; one within a pixel, nothing.
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    f.form.show();
    QApplication::processEvents();
    test::PaintLog paints(*f.bar);
    f.bar->setPosition(510);
    QApplication::processEvents();
    EXPECT_GT(paints.count(), 0);
    EXPECT_LE(paints.painted().boundingRect().width(), 16);
    paints.clear();
    f.bar->setPosition(511);
    QApplication::processEvents();
    EXPECT_EQ(paints.count(), 0);
    EXPECT_FALSE(f.bar->faceDirty());
}

TEST(LevelBarPaint, CornersFollowTheParentsColour) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    f.render();
    QPalette pal = f.form.palette();
    pal.setColor(QPalette::Window, toQColor(clYellow));
    f.form.setPalette(pal);
    EXPECT_TRUE(f.bar->faceDirty());
    const QImage img = f.render();
    for (auto [x, y] : {std::pair{0, 0}, {455, 0}, {0, 16}, {455, 16}})
        EXPECT_EQ(at(img, x, y), clYellow) << x << "," << y;
    EXPECT_EQ(at(img, 233, 3), clNavy);

    QWidget otherForm;
    pal.setColor(QPalette::Window, toQColor(clAqua));
    otherForm.setPalette(pal);
    f.bar->setParent(&otherForm);
    EXPECT_EQ(at(f.render(), 0, 0), clAqua);
    f.bar->setParent(&f.form);
}

TEST(LevelBarPaint, APaletteChangeReachesTheScreenWithoutAnyCall) {
    BarOnForm f = BarOnForm::balken();
    f.bar->setPosition(500);
    f.form.show();
    QApplication::processEvents();
    ASSERT_FALSE(f.bar->faceDirty());
    QPalette pal = f.form.palette();
    pal.setColor(QPalette::Window, toQColor(clYellow));
    f.form.setPalette(pal);
    QApplication::processEvents();
    EXPECT_FALSE(f.bar->faceDirty());
    EXPECT_EQ(at(f.bar->face(), 455, 16), clYellow);
}

// A bar whose drawing fails, as a painter refusing what it is given would.
class FailingBar : public GradientProgressBar {
public:
    using GradientProgressBar::GradientProgressBar;
    bool failing = true;

protected:
    void drawBar(Canvas& canvas, const Rect& rect, int length) override {
        if (failing)
            throw std::runtime_error("refused");
        GradientProgressBar::drawBar(canvas, rect, length);
    }
};

TEST(LevelBarPaint, AFailedPaintLeavesTheFaceDirtyAndTheNextOneWorks) {
    QWidget form;
    auto* bar = new FailingBar(&form);
    bar->setPosition(50);
    EXPECT_THROW(bar->renderFace(), std::runtime_error);
    EXPECT_TRUE(bar->faceDirty());
    bar->failing = false;
    form.show();
    QApplication::processEvents();
    EXPECT_FALSE(bar->faceDirty());
    LevelBar healthy(&form);
    healthy.setPosition(50);
    EXPECT_EQ(bar->face(), healthy.renderFace());
}

TEST(LevelBarPaint, EmptyRangeFromTheStartShowsTheParentsColour) {
    BarOnForm f(40, 17);
    f.bar->setMax(0);
    const QImage img = f.render();
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(at(img, x, y), kFormColor) << x << "," << y;
}

TEST(LevelBarPaint, SystemColoursAreResolvedWhenDrawing) {
    BarOnForm f(60, 17);
    f.bar->setColor(clBtnFace);
    f.bar->setBarColorFrom(clWindowText);
    f.bar->setBarColorTo(clWindowText);
    f.bar->setPosition(50);
    const QImage img = f.render();
    EXPECT_EQ(at(img, 8, 14), resolveColor(clBtnFace));
    EXPECT_EQ(at(img, 8, 8), resolveColor(clWindowText));
    EXPECT_EQ(at(img, 8, 3), resolveColor(clWindowText));
}

} // namespace
} // namespace kv
