#include "gauges/bevel.h"

#include <algorithm>
#include <utility>

namespace kv {

namespace {

// Held to the int range: a spacing or width near its end must not wrap the size around.
int sizeOf(int spacing, int width, int outlines) {
    return clampToInt(static_cast<long long>(spacing) + width + outlines);
}

} // namespace

Bevel::Bevel() {
    // A change inside the offset or the surface is a change of the bevel.
    offset_.onChange = [this](SettingsObject&) { change(); };
    surfaceGrad_.onChange = [this](SettingsObject&) { change(); };
    bevelSize_ = sizeOf(spacing_, width_, outlineCount());
}

void Bevel::setWidth(int v) {
    if (v < 0)
        return;
    assignIfChanged(width_, v);
}

int Bevel::outlineCount() const {
    switch (bevelLine_) {
    case BevelLineKind::blNone:
        return 0;
    case BevelLineKind::blOuter:
    case BevelLineKind::blInner:
        return 1;
    case BevelLineKind::blBoth:
        return 2;
    }
    return 0;
}

void Bevel::change() {
    bevelSize_ = sizeOf(spacing_, width_, outlineCount());
    SettingsObject::change();
}

void Bevel::assign(const Bevel& o) {
    if (&o == this)
        return;
    style_ = o.style_;
    spacing_ = o.spacing_;
    bevelLine_ = o.bevelLine_;
    width_ = o.width_;
    color_ = o.color_;
    offset_.assign(o.offset_);
    colorShadowFrom_ = o.colorShadowFrom_;
    colorShadowTo_ = o.colorShadowTo_;
    colorHighLightFrom_ = o.colorHighLightFrom_;
    colorHighLightTo_ = o.colorHighLightTo_;
    penColor_ = o.penColor_;
    surfaceGrad_.assign(o.surfaceGrad_);
    change();
}

Rect drawBevelRing(Canvas& canvas, const Rect& r, ColorValue topLeft, ColorValue bottomRight) {
    return drawRings(canvas, r, 1, [=](int) { return std::pair{topLeft, bottomRight}; });
}

Rect Bevel::paint(Canvas& canvas, const Rect& rect) const {
    const Rect outer = rect;
    const bool outerLine =
        bevelLine_ == BevelLineKind::blOuter || bevelLine_ == BevelLineKind::blBoth;
    const bool innerLine =
        bevelLine_ == BevelLineKind::blInner || bevelLine_ == BevelLineKind::blBoth;

    // Rings and outlines of a bevel larger than its rectangle would cross over and land
    // outside it; a bevel never paints beyond the rectangle it was given.
    canvas.saveClip();
    canvas.intersectClip(outer);
    canvas.setPenMode(PenMode::pmCopy);
    canvas.setPenStyle(PenStyle::psSolid);
    canvas.setPenWidth(1);
    canvas.setBrushStyle(BrushStyle::bsSolid);
    canvas.setPenColor(color_);
    canvas.setBrushColor(color_);
    canvas.fillRect(outer);

    const Rect surface = shrinkRect(outer, static_cast<long long>(width_) + outlineCount());
    Rect r = outer;
    if (outerLine)
        r = shrinkRect(r, 1);
    if (style_ == BevelStyle::bsRaised)
        r = drawRings(canvas, r, width_, [this](int i) {
            return std::pair{rampColor(colorHighLightFrom_, colorHighLightTo_, width_, i),
                             rampColor(colorShadowFrom_, colorShadowTo_, width_, i)};
        });
    else
        r = drawRings(canvas, r, width_, [this](int i) {
            return std::pair{rampColor(colorShadowTo_, colorShadowFrom_, width_, i),
                             rampColor(colorHighLightTo_, colorHighLightFrom_, width_, i)};
        });
    if (surfaceGrad_.visible())
        gradientFill(canvas, surface, surfaceGrad_.colorFrom(), surfaceGrad_.style(),
                     surfaceGrad_.colorTo());

    canvas.setPenColor(penColor_);
    canvas.setBrushStyle(BrushStyle::bsClear);
    if (innerLine)
        canvas.rectangle(r);
    if (outerLine)
        canvas.rectangle(outer);
    canvas.restoreClip();
    return contentRect(rect);
}

Rect Bevel::contentRect(const Rect& rect) const {
    // The outlines and the rings, as paint() draws them from the outside in, then the
    // spacing.
    const bool outerLine =
        bevelLine_ == BevelLineKind::blOuter || bevelLine_ == BevelLineKind::blBoth;
    const bool innerLine =
        bevelLine_ == BevelLineKind::blInner || bevelLine_ == BevelLineKind::blBoth;
    Rect r = outerLine ? shrinkRect(rect, 1) : rect;
    r = shrinkRect(r, std::max(width_, 0));
    if (innerLine)
        r = shrinkRect(r, 1);
    return offset_.apply(shrinkRect(r, spacing_));
}

} // namespace kv
