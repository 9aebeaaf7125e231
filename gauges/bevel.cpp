#include "gauges/bevel.h"

#include <algorithm>

namespace kv {

Bevel::Bevel() {
    // A change inside the offset or the surface is a change of the bevel.
    offset_.onChange = [this](SettingsObject&) { change(); };
    surfaceGrad_.onChange = [this](SettingsObject&) { change(); };
    bevelSize_ = spacing_ + width_ + outlineCount();
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
    bevelSize_ = spacing_ + width_ + outlineCount();
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
    const int right = r.right - 1;
    const int bottom = r.bottom - 1;
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::psSolid);
    canvas.setPenColor(topLeft);
    canvas.polyline({{r.left, bottom}, {r.left, r.top}, {right, r.top}});
    canvas.setPenColor(bottomRight);
    canvas.polyline({{right, r.top}, {right, bottom}, {r.left - 1, bottom}});
    return shrinkRect(r, 1);
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

    const Rect surface = shrinkRect(outer, bevelSize_ - spacing_);
    Rect r = outer;
    if (outerLine)
        r = shrinkRect(r, 1);
    const Rect ringsStart = r;
    // A ring that has crossed over past the far side lies wholly outside the rectangle;
    // so do all after it, and an absurd width must not cost a clipped ring each.
    const int reach = std::max(outer.width(), outer.height()) - (outerLine ? 1 : 0);
    const int visibleRings = std::min(width_, std::max(0, reach));
    for (int i = 1; i <= visibleRings; ++i) {
        if (style_ == BevelStyle::bsRaised)
            r = drawBevelRing(canvas, r,
                              rampColor(colorHighLightFrom_, colorHighLightTo_, width_, i),
                              rampColor(colorShadowFrom_, colorShadowTo_, width_, i));
        else
            r = drawBevelRing(canvas, r, rampColor(colorShadowTo_, colorShadowFrom_, width_, i),
                              rampColor(colorHighLightTo_, colorHighLightFrom_, width_, i));
    }
    r = shrinkRect(ringsStart, width_);
    if (surfaceGrad_.visible())
        gradientFill(canvas, surface, surfaceGrad_.colorFrom(), surfaceGrad_.style(),
                     surfaceGrad_.colorTo());

    canvas.setPenColor(penColor_);
    canvas.setBrushStyle(BrushStyle::bsClear);
    if (innerLine) {
        canvas.rectangle(r);
        r = shrinkRect(r, 1);
    }
    if (outerLine)
        canvas.rectangle(outer);
    canvas.restoreClip();
    r = shrinkRect(r, spacing_);
    return offset_.apply(r);
}

} // namespace kv
