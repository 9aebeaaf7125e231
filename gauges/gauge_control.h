#pragma once

#include "canvas/canvas.h"

#include <QImage>
#include <QWidget>

namespace kv {

// Common base of the gauge controls.
//
// Painting: the control keeps its face image for its whole life (reallocated on resize).
// A full paint is requested with invalidate(); it runs later from paintEvent, which first
// calls prepareFace() (measuring, automatic sizing), then clears the face to transparent
// (the control is not opaque: the parent shows through whatever is left unpainted) and
// calls paint() with a canvas on the face. paintEvent itself only copies the face.
// Fast paths draw into faceImage() through a Canvas and then call showFace(rect), which
// puts that part on screen before returning.
//
// Update lock: while beginUpdate() is outstanding, paramChange() does nothing and no full
// paint runs, so a batch of property changes recomputes and repaints once at endUpdate().
class GaugeControl : public QWidget {
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

    // Runs a full paint into the face now, whatever the lock, and returns the face.
    const QImage& renderFace();
    const QImage& face() const { return face_; }
    // True while the face waits for a full paint.
    bool faceDirty() const { return faceDirty_; }
    Rect clientRect() const { return Rect{0, 0, width(), height()}; }
    // The control's own visibility: false only after an explicit hide(), whatever its
    // parent or window currently shows.
    bool visibleProperty() const;

protected:
    // Runs settingsChange() unless the update lock is held.
    virtual void paramChange();
    virtual void settingsChange() {}
    // Called before each full paint, outside any canvas: measure and resize here.
    virtual void prepareFace() {}

    // Marks the face for a full paint and asks the window system for one.
    void invalidate();
    QImage& faceImage() { return face_; }
    // Puts `r` of the face on screen now. Inside a full paint, or while a full paint is
    // pending, nothing is needed: that paint shows the face anyway.
    void showFace(const Rect& r);
    bool paintingFace() const { return paintingFace_; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitFace();

    int updateLock_ = 0;
    bool designing_ = false;
    bool faceDirty_ = true;
    bool paintingFace_ = false;
    QImage face_;
};

} // namespace kv
