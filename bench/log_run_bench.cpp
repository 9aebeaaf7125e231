// The logger without a window over a long run: a million readings through the in-memory
// meter, each written to a log, and the heap in use before and after. The logger keeps its
// statistics, not its rows, so its heap must stay where it was however long it runs.
#include "app/log_run.h"
#include "bench/bench_main.h"
#include "bench/heap.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <string>

namespace {

void BM_LogRunMillionReadings(benchmark::State& state) {
    const long readings = state.range(0);
    for (auto _ : state) {
        kv::MemoryMeter meter([step = 0]() mutable {
            step = (step + 37) % 9000;
            return kv::meterReply(240, 136, "0" + std::to_string(1000 + step));
        });
        kv::LogRun::Options options;
        options.logPath = "/dev/null";
        kv::Channel channel(meter);
        kv::LogRun run(channel, options, QStringLiteral("log_run_bench"));
        kv::MeterPoller& poller = channel.session().poller();
        poller.setWaitMs(0);
        if (!run.start(1)) {
            state.SkipWithError(run.error().c_str());
            return;
        }
        poller.stop(); // the polls are driven here, back to back
        // The first thousand settle what a run allocates once (the unit, the line buffer).
        for (int i = 0; i < 1000; ++i)
            poller.pollOnce();
        const auto before = static_cast<double>(kv::bench::heapInUse());
        for (long i = 1000; i < readings; ++i) {
            poller.pollOnce();
            meter.sent.clear(); // the meter's own record of requests is not the logger's
            meter.calls.clear();
        }
        const auto after = static_cast<double>(kv::bench::heapInUse());
        state.counters["heap before"] = before;
        state.counters["heap after"] = after;
        state.counters["heap growth"] = after - before;
        state.counters["readings"] = static_cast<double>(channel.record().statistics().readings);
        run.finish(0);
    }
}
BENCHMARK(BM_LogRunMillionReadings)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
