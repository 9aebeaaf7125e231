#pragma once

#include <QPainter>
#include <QRect>
#include <utility>
#include <vector>

namespace kv {

// The canvas's own record of the clip in force on its painter. Pixels the canvas writes
// straight into the image (one-pixel strokes, keyed copies) bypass the painter's clipping
// and go by this record instead: the clip's bounding box within the image and, for a clip
// of more than one rectangle, the spans each row keeps.
class ClipRecord {
public:
    // Takes the clip now in force on `painter`, within `image` (the image's rectangle).
    void update(const QPainter& painter, const QRect& image);

    // The bounding box of the clip within the image.
    const QRect& rect() const { return rect_; }
    // True when the bounding box is the whole clip.
    bool isRect() const { return isRect_; }

    // Inline: the direct writes ask this for every pixel of a path.
    bool contains(int x, int y) const {
        if (!rect_.contains(x, y))
            return false;
        if (isRect_)
            return true;
        const size_t row = size_t(y - rect_.top());
        for (int i = spanStart_[row]; i < spanStart_[row + 1]; ++i)
            if (x >= spans_[size_t(i)].first && x <= spans_[size_t(i)].second)
                return true;
        return false;
    }

private:
    QRect rect_;
    bool isRect_ = true;
    // For other clips: the spans [first, last] of each row of rect_, row by row from
    // spanStart_[row - top] to spanStart_[row - top + 1].
    std::vector<std::pair<int, int>> spans_;
    std::vector<int> spanStart_;
};

} // namespace kv
