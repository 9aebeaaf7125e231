#include "chart/buffered_panel.h"

#include <cmath>

namespace kv {

namespace {

// margin percent of a length, halves rounded away from zero
long long percentOf(int percent, int length) {
    return std::llround(double(percent) * double(length) / 100.0);
}

} // namespace

BufferedPanel::BufferedPanel(QWidget* parent)
    : FaceWidget(parent, FaceKind::OpaqueRgb, false, FaceResolution::Device) {}

void BufferedPanel::requestRepaint() {
    // Settings touched by the pass itself (the automatic axis range) must not start
    // another pass.
    if (paintingFace())
        return;
    onlyPoints_ = false;
    invalidate();
}

void BufferedPanel::requestPointsRepaint() {
    if (paintingFace())
        return;
    invalidate();
}

void BufferedPanel::paintChart(Canvas& target, const Rect& r) {
    if (r.width() < 1 || r.height() < 1)
        return;
    // Drawn for the target's pixels, so that it lands there pixel for pixel.
    renderFaceAt(r.width(), r.height(), target.grid().ratio());
    target.draw(r.left, r.top, face());
}

void BufferedPanel::paintFace(Canvas& c, const Rect& rect) {
    ++passes_;
    // Requests during the pass are part of it (requestRepaint ignores them).
    passOnlyPoints_ = onlyPoints_;
    onlyPoints_ = true;
    const int width = rect.width(), height = rect.height();
    panelRect_ = rect;
    // Worked out in 64 bits and held to the int range: a border or margin near the end of
    // the range must not wrap the plot around.
    const long long border = borderWidth_;
    plotRect_ = Rect{clampToInt(panelRect_.left + border + percentOf(marginLeft_, width)),
                     clampToInt(panelRect_.top + border + percentOf(marginTop_, height)),
                     clampToInt(panelRect_.right - border - percentOf(marginRight_, width)),
                     clampToInt(panelRect_.bottom - border - percentOf(marginBottom_, height))};
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
        r.right = clampToInt(r.left + 1LL);
    else if (r.right == r.left)
        r.right = clampToInt(static_cast<long long>(r.left) + panelRect_.width());
    if (r.bottom < r.top)
        r.bottom = clampToInt(r.top + 1LL);
    else if (r.bottom == r.top)
        r.bottom = clampToInt(static_cast<long long>(r.top) + panelRect_.height());
}

void BufferedPanel::frame3D(Canvas& c, Rect& r, ColorValue topLeft, ColorValue bottomRight,
                            int width) {
    r = drawRings(c, r, width, [=](int) { return std::pair{topLeft, bottomRight}; });
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
