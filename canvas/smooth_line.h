#pragma once

#include "canvas/line_raster.h"

#include <QPointF>
#include <QRect>
#include <QRgb>

namespace kv {

// A straight stroke on the device: a band of `width` device pixels centred on from -> to.
// A square end reaches half the width past its point, a flat one stops there.
struct SmoothLine {
    QPointF from;
    QPointF to;
    double width = 1.0;
    bool squareStart = true;
    bool squareEnd = true;
};

// Writes `line` in the opaque colour `rgb` into a 32-bit image (RGB32 or premultiplied
// ARGB32), blending each pixel inside `clip` by the share of it the band covers. Across the
// band the share is exact; near an end it is the product of the shares across and along,
// which differs from the exact area only at the band's corners. A line of no length draws
// nothing.
void writeSmoothLine(const SmoothLine& line, const QRect& clip, PixelBuffer target, QRgb rgb);

// Writes a disc of `radius` device pixels around `centre` in the opaque colour `rgb`, as a
// wide pen's round end: each pixel inside `clip` but outside `skip` (the band the end
// belongs to, already covered) is blended by the share of it the disc covers, taken at
// 4 x 4 points in the pixel.
void writeDisc(QPointF centre, double radius, const QRect& clip, const QRect& skip,
               PixelBuffer target, QRgb rgb);

} // namespace kv
