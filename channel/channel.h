#pragma once

#include "channel/channel_bench.h"
#include "channel/derived_formula.h"
#include "channel/recording_source.h"
#include "channel/status_notes.h"
#include "core/reading.h"
#include "publish/mqtt_publisher.h"
#include "record/recorder.h"
#include "serial/serial_io.h"
#include "session/meter_session.h"

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class ChannelPublisher;
class Derivation;

// One stream of readings with everything that follows a reading, without anything to show
// it on: its source (the meter on a port, a recording being shown, or a formula over the
// readings of other channels: a derived channel), its one record of
// kept readings with the log, the bench functions, publishing to a broker and the notes on
// its status. A window shows a channel; the headless logger writes one down. Whoever listens
// hears every reading the same way, by signals, after the record, the bench and the
// publisher have taken it.
class Channel : public QObject {
    Q_OBJECT
public:
    // A meter's channel. The link must outlive the channel.
    explicit Channel(SerialIo& link, QObject* parent = nullptr);
    // A channel derived from `inputs` (the channels formula.inputs names, in its order), which
    // must outlive it: each row they keep may give one of its own (see Derivation). It has
    // no meter: start() and stop() begin and end its record.
    Channel(const DerivedFormula& formula, const std::vector<Channel*>& inputs,
            QObject* parent = nullptr);
    ~Channel() override;

    // The name the user gave it; empty for the one channel of a program with no other.
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }
    bool derived() const { return session_ == nullptr; }
    // What a derived channel computes, as the user wrote it ("V*I"); empty for a meter's.
    const QString& expression() const { return expression_; }

    // --- The meter (of a channel that is not derived)
    MeterSession& session() { return *session_; }
    const MeterSession& session() const { return *session_; }
    // Opens the port of the link's table named `portName` ("COM3"), closing it first when
    // it is open. False when it did not open; the notes say why till the meter answers.
    bool openPort(const std::string& portName);
    // A file shown goes, hold and relative end, the record begins anew and polling begins on
    // the port opened (a port that did not open is polled idly, as the meter's program does).
    void start();
    // Start as its button does: openPort(), then start(). Whether the port opened.
    bool start(const std::string& portName);
    // Stop: polling ends (a file shown is no longer followed), the record keeps its rows,
    // hold and relative end; the poll cycle's reading goes on from 0, as the displays show.
    void stop();
    // stop(), then the port closes.
    void close();

    // --- The record
    Recorder& record() { return record_; }
    // The last reading or overload among the record's rows from `from` on, as the meter
    // would have sent it; none when they hold none.
    std::optional<Reading> lastRecordReading(std::size_t from = 0) const;
    const Recorder& record() const { return record_; }
    // Appends every kept reading from now on to the CSV file at `path` ("-": standard output).
    // False when it cannot be opened: logFailure() says why.
    bool startLog(const QString& path);
    void stopLog();
    bool logging() const { return record_.logging(); }
    // The log's file name ("standard output" for "-"), while logging.
    const QString& logName() const { return logName_; }
    // Readings and overloads written to the log since it began.
    std::int64_t logged() const { return logged_; }
    // Attaches a note to the newest reading of the record (before the first, to now) and
    // writes it to the log. False, with the reason in `why`, for an empty or too long text.
    bool addNote(const QString& text, QString& why);
    // What ends the log besides Stop, told after its count ("below 3,000 V-DC"); empty: none.
    void setLogEnd(const QString& text);
    // Why the last log failed to begin or to go on; empty once the next one begins.
    const QString& logFailure() const { return logFailure_; }
    // A file shown as the record instead of the meter's readings.
    RecordingSource& recording() { return recording_; }
    const RecordingSource& recording() const { return recording_; }

    // --- The bench functions
    ChannelBench& bench() { return bench_; }
    const ChannelBench& bench() const { return bench_; }

    // --- Publishing: every kept reading from now on also goes to the broker.
    void publishTo(MqttPublisher::Options options);
    const ChannelPublisher* publisher() const { return publisher_.get(); }
    ChannelPublisher* publisher() { return publisher_.get(); }

    // --- What the channel has to tell
    StatusNotes& notes() { return notes_; }
    const StatusNotes& notes() const { return notes_; }

signals:
    // A reading, an overload or a reading of codes without a row, as the meter measured it,
    // for the displays (which ask bench() what to show of it).
    void reading(const kv::Reading& reading);
    // A reading or an overload as it comes, before the record keeps it: whoever decides
    // whether it goes into the log listens here.
    void arriving(const kv::Reading& reading);
    // A row the record kept: a reading, an overload or the gap where a silence began.
    void kept(const kv::Reading& row);
    void silenceBegan(qint64 sinceMs);
    void silenceEnded();
    // Stop, or a file shown in place of the meter's readings: the displays go to rest.
    void stopped();
    // Start, or Stop, changed the record: it is empty now, or no longer grows.
    void recordChanged();
    // A log began, ended or failed.
    void logChanged();
    // The meter was polled (with or without a reading); a derived channel's, with an input's.
    void polled();
    // A note was attached to the record (the newest of record().notes()).
    void noted();
    // A line for standard error: the limit command failed or was skipped, the connection to
    // the broker turned.
    void said(const QString& line);

private:
    void take(const Reading& reading);
    void silence(qint64 sinceMs);
    void logFailed(const QString& reason);
    void updateLogNotes();
    void updateBenchNote();
    void showFile();

    void connectParts();

    // First made, last gone: every part below writes its notes here.
    StatusNotes notes_;
    std::unique_ptr<MeterSession> session_; // null for a derived channel
    std::unique_ptr<Derivation> derivation_;
    QString name_;
    QString expression_;
    Recorder record_;
    RecordingSource recording_;
    ChannelBench bench_;
    std::unique_ptr<ChannelPublisher> publisher_;
    QString logName_;
    QString logFailure_;
    QString logEnd_;
    std::int64_t logged_ = 0; // readings and overloads written to the log
};

// One log for several channels: the first writes it (startLog()), the rows the others keep go
// into it in the order they come, and with more than one channel each line names its
// channel in a column of its own.
void shareLog(const std::vector<Channel*>& channels);

} // namespace kv
