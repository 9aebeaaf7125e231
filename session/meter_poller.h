#pragma once

#include "meter/poll_cycle.h"
#include "serial/serial_io.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>

namespace kv {

// Wall-clock milliseconds since 1970-01-01 00:00 UTC, as readings are dated.
std::int64_t wallClockMs();

// The poll cycle's schedule, on the event loop's thread: a request, a reply wait during
// which the event loop runs on (a single-shot timer, never a nested loop), the drain and
// decoding, and the next request right after. Between start() and stop() it polls back to
// back, as the meter's protocol wants: one request, one fixed wait, one drain.
//
// It owns the PollCycle; the port must outlive it. What a poll found is told by polled();
// the meter session makes readings and silences of it.
class MeterPoller : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitMs = PollCycle::kReplyWaitMs;

    explicit MeterPoller(SerialIo& port, QObject* parent = nullptr);
    ~MeterPoller() override;

    PollCycle& cycle() { return cycle_; }
    const PollCycle& cycle() const { return cycle_; }

    // The reply wait, and the wait between start() and the first request: kWaitMs unless
    // changed. With 0 a poll drains in the same call as its request, which suits a meter
    // that answers at once (the in-memory one) where speed counts: benchmarks and tests.
    int waitMs() const { return waitMs_; }
    void setWaitMs(int ms);
    // Milliseconds from one drain to the next request: the poll timer's interval, 1 unless
    // changed.
    int interval() const { return interval_; }
    void setInterval(int ms);

    // Polls back to back from the first request, waitMs() from now. A drain still pending
    // is dropped, so a Start during a wait begins cleanly.
    void start();
    // No further request; a pending drain is dropped and nothing more is reported.
    void stop();
    // Between start() and stop().
    bool isActive() const { return active_; }
    // A request is out and its drain is pending.
    bool waiting() const { return wait_.isActive(); }

    // One poll: the request now and its drain after the wait; nothing while a drain is
    // pending. With the port not open nothing is sent, and polling idles until the next
    // start(), since only a new open can change that.
    void pollOnce();

    // When the request of the poll that completed last went out.
    std::chrono::steady_clock::time_point requestedAt() const { return requestedAt_; }
    std::int64_t requestedAtMs() const { return requestedAtMs_; }

signals:
    // A drain is done: what it found, with the cycle's frame and reading as it left them.
    void polled(kv::PollResult result);
    // An error raised inside a poll (a refused conversion, a failing port): that poll ends,
    // polling goes on.
    void failed(const QString& message);

private:
    struct NextPoll;
    void complete();
    void scheduleNext(int ms);
    // Runs fn and tells what it throws; false when it threw.
    bool guarded(const std::function<void()>& fn);

    PollCycle cycle_;
    int waitMs_ = kWaitMs;
    int interval_ = 1;
    bool active_ = false;
    QTimer wait_; // the reply wait
    QTimer next_; // the next request

    std::chrono::steady_clock::time_point requestedAt_{};
    std::int64_t requestedAtMs_ = 0;
};

} // namespace kv
