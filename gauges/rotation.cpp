#include "gauges/rotation.h"

#include "core/rounding.h"

#include <cmath>

namespace kv {

Point rotatePoint(Point p, Point centre, double angleDeg) {
    const float rad = float(angleDeg * M_PI / 180.0);
    const double c = std::cos(double(rad));
    const double s = std::sin(double(rad));
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    // Held to the int range: a point far from a centre near the end of the range would
    // otherwise turn beyond it.
    return {clampToInt(static_cast<long long>(centre.x) + roundToInt(dx * c - dy * s)),
            clampToInt(static_cast<long long>(centre.y) + roundToInt(dy * c + dx * s))};
}

} // namespace kv
