#pragma once

#include "canvas/canvas.h"
#include "gauges/indicator_model.h"

#include <string>

namespace kv {

// The painter of the value indicator: pure functions of its model and a rectangle, on any
// canvas, at any device pixel ratio.

// The text sizes the indicator's layout is computed from.
struct IndicatorMetrics {
    int name1Width = 0, name1Height = 0;
    int name2Width = 0, name2Height = 0;
    int sampleWidth = 0, valueHeight = 0; // the picture format's sample in the value font
    int unitWidth = 0;                    // 0 when the unit is not shown
};

// The size the content asks for. The bevel sizes are those of each side; the outer and
// inner bevels count only when their options are set. The value height also stands for
// the margins of a third of it on either side of the value.
Size indicatorNeededSize(const IndicatorMetrics& m, ValueIndicatorOptions options,
                         int outerBevelSize, int innerBevelSize, int valueBevelSize);
// The control's size after the size calculation: the needed size with automatic sizing,
// otherwise the current size grown (never shrunk) to fit.
Size indicatorBounds(Size current, Size needed, bool autoSize);

// Where the parts of the indicator lie in a rectangle.
struct IndicatorLayout {
    IndicatorMetrics metrics;
    Size needed;
    Rect outer;    // the outer bevel's rectangle (the whole one)
    Point name1At; // the name lines' top-left corners
    Point name2At;
    Rect inner;      // the inner bevel's rectangle
    Rect valueBlock; // the value bevel's rectangle: the field with its margins
    Point unitAt;
    // The area the value text is drawn in: the field as the picture format's sample sizes
    // it; a wider text grows it to the left, up to growLimit.
    Rect field;
    int growLimit = 0;
};

// How the value text fills the field: the text, the font it fits in (the value font, or a
// smaller size of it for a text too wide for all the room there is), its width and the
// area it takes, the field grown to the left as far as the text needs.
struct FieldText {
    std::string text;
    FontSpec font;
    int width = 0;
    Rect drawn;
};

// Measures the texts on `canvas` (which keeps the last font).
IndicatorMetrics measureIndicator(const IndicatorModel& model, Canvas& canvas);
IndicatorLayout layoutIndicator(const IndicatorModel& model, const IndicatorMetrics& metrics,
                                const Rect& rect);
// The model's field text in `field`, measured on `canvas`. No digit is ever hidden: a text
// wider than the field takes the free width to the field's left, and only where that is too
// narrow as well is it drawn in a smaller size of the value font.
FieldText fieldTextIn(const IndicatorModel& model, Canvas& canvas, const Rect& field,
                      int growLimit);

// Everything but the value text: bevels, names, the value bevel and the unit.
void paintIndicatorFrame(Canvas& canvas, const IndicatorModel& model, const IndicatorLayout& l);
// The value text right-aligned in its field on the field colour, built off screen and put
// on the canvas in one piece, so the digits change without flicker. Returns the part of
// the canvas it covered (empty when none).
Rect paintValueField(Canvas& canvas, const IndicatorModel& model, const FieldText& text);
// The whole indicator into `rect`.
void paintIndicator(Canvas& canvas, const Rect& rect, const IndicatorModel& model);

} // namespace kv
