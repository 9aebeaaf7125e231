#include "core/histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kv {
namespace {

TEST(HistogramBins, CountFollowsTheSpreadAndStaysWithinTheLimits) {
    const struct {
        std::uint64_t n;
        double span, iqr;
        int bins;
    } cases[] = {
        {0, 0, 0, 10},          // nothing: the fewest
        {100, 0, 0, 10},        // square root of 100
        {10000, 5, 0, 100},     // no quartile distance: square root
        {1000000, 5, 0, 400},   // square root held to the most
        {1000, 10, 1, 50},      // Freedman-Diaconis: 2 * 1 / 10 wide
        {1000, 10, 100, 10},    // wide quartiles: few bins, held to the fewest
        {1000000, 1e6, 1, 400}, // narrow quartiles, long tails: held to the most
    };
    for (const auto& c : cases)
        EXPECT_EQ(histogramBinCount(c.n, c.span, c.iqr), c.bins)
            << c.n << " " << c.span << " " << c.iqr;
}

TEST(HistogramBins, WidthsAreRoundMultiplesOfTheResolution) {
    const struct {
        double wanted, step, width;
    } cases[] = {
        // The nearest of 1, 2 and 5 times a power of ten, in whole steps.
        {0.0034, 0.001, 0.005},
        {0.0015, 0.001, 0.002},
        {0.0021, 0.001, 0.002},
        {0.02, 0.001, 0.02},
        {1.0, 0.001, 1.0},
        {120, 1, 100},
        {8, 1, 10},
        // Never below one step.
        {0.0005, 0.001, 0.001},
        {0, 0.01, 0.01},
        // Without a resolution, any power of ten.
        {3, 0, 2},
        {3.3, 0, 5},
        {0.7, 0, 0.5},
        {0.00012, 0, 0.0001},
    };
    for (const auto& c : cases) {
        const double w = roundBinWidth(c.wanted, c.step);
        EXPECT_NEAR(w, c.width, c.width * 1e-9) << c.wanted << " " << c.step;
        if (c.step > 0) {
            const double steps = w / c.step;
            EXPECT_NEAR(steps, std::round(steps), 1e-6) << "not whole steps";
        }
    }
}

struct HistogramCase {
    const char* what;
    std::vector<ValueCount> values;
    double step;
    double firstEdge, binWidth;
    std::vector<std::uint64_t> counts;
};

TEST(HistogramBins, ReadingsFallIntoBinsWithRoundEdges) {
    std::vector<ValueCount> everyMillivolt;
    for (int k = 1000; k <= 1036; ++k)
        everyMillivolt.push_back({k * 0.001, 5});
    std::vector<ValueCount> uniform;
    for (int k = 0; k < 1000; ++k)
        uniform.push_back({double(k), 1});
    const HistogramCase cases[] = {
        {"three values: a bin each, padded to ten around them",
         {{1.000, 1}, {1.001, 2}, {1.002, 3}},
         0.001,
         0.997,
         0.001,
         {0, 0, 0, 1, 2, 3, 0, 0, 0, 0}},
        {"five steps a bin, none short of a value",
         everyMillivolt,
         0.001,
         0.995,
         0.005,
         {0, 25, 25, 25, 25, 25, 25, 25, 10, 0}},
        {"a thousand even values: ten bins of a hundred", uniform, 1, 0, 100,
         std::vector<std::uint64_t>(10, 100)},
        {"below and above zero",
         {{-0.005, 1}, {0.004, 1}},
         0.001,
         -0.005,
         0.001,
         {1, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"without a resolution: round widths of the number line",
         {{0.125, 1}, {0.375, 1}},
         0,
         0.12,
         0.02,
         {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"not a number is passed over",
         {{NAN, 3}, {2.0, 1}, {INFINITY, 1}},
         1,
         -2,
         1,
         {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Histogram h = makeHistogram(c.values, c.step);
        EXPECT_NEAR(h.firstEdge, c.firstEdge, 1e-9) << c.what;
        EXPECT_NEAR(h.binWidth, c.binWidth, 1e-12) << c.what;
        EXPECT_EQ(h.counts, c.counts) << c.what;
    }
}

TEST(HistogramBins, AFarOutlierWidensTheBinsUpToTheMostBins) {
    // A million readings on one value and one a million steps away: the square root
    // asks for a thousand bins, the most is 400; a width of 2500 steps is rounded to 2000,
    // which needs 501 bins, so to 5000.
    const Histogram h = makeHistogram({{0, 1000000}, {1e6, 1}}, 1);
    EXPECT_EQ(h.binWidth, 5000);
    ASSERT_EQ(h.binCount(), 201);
    EXPECT_EQ(h.counts.front(), 1000000u);
    EXPECT_EQ(h.counts.back(), 1u);
    EXPECT_LE(h.binCount(), kMaxHistogramBins);
}

TEST(HistogramBins, FiguresAreThoseOfTheReadings) {
    const Histogram h = makeHistogram({{4, 1}, {2, 1}, {3, 2}}, 1);
    EXPECT_EQ(h.total, 4u);
    EXPECT_DOUBLE_EQ(h.mean, 3);
    EXPECT_NEAR(h.standardDeviation, std::sqrt(2.0 / 3.0), 1e-12);
    EXPECT_EQ(h.minimum, 2);
    EXPECT_EQ(h.maximum, 4);
    EXPECT_EQ(makeHistogram({{7, 1}}, 1).standardDeviation, 0);
    const Histogram none = makeHistogram({}, 0.001);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.binCount(), 0);
}

TEST(ValueTallier, CountsEachValueOnceWithBothZerosAsOne) {
    ValueTallier t;
    for (int i = 0; i < 100000; ++i)
        t.add(double(i % 1000) / 8);
    t.add(0.0);
    t.add(-0.0);
    t.addGap(2);
    t.addOverload();
    t.addOtherUnit(5);
    const ValueTally tally = t.take();
    ASSERT_EQ(tally.values.size(), 1000u);
    std::uint64_t total = 0;
    for (const ValueCount& v : tally.values) {
        total += v.count;
        EXPECT_EQ(v.count, v.value == 0 ? 102u : 100u) << v.value;
    }
    EXPECT_EQ(total, 100002u);
    EXPECT_EQ(tally.gaps, 2u);
    EXPECT_EQ(tally.overloads, 1u);
    EXPECT_EQ(tally.otherUnits, 5u);
    EXPECT_TRUE(t.take().values.empty());
}

} // namespace
} // namespace kv
