#pragma once

#include "core/reading.h"

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// When a log begins or ends: the reading above a value, below it, or outside a band, for a
// time or at the first such reading, on one channel (empty: the first).
struct LogCondition {
    enum class Kind { above, below, outside };
    Kind kind = Kind::above;
    float low = 0;  // the value of above and below; the band's low end
    float high = 0; // the band's high end
    TimeMs forMs = 0;
    std::string channel;
};

struct ParsedLogCondition {
    LogCondition condition; // valid when ok()
    std::string error;      // one sentence in the user's language; empty when the text is good
    bool ok() const { return error.empty(); }
};

// Reads "[NAME:]above VALUE", "[NAME:]below VALUE" or "[NAME:]outside LOW HIGH", each with an
// optional "for SECONDS"; numbers with a point or the regional decimal character. `option`
// names the option in the sentences ("--stop-when").
ParsedLogCondition parseLogCondition(std::string_view text, std::string_view option);

// The log's interval in milliseconds from a number of seconds, 0.5 to a day, with a point or
// the regional decimal character; nothing for any other text.
std::optional<TimeMs> parseLogEvery(std::string_view text);

// Watches the readings of one channel for its condition: true from the reading at which it
// has held for its time (every reading in between on the same side, in the unit of the
// first reading), and from then on. An overload, a gap or another unit starts the wait anew.
class ConditionWatch {
public:
    explicit ConditionWatch(LogCondition condition) : condition_(std::move(condition)) {}

    const LogCondition& condition() const { return condition_; }
    bool met() const { return metAt_.has_value(); }
    TimeMs metAt() const { return metAt_.value_or(0); }

    // A reading of the channel; whether the condition is met now.
    bool feed(const Reading& reading);

    // "above 0,500 A - DC", "below 3,000 V-DC for 5 s", "outside 1,0 and 2,0 V-DC", in the
    // digits of the channel's readings (the value itself before the first).
    std::string text() const;

private:
    LogCondition condition_;
    std::string unit_, format_;
    std::optional<TimeMs> since_; // since when it holds
    std::optional<TimeMs> metAt_;
};

} // namespace kv
