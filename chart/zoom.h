#pragma once

#include "canvas/canvas.h"

namespace kv {

// Which axes a right-button drag moves.
enum class PanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

// A drag must exceed this many pixels both ways before it zooms or restores.
constexpr int kZoomDragThreshold = 16;
// No axis range is ever set narrower than this.
constexpr double kMinimumAxisRange = 1e-10;
// Each animated zoom step covers this fraction (1 / factor) of the remaining way.
constexpr double kAnimatedZoomFactor = 3.0;
// One wheel step moves the vertical axes by this fraction of their width.
constexpr double kWheelStepFraction = 3 * 0.01;
// The hit band of an axis reaches this far beyond its axis line into the plot.
constexpr int kAxisHitBand = 3;

// Press point and last point of a mouse drag, in pixels.
struct DragState {
    bool active = false;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    void start(int x, int y) {
        active = true;
        x0 = x1 = x;
        y0 = y1 = y;
    }
    void moveTo(int x, int y) {
        x1 = x;
        y1 = y;
    }
    bool isAt(int x, int y) const { return x == x1 && y == y1; }
};

// Swaps coordinates so that x0 <= x1 and y0 <= y1.
void orderPoints(DragState& d);

// The rectangle outlined while zooming, from the smaller to the larger corner (empty
// until the pointer has moved both ways).
Rect zoomFrame(const DragState& d);

enum class ZoomAction { zaNone, zaZoom, zaRestore };

// What releasing a zoom drag does: nothing up to the threshold, a zoom towards the lower
// right, a restore in every other direction.
ZoomAction zoomActionFor(const DragState& d);

struct AxisRange {
    double minimum = 0;
    double maximum = 0;
    bool operator==(const AxisRange& o) const {
        return minimum == o.minimum && maximum == o.maximum;
    }
};

// The range from the smaller to the larger of a and b, widened to kMinimumAxisRange.
AxisRange fixedRange(double a, double b);

// One step of an animated zoom from `current` towards `target`.
AxisRange animatedZoomStep(const AxisRange& current, const AxisRange& target);

// The range after `steps` wheel steps; positive steps are steps down and move the range up.
AxisRange wheelShifted(const AxisRange& r, int steps);

} // namespace kv
