#pragma once

#include "canvas/canvas.h"

#include <functional>

namespace kv {

class ReadoutModel;

// Draws a chart into a rectangle of a canvas.
using TrendPainter = std::function<void(Canvas&, const Rect&)>;

// Where the readout's parts stand in its rectangle, and how large its texts are (character
// heights in pixels). The digits take the top and are as large as the width and about half
// the height allow; the unit stands under their right end, the status lines under their
// left, and the trend fills the rest below.
struct ReadoutLayout {
    Rect digits;
    int digitsPixels = 0;
    Rect unit;
    int unitPixels = 0;
    Rect status;
    int statusPixels = 0;
    Rect trend;
};

// The fonts of the readout's texts at a character height.
FontSpec readoutDigitsFont(int pixels, ColorValue color);
FontSpec readoutTextFont(int pixels, ColorValue color);

ReadoutLayout layoutReadout(Canvas& canvas, const Rect& rect, const ReadoutModel& model);

// The whole readout into `rect`: background, digits, unit, status and the trend, drawn by
// `trend` (nothing when empty).
void paintReadout(Canvas& canvas, const Rect& rect, const ReadoutModel& model,
                  const TrendPainter& trend);

} // namespace kv
