#include "canvas/canvas.h"
#include "format/number_format.h"
#include "gauges/rotation.h"
#include "gauges/scale_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kv {
namespace {

// The dial of the main window's meter: labels 36 x 22 on a 180-degree scale of 10 steps.
ScaleLayoutInput mainWindowDial() {
    ScaleLayoutInput in;
    in.rect = {7, 7, 449, 241};
    in.labelWidth = 36;
    in.labelHeight = 22;
    in.labelMargin = scaleLabelMargin(36, 22);
    in.lineWidth = scaleLineWidth(22);
    in.steps = 10;
    in.subSteps = 5;
    in.startAngle = 270;
    in.sweepAngle = 180;
    return in;
}

std::string dec(const std::string& s) {
    std::string out = s;
    for (char& ch : out)
        if (ch == '.')
            ch = decimalChar();
    return out;
}

TEST(Rotation, QuarterTurnsAreClockwiseOnScreen) {
    const Point c{100, 100};
    const Point up{100, 40};
    EXPECT_EQ(rotatePoint(up, c, 0), up);
    EXPECT_EQ(rotatePoint(up, c, 90), (Point{160, 100}));
    EXPECT_EQ(rotatePoint(up, c, 180), (Point{100, 160}));
    EXPECT_EQ(rotatePoint(up, c, 270), (Point{40, 100}));
    EXPECT_EQ(rotatePoint(up, c, -90), (Point{40, 100}));
}

TEST(Rotation, RoundsToWholePixelsAfterEachTurn) {
    const Point c{0, 0};
    // 10 degrees of (0, -10): (1.74, -9.85) rounds to (2, -10); turning that rounded point
    // again lands elsewhere than one turn by 20 degrees would.
    const Point once = rotatePoint({0, -10}, c, 10);
    EXPECT_EQ(once, (Point{2, -10}));
    EXPECT_EQ(rotatePoint(once, c, 10), (Point{4, -10}));
    EXPECT_EQ(rotatePoint({0, -10}, c, 20), (Point{3, -9}));
}

TEST(ScaleLayout, MainWindowDialSizes) {
    const ScaleLayoutInput in = mainWindowDial();
    EXPECT_EQ(in.labelMargin, 19);
    EXPECT_EQ(in.lineWidth, 2);
    const ScaleLayout L = layoutScale(in);
    EXPECT_EQ(L.radius, 203);
    EXPECT_EQ(L.tickLength, 25);
    EXPECT_EQ(L.subTickLength, 18);
    EXPECT_EQ(L.center, (Point{228, 221}));
    EXPECT_EQ(L.pointerArea, (Rect{44, 37, 413, 406}));
    EXPECT_EQ(L.arcRect, (Rect{69, 62, 388, 382}));
    EXPECT_EQ(L.arcStart, (Point{387, 221}));
    EXPECT_EQ(L.arcEnd, (Point{44, 221}));
}

TEST(ScaleLayout, MainWindowDialMainTicks) {
    const ScaleLayout L = layoutScale(mainWindowDial());
    ASSERT_EQ(L.mainTicks.size(), 11u);
    struct Row {
        std::size_t i;
        double angle;
        Point outer, inner, label;
    };
    const Row rows[] = {
        {0, 0, {44, 221}, {69, 221}, {25, 221}},
        {5, 90, {228, 37}, {228, 62}, {228, 18}},
        {10, 180, {412, 221}, {387, 221}, {431, 221}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.i);
        const ScaleMainTick& t = L.mainTicks[r.i];
        EXPECT_DOUBLE_EQ(t.angle, r.angle);
        EXPECT_EQ(t.outer, r.outer);
        EXPECT_EQ(t.inner, r.inner);
        EXPECT_EQ(t.label, r.label);
    }
    EXPECT_TRUE(L.closingLabel);
}

TEST(ScaleLayout, MainWindowDialSubTicksStandOnWholeDegrees) {
    const ScaleLayout L = layoutScale(mainWindowDial());
    ASSERT_EQ(L.subTicks.size(), 40u);
    const int expected[] = {4, 7, 11, 14, 22, 25, 29, 32};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(L.subTicks[k].angle, expected[k]) << k;
    // Sub ticks rise from the inner circle of the main ticks, 18 pixels outward.
    const Point c = L.center;
    const Point pi = rotatePoint({228, 62}, c, 270);
    const Point ps = rotatePoint({228, 44}, c, 270);
    EXPECT_EQ(L.subTicks[0].inner, rotatePoint(pi, c, 4));
    EXPECT_EQ(L.subTicks[0].outer, rotatePoint(ps, c, 4));
    EXPECT_EQ(L.subTicks.back().angle, 176);
}

TEST(ScaleLayout, LineWidthFollowsLabelHeight) {
    struct Row {
        int height, lineWidth;
    };
    for (const Row r : {Row{7, 0}, Row{8, 1}, Row{14, 1}, Row{20, 1}, Row{21, 2}, Row{35, 2}})
        EXPECT_EQ(scaleLineWidth(r.height), r.lineWidth) << r.height;
    EXPECT_EQ(scaleLabelMargin(36, 22), 19);
    EXPECT_EQ(scaleLabelMargin(10, 22), 12);
}

TEST(ScaleLayout, ThinLinesHalveSubTicksAndShiftThePointerArea) {
    ScaleLayoutInput in = mainWindowDial();
    in.lineWidth = 1;
    const ScaleLayout thin = layoutScale(in);
    EXPECT_EQ(thin.subTickLength, thin.tickLength / 2);
    in.lineWidth = 0;
    const ScaleLayout none = layoutScale(in);
    EXPECT_EQ(thin.pointerArea.left, none.pointerArea.left + 1);
    EXPECT_EQ(thin.pointerArea.top, none.pointerArea.top + 1);
    EXPECT_EQ(thin.pointerArea.right, none.pointerArea.right);
    EXPECT_EQ(thin.pointerArea.bottom, none.pointerArea.bottom);
    // The scale line is placed before the shift.
    EXPECT_EQ(thin.arcRect, none.arcRect);
}

TEST(ScaleLayout, OneSubStepDrawsNoSubTicks) {
    ScaleLayoutInput in = mainWindowDial();
    in.subSteps = 1;
    const ScaleLayout L = layoutScale(in);
    EXPECT_TRUE(L.subTicks.empty());
    EXPECT_EQ(L.mainTicks.size(), 11u);
}

TEST(ScaleLayout, FullCircleLeavesOutTheClosingLabel) {
    ScaleLayoutInput in = mainWindowDial();
    in.sweepAngle = 360;
    in.startAngle = 0;
    in.steps = 4;
    const ScaleLayout L = layoutScale(in);
    EXPECT_FALSE(L.closingLabel);
    ASSERT_EQ(L.mainTicks.size(), 5u);
    EXPECT_EQ(L.mainTicks.front().outer, L.mainTicks.back().outer);
}

TEST(ScaleLayout, LogSubTicksMarkTwoToNineWithinADecade) {
    ScaleLayoutInput in = mainWindowDial();
    in.logMode = true;
    in.steps = 2;
    in.subSteps = 10; // 90 degrees per decade
    const ScaleLayout L = layoutScale(in);
    ASSERT_EQ(L.subTicks.size(), 18u);
    EXPECT_EQ(L.subTicks[0].angle, 0);  // j = 1 lies on the main tick
    EXPECT_EQ(L.subTicks[1].angle, 27); // log10(2) * 90
    EXPECT_EQ(L.subTicks[8].angle, 86); // log10(9) * 90
    EXPECT_EQ(L.subTicks[10].angle, 117);
}

TEST(ScaleSettingsSetters, ConstructorValues) {
    const ScaleSettings s;
    EXPECT_EQ(s.color(), clBlack);
    EXPECT_EQ(s.pointerColor(), clLime);
    EXPECT_TRUE(s.drawLine());
    EXPECT_EQ(s.font().name, "Arial");
    EXPECT_EQ(s.font().size, 14);
    EXPECT_FALSE(s.posLeftTop());
    EXPECT_EQ(s.valueFormat(), "##0");
    EXPECT_EQ(s.valueFormatLog(), "0e-0");
    EXPECT_FALSE(s.logMode());
    // Layout values before the first paint.
    EXPECT_EQ(s.lineWidth(), 2);
    EXPECT_EQ(s.labelMargin(), 4);
    EXPECT_EQ(s.tickLength(), 14);
    EXPECT_EQ(s.subTickLength(), 7);
}

TEST(ScaleSettingsSetters, StepsAndSubStepsIgnoreOutOfRangeValues) {
    ScaleSettings s;
    int changes = 0;
    s.onChange = [&](SettingsObject&) { ++changes; };
    EXPECT_EQ(s.steps(), 5);
    s.setSteps(21);
    s.setSteps(0);
    EXPECT_EQ(s.steps(), 5);
    EXPECT_EQ(changes, 0);
    s.setSteps(20);
    EXPECT_EQ(s.steps(), 20);
    EXPECT_EQ(changes, 1);
    s.setSteps(20); // an accepted value notifies even when it is the same
    EXPECT_EQ(changes, 2);

    EXPECT_EQ(s.subSteps(), 2);
    s.setSubSteps(11);
    s.setSubSteps(0);
    EXPECT_EQ(s.subSteps(), 2);
    EXPECT_EQ(changes, 2);
    s.setSubSteps(1);
    s.setSubSteps(10);
    EXPECT_EQ(s.subSteps(), 10);
    EXPECT_EQ(changes, 4);
}

TEST(ScaleSettingsSetters, CommonRuleAndAlwaysNotifyingSetters) {
    ScaleSettings s;
    int changes = 0;
    s.onChange = [&](SettingsObject&) { ++changes; };
    s.setColor(clBlack);
    s.setPointerColor(clLime);
    s.setPosLeftTop(false);
    s.setValueFormat("##0");
    s.setValueFormatLog("0e-0");
    EXPECT_EQ(changes, 0);
    s.setValueFormat("0.0");
    EXPECT_EQ(changes, 1);
    s.setDrawLine(true); // stores without comparing
    EXPECT_EQ(changes, 2);
    s.editFont([](FontSpec& f) { f.height = -19; });
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(s.font().height, -19);
    EXPECT_EQ(s.font().name, "Arial");
}

TEST(ScaleSettingsSetters, AssignCopiesEveryPublishedValue) {
    ScaleSettings a;
    a.setColor(clRed);
    a.setPointerColor(clNavy);
    a.setDrawLine(false);
    FontSpec f;
    f.name = "Arial";
    f.height = -19;
    a.setFont(f);
    a.setPosLeftTop(true);
    a.setSteps(10);
    a.setSubSteps(5);
    a.setValueFormat("0.0");
    a.setValueFormatLog("0.0e+00");
    ScaleSettings b;
    int changes = 0;
    b.onChange = [&](SettingsObject&) { ++changes; };
    b.assign(a);
    EXPECT_EQ(b.color(), clRed);
    EXPECT_EQ(b.pointerColor(), clNavy);
    EXPECT_FALSE(b.drawLine());
    EXPECT_EQ(b.font(), f);
    EXPECT_TRUE(b.posLeftTop());
    EXPECT_EQ(b.steps(), 10);
    EXPECT_EQ(b.subSteps(), 5);
    EXPECT_EQ(b.valueFormat(), "0.0");
    EXPECT_EQ(b.valueFormatLog(), "0.0e+00");
    EXPECT_GT(changes, 0);
}

TEST(ScaleLabels, LinearLabelsEndExactlyOnValueTo) {
    std::vector<std::string> tenths, hundreds;
    for (int i = 0; i <= 10; ++i) {
        tenths.push_back(dec("0." + std::to_string(i)));
        hundreds.push_back(dec(std::to_string(i * 100) + ".0"));
    }
    tenths.back() = dec("1.0");
    EXPECT_EQ(linearScaleLabels(0.000001f, 1.0f, 10, "0.0"), tenths);
    EXPECT_EQ(linearScaleLabels(0.000001f, 1000.0f, 10, "0.0"), hundreds);
    const auto meter = linearScaleLabels(0.000001f, 10.0f, 10, "0.0");
    ASSERT_EQ(meter.size(), 11u);
    EXPECT_EQ(meter.front(), dec("0.0"));
    EXPECT_EQ(meter[3], dec("3.0"));
    EXPECT_EQ(meter.back(), dec("10.0"));
}

TEST(ScaleLabels, LogRangeStepsAreTheLargestDivisorOfTheDecades) {
    struct Row {
        double from, to;
        int steps, decadeFrom, decadeTo, logSteps;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {0.001, 1000, 5, -3, 3, 3, {"1e-3", "1e-1", "1e1", "1e3"}},
        {0.000001,
         10,
         10,
         -6,
         1,
         7,
         {"1e-6", "1e-5", "1e-4", "1e-3", "1e-2", "1e-1", "1e0", "1e1"}},
        {0.000001, 10, 5, -6, 1, 1, {"1e-6", "1e1"}},
        {1, 1, 5, 0, 0, 1, {"1e0"}},
        {0.01, 100, 1, -2, 2, 1, {"1e-2", "1e2"}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.from);
        const LogScaleRange range = logScaleRange(r.from, r.to, r.steps);
        EXPECT_EQ(range.decadeFrom, r.decadeFrom);
        EXPECT_EQ(range.decadeTo, r.decadeTo);
        EXPECT_EQ(range.steps, r.logSteps);
        EXPECT_EQ(logScaleLabels(range, "0e-0"), r.labels);
    }
}

TEST(ScaleLabels, NonPositiveLogBoundsDoNotBreakTheLayout) {
    const LogScaleRange range = logScaleRange(0.0, -5.0, 10);
    EXPECT_EQ(range.decadeFrom, 0);
    EXPECT_EQ(range.decadeTo, 0);
    EXPECT_EQ(logScaleLabels(range, "0e-0").size(), 1u);
}

class ScaleDrawing : public ::testing::Test {
protected:
    QImage image{460, 260, QImage::Format_RGB32};
    ScaleSettings scale;

