#include "chart/column_reducer.h"

#include <cstdlib>

namespace kv {

namespace {

// Vertical runs from a column's first to its last point longer than this lie inside the
// column's span anyway: a polyline starting anew on the last point spares drawing them
// twice.
constexpr int kLongRun = 12;

bool inPixelRange(int p) {
    return p >= -ColumnReducer::kPixelLimit && p <= ColumnReducer::kPixelLimit;
}

} // namespace

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
        closeColumn(false, {});
    openColumn(Column{x, y, y, y, y}, Left::No);
    pointColumn_ = true;
}

void ColumnReducer::addColumn(const Column& c) {
    if (columnOpen_)
        closeColumn(false, {});
    openColumn(c, Left::Ask);
    pointColumn_ = false;
}

void ColumnReducer::endLine(const RowLeftQuery& rowLeft) {
    if (!inLine_)
        return;
    if (columnOpen_)
        closeColumn(true, rowLeft);
    endPolyline();
    inLine_ = false;
}

void ColumnReducer::openColumn(const Column& c, Left left) {
    if (!inLine_) {
        startPolyline();
        inLine_ = true;
    }
    column_ = c;
    lowLeft_ = highLeft_ = left;
    columnOpen_ = true;
    visit(c.x, c.first);
}

void ColumnReducer::closeColumn(bool lineEnds, const RowLeftQuery& rowLeft) {
    const Column& c = column_;
    if (std::abs(c.last - c.first) > kLongRun)
        endPolyline();
    visit(c.x, c.last);
    columnOpen_ = false;
    if (!lineEnds || (c.last != c.low && c.last != c.high)) {
        fill(c.x, c.low, c.high);
        return;
    }
    if (c.low == c.high)
        return;
    // The line ends on an extreme row: that row belongs to it only if the points reached
    // it and moved away again (a later segment then started there).
    const Left known = c.last == c.high ? highLeft_ : lowLeft_;
    const bool left = known == Left::Yes || (known == Left::Ask && rowLeft && rowLeft(c.last));
    if (left)
        fill(c.x, c.low, c.high);
    else if (c.last == c.high)
        fill(c.x, c.low, c.high - 1);
    else
        fill(c.x, c.low + 1, c.high);
}

void ColumnReducer::visit(int x, int y) {
    const Vertex v{x, y};
    if (path_.size() > polylineBegin_ && path_.back() == v)
        return;
    path_.push_back(v);
}

void ColumnReducer::startPolyline() {
    polylineBegin_ = path_.size();
}

void ColumnReducer::endPolyline() {
    if (path_.size() - polylineBegin_ >= 2)
        polylines_.push_back({polylineBegin_, path_.size()});
    polylineBegin_ = path_.size();
}

void ColumnReducer::fill(int x, int top, int bottom) {
    if (top > bottom)
        return;
    if (!fills_.empty()) {
        Span& s = fills_.back();
        if (s.right == x && s.top == top && s.bottom == bottom + 1) {
            s.right = x + 1;
            return;
        }
    }
    fills_.push_back(Span{x, top, x + 1, bottom + 1});
}

} // namespace kv
