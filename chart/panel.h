#pragma once

#include "canvas/canvas.h"
#include "chart/chart_axis.h"
#include "chart/chart_pen.h"
#include "chart/chart_series.h"
#include "chart/zoom.h"
#include "core/settings_object.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

// The font of titles, labels and the legend unless set otherwise.
FontSpec defaultChartFont();

// A brush of the chart: colour and style.
class ChartBrush : public SettingsObject {
public:
    explicit ChartBrush(ColorValue color = clWhite, BrushStyle style = BrushStyle::bsSolid)
        : color_(color), style_(style) {}

    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    BrushStyle style() const { return style_; }
    void setStyle(BrushStyle v) { assignIfChanged(style_, v); }

private:
    ColorValue color_;
    BrushStyle style_;
};

enum class TitleAlignment { taLeftJustify, taRightJustify, taCenter };

// A block of text lines above (title) or below (foot) the plot.
class ChartTitle : public SettingsObject {
public:
    ChartTitle();

    const std::vector<std::string>& text() const { return text_; }
    void setText(const std::vector<std::string>& v) { assignIfChanged(text_, v); }
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    TitleAlignment alignment() const { return alignment_; }
    void setAlignment(TitleAlignment v) { assignIfChanged(alignment_, v); }
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& v) { assignIfChanged(font_, v); }
    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    bool adjustFrame() const { return adjustFrame_; }
    void setAdjustFrame(bool v) { assignIfChanged(adjustFrame_, v); }
    ChartBrush& brush() { return brush_; }
    const ChartBrush& brush() const { return brush_; }
    ChartPen& frame() { return frame_; }
    const ChartPen& frame() const { return frame_; }

    // Where the last pass put the block (empty when nothing was drawn).
    const Rect& block() const { return block_; }

    // Draws the block at the top (or, for a foot, the bottom) of `plot` and takes its
    // height plus the gap from `plot`. Without lines nothing moves.
    void paint(Canvas& c, Rect& plot, bool foot);

private:
    std::vector<std::string> text_;
    bool visible_ = true;
    TitleAlignment alignment_ = TitleAlignment::taCenter;
    FontSpec font_;
    ColorValue color_ = ColorDefault;
    bool adjustFrame_ = true;
    ChartBrush brush_{ColorDefault, BrushStyle::bsSolid};
    ChartPen frame_{clBlack, 1, PenStyle::psSolid, false};
    Rect block_;
};

// Pixels between a title block and the plot rectangle.
constexpr int kTitleGap = 5;

class ChartLegend : public SettingsObject {
public:
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }

private:
    bool visible_ = true;
};

// A wall of the chart; in two dimensions only the back wall shows, as the plot's frame.
class ChartWall : public SettingsObject {
public:
    explicit ChartWall(ColorValue brushColor = clWhite, BrushStyle brushStyle = BrushStyle::bsClear)
        : brush_(brushColor, brushStyle) {}

    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    int size() const { return size_; }
    void setSize(int v) { assignIfChanged(size_, v); }
    ChartBrush& brush() { return brush_; }
    const ChartBrush& brush() const { return brush_; }
    ChartPen& pen() { return pen_; }
    const ChartPen& pen() const { return pen_; }

private:
    ColorValue color_ = ColorDefault;
    int size_ = 0;
    ChartBrush brush_;
    ChartPen pen_;
};

enum class PanelBevel { bvNone, bvLowered, bvRaised };

// A panel that draws everything into an off-screen bitmap of its client size and copies
// that bitmap to the screen whole. Repaint requests only mark the bitmap stale, so any
// number of them before the next paint cost one drawing pass; a paint with nothing stale
// only copies the bitmap.
class BufferedPanel : public QWidget {
public:
    explicit BufferedPanel(QWidget* parent = nullptr);

    // Margins in percent: left and right of the width, top and bottom of the height.
    int marginLeft() const { return marginLeft_; }
    int marginTop() const { return marginTop_; }
    int marginRight() const { return marginRight_; }
    int marginBottom() const { return marginBottom_; }
    void setMarginLeft(int v) { assignAndRepaint(marginLeft_, v); }
    void setMarginTop(int v) { assignAndRepaint(marginTop_, v); }
    void setMarginRight(int v) { assignAndRepaint(marginRight_, v); }
    void setMarginBottom(int v) { assignAndRepaint(marginBottom_, v); }

