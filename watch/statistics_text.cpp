#include "watch/statistics_text.h"

#include "core/translated.h"
#include "format/number_format.h"
#include "record/csv.h"
#include "watch/reading_text.h"

#include <algorithm>

namespace kv {

namespace {

// Beyond this a decimal is noise of the single-precision value, not of the meter.
constexpr std::size_t kMaxDecimals = 6;

std::string countText(std::size_t n) {
    return formatNumber("#,##0", static_cast<long double>(n));
}

// A picture with as many decimals as minimum and maximum need, the same for all three.
std::string formatFor(const UnitStatistics& s) {
    const std::size_t decimals =
        std::min(kMaxDecimals, std::max(decimalsOf(s.minimum), decimalsOf(s.maximum)));
    return decimals == 0 ? std::string("0") : "0." + std::string(decimals, '0');
}

} // namespace

std::string statisticsText(const UnitStatistics& unit, const std::string& pictureFormat) {
    if (unit.readings == 0)
        return withArguments(translated("kv::Statistics", "No readings in %1 yet"), {unit.unit});
    const std::string format = pictureFormat.empty() ? formatFor(unit) : pictureFormat;
    const std::string min = valueText(unit.minimum, format, unit.unit);
    const std::string max = valueText(unit.maximum, format, unit.unit);
    const std::string mean = valueText(static_cast<float>(unit.mean), format, unit.unit);
    if (unit.readings == 1)
        return withArguments(translated("kv::Statistics", "1 reading, min %1, max %2, mean %3"),
                             {min, max, mean});
    return withArguments(translated("kv::Statistics", "%1 readings, min %2, max %3, mean %4"),
                         {countText(unit.readings), min, max, mean});
}

std::string statisticsText(const RecordStatistics& statistics, const std::string& unit,
                           const std::string& pictureFormat) {
    for (const UnitStatistics& s : statistics.units)
        if (s.unit == unit)
            return statisticsText(s, pictureFormat);
    UnitStatistics none;
    none.unit = unit;
    return statisticsText(none, pictureFormat);
}

std::vector<std::string> statisticsLines(const RecordStatistics& statistics,
                                         const std::string& currentUnit,
                                         const std::string& currentFormat) {
    std::vector<std::string> lines;
    for (const UnitStatistics& unit : statistics.units) {
        lines.push_back(statisticsText(unit, unit.unit == currentUnit ? currentFormat : ""));
        lines.push_back(withArguments(translated("kv::Statistics", "Gaps: %1, overloads: %2"),
                                      {countText(unit.gaps), countText(unit.overloads)}));
    }
    if (statistics.units.empty())
        lines.push_back(translated("kv::Statistics", "No readings yet"));
    if (statistics.garbled > 0)
        lines.push_back(withArguments(translated("kv::Statistics", "Garbled replies: %1"),
                                      {countText(statistics.garbled)}));
    return lines;
}

} // namespace kv
