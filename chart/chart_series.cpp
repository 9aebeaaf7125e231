#include "chart/chart_series.h"

#include "chart/chart_axis.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Positions further out than this are not drawn (the line keeps its last position).
constexpr int kPixelLimit = 32766;

// Colours of the points of a series that colours each point on its own.
constexpr ColorValue kPointPalette[] = {clRed,     clGreen,  0x00FFFF, clBlue,   clWhite, clGray,
                                        clFuchsia, 0x008080, clNavy,   clMaroon, clLime,  clAqua,
                                        0x800080,  clSilver, 0x808000, clBlack};

// Vertical runs longer than this are left to the filled spans (see paintColumns).
constexpr int kLongRun = 12;

bool inPixelRange(int p) {
    return p >= -kPixelLimit && p <= kPixelLimit;
}

} // namespace

// ---------------------------------------------------------------------------------------
// ChartSeries

ChartSeries::ChartSeries() {
    xValues_.onChange = [this] { requestRepaint(); };
    yValues_.onChange = [this] { requestRepaint(); };
}

ChartSeries::~ChartSeries() = default;

int ChartSeries::appendPoint(double value, const std::string& label, ColorValue color) {
    const double count = double(xValues_.count());
    if (&mandatoryList() == &yValues_)
        return storePoint(count, value, label, color);
    return storePoint(value, count, label, color);
}

int ChartSeries::storePoint(double x, double y, const std::string& label, ColorValue color) {
    xValues_.setPendingValue(x);
    yValues_.setPendingValue(y);
    if (onBeforeAdd && !onBeforeAdd(*this))
        return -1;
    const int index = xValues_.insertSorted(xValues_.pendingValue());
    yValues_.insertAt(index, yValues_.pendingValue());
    colors_.insertAt(index, color);
    labels_.insertAt(index, label);
    pointAdded(index);
    return index;
}

void ChartSeries::pointAdded(int index) {
    if (onAfterAdd)
        onAfterAdd(*this, index);
    if (active_)
        requestRepaint();
}

void ChartSeries::clearStorage() {
    for (ValueList* list : valueLists())
        list->removeAll();
    colors_.clear();
    labels_.clear();
}

void ChartSeries::removeAllPoints() {
    clearStorage();
    if (onClearValues)
        onClearValues(*this);
    if (active_)
        requestRepaint();
}

ColorValue ChartSeries::pointColor(int index) const {
    if (index < 0 || index >= colors_.count())
        return seriesColor_;
    const ColorValue c = colors_.at(index);
    if (c != ColorDefault)
        return c;
    if (colorEachPoint_)
        return kPointPalette[std::size_t(index) % std::size(kPointPalette)];
    return seriesColor_;
}

std::string ChartSeries::pointLabel(int index) const {
    if (index < 0 || index >= labels_.count())
        return {};
    return labels_.at(index);
}

int ChartSeries::xPixel(int index) const {
    return horizontalAxis_ ? horizontalAxis_->valueToPixel(xAt(index)) : 0;
}

int ChartSeries::yPixel(int index) const {
    return verticalAxis_ ? verticalAxis_->valueToPixel(yAt(index)) : 0;
}

void ChartSeries::setSeriesColor(ColorValue v) {
    if (v == seriesColor_)
        return;
    seriesColor_ = v;
    requestRepaint();
}

void ChartSeries::setColorEachPoint(bool v) {
    if (v == colorEachPoint_)
        return;
    colorEachPoint_ = v;
    requestRepaint();
}

void ChartSeries::setActive(bool v) {
    if (v == active_)
        return;
    active_ = v;
    // Showing or hiding a series changes the chart either way.
    if (repaint_)
        repaint_();
}

void ChartSeries::setAxes(AxisBase* horizontal, AxisBase* vertical) {
    horizontalAxis_ = horizontal;
    verticalAxis_ = vertical;
}

void ChartSeries::requestRepaint() {
    if (active_ && repaint_)
        repaint_();
}

std::size_t ChartSeries::storageBytes() const {
    return xValues_.storageBytes() + yValues_.storageBytes() + colors_.storageBytes() +
           labels_.storageBytes();
}

void ChartSeries::beforeDraw() {
    if (beforeDrawValues)
        beforeDrawValues(*this);
}

void ChartSeries::afterDraw() {
    if (afterDrawValues)
        afterDrawValues(*this);
}

int ChartSeries::startEdgePixel() const {
    const bool inverted = horizontalAxis_ && horizontalAxis_->inverted();
    return inverted ? passRect_.right : passRect_.left;
}

