#include "watch/command_run.h"

#include "core/error_reason.h"
#include "record/error_output.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace kv {

namespace {

// How long the run's thread waits for output before it looks whether the program has ended.
constexpr int kWaitStepMs = 50;
// Reads of what the program left in its output when it ended: a child of its own that
// goes on writing there is not followed.
constexpr int kLastReads = 64;

// Passes the first kForwardedBytes of a program's output on in whole lines and counts the
// rest.
class Forwarder {
public:
    void take(std::string_view data) {
        if (full_) {
            leftOut_ += data.size();
            return;
        }
        pending_.append(data);
        const std::size_t room = CommandRun::kForwardedBytes - forwarded_;
        const std::size_t searched = std::min(pending_.size(), room);
        const std::size_t lastEnd =
            searched == 0 ? std::string::npos : pending_.rfind('\n', searched - 1);
        if (lastEnd != std::string::npos) {
            writeErrorLines(std::string_view(pending_).substr(0, lastEnd + 1));
            forwarded_ += lastEnd + 1;
            pending_.erase(0, lastEnd + 1);
        }
        // A line that cannot end within the room any more, and all after it, stay out.
        if (!pending_.empty() && pending_.size() >= CommandRun::kForwardedBytes - forwarded_) {
            full_ = true;
            leftOut_ += pending_.size();
            pending_.clear();
        }
    }
    // The program's last line, should it lack its line end.
    void end() {
        if (pending_.empty())
            return;
        pending_ += '\n';
        writeErrorLines(pending_);
        pending_.clear();
    }
    std::uint64_t leftOut() const { return leftOut_; }

private:
    std::string pending_; // the start of a line whose end has not come
    std::size_t forwarded_ = 0;
    bool full_ = false;
    std::uint64_t leftOut_ = 0;
};

} // namespace

CommandRun::CommandRun(const std::string& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment,
                       std::function<void(const Outcome&)> ended)
    : ended_(std::move(ended)) {
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        startError_ = errorReason(errno);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const int error =
        ::posix_spawnp(&pid_, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(output[1]);
    if (error != 0) {
        ::close(output[0]);
        pid_ = -1;
        startError_ = errorReason(error);
        return;
    }
    thread_ = std::thread([this, fd = output[0]] { follow(fd); });
}

CommandRun::~CommandRun() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        if (!reaped_)
            ::kill(pid_, SIGKILL);
    }
    thread_.join();
    int status = 0;
    if (!reaped_)
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
}

bool CommandRun::reap(int& status) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!reaped_ && !stopping_ && ::waitpid(pid_, &status, WNOHANG) == pid_)
        reaped_ = true;
    return reaped_;
}

void CommandRun::follow(int output) {
    Forwarder forward;
    char buffer[16 * 1024];
    int status = 0;
    while (!stopping_) {
        if (reap(status)) {
            for (int i = 0; output >= 0 && i < kLastReads; ++i) {
                pollfd p{output, POLLIN, 0};
                if (::poll(&p, 1, 0) <= 0)
                    break;
                const ssize_t n = ::read(output, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                forward.take({buffer, static_cast<std::size_t>(n)});
            }
            break;
        }
        if (output < 0) {
            // The program closed its output and goes on: only its end is waited for.
            ::poll(nullptr, 0, kWaitStepMs);
            continue;
        }
        pollfd p{output, POLLIN, 0};
        if (::poll(&p, 1, kWaitStepMs) <= 0)
            continue;
        const ssize_t n = ::read(output, buffer, sizeof buffer);
        if (n > 0) {
            forward.take({buffer, static_cast<std::size_t>(n)});
        } else if (n == 0 || errno != EINTR) {
            ::close(output);
            output = -1;
        }
    }
    if (output >= 0)
        ::close(output);
    forward.end();
    if (stopping_)
        return;
    Outcome outcome;
    outcome.crashed = WIFSIGNALED(status);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    outcome.leftOut = forward.leftOut();
    ended_(outcome);
}

} // namespace kv
