#include "watch/limit_watch.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::reading;

// Feeds the readings; writes down each crossing as "side value", and counts the bells.
struct Heard {
    std::vector<std::string> crossings;
    int bells = 0;
};

Heard feed(LimitWatch& watch, const std::vector<Reading>& readings) {
    Heard heard;
    watch.onCrossing = [&](const LimitCrossing& c) {
        char value[32];
        std::snprintf(value, sizeof value, "%g", double(c.reading.value));
        heard.crossings.push_back(std::string(limitSideName(c.side)) + " " + value);
    };
    watch.onBell = [&] { ++heard.bells; };
    for (const Reading& r : readings)
        watch.feed(r);
    return heard;
}

using Crossings = std::vector<std::string>;

TEST(LimitCrossings, EachCrossingIsReportedOnceHoweverLongTheReadingStaysThere) {
    struct Case {
        const char* name;
        std::optional<float> lower, upper;
        std::vector<float> values;
        Crossings crossings;
        int bells;
    } cases[] = {
        {"out above, back, out below, back",
         1.0f,
         12.0f,
         {5, 13, 14, 15, 11, 0.5f, 0.4f, 5},
         {"upper 13", "inside 11", "lower 0.5", "inside 5"},
         2},
        {"a value on a limit is inside",
         1.0f,
         12.0f,
         {12, 1, 12.001f, 12},
         {"upper 12.001", "inside 12"},
         1},
        {"straight from above to below",
         1.0f,
         12.0f,
         {20, 0, 20},
         {"upper 20", "lower 0", "upper 20"},
         3},
        {"a first reading outside is a crossing",
         1.0f,
         12.0f,
         {0, 0, 5},
         {"lower 0", "inside 5"},
         1},
        {"only an upper limit",
         std::nullopt,
         12.0f,
         {-1000, 13, -1000},
         {"upper 13", "inside -1000"},
         1},
        {"only a lower limit",
         1.0f,
         std::nullopt,
         {1000, 0.5f, 1e30f},
         {"lower 0.5", "inside 1e+30"},
         1},
    };
    for (const Case& c : cases) {
        LimitWatch watch;
        watch.setLimits({c.lower, c.upper, "V-DC"});
        std::vector<Reading> rs;
        for (float v : c.values)
            rs.push_back(reading(v));
        const Heard heard = feed(watch, rs);
        EXPECT_EQ(heard.crossings, c.crossings) << c.name;
        EXPECT_EQ(heard.bells, c.bells) << c.name;
    }
}

TEST(LimitCrossings, AnOverloadHasNoValueAndChangesNothing) {
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    const Heard heard =
        feed(watch, {reading(13), test::overload(), reading(14), test::overload(), reading(5)});
    EXPECT_EQ(heard.crossings, (Crossings{"upper 13", "inside 5"}));
}

TEST(LimitSuspension, AnotherUnitSuspendsTheLimitsUntilTheirUnitComesBack) {
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    Heard heard = feed(watch, {reading(13), reading(0.5f, "mVolt"), reading(5000, "mVolt")});
    EXPECT_EQ(heard.crossings, (Crossings{"upper 13"}));
    EXPECT_TRUE(watch.suspended());
    EXPECT_EQ(watch.footerText(), "Limits suspended: they are in V-DC, the meter shows mVolt");

    // Back on the side it was before the unit changed: no new crossing; then back inside.
    heard = feed(watch, {reading(14), reading(5)});
    EXPECT_FALSE(watch.suspended());
    EXPECT_EQ(heard.crossings, (Crossings{"inside 5"}));
    EXPECT_EQ(heard.bells, 0);

    // Limits given before the meter said anything are in the first reading's unit.
    watch.setLimits({1.0f, 12.0f, ""});
    heard = feed(watch, {reading(20, "mVolt"), reading(20, "V-DC")});
    EXPECT_EQ(heard.crossings, (Crossings{"upper 20"}));
    EXPECT_EQ(watch.limits().unit, "mVolt");
    EXPECT_TRUE(watch.suspended());
}

TEST(LimitFooter, SaysWhichLimitIsExceededSinceWhenInTheReadingsDigits) {
    test::InUtc utc;
    test::Separators german(',', '.');
    LimitWatch watch;
    watch.setLimits({1.5f, 12.0f, "V-DC"});
    watch.feed(reading(5, "V-DC", "00.000", test::kAt140307 - 60000));
    EXPECT_EQ(watch.footerText(), "");
    watch.feed(reading(13, "V-DC", "00.000"));
    watch.feed(reading(14, "V-DC", "00.000", test::kAt140307 + 5000));
    EXPECT_EQ(watch.footerText(), "Above the upper limit of 12,000 V-DC since 14:03:07");
    watch.feed(reading(0.25f, "V-DC", "0.0000", test::kAt140307 + 3600000));
    EXPECT_EQ(watch.footerText(), "Below the lower limit of 1,5000 V-DC since 15:03:07");
    watch.clear();
    EXPECT_EQ(watch.footerText(), "");
}

} // namespace
} // namespace kv
