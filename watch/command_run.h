#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace kv {

// One run of a program, which never holds up the one who started it. The program reads
// nothing; what it writes, on its standard output and its standard error alike, goes to
// the program's standard error (see writeErrorLines): the first kForwardedBytes of it in
// whole lines, the rest counted and left out, so that a command that chatters costs no
// more than that, however much it writes. A thread of the run's own reads that output and
// waits for the program to end.
class CommandRun {
public:
    static constexpr std::size_t kForwardedBytes = 64 * 1024;

    struct Outcome {
        int exitCode = 0;
        bool crashed = false;      // ended by a signal
        std::uint64_t leftOut = 0; // bytes of output beyond those forwarded
    };

    // Starts `program` (looked up in PATH unless it holds a slash) with `arguments` and the
    // environment `environment` ("NAME=value" each). `ended` is called once, on the run's
    // own thread, when the program has ended; never when it could not start
    // (startError()) or was ended by the destructor.
    CommandRun(const std::string& program, const std::vector<std::string>& arguments,
               const std::vector<std::string>& environment,
               std::function<void(const Outcome&)> ended);
    // Ends a program that still runs (SIGKILL) and waits for the run's thread.
    ~CommandRun();
    CommandRun(const CommandRun&) = delete;
    CommandRun& operator=(const CommandRun&) = delete;

    // Why the program could not start, e.g. "no such file or directory"; empty once it has.
    const std::string& startError() const { return startError_; }

private:
    void follow(int output);
    // Whether the program has ended, taking its status the first time.
    bool reap(int& status);

    pid_t pid_ = -1;
    std::string startError_;
    std::function<void(const Outcome&)> ended_;
    // Guards the program's process id: it is killed only while it is not reaped, so that
    // the signal never reaches a process that has taken the id since.
    std::mutex mutex_;
    bool reaped_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace kv
