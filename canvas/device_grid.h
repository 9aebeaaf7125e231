#pragma once

#include "canvas/geometry.h"

#include <QPointF>
#include <QRectF>
#include <QTransform>

namespace kv {

// Where the controls' logical pixels land on the pixels of the device they are drawn for:
// device = logical * ratio + shift. A screen at 200 % has the ratio 2. The shift, below
// half a device pixel, belongs to bitmaps that cover part of another surface: a logical
// edge that falls between device pixels there (odd edges at 150 %) falls between them in
// the bitmap too, so what is drawn into the bitmap lines up with what is drawn around it.
//
// Rectangles the controls fill are laid onto whole device pixels: each edge moves to the
// nearest device pixel edge, so two rectangles sharing an edge share it on the device too
// and a fill is sharp at any ratio.
class DeviceGrid {
public:
    DeviceGrid() = default;
    explicit DeviceGrid(double ratio, QPointF shift = {});

    double ratio() const { return ratio_; }
    QPointF shift() const { return shift_; }
    // One device pixel per logical pixel, no shift: the controls' own pixel conventions hold.
    bool isUnit() const { return ratio_ == 1.0 && shift_.isNull(); }

    // The device pixel edge nearest to a logical edge, held to the int range.
    int edgeX(long long x) const;
    int edgeY(long long y) const;
    // r on the device: each edge at the device pixel edge nearest to it.
    Rect toDevice(const Rect& r) const;
    // The logical rectangle whose edges lie on toDevice(r)'s: filled through transform(),
    // it covers exactly the device pixels of toDevice(r).
    QRectF snapped(const Rect& r) const;
    // A device rectangle in logical coordinates (the inverse mapping, not rounded).
    QRectF toLogical(const Rect& device) const;
    // Logical to device coordinates.
    QTransform transform() const;

    // The grid of a bitmap covering `area` of a surface with this grid: its device pixels
    // are those of toDevice(area), its logical origin is area's top-left corner.
    DeviceGrid forArea(const Rect& area) const;
    // The device size of a surface of the given logical size with this grid.
    Size deviceSize(Size logical) const;

private:
    double ratio_ = 1.0;
    QPointF shift_;
};

} // namespace kv
