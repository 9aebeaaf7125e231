#include "gauges/name_line.h"

namespace kv {

Point nameLineAtBottom(Rect& r, Size extent, int shift) {
    r.bottom = clampToInt(static_cast<long long>(r.bottom) - extent.height);
    return Point{clampToInt(r.left + (static_cast<long long>(r.width()) - extent.width) / 2),
                 clampToInt(static_cast<long long>(r.bottom) + shift)};
}

} // namespace kv
