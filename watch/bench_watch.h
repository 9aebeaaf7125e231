#pragma once

#include "watch/hold.h"
#include "watch/limit_watch.h"
#include "watch/relative.h"

#include <string>
#include <vector>

namespace kv {

// What the digits, the needle and the bar show of a reading.
struct BenchDisplay {
    // For the digits: the measured reading, or in relative mode the difference with the
    // signed picture format (Relative), or while held the reading the hold keeps.
    Reading digits;
    // For the needle and the bar: the value, or the difference's size in relative mode.
    float needle = 0;
    bool held = false;
};

// Hold, relative and the limits together, fed with every measured reading: the limits watch
// the measured values, the display gets the difference in relative mode, and a hold keeps
// whatever the display showed when it began (a difference too). The chart, the record and
// the log take the measured reading, not this.
class BenchWatch {
public:
    // One measured reading; what the display shows for it.
    BenchDisplay feed(const Reading& reading);
    // What the display shows now (after the last reading, or a hold or relative switched).
    const BenchDisplay& display() const { return held_ ? heldDisplay_ : latest_; }

    // Ctrl+H: keeps the display as it is at `now`, or releases it.
    bool toggleHold(TimeMs now);
    // Ctrl+D: the last measured reading becomes the zero, or relative mode ends. The display
    // changes with the next reading.
    bool toggleRelative();
    // Stop and Start: hold and relative end; the limits stay.
    void releaseAll();

    const Hold& hold() const { return hold_; }
    const Relative& relative() const { return relative_; }
    // Set the limits here; onCrossing and onBell are raised from feed().
    LimitWatch& limits() { return limits_; }
    const LimitWatch& limits() const { return limits_; }

    // The footer's notes in this order: hold, relative, limits; only those with something to
    // say.
    std::vector<std::string> footerTexts() const;

private:
    Hold hold_;
    Relative relative_;
    LimitWatch limits_;
    Reading measured_; // the last reading as it came
    bool anyReading_ = false;
    BenchDisplay latest_;
    BenchDisplay heldDisplay_;
    bool held_ = false;
};

} // namespace kv
