// The trend chart as the meter window shows it, at its window size.
#include "chart/series.h"
#include "chart/trend_chart.h"
#include "tools/gallery/gallery.h"

#include <cmath>
#include <random>

namespace {

constexpr int ChartWidth = 456;
constexpr int ChartHeight = 263;

QImage render(kv::TrendChart& chart) {
    QImage out(ChartWidth, ChartHeight, QImage::Format_RGB32);
    kv::Canvas c(out);
    chart.paintChart(c, kv::Rect{0, 0, ChartWidth, ChartHeight});
    return out;
}

template <typename Fill> QImage chartWith(Fill fill) {
    kv::TrendChart chart;
    chart.resize(ChartWidth, ChartHeight);
    kv::configureTrendChart(chart);
    kv::LineSeries series;
    series.setSeriesColor(kv::clRed);
    chart.addSeries(&series);
    fill(chart, series);
    QImage out = render(chart);
    chart.removeSeries(&series);
    return out;
}

void randomWalk(kv::LineSeries& s, int n) {
    std::mt19937 rng(27500);
    std::normal_distribution<double> step(0.0, 0.05);
    double v = 1.234;
    for (int i = 0; i < n; ++i) {
        v += step(rng);
        s.appendPoint(v, {}, kv::clBlack);
    }
}

} // namespace

KV_GALLERY("chart-empty.png", [] { return chartWith([](kv::TrendChart&, kv::LineSeries&) {}); });

KV_GALLERY("chart-one-point.png", [] {
    return chartWith([](kv::TrendChart&, kv::LineSeries& s) { s.appendPoint(1.234, {}, 0); });
});

KV_GALLERY("chart-ramp-50.png", [] {
    return chartWith([](kv::TrendChart&, kv::LineSeries& s) {
        for (int i = 0; i < 50; ++i)
            s.appendPoint(i * 0.25, {}, kv::clBlack);
    });
});

KV_GALLERY("chart-walk-1m.png", [] {
    return chartWith([](kv::TrendChart&, kv::LineSeries& s) { randomWalk(s, 1000000); });
});

KV_GALLERY("chart-zoomed.png", [] {
    return chartWith([](kv::TrendChart& chart, kv::LineSeries& s) {
        randomWalk(s, 2000);
        // Lay the chart out once, then fix the axes to a window in the middle of it, as a
        // drag over that part of the plot would.
        render(chart);
        chart.setAxisRange(chart.bottomAxis(), 800, 1100);
        const double lo = chart.leftAxis().minimum(), hi = chart.leftAxis().maximum();
        chart.setAxisRange(chart.leftAxis(), lo + (hi - lo) * 0.3, lo + (hi - lo) * 0.7);
    });
});
