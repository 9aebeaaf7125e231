#include "chart/chart_title.h"

#include <algorithm>

namespace kv {

FontSpec defaultChartFont() {
    FontSpec f;
    f.name = "Arial";
    f.height = 0;
    f.size = 8;
    f.color = clBlack;
    return f;
}

// ---------------------------------------------------------------------------------------
// ChartTitle

ChartTitle::ChartTitle() : font_(defaultChartFont()) {
    font_.color = clBlue;
}

void ChartTitle::paint(Canvas& c, Rect& plot, bool foot) {
    block_ = Rect{};
    c.setFont(font_);
    const Size w = c.textExtent("W");
    const int lineHeight = w.height;
    const int lines = int(text_.size());

    const bool clearBrush = brush_.style() == BrushStyle::bsClear ||
                            (color_ == ColorDefault && brush_.color() == ColorDefault);
    if (clearBrush) {
        c.setBrushStyle(BrushStyle::bsClear);
    } else {
        c.setBrushStyle(BrushStyle::bsSolid);
        c.setBrushColor(brush_.color() != ColorDefault ? brush_.color() : color_);
    }
    const int frameWidth = frame_.visible() ? frame_.width() : 0;

    // Worked out in 64 bits and held to the int range: a tall font or a plot near the ends
    // of the range must not wrap the block around.
    using W = long long;
    const W height = W(lines) * lineHeight;
    Rect block{plot.left, 0, plot.right, 0};
    if (foot) {
        block.bottom = plot.bottom;
        block.top = clampToInt(block.bottom - height);
    } else {
        block.top = plot.top;
        block.bottom = clampToInt(block.top + height);
    }
    const W middle = (W(block.left) + block.right) / 2;
    if (lines == 0)
        return;

    int widest = 0;
    for (const auto& line : text_)
        widest = std::max(widest, c.textWidth(line));

    if (frame_.visible() || !clearBrush) {
        Rect box = block;
        if (adjustFrame_) {
            const W boxWidth = W(widest) + w.width;
            switch (alignment_) {
            case TitleAlignment::taLeftJustify:
                box.right = clampToInt(box.left + boxWidth);
                break;
            case TitleAlignment::taRightJustify:
                box.left = clampToInt(box.right - boxWidth);
                break;
            case TitleAlignment::taCenter:
                box.left = clampToInt(middle - boxWidth / 2);
                box.right = clampToInt(box.left + boxWidth);
                break;
            }
        }
        frame_.applyTo(c);
        c.rectangle(shrinkRect(box, -W(frameWidth)));
    }

    c.setBackMode(BackMode::Transparent);
    c.setTextAlign(HAlign::Left, VAlign::Top);
    for (int i = 0; i < lines; ++i) {
        const std::string& line = text_[std::size_t(i)];
        const int lw = c.textWidth(line);
        W x = 0;
        switch (alignment_) {
        case TitleAlignment::taLeftJustify:
            x = W(block.left) + w.width / 2;
            break;
        case TitleAlignment::taRightJustify:
            x = W(block.right) - lw - w.width / 2;
            break;
        case TitleAlignment::taCenter:
            x = middle - lw / 2;
            break;
        }
        c.textOut(clampToInt(x), clampToInt(block.top + W(i) * lineHeight), line);
    }
    block_ = block;
    if (foot)
        plot.bottom = clampToInt(W(block.top) - frameWidth - kTitleGap);
    else
        plot.top = clampToInt(W(block.bottom) + frameWidth + kTitleGap);
}

} // namespace kv
