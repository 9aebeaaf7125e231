// The rows of a log thinned to one per interval: what an overload, a silence, a change of
// unit and a clock that jumps make of them.
#include "record/log_interval.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using Status = Reading::Status;
using Rows = std::vector<LogInterval::Row>;

TEST(LogInterval, AnOverloadRowCarriesTheFiguresOfItsGoodReadings) {
    LogInterval every(1000);
    every.start(0);
    Rows rows;
    every.add(100, Status::ok, 2.0f, 1, rows);
    every.add(200, Status::overload, 0.0f, 1, rows);
    every.add(300, Status::ok, 4.0f, 1, rows);
    every.add(1100, Status::overload, 0.0f, 1, rows);
    every.advance(2000, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].status, Status::overload);
    EXPECT_EQ(rows[0].time, 1000);
    EXPECT_EQ(rows[0].count, 2u);
    EXPECT_EQ(rows[0].mean, 3.0);
    EXPECT_EQ(rows[0].min, 2.0f);
    EXPECT_EQ(rows[0].max, 4.0f);
    EXPECT_EQ(rows[1].status, Status::overload) << "nothing but the overload";
    EXPECT_EQ(rows[1].count, 0u);
}

TEST(LogInterval, SilenceGivesAGapPerIntervalAndAJumpOfTheClockOneRow) {
    LogInterval every(500);
    every.start(10'000);
    Rows rows;
    every.add(10'100, Status::ok, 1.0f, 3, rows);
    // The record's gap row of a silence adds nothing of its own.
    every.add(10'200, Status::gap, 0.0f, 3, rows);
    every.advance(11'700, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].status, Status::ok);
    EXPECT_EQ(rows[1].status, Status::gap);
    EXPECT_EQ(rows[1].time, 11'000);
    EXPECT_EQ(rows[1].context, 3u) << "a gap keeps the unit before it";
    EXPECT_EQ(rows[2].time, 11'500);
    rows.clear();
    // A day later in one step: one row for all of it, and the intervals go on from there.
    every.add(11'700 + 86'400'000, Status::ok, 2.0f, 3, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, 12'000);
    EXPECT_EQ(rows[1].status, Status::gap);
    EXPECT_EQ(rows[1].time % 500, 0);
    rows.clear();
    every.finish(11'700 + 86'400'100, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].count, 1u);
    EXPECT_EQ(rows[0].time, 11'700 + 86'400'100) << "the last interval ends with the log";
}

TEST(LogInterval, AChangeOfUnitEndsTheIntervalWhereItCame) {
    LogInterval every(1000);
    every.start(0);
    Rows rows;
    every.add(100, Status::ok, 1.0f, 1, rows);
    every.add(400, Status::ok, 5.0f, 2, rows);
    every.add(600, Status::ok, 7.0f, 2, rows);
    every.advance(1000, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].time, 400);
    EXPECT_EQ(rows[0].context, 1u);
    EXPECT_EQ(rows[0].count, 1u);
    EXPECT_EQ(rows[1].time, 1000);
    EXPECT_EQ(rows[1].context, 2u);
    EXPECT_EQ(rows[1].mean, 6.0);
}

} // namespace
} // namespace kv
