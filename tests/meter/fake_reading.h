#pragma once

#include "core/reading_holder.h"
#include "format/number_format.h"
#include "meter/meter_protocol.h"
#include "meter/reply_frame.h"

#include <string>
#include <vector>

namespace kv::test {

// Keeps the reading like the indicator does (starting as the window configures it) and
// logs every call in order.
struct FakeReading : ReadingHolder {
    std::string format = "0000.0";
    std::string unit = "Volt";
    float value = 50.0f;
    std::vector<std::string> calls;

    void setReadingFormat(const std::string& f) override {
        format = f;
        calls.push_back("format " + f);
    }
    void setReadingUnit(const std::string& u) override {
        unit = u;
        calls.push_back("unit " + u);
    }
    void setReadingValue(float v) override {
        value = v;
        calls.push_back("value");
    }
};

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
