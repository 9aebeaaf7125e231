#include "watch/hold.h"
#include "watch_fixture.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using test::reading;

TEST(HoldDisplay, KeepsTheShownReadingWithItsFooterUntilReleased) {
    test::InUtc utc;
    test::Separators german(',', '.');
    Hold hold;
    EXPECT_EQ(hold.footerText(), "");
    // The hold counts from when it was asked for, not from when the held reading came.
    EXPECT_TRUE(
        hold.toggle(reading(1.234f, "V-DC", "0.000", test::kAt140307 - 700), test::kAt140307));
    EXPECT_EQ(hold.shown(reading(5.0f, "mVolt")).value, 1.234f);
    EXPECT_EQ(hold.footerText(), "Hold: 1,234 V-DC since 14:03:07");
    EXPECT_FALSE(hold.toggle(reading(9.0f), test::kAt140307 + 1000));
    EXPECT_EQ(hold.shown(reading(5.0f)).value, 5.0f);
    EXPECT_EQ(hold.footerText(), "");

    hold.engage(test::overload(), test::kAt140307);
    EXPECT_EQ(hold.footerText(), "Hold: OL V-DC since 14:03:07");
}

} // namespace
} // namespace kv
