#pragma once

// A trend chart configured like the meter window's, with one line series, for the panel
// and zoom tests.
#include "chart/chart_series.h"
#include "chart/trend_chart.h"

#include <QImage>
#include <memory>

namespace kv::test {

constexpr int kChartWidth = 456;
constexpr int kChartHeight = 263;

// The meter window's stored chart values: white clear back wall, title "TrendChart", only
// the left axis shown with four decimals, no legend, two-dimensional. A copy, since the
// form that stores them lives in the app layer, which the chart tests cannot see; the app
// tests check that a chart set up here draws like the window's.
inline void configureLikeTheWindow(TrendChart& chart) {
    chart.backWall().brush().setColor(clWhite);
    chart.backWall().brush().setStyle(BrushStyle::bsClear);
    chart.title().setText({"TrendChart"});
    chart.bottomAxis().setVisible(false);
    chart.rightAxis().setVisible(false);
    chart.topAxis().setVisible(false);
    chart.leftAxis().setAxisValuesFormat("#,##0.####");
    chart.legend().setVisible(false);
    chart.setView3D(false);
}

struct ConfiguredChart {
    std::unique_ptr<LineSeries> series = std::make_unique<LineSeries>();
    std::unique_ptr<TrendChart> chart = std::make_unique<TrendChart>();
    int passes = 0;

    ConfiguredChart() {
        chart->resize(kChartWidth, kChartHeight);
        configureLikeTheWindow(*chart);
        series->setSeriesColor(clRed);
        chart->addSeries(series.get());
        chart->onAfterDraw = [this](AxisPanel&) { ++passes; };
    }
    ~ConfiguredChart() { chart->removeSeries(series.get()); }

    // One pass through the window's paint handling (draws only when the face is dirty).
    QImage grab() { return chart->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    // One pass into an image of the chart's size, without the window.
    QImage render() {
        QImage out(chart->width(), chart->height(), QImage::Format_RGB32);
        Canvas c(out);
        chart->paintChart(c, Rect{0, 0, out.width(), out.height()});
        return out;
    }

    void append(double v) { series->appendPoint(v, {}, clBlack); }
};

// Height and width of "W" in a font, as the chart measures it.
inline Size letterW(const FontSpec& f) {
    QImage scratch(8, 8, QImage::Format_RGB32);
    Canvas c(scratch);
    c.setFont(f);
    return c.textExtent("W");
}

inline ColorValue pixelAt(const QImage& img, int x, int y) {
    return fromQColor(img.pixelColor(x, y));
}

} // namespace kv::test
