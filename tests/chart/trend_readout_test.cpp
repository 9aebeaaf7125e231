// The chart as a measuring tool, seen on the screen: the clock axis, the rolling window,
// the readout under the mouse, the two markers, and the two mends (readings on the range's
// ends, a change of unit).
#include "chart_fixture.h"
#include "format/number_format.h"
#include "series_plot.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::ConfiguredChart;

// 2025-12-09 14:00:00 UTC.
constexpr std::int64_t kT0 = 1765288800000;

struct RegionalComma {
    char dec = decimalChar(), grp = groupingChar();
    RegionalComma() {
        setDecimalChar(',');
        setGroupingChar('.');
    }
    ~RegionalComma() {
        setDecimalChar(dec);
        setGroupingChar(grp);
    }
};

// The window's chart in UTC with day.month.year dates, reading volts.
struct ClockChart : ConfiguredChart {
    ClockChart() {
        chart->bottomAxis().setClockOffset([](std::int64_t) { return std::int64_t(0); });
        chart->bottomAxis().setClockDateFormat("dd.MM.yyyy");
        series->setUnit("V-DC");
    }
    void at(double v, std::int64_t t) { series->appendAt(v, t, clBlack); }
    TrendChart& c() { return *chart; }
    Rect plot() const { return chart->plotRect(); }

    void mouse(QEvent::Type type, int x, int y, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(x, y), QPointF(x, y), b, held, Qt::NoModifier);
        QCoreApplication::sendEvent(chart.get(), &e);
    }
    void hover(int x, int y) { mouse(QEvent::MouseMove, x, y, Qt::NoButton, Qt::NoButton); }
    void click(int x, int y) {
        mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
    }
    void drag(int x0, int y0, int x1, int y1) {
        mouse(QEvent::MouseButtonPress, x0, y0, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, x1, y1, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, x1, y1, Qt::LeftButton, Qt::NoButton);
    }
    void leave() {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(chart.get(), &e);
    }
};

bool black(const QImage& img, int x, int y) {
    return (img.pixel(x, y) & 0xFFFFFF) == 0;
}

// Columns inside the plot's frame holding black (the line; the grid is grey).
std::vector<bool> inkedColumns(const QImage& img, const Rect& p) {
    std::vector<bool> out(std::size_t(img.width()), false);
    for (int x = p.left + 1; x < p.right; ++x)
        for (int y = p.top + 1; y < p.bottom; ++y)
            if (black(img, x, y))
                out[std::size_t(x)] = true;
    return out;
}

// Black pixels in the band of rows under the plot where the bottom labels stand.
bool labelInkNear(const QImage& img, const Rect& p, int x) {
    for (int y = p.bottom + 3; y < std::min(img.height(), p.bottom + 20); ++y)
        for (int dx = -6; dx <= 6; ++dx)
            if (x + dx >= 0 && x + dx < img.width() && black(img, x + dx, y))
                return true;
    return false;
}

TEST(ClockAxis, LabelsForASpanOfSecondsShowSecondsOnFiveSecondSteps) {
    ClockChart f;
    for (int i = 0; i < 300; ++i) // 30 s at ten readings a second
        f.at(1 + 0.1 * std::sin(i / 20.0), kT0 + i * 100);
    f.c().setTimeAxis(true);
    const QImage img = f.grab();
    const AxisBase& b = f.c().bottomAxis();
    EXPECT_EQ(b.clockStep(), 5 * kSecondMs);
    EXPECT_EQ(b.labelTexts(),
              (std::vector<std::string>{"14:00:00\n09.12.2025", "14:00:05", "14:00:10", "14:00:15",
                                        "14:00:20", "14:00:25"}));
    // The first point on the left edge, the last on the right; each label under its tick.
    EXPECT_EQ(f.series->xPixel(0), f.plot().left);
    EXPECT_EQ(f.series->xPixel(299), f.plot().right);
    ASSERT_EQ(b.tickList().size(), 6u);
    for (int x : b.tickList())
        EXPECT_TRUE(labelInkNear(img, f.plot(), x)) << x;
    // The labels take room under the plot, which the index chart does not.
    ConfiguredChart index;
    for (int i = 0; i < 300; ++i)
        index.append(1 + 0.1 * std::sin(i / 20.0));
    index.grab();
    EXPECT_LT(f.plot().bottom, index.chart->plotRect().bottom);
}

