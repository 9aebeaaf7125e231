#include "app/window_memory.h"

#include <QSettings>
#include <QUrl>
#include <cmath>
#include <utility>

namespace kv {

namespace {

// As PortMemory keeps them.
const QString kOrganisation = QStringLiteral("kv27500");
const QString kApplication = QStringLiteral("kv27500");
const QString kZoomKey = QStringLiteral("zoomPercent");
const QString kLeftKey = QStringLiteral("left");
const QString kTopKey = QStringLiteral("top");

bool validZoom(double zoom) {
    return std::isfinite(zoom) && zoom > 0 && zoom <= WindowMemory::kMaxZoom;
}

} // namespace

WindowMemory::WindowMemory(QString key) : key_(std::move(key)) {}

QString WindowMemory::group() const {
    // The single window has a group of its own, so that no channel's name can reach it; a
    // name is encoded whole, so that "/" in it opens no subgroup.
    if (key_.isEmpty())
        return QStringLiteral("window");
    return QStringLiteral("windows/") + QString::fromLatin1(QUrl::toPercentEncoding(key_));
}

double WindowMemory::zoom() const {
    const QSettings s(kOrganisation, kApplication);
    bool ok = false;
    const int percent = s.value(group() + QLatin1Char('/') + kZoomKey).toInt(&ok);
    const double zoom = percent / 100.0;
    return ok && validZoom(zoom) ? zoom : 1.0;
}

void WindowMemory::setZoom(double zoom) {
    if (!validZoom(zoom))
        return;
    const int percent = static_cast<int>(std::lround(zoom * 100.0));
    if (percent <= 0)
        return;
    QSettings s(kOrganisation, kApplication);
    s.setValue(group() + QLatin1Char('/') + kZoomKey, percent);
}

std::optional<QPoint> WindowMemory::position() const {
    const QSettings s(kOrganisation, kApplication);
    bool okLeft = false, okTop = false;
    const int left = s.value(group() + QLatin1Char('/') + kLeftKey).toInt(&okLeft);
    const int top = s.value(group() + QLatin1Char('/') + kTopKey).toInt(&okTop);
    if (!okLeft || !okTop)
        return std::nullopt;
    return QPoint(left, top);
}

void WindowMemory::setPosition(const QPoint& topLeft) {
    QSettings s(kOrganisation, kApplication);
    s.setValue(group() + QLatin1Char('/') + kLeftKey, topLeft.x());
    s.setValue(group() + QLatin1Char('/') + kTopKey, topLeft.y());
}

} // namespace kv
