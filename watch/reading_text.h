#pragma once

#include "core/reading.h"

#include <string>

namespace kv {

struct BenchDisplay;

// The value in `format` with the regional separators, then the unit: "1,234 V-DC". An empty
// format gives the shortest decimal that reads back as the value.
std::string valueText(float value, const std::string& format, const std::string& unit);
// The reading as valueText() writes it; "OL V-DC" for an overload.
std::string readingText(const Reading& reading);
// What a digits field shows of a reading: the reading with the value and picture format the
// field is given, and whether a positive value gets a "+" before it. A signed format
// (sections for positive, negative and zero: a difference) would make the field as wide as
// its widest section; the field gets the plain last section instead and the sign is put
// before the digits, so a sign takes room to the left as a wide reading does. A value that
// the signed format shows unsigned is 0.
struct ShownDigits {
    Reading digits;
    bool plusSign = false;
};
ShownDigits shownDigits(const Reading& reading);
// The same while hold or relative shape the digits: `shown` in place of the measured
// reading's status, value, unit and format.
ShownDigits shownDigits(const Reading& measured, const BenchDisplay& shown);
// The field's text of what shownDigits() gives: "OL" for an overload, else the signed digits
// (see signedField()); without the unit.
std::string digitsText(const ShownDigits& shown);

// The local time of day of `time`, "14:03:07".
std::string clockText(TimeMs time);

} // namespace kv
