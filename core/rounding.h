#pragma once

#include <climits>

namespace kv {

// Nearest integer with ties to even, the rounding of every layout and mapping formula.
// Saturates at the int range and gives 0 for NaN, so an absurd size or a degenerate dial
// never overflows the conversion.
int roundToInt(double x);

// v held to the int range: sizes and coordinates worked out in 64 bits end up here instead
// of wrapping around.
constexpr int clampToInt(long long v) {
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : int(v);
}

// a / b rounded toward minus infinity (b > 0).
constexpr long long floorDiv(long long a, long long b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

} // namespace kv
