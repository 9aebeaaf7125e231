#include "serial/open_failure.h"

#include <cerrno>
#include <cstring>

namespace kv {

OpenFailure OpenFailure::fromErrno(int err, std::string device) {
    OpenFailure f;
    f.device = std::move(device);
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
        f.reason = Reason::NoSuchDevice;
        break;
    case EACCES:
    case EPERM:
        f.reason = Reason::PermissionDenied;
        break;
    case ENOTTY:
    case EISDIR:
        f.reason = Reason::NotASerialPort;
        break;
    // EBUSY: the terminal is in exclusive mode; EWOULDBLOCK: another program holds its lock.
    case EBUSY:
    case EWOULDBLOCK:
        f.reason = Reason::InUse;
        break;
    default:
        f.reason = Reason::Other;
        f.systemMessage = std::strerror(err);
        break;
    }
    return f;
}

std::string OpenFailure::text() const {
    std::string why;
    switch (reason) {
    case Reason::None:
        return {};
    case Reason::NoSuchDevice:
        why = "no such device";
        break;
    case Reason::PermissionDenied:
        why = "permission denied. Add your user to the group dialout and log in again";
        break;
    case Reason::NotASerialPort:
        why = "not a serial port";
        break;
    case Reason::InUse:
        why = "in use by another program";
        break;
    case Reason::Other:
        why = systemMessage.empty() ? std::string("unknown error") : systemMessage;
        // The system's message stands in the middle of our sentence.
        if (why[0] >= 'A' && why[0] <= 'Z' && !(why.size() > 1 && why[1] >= 'A' && why[1] <= 'Z'))
            why[0] = static_cast<char>(why[0] - 'A' + 'a');
        while (!why.empty() && why.back() == '.')
            why.pop_back();
        break;
    }
    return "Cannot open " + device + ": " + why + ".";
}

} // namespace kv
