// What a derived channel adds per reading: one Derivation::feed() of a power from two meters
// (U*I, the inputs taking turns), of a charge (the integral of a current), and of the energy
// of that power (a derived channel of a derived one: two feeds per reading). The counter
// "allocations" is the heap allocations per reading, which should be 0.
#include "bench/counting_heap.h"
#include "channel/derivation.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

constexpr kv::TimeMs kStart = 1796734987125;

kv::Derivation derivation(const char* text) {
    return kv::Derivation(kv::parseDerivation(text, '.').formula);
}

kv::Reading reading(const char* unit, int function, int range) {
    kv::Reading r;
    r.unit = unit;
    r.format = "00.000";
    r.function = function;
    r.range = range;
    return r;
}

// The meters' readings, a new value and time for each: two meters, five readings a second
// each, the second a tenth of a second after the first.
struct Meters {
    kv::Reading volts = reading("V-DC", 240, 136);
    kv::Reading milliamps = reading("mA - DC", 176, 136);
    long i = 0;

    const kv::Reading& next(std::size_t& input) {
        input = static_cast<std::size_t>(i % 2);
        kv::Reading& r = input == 0 ? volts : milliamps;
        r.time = kStart + (i / 2) * 200 + (input == 0 ? 0 : 100);
        r.value = static_cast<float>(1000 + (i * 37) % 9000) / 1000.0f;
        ++i;
        return r;
    }
};

// Both inputs once: the units are known from then on.
void warmUp(kv::Derivation& power, Meters& meters) {
    std::size_t input = 0;
    for (int k = 0; k < 2; ++k) {
        const kv::Reading& r = meters.next(input);
        power.feed(input, r);
    }
}

void count(benchmark::State& state, long long before) {
    state.counters["allocations"] = benchmark::Counter(
        static_cast<double>(heap::allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void BM_DerivedPower(benchmark::State& state) {
    kv::Derivation power = derivation("P=U*I");
    Meters meters;
    std::size_t input = 0;
    warmUp(power, meters);
    const long long before = heap::allocations.load();
    for (auto _ : state) {
        const kv::Reading& r = meters.next(input);
        benchmark::DoNotOptimize(power.feed(input, r));
    }
    count(state, before);
}
BENCHMARK(BM_DerivedPower);

void BM_DerivedCharge(benchmark::State& state) {
    kv::Derivation charge = derivation("Q=integral(I)");
    Meters meters;
    std::size_t input = 0;
    meters.next(input);
    charge.feed(0, meters.next(input));
    const long long before = heap::allocations.load();
    for (auto _ : state) {
        meters.next(input);
        benchmark::DoNotOptimize(charge.feed(0, meters.next(input)));
    }
    count(state, before);
}
BENCHMARK(BM_DerivedCharge);

void BM_DerivedEnergyOfPower(benchmark::State& state) {
    kv::Derivation power = derivation("P=U*I");
    kv::Derivation energy = derivation("E=integral(P)");
    Meters meters;
    std::size_t input = 0;
    warmUp(power, meters);
    const long long before = heap::allocations.load();
    for (auto _ : state) {
        const kv::Reading& r = meters.next(input);
        if (const std::optional<kv::Reading> p = power.feed(input, r))
            benchmark::DoNotOptimize(energy.feed(0, *p));
    }
    count(state, before);
}
BENCHMARK(BM_DerivedEnergyOfPower);

} // namespace

BENCHMARK_MAIN();
