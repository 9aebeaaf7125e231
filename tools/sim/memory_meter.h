#pragma once

#include "serial/serial_io.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

// A meter without a line: each request byte puts the next reply straight into the receive
// buffer, so a poll tick finds it waiting however short its wait. For benchmarks and
// pictures, where a pseudo-terminal's timing would only add noise.
class MemoryMeter : public SerialIo {
public:
    using ReplySource = std::function<std::vector<int>()>;

    explicit MemoryMeter(ReplySource next) : next_(std::move(next)) {}

    // The meter's twelve-byte reply for a function code, a range code and the five
    // characters it shows.
    static std::vector<int> reply(int function, int range, const std::string& digits) {
        std::vector<int> r{137, function, range, 0, 0};
        for (char c : digits)
            r.push_back(static_cast<unsigned char>(c));
        r.push_back(0);
        r.push_back(0);
        return r;
    }

    int openPort(std::string_view) override { return 1; }
    void setRts(int) override {}
    void setTimeouts(int) override {}
    void sendByte(int value) override {
        if ((value & 0xFF) != 137 || !next_)
            return;
        const std::vector<int> r = next_();
        rx_.insert(rx_.end(), r.begin(), r.end());
    }
    int bytesWaiting() override { return static_cast<int>(rx_.size()); }
    int readByte() override {
        if (rx_.empty())
            return -1;
        const int b = rx_.front();
        rx_.pop_front();
        return b;
    }
    void closePort() override {}

private:
    ReplySource next_;
    std::deque<int> rx_;
};

} // namespace kv
