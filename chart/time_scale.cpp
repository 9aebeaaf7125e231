#include "chart/time_scale.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

// Division rounding towards minus infinity: times before 1970 are negative.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

// More labels than this on one axis are never drawn.
constexpr std::size_t kMaxClockLabels = 1000;

} // namespace

std::int64_t systemLocalOffset(std::int64_t utcMs) {
    return std::int64_t(QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc()) * kSecondMs;
}

const std::vector<std::int64_t>& clockStepLadder() {
    static const std::vector<std::int64_t> ladder = {
        1 * kSecondMs, 2 * kSecondMs, 5 * kSecondMs, 10 * kSecondMs, 15 * kSecondMs, 30 * kSecondMs,
        1 * kMinuteMs, 2 * kMinuteMs, 5 * kMinuteMs, 10 * kMinuteMs, 15 * kMinuteMs, 30 * kMinuteMs,
        1 * kHourMs,   2 * kHourMs,   3 * kHourMs,   6 * kHourMs,    12 * kHourMs,   1 * kDayMs};
    return ladder;
}

std::int64_t chooseClockStep(double spanMs, int axisLength, int timeWidth, int dateWidth,
                             int separationPercent) {
    const std::vector<std::int64_t>& ladder = clockStepLadder();
    if (!(spanMs > 0) || axisLength <= 0 || !std::isfinite(spanMs))
        return ladder.front();
    auto fits = [&](std::int64_t step) {
        int width = timeWidth;
        if (step >= kDayMs && dateWidth > width)
            width = dateWidth;
        const double need = width + std::lround(width * separationPercent * 0.01);
        return double(step) * axisLength / spanMs >= need;
    };
    for (std::int64_t step : ladder)
        if (fits(step))
            return step;
    // Whole days beyond the ladder: 2, 5, 10, 20, 50, ...; a span of millennia stops there.
    for (std::int64_t decade = 1; decade <= 1000000; decade *= 10)
        for (std::int64_t days : {2 * decade, 5 * decade, 10 * decade})
            if (fits(days * kDayMs))
                return days * kDayMs;
    return 10000000 * kDayMs;
}

bool clockShowsSeconds(double spanMs) {
    return spanMs <= kSecondsLabelSpan;
}

std::string clockTimeText(std::int64_t localMs, bool seconds) {
    const std::int64_t ofDay = floorMod(localMs, kDayMs) / kSecondMs;
    char text[16];
    if (seconds)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", int(ofDay / 3600), int(ofDay / 60 % 60),
                      int(ofDay % 60));
    else
        std::snprintf(text, sizeof text, "%02d:%02d", int(ofDay / 3600), int(ofDay / 60 % 60));
    return text;
}

std::string clockMillisecondsText(std::int64_t localMs) {
    char ms[8];
    std::snprintf(ms, sizeof ms, ".%03d", int(floorMod(localMs, kSecondMs)));
    return clockTimeText(localMs, true) + ms;
}

std::string clockDateText(std::int64_t localMs, const std::string& pattern) {
    const QDate day = QDate(1970, 1, 1).addDays(floorDiv(localMs, kDayMs));
    return day.toString(QString::fromStdString(pattern)).toStdString();
}

std::string durationText(std::int64_t ms) {
    const bool negative = ms < 0;
    const std::uint64_t a = negative ? std::uint64_t(0) - std::uint64_t(ms) : std::uint64_t(ms);
    char text[48];
    if (a >= 3600000)
        std::snprintf(text, sizeof text, "%s%llu:%02u:%02u.%03u", negative ? "-" : "",
                      static_cast<unsigned long long>(a / 3600000), unsigned(a / 60000 % 60),
                      unsigned(a / 1000 % 60), unsigned(a % 1000));
    else
        std::snprintf(text, sizeof text, "%s%u:%02u.%03u", negative ? "-" : "", unsigned(a / 60000),
                      unsigned(a / 1000 % 60), unsigned(a % 1000));
    return text;
}

std::vector<ClockLabel> clockLabels(double fromUtc, double toUtc, std::int64_t step, bool seconds,
                                    const std::string& datePattern, const LocalOffset& offset) {
    std::vector<ClockLabel> out;
    if (step <= 0 || !(fromUtc <= toUtc) || !std::isfinite(fromUtc) || !std::isfinite(toUtc) ||
        std::fabs(fromUtc) > 1e17 || std::fabs(toUtc) > 1e17)
        return out;
    auto offsetAt = [&](std::int64_t utc) { return offset ? offset(utc) : 0; };
    const auto from = std::int64_t(std::ceil(fromUtc));
    const auto to = std::int64_t(std::floor(toUtc));
    // Walk the local multiples of the step; each goes back to UTC through the offset in
    // force near it (found from a first guess), so labels stay on local midnight and full
    // hours across a change of summer time.
    const std::int64_t startOffset = offsetAt(from);
    std::int64_t local = floorDiv(from + startOffset, step) * step;
    std::vector<std::int64_t> locals;
    for (; out.size() < kMaxClockLabels; local += step) {
        const std::int64_t guess = local - startOffset;
        const std::int64_t utc = local - offsetAt(guess);
        // A local hour that does not exist (the clocks jumped past it) lands where the
        // label before it stands.
        if (utc < from || (!out.empty() && utc <= out.back().utcMs))
            continue;
        if (utc > to)
            break;
        out.push_back(ClockLabel{utc, clockTimeText(local, seconds)});
        locals.push_back(local);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const bool midnight = floorMod(locals[i], kDayMs) == 0;
        bool dated = midnight || i == 0;
        if (i == 0 && !midnight && out.size() > 1 && floorMod(locals[1], kDayMs) == 0)
            dated = false;
        if (dated)
            out[i].text += "\n" + clockDateText(locals[i], datePattern);
    }
    return out;
}

} // namespace kv
