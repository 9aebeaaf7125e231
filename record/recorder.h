#pragma once

#include "record/log_interval.h"
#include "record/log_writer.h"
#include "record/reading_store.h"
#include "record/record_note.h"
#include "record/record_statistics.h"
#include "record/recording.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The record of a measuring session: from start() to the next start() every reading is
// kept with its wall-clock time, and, while a log is open, written to it as one CSV line
// the moment it arrives. stop() ends the session and keeps its rows until the next start().
// A start() while a session runs begins the next one after the rows of the last, which stay
// in rows() for whoever still shows them but are no longer the record's (firstRow()).
// A log that fails is closed and reported; the rows stay in memory either way. A record that
// keeps no rows (setKeepRows) has its statistics and its log alone, in constant memory.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Empties the record and begins a session at `now`, in the time zone TZ names now. The
    // rows of a session still running stay before it (see above).
    void start(TimeMs now);
    void stop();
    // Between start() and stop().
    bool running() const { return running_; }
    // Whether rows are kept for rows(), csvLine() and exportCsv(); true unless changed.
    // Without them the statistics and the log go on as before.
    void setKeepRows(bool keep) { keepRows_ = keep; }

    // Each adds a row to the running session and is ignored (false) without one. A value
    // that is not finite cannot be written as a decimal and is kept as an overload.
    bool addReading(TimeMs now, float value, std::string_view unit, std::uint8_t function,
                    std::uint8_t range);
    bool addOverload(TimeMs now, std::string_view unit, std::uint8_t function, std::uint8_t range);
    // The gap row of a silence the meter session has timed: one row dated to the last
    // reading (or to start()), with the unit and codes of the reading before it, once per
    // silence. True when it added that row.
    bool addGap();
    // Counts a reply that gave no reading to keep (a garbled one, or one whose codes have no
    // row); it adds no row. False outside a session.
    bool addGarbled();
    // A reading of the meter into the running session, as one of the above takes it: a
    // reading, an overload, or one whose codes have no row (counted as garbled). What the
    // record kept, with the status it was kept with; nothing outside a session and for a
    // reading that is not kept.
    std::optional<Reading> keep(const Reading& reading);
    // addGap(), and the gap row as a reading when it added one.
    std::optional<Reading> keepGap();
    // A reading whose codes have no row in the meter's table, in place of addGarbled() for
    // it: counted alike, and added as an unlisted row, so that whoever shows the rows shows
    // it, though it is never one of the record's readings (no CSV line, no statistics).
    // False outside a session.
    bool addUnlisted(TimeMs now, float value, std::string_view unit, std::uint8_t function,
                     std::uint8_t range);

    // Attaches a note to the record at `time` (the newest reading's), after its rows so far,
    // in the unit and codes of its last reading, and writes it to an open log as a line of
    // the status note. `text` is one noteProblem() takes.
    void addNote(TimeMs time, std::string text);
    // A log opened from now on names the note column even before the first note (a run that
    // begins with one); a log opened with notes always does.
    void setNoteColumn(bool on) { noteColumn_ = on; }
    // The session's notes, or a recording's, in order.
    const std::vector<RecordNote>& notes() const { return notes_; }

    // Makes the record that of a recording read from a file: a stopped session that began at
    // its start, with its rows and statistics, which `recording` gives up.
    void adopt(Recording& recording);
    // A copy of the record as it is now, for writing it out elsewhere while it goes on.
    void copyTo(Recording& out) const;
    // Appends what the file of an adopted recording gained since (see CsvReader); false when
    // reading failed.
    bool readMore(CsvReader& reader);

    // Every row, also those that are not the record's readings (see keptRow()), and those of
    // the session before a start() without stop().
    const ReadingStore& rows() const { return rows_; }
    // The first row of the record's session in rows().
    std::size_t firstRow() const { return first_; }
    RecordStatistics statistics() const { return tally_.result(); }
    std::string summary() const { return summaryLine(tally_.result()); }
    // The CSV line of row `index`, as the log and the export write it; empty for a row that
    // is not kept.
    std::string csvLine(std::size_t index) const;

    // Appends every later row to the CSV file at `path` ("-": standard output); see
    // CsvFile::Mode::append. A name with %Y, %m, %d or %H in it names a file per year, month,
    // day or hour: each row goes into the file its time names, each new one with its header. False,
    // with logError(), when it cannot be opened. The rows are written by a LogWriter, so a reader
    // that does not keep up never holds up a row.
    bool openLog(const std::string& path);
    // Writes what waits (see LogWriter::close) and closes the log; the lines the log had to
    // drop, in all.
    std::uint64_t closeLog();
    // Closes the log and opens the file at its name again, as a log rotator asks for: a new
    // one, with its header, when none is there. False without a file on disk to reopen
    // (no log, standard output, a pipe); a file that cannot be opened fails the log
    // (onLogError).
    bool reopenLog();
    bool logging() const { return logHost_ ? logHost_->logging() : log_ != nullptr; }
    // The files the log was written to since openLog(): one, unless its name holds a time
    // (see expandLogName), when each new name began a new file.
    const std::vector<std::string>& logFiles() const { return logFiles_; }
    // The log gets one row per interval of `ms` milliseconds (see LogInterval) instead of
    // one per reading, with the columns min, max and count after the others; 0: a row per
    // reading. Set before openLog(); the rows kept in memory are every reading.
    void setLogInterval(TimeMs ms);
    // The clock has reached `now`: intervals that ended without a reading are written as
    // gaps, also while the meter is silent.
    void tickLog(TimeMs now);
    // While held, the log (this record's own, and the rows of the records logging into it)
    // gets no rows; the record keeps them all. Let go, its intervals count from there.
    void holdLog(bool held);
    bool logHeld() const { return (logHost_ ? *logHost_ : *this).logHeld_; }
    // Each line of the log ends with `name` in a column of its own, `channel` (set before
    // openLog()); empty: the log of one channel, without it.
    void setLogChannel(std::string name) { logChannel_ = std::move(name); }
    // This record's lines go into the log of `host` (which must outlive it), one file for
    // the readings of several channels in the order they come; nullptr: its own log.
    void logInto(Recorder* host) { logHost_ = host; }
    // How far the log is behind, and what it has dropped and how often it was begun anew
    // since openLog(); all 0 without a log.
    LogWriter::Backlog logBacklog() const;
    // Tells a write that failed since the last row (onLogError), as the next row would.
    void checkLog();
    // Why the log was closed; empty while it works or when none was opened.
    const std::string& logError() const { return logError_; }
    // Called once when a write to the log fails, with the reason; the log is then closed.
    std::function<void(const std::string& reason)> onLogError;

    // Writes the whole record, header first, to a new file at `path` ("-": standard
    // output). False, with the reason in `error`, when that fails.
    bool exportCsv(const std::string& path, std::string& error) const;

