#pragma once

#include "core/histogram.h"
#include "core/min_max_index.h"

#include <cstdint>
#include <string>

namespace kv {

// Why the line of a series is broken at a point.
enum class BreakReason {
    brGap,        // the meter fell silent
    brOverload,   // the meter showed an overload
    brUnitChange, // the readings after it are of another unit or function
};

// The points a chart series draws, kept apart from the series that draws them, so that
// readings stored elsewhere (a record of the session) are drawn where they are instead of
// being copied into the chart. A point has a Y value, a time and a unit; a point that breaks
// the line (a null point) has a reason, and its Y is that of the last point before it that
// does not break the line, so that breaks never widen a range.
//
// The chart's line pass, readout and markers ask for ranges and searches rather than for
// every point, so a source of millions of points answers these in a few steps (see
// MinMaxIndex); single points are asked for a few thousand times a pass at most.
class SeriesSamples {
public:
    virtual ~SeriesSamples() = default;

    virtual int count() const = 0;
    // Y of point index (0 <= index < count()).
    virtual double y(int index) const = 0;
    // Milliseconds since 1970 UTC; never smaller than the time of the point before.
    virtual std::int64_t time(int index) const = 0;
    // The first index whose time is not before t; count() when there is none.
    virtual int firstAtOrAfterTime(std::int64_t t) const = 0;
    // The unit the reading of point index was taken in.
    virtual const std::string& unitAt(int index) const = 0;

    // --- Breaks
    virtual bool isBreak(int index) const = 0;
    virtual BreakReason breakReason(int index) const = 0; // brGap where there is no break
    // Breaks among first..last (inclusive), of every reason or of one.
    virtual int breaksIn(int first, int last) const = 0;
    virtual int breaksIn(int first, int last, BreakReason reason) const = 0;
    // The first and last index of the run around index whose points all break the line, or
    // all do not. -1 outside 0..count()-1.
    virtual int runStart(int index) const = 0;
    virtual int runEnd(int index) const = 0;

    // --- Range queries over Y
    // Extremes of y(first..last), breaks included; first <= last < count().
    virtual MinMaxIndex::Extremes yExtremes(int first, int last) const = 0;
    // The first index in first..last whose Y v passes test(v, v); test is also asked about
    // whole blocks (see MinMaxIndex::findFirst). -1 when none.
    virtual int findFirstY(int first, int last, const MinMaxIndex::BlockTest& test) const = 0;
    // True when a Y may be not a number: the range queries then do not see it.
    virtual bool hasNaN() const = 0;

    // The readings among first..last (first <= last < count()) in `unit`, each value with
    // its count, and the gaps, overloads and readings of other units among them; a
    // unit-change break counts as nothing. This reads every point; a source of millions
    // answers faster from what it keeps.
    virtual ValueTally tally(int first, int last, const std::string& unit) const;

    // Grows whenever the points are replaced rather than added to (emptied, or counted from
    // another first point), so that whoever keeps point indices can tell they no longer
    // name the same points.
    virtual unsigned generation() const = 0;

    // The nearest point at or after (before) index that does not break the line; -1 when
    // there is none.
    int drawnAtOrAfter(int index) const;
    int drawnAtOrBefore(int index) const;
};

// The tally of points first..last of `points` (a SeriesSamples or a chart series: isBreak,
// breakReason and unitAt by index) whose values `valueOf` gives: readings in `unit` by
// value, gaps, overloads and readings in other units counted, unit-change breaks passed
// over.
template <typename Points, typename ValueOf>
ValueTally tallyPoints(const Points& points, int first, int last, const std::string& unit,
                       const ValueOf& valueOf) {
    ValueTallier counter;
    for (int i = first; i <= last; ++i) {
        if (points.isBreak(i)) {
            const BreakReason why = points.breakReason(i);
            if (why == BreakReason::brGap)
                counter.addGap();
            else if (why == BreakReason::brOverload)
                counter.addOverload();
        } else if (points.unitAt(i) != unit) {
            counter.addOtherUnit();
        } else {
            counter.add(valueOf(i));
        }
    }
    return counter.take();
}

inline int SeriesSamples::drawnAtOrAfter(int index) const {
    const int n = count();
    if (index < 0 || index >= n)
        return -1;
    if (isBreak(index))
        index = runEnd(index) + 1;
    return index < n ? index : -1;
}

inline int SeriesSamples::drawnAtOrBefore(int index) const {
    if (index < 0 || index >= count())
        return -1;
    if (isBreak(index))
        index = runStart(index) - 1;
    return index;
}

} // namespace kv
