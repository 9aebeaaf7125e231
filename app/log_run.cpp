#include "app/log_run.h"

#include "record/csv.h"

#include "channel/channel_publisher.h"
#include "format/number_format.h"
#include "record/error_output.h"

#include <QCoreApplication>
#include <algorithm>
#include <unistd.h>

namespace kv {

namespace {
// QTimer counts in int milliseconds; a longer run is timed in steps of this.
constexpr std::int64_t kLongestWaitMs = 3'600'000;
} // namespace

LogRun::LogRun(Channel& channel, Options options, QString title, QObject* parent)
    : QObject(parent), channel_(channel), options_(std::move(options)), title_(std::move(title)) {
    channel_.record().setKeepRows(false);
    connect(&channel_, &Channel::reading, this, [this](const Reading& r) {
        // Codes without a row give no reading to keep; the summary counts them as garbled.
        if (r.kept())
            counted();
    });
    // Told once a run of them, as the window's footer tells it; the summary counts them all.
    connect(&channel_.session(), &MeterSession::garbledReplies, this,
            [this] { say(StatusNotes::garbledText()); });
    connect(&channel_.session(), &MeterSession::pollFailed, this, &LogRun::pollError);
    connect(&channel_.session(), &MeterSession::polled, this, [this] {
        polled_ = true;
        tellBacklog();
        if (deadlinePassed_)
            finish(0);
    });
    connect(&channel_, &Channel::logChanged, this, [this] {
        // A log that failed to begin is start()'s to tell.
        if (!running_ || finished_ || channel_.logging() || channel_.logFailure().isEmpty())
            return;
        error_ = channel_.logFailure().toStdString();
        say(channel_.logFailure());
        finish(1);
    });
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { checkDeadline(); });
    progress_.setInterval(1000);
    connect(&progress_, &QTimer::timeout, this,
            [this] { writeStatusLine(progressText().toStdString()); });
}

LogRun::~LogRun() = default;

bool LogRun::start(int portNumber) {
    if (!channel_.openPort("COM" + std::to_string(portNumber))) {
        error_ = channel_.notes().note(StatusNotes::Slot::openFailure).toStdString();
        channel_.close();
        return false;
    }
    for (Channel* c : options_.others) {
        c->record().setKeepRows(false);
        if (!c->derived() && !c->openPort("COM1")) {
            error_ =
                (c->name() + QStringLiteral(": ") + c->notes().note(StatusNotes::Slot::openFailure))
                    .toStdString();
            for (Channel* each : channels())
                each->close();
            return false;
        }
    }
    shareLog(channels());
    // Without a log the readings only go where the channel's other listeners take them.
    if (!options_.logPath.isEmpty() && !channel_.startLog(options_.logPath)) {
        error_ = channel_.logFailure().toStdString();
        for (Channel* c : channels())
            c->close();
        return false;
    }
    polled_ = false;
    running_ = true;
    // The others first: a derived channel's record is running before its inputs' first rows.
    for (Channel* c : options_.others)
        c->start();
    channel_.start();
    if (options_.durationMs > 0) {
        end_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.durationMs);
        checkDeadline();
    }
    // A run with an end is told how far it is, on a terminal only: a file or a pipe gets no
    // line rewritten once a second.
    const bool ends = options_.durationMs > 0 || options_.readings > 0 ||
                      (conditions_ && !conditions_->stopText().isEmpty());
    if (ends && !options_.logPath.isEmpty() && ::isatty(STDERR_FILENO))
        progress_.start();
    return true;
}

void LogRun::finish(int status, const QString& why) {
    if (finished_)
        return;
    finished_ = true;
    deadline_.stop();
    progress_.stop();
    for (Channel* c : channels()) {
        c->close();
        c->record().stop();
    }
    const std::uint64_t dropped = channel_.record().closeLog();
    if (dropped > 0)
        say(tr("%1 lines could not be written to the log: its reader did not keep up")
                .arg(dropped));
    for (Channel* c : channels()) {
        QString summary = QString::fromStdString(c->record().summary());
        if (const std::uint64_t lost = c->publisher() ? c->publisher()->unpublished() : 0)
            summary =
                lost == 1
                    ? tr("%1, one reading never published").arg(summary)
                    : tr("%1, %2 readings never published").arg(summary, QString::number(lost));
        if (c == &channel_ && !why.isEmpty())
            summary += QStringLiteral(", ") + why;
        // A log per day or hour names each of its files.
        if (c == &channel_ && isLogPattern(options_.logPath.toStdString())) {
            QStringList files;
            for (const std::string& file : channel_.record().logFiles())
                files << QString::fromStdString(file);
            summary +=
                QStringLiteral(", ") + tr("written to %1").arg(files.join(QStringLiteral(", ")));
        }
        if (!options_.others.empty())
            summary = c->name() + QStringLiteral(": ") + summary;
        writeErrorLine(summary.toStdString());
    }
    emit finished(status);
}

std::vector<Channel*> LogRun::channels() const {
    std::vector<Channel*> all{&channel_};
    all.insert(all.end(), options_.others.begin(), options_.others.end());
    return all;
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
    const LogWriter::Backlog log = channel_.record().logBacklog();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(log.behind).count();
    if (!behindTold_ && log.behind >= StatusNotes::kLogBehindTold) {
        behindTold_ = true;
        say(StatusNotes::logBehindText(seconds));
    }
    if (!droppingTold_ && log.dropped > droppedTold_) {
        droppingTold_ = true;
        say(tr("The log is %1 s behind and full: readings are dropped until its reader reads "
               "again")
                .arg(seconds));
    }
    if (log.renewed > renewedTold_) {
        renewedTold_ = log.renewed;
        say(tr("The log %1 was moved, removed or emptied: it goes on at that name, from a new "
               "header")
                .arg(options_.logPath));
    }
    if ((behindTold_ || droppingTold_) && log.lines == 0) {
        if (log.dropped > droppedTold_)
            say(tr("The log has caught up: %1 lines were dropped").arg(log.dropped - droppedTold_));
        else
            say(tr("The log has caught up"));
        droppedTold_ = log.dropped;
        behindTold_ = droppingTold_ = false;
    }
}

void LogRun::pollError(const QString& message) {
    if (message == lastPollError_)
        return;
    lastPollError_ = message;
    say(message);
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

void LogRun::say(const QString& line) const {
    writeErrorLine((title_ + QStringLiteral(": ") + line).toStdString());
}

QString LogRun::progressText() const {
    const QString count =
        QString::fromStdString(formatNumber("#,##0", static_cast<long double>(channel_.logged())));
    QString text = tr("Logging to %1: %2 readings").arg(channel_.logName(), count);
    if (options_.durationMs > 0 && running_) {
        // Whole seconds, rounded up: "1 s left" until the end.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end_ - std::chrono::steady_clock::now())
                              .count();
        const long long s = std::max<long long>(0, (left + 999) / 1000);
        const QString time = s >= 3600 ? tr("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60)
                             : s >= 60 ? tr("%1 min %2 s").arg(s / 60).arg(s % 60)
                                       : tr("%1 s").arg(s);
        text += tr(", %1 left").arg(time);
    } else if (options_.readings > 0) {
        text += tr(", %1 readings left").arg(std::max(0, options_.readings - readings_));
    }
    if (conditions_ && !conditions_->stopText().isEmpty())
        text += tr(", stops %1").arg(conditions_->stopText());
    return text;
}

} // namespace kv
