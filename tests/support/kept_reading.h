#pragma once

#include "core/reading.h"

#include <string>

namespace kv::test {

// A reading as a row of the record gives it: time, status, value, unit and codes.
inline Reading keptReading(TimeMs time, Reading::Status status, float value, std::string unit,
                           int function, int range, bool hasCodes = true) {
    Reading r;
    r.time = time;
    r.status = status;
    r.value = value;
    r.unit = std::move(unit);
    r.function = function;
    r.range = range;
    r.hasCodes = hasCodes;
    return r;
}

} // namespace kv::test
