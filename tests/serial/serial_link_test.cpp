#include "serial/serial_link.h"
#include "sim/meter_simulator.h"
#include "support/open_descriptors.h"
#include "support/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <memory>
#include <optional>
#include <pthread.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kv {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A bare pseudo-terminal: the test plays the meter on the master side.
struct Pty {
    int master = -1;
    std::string path;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        ::grantpt(master);
        ::unlockpt(master);
        char name[128];
        ::ptsname_r(master, name, sizeof name);
        path = name;
    }
    ~Pty() { hangUp(); }
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(std::initializer_list<unsigned char> bytes) {
        std::vector<unsigned char> v(bytes);
        ASSERT_EQ(::write(master, v.data(), v.size()), static_cast<ssize_t>(v.size()));
    }
    std::vector<unsigned char> received() {
        std::vector<unsigned char> out(4096);
        ssize_t n = ::read(master, out.data(), out.size());
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    }
};

PortEntry entry(const std::string& path) {
    PortEntry e;
    e.path = path;
    return e;
}

using test::openDescriptors;

std::string tempPath(const char* name) {
    return ::testing::TempDir() + name + std::to_string(::getpid());
}

TEST(SerialLink, OpenFailsForUnknownNamesAndBadModes) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    EXPECT_EQ(link.openPort("COM2:9600,N,8,1"), 0) << "only COM1 exists";
    EXPECT_EQ(link.openPort("COM0:9600,N,8,1"), 0);
    EXPECT_EQ(link.openPort("COM1:9600,N,8"), 0);
    EXPECT_EQ(link.openPort("COM1:12345,N,8,1"), 0);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    EXPECT_TRUE(link.isOpen());

    // A path that is not a terminal is no serial port, and a missing one none either.
    SerialLink notTty(PortTable({entry("/dev/null"), entry("/nonexistent/tty")}, {}));
    EXPECT_EQ(notTty.openPort("COM1:9600,N,8,1"), 0);
    EXPECT_EQ(notTty.openPort("COM2:9600,N,8,1"), 0);
}

constexpr const char* kMode = "COM1:9600,N,8,1";

TEST(OpenFailure, SaysWhyInTheWordsTheUserSees) {
    const std::string dir = tempPath("kv-open-dir-");
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/plain";
    std::ofstream(file) << "not a device";
    // A pseudo-terminal that is still locked refuses to open with an error of its own.
    const int locked = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(locked);
    char lockedPath[128];
    ::ptsname_r(locked, lockedPath, sizeof lockedPath);
    Pty pty;
    SerialLink link(PortTable({entry("/nonexistent/ttyUSB0"), entry("/dev/null"), entry(dir),
                               entry(file), entry(lockedPath), entry(pty.path)},
                              {}));
    using R = OpenFailure::Reason;
    const std::tuple<const char*, R, std::string> cases[] = {
        {"COM1:9600,N,8,1", R::NoSuchDevice, "Cannot open /nonexistent/ttyUSB0: no such device."},
        {"COM2:9600,N,8,1", R::NotASerialPort, "Cannot open /dev/null: not a serial port."},
        {"COM3:9600,N,8,1", R::NotASerialPort, "Cannot open " + dir + ": not a serial port."},
        {"COM4:9600,N,8,1", R::NotASerialPort, "Cannot open " + file + ": not a serial port."},
        {"COM5:9600,N,8,1", R::Other,
         "Cannot open " + std::string(lockedPath) + ": input/output error."},
        {"com9:9600,N,8,1", R::NoSuchDevice, "Cannot open COM9: no such device."},
    };
    for (const auto& [mode, reason, text] : cases) {
        EXPECT_EQ(link.openPort(mode), 0) << mode;
        EXPECT_EQ(link.openFailure().reason, reason) << mode;
        EXPECT_EQ(link.openFailure().text(), text);
    }
    link.closePort();
    EXPECT_EQ(link.openFailure().text(), "Cannot open COM9: no such device.")
        << "kept till a success";
    ASSERT_EQ(link.openPort("COM6:9600,N,8,1"), 1);
    EXPECT_FALSE(link.openFailure().failed());
    EXPECT_EQ(link.openFailure().text(), "");
    ::close(locked);
    std::filesystem::remove_all(dir);
}

