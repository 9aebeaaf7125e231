#include "levelbar/level_bar.h"

#include <algorithm>

namespace kv {

// ---------------------------------------------------------------------------------------
// ProgressBarBase

ProgressBarBase::ProgressBarBase(QWidget* parent)
    : FaceWidget(parent, FaceKind::Opaque, /*followsPalette=*/true, FaceResolution::Device) {
    resize(150, scrollBarArrowHeight());
}

ProgressBarBase::~ProgressBarBase() = default;

void ProgressBarBase::setPosition(int value) {
    value = std::max(std::min(value, max_), min_);
    if (value == position_)
        return;
    const Rect r = clientRect();
    const int before = filledLength(fullExtent(r), position_, min_, max_);
    position_ = value;
    change();
    // A reading moves the bar's end: only the face between the two ends is drawn again.
    invalidate(changedPart(r, before, filledLength(fullExtent(r), position_, min_, max_)));
}

Rect ProgressBarBase::changedPart(const Rect& rect, int, int) const {
    return rect;
}

void ProgressBarBase::setMax(int value) {
    value = std::max(value, min_);
    if (value < position_)
        position_ = value;
    if (value == max_)
        return;
    max_ = value;
    change();
    invalidate();
}

void ProgressBarBase::setMin(int value) {
    value = std::min(value, max_);
    if (value > position_)
        position_ = value;
    if (value == min_)
        return;
    min_ = value;
    change();
    invalidate();
}

void ProgressBarBase::setOrientation(BarOrientation value) {
    if (value == orientation_)
        return;
    orientation_ = value;
    if (!loading_)
        setGeometry(x(), y(), height(), width());
    invalidate();
}

void ProgressBarBase::setColor(ColorValue value) {
    if (value == color_)
        return;
    color_ = value;
    invalidate();
}

void ProgressBarBase::step() {
    stepBy(stepAmount_);
}

void ProgressBarBase::stepBy(int delta) {
    // Summed in 64 bits: a step near the ends of int must clamp, not wrap around.
    const std::int64_t target = std::int64_t(position_) + delta;
    setPosition(clampToInt(std::clamp<std::int64_t>(target, min_, max_)));
}

int ProgressBarBase::fullExtent(const Rect& rect) const {
    return orientation_ == BarOrientation::pbHorizontal ? rect.width() : rect.height();
}

void ProgressBarBase::change() {
    if (onChange)
        onChange();
}

void ProgressBarBase::paint(Canvas& canvas, const Rect& rect) {
    // The span is taken in 64 bits: max - min of two ints may not fit in one.
    if (std::int64_t(max_) - min_ < 1 || rect.width() < 1 || rect.height() < 1)
        return;
    drawBar(canvas, rect, filledLength(fullExtent(rect), position_, min_, max_));
}

// ---------------------------------------------------------------------------------------
// GradientProgressBar

GradientProgressBar::GradientProgressBar(QWidget* parent) : ProgressBarBase(parent) {}

void GradientProgressBar::setBarColorFrom(ColorValue value) {
    if (value == barColorFrom_)
        return;
    barColorFrom_ = value;
    invalidate();
}

void GradientProgressBar::setBarColorTo(ColorValue value) {
    if (value == barColorTo_)
        return;
    barColorTo_ = value;
    invalidate();
}

void GradientProgressBar::setSmooth(bool value) {
    if (value == smooth_)
        return;
    smooth_ = value;
    invalidate();
}

Rect GradientProgressBar::changedPart(const Rect& rect, int from, int to) const {
    const Rect r = lengthChange(orientation(), rect.width(), rect.height(), from, to);
    return Rect{clampToInt(static_cast<long long>(r.left) + rect.left),
                clampToInt(static_cast<long long>(r.top) + rect.top),
                clampToInt(static_cast<long long>(r.right) + rect.left),
                clampToInt(static_cast<long long>(r.bottom) + rect.top)};
}

void GradientProgressBar::drawBar(Canvas& canvas, const Rect& rect, int length) {
    const int w = rect.width(), h = rect.height();
    // Only the part of the bar on the canvas is drawn, the bar's own coordinates moved to
    // the rectangle: a bar far larger than the canvas would take a block per eight pixels
    // of its length.
    const Rect shown = intersected(rect, canvas.clipBox());
    if (shown.width() <= 0 || shown.height() <= 0)
        return;
    auto at = [&rect](Point p) {
        return Point{clampToInt(static_cast<long long>(p.x) + rect.left),
                     clampToInt(static_cast<long long>(p.y) + rect.top)};
    };
    auto moved = [&at](const Rect& r) {
        const Point a = at({r.left, r.top}), b = at({r.right, r.bottom});
        return Rect{a.x, a.y, b.x, b.y};
    };
    canvas.saveClip();
    canvas.intersectClip(shown);
    // The rounded corners, which no frame line covers, show the parent's background.
    canvas.fillRect(shown, backgroundColor());
    canvas.fillRect(moved(troughRect(w, h)), color());
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::psSolid);
    canvas.setPenMode(PenMode::pmCopy);
    for (const FrameLine& line : frameLines(w, h)) {
        canvas.setPenColor(line.color);
        const Point a = at(line.from), b = at(line.to);
        canvas.line(a.x, a.y, b.x, b.y);
    }
    const ColorValue from = resolveColor(barColorFrom_);
    const ColorValue to = resolveColor(barColorTo_);
    const long long dx = static_cast<long long>(shown.left) - rect.left;
    const long long dy = static_cast<long long>(shown.top) - rect.top;
    for (const Rect& area :
         barAreas(orientation(), smooth_, w, h, length,
                  Rect{clampToInt(dx), clampToInt(dy), clampToInt(dx + shown.width()),
                       clampToInt(dy + shown.height())}))
        gradientBlock(canvas, moved(area), from, to);
    canvas.restoreClip();
}

void GradientProgressBar::gradientBlock(Canvas& canvas, const Rect& r, ColorValue from,
                                        ColorValue to) const {
    // Banded on the device's own pixels: at 200 % a block has twice the bands, each one
    // device pixel high, not its bands doubled.
    const BlockHalves halves = blockHalves(canvas.grid().toDevice(r), orientation());
    canvas.fillDeviceRects(gradientBands(halves.first, to, from, halves.direction));
    canvas.fillDeviceRects(gradientBands(halves.second, from, to, halves.direction));
}

// ---------------------------------------------------------------------------------------
// LevelBar

LevelBar::LevelBar(QWidget* parent) : GradientProgressBar(parent) {}

} // namespace kv
