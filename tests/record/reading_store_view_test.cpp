// A store's rows seen as the points of a chart series: breaks where the line breaks, at the
// value the line had; leading breaks shown or left out; times that never go back; a first
// row that empties the view while the store keeps its rows.
#include "record/reading_store_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace kv {
namespace {

constexpr TimeMs kT0 = 1796734987125;

struct Session {
    ReadingStore store;
    ReadingStoreView view{store};
    int changes = 0;
    Session() {
        view.onChange = [this] { ++changes; };
    }
    bool oneByOne = true; // the view is told of each row, else of the rows added together
    void add(TimeMs dt, Reading::Status status, float value, const char* unit) {
        const std::uint32_t c =
            *unit ? store.contextOf(unit, 240, std::uint8_t(unit[0])) : ReadingStore::kNoContext;
        store.append(kT0 + dt, status, value, c);
        if (oneByOne)
            view.rowsAppended();
    }
    // "y/unit" of each point, "|" before a break: "|0.5 |0.5 2 |2".
    std::string points() const {
        std::string out;
        for (int i = 0; i < view.count(); ++i) {
            std::string y = std::to_string(view.y(i));
            y.erase(y.find_last_not_of('0') + 1);
            if (y.back() == '.')
                y.pop_back();
            out += (i ? " " : "") + std::string(view.isBreak(i) ? "|" : "") + y;
        }
        return out;
    }
};

TEST(StoreView, BreaksStandWhereTheLineWasAndLeadingOnesAtTheRestValue) {
    Session s;
    s.view.setRestValue(0.5);
    s.add(0, Reading::Status::gap, 0, "");   // silent from the start
    s.add(100, Reading::Status::ok, 2, "V"); // after a unit-change mark
    s.add(200, Reading::Status::overload, 0, "V");
    s.add(300, Reading::Status::gap, 0, "V");
    s.add(400, Reading::Status::unlisted, 3, "V");
    s.add(500, Reading::Status::ok, 4, "A"); // after a mark
    EXPECT_EQ(s.points(), "|0.5 |0.5 2 |2 |2 3 |3 4");
    EXPECT_EQ(s.changes, 7); // the rest value, then every row
    const BreakReason reasons[] = {BreakReason::brGap, BreakReason::brUnitChange,
                                   BreakReason::brOverload, BreakReason::brGap,
                                   BreakReason::brUnitChange};
    const int breaks[] = {0, 1, 3, 4, 6};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(s.view.breakReason(breaks[k]), reasons[k]) << k;
    EXPECT_EQ(s.view.breaksIn(0, 7), 5);
    EXPECT_EQ(s.view.breaksIn(1, 6, BreakReason::brUnitChange), 2);
    EXPECT_EQ(s.view.breaksIn(2, 5, BreakReason::brGap), 1);
    EXPECT_EQ(s.view.drawnAtOrAfter(0), 2);
    EXPECT_EQ(s.view.drawnAtOrBefore(4), 2);
    EXPECT_EQ(s.view.drawnAtOrBefore(1), -1);
    EXPECT_EQ(s.view.runEnd(2), 2);
    EXPECT_EQ(s.view.runStart(5), 5);
    EXPECT_EQ(s.view.unitAt(1), "");
    EXPECT_EQ(s.view.unitAt(4), "V");
    EXPECT_EQ(s.view.unitAt(6), "V"); // the readings before the mark were of V
    EXPECT_EQ(s.view.unitAt(7), "A");
    // The rest value counts where leading breaks are in the range.
    EXPECT_EQ(s.view.yExtremes(0, 7).min, 0.5);
    EXPECT_EQ(s.view.yExtremes(2, 7).min, 2);
    EXPECT_EQ(s.view.yExtremes(3, 4).max, 2);
    EXPECT_EQ(s.view.findFirstY(0, 7, [](double, double hi) { return hi >= 3; }), 5);
    EXPECT_EQ(s.view.findFirstY(3, 7, [](double lo, double) { return lo <= 2; }), 3);

    // A file shown: the line starts at its first reading.
    const unsigned generation = s.view.generation();
    s.view.setLeadingBreaks(ReadingStoreView::LeadingBreaks::hidden);
    EXPECT_EQ(s.points(), "2 |2 |2 3 |3 4");
    EXPECT_EQ(s.view.rowOf(0), 2u);
    EXPECT_GT(s.view.generation(), generation);
}

TEST(StoreView, AFirstRowEmptiesTheViewWhileTheStoreKeepsItsRows) {
    Session s;
    s.add(0, Reading::Status::ok, 1, "V");
    s.add(100, Reading::Status::ok, 2, "V");
    unsigned generation = s.view.generation();
    s.view.setFirstRow(s.store.size()); // Stop
    EXPECT_EQ(s.view.count(), 0);
    EXPECT_GT(s.view.generation(), generation);
    generation = s.view.generation();
    // A new unit after Stop: its mark has no line to keep apart, and is left out.
    s.add(200, Reading::Status::ok, 5, "A");
    s.add(300, Reading::Status::overload, 0, "A");
    EXPECT_EQ(s.store.size(), 5u);
    EXPECT_EQ(s.points(), "5 |5");
    EXPECT_EQ(s.view.generation(), generation) << "appending names no point anew";
    EXPECT_EQ(s.view.unitAt(0), "A");

    s.view.setFirstRow(0);
    EXPECT_EQ(s.points(), "1 2 |2 5 |5");
    s.store.clear();
    s.view.storeReset();
    EXPECT_EQ(s.view.count(), 0);
    EXPECT_EQ(s.view.firstRow(), 0u);
    // Emptied without a word: what the view had is gone all the same.
    s.add(0, Reading::Status::ok, 7, "A");
    s.add(0, Reading::Status::ok, 8, "A");
    s.view.setFirstRow(1);
    s.store.clear();
    s.add(0, Reading::Status::ok, 9, "A");
    EXPECT_EQ(s.points(), "9");
}

TEST(StoreView, TimesNeverGoBackAndAreFoundByBinarySearch) {
    Session s;
    std::vector<TimeMs> held;
    TimeMs latest = 0;
    for (int i = 0; i < 20000; ++i) {
        // Ten a second, with the clock set back by a minute now and then.
        const TimeMs t = i * 100 - (i % 5000 >= 4000 ? 60000 : 0);
        s.store.append(kT0 + t, Reading::Status::ok, float(i), s.store.contextOf("V", 1, 1));
        latest = i == 0 ? t : std::max(latest, t);
        held.push_back(kT0 + latest);
    }
    s.view.rowsAppended();
    ASSERT_EQ(s.view.count(), 20000);
    for (int i = 0; i < 20000; ++i)
        ASSERT_EQ(s.view.time(i), held[std::size_t(i)]) << i;
    for (TimeMs t = kT0 - 50; t < kT0 + 2000100; t += 997) {
        const int expected = int(std::lower_bound(held.begin(), held.end(), t) - held.begin());
        ASSERT_EQ(s.view.firstAtOrAfterTime(t), expected) << t - kT0;
    }
    // What the view holds beside the store: a few entries for the steps back.
    EXPECT_LT(s.view.storageBytes(), 1024u);
}

} // namespace
} // namespace kv

