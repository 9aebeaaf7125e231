#include "app/log_run.h"

#include "app/outcome_record.h"
#include "serial/mode_text.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace kv {

namespace {
// QTimer counts in int milliseconds; a longer run is timed in steps of this.
constexpr std::int64_t kLongestWaitMs = 3'600'000;
} // namespace

LogRun::LogRun(SerialIo& link, Options options, QString title, QObject* parent)
    : QObject(parent), link_(link), options_(std::move(options)), title_(std::move(title)),
      poller_(link_, display_) {
    onFinished = [](int status) { QCoreApplication::exit(status); };
    poller_.onOutcome = [this](const PollOutcome& o) { outcome(o); };
    poller_.onError = [this](const std::exception& e) { pollError(e); };
    recorder_.onLogError = [this](const std::string& reason) {
        error_ = reason;
        say(title_.toStdString() + ": " + reason);
        finish(1);
    };
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { checkDeadline(); });
}

LogRun::~LogRun() = default;

bool LogRun::start(int portNumber) {
    const int opened = link_.openPort(meterModeText(portNumber));
    link_.setRts(1);
    link_.setTimeouts(2);
    poller_.cycle().openResult = opened;
    if (opened != 1) {
        error_ = link_.openFailure().text();
        if (error_.empty())
            error_ = tr("Cannot open COM%1.").arg(portNumber).toStdString();
        link_.closePort();
        return false;
    }
    if (!recorder_.openLog(options_.logPath)) {
        error_ = recorder_.logError();
        link_.closePort();
        return false;
    }
    recorder_.start(wallClockMs());
    poller_.start();
    if (options_.durationMs > 0) {
        end_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.durationMs);
        checkDeadline();
    }
    return true;
}

void LogRun::finish(int status) {
    if (finished_)
        return;
    finished_ = true;
    poller_.stop();
    deadline_.stop();
    recorder_.stop();
    recorder_.closeLog();
    link_.closePort();
    say(recorder_.summary());
    if (onFinished)
        onFinished(status);
}

void LogRun::outcome(const PollOutcome& o) {
    if (finished_)
        return;
    const bool kept = recordOutcome(recorder_, o);
    if (o.kind == PollOutcome::Kind::Garbled || o.kind == PollOutcome::Kind::Unlisted) {
        // Told once a run, as the window's footer tells it; the summary counts them all.
        if (++garbledRun_ == MeterPoller::kGarbledRunTold)
            say(title_.toStdString() + ": " +
                tr("The meter's replies are garbled: check the cable").toStdString());
        return;
    }
    if (o.kind != PollOutcome::Kind::Silence)
        garbledRun_ = 0;
    // A log that failed on this row has ended the run already.
    if (!kept || finished_)
        return;
    ++readings_;
    if (options_.readings > 0 && readings_ >= options_.readings)
        finish(0);
}

void LogRun::pollError(const std::exception& e) {
    const std::string line = title_.toStdString() + ": " + e.what();
    if (line == lastPollError_)
        return;
    lastPollError_ = line;
    say(line);
}

void LogRun::checkDeadline() {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(end_ - steady_clock::now()).count();
    if (left <= 0) {
        finish(0);
        return;
    }
    deadline_.start(static_cast<int>(std::min<std::int64_t>(left, kLongestWaitMs)));
}

void LogRun::say(const std::string& line) const {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace kv
