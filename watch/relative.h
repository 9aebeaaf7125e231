#pragma once

#include "watch/reading_text.h"

#include <optional>
#include <string>

namespace kv {

// What the display shows of a reading in relative mode.
struct RelativeReading {
    float difference = 0; // reading minus reference: for the digits
    float magnitude = 0;  // its size: for the needle and the bar on the decade rule
    // The reading's picture format with a sign in front of every difference that is not 0
    // once rounded: "+0.000;-0.000;0.000" for "0.000".
    std::string format;
    std::string text; // the difference in that format, with the regional separators
};

// Relative: the reading shown when it starts becomes the zero, and the display shows each
// later reading's difference from it, while the chart, the record and the log keep the
// measured values. A reading in another unit ends it, since a difference across units
// means nothing.
class Relative {
public:
    bool active() const { return reference_.has_value(); }
    // The zero; only while active.
    const Reading& reference() const { return *reference_; }

    // Takes `reference` as the zero. An overload has no value to start from: refused.
    bool begin(const Reading& reference);
    // Ends it at the user's wish; any note on why it ended goes too.
    void end();
    // Begins when off (with `shown` as the zero), ends when on; whether it is on afterwards.
    bool toggle(const Reading& shown);

    // The display for one reading while active. Nothing while off, for an overload (the
    // display shows the overload as ever), and for a reading in another unit, which ends
    // relative mode; footerText() then says why.
    std::optional<RelativeReading> apply(const Reading& reading);

    // "Relative to 1,234 V-DC" while active; after a unit change ended it, why it ended,
    // until it begins again or end() is called. Empty otherwise.
    std::string footerText() const;

private:
    std::optional<Reading> reference_;
    std::string endedFrom_, endedTo_; // the units of the change that ended it
};

// `format` with a sign before the digits of a positive and of a negative number, and none
// for a number that rounds to 0. A format of sections of its own keeps its first section.
std::string signedFormat(const std::string& format);

} // namespace kv
