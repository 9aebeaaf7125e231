#include "chart/zoom.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace kv {

void orderPoints(DragState& d) {
    if (d.x0 > d.x1)
        std::swap(d.x0, d.x1);
    if (d.y0 > d.y1)
        std::swap(d.y0, d.y1);
}

Rect zoomFrame(const DragState& d) {
    // An ordinary rectangle between the two corners, whichever way the drag runs: its
    // outline stops one pixel short of the larger coordinates, as every rectangle does.
    return Rect{std::min(d.x0, d.x1), std::min(d.y0, d.y1), std::max(d.x0, d.x1),
                std::max(d.y0, d.y1)};
}

ZoomAction zoomActionFor(const DragState& d) {
    if (std::abs(d.x1 - d.x0) <= kZoomDragThreshold || std::abs(d.y1 - d.y0) <= kZoomDragThreshold)
        return ZoomAction::zaNone;
    if (d.x1 > d.x0 && d.y1 > d.y0)
        return ZoomAction::zaZoom;
    return ZoomAction::zaRestore;
}

AxisRange fixedRange(double a, double b) {
    AxisRange r{std::min(a, b), std::max(a, b)};
    if (r.maximum - r.minimum < kMinimumAxisRange)
        r.maximum = r.minimum + kMinimumAxisRange;
    return r;
}

AxisRange animatedZoomStep(const AxisRange& current, const AxisRange& target) {
    return AxisRange{current.minimum + (target.minimum - current.minimum) / kAnimatedZoomFactor,
                     current.maximum - (current.maximum - target.maximum) / kAnimatedZoomFactor};
}

AxisRange wheelShifted(const AxisRange& r, int steps) {
    AxisRange out = r;
    for (int i = 0; i < std::abs(steps); ++i) {
        const double d = (out.maximum - out.minimum) * kWheelStepFraction;
        const double sign = steps > 0 ? 1.0 : -1.0;
        out.minimum += sign * d;
        out.maximum += sign * d;
    }
    return out;
}

} // namespace kv