// Runs tryOpen in a child process that has become the unprivileged user nobody and returns
// the text it made; nullopt when this process may not change its user.
std::optional<std::string> asUnprivilegedUser(const std::function<std::string()>& tryOpen) {
    if (::geteuid() != 0)
        return std::nullopt;
    int out[2];
    if (::pipe(out) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(77);
        const std::string text = tryOpen();
        const bool sent =
            ::write(out[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(out[1]);
    std::string text;
    char buf[256];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 77)
        return std::nullopt;
    return text;
}

TEST(OpenFailure, AnotherUserIsDeniedOrFindsThePortInUse) {
    Pty pty; // root's own terminal
    const auto tryOpen = [&] {
        SerialLink other(PortTable({entry(pty.path)}, {}));
        return other.openPort(kMode) == 1 ? std::string("opened") : other.openFailure().text();
    };
    const auto denied = asUnprivilegedUser(tryOpen);
    if (!denied)
        GTEST_SKIP() << "trying a device as an unprivileged user needs root";
    EXPECT_EQ(*denied, "Cannot open " + pty.path +
                           ": permission denied. Add your user to the group dialout and log in "
                           "again.");

    // Open to everyone now: only the terminal's exclusive mode keeps a non-root user out,
    // even one that does not ask for the lock.
    ASSERT_EQ(::chmod(pty.path.c_str(), 0666), 0);
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort(kMode), 1);
    SerialLink refused(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(refused.openPort(kMode), 0) << "and a refused open leaves the holder's mode alone";
    const auto plainOpen = [&] {
        const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 ? std::string("opened") : std::string(std::strerror(errno));
    };
    EXPECT_EQ(asUnprivilegedUser(plainOpen), std::string(std::strerror(EBUSY)));
    EXPECT_EQ(asUnprivilegedUser(tryOpen),
              "Cannot open " + pty.path + ": in use by another program.");
    link.closePort();
    EXPECT_EQ(asUnprivilegedUser(tryOpen), "opened") << "closing ends the exclusive mode";
}

TEST(ExclusivePort, OneHolderAtATimeAndOtherProgramsLocksCount) {
    Pty pty;
    SerialLink first(PortTable({entry(pty.path)}, {}));
    SerialLink second(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(first.openPort(kMode), 1);
    EXPECT_EQ(second.openPort(kMode), 0);
    EXPECT_EQ(second.openFailure().text(),
              "Cannot open " + pty.path + ": in use by another program.");

    // Another serial program asking for the lock is told no, and is let in after close.
    const int other = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    first.closePort();
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(second.openPort(kMode), 0) << "a program holding the lock keeps us out";
    EXPECT_EQ(second.openFailure().reason, OpenFailure::Reason::InUse);
    ::close(other);
    EXPECT_EQ(second.openPort(kMode), 1);
}

TEST(LineSettings, FollowTheModeText) {
    struct Case {
        const char* mode;
        speed_t speed;
        tcflag_t size;
        bool parity, odd, stick, twoStop;
    };
    const Case cases[] = {
        {"COM1:9600,N,8,1", B9600, CS8, false, false, false, false},
        {"COM1:19200,E,7,2", B19200, CS7, true, false, false, true},
        {"COM1:115200,O,8,1", B115200, CS8, true, true, false, false},
        {"COM1:300,M,5,1", B300, CS5, true, true, true, false},
        {"COM1:2400,S,6,2", B2400, CS6, true, false, true, true},
    };
    for (const Case& c : cases) {
        termios tio{};
        // Start from a line with everything switched on that the link must switch off.
        tio.c_cflag = CRTSCTS | PARENB | PARODD | CSTOPB | CS8;
        tio.c_iflag = IXON | IXOFF | ICRNL;
        tio.c_lflag = ICANON | ECHO | ISIG;
        tio.c_oflag = OPOST;
        ASSERT_TRUE(applySerialMode(tio, *parseModeText(c.mode))) << c.mode;
        EXPECT_EQ(::cfgetispeed(&tio), c.speed) << c.mode;
        EXPECT_EQ(::cfgetospeed(&tio), c.speed) << c.mode;
        EXPECT_EQ(tio.c_cflag & CSIZE, c.size) << c.mode;
        EXPECT_EQ((tio.c_cflag & PARENB) != 0, c.parity) << c.mode;
        EXPECT_EQ((tio.c_cflag & PARODD) != 0, c.odd) << c.mode;
        EXPECT_EQ((tio.c_cflag & CMSPAR) != 0, c.stick) << c.mode;
        EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.twoStop) << c.mode;
        EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
        EXPECT_NE(tio.c_cflag & CLOCAL, 0u) << "modem lines do not gate the data";
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u) << "no flow control, no translation";
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode";
        EXPECT_EQ(tio.c_oflag & OPOST, 0u) << "raw output";
    }
}

TEST(SerialLink, OpenedDeviceIsInRawMode) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    // The master shows the terminal's settings; the device itself is the link's alone.
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master, &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
}

