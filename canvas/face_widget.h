#pragma once

#include "canvas/canvas.h"

#include <QImage>
#include <QSize>
#include <QWidget>
#include <vector>

namespace kv {

// How a face treats the pixels a full paint leaves untouched.
enum class FaceKind {
    // Cleared to transparent before every full paint: the control is not opaque and the
    // parent shows through whatever is left unpainted.
    Transparent,
    // Never cleared: the paint covers what it means to show, and a paint that draws nothing
    // (a level bar's empty range) leaves the previous picture. A new face starts in the
    // parent's background colour rather than in uninitialised memory.
    Opaque,
    // Opaque, kept as RGB32 like a Bitmap: not-XOR strokes (the chart's rubber band) are
    // then written straight into its pixels and undone exactly by drawing them again.
    OpaqueRgb,
};

// How many image pixels a face has per logical pixel.
enum class FaceResolution {
    // One: on a screen scaled by the desktop the window system enlarges the face. For a
    // control that still draws and reads its face pixel by pixel.
    Logical,
    // The device pixel ratio of the device the face is shown on: on a screen at 200 % the
    // face has four pixels for each logical one and its figures are drawn as sharp shapes
    // at that resolution (see Canvas).
    Device,
};

// A widget that keeps its picture, the face, in an image of its size for its whole life
// and copies it to the screen. A control larger than kMaxFaceSide (a value font of
// thousands of pixels with automatic sizing) keeps and shows the top-left part of that size,
// and at ratios above 2 the part of twice kMaxFaceSide device pixels.
//
// A face of the device's resolution follows the device: a paint on a device of another
// ratio (the window moved to another screen, a picture of the window taken at another
// ratio) draws the face afresh for it before showing it.
//
// A full paint is requested with invalidate() and runs at the next paint event: first
// prepareFace() (measuring, automatic sizing), then the face is fitted to the widget and
// drawn through paintFace(). Any number of requests before that paint cost one full paint;
// a paint event with nothing to redraw only copies the face. A paint that throws leaves the
// face due for a full paint and the fast paths free to run.
//
// Fast paths draw into faceImage() through a Canvas and call showFace(rect), which puts
// that part on screen before returning.
//
// A zoomed face (setZoom) keeps its own size while the widget grows by the zoom: the face
// is drawn at its size for a device of the device's ratio times the zoom, so that its
// figures and texts are as sharp at the larger size as at a ratio of the screen. Its size,
// clientRect() and the rectangles the control paints in, stay in face pixels; faceAt() and
// widgetRect() translate between those and the widget's.
class FaceWidget : public QWidget {
public:
    // `followsPalette`: the face shows the parent's colour, so a palette or parent change
    // repaints it.
    FaceWidget(QWidget* parent, FaceKind kind, bool followsPalette = false,
               FaceResolution resolution = FaceResolution::Logical);
    ~FaceWidget() override;

    // Runs a full paint into the face now, whatever paintAllowed() says, and returns it:
    // at the widget's device pixel ratio, or at `ratio` (a picture for a device of that
    // ratio); a face of logical resolution always at 1. The image carries its ratio.
    const QImage& renderFace();
    const QImage& renderFace(double ratio);
    const QImage& face() const { return face_; }
    // Draws the whole face straight onto `canvas` in `rect`, whatever its size, leaving the
    // face as it is: a picture for another device, such as a vector drawing (text as text,
    // lines as paths) through a canvas over its painter, or a larger picture.
    void paintOnto(Canvas& canvas, const Rect& rect);
    // True while the face, or a part of it, waits for a paint.
    bool faceDirty() const { return faceDirty_ || !part_.empty(); }
    // The face's extent, in face pixels: the widget's size divided by the zoom.
    Rect clientRect() const { return Rect{0, 0, faceWidth(), faceHeight()}; }
    int faceWidth() const;
    int faceHeight() const;

    // Widget pixels per face pixel, 1 by default; values that are no zoom (below kMinZoom,
    // above kMaxZoom, not a number) are refused. The widget's size is left to the caller
    // (see resizeFace()).
    double zoom() const { return zoom_; }
    void setZoom(double zoom);
    static constexpr double kMinZoom = 1.0;
    static constexpr double kMaxZoom = 8.0;
    // Resizes the widget so that its face is width x height face pixels.
    void resizeFace(int width, int height);
    // The face pixel under a point of the widget, and the widget's pixels a face rectangle
    // covers.
    Point faceAt(const QPointF& widgetPoint) const;
    QRect widgetRect(const Rect& faceRect) const;
    // The colour that shows around the control: the parent's background, or the button
    // face without a parent.
    ColorValue backgroundColor() const;

protected:
    // Draws the whole face into `rect` (the face's extent) of `canvas`.
    virtual void paintFace(Canvas& canvas, const Rect& rect) = 0;
    // Called before each full paint at the widget's size, outside any canvas: measure and
    // resize here.
    virtual void prepareFace() {}
    // Whether a paint event may run a full paint now; one that may not copies the old face.
    virtual bool paintAllowed() const { return true; }
    // Something shown over the face that the face does not keep (a label following the
    // mouse): while hasOverlay() says so, a paint event puts the face on screen with
    // paintOverlay() drawn over a copy of it, at the face's ratio.
    virtual bool hasOverlay() const { return false; }
    virtual void paintOverlay(Canvas&) {}

    // Marks the face for a full paint and asks the window system for one.
    void invalidate();
    // Marks only `part` of the face (face pixels) as showing an old state: the next paint
    // event draws the face again through paintFace() on a canvas clipped to the parts
    // marked, which must draw everything else as it stands. Nothing for an empty part.
    void invalidate(const Rect& part);
    // A full paint into a face of width x height, which may differ from the widget's size
    // (a picture drawn for another canvas), for a device of `ratio`; the next paint event
    // then fits it back.
    void renderFaceAt(int width, int height, double ratio);
    // True when the face shows the current state at the widget's size, so that a fast path
    // may draw on it instead of asking for a full paint.
    bool faceCurrent() const;
    QImage& faceImage() { return face_; }
    // Puts `r` of the face on screen now. Inside a full paint, or while a full paint is
    // pending, nothing is needed: that paint shows the face anyway.
    void showFace(const Rect& r);
    // The same for several parts, in one repaint.
    void showFace(const std::vector<Rect>& parts);
    bool paintingFace() const { return paintingFace_; }

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The ratio of a face for a device of `deviceRatio`, with the zoom.
    double faceRatioFor(double deviceRatio) const;
    // A transparent face that came out opaque over the whole widget hides the parent, so
    // the window system need not paint the parent underneath at every repaint: after a
    // full paint the face is looked at whole, after a fast path the part it changed.
    void judgeOpacity(const QRect& facePixels);
    void setHidesParent(bool hides);
    int toFace(int widgetLength) const;
    void drawFace(int width, int height, double ratio);
    void drawPart();
    // Drawn at the widget's size and not waiting for a full paint (parts may be).
    bool faceFits() const;
    // The device pixels of the face a rectangle of face pixels touches.
    QRect facePixels(const Rect& r) const;
    // The face's image size for a widget of width x height at `ratio`.
    static QSize faceSizeFor(int width, int height, double ratio);
    void fitFace(const QSize& size, double ratio);

    FaceKind kind_;
    bool followsPalette_;
    FaceResolution resolution_;
    double zoom_ = 1.0;
    bool faceDirty_ = true;
    Rect part_{}; // the bounds of the parts marked since the last paint
    bool paintingFace_ = false;
    QImage face_;
};

} // namespace kv
