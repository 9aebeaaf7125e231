#include "watch/bench_watch.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::reading;
using Texts = std::vector<std::string>;

TEST(BenchTogether, HoldKeepsTheDifferenceWhileTheLimitsWatchTheMeasuredValues) {
    test::InUtc utc;
    test::Separators german(',', '.');
    BenchWatch bench;
    int crossings = 0;
    bench.limits().onCrossing = [&](const LimitCrossing&) { ++crossings; };
    bench.limits().setLimits({std::nullopt, 1.5f, "V-DC"});
    bench.feed(reading(1.234f));
    EXPECT_TRUE(bench.toggleRelative());
    BenchDisplay shown = bench.feed(reading(1.246f));
    EXPECT_EQ(readingText(shown.digits), "+0,012 V-DC");
    EXPECT_NEAR(shown.needle, 0.012f, 1e-6);

    EXPECT_TRUE(bench.toggleHold(test::kAt140307));
    shown = bench.feed(reading(2.0f, "V-DC", "0.000", test::kAt140307 + 1000));
    EXPECT_TRUE(shown.held);
    EXPECT_EQ(readingText(shown.digits), "+0,012 V-DC");
    EXPECT_EQ(crossings, 1); // 2 V is above the limit, whatever the display keeps
    EXPECT_EQ(bench.footerTexts(),
              (Texts{"Hold: +0,012 V-DC since 14:03:07", "Relative to 1,234 V-DC",
                     "Above the upper limit of 1,500 V-DC since 14:03:08"}));

    // Stop and Start: the display follows the readings again; the limits stay.
    bench.releaseAll();
    shown = bench.feed(reading(1.0f));
    EXPECT_FALSE(shown.held);
    EXPECT_EQ(readingText(shown.digits), "1,000 V-DC");
    EXPECT_EQ(shown.needle, 1.0f);
    EXPECT_EQ(bench.footerTexts(), Texts{});
    EXPECT_EQ(crossings, 2);
}

} // namespace
} // namespace kv
