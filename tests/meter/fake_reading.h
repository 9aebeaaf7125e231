#pragma once

#include "core/reading.h"
#include "format/number_format.h"
#include "meter/meter_protocol.h"
#include "meter/reply_frame.h"

#include <string>
#include <vector>

namespace kv::test {

// The reading the window starts from, with a value no frame gives, so that a frame that
// sets none is seen to.
inline Reading restingReading() {
    Reading r;
    r.format = "0000.0";
    r.unit = "Volt";
    r.value = 50.0f;
    return r;
}

// What a frame changed of the shown reading, in words: "format F", "value", "unit U".
inline std::vector<std::string> changes(const Reading& before, const Reading& after) {
    std::vector<std::string> out;
    if (after.format != before.format)
        out.push_back("format " + after.format);
    if (after.value != before.value)
        out.push_back("value");
    if (after.unit != before.unit)
        out.push_back("unit " + after.unit);
    return out;
}

// Sets the regional decimal character for one test and puts the old one back.
class DecimalCharScope {
public:
    explicit DecimalCharScope(char c) : old_(decimalChar()) { setDecimalChar(c); }
    ~DecimalCharScope() { setDecimalChar(old_); }

private:
    char old_;
};

// A frame as the poll cycle leaves it after draining `reply` (the first twelve bytes).
inline ReplyFrame frameOf(const std::vector<std::uint8_t>& reply) {
    ReplyFrame f;
    for (int n = 1; n <= kReplyLength && n <= static_cast<int>(reply.size()); ++n)
        f.slot(n) = std::to_string(reply[static_cast<std::size_t>(n - 1)]);
    return f;
}

// The frame of the meter's reply for function, range and five digit characters.
inline ReplyFrame frameOf(int function, int range, const char* digits) {
    return frameOf(meterReply(function, range, digits));
}

} // namespace kv::test
