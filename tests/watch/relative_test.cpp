#include "watch/relative.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::reading;

TEST(RelativeDisplay, ShowsTheSignedDifferenceInTheReadingsPictureFormat) {
    test::Separators german(',', '.');
    struct Case {
        float value;
        const char* format;
        const char* text;
        float magnitude;
    } cases[] = {
        {1.246f, "0.000", "+0,012", 0.012f},
        {1.230f, "0.000", "-0,004", 0.004f},
        {1.234f, "0.000", "0,000", 0.0f},
        // A difference that rounds away in the reading's digits carries no sign.
        {1.2342f, "0.000", "0,000", 0.0002f},
        {1.2338f, "0.000", "0,000", 0.0002f},
        {13.5f, "00.00", "+12,27", 12.266f},
        {-3.0f, "0.000", "-4,234", 4.234f},
    };
    for (const Case& c : cases) {
        Relative relative;
        ASSERT_TRUE(relative.begin(reading(1.234f)));
        const auto shown = relative.apply(reading(c.value, "V-DC", c.format));
        ASSERT_TRUE(shown) << c.value;
        EXPECT_EQ(shown->text, c.text) << c.value;
        EXPECT_NEAR(shown->magnitude, c.magnitude, 1e-5) << c.value;
        EXPECT_NEAR(shown->difference, c.value - 1.234f, 1e-5) << c.value;
    }
    EXPECT_EQ(Relative().footerText(), "");
    Relative relative;
    relative.begin(reading(1.234f));
    EXPECT_EQ(relative.footerText(), "Relative to 1,234 V-DC");
}

TEST(RelativeEnd, AReadingInAnotherUnitEndsItAndTheFooterSaysWhy) {
    Relative relative;
    relative.begin(reading(1.234f));
    EXPECT_FALSE(relative.apply(reading(150.0f, "mVolt", "000.00")));
    EXPECT_FALSE(relative.active());
    EXPECT_EQ(relative.footerText(), "Relative mode ended: the unit changed from V-DC to mVolt");
    // The old unit coming back does not bring the old reference back.
    EXPECT_FALSE(relative.apply(reading(1.5f)));
    // Beginning again, or ending it by hand, takes the note away.
    relative.toggle(reading(1.5f));
    EXPECT_EQ(relative.footerText(), "Relative to 1.500 V-DC");
    relative.apply(reading(1.5f, "Ohm"));
    relative.end();
    EXPECT_EQ(relative.footerText(), "");
}

TEST(RelativeEnd, AnOverloadIsNoReferenceAndEndsNothing) {
    Relative relative;
    EXPECT_FALSE(relative.begin(test::overload()));
    EXPECT_FALSE(relative.active());
    relative.begin(reading(1.0f));
    EXPECT_FALSE(relative.apply(test::overload()));
    EXPECT_EQ(relative.apply(reading(0.5f))->text, "-0.500");
}

} // namespace
} // namespace kv
