#pragma once

#include "canvas/canvas.h"
#include "canvas/face_widget.h"

#include <QWidget>

namespace kv {

// Common base of the gauge controls: a transparent face (the parent shows through
// whatever the gauge leaves unpainted) drawn by paint().
//
// Update lock: while beginUpdate() is outstanding, paramChange() does nothing and no full
// paint runs, so a batch of property changes recomputes and repaints once at endUpdate().
class GaugeControl : public FaceWidget {
public:
    // A designing control shows sample content instead of live values (see AnalogGauge).
    explicit GaugeControl(QWidget* parent = nullptr, bool designing = false);
    ~GaugeControl() override;

    void beginUpdate();
    // Releases one level of the lock (never below 0); at 0 it runs paramChange().
    void endUpdate();
    int updateLock() const { return updateLock_; }
    bool designing() const { return designing_; }

    // Draws the control's content into `rect` of any canvas (tests, gallery, the face).
    virtual void paint(Canvas& canvas, const Rect& rect);

    // The control's own visibility: false only after an explicit hide(), whatever its
    // parent or window currently shows.
    bool visibleProperty() const;

protected:
    // Runs settingsChange() unless the update lock is held.
    virtual void paramChange();
    virtual void settingsChange() {}

    void paintFace(Canvas& canvas, const Rect& rect) override { paint(canvas, rect); }
    bool paintAllowed() const override { return updateLock_ == 0; }

private:
    int updateLock_ = 0;
    bool designing_ = false;
};

} // namespace kv
