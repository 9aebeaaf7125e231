// The trend chart as the meter window shows it, at its window size.
#include "app/main_form.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "tools/gallery/gallery.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <cmath>
#include <random>

namespace {

constexpr int kChartWidth = kv::mainform::kChart1.width;
constexpr int kChartHeight = kv::mainform::kChart1.height;

// The chart for a screen of device pixel ratio `ratio`.
QImage render(kv::TrendChart& chart, double ratio = 1.0) {
    QImage out(qRound(kChartWidth * ratio), qRound(kChartHeight * ratio), QImage::Format_RGB32);
    out.setDevicePixelRatio(ratio);
    kv::Canvas c(out);
    chart.paintChart(c, kv::Rect{0, 0, kChartWidth, kChartHeight});
    return out;
}

template <typename Fill> QImage chartWith(Fill fill, double ratio = 1.0) {
    kv::TrendChart chart;
    chart.resize(kChartWidth, kChartHeight);
    kv::applyChartSettings(chart);
    kv::LineSeries series;
    kv::applySeriesSettings(series);
    chart.addSeries(&series);
    fill(chart, series);
    QImage out = render(chart, ratio);
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

// A walk short enough to show its segments, with both markers set.
QImage walkWithMarkers(double ratio) {
    return chartWith(
        [](kv::TrendChart& chart, kv::LineSeries& s) {
            randomWalk(s, 120);
            chart.setMarker(30);
            chart.setMarker(90);
        },
        ratio);
}

KV_GALLERY("chart-markers.png", [] { return walkWithMarkers(1.0); });
KV_GALLERY("chart-markers@1.5x.png", [] { return walkWithMarkers(1.5); });
KV_GALLERY("chart-markers@2x.png", [] { return walkWithMarkers(2.0); });

void mouse(kv::TrendChart& chart, QEvent::Type type, int x, int y, Qt::MouseButtons held,
           Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent e(type, QPointF(x, y), QPointF(x, y), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &e);
}

// The 2000-reading walk with the rectangle from (a, b) to (c, d) dragged over it; with
// `release` false the picture shows the rubber band still being dragged.
QImage zoomedWalk(int a, int b, int c, int d, bool release) {
    return chartWith([=](kv::TrendChart& chart, kv::LineSeries& s) {
        randomWalk(s, 2000);
        render(chart);
        mouse(chart, QEvent::MouseButtonPress, a, b, Qt::LeftButton);
        mouse(chart, QEvent::MouseMove, c, d, Qt::LeftButton);
        if (release)
            mouse(chart, QEvent::MouseButtonRelease, c, d, Qt::NoButton);
    });
}

KV_GALLERY("chart-zoom-dragging.png", [] { return zoomedWalk(200, 60, 330, 170, false); });
KV_GALLERY("chart-zoomed.png", [] { return zoomedWalk(200, 60, 330, 170, true); });

// The same walk scrolled with the right button: dragged 120 pixels to the left and 40
// down in three steps, so later readings come into view and the values move down.
KV_GALLERY("chart-scrolled.png", [] {
    return chartWith([](kv::TrendChart& chart, kv::LineSeries& s) {
        randomWalk(s, 2000);
        render(chart);
        const auto right = Qt::RightButton;
        mouse(chart, QEvent::MouseButtonPress, 320, 100, right, right);
        mouse(chart, QEvent::MouseMove, 280, 110, right, right);
        mouse(chart, QEvent::MouseMove, 240, 125, right, right);
        mouse(chart, QEvent::MouseMove, 200, 140, right, right);
        mouse(chart, QEvent::MouseButtonRelease, 200, 140, Qt::NoButton, right);
    });
});
