// When a log begins and ends: the conditions as typed, and how long they must hold.
#include "watch/log_condition.h"

#include "format/number_format.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

Reading at(TimeMs time, float value, const char* unit = "V-DC",
           Reading::Status status = Reading::Status::ok) {
    Reading r;
    r.time = time;
    r.value = value;
    r.unit = unit;
    r.format = "0.000";
    r.status = status;
    return r;
}

TEST(LogConditionText, ReadsKindValuesTimeAndChannel) {
    // German settings: a decimal comma, and the point still reads.
    struct Comma {
        Comma() { setDecimalChar(','); }
        ~Comma() { setDecimalChar(before); }
        char before = decimalChar();
    } comma;
    const ParsedLogCondition outside =
        parseLogCondition("  V_out: outside 1.5 2,5 for 0.25 ", "--x");
    ASSERT_TRUE(outside.ok()) << outside.error;
    EXPECT_EQ(outside.condition.channel, "V_out");
    EXPECT_EQ(outside.condition.kind, LogCondition::Kind::outside);
    EXPECT_EQ(outside.condition.low, 1.5f);
    EXPECT_EQ(outside.condition.high, 2.5f) << "the regional decimal character too";
    EXPECT_EQ(outside.condition.forMs, 250);
    const ParsedLogCondition below = parseLogCondition("below -3", "--x");
    ASSERT_TRUE(below.ok()) << below.error;
    EXPECT_EQ(below.condition.low, -3.0f);
    EXPECT_EQ(below.condition.forMs, 0);
    for (const char* bad : {"", "above", "above 1 2", "for 3", "outside 2 1", "below 1 for",
                            "below 1 for -2", "below 1 during 2", "A:", ":below 1"})
        EXPECT_FALSE(parseLogCondition(bad, "--x").ok()) << bad;
}

TEST(ConditionWatch, HoldsOnceItHeldItsTimeWithoutABreak) {
    ConditionWatch watch(parseLogCondition("above 0.5 for 1", "--x").condition);
    EXPECT_FALSE(watch.feed(at(0, 0.6f)));
    EXPECT_FALSE(watch.feed(at(900, 0.7f)));
    EXPECT_FALSE(watch.feed(at(950, 0.5f))) << "0.5 is not above 0.5: the wait begins anew";
    EXPECT_FALSE(watch.feed(at(1000, 0.6f)));
    EXPECT_FALSE(watch.feed(at(1500, 0.6f, "V-DC", Reading::Status::overload)));
    EXPECT_FALSE(watch.feed(at(1600, 0.6f)));
    EXPECT_FALSE(watch.feed(at(2000, 0.6f, "A - DC"))) << "another unit than the first";
    EXPECT_FALSE(watch.feed(at(2100, 0.6f)));
    EXPECT_TRUE(watch.feed(at(3100, 0.6f)));
    EXPECT_EQ(watch.metAt(), 3100);
    EXPECT_TRUE(watch.feed(at(3200, 0.1f))) << "once met, for good";
    EXPECT_EQ(watch.text(), "above 0.500 V-DC for 1 s");
}

} // namespace
} // namespace kv
