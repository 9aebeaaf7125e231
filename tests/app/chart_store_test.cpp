// The window's trend chart drawn twice from one session: fed point by point through the
// series' own points, by the rules the window's line has (a unit change breaks it, an
// overload and a silence are breaks, an empty line starts broken at 0), and drawing the
// session's store through a view, where every reading is kept once. Both must show the same pixels
// and read off the same texts, on the index axis and on the clock axis, through silences,
// overloads, unit changes, unlisted readings, Start without Stop, Stop, and a recording opened from
// a file.
#include "app/main_form.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "record/reading_store_view.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kv {
namespace {

constexpr TimeMs kT0 = 1796734987125;

// The window's chart with its series, as the form sets them up.
struct WindowChart {
    LineSeries series;
    TrendChart chart;

    WindowChart() {
        chart.resize(mainform::kChart1.width, mainform::kChart1.height);
        applyChartSettings(chart);
        applySeriesSettings(series);
        chart.addSeries(&series);
    }
    ~WindowChart() { chart.removeSeries(&series); }

    // The chart as its next repaint shows it. The label column is sized from the layout
    // before, so the first pass after a change settles it and the second shows it.
    QImage picture() {
        QImage out(chart.width(), chart.height(), QImage::Format_RGB32);
        Canvas c(out);
        for (int pass = 0; pass < 2; ++pass)
            chart.paintChart(c, Rect{0, 0, out.width(), out.height()});
        return out;
    }
    // The readout with the mouse over column x, halfway down the plot.
    std::string readoutAt(int x) {
        const Rect p = chart.plotRect();
        const QPointF at(x, (p.top + p.bottom) / 2);
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&chart, &move);
        return chart.readoutText();
    }
};

// The line point by point, in the series' own storage.
struct PointByPoint : WindowChart {
    void show(const Reading& r) {
        series.setUnit(r.unit);
        if (!r.overload())
            series.appendAt(static_cast<double>(r.value), r.time, clBlack);
        else
            breakLine(BreakReason::brOverload, r.time);
    }
    void breakLine(BreakReason reason, TimeMs t) {
        if (series.pointCount() == 0)
            series.appendBreakAt(0.0, reason, t);
        else
            series.appendBreak(reason, t);
    }
};

// The session's rows in one store; the chart draws its view of them.
struct FromStore : WindowChart {
    ReadingStore store;
    ReadingStoreView view{store};

    FromStore() {
        series.setSamples(&view);
        view.onChange = [this] { series.samplesChanged(); };
    }
};

struct Codes {
    const char* unit;
    std::uint8_t function, range;
};
constexpr Codes kVolts{"V-DC", 240, 136};
constexpr Codes kMilliamps{"mA-DC", 176, 128};
constexpr Codes kCelsius{"°C", 192, 200};

class ChartOfTheStore : public ::testing::Test {
protected:
    PointByPoint old;
    FromStore now;
    TimeMs t = kT0;
    // Where a silence is dated, and with what: the last kept reading, or the start.
    TimeMs quietSince = kT0;
    std::uint32_t quietContext = ReadingStore::kNoContext;

