#include "chart/value_list.h"
#include "core/min_max_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace kv {
namespace {

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<double> contents(const ValueList& l) {
    std::vector<double> v;
    for (int i = 0; i < l.count(); ++i)
        v.push_back(l.valueAt(i));
    return v;
}

TEST(ValueListOrder, AscendingKeepsEqualValuesInArrivalOrderAndPutsSmallerFirst) {
    ValueList l("X", ValueListOrder::loAscending);
    EXPECT_EQ(l.insertSorted(1), 0);
    EXPECT_EQ(l.insertSorted(3), 1);
    EXPECT_EQ(l.insertSorted(3), 2); // equal to the last: appended
    EXPECT_EQ(l.insertSorted(2), 1); // walks back past both 3s
    EXPECT_EQ(l.insertSorted(1), 1); // after the existing 1
    EXPECT_EQ(l.insertSorted(0), 0); // below all
    EXPECT_EQ(contents(l), (std::vector<double>{0, 1, 1, 2, 3, 3}));
}

TEST(ValueListOrder, DescendingAndUnorderedLists) {
    ValueList d("X", ValueListOrder::loDescending);
    EXPECT_EQ(d.insertSorted(5), 0);
    EXPECT_EQ(d.insertSorted(2), 1);
    EXPECT_EQ(d.insertSorted(5), 1); // after the existing 5
    EXPECT_EQ(d.insertSorted(9), 0);
    EXPECT_EQ(contents(d), (std::vector<double>{9, 5, 5, 2}));

    ValueList n("Y", ValueListOrder::loNone);
    n.insertSorted(5);
    EXPECT_EQ(n.insertSorted(-1), 1);
    EXPECT_EQ(contents(n), (std::vector<double>{5, -1}));
}

TEST(ValueListStorage, CountingListNeedsNoArrayUntilAnotherValueArrives) {
    ValueList l("X", ValueListOrder::loAscending);
    for (int i = 0; i < 5000; ++i)
        l.insertSorted(i);
    EXPECT_EQ(l.storageBytes(), 0u);
    EXPECT_EQ(l.valueAt(4321), 4321.0);
    l.insertSorted(4999.5); // not a count: the list takes an array from here on
    EXPECT_EQ(l.count(), 5001);
    EXPECT_GT(l.storageBytes(), 5001 * sizeof(double) - 1);
    EXPECT_EQ(l.valueAt(4321), 4321.0);
    EXPECT_EQ(l.valueAt(5000), 4999.5);
}

TEST(ValueListStorage, NegativeZeroIsKeptAsStored) {
    ValueList l;
    l.insertSorted(-0.0);
    EXPECT_TRUE(std::signbit(l.valueAt(0)));
}

TEST(ValueListStorage, GrowthKeepsTheUnusedTailSmall) {
    ValueList l;
    for (int i = 0; i < 200000; ++i)
        l.insertSorted(std::sin(i));
    // At most an eighth of spare room (plus the minimum step).
    EXPECT_LE(l.storageBytes(), (200000 + 200000 / 8 + 1024) * sizeof(double));
}

TEST(ValueListStorage, RemoveAllReleasesEverythingAndZeroesStatistics) {
    ValueList l;
    for (int i = 0; i < 3000; ++i)
        l.insertSorted(i * 0.5 + 7);
    l.storedExtremes(0, 2999); // builds the index
    EXPECT_GT(l.storageBytes(), 0u);
    l.removeAll();
    EXPECT_EQ(l.count(), 0);
    EXPECT_EQ(l.storageBytes(), 0u);
    EXPECT_EQ(l.minimum(), 0);
    EXPECT_EQ(l.maximum(), 0);
    EXPECT_EQ(l.total(), 0);
    EXPECT_EQ(l.totalAbs(), 0);
}

TEST(ValueListStatistics, EmptyListReadsZero) {
    ValueList l;
    EXPECT_TRUE(l.statisticsStale());
    EXPECT_EQ(l.minimum(), 0);
    EXPECT_EQ(l.maximum(), 0);
    EXPECT_EQ(l.total(), 0);
    EXPECT_EQ(l.totalAbs(), 0);
    EXPECT_FALSE(l.statisticsStale());
}

TEST(ValueListStatistics, ExtremesSumAndMagnitudes) {
    ValueList l;
    for (double v : {3.0, -1.5, 7.25, 0.0, -4.0})
        l.insertSorted(v);
    EXPECT_EQ(l.minimum(), -4.0);
    EXPECT_EQ(l.maximum(), 7.25);
    EXPECT_EQ(l.total(), 4.75);
    EXPECT_EQ(l.totalAbs(), 15.75);
}

TEST(ValueListStatistics, ChangeInTheMiddleIsPickedUpByTheNextRead) {
    ValueList l;
    for (double v : {1.0, 2.0, 3.0})
        l.insertSorted(v);
    EXPECT_EQ(l.maximum(), 3.0);
    l.insertAt(1, 10.0);
    EXPECT_TRUE(l.statisticsStale());
    EXPECT_EQ(l.maximum(), 10.0);
    EXPECT_EQ(l.total(), 16.0);
}

// Appending keeps running figures; they must be bit for bit what a full rescan gives
// (sums in the same order, the same min/max rule).
TEST(ValueListStatistics, RunningFiguresEqualARescanBitForBit) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    ValueList l;
    l.minimum(); // statistics current from the start
    for (int i = 0; i < 20000; ++i) {
        l.insertSorted(dist(rng) / (1 + i % 13));
        if (i % 997 == 0) {
            const double mn = l.minimum(), mx = l.maximum(), t = l.total(), ta = l.totalAbs();
            EXPECT_FALSE(l.statisticsStale());
            l.setMultiplier(2); // forces a rescan ...
            l.setMultiplier(1); // ... at multiplier 1
            EXPECT_TRUE(l.statisticsStale());
            EXPECT_TRUE(sameBits(mn, l.minimum()));
            EXPECT_TRUE(sameBits(mx, l.maximum()));
            EXPECT_TRUE(sameBits(t, l.total()));
            EXPECT_TRUE(sameBits(ta, l.totalAbs()));
        }
    }
}

