#include "canvas/row_runs.h"

#include "canvas/canvas.h"

#include <cstring>

namespace kv {

namespace {

QRect devicePlace(const Canvas& canvas, const Rect& area) {
    const Rect d = canvas.grid().toDevice(area);
    return QRect(d.left, d.top, d.width(), d.height());
}

} // namespace

RowRuns::RowRuns(const Canvas& canvas, const Rect& area) {
    const QImage* image = canvas.image();
    const QRect place = devicePlace(canvas, area);
    if (!image || image->depth() != 32 || place.isEmpty() || !image->rect().contains(place))
        return;
    const std::size_t bytes = std::size_t(place.width()) * 4;
    auto row = [&](int y) { return image->constScanLine(y) + std::size_t(place.left()) * 4; };
    std::vector<int> firsts;
    for (int y = place.top(); y <= place.bottom(); ++y) {
        if (!firsts.empty() && std::memcmp(row(y), row(firsts.back()), bytes) == 0) {
            ++lengths_.back();
            continue;
        }
        firsts.push_back(y);
        lengths_.push_back(1);
    }
    rows_ = QImage(place.width(), int(firsts.size()), image->format());
    for (int i = 0; i < int(firsts.size()); ++i)
        std::memcpy(rows_.scanLine(i), row(firsts[i]), bytes);
    area_ = area;
    device_ = place;
}

void RowRuns::put(Canvas& canvas) const {
    QImage* image = canvas.image();
    if (empty() || !image || image->format() != rows_.format() ||
        !image->rect().contains(device_) || devicePlace(canvas, area_) != device_)
        return;
    const std::size_t bytes = std::size_t(device_.width()) * 4;
    // The canvas's painter holds the image alone, so this is the buffer it draws into.
    uchar* bits = image->bits();
    const qsizetype stride = image->bytesPerLine();
    int y = device_.top();
    for (int i = 0; i < int(lengths_.size()); ++i) {
        const uchar* from = rows_.constScanLine(i);
        for (int k = 0; k < lengths_[i]; ++k, ++y)
            std::memcpy(bits + y * stride + std::size_t(device_.left()) * 4, from, bytes);
    }
}

} // namespace kv