TEST(ClockAxis, LabelsForASpanOfHoursShowHoursAndMinutesAndTheDateAtMidnight) {
    ClockChart f;
    const std::int64_t start = kT0 + 9 * kHourMs; // 23:00
    for (int i = 0; i <= 720; ++i)                // two hours, every 10 s
        f.at(1 + (i % 7) * 0.01, start + i * 10000);
    for (int i = 1; i <= 4 * 360; ++i) // four more hours
        f.at(1.05, start + 2 * kHourMs + i * 10000);
    f.c().setTimeAxis(true);
    const QImage img = f.grab();
    const AxisBase& b = f.c().bottomAxis();
    EXPECT_EQ(b.clockStep(), kHourMs);
    // Midnight right after the first label gives the date alone.
    EXPECT_EQ(b.labelTexts(), (std::vector<std::string>{"23:00", "00:00\n10.12.2025", "01:00",
                                                        "02:00", "03:00", "04:00", "05:00"}));
    // Labels keep apart: a step is wider than a label and half another.
    const std::vector<int>& ticks = b.tickList();
    QImage scratch(8, 8, QImage::Format_RGB32);
    Canvas measure(scratch);
    measure.setFont(b.labelsFont());
    const int labelWidth = measure.textWidth("00:00");
    for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GE(ticks[i] - ticks[i - 1], labelWidth * 3 / 2);
    for (int x : ticks)
        EXPECT_TRUE(labelInkNear(img, f.plot(), x)) << x;
}

TEST(ClockAxis, ASilenceTakesItsRealLength) {
    ClockChart f;
    for (int i = 0; i < 100; ++i)
        f.at(1 + (i % 10) * 0.1, kT0 + i * 100);
    f.series->appendBreak(BreakReason::brGap);
    for (int i = 0; i < 100; ++i) // a minute of silence
        f.at(1 + (i % 10) * 0.1, kT0 + 70000 + i * 100);
    f.c().setTimeAxis(true);
    const QImage img = f.grab();
    const Rect p = f.plot();
    const std::vector<bool> ink = inkedColumns(img, p);
    // The widest run of empty columns inside the plot is the silence: from 9.9 s to 70 s
    // of 79.9 s.
    int best = 0, run = 0;
    for (int x = p.left + 1; x < p.right; ++x) {
        run = ink[std::size_t(x)] ? 0 : run + 1;
        best = std::max(best, run);
    }
    const double expected = 60.1 / 79.9 * p.width();
    EXPECT_NEAR(best, expected, 2.0);

    // On the index axis the same silence is the room of one reading.
    f.c().setTimeAxis(false);
    const QImage byIndex = f.grab();
    const std::vector<bool> ink2 = inkedColumns(byIndex, f.plot());
    best = run = 0;
    for (int x = f.plot().left + 1; x < f.plot().right; ++x) {
        run = ink2[std::size_t(x)] ? 0 : run + 1;
        best = std::max(best, run);
    }
    EXPECT_LE(best, 3);
}

TEST(ClockAxis, OffIsTheIndexChartPixelForPixel) {
    ClockChart timed;
    ConfiguredChart plain;
    for (int i = 0; i < 500; ++i) {
        const double v = 1.2 + 0.05 * std::sin(i / 30.0);
        timed.at(v, kT0 + i * 100 + (i > 250 ? 600000 : 0));
        plain.append(v);
    }
    const QImage before = plain.grab();
    EXPECT_EQ(timed.grab(), before);
    timed.c().setTimeAxis(true);
    EXPECT_NE(timed.grab(), before);
    timed.c().setTimeAxis(false);
    EXPECT_EQ(timed.grab(), before);
    EXPECT_FALSE(timed.c().bottomAxis().visible());
}

