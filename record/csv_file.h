#pragma once

#include "record/csv.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// A CSV file of records, or standard output for the path "-". Text goes to the system in
// one write call, never through a buffer of ours, so what a write returned with is on its
// way to the disk even if the program dies the next moment, and a reader sees whole lines.
// A failure closes the file and leaves a reason a user can act on; every later write is
// refused.
class CsvFile {
public:
    enum class Mode {
        // Keeps what the file holds: the header goes only into a new or empty file, and a
        // last line that a killed writer left unfinished is ended first, so rows stay whole.
        // A file on disk follows its name, as a log does under a log rotator: moved away or
        // removed, a new file takes the next lines at the name; emptied, it gets its header
        // again.
        append,
        // Starts the file anew with the header.
        replace,
    };

    // `header` is the line a new or emptied file begins with.
    CsvFile(const std::string& path, Mode mode, std::string_view header = kCsvHeader);
    // A descriptor the caller keeps open, such as standard error, written to as it stands:
    // no header, nothing completed.
    explicit CsvFile(int fd);
    ~CsvFile();
    CsvFile(const CsvFile&) = delete;
    CsvFile& operator=(const CsvFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Why the file was closed, e.g. "Cannot write /data/log.csv: no space left on device.";
    // empty while it is open.
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }
    // A file on disk, not a pipe, a terminal, a socket or a device.
    bool regular() const { return regular_; }
    // How often an appended file was begun anew at its name (see Mode::append).
    std::uint64_t renewed() const { return renewed_; }

    // False when this or an earlier write failed.
    bool write(std::string_view text);
    // Writes the whole lines at the front of `text` that the file takes within `waitMs`,
    // and returns their length: all of them for a file on disk; for a pipe, a terminal or a
    // socket at most one chunk that fits without waiting, and 0 when its reader has not made
    // room in time. A failure closes the file as write() does, and gives 0.
    std::size_t writeSome(std::string_view text, int waitMs);

private:
    void open(Mode mode);
    // Learns what kind of file the descriptor is; false when it cannot tell (closed then).
    bool inspect();
    // Writes all of `text`, or fails.
    bool put(std::string_view text);
    // Begins the file anew when it is no longer the one at its name, or has been emptied.
    bool followName();
    void completeLastLine(std::int64_t size);
    bool fail(int error);
    bool fail(const std::string& reason);
    void close();

    std::string path_;
    std::string header_;
    std::string error_;
    int fd_ = -1;
    bool ownsFd_ = false;
    bool regular_ = false; // a file on disk, not a pipe, terminal or device
    bool pipe_ = false;    // a reader that may go away
    bool followsName_ = false;
    std::uint64_t device_ = 0, inode_ = 0; // of the file, to tell it from another at its name
    std::uint64_t renewed_ = 0;
};

} // namespace kv
