// Cost of the trend chart as the readings pile up: adding one reading, and one whole
// drawing pass of the window's chart at its window size with N readings of a noisy walk.
#include "app/main_form.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

constexpr int kChartWidth = kv::mainform::kChart1.width;
constexpr int kChartHeight = kv::mainform::kChart1.height;

// The window's chart with its one series.
struct BenchChart {
    kv::LineSeries series;
    kv::TrendChart chart;
    std::mt19937 rng{27500};
    std::normal_distribution<double> step{0.0, 0.01};
    double value = 1.234;

    BenchChart() {
        chart.resize(kChartWidth, kChartHeight);
        kv::applyChartSettings(chart);
        kv::applySeriesSettings(series);
        chart.addSeries(&series);
    }
    ~BenchChart() { chart.removeSeries(&series); }

    void addReadings(int n) {
        for (int i = 0; i < n; ++i)
            addReading();
    }
    void addReading() {
        value += step(rng);
        series.appendPoint(value, {}, kv::clBlack);
    }
    double bytesPerPoint() const {
        return series.pointCount() ? double(series.storageBytes()) / series.pointCount() : 0.0;
    }
};

void BM_AppendPoint(benchmark::State& state) {
    BenchChart b;
    for (auto _ : state)
        b.addReading();
    state.counters["points"] = b.series.pointCount();
    state.counters["bytes_per_point"] = b.bytesPerPoint();
}
BENCHMARK(BM_AppendPoint);

void BM_ChartPass(benchmark::State& state) {
    BenchChart b;
    b.addReadings(int(state.range(0)));
    QImage window(kChartWidth, kChartHeight, QImage::Format_RGB32);
    kv::Canvas target(window);
    const kv::Rect all{0, 0, kChartWidth, kChartHeight};
    b.chart.paintChart(target, all); // settle the label column
    for (auto _ : state) {
        b.chart.paintChart(target, all);
        benchmark::ClobberMemory();
    }
    state.counters["bytes_per_point"] = b.bytesPerPoint();
}
BENCHMARK(BM_ChartPass)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMicrosecond);

// What each poll cycle costs the chart: one more reading, then the pass it causes.
void BM_ReadingAndPass(benchmark::State& state) {
    BenchChart b;
    b.addReadings(int(state.range(0)));
    QImage window(kChartWidth, kChartHeight, QImage::Format_RGB32);
    kv::Canvas target(window);
    const kv::Rect all{0, 0, kChartWidth, kChartHeight};
    for (auto _ : state) {
        b.addReading();
        b.chart.paintChart(target, all);
    }
}
BENCHMARK(BM_ReadingAndPass)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
