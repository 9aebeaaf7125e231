// What a reading costs the record with its log, a row per reading against a row per second
// (--every 1): "BM_KeepAndLog/0" and "/1000", per reading kept. Then two meters and two
// channels derived from them, as the program runs them: a volts meter and
// a milliamps meter polled in turn through their channels (each reading decoded, kept in its
// channel's record and told to its listeners), a power P = V*I and a charge Q = integral(I)
// fed by the rows the meters keep. The same run without the derived channels is timed as
// well, so that the counter "added_us_per_derived_reading" is what a derived reading adds,
// all told. "bytes_per_kept_reading" is the memory of all four records over the rows they
// keep.
#include "bench/bench_main.h"
#include "channel/channel.h"
#include "meter/meter_protocol.h"
#include "record/recorder.h"
#include "sim/memory_meter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

// A meter whose reading walks through the five digits of its range.
kv::MemoryMeter::ReplySource walking(int function, int range, int stride) {
    return [function, range, stride, step = 0]() mutable {
        step = (step + stride) % 9000;
        return kv::meterReply(function, range, "0" + std::to_string(1000 + step));
    };
}

struct Bench {
    explicit Bench(bool derived) {
        meters.push_back(std::make_unique<kv::Channel>(volts));
        meters.push_back(std::make_unique<kv::Channel>(milliamps));
        meters[0]->setName(QStringLiteral("V"));
        meters[1]->setName(QStringLiteral("I"));
        if (derived)
            for (const char* text : {"P=V*I", "Q=integral(I)"}) {
                const kv::DerivedFormula formula = kv::parseDerivation(text, '.').formula;
                std::vector<kv::Channel*> inputs;
                for (const std::string& name : formula.inputs)
                    inputs.push_back(name == "V" ? meters[0].get() : meters[1].get());
                derivedChannels.push_back(std::make_unique<kv::Channel>(formula, inputs));
                derivedChannels.back()->start();
            }
        for (auto& meter : meters) {
            meter->session().poller().setWaitMs(0);
            meter->start("COM1");
            meter->session().poller().stop(); // the polls are driven here, back to back
        }
    }
    // One reading of each meter.
    void poll() {
        for (auto& meter : meters)
            meter->session().poller().pollOnce();
        for (kv::MemoryMeter* link : {&volts, &milliamps}) {
            link->sent.clear(); // the meters' own record of requests is not the program's
            link->calls.clear();
        }
    }
    std::size_t derivedRows() const {
        std::size_t rows = 0;
        for (const auto& c : derivedChannels)
            rows += c->record().rows().size();
        return rows;
    }
    double bytesPerKeptReading() const {
        std::size_t bytes = 0, rows = 0;
        for (const auto* list : {&meters, &derivedChannels})
            for (const auto& c : *list) {
                bytes += c->record().rows().memoryBytes();
                rows += c->record().rows().size();
            }
        return rows ? double(bytes) / double(rows) : 0.0;
    }

    kv::MemoryMeter volts{walking(240, 136, 37)};
    kv::MemoryMeter milliamps{walking(176, 136, 53)};
    std::vector<std::unique_ptr<kv::Channel>> meters;
    std::vector<std::unique_ptr<kv::Channel>> derivedChannels;
};

// Seconds for `polls` readings of each meter.
double timed(Bench& bench, long polls) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < polls; ++i)
        bench.poll();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_TwoMetersTwoDerived(benchmark::State& state) {
    const long polls = state.range(0);
    for (auto _ : state) {
        Bench alone(false);
        Bench with(true);
        // The first thousand settle what a channel allocates once.
        timed(alone, 1000);
        timed(with, 1000);
        const std::size_t derivedBefore = with.derivedRows();
        const double aloneSeconds = timed(alone, polls);
        const double withSeconds = timed(with, polls);
        const auto derived = double(with.derivedRows() - derivedBefore);
        state.counters["derived_readings"] = derived;
        state.counters["us_per_meter_reading"] = aloneSeconds * 1e6 / double(2 * polls);
        state.counters["added_us_per_derived_reading"] =
            derived > 0 ? (withSeconds - aloneSeconds) * 1e6 / derived : 0.0;
        state.counters["bytes_per_kept_reading"] = with.bytesPerKeptReading();
    }
}
BENCHMARK(BM_TwoMetersTwoDerived)->Arg(200'000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_KeepAndLog(benchmark::State& state) {
    kv::Recorder record;
    record.setLogInterval(state.range(0));
    record.start(0);
    if (!record.openLog("/dev/null")) {
        state.SkipWithError(record.logError().c_str());
        return;
    }
    kv::Reading r;
    r.unit = "V-DC";
    r.format = "0.000";
    r.function = 240;
    r.range = 136;
    long i = 0;
    for (auto _ : state) {
        r.time = 100 * ++i;
        r.value = static_cast<float>(1000 + (i * 37) % 9000) / 1000.0f;
        benchmark::DoNotOptimize(record.keep(r));
    }
    record.closeLog();
}
BENCHMARK(BM_KeepAndLog)->Arg(0)->Arg(1000);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
