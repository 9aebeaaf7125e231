#include "record/csv.h"

#include "core/rounding.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace kv {

namespace {

void appendUnsigned(std::string& out, std::uint64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// `value` with exactly `width` digits, zeros in front (value < 10^width).
void appendDigits(std::string& out, unsigned value, int width) {
    char buf[10];
    for (int i = width - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, static_cast<std::size_t>(width));
}

// The local zone's offset from UTC at `seconds`. The C library's answer costs more than the
// rest of a line, so it is asked once per quarter of an hour of UTC: every zone of today
// changes its offset only on such a boundary. Where an old zone changed it in between, the
// time written is still the same instant, given with the offset before the change.
bool localOffset(std::time_t seconds, long& offset) {
    struct Cached {
        std::time_t window = -1;
        long offset = 0;
        std::string zone;
    };
    static thread_local Cached cached;
    const char* tz = std::getenv("TZ");
    const std::time_t window = static_cast<std::time_t>(floorDiv(seconds, 900));
    if (window == cached.window && cached.zone == (tz ? tz : "")) {
        offset = cached.offset;
        return true;
    }
    std::tm tm{};
    if (!localtime_r(&seconds, &tm))
        return false;
    cached.window = window;
    cached.offset = tm.tm_gmtoff;
    cached.zone = tz ? tz : "";
    offset = tm.tm_gmtoff;
    return true;
}

// Year, month and day of a count of days since 1970-01-01 (proleptic Gregorian).
void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

// Seconds with three decimals, 12.300; negative when the clock was set back.
void appendElapsed(std::string& out, TimeMs milliseconds) {
    if (milliseconds < 0)
        out += '-';
    // Unsigned, so that the most negative value has a magnitude too.
    const std::uint64_t magnitude = milliseconds < 0 ? 0 - static_cast<std::uint64_t>(milliseconds)
                                                     : static_cast<std::uint64_t>(milliseconds);
    appendUnsigned(out, magnitude / 1000);
    const auto fraction = static_cast<unsigned>(magnitude % 1000);
    out += '.';
    out += static_cast<char>('0' + fraction / 100);
    out += static_cast<char>('0' + fraction / 10 % 10);
    out += static_cast<char>('0' + fraction % 10);
}

// The field as it is, or quoted with its quotes doubled.
void appendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

void appendLocalTime(std::string& out, TimeMs time) {
    const TimeMs seconds = floorDiv(time, 1000);
    const auto millis = static_cast<int>(time - seconds * 1000);
    // A time the C library cannot place in the local zone (years beyond its range) is
    // written in UTC, which is still a correct ISO 8601 time.
    long gmtoff = 0;
    if (!localOffset(static_cast<std::time_t>(seconds), gmtoff))
        gmtoff = 0;
    const long long local = seconds + gmtoff;
    const long long days = floorDiv(local, 86400);
    const long long inDay = local - days * 86400;
    long long year = 0;
    unsigned month = 0, day = 0;
    civilFromDays(days, year, month, day);
    const long offset = std::labs(gmtoff);
    // Written by hand: snprintf took most of a line's time.
    if (year < 0 || year > 9999) {
        char buf[32];
        const int n = std::snprintf(buf, sizeof buf, "%04lld", year);
        out.append(buf, static_cast<std::size_t>(n));
    } else {
        appendDigits(out, static_cast<unsigned>(year), 4);
    }
    out += '-';
    appendDigits(out, month, 2);
    out += '-';
    appendDigits(out, day, 2);
    out += 'T';
    appendDigits(out, static_cast<unsigned>(inDay / 3600), 2);
    out += ':';
    appendDigits(out, static_cast<unsigned>(inDay / 60 % 60), 2);
    out += ':';
    appendDigits(out, static_cast<unsigned>(inDay % 60), 2);
    out += '.';
    appendDigits(out, static_cast<unsigned>(millis), 3);
    out += gmtoff < 0 ? '-' : '+';
    appendDigits(out, static_cast<unsigned>(offset / 3600), 2);
    out += ':';
    appendDigits(out, static_cast<unsigned>(offset / 60 % 60), 2);
    // The local mean time of old zones lies seconds off UTC: without them the text would
    // name another instant.
    if (offset % 60 != 0) {
        out += ':';
        appendDigits(out, static_cast<unsigned>(offset % 60), 2);
    }
}

const char* rowStatusText(Reading::Status status) {
    switch (status) {
    case Reading::Status::ok:
        return "ok";
    case Reading::Status::overload:
        return "overload";
    case Reading::Status::gap:
        return "gap";
    case Reading::Status::unlisted: // shown, never kept
        break;
    }
    return "";
}

void appendDecimal(std::string& out, float value) {
    // Fixed notation keeps the shortest round trip but never switches to an exponent; the
    // largest float needs 39 digits, the smallest 45 decimals.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    out.append(buf, res.ptr);
}

std::size_t decimalsOf(float value) {
    std::string text;
    appendDecimal(text, value);
    const std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : text.size() - point - 1;
}

namespace {

// A line's fields from the status on: the status word, the codes and the line end.
void appendStatusAndCodes(std::string& out, std::string_view status, const RowContext& context) {
    out += status;
    out += ',';
    if (context.hasCodes) {
        appendUnsigned(out, context.function);
        out += ',';
        appendUnsigned(out, context.range);
    } else {
        out += ',';
    }
    out += '\n';
}

} // namespace

void appendCsvNoteRow(std::string& out, TimeMs time, const RowContext& context, TimeMs start) {
    appendLocalTime(out, time);
    out += ',';
    appendElapsed(out, time - start);
    out += ",,";
    appendCsvField(out, context.unit);
    out += ',';
    appendStatusAndCodes(out, kNoteColumn, context);
}

void appendNoteField(std::string& out, std::string_view text) {
    out.back() = ',';
    appendCsvField(out, text);
    out += '\n';
}

void appendCsvRow(std::string& out, const Row& row, const RowContext& context, TimeMs start) {
    appendLocalTime(out, row.time);
    out += ',';
    appendElapsed(out, row.time - start);
    out += ',';
    if (row.status == Reading::Status::ok)
        appendDecimal(out, row.value);
    out += ',';
    appendCsvField(out, context.unit);
    out += ',';
    appendStatusAndCodes(out, rowStatusText(row.status), context);
}

std::string expandLogName(std::string_view pattern, TimeMs time) {
    const std::time_t seconds = static_cast<std::time_t>(time / 1000 - (time % 1000 < 0 ? 1 : 0));
    std::tm local{};
    localtime_r(&seconds, &local);
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        char buf[16] = "";
        switch (pattern[i + 1]) {
        case 'Y':
            std::snprintf(buf, sizeof buf, "%04d", local.tm_year + 1900);
            break;
        case 'm':
            std::snprintf(buf, sizeof buf, "%02d", local.tm_mon + 1);
            break;
        case 'd':
            std::snprintf(buf, sizeof buf, "%02d", local.tm_mday);
            break;
        case 'H':
            std::snprintf(buf, sizeof buf, "%02d", local.tm_hour);
            break;
        case '%':
            buf[0] = '%';
            buf[1] = '\0';
            break;
        default:
            out += pattern[i];
            continue;
        }
        out += buf;
        ++i;
    }
    return out;
}

bool isLogPattern(std::string_view path) {
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i] == '%' && std::string_view("YmdH%").find(path[i + 1]) != std::string_view::npos)
            return true;
    return false;
}

std::string unknownLogPattern(std::string_view path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%')
            continue;
        if (i + 1 == path.size())
            return "%";
        if (std::string_view("YmdH%").find(path[i + 1]) == std::string_view::npos)
            return std::string(path.substr(i, 2));
        ++i;
    }
    return {};
}

} // namespace kv
