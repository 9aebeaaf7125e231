#include "chart/time_list.h"
#include "chart/time_scale.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kv {
namespace {

constexpr std::int64_t at(int h, int m, int s, int ms = 0) {
    return ((h * 60LL + m) * 60 + s) * 1000 + ms;
}
// 2025-12-09 00:00 UTC.
constexpr std::int64_t kDay0 = 1765238400000;

TEST(ClockStep, TheSmallestLadderStepWhoseLabelsKeepApart) {
    struct Case {
        double span;
        int length, timeWidth, dateWidth;
        std::int64_t step;
    };
    const Case cases[] = {
        {30e3, 400, 40, 50, 5 * kSecondMs},        // 1 s: 13 px, 2 s: 27 px, 5 s: 67 px
        {1e3, 400, 40, 50, 1 * kSecondMs},         // the smallest step
        {600e3, 400, 40, 50, 2 * kMinuteMs},       // 1 min: 40 px < 44
        {3600e3, 400, 40, 50, 10 * kMinuteMs},     // 5 min: 33 px
        {6 * 3600e3, 400, 25, 50, 30 * kMinuteMs}, // 15 min: 17 px < 28
        {48 * 3600e3, 400, 25, 50, 6 * kHourMs},   // 3 h: 25 px < 28
        {10 * 86400e3, 400, 25, 50, 2 * kDayMs},   // a day: 40 px, but dated labels need 55
        {100 * 86400e3, 400, 25, 50, 20 * kDayMs}, // beyond the ladder: 2, 5, 10, 20 days
        {0, 400, 40, 50, 1 * kSecondMs},           // nothing to divide
        {30e3, 0, 40, 50, 1 * kSecondMs},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseClockStep(c.span, c.length, c.timeWidth, c.dateWidth), c.step)
            << c.span << " ms over " << c.length << " px";
    // Every step of the ladder divides a day, so labels meet midnight.
    for (std::int64_t step : clockStepLadder())
        EXPECT_EQ(kDayMs % step, 0) << step;
    // Millennia still find a step, a whole number of days.
    EXPECT_EQ(chooseClockStep(1e15, 400, 25, 50) % kDayMs, 0);
}

TEST(ClockText, TimesDatesAndDurations) {
    EXPECT_EQ(clockTimeText(kDay0 + at(14, 3, 5, 125), true), "14:03:05");
    EXPECT_EQ(clockTimeText(kDay0 + at(14, 3, 5, 999), false), "14:03");
    EXPECT_EQ(clockMillisecondsText(kDay0 + at(14, 3, 7, 125)), "14:03:07.125");
    EXPECT_EQ(clockMillisecondsText(kDay0 + at(0, 0, 0, 5)), "00:00:00.005");
    // Before 1970 the day still runs forwards.
    EXPECT_EQ(clockMillisecondsText(-1), "23:59:59.999");
    EXPECT_EQ(clockDateText(kDay0 + at(23, 59, 59), "dd.MM.yyyy"), "09.12.2025");
    EXPECT_EQ(clockDateText(-1, "yyyy-MM-dd"), "1969-12-31");
    EXPECT_TRUE(clockShowsSeconds(3 * 3600e3));
    EXPECT_FALSE(clockShowsSeconds(3 * 3600e3 + 1));
    EXPECT_EQ(durationText(65300), "1:05.300");
    EXPECT_EQ(durationText(at(1, 2, 3, 4)), "1:02:03.004");
    EXPECT_EQ(durationText(at(49, 0, 0)), "49:00:00.000");
    EXPECT_EQ(durationText(-1500), "-0:01.500");
}

std::vector<std::string> texts(const std::vector<ClockLabel>& labels) {
    std::vector<std::string> out;
    for (const ClockLabel& l : labels)
        out.push_back(l.text);
    return out;
}

TEST(ClockLabels, OnLocalMultiplesWithTheDateFirstAndAtMidnight) {
    const LocalOffset utc = [](std::int64_t) { return std::int64_t(0); };
    const LocalOffset plusOne = [](std::int64_t) { return kHourMs; };
    const std::string dmy = "dd.MM.yyyy";

    auto l = clockLabels(kDay0 + at(14, 0, 0, 500), kDay0 + at(14, 0, 20), 5000, true, dmy, utc);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"14:00:05\n09.12.2025", "14:00:10", "14:00:15",
                                                  "14:00:20"}));
    EXPECT_EQ(l[0].utcMs, kDay0 + at(14, 0, 5));

    // Local time an hour ahead: the same moments, labelled an hour later.
    l = clockLabels(kDay0 + at(14, 0, 0, 500), kDay0 + at(14, 0, 20), 5000, true, dmy, plusOne);
    EXPECT_EQ(l[0].text, "15:00:05\n09.12.2025");
    EXPECT_EQ(l[0].utcMs, kDay0 + at(14, 0, 5));

    // Midnight carries the new date; the first label gives the old one.
    l = clockLabels(kDay0 + at(23, 59, 40), kDay0 + at(24, 0, 10), 10000, true, dmy, utc);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"23:59:40\n09.12.2025", "23:59:50",
                                                  "00:00:00\n10.12.2025", "00:00:10"}));
    // ... unless midnight is the very next label, which then says it alone.
    l = clockLabels(kDay0 + at(23, 59, 50), kDay0 + at(24, 0, 10), 10000, true, dmy, utc);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"23:59:50", "00:00:00\n10.12.2025", "00:00:10"}));

    // Hours and minutes for long spans; every label of day steps is at midnight.
    l = clockLabels(kDay0, kDay0 + 2 * kDayMs, kDayMs, false, dmy, utc);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"00:00\n09.12.2025", "00:00\n10.12.2025",
                                                  "00:00\n11.12.2025"}));

    // Clocks going forward at 01:00 UTC (local 02:00 becomes 03:00): full local hours
    // still, and the hour that never was is left out.
    const std::int64_t jump = kDay0 + at(1, 0, 0);
    const LocalOffset summer = [jump](std::int64_t t) { return t < jump ? kHourMs : 2 * kHourMs; };
    l = clockLabels(kDay0, kDay0 + at(3, 0, 0), kHourMs, false, dmy, summer);
    EXPECT_EQ(texts(l), (std::vector<std::string>{"01:00\n09.12.2025", "03:00", "04:00", "05:00"}));
    EXPECT_EQ(l[1].utcMs, jump);

    EXPECT_TRUE(clockLabels(10, 5, 1000, true, dmy, utc).empty());
}