// The figures are those of one scan in index order: the minimum and maximum start at the
// first value and change only on a strictly smaller or greater one, the sums add in order.
TEST(ValueListStatistics, ExactFiguresOfAScanInIndexOrder) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        std::vector<double> values;
        double min, max, sum, sumAbs;
    };
    const Row rows[] = {
        {{1e16, 1, -1e16}, -1e16, 1e16, 0, 2e16}, // the 1 is lost in order, not pairwise
        {{1, 1e16, -1e16}, -1e16, 1e16, 0, 2e16},
        {{0.0, -0.0}, 0.0, 0.0, 0.0, 0.0}, // the first zero stays (its sign too)
        {{-0.0, 0.0}, -0.0, -0.0, 0.0, 0.0},
        {{2, nan, -1}, -1, 2, nan, nan},    // not-a-number is never an extreme
        {{nan, 5, -5}, nan, nan, nan, nan}, // ... unless it comes first
    };
    for (const Row& r : rows) {
        for (bool running : {false, true}) {
            ValueList l;
            if (running)
                l.minimum(); // current from the start: appends keep the figures up
            for (double v : r.values)
                l.insertSorted(v);
            EXPECT_TRUE(sameBits(l.minimum(), r.min) ||
                        (std::isnan(r.min) && std::isnan(l.minimum())))
                << r.values.front() << " min " << l.minimum();
            EXPECT_TRUE(sameBits(l.maximum(), r.max) ||
                        (std::isnan(r.max) && std::isnan(l.maximum())))
                << r.values.front() << " max " << l.maximum();
            EXPECT_TRUE(l.total() == r.sum || (std::isnan(r.sum) && std::isnan(l.total())))
                << r.values.front() << " sum " << l.total();
            EXPECT_TRUE(l.totalAbs() == r.sumAbs ||
                        (std::isnan(r.sumAbs) && std::isnan(l.totalAbs())))
                << r.values.front() << " magnitudes " << l.totalAbs();
        }
    }
}

// The product is taken in extended precision and only then rounded to a double.
TEST(ValueListMultiplier, ProductIsRoundedOnce) {
    ValueList l;
    l.insertSorted(1.499);
    l.setMultiplier(0.1);
    ASSERT_NE(1.499 * 0.1, 0.14990000000000003); // the double product rounds differently
    EXPECT_EQ(l.valueAt(0), 0.14990000000000003);
    EXPECT_EQ(l.maximum(), 0.14990000000000003);
}

TEST(ValueListMultiplier, ReadsScaleWhileStoredValuesStay) {
    ValueList l;
    int changes = 0;
    l.onChange = [&] { ++changes; };
    for (double v : {1.5, -2.0, 4.0})
        l.insertSorted(v);
    EXPECT_EQ(l.maximum(), 4.0);
    l.setMultiplier(2);
    EXPECT_EQ(changes, 1);
    l.setMultiplier(2); // unchanged: no notification
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(l.valueAt(0), 3.0);
    EXPECT_EQ(l.storedAt(0), 1.5);
    EXPECT_EQ(l.minimum(), -4.0);
    EXPECT_EQ(l.maximum(), 8.0);
    EXPECT_EQ(l.total(), 7.0);
    EXPECT_EQ(l.totalAbs(), 15.0);
}

