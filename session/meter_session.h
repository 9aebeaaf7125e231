#pragma once

#include "core/reading.h"
#include "serial/port_table.h"
#include "serial/serial_io.h"
#include "session/meter_poller.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace kv {

// One meter on one port, without anything to show it on: opens the port as the meter wants
// it (9600 baud, RTS on, the send time-out, held alone), polls it, and tells what the meter
// said as readings, overloads and silences. A channel takes what it tells.
//
// A silence is a run of unanswered requests of kSilenceMs: told once, dated to the first
// request that went unanswered, and over with the next reading or overload. A reading whose
// codes have no row (status unlisted) is told like a reading, to be shown; a garbled reply
// is told by garbledReply() alone.
class MeterSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kSilenceMs = 1000;
    // Replies in a row with nothing to keep (garbled, or codes without a row) before they
    // are told: one alone is a hiccup.
    static constexpr int kGarbledRunTold = 5;

    // The link must outlive the session.
    explicit MeterSession(SerialIo& link, QObject* parent = nullptr);
    ~MeterSession() override;

    // Opens the port of the link's port table named `portName` ("COM3"), or the entry's
    // port. Nothing when it opened; otherwise why not, as a user reads it, which
    // openFailed() tells too. A port that is already open is closed first.
    std::optional<QString> open(const std::string& portName);
    bool isOpen() const { return poller_.cycle().openResult == 1; }
    // Polls from waitMs() from now until stop(); with the port not open nothing is sent.
    void start();
    // No further poll; a silence that was told is over.
    void stop();
    // stop(), then the port is closed.
    void close();

    // The reading as the last frame left it (between frames: the one before).
    const Reading& current() const { return poller_.cycle().reading; }
    // Puts the reading in place of the current one: how the displays start, or Stop's 0.
    void setCurrent(const Reading& reading) { poller_.cycle().reading = reading; }
    // The poll cycle's hidden storage: the reply frame and the value text.
    const PollCycle& cycle() const { return poller_.cycle(); }
    MeterPoller& poller() { return poller_; }
    const MeterPoller& poller() const { return poller_; }

    // kGarbledRunTold replies or more in a row had nothing to keep, since the last reading
    // or overload, or since start() or stop().
    bool garbled() const { return garbledRun_ >= kGarbledRunTold; }

    // A silence has been told and no reading has ended it yet; since when.
    bool silent() const { return silenceTold_; }
    std::int64_t silentSinceMs() const { return quietSinceMs_; }

signals:
    void reading(const kv::Reading& reading);
    void overload(const kv::Reading& reading);
    void silenceBegan(qint64 sinceMs);
    void silenceEnded();
    // A reply that was not a whole one: nothing was decoded.
    void garbledReply();
    // The run of replies with nothing to keep has reached kGarbledRunTold.
    void garbledReplies();
    void openFailed(const QString& reason);
    // An error inside a poll: that poll ends, polling goes on.
    void pollFailed(const QString& message);
    // Any poll has completed, whatever it brought.
    void polled();
    // start() began polling; stop() (or close()) ended it.
    void started();
    void stopped();

private:
    void pollDone(PollResult result);
    void tell(PollResult result);

    SerialIo& link_;
    MeterPoller poller_;

    // The present run of unanswered requests: since when, and whether it was told.
    bool quiet_ = false;
    bool silenceReported_ = false;
    bool silenceTold_ = false; // told, and not yet ended by a reading or an overload
    int garbledRun_ = 0;
    std::chrono::steady_clock::time_point quietSince_{};
    std::int64_t quietSinceMs_ = 0;
};

} // namespace kv
