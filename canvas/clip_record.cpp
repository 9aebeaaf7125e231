#include "canvas/clip_record.h"

#include <QRegion>

namespace kv {

void ClipRecord::update(const QPainter& painter, const QRect& image) {
    if (!painter.hasClipping()) {
        rect_ = image;
        isRect_ = true;
        return;
    }
    const QRegion region = painter.clipRegion();
    isRect_ = region.rectCount() <= 1;
    rect_ = region.boundingRect().intersected(image);
    spans_.clear();
    spanStart_.clear();
    if (isRect_ || rect_.isEmpty())
        return;
    // A region's rectangles come in bands sorted by top, then left, so the spans of each
    // row come out sorted too.
    const int top = rect_.top();
    const int rows = rect_.height();
    std::vector<std::vector<std::pair<int, int>>> perRow;
    perRow.resize(static_cast<size_t>(rows));
    for (const QRect& r : region) {
        const QRect part = r.intersected(image);
        for (int y = part.top(); y <= part.bottom(); ++y)
            perRow[size_t(y - top)].push_back({part.left(), part.right()});
    }
    spanStart_.reserve(size_t(rows) + 1);
    for (const auto& spans : perRow) {
        spanStart_.push_back(int(spans_.size()));
        spans_.insert(spans_.end(), spans.begin(), spans.end());
    }
    spanStart_.push_back(int(spans_.size()));
}

} // namespace kv
