#pragma once

#include "chart/time_scale.h"
#include "core/first_where.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kv {

class ChartSeries;

// Readings in one pixel column from which the readout gives the column's minimum, maximum
// and count instead of a single reading.
constexpr int kDenseColumn = 3;

// What a series shows under pixel column x: the reading nearest to it and, where many
// share the column, the column's figures. Found by binary searches over the points and the
// series' min/max index; the cost does not grow with the number of points.
struct ColumnReadout {
    bool found = false;
    int nearest = -1;   // the reading nearest to the column (never a break)
    bool dense = false; // kDenseColumn or more readings on the column
    int first = -1;     // the column's points, breaks included
    int last = -1;
    int count = 0;      // the column's readings, breaks left out
    double minimum = 0; // the column's extremes (dense only)
    double maximum = 0;
    int cursorX = 0; // where the cursor line stands: the reading's column or x
};

// The readout of series `s` at pixel column x of its last layout. Needs points in
// ascending X on a horizontal axis; nothing is found otherwise.
ColumnReadout readoutAt(const ChartSeries& s, int x);

// The readings from one marker to the other.
struct MarkerStatistics {
    int from = -1; // the markers' indices in ascending order
    int to = -1;
    int count = 0; // readings from..to, breaks left out
    double minimum = 0, maximum = 0, mean = 0;
    double standardDeviation = 0;                 // of a sample (n - 1); 0 below two readings
    int gaps = 0, overloads = 0, unitChanges = 0; // breaks from..to, by reason
    double deltaValue = 0;                        // B's value less A's
    bool timed = false;                           // deltaTimeMs holds B's time less A's
    std::int64_t deltaTimeMs = 0;
    int deltaIndex = 0; // B's index less A's
};

// Statistics between markers a and b (point indices, either order), in one pass over the
// readings between them.
MarkerStatistics markerStatistics(const ChartSeries& s, int a, int b);

// How `value`, a reading of point `index` of series s or a figure of such readings, reads:
// in the reading's own digits, with `extraDecimals` more for a mean or a deviation. The
// chart's owner knows what a reading's digits are.
using ValueText =
    std::function<std::string(const ChartSeries& s, int index, double value, int extraDecimals)>;

// The readout's label: "14:03:07.125 1,234 V-DC" for one reading (the index "#123" in
// place of the time on an untimed series); for a dense column its first time, minimum,
// maximum and count. Values go through valueText; times through localTime.
std::string readoutText(const ChartSeries& s, const ColumnReadout& r, const ValueText& valueText,
                        const LocalOffset& localOffset);

// The markers' line: Δt (Δn untimed), Δ value, n, min, max, mean, σ (one decimal more than
// the readings), then the breaks between the markers by reason where there are any.
std::string markersText(const ChartSeries& s, const MarkerStatistics& m,
                        const ValueText& valueText);

} // namespace kv
