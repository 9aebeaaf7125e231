// What serving the readings to a browser costs the poll: one poll tick of a meter session
// on the in-memory meter with its channel's readings fed to the page's history and streamed
// to one client connected over loopback (which reads on a thread of its own), beside the
// same tick serving nothing. The difference is the cost a reading adds.
#include "bench/bench_main.h"
#include "channel/channel.h"
#include "meter/meter_protocol.h"
#include "session/meter_session.h"
#include "sim/memory_meter.h"
#include "web/web_feed.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QUrl>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

// A stream client on a thread of its own that reads whatever comes.
class Reader {
public:
    explicit Reader(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            return;
        const std::string request = "GET /api/stream HTTP/1.1\r\nHost: x\r\n\r\n";
        if (::send(fd_, request.data(), request.size(), 0) != static_cast<ssize_t>(request.size()))
            return;
        thread_ = std::thread([this] {
            char buf[65536];
            for (;;) {
                const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
                if (n <= 0)
                    return;
                bytes_ += n;
            }
        });
    }
    ~Reader() {
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    std::int64_t bytes() const { return bytes_; }

private:
    int fd_ = -1;
    std::thread thread_;
    std::atomic<std::int64_t> bytes_{0};
};

void runTicks(benchmark::State& state, bool serving) {
    kv::MemoryMeter meter([step = 0]() mutable {
        step = (step + 37) % 9000;
        return kv::meterReply(240, 136, "0" + std::to_string(1000 + step));
    });
    kv::Channel channel(meter);
    kv::MeterSession& session = channel.session();
    session.poller().setWaitMs(0);
    if (!channel.openPort("COM1")) {
        state.SkipWithError("the in-memory meter did not open");
        return;
    }
    std::unique_ptr<kv::WebFeed> feed;
    std::unique_ptr<kv::WebServer> server;
    std::unique_ptr<Reader> reader;
    if (serving) {
        feed = std::make_unique<kv::WebFeed>(std::vector<kv::Channel*>{&channel});
        server = std::make_unique<kv::WebServer>(*feed);
        QString error;
        if (!server->listen(QHostAddress::LocalHost, 0, {}, error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        reader = std::make_unique<Reader>(QUrl(server->url()).port());
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (server->streams() < 1 && std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents();
        if (server->streams() < 1) {
            state.SkipWithError("the client did not connect");
            return;
        }
    }
    channel.start();
    session.poller().stop(); // the ticks are driven here
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        session.poller().pollOnce();
        // The reading told, and (serving) handed to the client's socket.
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        // Written to the kernel between ticks, as between polls.
        if (serving)
            QCoreApplication::processEvents();
    }
    if (serving) {
        state.counters["streamed_bytes"] = static_cast<double>(reader->bytes());
        state.counters["dropped"] = static_cast<double>(server->dropped());
    }
}

void BM_TickServingNothing(benchmark::State& state) {
    runTicks(state, false);
}
BENCHMARK(BM_TickServingNothing)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_TickStreamingToOneClient(benchmark::State& state) {
    runTicks(state, true);
}
BENCHMARK(BM_TickStreamingToOneClient)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
