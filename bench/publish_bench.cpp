// What publishing to an MQTT broker costs the poll: one MqttPublisher::publish() call on
// the caller's thread, against a Mosquitto broker this program starts on 127.0.0.1 (the
// Debian binary; skipped without it), each reading handed to the library at once (the
// JSON, the reading and the retained last reading); the same call while the broker is
// out of reach, when the reading only waits; and the heap bytes a waiting reading takes.
// And the poll tick of a meter session with its readings published through the program's
// channel, beside the same tick publishing nothing.
#include "bench/bench_main.h"
#include "bench/ticked_channel.h"
#include "channel/channel.h"
#include "channel/channel_publisher.h"
#include "meter/meter_protocol.h"
#include "publish/mqtt_publisher.h"
#include "session/meter_session.h"
#include "sim/memory_meter.h"
#include "tests/publish/broker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

kv::MqttPublisher::Options options(int port,
                                   std::size_t limit = kv::MqttPublisher::kDefaultQueueLimit) {
    kv::MqttPublisher::Options o;
    o.url.host = "127.0.0.1";
    o.url.port = port;
    o.url.prefix = "bench/kv27500";
    o.queueLimit = limit;
    return o;
}

kv::Reading reading(std::int64_t i) {
    kv::Reading r;
    r.time = QDateTime::currentMSecsSinceEpoch();
    r.value = static_cast<float>(1000 + i % 9000) / 1000.0f;
    r.unit = "V-DC";
    r.function = 240;
    r.range = 136;
    return r;
}

bool waitIdle(const kv::MqttPublisher& publisher) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!publisher.idle()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    return true;
}

void BM_PublishToBroker(benchmark::State& state) {
    kv::test::Broker broker;
    if (!broker.running()) {
        state.SkipWithError("no /usr/sbin/mosquitto");
        return;
    }
    kv::MqttPublisher publisher(options(broker.port()));
    publisher.start();
    if (!waitIdle(publisher)) {
        state.SkipWithError("the broker did not answer");
        return;
    }
    std::int64_t i = 0;
    for (auto _ : state) {
        const kv::Reading r = reading(i++);
        const auto begin = std::chrono::steady_clock::now();
        publisher.publish(r);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        // As at the poll's pace: the broker has acknowledged the last before the next.
        if (!waitIdle(publisher))
            state.SkipWithError("a reading was not acknowledged");
    }
    state.counters["dropped"] = static_cast<double>(publisher.dropped());
}
BENCHMARK(BM_PublishToBroker)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Nobody listens on the port: every reading waits.
void BM_PublishWhileUnreachable(benchmark::State& state) {
    kv::MqttPublisher publisher(options(kv::test::freePort(), 1'000'000'000));
    publisher.start();
    std::int64_t i = 0;
    for (auto _ : state)
        publisher.publish(reading(i++));
    state.counters["waiting"] = static_cast<double>(publisher.waiting());
}
BENCHMARK(BM_PublishWhileUnreachable)->Unit(benchmark::kMicrosecond);

// The heap the waiting readings take, over an hour's worth at ten a second.
void BM_QueueBytesPerWaitingReading(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    double bytesPerReading = 0;
    for (auto _ : state) {
        kv::MqttPublisher publisher(options(kv::test::freePort()));
        publisher.start();
        publisher.publish(reading(0)); // the context table's first entry
        const std::size_t before = mallinfo2().uordblks;
        for (std::int64_t i = 1; i <= count; ++i)
            publisher.publish(reading(i));
        const std::size_t after = mallinfo2().uordblks;
        bytesPerReading = static_cast<double>(after - before) / static_cast<double>(count);
        if (publisher.waiting() != static_cast<std::size_t>(count + 1))
            state.SkipWithError("readings did not wait");
    }
    state.counters["bytes/reading"] = bytesPerReading;
}
BENCHMARK(BM_QueueBytesPerWaitingReading)
    ->Arg(36'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// One poll tick of a meter session on the in-memory meter (the reply already waiting, the
// reply wait 0): the request, the drain, the decoding and the reading told, and what its
// listeners do with it; with `publishing` the channel's publisher hands each reading to a broker.
// Only the tick is timed; between ticks the broker acknowledges, as at the meter's pace.
void runSessionTicks(benchmark::State& state, bool publishing) {
    std::unique_ptr<kv::test::Broker> broker;
    kv::bench::TickedChannel ticked;
    kv::Channel& channel = ticked.channel;
    kv::MeterSession& session = ticked.session;
    if (!ticked.open()) {
        state.SkipWithError("the in-memory meter did not open");
        return;
    }
    const kv::ChannelPublisher* publisher = nullptr;
    if (publishing) {
        broker = std::make_unique<kv::test::Broker>();
        if (!broker->running()) {
            state.SkipWithError("no /usr/sbin/mosquitto");
            return;
        }
        channel.publishTo(options(broker->port()));
        publisher = channel.publisher();
    }
    std::int64_t readings = 0;
    QObject::connect(&channel, &kv::Channel::reading, [&readings] { ++readings; });
    ticked.start();
    if (publisher && !waitIdle(publisher->publisher())) {
        state.SkipWithError("the broker did not answer");
        return;
    }
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        session.poller().pollOnce();
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        if (publisher && !waitIdle(publisher->publisher()))
            state.SkipWithError("a reading was not acknowledged");
    }
    state.counters["readings"] = static_cast<double>(readings);
    if (publisher)
        state.counters["dropped"] = static_cast<double>(publisher->publisher().dropped());
}

void BM_SessionTick(benchmark::State& state) {
    runSessionTicks(state, false);
}
BENCHMARK(BM_SessionTick)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_SessionTickPublishing(benchmark::State& state) {
    runSessionTicks(state, true);
}
BENCHMARK(BM_SessionTickPublishing)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
