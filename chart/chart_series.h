#pragma once

#include "canvas/canvas.h"
#include "chart/break_list.h"
#include "chart/chart_pen.h"
#include "chart/column_reducer.h"
#include "chart/time_list.h"
#include "chart/value_list.h"
#include "core/series_samples.h"
#include "core/settings_object.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace kv {

class AxisBase;

// Where the series of a plot rectangle draw: inside the back wall's frame.
Rect seriesArea(const Rect& plot);

// Extra pixels a series needs beyond the plot rectangle on either side of an axis.
struct SeriesMargins {
    int before = 0; // left or top
    int after = 0;  // right or bottom
};

// The labels of the points (kept but never drawn by this chart).
class SeriesMarks : public SettingsObject {
public:
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    int arrowLength() const { return arrowLength_; }
    void setArrowLength(int v) { assignIfChanged(arrowLength_, v); }

private:
    bool visible_ = false;
    int arrowLength_ = 8;
};

enum class PointerStyle { psRectangle, psCircle, psTriangle };

// The symbol at each point; a line series hides it.
class SeriesPointer : public SettingsObject {
public:
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    PointerStyle style() const { return style_; }
    void setStyle(PointerStyle v) { assignIfChanged(style_, v); }
    bool inflateMargins() const { return inflateMargins_; }
    void setInflateMargins(bool v) { assignIfChanged(inflateMargins_, v); }
    int horizSize() const { return horizSize_; }
    void setHorizSize(int v) { assignIfChanged(horizSize_, v); }
    int vertSize() const { return vertSize_; }
    void setVertSize(int v) { assignIfChanged(vertSize_, v); }

private:
    bool visible_ = true;
    PointerStyle style_ = PointerStyle::psRectangle;
    bool inflateMargins_ = true;
    int horizSize_ = 4;
    int vertSize_ = 4;
};

// A series of points (X, Y, colour, label) bound to a horizontal and a vertical axis.
// Points are kept in X order (the X list is ascending), so a point's index is its rank.
//
// The chart that shows the series binds it with setAxes() and setRepaintHandler(); the
// series asks for a repaint after every change of its points and draws itself in the
// chart's drawing pass through paintAllPoints().
//
// The points are the series' own (its value lists, colours, labels, times, breaks and
// units), or those of samples kept elsewhere (setSamples), which it draws where they are.
// Drawing, the readout and the markers read both alike through the queries below.
class ChartSeries {
public:
    ChartSeries();
    virtual ~ChartSeries();
    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;

    // --- Points
    int pointCount() const { return samples_ ? samples_->count() : xValues_.count(); }
    // Adds `value` to the mandatory list; the other coordinate is the point count.
    int appendPoint(double value, const std::string& label = {}, ColorValue color = ColorDefault);
    // Adds a point where the X order puts it. Returns its index, or -1 when onBeforeAdd
    // refused it (nothing is stored then).
    virtual int storePoint(double x, double y, const std::string& label = {},
                           ColorValue color = ColorDefault);
    // Removes every point and releases all point storage; the next append gets X = 0.
    // Samples drawn from elsewhere stay: their owner removes them.
    virtual void removeAllPoints();

    // --- Points kept elsewhere
    // Draws `samples` (which must outlive the binding) in place of the series' own points,
    // which are dropped: the series keeps no copy of them. Their X is the index (the time on
    // a clock axis), points that break the line are null points, and the others take
    // `color` as a stored colour (ColorDefault: the series colour). While bound, every
    // append is refused (-1) and setUnit() only names the unit; the samples' owner changes
    // them and tells the series through samplesChanged(). nullptr goes back to the
    // series' own points, empty.
    void setSamples(const SeriesSamples* samples, ColorValue color = clBlack);
    const SeriesSamples* samples() const { return samples_; }
    // The samples changed (points added, or replaced: see SeriesSamples::generation()); the
    // chart is redrawn.
    void samplesChanged();

