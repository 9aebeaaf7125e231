#include "serial/serial_link.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace kv {

namespace {

speed_t speedConstant(int baud) {
    switch (baud) {
    case 50:
        return B50;
    case 75:
        return B75;
    case 110:
        return B110;
    case 134:
        return B134;
    case 150:
        return B150;
    case 200:
        return B200;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 1800:
        return B1800;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 500000:
        return B500000;
    case 576000:
        return B576000;
    case 921600:
        return B921600;
    case 1000000:
        return B1000000;
    case 1152000:
        return B1152000;
    case 1500000:
        return B1500000;
    case 2000000:
        return B2000000;
    default:
        return B0;
    }
}

// 0, or the error number that kept the line from taking the mode.
int configureLine(int fd, const SerialMode& m) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return errno;
    if (!applySerialMode(tio, m))
        return EINVAL;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return errno;
    // Whatever arrived before the port was ours is not a reply to us.
    ::tcflush(fd, TCIOFLUSH);
    return 0;
}

// The exclusive mode belongs to the terminal, not to the descriptor: it must be switched off
// before close(), or the terminal stays barred while another descriptor (a simulator's)
// keeps it alive. The lock goes explicitly too, in case a forked child shares the descriptor.
void closeExclusive(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

// Unix98 pseudo-terminal slaves have the majors 136 to 143, wherever devpts is mounted.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

} // namespace

bool applySerialMode(termios& tio, const SerialMode& m) {
    ::cfmakeraw(&tio);
    const speed_t speed = speedConstant(m.baud);
    if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0)
        return false;
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    switch (m.dataBits) {
    case 5:
        tio.c_cflag |= CS5;
        break;
    case 6:
        tio.c_cflag |= CS6;
        break;
    case 7:
        tio.c_cflag |= CS7;
        break;
    default:
        tio.c_cflag |= CS8;
        break;
    }
    switch (m.parity) {
    case 'E':
        tio.c_cflag |= PARENB;
        break;
    case 'O':
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 'M':
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 'S':
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (m.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN, so a read of 0 bytes
    // can only mean that the line was hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return true;
}

SerialLink::~SerialLink() {
    closePort();
}

bool SerialLink::LinkIdentity::operator==(const LinkIdentity& o) const {
    return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && target == o.target;
}

std::optional<SerialLink::LinkIdentity> SerialLink::linkIdentity(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return std::nullopt;
    LinkIdentity id;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.mtime = st.st_mtim;
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n < 0)
        return std::nullopt;
    id.target.assign(target, static_cast<std::size_t>(n));
    return id;
}

bool SerialLink::openDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure_ = OpenFailure::fromErrno(errno, path);
        return false;
    }
    // Until the lock is ours the exclusive mode may be another holder's: leave it alone.
    int err = 0;
    if (!::isatty(fd))
        err = ENOTTY;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        failure_ = OpenFailure::fromErrno(err, path);
        return false;
    }
    if (::ioctl(fd, TIOCEXCL) != 0)
        err = errno;
    if (err == 0)
        err = configureLine(fd, mode_);
    if (err != 0) {
        closeExclusive(fd);
        failure_ = OpenFailure::fromErrno(err, path);
        return false;
    }
    fd_ = fd;
    failure_ = {};
    openedPseudoTerminal_ = isPseudoTerminal(fd);
    openedLink_ = linkIdentity(path);
    rxHead_ = rxTail_ = 0;
    applyRts();
    return true;
}

int SerialLink::openPort(std::string_view modeText) {
    closePort();
    const auto mode = parseModeText(modeText);
    if (!mode) {
        failure_ = {
            OpenFailure::Reason::Other, std::string(modeText),
            QCoreApplication::translate("kv::SerialLink", "not a valid mode text").toStdString()};
        return 0;
    }
    const PortEntry* entry = table_.find(mode->portName());
    if (!entry) {
        failure_ = {OpenFailure::Reason::NoSuchDevice, mode->portName(), {}};
        return 0;
    }
    mode_ = *mode;
    if (!openDevice(entry->path))
        return 0;
    device_ = *entry;
    wanted_ = true;
    return 1;
}

void SerialLink::applyRts() {
    if (fd_ < 0 || !rtsRequested_)
        return;
    int bits = TIOCM_RTS;
    // A pseudo-terminal has no modem lines; the refusal changes nothing for the data.
    ::ioctl(fd_, rtsOn_ ? TIOCMBIS : TIOCMBIC, &bits);
}

