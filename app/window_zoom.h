#pragma once

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QRect;
class QWidget;

namespace kv {

// The zoom of a window: the listed sizes from 100 % to 300 %, stepped by Ctrl+Plus and
// Ctrl+Minus, back to 100 % with Ctrl+Shift+0, or chosen in a "Size" menu. A window never
// grows beyond the available area of its screen: the largest listed size that fits is used
// instead, and the window tells so. How the window lays itself out at a zoom is its own
// affair (`apply`); this object decides the zoom and keeps the window's top-left corner
// where it was, moved only as far as the screen needs.
class WindowZoom : public QObject {
    Q_OBJECT
public:
    // The listed sizes, in percent, smallest first.
    static const std::vector<int>& percents();
    // The largest listed size not above `wanted` at which a window of `base` size (its size
    // at 100 %) fits into `available`; the smallest listed size when none fits.
    static int fittingPercent(int wanted, const QSize& base, const QSize& available);
    // A window's length at a zoom, as the window lays itself out.
    static int scaledLength(int length, double zoom);

    // The keys work in `window`, whose size at 100 % is `base`; `apply` lays it out at a zoom.
    WindowZoom(QWidget& window, const QSize& base, std::function<void(double)> apply);
    ~WindowZoom() override;

    int percent() const { return percent_; }
    double zoom() const { return percent_ / 100.0; }
    // The listed size nearest `percent`, or the largest that fits the window's screen. Also
    // before the window is shown, so that it opens at that size.
    void setPercent(int percent);
    void zoomIn();
    void zoomOut();

    // The "Size" entry for the context menu, and the keys' actions.
    QAction* menuAction() const;
    QList<QAction*> keyActions() const { return keys_; }

signals:
    // The zoom has changed (its window is laid out at it).
    void zoomChanged(double zoom);
    // A size asked for did not fit the screen: a sentence saying what is used instead.
    void reduced(const QString& notice);

private:
    QRect available() const;
    void syncMenu();

    QWidget& window_;
    QSize base_;
    std::function<void(double)> apply_;
    int percent_ = 100;
    QMenu* menu_ = nullptr;
    QActionGroup* sizes_ = nullptr;
    QList<QAction*> keys_;
};

} // namespace kv
