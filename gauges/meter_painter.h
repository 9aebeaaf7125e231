#pragma once

#include "canvas/canvas.h"
#include "gauges/meter_model.h"
#include "gauges/pointer_layer.h"
#include "gauges/scale_settings.h"

namespace kv {

// The painter of a round meter: pure functions of its model and a rectangle, on any
// canvas, at any device pixel ratio.

// Text extents and label metrics a round meter sizes itself from.
struct RoundMeterMetrics {
    Size name1, name2; // in the control's font
    Size unit;         // in the unit font
    int labelWidth = 0, labelHeight = 0;
};

// The size the dial asks for. bevelOuter / bevelInner are the bevel sizes of one side and
// count only with their options; currentWidth is used when autoSize is off.
Size roundMeterSize(const RoundMeterMetrics& m, RoundMeterOptions options, bool autoSize,
                    int currentWidth, int bevelOuter, int bevelInner, float heightRatio);

// What a meter's face is laid out from: the measured texts and the scale's labels.
struct MeterMeasures {
    RoundMeterMetrics metrics;
    ScaleLabels labels;
};

// Where the parts of a meter lie in a rectangle.
struct MeterLayout {
    MeterMeasures measures;
    Rect outer; // the outer bevel's rectangle (the whole one)
    Point name1At, name2At;
    Rect inner; // the inner bevel's rectangle
    // No room for a dial inside the bevels: only they and the names are drawn.
    bool tooSmall = false;
    Rect dial;         // the area inside the bevels
    ScaleLayout scale; // ticks, labels and the square the pointer turns in
    // The pointer's area: the scale's square, reaching the inner bevel's spacing below the
    // dial.
    Rect pointerRect;
    Rect sectorRect; // the sector band's ellipse
    Point unitAt;
};

// Measures on `canvas` (which keeps the last font).
MeterMeasures measureMeter(const RoundMeterModel& model, Canvas& canvas);
MeterLayout layoutMeter(const RoundMeterModel& model, const MeterMeasures& measures,
                        const Rect& rect);
// The dial: bevels, names, scale, sector band and unit.
void paintDial(Canvas& canvas, const RoundMeterModel& model, const MeterLayout& l);
// How the pointer stands for the model's value, flashing in `flashColor` while it flashes.
PointerPose pointerPose(const RoundMeterModel& model, ColorValue flashColor);
// The whole meter with its pointer into `rect`.
void paintMeter(Canvas& canvas, const Rect& rect, const RoundMeterModel& model,
                ColorValue flashColor);

} // namespace kv
