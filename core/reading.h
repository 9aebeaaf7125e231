#pragma once

#include <cstdint>
#include <string>

namespace kv {

// Wall-clock time in milliseconds since 1970-01-01 00:00 UTC.
using TimeMs = std::int64_t;

// One reading as everything after the meter sees it: the decoded number with the unit and
// picture format it is shown in, the codes it was decoded from, when it was read and what it
// is (a value, an overload, the start of a silence). The poll cycle keeps one up to date,
// whose fields a frame does not determine keep what the reading before it had, so a reading
// is always complete; the store, the CSV, the bench functions and the publisher take the same
// type. Texts are UTF-8; the value carries no regional separator.
struct Reading {
    enum class Status : std::uint8_t {
        ok,       // the value is the meter's
        overload, // the meter showed OL: no value (the poll cycle's keeps the last one)
        gap,      // a silence of a second or more began here: no value
        unlisted, // the codes have no row: the value is the last one (0 for the digits
                  // 00000), to be shown but not kept as the meter's
    };

    Status status = Status::ok;
    float value = 0;
    std::string unit;
    std::string format; // picture format of the value; empty: the shortest decimal
    int function = 0;   // the reply's function and range codes
    int range = 0;
    // False only for a gap before the session's first reading: it has no unit and no codes.
    bool hasCodes = true;
    // When the reply was read: wall-clock milliseconds since 1970-01-01 00:00 UTC, and the
    // monotonic clock in nanoseconds (for intervals; its origin is arbitrary).
    TimeMs time = 0;
    std::int64_t monotonicNs = 0;

    bool overload() const { return status == Status::overload; }
    // Whether the reading is the meter's to keep: every status but unlisted. The record, the
    // log, the statistics and the publisher take only these.
    bool kept() const { return status != Status::unlisted; }
};

} // namespace kv
