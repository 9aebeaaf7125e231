#pragma once

#include "chart/chart_base.h"
#include "chart/chart_readout.h"
#include "chart/histogram_model.h"
#include "chart/histogram_painter.h"

#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// A note on the line: its text at the point it stands at (an index of the line read).
struct ChartNote {
    int index = 0;
    std::string text;
};

// How much of the readings the chart shows while it follows the newest one.
enum class RollingWindow { rwAll, rwLastMinute, rwLast10Minutes, rwLastHour };

// The span of a window on the clock axis, in milliseconds, and on the index axis, in
// readings (0 for rwAll: everything).
std::int64_t rollingWindowMs(RollingWindow w);
int rollingWindowReadings(RollingWindow w);

// The line chart of the readings, with mouse zoom (left button: drag a rectangle towards
// the lower right to zoom in, towards the upper left to go back to automatic ranges) and
// scrolling (right button drag, wheel for the vertical axes). A zoom or a scroll fixes
// the axis ranges, so new points are no longer followed until the zoom is undone.
//
// It reads off values as well: with the mouse over the plot a cursor line and a label
// show the reading under it (a dense column's minimum, maximum and count); a left click
// without a drag sets marker A at the nearest reading, the next one marker B, a third
// starts again, and between two markers the line above the plot gives their statistics.
// The X axis is the reading's index, or with timeAxis() its wall-clock time; a rolling
// window shows only the newest minute, ten minutes or hour.
//
// In place of the line it may show the histogram of the readings the line would show (see
// histogram()); the zoom, the window and the markers stay as they are meanwhile, and the
// readout names the bin under the mouse.
class TrendChart : public ChartBase {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);

    // --- Clock axis and rolling window
    // On: points of timed series stand at their time, and the bottom axis shows the
    // clock under the plot. Off: the index chart. Switching undoes a zoom, whose ranges
    // were of the other kind.
    bool timeAxis() const { return timeAxis_; }
    void setTimeAxis(bool on);
    // The X range follows the newest reading over the window and the Y range is the
    // automatic one of what the window shows. A zoom or scroll stops following; undoing
    // it returns to the window. Choosing a window undoes a zoom.
    RollingWindow rollingWindow() const { return window_; }
    void setRollingWindow(RollingWindow w);

    // --- Histogram
    // Shown while histogram().shown(): of the readings of the current unit (the newest
    // one's) that the line shows, between the markers when both are set.
    HistogramModel& histogram() { return histogram_; }
    const HistogramModel& histogram() const { return histogram_; }
    // The step between the values point `index` of s can take (its reading's resolution),
    // for the bins' edges; unset, or 0, none is known.
    using ValueStep = std::function<double(const ChartSeries& s, int index)>;
    void setValueStep(ValueStep step);
    // The line above the histogram: how many readings, their mean and deviation, and what
    // was left out.
    std::string histogramNote() const;

    // --- Readout under the mouse
    bool readoutShown() const { return hover_ && readout_.found; }
    const ColumnReadout& readout() const { return readout_; }
    // The readout label's text; empty while none is shown.
    std::string readoutText() const;
    // What Ctrl+C over the plot copies: the markers' line with both markers set, else the
    // readout's text.
    std::string copyText() const;
    // Where cursor and label stand on screen (empty while none is shown).
    Rect readoutRect() const { return readoutShown() ? overlayRect_ : Rect{}; }

    // --- Markers
    // Point indices of the markers, -1 where unset (and after the points were removed).
    int markerA() const;
    int markerB() const;
    // Sets the next marker at point `index` of the first active series, as a click does.
    void setMarker(int index);
    void clearMarkers();
    // The line between the markers; empty unless both are set.
    std::string markersText() const;

    // How the readout and the markers' line write values; unset, in the value axis's
    // format.
    void setValueText(ValueText valueText);
    // --- Notes
    // Drawn as small flags over their points; the readout names the notes of the column
    // under the mouse, the markers' line those between the markers. In index order.
    const std::vector<ChartNote>& notes() const { return notes_; }
    void setNotes(std::vector<ChartNote> notes);
    // Said at the end of the markers' line, given the points of markers A and B and how
    // values are written; unset or empty: nothing.
    std::function<std::string(int a, int b, const ValueText& valueText)> markersNote;
    MarkerStatistics markerStatistics() const;

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

signals:
    void readoutChanged(const QString& text);
    void markersChanged(const QString& text);

protected:
    void adjustAxisRanges() override;
    void paintContents(Canvas& c) override;
    void paintTitles(Canvas& c) override;
    void paintOverSeries(Canvas& c) override;
    bool paintsOverSeries() const override;
    // While the histogram shows, new readings are drawn a few times a second.
    void seriesChanged() override;
    bool hasOverlay() const override { return readoutShown(); }
    void paintOverlay(Canvas& c) override { drawOverlay(c); }
    void leaveEvent(QEvent* e) override;
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

    // The hook set, or the value axis's format.
    ValueText valueText() const;
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

    ChartSeries* readSeries() const;
    bool markersValid() const;
    void applyRollingWindow();
    void hoverAt(int x, int y);
    void hoverOff();
    // Works the readout out again for the last mouse position; tells when it changed.
    void refreshReadout();
    Rect overlayFor(const ColumnReadout& r, const std::string& text) const;
    void drawOverlay(Canvas& c) const;
    void markerClick(int x);
    // The histogram in place of the axes and the line.
    void paintHistogramPass(Canvas& c);
    std::string binText(int bin) const;

    // The texts of the notes on points first..last, joined; empty when none.
    std::string notesText(int first, int last) const;

    std::vector<ChartNote> notes_;
    SavedAxisState saved_;
    bool zoomed_ = false;
    int wheelRemainder_ = 0;

    bool timeAxis_ = false;
    bool bottomVisibleBefore_ = false;
    int bottomLineWidthBefore_ = 2;
    RollingWindow window_ = RollingWindow::rwAll;

    bool hover_ = false;
    int hoverX_ = 0, hoverY_ = 0;
    ColumnReadout readout_;
    std::string readoutText_;
    Rect overlayRect_;

    int markers_[2] = {-1, -1};
    int nextMarker_ = 0;
    unsigned markerGeneration_ = 0;
    const ChartSeries* markerSeries_ = nullptr;
    // Worked out when the second marker is set: the markers stand on fixed points.
    MarkerStatistics stats_;
    ValueText valueText_;

    HistogramModel histogram_;
    ValueStep valueStep_;
    HistogramLayout histogramLayout_;
    int histogramIndex_ = -1; // the point whose reading the histogram's values are written as
    QTimer histogramLater_;   // the count of readings left for later
};

} // namespace kv
