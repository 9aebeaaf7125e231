#pragma once

#include "record/reading_store.h"

#include <string>
#include <string_view>

namespace kv {

// The one CSV layout of a record, in a file, on standard output or in an export: RFC 4180
// fields in UTF-8, each line ended by a lone LF. RFC 4180 names CRLF, but spreadsheets and
// strict readers take LF as well, and a log that grows on a Linux bench is followed with
// tail, grep and awk, which would keep a CR on the last field.
constexpr std::string_view kCsvHeader = "time,elapsed_s,value,unit,status,function,range\n";

// ISO 8601 local time with milliseconds and UTC offset, 2026-12-08T14:03:07.125+01:00, in
// the time zone TZ names (read again by tzset()).
void appendCsvTime(std::string& out, TimeMs time);
// Seconds with three decimals, 12.300; negative when the clock was set back.
void appendElapsed(std::string& out, TimeMs milliseconds);
// The shortest plain decimal that reads back as the same single-precision value: a point,
// never a comma, grouping or exponent, whatever the C locale says.
void appendDecimal(std::string& out, float value);
// The field as it is or, when it holds a comma, quote, CR or LF, quoted with its quotes
// doubled.
void appendCsvField(std::string& out, std::string_view text);

const char* statusText(RowStatus status);

// One whole line of `row`, whose session started at `start`.
void appendCsvRow(std::string& out, const Row& row, const RowContext& context, TimeMs start);

} // namespace kv
