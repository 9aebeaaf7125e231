#include "watch/reading_text.h"

#include "core/rounding.h"
#include "format/number_format.h"
#include "record/csv.h"
#include "watch/bench_watch.h"

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

namespace {
bool hasSections(const std::string& format) {
    return format.find(';') != std::string::npos;
}
} // namespace

ShownDigits shownDigits(const Reading& reading) {
    return ShownDigits{reading, false};
}

ShownDigits shownDigits(const Reading& measured, const BenchDisplay& shown) {
    ShownDigits out{measured, hasSections(shown.digits.format)};
    Reading& d = out.digits;
    d.status = shown.digits.status;
    d.value = shown.digits.value;
    d.unit = shown.digits.unit;
    d.format = shown.digits.format;
    if (out.plusSign) {
        const std::string text = formatNumber(d.format, static_cast<long double>(d.value));
        if (text.find_first_of("+-") == std::string::npos)
            d.value = 0.0f;
        d.format = d.format.substr(d.format.rfind(';') + 1);
    }
    return out;
}

std::string digitsText(const ShownDigits& shown) {
    if (shown.digits.overload())
        return "OL";
    return signedField(shown.digits.format, shown.digits.value, shown.plusSign);
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
