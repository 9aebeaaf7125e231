#pragma once

#include "core/reading_holder.h"
#include "meter/reply_frame.h"
#include "serial/serial_io.h"

#include <functional>
#include <string>

namespace kv {

// One poll of the meter per timer tick, and the decoding of its reply.
//
// The main window keeps one PollCycle for its life, next to its SerialLink and its value
// indicator (the ReadingHolder), and uses it like this:
//
//     Start:  poll.openResult = link.openPort(meterModeText(portNumber));  (after setRts,
//             setTimeouts as the window's Start sequence requires)
//     Tick:   if (poll.tick()) runDisplayUpdate();
//
// openResult, requestValue, the reply frame and label7 (the value text) are plain members so that
// the window may show, reset or hand them around; they survive Stop and Start. tick()
// blocks for the reply wait (100 ms unless another sleep is given) and lets a
// ConvertError of the value conversion pass to the caller.
class PollCycle {
public:
    using Sleep = std::function<void(int milliseconds)>;
    static constexpr int kReplyWaitMs = 100;
    // Bytes one tick reads at most: a device that never stops sending cannot hold the
    // tick; what is left is read by the next tick.
    static constexpr int kMaxDrainBytes = 4096;

    // Both references must outlive the cycle. Without a sleep the thread really sleeps.
    PollCycle(SerialIo& port, ReadingHolder& reading, Sleep sleep = {});

    // Open test, request, wait, drain, digit clean-up, then decoding. True when the tick
    // goes on to the display update; false when the port is not open or a digit slot is
    // not a digit.
    bool tick();

    // The request, wait, drain and digit clean-up alone (tick() without the decoding).
    void poll();

    int openResult = 0;
    int requestValue = 0;
    ReplyFrame frame;
    std::string label7; // the decoder's work text: the value text of the last frame

private:
    SerialIo& port_;
    ReadingHolder& reading_;
    Sleep sleep_;
};

} // namespace kv
