#pragma once

#include "core/reading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// A short text a user attached to the record: what happened at `time` (the probe moved, the
// load switched). It stands after the first `after` rows of the record, in the unit and codes
// of the reading it was attached to (`context`).
struct RecordNote {
    TimeMs time = 0;
    std::string text; // UTF-8
    std::uint32_t context = 0;
    std::size_t after = 0;
};

// The longest note, in characters.
constexpr std::size_t kLongestNote = 200;

// Why `text` cannot be a note (empty, or longer than kLongestNote characters), in the user's
// language; empty when it can.
std::string noteProblem(std::string_view text);

} // namespace kv