void SerialLink::setRts(int on) {
    rtsRequested_ = true;
    rtsOn_ = on != 0;
    applyRts();
}

void SerialLink::setTimeouts(int setting) {
    timeoutSetting_ = std::clamp(setting, 0, kMaxTimeoutSetting);
}

// Output still queued would make close() wait until it has gone out (for seconds on a
// stuck line); nothing queued matters once the port is let go.
void SerialLink::releaseDevice() {
    if (fd_ >= 0) {
        ::tcflush(fd_, TCOFLUSH);
        closeExclusive(fd_);
    }
    fd_ = -1;
}

void SerialLink::markLost() {
    releaseDevice();
    rxHead_ = rxTail_ = 0;
    nextRetry_ = std::chrono::steady_clock::now() + reconnectInterval;
}

// A pseudo-terminal that went away never comes back: its number may by now belong to
// someone's terminal session, and opening it would switch that to raw mode and write into
// it. Only a symbolic link made anew since it was opened (a simulator's that came back)
// leads to a device of ours again; the old link may point at the reused number.
bool SerialLink::pathMayLeadBack() const {
    if (!openedPseudoTerminal_)
        return true;
    const auto link = linkIdentity(device_.path);
    return link && link != openedLink_;
}

void SerialLink::maybeReconnect() {
    if (!wanted_ || fd_ >= 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextRetry_)
        return;
    nextRetry_ = now + reconnectInterval;
    // Whatever keeps the device away is the reason until it is back.
    const OpenFailure away{OpenFailure::Reason::NoSuchDevice, device_.path, {}};
    if (!device_.hasUsbIdentity()) {
        if (!pathMayLeadBack())
            failure_ = away;
        else
            openDevice(device_.path);
        return;
    }
    // A USB device is known by its identity, not its path: after a replug the path may
    // belong to another adapter, and ours may have come back under a new one. Without a
    // serial number only the same path with the same vendor and product will do.
    const auto ports = scanner_ ? scanner_() : PortTable::systemPorts();
    bool tried = false;
    for (const PortEntry& p : ports) {
        const bool ours = device_.serialNumber.empty()
                              ? p.vendorId == device_.vendorId &&
                                    p.productId == device_.productId &&
                                    resolvedPath(p.path) == resolvedPath(device_.path)
                              : p.sameUsbDevice(device_);
        if (!ours)
            continue;
        tried = true;
        const std::string path = device_.serialNumber.empty() ? device_.path : p.path;
        if (openDevice(path)) {
            device_.path = path;
            return;
        }
    }
    if (!tried)
        failure_ = away;
}

bool SerialLink::checkAlive() {
    if (fd_ < 0)
        return false;
    pollfd p{fd_, POLLIN, 0};
    int r;
    do
        r = ::poll(&p, 1, 0);
    while (r < 0 && errno == EINTR);
    if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        markLost();
        return false;
    }
    return true;
}

void SerialLink::sendByte(int value) {
    maybeReconnect();
    if (!checkAlive())
        return;
    const auto byte = static_cast<std::uint8_t>(value & 0xff);
    // One time-out for the whole send, however often a signal cuts the wait short.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutSetting_ * 10);
    for (;;) {
        const ssize_t n = ::write(fd_, &byte, 1);
        if (n == 1)
            return;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            markLost();
            return;
        }
        // The output queue is full: wait for room, but not past the time-out.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        pollfd p{fd_, POLLOUT, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            markLost();
            return;
        }
    }
}

int SerialLink::bytesWaiting() {
    maybeReconnect();
    if (fd_ < 0)
        return 0;
    const std::size_t buffered = rxTail_ - rxHead_;
    if (!checkAlive())
        return 0;
    int queued = 0;
    if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) {
        markLost();
        return 0;
    }
    const long long total = static_cast<long long>(buffered) + queued;
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

int SerialLink::readByte() {
    if (fd_ < 0)
        return -1;
    if (rxHead_ == rxTail_) {
        ssize_t n;
        do
            n = ::read(fd_, rx_.data(), rx_.size());
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                markLost();
            return -1;
        }
        rxHead_ = 0;
        rxTail_ = static_cast<std::size_t>(n);
    }
    return rx_[rxHead_++];
}

void SerialLink::closePort() {
    releaseDevice();
    wanted_ = false;
    rxHead_ = rxTail_ = 0;
}

} // namespace kv