namespace kv {
namespace {

// What a stretch of rows holds, counted here row by row from what was appended.
struct Expected {
    enum Kind { reading, gap, overload, mark };
    struct Row {
        Kind kind;
        float value;
        std::string unit;
    };
    std::vector<Row> rows;
    std::map<float, std::uint64_t> values(int first, int last, const std::string& unit,
                                          ValueTally& leftOut) const {
        std::map<float, std::uint64_t> out;
        for (int i = first; i <= last; ++i) {
            const Row& r = rows[std::size_t(i)];
            if (r.kind == gap)
                ++leftOut.gaps;
            else if (r.kind == overload)
                ++leftOut.overloads;
            else if (r.kind == reading && r.unit != unit)
                ++leftOut.otherUnits;
            else if (r.kind == reading)
                ++out[r.value];
        }
        return out;
    }
};

struct TalliedSession : Session {
    Expected expected;
    std::string unitInForce;
    // Readings of 50 values in eighths (or as `value` gives them), a gap every 500 rows, an
    // overload every 700, and readings in amperes from `ampsFrom` for a hundred rows.
    static float eighths(int i) { return float((i * 37) % 50) / 8; }
    void addRows(int from, int to, int ampsFrom = -1, float (*value)(int) = eighths) {
        addEach(from, to, ampsFrom, value);
        view.rowsAppended();
    }
    void addEach(int from, int to, int ampsFrom, float (*value)(int)) {
        for (int i = from; i < to; ++i) {
            const std::string unit = i >= ampsFrom && i < ampsFrom + 100 ? "A" : "V";
            if (i % 500 == 499) {
                add(i, Reading::Status::gap, 0, unit.c_str());
                expected.rows.push_back({Expected::gap, 0, unit});
                continue;
            }
            if (i % 700 == 699) {
                add(i, Reading::Status::overload, 0, unit.c_str());
                expected.rows.push_back({Expected::overload, 0, unit});
                continue;
            }
            // The store marks a change of unit with a row of its own.
            if (!unitInForce.empty() && unit != unitInForce)
                expected.rows.push_back({Expected::mark, 0, unit});
            unitInForce = unit;
            const float v = value(i);
            add(i, Reading::Status::ok, v, unit.c_str());
            expected.rows.push_back({Expected::reading, v, unit});
        }
    }
    void expectTally(int first, int last, const std::string& unit) {
        ValueTally want;
        const std::map<float, std::uint64_t> values = expected.values(first, last, unit, want);
        const ValueTally got = view.tally(first, last, unit);
        std::map<float, std::uint64_t> gotValues;
        for (const ValueCount& v : got.values)
            gotValues[float(v.value)] += v.count;
        EXPECT_EQ(gotValues, values) << first << ".." << last;
        EXPECT_EQ(got.gaps, want.gaps) << first << ".." << last;
        EXPECT_EQ(got.overloads, want.overloads) << first << ".." << last;
        EXPECT_EQ(got.otherUnits, want.otherUnits) << first << ".." << last;
    }
};

TEST(StoreView, ATallyOfAnyStretchCountsItsReadingsOnceWhereverItsBlocksBegin) {
    TalliedSession s;
    s.addRows(0, 13000, 6000);
    const int n = s.view.count();
    ASSERT_EQ(n, int(s.expected.rows.size()));
    for (const auto& [first, last] : std::vector<std::pair<int, int>>{{0, n - 1},
                                                                      {1, n - 2},
                                                                      {4095, 4096},
                                                                      {4096, 8191},
                                                                      {4095, 8192},
                                                                      {100, 8300},
                                                                      {5000, 5000},
                                                                      {12000, n - 1},
                                                                      {5990, 6110}}) {
        s.expectTally(first, last, "V");
        s.expectTally(first, last, "A");
    }
    // A block filled since: counted as it is now.
    s.addRows(13000, 17000);
    s.expectTally(0, s.view.count() - 1, "V");
    s.expectTally(12000, s.view.count() - 1, "V");
    // Nothing outside the points.
    EXPECT_TRUE(s.view.tally(5, 4, "V").values.empty());
    EXPECT_TRUE(s.view.tally(0, s.view.count(), "V").values.empty());
}

TEST(StoreView, ATallyOfReadingsThatSeldomRepeatOverManyBlocksCountsEachOnce) {
    // 5000 values: a block has few repeats, a group of 64 blocks many; then 300,000
    // values: not even a group has repeats worth keeping.
    for (float (*value)(int) : {+[](int i) { return float(i % 5000) / 4; },
                                +[](int i) { return float(i % 300000) / 4; }}) {
        TalliedSession s;
        s.addRows(0, 600000, 300000, value);
        const int n = s.view.count();
        for (const auto& [first, last] :
             std::vector<std::pair<int, int>>{{0, n - 1}, {4095, 2 * 64 * 4096}, {1000, n - 1000}})
            s.expectTally(first, last, "V");
        s.expectTally(0, n - 1, "A");
    }
}

TEST(StoreView, ATallyFollowingAGrowingRecordCountsTheGroupStillFillingOnce) {
    // 9000 values: the first blocks of a group repeat too little to be kept, more of them
    // enough; the record is tallied to its end as it grows by odd steps, the view told of
    // each step's rows together.
    TalliedSession s;
    s.oneByOne = false;
    int rows = 0;
    for (int step : {5000, 4096, 8192, 30000, 1, 4095, 250000, 3}) {
        s.addRows(
            rows, rows + step, 200000, +[](int i) { return float((i * 37) % 9000) / 4; });
        rows += step;
        const int n = s.view.count();
        s.expectTally(0, n - 1, "V");
        s.expectTally(n / 3, n - 1, "V");
        s.expectTally(0, n - 1, "A");
    }
}

TEST(StoreView, RowsCountedAheadAGroupATurnGiveTheTallyOfRowsCountedAtOnce) {
    // A file's rows, the view told of them together: counted ahead a group at a time (the
    // first tally between two turns), then grown by live readings.
    TalliedSession s;
    s.oneByOne = false;
    s.addRows(
        0, 600000, 300000, +[](int i) { return float((i * 37) % 700) / 8; });
    int turns = 0;
    while (s.view.countAhead(1)) {
        ++turns;
        if (turns == 1)
            s.expectTally(0, s.view.count() - 1, "V");
    }
    EXPECT_EQ(turns, 1) << "two full groups, one a turn";
    EXPECT_FALSE(s.view.countAhead(1));
    s.expectTally(0, s.view.count() - 1, "V");
    s.expectTally(100, s.view.count() - 100, "A");
    s.oneByOne = true;
    s.addRows(600000, 610000);
    s.expectTally(0, s.view.count() - 1, "V");
}

TEST(StoreView, ATallyAfterTheStoreWasReplacedCountsTheNewRows) {
    TalliedSession s;
    s.addRows(0, 9000);
    s.expectTally(0, s.view.count() - 1, "V");
    s.store.clear();
    s.expected.rows.clear();
    s.unitInForce.clear();
    s.view.storeReset();
    // Other values in the same blocks.
    for (int i = 0; i < 9000; ++i) {
        s.add(i, Reading::Status::ok, 100.0f + float(i % 3), "V");
        s.expected.rows.push_back({Expected::reading, 100.0f + float(i % 3), "V"});
    }
    s.expectTally(0, s.view.count() - 1, "V");
}

} // namespace
} // namespace kv
