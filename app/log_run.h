#pragma once

#include "app/meter_poller.h"
#include "core/reading_holder.h"
#include "record/recorder.h"
#include "serial/serial_io.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kv {

// Records a meter without a window: polls one port, writes every reading to a CSV log the
// moment it arrives, and ends after a number of readings, after a time, or when told to.
// It shows nothing and needs no display, only an event loop.
class LogRun : public QObject {
    Q_OBJECT
public:
    struct Options {
        std::string logPath;         // "-": standard output
        int readings = 0;            // readings and overloads before the end; 0: no limit
        std::int64_t durationMs = 0; // from the start of polling; 0: no limit
    };

    // The link must outlive the run. `title` leads every message on stderr.
    LogRun(SerialIo& link, Options options, QString title, QObject* parent = nullptr);
    ~LogRun() override;

    // Opens the port "COM<portNumber>" of the link, then the log (so a port that cannot be
    // opened leaves no file behind), and polls. False, with the reason in error(), when
    // either fails; nothing is polled then.
    bool start(int portNumber);
    // Ends the run once: no further poll, the log closed, the summary line on stderr, then
    // onFinished(status).
    void finish(int status);

    // Called once with the exit status; QCoreApplication::exit unless replaced.
    std::function<void(int status)> onFinished;

    const Recorder& recorder() const { return recorder_; }
    MeterPoller& poller() { return poller_; }
    const std::string& error() const { return error_; }
    bool finished() const { return finished_; }

private:
    // The reading goes to the record alone.
    class NoDisplay : public ReadingHolder {
    public:
        void setReadingFormat(const std::string&) override {}
        void setReadingUnit(const std::string&) override {}
        void setReadingValue(float) override {}
    };

    void outcome(const PollOutcome& o);
    void pollError(const std::exception& e);
    void checkDeadline();
    void say(const std::string& line) const;

    SerialIo& link_;
    Options options_;
    QString title_;
    NoDisplay display_;
    MeterPoller poller_;
    Recorder recorder_;
    int readings_ = 0;
    int garbledRun_ = 0; // replies in a row with nothing to keep
    QTimer deadline_;
    std::chrono::steady_clock::time_point end_{};
    std::string error_;
    std::string lastPollError_; // said once, not ten times a second
    bool finished_ = false;
};

} // namespace kv
