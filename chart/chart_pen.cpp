#include "chart/chart_pen.h"

namespace kv {

ChartPen::ChartPen(ColorValue color, int width, PenStyle style, bool visible)
    : color_(color), width_(width), style_(style), visible_(visible) {}

void ChartPen::assign(const ChartPen& other) {
    color_ = other.color_;
    width_ = other.width_;
    style_ = other.style_;
    visible_ = other.visible_;
    smallDots_ = other.smallDots_;
    change();
}

PenStyle ChartPen::effectiveStyle() const {
    if (!visible_)
        return PenStyle::psClear;
    // The canvas's dotted pen is the closest it has to an alternate-pixel pen.
    if (smallDots_ && width_ <= 1)
        return PenStyle::psDot;
    return style_;
}

void ChartPen::applyTo(Canvas& c, bool withColor) const {
    c.setPenWidth(width_);
    c.setPenStyle(effectiveStyle());
    if (withColor)
        c.setPenColor(color_);
}

} // namespace kv
