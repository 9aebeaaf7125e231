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
// The header of a log of several channels: each line ends with the channel's name.
constexpr std::string_view kChannelsCsvHeader =
    "time,elapsed_s,value,unit,status,function,range,channel\n";

// The shortest plain decimal that reads back as the same single-precision value: a point,
// never a comma, grouping or exponent, whatever the C locale says.
void appendDecimal(std::string& out, float value);
// The decimals appendDecimal() writes for `value`: 3 for 1.234, 0 for 12.
std::size_t decimalsOf(float value);
// `time` in ISO 8601 local time with milliseconds and UTC offset
// (2026-12-08T14:03:07.125+01:00, in the zone TZ names).
void appendLocalTime(std::string& out, TimeMs time);
// A log's name with the time in it: %Y, %m, %d and %H (strftime's year, month, day and hour
// of `time` in local time) and %% for a lone %; anything else after a % stays as it is.
std::string expandLogName(std::string_view pattern, TimeMs time);
// Whether `path` holds one of the patterns expandLogName() fills in.
bool isLogPattern(std::string_view path);
// The first % pattern of `path` that is none of %Y, %m, %d, %H and %% ("%M"); empty if none.
std::string unknownLogPattern(std::string_view path);

// The status word of a row: ok, overload or gap (a note's is kNoteColumn).
const char* rowStatusText(Reading::Status status);
// One whole line of `row`, whose session started at `start`: the time as appendLocalTime()
// writes it, the seconds since the start with three decimals, and fields quoted only where
// they hold a comma, quote, CR or LF.
void appendCsvRow(std::string& out, const Row& row, const RowContext& context, TimeMs start);
// The line of a note at `time` like appendCsvRow()'s, with no value and the status `note`;
// its text goes into the last field (appendNoteField()).
void appendCsvNoteRow(std::string& out, TimeMs time, const RowContext& context, TimeMs start);
// Ends the line in `out` (which ends with its LF) with one more field, `text`, quoted as
// RFC 4180 says where it holds a comma, a quote, CR or LF: the note column.
void appendNoteField(std::string& out, std::string_view text);
// The note column's name in a header, and the status of a note's line.
constexpr std::string_view kNoteColumn = "note";

} // namespace kv
