#pragma once

#include "canvas/canvas.h"
#include "canvas/row_runs.h"
#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "chart/extended_panel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kv {

// Holds the series and the five axes and runs the drawing pass: background, titles,
// axis layout, back wall, axes, series, rubber band.
class AxisPanel : public ExtendedPanel {
public:
    explicit AxisPanel(QWidget* parent = nullptr);
    ~AxisPanel() override;

    // The series shown, in drawing order. The chart does not own them; a series added
    // here is bound to the bottom and left axes and asks this chart to repaint.
    const std::vector<ChartSeries*>& seriesList() const { return series_; }
    void addSeries(ChartSeries* s);
    void removeSeries(ChartSeries* s);
    bool hasActiveSeries() const;

    ChartAxis& bottomAxis() { return *bottom_; }
    ChartAxis& topAxis() { return *top_; }
    ChartAxis& leftAxis() { return *left_; }
    ChartAxis& rightAxis() { return *right_; }
    ChartDepthAxis& depthAxis() { return *depth_; }
    const ChartAxis& bottomAxis() const { return *bottom_; }
    const ChartAxis& topAxis() const { return *top_; }
    const ChartAxis& leftAxis() const { return *left_; }
    const ChartAxis& rightAxis() const { return *right_; }
    const ChartDepthAxis& depthAxis() const { return *depth_; }
    // Bottom, top, left, right, depth: the order of every loop over axes.
    std::vector<AxisBase*> axes() const;
    // Whether `a` is drawn and takes space: the chart shows axes, the axis is visible and,
    // when any series is active, one of those is bound to it (depth axis: 3D only).
    bool axisShown(const AxisBase& a) const;

    bool axisVisible() const { return axisVisible_; }
    void setAxisVisible(bool v) { assignAndRepaint(axisVisible_, v); }
    bool clipPoints() const { return clipPoints_; }
    void setClipPoints(bool v) { assignAndRepaint(clipPoints_, v); }
    bool view3DWalls() const { return view3DWalls_; }
    void setView3DWalls(bool v) { assignAndRepaint(view3DWalls_, v); }
    int maxPointsPerPage() const { return maxPointsPerPage_; }
    void setMaxPointsPerPage(int v) { assignAndRepaint(maxPointsPerPage_, v < 0 ? 0 : v); }

    // Called at their places in every pass, when set.
    std::function<void(AxisPanel&)> onBeforeDrawAxes;
    std::function<void(AxisPanel&)> onBeforeDrawSeries;
    std::function<void(AxisPanel&)> onAfterDraw;

protected:
    void paintContents(Canvas& c) override;
    virtual void paintTitles(Canvas&) {}
    virtual void paintBackWall(Canvas&) {}
    // The ranges of every axis for the pass (first step of the layout).
    virtual void adjustAxisRanges();
    // Drawn after the series and before the rubber band.
    virtual void paintOverSeries(Canvas&) {}
    // A series' points or settings changed: a new picture, at once unless the chart shows
    // them in a way that is redrawn less often.
    virtual void seriesChanged() { requestPointsRepaint(); }
    // Whether paintOverSeries() draws anything, which may reach beyond the plot.
    virtual bool paintsOverSeries() const { return false; }

private:
    // What a pass drew under the series, inside the back wall's frame, with what it
    // depended on beyond the settings: while only points change and the axes come out of
    // the layout as they were, the next pass puts it back instead of drawing it again.
    struct Underlay {
        // Per axis: shown or not, and for a shown one where it stands and what it spans.
        struct Axis {
            bool shown = false;
            double scaleMin = 0, scaleMax = 0;
            int startPixel = 0, endPixel = 0, labelsPos = 0;
            bool dateTime = false, clock = false;
            bool operator==(const Axis& o) const;
        };
        std::uint64_t pass = 0;
        double ratio = 0;
        Rect panel, afterTitles, plot;
        std::vector<Axis> axes;
        RowRuns pixels;
    };

    void layoutAxes(Canvas& c);
    void applySeriesMargins(AxisBase& a);
    void applySeriesMargins();
    void resetCanvas(Canvas& c);
    // Onto the face, with nothing drawn over the series that could reach beyond the plot.
    bool underlayAllowed(const Canvas& c) const;
    bool underlayFits(const Canvas& c) const;
    std::vector<Underlay::Axis> axesLaidOut() const;
    void keepUnderlay(Canvas& c, const Rect& afterTitles);
    void paintSeriesAndAfter(Canvas& c);

    std::unique_ptr<ChartAxis> bottom_, top_, left_, right_;
    std::unique_ptr<ChartDepthAxis> depth_;
    std::vector<ChartSeries*> series_;
    std::optional<Underlay> underlay_;
    bool axisVisible_ = true;
    bool clipPoints_ = true;
    bool view3DWalls_ = true;
    int maxPointsPerPage_ = 0;
};

} // namespace kv
