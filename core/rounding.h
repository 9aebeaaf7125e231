#pragma once

namespace kv {

// Nearest integer with ties to even, the rounding of every layout and mapping formula.
// Saturates at the int range and gives 0 for NaN, so an absurd size or a degenerate dial
// never overflows the conversion.
int roundToInt(double x);

} // namespace kv
