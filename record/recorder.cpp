#include "record/recorder.h"

#include "record/csv.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace kv {

Recorder::Recorder() = default;

Recorder::~Recorder() = default;

void Recorder::start(TimeMs now) {
    tzset(); // localtime_r alone need not notice a changed TZ
    if (!running_)
        rows_.clear();
    first_ = rows_.size();
    notes_.clear();
    tally_.clear();
    running_ = true;
    start_ = now;
    quietSince_ = now;
    gapWritten_ = false;
    lastContext_ = ReadingStore::kNoContext;
    lastTime_ = now;
    if (interval_)
        interval_->start(now);
}

void Recorder::stop() {
    // The interval under way is written as far as it went.
    if (running_ && interval_) {
        interval_->finish(lastTime_, intervalRows_);
        writeIntervalRows();
    }
    running_ = false;
}

void Recorder::setLogInterval(TimeMs ms) {
    if (ms > 0) {
        interval_.emplace(ms);
        // A log begun while the record runs counts its intervals from the newest row.
        if (running_)
            interval_->start(lastTime_);
    } else
        interval_.reset();
}

void Recorder::holdLog(bool held) {
    logHeld_ = held;
}

bool Recorder::logOpen(TimeMs time) {
    if ((logHost_ ? *logHost_ : *this).logHeld_) {
        wasHeld_ = true;
        return false;
    }
    // The first interval begins where the log was let go.
    if (wasHeld_ && interval_)
        interval_->start(time);
    wasHeld_ = false;
    return true;
}

void Recorder::tickLog(TimeMs now) {
    if (!running_ || !interval_ || !logOpen(now))
        return;
    lastTime_ = std::max(lastTime_, now);
    interval_->advance(now, intervalRows_);
    writeIntervalRows();
}

bool Recorder::addReading(TimeMs now, float value, std::string_view unit, std::uint8_t function,
                          std::uint8_t range) {
    if (!running_)
        return false;
    const Reading::Status status =
        std::isfinite(value) ? Reading::Status::ok : Reading::Status::overload;
    add(now, status, value, contextOf(unit, function, range));
    return true;
}

bool Recorder::addOverload(TimeMs now, std::string_view unit, std::uint8_t function,
                           std::uint8_t range) {
    if (!running_)
        return false;
    add(now, Reading::Status::overload, 0, contextOf(unit, function, range));
    return true;
}

bool Recorder::addGarbled() {
    if (!running_)
        return false;
    tally_.addGarbled();
    return true;
}

bool Recorder::addUnlisted(TimeMs now, float value, std::string_view unit, std::uint8_t function,
                           std::uint8_t range) {
    if (!running_)
        return false;
    tally_.addGarbled();
    // Only shown: the log, the statistics and the silence that a gap row dates go on from
    // the readings that are kept.
    if (keepRows_)
        rows_.append(now, Reading::Status::unlisted, value, contextOf(unit, function, range));
    return true;
}

bool Recorder::addGap() {
    if (!running_ || gapWritten_)
        return false;
    add(quietSince_, Reading::Status::gap, 0, lastContext_);
    gapWritten_ = true;
    return true;
}

std::optional<Reading> Recorder::keep(const Reading& reading) {
    const auto function = static_cast<std::uint8_t>(reading.function);
    const auto range = static_cast<std::uint8_t>(reading.range);
    if (!reading.kept()) {
        // Shown, but never one of the record's readings.
        addUnlisted(reading.time, reading.value, reading.unit, function, range);
        return std::nullopt;
    }
    if (!running_)
        return std::nullopt;
    // A reading without codes is a derived channel's: it has its unit alone, and its gaps
    // come as rows of their own.
    Reading kept = reading;
    if (!std::isfinite(kept.value) && kept.status == Reading::Status::ok)
        kept.status = Reading::Status::overload;
    const std::uint32_t context = reading.hasCodes ? contextOf(reading.unit, function, range)
                                                   : rows_.contextOf(reading.unit, 0, 0, false);
    add(kept.time, kept.status, kept.status == Reading::Status::ok ? kept.value : 0, context);
    return kept;
}

std::optional<Reading> Recorder::keepGap() {
    if (!addGap())
        return std::nullopt;
    const RowContext& context = rows_.context(lastContext_);
    Reading gap;
    gap.status = Reading::Status::gap;
    gap.time = quietSince_;
    gap.unit = context.unit;
    gap.function = context.function;
    gap.range = context.range;
    gap.hasCodes = context.hasCodes;
    return gap;
}

void Recorder::adopt(Recording& recording) {
    running_ = false;
    rows_.clear();
    rows_.swap(recording.rows);
    first_ = 0;
    tally_ = recording.tally;
    recording.tally.clear();
    notes_ = std::move(recording.notes);
    recording.notes.clear();
    start_ = recording.start;
    lastContext_ = ReadingStore::kNoContext;
}

