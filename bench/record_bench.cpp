// Cost of keeping a reading: into memory alone, and with its CSV line written to a log file
// on disk as the window's log does it (time in the local zone, one write call per line);
// the memory a record of 1,000,000 readings holds; and the pass the chart's view of a store
// makes over a recording read from a file.
#include "record/reading_store_view.h"
#include "record/recorder.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr kv::TimeMs kStart = 1796734987125;

// V-DC readings walking through 1.000 to 9.999, about ten a second.
void addWalkingReading(kv::Recorder& rec, long i) {
    const float value = static_cast<float>(1000 + (i * 37) % 9000) / 1000.0f;
    rec.addReading(kStart + i * 100, value, "V-DC", 240, 136);
}

void BM_RecordReading(benchmark::State& state) {
    kv::Recorder rec;
    rec.start(kStart);
    long i = 0;
    for (auto _ : state)
        addWalkingReading(rec, i++);
    state.counters["readings"] = static_cast<double>(rec.rows().size());
}
BENCHMARK(BM_RecordReading);

void BM_RecordReadingToLogFile(benchmark::State& state) {
    // In the working folder, on a disk, not in a memory file system that /tmp may be.
    const std::string path = (std::filesystem::current_path() / "record_bench_log.csv").string();
    std::remove(path.c_str());
    kv::Recorder rec;
    if (!rec.openLog(path)) {
        state.SkipWithError(rec.logError().c_str());
        return;
    }
    rec.start(kStart);
    long i = 0;
    for (auto _ : state)
        addWalkingReading(rec, i++);
    if (!rec.logging())
        state.SkipWithError(rec.logError().c_str());
    state.counters["bytes/line"] =
        static_cast<double>(std::filesystem::file_size(path)) / static_cast<double>(i);
    rec.closeLog();
    std::remove(path.c_str());
}
BENCHMARK(BM_RecordReadingToLogFile);

void BM_RecordMemory(benchmark::State& state) {
    const auto readings = static_cast<long>(state.range(0));
    for (auto _ : state) {
        kv::Recorder rec;
        rec.start(kStart);
        for (long i = 0; i < readings; ++i)
            addWalkingReading(rec, i);
        state.counters["bytes/reading"] =
            static_cast<double>(rec.rows().memoryBytes()) / static_cast<double>(rec.rows().size());
    }
}
BENCHMARK(BM_RecordMemory)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// A recording of N readings, a silence every 10,000, shown: the view looks at every row once.
void BM_ViewOfAFile(benchmark::State& state) {
    const auto readings = static_cast<long>(state.range(0));
    kv::Recorder rec;
    rec.start(kStart);
    for (long i = 0; i < readings; ++i) {
        addWalkingReading(rec, i);
        if (i % 10000 == 9999)
            rec.addGap();
    }
    kv::ReadingStoreView view(rec.rows());
    view.setLeadingBreaks(kv::ReadingStoreView::LeadingBreaks::hidden);
    for (auto _ : state) {
        view.storeReset();
        benchmark::DoNotOptimize(view.count());
    }
    state.counters["time_per_row"] = benchmark::Counter(
        static_cast<double>(rec.rows().size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["view_bytes/row"] =
        static_cast<double>(view.storageBytes()) / static_cast<double>(rec.rows().size());
}
BENCHMARK(BM_ViewOfAFile)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
