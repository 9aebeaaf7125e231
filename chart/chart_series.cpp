#include "chart/chart_series.h"

#include "chart/chart_axis.h"
#include "core/first_where.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

// Colours of the points of a series that colours each point on its own.
constexpr ColorValue kPointPalette[] = {clRed,     clGreen,  0x00FFFF, clBlue,   clWhite, clGray,
                                        clFuchsia, 0x008080, clNavy,   clMaroon, clLime,  clAqua,
                                        0x800080,  clSilver, 0x808000, clBlack};

// Positions further out than this are not drawn (the line keeps its last position); the
// column reduction passes over the same points.
constexpr int kPixelLimit = ColumnReducer::kPixelLimit;

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
    // The samples' owner adds to them, not the series.
    if (samples_)
        return -1;
    xValues_.setPendingValue(x);
    yValues_.setPendingValue(y);
    if (onBeforeAdd && !onBeforeAdd(*this))
        return -1;
    const int index = xValues_.insertSorted(xValues_.pendingValue());
    yValues_.insertAt(index, yValues_.pendingValue());
    colors_.insertAt(index, color);
    labels_.insertAt(index, label);
    storeNotes(index, color);
    pointAdded(index);
    return index;
}

void ChartSeries::storeNotes(int index, ColorValue color) {
    const int before = pointCount() - 1; // points there were before this one
    const std::int64_t t = pendingTime_;
    pendingTime_ = kNoTime;
    if (t != kNoTime && times_.count() < before) {
        // The first timed point: the untimed ones before it are taken as read with it.
        while (times_.count() < before)
            times_.append(t);
    }
    if (times_.count() == before && (t != kNoTime || before > 0)) {
        // A timed series stays timed: an untimed point takes the time before it.
        const std::int64_t time =
            t != kNoTime ? t : times_.at(std::clamp(index - 1, 0, before - 1));
        if (index == before)
            times_.append(time);
        else
            times_.insertAt(index, time);
    }
    breaks_.insertAt(index, color == clNone, pendingReason_);
    pendingReason_ = BreakReason::brGap;
    if (index < before)
        units_.shiftFrom(index);
}

int ChartSeries::appendAt(double value, std::int64_t timeMs, ColorValue color) {
    pendingTime_ = timeMs;
    const int index = appendPoint(value, {}, color);
    pendingTime_ = kNoTime;
    return index;
}

int ChartSeries::appendBreak(BreakReason reason, std::int64_t timeMs) {
    const int n = pointCount();
    if (n == 0 || samples_)
        return -1;
    return appendBreakAt(mandatoryList().storedAt(n - 1), reason, timeMs);
}

int ChartSeries::appendBreakAt(double value, BreakReason reason, std::int64_t timeMs) {
    pendingTime_ = timeMs;
    pendingReason_ = reason;
    const int index = appendPoint(value, {}, clNone);
    pendingTime_ = kNoTime;
    pendingReason_ = BreakReason::brGap;
    return index;
}

void ChartSeries::setUnit(const std::string& unit) {
    if (unit == unit_)
        return;
    unit_ = unit;
    if (samples_)
        return;
    if (pointCount() > 0)
        appendBreak(BreakReason::brUnitChange);
    units_.startAt(pointCount(), unit_);
}

void ChartSeries::setXFromTimes(bool v) {
    if (v == xFromTimes_)
        return;
    xFromTimes_ = v;
    if (timed())
        requestRepaint();
}

int ChartSeries::drawnAtOrAfter(int index) const {
    if (samples_)
        return samples_->drawnAtOrAfter(index);
    const int n = pointCount();
    while (index >= 0 && index < n && breaks_.contains(index)) {
        ColorValue color = 0;
        const int end = colors_.runEnd(index, color);
        // A null run in the colours skips all of its points at once.
        index = color == clNone ? end + 1 : index + 1;
    }
    return index >= 0 && index < n ? index : -1;
}

