#pragma once

#include "canvas/canvas.h"
#include "canvas/color.h"
#include "core/settings_object.h"

namespace kv {

enum class GradientStyle {
    gsHorizontal1,
    gsHorizontal2,
    gsHorizontal3,
    gsVertical1,
    gsVertical2,
    gsVertical3,
    gsElliptic1,
    gsElliptic2,
    gsElliptic3,
    gsRectangle,
    gsDiamond1,
    gsDiamond2,
    gsTopLeft,
    gsTopRight
};

constexpr int kGradientStyleCount = 14;

// A gradient surface: two colours and the shape of the ramp between them.
class GradientSettings : public SettingsObject {
public:
    ColorValue colorFrom() const { return colorFrom_; }
    ColorValue colorTo() const { return colorTo_; }
    bool visible() const { return visible_; }
    GradientStyle style() const { return style_; }
    void setColorFrom(ColorValue c) { assignIfChanged(colorFrom_, c); }
    void setColorTo(ColorValue c) { assignIfChanged(colorTo_, c); }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    void setStyle(GradientStyle s) { assignIfChanged(style_, s); }

    // Goes through the setters (each may notify), then notifies once more.
    void assign(const GradientSettings& o);

private:
    ColorValue colorFrom_ = 0xE2E2E2;
    ColorValue colorTo_ = 0x8F8F8F;
    bool visible_ = false;
    GradientStyle style_ = GradientStyle::gsHorizontal1;
};

// Step i of n from a to b: each resolved channel a + round((b - a) / n * i), ties to even;
// n = 0 counts as 1. Equal colours give `a` itself, so a system colour survives unresolved.
ColorValue rampColor(ColorValue a, ColorValue b, int n, int i);

// Fills q from `from` to `to` in the given style. The ramp is built in an off-screen
// bitmap of q's size on the canvas's device, one step per device pixel where the style
// steps per pixel, and copied in one piece, so nothing outside q is touched and the
// screen never shows a half-drawn ramp. An empty q paints nothing. A q longer than
// kMaxFaceSide on a side has its ramp drawn over the part within the canvas's clip.
void gradientFill(Canvas& canvas, const Rect& q, ColorValue from, GradientStyle style,
                  ColorValue to);

// The ramp itself, drawn into a new image of the given size (for tests and previews).
QImage gradientImage(int width, int height, ColorValue from, GradientStyle style, ColorValue to);

} // namespace kv
