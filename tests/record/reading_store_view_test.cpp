// A store's rows seen as the points of a chart series: breaks where the line breaks, at the
// value the line had; leading breaks shown or left out; times that never go back; a first
// row that empties the view while the store keeps its rows.
#include "record/reading_store_view.h"

#include <gtest/gtest.h>

#include <cmath>
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
    void add(TimeMs dt, Reading::Status status, float value, const char* unit) {
        const std::uint32_t c =
            *unit ? store.contextOf(unit, 240, std::uint8_t(unit[0])) : ReadingStore::kNoContext;
        store.append(kT0 + dt, status, value, c);
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