void ChartSeries::computeVisibleRange() {
    const int n = pointCount();
    firstVisible_ = lastVisible_ = -1;
    if (n == 0)
        return;
    if (xValues_.order() == ValueListOrder::loNone || !horizontalAxis_) {
        firstVisible_ = 0;
        lastVisible_ = n - 1;
        return;
    }
    const bool inverted = horizontalAxis_->inverted();
    const double fromValue =
        horizontalAxis_->pixelToValue(inverted ? passRect_.right : passRect_.left);
    const double toValue =
        horizontalAxis_->pixelToValue(inverted ? passRect_.left : passRect_.right);

    // First index whose X is not less than v; X read back in index order only
    // ascends when the list ascends and the multiplier is not negative.
    const bool ascending = xValues_.order() == ValueListOrder::loAscending &&
                           xValues_.multiplier() >= 0 && !xValues_.hasNaN();
    auto firstNotLess = [&](double v) -> int {
        if (ascending) {
            int lo = 0, hi = n;
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (xAt(mid) < v)
                    lo = mid + 1;
                else
                    hi = mid;
            }
            return lo < n ? lo : -1;
        }
        for (int i = 0; i < n; ++i)
            if (!(xAt(i) < v))
                return i;
        return -1;
    };

    const int first = firstNotLess(fromValue);
    if (first < 0)
        return;
    int last = n - 1;
    if (xAt(n - 1) > toValue)
        last = firstNotLess(toValue);
    if (last < first)
        return;
    firstVisible_ = first;
    lastVisible_ = last;
}

void ChartSeries::paintAllPoints(Canvas& c, const Rect& plotRect) {
    passRect_ = plotRect;
    computeVisibleRange();
    beforeDraw();
    if (firstVisible_ >= 0) {
        c.saveClip();
        // Inside the back wall's frame only.
        c.intersectClip(Rect{clampToInt(plotRect.left + 1LL), clampToInt(plotRect.top + 1LL),
                             plotRect.right, clampToInt(plotRect.bottom - 1LL)});
        paintRange(c, firstVisible_, lastVisible_);
        c.restoreClip();
    }
    afterDraw();
}

void ChartSeries::paintRange(Canvas& c, int first, int last) {
    if (drawsForward()) {
        for (int i = first; i <= last; ++i)
            paintPoint(c, i);
    } else {
        for (int i = last; i >= first; --i)
            paintPoint(c, i);
    }
}

void ChartSeries::paintPoint(Canvas&, int) {}

// ---------------------------------------------------------------------------------------
// CustomSeries

CustomSeries::CustomSeries() {
    auto repaint = [this](SettingsObject&) { settingChanged(); };
    linePen_.onChange = repaint;
    pointer_.onChange = repaint;
}

void CustomSeries::settingChanged() {
    requestRepaint();
}

void CustomSeries::setDrawLine(bool v) {
    if (v == drawLine_)
        return;
    drawLine_ = v;
    settingChanged();
}

void CustomSeries::setDrawArea(bool v) {
    if (v == drawArea_)
        return;
    drawArea_ = v;
    settingChanged();
}

void CustomSeries::setStairs(bool v) {
    if (v == stairs_)
        return;
    stairs_ = v;
    settingChanged();
}

void CustomSeries::setInvertedStairs(bool v) {
    if (v == invertedStairs_)
        return;
    invertedStairs_ = v;
    settingChanged();
}

void CustomSeries::setLineHeight(int v) {
    if (v == lineHeight_)
        return;
    lineHeight_ = v;
    settingChanged();
}

void CustomSeries::setDark3D(bool v) {
    if (v == dark3D_)
        return;
    dark3D_ = v;
    settingChanged();
}

void CustomSeries::setAreaColor(ColorValue v) {
    if (v == areaColor_)
        return;
    areaColor_ = v;
    settingChanged();
}

SeriesMargins CustomSeries::horizontalMargins() const {
    if (pointer_.visible() && pointer_.inflateMargins())
        return {pointer_.horizSize() + 1, pointer_.horizSize() + 1};
    return {};
}

SeriesMargins CustomSeries::verticalMargins() const {
    SeriesMargins m;
    if (pointer_.visible() && pointer_.inflateMargins())
        m = {pointer_.vertSize() + 1, pointer_.vertSize() + 1};
    if (lineHeight_ > 0)
        m.before = std::max(m.before, lineHeight_);
    return m;
}

std::size_t CustomSeries::storageBytes() const {
    return ChartSeries::storageBytes() + columnPath_.capacity() * sizeof(Point) +
           columnFills_.capacity() * sizeof(Rect);
}

void CustomSeries::clearStorage() {
    ChartSeries::clearStorage();
    // The column buffers grow with the series; an emptied series gives them back.
    std::vector<Point>().swap(columnPath_);
    std::vector<Rect>().swap(columnFills_);
}

