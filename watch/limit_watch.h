#pragma once

#include "watch/reading_text.h"

#include <functional>
#include <optional>
#include <string>

namespace kv {

// Where a reading lies against the limits. A value equal to a limit is inside.
enum class LimitSide { inside, above, below };

// The limits of a bench run, in one unit; either may be absent.
struct Limits {
    std::optional<float> lower;
    std::optional<float> upper;
    // The unit they are in; empty: the unit of the first reading that comes (limits given
    // on the command line, before the meter has said anything).
    std::string unit;

    bool any() const { return lower || upper; }
};

// A reading that crossed out of the band, from one side to the other, or back into it.
struct LimitCrossing {
    LimitSide side = LimitSide::inside; // where the reading went
    Reading reading;
};

// Watches the readings against the limits and reports each crossing once, however many
// readings stay on the far side. A reading in another unit suspends the watch (the limits
// mean nothing there) until the unit comes back; the side known before counts on, so a
// reading that comes back where it was is no crossing.
class LimitWatch {
public:
    // Starts watching: the first reading outside the band is a crossing, one inside is not.
    void setLimits(const Limits& limits);
    void clear() { setLimits({}); }
    const Limits& limits() const { return limits_; }
    bool active() const { return limits_.any(); }
    // Whether the last reading came in a unit other than the limits'.
    bool suspended() const { return suspended_; }
    // The side of the last reading in the limits' unit; inside before any.
    LimitSide side() const { return side_; }

    // One reading: the crossing it makes, if any, also raised as onCrossing, and for one
    // out of the band, onBell. An overload has no value to compare and changes nothing.
    std::optional<LimitCrossing> feed(const Reading& reading);

    // "Above the upper limit of 12,000 V-DC since 14:03:07", the like below, or why the
    // limits are suspended; empty while off or inside the band.
    std::string footerText() const;

    std::function<void(const LimitCrossing&)> onCrossing;
    // Once for each crossing out of the band (the desktop's bell), never per reading.
    std::function<void()> onBell;

private:
    Limits limits_;
    bool known_ = false; // whether a reading in the limits' unit has come yet
    bool suspended_ = false;
    std::string shownUnit_; // the unit of a reading that suspended the watch
    LimitSide side_ = LimitSide::inside;
    TimeMs since_ = 0;
    std::string format_; // of the last reading in the limits' unit
};

// The word a limit command reads in KV_LIMIT: "upper", "lower" or "inside".
const char* limitSideName(LimitSide side);

} // namespace kv
