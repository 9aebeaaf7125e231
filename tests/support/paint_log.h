#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <vector>

namespace kv::test {

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
    // Each paint event's rectangle, in the order they came.
    std::vector<QRect> rects() const {
        std::vector<QRect> out;
        for (const QRegion& r : regions_)
            out.push_back(r.boundingRect());
        return out;
    }

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