TEST(RollingWindow, FollowsTheNewestReadingWithTheRangeOfWhatItShows) {
    ClockChart f;
    for (int i = 0; i < 1800; ++i) // three minutes; the first two far higher
        f.at(i < 1199 ? 5.0 : 1 + (i % 10) * 0.1, kT0 + i * 100);
    f.c().setTimeAxis(true);
    f.c().setRollingWindow(RollingWindow::rwLastMinute);
    f.grab();
    const AxisBase& x = f.c().bottomAxis();
    const AxisBase& y = f.c().leftAxis();
    std::int64_t newest = kT0 + 1799 * 100;
    EXPECT_EQ(x.scaleMax(), double(newest));
    EXPECT_EQ(x.scaleMin(), double(newest - kMinuteMs));
    EXPECT_DOUBLE_EQ(y.scaleMin(), 1.0);
    EXPECT_DOUBLE_EQ(y.scaleMax(), 1.9);
    // Readings before the window are off the plot, to its left.
    EXPECT_LT(f.series->xPixel(1000), f.plot().left);

    // A new reading moves the window along.
    newest += 100;
    f.at(2.5, newest);
    f.grab();
    EXPECT_EQ(x.scaleMax(), double(newest));
    EXPECT_EQ(x.scaleMin(), double(newest - kMinuteMs));
    EXPECT_DOUBLE_EQ(y.scaleMax(), 2.5);

    // A zoom rectangle picks a time span and stops following; undoing it returns to the
    // window.
    const Rect p = f.plot();
    const double from = x.pixelToValue(p.left + 50), to = x.pixelToValue(p.left + 200);
    f.drag(p.left + 50, p.top + 20, p.left + 200, p.top + 150);
    f.grab();
    EXPECT_EQ(x.scaleMin(), from);
    EXPECT_EQ(x.scaleMax(), to);
    EXPECT_NEAR(to - from, 150.0 / p.width() * kMinuteMs, 1.0);
    const double zoomedMax = x.scaleMax();
    f.at(1.5, newest + 100);
    f.grab();
    EXPECT_EQ(x.scaleMax(), zoomedMax);
    f.drag(p.left + 200, p.top + 150, p.left + 50, p.top + 20);
    f.grab();
    EXPECT_EQ(x.scaleMax(), double(newest + 100));
    EXPECT_EQ(x.scaleMin(), double(newest + 100 - kMinuteMs));

    // On the index axis the window is the last 600 readings.
    f.c().setTimeAxis(false);
    f.grab();
    const int n = f.series->pointCount();
    EXPECT_EQ(x.scaleMax(), n - 1);
    EXPECT_EQ(x.scaleMin(), n - 600);
    f.c().setRollingWindow(RollingWindow::rwAll);
    f.grab();
    EXPECT_EQ(x.scaleMin(), 0);
    EXPECT_DOUBLE_EQ(y.scaleMax(), 5.0);
}

TEST(Readout, NamesTheNearestReadingsTimeValueAndUnit) {
    RegionalComma comma;
    ClockChart f;
    for (int i = 0; i < 10; ++i)
        f.at(1.234 + i, kT0 + 3 * kMinuteMs + i * 1000 + 125);
    f.c().setTimeAxis(true);
    f.c().show();
    const QImage before = f.grab();
    std::vector<QString> told;
    QObject::connect(&f.c(), &TrendChart::readoutChanged,
                     [&](const QString& text) { told.push_back(text); });
    const int x7 = f.series->xPixel(7);
    f.hover(x7 + 2, f.plot().top + 30);
    EXPECT_EQ(f.c().readoutText(), "14:03:07.125 8,234 V-DC");
    EXPECT_EQ(f.c().copyText(), f.c().readoutText());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].toStdString(), "14:03:07.125 8,234 V-DC");
    // The cursor line stands on the reading's column, grey, where the chart had none.
    const QImage shown = f.grab();
    const int y = f.plot().bottom - 3;
    EXPECT_EQ(shown.pixel(x7, y) & 0xFFFFFF, test::rgbOf(clGray) & 0xFFFFFF);
    EXPECT_NE(before.pixel(x7, y), shown.pixel(x7, y));

    // Leaving the plot restores the chart's own pixels exactly.
    f.leave();
    EXPECT_EQ(f.grab(), before);
    EXPECT_TRUE(f.c().readoutText().empty());
    ASSERT_EQ(told.size(), 2u);
    EXPECT_TRUE(told[1].isEmpty());
    // So does moving off the plot onto the title.
    f.hover(x7, f.plot().top + 30);
    EXPECT_NE(f.grab(), before);
    f.hover(x7, 3);
    EXPECT_EQ(f.grab(), before);
}

