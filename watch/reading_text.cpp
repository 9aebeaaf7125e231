#include "watch/reading_text.h"

#include "core/rounding.h"
#include "format/number_format.h"
#include "record/csv.h"

#include <cstdio>
#include <ctime>

namespace kv {

std::string valueText(float value, const std::string& format, const std::string& unit) {
    std::string number;
    if (format.empty()) {
        appendDecimal(number, value);
        if (decimalChar() != '.')
            for (char& c : number)
                if (c == '.')
                    c = decimalChar();
    } else {
        number = formatNumber(format, static_cast<long double>(value));
    }
    return unit.empty() ? number : number + ' ' + unit;
}

std::string readingText(const Reading& reading) {
    if (reading.overload())
        return reading.unit.empty() ? std::string("OL") : "OL " + reading.unit;
    return valueText(reading.value, reading.format, reading.unit);
}

std::string clockText(TimeMs time) {
    const auto t = static_cast<std::time_t>(floorDiv(time, 1000));
    std::tm tm{};
    if (!localtime_r(&t, &tm) && !gmtime_r(&t, &tm))
        return "00:00:00";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

} // namespace kv
