#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kv {

constexpr std::int64_t kSecondMs = 1000;
constexpr std::int64_t kMinuteMs = 60 * kSecondMs;
constexpr std::int64_t kHourMs = 60 * kMinuteMs;
constexpr std::int64_t kDayMs = 24 * kHourMs;

// Spans up to this show the seconds on the clock labels ("14:03:05"); longer ones show
// hours and minutes ("14:03").
constexpr double kSecondsLabelSpan = double(3 * kHourMs);

// The offset of local time from UTC at a moment, both in milliseconds.
using LocalOffset = std::function<std::int64_t(std::int64_t utcMs)>;
// The offset the regional settings give.
std::int64_t systemLocalOffset(std::int64_t utcMs);

// The label steps of a clock axis, smallest first: 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15,
// 30 min, 1, 2, 3, 6, 12 h and 1 day. Each divides a day, so labels meet midnight.
const std::vector<std::int64_t>& clockStepLadder();

// The smallest step of the ladder (beyond it: 2, 5, 10, 20, 50, ... days) whose labels
// keep apart along an axis of axisLength pixels over spanMs: one step must cover a label's
// width plus separationPercent of it. A label is timeWidth wide, or dateWidth where that is
// wider on steps of a day and more, where every label shows its date.
std::int64_t chooseClockStep(double spanMs, int axisLength, int timeWidth, int dateWidth,
                             int separationPercent = 10);

bool clockShowsSeconds(double spanMs);

// Local wall-clock texts of a moment given as local milliseconds (UTC plus offset).
std::string clockTimeText(std::int64_t localMs, bool seconds); // "14:03:05" or "14:03"
std::string clockMillisecondsText(std::int64_t localMs);       // "14:03:07.125"
// The date through a pattern of d, dd, M, MM, yy and yyyy (QDate's, e.g. "dd.MM.yyyy").
std::string clockDateText(std::int64_t localMs, const std::string& pattern);
// A length of time as "1:05.300" (minutes, seconds, milliseconds), from an hour on as
// "2:01:05.300"; a sign when negative.
std::string durationText(std::int64_t ms);

struct ClockLabel {
    std::int64_t utcMs = 0; // where it stands
    std::string text;       // the time, and on a second line the date where it has one
    bool operator==(const ClockLabel& o) const { return utcMs == o.utcMs && text == o.text; }
};

// The labels from fromUtc to toUtc (inclusive) on the multiples of step in local time. The
// first label and every label at midnight carry the date, except that a first label not
// itself at midnight leaves the date to a midnight label right after it.
std::vector<ClockLabel> clockLabels(double fromUtc, double toUtc, std::int64_t step, bool seconds,
                                    const std::string& datePattern, const LocalOffset& offset);

} // namespace kv
