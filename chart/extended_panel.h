#pragma once

#include "chart/buffered_panel.h"
#include "chart/zoom.h"

#include <functional>

namespace kv {

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
    // where it was, drawn where it is now (or the whole chart redrawn when the face is out
    // of date, since each pass draws the frame of an active drag).
    void changeZoomDrag(const std::function<void(DragState&)>& change);

    DragState zoomDrag_;
    DragState scrollDrag_;

private:
    bool allowZoom_ = true;
    PanningMode allowPanning_ = PanningMode::pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
};

} // namespace kv
