#include "chart/shifted_samples.h"

#include <limits>

namespace kv {

void ShiftedSamples::setOffsetMs(std::int64_t ms) {
    if (ms == offset_)
        return;
    offset_ = ms;
    ++shifts_;
}

int ShiftedSamples::firstAtOrAfterTime(std::int64_t t) const {
    // Far before the shifted start: the first point, without overflowing the subtraction.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    if (offset_ > 0 && t < lowest + offset_)
        return count() > 0 ? 0 : count();
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    if (offset_ < 0 && t > highest + offset_)
        return count();
    return samples_.firstAtOrAfterTime(t - offset_);
}

} // namespace kv
