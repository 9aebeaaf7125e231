#pragma once

#include "canvas/geometry.h"

#include <QImage>
#include <QRect>
#include <vector>

namespace kv {

class Canvas;

// The device pixels of an area of a canvas, kept as runs of equal rows: a plot's flat
// background with its grid lines takes a few dozen rows, and putting it back writes the
// area from rows that stay in the cache instead of reading a copy of the whole area.
class RowRuns {
public:
    RowRuns() = default;
    // Takes the pixels of `area` from a canvas that draws on a 32-bit image of its own;
    // empty for any other canvas, or where the area does not lie on the image whole.
    RowRuns(const Canvas& canvas, const Rect& area);

    bool empty() const { return lengths_.empty(); }
    // Writes the pixels back to the same device pixels, whatever the canvas's clip, onto a
    // canvas that maps the area there over an image of the same format that holds them.
    void put(Canvas& canvas) const;

private:
    Rect area_;
    QRect device_;
    QImage rows_; // the first row of each run
    std::vector<int> lengths_;
};

} // namespace kv
