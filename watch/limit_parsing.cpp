#include "watch/limit_parsing.h"

#include "core/translated.h"
#include "format/number_format.h"

#include <cmath>
#include <limits>

namespace kv {

namespace {

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string notANumber(LimitEnd end, std::string_view text) {
    const std::string shown(text);
    return end == LimitEnd::lower
               ? withArguments(translated("kv::Limits", "The lower limit is not a number: %1"),
                               {shown})
               : withArguments(translated("kv::Limits", "The upper limit is not a number: %1"),
                               {shown});
}

} // namespace

std::optional<float> typedNumber(std::string_view text) {
    // A point always reads as the decimal point; where the regional one is another
    // character, a text holding both has two and is refused by the parser.
    std::string number(text);
    const char decimal = decimalChar();
    if (decimal != '.')
        for (char& c : number)
            if (c == '.')
                c = decimal;
    long double parsed = 0;
    if (!tryParseNumber(number, parsed) || !std::isfinite(parsed) ||
        std::fabs(parsed) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(parsed);
}

bool parseLimit(std::string_view text, LimitEnd end, std::optional<float>& value,
                std::string& error) {
    if (blank(text)) {
        value.reset();
        return true;
    }
    const std::optional<float> parsed = typedNumber(text);
    if (!parsed) {
        error = notANumber(end, text);
        return false;
    }
    value = parsed;
    return true;
}

bool parseLimits(std::string_view lower, std::string_view upper, Limits& limits,
                 std::string& error) {
    std::optional<float> low, high;
    if (!parseLimit(lower, LimitEnd::lower, low, error) ||
        !parseLimit(upper, LimitEnd::upper, high, error))
        return false;
    if (low && high && *low > *high) {
        error = withArguments(
            translated("kv::Limits", "The lower limit %1 lies above the upper limit %2."),
            {limitEditText(low), limitEditText(high)});
        return false;
    }
    limits.lower = low;
    limits.upper = high;
    return true;
}

std::string limitEditText(const std::optional<float>& value) {
    return value ? valueText(*value, {}, {}) : std::string();
}

} // namespace kv
