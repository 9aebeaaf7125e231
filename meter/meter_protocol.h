#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kv {

// The meter's side of the line. Each poll sends the request byte; the meter answers with a
// reply of twelve bytes, laid out as below. Positions count from 1, as the reply frame's
// slots do. The simulator, the in-memory meter and the tests build their replies here, so
// the decoder and everything that feeds it agree on one layout.
constexpr int kRequestByte = 137;
constexpr int kReplyLength = 12;
constexpr int kEchoSlot = 1;       // the request byte echoed back
constexpr int kFunctionSlot = 2;   // measuring function
constexpr int kRangeSlot = 3;      // decimal point and the unit's scale
constexpr int kFirstDigitSlot = 6; // five characters as the meter shows them,
constexpr int kLastDigitSlot = 10; // leftmost first

// The reply for a function code, a range code and the five characters the meter shows:
// 137, F, R, 0, 0, the five characters, 0, 0. Characters missing from `digits` are '0';
// characters past the fifth are ignored.
std::vector<std::uint8_t> meterReply(int functionCode, int rangeCode, std::string_view digits);

} // namespace kv
