#include "publish/reading_json.h"

#include "support/kept_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <regex>

namespace kv {
namespace {

// 2026-12-08 13:03:07.125 UTC, in a zone one hour east of UTC.
constexpr TimeMs kTime = 1796734987125;

class ReadingJson : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "CET-1", 1);
        tzset();
    }
    void TearDown() override {
        unsetenv("TZ");
        tzset();
    }
    static std::string json(const Reading& r) {
        std::string out;
        appendReadingJson(out, r);
        return out;
    }
};

TEST_F(ReadingJson, HoldsTheFieldsOfTheCsvRow) {
    EXPECT_EQ(json(test::keptReading(kTime, Reading::Status::ok, 1.234f, "V-DC", 240, 136, true)),
              R"({"time":"2026-12-08T14:03:07.125+01:00","value":1.234,"unit":"V-DC",)"
              R"("status":"ok","function":240,"range":136})");
}

TEST_F(ReadingJson, HasNoValueForAnOverloadOrAGapAndNoCodesBeforeTheFirstReading) {
    EXPECT_EQ(json(test::keptReading(kTime, Reading::Status::overload, 0, "MOhm", 3, 4, true)),
              R"({"time":"2026-12-08T14:03:07.125+01:00","value":null,"unit":"MOhm",)"
              R"("status":"overload","function":3,"range":4})");
    EXPECT_EQ(json(test::keptReading(kTime, Reading::Status::gap, 0, "", 0, 0, false)),
              R"({"time":"2026-12-08T14:03:07.125+01:00","value":null,"unit":"",)"
              R"("status":"gap","function":null,"range":null})");
    // A value that cannot be written in JSON is an overload, as the record keeps it.
    EXPECT_EQ(json(test::keptReading(kTime, Reading::Status::ok,
                                     std::numeric_limits<float>::infinity(), "V", 1, 2, true)),
              R"({"time":"2026-12-08T14:03:07.125+01:00","value":null,"unit":"V",)"
              R"("status":"overload","function":1,"range":2})");
}

TEST_F(ReadingJson, EscapesTheUnitAndWritesSmallAndLargeValuesWithoutExponent) {
    EXPECT_EQ(json(test::keptReading(kTime, Reading::Status::ok, -0.000012f,
                                     "\xc2\xb5"
                                     "A \"x\"\\\n",
                                     0, 255, true)),
              R"({"time":"2026-12-08T14:03:07.125+01:00","value":-0.000012,)"
              "\"unit\":\"\xc2\xb5"
              R"(A \"x\"\\\u000a","status":"ok","function":0,"range":255})");
    EXPECT_TRUE(std::regex_search(
        json(test::keptReading(kTime, Reading::Status::ok, 3e38f, "V", 0, 0, true)),
        std::regex(R"("value":3\d{38},"unit")")));
}

} // namespace
} // namespace kv
