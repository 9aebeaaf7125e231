#pragma once

#include "meter/meter_protocol.h"

#include <string>

namespace kv {

// The twelve slots of one reply, in the order the bytes arrived, each holding the decimal
// text of its byte ("160" for the byte 160). Every slot holds "0" until a reply overwrites
// it; nothing clears the frame, so a short or missing reply leaves older texts in place.
// The slots follow the reply layout of meter_protocol.h: slot 2 carries the function code,
// slot 3 the range code, slots 6 to 10 the digits.
struct ReplyFrame {
    std::string b1 = "0", b2 = "0", b3 = "0", b4 = "0", b5 = "0", b6 = "0";
    std::string b7 = "0", b8 = "0", b9 = "0", b10 = "0", b11 = "0", b12 = "0";

    // Slot n, 1 to 12.
    std::string& slot(int n);
    const std::string& slot(int n) const;
    // The slot's text read back as an integer; 0 for a text that is not one.
    int slotValue(int n) const;
};

} // namespace kv