TEST(Readout, ADenseColumnGivesItsMinimumMaximumAndCount) {
    RegionalComma comma;
    ClockChart f;
    const int n = 40000;
    for (int i = 0; i < n; ++i)
        f.at(1 + (i * 37 % 101) * 0.001, kT0 + i * 100);
    f.c().setTimeAxis(true);
    f.grab();
    const int x = f.plot().left + 123;
    f.hover(x, f.plot().top + 40);
    // What the column holds, by walking it here.
    int first = -1, count = 0;
    double lo = 1e9, hi = -1e9;
    for (int i = 0; i < n; ++i) {
        if (f.series->xPixel(i) != x)
            continue;
        if (first < 0)
            first = i;
        ++count;
        lo = std::min(lo, f.series->yAt(i));
        hi = std::max(hi, f.series->yAt(i));
    }
    ASSERT_GE(count, kDenseColumn);
    const std::string time = clockMillisecondsText(f.series->timeAt(first));
    EXPECT_EQ(f.c().readoutText(), time + " min " + formatNumber("#,##0.####", lo) + " max " +
                                       formatNumber("#,##0.####", hi) + " V-DC, " +
                                       std::to_string(count) + " readings");
    EXPECT_EQ(f.c().readout().count, count);
}

TEST(Markers, TwoClicksMeasureBetweenThemSkippingBreaks) {
    RegionalComma comma;
    ClockChart f;
    // 1..10 one a second, a silence after 4 and an overload after 7.
    for (int v = 1; v <= 10; ++v) {
        f.at(v, kT0 + (v - 1) * 1000);
        if (v == 4)
            f.series->appendBreak(BreakReason::brGap, kT0 + 3500);
        if (v == 7)
            f.series->appendBreak(BreakReason::brOverload, kT0 + 6500);
    }
    f.c().setTimeAxis(true);
    const QImage unmarked = f.grab();
    const int plotTop = f.plot().top;
    std::vector<QString> told;
    QObject::connect(&f.c(), &TrendChart::markersChanged,
                     [&](const QString& text) { told.push_back(text); });

    f.click(f.series->xPixel(1) + 1, plotTop + 40); // on the reading 2
    EXPECT_EQ(f.c().markerA(), 1);
    EXPECT_EQ(f.c().markerB(), -1);
    EXPECT_TRUE(f.c().markersText().empty());
    f.click(f.series->xPixel(10) - 1, plotTop + 40); // on the reading 9
    EXPECT_EQ(f.c().markerB(), 10);
    const std::string line = "Δt 0:07.000 Δ 7 V-DC n 8 min 2 max 9 mean 5,5 σ 2,4495 gaps 1 "
                             "overloads 1";
    EXPECT_EQ(f.c().markersText(), line);
    EXPECT_EQ(f.c().copyText(), line);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].toStdString(), line);

    // On screen: the line above the plot moves the plot down by a line; the markers are
    // blue lines on the readings' columns.
    const QImage marked = f.grab();
    EXPECT_GT(f.plot().top, plotTop);
    for (int k : {1, 10}) {
        int blue = 0;
        for (int y = f.plot().top + 1; y < f.plot().bottom; ++y)
            blue += (marked.pixel(f.series->xPixel(k), y) & 0xFFFFFF) ==
                    (test::rgbOf(clBlue) & 0xFFFFFF);
        EXPECT_GT(blue, 20) << k;
    }
    bool textAbove = false;
    for (int y = plotTop; y < f.plot().top; ++y)
        for (int x = f.plot().left; x < f.plot().right; ++x)
            textAbove |= black(marked, x, y);
    EXPECT_TRUE(textAbove);

    // A third click starts again; clearing leaves the chart as it was.
    f.click(f.series->xPixel(4) + 1, f.plot().top + 40);
    EXPECT_EQ(f.c().markerA(), 5);
    EXPECT_EQ(f.c().markerB(), -1);
    f.c().clearMarkers();
    EXPECT_EQ(f.c().markerA(), -1);
    EXPECT_EQ(f.grab(), unmarked);
    // A drag below the zoom threshold is no click.
    f.drag(f.plot().left + 50, f.plot().top + 40, f.plot().left + 64, f.plot().top + 54);
    EXPECT_EQ(f.c().markerA(), -1);
    // Markers go with the points they stand on.
    f.c().setMarker(2);
    f.series->removeAllPoints();
    EXPECT_EQ(f.c().markerA(), -1);
}