    void start() {
        quietSince = t;
        quietContext = ReadingStore::kNoContext;
    }
    void reading(float value, const Codes& c, Reading::Status status = Reading::Status::ok) {
        t += 100;
        Reading r;
        r.status = status;
        r.value = value;
        r.unit = c.unit;
        r.format = "00.000";
        r.function = c.function;
        r.range = c.range;
        r.time = t;
        old.show(r);
        const std::uint32_t context = now.store.contextOf(c.unit, c.function, c.range);
        now.store.append(t, status, value, context);
        if (status != Reading::Status::unlisted) {
            quietSince = t;
            quietContext = context;
        }
        now.view.rowsAppended();
    }
    void readings(int n, float from, float step, const Codes& c) {
        for (int i = 0; i < n; ++i)
            reading(from + step * float(i) + 0.25f * float(std::sin(i * 0.7)), c);
    }
    void silence() {
        old.breakLine(BreakReason::brGap, quietSince);
        now.store.append(quietSince, Reading::Status::gap, 0, quietContext);
        now.view.rowsAppended();
        t += 5000;
    }
    void stop() {
        old.series.removeAllPoints();
        now.view.setFirstRow(now.store.size());
    }
    struct FileRow {
        TimeMs dt;
        Reading::Status status;
        float value;
        const Codes* codes; // nullptr: a gap before the first reading
    };
    // A recording opened from a file: the window's loop over its rows on today's road; the
    // store replaced by them, its leading breaks left out, on the new one.
    void openFile(const std::vector<FileRow>& rows) {
        old.series.removeAllPoints();
        now.store.clear();
        for (const FileRow& row : rows) {
            const std::string unit = row.codes ? row.codes->unit : "";
            if (row.codes && unit != old.series.unit())
                old.series.setUnit(unit);
            if (row.status == Reading::Status::ok)
                old.series.appendAt(double(row.value), kT0 + row.dt, clBlack);
            else
                old.series.appendBreak(row.status == Reading::Status::overload
                                           ? BreakReason::brOverload
                                           : BreakReason::brGap,
                                       kT0 + row.dt);
            now.store.append(kT0 + row.dt, row.status, row.value,
                             row.codes
                                 ? now.store.contextOf(unit, row.codes->function, row.codes->range)
                                 : ReadingStore::kNoContext);
        }
        now.view.setLeadingBreaks(ReadingStoreView::LeadingBreaks::hidden);
        now.view.storeReset();
    }

    void expectSame(const std::string& where) {
        ASSERT_EQ(old.series.pointCount(), now.series.pointCount()) << where;
        for (const bool clock : {false, true}) {
            const std::string axis = where + (clock ? ", clock axis" : ", index axis");
            old.chart.setTimeAxis(clock);
            now.chart.setTimeAxis(clock);
            const QImage a = old.picture();
            EXPECT_TRUE(a == now.picture()) << axis;
            const Rect p = old.chart.plotRect();
            ASSERT_EQ(now.chart.plotRect().left, p.left) << axis;
            int shown = 0;
            for (int x = p.left + 1; x < p.right; x += 3) {
                const std::string text = old.readoutAt(x);
                ASSERT_EQ(text, now.readoutAt(x)) << axis << " at column " << x;
                shown += !text.empty();
            }
            EXPECT_GT(shown, old.series.pointCount() > 0 ? 10 : -1) << axis;
            const int n = old.series.pointCount();
            if (n < 2)
                continue;
            for (const auto& [a1, b1] : {std::pair{0, n - 1}, std::pair{n / 3, n / 2 + 1}}) {
                for (WindowChart* w :
                     {static_cast<WindowChart*>(&old), static_cast<WindowChart*>(&now)}) {
                    w->chart.clearMarkers();
                    w->chart.setMarker(a1);
                    w->chart.setMarker(b1);
                }
                EXPECT_EQ(old.chart.markersText(), now.chart.markersText()) << axis;
                EXPECT_FALSE(now.chart.markersText().empty());
                EXPECT_TRUE(old.picture() == now.picture()) << axis << " with markers";
                EXPECT_EQ(old.chart.copyText(), now.chart.copyText());
            }
            old.chart.clearMarkers();
            now.chart.clearMarkers();
        }
        // The newest minute alone, its value range from the index.
        old.chart.setRollingWindow(RollingWindow::rwLastMinute);
        now.chart.setRollingWindow(RollingWindow::rwLastMinute);
        EXPECT_TRUE(old.picture() == now.picture()) << where << ", last minute";
        old.chart.setRollingWindow(RollingWindow::rwAll);
        now.chart.setRollingWindow(RollingWindow::rwAll);
    }
};