    // --- Times, breaks and units
    // appendPoint for a reading taken at timeMs (milliseconds since the epoch). A series
    // holds a time for every point or for none: the first timed point gives the points
    // before it its time, and an untimed append to a timed series repeats the last time.
    // Times never go back (see TimeList).
    int appendAt(double value, std::int64_t timeMs, ColorValue color = ColorDefault);
    // Breaks the line after the last point: a null point with the last point's value (so
    // that it changes no range) and time, or timeMs when given. Nothing on an empty
    // series, which has no line to break (-1).
    int appendBreak(BreakReason reason, std::int64_t timeMs = kNoTime);
    // A null point at `value` for `reason`: where there is no point to take the value from
    // (an empty series), the line starts broken at a value of the caller's.
    int appendBreakAt(double value, BreakReason reason, std::int64_t timeMs = kNoTime);
    // The unit of the readings appended from now on. A change on a series with points
    // breaks the line first: readings of two units are not to be joined.
    void setUnit(const std::string& unit);
    const std::string& unit() const { return unit_; }
    // The unit point `index` was appended with.
    const std::string& unitAt(int index) const {
        return samples_ ? samples_->unitAt(index) : units_.at(index);
    }

    bool timed() const {
        return samples_ ? samples_->count() > 0 : !times_.empty() && times_.count() == pointCount();
    }
    std::int64_t timeAt(int index) const {
        return samples_ ? samples_->time(index) : times_.at(index);
    }
    // The series' own times and breaks (empty while samples are drawn).
    const TimeList& times() const { return times_; }
    const BreakList& breaks() const { return breaks_; }
    // Whether point `index` breaks the line (a null point), and why.
    bool isBreak(int index) const {
        return samples_ ? samples_->isBreak(index) : breaks_.contains(index);
    }
    BreakReason breakReason(int index) const {
        return samples_ ? samples_->breakReason(index) : breaks_.reasonAt(index);
    }
    // Breaks among points first..last (inclusive), of every reason or of one.
    int breaksIn(int first, int last) const;
    int breaksIn(int first, int last, BreakReason reason) const;
    // The nearest point at or after (before) index that is not a break; -1 when none.
    int drawnAtOrAfter(int index) const;
    int drawnAtOrBefore(int index) const;
    // Grows whenever all points are removed or replaced (other samples, or samples
    // replaced by their owner), so that whoever keeps point indices can tell they no
    // longer name the same points.
    unsigned generation() const { return generation_ + (samples_ ? samples_->generation() : 0u); }

    // With this on, a timed series' X is the time of its points instead of the X list
    // (the chart's clock axis sets it).
    bool xFromTimes() const { return xFromTimes_; }
    void setXFromTimes(bool v);
    // True when X is the time now: xFromTimes() on a timed series.
    bool xIsTime() const { return xFromTimes_ && timed(); }
    // The first index whose X is not less than x (pointCount() when none); X must ascend.
    int firstAtOrAfterX(double x) const;
    // The last index whose X is not greater than x (-1 when none).
    int lastAtOrBeforeX(double x) const;

    static constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

    virtual double xAt(int index) const {
        return xIsTime() ? double(timeAt(index)) : xValues_.scaled(storedX(index));
    }
    virtual double yAt(int index) const { return yValues_.scaled(storedY(index)); }
    // The colour a point is drawn in: its own, or the series colour for ColorDefault
    // (a palette colour with colorEachPoint). clNone marks a null point.
    virtual ColorValue pointColor(int index) const;
    virtual std::string pointLabel(int index) const;

    // Extremes of the X and Y lists (0 for an empty series).
    virtual double maxX() const;
    virtual double maxY() const;
    virtual double minX() const;
    virtual double minY() const;

    // The readings among points first..last in `unit` by value (as yAt gives them), and the
    // gaps, overloads and readings of other units among them (see SeriesSamples::tally).
    ValueTally tally(int first, int last, const std::string& unit) const;

    // --- Range queries over Y as stored (before the Y list's multiplier)
    double storedY(int index) const {
        return samples_ ? samples_->y(index) : yValues_.storedAt(index);
    }
    // True when a stored X or Y is not a number (the range queries are then unusable).
    bool xHasNaN() const { return !samples_ && xValues_.hasNaN(); }
    bool yHasNaN() const { return samples_ ? samples_->hasNaN() : yValues_.hasNaN(); }
    // Extremes of the stored Y of points first..last (inclusive).
    MinMaxIndex::Extremes storedYExtremes(int first, int last) const;
    // The first of points first..last whose stored Y v passes test(v, v); test is also
    // asked about whole blocks (see MinMaxIndex::findFirst). -1 when none.
    int findFirstStoredY(int first, int last, const MinMaxIndex::BlockTest& test) const;

    // The point's values through the bound axes' value-to-pixel mapping (0 when unbound).
    virtual int xPixel(int index) const;
    virtual int yPixel(int index) const;

