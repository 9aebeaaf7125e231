// What serving the readings to a browser costs the program: one poll tick of a meter session
// on the in-memory meter with its channel's reading fed to the page's history and streamed
// to one client connected over loopback (which reads on a thread of its own) until the client
// has it, beside the same tick serving nothing. The client reads on its own thread, so the
// time that counts is the main thread's CPU time (the "CPU" column), not the wall-clock time
// it waited; the difference is the cost a reading adds.
#include "bench/bench_main.h"
#include "bench/ticked_channel.h"
#include "channel/channel.h"
#include "meter/meter_protocol.h"
#include "session/meter_session.h"
#include "sim/memory_meter.h"
#include "web/web_feed.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
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
                // An event ends with an empty line.
                std::int64_t more = 0;
                for (ssize_t i = 0; i < n; ++i) {
                    if (buf[i] == '\n' && last_ == '\n')
                        ++more;
                    last_ = buf[i];
                }
                if (more > 0) {
                    {
                        std::lock_guard<std::mutex> lock(mutex_);
                        events_ += more;
                        arrived_.notify_all();
                    }
                    if (onEvents)
                        onEvents();
                }
            }
        });
    }
    ~Reader() {
        ::shutdown(fd_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
    }
    // Called on the reader's thread after events came; set before they may come.
    std::function<void()> onEvents;
    std::int64_t bytes() const { return bytes_; }
    std::int64_t events() const { return events_; }
    // Sleeps till `count` events have come, at most `ms`; whether they have.
    bool waitFor(std::int64_t count, int ms) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::milliseconds(ms),
                                 [&] { return events_ >= count; });
    }

private:
    int fd_ = -1;
    std::thread thread_;
    std::atomic<std::int64_t> bytes_{0};
    std::atomic<std::int64_t> events_{0};
    std::mutex mutex_;
    std::condition_variable arrived_;
    char last_ = 0;
};

// `batch` readings a turn: with more than one, the ticks come back to back, as after a reply
// that came late.
void runTicks(benchmark::State& state, bool serving, int batch = 1) {
    kv::bench::TickedChannel ticked;
    kv::Channel& channel = ticked.channel;
    kv::MeterSession& session = ticked.session;
    if (!ticked.open()) {
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
        while ((server->streams() < 1 || reader->events() < 1) &&
               std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents();
        if (server->streams() < 1) {
            state.SkipWithError("the client did not connect");
            return;
        }
    }
    ticked.start();
    // The stream's header and its retry line are an event each.
    std::int64_t streamed = reader ? reader->events() : 0;
    // The main thread sleeps in its event loop till the client has what was streamed: the
    // client's thread wakes it, so that waiting costs the main thread no CPU time of its own.
    QEventLoop waiting;
    std::atomic<std::int64_t> wanted{0};
    if (reader)
        reader->onEvents = [&] {
            if (reader->events() >= wanted.load())
                QMetaObject::invokeMethod(
                    &waiting,
                    [&] {
                        if (reader->events() >= wanted.load())
                            waiting.quit();
                    },
                    Qt::QueuedConnection);
        };
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &waiting, &QEventLoop::quit);
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            session.poller().pollOnce();
            QCoreApplication::processEvents();
        }
        if (!serving)
            continue;
        // Until the client has it: the server hands the reading on, its socket writes, the
        // client reads.
        streamed += batch;
        wanted = streamed;
        if (reader->events() < streamed) {
            giveUp.start(5000);
            waiting.exec();
            giveUp.stop();
        }
        if (reader->events() < streamed) {
            state.SkipWithError("the client did not get its reading");
            break;
        }
    }
    if (serving) {
        state.counters["streamed_bytes"] = static_cast<double>(reader->bytes());
        state.counters["dropped"] = static_cast<double>(server->dropped());
    }
}

void BM_TickServingNothing(benchmark::State& state) {
    runTicks(state, false);
}
BENCHMARK(BM_TickServingNothing)->Unit(benchmark::kMicrosecond);

void BM_TickStreamingToOneClient(benchmark::State& state) {
    runTicks(state, true);
}
BENCHMARK(BM_TickStreamingToOneClient)->Unit(benchmark::kMicrosecond);

void BM_HundredTicks(benchmark::State& state) {
    runTicks(state, false, 100);
}
BENCHMARK(BM_HundredTicks)->Unit(benchmark::kMicrosecond);

void BM_HundredTicksStreamedToOneClient(benchmark::State& state) {
    runTicks(state, true, 100);
}
BENCHMARK(BM_HundredTicksStreamedToOneClient)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return kv::bench::runBenchmarks<QCoreApplication>(argc, argv);
}
