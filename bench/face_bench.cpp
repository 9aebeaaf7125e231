// What drawing a face costs at device pixel ratios of 100 %, 150 % and 200 %: the full
// paint of the indicator, the meter, the level bar and the trend chart as the main window
// configures them, and the two fast paths a reading takes, the indicator's value field and
// the meter's needle over its cached dial. The argument is the ratio in per cent; four
// times the pixels at 200 % should cost at most four times the time at 100 %.
#include "app/main_form.h"
#include "bench/bench_main.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <random>

namespace {

double ratioOf(const benchmark::State& state) {
    return static_cast<double>(state.range(0)) / 100.0;
}

void mainWindowIndicator(kv::ValueIndicator& vi) {
    kv::applyForm(vi, kv::mainform::kAnz);
    kv::applyIndicatorSettings(vi);
    vi.loaded();
    vi.signalSettings().setValueFormat("00.000");
    vi.setValue(1.234f);
}

void mainWindowMeter(kv::Meter180& m) {
    kv::applyForm(m, kv::mainform::kAnalog);
    kv::applyMeterSettings(m);
    m.loaded();
    m.setValue(2.5f);
}

void BM_IndicatorFullPaint(benchmark::State& state) {
    QWidget form;
    auto* vi = new kv::ValueIndicator(&form);
    mainWindowIndicator(*vi);
    for (auto _ : state)
        benchmark::DoNotOptimize(vi->renderFace(ratioOf(state)).constBits());
}
BENCHMARK(BM_IndicatorFullPaint)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_IndicatorValueField(benchmark::State& state) {
    QWidget form;
    auto* vi = new kv::ValueIndicator(&form);
    mainWindowIndicator(*vi);
    vi->renderFace(ratioOf(state));
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        vi->setValue(flip ? 5.678f : 1.234f);
    }
    if (vi->faceDirty() || vi->face().devicePixelRatio() != ratioOf(state))
        state.SkipWithError("the value field did not take the fast path");
}
BENCHMARK(BM_IndicatorValueField)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_MeterFullPaint(benchmark::State& state) {
    kv::Meter180 m;
    mainWindowMeter(m);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.renderFace(ratioOf(state)).constBits());
}
BENCHMARK(BM_MeterFullPaint)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_MeterNeedle(benchmark::State& state) {
    kv::Meter180 m;
    mainWindowMeter(m);
    m.renderFace(ratioOf(state));
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        m.setValue(flip ? 7.5f : 2.5f);
    }
    if (m.faceDirty() || m.face().devicePixelRatio() != ratioOf(state))
        state.SkipWithError("the needle did not take the fast path");
}
BENCHMARK(BM_MeterNeedle)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_LevelBarPaint(benchmark::State& state) {
    QWidget form;
    auto* bar = new kv::LevelBar(&form);
    bar->setGeometry(kv::mainform::kBalken.left, kv::mainform::kBalken.top,
                     kv::mainform::kBalken.width, kv::mainform::kBalken.height);
    kv::applyBarSettings(*bar);
    bar->setMax(1000);
    int position = 0;
    for (auto _ : state) {
        position = (position + 137) % 1000;
        bar->setPosition(position);
        benchmark::DoNotOptimize(bar->renderFace(ratioOf(state)).constBits());
    }
}
BENCHMARK(BM_LevelBarPaint)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);

// The window's chart with `points` readings of a random walk, drawn into a window's
// picture at the ratio.
struct WalkChart {
    explicit WalkChart(int points) {
        chart.resize(form.width, form.height);
        kv::applyChartSettings(chart);
        kv::applySeriesSettings(series);
        chart.addSeries(&series);
        std::mt19937 rng(27500);
        std::normal_distribution<double> step(0.0, 0.05);
        double v = 1.234;
        for (int i = 0; i < points; ++i) {
            v += step(rng);
            series.appendPoint(v, {}, kv::clBlack);
        }
    }
    ~WalkChart() { chart.removeSeries(&series); }
    void paintAt(double ratio) {
        if (window.isNull()) {
            window = QImage(qRound(form.width * ratio), qRound(form.height * ratio),
                            QImage::Format_RGB32);
            window.setDevicePixelRatio(ratio);
        }
        kv::Canvas target(window);
        chart.paintChart(target, kv::Rect{0, 0, form.width, form.height});
    }

    const kv::ControlForm& form = kv::mainform::kChart1;
    kv::TrendChart chart;
    kv::LineSeries series;
    QImage window;
};

// A whole pass, as after any change of setting.
void BM_ChartPaint(benchmark::State& state) {
    WalkChart w(int(state.range(1)));
    for (auto _ : state) {
        w.chart.requestRepaint();
        w.paintAt(ratioOf(state));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChartPaint)
    ->ArgsProduct({{100, 150, 200}, {100, 10000}})
    ->ArgNames({"ratio", "points"})
    ->Unit(benchmark::kMicrosecond);

// A new reading inside the range shown: the pass a live chart runs at most readings. The
// series grows by a point per iteration, so the iterations are few.
void BM_ChartNewPoint(benchmark::State& state) {
    WalkChart w(int(state.range(1)));
    const double inside = (w.series.minY() + w.series.maxY()) / 2;
    w.paintAt(ratioOf(state));
    for (auto _ : state) {
        w.series.appendPoint(inside, {}, kv::clBlack);
        w.paintAt(ratioOf(state));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChartNewPoint)
    ->ArgsProduct({{100, 150, 200}, {100, 10000}})
    ->ArgNames({"ratio", "points"})
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QApplication>(argc, argv);
}