    bool view3D() const { return view3D_; }
    void setView3D(bool v) { assignAndRepaint(view3D_, v); }
    int chart3DPercent() const { return chart3DPercent_; }
    void setChart3DPercent(int v) { assignAndRepaint(chart3DPercent_, v); }

    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignAndRepaint(color_, v); }
    PanelBevel bevelOuter() const { return bevelOuter_; }
    void setBevelOuter(PanelBevel v) { assignAndRepaint(bevelOuter_, v); }
    PanelBevel bevelInner() const { return bevelInner_; }
    void setBevelInner(PanelBevel v) { assignAndRepaint(bevelInner_, v); }
    int bevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int v) { assignAndRepaint(bevelWidth_, v < 1 ? 1 : v); }
    int borderWidth() const { return borderWidth_; }
    void setBorderWidth(int v) { assignAndRepaint(borderWidth_, v < 0 ? 0 : v); }

    // Geometry of the last (or current) drawing pass, in buffer pixels.
    const Rect& panelRect() const { return panelRect_; }
    const Rect& plotRect() const { return plotRect_; }
    int plotWidth() const { return plotRect_.width(); }
    int plotHeight() const { return plotRect_.height(); }
    Point plotCenter() const {
        return Point{(plotRect_.left + plotRect_.right) / 2,
                     (plotRect_.top + plotRect_.bottom) / 2};
    }

    bool bufferStale() const { return bufferStale_; }
    const Bitmap& buffer() const { return buffer_; }

    // Marks the buffer stale and schedules a paint; the pass runs at that paint.
    void requestRepaint();

    // One whole drawing pass into the buffer at the size of `r`, then the buffer is copied
    // to `target` at r's top-left corner. Works without the widget being on screen.
    void paintChart(Canvas& target, const Rect& r);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

    // Draws the whole chart into `c`; panelRect and plotRect are set when it is called.
    virtual void paintContents(Canvas& c) = 0;

    // Panel colour, outer bevel, border and inner bevel over the panel rectangle.
    void paintBackground(Canvas& c);

    // Keeps the plot rectangle inside the panel and at least one pixel wide and high.
    void recalcPlotSize();
    void setPlotRect(const Rect& r) { plotRect_ = r; }

    // Repaint requests are ignored until the most derived constructor calls this.
    void finishConstruction() { constructed_ = true; }

    // True when the kept buffer shows the current state at the window's size, so that it
    // may be drawn on directly (the rubber-band frame) instead of running a pass.
    bool bufferCurrent() const;
    // Draws straight onto the kept buffer and shows `dirty` at once.
    void drawOnBuffer(const std::function<void(Canvas&)>& draw, const Rect& dirty);

    template <typename T, typename U> bool assignAndRepaint(T& field, U value) {
        if (field == value)
            return false;
        field = value;
        requestRepaint();
        return true;
    }

private:
    void renderBuffer(int width, int height);
    void frame3D(Canvas& c, Rect& r, ColorValue topLeft, ColorValue bottomRight, int width);
    void paintBevel(Canvas& c, Rect& r, PanelBevel b);

    int marginLeft_ = 3, marginTop_ = 4, marginRight_ = 3, marginBottom_ = 4;
    bool view3D_ = true;
    int chart3DPercent_ = 15;
    ColorValue color_ = clBtnFace;
    PanelBevel bevelOuter_ = PanelBevel::bvRaised;
    PanelBevel bevelInner_ = PanelBevel::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;

    Rect panelRect_;
    Rect plotRect_;
    Bitmap buffer_;
    bool bufferStale_ = true;
    bool constructed_ = false;
    bool inPass_ = false;
};

// Adds the mouse permissions and the state of a zoom or scroll drag in progress.
class ExtendedPanel : public BufferedPanel {
public:
    explicit ExtendedPanel(QWidget* parent = nullptr) : BufferedPanel(parent) {}

    bool allowZoom() const { return allowZoom_; }
    void setAllowZoom(bool v) { allowZoom_ = v; }
    PanningMode allowPanning() const { return allowPanning_; }
    void setAllowPanning(PanningMode v) { allowPanning_ = v; }
    bool animatedZoom() const { return animatedZoom_; }
    void setAnimatedZoom(bool v) { animatedZoom_ = v; }
    int animatedZoomSteps() const { return animatedZoomSteps_; }
    void setAnimatedZoomSteps(int v) { animatedZoomSteps_ = v < 1 ? 1 : v; }

    const DragState& zoomDrag() const { return zoomDrag_; }
    const DragState& scrollDrag() const { return scrollDrag_; }

protected:
    // The rubber-band frame: drawing it twice at the same place removes it.
    void drawZoomFrame(Canvas& c);
    // Applies `change` to the zoom drag and puts the frame on screen at once: removed
    // where it was, drawn where it is now (or the whole chart redrawn when the kept
    // buffer is out of date, since each pass draws the frame of an active drag).
    void changeZoomDrag(const std::function<void(DragState&)>& change);

    DragState zoomDrag_;
    DragState scrollDrag_;

private:
    bool allowZoom_ = true;
    PanningMode allowPanning_ = PanningMode::pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
};

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

private:
    void layoutAxes(Canvas& c);
    void applySeriesMargins(AxisBase& a);
    void resetCanvas(Canvas& c);

    std::unique_ptr<ChartAxis> bottom_, top_, left_, right_;
    std::unique_ptr<ChartDepthAxis> depth_;
    std::vector<ChartSeries*> series_;
    bool axisVisible_ = true;
    bool clipPoints_ = true;
    bool view3DWalls_ = true;
    int maxPointsPerPage_ = 0;
};

// Adds the title and foot blocks, the legend switch and the walls.
class ChartBase : public AxisPanel {
public:
    explicit ChartBase(QWidget* parent = nullptr);

    ChartTitle& title() { return title_; }
    const ChartTitle& title() const { return title_; }
    ChartTitle& foot() { return foot_; }
    const ChartTitle& foot() const { return foot_; }
    ChartLegend& legend() { return legend_; }
    ChartWall& backWall() { return backWall_; }
    const ChartWall& backWall() const { return backWall_; }
    ChartWall& leftWall() { return leftWall_; }
    ChartWall& bottomWall() { return bottomWall_; }

protected:
    void paintTitles(Canvas& c) override;
    void paintBackWall(Canvas& c) override;

private:
    ChartTitle title_;
    ChartTitle foot_;
    ChartLegend legend_;
    ChartWall backWall_;
    ChartWall leftWall_{0x80FFFF, BrushStyle::bsSolid};
    ChartWall bottomWall_{clWhite, BrushStyle::bsSolid};
};

} // namespace kv
