#include "watch/statistics_text.h"
#include "watch_fixture.h"

#include "record/recorder.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

// The record a session with these readings of one unit leaves.
RecordStatistics session(std::initializer_list<float> values, const char* unit = "mVolt") {
    Recorder recorder;
    recorder.start(test::kAt140307);
    TimeMs t = test::kAt140307;
    for (float v : values)
        recorder.addReading(t += 500, v, unit, 232, 128);
    return recorder.statistics();
}

TEST(StatisticsFooter, ShowsTheReadingsDigitsInTheRegionalFormat) {
    test::Separators german(',', '.');
    // A mean of 22.6543 would claim a digit the meter never showed.
    EXPECT_EQ(statisticsText(session({22.654f, 22.655f, 22.653f, 22.655f}), "mVolt", "00.000"),
              "4 readings, min 22,653 mVolt, max 22,655 mVolt, mean 22,654 mVolt");
    // Without a picture, the decimals minimum and maximum need, the same for all three.
    EXPECT_EQ(statisticsText(session({1.5f, 2.25f, 3.0f}), "mVolt", ""),
              "3 readings, min 1,5 mVolt, max 3,0 mVolt, mean 2,3 mVolt");
    EXPECT_EQ(statisticsText(session({7.0f}), "mVolt", "0.00"),
              "1 reading, min 7,00 mVolt, max 7,00 mVolt, mean 7,00 mVolt");
    // A unit the session has not seen yet: the meter has just switched to it.
    EXPECT_EQ(statisticsText(session({7.0f}), "Ohm", "0.0"), "No readings in Ohm yet");

    UnitStatistics many;
    many.unit = "V-DC";
    many.readings = 1234;
    many.minimum = -1.0f;
    many.maximum = 1000.0f;
    many.mean = 12.3456;
    EXPECT_EQ(statisticsText(many, "#,##0.00"),
              "1.234 readings, min -1,00 V-DC, max 1.000,00 V-DC, mean 12,35 V-DC");
}

TEST(StatisticsMenu, OneLineOfValuesAndOneOfGapsPerUnit) {
    Recorder recorder;
    recorder.start(test::kAt140307);
    recorder.addReading(test::kAt140307 + 100, 1.5f, "V-DC", 1, 1);
    recorder.addOverload(test::kAt140307 + 200, "V-DC", 1, 1);
    recorder.addReading(test::kAt140307 + 300, 120.25f, "mVolt", 2, 2);
    recorder.addGap();
    recorder.addGarbled();
    EXPECT_EQ(statisticsLines(recorder.statistics(), "mVolt", "000.00"),
              (std::vector<std::string>{
                  "1 reading, min 1.5 V-DC, max 1.5 V-DC, mean 1.5 V-DC",
                  "Gaps: 0, overloads: 1",
                  "1 reading, min 120.25 mVolt, max 120.25 mVolt, mean 120.25 mVolt",
                  "Gaps: 1, overloads: 0",
                  "Garbled replies: 1",
              }));
    EXPECT_EQ(statisticsLines(RecordStatistics{}, "", ""),
              (std::vector<std::string>{"No readings yet"}));
}

} // namespace
} // namespace kv
