#include "canvas/device_grid.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

int nearestEdge(long long v, double ratio, double shift) {
    const double d = std::floor(double(v) * ratio + shift + 0.5);
    return int(std::clamp(d, double(INT_MIN), double(INT_MAX)));
}

} // namespace

DeviceGrid::DeviceGrid(double ratio, QPointF shift)
    : ratio_(ratio > 0 && std::isfinite(ratio) ? ratio : 1.0), shift_(shift) {}

int DeviceGrid::edgeX(long long x) const {
    return nearestEdge(x, ratio_, shift_.x());
}

int DeviceGrid::edgeY(long long y) const {
    return nearestEdge(y, ratio_, shift_.y());
}

Rect DeviceGrid::toDevice(const Rect& r) const {
    return Rect{edgeX(r.left), edgeY(r.top), edgeX(r.right), edgeY(r.bottom)};
}

QRectF DeviceGrid::toLogical(const Rect& d) const {
    const double l = (d.left - shift_.x()) / ratio_;
    const double t = (d.top - shift_.y()) / ratio_;
    return QRectF(l, t, (double(d.right) - d.left) / ratio_, (double(d.bottom) - d.top) / ratio_);
}

QRectF DeviceGrid::snapped(const Rect& r) const {
    return toLogical(toDevice(r));
}

QTransform DeviceGrid::transform() const {
    return QTransform(ratio_, 0, 0, ratio_, shift_.x(), shift_.y());
}

DeviceGrid DeviceGrid::forArea(const Rect& area) const {
    const Rect d = toDevice(area);
    return DeviceGrid(ratio_, QPointF(area.left * ratio_ + shift_.x() - d.left,
                                      area.top * ratio_ + shift_.y() - d.top));
}

Size DeviceGrid::deviceSize(Size logical) const {
    return Size{std::max(0, edgeX(logical.width) - edgeX(0)),
                std::max(0, edgeY(logical.height) - edgeY(0))};
}

} // namespace kv
