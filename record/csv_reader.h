#pragma once

#include "record/reading_store.h"
#include "record/record_note.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The time of the CSV's time column (2026-12-08T14:03:07.125+01:00: a date, a time with up to
// nine decimals or none, and Z or an offset from UTC with or without its seconds) as
// milliseconds since 1970 UTC; nothing for a text of another shape or an impossible date.
std::optional<TimeMs> parseCsvTime(std::string_view text);

// Reads a CSV file in the program's layout back into rows: the header names the columns, so
// a spreadsheet may have reordered them or added its own (ignored); `time` and `value` must
// be there, `unit`, `status`, `function`, `range` and `elapsed_s` may be missing. A line that
// cannot be read is skipped and counted, never guessed at.
//
// The file is read in pieces: readAvailable() takes what the file holds beyond what was read,
// so the same reader follows a file that a running logger still writes, and tells when the
// file was truncated or replaced. Memory stays that of the rows, whatever the file holds: a
// line is never longer than kLongestLine in memory.
class CsvReader {
public:
    // Longer lines are not the program's and are skipped as unreadable.
    static constexpr std::size_t kLongestLine = 4096;
    // The header may name many columns of a spreadsheet's own; longer is no recording.
    static constexpr std::size_t kLongestHeader = std::size_t{1} << 20;

    CsvReader();
    ~CsvReader();
    CsvReader(const CsvReader&) = delete;
    CsvReader& operator=(const CsvReader&) = delete;

    // The channels a log of several names in its `channel` column, in the order they first
    // come; none for a file without that column (or one that cannot be read).
    static std::vector<std::string> channelsIn(const std::string& path);
    // Reads only the lines of the channel `name` of a log of several (set before open());
    // a file without a `channel` column is read whole.
    void setChannel(std::string name) { channel_ = std::move(name); }

    // Opens the file and reads its header, which may lack its line end. False, with error(),
    // for a file that is missing, a folder, empty, or without a header naming `time` and
    // `value`.
    bool open(const std::string& path);

    // Appends the rows of every whole line the file holds beyond what was read to `store`
    // (with `progress(bytesRead, bytesInFile)` now and then). Stops early, keeping what it
    // read, when `cancel` is set. False, with error(), when reading fails (the file
    // vanished, a read error); the rows read so far stay.
    bool readAvailable(ReadingStore& store, const std::atomic<bool>* cancel = nullptr,
                       const std::function<void(std::uint64_t, std::uint64_t)>& progress = {});
    // The file is now shorter than what was read, or another file stands at its path: the
    // rows read do not belong to it any more. open() again to read it anew.
    bool changedUnderneath() const;
    // Ends a read of the whole file: a last line without its line end counts as cut off.
    // (Following a growing file, such a line is still being written and waits.)
    void finish();

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    std::size_t rowsRead() const { return rows_; }
    std::uint64_t bytesRead() const { return offset_; }
    // When the session began: the first row's time less its elapsed seconds (its time when
    // the file has no elapsed_s); 0 before the first row.
    TimeMs start() const { return start_; }

    // The notes read since the last call (lines of the status note), in their order; each
    // stands after the rows the store held when it was read.
    std::vector<RecordNote> takeNotes() { return std::move(notes_); }

    // Lines that could not be read, the first of them and why.
    std::size_t badLines() const { return badLines_; }
    const std::string& firstProblem() const { return firstProblem_; }
    // "3 lines could not be read; the first is line 17: the value 'abc' is not a number",
    // or empty when every line was read.
    std::string problemsText() const;

private:
    struct Columns;
    void line(std::string_view text, ReadingStore& store);
    // A whole line, its quoted line ends joined.
    void lineOf(std::string_view text, ReadingStore& store);
    void bad(std::string text);

    std::string path_;
    int fd_ = -1;
    std::uint64_t device_ = 0, inode_ = 0;
    std::uint64_t offset_ = 0;     // bytes read from the file
    std::uint64_t lineNumber_ = 0; // of the last line consumed
    std::string pending_;          // the start of a line whose end has not come yet
    std::string quoted_; // lines of a field quoted over line ends, up to the one that closes it
    std::vector<RecordNote> notes_;
    bool skipping_ = false; // inside an over-long line, up to its end
    std::unique_ptr<Columns> columns_;
    std::optional<std::string> channel_; // the one channel read from a log of several
    std::string error_;

    std::size_t rows_ = 0;
    TimeMs start_ = 0;
    std::size_t badLines_ = 0;
    std::string firstProblem_;

    // The last line's unit and codes and their context, since they change rarely.
    std::string lastUnit_;
    int lastFunction_ = -1, lastRange_ = -1;
    std::uint32_t lastContext_ = ReadingStore::kNoContext;
    bool haveContext_ = false;
    // A line's fields, kept so that a line costs no allocation.
    std::vector<std::string_view> fields_;
    std::deque<std::string> owned_; // quoted fields, unquoted
    std::unique_ptr<char[]> chunk_; // what one read brings
    std::size_t chunkSize_ = 0;
};

} // namespace kv
