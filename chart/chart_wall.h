#pragma once

#include "canvas/canvas.h"
#include "chart/chart_brush.h"
#include "chart/chart_pen.h"
#include "core/settings_object.h"

namespace kv {

// A wall of the chart; in two dimensions only the back wall shows, as the plot's frame.
class ChartWall : public SettingsObject {
public:
    explicit ChartWall(ColorValue brushColor = clWhite, BrushStyle brushStyle = BrushStyle::bsClear)
        : brush_(brushColor, brushStyle) {}

    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    int size() const { return size_; }
    void setSize(int v) { assignIfChanged(size_, v); }
    ChartBrush& brush() { return brush_; }
    const ChartBrush& brush() const { return brush_; }
    ChartPen& pen() { return pen_; }
    const ChartPen& pen() const { return pen_; }

private:
    ColorValue color_ = ColorDefault;
    int size_ = 0;
    ChartBrush brush_;
    ChartPen pen_;
};

} // namespace kv
