#pragma once

#include "core/series_samples.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// The null points of a series (where the line breaks) with their reasons, sorted by
// index. Breaks are few, so they are kept one entry each, and a range query is two
// binary searches.
class BreakList {
public:
    int size() const { return int(breaks_.size()); }
    // Records that the point inserted at `index` breaks the line (`isBreak`) or not; the
    // breaks behind it move up by one.
    void insertAt(int index, bool isBreak, BreakReason reason);
    // Changes the reason of the break at index (nothing when there is none).
    void setReason(int index, BreakReason reason);
    bool contains(int index) const;
    BreakReason reasonAt(int index) const; // brGap where there is no break
    // Breaks with index first..last (inclusive), of every reason or of one.
    int countIn(int first, int last) const;
    int countIn(int first, int last, BreakReason reason) const;
    void clear(); // releases the storage
    std::size_t storageBytes() const { return breaks_.capacity() * sizeof(Break); }

private:
    struct Break {
        int index;
        BreakReason reason;
    };
    std::size_t firstAtOrAfter(int index) const;

    std::vector<Break> breaks_;
};

// The units of a series' points as runs: each run starts at a point and holds until the
// next one.
class UnitList {
public:
    // The unit of point index (empty before the first run).
    const std::string& at(int index) const;
    // Points from `index` on have `unit`.
    void startAt(int index, const std::string& unit);
    // A point was inserted at index: the runs behind it move up by one.
    void shiftFrom(int index);
    void clear(); // releases the storage
    std::size_t storageBytes() const;

private:
    struct Run {
        int start;
        std::string unit;
    };
    std::vector<Run> runs_; // ascending by start
};

} // namespace kv
