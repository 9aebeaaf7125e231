#include "chart/column_reducer.h"

namespace kv {

void ColumnReducer::clear() {
    path_.clear();
    polylines_.clear();
    fills_.clear();
    polylineBegin_ = 0;
    inLine_ = false;
    columnOpen_ = false;
}

std::size_t ColumnReducer::storageBytes() const {
    return path_.capacity() * sizeof(Vertex) + polylines_.capacity() * sizeof(Polyline) +
           fills_.capacity() * sizeof(Span);
}

void ColumnReducer::enterFrom(int x, int y) {
    endLine();
    startPolyline();
    path_.push_back({x, y});
    inLine_ = true;
}

void ColumnReducer::addPoint(int x, int y) {
    if (!inPixelRange(x) || !inPixelRange(y))
        return;
    if (columnOpen_ && pointColumn_ && column_.x == x) {
        Column& c = column_;
        // The extremes themselves were reached by earlier points, so any other row moves
        // off them.
        if (y < c.low) {
            c.low = y;
            lowLeft_ = Left::No;
        } else if (y != c.low) {
            lowLeft_ = Left::Yes;
        }
        if (y > c.high) {
            c.high = y;
            highLeft_ = Left::No;
        } else if (y != c.high) {
            highLeft_ = Left::Yes;
        }
        c.last = y;
        return;
    }
    if (columnOpen_)
        closeColumn(false, nullptr);
    openColumn(Column{x, y, y, y, y}, Left::No);
    pointColumn_ = true;
}

void ColumnReducer::endLine(const RowLeftQuery& rowLeft) {
    if (!inLine_)
        return;
    if (columnOpen_)
        closeColumn(true, &rowLeft);
    endPolyline();
    inLine_ = false;
}

// The line ends in this column, on its lowest or highest row: that row belongs to the line
// only if the points reached it and moved away again (a later segment then started there).
void ColumnReducer::fillLastColumn(const RowLeftQuery* rowLeft) {
    const Column& c = column_;
    if (c.low == c.high)
        return;
    const Left known = c.last == c.high ? highLeft_ : lowLeft_;
    const bool left =
        known == Left::Yes || (known == Left::Ask && rowLeft && *rowLeft && (*rowLeft)(c.last));
    if (left)
        fill(c.x, c.low, c.high);
    else if (c.last == c.high)
        fill(c.x, c.low, c.high - 1);
    else
        fill(c.x, c.low + 1, c.high);
}

void ColumnReducer::endPolyline() {
    if (path_.size() - polylineBegin_ >= 2)
        polylines_.push_back({polylineBegin_, path_.size()});
    polylineBegin_ = path_.size();
}

} // namespace kv