    // The list a one-value add fills (the Y list here).
    virtual ValueList& mandatoryList() { return yValues_; }
    virtual bool drawsForward() const { return true; }
    virtual SeriesMargins horizontalMargins() const { return {}; }
    virtual SeriesMargins verticalMargins() const { return {}; }

    // The value lists: the series' own points, and the settings (order, multiplier, date
    // and time) that apply to samples drawn from elsewhere as well.
    ValueList& xValues() { return xValues_; }
    ValueList& yValues() { return yValues_; }
    const ValueList& xValues() const { return xValues_; }
    const ValueList& yValues() const { return yValues_; }
    // The value lists in creation order: X, then Y.
    std::vector<ValueList*> valueLists() { return {&xValues_, &yValues_}; }

    // --- Settings
    ColorValue seriesColor() const { return seriesColor_; }
    void setSeriesColor(ColorValue v);
    bool colorEachPoint() const { return colorEachPoint_; }
    void setColorEachPoint(bool v);
    bool active() const { return active_; }
    void setActive(bool v);
    // A backdrop is drawn, and counts for the value range of what the chart shows, but the
    // readout and the markers do not read it and a rolling window follows the others.
    bool backdrop() const { return backdrop_; }
    void setBackdrop(bool v) { backdrop_ = v; }
    SeriesMarks& marks() { return marks_; }

    // --- Binding to a chart
    AxisBase* horizontalAxis() const { return horizontalAxis_; }
    AxisBase* verticalAxis() const { return verticalAxis_; }
    void setAxes(AxisBase* horizontal, AxisBase* vertical);
    // Called when the series wants the chart redrawn; a chart clears it before it goes.
    void setRepaintHandler(std::function<void()> handler) { repaint_ = std::move(handler); }

    // --- Drawing
    // Per-series preparation before all series are drawn (nothing for a line).
    virtual void prepareForDrawing() {}
    // Draws the visible points, clipped to the inside of the plot rectangle's frame.
    // Points whose row is the frame's top or bottom row are drawn one row inside it, where
    // they show; every other row stays as the axis maps it.
    virtual void paintAllPoints(Canvas& c, const Rect& plotRect);
    // Draws point `index` of the current pass (only valid inside paintAllPoints).
    virtual void paintPoint(Canvas& c, int index);
    // The row a point on pixel row y is drawn on in the current pass (see paintAllPoints).
    int drawnRow(int y) const { return insetRow(y); }
    // The index range of the last pass, -1 when nothing was drawn.
    int firstVisible() const { return firstVisible_; }
    int lastVisible() const { return lastVisible_; }

    // Heap bytes held for the points (values, colours, labels, the drawing index and
    // whatever the drawing keeps between passes); not those of samples kept elsewhere.
    virtual std::size_t storageBytes() const;

    // --- Events (each called only when set)
    std::function<bool(ChartSeries&)> onBeforeAdd; // false refuses the point
    std::function<void(ChartSeries&, int index)> onAfterAdd;
    std::function<void(ChartSeries&)> onClearValues;
    std::function<void(ChartSeries&)> beforeDrawValues;
    std::function<void(ChartSeries&)> afterDrawValues;

protected:
    virtual void clearStorage();
    virtual void beforeDraw();
    virtual void afterDraw();
    virtual void pointAdded(int index);
    // Draws first..last of the current pass; the base calls paintPoint for each.
    virtual void paintRange(Canvas& c, int first, int last);

    void requestRepaint();
    // Times, breaks and units of the point just stored at index.
    void storeNotes(int index, ColorValue color);
    double storedX(int index) const { return samples_ ? double(index) : xValues_.storedAt(index); }
    // Point colours as stored (before ColorDefault is resolved), as runs of one colour:
    // the colour of index with the last index of its run; -1 outside the points.
    ColorValue storedColor(int index) const;
    int colorRunEnd(int index, ColorValue& color) const;
    // The colour first..last share, when they do.
    bool uniformColor(int first, int last, ColorValue& color) const;
    double samplesExtreme(const ValueList& list, bool largest) const;
    // The plot rectangle of the pass in progress.
    const Rect& passRect() const { return passRect_; }
    int insetRow(int y) const;
    // Horizontal pixel of the edge the pass starts from (the right one when inverted).
    int startEdgePixel() const;
    // Visible index range for the pass (sets firstVisible_ and lastVisible_).
    void computeVisibleRange();