void CustomSeries::paintAllPoints(Canvas& c, const Rect& plotRect) {
    previousPlaced_ = false;
    lastPassFast_ = false;
    ChartSeries::paintAllPoints(c, plotRect);
}

void CustomSeries::paintRange(Canvas& c, int first, int last) {
    if (fastDrawing_ && paintColumns(c, first, last)) {
        lastPassFast_ = true;
        return;
    }
    ChartSeries::paintRange(c, first, last);
}

// Where the line enters the plot when points lie before the visible range: on the start
// edge, at the Y value interpolated between the last hidden and the first visible point.
// Held within the drawable pixel range, so that a far-off neighbour never asks the canvas
// for a line of billions of pixels.
static Point edgeEntry(const ChartSeries& s, int index, int edgeX) {
    const double x0 = s.xAt(index - 1), x1 = s.xAt(index);
    const double y0 = s.yAt(index - 1), y1 = s.yAt(index);
    double y = y0;
    if (x1 != x0) {
        const double edgeValue = s.horizontalAxis()->pixelToValue(edgeX);
        y = y0 + (y1 - y0) * (edgeValue - x0) / (x1 - x0);
    }
    const int py = s.verticalAxis() ? s.verticalAxis()->valueToPixel(y) : 0;
    return Point{edgeX, std::clamp(py, -kPixelLimit, kPixelLimit)};
}

void CustomSeries::paintPoint(Canvas& c, int index) {
    const ColorValue color = pointColor(index);
    const int x = xPixel(index);
    const int y = yPixel(index);
    if (inPixelRange(x) && inPixelRange(y)) {
        if (previousColor_ == clNone) {
            previousX_ = x;
            previousY_ = y;
            previousPlaced_ = true;
        }
        if (index == firstVisible_) {
            if (index > 0 && horizontalAxis()) {
                const Point edge = edgeEntry(*this, index, startEdgePixel());
                previousX_ = edge.x;
                previousY_ = edge.y;
                previousPlaced_ = true;
                if (pointColor(index - 1) != clNone)
                    drawSegment(c, x, y, color);
            }
        } else if (previousPlaced_) {
            drawSegment(c, x, y, color);
        }
        previousX_ = x;
        previousY_ = y;
        previousPlaced_ = true;
    }
    previousColor_ = color;
}

void CustomSeries::drawSegment(Canvas& c, int x, int y, ColorValue color) {
    // With the line switched off the points still move the line state, so switching it
    // back on draws the same line.
    if (!drawLine_ || (x == previousX_ && y == previousY_) || color == clNone)
        return;
    linePen_.applyTo(c, false);
    c.setBrushStyle(BrushStyle::bsClear);
    c.setPenColor(color);
    c.moveTo(previousX_, previousY_);
    c.lineTo(x, y);
}