int ChartSeries::drawnAtOrBefore(int index) const {
    if (samples_)
        return samples_->drawnAtOrBefore(index);
    const int n = pointCount();
    while (index >= 0 && index < n && breaks_.contains(index)) {
        ColorValue color = 0;
        colors_.runEnd(index, color);
        index = color == clNone ? colors_.runStart(index) - 1 : index - 1;
    }
    return index >= 0 && index < n ? index : -1;
}

int ChartSeries::firstAtOrAfterX(double x) const {
    const int n = pointCount();
    if (xIsTime()) {
        // Times are whole milliseconds.
        const double t = std::ceil(x);
        if (!(t > double(std::numeric_limits<std::int64_t>::min())))
            return 0;
        if (!(t < double(std::numeric_limits<std::int64_t>::max())))
            return n;
        return samples_ ? samples_->firstAtOrAfterTime(std::int64_t(t))
                        : times_.firstAtOrAfter(std::int64_t(t));
    }
    return firstWhere(0, n, [&](int i) { return !(xAt(i) < x); });
}

int ChartSeries::breaksIn(int first, int last) const {
    return samples_ ? samples_->breaksIn(first, last) : breaks_.countIn(first, last);
}

int ChartSeries::breaksIn(int first, int last, BreakReason reason) const {
    return samples_ ? samples_->breaksIn(first, last, reason)
                    : breaks_.countIn(first, last, reason);
}

MinMaxIndex::Extremes ChartSeries::storedYExtremes(int first, int last) const {
    return samples_ ? samples_->yExtremes(first, last) : yValues_.storedExtremes(first, last);
}

int ChartSeries::findFirstStoredY(int first, int last, const MinMaxIndex::BlockTest& test) const {
    return samples_ ? samples_->findFirstY(first, last, test)
                    : yValues_.findFirstStored(first, last, test);
}

double ChartSeries::maxX() const {
    if (xIsTime())
        return double(timeAt(pointCount() - 1));
    return samples_ ? samplesExtreme(xValues_, true) : xValues_.maximum();
}

double ChartSeries::minX() const {
    if (xIsTime())
        return double(timeAt(0));
    return samples_ ? samplesExtreme(xValues_, false) : xValues_.minimum();
}

double ChartSeries::maxY() const {
    return samples_ ? samplesExtreme(yValues_, true) : yValues_.maximum();
}

double ChartSeries::minY() const {
    return samples_ ? samplesExtreme(yValues_, false) : yValues_.minimum();
}

// An extreme of the samples drawn from elsewhere, through the list's multiplier as the own
// lists' statistics are read: of their indices for X, of their values for Y.
double ChartSeries::samplesExtreme(const ValueList& list, bool largest) const {
    const int n = pointCount();
    if (n == 0)
        return 0.0;
    const MinMaxIndex::Extremes e = &list == &yValues_ ? samples_->yExtremes(0, n - 1)
                                                       : MinMaxIndex::Extremes{0, double(n - 1)};
    if (e.empty())
        return 0.0;
    const double a = list.scaled(e.min), b = list.scaled(e.max);
    return largest ? std::max(a, b) : std::min(a, b);
}

void ChartSeries::setSamples(const SeriesSamples* samples, ColorValue color) {
    if (samples == samples_ && color == samplesColor_)
        return;
    const unsigned before = generation();
    clearStorage();
    if (samples)
        units_.clear(); // the samples name their own units
    samples_ = samples;
    samplesColor_ = color;
    // From here on indices name other points.
    generation_ = before + 1u - (samples ? samples->generation() : 0u);
    requestRepaint();
}

void ChartSeries::samplesChanged() {
    requestRepaint();
}

ColorValue ChartSeries::storedColor(int index) const {
    if (samples_)
        return samples_->isBreak(index) ? clNone : samplesColor_;
    return colors_.at(index);
}

int ChartSeries::colorRunEnd(int index, ColorValue& color) const {
    if (!samples_)
        return colors_.runEnd(index, color);
    if (index < 0 || index >= pointCount())
        return -1;
    color = storedColor(index);
    return samples_->runEnd(index);
}

