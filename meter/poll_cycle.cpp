#include "meter/poll_cycle.h"

#include "meter/reading_decoder.h"

#include <chrono>
#include <thread>

namespace kv {

PollCycle::PollCycle(SerialIo& port, ReadingHolder& reading, Sleep sleep)
    : port_(port), reading_(reading), sleep_(std::move(sleep)) {
    if (!sleep_)
        sleep_ = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
}

void PollCycle::poll() {
    for (int digit : {1, 3, 7})
        requestValue = requestValue * 10 + digit;
    if (requestValue > 255)
        requestValue = 255;
    port_.sendByte(requestValue);
    requestValue = 0;

    sleep_(kReplyWaitMs);

    int counter = 1;
    for (int drained = 0; drained < kMaxDrainBytes && port_.bytesWaiting() > 0; ++drained) {
        const int byte = port_.readByte();
        if (byte < 0)
            break; // the device went away between the count and the read
        if (counter <= kReplyLength)
            frame.slot(counter) = std::to_string(byte);
        ++counter;
    }

    // Anything above '9' in a digit slot, the meter's '?' included, reads as '0'.
    for (int n = kFirstDigitSlot; n <= kLastDigitSlot; ++n)
        if (frame.slotValue(n) > '9')
            frame.slot(n) = "48";
}

bool PollCycle::tick() {
    if (openResult != 1)
        return false;
    poll();
    return decodeReading(frame, label7, reading_);
}

} // namespace kv
