#pragma once

#include "record/reading_store.h"

#include <cstdint>
#include <string>

namespace kv {

// One reading as the broker receives it, with the fields and meanings of a CSV row: an
// overload and a gap (where a silence began) carry no value.
struct PublishedReading {
    TimeMs time = 0;
    Reading::Status status = Reading::Status::ok;
    float value = 0;  // only for Reading::Status::ok
    std::string unit; // UTF-8; empty for a gap before the session's first reading
    std::uint8_t function = 0;
    std::uint8_t range = 0;
    bool hasCodes = true; // false only for that gap: function and range are null
};

// {"time":"2026-12-08T14:03:07.125+01:00","value":1.234,"unit":"V-DC","status":"ok",
// "function":240,"range":136}: the time and the value written as the CSV writes them, the
// value null without one (or when it is not finite).
void appendReadingJson(std::string& out, const PublishedReading& reading);

} // namespace kv