TEST(SerialLink, BytesTravelBothWays) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    link.setRts(1); // no modem lines on a pseudo-terminal: harmless
    link.setTimeouts(2);
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_EQ(link.readByte(), -1) << "nothing waiting";

    pty.send({0, 13, 10, 255, 137});
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 5; }, 500ms));
    std::vector<int> got;
    while (link.bytesWaiting() > 0)
        got.push_back(link.readByte());
    EXPECT_EQ(got, (std::vector<int>{0, 13, 10, 255, 137}));
    EXPECT_EQ(link.bytesWaiting(), 0);
}

TEST(SerialLink, SentBytesArriveUnchanged) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    link.sendByte(137);
    link.sendByte(0x100 + 10);
    link.sendByte(13);
    std::vector<unsigned char> got;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            auto more = pty.received();
            got.insert(got.end(), more.begin(), more.end());
            return got.size() >= 3;
        },
        500ms));
    EXPECT_EQ(got, (std::vector<unsigned char>{137, 10, 13}));
}

TEST(SerialLink, OperationsOnAClosedLinkDoNothing) {
    SerialLink link;
    link.closePort(); // before any open
    link.setRts(1);
    link.setTimeouts(2);
    link.sendByte(137);
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_EQ(link.readByte(), -1);
    EXPECT_EQ(link.openPort("COM1:9600,N,8,1"), 0) << "empty table";
}

TEST(SerialLink, ReopeningClosesTheOldPortFirst) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    const int before = openDescriptors();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    EXPECT_EQ(openDescriptors(), before);
    // A failing open after a good one leaves nothing open either.
    EXPECT_EQ(link.openPort("COM5:9600,N,8,1"), 0);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(openDescriptors(), before - 1);
}

TEST(SerialLink, StaleInputIsDroppedOnOpen) {
    Pty pty;
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    pty.send({1, 2, 3});
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 3; }, 500ms));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    EXPECT_EQ(link.bytesWaiting(), 0);
}

TEST(SerialLink, VanishedDeviceReadsAsSilentWithoutBlocking) {
    auto pty = std::make_unique<Pty>();
    SerialLink link(PortTable({entry(pty->path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    pty->send({1, 2});
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 2; }, 500ms));
    pty.reset(); // cable pulled

    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) {
        link.sendByte(137);
        EXPECT_EQ(link.bytesWaiting(), 0);
        EXPECT_EQ(link.readByte(), -1);
    }
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_TRUE(link.isOpen()) << "still wanted: it comes back by itself";
    EXPECT_FALSE(link.isConnected());
    link.closePort();
    EXPECT_FALSE(link.isOpen());
}

