#pragma once

#include "serial/serial_io.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kv {

// A meter without a line: each request byte puts the next reply straight into the receive
// buffer, so a poll tick finds it waiting however short its wait. For benchmarks, pictures
// and tests, where a pseudo-terminal's timing would only add noise. It keeps a record of
// what was asked of it, so a test can check the calls.
class MemoryMeter : public SerialIo {
public:
    using Reply = std::vector<std::uint8_t>;
    using ReplySource = std::function<Reply()>;

    MemoryMeter() = default;
    // `source` answers every request that finds no queued reply.
    explicit MemoryMeter(ReplySource source);

    int openPort(std::string_view modeText) override;
    void setRts(int on) override;
    void setTimeouts(int setting) override;
    // Only the request byte is answered, as by the meter; other bytes are just recorded.
    void sendByte(int value) override;
    int bytesWaiting() override;
    int readByte() override;
    void closePort() override;

    // How many recorded calls start with `prefix` ("open ", "close").
    int count(const std::string& prefix) const;

    // What openPort() returns: 1 for a port that opens.
    int openResult = 1;
    // Replies to the next requests, one each; they come before the source's. An empty reply
    // is a request left unanswered.
    std::deque<Reply> replies;
    // Received bytes not read yet.
    std::deque<int> rx;
    // Every byte sent, and every other call in words: "open COM1:9600,N,8,1", "rts 1",
    // "timeouts 2", "close".
    std::vector<int> sent;
    std::vector<std::string> calls;
    // readByte() calls so far, and those that found nothing to read.
    int reads = 0;
    int readsWhileEmpty = 0;

private:
    ReplySource source_;
};

} // namespace kv
