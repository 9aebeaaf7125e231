#pragma once

#include "record/csv_file.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kv {

// A CSV log whose reader cannot hold up the one who logs. A pipe, a terminal or a socket is
// written by a thread of its own, so that a reader that is slow or has stopped reading (a
// pipe into a program that waits) delays nothing: lines wait in a buffer of a fixed size, at
// least an hour of readings; a line that finds it full is dropped and counted, and a reader
// that comes back gets the waiting lines in order. A file on disk takes each line at once,
// in the caller's write, so what was written is there even if the program dies next.
class LogWriter {
public:
    // About a hundred thousand lines: three hours at ten readings a second.
    static constexpr std::size_t kCapacityBytes = std::size_t{8} << 20;
    // How long close() waits for a reader that makes no room at all.
    static constexpr std::chrono::milliseconds kCloseGrace{1000};

    // Takes over an open file.
    explicit LogWriter(std::unique_ptr<CsvFile> file, std::size_t capacityBytes = kCapacityBytes);
    // close().
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Puts whole lines in the buffer; never waits. False, with the text dropped and its
    // lines counted, when the buffer has no room for it or the file has failed.
    bool write(std::string_view lines);
    // Writes what waits, gives up on a reader that makes no room for kCloseGrace (what is
    // left counts as dropped), and closes the file.
    void close();

    // How the log stands: lines waiting, how long the oldest of them has waited, lines
    // dropped so far, and how often its file was begun anew at its name (see
    // CsvFile::Mode::append).
    struct Backlog {
        std::size_t lines = 0;
        std::chrono::milliseconds behind{0};
        std::uint64_t dropped = 0;
        std::uint64_t renewed = 0;
    };
    Backlog backlog() const;
    // A write failed: the file is closed, and why is in error().
    bool failed() const;
    std::string error() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Waiting {
        Clock::time_point since;
        std::size_t bytes;
    };
    void run();

    std::unique_ptr<CsvFile> file_;
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::string queue_;           // lines the writer has not taken yet
    std::deque<Waiting> waiting_; // every line not yet written, taken or not, oldest first
    std::size_t bytes_ = 0;       // of those lines
    std::uint64_t dropped_ = 0;
    std::uint64_t renewed_ = 0;
    bool closing_ = false;
    bool failed_ = false;
    std::string error_;
    std::thread thread_;
};

} // namespace kv
