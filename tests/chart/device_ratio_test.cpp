// The chart on screens scaled by the desktop: drawn at the device's resolution, laid out as
// at 100 %.
#include "chart_fixture.h"
#include "support/ratio_pictures.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::ConfiguredChart;
using test::differingFromOneToOne;
using test::imageAt;
using test::kChartHeight;
using test::kChartWidth;
using test::pixelsBetween;
using test::unevenBlocks;

// A walk that shows its segments, with both markers set: line, axis labels, title, the
// markers' line, their dotted lines and their letters.
struct Walk : ConfiguredChart {
    explicit Walk(double phase = 0.0) {
        for (int i = 0; i < 120; ++i)
            append(1.2 + 0.3 * std::sin(i / 9.0 + phase) + 0.05 * std::sin(i * 1.7));
        chart->setMarker(30);
        chart->setMarker(90);
    }

    // The chart drawn into a picture for a device of `ratio`, as a window on such a screen
    // would be. The label column is sized from the pass before, so the first pass settles
    // it and the second shows it.
    QImage at(double ratio) {
        QImage out =
            imageAt(QSize(kChartWidth, kChartHeight), ratio, Qt::white, QImage::Format_RGB32);
        Canvas c(out);
        for (int pass = 0; pass < 2; ++pass)
            chart->paintChart(c, Rect{0, 0, kChartWidth, kChartHeight});
        return out;
    }

    void mouse(QEvent::Type type, int x, int y, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(x, y), QPointF(x, y), b, held, Qt::NoModifier);
        QCoreApplication::sendEvent(chart.get(), &e);
    }

    // What the window shows on a screen of `ratio`: the paint event's picture, once the
    // label column has settled.
    QImage shown(double ratio) {
        QImage out = imageAt(chart->size(), ratio, Qt::white, QImage::Format_RGB32);
        for (int pass = 0; pass < 2; ++pass) {
            chart->requestRepaint();
            chart->render(&out);
        }
        return out;
    }
};

TEST(ChartAtARatio, TheChartAtTwoHundredPercentIsTheChartInFinerPixels) {
    Walk f;
    const QImage one = f.at(1.0);
    const Rect plot = f.chart->plotRect();
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = f.at(ratio);
        EXPECT_EQ(hi.size(), QSize(kChartWidth, kChartHeight) * ratio);
        EXPECT_EQ(f.chart->plotRect(), plot) << "the layout does not depend on the ratio";
        EXPECT_LT(differingFromOneToOne(one, hi), kChartWidth * kChartHeight / 200);
    }
    // Drawn afresh, not enlarged: labels, title and line have smoothed edges at device
    // pixels, which a doubled picture has in pairs only,
    const QImage two = f.at(2.0);
    EXPECT_GT(unevenBlocks(two, 2), 1500);
    EXPECT_EQ(unevenBlocks(one.scaled(one.size() * 2), 2), 0);
    // while the frame's top edge lies on whole device pixels, where a smoothly enlarged
    // picture blurs it into the panel. (At its ends the axis line's round cap is smoothed.)
    const QRect aboveAndOnTheFrame(2 * (plot.left + 3), 2 * plot.top - 1, 2 * (plot.width() - 6),
                                   2);
    EXPECT_EQ(pixelsBetween(two, aboveAndOnTheFrame, Qt::black, toQColor(clBtnFace)), 0);
    EXPECT_GT(
        pixelsBetween(one.scaled(one.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                      aboveAndOnTheFrame, Qt::black, toQColor(clBtnFace)),
        plot.width());
    // The value labels left of the plot: glyph edges in shades between ink and panel.
    const QRect labels(0, plot.top * 2, plot.left * 2, plot.height() * 2);
    EXPECT_GT(pixelsBetween(two, labels, Qt::black, toQColor(clBtnFace)), 100);
    // Another walk does not pass for this one.
    Walk other(1.0);
    EXPECT_GT(differingFromOneToOne(one, other.at(2.0)), 300);
}