TEST(SerialLink, ReconnectsUnderTheSameLinkPath) {
    const std::string link_path = tempPath("kv-link-reconnect-");
    sim::MeterSimulator meter({{sim::SimStep::Kind::Reply, {1, 2, 3}},
                               {sim::SimStep::Kind::Unplug, {}, 0, 150},
                               {sim::SimStep::Kind::Reply, {4, 5}}});
    ASSERT_TRUE(meter.start(link_path));

    SerialLink link(PortTable({entry(link_path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    link.sendByte(137);
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 3; }, 500ms));
    while (link.bytesWaiting() > 0)
        link.readByte();

    link.sendByte(137); // the meter goes away on this one
    ASSERT_TRUE(test::waitUntil([&] { return meter.unplugged(); }, 500ms));
    ASSERT_TRUE(
        test::waitUntil([&] { return link.bytesWaiting() == 0 && !link.isConnected(); }, 500ms));
    ASSERT_TRUE(test::waitUntil([&] { return !meter.unplugged(); }, 1000ms));

    // Within a second of its return the link is back, with no new openPort().
    const auto back = Clock::now();
    ASSERT_TRUE(test::waitUntil(
        [&] {
            link.sendByte(137);
            std::this_thread::sleep_for(10ms);
            return link.bytesWaiting() == 2;
        },
        1000ms));
    EXPECT_LT(Clock::now() - back, 1000ms);
    EXPECT_EQ(link.readByte(), 4);
    EXPECT_EQ(link.readByte(), 5);
    meter.stop();
}

// Points path at target with a link made aside and renamed into place, the way a
// simulator that comes back does: the old link never goes missing, the new one is new.
void relink(const std::string& path, const std::string& target) {
    const std::string aside = path + ".new";
    std::filesystem::remove(aside);
    std::filesystem::create_symlink(target, aside);
    std::filesystem::rename(aside, path);
}

// Calls the link's polling operation until it is connected or the time is up.
bool reconnects(SerialLink& link, std::chrono::milliseconds limit) {
    return test::waitUntil(
        [&] {
            link.bytesWaiting();
            return link.isConnected();
        },
        limit);
}

TEST(SerialLink, ReconnectsUsbDeviceUnderANewPath) {
    auto first = std::make_unique<Pty>();
    PortEntry usb = entry(first->path);
    usb.vendorId = 0x067b;
    usb.productId = 0x2303;
    usb.serialNumber = "M-17";
    SerialLink link(PortTable({usb}, {}));
    std::vector<PortEntry> present;
    int scans = 0;
    link.setPortScanner([&] {
        ++scans;
        return present;
    });
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    first.reset();
    EXPECT_EQ(link.bytesWaiting(), 0);

    // Another adapter of the same kind appears first: not ours.
    Pty other;
    PortEntry stranger = usb;
    stranger.path = other.path;
    stranger.serialNumber = "M-18";
    present = {stranger};
    Pty second;
    std::this_thread::sleep_for(SerialLink::reconnectInterval + 20ms);
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_FALSE(link.isConnected());
    EXPECT_GE(scans, 1);
    EXPECT_EQ(link.openFailure().text(), "Cannot open " + usb.path + ": no such device.");

    PortEntry moved = usb;
    moved.path = second.path;
    present = {stranger, moved};
    ASSERT_TRUE(reconnects(link, 1000ms));
    EXPECT_EQ(link.devicePath(), second.path);
    second.send({42});
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 1; }, 500ms));
    EXPECT_EQ(link.readByte(), 42);
}

