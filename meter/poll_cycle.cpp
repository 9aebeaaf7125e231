#include "meter/poll_cycle.h"

#include "meter/reading_decoder.h"

#include <chrono>
#include <thread>

namespace kv {

PollCycle::PollCycle(SerialIo& port, Sleep sleep) : port_(port), sleep_(std::move(sleep)) {
    if (!sleep_)
        sleep_ = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

bool PollCycle::request() {
    if (openResult != 1)
        return false;
    for (int digit : {1, 3, 7})
        requestValue = requestValue * 10 + digit;
    if (requestValue > 255)
        requestValue = 255;
    port_.sendByte(requestValue);
    requestValue = 0;
    return true;
}

PollResult PollCycle::complete() {
    // The reply is kept aside until it proves whole, so that a garbled one leaves every slot
    // as it was.
    int reply[kReplyLength] = {};
    int received = 0;
    for (int drained = 0; drained < kMaxDrainBytes && port_.bytesWaiting() > 0; ++drained) {
        const int byte = port_.readByte();
        if (byte < 0)
            break; // the device went away between the count and the read
        if (received < kReplyLength)
            reply[received] = byte;
        ++received;
    }
    if (received == 0)
        return PollResult::NoReply;
    if (received < kReplyLength || reply[kEchoSlot - 1] != kRequestByte)
        return PollResult::Garbled;
    for (int n = 1; n <= kReplyLength; ++n)
        frame.slot(n) = std::to_string(reply[n - 1]);

    switch (decodeReading(frame, label7, reading)) {
    case Decoded::Rejected:
        return PollResult::Rejected;
    case Decoded::Overload:
        return PollResult::Overload;
    case Decoded::Unlisted:
        return PollResult::Unlisted;
    case Decoded::Reading:
        break;
    }
    return PollResult::Reading;
}

PollResult PollCycle::poll() {
    if (!request())
        return PollResult::NotOpen;
    sleep_(kReplyWaitMs);
    return complete();
}

bool PollCycle::tick() {
    const PollResult r = poll();
    return r == PollResult::Reading || r == PollResult::Unlisted || r == PollResult::Overload;
}

} // namespace kv
