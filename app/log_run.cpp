#include "app/log_run.h"

#include "app/footer.h"
#include "app/session_publisher.h"
#include "record/error_output.h"
#include "watch/limit_command.h"

#include <QCoreApplication>
#include <algorithm>

namespace kv {

namespace {
// QTimer counts in int milliseconds; a longer run is timed in steps of this.
constexpr std::int64_t kLongestWaitMs = 3'600'000;
} // namespace

LogRun::LogRun(SerialIo& link, Options options, QString title, QObject* parent)
    : QObject(parent), options_(std::move(options)), title_(std::move(title)), session_(link) {
    recorder_.setKeepRows(false);
    session_.setRecorder(&recorder_);
    connect(&session_, &MeterSession::reading, this, [this](const Reading& r) {
        // Codes without a row give no reading to keep; the summary counts them as garbled.
        if (r.status == Reading::Status::ok) {
            limits_.feed(watched(r));
            counted();
        }
    });
    connect(&session_, &MeterSession::garbledReplies, this, [this] {
        // Told once a run, as the window's footer tells it; the summary counts them all.
        say(title_.toStdString() + ": " +
            tr("The meter's replies are garbled: check the cable").toStdString());
    });
    connect(&session_, &MeterSession::overload, this, [this] { counted(); });
    connect(&session_, &MeterSession::pollFailed, this, &LogRun::pollError);
    connect(&session_, &MeterSession::polled, this, [this] {
        polled_ = true;
        tellBacklog();
        if (deadlinePassed_)
            finish(0);
    });
    connect(&session_, &MeterSession::logFailed, this, [this](const QString& reason) {
        error_ = reason.toStdString();
        say(title_.toStdString() + ": " + error_);
        finish(1);
    });
    limits_.setLimits(options_.limits);
    if (!options_.onLimit.isEmpty()) {
        limitCommand_ = new LimitCommand(options_.onLimit, this);
        limits_.onCrossing = [this](const LimitCrossing& c) { limitCommand_->run(c); };
        auto tell = [this](const QString& line) {
            say(title_.toStdString() + ": " + line.toStdString());
        };
        connect(limitCommand_, &LimitCommand::told, this, tell);
    }
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { checkDeadline(); });
}

LogRun::~LogRun() {
    session_.setRecorder(nullptr);
}

bool LogRun::start(int portNumber) {
    if (const auto failure = session_.open("COM" + std::to_string(portNumber))) {
        error_ = failure->toStdString();
        session_.close();
        return false;
    }
    // Without a log the readings only go where the session's other listeners take them.
    if (!options_.logPath.empty() && !recorder_.openLog(options_.logPath)) {
        error_ = recorder_.logError();
        session_.close();
        return false;
    }
    recorder_.start(wallClockMs());
    polled_ = false;
    session_.start();
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
    deadline_.stop();
    session_.close();
    if (limitCommand_)
        limitCommand_->stop();
    recorder_.stop();
    const std::uint64_t dropped = recorder_.closeLog();
    if (dropped > 0)
        say(title_.toStdString() + ": " +
            QCoreApplication::translate("kv::LogRun",
                                        "%1 lines could not be written to the log: its reader "
                                        "did not keep up")
                .arg(dropped)
                .toStdString());
    std::string summary = recorder_.summary();
    if (const std::uint64_t lost = publisher_ ? publisher_->unpublished() : 0) {
        const QString line = QString::fromStdString(summary);
        summary =
            (lost == 1 ? tr("%1, one reading never published").arg(line)
                       : tr("%1, %2 readings never published").arg(line, QString::number(lost)))
                .toStdString();
    }
    say(summary);
    emit finished(status);
}

void LogRun::counted() {
    // A log that failed on this row has ended the run already.
    if (finished_)
        return;
    ++readings_;
    if (options_.readings > 0 && readings_ >= options_.readings)
        finish(0);
}

void LogRun::tellBacklog() {
    // Told once as the log falls behind, once as it begins to drop lines, and once when it
    // has caught up again; and each time its file is begun anew.
    const LogWriter::Backlog log = recorder_.logBacklog();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(log.behind).count();
    auto tell = [this](const QString& line) {
        say(title_.toStdString() + ": " + line.toStdString());
    };
    if (!behindTold_ && log.behind >= kLogBehindTold) {
        behindTold_ = true;
        tell(QCoreApplication::translate("kv::LogRun",
                                         "The log is %1 s behind: its reader does not keep up")
                 .arg(seconds));
    }
    if (!droppingTold_ && log.dropped > droppedTold_) {
        droppingTold_ = true;
        tell(QCoreApplication::translate(
                 "kv::LogRun", "The log is %1 s behind and full: readings are dropped until its "
                               "reader reads again")
                 .arg(seconds));
    }
    if (log.renewed > renewedTold_) {
        renewedTold_ = log.renewed;
        tell(QCoreApplication::translate("kv::LogRun",
                                         "The log %1 was moved, removed or emptied: it goes on "
                                         "at that name, from a new header")
                 .arg(QString::fromStdString(options_.logPath)));
    }
    if ((behindTold_ || droppingTold_) && log.lines == 0) {
        if (log.dropped > droppedTold_)
            tell(QCoreApplication::translate("kv::LogRun",
                                             "The log has caught up: %1 lines were dropped")
                     .arg(log.dropped - droppedTold_));
        else
            tell(QCoreApplication::translate("kv::LogRun", "The log has caught up"));
        droppedTold_ = log.dropped;
        behindTold_ = droppingTold_ = false;
    }
}

void LogRun::pollError(const QString& message) {
    const QString line = title_ + QStringLiteral(": ") + message;
    if (line == lastPollError_)
        return;
    lastPollError_ = line;
    say(line.toStdString());
}

void LogRun::checkDeadline() {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(end_ - steady_clock::now()).count();
    if (left > 0) {
        deadline_.start(static_cast<int>(std::min<std::int64_t>(left, kLongestWaitMs)));
        return;
    }
    // However short the time, the log holds what the first poll brought.
    deadlinePassed_ = true;
    if (polled_)
        finish(0);
}

void LogRun::say(const std::string& line) const {
    writeErrorLine(line);
}

} // namespace kv
