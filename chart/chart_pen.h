#pragma once

#include "canvas/canvas.h"
#include "core/settings_object.h"

namespace kv {

// A pen of the chart: colour, width and style, plus a visibility switch and the
// alternate-pixel look for thin dotted lines. Every setter follows the settings rule
// (store only a different value, then notify through onChange).
class ChartPen : public SettingsObject {
public:
    explicit ChartPen(ColorValue color = clBlack, int width = 1, PenStyle style = PenStyle::psSolid,
                      bool visible = true);

    ColorValue color() const { return color_; }
    void setColor(ColorValue c) { assignIfChanged(color_, c); }
    int width() const { return width_; }
    void setWidth(int w) { assignIfChanged(width_, w < 0 ? 0 : w); }
    PenStyle style() const { return style_; }
    void setStyle(PenStyle s) { assignIfChanged(style_, s); }
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    bool smallDots() const { return smallDots_; }
    void setSmallDots(bool v) { assignIfChanged(smallDots_, v); }

    // Copies every setting and notifies once.
    void assign(const ChartPen& other);

    // The style the canvas gets: clear when hidden, dotted for small dots at width 1.
    PenStyle effectiveStyle() const;

    // Puts width, style and colour on the canvas (colour left alone when `withColor` is
    // false, for callers that set it per segment).
    void applyTo(Canvas& c, bool withColor = true) const;

private:
    ColorValue color_;
    int width_;
    PenStyle style_;
    bool visible_;
    bool smallDots_ = false;
};

} // namespace kv
