#pragma once

#include "core/reading_holder.h"
#include "meter/reply_frame.h"

#include <string>

namespace kv {

// One row of the decision table: how a pair of function code and range code is shown.
struct RangeRow {
    const char* format; // picture format of the reading
    int split;          // digits before the decimal separator; 0: the digits stay whole
    const char* unit;   // unit the row sets, or nullptr to keep the function's unit
};

// The unit of a function code, or nullptr for a code the meter table does not list.
const char* unitForFunction(int functionCode);
// The row for a pair, or nullptr when the pair has none.
const RangeRow* findRangeRow(int functionCode, int rangeCode);

// Turns the reply frame into the current reading held by `reading`. `valueText` is the
// work text of the five digits (with the separator once a row inserts it); it keeps its
// contents between calls. Returns false when a digit slot is not a digit: the tick ends
// there and nothing but the unit of the function code has changed. A row's value text is
// converted with parseNumber, whose ConvertError is not caught here.
bool decodeReading(const ReplyFrame& frame, std::string& valueText, ReadingHolder& reading);

} // namespace kv
