#include "gauges/gauge_control.h"

#include <QPaintEvent>
#include <QPainter>

namespace kv {

GaugeControl::GaugeControl(QWidget* parent, bool designing)
    : QWidget(parent), designing_(designing) {
    fitFace();
}

GaugeControl::~GaugeControl() = default;

void GaugeControl::beginUpdate() {
    ++updateLock_;
}

void GaugeControl::endUpdate() {
    --updateLock_;
    if (updateLock_ < 0)
        updateLock_ = 0;
    if (updateLock_ == 0)
        paramChange();
}

void GaugeControl::paramChange() {
    if (updateLock_ == 0)
        settingsChange();
}

void GaugeControl::paint(Canvas&, const Rect&) {}

bool GaugeControl::visibleProperty() const {
    return !testAttribute(Qt::WA_WState_ExplicitShowHide) || !isHidden();
}

const QImage& GaugeControl::renderFace() {
    prepareFace(); // may resize the control, and with it the face
    fitFace();
    face_.fill(Qt::transparent);
    // A painter may throw (a picture format the formatter refuses); the face then stays
    // due for a full paint and the fast paths must not stay blocked.
    struct PaintingFlag {
        bool& flag;
        explicit PaintingFlag(bool& f) : flag(f) { flag = true; }
        ~PaintingFlag() { flag = false; }
    } painting(paintingFace_);
    {
        Canvas canvas(face_);
        paint(canvas, clientRect());
    }
    faceDirty_ = false;
    return face_;
}

void GaugeControl::invalidate() {
    faceDirty_ = true;
    update();
}

void GaugeControl::showFace(const Rect& r) {
    if (paintingFace_ || faceDirty_ || r.width() <= 0 || r.height() <= 0)
        return;
    if (isVisible())
        repaint(r.left, r.top, r.width(), r.height());
}

void GaugeControl::paintEvent(QPaintEvent* event) {
    if (faceDirty_ && updateLock_ == 0 && !paintingFace_)
        renderFace();
    QPainter p(this);
    p.drawImage(event->rect(), face_, event->rect());
}

void GaugeControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitFace();
    faceDirty_ = true;
}

void GaugeControl::fitFace() {
    const QSize want(qMax(width(), 1), qMax(height(), 1));
    if (face_.size() != want) {
        face_ = QImage(want, QImage::Format_ARGB32_Premultiplied);
        face_.fill(Qt::transparent);
    }
}

} // namespace kv
