#include "canvas/face_widget.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace kv {

FaceWidget::FaceWidget(QWidget* parent, FaceKind kind, bool followsPalette)
    : QWidget(parent), kind_(kind), followsPalette_(followsPalette) {
    // An opaque face covers every pixel of the control, so the parent need not paint
    // underneath.
    if (kind_ != FaceKind::Transparent)
        setAttribute(Qt::WA_OpaquePaintEvent);
    fitFace(faceSizeFor(width(), height()));
}

FaceWidget::~FaceWidget() = default;

const QImage& FaceWidget::renderFace() {
    prepareFace(); // may resize the widget, and with it the face
    renderFaceAt(width(), height());
    return face_;
}

ColorValue FaceWidget::backgroundColor() const {
    if (const QWidget* p = parentWidget())
        return fromQColor(p->palette().color(p->backgroundRole()));
    return clBtnFace;
}

void FaceWidget::invalidate() {
    faceDirty_ = true;
    update();
}

void FaceWidget::renderFaceAt(int width, int height) {
    // Until the paint completes the face shows neither the old picture nor the new one.
    faceDirty_ = true;
    fitFace(faceSizeFor(width, height));
    if (kind_ == FaceKind::Transparent)
        face_.fill(Qt::transparent);
    // A painter may throw (a picture format the formatter refuses); the face then stays
    // due for a full paint, and paint events, fast paths and repaint requests must not stay
    // blocked.
    struct PaintingFlag {
        bool& flag;
        explicit PaintingFlag(bool& f) : flag(f) { flag = true; }
        ~PaintingFlag() { flag = false; }
    } painting(paintingFace_);
    {
        Canvas canvas(face_);
        paintFace(canvas, Rect{0, 0, width, height});
    }
    faceDirty_ = false;
}

bool FaceWidget::faceCurrent() const {
    return !faceDirty_ && face_.size() == faceSizeFor(width(), height());
}

void FaceWidget::showFace(const Rect& r) {
    if (paintingFace_ || faceDirty_ || r.width() <= 0 || r.height() <= 0)
        return;
    if (isVisible())
        repaint(r.left, r.top, r.width(), r.height());
}

void FaceWidget::paintEvent(QPaintEvent* event) {
    if (!faceCurrent() && !paintingFace_ && paintAllowed())
        renderFace();
    QPainter p(this);
    p.drawImage(event->rect(), face_, event->rect());
}

void FaceWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Hidden widgets get resize events on every grab; only a real change of size makes the
    // kept face unusable.
    if (faceSizeFor(event->size().width(), event->size().height()) != face_.size())
        faceDirty_ = true;
}

void FaceWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (followsPalette_ &&
        (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange))
        invalidate();
}

QSize FaceWidget::faceSizeFor(int width, int height) {
    return QSize(std::clamp(width, 1, kMaxFaceSide), std::clamp(height, 1, kMaxFaceSide));
}

void FaceWidget::fitFace(const QSize& size) {
    if (face_.size() == size)
        return;
    face_ = QImage(size, kind_ == FaceKind::OpaqueRgb ? QImage::Format_RGB32
                                                      : QImage::Format_ARGB32_Premultiplied);
    face_.fill(kind_ == FaceKind::Transparent ? QColor(Qt::transparent)
                                              : toQColor(backgroundColor()));
}

} // namespace kv
