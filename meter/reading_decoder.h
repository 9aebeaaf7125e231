#pragma once

#include "core/reading.h"
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

// What a reply frame turned out to be.
enum class Decoded {
    Rejected, // a digit slot held a byte below '0' (a space, a minus): not a reading
    Reading,  // a reading
    Unlisted, // the digits passed, but the pair of codes has no row: the reading got the
              // function's unit, the status unlisted and, for the digits 00000, the value 0
    Overload, // a digit slot held a byte above '9' (the meter's '?' among them): the input is
              // beyond the meter's range, and there is no value to show
};

// Turns the reply frame into the next reading. `reading` holds the current one and is
// updated in place: the unit of the function code is set whatever the digits hold; for
// Rejected nothing else changes, for Overload the status and the codes; for Reading the
// status, the codes, and what the frame's row gives (format, value and unit). A byte below
// '0' rejects the frame even when another is above '9'. `valueText` is the work text of the
// five digits, with "," inserted where a row splits them; it keeps its contents between
// calls. The decoding does not depend on the regional settings: the comma is the value
// text's own, and the value is converted from the digits.
Decoded decodeReading(const ReplyFrame& frame, std::string& valueText, Reading& reading);

} // namespace kv
