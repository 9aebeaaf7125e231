// Line series and value axes on their own: a plot frame, a left axis and a line, drawn
// the way a chart pass orders them.
#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "tools/gallery/gallery.h"

#include <cmath>
#include <random>

namespace {

struct Plot {
    kv::ChartAxis bottom{true, false};
    kv::ChartAxis left{false, false};
    kv::LineSeries series;

    Plot() {
        series.setAxes(&bottom, &left);
        series.setSeriesColor(kv::clRed);
        left.setAxisValuesFormat("#,##0.####");
    }

    // Axis, frame and line into `c` over `outer` (the space before the axis takes its own).
    void draw(kv::Canvas& c, kv::Rect outer) {
        const std::vector<kv::ChartSeries*> all{&series};
        bottom.adjustRange(all);
        left.adjustRange(all);
        left.applySpace(c, outer);
        bottom.setPixelSpan(outer);
        left.setPixelSpan(outer);
        c.setPenColor(kv::clBlack);
        c.setPenWidth(1);
        c.setPenStyle(kv::PenStyle::psSolid);
        c.setBrushStyle(kv::BrushStyle::bsClear);
        c.rectangle(kv::Rect{outer.left, outer.top, outer.right + 1, outer.bottom + 1});
        left.draw(c, outer, kv::clBtnFace);
        series.paintAllPoints(c, outer);
    }
};

QImage canvasImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kv::toQColor(kv::clBtnFace));
    return img;
}

} // namespace

// A day of readings: a million points, drawn column by column.
KV_GALLERY("series-million-points.png", [] {
    QImage img = canvasImage(456, 240);
    kv::Canvas c(img);
    Plot p;
    std::mt19937 rng(27500);
    std::normal_distribution<double> noise(0.0, 0.02);
    for (int i = 0; i < 1000000; ++i) {
        const double t = i / 1000000.0;
        double v = 1.2 + 0.8 * std::sin(t * 9) + noise(rng);
        if (i % 150000 == 7000)
            v += 1.5; // a one-sample spike
        p.series.appendPoint(float(v), {}, kv::clBlack);
    }
    p.draw(c, kv::Rect{8, 8, 448, 232});
    return img;
});

// Segments in their end points' colours (the series colour where a point keeps the
// default) and a null point breaking the line.
QImage coloursAndGaps() {
    QImage img = canvasImage(300, 160);
    kv::Canvas c(img);
    Plot p;
    const double ys[] = {1, 3, 2, 4, 3, 5, 4, 2, 3, 1};
    const kv::ColorValue cs[] = {
        0, kv::clBlue, kv::clBlue, kv::ColorDefault, kv::clNone, 0, kv::clGreen, kv::clGreen, 0, 0};
    for (int i = 0; i < 10; ++i)
        p.series.appendPoint(ys[i], {}, cs[i]);
    p.draw(c, kv::Rect{8, 8, 292, 152});
    return img;
}

// The label walk's cases side by side: empty, 0.5..2.3, 10..95, equal 5, equal -3, -5..5.
QImage labelCases() {
    QImage img = canvasImage(600, 240);
    kv::Canvas c(img);
    const std::vector<std::vector<double>> cases = {{},     {0.5, 1.0, 2.3}, {10, 40, 95},
                                                    {5, 5}, {-3, -3},        {-5, 0, 5}};
    int x = 4;
    for (const auto& readings : cases) {
        Plot p;
        for (double v : readings)
            p.series.appendPoint(v, {}, kv::clBlack);
        // A first pass aside, as in a running chart: the label column uses the previous
        // pass's axis length.
        QImage scratch = canvasImage(img.width(), img.height());
        kv::Canvas first(scratch);
        p.draw(first, kv::Rect{x, 8, x + 96, 232});
        p.draw(c, kv::Rect{x, 8, x + 96, 232});
        x += 99;
    }
    return img;
}

KV_GALLERY("series-colours-and-gaps.png", coloursAndGaps);
KV_GALLERY("axis-label-cases.png", labelCases);
