#pragma once

#include "support/paint_log.h"
#include "support/wait.h"

#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <chrono>

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

} // namespace kv::test
