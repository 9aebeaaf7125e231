// The store's rows beyond the kept readings: unit-change marks put in where the unit
// changes, readings shown but not kept, and the min/max index next to the rows.
#include "record/reading_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace kv {
namespace {

constexpr TimeMs kT0 = 1796734987125;

// "ok 1.5 V-DC @100" per row, times from kT0; a mark reads "mark V-DC @0".
std::string rowsOf(const ReadingStore& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const Row r = s[i];
        const char* words[] = {"ok", "overload", "gap", "unlisted"};
        std::string text = r.unitChange ? "mark" : words[int(r.status)];
        if (!std::isnan(r.value))
            text += " " + std::to_string(r.value).substr(0, 3);
        text += " " + s.context(r.context).unit + " @" + std::to_string(r.time - kT0);
        out += (out.empty() ? "" : "; ") + text;
    }
    return out;
}

TEST(StoreUnitChange, AMarkGoesBeforeARowOfAnotherUnitDatedAndMeasuredLikeTheRowBefore) {
    ReadingStore s;
    const std::uint32_t volts = s.contextOf("V-DC", 240, 136);
    const std::uint32_t voltsOtherRange = s.contextOf("V-DC", 240, 144);
    const std::uint32_t amps = s.contextOf("mA-DC", 176, 128);
    s.append(kT0, Reading::Status::gap, 0, ReadingStore::kNoContext); // silent from the start
    s.append(kT0 + 100, Reading::Status::ok, 1.5f, volts);
    s.append(kT0 + 200, Reading::Status::ok, 2.5f, voltsOtherRange);
    s.append(kT0 + 300, Reading::Status::overload, 0, amps);
    s.append(kT0 + 400, Reading::Status::gap, 0, amps);
    s.append(kT0 + 350, Reading::Status::unlisted, 7.5f, volts);
    s.append(kT0 + 500, Reading::Status::gap, 0, ReadingStore::kNoContext);
    s.append(kT0 + 600, Reading::Status::ok, 3.5f, volts);
    EXPECT_EQ(rowsOf(s), "gap  @0; mark  @0; ok 1.5 V-DC @100; ok 2.5 V-DC @200; "
                         "mark V-DC @200; overload mA-DC @300; gap mA-DC @400; "
                         "mark mA-DC @400; unlisted 7.5 V-DC @350; gap  @500; ok 3.5 V-DC @600");
    // A mark reads as a gap to whoever looks at the status alone; only the readings are kept.
    EXPECT_EQ(s[4].status, Reading::Status::gap);
    std::string kept;
    for (std::size_t i = 0; i < s.size(); ++i)
        kept += keptRow(s[i]) ? 'k' : '-';
    EXPECT_EQ(kept, "k-kk-kk--kk");
    EXPECT_EQ(s.unitInForce(1), "");
    EXPECT_EQ(s.unitInForce(4), "V-DC");
    EXPECT_EQ(s.unitInForce(9), "V-DC"); // a gap without codes changes nothing
}

TEST(StoreUnitChange, TheFirstRowHasNoMarkAndTheUnitInForceOutlivesClear) {
    ReadingStore s;
    s.append(kT0, Reading::Status::ok, 1, s.contextOf("V-DC", 240, 136));
    EXPECT_EQ(rowsOf(s), "ok 1.0 V-DC @0");
    s.clear();
    s.append(kT0, Reading::Status::gap, 0, ReadingStore::kNoContext);
    s.append(kT0 + 100, Reading::Status::ok, 2, s.contextOf("V-DC", 240, 136));
    s.append(kT0 + 200, Reading::Status::ok, 3, s.contextOf("Ohm", 224, 128));
    EXPECT_EQ(rowsOf(s), "gap  @0; ok 2.0 V-DC @100; mark V-DC @100; ok 3.0 Ohm @200");
    EXPECT_EQ(s.unitInForce(0), "") << "the rows before the clear are gone";

    // Copies and exchanges take the unit along.
    ReadingStore copy, other;
    copy.copyFrom(s);
    other.swap(s);
    for (ReadingStore* t : {&copy, &other}) {
        t->append(kT0 + 300, Reading::Status::ok, 4, t->contextOf("Ohm", 224, 136));
        EXPECT_EQ(t->size(), 5u);
    }
    s.append(kT0, Reading::Status::ok, 5, s.contextOf("Ohm", 224, 136));
    EXPECT_EQ(rowsOf(s), "ok 5.0 Ohm @0");
}

