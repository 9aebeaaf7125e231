// One whole poll tick of the main window, with the reply already waiting and the reply
// wait taken as 0: decoding, display update and the paints the tick causes on the
// offscreen window, with 0, 10,000 and 1,000,000 points already in the chart, and with
// every reading recorded to a log file and counted in the footer. And how long
// an event posted from outside (as the window system posts input and paints) waits while
// the window polls with the real reply wait: the in-memory meter answers at once, so the
// wait is the protocol's 100 ms alone.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "bench/bench_main.h"
#include "channel/channel.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

// V-DC readings walking through 1,000 to 9,999, so the value, the needle and the bar move on
// every tick while the full scale stays.
kv::MemoryMeter::ReplySource walkingReadings() {
    return [step = 0]() mutable {
        step = (step + 37) % 9000;
        return kv::meterReply(240, 136, "0" + std::to_string(1000 + step));
    };
}

// Ticks of the window on walking readings, `points` already in the chart; recording each
// reading to the log at `logPath` when one is given, with the footer counting them.
void runPollTicks(benchmark::State& state, int points, const QString& logPath) {
    kv::MemoryMeter meter(walkingReadings());
    kv::ErrorReporter errors([](const QString&, const QString&) {});
    kv::Channel channel(meter);
    kv::MainWindow window(channel, {}, {}, errors);
    kv::MeterPoller& poller = channel.session().poller();
    poller.setWaitMs(0);
    if (!logPath.isEmpty() && !channel.startLog(logPath)) {
        state.SkipWithError(channel.record().logError().c_str());
        return;
    }
    window.show();
    window.openClick();
    poller.stop(); // ticks are driven here
    auto& series = static_cast<kv::LineSeries&>(
        *window.findChild<kv::TrendChart*>(QStringLiteral("Chart1"))->seriesList().front());
    for (int i = 0; i < points; ++i)
        series.appendPoint(1.0 + (i % 9000) / 1000.0, std::string(), kv::clBlack);
    // The first tick sets unit and full scale and paints everything once.
    poller.pollOnce();
    QApplication::processEvents();

    // Counts the ticks after which the chart's drawing pass has drawn the new point (the
    // pass may run inside the tick, when the needle's immediate repaint flushes the window).
    int chartPasses = 0;
    for (auto _ : state) {
        poller.pollOnce();
        QApplication::processEvents();
        chartPasses += series.lastVisible() == series.pointCount() - 1 ? 1 : 0;
    }
    state.counters["chart passes"] =
        benchmark::Counter(chartPasses, benchmark::Counter::kAvgIterations);
    state.counters["points"] = series.pointCount();
    state.counters["readings"] = window.readings();
    if (!logPath.isEmpty() && !channel.record().logging())
        state.SkipWithError(channel.record().logError().c_str());
}

void BM_PollTick(benchmark::State& state) {
    runPollTicks(state, static_cast<int>(state.range(0)), QString());
}
BENCHMARK(BM_PollTick)->Arg(0)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// The same tick while the window records to a file on disk (in the working folder, not in a
// memory file system that /tmp may be): against BM_PollTick/0, what recording adds.
void BM_PollTickRecording(benchmark::State& state) {
    const QString path = QDir::current().filePath(QStringLiteral("tick_bench_log.csv"));
    QFile::remove(path);
    runPollTicks(state, 0, path);
    QFile::remove(path);
}
BENCHMARK(BM_PollTickRecording)->Unit(benchmark::kMillisecond);

using Clock = std::chrono::steady_clock;

const QEvent::Type kProbeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Notes when the probe event is handled.
class Probe : public QObject {
public:
    std::atomic<bool> handled{false};
    Clock::time_point at;
    bool event(QEvent* e) override {
        if (e->type() != kProbeEvent)
            return QObject::event(e);
        at = Clock::now();
        handled = true;
        return true;
    }
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void BM_PostedEventDelay(benchmark::State& state) {
    kv::MemoryMeter meter(walkingReadings());
    kv::ErrorReporter errors([](const QString&, const QString&) {});
    kv::Channel channel(meter);
    kv::MainWindow window(channel, {}, {}, errors);
    window.show();
    window.openClick();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 5);

    std::mt19937 random(27500);
    std::vector<double> delays;
    Probe probe;
    for (auto _ : state) {
        // Posted from another thread at a random moment of the poll cycle, the way input
        // reaches the loop from outside while it runs.
        const int afterUs = static_cast<int>(random() % 110'000);
        probe.handled = false;
        Clock::time_point posted;
        std::thread poster([&] {
            std::this_thread::sleep_for(std::chrono::microseconds(afterUs));
            posted = Clock::now();
            QCoreApplication::postEvent(&probe, new QEvent(kProbeEvent));
        });
        while (!probe.handled)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        poster.join();
        const double delay = std::chrono::duration<double>(probe.at - posted).count();
        state.SetIterationTime(delay);
        delays.push_back(delay * 1000.0);
    }
    window.button2Click();
    state.counters["p50 ms"] = percentile(delays, 0.50);
    state.counters["p99 ms"] = percentile(delays, 0.99);
    state.counters["max ms"] = percentile(delays, 1.0);
    state.counters["readings"] = window.readings();
}
BENCHMARK(BM_PostedEventDelay)->UseManualTime()->Iterations(400)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    kv::setDecimalChar(',');
    kv::setGroupingChar('.');
    return kv::bench::runBenchmarks<QApplication>(argc, argv);
}
