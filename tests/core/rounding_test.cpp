#include "core/rounding.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace kv {
namespace {

TEST(Rounding, HalfToEvenSaturatedAndNaNIsZero) {
    struct Case {
        double in;
        int out;
    } cases[] = {
        {0.5, 0},      {1.5, 2},   {2.5, 2},         {-0.5, 0},         {-1.5, -2},
        {428.57, 429}, {-0.49, 0}, {1e300, INT_MAX}, {-1e300, INT_MIN}, {INFINITY, INT_MAX},
        {NAN, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(roundToInt(c.in), c.out) << c.in;
}

} // namespace
} // namespace kv
