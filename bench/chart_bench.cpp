// Cost of the trend chart as the readings pile up: adding one reading, one whole drawing
// pass of the window's chart at its window size with N readings of a noisy walk, and a
// month-long session (3e7 readings) appended one by one; on the clock axis the pass with
// all readings and with the last ten minutes shown, the readout under a moving mouse, and
// the bytes a timed reading costs. The ...FromStore benchmarks do the same with the chart
// drawing a session's record through a view (ReadingStoreView), where a reading is stored
// once, and BM_BytesPerKeptReading gives what a reading costs the record and the chart
// together then.
#include "app/main_form.h"
#include "bench/bench_main.h"
#include "bench/counting_heap.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "record/reading_store_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <malloc.h>
#include <memory>
#include <new>
#include <random>
#include <utility>
#include <vector>

namespace {

// A month of readings at ten a second.
constexpr int kMonth = 30000000;

constexpr int kChartWidth = kv::mainform::kChart1.width;
constexpr int kChartHeight = kv::mainform::kChart1.height;

// The window's chart with its one series, which keeps the readings itself or, fromStore,
// draws them from a session's store through a view.
struct BenchChart {
    kv::LineSeries series;
    kv::TrendChart chart;
    std::mt19937 rng{27500};
    std::normal_distribution<double> step{0.0, 0.01};
    double value = 1.234;
    kv::ReadingStore store;
    kv::ReadingStoreView view{store};
    const std::uint32_t volts = store.contextOf("V-DC", 240, 136);
    const bool fromStore;

    explicit BenchChart(bool fromStore = false) : fromStore(fromStore) {
        chart.resize(kChartWidth, kChartHeight);
        kv::applyChartSettings(chart);
        kv::applySeriesSettings(series);
        chart.addSeries(&series);
        if (fromStore) {
            series.setSamples(&view);
            view.onChange = [this] { series.samplesChanged(); };
        }
    }
    ~BenchChart() { chart.removeSeries(&series); }

    // n readings, with a null point (a silence or an overload breaking the line) every
    // `breakEvery` readings when that is not 0.
    void addReadings(int n, int breakEvery = 0) {
        for (int i = 0; i < n; ++i) {
            if (breakEvery > 0 && i % breakEvery == breakEvery / 2)
                addBreak();
            else
                addReading();
        }
    }
    void addReading() {
        value += step(rng);
        if (fromStore) {
            store.append(time, kv::Reading::Status::ok, float(value), volts);
            time += 100;
            view.rowsAppended();
        } else {
            series.appendPoint(value, {}, kv::clBlack);
        }
    }
    void addBreak() {
        if (fromStore) {
            store.append(time, kv::Reading::Status::gap, 0, volts);
            view.rowsAppended();
        } else {
            series.appendPoint(value, {}, kv::clNone);
        }
    }
    // n readings ten a second, each with its time, and a silence of a minute every
    // `breakEvery` readings when that is not 0.
    void addTimedReadings(int n, int breakEvery = 0) {
        for (int i = 0; i < n; ++i) {
            if (breakEvery > 0 && i % breakEvery == breakEvery / 2) {
                if (fromStore) {
                    store.append(time, kv::Reading::Status::gap, 0, volts);
                    view.rowsAppended();
                } else {
                    series.appendBreak(kv::BreakReason::brGap, time);
                }
                time += 60000;
                continue;
            }
            if (fromStore) {
                addReading();
                continue;
            }
            value += step(rng);
            series.appendAt(value, time, kv::clBlack);
            time += 100;
        }
    }
    std::int64_t time = 1765288800000; // 2025-12-09 14:00 UTC
    // The chart's bytes a point; from a store, the store's and the view's as well.
    double bytesPerPoint() const {
        std::size_t bytes = series.storageBytes();
        if (fromStore)
            bytes += store.memoryBytes() + view.storageBytes();
        return series.pointCount() ? double(bytes) / series.pointCount() : 0.0;
    }
    // One whole drawing pass of the chart at its window size.
    void pass() {
        chart.paintChart(target, kv::Rect{0, 0, kChartWidth, kChartHeight});
        benchmark::ClobberMemory();
    }

