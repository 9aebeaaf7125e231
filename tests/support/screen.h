#pragma once

#include "support/wait.h"

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <vector>

namespace kv::test {

// The pixels of `widget` as its top-level window holds them on the screen: what the paints
// so far put into the window's backing store, read back through the screen's own grab
// (the backing store on the offscreen platform, the framebuffer under X). Unlike
// QWidget::grab(), nothing is painted for it, so a control whose picture changed without
// a paint reaching the window shows its old picture here. Clipped to the window; null
// before the window's first paint.
inline QImage onScreen(const QWidget& widget) {
    const QWidget* top = widget.window();
    QScreen* screen = top->screen();
    if (!screen || !top->windowHandle())
        return {};
    const QRect area = QRect(widget.mapTo(top, QPoint(0, 0)), widget.size()) & top->rect();
    if (area.isEmpty())
        return {};
    return screen->grabWindow(top->winId(), area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Shows `window` and runs the event loop until its first paint has reached the screen.
inline bool showOnScreen(QWidget& window) {
    window.show();
    return runEventsUntil(
        [&] {
            return window.windowHandle() && window.windowHandle()->isExposed() &&
                   !onScreen(window).isNull();
        },
        std::chrono::seconds(10));
}

// The paint events a widget is given, each with the region it was asked to paint, in the
// widget's coordinates.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget& widget) : widget_(&widget) { widget.installEventFilter(this); }
    ~PaintLog() override {
        if (widget_)
            widget_->removeEventFilter(this);
    }
    PaintLog(const PaintLog&) = delete;
    PaintLog& operator=(const PaintLog&) = delete;

    int count() const { return static_cast<int>(regions_.size()); }
    // Everything painted since the log began or was last cleared.
    QRegion painted() const {
        QRegion all;
        for (const QRegion& r : regions_)
            all += r;
        return all;
    }
    void clear() { regions_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint)
            regions_.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }

private:
    QPointer<QWidget> widget_;
    std::vector<QRegion> regions_;
};

} // namespace kv::test
