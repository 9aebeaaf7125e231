#pragma once

#include "canvas/canvas.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kv {

enum class BarOrientation { pbHorizontal, pbVertical };

// a * b / c with a 64-bit intermediate, the quotient rounded to the nearest integer with
// halves away from zero. A zero divisor gives 0; results beyond int are clamped.
int mulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

// Pixels of `extent` that `position` fills within min..max; 0 for an empty range.
int filledLength(int extent, std::int64_t position, std::int64_t min, std::int64_t max);

// The areas of a W x H bar (its own coordinates) that are filled with gradient blocks for
// the filled length `length`: 6-pixel blocks every 8 pixels from the leading edge, or one
// continuous area when `smooth`.
std::vector<Rect> barAreas(BarOrientation orientation, bool smooth, int width, int height,
                           int length);
// The same, listing only the blocks that meet `window` (bar coordinates), so that a bar far
// longer than the canvas costs no more than the blocks on it.
std::vector<Rect> barAreas(BarOrientation orientation, bool smooth, int width, int height,
                           int length, const Rect& window);

// The part of a W x H bar whose pixels may differ between the filled lengths `from` and
// `to`, blocks or smooth: empty when they are the same.
Rect lengthChange(BarOrientation orientation, int width, int height, int from, int to);

// One frame line of a W x H bar: from `from` up to but not including `to`.
struct FrameLine {
    Point from;
    Point to;
    ColorValue color;
};
std::array<FrameLine, 21> frameLines(int width, int height);

// The trough inside the frame.
constexpr Rect troughRect(int width, int height) {
    return Rect{3, 2, width - 3, height - 2};
}

enum class GradientDirection { Downward, Rightward };

// One uniformly coloured band of a linear gradient.
struct GradientBand {
    Rect rect;
    ColorValue color;
};

// The bands of a linear gradient over `r` from `start` to `end` (plain RGB colours): up to
// 255 equal bands with colours interpolated per channel, the remainder in the end colour.
std::vector<GradientBand> gradientBands(const Rect& r, ColorValue start, ColorValue end,
                                        GradientDirection direction);

// The two mirrored halves of a gradient block: edge colour `to` on both long edges, `from`
// along the middle. The second half is painted last, over a shared middle line.
struct BlockHalves {
    Rect first;
    Rect second;
    GradientDirection direction;
};
BlockHalves blockHalves(const Rect& r, BarOrientation orientation);

} // namespace kv