// Pixels of the plot's inside that are not white: the line, and the markers' lines.
int inked(const QImage& img, const Rect& p) {
    int n = 0;
    for (int y = p.top + 1; y < p.bottom; ++y)
        for (int x = p.left + 1; x < p.right; ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

TEST_F(ChartOfTheStore, ALiveSessionLooksAndReadsTheSameAsPointByPoint) {
    start();
    silence(); // silent from the start: the line begins broken, at the indicator's 0
    readings(40, 1.0f, 0.1f, kVolts);
    reading(0, kVolts, Reading::Status::overload);
    readings(20, 5.0f, -0.05f, kVolts);
    readings(30, 12.0f, 0.5f, kMilliamps);
    reading(21.5f, kCelsius, Reading::Status::unlisted); // shown, never kept
    readings(10, 20.0f, -0.5f, kMilliamps);
    silence();
    readings(10, 15.0f, 0.2f, kMilliamps);
    t -= 3000; // the clock set back: held at the time before
    readings(5, 14.0f, 0.1f, kMilliamps);
    readings(3000, 2.0f, 0.001f, kVolts); // many readings a pixel column
    const QImage picture = now.picture();
    EXPECT_GT(inked(picture, now.chart.plotRect()), 400);
    expectSame("live");

    // Start without Stop: the record begins anew, the chart goes on.
    start();
    silence();
    readings(50, 20.0f, 0.1f, kCelsius);
    expectSame("after a Start without Stop");

    stop();
    EXPECT_EQ(now.series.pointCount(), 0);
    // The next session begins with an overload of another unit.
    start();
    reading(0, kMilliamps, Reading::Status::overload);
    readings(30, 3.0f, 0.1f, kMilliamps);
    expectSame("after Stop");
}

TEST_F(ChartOfTheStore, ARecordingFromAFileLooksTheSameAndItsLeadingBreaksAreLeftOut) {
    readings(20, 1.0f, 0.1f, kVolts);
    std::vector<FileRow> rows = {{0, Reading::Status::gap, 0, nullptr},
                                 {0, Reading::Status::gap, 0, nullptr},
                                 {100, Reading::Status::overload, 0, &kMilliamps}};
    TimeMs dt = 100;
    for (int i = 0; i < 2500; ++i) {
        dt += 100;
        const Codes* c = i < 1200 ? &kVolts : i < 2000 ? &kMilliamps : &kCelsius;
        if (i % 400 == 399)
            rows.push_back({dt, Reading::Status::gap, 0, c});
        else if (i % 700 == 5)
            rows.push_back({dt, Reading::Status::overload, 0, c});
        else
            rows.push_back(
                {dt, Reading::Status::ok, float(10 + std::sin(i * 0.01) * 3 + i * 0.001), c});
    }
    openFile(rows);
    EXPECT_GT(inked(now.picture(), now.chart.plotRect()), 400);
    EXPECT_FALSE(now.series.isBreak(0)) << "a file's line starts at its first reading";
    expectSame("a file");
}

TEST(BoundSeries, AppendsAreRefusedAndTheSamplesStayWithTheirOwner) {
    ReadingStore store;
    ReadingStoreView view(store);
    LineSeries series;
    series.setUnit("V-DC");
    series.appendPoint(1.5);
    const unsigned generation = series.generation();
    series.setSamples(&view);
    EXPECT_EQ(series.pointCount(), 0) << "the series' own points are dropped";
    EXPECT_GT(series.generation(), generation);
    store.append(kT0, Reading::Status::ok, 2.5f, store.contextOf("V-DC", 240, 136));
    view.rowsAppended();
    EXPECT_EQ(series.appendPoint(3.5), -1);
    EXPECT_EQ(series.appendAt(3.5, kT0 + 100), -1);
    EXPECT_EQ(series.appendBreak(BreakReason::brGap), -1);
    series.setUnit("mA-DC");
    series.removeAllPoints();
    ASSERT_EQ(series.pointCount(), 1);
    EXPECT_EQ(series.yAt(0), 2.5);
    EXPECT_EQ(series.unitAt(0), "V-DC");
    EXPECT_TRUE(series.timed());
    EXPECT_EQ(series.storageBytes(), 0u) << "no copy of the samples";
    series.setSamples(nullptr);
    EXPECT_EQ(series.pointCount(), 0);
    EXPECT_EQ(series.appendPoint(3.5), 0);
}

} // namespace
} // namespace kv