    ValueList xValues_{"X", ValueListOrder::loAscending};
    ValueList yValues_{"Y", ValueListOrder::loNone};
    ColorList colors_;
    LabelList labels_;
    TimeList times_;
    BreakList breaks_;
    UnitList units_;
    int firstVisible_ = -1;
    int lastVisible_ = -1;

private:
    ColorValue seriesColor_ = ColorDefault;
    bool colorEachPoint_ = false;
    bool active_ = true;
    bool backdrop_ = false;
    SeriesMarks marks_;
    AxisBase* horizontalAxis_ = nullptr;
    AxisBase* verticalAxis_ = nullptr;
    std::function<void()> repaint_;
    Rect passRect_;
    std::string unit_;
    unsigned generation_ = 0;
    bool xFromTimes_ = false;
    const SeriesSamples* samples_ = nullptr;
    ColorValue samplesColor_ = clBlack;
    // The time the add in progress carries (kNoTime: none), and the reason of a break.
    std::int64_t pendingTime_ = kNoTime;
    BreakReason pendingReason_ = BreakReason::brGap;
};

// A series drawn as a line from point to point (areas, stairs and pointers are kept as
// settings only). Each segment takes the colour of the point it ends at; null points
// break the line; points further than 32766 pixels away are passed over.
//
// Long series are drawn column by column: where many points share a pixel column only
// the first, lowest, highest and last of them are connected, which leaves exactly the
// pixels the point-by-point drawing leaves. Series that do not allow this (several
// colours, hidden or wide pens, points beyond the pixel limits, ...) are drawn point by
// point.
class CustomSeries : public ChartSeries {
public:
    CustomSeries();

    ChartPen& linePen() { return linePen_; }
    const ChartPen& linePen() const { return linePen_; }
    SeriesPointer& pointer() { return pointer_; }

    bool drawLine() const { return drawLine_; }
    void setDrawLine(bool v);
    bool drawArea() const { return drawArea_; }
    void setDrawArea(bool v);
    bool stairs() const { return stairs_; }
    void setStairs(bool v);
    bool invertedStairs() const { return invertedStairs_; }
    void setInvertedStairs(bool v);
    int lineHeight() const { return lineHeight_; }
    void setLineHeight(int v);
    bool dark3D() const { return dark3D_; }
    void setDark3D(bool v);
    ColorValue areaColor() const { return areaColor_; }
    void setAreaColor(ColorValue v);

    // Column-wise drawing of long series (on by default). Off, every point is drawn on
    // its own; the picture is the same either way.
    bool fastDrawing() const { return fastDrawing_; }
    void setFastDrawing(bool v) { fastDrawing_ = v; }
    // True when the last pass drew column-wise.
    bool lastPassWasFast() const { return lastPassFast_; }

    // Line state carried from one point to the next.
    int previousX() const { return previousX_; }
    int previousY() const { return previousY_; }
    ColorValue previousColor() const { return previousColor_; }

    void paintAllPoints(Canvas& c, const Rect& plotRect) override;
    void paintPoint(Canvas& c, int index) override;
    SeriesMargins horizontalMargins() const override;
    SeriesMargins verticalMargins() const override;
    std::size_t storageBytes() const override;

protected:
    void clearStorage() override;
    void paintRange(Canvas& c, int first, int last) override;

private:
    void drawSegment(Canvas& c, int x, int y, ColorValue color);
    bool paintPiecesColumnWise(Canvas& c, int first, int last);
    bool paintColumns(Canvas& c, int first, int last, bool enterFromEdge);
    void settingChanged();

    ChartPen linePen_;
    SeriesPointer pointer_;
    bool drawLine_ = true;
    bool drawArea_ = false;
    bool stairs_ = false;
    bool invertedStairs_ = false;
    int lineHeight_ = 0;
    bool dark3D_ = true;
    ColorValue areaColor_ = ColorDefault;
    bool fastDrawing_ = true;
    bool lastPassFast_ = false;
    // Kept between passes to spare the allocations.
    ColumnReducer columns_;
    std::vector<Point> polyline_;

    int previousX_ = 0;
    int previousY_ = 0;
    ColorValue previousColor_ = clNone;
    // Whether this pass has placed the line yet: a segment never starts from where an
    // earlier pass left off.
    bool previousPlaced_ = false;
};

// The trend line: line drawing on, pointer hidden.
class LineSeries : public CustomSeries {
public:
    LineSeries();
};

} // namespace kv
