#pragma once

#include <string>

namespace kv {

// Why the serial link could not open a port, in terms a user can act on.
struct OpenFailure {
    enum class Reason { None, NoSuchDevice, PermissionDenied, NotASerialPort, InUse, Other };

    Reason reason = Reason::None;
    // The device path tried, or the port name when the port table has no such entry.
    std::string device;
    // The system's own words; only the reason Other shows them.
    std::string systemMessage;

    // The failure the error number err of an open (or of taking the device) stands for.
    static OpenFailure fromErrno(int err, std::string device);

    bool failed() const { return reason != Reason::None; }
    // One sentence for the window's footer and stderr, such as
    // "Cannot open /dev/ttyUSB0: no such device."; empty when nothing failed.
    std::string text() const;
};

} // namespace kv