TEST(ValueListRangeQueries, NaNIsReportedSoTheIndexIsNotTrusted) {
    ValueList l;
    l.insertSorted(1);
    EXPECT_FALSE(l.hasNaN());
    l.insertSorted(std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(l.hasNaN());
    l.removeAll();
    EXPECT_FALSE(l.hasNaN());
}

// ---------------------------------------------------------------------------------------

TEST(ColorList, RunsSplitAndMergeAsColoursAreInserted) {
    ColorList c;
    for (int i = 0; i < 1000; ++i)
        c.insertAt(i, clBlack);
    EXPECT_LE(c.storageBytes(), 64u);
    c.insertAt(500, clRed);
    EXPECT_EQ(c.count(), 1001);
    EXPECT_EQ(c.at(499), clBlack);
    EXPECT_EQ(c.at(500), clRed);
    EXPECT_EQ(c.at(501), clBlack);
    ColorValue u = 0;
    EXPECT_TRUE(c.uniform(0, 499, u));
    EXPECT_EQ(u, clBlack);
    EXPECT_FALSE(c.uniform(499, 501, u));
    EXPECT_TRUE(c.uniform(501, 1000, u));
    c.insertAt(0, clNone);
    c.insertAt(502, clRed); // joins the red run (now at 501)
    EXPECT_EQ(c.at(0), clNone);
    EXPECT_EQ(c.at(501), clRed);
    EXPECT_EQ(c.at(502), clRed);
    EXPECT_EQ(c.at(503), clBlack);
    EXPECT_TRUE(c.uniform(501, 502, u));
    EXPECT_EQ(u, clRed);
    c.clear();
    EXPECT_EQ(c.count(), 0);
    EXPECT_EQ(c.storageBytes(), 0u);
}

// Long lists span many storage blocks; points stored between others shift whole blocks.
TEST(SeriesLists, InsertsIntoListsLongerThanABlockKeepEveryEntryInPlace) {
    std::mt19937 rng(17);
    ValueList xs("X", ValueListOrder::loAscending);
    ColorList colors;
    LabelList labels;
    std::vector<double> xModel;
    std::vector<ColorValue> colorModel;
    std::vector<std::string> labelModel;
    auto add = [&](double x, ColorValue c, const std::string& label) {
        const int at = xs.insertSorted(x);
        const auto pos = std::upper_bound(xModel.begin(), xModel.end(), x);
        ASSERT_EQ(at, pos - xModel.begin()) << x;
        xModel.insert(pos, x);
        colors.insertAt(at, c);
        colorModel.insert(colorModel.begin() + at, c);
        labels.insertAt(at, label);
        labelModel.insert(labelModel.begin() + at, label);
    };
    // Runs of two colours (over 10000 runs) and a label on every third point.
    for (int i = 0; i < 21000; ++i)
        add(i * 2.0, (i / 2) % 2 ? clRed : clBlack, i % 3 ? "" : "p" + std::to_string(i));
    for (int k = 0; k < 60; ++k) {
        const double x = double(rng() % 42000) + (k % 2 ? 0.0 : 0.5);
        add(x, k % 3 ? clBlack : clBlue, k % 2 ? "new" : "");
    }
    ASSERT_EQ(xs.count(), int(xModel.size()));
    for (std::size_t i = 0; i < xModel.size(); ++i) {
        ASSERT_EQ(xs.valueAt(int(i)), xModel[i]) << i;
        ASSERT_EQ(colors.at(int(i)), colorModel[i]) << i;
        ASSERT_EQ(labels.at(int(i)), labelModel[i]) << i;
    }
}

TEST(LabelList, OnlyNonEmptyLabelsAreStoredAndTheyMoveWithInserts) {
    LabelList l;
    l.insertAt(0, "");
    l.insertAt(1, "b");
    l.insertAt(2, "");
    l.insertAt(0, "a");
    EXPECT_EQ(l.count(), 4);
    EXPECT_EQ(l.at(0), "a");
    EXPECT_EQ(l.at(1), "");
    EXPECT_EQ(l.at(2), "b");
    EXPECT_EQ(l.at(3), "");
    l.clear();
    EXPECT_EQ(l.count(), 0);
    EXPECT_EQ(l.storageBytes(), 0u);
}

} // namespace
} // namespace kv
