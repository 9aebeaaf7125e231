#pragma once

#include "record/reading_store.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// Statistics of the rows of one unit. Minimum, maximum and mean are those of the readings
// with a value and 0 while there are none.
struct UnitStatistics {
    std::string unit;
    std::size_t readings = 0;
    float minimum = 0;
    float maximum = 0;
    double mean = 0;
    std::size_t gaps = 0;
    std::size_t overloads = 0;
    TimeMs first = 0; // the unit's first row's time and its latest
    TimeMs last = 0;
};

struct RecordStatistics {
    std::size_t readings = 0;
    std::size_t gaps = 0;
    std::size_t overloads = 0;
    std::size_t garbled = 0; // replies that gave no row: garbled, or codes without a row
    TimeMs first = 0;        // the first row's time and the latest; 0 without rows
    TimeMs last = 0;
    std::size_t outOfOrder = 0; // rows dated before a row above them (a clock set back)
    // In the order the units first appeared. A gap before the first reading has no unit
    // and counts with the first unit.
    std::vector<UnitStatistics> units;
};

// One line for a footer or the end of a log, e.g. "1234 readings, min 0.001 V-DC, max 12.5
// V-DC, mean 3.456 V-DC, 2 gaps, 1 overload"; when the unit changed, one such part per unit,
// separated by "; ", and at the end ", 3 garbled replies" when there were any. The mean
// carries one decimal more than minimum and maximum.
std::string summaryLine(const RecordStatistics& statistics);

// Keeps the statistics up to date row by row, so asking for them costs nothing however
// long the record is.
class StatisticsTally {
public:
    void add(const Row& row, const RowContext& context);
    void addGarbled() { ++totals_.garbled; }
    void clear();
    RecordStatistics result() const;

private:
    struct Group {
        UnitStatistics stats;
        double sum = 0;
    };
    std::size_t groupOf(const Row& row, const RowContext& context);

    RecordStatistics totals_;
    std::vector<Group> groups_;
    std::vector<std::size_t> groupOfContext_; // by context id
    std::size_t unitlessGaps_ = 0;
    TimeMs firstUnitless_ = 0;
};

} // namespace kv
