#pragma once

#include "record/record_statistics.h"

#include <string>
#include <vector>

namespace kv {

// The footer's statistics of one unit: "12 readings, min 22,61 mVolt, max 22,70 mVolt, mean
// 22,65 mVolt". Count and values take the regional separators; minimum, maximum and mean
// all come in `pictureFormat`, the digits the meter shows, so the mean claims no more
// precision than the readings it comes from. An empty format takes as many decimals as the
// minimum and maximum need.
std::string statisticsText(const UnitStatistics& unit, const std::string& pictureFormat);

// The footer's statistics of `unit` in the session: statisticsText() of its readings, or that
// there are none yet.
std::string statisticsText(const RecordStatistics& statistics, const std::string& unit,
                           const std::string& pictureFormat);

// The menu's lines: for each unit of the session its statisticsText (the current unit in
// `currentFormat`, the others in the decimals their values need) and a line of its gaps and
// overloads, and at the end one of the garbled replies when there were any.
std::vector<std::string> statisticsLines(const RecordStatistics& statistics,
                                         const std::string& currentUnit,
                                         const std::string& currentFormat);

} // namespace kv
