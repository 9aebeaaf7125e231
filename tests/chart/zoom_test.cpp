#include "chart/zoom.h"
#include "chart_fixture.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

namespace kv {
namespace {

DragState drag(int x0, int y0, int x1, int y1) {
    DragState d;
    d.start(x0, y0);
    d.moveTo(x1, y1);
    return d;
}

struct ActionCase {
    int x0, y0, x1, y1;
    ZoomAction expected;
};

TEST(ZoomAction, ThresholdAndDirectionDecideWhatARelease) {
    const ActionCase cases[] = {
        {100, 100, 117, 117, ZoomAction::zaZoom},   // just beyond 16 both ways
        {100, 100, 116, 140, ZoomAction::zaNone},   // exactly 16 across
        {100, 100, 140, 116, ZoomAction::zaNone},   // exactly 16 down
        {100, 100, 100, 100, ZoomAction::zaNone},   // a click
        {100, 100, 83, 83, ZoomAction::zaRestore},  // towards the upper left
        {100, 100, 140, 60, ZoomAction::zaRestore}, // towards the upper right
        {100, 100, 60, 140, ZoomAction::zaRestore}, // towards the lower left
        {100, 100, 84, 60, ZoomAction::zaNone},     // 16 to the left is not enough
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zoomActionFor(drag(c.x0, c.y0, c.x1, c.y1)), c.expected)
            << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
}

TEST(ZoomFrame, RunsFromTheSmallerToTheLargerCornerLikeAnyRectangle) {
    // The outline lies on the outermost pixels of columns 10..29 and rows 20..39,
    // whichever corner the drag started from.
    const Rect expected{10, 20, 30, 40};
    EXPECT_EQ(zoomFrame(drag(10, 20, 30, 40)), expected);
    EXPECT_EQ(zoomFrame(drag(30, 40, 10, 20)), expected);
    EXPECT_EQ(zoomFrame(drag(30, 20, 10, 40)), expected);
    // A drag that has not moved has no area and draws nothing.
    EXPECT_EQ(zoomFrame(drag(5, 5, 5, 5)).width(), 0);
}

TEST(ZoomFrame, OrderPointsSwapsEachAxisSeparately) {
    DragState d = drag(30, 20, 10, 40);
    orderPoints(d);
    EXPECT_EQ(d.x0, 10);
    EXPECT_EQ(d.x1, 30);
    EXPECT_EQ(d.y0, 20);
    EXPECT_EQ(d.y1, 40);
}

TEST(AxisRangeMaths, FixedRangeOrdersAndKeepsAMinimumWidth) {
    EXPECT_EQ(fixedRange(5, 2), (AxisRange{2, 5}));
    EXPECT_EQ(fixedRange(-1, 3), (AxisRange{-1, 3}));
    const AxisRange equal = fixedRange(7, 7);
    EXPECT_EQ(equal.minimum, 7);
    EXPECT_EQ(equal.maximum, 7 + 1e-10);
    const AxisRange tiny = fixedRange(1.0, 1.0 + 1e-12);
    EXPECT_EQ(tiny.minimum, 1.0);
    EXPECT_EQ(tiny.maximum, 1.0 + 1e-10);
    // A width of exactly the minimum is kept as it is.
    const AxisRange exact = fixedRange(0, 1e-10);
    EXPECT_EQ(exact.maximum, 1e-10);
}

TEST(AxisRangeMaths, AnimatedStepsCloseAThirdOfTheGapAndConverge) {
    const AxisRange target{2, 4};
    AxisRange r{0, 10};
    r = animatedZoomStep(r, target);
    EXPECT_DOUBLE_EQ(r.minimum, 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(r.maximum, 10 - 6.0 / 3.0);
    for (int i = 0; i < 60; ++i)
        r = animatedZoomStep(r, target);
    EXPECT_NEAR(r.minimum, 2, 1e-9);
    EXPECT_NEAR(r.maximum, 4, 1e-9);
}

TEST(AxisRangeMaths, WheelMovesByThreePercentPerStep) {
    const AxisRange r{0, 100};
    EXPECT_EQ(wheelShifted(r, 1), (AxisRange{3, 103}));
    EXPECT_EQ(wheelShifted(r, -1), (AxisRange{-3, 97}));
    EXPECT_EQ(wheelShifted(r, 0), r);
    const AxisRange two = wheelShifted(r, 2);
    EXPECT_DOUBLE_EQ(two.minimum, 6);
    EXPECT_DOUBLE_EQ(two.maximum, 106);
    // Down and up again ends where it started.
    const AxisRange back = wheelShifted(wheelShifted(AxisRange{-2.5, 7.25}, 3), -3);
    EXPECT_DOUBLE_EQ(back.minimum, -2.5);
    EXPECT_DOUBLE_EQ(back.maximum, 7.25);
}

// ---------------------------------------------------------------------------------------
// Mouse zoom and scroll on the configured chart

using test::ConfiguredChart;
using test::pixelAt;

void send(TrendChart& c, QEvent::Type type, int x, int y, Qt::MouseButton button,
          Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(x, y), QPointF(x, y), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&c, &e);
}
void press(TrendChart& c, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    send(c, QEvent::MouseButtonPress, x, y, b, b);
}
void moveTo(TrendChart& c, int x, int y, Qt::MouseButton held = Qt::LeftButton) {
    send(c, QEvent::MouseMove, x, y, Qt::NoButton, held);
}
void release(TrendChart& c, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    send(c, QEvent::MouseButtonRelease, x, y, b, Qt::NoButton);
}
void drag(TrendChart& c, int x0, int y0, int x1, int y1, Qt::MouseButton b = Qt::LeftButton) {
    press(c, x0, y0, b);
    moveTo(c, (x0 + x1) / 2, (y0 + y1) / 2, b);
    moveTo(c, x1, y1, b);
    release(c, x1, y1, b);
}
void wheel(TrendChart& c, int delta) {
    QWheelEvent e(QPointF(200, 100), QPointF(200, 100), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&c, &e);
}

AxisRange rangeOf(const AxisBase& a) {
    return AxisRange{a.minimum(), a.maximum()};
}
bool automaticAll(const AxisBase& a) {
    return a.automatic() && a.automaticMinimum() && a.automaticMaximum();
}

// A chart with the readings 0..100 at X 0..100, drawn once so that the layout is known.
struct ZoomChart : ConfiguredChart {
    ZoomChart() {
        for (int i = 0; i <= 100; ++i)
            append(i);
        grab();
    }
    TrendChart& c() { return *chart; }
    Rect plot() const { return chart->plotRect(); }
    // Pixels of one X unit and one Y unit in the current layout.
    double xPerUnit() const { return plot().width() / 100.0; }
};

TEST(MouseZoom, DragBeyondSixteenPixelsTowardsTheLowerRightFixesTheAxes) {
    ZoomChart f;
    int zooms = 0;
    f.c().onZoom = [&](TrendChart&) { ++zooms; };
    const int x0 = f.plot().left + 50, y0 = f.plot().top + 30;
    const int x1 = x0 + 120, y1 = y0 + 90;
    const double xmin = f.c().bottomAxis().pixelToValue(x0);
    const double xmax = f.c().bottomAxis().pixelToValue(x1);
    const double ymin = f.c().leftAxis().pixelToValue(y1);
    const double ymax = f.c().leftAxis().pixelToValue(y0);

    drag(f.c(), x0, y0, x1, y1);

    EXPECT_EQ(zooms, 1);
    EXPECT_TRUE(f.c().zoomed());
    EXPECT_FALSE(f.c().zoomDrag().active);
    EXPECT_EQ(rangeOf(f.c().bottomAxis()), (AxisRange{xmin, xmax}));
    EXPECT_EQ(rangeOf(f.c().leftAxis()), (AxisRange{ymin, ymax}));
    EXPECT_FALSE(f.c().bottomAxis().automatic());
    EXPECT_FALSE(f.c().leftAxis().automaticMinimum());
    EXPECT_FALSE(f.c().leftAxis().automaticMaximum());
    EXPECT_TRUE(f.c().faceDirty());

    // The next pass keeps those ranges instead of following the readings.
    f.grab();
    EXPECT_EQ(f.c().leftAxis().scaleMin(), ymin);
    EXPECT_EQ(f.c().leftAxis().scaleMax(), ymax);
    EXPECT_EQ(f.c().bottomAxis().scaleMin(), xmin);
}

TEST(MouseZoom, DragsOfSixteenPixelsOrLessDoNothing) {
    ZoomChart f;
    const QImage before = f.c().face().copy();
    const int x = f.plot().left + 100, y = f.plot().top + 40;
    drag(f.c(), x, y, x + 16, y + 100);
    drag(f.c(), x, y, x + 100, y + 16);
    drag(f.c(), x, y, x - 16, y - 16);
    EXPECT_FALSE(f.c().zoomed());
    EXPECT_FALSE(f.c().axisStateSaved());
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
    EXPECT_TRUE(automaticAll(f.c().bottomAxis()));
    EXPECT_FALSE(f.c().faceDirty());
    // The rubber band left nothing behind.
    EXPECT_EQ(f.c().face(), before);
}

TEST(MouseZoom, DragTowardsTheUpperLeftRestoresTheAutomaticRanges) {
    ZoomChart f;
    int undos = 0;
    f.c().onUndoZoom = [&](TrendChart&) { ++undos; };
    const Rect p = f.plot();
    drag(f.c(), p.left + 20, p.top + 20, p.left + 100, p.top + 100);
    f.grab();
    ASSERT_TRUE(f.c().zoomed());

    drag(f.c(), p.left + 200, p.top + 150, p.left + 100, p.top + 50);
    EXPECT_EQ(undos, 1);
    EXPECT_FALSE(f.c().zoomed());
    EXPECT_FALSE(f.c().axisStateSaved());
    for (const AxisBase* a : f.c().axes())
        EXPECT_TRUE(automaticAll(*a));
    f.grab();
    EXPECT_EQ(f.c().leftAxis().scaleMin(), 0);
    EXPECT_EQ(f.c().leftAxis().scaleMax(), 100);
    EXPECT_EQ(f.c().bottomAxis().scaleMax(), 100);

    // Other directions restore too: lower left and upper right.
    drag(f.c(), p.left + 20, p.top + 20, p.left + 100, p.top + 100);
    drag(f.c(), p.left + 200, p.top + 20, p.left + 100, p.top + 100);
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
    drag(f.c(), p.left + 20, p.top + 20, p.left + 100, p.top + 100);
    drag(f.c(), p.left + 20, p.top + 100, p.left + 100, p.top + 20);
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
}

TEST(MouseZoom, RestoringWithoutAnyZoomChangesNothingButRepaints) {
    ZoomChart f;
    const AxisRange left = rangeOf(f.c().leftAxis());
    drag(f.c(), f.plot().left + 200, f.plot().top + 150, f.plot().left + 100, f.plot().top + 50);
    EXPECT_TRUE(f.c().faceDirty());
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
    EXPECT_EQ(rangeOf(f.c().leftAxis()), left);
}

TEST(MouseZoom, ReadingsOutsideTheZoomAreClippedAndTheAxesStayFixed) {
    ZoomChart f;
    drag(f.c(), f.plot().left + 100, f.plot().top + 60, f.plot().left + 250, f.plot().top + 150);
    // The zoomed labels may be narrower; the second pass settles the label column.
    f.render();
    const QImage zoomed = f.render();
    const Rect p = f.plot();
    const AxisRange left = rangeOf(f.c().leftAxis());

    for (double v : {1000.0, -1000.0, 5000.0, 50.0})
        f.append(v);
    const QImage after = f.render();
    EXPECT_EQ(f.c().leftAxis().scaleMin(), left.minimum);
    EXPECT_EQ(f.c().leftAxis().scaleMax(), left.maximum);
    EXPECT_EQ(f.c().plotRect(), p);
    // Outside the plot's frame not one pixel changed: the new segments were clipped.
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (x < p.left || x > p.right || y < p.top || y > p.bottom) {
                ASSERT_EQ(after.pixel(x, y), zoomed.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST(MouseZoom, RemovingAllPointsKeepsTheZoom) {
    ZoomChart f;
    const Rect p = f.plot();
    drag(f.c(), p.left + 100, p.top + 60, p.left + 250, p.top + 150);
    const AxisRange left = rangeOf(f.c().leftAxis());
    const AxisRange bottom = rangeOf(f.c().bottomAxis());
    f.series->removeAllPoints();
    f.grab();
    EXPECT_TRUE(f.c().zoomed());
    EXPECT_EQ(f.c().leftAxis().scaleMin(), left.minimum);
    EXPECT_EQ(f.c().leftAxis().scaleMax(), left.maximum);
    EXPECT_EQ(rangeOf(f.c().bottomAxis()), bottom);
}

TEST(MouseZoom, SecondZoomKeepsTheFirstSavedStateForRestoring) {
    ZoomChart f;
    const Rect p = f.plot();
    drag(f.c(), p.left + 20, p.top + 20, p.left + 300, p.top + 180);
    f.grab();
    drag(f.c(), p.left + 20, p.top + 20, p.left + 100, p.top + 100);
    f.grab();
    drag(f.c(), p.left + 100, p.top + 100, p.left + 20, p.top + 20);
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
    EXPECT_TRUE(automaticAll(f.c().bottomAxis()));
}

TEST(MouseZoom, AnimatedZoomEndsOnTheSameRanges) {
    ZoomChart plain, animated;
    animated.c().setAnimatedZoom(true);
    int zooms = 0;
    animated.c().onZoom = [&](TrendChart&) { ++zooms; };
    const Rect p = plain.plot();
    drag(plain.c(), p.left + 40, p.top + 30, p.left + 200, p.top + 120);
    drag(animated.c(), p.left + 40, p.top + 30, p.left + 200, p.top + 120);
    EXPECT_EQ(zooms, 1);
    EXPECT_EQ(rangeOf(animated.c().leftAxis()), rangeOf(plain.c().leftAxis()));
    EXPECT_EQ(rangeOf(animated.c().bottomAxis()), rangeOf(plain.c().bottomAxis()));
}

TEST(MouseZoom, RangesNeverGetNarrowerThanTheFloor) {
    ZoomChart f;
    f.c().setAxisRange(f.c().leftAxis(), 5, 5);
    EXPECT_EQ(f.c().leftAxis().minimum(), 5);
    EXPECT_EQ(f.c().leftAxis().maximum(), 5 + 1e-10);
    EXPECT_FALSE(f.c().leftAxis().automatic());
    f.c().setAxisRange(f.c().bottomAxis(), 9, 3);
    EXPECT_EQ(rangeOf(f.c().bottomAxis()), (AxisRange{3, 9}));

    // Zooming into a range already at the floor keeps it at the floor.
    f.c().setAxisRange(f.c().leftAxis(), 1, 1 + 1e-11);
    f.grab();
    const Rect p = f.plot();
    drag(f.c(), p.left + 20, p.top + 20, p.left + 100, p.top + 100);
    EXPECT_GE(f.c().leftAxis().maximum() - f.c().leftAxis().minimum(), 1e-10);
}

TEST(MouseZoom, TheRubberBandShowsWhileDraggingAndSurvivesARedraw) {
    ZoomChart f;
    const QImage clean = f.c().face().copy();
    const Rect p = f.plot();
    const int x0 = p.left + 40, y0 = p.top + 40, x1 = p.left + 160, y1 = p.top + 120;
    press(f.c(), x0, y0);
    moveTo(f.c(), x1, y1);
    const QImage& buf = f.c().face();
    // A rectangle from (x0, y0) to (x1, y1): its outline runs on column x0 and row y0
    // and on the last column and row before x1 and y1; inside and beyond nothing changed.
    const int ym = (y0 + y1) / 2, xm = (x0 + x1) / 2;
    EXPECT_NE(buf.pixel(x0, ym), clean.pixel(x0, ym));
    EXPECT_NE(buf.pixel(x1 - 1, ym), clean.pixel(x1 - 1, ym));
    EXPECT_NE(buf.pixel(xm, y0), clean.pixel(xm, y0));
    EXPECT_NE(buf.pixel(xm, y1 - 1), clean.pixel(xm, y1 - 1));
    EXPECT_EQ(buf.pixel(x1, ym), clean.pixel(x1, ym));
    EXPECT_EQ(buf.pixel(xm, y1), clean.pixel(xm, y1));
    EXPECT_EQ(buf.pixel(x0 + 5, y0 + 5), clean.pixel(x0 + 5, y0 + 5));

    // A reading arrives mid-drag: the pass draws the frame where it is, and the next
    // move still removes it cleanly.
    f.append(50);
    f.grab();
    moveTo(f.c(), x0 + 10, y0 + 10);
    release(f.c(), x0 + 10, y0 + 10);
    EXPECT_FALSE(f.c().zoomed());
    const QImage withFrameGone = f.c().face().copy();
    ConfiguredChart fresh;
    for (int i = 0; i <= 100; ++i)
        fresh.append(i);
    fresh.append(50);
    fresh.grab();
    EXPECT_EQ(withFrameGone, fresh.grab());
}

TEST(MouseZoom, TheRubberBandIsThePanelColourInNotXorAndBlackOnAWhitePanel) {
    for (const bool whitePanel : {false, true}) {
        ZoomChart f;
        if (whitePanel) {
            f.c().setColor(clWhite);
            f.grab();
        }
        const ColorValue face = resolveColor(f.c().color());
        // Dragged from the plot up into the gap under the title, where the band's top
        // row lies on the panel.
        const Rect p = f.plot();
        const int y0 = p.top - 3, x0 = p.left + 30, x1 = p.left + 150, y1 = p.top + 60;
        ASSERT_EQ(pixelAt(f.c().face(), x0 + 40, y0), face);
        press(f.c(), x1, y1);
        moveTo(f.c(), x0, y0);
        ASSERT_TRUE(f.c().zoomDrag().active);
        // not-XOR of a colour with itself gives white; a black pen over white stays black.
        const ColorValue expected = whitePanel ? clBlack : clWhite;
        EXPECT_EQ(pixelAt(f.c().face(), x0 + 40, y0), expected) << whitePanel;
        release(f.c(), x0, y0);
        EXPECT_EQ(pixelAt(f.c().face(), x0 + 40, y0), face) << whitePanel;
    }
}

TEST(MouseZoom, ABandAcrossTheFrameSurvivesAPassAndLeavesNothingBehind) {
    // The band reaches over the axis labels, the frame and the panel; a reading drawn
    // mid-drag must put it back exactly where the next move removes it.
    ZoomChart f;
    const Rect p = f.plot();
    const int x0 = p.left + 2, y0 = p.top + 40;
    press(f.c(), x0, y0);
    moveTo(f.c(), 5, p.bottom + 6);
    f.append(42);
    f.grab();
    moveTo(f.c(), p.right + 8, 3);
    f.append(43);
    f.grab();
    moveTo(f.c(), x0 + 4, y0 + 4);
    release(f.c(), x0 + 4, y0 + 4);
    ASSERT_FALSE(f.c().zoomed());
    ASSERT_FALSE(f.c().axisStateSaved());

    ConfiguredChart fresh;
    for (int i = 0; i <= 100; ++i)
        fresh.append(i);
    fresh.append(42);
    fresh.append(43);
    EXPECT_EQ(f.c().face(), fresh.grab());
}

TEST(MouseZoom, AnimatedZoomRedrawsEachStepAThirdCloserToTheTarget) {
    ZoomChart f;
    f.c().setAnimatedZoom(true);
    f.c().setAnimatedZoomSteps(4);
    f.c().show();
    QCoreApplication::processEvents();
    std::vector<AxisRange> drawn;
    f.c().onAfterDraw = [&](AxisPanel& c) {
        drawn.push_back(AxisRange{static_cast<TrendChart&>(c).leftAxis().scaleMin(),
                                  static_cast<TrendChart&>(c).leftAxis().scaleMax()});
    };
    const Rect p = f.plot();
    const AxisRange start = rangeOf(f.c().leftAxis());
    drag(f.c(), p.left + 40, p.top + 30, p.left + 200, p.top + 120);
    const AxisRange target = rangeOf(f.c().leftAxis());

    // Three steps on screen before the last one; each closes a third of the gap.
    ASSERT_EQ(drawn.size(), 3u);
    AxisRange expected = start;
    for (const AxisRange& r : drawn) {
        expected = animatedZoomStep(expected, target);
        EXPECT_DOUBLE_EQ(r.minimum, expected.minimum);
        EXPECT_DOUBLE_EQ(r.maximum, expected.maximum);
    }
    f.c().hide();
}

TEST(MouseZoom, ZoomScrollAndWheelOnFlatOrEmptyChartsStayDrawableAndRestore) {
    // Zero spans map every pixel to one value, so each gesture asks for a range at the
    // floor; values too large for the floor to widen must still draw and restore.
    const std::vector<std::vector<double>> cases = {{}, {1.234}, {0, 0, 0}, {4e7, 4e7, 4e7}};
    for (const auto& readings : cases) {
        ConfiguredChart f;
        for (double v : readings)
            f.append(v);
        f.grab();
        TrendChart& c = *f.chart;
        const Rect p = c.plotRect();
        // Drags start on the axis band, which every chart has, points or not.
        const int x = c.leftAxis().axisLinePos() + 1, y = p.top + 20;
        drag(c, x, y, x + 100, y + 80);
        f.grab();
        EXPECT_FALSE(c.leftAxis().automatic()) << readings.size();
        EXPECT_LE(c.leftAxis().minimum(), c.leftAxis().maximum());
        drag(c, x, y, x + 40, y + 30, Qt::RightButton);
        wheel(c, -120);
        f.grab();
        EXPECT_LE(c.leftAxis().scaleMin(), c.leftAxis().scaleMax());
        drag(c, x + 100, y + 80, x, y);
        f.grab();
        for (const AxisBase* a : c.axes())
            EXPECT_TRUE(automaticAll(*a)) << readings.size();
        const double expected = readings.empty() ? 0.0 : readings.front();
        EXPECT_EQ(c.leftAxis().scaleMin(), expected);
        EXPECT_EQ(c.leftAxis().scaleMax(), expected);
    }
}

// ---------------------------------------------------------------------------------------
// Scrolling

TEST(MouseScroll, DraggingRightShowsSmallerXAndEndsOutsideThePlot) {
    ZoomChart f;
    int scrolls = 0;
    f.c().onScroll = [&](TrendChart&) { ++scrolls; };
    const Rect p = f.plot();
    const int y = p.top + 60;
    const double perPixel = 100.0 / p.width();

    press(f.c(), p.left + 100, y, Qt::RightButton);
    moveTo(f.c(), p.left + 150, y, Qt::RightButton);
    EXPECT_EQ(scrolls, 1);
    EXPECT_NEAR(f.c().bottomAxis().minimum(), -50 * perPixel, 1e-9);
    EXPECT_NEAR(f.c().bottomAxis().maximum(), 100 - 50 * perPixel, 1e-9);
    EXPECT_FALSE(f.c().bottomAxis().automatic());
    // Only horizontal movement: the vertical axes were left alone.
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
    EXPECT_TRUE(f.c().axisStateSaved());
    EXPECT_TRUE(f.c().faceDirty());

    // Leaving the plot ends the scroll; coming back does nothing more.
    moveTo(f.c(), p.right + 3, y, Qt::RightButton);
    EXPECT_FALSE(f.c().scrollDrag().active);
    const AxisRange bottom = rangeOf(f.c().bottomAxis());
    moveTo(f.c(), p.left + 10, y, Qt::RightButton);
    EXPECT_EQ(rangeOf(f.c().bottomAxis()), bottom);
    release(f.c(), p.left + 10, y, Qt::RightButton);
    EXPECT_EQ(scrolls, 1);

    // A restoring drag brings the automatic range back.
    drag(f.c(), p.left + 200, p.top + 150, p.left + 100, p.top + 50);
    EXPECT_TRUE(automaticAll(f.c().bottomAxis()));
}

TEST(MouseScroll, TheContentFollowsThePointerStepByStepInEveryDirection) {
    const int steps[][2] = {{-10, 0}, {-10, 0}, {-10, 0}, {0, -7}, {0, -7}, {25, 12}};
    ZoomChart stepped, single;
    const Rect p = stepped.plot();
    const int x = p.left + 200, y = p.top + 100;
    const double yPerPixel = 100.0 / stepped.c().leftAxis().axisLength();
    const double xPerPixel = 100.0 / p.width();

    press(stepped.c(), x, y, Qt::RightButton);
    int cx = x, cy = y;
    for (const auto& s : steps) {
        cx += s[0];
        cy += s[1];
        moveTo(stepped.c(), cx, cy, Qt::RightButton);
    }
    release(stepped.c(), cx, cy, Qt::RightButton);

    press(single.c(), x, y, Qt::RightButton);
    moveTo(single.c(), cx, cy, Qt::RightButton);
    release(single.c(), cx, cy, Qt::RightButton);

    // Net movement (-5, -2): content moved 5 pixels left and 2 up, whatever the path.
    EXPECT_NEAR(stepped.c().bottomAxis().minimum(), 5 * xPerPixel, 1e-9);
    EXPECT_NEAR(stepped.c().leftAxis().minimum(), -2 * yPerPixel, 1e-9);
    EXPECT_NEAR(stepped.c().bottomAxis().minimum(), single.c().bottomAxis().minimum(), 1e-9);
    EXPECT_NEAR(stepped.c().leftAxis().maximum(), single.c().leftAxis().maximum(), 1e-9);
}

TEST(MouseScroll, PanningModeChoosesTheAxesAndAllowScrollCanVeto) {
    ZoomChart f;
    const Rect p = f.plot();
    f.c().setAllowPanning(PanningMode::pmVertical);
    drag(f.c(), p.left + 100, p.top + 100, p.left + 150, p.top + 130, Qt::RightButton);
    EXPECT_TRUE(automaticAll(f.c().bottomAxis()));
    EXPECT_FALSE(f.c().leftAxis().automatic());

    ZoomChart g;
    int asked = 0;
    g.c().onAllowScroll = [&](TrendChart& chart, AxisBase& axis, double& mn, double& mx,
                              bool& allow) {
        ++asked;
        if (&axis == &chart.bottomAxis()) {
            allow = false;
        } else if (&axis == &chart.leftAxis()) {
            mn = -1;
            mx = 1;
        }
    };
    int scrolls = 0;
    g.c().onScroll = [&](TrendChart&) { ++scrolls; };
    drag(g.c(), p.left + 100, p.top + 100, p.left + 150, p.top + 130, Qt::RightButton);
    EXPECT_GT(asked, 0);
    EXPECT_TRUE(automaticAll(g.c().bottomAxis()));
    EXPECT_EQ(rangeOf(g.c().leftAxis()), (AxisRange{-1, 1}));
    EXPECT_GT(scrolls, 0);

    ZoomChart none;
    none.c().setAllowPanning(PanningMode::pmNone);
    none.c().setAllowZoom(false);
    drag(none.c(), p.left + 100, p.top + 100, p.left + 150, p.top + 130, Qt::RightButton);
    drag(none.c(), p.left + 100, p.top + 100, p.left + 150, p.top + 130, Qt::LeftButton);
    EXPECT_TRUE(automaticAll(none.c().bottomAxis()));
    EXPECT_TRUE(automaticAll(none.c().leftAxis()));
}

TEST(MouseScroll, WheelMovesTheVerticalAxesByThreePercentPerStep) {
    ZoomChart f;
    wheel(f.c(), -120); // one step down: the range moves up
    EXPECT_DOUBLE_EQ(f.c().leftAxis().minimum(), 3);
    EXPECT_DOUBLE_EQ(f.c().leftAxis().maximum(), 103);
    EXPECT_FALSE(f.c().leftAxis().automatic());
    EXPECT_TRUE(automaticAll(f.c().bottomAxis()));
    EXPECT_FALSE(f.c().zoomed());
    EXPECT_TRUE(f.c().faceDirty());

    wheel(f.c(), 240); // two steps up, 3 percent of the width each
    EXPECT_NEAR(f.c().leftAxis().minimum(), -3, 1e-9);
    EXPECT_NEAR(f.c().leftAxis().maximum(), 97, 1e-9);

    wheel(f.c(), 60); // half a notch: nothing yet
    EXPECT_NEAR(f.c().leftAxis().minimum(), -3, 1e-9);
    wheel(f.c(), 60);
    EXPECT_NEAR(f.c().leftAxis().minimum(), -6, 1e-9);

    // A restoring drag gives the wheel-fixed axes back their automatic range.
    const Rect p = f.plot();
    drag(f.c(), p.left + 200, p.top + 150, p.left + 100, p.top + 50);
    EXPECT_TRUE(automaticAll(f.c().leftAxis()));
}

// ---------------------------------------------------------------------------------------
// Presses

TEST(MousePress, PartsUnderThePointer) {
    ZoomChart f;
    const Rect p = f.plot();
    const AxisBase& left = f.c().leftAxis();
    struct Case {
        int x, y;
        ChartPart part;
    };
    const int mid = (p.top + p.bottom) / 2;
    const Case cases[] = {
        {left.labelsPos(), mid, ChartPart::cpAxis},
        {left.axisLinePos() + 3, mid, ChartPart::cpAxis},
        {left.labelsPos() - 1, mid, ChartPart::cpNone},
        {p.left + 10, p.top + 10, ChartPart::cpChartRect},
        {(p.left + p.right) / 2, f.c().title().block().top + 2, ChartPart::cpTitle},
        {3, 3, ChartPart::cpNone},
        {p.left + 100, p.bottom + 5, ChartPart::cpNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.c().clickedPart(c.x, c.y).part, c.part) << c.x << "," << c.y;

    // On the line: the ramp runs from the lower left to the upper right.
    const int x = f.series->xPixel(50), y = f.series->yPixel(50);
    const ClickedPart onLine = f.c().clickedPart(x, y + 1);
    EXPECT_EQ(onLine.part, ChartPart::cpSeries);
    EXPECT_EQ(onLine.series, f.series.get());
    EXPECT_NEAR(onLine.pointIndex, 50, 2);
    EXPECT_EQ(f.c().clickedPart(x, y + 40).part, ChartPart::cpChartRect);

    // Without an active series the plot is no part to click.
    f.series->setActive(false);
    EXPECT_EQ(f.c().clickedPart(p.left + 10, p.top + 10).part, ChartPart::cpNone);
}

TEST(MousePress, HandlersCanTakeThePressAndBackgroundClicksFollowTheRules) {
    ZoomChart f;
    const Rect p = f.plot();
    int background = 0;
    bool take = true;
    f.c().onClickBackground = [&](TrendChart&, const ChartMouse&) {
        ++background;
        return take;
    };
    // Taken by the handler: no drag starts.
    press(f.c(), p.left + 10, p.top + 10);
    EXPECT_EQ(background, 1);
    EXPECT_FALSE(f.c().zoomDrag().active);
    release(f.c(), p.left + 10, p.top + 10);

    // Not taken, middle button: no drag either, so the handler hears the press twice.
    take = false;
    background = 0;
    press(f.c(), p.left + 10, p.top + 10, Qt::MiddleButton);
    EXPECT_EQ(background, 2);
    release(f.c(), p.left + 10, p.top + 10, Qt::MiddleButton);

    // On the title: nothing but the background handler.
    background = 0;
    press(f.c(), (p.left + p.right) / 2, f.c().title().block().top + 2);
    EXPECT_EQ(background, 1);
    EXPECT_FALSE(f.c().zoomDrag().active);

    // The axis handler sees presses on the axis band.
    int axisClicks = 0;
    f.c().onClickAxis = [&](TrendChart&, AxisBase& a, const ChartMouse& m) {
        ++axisClicks;
        EXPECT_EQ(&a, &f.c().leftAxis());
        EXPECT_EQ(m.button, Qt::LeftButton);
        return false;
    };
    press(f.c(), f.c().leftAxis().axisLinePos() + 1, p.top + 50);
    EXPECT_EQ(axisClicks, 1);
    EXPECT_TRUE(f.c().zoomDrag().active);
    release(f.c(), f.c().leftAxis().axisLinePos() + 1, p.top + 50);
}

TEST(MousePress, APressDuringADragIsIgnored) {
    ZoomChart f;
    const Rect p = f.plot();
    press(f.c(), p.left + 20, p.top + 20);
    press(f.c(), p.left + 60, p.top + 60, Qt::RightButton);
    EXPECT_TRUE(f.c().zoomDrag().active);
    EXPECT_FALSE(f.c().scrollDrag().active);
    EXPECT_EQ(f.c().zoomDrag().x0, p.left + 20);
    // The right button's release ends no zoom drag.
    release(f.c(), p.left + 60, p.top + 60, Qt::RightButton);
    EXPECT_TRUE(f.c().zoomDrag().active);
    release(f.c(), p.left + 120, p.top + 120);
    EXPECT_TRUE(f.c().zoomed());
}

} // namespace
} // namespace kv
