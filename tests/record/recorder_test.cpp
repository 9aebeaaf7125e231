#include "record/recorder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv {
namespace {

constexpr TimeMs kStart = 1796734987125;

TEST(RecorderStatistics, EachUnitHasItsOwnCountsExtremesAndMean) {
    Recorder rec;
    EXPECT_EQ(rec.summary(), "0 readings, 0 gaps, 0 overloads");
    rec.start(kStart);
    rec.addGap(); // before any reading: counts with the first unit
    rec.addReading(kStart + 1500, 0.001f, "V-DC", 240, 128);
    rec.addReading(kStart + 1600, 12.5f, "V-DC", 240, 144); // another range, the same unit
    rec.addOverload(kStart + 1700, "V-DC", 240, 144);
    EXPECT_EQ(rec.summary(),
              "2 readings, min 0.001 V-DC, max 12.5 V-DC, mean 6.2505 V-DC, 1 gap, 1 overload");

    rec.addReading(kStart + 1800, 22, "°C", 192, 200);
    rec.addReading(kStart + 1900, 20.5f, "°C", 192, 200);
    rec.addGap();
    rec.addReading(kStart + 3000, 3, "V-DC", 240, 136);
    EXPECT_EQ(rec.summary(), "3 readings, min 0.001 V-DC, max 12.5 V-DC, mean 5.167 V-DC, 1 gap, "
                             "1 overload; 2 readings, min 20.5 °C, max 22 °C, mean 21.25 °C, "
                             "1 gap, 0 overloads");
    const RecordStatistics s = rec.statistics();
    EXPECT_EQ(s.readings, 5u);
    EXPECT_EQ(s.gaps, 2u);
    EXPECT_EQ(s.first, kStart);
    EXPECT_EQ(s.last, kStart + 3000);
    ASSERT_EQ(s.units.size(), 2u);
    EXPECT_EQ(s.units[0].first, kStart);
    EXPECT_EQ(s.units[1].first, kStart + 1800);
    EXPECT_EQ(s.units[1].last, kStart + 1900); // its gap began at its last reading
}

TEST(RecorderSession, StopKeepsTheRowsAndStartBeginsAnEmptyRecord) {
    Recorder rec;
    EXPECT_FALSE(rec.addReading(kStart, 1, "V", 1, 1)); // no session yet
    rec.start(kStart);
    rec.addReading(kStart + 10, 1, "V", 1, 1);
    rec.addReading(kStart + 20, NAN, "V", 1, 1); // no decimal for it: an overload
    rec.stop();
    EXPECT_FALSE(rec.addReading(kStart + 30, 2, "V", 1, 1));
    EXPECT_FALSE(rec.addGap());
    ASSERT_EQ(rec.rows().size(), 2u);
    EXPECT_EQ(rec.rows()[1].status, Reading::Status::overload);
    EXPECT_EQ(rec.summary(), "1 reading, min 1 V, max 1 V, mean 1 V, 0 gaps, 1 overload");
    rec.start(kStart + 60000);
    EXPECT_TRUE(rec.rows().empty());
    EXPECT_EQ(rec.summary(), "0 readings, 0 gaps, 0 overloads");
    // Silence from the start: the gap begins at the start and has no unit or codes yet;
    // one row for one silence, however often it is told.
    EXPECT_TRUE(rec.addGap());
    EXPECT_FALSE(rec.addGap());
    EXPECT_EQ(rec.csvLine(0).substr(29), ",0.000,,,gap,,\n");
}

TEST(RecorderSession, WithoutRowsTheStatisticsGoOn) {
    Recorder rec;
    rec.setKeepRows(false);
    rec.start(kStart);
    rec.addReading(kStart + 10, 1, "V", 1, 1);
    rec.addGap();
    rec.addReading(kStart + 2000, 3, "V", 1, 1);
    EXPECT_TRUE(rec.rows().empty());
    EXPECT_EQ(rec.summary(), "2 readings, min 1 V, max 3 V, mean 2 V, 1 gap, 0 overloads");
}

// A month of readings must fit: eight bytes a row however the clock or the codes jump, and
// the index beside them.
TEST(ReadingStore, RowsReadBackExactlyInLittleMemory) {
    ReadingStore store;
    const std::uint32_t volts = store.contextOf("V-DC", 240, 136);
    const std::uint32_t otherRange = store.contextOf("V-DC", 240, 144);
    const TimeMs threeDays = TimeMs{1} << 28;
    // Clock steps of just within and just beyond a block's reach, both ways, and a context
    // that changes with every row, as an auto-ranging meter at a range's edge does.
    const TimeMs steps[] = {100, threeDays - 1, -threeDays, threeDays, -threeDays - 1, 7, 0};
    auto timeOf = [&](std::size_t i) {
        return kStart + static_cast<TimeMs>(i) * 100 + (i % 5000 < 7 ? steps[i % 5000] : 0);
    };
    auto valueOf = [](std::size_t i) { return static_cast<float>(i % 100000) / 1000.0f; };
    auto statusOf = [](std::size_t i) {
        return static_cast<Reading::Status>(i % 1000 == 999 ? 1 : 0);
    };
    constexpr std::size_t kRows = 1'000'000;
    for (std::size_t i = 0; i < kRows; ++i)
        store.append(timeOf(i), statusOf(i), valueOf(i), i < 100000 && i % 2 ? otherRange : volts);
    ASSERT_EQ(store.size(), kRows);
    for (std::size_t i = 0; i < kRows; i += i < 10000 ? 1 : 97) {
        const Row row = store[i];
        ASSERT_EQ(row.time, timeOf(i)) << i;
        ASSERT_EQ(row.status, statusOf(i)) << i;
        if (row.status == Reading::Status::ok) {
            ASSERT_EQ(row.value, valueOf(i)) << i;
        }
        ASSERT_EQ(row.context, i < 100000 && i % 2 ? otherRange : volts) << i;
    }
    EXPECT_EQ(store.context(otherRange).range, 144);
    // The rows, the runs of contexts, and the min/max index at under a byte a row.
    EXPECT_LE(store.memoryBytes(), kRows * 9 + kRows * 7 / 10);
    store.clear();
    EXPECT_LT(store.memoryBytes(), 1000u);
}

} // namespace
} // namespace kv