TEST(Markers, WithoutTimesTheLineCountsReadings) {
    ConfiguredChart f;
    for (double v : {1.0, 3.0, 2.0})
        f.append(v);
    f.chart->setMarker(0);
    f.chart->setMarker(2);
    EXPECT_EQ(f.chart->markersText(), "Δn 2 Δ 1 n 3 min 1 max 3 mean 2 σ 1");
}

TEST(Mend, ReadingsOnTheRangesEndsShowOneRowInsideTheFrame) {
    // A plateau at the minimum, then one at the maximum.
    ConfiguredChart f;
    for (int i = 0; i < 40; ++i)
        f.append(i < 20 ? 0.0 : 1.0);
    const QImage img = f.grab();
    const Rect p = f.chart->plotRect();
    const int xLow = f.series->xPixel(10), xHigh = f.series->xPixel(30);
    EXPECT_TRUE(black(img, xLow, p.bottom - 1));
    EXPECT_TRUE(black(img, xHigh, p.top + 1));
    // The frame stays where it was; labels and grid do not move: a chart of the same
    // range whose readings lie inside it has the same pixels outside the plot's inside.
    ConfiguredChart ramp;
    for (int i = 0; i < 40; ++i)
        ramp.append(i == 0 ? 0.0 : i == 39 ? 1.0 : 0.5);
    const QImage other = ramp.grab();
    EXPECT_EQ(ramp.chart->plotRect(), p);
    EXPECT_EQ(ramp.chart->leftAxis().tickList(), f.chart->leftAxis().tickList());
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (!(x > p.left && x < p.right && y > p.top && y < p.bottom)) {
                ASSERT_EQ(img.pixel(x, y), other.pixel(x, y)) << x << "," << y;
            }
        }
    }
    // Inside, only the line differs: the middle reading of the ramp at its own row.
    EXPECT_TRUE(black(other, f.series->xPixel(20), ramp.chart->leftAxis().valueToPixel(0.5)));
}

TEST(Mend, AChangeOfUnitBreaksTheLine) {
    ClockChart f;
    for (int i = 0; i < 10; ++i)
        f.at(1.0, kT0 + i * 100);
    f.series->setUnit("mV");
    for (int i = 10; i < 20; ++i)
        f.at(500.0, kT0 + i * 100);
    EXPECT_EQ(f.series->pointCount(), 21);
    EXPECT_TRUE(f.series->isBreak(10));
    EXPECT_EQ(f.series->breakReason(10), BreakReason::brUnitChange);
    EXPECT_EQ(f.series->unitAt(9), "V-DC");
    EXPECT_EQ(f.series->unitAt(11), "mV");
    const QImage img = f.grab();
    // No segment climbs from the volts to the millivolts between their columns.
    const int x9 = f.series->xPixel(9), x11 = f.series->xPixel(11);
    const int low = f.series->yPixel(9), high = f.series->yPixel(11);
    for (int x = x9 + 1; x < x11; ++x)
        for (int y = high + 2; y < low - 1; ++y)
            ASSERT_FALSE(black(img, x, y)) << x << "," << y;
    // The readout names each reading's own unit.
    f.hover(f.series->xPixel(15), f.plot().top + 30);
    const std::string text = f.c().readoutText();
    EXPECT_EQ(text.substr(text.size() - 3), " mV");
}

} // namespace
} // namespace kv