    QImage window{kChartWidth, kChartHeight, QImage::Format_RGB32};
    kv::Canvas target{window};
};

void appendPoint(benchmark::State& state, bool fromStore) {
    BenchChart b(fromStore);
    for (auto _ : state)
        b.addReading();
    state.counters["points"] = b.series.pointCount();
    state.counters["bytes_per_point"] = b.bytesPerPoint();
}
void BM_AppendPoint(benchmark::State& state) {
    appendPoint(state, false);
}
void BM_AppendPointToStore(benchmark::State& state) {
    appendPoint(state, true);
}
BENCHMARK(BM_AppendPoint);
BENCHMARK(BM_AppendPointToStore);

// Passes over N readings; the second argument breaks the line every so many readings, as
// silences and overloads do.
void chartPass(benchmark::State& state, bool fromStore) {
    BenchChart b(fromStore);
    b.addReadings(int(state.range(0)), int(state.range(1)));
    b.pass(); // settle the label column
    for (auto _ : state)
        b.pass();
    state.counters["bytes_per_point"] = b.bytesPerPoint();
}
void BM_ChartPass(benchmark::State& state) {
    chartPass(state, false);
}
void BM_ChartPassFromStore(benchmark::State& state) {
    chartPass(state, true);
}
void chartPassArgs(benchmark::internal::Benchmark* b) {
    b->Args({1000, 0})
        ->Args({10000, 0})
        ->Args({100000, 0})
        ->Args({1000000, 0})
        ->Args({100000, 100000})
        ->Args({1000000, 100000})
        ->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_ChartPass)->Apply(chartPassArgs);
BENCHMARK(BM_ChartPassFromStore)->Apply(chartPassArgs);
// Filling the chart takes seconds: one run with a fixed number of passes.
BENCHMARK(BM_ChartPass)->Args({kMonth, 0})->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChartPassFromStore)->Args({kMonth, 0})->Iterations(300)->Unit(benchmark::kMicrosecond);

kv::RollingWindow windowOf(std::int64_t arg) {
    switch (arg) {
    case 1:
        return kv::RollingWindow::rwLastMinute;
    case 2:
        return kv::RollingWindow::rwLast10Minutes;
    case 3:
        return kv::RollingWindow::rwLastHour;
    default:
        return kv::RollingWindow::rwAll;
    }
}

// Passes on the clock axis over N timed readings; the second argument picks the rolling
// window (0 all, 2 the last ten minutes), the third breaks the line every so many readings.
void clockPass(benchmark::State& state, bool fromStore) {
    BenchChart b(fromStore);
    b.addTimedReadings(int(state.range(0)), int(state.range(2)));
    b.chart.setTimeAxis(true);
    b.chart.setRollingWindow(windowOf(state.range(1)));
    b.pass();
    for (auto _ : state)
        b.pass();
    state.counters["bytes_per_point"] = b.bytesPerPoint();
}
void BM_ClockPass(benchmark::State& state) {
    clockPass(state, false);
}
void BM_ClockPassFromStore(benchmark::State& state) {
    clockPass(state, true);
}
void clockPassArgs(benchmark::internal::Benchmark* b) {
    b->Args({1000, 0, 0})
        ->Args({1000000, 0, 0})
        ->Args({1000, 2, 0})
        ->Args({1000000, 2, 0})
        ->Args({1000000, 0, 100000})
        ->Unit(benchmark::kMicrosecond);
}
void clockMonthArgs(benchmark::internal::Benchmark* b) {
    b->Args({kMonth, 0, 0})->Args({kMonth, 2, 0})->Iterations(300)->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_ClockPass)->Apply(clockPassArgs);
BENCHMARK(BM_ClockPassFromStore)->Apply(clockPassArgs);
BENCHMARK(BM_ClockPass)->Apply(clockMonthArgs);
BENCHMARK(BM_ClockPassFromStore)->Apply(clockMonthArgs);

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// From a mouse move over the plot to the readout on screen: the move finds the reading
// under the pointer and the widget paints the face with cursor and label. The pointer
// walks along the plot so that every move shows another reading or column.
void readoutMove(benchmark::State& state, bool fromStore) {
    BenchChart b(fromStore);
    b.addTimedReadings(int(state.range(0)));
    b.chart.setTimeAxis(true);
    b.chart.setRollingWindow(windowOf(state.range(1)));
    b.chart.show();
    QApplication::processEvents();
    b.chart.repaint();
    PaintCounter counter;
    b.chart.installEventFilter(&counter);
    const kv::Rect plot = b.chart.plotRect();
    int x = plot.left + 1;
    const int y = (plot.top + plot.bottom) / 2;
    int shown = 0, dense = 0, moves = 0;
    for (auto _ : state) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&b.chart, &move);
        b.chart.repaint();
        shown += b.chart.readoutShown();
        dense += b.chart.readout().dense;
        ++moves;
        x = x + 7 < plot.right ? x + 7 : plot.left + 1;
    }
    b.chart.removeEventFilter(&counter);
    state.counters["shown"] = moves ? double(shown) / moves : 0;
    state.counters["dense"] = moves ? double(dense) / moves : 0;
    state.counters["paints_per_move"] = moves ? double(counter.paints) / moves : 0;
}
void BM_ReadoutMove(benchmark::State& state) {
    readoutMove(state, false);
}
void BM_ReadoutMoveFromStore(benchmark::State& state) {
    readoutMove(state, true);
}
void readoutArgs(benchmark::internal::Benchmark* b) {
    b->Args({1000, 0})->Args({kMonth, 0})->Args({kMonth, 2})->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_ReadoutMove)->Apply(readoutArgs);
