#pragma once

#include "canvas/canvas.h"
#include "canvas/clip_record.h"

#include <QPolygon>
#include <QRect>
#include <QRgb>
#include <vector>

namespace kv {

// A dotted one-pixel pen: three pixels on, three off, the pattern running on along a
// polyline and starting afresh with every new line.
constexpr int kDotOn = 3;
constexpr int kDotPeriod = 6;

// A one-pixel path: each segment from its start pixel up to, not including, its end pixel,
// so that every pixel of a polyline is drawn exactly once; a closed path runs back to its
// first point.
struct ThinPath {
    const std::vector<Point>& points;
    bool closed = false;
    bool dotted = false;
};

// A 32-bit image's pixels, written without a painter.
struct PixelBuffer {
    uchar* bits = nullptr;
    qsizetype bytesPerLine = 0;
};

// Writes the pixels of `path` that lie inside `clip` straight into `target`: `rgb` in copy
// mode, or (notXor) the inverse of rgb XOR the pixel, which drawn twice restores it.
void writeThinPath(const ThinPath& path, const ClipRecord& clip, PixelBuffer target, QRgb rgb,
                   bool notXor);

// The pixels of `path` within `window`, for a painter to draw under its own clipping.
QPolygon thinPathPixels(const ThinPath& path, const QRect& window);

} // namespace kv
