// The min/max index: ranges and searches as a plain scan finds them, with values that are
// not a number left out, at under a byte a value.
#include "core/min_max_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace kv {
namespace {

TEST(MinMaxIndex, RangesAndSearchesMatchAPlainScan) {
    std::mt19937 rng(11);
    for (std::size_t n : {1u, 2u, 31u, 32u, 33u, 255u, 256u, 257u, 2049u, 20000u}) {
        BlockArray<double> data;
        MinMaxIndex idx;
        std::uniform_real_distribution<double> dist(-100, 100);
        for (std::size_t i = 0; i < n; ++i) {
            // Long flat stretches and single spikes as well as noise.
            const double v = (i / 300) % 2 ? std::round(dist(rng) / 40) : dist(rng);
            data.push_back(v);
            idx.append(v);
        }
        MinMaxIndex rebuilt;
        rebuilt.rebuild(data, data.size());
        std::uniform_int_distribution<std::size_t> pick(0, n - 1);
        for (int q = 0; q < 300; ++q) {
            std::size_t a = pick(rng), b = pick(rng);
            if (a > b)
                std::swap(a, b);
            double mn = data[a], mx = data[a];
            for (std::size_t i = a; i <= b; ++i) {
                mn = std::min(mn, data[i]);
                mx = std::max(mx, data[i]);
            }
            for (const MinMaxIndex* x : {&idx, &rebuilt}) {
                const auto e = x->range(data, a, b);
                ASSERT_EQ(e.min, mn) << n << " " << a << ".." << b;
                ASSERT_EQ(e.max, mx) << n << " " << a << ".." << b;
            }
            const double threshold = dist(rng) * 1.05;
            long expected = -1;
            for (std::size_t i = a; i <= b; ++i)
                if (data[i] >= threshold) {
                    expected = long(i);
                    break;
                }
            const long found =
                idx.findFirst(data, a, b, [&](double, double hi) { return hi >= threshold; });
            ASSERT_EQ(found, expected) << n << " " << a << ".." << b;
        }
    }
    EXPECT_EQ(
        MinMaxIndex().findFirst(BlockArray<double>(), 0, 0, [](double, double) { return true; }),
        -1);
}

TEST(MinMaxIndex, CostsUnderOneByteAValue) {
    BlockArray<double> data;
    for (int i = 0; i < 100000; ++i)
        data.push_back(1.0);
    MinMaxIndex idx;
    idx.rebuild(data, data.size());
    EXPECT_LT(idx.storageBytes(), data.size());
}

TEST(MinMaxIndex, ValuesThatAreNotANumberAreLeftOut) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> dist(-100, 100);
    BlockArray<double> data;
    MinMaxIndex idx;
    for (std::size_t i = 0; i < 5000; ++i) {
        // Whole blocks and groups without a value, single gaps, and a first value missing.
        const bool none = i == 0 || i % 7 == 3 || (i >= 256 && i < 1024) || (i >= 4000 && i < 4032);
        data.push_back(none ? NAN : dist(rng));
        idx.append(data.back());
    }
    std::uniform_int_distribution<std::size_t> pick(0, data.size() - 1);
    for (int q = 0; q < 2000; ++q) {
        std::size_t a = pick(rng), b = q % 3 ? pick(rng) : a + pick(rng) % 50;
        b = std::min(b, data.size() - 1);
        if (a > b)
            std::swap(a, b);
        double mn = INFINITY, mx = -INFINITY;
        const double threshold = dist(rng);
        long expected = -1;
        for (std::size_t i = a; i <= b; ++i) {
            if (std::isnan(data[i]))
                continue;
            mn = std::min(mn, data[i]);
            mx = std::max(mx, data[i]);
            if (expected < 0 && data[i] <= threshold)
                expected = long(i);
        }
        const MinMaxIndex::Extremes e = idx.range(data, a, b);
        if (mn > mx) {
            ASSERT_TRUE(e.empty()) << a << ".." << b;
        } else {
            ASSERT_EQ(e.min, mn) << a << ".." << b;
            ASSERT_EQ(e.max, mx) << a << ".." << b;
        }
        // A test that would pass any not-a-number it were asked about.
        const long found =
            idx.findFirst(data, a, b, [&](double lo, double) { return !(lo > threshold); });
        ASSERT_EQ(found, expected) << a << ".." << b;
    }
}

} // namespace
} // namespace kv
