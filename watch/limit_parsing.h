#pragma once

#include "watch/limit_watch.h"

#include <optional>
#include <string>
#include <string_view>

namespace kv {

enum class LimitEnd { lower, upper };

// A number as a person types it: a point or the regional decimal character (never the
// grouping character), within the range of a float; nothing for another text.
std::optional<float> typedNumber(std::string_view text);

// A limit as a person types it: blank is no limit; otherwise a number with a decimal point or
// the regional decimal character (never the grouping character). False, with one sentence
// for people in `error`, when the text is no number.
bool parseLimit(std::string_view text, LimitEnd end, std::optional<float>& value,
                std::string& error);

// Both limits, and that the lower does not lie above the upper. On success `limits` gets the
// two values (its unit stays); otherwise it is left alone and `error` says why.
bool parseLimits(std::string_view lower, std::string_view upper, Limits& limits,
                 std::string& error);

// The text a limit is edited as: the shortest decimal that reads back as it, with the
// regional decimal character; empty for none.
std::string limitEditText(const std::optional<float>& value);

} // namespace kv
