#pragma once

#include "chart/chart_axis.h"
#include "chart/chart_series.h"

#include <QImage>
#include <vector>

namespace kv::test {

// A line series bound to a bottom and a left axis over a plot rectangle, drawn into an
// image the way a chart pass does it: range, pixel span, then the points.
struct SeriesPlot {
    ChartAxis bottom{true, false};
    ChartAxis left{false, false};
    LineSeries series;
    Rect plot{20, 10, 220, 110};
    QImage image;

    explicit SeriesPlot(int width = 240, int height = 120)
        : image(width, height, QImage::Format_RGB32) {
        series.setAxes(&bottom, &left);
        series.setSeriesColor(clRed);
    }

    void layout() {
        const std::vector<ChartSeries*> all{&series};
        bottom.adjustRange(all);
        left.adjustRange(all);
        bottom.setPixelSpan(plot);
        left.setPixelSpan(plot);
    }

    // One pass into the image, which starts white.
    const QImage& draw() {
        image.fill(Qt::white);
        Canvas c(image);
        layout();
        series.paintAllPoints(c, plot);
        return image;
    }

    // Fixes both axes to the given ranges (as a zoom does).
    void fix(double x0, double x1, double y0, double y1) {
        bottom.setAutomatic(false);
        bottom.setAutomaticMinimum(false);
        bottom.setAutomaticMaximum(false);
        bottom.setMinMax(x0, x1);
        left.setAutomatic(false);
        left.setAutomaticMinimum(false);
        left.setAutomaticMaximum(false);
        left.setMinMax(y0, y1);
    }
};

inline bool isWhite(const QImage& img, int x, int y) {
    return (img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}

// Every pixel that is not white.
inline std::vector<Point> inked(const QImage& img) {
    std::vector<Point> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (!isWhite(img, x, y))
                out.push_back({x, y});
    return out;
}

inline QRgb rgbOf(ColorValue c) {
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}

} // namespace kv::test
