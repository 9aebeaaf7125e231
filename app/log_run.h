#pragma once

#include "channel/channel.h"
#include "channel/log_conditions.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// Records a channel's meter without a window: every reading written to a CSV log the moment
// it arrives, and the rules of its end: after a number of readings, after a time (once the
// first poll is done, however short the time), or when told to. The channel keeps the
// statistics for its summary line but not the rows, so its memory stays the same however
// long it runs. It shows nothing and needs no display, only an event loop; what it has to
// say goes to stderr.
class LogRun : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString logPath;             // "-": standard output; empty: no log
        int readings = 0;            // readings and overloads before the end; 0: no limit
        std::int64_t durationMs = 0; // from the start of polling; 0: no limit
        // Channels read beside the first (other meters, channels derived from them), which
        // must outlive the run: their rows go into the same log, with a channel column,
        // and each ends with a summary line of its own.
        std::vector<Channel*> others;
    };

    // The channel must outlive the run. `title` leads every message on stderr.
    LogRun(Channel& channel, Options options, QString title, QObject* parent = nullptr);
    ~LogRun() override;

    // Opens the port "COM<portNumber>" of the channel's link, then the log (so a port that
    // cannot be opened leaves no file behind), and polls. False, with the reason in error(),
    // when either fails; nothing is polled then.
    bool start(int portNumber);
    // Ends the run once: no further poll, the log closed, the summary line on stderr, then
    // finished(status). `why` (a stop condition met) ends the first channel's summary.
    void finish(int status, const QString& why = {});
    // Opens the log file at its name again (see Recorder::reopenLog); false without one.
    bool reopenLog() { return channel_.record().reopenLog(); }

    const std::string& error() const { return error_; }
    // The conditions that begin and end the log, which must outlive the run: what ends it
    // is told while it runs. Set before start().
    void setConditions(const LogConditions* conditions) { conditions_ = conditions; }
    // How far the run is, as the line on a terminal says it: "Logging to bench.csv: 12,345
    // readings, 2 h 10 min left" (or "..., 20 readings left", "..., stops below 3,000 V-DC").
    QString progressText() const;

signals:
    // Once, with the exit status.
    void finished(int status);

private:
    void counted();
    void pollError(const QString& message);
    void tellBacklog();
    void checkDeadline();
    void say(const QString& line) const;
    // Every channel of the run, the first one first.
    std::vector<Channel*> channels() const;

    Channel& channel_;
    Options options_;
    QString title_;
    int readings_ = 0;
    QTimer deadline_;
    QTimer progress_; // the line on a terminal, once a second
    const LogConditions* conditions_ = nullptr;
    std::chrono::steady_clock::time_point end_{};
    bool deadlinePassed_ = false; // the time is up; the run ends once a poll is done
    bool polled_ = false;         // a poll has completed since start()
    std::string error_;
    QString lastPollError_; // said once, not ten times a second
    bool behindTold_ = false;
    bool droppingTold_ = false;
    std::uint64_t droppedTold_ = 0;
    std::uint64_t renewedTold_ = 0;
    bool running_ = false; // between a start() that succeeded and finish()
    bool finished_ = false;
};

} // namespace kv
