#pragma once

#include "canvas/canvas.h"
#include "canvas/face_widget.h"

#include <QWidget>
#include <cstdint>

namespace kv {

enum class PanelBevel { bvNone, bvLowered, bvRaised };

// A panel that draws everything into its face, an opaque bitmap of its client size at the
// screen's resolution (see FaceWidget), and copies that to the screen. Repaint requests
// only mark the face dirty, so any number of them before the next paint cost one drawing
// pass; a paint with nothing dirty only copies the face.
class BufferedPanel : public FaceWidget {
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

    // Geometry of the last (or current) drawing pass, in face pixels.
    const Rect& panelRect() const { return panelRect_; }
    const Rect& plotRect() const { return plotRect_; }
    int plotWidth() const { return plotRect_.width(); }
    int plotHeight() const { return plotRect_.height(); }
    Point plotCenter() const {
        return Point{(plotRect_.left + plotRect_.right) / 2,
                     (plotRect_.top + plotRect_.bottom) / 2};
    }

    // Marks the face dirty and schedules a paint; the pass runs at that paint.
    void requestRepaint();
    // The same for new or changed points when nothing else changed: the pass may then
    // keep what it drew under them (see AxisPanel).
    void requestPointsRepaint();

    // One whole drawing pass into the face at the size of `r` and the resolution of
    // `target`, then the face is copied to `target` at r's top-left corner. Works without
    // the widget being on screen; an empty `r` draws nothing.
    void paintChart(Canvas& target, const Rect& r);

protected:
    // Sets the panel and plot rectangles for `rect` and runs paintContents().
    void paintFace(Canvas& canvas, const Rect& rect) override;

    // Draws the whole chart into `c`; panelRect and plotRect are set when it is called.
    virtual void paintContents(Canvas& c) = 0;

    // Panel colour, outer bevel, border and inner bevel over the panel rectangle.
    void paintBackground(Canvas& c);

    // Passes run so far, this one counted while it runs.
    std::uint64_t passCount() const { return passes_; }
    // Between the pass before this one and this one only points changed: no setting.
    bool onlyPointsChanged() const { return passOnlyPoints_; }

    // Keeps the plot rectangle inside the panel and at least one pixel wide and high.
    void recalcPlotSize();
    void setPlotRect(const Rect& r) { plotRect_ = r; }

    template <typename T, typename U> bool assignAndRepaint(T& field, U value) {
        if (field == value)
            return false;
        field = value;
        requestRepaint();
        return true;
    }

private:
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
    std::uint64_t passes_ = 0;
    bool onlyPoints_ = false;
    bool passOnlyPoints_ = false;
};

} // namespace kv