TEST(TimeList, KeepsEveryTimeExactlyInAboutFourBytes) {
    TimeList t;
    const std::int64_t t0 = kDay0;
    t.append(t0);
    t.append(t0 + 100);
    EXPECT_EQ(t.append(t0 + 50), t0 + 100); // a clock set back: held at the time before
    // Seven weeks of silence inside one group, and back to 0.1 s steps.
    const std::int64_t later = t0 + 49LL * kDayMs + 1;
    t.append(later);
    for (int i = 1; i < 10000; ++i)
        t.append(later + i * 100);
    ASSERT_EQ(t.count(), 10003);
    EXPECT_EQ(t.at(0), t0);
    EXPECT_EQ(t.at(2), t0 + 100);
    EXPECT_EQ(t.at(3), later);
    EXPECT_EQ(t.at(10002), later + 9999 * 100);
    EXPECT_EQ(t.firstAtOrAfter(t0 + 1), 1);
    EXPECT_EQ(t.firstAtOrAfter(t0 + 101), 3);
    EXPECT_EQ(t.firstAtOrAfter(later + 5000 * 100 - 1), 5003);
    EXPECT_EQ(t.firstAtOrAfter(later + 10000 * 100), 10003);
    EXPECT_EQ(t.firstAtOrAfter(0), 0);

    // Equal times over several groups: the first of them.
    TimeList same;
    for (int i = 0; i < 3 * int(TimeList::kGroup); ++i)
        same.append(i < 9000 ? 5 : 7);
    EXPECT_EQ(same.firstAtOrAfter(5), 0);
    EXPECT_EQ(same.firstAtOrAfter(6), 9000);

    // Inserting keeps the order around it.
    TimeList ins;
    for (int i = 0; i < 5; ++i)
        ins.append(i * 10);
    ins.insertAt(2, 15);
    EXPECT_EQ(ins.at(2), 15);
    EXPECT_EQ(ins.at(3), 20);
    ins.insertAt(1, 999); // later than what follows: those are held to it
    EXPECT_EQ(ins.at(1), 999);
    EXPECT_EQ(ins.at(2), 999);

    TimeList million;
    for (int i = 0; i < 1000000; ++i)
        million.append(t0 + i * 100);
    EXPECT_LT(double(million.storageBytes()) / million.count(), 4.1);
    million.clear();
    EXPECT_EQ(million.storageBytes(), 0u);
}

} // namespace
} // namespace kv