BENCHMARK(BM_ReadoutMoveFromStore)->Apply(readoutArgs);

// What a timed reading costs the chart: value, time, index and the rest, per reading.
void BM_TimedBytesPerPoint(benchmark::State& state) {
    for (auto _ : state) {
        BenchChart b;
        b.addTimedReadings(int(state.range(0)));
        b.pass();
        state.counters["bytes_per_point"] = b.bytesPerPoint();
    }
}
BENCHMARK(BM_TimedBytesPerPoint)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// What a kept reading costs the record and the chart together when the chart draws the
// record's store: the store with its index, the chart's view and the series' drawing state,
// after N readings arrived one by one as in a session, the chart drawn now and then. Also
// what the heap grew by, all told.
void BM_BytesPerKeptReading(benchmark::State& state) {
    const int n = int(state.range(0));
    for (auto _ : state) {
        heap::startCounting();
        double perReading = 0;
        {
            BenchChart b(true);
            b.chart.setTimeAxis(true);
            b.pass();
            for (int i = 0; i < n; ++i) {
                b.addReading();
                if (i % 100000 == 0)
                    b.pass();
            }
            b.pass();
            heap::counting = false;
            perReading = b.bytesPerPoint();
        }
        state.counters["bytes_per_kept_reading"] = perReading;
        state.counters["heap_per_kept_reading"] = double(heap::peak.load()) / n;
    }
}
BENCHMARK(BM_BytesPerKeptReading)
    ->Arg(1000000)
    ->Arg(kMonth)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// One session: a chart drawn once (so the statistics and the range index are kept up by
// every append from then on, as in the window), then n - 1 readings appended one by one,
// each timed; onAppend(index, duration) sees every time.
template <typename F> std::unique_ptr<BenchChart> session(int n, F&& onAppend) {
    auto b = std::make_unique<BenchChart>();
    b->addReading();
    b->pass();
    for (int i = 1; i < n; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        b->addReading();
        onAppend(i, std::chrono::steady_clock::now() - t0);
    }
    return b;
}

// A month-long session. The time an append costs is taken as the lesser of its times in
// two identical sessions: the machine may stall any single append (other processes, the
// host), but a stall that is the append's own recurs at the same place. Also reports the
// mean append, the slowest single time seen, and the heap's peak during the first session
// against what it holds at the end.
void BM_MonthOfReadings(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    using Us = std::chrono::duration<double, std::micro>;
    const int n = int(state.range(0));
    const Clock::duration slow = std::chrono::microseconds(20);
    for (auto _ : state) {
        // First session: every append's time, keeping the slow ones by index.
        std::vector<std::pair<int, Clock::duration>> slowOnes;
        Clock::duration worstSeen{0}, worstFast{0};
        heap::startCounting();
        const Clock::time_point begin = Clock::now();
        double bytesPerPoint = 0;
        {
            auto b = session(n, [&](int i, Clock::duration d) {
                worstSeen = std::max(worstSeen, d);
                if (d > slow)
                    slowOnes.emplace_back(i, d);
                else
                    worstFast = std::max(worstFast, d);
            });
            heap::counting = false;
            bytesPerPoint = b->bytesPerPoint();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        const double finalBytes = double(heap::live.load());
        const double peakBytes = double(heap::peak.load());

        // Second session: the same readings; only the first session's slow appends matter.
        Clock::duration worst = worstFast;
        int worstAt = 0;
        std::size_t next = 0;
        session(n, [&](int i, Clock::duration d) {
            if (next < slowOnes.size() && slowOnes[next].first == i) {
                const Clock::duration both = std::min(d, slowOnes[next].second);
                if (both > worst) {
                    worst = both;
                    worstAt = i;
                }
                ++next;
            }
        });

        state.counters["worst_append_us"] = Us(worst).count();
        state.counters["worst_at"] = worstAt;
        state.counters["worst_seen_us"] = Us(worstSeen).count();
        state.counters["mean_append_ns"] = seconds * 1e9 / (n - 1);
        state.counters["heap_final_MB"] = finalBytes / 1e6;
        state.counters["heap_peak_MB"] = peakBytes / 1e6;
        state.counters["peak_over_final"] = finalBytes > 0 ? peakBytes / finalBytes : 0;
        state.counters["bytes_per_point"] = bytesPerPoint;
    }
}
BENCHMARK(BM_MonthOfReadings)->Arg(kMonth)->Iterations(1)->Unit(benchmark::kMillisecond);

// What each poll cycle costs the chart: one more reading, then the pass it causes.
void BM_ReadingAndPass(benchmark::State& state) {
    BenchChart b;
    b.addReadings(int(state.range(0)));
    for (auto _ : state) {
        b.addReading();
        b.pass();
    }
}
BENCHMARK(BM_ReadingAndPass)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QApplication>(argc, argv);
}
