#include "app/meter_poller.h"

#include "meter/meter_protocol.h"

#include <algorithm>

namespace kv {

std::int64_t wallClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void MeterPoller::LastReading::setReadingFormat(const std::string& pictureFormat) {
    target_.setReadingFormat(pictureFormat);
}

void MeterPoller::LastReading::setReadingUnit(const std::string& u) {
    target_.setReadingUnit(u);
    unit = u;
}

void MeterPoller::LastReading::setReadingValue(float v) {
    target_.setReadingValue(v);
    value = v;
}

MeterPoller::MeterPoller(SerialIo& port, ReadingHolder& reading, QObject* parent)
    : QObject(parent), reading_(reading), cycle_(port, reading_) {
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
    quiet_ = false;
    silenceReported_ = false;
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
    guarded([this] {
        const PollResult result = cycle_.complete();
        if (result == PollResult::NoReply) {
            if (!quiet_) {
                quiet_ = true;
                quietSince_ = requestedAt_;
                quietSinceMs_ = requestedAtMs_;
            }
            const auto quietFor = std::chrono::steady_clock::now() - quietSince_;
            if (!silenceReported_ && quietFor >= std::chrono::milliseconds(kSilenceMs)) {
                silenceReported_ = true;
                report(PollOutcome::Kind::Silence, quietSinceMs_);
            }
            return;
        }
        // A garbled reply still shows that the meter is there: it ends a run of silence.
        quiet_ = false;
        silenceReported_ = false;
        switch (result) {
        case PollResult::Reading:
            report(PollOutcome::Kind::Reading, wallClockMs());
            break;
        case PollResult::Overload:
            report(PollOutcome::Kind::Overload, wallClockMs());
            break;
        case PollResult::Garbled:
            report(PollOutcome::Kind::Garbled, wallClockMs());
            break;
        case PollResult::Unlisted:
            report(PollOutcome::Kind::Unlisted, wallClockMs());
            break;
        default:
            break;
        }
    });
}

void MeterPoller::report(PollOutcome::Kind kind, std::int64_t timeMs) {
    if (!onOutcome)
        return;
    PollOutcome o;
    o.kind = kind;
    o.timeMs = timeMs;
    o.value = reading_.value;
    o.unit = reading_.unit;
    o.function = cycle_.frame.slotValue(kFunctionSlot);
    o.range = cycle_.frame.slotValue(kRangeSlot);
    onOutcome(o);
}

void MeterPoller::scheduleNext(int ms) {
    if (active_)
        next_.start(ms);
}

bool MeterPoller::guarded(const std::function<void()>& fn) {
    if (!onError) {
        fn();
        return true;
    }
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        onError(e);
    }
    return false;
}

} // namespace kv
