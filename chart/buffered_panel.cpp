#include "chart/buffered_panel.h"

#include <cmath>

namespace kv {

namespace {

// margin percent of a length, halves rounded away from zero
int percentOf(int percent, int length) {
    return int(std::lround(double(percent) * double(length) / 100.0));
}

} // namespace

BufferedPanel::BufferedPanel(QWidget* parent) : FaceWidget(parent, FaceKind::OpaqueRgb) {}

void BufferedPanel::requestRepaint() {
    // Settings touched by the pass itself (the automatic axis range) must not start
    // another pass.
    if (!constructed_ || paintingFace())
        return;
    invalidate();
}

void BufferedPanel::paintChart(Canvas& target, const Rect& r) {
    if (r.width() < 1 || r.height() < 1)
        return;
    renderFaceAt(r.width(), r.height());
    target.draw(r.left, r.top, face());
}

void BufferedPanel::paintFace(Canvas& c, const Rect& rect) {
    const int width = rect.width(), height = rect.height();
    panelRect_ = rect;
    plotRect_ = Rect{panelRect_.left + borderWidth_ + percentOf(marginLeft_, width),
                     panelRect_.top + borderWidth_ + percentOf(marginTop_, height),
                     panelRect_.right - borderWidth_ - percentOf(marginRight_, width),
                     panelRect_.bottom - borderWidth_ - percentOf(marginBottom_, height)};
    recalcPlotSize();
    paintContents(c);
}

void BufferedPanel::recalcPlotSize() {
    Rect& r = plotRect_;
    if (r.left < panelRect_.left)
        r.left = panelRect_.left;
    if (r.top < panelRect_.top)
        r.top = panelRect_.top;
    if (r.right < r.left)
        r.right = r.left + 1;
    else if (r.right == r.left)
        r.right = r.left + panelRect_.width();
    if (r.bottom < r.top)
        r.bottom = r.top + 1;
    else if (r.bottom == r.top)
        r.bottom = r.top + panelRect_.height();
}

void BufferedPanel::frame3D(Canvas& c, Rect& r, ColorValue topLeft, ColorValue bottomRight,
                            int width) {
    // Each ring: the left column and top row in the first colour, then the right column
    // and bottom row in the second, which also takes the top-right and bottom-left corners.
    c.setPenWidth(1);
    int right = r.right - 1;
    int bottom = r.bottom - 1;
    int left = r.left;
    int top = r.top;
    for (int i = 0; i < width; ++i) {
        c.setPenColor(topLeft);
        c.polyline({{left, bottom}, {left, top}, {right, top}});
        c.setPenColor(bottomRight);
        c.polyline({{right, top}, {right, bottom}, {left - 1, bottom}});
        ++left;
        ++top;
        --right;
        --bottom;
    }
    r = Rect{left, top, right + 1, bottom + 1};
}

void BufferedPanel::paintBevel(Canvas& c, Rect& r, PanelBevel b) {
    switch (b) {
    case PanelBevel::bvNone:
        break;
    case PanelBevel::bvRaised:
        frame3D(c, r, clBtnHighlight, clBtnShadow, bevelWidth_);
        break;
    case PanelBevel::bvLowered:
        frame3D(c, r, clBtnShadow, clBtnHighlight, bevelWidth_);
        break;
    }
}

void BufferedPanel::paintBackground(Canvas& c) {
    c.setBrushStyle(BrushStyle::bsSolid);
    c.setBrushColor(color_);
    c.fillRect(panelRect_, color_);

    c.setPenStyle(PenStyle::psSolid);
    c.setPenWidth(1);
    c.setPenMode(PenMode::pmCopy);
    c.setBrushStyle(BrushStyle::bsClear);
    Rect r = panelRect_;
    paintBevel(c, r, bevelOuter_);
    if (borderWidth_ > 0)
        frame3D(c, r, color_, color_, borderWidth_);
    paintBevel(c, r, bevelInner_);
}

} // namespace kv