void Recorder::copyTo(Recording& out) const {
    if (first_ == 0) {
        out.rows.copyFrom(rows_);
    } else {
        // The session's rows alone; the store marks the unit changes among them itself.
        out.rows.clear();
        for (std::size_t i = first_; i < rows_.size(); ++i) {
            const Row row = rows_[i];
            if (row.unitChange)
                continue;
            const RowContext& c = rows_.context(row.context);
            out.rows.append(row.time, row.status, row.value,
                            row.context == ReadingStore::kNoContext
                                ? ReadingStore::kNoContext
                                : out.rows.contextOf(c.unit, c.function, c.range));
        }
    }
    // The notes stand after the same rows of the copy, in its own unit and codes.
    out.notes.clear();
    for (const RecordNote& note : notes_) {
        RecordNote copy = note;
        copy.after = note.after - std::min(note.after, first_);
        if (first_ != 0 && note.context != ReadingStore::kNoContext) {
            const RowContext& c = rows_.context(note.context);
            copy.context = out.rows.contextOf(c.unit, c.function, c.range);
        }
        out.notes.push_back(std::move(copy));
    }
    out.tally = tally_;
    out.start = start_;
}

bool Recorder::readMore(CsvReader& reader) {
    const std::size_t before = rows_.size();
    const bool ok = reader.readAvailable(rows_);
    for (RecordNote& note : reader.takeNotes())
        notes_.push_back(std::move(note));
    tallyRows(tally_, rows_, before);
    if (before == 0)
        start_ = reader.start();
    return ok;
}

std::string Recorder::csvLine(std::size_t index) const {
    const Row row = rows_[index];
    std::string line;
    if (keptRow(row))
        appendCsvRow(line, row, rows_.context(row.context), start_);
    return line;
}

bool Recorder::openLog(const std::string& path) {
    closeLog();
    logFiles_.clear();
    logPattern_ = isLogPattern(path) ? path : std::string();
    const std::string name =
        logPattern_.empty()
            ? path
            : expandLogName(logPattern_, std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::system_clock::now().time_since_epoch())
                                             .count());
    // A log begun with notes names their column; one that gets its first note later ends
    // that note's line with the text all the same.
    logNotes_ = !notes_.empty() || noteColumn_;
    auto log = std::make_unique<CsvFile>(name, CsvFile::Mode::append, header());
    if (!log->ok()) {
        logError_ = log->error();
        logPattern_.clear();
        return false;
    }
    logPath_ = log->regular() && path != "-" ? name : std::string();
    log_ = std::make_unique<LogWriter>(std::move(log));
    logFiles_.push_back(name);
    return true;
}

bool Recorder::logFileFor(TimeMs time) {
    if (logPattern_.empty())
        return true;
    const std::string name = expandLogName(logPattern_, time);
    if (name == logFiles_.back())
        return true;
    // What the last file still waits for is written before the next one begins.
    if (!reopenAt(name))
        return false;
    logFiles_.push_back(name);
    return true;
}

bool Recorder::reopenAt(const std::string& name) {
    log_->close();
    const LogWriter::Backlog before = logBacklog();
    log_.reset();
    reopened_.dropped = before.dropped;
    reopened_.renewed = before.renewed;
    auto log = std::make_unique<CsvFile>(name, CsvFile::Mode::append, header());
    if (!log->ok()) {
        logFailed(log->error());
        return false;
    }
    logPath_ = log->regular() ? name : std::string();
    log_ = std::make_unique<LogWriter>(std::move(log));
    return true;
}

std::uint64_t Recorder::closeLog() {
    std::uint64_t dropped = 0;
    // The interval under way goes into the log it began in; the next one begins afresh.
    if (log_ && running_ && interval_) {
        interval_->finish(lastTime_, intervalRows_);
        writeIntervalRows();
        interval_->start(lastTime_);
    }
    if (log_) {
        log_->close();
        dropped = logBacklog().dropped;
    }
    log_.reset();
    logPath_.clear();
    logPattern_.clear();
    reopened_ = {};
    logError_.clear();
    return dropped;
}

bool Recorder::reopenLog() {
    if (!log_ || logPath_.empty())
        return false;
    // A file that cannot be opened fails the log (onLogError); there was one to reopen.
    reopenAt(std::string(logPath_));
    return true;
}

LogWriter::Backlog Recorder::logBacklog() const {
    if (!log_)
        return LogWriter::Backlog{};
    LogWriter::Backlog b = log_->backlog();
    b.dropped += reopened_.dropped;
    b.renewed += reopened_.renewed;
    return b;
}

std::string_view Recorder::header() {
    if (!interval_ && !logNotes_)
        return logChannel_.empty() ? kCsvHeader : kChannelsCsvHeader;
    header_ = kCsvHeader.substr(0, kCsvHeader.size() - 1);
    if (interval_)
        header_ += ",min,max,count";
    if (!logChannel_.empty())
        header_ += ",channel";
    if (logNotes_) {
        header_ += ',';
        header_ += kNoteColumn;
    }
    header_ += '\n';
    return header_;
}

