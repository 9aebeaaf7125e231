// The chart tests work on a copy of the window's stored chart values, since they cannot see
// the app's form; this keeps the copy honest.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "chart/chart_fixture.h" // the chart tests' stand-in, from tests/chart
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

QImage render(TrendChart& chart) {
    QImage out(chart.width(), chart.height(), QImage::Format_RGB32);
    Canvas c(out);
    chart.paintChart(c, Rect{0, 0, out.width(), out.height()});
    return out;
}

TEST(ChartStandIn, DrawsWhatTheWindowsChartDrawsEmptyAndWithReadings) {
    MemoryMeter link;
    ErrorReporter errors([](const QString&, const QString&) {});
    test::TestWindow window(link, {}, errors);
    test::ConfiguredChart standIn;
    ASSERT_EQ(standIn.chart->size(), window.chart1()->size());
    EXPECT_EQ(standIn.render(), render(*window.chart1())) << "empty";

    // Readings a few ten-thousandths apart, so the axis labels need all four decimals.
    ASSERT_TRUE(window.channel.start("COM1"));
    window.session().poller().stop();
    for (float v : {1.2341f, 1.2345f, 1.2343f, 1.2342f}) {
        Reading r;
        r.value = v;
        r.unit = "V-DC";
        r.time = 1796734987125;
        emit window.session().reading(r);
        standIn.append(static_cast<double>(v));
    }
    EXPECT_EQ(standIn.render(), render(*window.chart1())) << "with readings";
}

} // namespace
} // namespace kv
