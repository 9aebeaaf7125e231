#include "watch/limit_watch.h"

#include "core/translated.h"

#include <cmath>

namespace kv {

namespace {

LimitSide sideOf(float value, const Limits& limits) {
    if (limits.upper && value > *limits.upper)
        return LimitSide::above;
    if (limits.lower && value < *limits.lower)
        return LimitSide::below;
    return LimitSide::inside;
}

} // namespace

const char* limitSideName(LimitSide side) {
    switch (side) {
    case LimitSide::above:
        return "upper";
    case LimitSide::below:
        return "lower";
    case LimitSide::inside:
        break;
    }
    return "inside";
}

void LimitWatch::setLimits(const Limits& limits) {
    limits_ = limits;
    known_ = false;
    suspended_ = false;
    shownUnit_.clear();
    side_ = LimitSide::inside;
    since_ = 0;
    format_.clear();
}

std::optional<LimitCrossing> LimitWatch::feed(const Reading& reading) {
    if (!active())
        return std::nullopt;
    if (limits_.unit.empty())
        limits_.unit = reading.unit;
    if (reading.unit != limits_.unit) {
        suspended_ = true;
        shownUnit_ = reading.unit;
        return std::nullopt;
    }
    suspended_ = false;
    if (reading.overload() || !std::isfinite(reading.value))
        return std::nullopt;
    format_ = reading.format;
    const LimitSide side = sideOf(reading.value, limits_);
    const bool crossed = known_ ? side != side_ : side != LimitSide::inside;
    known_ = true;
    if (!crossed)
        return std::nullopt;
    side_ = side;
    since_ = reading.time;
    const LimitCrossing crossing{side, reading};
    if (onCrossing)
        onCrossing(crossing);
    if (side != LimitSide::inside && onBell)
        onBell();
    return crossing;
}

std::string LimitWatch::footerText() const {
    if (!active())
        return {};
    if (suspended_)
        return withArguments(
            translated("kv::LimitWatch", "Limits suspended: they are in %1, the meter shows %2"),
            {limits_.unit, shownUnit_});
    switch (side_) {
    case LimitSide::above:
        return withArguments(translated("kv::LimitWatch", "Above the upper limit of %1 since %2"),
                             {valueText(*limits_.upper, format_, limits_.unit), clockText(since_)});
    case LimitSide::below:
        return withArguments(translated("kv::LimitWatch", "Below the lower limit of %1 since %2"),
                             {valueText(*limits_.lower, format_, limits_.unit), clockText(since_)});
    case LimitSide::inside:
        break;
    }
    return {};
}

} // namespace kv