private:
    void add(TimeMs time, Reading::Status status, float value, std::uint32_t context);
    // Whether a row at `time` goes into the log, which is not held.
    bool logOpen(TimeMs time);
    // The log's file for a row at `time`: with a pattern in the log's name, the file that
    // time names, begun when it is another than the last. False when it cannot be opened
    // (the log has failed then).
    bool logFileFor(TimeMs time);
    // Closes the log's file, writing what waits, and goes on in the file at `name`: false,
    // with the log failed, when it cannot be opened.
    bool reopenAt(const std::string& name);
    // The rows the interval has ended, into the log.
    void writeIntervalRows();
    // Writes line_ to the log, with the channel's name and, for a note, its text.
    void writeLine(TimeMs time, const std::string* note = nullptr);
    void logFailed(const std::string& reason);
    std::uint32_t contextOf(std::string_view unit, std::uint8_t function, std::uint8_t range);
    std::string_view header();

    ReadingStore rows_;
    StatisticsTally tally_;
    bool running_ = false;
    bool keepRows_ = true;
    std::size_t first_ = 0;
    TimeMs start_ = 0;
    // Where the current silence began (the last reading, or the start) and whether its gap
    // row is written.
    TimeMs quietSince_ = 0;
    bool gapWritten_ = false;
    std::uint32_t lastContext_ = ReadingStore::kNoContext;

    std::unique_ptr<LogWriter> log_;
    std::string logPath_;    // empty unless the log is a file on disk at a name
    std::string logPattern_; // the log's name with its time patterns; empty: none
    std::vector<std::string> logFiles_;
    LogWriter::Backlog reopened_; // what the writers before reopenLog() dropped and renewed
    std::string logError_;
    std::string logChannel_;
    Recorder* logHost_ = nullptr;
    bool logHeld_ = false;
    bool wasHeld_ = false; // the log was held at this record's last row
    std::vector<RecordNote> notes_;
    bool logNotes_ = false; // the log's header names the note column
    bool noteColumn_ = false;
    std::optional<LogInterval> interval_;
    std::vector<LogInterval::Row> intervalRows_; // reused, as line_ is
    TimeMs lastTime_ = 0;                        // the latest time the record was told
    std::string header_;
    std::string line_; // reused, so a row costs no allocation
};

} // namespace kv
