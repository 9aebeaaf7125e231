#include "session/meter_poller.h"

#include <algorithm>
#include <exception>

namespace kv {

std::int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

MeterPoller::MeterPoller(SerialIo& port, QObject* parent) : QObject(parent), cycle_(port) {
    wait_.setSingleShot(true);
    wait_.setTimerType(Qt::PreciseTimer);
    connect(&wait_, &QTimer::timeout, this, [this] { complete(); });
    next_.setSingleShot(true);
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, [this] { pollOnce(); });
}

MeterPoller::~MeterPoller() = default;

void MeterPoller::setWaitMs(int ms) {
    waitMs_ = std::max(0, ms);
}

void MeterPoller::setInterval(int ms) {
    interval_ = std::max(0, ms);
}

void MeterPoller::start() {
    wait_.stop();
    active_ = true;
    scheduleNext(std::max(waitMs_, interval_));
}

void MeterPoller::stop() {
    active_ = false;
    wait_.stop();
    next_.stop();
}

// Schedules the next request when a poll ends, also when it ends by an exception; a handler
// that stopped polling, or started it anew (which schedules on its own), is left alone.
struct MeterPoller::NextPoll {
    MeterPoller& poller;
    bool armed = true;
    ~NextPoll() {
        if (armed && !poller.next_.isActive())
            poller.scheduleNext(poller.interval_);
    }
};

void MeterPoller::pollOnce() {
    if (waiting())
        return;
    NextPoll next{*this};
    bool requested = false;
    if (!guarded([&] { requested = cycle_.request(); }))
        return;
    next.armed = false;
    if (!requested)
        return;
    requestedAt_ = std::chrono::steady_clock::now();
    requestedAtMs_ = wallClockMs();
    if (waitMs_ == 0)
        complete();
    else
        wait_.start(waitMs_);
}

void MeterPoller::complete() {
    NextPoll next{*this};
    guarded([this] { emit polled(cycle_.complete()); });
}

void MeterPoller::scheduleNext(int ms) {
    if (active_)
        next_.start(ms);
}

bool MeterPoller::guarded(const std::function<void()>& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        emit failed(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace kv
