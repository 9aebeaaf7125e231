#pragma once

#include "canvas/canvas.h"
#include "canvas/color.h"
#include "core/settings_object.h"
#include "gauges/gradient.h"

namespace kv {

enum class BevelStyle { bsLowered, bsRaised };
enum class BevelLineKind { blNone, blOuter, blInner, blBoth };

// A frame of one-pixel rings around an area: a background fill, `width` rings whose
// top/left and bottom/right colours follow two ramps, optional outlines outside and
// inside the rings, an optional gradient surface and a spacing band. Changes of the
// offset and of the surface gradient reach this bevel's own onChange.
class Bevel : public SettingsObject {
public:
    Bevel();

    EdgeOffset& offset() { return offset_; }
    const EdgeOffset& offset() const { return offset_; }
    BevelStyle style() const { return style_; }
    int spacing() const { return spacing_; }
    BevelLineKind bevelLine() const { return bevelLine_; }
    int width() const { return width_; }
    ColorValue color() const { return color_; }
    ColorValue colorShadowFrom() const { return colorShadowFrom_; }
    ColorValue colorShadowTo() const { return colorShadowTo_; }
    ColorValue colorHighLightFrom() const { return colorHighLightFrom_; }
    ColorValue colorHighLightTo() const { return colorHighLightTo_; }
    ColorValue penColor() const { return penColor_; }
    GradientSettings& surfaceGrad() { return surfaceGrad_; }
    const GradientSettings& surfaceGrad() const { return surfaceGrad_; }

    void setStyle(BevelStyle s) { assignIfChanged(style_, s); }
    void setSpacing(int v) { assignIfChanged(spacing_, v); }
    void setBevelLine(BevelLineKind k) { assignIfChanged(bevelLine_, k); }
    // Negative widths are ignored.
    void setWidth(int v);
    void setColor(ColorValue c) { assignIfChanged(color_, c); }
    void setColorShadowFrom(ColorValue c) { assignIfChanged(colorShadowFrom_, c); }
    void setColorShadowTo(ColorValue c) { assignIfChanged(colorShadowTo_, c); }
    void setColorHighLightFrom(ColorValue c) { assignIfChanged(colorHighLightFrom_, c); }
    void setColorHighLightTo(ColorValue c) { assignIfChanged(colorHighLightTo_, c); }
    void setPenColor(ColorValue c) { assignIfChanged(penColor_, c); }

    // What the bevel takes from each side of its rectangle before the offset:
    // spacing + width + one pixel per outline.
    int bevelSize() const { return bevelSize_; }

    // Copies every property (offset and surface by their own assign), then notifies.
    void assign(const Bevel& o);

    void change() override;

    // Paints into r and returns the content rectangle left inside the bevel. Leaves the
    // canvas with a one-pixel solid pen in penColor() and a clear brush.
    Rect paint(Canvas& canvas, const Rect& r) const;
    // The content rectangle paint() returns for r, without painting.
    Rect contentRect(const Rect& r) const;

private:
    int outlineCount() const;

    EdgeOffset offset_;
    BevelStyle style_ = BevelStyle::bsRaised;
    int spacing_ = 5;
    BevelLineKind bevelLine_ = BevelLineKind::blNone;
    int width_ = 2;
    ColorValue color_ = clBtnFace;
    ColorValue colorShadowFrom_ = clBtnShadow;
    ColorValue colorShadowTo_ = clBtnShadow;
    ColorValue colorHighLightFrom_ = clBtnHighlight;
    ColorValue colorHighLightTo_ = clBtnHighlight;
    ColorValue penColor_ = clBlack;
    GradientSettings surfaceGrad_;
    int bevelSize_ = 7;
};

// One ring on the outermost pixels of r: left column and top row in topLeft, right column
// and bottom row in bottomRight, which also takes the top-right and bottom-left corners.
// Returns r shrunk by one.
Rect drawBevelRing(Canvas& canvas, const Rect& r, ColorValue topLeft, ColorValue bottomRight);

} // namespace kv
