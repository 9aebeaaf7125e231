#include "chart/extended_panel.h"

#include <algorithm>

namespace kv {

void ExtendedPanel::drawZoomFrame(Canvas& c) {
    // The panel colour, or black where that colour would vanish on a white back wall.
    const ColorValue pen = resolveColor(color()) == clWhite ? clBlack : color();
    c.setPenColor(pen);
    c.setPenMode(PenMode::pmNotXor);
    c.setPenStyle(PenStyle::psSolid);
    c.setPenWidth(1);
    c.setBrushStyle(BrushStyle::bsClear);
    c.rectangle(zoomFrame(zoomDrag_));
    c.setPenMode(PenMode::pmCopy);
}

void ExtendedPanel::changeZoomDrag(const std::function<void(DragState&)>& change) {
    if (!faceCurrent()) {
        change(zoomDrag_);
        repaint();
        return;
    }
    DragState next = zoomDrag_;
    change(next);
    const Rect before = zoomFrame(zoomDrag_);
    const Rect after = zoomFrame(next);
    const Rect dirty{std::min(before.left, after.left), std::min(before.top, after.top),
                     std::max(before.right, after.right), std::max(before.bottom, after.bottom)};
    {
        Canvas c(faceImage());
        if (zoomDrag_.active)
            drawZoomFrame(c);
        zoomDrag_ = next;
        if (zoomDrag_.active)
            drawZoomFrame(c);
    }
    showFace(dirty);
}

} // namespace kv
