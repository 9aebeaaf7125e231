#include "sim/memory_meter.h"

#include "meter/meter_protocol.h"

#include <utility>

namespace kv {

MemoryMeter::MemoryMeter(ReplySource source) : source_(std::move(source)) {}

int MemoryMeter::openPort(std::string_view modeText) {
    calls.push_back("open " + std::string(modeText));
    return openResult;
}

void MemoryMeter::setRts(int on) {
    calls.push_back("rts " + std::to_string(on));
}

void MemoryMeter::setTimeouts(int setting) {
    calls.push_back("timeouts " + std::to_string(setting));
}

void MemoryMeter::sendByte(int value) {
    sent.push_back(value);
    if ((value & 0xFF) != kRequestByte)
        return;
    Reply reply;
    if (!replies.empty()) {
        reply = std::move(replies.front());
        replies.pop_front();
    } else if (source_) {
        reply = source_();
    }
    rx.insert(rx.end(), reply.begin(), reply.end());
}

int MemoryMeter::bytesWaiting() {
    return static_cast<int>(rx.size());
}

int MemoryMeter::readByte() {
    ++reads;
    if (rx.empty()) {
        ++readsWhileEmpty;
        return -1;
    }
    const int b = rx.front();
    rx.pop_front();
    return b;
}

void MemoryMeter::closePort() {
    calls.push_back("close");
}

int MemoryMeter::count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& c : calls)
        n += c.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

} // namespace kv
