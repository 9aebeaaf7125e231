// The polling's schedule, through the window on the in-memory meter with the real wait: the
// same bytes at the same times as a poll that sleeps, while the event loop runs on.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "chart/chart_series.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

// The in-memory meter, noting when the port was opened, each request went out and each
// drain after it began.
struct TimedMeter : MemoryMeter {
    using MemoryMeter::MemoryMeter;
    Clock::time_point opened;
    std::vector<Clock::time_point> requests, drains;
    bool asked = false;

    int openPort(std::string_view mode) override {
        opened = Clock::now();
        return MemoryMeter::openPort(mode);
    }
    void sendByte(int value) override {
        requests.push_back(Clock::now());
        asked = true;
        MemoryMeter::sendByte(value);
    }
    int bytesWaiting() override {
        if (asked)
            drains.push_back(Clock::now());
        asked = false;
        return MemoryMeter::bytesWaiting();
    }
};

long ms(Clock::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

class Polling : public ::testing::Test {
protected:
    Polling() { window.show(); }

    void runFor(int milliseconds) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    void runUntil(const std::function<bool()>& done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    TimedMeter meter{[] { return meterReply(240, 136, "01234"); }};
    ErrorReporter errors{[](const QString&, const QString&) {}};
    test::TestWindow window{meter, {}, errors};
};

TEST_F(Polling, KeepsTheLinesTimingWhileTheEventLoopRuns) {
    // Something else that wants the event loop every 5 ms, like a drag on the chart.
    int beats = 0;
    QTimer heart;
    heart.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heart, &QTimer::timeout, [&] { ++beats; });
    heart.start(5);
    window.openClick();
    runFor(750);
    window.session().poller().stop();
    heart.stop();

    ASSERT_GE(meter.requests.size(), 4u);
    EXPECT_LE(meter.requests.size(), 7u);
    EXPECT_GE(ms(meter.requests[0] - meter.opened), 100) << "Start's own wait comes first";
    for (std::size_t i = 0; i < meter.drains.size(); ++i) {
        EXPECT_GE(ms(meter.drains[i] - meter.requests[i]), 100) << "the reply wait, poll " << i;
        if (i + 1 < meter.requests.size()) {
            EXPECT_LT(ms(meter.requests[i + 1] - meter.drains[i]), 40)
                << "the next request right after";
        }
    }
    EXPECT_EQ(meter.sent, std::vector<int>(meter.sent.size(), kRequestByte));
    EXPECT_EQ(window.readings(), static_cast<int>(meter.drains.size()));
    // About 150 in 750 ms on a quiet machine, far fewer on a loaded one; a poll that slept
    // would let the other work in only once per poll, at most seven times here.
    EXPECT_GT(beats, 25) << "the event loop ran during the waits";
}

TEST_F(Polling, StopExitOrStartDuringAWaitDropsItsDrain) {
    const auto startAndWait = [&] {
        window.openClick();
        const std::size_t before = meter.requests.size();
        runUntil([&] { return meter.requests.size() > before; });
        ASSERT_TRUE(window.session().poller().waiting());
    };
    startAndWait();
    window.button1Click(); // Stop
    runFor(250);
    EXPECT_EQ(meter.requests.size(), 1u);
    EXPECT_TRUE(meter.drains.empty());
    EXPECT_EQ(window.readings(), 0);
    EXPECT_EQ(window.series1().pointCount(), 0);

    // Start again during the wait: the run begins afresh with Start's own wait.
    startAndWait();
    window.openClick();
    const Clock::time_point restarted = meter.opened;
    runUntil([&] { return window.readings() >= 2; });
    ASSERT_GE(meter.requests.size(), 4u);
    EXPECT_GE(ms(meter.requests[2] - restarted), 100);
    EXPECT_GT(meter.drains.front(), meter.requests[2]) << "the dropped drain never came";
    EXPECT_EQ(window.readings(), static_cast<int>(meter.drains.size()));

    // Exit during a wait: the port closes and nothing comes after.
    const std::size_t requests = meter.requests.size();
    runUntil([&] { return meter.requests.size() > requests; });
    ASSERT_TRUE(window.session().poller().waiting());
    const int readings = window.readings();
    window.button2Click();
    runFor(250);
    EXPECT_EQ(window.readings(), readings);
    EXPECT_EQ(meter.count("close"), 1);
}

} // namespace
} // namespace kv
