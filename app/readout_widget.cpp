#include "app/readout_widget.h"

#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace kv {

namespace {

// The height, in face pixels, that a screen's readout is laid out in: its chart's texts are
// then as large in proportion as in the window.
constexpr double kFaceHeight = 540.0;

} // namespace

ReadoutWidget::ReadoutWidget()
    : FaceWidget(nullptr, FaceKind::Opaque, false, FaceResolution::Device) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setObjectName(QStringLiteral("readout"));
    connect(&model_, &ReadoutModel::changed, this, [this] { invalidate(); });
}

void ReadoutWidget::setTrendPainter(TrendPainter trend) {
    trend_ = std::move(trend);
    invalidate();
}

void ReadoutWidget::showOn(QScreen& screen) {
    const QRect area = screen.geometry();
    setZoom(std::clamp(area.height() / kFaceHeight, kMinZoom, kMaxZoom));
    setGeometry(area);
    showFullScreen();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void ReadoutWidget::paintFace(Canvas& canvas, const Rect& rect) {
    paintReadout(canvas, rect, model_, trend_);
}

void ReadoutWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11 || event->key() == Qt::Key_Escape) {
        event->accept();
        emit leaveRequested();
        return;
    }
    FaceWidget::keyPressEvent(event);
}

} // namespace kv
