#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "series_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace kv {
namespace {

// --- Step maths ----------------------------------------------------------------------------

TEST(NextNiceStep, RunsThroughOneTwoFiveInEveryDecade) {
    struct Row {
        double in, out;
    };
    const Row rows[] = {{1, 2},     {1.5, 2},   {2, 5},      {4.99, 5}, {5, 10},
                        {9.9, 10},  {10, 20},   {20, 50},    {50, 100}, {0.5, 1},
                        {0.2, 0.5}, {0.1, 0.2}, {0.05, 0.1}, {2e5, 5e5}};
    for (const Row& r : rows)
        EXPECT_NEAR(nextNiceStep(r.in), r.out, r.out * 1e-9) << r.in;
    // From the smallest step the sequence climbs (the decimals below 1 are only near).
    double s = kMinLabelStep;
    int steps = 0;
    while (s < 1 && steps < 60) {
        const double next = nextNiceStep(s);
        ASSERT_GT(next, s);
        s = next;
        ++steps;
    }
    EXPECT_NEAR(s, 1, 1e-9);
    EXPECT_LE(steps, 40);
    // No successor for what is not a positive finite step (instead of recursing forever).
    EXPECT_TRUE(std::isinf(nextNiceStep(std::numeric_limits<double>::infinity())));
    EXPECT_EQ(nextNiceStep(0), 0);
}

double stepFor(double minimum, double maximum, int count, double increment = 0) {
    ChartAxis a(false, false);
    a.setIncrement(increment);
    a.setScale(minimum, maximum);
    return a.chooseLabelStep(count);
}

TEST(ChooseLabelStep, TableOfSpansAndCounts) {
    struct Row {
        double min, max;
        int count;
        double increment, step;
    };
    const Row rows[] = {
        {0.5, 2.3, 16, 0, 1},   // span 1.8: starts at 1, never below
        {10, 95, 16, 0, 10},    // 1, 2, 5 (k = 17), 10 (8.5 -> 8)
        {10, 95, 17, 0, 5},     // 17 fit
        {10, 95, 8, 0, 10},     //
        {0, 1000, 16, 0, 100},  // 10 labels
        {-3, 3, 6, 0, 1},       // k = 6 is not above 6
        {0, 0, 16, 0, 1e-12},   // zero span
        {5, 5, 16, 0, 1e-12},   //
        {0, 100, 0, 0, 1e-12},  // no room
        {0, 85, 16, 3, 10},     // increment 3 -> 5 -> 10
        {0, 85, 100, 3, 3},     // the increment fits as it is
        {0, 1e15, 10, 0, 1e14}, // large spans climb the sequence
    };
    for (const Row& r : rows)
        EXPECT_NEAR(stepFor(r.min, r.max, r.count, r.increment), r.step, r.step * 1e-9)
            << r.min << ".." << r.max << " count " << r.count;
}

TEST(ChooseLabelStep, SmallSpansStartFromTheSmallestStep) {
    // span 0.5 with 10 labels: 1e-12 climbs to 0.05 (k = 10).
    EXPECT_NEAR(stepFor(0, 0.5, 10), 0.05, 1e-12);
    EXPECT_NEAR(stepFor(0, 0.5, 4), 0.2, 1e-12);
}

TEST(ChooseLabelStep, NoSeparationKeepsTheStartingStep) {
    ChartAxis a(false, false);
    a.setLabelsSeparation(0);
    a.setScale(0, 85);
    EXPECT_EQ(a.chooseLabelStep(3), 1.0);
}

TEST(ChooseLabelStep, EndsForSpansTooLargeToMeasure) {
    const double inf = std::numeric_limits<double>::infinity();
    ChartAxis a(false, false);
    a.setScale(-inf, inf);
    EXPECT_GE(a.chooseLabelStep(10), kMinLabelStep);
    a.setScale(-1.7e308, 1.7e308); // the span itself overflows
    EXPECT_GE(a.chooseLabelStep(10), kMinLabelStep);
}

// --- Value and pixel ------------------------------------------------------------------------

TEST(AxisMapping, VerticalAxisPutsTheMaximumOnTopAndHorizontalTheMinimumLeft) {
    ChartAxis v(false, false), h(true, false);
    const Rect plot{14, 30, 442, 252};
    v.setPixelSpan(plot);
    h.setPixelSpan(plot);
    EXPECT_EQ(v.startPixel(), 30);
    EXPECT_EQ(v.endPixel(), 252);
    EXPECT_EQ(v.axisLength(), 222);
    EXPECT_EQ(v.centerPixel(), 141);
    EXPECT_EQ(h.centerPixel(), 228);
    v.setScale(-1, 10);
    h.setScale(0, 99);
    EXPECT_EQ(v.valueToPixel(10), 30);
    EXPECT_EQ(v.valueToPixel(-1), 252);
    EXPECT_EQ(h.valueToPixel(0), 14);
    EXPECT_EQ(h.valueToPixel(99), 442);
    EXPECT_EQ(v.pixelToValue(30), 10);
    EXPECT_EQ(v.pixelToValue(252), -1);
    EXPECT_EQ(h.pixelToValue(442), 99);
    EXPECT_NEAR(h.pixelToValue(h.valueToPixel(50)), 50, 0.5);

    v.setInverted(true);
    h.setInverted(true);
    EXPECT_EQ(v.valueToPixel(10), 252);
    EXPECT_EQ(h.valueToPixel(0), 442);
    EXPECT_EQ(v.pixelToValue(252), 10); // inverted: the maximum lies on the bottom edge
    EXPECT_EQ(h.pixelToValue(14), 99);
}

TEST(AxisMapping, HalfPixelsRoundToEven) {
    ChartAxis h(true, false);
    h.setPixelSpan(Rect{0, 0, 10, 10});
    h.setScale(0, 20);                // half a pixel per unit
    EXPECT_EQ(h.valueToPixel(1), 0);  // 0.5 -> 0
    EXPECT_EQ(h.valueToPixel(3), 2);  // 1.5 -> 2
    EXPECT_EQ(h.valueToPixel(5), 2);  // 2.5 -> 2
    EXPECT_EQ(h.valueToPixel(-1), 0); // -0.5 -> 0
}

TEST(AxisMapping, ZeroSpanAndHugeOffsetsGiveTheCentre) {
    ChartAxis v(false, false);
    v.setPixelSpan(Rect{0, 11, 100, 211});
    v.setScale(3, 3);
    EXPECT_EQ(v.valueToPixel(3), 111);
    EXPECT_EQ(v.valueToPixel(-1e300), 111);
    EXPECT_FALSE(v.mapsLinearly(3));
    v.setScale(0, 1e-9);
    EXPECT_EQ(v.valueToPixel(1e6), 111); // 2e17 pixels away
    EXPECT_EQ(v.valueToPixel(std::numeric_limits<double>::quiet_NaN()), 111);
    EXPECT_FALSE(v.mapsLinearly(1e6));
    // Just inside the limit the pixel is far off but does not wrap around.
    v.setScale(0, 1);
    EXPECT_EQ(v.valueToPixel(-1e7), 211 + 2000000000);
    EXPECT_EQ(v.valueToPixel(1e7), 211 - 2000000000);
    v.setPixelSpan(Rect{});
    EXPECT_EQ(v.pixelToValue(5), 0); // no length
}

TEST(AxisMapping, PositionsInPercentOfThePlot) {
    ChartAxis h(true, false);
    h.setStartPosition(10);
    h.setEndPosition(90);
    h.setPixelSpan(Rect{100, 0, 300, 50});
    EXPECT_EQ(h.startPixel(), 120);
    EXPECT_EQ(h.endPixel(), 280);
}

// --- Range from the series ----------------------------------------------------------------

TEST(AxisRange, AutomaticRangeFollowsTheBoundSeries) {
    ChartAxis bottom(true, false), left(false, false), right(false, true);
    LineSeries a, b;
    a.setAxes(&bottom, &left);
    b.setAxes(&bottom, &left);
    const std::vector<ChartSeries*> all{&a, &b};

    left.adjustRange(all); // no points anywhere
    EXPECT_EQ(left.scaleMin(), 0);
    EXPECT_EQ(left.scaleMax(), 0);

    for (double v : {2.0, 5.0, 3.0})
        a.appendPoint(v, "", 0);
    b.appendPoint(-1, "", 0);
    left.adjustRange(all);
    bottom.adjustRange(all);
    right.adjustRange(all);
    EXPECT_EQ(left.scaleMin(), -1);
    EXPECT_EQ(left.scaleMax(), 5);
    EXPECT_EQ(left.scaleSpan(), 6);
    EXPECT_EQ(bottom.scaleMin(), 0);
    EXPECT_EQ(bottom.scaleMax(), 2);
    EXPECT_EQ(right.scaleMax(), 0); // nothing bound to it

    b.setActive(false); // an inactive series counts only when no active one is bound
    left.adjustRange(all);
    EXPECT_EQ(left.scaleMin(), 2);
    a.setActive(false);
    left.adjustRange(all);
    EXPECT_EQ(left.scaleMin(), -1);

    left.setAutomatic(false);
    left.setAutomaticMinimum(false);
    left.setMinMax(-10, 1);
    left.adjustRange(all); // the maximum still follows
    EXPECT_EQ(left.scaleMin(), -10);
    EXPECT_EQ(left.scaleMax(), 5);
}

TEST(AxisSettings, ChangesNotifyOnceAndDefaultsAreTheChartsOwn) {
    ChartAxis left(false, false);
    int changes = 0;
    left.onChange = [&](SettingsObject&) { ++changes; };
    left.setMinMax(1, 2);
    left.setMinMax(1, 2);
    left.grid().setVisible(false);
    left.setTickLength(4); // unchanged
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(left.axisValuesFormat(), "#,##0.###");
    EXPECT_EQ(left.labelsSeparation(), 10);
    EXPECT_EQ(left.minorTickCount(), 3);
    EXPECT_EQ(left.axisPen().width(), 2);
    EXPECT_EQ(left.grid().style(), PenStyle::psDot);
    EXPECT_FALSE(left.minorGrid().visible());
    EXPECT_EQ(left.title().angle(), 90);
    EXPECT_EQ(ChartAxis(false, true).title().angle(), 270);
    EXPECT_FALSE(ChartDepthAxis().visible());
}

// --- Labels, ticks and space -------------------------------------------------------------

// A left axis over readings, with a plot height chosen so that exactly `count` labels fit.
struct LeftAxisRig {
    QImage image{400, 700, QImage::Format_RGB32};
    ChartAxis left{false, false};
    LineSeries series;
    Rect plot;  // before the axis takes its space
    Rect drawn; // after

