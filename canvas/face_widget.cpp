#include "canvas/face_widget.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

bool opaqueIn(const QImage& image, const QRect& r) {
    const QRect area = r.intersected(image.rect());
    // Every alpha is 255 when the alphas of all pixels ANDed together are: one pass the
    // compiler runs many pixels at a time.
    quint32 all = 0xffffffffu;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            all &= line[x];
    }
    return (all >> 24) == 0xffu;
}

// Set while a paint into the face runs, and cleared however it ends.
struct PaintingFlag {
    bool& flag;
    explicit PaintingFlag(bool& f) : flag(f) { flag = true; }
    ~PaintingFlag() { flag = false; }
};

} // namespace

FaceWidget::FaceWidget(QWidget* parent, FaceKind kind, bool followsPalette,
                       FaceResolution resolution)
    : QWidget(parent), kind_(kind), followsPalette_(followsPalette), resolution_(resolution) {
    // An opaque face covers every pixel of the control, so the parent need not paint
    // underneath.
    if (kind_ != FaceKind::Transparent)
        setAttribute(Qt::WA_OpaquePaintEvent);
    fitFace(faceSizeFor(width(), height(), 1.0), 1.0);
}

FaceWidget::~FaceWidget() = default;

const QImage& FaceWidget::renderFace() {
    return renderFace(devicePixelRatio());
}

const QImage& FaceWidget::renderFace(double ratio) {
    prepareFace(); // may resize the widget, and with it the face
    drawFace(faceWidth(), faceHeight(), faceRatioFor(ratio));
    return face_;
}

double FaceWidget::faceRatioFor(double deviceRatio) const {
    return (resolution_ == FaceResolution::Device && deviceRatio > 0 ? deviceRatio : 1.0) * zoom_;
}

int FaceWidget::toFace(int widgetLength) const {
    if (zoom_ == 1.0)
        return widgetLength;
    // A zoom of at least 1 brings every face length back from its rounded widget length.
    return static_cast<int>(std::lround(widgetLength / zoom_));
}

int FaceWidget::faceWidth() const {
    return toFace(width());
}

int FaceWidget::faceHeight() const {
    return toFace(height());
}

void FaceWidget::setZoom(double zoom) {
    if (!(zoom >= kMinZoom && zoom <= kMaxZoom) || zoom == zoom_)
        return;
    zoom_ = zoom;
    invalidate();
}

void FaceWidget::resizeFace(int width, int height) {
    if (zoom_ == 1.0) {
        resize(width, height);
        return;
    }
    resize(static_cast<int>(std::lround(width * zoom_)),
           static_cast<int>(std::lround(height * zoom_)));
}

Point FaceWidget::faceAt(const QPointF& widgetPoint) const {
    return Point{static_cast<int>(std::floor(widgetPoint.x() / zoom_)),
                 static_cast<int>(std::floor(widgetPoint.y() / zoom_))};
}

QRect FaceWidget::widgetRect(const Rect& r) const {
    if (zoom_ == 1.0)
        return QRect(r.left, r.top, r.width(), r.height());
    // Outwards, so that every widget pixel the face rectangle touches is in.
    const int left = static_cast<int>(std::floor(r.left * zoom_));
    const int top = static_cast<int>(std::floor(r.top * zoom_));
    const int right = static_cast<int>(std::ceil(r.right * zoom_));
    const int bottom = static_cast<int>(std::ceil(r.bottom * zoom_));
    return QRect(left, top, right - left, bottom - top);
}

ColorValue FaceWidget::backgroundColor() const {
    if (const QWidget* p = parentWidget())
        return fromQColor(p->palette().color(p->backgroundRole()));
    return clBtnFace;
}

void FaceWidget::invalidate() {
    faceDirty_ = true;
    part_ = Rect{};
    // Nothing is known of the face to come.
    setHidesParent(false);
    update();
}

void FaceWidget::invalidate(const Rect& part) {
    const Rect r = intersected(part, clientRect());
    if (faceDirty_ || r.empty())
        return;
    part_ = united(part_, r);
    update(widgetRect(r));
}