TEST(ChartAtARatio, TheLineRunsThroughItsPointsInSmoothedDevicePixels) {
    Walk f;
    const QImage two = f.at(2.0);
    const Rect p = f.chart->plotRect();
    // Each point's logical pixel holds the line's ink in one of its four device pixels.
    int missed = 0;
    for (int i = 0; i < f.series->pointCount(); ++i) {
        const int x = f.series->xPixel(i), y = f.series->yPixel(i);
        if (x <= p.left || x >= p.right - 1)
            continue;
        bool inked = false;
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                inked = inked || qGray(two.pixel(2 * x + dx, 2 * y + dy)) < 100;
        missed += inked ? 0 : 1;
    }
    EXPECT_EQ(missed, 0);
    // Along the slopes the line is smoothed: shades between its black and the white wall.
    const QRect inside(2 * (p.left + 2), 2 * (p.top + 2), 2 * (p.width() - 4),
                       2 * (p.height() - 4));
    EXPECT_GT(pixelsBetween(two, inside, Qt::black, Qt::white), 200);
}

TEST(ChartAtARatio, TheReadoutIsDrawnOverTheFaceAtTheScreensResolution) {
    Walk f;
    f.shown(2.0);
    const Rect p = f.chart->plotRect();
    const int x = (p.left + p.right) / 2;
    f.mouse(QEvent::MouseMove, x, (p.top + p.bottom) / 2, Qt::NoButton, Qt::NoButton);
    ASSERT_TRUE(f.chart->readoutShown());
    const Rect label = f.chart->readoutRect();
    const QImage two = f.shown(2.0);
    ASSERT_EQ(two.size(), QSize(kChartWidth, kChartHeight) * 2);
    EXPECT_EQ(f.chart->face().devicePixelRatio(), 2.0);
    // The label's tool-tip yellow where the readout stands, on the device's pixels; the
    // face keeps the chart without it.
    const QColor yellow = toQColor(0xE1FFFF);
    int onScreen = 0, onFace = 0;
    for (int yy = 2 * label.top; yy < 2 * label.bottom; ++yy)
        for (int xx = 2 * label.left; xx < 2 * label.right; ++xx) {
            onScreen += two.pixelColor(xx, yy) == yellow ? 1 : 0;
            onFace += f.chart->face().pixelColor(xx, yy) == yellow ? 1 : 0;
        }
    EXPECT_GT(onScreen, 200);
    EXPECT_EQ(onFace, 0);
    // Its text is drawn at that resolution, not enlarged.
    const QRect box(2 * label.left, 2 * label.top, 2 * label.width(), 2 * label.height());
    EXPECT_GT(unevenBlocks(two, 2, box), 40);
    // And it is the label of the picture at 100 %.
    const QImage one = f.shown(1.0);
    EXPECT_LT(differingFromOneToOne(one, two), kChartWidth * kChartHeight / 200);
}

TEST(ChartAtARatio, TheRubberBandIsSharpAndGoesWithoutATrace) {
    Walk f;
    f.shown(2.0);
    const QImage before = f.chart->face().copy();
    ASSERT_EQ(before.devicePixelRatio(), 2.0);
    const Rect p = f.chart->plotRect();
    const int x0 = p.left + 20, y0 = p.top + 20, x1 = p.left + 140, y1 = p.top + 90;
    f.mouse(QEvent::MouseButtonPress, x0, y0, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, x1, y1, Qt::NoButton, Qt::LeftButton);
    ASSERT_FALSE(f.chart->faceDirty());
    // Every device pixel under the one-pixel frame changes, and none beside it.
    const Rect frame{x0, y0, x1, y1};
    const int perimeter = 2 * (frame.width() + frame.height()) - 4;
    EXPECT_EQ(test::differingPixels(before, f.chart->face(), 0), 4 * perimeter);
    // Let go short of the zoom's threshold, yet beyond a click: the frame is gone to the
    // last pixel and nothing else changed.
    const int back = kZoomDragThreshold - 2;
    f.mouse(QEvent::MouseMove, x0 + back, y0 + back, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, x0 + back, y0 + back, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(f.chart->zoomed());
    EXPECT_EQ(test::differingPixels(before, f.chart->face(), 0), 0);
}

} // namespace
} // namespace kv
