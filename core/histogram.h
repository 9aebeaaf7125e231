#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

// A value with how many readings had it.
struct ValueCount {
    double value = 0;
    std::uint64_t count = 0;
};

// What a stretch of readings gives a histogram: the distinct values of the readings in one
// unit with their counts, and the readings left out of it.
struct ValueTally {
    std::vector<ValueCount> values; // each value once, in no particular order
    std::uint64_t gaps = 0;
    std::uint64_t overloads = 0;
    std::uint64_t otherUnits = 0; // readings in a unit other than the one counted
};

// The bins of a histogram: equal widths from a first edge, bin i covering
// [edge(i), edge(i + 1)), with the figures of the readings counted.
struct Histogram {
    double firstEdge = 0;
    double binWidth = 0;
    std::vector<std::uint64_t> counts;
    std::uint64_t total = 0;
    double mean = 0;
    double standardDeviation = 0; // of a sample (n - 1); 0 below two readings
    double minimum = 0;
    double maximum = 0;

    bool empty() const { return total == 0; }
    int binCount() const { return int(counts.size()); }
    double edge(int i) const { return firstEdge + binWidth * i; }
    std::uint64_t largestCount() const;
};

// Bins shown at least and at most.
constexpr int kMinHistogramBins = 10;
constexpr int kMaxHistogramBins = 400;

// How many bins n readings spread over `span` are worth: the Freedman-Diaconis rule for a
// quartile distance iqr above 0, else the square root of n; held to the limits above.
int histogramBinCount(std::uint64_t n, double span, double iqr);

// The width nearest to `wanted` (on a logarithmic scale) among 1, 2 and 5 times a power of
// ten times `step`, the readings' resolution, never below one step, so that a bin holds a
// whole number of steps. Without a resolution (step <= 0) among 1, 2 and 5 times any power
// of ten.
double roundBinWidth(double wanted, double step);

// The histogram of `values` as a bench instrument bins them. With step > 0 (the readings
// are whole multiples of it) every edge is a multiple of the bin width and the width a
// whole multiple of step, so no bin is empty for want of a value it could hold; a narrow
// spread gets kMinHistogramBins bins around it. Values that are not finite are passed
// over.
Histogram makeHistogram(const std::vector<ValueCount>& values, double step);

// Counts readings into a ValueTally, each distinct value once.
class ValueTallier {
public:
    void add(double value, std::uint64_t count = 1);
    void addGap(std::uint64_t count = 1) { tally_.gaps += count; }
    void addOverload(std::uint64_t count = 1) { tally_.overloads += count; }
    void addOtherUnit(std::uint64_t count = 1) { tally_.otherUnits += count; }
    // The tally so far; the tallier starts again empty.
    ValueTally take();

private:
    ValueTally tally_;
    std::vector<std::uint64_t> keys_; // open addressing over the values' bits
    std::vector<std::uint32_t> slots_;
};

} // namespace kv
