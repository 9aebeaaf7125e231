// New points alone redraw the plot over what the last pass drew under the series. Every
// such pass must show exactly what a whole pass shows.
#include "chart_fixture.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::ConfiguredChart;

struct Passes : ConfiguredChart {
    explicit Passes(double ratio) : ratio(ratio) {
        append(0.0);
        append(100.0);
        for (int i = 0; i < 40; ++i)
            append(50.0 + 40.0 * std::sin(i / 5.0));
        whole(); // settles the label column
    }

    // The pass the chart runs when it next paints.
    QImage next() {
        QImage face = chart->renderFace(ratio);
        face.setDevicePixelRatio(1.0);
        return face;
    }
    // A pass as after a change of setting, which draws everything.
    QImage whole() {
        chart->requestRepaint();
        return next();
    }

    double ratio;
};

// Twin charts are given the same changes; after each, one paints as it would for them and
// the other draws a whole pass. Every picture must be the same.
struct Twins {
    explicit Twins(double ratio) : shown(ratio), drawn(ratio) {}
    template <typename Change> void expectSame(const char* what, Change change) {
        change(shown);
        change(drawn);
        const int before = shown.passes;
        const QImage picture = shown.next();
        ASSERT_EQ(shown.passes, before + 1) << what;
        EXPECT_TRUE(picture == drawn.whole()) << what << " at " << shown.ratio;
    }
    Passes shown, drawn;
};

TEST(ChartPointsPass, ShowsWhatAWholePassShowsAtEveryRatio) {
    for (double ratio : {1.0, 1.5, 2.0}) {
        Twins t(ratio);
        t.expectSame("a point inside the range", [](Passes& f) { f.append(60.0); });
        t.expectSame("many points inside the range", [](Passes& f) {
            for (int i = 0; i < 30; ++i)
                f.append(50.0 + 45.0 * std::cos(i / 3.0));
        });
        t.expectSame("a point beyond the range", [](Passes& f) { f.append(250.0); });
        t.expectSame("a point inside the grown range", [](Passes& f) { f.append(200.0); });
        t.expectSame("nothing new", [](Passes&) {});
        t.expectSame("a marker", [](Passes& f) { f.chart->setMarker(10); });
        t.expectSame("a point with a marker set", [](Passes& f) { f.append(120.0); });
        t.expectSame("no markers", [](Passes& f) { f.chart->clearMarkers(); });
        t.expectSame("a point with a new title", [](Passes& f) {
            f.chart->title().setText({"Other title"});
            f.append(80.0);
        });
        t.expectSame("a break", [](Passes& f) { f.series->appendBreak(BreakReason::brGap); });
        t.expectSame("the series switched off", [](Passes& f) { f.series->setActive(false); });
        t.expectSame("the series switched on", [](Passes& f) { f.series->setActive(true); });
    }
}

TEST(ChartPointsPass, AfterAnotherRatioOrSizeTheWholeChartIsDrawn) {
    Twins t(2.0);
    t.expectSame("a point on a face of another ratio", [](Passes& f) {
        f.ratio = 1.0;
        f.append(70.0);
    });
    t.expectSame("a point on a face of another size", [](Passes& f) {
        f.chart->resize(test::kChartWidth + 40, test::kChartHeight - 30);
        f.append(30.0);
    });
}

} // namespace
} // namespace kv
