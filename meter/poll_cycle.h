#pragma once

#include "core/reading.h"
#include "meter/reply_frame.h"
#include "serial/serial_io.h"

#include <functional>
#include <string>

namespace kv {

// What one poll brought.
enum class PollResult {
    NotOpen,  // the port is not open: nothing was sent
    NoReply,  // nothing arrived: nothing was decoded, and the frame is as it was
    Garbled,  // bytes arrived, but not a whole reply that starts with the echoed request
              // byte (a short, shifted or split reply): the frame is as it was, nothing
              // was decoded
    Rejected, // the digits held a byte below '0': only the function's unit was set
    Reading,  // a new reading
    Unlisted, // the digits were decoded, but the pair of function and range codes has no
              // row: the reading is what the decoder gives such a pair (the function's
              // unit, and the previous value unless the digits are all zero), which the
              // displays show but no record may keep as a reading
    Overload, // the meter showed an overload: only the function's unit was set
};

// One poll of the meter: the request, the reply wait and the decoding of what came back.
//
// The poll is split in two, so that whoever schedules it can let other work run during the
// wait: request() sends, and complete(), once the wait is over, drains and decodes. poll()
// runs both with the wait between them on the calling thread, for tools and tests that want
// a whole poll in one call.
//
// openResult, requestValue, the reply frame, label7 (the value text), the slots' captions
// label8..label11 and the current reading are plain members so that their owner may show,
// reset or hand them around; they survive Stop and Start.
class PollCycle {
public:
    using Sleep = std::function<void(int milliseconds)>;
    static constexpr int kReplyWaitMs = 100;
    // Bytes one drain reads at most: a device that never stops sending cannot hold the
    // poll; what is left is read by the next one.
    static constexpr int kMaxDrainBytes = 4096;

    // The port must outlive the cycle. Without a sleep poll() really sleeps.
    explicit PollCycle(SerialIo& port, Sleep sleep = {});

    // The open test and the request byte. False, with nothing sent, when the port is not open.
    bool request();
    // Drains what has arrived and, when it is a whole reply, puts it into the frame and
    // decodes it into `reading`. A drain that receives no byte decodes nothing: an old frame
    // is never shown again as new; nor does a garbled one, so a short reply cannot pair new
    // codes with the digits of an older one.
    PollResult complete();

    // request(), the reply wait, complete().
    PollResult poll();
    // poll(); true when the result goes on to the displays (a reading, an unlisted pair's
    // reading or an overload).
    bool tick();

    int openResult = 0;
    int requestValue = 0;
    ReplyFrame frame;
    // The decoder's work text: the value text of the last frame (the form's text before).
    std::string label7 = "Label7";
    // The form's captions of the first four slots of the frame; nothing changes them.
    std::string label8 = "Echo";
    std::string label9 = "Bereichsanzeige";
    std::string label10 = "Skalierung";
    std::string label11 = "n.b.";
    // The reading as the last frame left it; its times are for the caller to set.
    Reading reading;

private:
    SerialIo& port_;
    Sleep sleep_;
};

} // namespace kv