    LeftAxisRig(const std::vector<double>& readings, int count) {
        series.setAxes(nullptr, &left);
        for (double v : readings)
            series.appendPoint(v, "", 0);
        image.fill(Qt::white);
        Canvas c(image);
        c.setFont(left.labelsFont());
        const int h = c.textHeight("W");
        const int size = h + int(std::nearbyint(h * 0.1));
        plot = Rect{100, 20, 300, 20 + count * size};
        left.adjustRange({&series});
        left.setPixelSpan(plot);
        EXPECT_EQ(left.maxLabelCount(c), count);
    }

    const std::vector<int>& draw() {
        Canvas c(image);
        drawn = plot;
        left.applySpace(c, drawn);
        left.setPixelSpan(drawn);
        left.draw(c, drawn, clBtnFace);
        return left.tickList();
    }
};

TEST(LabelWalk, SpanAboveOneNeverStepsBelowOne) {
    LeftAxisRig rig({0.5, 1.0, 2.3}, 16);
    EXPECT_EQ(rig.left.chooseLabelStep(16), 1.0);
    EXPECT_EQ(rig.draw(), (std::vector<int>{rig.left.valueToPixel(2), rig.left.valueToPixel(1)}));
}

TEST(LabelWalk, TenToNinetyFiveGivesNineLabelsTenApart) {
    LeftAxisRig rig({10, 40, 95}, 16);
    const std::vector<int> ticks = rig.draw();
    ASSERT_EQ(ticks.size(), 9u);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(ticks[std::size_t(i)], rig.left.valueToPixel(90 - 10 * i));
}

TEST(LabelWalk, EmptySeriesAndEqualZerosShowOneLabelAtTheMiddle) {
    for (const std::vector<double>& readings : {std::vector<double>{}, {0.0, 0.0, 0.0}}) {
        LeftAxisRig rig(readings, 12);
        EXPECT_EQ(rig.draw(), std::vector<int>{rig.left.centerPixel()});
    }
}

TEST(LabelWalk, EqualPositiveReadingsLabelTheMiddleOnly) {
    for (double v : {5.0, 1234.5, 16383.0, 16384.0, 20000.0, 1e12}) {
        LeftAxisRig rig({v, v}, 12);
        const std::vector<int> ticks = rig.draw(); // must end, also at 16384 and beyond
        ASSERT_FALSE(ticks.empty()) << v;
        EXPECT_LE(ticks.size(), std::size_t(kMaxTicks));
        for (int t : ticks)
            EXPECT_EQ(t, rig.left.centerPixel()) << v;
    }
}

TEST(LabelWalk, EqualNegativeReadingsShowNoLabel) {
    LeftAxisRig rig({-3.5, -3.5}, 12);
    EXPECT_TRUE(rig.draw().empty());
}

TEST(LabelWalk, LabelOnANegativeMinimumIsLeftOutOnAPositiveOneDrawn) {
    LeftAxisRig negative({-5, 5}, 16); // step 1
    const std::vector<int> n = negative.draw();
    ASSERT_EQ(n.size(), 10u); // 5 .. -4
    EXPECT_EQ(n.back(), negative.left.valueToPixel(-4));

    LeftAxisRig positive({1, 5}, 16);
    const std::vector<int> p = positive.draw();
    ASSERT_EQ(p.size(), 5u); // 5 .. 1
    EXPECT_EQ(p.back(), positive.left.valueToPixel(1));
}

TEST(LabelWalk, TooManyStepsDrawNoLabels) {
    LeftAxisRig rig({0, 100000}, 16);
    rig.left.setIncrement(1);
    rig.left.setLabelsSeparation(0); // keep the increment as the step
    EXPECT_TRUE(rig.draw().empty());
}

TEST(AxisSpace, TickAreaIsPenPlusTicksAtLeastTheMinorTicks) {
    ChartAxis a(false, false);
    EXPECT_EQ(a.tickAreaWidth(), 6);
    a.axisPen().setVisible(false);
    EXPECT_EQ(a.tickAreaWidth(), 4);
    a.ticks().setVisible(false);
    EXPECT_EQ(a.tickAreaWidth(), 2);
    a.setMinorTickLength(9);
    EXPECT_EQ(a.tickAreaWidth(), 9);
}

TEST(AxisSpace, LabelColumnUsesTheAxisLengthOfThePreviousLayout) {
    QImage img(10, 10, QImage::Format_RGB32);
    Canvas c(img);
    ChartAxis left(false, false);
    left.setScale(-12345.678, 3);
    // First layout: no length yet, so the step is tiny and the labels are the extremes.
    const int first = left.labelColumnWidth(c);
    c.setFont(left.labelsFont());
    EXPECT_EQ(first, c.textWidth(left.labelText(-12345.678)) + c.textWidth(" "));
    // Once a length is known the labels are rounded to the step and get shorter.
    left.setPixelSpan(Rect{0, 0, 100, 200});
    const int second = left.labelColumnWidth(c);
    EXPECT_LT(second, first);
    left.setLabelsSize(77);
    EXPECT_EQ(left.labelColumnWidth(c), 77);
}

TEST(AxisSpace, LeftAxisTakesLabelsThenTicksFromTheLeftEdge) {
    QImage img(10, 10, QImage::Format_RGB32);
    Canvas c(img);
    ChartAxis left(false, false);
    left.setScale(0, 10);
    const int column = left.labelColumnWidth(c);
    Rect r{14, 30, 442, 252};
    left.applySpace(c, r);
    EXPECT_EQ(left.labelsPos(), 14 + column);
    EXPECT_EQ(r.left, 14 + column + 6);
    EXPECT_EQ(r.right, 442);

    ChartAxis bottom(true, false);
    bottom.setScale(0, 10);
    Rect b{14, 30, 442, 252};
    bottom.applySpace(c, b);
    EXPECT_LT(b.bottom, 252 - 6);
    EXPECT_EQ(bottom.labelsPos(), b.bottom + 6);
}

TEST(AxisDrawing, LineTicksGridAndMinorTicksOnTheLeft) {
    LeftAxisRig rig({0, 10}, 11);
    const std::vector<int> ticks = rig.draw();
    const Rect plot = rig.drawn;
    ASSERT_GE(ticks.size(), 3u);
    const QImage& img = rig.image;
    const QRgb grey = qRgb(0x80, 0x80, 0x80);
    EXPECT_EQ(rig.left.axisLinePos(), plot.left);
    // The axis line (grid lines cross it on the tick rows).
    EXPECT_EQ(img.pixel(plot.left, ticks[0] + 1) & 0xFFFFFF, 0u);
    const int y = ticks[1];
    // Ticks run outward from one pixel left of the axis line, four pixels long.
    for (int x = plot.left - 4; x <= plot.left - 1; ++x)
        EXPECT_EQ(img.pixel(x, y), grey) << x;
    EXPECT_EQ(img.pixel(plot.left - 5, y) & 0xFFFFFF, 0xFFFFFFu);
    // The dotted grid crosses the plot on the tick's row: some grey, some not.
    int greyOnRow = 0;
    for (int x = plot.left + 2; x < plot.right; ++x)
        greyOnRow += img.pixel(x, y) == grey;
    EXPECT_GT(greyOnRow, (plot.right - plot.left) / 4);
    EXPECT_LT(greyOnRow, plot.right - plot.left - 2);
    // Minor ticks: three between two labels, two pixels long, clear of the grid.
    const int minor = ticks[1] - int(std::nearbyint((ticks[1] - ticks[0]) / 4.0));
    EXPECT_EQ(img.pixel(plot.left - 1, minor), grey);
    EXPECT_EQ(img.pixel(plot.left - 2, minor), grey);
    EXPECT_EQ(img.pixel(plot.left - 3, minor) & 0xFFFFFF, 0xFFFFFFu);
    // Labels right-aligned left of the tick area.
    bool labelInk = false;
    for (int x = rig.left.labelsPos() - 30; x < rig.left.labelsPos(); ++x)
        for (int dy = -3; dy <= 3; ++dy)
            labelInk |= (img.pixel(x, y + dy) & 0xFFFFFF) == 0;
    EXPECT_TRUE(labelInk);
    for (int x = rig.left.labelsPos(); x < plot.left - 5; ++x)
        EXPECT_EQ(img.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x;
}

// Between the labels and the axis line only ticks and minor ticks: ticks cover the four
// columns left of the line, minor ticks the two nearest it (the nearest one lies under
// the two-pixel axis line), at exactly the rows the label walk and the quarters between
// (and beyond) the labels give; the grid stops one pixel short of the plot's right edge.
TEST(AxisDrawing, TickColumnsHoldExactlyTheTicksAndMinorTicks) {
    for (const std::vector<double>& readings :
         {std::vector<double>{0, 10}, {-3.7, 41.2}, {0.02, 0.93}, {1, 5}}) {
        LeftAxisRig rig(readings, 13);
        const std::vector<int> ticks = rig.draw();
        ASSERT_GE(ticks.size(), 2u);
        const int line = rig.left.axisLinePos();
        const int start = rig.left.startPixel(), end = rig.left.endPixel();
        std::set<int> major(ticks.begin(), ticks.end()), minor;
        auto addMinor = [&](int p) {
            if (p > start && p < end)
                minor.insert(p);
        };
        for (int j = 1; j <= 3; ++j) {
            const int d = int(std::nearbyint((ticks[1] - ticks[0]) / 4.0 * j));
            addMinor(ticks.front() - d);
            addMinor(ticks.back() + d);
        }
        for (std::size_t i = 1; i < ticks.size(); ++i)
            for (int j = 1; j <= 3; ++j)
                addMinor(ticks[i] - int(std::nearbyint(j * (ticks[i] - ticks[i - 1]) / 4.0)));
        std::set<int> both = major;
        both.insert(minor.begin(), minor.end());
        auto inkedRows = [&](int x) {
            std::set<int> rows;
            for (int y = 0; y < rig.image.height(); ++y)
                if ((rig.image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    rows.insert(y);
            return rows;
        };
        const std::string what = std::to_string(readings.front());
        EXPECT_EQ(inkedRows(line - 2), both) << what;
        EXPECT_EQ(inkedRows(line - 3), major) << what;
        EXPECT_EQ(inkedRows(line - 4), major) << what;
        EXPECT_TRUE(inkedRows(line - 5).empty()) << what;
        EXPECT_TRUE(inkedRows(rig.drawn.right).empty()) << what;
        std::set<int> grid; // dots of three on, three off: some in the last six columns
        for (int x = rig.drawn.right - 6; x < rig.drawn.right; ++x)
            for (int y : inkedRows(x))
                grid.insert(y);
        EXPECT_EQ(grid, major) << what;
    }
}

// Each label is right-aligned against the label column's edge, centred on its tick row,
// without a box behind it (the rig's canvas starts with an opaque text background): the
// same text drawn there by hand gives the same pixels.
TEST(AxisDrawing, LabelsStandRightAlignedOnTheirRows) {
    LeftAxisRig rig({-3.7, 41.2}, 13);
    const std::vector<int> ticks = rig.draw();
    ASSERT_GE(ticks.size(), 3u);
    QImage expected(rig.image.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        Canvas c(expected);
        c.setFont(rig.left.labelsFont());
        const int h = c.textHeight("W");
        c.setBackMode(BackMode::Transparent);
        c.setTextAlign(HAlign::Right, VAlign::Top);
        const double step = rig.left.chooseLabelStep(rig.left.maxLabelCount(c));
        std::size_t k = 0;
        for (double v = std::trunc(rig.left.scaleMax() / step) * step; k < ticks.size();
             v -= step, ++k) {
            ASSERT_EQ(rig.left.valueToPixel(v), ticks[k]);
            c.textOut(rig.left.labelsPos(), ticks[k] - h / 2, rig.left.labelText(v));
        }
    }
    const QRect labels(0, 0, rig.left.labelsPos() + 1, rig.image.height());
    EXPECT_EQ(rig.image.copy(labels), expected.copy(labels));
}

TEST(AxisDrawing, TicksFollowTheLabelsUnlessToldOtherwise) {
    LeftAxisRig rig({0, 10}, 11);
    const std::size_t labelled = rig.draw().size();
    ASSERT_GT(labelled, 2u);
    rig.left.setLabels(false); // ticks only where labels are drawn: none
    EXPECT_TRUE(rig.draw().empty());
    rig.left.setTickOnLabelsOnly(false); // every walk value gets its tick
    EXPECT_EQ(rig.draw().size(), labelled);
}

// Labels switched off with the axis shifted into the plot: the label position is where the
// labels would stand, the same in every pass.
TEST(AxisSpace, LabelPositionDoesNotCreepFromPassToPass) {
    QImage img(10, 10, QImage::Format_RGB32);
    Canvas c(img);
    ChartAxis left(false, false);
    left.setScale(0, 10);
    left.setLabels(false);
    left.setPositionPercent(10);
    std::vector<int> seen;
    for (int pass = 0; pass < 3; ++pass) {
        Rect r{14, 30, 414, 252};
        left.applySpace(c, r);
        seen.push_back(left.labelsPos());
        EXPECT_EQ(r.left, 14 + 6);
    }
    // Shifted right by a tenth of the plot's width, once.
    EXPECT_GT(seen[0], 14 + 30);
    EXPECT_LT(seen[0], 14 + 45);
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], seen[0]);
}

} // namespace
} // namespace kv
