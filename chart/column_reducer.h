#pragma once

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <vector>

namespace kv {

// Turns a line drawn from point to point, each segment leaving out its end pixel, into
// what leaves the same pixels at a fraction of the cost when many points share a pixel
// column: polylines through the first and last point of every column, and one filled
// vertical span per column for the rows between its lowest and highest point.
//
// Why that is exact: within one column the point-by-point line is a chain of vertical
// segments, which together cover every row from the column's lowest to its highest point,
// except the row of its last point when that row is an extreme reached only at the very
// end. Where the line goes on, the segment to the next column starts on that last point
// and covers it anyway, so only the column a line ends in needs the exact answer.
// Segments between columns join the same points as before and so keep their pixels. A
// column holding a single point has no rows of its own; the segment leaving it covers it.
//
// The columns come in line order, either as points already mapped to pixels (consecutive
// points on one x form a column) or as columns already summarised, from a min/max index
// for instance. Nothing here knows about colours or a drawing surface.
class ColumnReducer {
public:
    struct Vertex {
        int x = 0;
        int y = 0;
        bool operator==(const Vertex& o) const { return x == o.x && y == o.y; }
    };
    // Columns left..right-1 and rows top..bottom-1, as a filled rectangle.
    struct Span {
        int left = 0, top = 0, right = 0, bottom = 0;
        bool operator==(const Span& o) const {
            return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
        }
    };
    // Vertices begin..end-1 of path(), drawn as one polyline.
    struct Polyline {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    // One run of consecutive points on pixel column x: the rows of its first and its last
    // point, and its smallest and largest row.
    struct Column {
        int x = 0;
        int first = 0;
        int last = 0;
        int low = 0;
        int high = 0;
    };
    // Asked when a line ends in a summarised column whose last point lies on the column's
    // lowest or highest row (and the two differ): did the column's points reach `row`
    // earlier and move off it again?
    using RowLeftQuery = std::function<bool(int row)>;

    // Points further out than this either way are passed over, as the point-by-point
    // drawing passes them over: they neither end nor start a segment.
    static constexpr int kPixelLimit = 32766;
    static constexpr bool inPixelRange(int p) { return p >= -kPixelLimit && p <= kPixelLimit; }

    // Forgets every line (the buffers are kept for the next use).
    void clear();
    // Starts a new line from (x, y), a position outside every column: the line's first
    // point is joined to it. A line in progress ends as with endLine().
    void enterFrom(int x, int y);
    // The next point of the line, in pixels.
    void addPoint(int x, int y);
    // The next column of the line. It is never merged with the column before it, even on
    // the same x. Its rows must lie within the pixel limits.
    void addColumn(const Column& c);
    // Ends the line (the last point, or a null point that breaks it); the next point
    // starts a new one. Without a query, a summarised last column counts as reaching an
    // extreme row only at its end.
    void endLine(const RowLeftQuery& rowLeft = {});

    // The result, complete once the last line has ended: every polyline has at least two
    // vertices, and adjacent columns with equal spans share one.
    const std::vector<Vertex>& path() const { return path_; }
    const std::vector<Polyline>& polylines() const { return polylines_; }
    const std::vector<Span>& fills() const { return fills_; }

    // Heap bytes held by the buffers.
    std::size_t storageBytes() const;

private:
    // Whether the points reached an extreme row and moved off it again, where known.
    enum class Left { No, Yes, Ask };

    // Vertical runs from a column's first to its last point longer than this lie inside
    // the column's span anyway: a polyline starting anew on the last point spares
    // drawing them twice.
    static constexpr int kLongRun = 12;

    // The steps taken for every column are inline: a pass makes them for each of
    // hundreds of columns.
    void openColumn(const Column& c, Left left);
    void closeColumn(bool lineEnds, const RowLeftQuery* rowLeft);
    void fillLastColumn(const RowLeftQuery* rowLeft);
    void visit(int x, int y);
    void startPolyline() { polylineBegin_ = path_.size(); }
    void endPolyline();
    void fill(int x, int top, int bottom);

    std::vector<Vertex> path_;
    std::vector<Polyline> polylines_;
    std::vector<Span> fills_;
    std::size_t polylineBegin_ = 0;
    bool inLine_ = false;
    bool columnOpen_ = false;
    bool pointColumn_ = false; // the open column is being built from points
    Column column_;
    Left lowLeft_ = Left::No;
    Left highLeft_ = Left::No;
};

inline void ColumnReducer::addColumn(const Column& c) {
    if (columnOpen_)
        closeColumn(false, nullptr);
    openColumn(c, Left::Ask);
    pointColumn_ = false;
}

inline void ColumnReducer::openColumn(const Column& c, Left left) {
    if (!inLine_) {
        startPolyline();
        inLine_ = true;
    }
    column_ = c;
    lowLeft_ = highLeft_ = left;
    columnOpen_ = true;
    visit(c.x, c.first);
}

inline void ColumnReducer::closeColumn(bool lineEnds, const RowLeftQuery* rowLeft) {
    const Column& c = column_;
    if (std::abs(c.last - c.first) > kLongRun)
        endPolyline();
    visit(c.x, c.last);
    columnOpen_ = false;
    if (!lineEnds || (c.last != c.low && c.last != c.high))
        fill(c.x, c.low, c.high);
    else
        fillLastColumn(rowLeft);
}

inline void ColumnReducer::visit(int x, int y) {
    if (path_.size() > polylineBegin_ && path_.back().x == x && path_.back().y == y)
        return;
    path_.push_back({x, y});
}

inline void ColumnReducer::fill(int x, int top, int bottom) {
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
