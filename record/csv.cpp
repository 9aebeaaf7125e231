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

const char* statusText(RowStatus status) {
    switch (status) {
    case RowStatus::ok:
        return "ok";
    case RowStatus::overload:
        return "overload";
    case RowStatus::gap:
        return "gap";
    }
    return "";
}

} // namespace

void appendCsvTime(std::string& out, TimeMs time) {
    const TimeMs seconds = floorDiv(time, 1000);
    const auto millis = static_cast<int>(time - seconds * 1000);
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    // A time the C library cannot place in the local zone (years beyond its range) is
    // written in UTC, which is still a correct ISO 8601 time.
    if (!localtime_r(&t, &tm) && !gmtime_r(&t, &tm)) {
        tm = std::tm{};
        tm.tm_year = 70;
        tm.tm_mday = 1;
    }
    const long offset = std::labs(tm.tm_gmtoff) / 60;
    char buf[96];
    const int n =
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld",
                      tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                      tm.tm_sec, millis, tm.tm_gmtoff < 0 ? '-' : '+', offset / 60, offset % 60);
    out.append(buf, static_cast<std::size_t>(n));
}

void appendDecimal(std::string& out, float value) {
    // Fixed notation keeps the shortest round trip but never switches to an exponent; the
    // largest float needs 39 digits, the smallest 45 decimals.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    out.append(buf, res.ptr);
}

void appendCsvRow(std::string& out, const Row& row, const RowContext& context, TimeMs start) {
    appendCsvTime(out, row.time);
    out += ',';
    appendElapsed(out, row.time - start);
    out += ',';
    if (row.status == RowStatus::ok)
        appendDecimal(out, row.value);
    out += ',';
    appendCsvField(out, context.unit);
    out += ',';
    out += statusText(row.status);
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

} // namespace kv
