#include "meter/meter_protocol.h"

namespace kv {

std::vector<std::uint8_t> meterReply(int functionCode, int rangeCode, std::string_view digits) {
    std::vector<std::uint8_t> reply(kReplyLength, 0);
    reply[kEchoSlot - 1] = kRequestByte;
    reply[kFunctionSlot - 1] = static_cast<std::uint8_t>(functionCode);
    reply[kRangeSlot - 1] = static_cast<std::uint8_t>(rangeCode);
    for (int slot = kFirstDigitSlot; slot <= kLastDigitSlot; ++slot) {
        const std::size_t i = std::size_t(slot - kFirstDigitSlot);
        reply[slot - 1] = i < digits.size() ? static_cast<std::uint8_t>(digits[i]) : '0';
    }
    return reply;
}

} // namespace kv