QRect FaceWidget::facePixels(const Rect& r) const {
    // Where a canvas on the face lays the rectangle, and with it a clip to it.
    const Rect d = DeviceGrid(face_.devicePixelRatio()).toDevice(r);
    return QRect(d.left, d.top, d.width(), d.height());
}

void FaceWidget::judgeOpacity(const QRect& facePixels) {
    if (kind_ != FaceKind::Transparent)
        return;
    if (facePixels == face_.rect()) {
        // Shown one for one from the widget's top left, the face must reach its far edges.
        const double ratio = face_.devicePixelRatio();
        const bool covers = zoom_ == 1.0 && face_.width() >= std::ceil(width() * ratio - 1e-9) &&
                            face_.height() >= std::ceil(height() * ratio - 1e-9);
        setHidesParent(covers && opaqueIn(face_, facePixels));
    } else if (testAttribute(Qt::WA_OpaquePaintEvent) && !opaqueIn(face_, facePixels)) {
        setHidesParent(false);
    }
}

void FaceWidget::setHidesParent(bool hides) {
    if (kind_ == FaceKind::Transparent && testAttribute(Qt::WA_OpaquePaintEvent) != hides)
        setAttribute(Qt::WA_OpaquePaintEvent, hides);
}

void FaceWidget::renderFaceAt(int width, int height, double ratio) {
    drawFace(width, height, faceRatioFor(ratio));
}

void FaceWidget::drawFace(int width, int height, double ratio) {
    // Until the paint completes the face shows neither the old picture nor the new one.
    faceDirty_ = true;
    part_ = Rect{};
    fitFace(faceSizeFor(width, height, ratio), ratio);
    if (kind_ == FaceKind::Transparent)
        face_.fill(Qt::transparent);
    // A painter may throw (a picture format the formatter refuses); the face then stays
    // due for a full paint, and paint events, fast paths and repaint requests must not stay
    // blocked.
    const PaintingFlag painting(paintingFace_);
    {
        Canvas canvas(face_);
        paintFace(canvas, Rect{0, 0, width, height});
    }
    faceDirty_ = false;
    judgeOpacity(face_.rect());
}

void FaceWidget::drawPart() {
    const Rect part = part_;
    part_ = Rect{};
    // As a full paint: a paint that throws leaves the face due for a full one.
    faceDirty_ = true;
    const PaintingFlag painting(paintingFace_);
    if (kind_ == FaceKind::Transparent) {
        QPainter clear(&face_);
        clear.setCompositionMode(QPainter::CompositionMode_Source);
        clear.fillRect(facePixels(part), Qt::transparent);
    }
    {
        Canvas canvas(face_);
        canvas.intersectClip(part);
        paintFace(canvas, clientRect());
    }
    faceDirty_ = false;
    judgeOpacity(facePixels(part));
}

bool FaceWidget::faceCurrent() const {
    return faceFits() && part_.empty();
}

bool FaceWidget::faceFits() const {
    return !faceDirty_ &&
           face_.size() == faceSizeFor(faceWidth(), faceHeight(), face_.devicePixelRatio());
}

void FaceWidget::showFace(const Rect& r) {
    showFace(std::vector<Rect>{r});
}

void FaceWidget::showFace(const std::vector<Rect>& parts) {
    QRegion shown;
    for (const Rect& r : parts)
        if (r.width() > 0 && r.height() > 0)
            shown += widgetRect(r);
    if (paintingFace_ || faceDirty_ || shown.isEmpty())
        return;
    if (!isVisible()) {
        // Nothing goes on screen now; the face is not looked at again for what shows later.
        setHidesParent(false);
        return;
    }
    for (const Rect& r : parts)
        if (r.width() > 0 && r.height() > 0)
            judgeOpacity(facePixels(r));
    repaint(shown);
}

bool FaceWidget::event(QEvent* event) {
    // Moved to a screen of another ratio: the face is drawn afresh for it. (The window
    // system repaints the window then too; the mark keeps fast paths off the old face.)
    const bool ratioMayChange =
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        event->type() == QEvent::DevicePixelRatioChange ||
#endif
        event->type() == QEvent::ScreenChangeInternal;
    if (ratioMayChange && faceRatioFor(devicePixelRatio()) != face_.devicePixelRatio())
        invalidate();
    return QWidget::event(event);
}

