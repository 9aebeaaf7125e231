#include "watch/limit_watch.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::reading;

// Feeds the values and writes down what each crossing said, and every bell.
struct Heard {
    std::vector<std::string> crossings;
    int bells = 0;
};

Heard feed(LimitWatch& watch, const std::vector<WatchedReading>& readings) {
    Heard run;
    watch.onCrossing = [&](const LimitCrossing& c) {
        char value[32];
        std::snprintf(value, sizeof value, "%g", double(c.reading.value));
        run.crossings.push_back(std::string(limitSideName(c.side)) + " " + value);
    };
    watch.onBell = [&] { ++run.bells; };
    for (const WatchedReading& r : readings)
        watch.feed(r);
    return run;
}

std::vector<WatchedReading> values(std::initializer_list<float> list, const char* unit = "V-DC") {
    std::vector<WatchedReading> out;
    for (float v : list)
        out.push_back(reading(v, unit));
    return out;
}

TEST(LimitCrossings, EachCrossingIsReportedOnceHoweverLongTheReadingStaysThere) {
    struct Case {
        const char* name;
        std::optional<float> lower, upper;
        std::vector<float> values;
        std::vector<std::string> crossings;
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
        std::vector<WatchedReading> rs;
        for (float v : c.values)
            rs.push_back(reading(v));
        const Heard run = feed(watch, rs);
        EXPECT_EQ(run.crossings, c.crossings) << c.name;
        EXPECT_EQ(run.bells, c.bells) << c.name;
    }
}

TEST(LimitCrossings, AnOverloadHasNoValueAndChangesNothing) {
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    const Heard run =
        feed(watch, {reading(13), test::overload(), reading(14), test::overload(), reading(5)});
    EXPECT_EQ(run.crossings, (std::vector<std::string>{"upper 13", "inside 5"}));
}

TEST(LimitCrossings, NewLimitsStartAfreshAndNoLimitsWatchNothing) {
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    Heard run = feed(watch, values({13}));
    watch.setLimits({1.0f, 20.0f, "V-DC"});
    run = feed(watch, values({13, 25}));
    EXPECT_EQ(run.crossings, (std::vector<std::string>{"upper 25"}));
    watch.clear();
    run = feed(watch, values({-5, 50}));
    EXPECT_TRUE(run.crossings.empty());
    EXPECT_EQ(watch.footerText(), "");
}

TEST(LimitSuspension, AnotherUnitSuspendsTheLimitsUntilTheirUnitComesBack) {
    test::Separators german(',', '.');
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, "V-DC"});
    std::vector<WatchedReading> rs = values({13});
    for (const WatchedReading& r : values({0.5f, 5000, 0}, "mVolt"))
        rs.push_back(r);
    Heard run = feed(watch, rs);
    EXPECT_EQ(run.crossings, (std::vector<std::string>{"upper 13"}));
    EXPECT_TRUE(watch.suspended());
    EXPECT_EQ(watch.footerText(), "Limits suspended: they are in V-DC, the meter shows mVolt");

    // Back where it was before the unit changed: no new crossing; then back inside.
    run = feed(watch, values({14, 5}));
    EXPECT_FALSE(watch.suspended());
    EXPECT_EQ(run.crossings, (std::vector<std::string>{"inside 5"}));
    EXPECT_EQ(run.bells, 0);
}

TEST(LimitSuspension, LimitsWithoutAUnitTakeTheFirstReadingsUnit) {
    LimitWatch watch;
    watch.setLimits({1.0f, 12.0f, ""});
    const Heard run = feed(watch, {reading(20, "mVolt"), reading(20, "V-DC")});
    EXPECT_EQ(run.crossings, (std::vector<std::string>{"upper 20"}));
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
}

} // namespace
} // namespace kv
