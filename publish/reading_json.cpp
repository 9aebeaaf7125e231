#include "publish/reading_json.h"

#include "record/csv.h"

#include <charconv>
#include <cmath>

namespace kv {

namespace {

void appendCode(std::string& out, bool has, int code) {
    if (!has) {
        out += "null";
        return;
    }
    char buf[4];
    const auto res = std::to_chars(buf, buf + sizeof buf,
                                   static_cast<unsigned>(static_cast<std::uint8_t>(code)));
    out.append(buf, res.ptr);
}

} // namespace

void appendJsonString(std::string& out, const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendReadingJson(std::string& out, const Reading& reading, const std::string& channel) {
    out += "{\"time\":\"";
    appendLocalTime(out, reading.time);
    out += "\",\"value\":";
    if (reading.status == Reading::Status::ok && std::isfinite(reading.value))
        appendDecimal(out, reading.value);
    else
        out += "null";
    out += ",\"unit\":";
    appendJsonString(out, reading.unit);
    out += ",\"status\":\"";
    // A value that cannot be written is an overload, as the record keeps it.
    out += rowStatusText(reading.status == Reading::Status::ok && !std::isfinite(reading.value)
                             ? Reading::Status::overload
                             : reading.status);
    out += "\",\"function\":";
    appendCode(out, reading.hasCodes, reading.function);
    out += ",\"range\":";
    appendCode(out, reading.hasCodes, reading.range);
    if (!channel.empty()) {
        out += ",\"channel\":";
        appendJsonString(out, channel);
    }
    out += '}';
}

void appendNoteJson(std::string& out, TimeMs time, const std::string& text,
                    const std::string& channel) {
    out += "{\"time\":\"";
    appendLocalTime(out, time);
    out += "\",\"note\":";
    appendJsonString(out, text);
    if (!channel.empty()) {
        out += ",\"channel\":";
        appendJsonString(out, channel);
    }
    out += '}';
}

} // namespace kv
