#include "sim/meter_simulator.h"

#include "core/translated.h"
#include "meter/meter_protocol.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kv::sim {

namespace {

using Clock = std::chrono::steady_clock;

std::string errnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Removes path only when it is a symbolic link: never a file someone else put there.
void removeLink(const std::string& path) {
    struct stat st {};
    if (!path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        ::unlink(path.c_str());
}

} // namespace

MeterSimulator::MeterSimulator(std::vector<SimStep> steps, bool loop)
    : steps_(std::move(steps)), loop_(loop) {}

MeterSimulator::~MeterSimulator() {
    stop();
}

std::string MeterSimulator::devicePath() const {
    std::lock_guard<std::mutex> lock(pathMutex_);
    return devicePath_;
}

bool MeterSimulator::openDevice(std::string* error) {
    auto fail = [&](const char* what) {
        if (error)
            *error = errnoText(what);
        closeDevice();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (slave_ < 0)
        return fail("open pseudo-terminal");
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    {
        std::lock_guard<std::mutex> lock(pathMutex_);
        devicePath_ = name;
    }
    return true;
}

void MeterSimulator::closeDevice() {
    closeFd(master_);
    closeFd(slave_);
}

bool MeterSimulator::placeLink(std::string* error) {
    if (linkPath_.empty())
        return true;
    struct stat st {};
    if (::lstat(linkPath_.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        if (error)
            *error = withArguments(
                translated("kv::sim::MeterSimulator", "%1 exists and is not a symbolic link"),
                {linkPath_});
        return false;
    }
    // Made aside and renamed into place, so a reader never finds the link half-made.
    const std::string temp = linkPath_ + ".new" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(devicePath().c_str(), temp.c_str()) != 0 ||
        ::rename(temp.c_str(), linkPath_.c_str()) != 0) {
        if (error)
            *error = errnoText(linkPath_.c_str());
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool MeterSimulator::start(const std::string& linkPath, std::string* error) {
    if (running())
        return true;
    linkPath_ = linkPath;
    if (!openDevice(error))
        return false;
    if (!placeLink(error) || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error && error->empty())
            *error = errnoText("pipe");
        closeDevice();
        closeFd(wake_[0]);
        closeFd(wake_[1]);
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

bool MeterSimulator::startWithPrivateLink(std::string* error) {
    if (running())
        return true;
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/kv27500-sim-XXXXXX";
    if (!::mkdtemp(dir.data())) {
        if (error)
            *error = errnoText(dir.c_str());
        return false;
    }
    privateDir_ = dir;
    if (start(dir + "/meter", error))
        return true;
    removePrivateDir();
    return false;
}

void MeterSimulator::removePrivateDir() {
    if (privateDir_.empty())
        return;
    removeLink(linkPath_);
    ::rmdir(privateDir_.c_str());
    privateDir_.clear();
}

void MeterSimulator::stop() {
    if (!thread_.joinable())
        return;
    const char c = 'q';
    while (::write(wake_[1], &c, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
    closeDevice();
    closeFd(wake_[0]);
    closeFd(wake_[1]);
    removeLink(linkPath_);
    removePrivateDir();
    unplugged_ = false;
}

void MeterSimulator::run() {
    struct Pending {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Pending> pending; // due times in order: every delay is measured from now
    std::size_t next = 0;
    Clock::time_point backAt{};

    auto send = [this](const std::vector<std::uint8_t>& bytes) {
        // Nobody reads: the pseudo-terminal's queue fills up and the rest is dropped.
        if (master_ >= 0 && !bytes.empty()) {
            ssize_t n;
            do
                n = ::write(master_, bytes.data(), bytes.size());
            while (n < 0 && errno == EINTR);
        }
    };
    auto answer = [&]() {
        if (next >= steps_.size()) {
            if (!loop_ || steps_.empty())
                return;
            next = 0;
        }
        const SimStep& step = steps_[next++];
        switch (step.kind) {
        case SimStep::Kind::Silent:
            break;
        case SimStep::Kind::Reply:
            if (step.delayMs <= 0) {
                send(step.bytes);
            } else {
                Pending p{Clock::now() + std::chrono::milliseconds(step.delayMs), step.bytes};
                auto at = pending.end();
                while (at != pending.begin() && std::prev(at)->due > p.due)
                    --at;
                pending.insert(at, std::move(p));
            }
            break;
        case SimStep::Kind::Unplug:
            pending.clear();
            removeLink(linkPath_);
            closeDevice();
            unplugged_ = true;
            backAt = Clock::now() + std::chrono::milliseconds(step.unplugMs);
            break;
        }
    };

    for (;;) {
        const auto now = Clock::now();
        if (unplugged_ && now >= backAt) {
            if (openDevice(nullptr) && placeLink(nullptr)) {
                unplugged_ = false;
            } else {
                // A device nobody can find by its link stays away; the next try opens a
                // fresh one rather than piling up descriptors.
                closeDevice();
                backAt = now + std::chrono::milliseconds(100);
            }
        }
        while (!pending.empty() && pending.front().due <= now) {
            send(pending.front().bytes);
            pending.pop_front();
        }

        // With nothing due the thread sleeps until a request or the stop comes: a meter
        // polled for hours wakes for its requests alone.
        int timeoutMs = -1;
        auto until = [&](Clock::time_point t) {
            auto ms = std::chrono::ceil<std::chrono::milliseconds>(t - Clock::now()).count();
            ms = std::clamp<decltype(ms)>(ms, 0, std::numeric_limits<int>::max());
            if (timeoutMs < 0 || ms < timeoutMs)
                timeoutMs = static_cast<int>(ms);
        };
        if (!pending.empty())
            until(pending.front().due);
        if (unplugged_)
            until(backAt);

        pollfd fds[2] = {{wake_[0], POLLIN, 0}, {master_, POLLIN, 0}};
        const int count = master_ >= 0 ? 2 : 1;
        if (::poll(fds, count, timeoutMs) < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        if (count == 2 && (fds[1].revents & POLLIN)) {
            std::uint8_t buf[256];
            ssize_t n = ::read(master_, buf, sizeof buf);
            for (ssize_t i = 0; i < n; ++i) {
                if (buf[i] == kRequestByte) {
                    ++requests_;
                    answer();
                    if (master_ < 0)
                        break; // unplugged: the rest of this read went with the device
                } else {
                    ++otherBytes_;
                }
            }
        }
    }
}

} // namespace kv::sim
