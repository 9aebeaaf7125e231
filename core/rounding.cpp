#include "core/rounding.h"

#include <climits>
#include <cmath>

namespace kv {

int roundToInt(double x) {
    if (std::isnan(x))
        return 0;
    const double r = std::nearbyint(x); // the default rounding mode: ties to even
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return int(r);
}

} // namespace kv
