#include "app/window_zoom.h"

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

bool fits(int percent, const QSize& base, const QSize& available) {
    const double zoom = percent / 100.0;
    return WindowZoom::scaledLength(base.width(), zoom) <= available.width() &&
           WindowZoom::scaledLength(base.height(), zoom) <= available.height();
}

// The listed size nearest `percent`, the smaller one of two as near.
int listed(int percent) {
    int best = WindowZoom::percents().front();
    for (int p : WindowZoom::percents())
        if (std::abs(p - percent) < std::abs(best - percent))
            best = p;
    return best;
}

} // namespace

const std::vector<int>& WindowZoom::percents() {
    static const std::vector<int> list{100, 125, 150, 200, 250, 300};
    return list;
}

int WindowZoom::fittingPercent(int wanted, const QSize& base, const QSize& available) {
    int best = percents().front();
    for (int p : percents())
        if (p <= wanted && fits(p, base, available))
            best = p;
    return best;
}

int WindowZoom::scaledLength(int length, double zoom) {
    return static_cast<int>(std::lround(length * zoom));
}

WindowZoom::WindowZoom(QWidget& window, const QSize& base, std::function<void(double)> apply)
    : QObject(&window), window_(window), base_(base), apply_(std::move(apply)) {
    menu_ = new QMenu(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Size")), &window_);
    sizes_ = new QActionGroup(this);
    sizes_->setExclusive(true);
    for (int p : percents()) {
        //: A size of the window in percent of its own; %1 is the number.
        QAction* a = menu_->addAction(
            text(QT_TRANSLATE_NOOP("kv::MainWindow", "%1 %")).arg(QLocale().toString(p)));
        a->setCheckable(true);
        a->setData(p);
        sizes_->addAction(a);
        connect(a, &QAction::triggered, this, [this, p] { setPercent(p); });
    }
    syncMenu();

    auto key = [this](const QList<QKeySequence>& keys, std::function<void()> run) {
        auto* action = new QAction(&window_);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window_.addAction(action);
        connect(action, &QAction::triggered, this, std::move(run));
        keys_ << action;
    };
    // Plus is shifted on many keyboards, equals is not.
    key({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
        [this] { zoomIn(); });
    key({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { zoomOut(); });
    key({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_0)}, [this] { setPercent(100); });
}

WindowZoom::~WindowZoom() = default;

QAction* WindowZoom::menuAction() const {
    return menu_->menuAction();
}

QRect WindowZoom::available() const {
    const QScreen* s = window_.screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

void WindowZoom::setPercent(int percent) {
    const int wanted = listed(percent);
    const QRect area = available();
    const int chosen = area.isEmpty() ? wanted : fittingPercent(wanted, base_, area.size());
    if (chosen < wanted)
        emit reduced(
            text(QT_TRANSLATE_NOOP("kv::MainWindow", "Size reduced to %1 % to fit the screen"))
                .arg(QLocale().toString(chosen)));
    if (chosen == percent_)
        return;
    percent_ = chosen;
    const QPoint topLeft = window_.pos();
    apply_(zoom());
    if (!area.isEmpty()) {
        const QSize size = window_.size();
        if (!window_.isVisible()) {
            // Not yet shown: it opens in the middle, as at 100 %.
            window_.move(area.left() + (area.width() - size.width()) / 2,
                         area.top() + (area.height() - size.height()) / 2);
        } else {
            // Where it was, as far as the screen allows.
            const int left =
                std::max(area.left(), std::min(topLeft.x(), area.right() + 1 - size.width()));
            const int top =
                std::max(area.top(), std::min(topLeft.y(), area.bottom() + 1 - size.height()));
            window_.move(left, top);
        }
    }
    syncMenu();
    emit zoomChanged(zoom());
}

void WindowZoom::zoomIn() {
    const auto& list = percents();
    const auto next = std::upper_bound(list.begin(), list.end(), percent_);
    if (next != list.end())
        setPercent(*next);
}

void WindowZoom::zoomOut() {
    const auto& list = percents();
    const auto at = std::lower_bound(list.begin(), list.end(), percent_);
    if (at != list.begin())
        setPercent(*(at - 1));
}

void WindowZoom::syncMenu() {
    for (QAction* a : sizes_->actions())
        a->setChecked(a->data().toInt() == percent_);
}

} // namespace kv
