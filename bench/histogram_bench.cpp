// The histogram of a long record as the chart counts it in a drawing pass: the record's
// readings of one unit over the whole stretch counted by value, then binned. Three
// records of 30,000,000 readings: a noisy level drifting through a few hundred values (the
// usual bench run), the same while readings keep coming (ten between two counts, as the
// chart follows them), and readings that take a new value almost every time (a
// worst case: few repeats within a block of rows). The first count of a record opened from
// a file reads every row once, that of a record filled reading by reading finds its blocks
// counted as they filled; the figures after it are what each pass costs.
#include "chart/chart_series.h"
#include "core/histogram.h"
#include "record/reading_store.h"
#include "record/reading_store_view.h"

#include "bench_main.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>

namespace {

constexpr kv::TimeMs kStart = 1796734987125;
constexpr long kReadings = 30'000'000;

// A level of 5 V drifting by 0.2 V over the run with noise of a few tens of mV, in mV
// steps; a gap every 100,000 readings and an overload every 1,000,000.
float noisyLevel(long i) {
    const long noise = (i * 7919) % 61 - 30; // a cheap spread of -30..30 mV
    const long drift = (i / 150'000) % 200;
    return float(5000 + drift + noise) / 1000.0f;
}

float everChanging(long i) {
    return float(1000 + (i * 37) % 9000) / 1000.0f;
}

struct Record {
    kv::ReadingStore store;
    std::unique_ptr<kv::ReadingStoreView> view;
    kv::LineSeries series;
    std::uint32_t context = 0;
    long next = 0;
    float (*value)(long) = nullptr;

    // `live`: the view is told of every ten readings as they come, as from a meter;
    // otherwise of all of them at once, as from a file opened.
    explicit Record(float (*v)(long), bool live = false) : value(v) {
        context = store.contextOf("V-DC", 240, 136);
        if (live)
            view = std::make_unique<kv::ReadingStoreView>(store);
        while (next < kReadings) {
            add();
            if (live && next % 10 == 0)
                view->rowsAppended();
        }
        if (!live)
            view = std::make_unique<kv::ReadingStoreView>(store);
        series.setSamples(view.get());
    }
    void add() {
        const long i = next++;
        if (i % 100'000 == 99'999)
            store.append(kStart + i * 100, kv::Reading::Status::gap, 0, context);
        else if (i % 1'000'000 == 999'999)
            store.append(kStart + i * 100, kv::Reading::Status::overload, 0, context);
        else
            store.append(kStart + i * 100, kv::Reading::Status::ok, value(i), context);
    }
    kv::Histogram histogram() const {
        const kv::ValueTally t = series.tally(0, series.pointCount() - 1, "V-DC");
        return kv::makeHistogram(t.values, 0.001);
    }
};

// `ahead`: a record opened from a file counted ahead a group a turn, as the window does in
// idle moments, before the first count; the longest turn is given.
void count(benchmark::State& state, float (*value)(long), bool live = false, bool ahead = false) {
    Record r(value, live);
    double longestTurnMs = 0;
    while (ahead) {
        const auto begin = std::chrono::steady_clock::now();
        ahead = r.view->countAhead(1);
        longestTurnMs = std::max(longestTurnMs, std::chrono::duration<double, std::milli>(
                                                    std::chrono::steady_clock::now() - begin)
                                                    .count());
    }
    if (longestTurnMs > 0)
        state.counters["longest_turn_ms"] = longestTurnMs;
    const auto first = std::chrono::steady_clock::now();
    kv::Histogram h = r.histogram();
    const auto firstMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - first);
    for (auto _ : state) {
        h = r.histogram();
        benchmark::DoNotOptimize(h.total);
    }
    state.counters["first_count_ms"] = firstMs.count();
    state.counters["readings"] = double(h.total);
    state.counters["bins"] = h.binCount();
}

void BM_HistogramOfANoisyLevel(benchmark::State& state) {
    count(state, noisyLevel);
}
BENCHMARK(BM_HistogramOfANoisyLevel)->Unit(benchmark::kMillisecond);

// The record filled as a meter fills it, its blocks counted as they fill: the first count
// finds them counted.
void BM_HistogramOfALiveNoisyLevel(benchmark::State& state) {
    count(state, noisyLevel, true);
}
BENCHMARK(BM_HistogramOfALiveNoisyLevel)->Unit(benchmark::kMillisecond);

void BM_HistogramOfAnOpenedNoisyLevelCountedAhead(benchmark::State& state) {
    count(state, noisyLevel, false, true);
}
BENCHMARK(BM_HistogramOfAnOpenedNoisyLevelCountedAhead)->Unit(benchmark::kMillisecond);

void BM_HistogramOfEverChangingReadingsCountedAhead(benchmark::State& state) {
    count(state, everChanging, false, true);
}
BENCHMARK(BM_HistogramOfEverChangingReadingsCountedAhead)->Unit(benchmark::kMillisecond);

void BM_HistogramFollowingReadings(benchmark::State& state) {
    Record r(noisyLevel);
    kv::Histogram h = r.histogram();
    for (auto _ : state) {
        for (int k = 0; k < 10; ++k)
            r.add();
        r.view->rowsAppended();
        h = r.histogram();
        benchmark::DoNotOptimize(h.total);
    }
    state.counters["readings"] = double(h.total);
}
BENCHMARK(BM_HistogramFollowingReadings)->Unit(benchmark::kMillisecond);

void BM_HistogramOfEverChangingReadings(benchmark::State& state) {
    count(state, everChanging);
}
BENCHMARK(BM_HistogramOfEverChangingReadings)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
