#pragma once

#include "chart/chart_base.h"

#include <functional>

namespace kv {

enum class ChartPart { cpNone, cpSeries, cpAxis, cpTitle, cpFoot, cpChartRect, cpLegend };

// What lies under a pixel of the chart.
struct ClickedPart {
    ChartPart part = ChartPart::cpNone;
    ChartSeries* series = nullptr; // cpSeries
    int pointIndex = -1;           // cpSeries: the point at the end of the segment hit
    AxisBase* axis = nullptr;      // cpAxis
};

// A mouse press as the click events see it.
struct ChartMouse {
    Qt::MouseButton button = Qt::NoButton;
    Qt::KeyboardModifiers modifiers;
    int x = 0;
    int y = 0;
};

// The line chart of the readings, with mouse zoom (left button: drag a rectangle towards
// the lower right to zoom in, towards the upper left to go back to automatic ranges) and
// scrolling (right button drag, wheel for the vertical axes). A zoom or a scroll fixes
// the axis ranges, so new points are no longer followed until the zoom is undone.
class TrendChart : public ChartBase {
public:
    explicit TrendChart(QWidget* parent = nullptr);

    // The part under (x, y): a series' line, an axis, the title, the foot, the plot
    // rectangle (when a series is active) or the legend, first match in this order.
    ClickedPart clickedPart(int x, int y) const;

    // Fixes every side axis to the values under the current zoom drag's rectangle.
    void zoomToRectangle();
    // Gives the axes back what they had before the first zoom or scroll.
    void restoreZoom();
    // Fixes `axis` to the range between a and b (ordered, at least 1e-10 wide).
    void setAxisRange(AxisBase& axis, double a, double b);
    bool zoomed() const { return zoomed_; }
    bool axisStateSaved() const { return saved_.valid; }

    // Click events return true when they took the press (no drag starts then).
    std::function<bool(TrendChart&, ChartSeries&, int pointIndex, const ChartMouse&)> onClickSeries;
    std::function<bool(TrendChart&, AxisBase&, const ChartMouse&)> onClickAxis;
    std::function<bool(TrendChart&, const ChartMouse&)> onClickLegend;
    std::function<bool(TrendChart&, const ChartMouse&)> onClickBackground;
    std::function<void(TrendChart&)> onZoom;
    std::function<void(TrendChart&)> onUndoZoom;
    std::function<void(TrendChart&)> onScroll;
    // May change the proposed range of a scrolled axis, or veto it with allow = false.
    std::function<void(TrendChart&, AxisBase&, double& minimum, double& maximum, bool& allow)>
        onAllowScroll;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    struct SavedAxis {
        bool automatic = true, automaticMinimum = true, automaticMaximum = true;
        double minimum = 0, maximum = 0;
    };
    struct SavedAxisState {
        bool valid = false;
        SavedAxis top, bottom, left, right;
    };

    bool hitsSeries(ChartSeries& s, int x, int y, int& pointIndex) const;
    bool hitsAxis(const AxisBase& a, int x, int y) const;
    bool insidePlot(int x, int y) const;
    void saveAxisState();
    // Moves `axis` so that the value under pixel `from` comes to lie under `to`; false
    // when the scroll was vetoed.
    bool shiftAxis(AxisBase& axis, int from, int to);
    void scrollTo(int x, int y);

    static SavedAxis save(const AxisBase& a);
    void restore(AxisBase& a, const SavedAxis& s);

    SavedAxisState saved_;
    bool zoomed_ = false;
    int wheelRemainder_ = 0;
};

} // namespace kv
