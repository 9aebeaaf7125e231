#pragma once

#include "canvas/canvas.h"
#include "chart/chart_pen.h"
#include "chart/column_reducer.h"
#include "chart/value_list.h"
#include "core/settings_object.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kv {

class AxisBase;

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
class ChartSeries {
public:
    ChartSeries();
    virtual ~ChartSeries();
    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;

    // --- Points
    int pointCount() const { return xValues_.count(); }
    // Adds `value` to the mandatory list; the other coordinate is the point count.
    int appendPoint(double value, const std::string& label = {}, ColorValue color = ColorDefault);
    // Adds a point where the X order puts it. Returns its index, or -1 when onBeforeAdd
    // refused it (nothing is stored then).
    virtual int storePoint(double x, double y, const std::string& label = {},
                           ColorValue color = ColorDefault);
    // Removes every point and releases all point storage; the next append gets X = 0.
    virtual void removeAllPoints();

    virtual double xAt(int index) const { return xValues_.valueAt(index); }
    virtual double yAt(int index) const { return yValues_.valueAt(index); }
    // The colour a point is drawn in: its own, or the series colour for ColorDefault
    // (a palette colour with colorEachPoint). clNone marks a null point.
    virtual ColorValue pointColor(int index) const;
    virtual std::string pointLabel(int index) const;

    // Extremes of the X and Y lists (0 for an empty series).
    virtual double maxX() const { return xValues_.maximum(); }
    virtual double maxY() const { return yValues_.maximum(); }
    virtual double minX() const { return xValues_.minimum(); }
    virtual double minY() const { return yValues_.minimum(); }

    // The point's values through the bound axes' value-to-pixel mapping (0 when unbound).
    virtual int xPixel(int index) const;
    virtual int yPixel(int index) const;

    // The list a one-value add fills (the Y list here).
    virtual ValueList& mandatoryList() { return yValues_; }
    virtual bool drawsForward() const { return true; }
    virtual SeriesMargins horizontalMargins() const { return {}; }
    virtual SeriesMargins verticalMargins() const { return {}; }

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
    virtual void paintAllPoints(Canvas& c, const Rect& plotRect);
    // Draws point `index` of the current pass (only valid inside paintAllPoints).
    virtual void paintPoint(Canvas& c, int index);
    // The index range of the last pass, -1 when nothing was drawn.
    int firstVisible() const { return firstVisible_; }
    int lastVisible() const { return lastVisible_; }

    // Heap bytes held for the points (values, colours, labels, the drawing index and
    // whatever the drawing keeps between passes).
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
    // The plot rectangle of the pass in progress.
    const Rect& passRect() const { return passRect_; }
    // Horizontal pixel of the edge the pass starts from (the right one when inverted).
    int startEdgePixel() const;
    // Visible index range for the pass (sets firstVisible_ and lastVisible_).
    void computeVisibleRange();

    ValueList xValues_{"X", ValueListOrder::loAscending};
    ValueList yValues_{"Y", ValueListOrder::loNone};
    ColorList colors_;
    LabelList labels_;
    int firstVisible_ = -1;
    int lastVisible_ = -1;

private:
    ColorValue seriesColor_ = ColorDefault;
    bool colorEachPoint_ = false;
    bool active_ = true;
    SeriesMarks marks_;
    AxisBase* horizontalAxis_ = nullptr;
    AxisBase* verticalAxis_ = nullptr;
    std::function<void()> repaint_;
    Rect passRect_;
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
