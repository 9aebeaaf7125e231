#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Wall-clock time in milliseconds since 1970-01-01 00:00 UTC.
using TimeMs = std::int64_t;

// What the meter showed at one poll, as a value: the decoded number with the unit and
// picture format it is shown in, the codes it was decoded from and when it was read. The
// fields a frame does not determine keep what the reading before it had, so a reading is
// always complete. Texts are UTF-8; the value carries no regional separator.
struct Reading {
    enum class Status : std::uint8_t {
        ok,       // the value is the meter's
        overload, // the meter showed OL: the value is the last one and means nothing
        gap,      // a silence of a second or more began here: no value
        unlisted, // the codes have no row: the value is the last one (0 for the digits
                  // 00000), to be shown but not kept as the meter's
    };

    Status status = Status::ok;
    float value = 0;
    std::string unit;
    std::string format; // picture format of the value
    int function = 0;   // the reply's function and range codes
    int range = 0;
    // When the reply was read: wall-clock milliseconds since 1970-01-01 00:00 UTC, and the
    // monotonic clock in nanoseconds (for intervals; its origin is arbitrary).
    std::int64_t wallClockMs = 0;
    std::int64_t monotonicNs = 0;

    bool overload() const { return status == Status::overload; }
};

} // namespace kv
