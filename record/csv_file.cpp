#include "record/csv_file.h"

#include "core/error_reason.h"
#include "core/translated.h"
#include "record/csv.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

namespace {

// While it lives, a reader that went away makes write() fail with EPIPE instead of ending
// the program with SIGPIPE. A SIGPIPE raised meanwhile is taken back, unless one was
// already pending for someone else.
class PipeSignalHeld {
public:
    explicit PipeSignalHeld(bool active) : active_(active) {
        if (!active_)
            return;
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~PipeSignalHeld() {
        if (!active_)
            return;
        if (raised_ && !wasPending_) {
            const timespec now{0, 0};
            while (sigtimedwait(&pipe_, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

    void raised() { raised_ = true; }

private:
    bool active_;
    bool wasPending_ = false;
    bool raised_ = false;
    sigset_t pipe_{};
    sigset_t old_{};
};

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

CsvFile::CsvFile(const std::string& path, Mode mode, std::string_view header)
    : path_(path), header_(header) {
    open(mode);
}

CsvFile::CsvFile(int fd) : fd_(fd) {
    inspect();
}

CsvFile::~CsvFile() {
    close();
}

bool CsvFile::write(std::string_view text) {
    if (fd_ < 0)
        return false;
    if (followsName_ && !followName())
        return false;
    if (!put(text))
        return false;
    // Writes into a deleted file succeed and go nowhere.
    struct stat st {};
    if (regular_ && fstat(fd_, &st) == 0 && st.st_nlink == 0) {
        if (!followsName_)
            return fail(translated("kv::CsvFile", "the file was deleted"));
        // Removed while it was written: the text goes into the new file at the name.
        return followName() && put(text);
    }
    return true;
}

bool CsvFile::put(std::string_view text) {
    PipeSignalHeld held(pipe_);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int error = n < 0 ? errno : EIO;
        if (error == EPIPE)
            held.raised();
        // Take back the part that got in, so the file still ends with a whole line.
        struct stat st {};
        if (regular_ && done > 0 && fstat(fd_, &st) == 0 && st.st_size >= static_cast<off_t>(done))
            (void)ftruncate(fd_, st.st_size - static_cast<off_t>(done));
        return fail(error);
    }
    return true;
}

bool CsvFile::followName() {
    struct stat named {};
    if (::stat(path_.c_str(), &named) == 0 && static_cast<std::uint64_t>(named.st_dev) == device_ &&
        static_cast<std::uint64_t>(named.st_ino) == inode_) {
        if (named.st_size > 0)
            return true;
        // Emptied, as a rotator that copies the file does: its header comes first again.
        ++renewed_;
        return put(header_);
    }
    // Moved away or removed: a file of its own at the name, with its header.
    close();
    open(Mode::append);
    if (fd_ < 0)
        return false;
    // Its writer writes a file on disk at once, and would wait for a pipe's reader.
    if (!regular_)
        return fail(translated("kv::CsvFile", "something other than a file took its name"));
    ++renewed_;
    return true;
}

std::size_t CsvFile::writeSome(std::string_view text, int waitMs) {
    if (fd_ < 0 || text.empty())
        return 0;
    if (regular_)
        return write(text) ? text.size() : 0;
    pollfd p{fd_, POLLOUT, 0};
    int ready = 0;
    do
        ready = ::poll(&p, 1, waitMs);
    while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return 0;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
        // The reader has gone; write() tells why.
        write(text.substr(0, 1));
        return 0;
    }
    // A chunk no longer than the pipe's atomic size goes in whole once poll() has found room
    // for it, so the write cannot block; it ends with a line.
    std::string_view chunk = text.substr(0, std::min<std::size_t>(text.size(), PIPE_BUF));
    if (chunk.size() < text.size()) {
        const std::size_t end = chunk.rfind('\n');
        if (end != std::string_view::npos)
            chunk = chunk.substr(0, end + 1);
    }
    return write(chunk) ? chunk.size() : 0;
}

void CsvFile::open(Mode mode) {
    if (path_ == "-") {
        fd_ = STDOUT_FILENO;
    } else {
        // Write-only, so that a pipe notices its reader leave; without blocking, so that a
        // named pipe nobody reads from fails here instead of hanging the caller.
        const int flags = O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_CREAT |
                          (mode == Mode::append ? O_APPEND : O_TRUNC);
        fd_ = ::open(path_.c_str(), flags, 0666);
        if (fd_ < 0) {
            const int error = errno;
            struct stat st {};
            if (error == ENOENT && stat(folderOf(path_).c_str(), &st) != 0)
                fail(withArguments(translated("kv::CsvFile", "the folder %1 does not exist"),
                                   {folderOf(path_)}));
            else if (error == ENXIO)
                fail(translated("kv::CsvFile", "no program reads from it"));
            else
                fail(error);
            return;
        }
        ownsFd_ = true;
        fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    }
    if (!inspect())
        return;
    followsName_ = mode == Mode::append && regular_ && path_ != "-";
    struct stat st {};
    if (mode == Mode::append && regular_ && fstat(fd_, &st) == 0 && st.st_size > 0)
        completeLastLine(st.st_size);
    else
        put(header_);
}

bool CsvFile::inspect() {
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        return fail(errno);
    regular_ = S_ISREG(st.st_mode);
    pipe_ = S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode);
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

void CsvFile::completeLastLine(std::int64_t size) {
    // A line is far shorter than this. The file is read through a descriptor of its own,
    // since ours may write only; a file that cannot be read is taken as whole.
    constexpr off_t kTail = 64 * 1024;
    const int fd = ::open(("/proc/self/fd/" + std::to_string(fd_)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    const off_t length = std::min(static_cast<off_t>(size), kTail);
    std::string tail(static_cast<std::size_t>(length), '\0');
    const bool read = pread(fd, tail.data(), tail.size(), size - length) == length;
    ::close(fd);
    if (!read || tail.back() == '\n')
        return;
    const std::size_t newline = tail.rfind('\n');
    const std::size_t lineStart = newline == std::string::npos ? 0 : newline + 1;
    // An odd number of quotes means the writer stopped inside a quoted field.
    const auto quotes =
        std::count(tail.begin() + static_cast<std::ptrdiff_t>(lineStart), tail.end(), '"');
    put(quotes % 2 ? "\"\n" : "\n");
}

bool CsvFile::fail(int error) {
    return fail(errorReason(error));
}

bool CsvFile::fail(const std::string& reason) {
    close();
    const std::string where = path_ == "-" ? translated("kv::CsvFile", "standard output") : path_;
    error_ = withArguments(translated("kv::CsvFile", "Cannot write %1: %2."), {where, reason});
    return false;
}

void CsvFile::close() {
    if (ownsFd_ && fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ownsFd_ = false;
}

} // namespace kv