// Draws first..last column by column when that gives the same pixels as drawing point by
// point; returns false, having drawn nothing, when it does not apply.
//
// Within one pixel column the point-by-point line is a chain of vertical segments, each
// without its end pixel. Together they cover every row from the column's lowest to its
// highest point, except the row of the column's last point when that row is an extreme
// reached only at the very end. The segment to the next column starts on that last point
// and covers it anyway, so only the last column needs the exact answer. Segments between
// columns join the same end points as before and so keep their pixels. A column holding
// a single point has no rows of its own, but the segment leaving it covers its pixel.
bool CustomSeries::paintColumns(Canvas& c, int first, int last) {
    AxisBase* hAxis = horizontalAxis();
    AxisBase* vAxis = verticalAxis();
    if (!hAxis || !vAxis || !drawLine_ || !drawsForward() || !linePen_.visible() ||
        linePen_.effectiveStyle() != PenStyle::psSolid || linePen_.width() > 1 ||
        c.penMode() != PenMode::pmCopy)
        return false;

    // One colour for every point drawn and for the one the line enters from.
    ColorValue stored = 0;
    if (!colors_.uniform(std::max(0, first - 1), last, stored))
        return false;
    if (stored == ColorDefault && colorEachPoint())
        return false;
    const ColorValue color = pointColor(first);
    if (color == clNone)
        return false;

    // Pixels must follow the values monotonically: non-decreasing X pixels along the
    // points, and Y pixels whose column extremes come from the value extremes.
    const ValueList& xs = xValues_;
    const ValueList& ys = yValues_;
    if (xs.order() != ValueListOrder::loAscending || xs.hasNaN() || ys.hasNaN() ||
        !(xs.multiplier() >= 0) || !std::isfinite(xs.multiplier()) ||
        !std::isfinite(ys.multiplier()) || hAxis->inverted() || hAxis->scaleSpan() < 0 ||
        hAxis->axisLength() < 0)
        return false;
    auto usable = [](const AxisBase* axis, double v) {
        return (axis->scaleSpan() == 0 || axis->mapsLinearly(v)) &&
               inPixelRange(axis->valueToPixel(v));
    };
    if (!usable(hAxis, xAt(first)) || !usable(hAxis, xAt(last)))
        return false;
    const MinMaxIndex::Extremes all = ys.storedExtremes(first, last);
    if (!usable(vAxis, ys.scaled(all.min)) || !usable(vAxis, ys.scaled(all.max)))
        return false;

    auto xp = [&](int i) { return hAxis->valueToPixel(xAt(i)); };
    auto ypOf = [&](double stored) { return vAxis->valueToPixel(ys.scaled(stored)); };
    auto yp = [&](int i) { return ypOf(ys.storedAt(i)); };

    // The line is drawn as one polyline through the first and last point of every column
    // (the segments between columns, and vertical runs inside the columns' spans), plus
    // one filled run per column for the rows between its lowest and highest point.
    std::vector<Point>& path = columnPath_;
    std::vector<Rect>& fills = columnFills_;
    std::vector<std::size_t> pieceStarts; // where the polyline is broken
    path.clear();
    fills.clear();
    auto visit = [&path](int x, int y) {
        if (path.empty() || path.back().x != x || path.back().y != y)
            path.push_back({x, y});
    };
    auto fill = [&fills](int x, int top, int bottom) {
        if (top > bottom)
            return;
        if (!fills.empty()) {
            Rect& r = fills.back();
            if (r.right == x && r.top == top && r.bottom == bottom + 1) {
                r.right = x + 1;
                return;
            }
        }
        fills.push_back(Rect{x, top, x + 1, bottom + 1});
    };

    if (first > 0)
        path.push_back(edgeEntry(*this, first, startEdgePixel()));

    for (int a = first; a <= last;) {
        const int column = xp(a);
        // Last index of this column: gallop, then halve.
        int lo = a, step = 1;
        int hi = a + step;
        while (hi <= last && xp(hi) == column) {
            lo = hi;
            step *= 2;
            hi = a + step;
        }
        hi = std::min(hi, last + 1);
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (xp(mid) == column)
                lo = mid;
            else
                hi = mid;
        }
        const int b = lo;

        const int f = yp(a);
        const int l = yp(b);
        int low = f, high = f;
        if (b > a) {
            const MinMaxIndex::Extremes e = ys.storedExtremes(a, b);
            const int p1 = ypOf(e.min), p2 = ypOf(e.max);
            low = std::min(p1, p2);
            high = std::max(p1, p2);
        }
        visit(column, f);
        // A long run from the first to the last point is already inside the filled
        // span; starting a new polyline on the last point spares drawing it twice.
        if (std::abs(l - f) > kLongRun)
            pieceStarts.push_back(path.size());
        visit(column, l);
        if (b != last || (l != low && l != high)) {
            fill(column, low, high);
        } else if (low != high) {
            // The last column ends on an extreme: that row belongs to the line only if the
            // points reached it and moved away again.
            const int reached = ys.findFirstStored(
                a, b, [&](double mn, double mx) { return ypOf(mn) == l || ypOf(mx) == l; });
            bool left = false;
            if (reached >= 0 && reached < b) {
                const MinMaxIndex::Extremes rest = ys.storedExtremes(reached + 1, b);
                left = ypOf(rest.min) != l || ypOf(rest.max) != l;
            }
            if (left)
                fill(column, low, high);
            else if (l == high)
                fill(column, low, high - 1);
            else
                fill(column, low + 1, high);
        }
        a = b + 1;
    }

    linePen_.applyTo(c, false);
    c.setBrushStyle(BrushStyle::bsClear);
    c.setPenColor(color);
    pieceStarts.push_back(path.size());
    std::vector<Point> piece;
    for (std::size_t k = 0, from = 0; k < pieceStarts.size(); from = pieceStarts[k++]) {
        const std::size_t to = pieceStarts[k];
        if (to - from < 2)
            continue;
        if (from == 0 && to == path.size()) {
            c.polyline(path);
        } else {
            piece.assign(path.begin() + std::ptrdiff_t(from), path.begin() + std::ptrdiff_t(to));
            c.polyline(piece);
        }
    }
    for (const Rect& r : fills)
        c.fillRect(r, color);
    previousX_ = xp(last);
    previousY_ = yp(last);
    previousColor_ = pointColor(last);
    previousPlaced_ = true;
    return true;
}

// ---------------------------------------------------------------------------------------
// LineSeries

LineSeries::LineSeries() {
    setDrawLine(true);
    pointer().setVisible(false);
}

} // namespace kv
