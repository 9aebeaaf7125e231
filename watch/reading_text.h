#pragma once

#include "core/reading.h"

#include <string>

namespace kv {

// The value in `format` with the regional separators, then the unit: "1,234 V-DC". An empty
// format gives the shortest decimal that reads back as the value.
std::string valueText(float value, const std::string& format, const std::string& unit);
// The reading as valueText() writes it; "OL V-DC" for an overload.
std::string readingText(const Reading& reading);
// The local time of day of `time`, "14:03:07".
std::string clockText(TimeMs time);

} // namespace kv
