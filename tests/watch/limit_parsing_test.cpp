#include "watch/limit_parsing.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(LimitValues, TakeADecimalPointOrTheRegionalCharacter) {
    struct Case {
        char decimal, grouping;
        const char* text;
        std::optional<float> value; // none: no limit
        bool ok;
    } cases[] = {
        {',', '.', "1.5", 1.5f, true},
        {',', '.', "1,5", 1.5f, true},
        {',', '.', " -0,25 ", -0.25f, true},
        {',', '.', "1e3", 1000.0f, true},
        {',', '.', "", std::nullopt, true},
        {',', '.', "   ", std::nullopt, true},
        {'.', ',', "1.5", 1.5f, true},
        // The grouping character is never a decimal character.
        {'.', ',', "1,5", std::nullopt, false},
        {',', '.', "1.234,5", std::nullopt, false},
        {',', '.', "abc", std::nullopt, false},
        {',', '.', "12 V", std::nullopt, false},
        {',', '.', "1e40", std::nullopt, false}, // beyond what a reading can be
    };
    for (const Case& c : cases) {
        test::Separators separators(c.decimal, c.grouping);
        std::optional<float> value = 99.0f;
        std::string error;
        EXPECT_EQ(parseLimit(c.text, LimitEnd::lower, value, error), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
            EXPECT_EQ(error, "") << c.text;
        } else {
            EXPECT_EQ(error, std::string("The lower limit is not a number: ") + c.text);
        }
    }
}

TEST(LimitValues, EachFaultHasOneSentence) {
    test::Separators german(',', '.');
    Limits limits{3.0f, 4.0f, "V-DC"};
    std::string error;
    EXPECT_FALSE(parseLimits("1", "zwölf", limits, error));
    EXPECT_EQ(error, "The upper limit is not a number: zwölf");
    EXPECT_FALSE(parseLimits("12,5", "1.5", limits, error));
    EXPECT_EQ(error, "The lower limit 12,5 lies above the upper limit 1,5.");
    // A refused pair leaves the limits as they were.
    EXPECT_EQ(limits.lower, 3.0f);
    EXPECT_EQ(limits.upper, 4.0f);

    EXPECT_TRUE(parseLimits("2", "2", limits, error));
    EXPECT_TRUE(parseLimits("", "7,5", limits, error));
    EXPECT_EQ(limits.lower, std::nullopt);
    EXPECT_EQ(limits.upper, 7.5f);
    EXPECT_EQ(limits.unit, "V-DC");
    EXPECT_EQ(limitEditText(limits.upper), "7,5");
    EXPECT_EQ(limitEditText(limits.lower), "");
}

} // namespace
} // namespace kv
