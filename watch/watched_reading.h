#pragma once

#include "core/reading.h"
#include "record/reading_store.h"

#include <string>

namespace kv {

// One reading as the bench functions see it: what the meter showed, with the picture format
// its digits are shown in and the time it came.
struct WatchedReading {
    float value = 0;       // meaningful unless overload
    std::string unit;      // UTF-8, as the meter names it ("V-DC")
    std::string format;    // picture format of the digits ("0.000")
    TimeMs time = 0;       // wall clock
    bool overload = false; // the meter showed OL: no value
};

// The measured reading as the watch takes it.
WatchedReading watched(const Reading& reading);

// The value in `format` with the regional separators, then the unit: "1,234 V-DC". An empty
// format gives the shortest decimal that reads back as the value.
std::string valueText(float value, const std::string& format, const std::string& unit);
// The reading as valueText() writes it; "OL V-DC" for an overload.
std::string readingText(const WatchedReading& reading);
// The local time of day of `time`, "14:03:07".
std::string clockText(TimeMs time);

} // namespace kv