void Recorder::checkLog() {
    if (log_ && log_->failed())
        logFailed(log_->error());
}

void Recorder::logFailed(const std::string& reason) {
    logError_ = reason;
    log_.reset();
    if (onLogError)
        onLogError(logError_);
}

bool Recorder::exportCsv(const std::string& path, std::string& error) const {
    // A record with notes names their column, and every line has the field.
    const bool withNotes = !notes_.empty();
    std::string header(kCsvHeader);
    if (withNotes) {
        header.back() = ',';
        header += kNoteColumn;
        header += '\n';
    }
    CsvFile file(path, CsvFile::Mode::replace, header);
    auto note = notes_.begin();
    const auto notesUpTo = [&](std::size_t row, std::string& out) {
        for (; note != notes_.end() && note->after <= row; ++note) {
            appendCsvNoteRow(out, note->time, rows_.context(note->context), start_);
            appendNoteField(out, note->text);
        }
    };
    // Lines go out in chunks: an export needs no line-by-line writes.
    constexpr std::size_t kChunk = 64 * 1024;
    std::string chunk;
    chunk.reserve(kChunk + 256);
    for (std::size_t i = first_; i < rows_.size() && file.ok(); ++i) {
        if (withNotes)
            notesUpTo(i, chunk);
        const Row row = rows_[i];
        if (!keptRow(row))
            continue;
        appendCsvRow(chunk, row, rows_.context(row.context), start_);
        if (withNotes)
            appendNoteField(chunk, {});
        if (chunk.size() >= kChunk) {
            file.write(chunk);
            chunk.clear();
        }
    }
    notesUpTo(std::numeric_limits<std::size_t>::max(), chunk);
    if (!chunk.empty() && file.ok())
        file.write(chunk);
    error = file.error();
    return file.ok();
}

void Recorder::addNote(TimeMs time, std::string text) {
    notes_.push_back(RecordNote{time, std::move(text), lastContext_, rows_.size()});
    const RecordNote& note = notes_.back();
    Recorder& host = logHost_ ? *logHost_ : *this;
    if (!host.log_ || !logOpen(time))
        return;
    line_.clear();
    appendCsvNoteRow(line_, time, rows_.context(note.context), start_);
    if (interval_) {
        // No figures of an interval: empty min, max and count.
        line_.back() = ',';
        line_ += ",,\n";
    }
    writeLine(time, &note.text);
}

void Recorder::add(TimeMs time, Reading::Status status, float value, std::uint32_t context) {
    if (keepRows_)
        rows_.append(time, status, value, context);
    const Row row{time, status, value, context};
    tally_.add(row, rows_.context(context));
    if (status != Reading::Status::gap) {
        quietSince_ = time;
        gapWritten_ = false;
        lastContext_ = context;
    }
    lastTime_ = std::max(lastTime_, time);
    if (!logOpen(time))
        return;
    if (interval_) {
        interval_->add(time, status, value, context, intervalRows_);
        writeIntervalRows();
        return;
    }
    Recorder& host = logHost_ ? *logHost_ : *this;
    if (!host.log_)
        return;
    line_.clear();
    appendCsvRow(line_, row, rows_.context(context), start_);
    writeLine(time);
}

void Recorder::writeIntervalRows() {
    Recorder& host = logHost_ ? *logHost_ : *this;
    if (host.log_)
        for (const LogInterval::Row& r : intervalRows_) {
            line_.clear();
            const float mean = static_cast<float>(r.mean);
            appendCsvRow(line_, Row{r.time, r.status, mean, r.context}, rows_.context(r.context),
                         start_);
            line_.back() = ',';
            if (r.count > 0) {
                appendDecimal(line_, r.min);
                line_ += ',';
                appendDecimal(line_, r.max);
            } else {
                line_ += ',';
            }
            line_ += ',';
            line_ += std::to_string(r.count);
            line_ += '\n';
            writeLine(r.time);
        }
    intervalRows_.clear();
}

void Recorder::writeLine(TimeMs time, const std::string* note) {
    Recorder& host = logHost_ ? *logHost_ : *this;
    // A row goes into the file its time names, so none is lost or written twice at the change.
    if (!host.logFileFor(time))
        return;
    if (!logChannel_.empty()) {
        line_.back() = ',';
        line_ += logChannel_; // letters, digits, _ and -: nothing to quote
        line_ += '\n';
    }
    if (note)
        appendNoteField(line_, *note);
    else if (host.logNotes_)
        appendNoteField(line_, {});
    host.log_->write(line_);
    host.checkLog();
}

std::uint32_t Recorder::contextOf(std::string_view unit, std::uint8_t function,
                                  std::uint8_t range) {
    const RowContext& last = rows_.context(lastContext_);
    if (last.hasCodes && last.function == function && last.range == range && last.unit == unit)
        return lastContext_;
    return rows_.contextOf(unit, function, range);
}

} // namespace kv
