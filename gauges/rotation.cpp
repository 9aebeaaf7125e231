#include "gauges/rotation.h"

#include <cmath>
#include <limits>

namespace kv {

int roundEven(double v) {
    if (!std::isfinite(v))
        return 0;
    const double r = std::nearbyint(v);
    // Degenerate inputs (a tiny dial, an absurd text size) must not overflow the conversion.
    if (r >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(r);
}

Point rotatePoint(Point p, Point centre, double angleDeg) {
    const float rad = float(angleDeg * M_PI / 180.0);
    const double c = std::cos(double(rad));
    const double s = std::sin(double(rad));
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    return {centre.x + roundEven(dx * c - dy * s), centre.y + roundEven(dy * c + dx * s)};
}

} // namespace kv
