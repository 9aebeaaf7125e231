#pragma once

#include "serial/open_failure.h"

#include <string_view>

namespace kv {

// The seven operations through which all port traffic passes, and why an open failed.
// SerialLink drives a real device; the poll cycle and the main window only see this
// interface, so tests can put a scripted port behind it. Every call comes from the
// user-interface thread.
class SerialIo {
public:
    virtual ~SerialIo() = default;

    // Opens the port named by a mode text such as "COM2:9600,N,8,1". Returns 1 when the
    // port is open, 0 otherwise (unknown port, malformed text, device that cannot be
    // opened). A port that is already open is closed first.
    virtual int openPort(std::string_view modeText) = 0;
    // Any value other than 0 switches RTS on.
    virtual void setRts(int on) = 0;
    virtual void setTimeouts(int setting) = 0;
    // Sends the low byte of value. Results are not reported.
    virtual void sendByte(int value) = 0;
    // Received bytes waiting to be read; 0 when none, and 0 while no port is usable.
    virtual int bytesWaiting() = 0;
    // The oldest received byte (0 to 255), or -1 when none is waiting.
    virtual int readByte() = 0;
    virtual void closePort() = 0;

    // Why the port is not usable: the last openPort() failed, or a device that went away
    // could not be opened again yet. No failure once an open succeeds. Here, because the
    // window knows its port only through this interface; a port that cannot fail to open
    // (a scripted one) has nothing to report.
    virtual OpenFailure openFailure() const { return {}; }
};

} // namespace kv