TEST(StoreRows, UnlistedReadingsKeepTheirValueOverloadsAndGapsHaveNone) {
    ReadingStore s;
    const std::uint32_t c = s.contextOf("V-DC", 240, 136);
    s.append(kT0, Reading::Status::unlisted, 1.25f, c);
    s.append(kT0 + 1, Reading::Status::overload, 9, c);
    s.append(kT0 + 2, Reading::Status::gap, 9, c);
    EXPECT_EQ(s[0].value, 1.25f);
    EXPECT_EQ(s[0].status, Reading::Status::unlisted);
    EXPECT_TRUE(std::isnan(s.valueAt(1)));
    EXPECT_TRUE(std::isnan(s.valueAt(2)));
    EXPECT_FALSE(s.hasNaNValue());
    s.append(kT0 + 3, Reading::Status::ok, NAN, c);
    EXPECT_TRUE(s.hasNaNValue());
}

TEST(StoreIndex, ExtremesAndSearchesLeaveRowsWithoutAValueOut) {
    ReadingStore s;
    const std::uint32_t c = s.contextOf("V-DC", 240, 136);
    std::mt19937 rng(27500);
    std::uniform_real_distribution<float> value(-50, 50);
    constexpr std::size_t kRows = 40000;
    for (std::size_t i = 0; i < kRows; ++i) {
        // Long runs of overloads and gaps, and single ones.
        const bool none = (i / 3000) % 4 == 3 || i % 97 == 0;
        const auto status = none ? (i % 2 ? Reading::Status::gap : Reading::Status::overload)
                                 : (i % 13 == 0 ? Reading::Status::unlisted : Reading::Status::ok);
        s.append(kT0 + TimeMs(i), status, value(rng), c);
    }
    ReadingStore copy;
    copy.copyFrom(s);
    std::uniform_int_distribution<std::size_t> pick(0, kRows - 1);
    for (int q = 0; q < 400; ++q) {
        std::size_t a = pick(rng), b = q % 4 == 0 ? a + pick(rng) % 40 : pick(rng);
        b = std::min(b, kRows - 1);
        if (a > b)
            std::swap(a, b);
        double lo = INFINITY, hi = -INFINITY;
        const double threshold = value(rng);
        long first = -1;
        for (std::size_t i = a; i <= b; ++i) {
            const Row r = s[i];
            if (r.status != Reading::Status::ok && r.status != Reading::Status::unlisted)
                continue;
            lo = std::min(lo, double(r.value));
            hi = std::max(hi, double(r.value));
            if (first < 0 && r.value >= threshold)
                first = long(i);
        }
        for (const ReadingStore* t : {&s, &copy}) {
            const MinMaxIndex::Extremes e = t->valueExtremes(a, b);
            if (lo > hi) {
                ASSERT_TRUE(e.empty()) << a << ".." << b;
            } else {
                ASSERT_EQ(e.min, lo) << a << ".." << b;
                ASSERT_EQ(e.max, hi) << a << ".." << b;
            }
            ASSERT_EQ(t->findFirstValue(a, b, [&](double, double mx) { return mx >= threshold; }),
                      first)
                << a << ".." << b;
        }
    }
    // The index costs under a byte a row.
    EXPECT_LE(s.memoryBytes(), kRows * 9 + 65536);
}

} // namespace
} // namespace kv
