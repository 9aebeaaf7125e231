#pragma once

#include "serial/mode_text.h"
#include "serial/port_table.h"
#include "serial/serial_io.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <termios.h>

namespace kv {

// Puts the line settings of a mode into tio: raw mode, the baud rate, parity, data and stop
// bits, no flow control, reads that return what is there. False for an unsupported rate.
bool applySerialMode(termios& tio, const SerialMode& m);

// The serial link over POSIX termios: one port at a time, raw mode, the line settings of
// the mode text, no flow control. Every operation is non-blocking apart from a send that
// waits for room in the output queue at most for the time-out (setTimeouts).
//
// The port is held alone, so that two programs never split the meter's replies: an
// advisory lock on the device (flock, which other serial programs honour) and the
// terminal's exclusive mode (TIOCEXCL), both let go on close. A device held by someone
// else fails to open with the reason InUse; openFailure() tells why any open failed.
//
// A device that vanishes while open (cable pulled, simulator unplugged) makes the link
// report 0 waiting bytes and drop sends, without a message. The link then tries to open
// the device it lost again, at most every reconnectInterval, from bytesWaiting() and
// sendByte(): a USB device as the port with the same USB identity (with a serial number
// under whatever path it has now, without one only under the same path); any other device
// under the same path, except a pseudo-terminal: its number is handed out again, so only a
// symbolic link made anew since the loss (a simulator's that came back) leads to it. Once
// back, polling goes on without a new openPort().
class SerialLink : public SerialIo {
public:
    static constexpr std::chrono::milliseconds reconnectInterval{200};
    static constexpr int kMaxTimeoutSetting = 100;

    SerialLink() = default;
    explicit SerialLink(PortTable table) : table_(std::move(table)) {}
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // The names openPort() knows. Replacing the table leaves an open port open.
    const PortTable& portTable() const { return table_; }
    void setPortTable(PortTable table) { table_ = std::move(table); }
    // Where the link looks for a USB device that came back under a new path; the system's
    // port list unless replaced.
    void setPortScanner(std::function<std::vector<PortEntry>()> scanner) {
        scanner_ = std::move(scanner);
    }

    int openPort(std::string_view modeText) override;
    void setRts(int on) override;
    // Time-out of a send waiting for room in the output queue: setting × 10 ms, at most
    // kMaxTimeoutSetting × 10 ms, so a stuck line cannot hold the poll cycle for long.
    void setTimeouts(int setting) override;
    void sendByte(int value) override;
    int bytesWaiting() override;
    int readByte() override;
    void closePort() override;

    // A port was opened and not closed since (it may be away at the moment).
    bool isOpen() const { return wanted_; }
    // The device is open and usable right now.
    bool isConnected() const { return fd_ >= 0; }
    // The path in use, or last in use while the device is away.
    const std::string& devicePath() const { return device_.path; }
    OpenFailure openFailure() const override { return failure_; }

private:
    // A symbolic link as it was when the device was opened through it. The text it points
    // at is part of it: a link's inode and time may come back on a link made anew.
    struct LinkIdentity {
        dev_t dev = 0;
        ino_t ino = 0;
        timespec mtime{};
        std::string target;
        bool operator==(const LinkIdentity& o) const;
        bool operator!=(const LinkIdentity& o) const { return !(*this == o); }
    };
    static std::optional<LinkIdentity> linkIdentity(const std::string& path);

    bool openDevice(const std::string& path);
    bool pathMayLeadBack() const;
    void releaseDevice();
    void markLost();
    void maybeReconnect();
    bool checkAlive();
    void applyRts();

    PortTable table_;
    std::function<std::vector<PortEntry>()> scanner_;
    int fd_ = -1;
    bool wanted_ = false;
    SerialMode mode_;
    PortEntry device_;
    OpenFailure failure_;
    // How the open device was reached, to tell whether its path still leads to it once lost.
    bool openedPseudoTerminal_ = false;
    std::optional<LinkIdentity> openedLink_;
    bool rtsOn_ = false;
    bool rtsRequested_ = false;
    int timeoutSetting_ = 0;
    std::chrono::steady_clock::time_point nextRetry_{};
    std::array<std::uint8_t, 256> rx_{};
    std::size_t rxHead_ = 0, rxTail_ = 0;
};

} // namespace kv
