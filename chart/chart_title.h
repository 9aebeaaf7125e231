#pragma once

#include "canvas/canvas.h"
#include "chart/chart_brush.h"
#include "chart/chart_pen.h"
#include "core/settings_object.h"

#include <string>
#include <vector>

namespace kv {

// The font of titles, labels and the legend unless set otherwise.
FontSpec defaultChartFont();

enum class TitleAlignment { taLeftJustify, taRightJustify, taCenter };

// A block of text lines above (title) or below (foot) the plot.
class ChartTitle : public SettingsObject {
public:
    ChartTitle();

    const std::vector<std::string>& text() const { return text_; }
    void setText(const std::vector<std::string>& v) { assignIfChanged(text_, v); }
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    TitleAlignment alignment() const { return alignment_; }
    void setAlignment(TitleAlignment v) { assignIfChanged(alignment_, v); }
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& v) { assignIfChanged(font_, v); }
    ColorValue color() const { return color_; }
    void setColor(ColorValue v) { assignIfChanged(color_, v); }
    bool adjustFrame() const { return adjustFrame_; }
    void setAdjustFrame(bool v) { assignIfChanged(adjustFrame_, v); }
    ChartBrush& brush() { return brush_; }
    const ChartBrush& brush() const { return brush_; }
    ChartPen& frame() { return frame_; }
    const ChartPen& frame() const { return frame_; }

    // Where the last pass put the block (empty when nothing was drawn).
    const Rect& block() const { return block_; }

    // Draws the block at the top (or, for a foot, the bottom) of `plot` and takes its
    // height plus the gap from `plot`. Without lines nothing moves.
    void paint(Canvas& c, Rect& plot, bool foot);

private:
    std::vector<std::string> text_;
    bool visible_ = true;
    TitleAlignment alignment_ = TitleAlignment::taCenter;
    FontSpec font_;
    ColorValue color_ = ColorDefault;
    bool adjustFrame_ = true;
    ChartBrush brush_{ColorDefault, BrushStyle::bsSolid};
    ChartPen frame_{clBlack, 1, PenStyle::psSolid, false};
    Rect block_;
};

// Pixels between a title block and the plot rectangle.
constexpr int kTitleGap = 5;

} // namespace kv
