#pragma once

// Records the paint events a widget receives: what reaches the screen, and when.
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <vector>

namespace kv::testing {

class PaintSpy : public QObject {
public:
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
};

} // namespace kv::testing
