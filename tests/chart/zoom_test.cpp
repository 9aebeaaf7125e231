#include "chart/zoom.h"

#include <gtest/gtest.h>

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

TEST(ZoomFrame, CoversPressAndCurrentPixelWhicheverWayTheDragRuns) {
    const Rect expected{10, 20, 31, 41};
    EXPECT_EQ(zoomFrame(drag(10, 20, 30, 40)), expected);
    EXPECT_EQ(zoomFrame(drag(30, 40, 10, 20)), expected);
    EXPECT_EQ(zoomFrame(drag(30, 20, 10, 40)), expected);
    EXPECT_EQ(zoomFrame(drag(5, 5, 5, 5)), (Rect{5, 5, 6, 6}));
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

} // namespace
} // namespace kv
