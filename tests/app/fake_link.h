#pragma once

#include "serial/serial_io.h"
#include "tools/sim/memory_meter.h"

#include <deque>
#include <string>
#include <vector>

namespace kv::testing {

// A serial link that records every call and answers each request byte with the next
// queued reply (or nothing when none is queued).
class FakeLink : public SerialIo {
public:
    int openResult = 1;
    std::vector<std::string> calls;       // "open COM1:9600,N,8,1", "rts 1", ...
    std::deque<std::vector<int>> replies; // one per request byte
    std::deque<int> rx;

    int openPort(std::string_view modeText) override {
        calls.push_back("open " + std::string(modeText));
        return openResult;
    }
    void setRts(int on) override { calls.push_back("rts " + std::to_string(on)); }
    void setTimeouts(int setting) override {
        calls.push_back("timeouts " + std::to_string(setting));
    }
    void sendByte(int value) override {
        ++sent;
        lastSent = value;
        if (!replies.empty()) {
            rx.insert(rx.end(), replies.front().begin(), replies.front().end());
            replies.pop_front();
        }
    }
    int bytesWaiting() override { return static_cast<int>(rx.size()); }
    int readByte() override {
        if (rx.empty())
            return -1;
        const int b = rx.front();
        rx.pop_front();
        return b;
    }
    void closePort() override { calls.push_back("close"); }

    int count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls)
            n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    // The meter's twelve-byte reply for a function code, range code and five digits.
    static std::vector<int> reply(int function, int range, const std::string& digits) {
        return MemoryMeter::reply(function, range, digits);
    }

    int sent = 0;
    int lastSent = -1;
};

} // namespace kv::testing
