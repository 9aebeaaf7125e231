#pragma once

#include "canvas/canvas.h"
#include "core/settings_object.h"

namespace kv {

// A brush of the chart: colour and style.
class ChartBrush : public SettingsObject {
public:
    explicit ChartBrush(ColorValue color = clWhite, BrushStyle style = BrushStyle::bsSolid)
        : color_(color), style_(style) {}

    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    BrushStyle style() const { return style_; }
    void setStyle(BrushStyle v) { assignIfChanged(style_, v); }

private:
    ColorValue color_;
    BrushStyle style_;
};

} // namespace kv
