#pragma once

#include "core/reading_holder.h"
#include "meter/poll_cycle.h"
#include "serial/serial_io.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace kv {

// Wall-clock milliseconds since 1970-01-01 00:00 UTC, as outcomes are dated.
std::int64_t wallClockMs();

// What the meter told, as one poll found it.
struct PollOutcome {
    enum class Kind {
        Reading,  // a reading, now in the reading holder
        Overload, // the meter shows OL: no value
        Silence,  // no reply for MeterPoller::kSilenceMs: told once per silence
        Garbled,  // bytes came, but not a whole reply: nothing was decoded or shown
        Unlisted, // a reply whose pair of codes has no row: the displays show what the
                  // decoder made of it, but it is no reading to keep
    };
    Kind kind = Kind::Reading;
    // Wall-clock milliseconds since 1970-01-01 00:00 UTC: when the reply was read; for a
    // silence, when it began (the first request that went unanswered).
    std::int64_t timeMs = 0;
    // The reading's value (meaningful for a reading only) and the unit last decoded
    // (empty until one is); UTF-8.
    float value = 0;
    std::string unit;
    // The reply's function and range codes; for a silence, those of the last reply.
    int function = 0;
    int range = 0;
};

// The poll cycle's schedule, on the event loop's thread: a request, a reply wait during
// which the event loop runs on (a single-shot timer, never a nested loop), the drain and
// decoding, and the next request right after. Between start() and stop() it polls back to
// back, as the meter's protocol wants: one request, one fixed wait, one drain.
//
// It owns the PollCycle; the port and the reading holder must outlive it. A window shows the
// outcomes; a program without a window may log them.
class MeterPoller : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitMs = PollCycle::kReplyWaitMs;
    // A run of unanswered requests this long is a silence.
    static constexpr int kSilenceMs = 1000;
    // Garbled replies in a row before they are told: one alone is a hiccup.
    static constexpr int kGarbledRunTold = 5;

    MeterPoller(SerialIo& port, ReadingHolder& reading, QObject* parent = nullptr);
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

    // Each outcome once it is decoded (a reading or an overload), and a silence once per
    // silence. Called only when set.
    std::function<void(const PollOutcome&)> onOutcome;
    // An error raised inside a poll (a refused conversion, a failing port): that poll ends,
    // polling goes on. Without a handler the error passes on to the event loop.
    std::function<void(const std::exception& error)> onError;

private:
    // Passes the decoder's writes on and remembers what the outcome reports.
    class LastReading : public ReadingHolder {
    public:
        explicit LastReading(ReadingHolder& target) : target_(target) {}
        void setReadingFormat(const std::string& pictureFormat) override;
        void setReadingUnit(const std::string& unit) override;
        void setReadingValue(float value) override;

        float value = 0;
        std::string unit;

    private:
        ReadingHolder& target_;
    };

    struct NextPoll;
    void complete();
    void report(PollOutcome::Kind kind, std::int64_t timeMs);
    void scheduleNext(int ms);
    // Runs fn and hands what it throws to onError; false when it threw.
    bool guarded(const std::function<void()>& fn);

    LastReading reading_;
    PollCycle cycle_;
    int waitMs_ = kWaitMs;
    int interval_ = 1;
    bool active_ = false;
    QTimer wait_; // the reply wait
    QTimer next_; // the next request

    std::chrono::steady_clock::time_point requestedAt_{};
    std::int64_t requestedAtMs_ = 0;
    // The present run of unanswered requests: since when, and whether it was reported.
    bool quiet_ = false;
    bool silenceReported_ = false;
    std::chrono::steady_clock::time_point quietSince_{};
    std::int64_t quietSinceMs_ = 0;
};

} // namespace kv