void FaceWidget::paintEvent(QPaintEvent* event) {
    // The device pixels per logical pixel of the device this paint goes to: the window's
    // backing store, or the picture a grab takes. The painter's mapping to the device tells
    // it; the painter is ended again before a full paint, which may resize the widget.
    QPainter p(this);
    const QTransform toDevice = p.deviceTransform();
    const double ratio = faceRatioFor(std::hypot(toDevice.m11(), toDevice.m12()));
    const bool parentHidden =
        kind_ == FaceKind::Transparent && testAttribute(Qt::WA_OpaquePaintEvent);
    if (!paintingFace_ && paintAllowed()) {
        if (!faceFits() || face_.devicePixelRatio() != ratio) {
            p.end();
            prepareFace(); // may resize the widget, and with it the face
            drawFace(faceWidth(), faceHeight(), ratio);
            p.begin(this);
        } else if (!part_.empty()) {
            drawPart();
        }
        if (parentHidden && !testAttribute(Qt::WA_OpaquePaintEvent)) {
            // The face drawn for this device lets the parent show through, which the window
            // system has not painted this time: its colour stands in, and the next paint
            // shows the parent itself.
            p.fillRect(event->rect(), toQColor(backgroundColor()));
            update();
        }
    }
    QImage withOverlay;
    if (hasOverlay()) {
        withOverlay = face_.copy();
        Canvas canvas(withOverlay);
        paintOverlay(canvas);
    }
    const QImage& shown = withOverlay.isNull() ? face_ : withOverlay;
    if (shown.devicePixelRatio() == 1.0) {
        p.drawImage(event->rect(), shown, event->rect());
        return;
    }
    // Pixel for pixel on a device of the face's ratio.
    p.setClipRect(event->rect());
    if (zoom_ == 1.0) {
        p.drawImage(QPointF(0, 0), shown);
        return;
    }
    // Zoomed: the face's pixels are the device's, over the widget's larger extent.
    const double toWidget = zoom_ / shown.devicePixelRatio();
    p.drawImage(QRectF(0, 0, shown.width() * toWidget, shown.height() * toWidget), shown);
}

void FaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Hidden widgets get resize events on every grab; only a real change of size makes the
    // kept face unusable.
    if (faceSizeFor(toFace(event->size().width()), toFace(event->size().height()),
                    face_.devicePixelRatio()) != face_.size()) {
        faceDirty_ = true;
        setHidesParent(false);
    } else if (!faceDirty_) {
        // The same face may no longer reach the widget's edges.
        judgeOpacity(face_.rect());
    }
}

void FaceWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (followsPalette_ &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange))
        invalidate();
}

QSize FaceWidget::faceSizeFor(int width, int height, double ratio) {
    // Beyond 200 % the largest face holds fewer logical pixels: its memory stays that of a
    // face of twice the largest side at 200 %.
    const int side = std::min(kMaxFaceSide, int(2 * kMaxFaceSide / std::max(ratio, 1.0)));
    const Size device =
        DeviceGrid(ratio).deviceSize(Size{std::clamp(width, 1, side), std::clamp(height, 1, side)});
    return QSize(std::max(device.width, 1), std::max(device.height, 1));
}

void FaceWidget::fitFace(const QSize& size, double ratio) {
    if (face_.size() == size && face_.devicePixelRatio() == ratio)
        return;
    face_ = QImage(size, kind_ == FaceKind::OpaqueRgb ? QImage::Format_RGB32
                                                      : QImage::Format_ARGB32_Premultiplied);
    face_.setDevicePixelRatio(ratio);
    face_.fill(kind_ == FaceKind::Transparent ? QColor(Qt::transparent)
                                              : toQColor(backgroundColor()));
}

void FaceWidget::paintOnto(Canvas& canvas, const Rect& rect) {
    prepareFace();
    {
        const PaintingFlag painting(paintingFace_);
        paintFace(canvas, rect);
    }
    // A pass at another size leaves the layout of that size behind: the face is drawn
    // again for its own before it is used.
    if (rect.width() != faceWidth() || rect.height() != faceHeight())
        invalidate();
}

} // namespace kv