TEST(SerialLink, BarePseudoTerminalIsNotReopened) {
    auto first = std::make_unique<Pty>();
    SerialLink link(PortTable({entry(first->path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    first.reset();
    EXPECT_EQ(link.bytesWaiting(), 0);
    Pty next; // most likely under the number just freed: someone else's terminal
    std::this_thread::sleep_for(SerialLink::reconnectInterval + 50ms);
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_FALSE(link.isConnected());
}

TEST(SerialLink, UsbDeviceWithoutSerialNumberReturnsOnlyAtItsPath) {
    const std::string path = tempPath("kv-usb-noserial-");
    auto first = std::make_unique<Pty>();
    std::filesystem::remove(path);
    std::filesystem::create_symlink(first->path, path);
    PortEntry usb = entry(path);
    usb.vendorId = 0x0403;
    usb.productId = 0x6001;
    SerialLink link(PortTable({usb}, {}));
    std::vector<PortEntry> present;
    link.setPortScanner([&] { return present; });
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    first.reset();
    EXPECT_EQ(link.bytesWaiting(), 0);

    Pty second;
    std::filesystem::remove(path);
    std::filesystem::create_symlink(second.path, path);
    PortEntry there = entry(second.path);
    there.vendorId = 0x0403;
    there.productId = 0x6015; // another kind of adapter at our place
    present = {there};
    std::this_thread::sleep_for(SerialLink::reconnectInterval + 50ms);
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_FALSE(link.isConnected());

    there.productId = 0x6001;
    present = {there};
    ASSERT_TRUE(reconnects(link, 1000ms));
    EXPECT_EQ(link.devicePath(), path);
    std::filesystem::remove(path);
}

TEST(Reconnect, AStaleLinkToAReusedPseudoTerminalIsLeftAlone) {
    // meter -> hop -> /dev/pts/N: re-pointing the hop hands the unchanged link a new
    // terminal, as the kernel does when it gives N to the next session.
    const std::string meterPath = tempPath("kv-stale-meter-");
    const std::string hop = tempPath("kv-stale-hop-");
    auto first = std::make_unique<Pty>();
    relink(hop, first->path);
    relink(meterPath, hop);
    SerialLink link(PortTable({entry(meterPath)}, {}));
    ASSERT_EQ(link.openPort(kMode), 1);
    first.reset(); // the meter dies and leaves its link behind
    EXPECT_EQ(link.bytesWaiting(), 0);

    Pty stranger;
    relink(hop, stranger.path);
    const auto start = Clock::now();
    while (Clock::now() - start < 3 * SerialLink::reconnectInterval) {
        link.sendByte(137);
        link.bytesWaiting();
    }
    EXPECT_FALSE(link.isConnected());
    EXPECT_TRUE(stranger.received().empty()) << "nothing written into someone's terminal";
    termios tio{};
    ASSERT_EQ(::tcgetattr(stranger.master, &tio), 0);
    EXPECT_NE(tio.c_lflag & ICANON, 0u) << "its settings untouched";
    EXPECT_EQ(link.openFailure().text(), "Cannot open " + meterPath + ": no such device.");
    std::filesystem::remove(meterPath);
    std::filesystem::remove(hop);
}

TEST(Reconnect, ADeviceHeldBySomeoneElseIsLeftAloneUntilFree) {
    const std::string meterPath = tempPath("kv-held-");
    auto first = std::make_unique<Pty>();
    relink(meterPath, first->path);
    SerialLink link(PortTable({entry(meterPath)}, {}));
    ASSERT_EQ(link.openPort(kMode), 1);
    first.reset();
    EXPECT_EQ(link.bytesWaiting(), 0);

    Pty second;
    relink(meterPath, second.path);
    SerialLink other(PortTable({entry(meterPath)}, {}));
    ASSERT_EQ(other.openPort(kMode), 1) << "the other program was quicker";
    EXPECT_FALSE(reconnects(link, 3 * SerialLink::reconnectInterval));
    EXPECT_EQ(link.openFailure().reason, OpenFailure::Reason::InUse);
    EXPECT_TRUE(link.isOpen()) << "still wanted";

    other.closePort();
    ASSERT_TRUE(reconnects(link, 1000ms));
    EXPECT_EQ(other.openPort(kMode), 0) << "and now the link holds it alone again";
    std::filesystem::remove(meterPath);
}

TEST(SerialLink, RetriesAreSpacedOut) {
    auto pty = std::make_unique<Pty>();
    PortEntry usb = entry(pty->path);
    usb.vendorId = 1;
    usb.productId = 2;
    usb.serialNumber = "S";
    SerialLink link(PortTable({usb}, {}));
    int scans = 0;
    link.setPortScanner([&] {
        ++scans;
        return std::vector<PortEntry>{};
    });
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    pty.reset();
    const auto start = Clock::now();
    while (Clock::now() - start < 450ms)
        link.bytesWaiting();
    // One try right away would be wasted on a device just gone: at most one per interval.
    EXPECT_GE(scans, 1);
    EXPECT_LE(scans, 3);
}

// A second descriptor on the device, opened before the link takes it exclusively.
int openWriter(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

// Fills the output queue of the link's device through the writer (and closes it), so the
// link's next send finds no room: a line that does not move.
void fillOutputQueue(int fd) {
    ASSERT_GE(fd, 0);
    // The terminal layer moves written bytes on behind the writer's back for a moment, so
    // the queue counts as full only once it has taken nothing for a while.
    const std::vector<char> chunk(4096, 'x');
    auto lastTaken = Clock::now();
    while (Clock::now() - lastTaken < 200ms) {
        if (::write(fd, chunk.data(), chunk.size()) > 0 || ::write(fd, chunk.data(), 1) > 0)
            lastTaken = Clock::now();
        else
            std::this_thread::sleep_for(5ms);
    }
    ::close(fd);
}

TEST(SerialLinkSend, StuckLineHoldsASendNoLongerThanTheTimeOut) {
    Pty pty;
    const int writer = openWriter(pty.path);
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    fillOutputQueue(writer);

    link.setTimeouts(30); // 300 ms
    auto start = Clock::now();
    link.sendByte(137);
    const auto held = Clock::now() - start;
    EXPECT_GE(held, 250ms) << "the send waits for room for its time-out";
    EXPECT_LT(held, 550ms) << "one time-out in all, not one per try";

    // A setting whose milliseconds do not fit an int must neither wait for ever nor for
    // days: no send may freeze the poll cycle.
    link.setTimeouts(INT_MAX);
    start = Clock::now();
    link.sendByte(137);
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_TRUE(link.isConnected()) << "a full queue is no lost device";
}

void ignoreSignal(int) {}

TEST(SerialLinkSend, SignalDuringTheWaitDoesNotLoseTheByte) {
    Pty pty;
    const int writer = openWriter(pty.path);
    SerialLink link(PortTable({entry(pty.path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    fillOutputQueue(writer);

    struct sigaction action {
    }, old{};
    action.sa_handler = ignoreSignal; // no SA_RESTART: the wait is interrupted
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &old), 0);

    // A signal arrives while the send waits; only later does the line take bytes again.
    const pthread_t sender = ::pthread_self();
    std::vector<unsigned char> got;
    std::thread line([&] {
        std::this_thread::sleep_for(60ms);
        ::pthread_kill(sender, SIGUSR1);
        std::this_thread::sleep_for(60ms);
        test::waitUntil(
            [&] {
                auto more = pty.received();
                got.insert(got.end(), more.begin(), more.end());
                return !got.empty() && got.back() == 137;
            },
            3000ms);
    });
    link.setTimeouts(100); // 1 s
    link.sendByte(137);
    line.join();
    ::sigaction(SIGUSR1, &old, nullptr);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), 137) << "the request went out once the line moved again";
}

TEST(SerialLink, HangUpFoundByAReadEndsTheConnection) {
    auto pty = std::make_unique<Pty>();
    SerialLink link(PortTable({entry(pty->path)}, {}));
    ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
    pty->send({1, 2});
    ASSERT_TRUE(test::waitUntil([&] { return link.bytesWaiting() == 2; }, 500ms));
    pty.reset(); // gone between the count and the read
    EXPECT_EQ(link.readByte(), -1);
    EXPECT_FALSE(link.isConnected());
    EXPECT_EQ(link.bytesWaiting(), 0);
    EXPECT_EQ(link.readByte(), -1);
}

// The program runs the simulated meter on a thread of its own and stops it on exit while
// the link may still be polling it.
TEST(SerialLink, InProcessMeterStopsCleanlyUnderTraffic) {
    for (int round = 0; round < 3; ++round) {
        sim::MeterSimulator meter(
            {{sim::SimStep::Kind::Reply, {137, 240, 136, 0, 0, '0', '1', '2', '3', '4', 0, 0}}},
            true);
        ASSERT_TRUE(meter.start());
        SerialLink link(PortTable({entry(meter.devicePath())}, {}));
        ASSERT_EQ(link.openPort("COM1:9600,N,8,1"), 1);
        std::atomic<bool> done{false};
        std::atomic<int> received{0};
        std::thread poller([&] {
            while (!done) {
                link.sendByte(137);
                std::this_thread::sleep_for(1ms);
                for (int n = 0; n < 4096 && link.bytesWaiting() > 0; ++n)
                    if (link.readByte() >= 0)
                        ++received;
            }
        });
        ASSERT_TRUE(test::waitUntil([&] { return received > 100; }, 3000ms));
        const auto start = Clock::now();
        meter.stop();
        EXPECT_LT(Clock::now() - start, 1000ms);
        EXPECT_FALSE(meter.running());
        std::this_thread::sleep_for(20ms); // the poller meets the vanished device
        done = true;
        poller.join();
        EXPECT_EQ(link.bytesWaiting(), 0);
        EXPECT_FALSE(link.isConnected());
    }
}

// How a child that is a session leader without a terminal ends when it opens a
// pseudo-terminal's device with `openDevice` and the other side then goes away. After the
// hang-up the child waits until `noticed(holder)` tells that the hang-up has come through;
// a hang-up signal ends it sooner.
template <typename Open, typename Noticed>
int hangUpInNewSession(Open openDevice, Noticed noticed) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        Pty pty;
        const auto holder = openDevice(pty.path);
        pty.hangUp();
        test::waitUntil([&] { return noticed(*holder); }, 5s);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(SerialLink, HangUpOfTheDeviceSendsNoSignal) {
    // A terminal opened carelessly becomes the session's own, and its hang-up ends the
    // session: the check can tell. Its child waits for nothing but that signal.
    const int careless = hangUpInNewSession(
        [](const std::string& path) {
            return std::make_shared<int>(::open(path.c_str(), O_RDWR | O_NONBLOCK));
        },
        [](int) { return false; });
    ASSERT_TRUE(WIFSIGNALED(careless) && WTERMSIG(careless) == SIGHUP) << careless;

    // The link's child lives on until the link itself has found the device gone.
    const int status = hangUpInNewSession(
        [](const std::string& path) {
            auto link = std::make_shared<SerialLink>(PortTable({entry(path)}, {}));
            if (link->openPort("COM1:9600,N,8,1") != 1)
                ::_exit(2);
            return link;
        },
        [](SerialLink& link) {
            link.bytesWaiting();
            return !link.isConnected();
        });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
} // namespace kv