bool ChartSeries::uniformColor(int first, int last, ColorValue& color) const {
    if (!samples_)
        return colors_.uniform(first, last, color);
    ColorValue c = 0;
    if (first < 0 || first > last || last >= pointCount() || colorRunEnd(first, c) < last)
        return false;
    color = c;
    return true;
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
    times_.clear();
    breaks_.clear();
    units_.clear();
    // The unit in force stays for the readings to come.
    if (!unit_.empty())
        units_.startAt(0, unit_);
    ++generation_;
}

void ChartSeries::removeAllPoints() {
    if (samples_)
        return;
    clearStorage();
    if (onClearValues)
        onClearValues(*this);
    if (active_)
        requestRepaint();
}

ColorValue ChartSeries::pointColor(int index) const {
    if (index < 0 || index >= pointCount())
        return seriesColor_;
    const ColorValue c = storedColor(index);
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

int ChartSeries::lastAtOrBeforeX(double x) const {
    const int n = pointCount();
    if (xIsTime()) {
        const double t = std::floor(x);
        if (!(t < double(std::numeric_limits<std::int64_t>::max())))
            return n - 1;
        if (!(t > double(std::numeric_limits<std::int64_t>::min())))
            return -1;
        return (samples_ ? samples_->firstAtOrAfterTime(std::int64_t(t) + 1)
                         : times_.firstAtOrAfter(std::int64_t(t) + 1)) -
               1;
    }
    return firstWhere(0, n, [&](int i) { return xAt(i) > x; }) - 1;
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
           labels_.storageBytes() + times_.storageBytes() + breaks_.storageBytes() +
           units_.storageBytes();
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
    const bool ascending =
        xValues_.order() == ValueListOrder::loAscending && xValues_.multiplier() >= 0 && !xHasNaN();
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

Rect seriesArea(const Rect& plot) {
    return Rect{clampToInt(plot.left + 1LL), clampToInt(plot.top + 1LL), plot.right, plot.bottom};
}

void ChartSeries::paintAllPoints(Canvas& c, const Rect& plotRect) {
    passRect_ = plotRect;
    computeVisibleRange();
    beforeDraw();
    if (firstVisible_ >= 0) {
        c.saveClip();
        c.intersectClip(seriesArea(plotRect));
        paintRange(c, firstVisible_, lastVisible_);
        c.restoreClip();
    }
    afterDraw();
}

int ChartSeries::insetRow(int y) const {
    if (y == passRect_.top)
        return clampToInt(y + 1LL);
    if (y == passRect_.bottom)
        return clampToInt(y - 1LL);
    return y;
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
    return ChartSeries::storageBytes() + columns_.storageBytes() +
           polyline_.capacity() * sizeof(Point);
}

void CustomSeries::clearStorage() {
    ChartSeries::clearStorage();
    // The column buffers grow with the series; an emptied series gives them back.
    columns_ = ColumnReducer();
    std::vector<Point>().swap(polyline_);
}

void CustomSeries::paintAllPoints(Canvas& c, const Rect& plotRect) {
    previousPlaced_ = false;
    lastPassFast_ = false;
    ChartSeries::paintAllPoints(c, plotRect);
}

void CustomSeries::paintRange(Canvas& c, int first, int last) {
    if (fastDrawing_ && paintPiecesColumnWise(c, first, last)) {
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
    const int py = s.verticalAxis() ? s.drawnRow(s.verticalAxis()->valueToPixel(y)) : 0;
    return Point{edgeX, std::clamp(py, -kPixelLimit, kPixelLimit)};
}

void CustomSeries::paintPoint(Canvas& c, int index) {
    const ColorValue color = pointColor(index);
    const int x = xPixel(index);
    const int y = insetRow(yPixel(index));
    if (ColumnReducer::inPixelRange(x) && ColumnReducer::inPixelRange(y)) {
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

// A line broken by null points (where the meter fell silent or showed OL) goes piece by
// piece: each piece between the breaks column by column, the null points themselves point
// by point, where they draw nothing and leave the line broken, as drawing every point would.
// A single break must not send a month of readings down the point-by-point road on every
// pass. Only for pieces of one colour, as the trend line has, drawn forward; returns false,
// having drawn nothing, otherwise.
bool CustomSeries::paintPiecesColumnWise(Canvas& c, int first, int last) {
    ColorValue stored = 0;
    if (uniformColor(std::max(0, first - 1), last, stored))
        return paintColumns(c, first, last, true);
    if (!drawsForward())
        return false;

    struct Piece {
        int first, last;
        bool null;
    };
    std::vector<Piece> pieces;
    ColorValue pieceColor = clNone;
    for (int s = first; s <= last;) {
        ColorValue color = 0;
        const int e = std::min(last, colorRunEnd(s, color));
        if (e < s)
            return false;
        if (color != clNone) {
            if (pieceColor != clNone && color != pieceColor)
                return false;
            pieceColor = color;
        }
        pieces.push_back(Piece{s, e, color == clNone});
        s = e + 1;
    }
    if (pieceColor == clNone)
        return false;
    // The line enters from the edge as from the point before the range: not from a break,
    // and never from a point of another colour.
    bool enter = false;
    if (first > 0) {
        const ColorValue before = storedColor(first - 1);
        if (before != clNone && before != pieceColor)
            return false;
        enter = before != clNone;
    }
    for (const Piece& p : pieces) {
        // A piece that cannot go column-wise starts after a break all the same, so point by
        // point it joins nothing drawn before it.
        if (p.null || !paintColumns(c, p.first, p.last, enter && p.first == first))
            for (int i = p.first; i <= p.last; ++i)
                paintPoint(c, i);
    }
    return true;
}

// Draws first..last column by column (see ColumnReducer) when that gives the same pixels
// as drawing point by point; returns false, having drawn nothing, when it does not apply.
// With enterFromEdge the line comes in from the start edge as from the point before
// `first`, which must then have the same colour; without, it starts at `first`.
bool CustomSeries::paintColumns(Canvas& c, int first, int last, bool enterFromEdge) {
    AxisBase* hAxis = horizontalAxis();
    AxisBase* vAxis = verticalAxis();
    if (!hAxis || !vAxis || !drawLine_ || !drawsForward() || !linePen_.visible() ||
        linePen_.effectiveStyle() != PenStyle::psSolid || linePen_.width() > 1 ||
        c.penMode() != PenMode::pmCopy)
        return false;

    // One colour for every point drawn and for the one the line enters from.
    ColorValue stored = 0;
    if (!uniformColor(enterFromEdge ? std::max(0, first - 1) : first, last, stored))
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
    if (xs.order() != ValueListOrder::loAscending || xHasNaN() || yHasNaN() ||
        !(xs.multiplier() >= 0) || !std::isfinite(xs.multiplier()) ||
        !std::isfinite(ys.multiplier()) || hAxis->inverted() || hAxis->scaleSpan() < 0 ||
        hAxis->axisLength() < 0)
        return false;
    auto usable = [](const AxisBase* axis, double v) {
        return (axis->scaleSpan() == 0 || axis->mapsLinearly(v)) &&
               ColumnReducer::inPixelRange(axis->valueToPixel(v));
    };
    if (!usable(hAxis, xAt(first)) || !usable(hAxis, xAt(last)))
        return false;
    const MinMaxIndex::Extremes all = storedYExtremes(first, last);
    if (!usable(vAxis, ys.scaled(all.min)) || !usable(vAxis, ys.scaled(all.max)))
        return false;

    auto xp = [&](int i) { return hAxis->valueToPixel(xAt(i)); };
    auto ypOf = [&](double stored) { return insetRow(vAxis->valueToPixel(ys.scaled(stored))); };
    auto yp = [&](int i) { return ypOf(storedY(i)); };

    // The last index on the column that starts at `start`. Columns of one pass tend to
    // hold about as many points as the one before, so that guess is tried first; from
    // there the search gallops and halves. `next` gets the pixel of the index after the
    // column where the search has seen it (the next column's), else kUnknown.
    constexpr int kUnknown = std::numeric_limits<int>::min();
    auto lastOnColumn = [&](int start, int column, int guessedWidth, int& next) {
        int lo = start;    // on the column
        int hi = last + 1; // past it
        int hiPixel = kUnknown;
        const int guess = int(std::min<long long>(last, (long long)start + guessedWidth - 1));
        if (guess > start) {
            const int p = xp(guess);
            if (p == column) {
                if (guess == last)
                    return guess;
                const int q = xp(guess + 1);
                if (q != column) {
                    next = q;
                    return guess;
                }
                lo = guess + 1;
            } else {
                const int q = xp(guess - 1);
                if (q == column) {
                    next = p;
                    return guess - 1;
                }
                hi = guess - 1;
                hiPixel = q;
            }
        }
        for (long long step = 1; step < hi - lo; step *= 2) {
            const int p = xp(lo + int(step));
            if (p != column) {
                hi = lo + int(step);
                hiPixel = p;
                break;
            }
            lo += int(step);
        }
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            const int p = xp(mid);
            if (p == column) {
                lo = mid;
            } else {
                hi = mid;
                hiPixel = p;
            }
        }
        next = hiPixel;
        return lo;
    };

    ColumnReducer& reducer = columns_;
    reducer.clear();
    if (enterFromEdge && first > 0) {
        const Point entry = edgeEntry(*this, first, startEdgePixel());
        reducer.enterFrom(entry.x, entry.y);
    }
    int a = first, b = first - 1;
    int nextColumn = kUnknown;
    for (int width = 1; b < last; width = b - a + 1) {
        a = b + 1;
        const int column = nextColumn != kUnknown ? nextColumn : xp(a);
        nextColumn = kUnknown;
        b = lastOnColumn(a, column, width, nextColumn);
        ColumnReducer::Column col{column, yp(a), yp(b), 0, 0};
        col.low = col.high = col.first;
        if (b > a) {
            const MinMaxIndex::Extremes e = storedYExtremes(a, b);
            const int p1 = ypOf(e.min), p2 = ypOf(e.max);
            col.low = std::min(p1, p2);
            col.high = std::max(p1, p2);
        }
        reducer.addColumn(col);
    }
    // a..b is the last column now.
    reducer.endLine([&](int row) {
        // Blocks are tested by their extremes only, which is enough for an extreme row.
        const int reached = findFirstStoredY(
            a, b, [&](double mn, double mx) { return ypOf(mn) == row || ypOf(mx) == row; });
        if (reached < 0 || reached >= b)
            return false;
        const MinMaxIndex::Extremes rest = storedYExtremes(reached + 1, b);
        return ypOf(rest.min) != row || ypOf(rest.max) != row;
    });

    linePen_.applyTo(c, false);
    c.setBrushStyle(BrushStyle::bsClear);
    c.setPenColor(color);
    const std::vector<ColumnReducer::Vertex>& path = reducer.path();
    for (const ColumnReducer::Polyline& line : reducer.polylines()) {
        polyline_.clear();
        for (std::size_t k = line.begin; k < line.end; ++k)
            polyline_.push_back({path[k].x, path[k].y});
        c.polyline(polyline_);
    }
    for (const ColumnReducer::Span& f : reducer.fills())
        c.fillRect(Rect{f.left, f.top, f.right, f.bottom}, color);
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

ValueTally ChartSeries::tally(int first, int last, const std::string& unit) const {
    first = std::max(first, 0);
    last = std::min(last, pointCount() - 1);
    if (first > last)
        return {};
    if (!samples_)
        return tallyPoints(*this, first, last, unit, [this](int i) { return yAt(i); });
    ValueTally t = samples_->tally(first, last, unit);
    if (yValues_.multiplier() != 1.0)
        for (ValueCount& v : t.values)
            v.value = yValues_.scaled(v.value);
    return t;
}

} // namespace kv
