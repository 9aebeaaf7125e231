// Opening a month-sized recording: 1e7 rows written by the program's own export (the layout a
// log has), read back into rows and statistics as the window opens a file, beside what
// `wc -l` takes on the same file in the same run (the floor a pass over the bytes costs);
// and saving the 1e7 rows again. The file lies in the working folder, on a disk.
#include "bench/heap.h"
#include "record/csv_reader.h"
#include "record/recorder.h"
#include "record/recording.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr kv::TimeMs kStart = 1796734987125;
constexpr long kRows = 10'000'000;

std::string benchFile() {
    return (std::filesystem::current_path() / "csv_reader_bench.csv").string();
}

// Written once per run: readings walking through the decades, a gap now and then.
const std::string& recordingFile() {
    static const std::string path = [] {
        const std::string p = benchFile();
        kv::Recorder rec;
        rec.start(kStart);
        for (long i = 0; i < kRows; ++i) {
            if (i % 100000 == 99999)
                rec.addGap();
            const float value = static_cast<float>(1000 + (i * 37) % 9000) / 1000.0f;
            rec.addReading(kStart + i * 100, value, i % 2000000 < 1000000 ? "V-DC" : "mVolt", 240,
                           136);
        }
        std::string error;
        if (!rec.exportCsv(p, error))
            std::fprintf(stderr, "csv_reader_bench: %s\n", error.c_str());
        std::atexit([] { std::remove(benchFile().c_str()); });
        return p;
    }();
    return path;
}

void BM_OpenRecording1e7(benchmark::State& state) {
    const std::string& path = recordingFile();
    for (auto _ : state) {
        const std::size_t before = kv::bench::heapInUse();
        kv::CsvReader reader;
        kv::Recording recording;
        if (!reader.open(path) || !recording.read(reader)) {
            state.SkipWithError(reader.error().c_str());
            return;
        }
        reader.finish();
        benchmark::DoNotOptimize(recording.tally.result().readings);
        state.counters["rows"] = static_cast<double>(recording.rows.size());
        state.counters["bytes/row"] = static_cast<double>(kv::bench::heapInUse() - before) /
                                      static_cast<double>(recording.rows.size());
        state.counters["bad lines"] = static_cast<double>(reader.badLines());
    }
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
}
BENCHMARK(BM_OpenRecording1e7)->Unit(benchmark::kMillisecond)->Iterations(2);

// The floor: one pass over the same bytes by a program that only counts lines.
void BM_WcOnTheSameFile(benchmark::State& state) {
    const std::string command = "wc -l '" + recordingFile() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("wc -l failed");
}
BENCHMARK(BM_WcOnTheSameFile)->Unit(benchmark::kMillisecond)->Iterations(2);

// The recording as the record of a window that opened it; false, with the state told why,
// when it cannot be read.
bool openAsRecord(benchmark::State& state, kv::Recorder& recorder) {
    kv::CsvReader reader;
    kv::Recording recording;
    if (!reader.open(recordingFile()) || !recording.read(reader)) {
        state.SkipWithError(reader.error().c_str());
        return false;
    }
    recorder.adopt(recording);
    return true;
}

void BM_SaveRecording1e7(benchmark::State& state) {
    kv::Recorder recorder;
    if (!openAsRecord(state, recorder))
        return;
    const std::string out = benchFile() + ".saved";
    for (auto _ : state) {
        std::string error;
        if (!recorder.exportCsv(out, error))
            state.SkipWithError(error.c_str());
    }
    std::remove(out.c_str());
}
BENCHMARK(BM_SaveRecording1e7)->Unit(benchmark::kMillisecond)->Iterations(2);

// What Save readings costs the window's thread while the record goes on: the copy of the
// record that is then written in the background.
void BM_CopyRunningRecord1e7(benchmark::State& state) {
    kv::Recorder recorder;
    if (!openAsRecord(state, recorder))
        return;
    for (auto _ : state) {
        kv::Recording copy;
        recorder.copyTo(copy);
        benchmark::DoNotOptimize(copy.rows.size());
    }
}
BENCHMARK(BM_CopyRunningRecord1e7)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