    void SetUp() override {
        image.fill(Qt::white);
        FontSpec f;
        f.name = "Arial";
        f.height = -19;
        f.color = clBlack;
        scale.setFont(f);
        scale.setSteps(10);
        scale.setSubSteps(5);
        scale.setValueFormat("0.0");
        scale.setColor(clRed);
    }
};

TEST_F(ScaleDrawing, PrepareMeasuresTheLabels) {
    Canvas c(image);
    scale.prepareScale(c, 0.000001f, 10.0f);
    EXPECT_EQ(scale.labelList(), dec("0.0;1.0;2.0;3.0;4.0;5.0;6.0;7.0;8.0;9.0;10.0;"));
    c.setFont(scale.font());
    EXPECT_EQ(scale.labelWidth(), c.textWidth(dec("10.0")));
    EXPECT_EQ(scale.labelHeight(), c.textHeight(scale.labelList()));
    EXPECT_EQ(scale.lineWidth(), scaleLineWidth(scale.labelHeight()));
    EXPECT_EQ(scale.labelMargin(), scaleLabelMargin(scale.labelWidth(), scale.labelHeight()));
    EXPECT_EQ(c.penColor(), clRed);
}

TEST_F(ScaleDrawing, DrawingFollowsTheLayoutAndReturnsThePointerArea) {
    Canvas c(image);
    scale.prepareScale(c, 0.000001f, 10.0f);
    Rect r{7, 7, 449, 241};
    ScaleLayoutInput in;
    in.rect = r;
    in.labelWidth = scale.labelWidth();
    in.labelHeight = scale.labelHeight();
    in.labelMargin = scale.labelMargin();
    in.lineWidth = scale.lineWidth();
    in.steps = 10;
    in.subSteps = 5;
    const ScaleLayout L = layoutScale(in);
    scale.drawScale(c, r, 270, 180);
    EXPECT_EQ(r, L.pointerArea);
    EXPECT_EQ(scale.tickLength(), L.tickLength);
    EXPECT_EQ(scale.subTickLength(), L.subTickLength);
    EXPECT_EQ(scale.dialCenter(), L.center);
    EXPECT_EQ(scale.arcRect(), L.arcRect);
    EXPECT_EQ(scale.arcStart(), L.arcStart);
    EXPECT_EQ(scale.arcEnd(), L.arcEnd);
    // Ticks in the scale colour: the first main tick (horizontal, from its outer end) and
    // the middle one (vertical).
    const ScaleMainTick& first = L.mainTicks.front();
    EXPECT_EQ(c.pixel(first.outer.x, first.outer.y), clRed);
    EXPECT_EQ(c.pixel(first.inner.x - 1, first.inner.y), clRed);
    const ScaleMainTick& mid = L.mainTicks[5];
    EXPECT_EQ(c.pixel(mid.outer.x, mid.outer.y + 2), clRed);
    // A sub tick's start pixel.
    EXPECT_EQ(c.pixel(L.subTicks[2].inner.x, L.subTicks[2].inner.y), clRed);
    // Nothing is drawn at the dial centre.
    EXPECT_EQ(c.pixel(L.center.x, L.center.y - 60), clWhite);
}

TEST_F(ScaleDrawing, MainTicksTakeTheLineWidthSubTicksOnePixel) {
    // A full circle from 12 o'clock with one main step and four sub steps: the main tick
    // points up, the sub ticks right, down and left, all straight lines.
    QImage img(460, 460, QImage::Format_RGB32);
    img.fill(Qt::white);
    Canvas c(img);
    scale.setSteps(1);
    scale.setSubSteps(4);
    scale.prepareScale(c, 0.000001f, 10.0f);
    ASSERT_EQ(scale.lineWidth(), 2);
    Rect r{0, 0, 460, 460};
    scale.drawScale(c, r, 0, 360);
    const Point centre = scale.dialCenter();
    const int R =
        (460 - 2 * scale.labelMargin()) / 2 - scale.labelWidth() / 2 + scale.labelMargin();
    const int tickMiddle = R - scale.labelMargin() - scale.tickLength() / 2;
    const int subMiddle = R - scale.labelMargin() - scale.tickLength() + scale.subTickLength() / 2;
    auto redInRow = [&](int y) {
        int n = 0;
        for (int x = centre.x - 6; x <= centre.x + 6; ++x)
            n += c.pixel(x, y) == clRed;
        return n;
    };
    auto redInColumn = [&](int x) {
        int n = 0;
        for (int y = centre.y - 6; y <= centre.y + 6; ++y)
            n += c.pixel(x, y) == clRed;
        return n;
    };
    EXPECT_EQ(redInRow(centre.y - tickMiddle), 2);
    EXPECT_EQ(redInRow(centre.y + subMiddle), 1);
    EXPECT_EQ(redInColumn(centre.x + subMiddle), 1);
    EXPECT_EQ(redInColumn(centre.x - subMiddle), 1);
    // The pen is left at one pixel for whoever draws next.
    EXPECT_EQ(c.penWidth(), 1);
}

TEST_F(ScaleDrawing, FullCirclePrintsOneLabelFewer) {
    // On a full circle the closing label would cover the first: only the first must show.
    auto render = [&](int sweep, const std::string& onlyLabel) {
        QImage img(460, 460, QImage::Format_RGB32);
        img.fill(Qt::white);
        Canvas c(img);
        scale.setSteps(4);
        scale.prepareScale(c, 0.000001f, 8.0f);
        Rect r{0, 0, 460, 460};
        ScaleLayoutInput in;
        in.rect = r;
        in.labelWidth = scale.labelWidth();
        in.labelHeight = scale.labelHeight();
        in.labelMargin = scale.labelMargin();
        in.lineWidth = scale.lineWidth();
        in.steps = 4;
        in.subSteps = 5;
        in.startAngle = 0;
        in.sweepAngle = sweep;
        const Point at = layoutScale(in).mainTicks.front().label;
        scale.drawScale(c, r, 0, sweep);
        // The label box alone, compared with the same text printed on an empty image.
        QImage ref(460, 460, QImage::Format_RGB32);
        ref.fill(Qt::white);
        Canvas rc(ref);
        rc.setFont(scale.font());
        rc.setBackMode(BackMode::Transparent);
        const Size e = rc.textExtent(onlyLabel);
        rc.textOut(at.x - e.width / 2, at.y - e.height / 2, onlyLabel);
        const QRect box(at.x - e.width / 2, at.y - e.height / 2, e.width, e.height);
        return img.copy(box) == ref.copy(box);
    };
    EXPECT_TRUE(render(360, dec("0.0")));
}

} // namespace
} // namespace kv
