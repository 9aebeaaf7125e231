#include "session/meter_session.h"

#include "serial/mode_text.h"

#include <QCoreApplication>
#include <cstdint>

namespace kv {

namespace {

// The send time-out the meter's port is opened with, in the link's steps of 10 ms.
constexpr int kTimeoutSetting = 2;

std::int64_t monotonicNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

MeterSession::MeterSession(SerialIo& link, QObject* parent)
    : QObject(parent), link_(link), poller_(link) {
    connect(&poller_, &MeterPoller::polled, this, [this](PollResult r) { pollDone(r); });
    connect(&poller_, &MeterPoller::failed, this, &MeterSession::pollFailed);
}

MeterSession::~MeterSession() = default;

std::optional<QString> MeterSession::open(const std::string& portName) {
    const int result = link_.openPort(meterModeText(portName));
    link_.setRts(1);
    link_.setTimeouts(kTimeoutSetting);
    poller_.cycle().openResult = result;
    if (result == 1)
        return std::nullopt;
    const std::string why = link_.openFailure().text();
    const QString reason = why.empty()
                               ? QCoreApplication::translate("kv::MeterSession", "Cannot open %1.")
                                     .arg(QString::fromStdString(portName))
                               : QString::fromStdString(why);
    emit openFailed(reason);
    return reason;
}

void MeterSession::start() {
    garbledRun_ = 0;
    quiet_ = false;
    silenceReported_ = false;
    poller_.start();
    emit started();
}

void MeterSession::stop() {
    const bool wasPolling = poller_.isActive();
    poller_.stop();
    garbledRun_ = 0;
    quiet_ = false;
    silenceReported_ = false;
    if (silenceTold_) {
        silenceTold_ = false;
        emit silenceEnded();
    }
    if (wasPolling)
        emit stopped();
}

void MeterSession::close() {
    stop();
    link_.closePort();
}

void MeterSession::pollDone(PollResult result) {
    if (result == PollResult::NoReply) {
        if (!quiet_) {
            quiet_ = true;
            quietSince_ = poller_.requestedAt();
            quietSinceMs_ = poller_.requestedAtMs();
        }
        const auto quietFor = std::chrono::steady_clock::now() - quietSince_;
        if (!silenceReported_ && quietFor >= std::chrono::milliseconds(kSilenceMs)) {
            silenceReported_ = true;
            silenceTold_ = true;
            emit silenceBegan(quietSinceMs_);
        }
    } else if (result != PollResult::NotOpen) {
        // A garbled reply still shows that the meter is there: it ends a run of silence.
        quiet_ = false;
        silenceReported_ = false;
        if (result == PollResult::Garbled || result == PollResult::Unlisted) {
            if (result == PollResult::Garbled)
                emit garbledReply();
            if (++garbledRun_ == kGarbledRunTold)
                emit garbledReplies();
        } else if (result == PollResult::Reading || result == PollResult::Overload) {
            garbledRun_ = 0;
        }
        if (result == PollResult::Reading || result == PollResult::Overload ||
            result == PollResult::Unlisted)
            tell(result);
    }
    emit polled();
}

void MeterSession::tell(PollResult result) {
    Reading& r = poller_.cycle().reading;
    r.time = wallClockMs();
    r.monotonicNs = monotonicNs();
    if (silenceTold_) {
        silenceTold_ = false;
        emit silenceEnded();
    }
    const Reading told = r; // a listener may put another reading in place
    if (result == PollResult::Overload)
        emit overload(told);
    else
        emit reading(told);
}

} // namespace kv
