#include "gauges/indicator_painter.h"

#include "gauges/name_line.h"

#include <algorithm>

namespace kv {

using Opt = ValueIndicatorOption;

Size indicatorNeededSize(const IndicatorMetrics& m, ValueIndicatorOptions options,
                         int outerBevelSize, int innerBevelSize, int valueBevelSize) {
    // Summed in 64 bits and held to the int range: bevels near the end of the range must
    // not wrap the size around.
    using W = long long;
    const W o = options.contains(Opt::opBevelOuter) ? 2 * W(outerBevelSize) : 0;
    const W i = options.contains(Opt::opBevelInner) ? 2 * W(innerBevelSize) : 0;
    const W v = 2 * W(valueBevelSize);
    const bool name1 = options.contains(Opt::opName1);
    const bool name2 = options.contains(Opt::opName2);

    const W height =
        o + (name1 ? m.name1Height : 0) + (name2 ? m.name2Height : 0) + i + m.valueHeight + v;
    W width = o;
    if (name1)
        width = std::max(width, m.name1Width + o);
    if (name2)
        width = std::max(width, m.name2Width + o);
    width = std::max(width, m.sampleWidth + o + i + m.unitWidth + v + m.valueHeight);
    return Size{clampToInt(width), clampToInt(height)};
}

Size indicatorBounds(Size current, Size needed, bool autoSize) {
    if (autoSize)
        return needed;
    return Size{std::max(current.width, needed.width), std::max(current.height, needed.height)};
}

IndicatorMetrics measureIndicator(const IndicatorModel& model, Canvas& canvas) {
    const auto& ss = model.signalSettings();
    const ValueIndicatorOptions options = model.options();
    IndicatorMetrics m;
    canvas.setFont(model.font());
    const Size n1 = canvas.textExtent(ss.name1());
    const Size n2 = canvas.textExtent(ss.name2());
    canvas.setFont(model.fontValue());
    const Size sample = canvas.textExtent(ss.formatSample());
    m.name1Width = n1.width;
    m.name1Height = n1.height;
    m.name2Width = n2.width;
    m.name2Height = n2.height;
    m.sampleWidth = sample.width;
    m.valueHeight = sample.height;
    m.unitWidth = options.contains(Opt::opUnit) ? canvas.textWidth(ss.valueUnit()) : 0;
    return m;
}

IndicatorLayout layoutIndicator(const IndicatorModel& model, const IndicatorMetrics& m,
                                const Rect& rect) {
    const ValueIndicatorOptions options = model.options();
    IndicatorLayout l;
    l.metrics = m;
    l.needed = indicatorNeededSize(m, options, model.bevelOuter().bevelSize(),
                                   model.bevelInner().bevelSize(), model.bevelValue().bevelSize());
    l.outer = rect;
    Rect r = rect;
    int a = 0;
    if (options.contains(Opt::opBevelOuter)) {
        r = model.bevelOuter().contentRect(r);
        a = model.bevelOuter().spacing() / 2;
    }
    // Names stand centred at the bottom, Name1 above Name2, moved down by half the outer
    // spacing so they sit in the bevel's spacing band rather than above it.
    if (options.contains(Opt::opName2))
        l.name2At = nameLineAtBottom(r, Size{m.name2Width, m.name2Height}, a);
    if (options.contains(Opt::opName1))
        l.name1At = nameLineAtBottom(r, Size{m.name1Width, m.name1Height}, a);
    l.inner = r;
    if (options.contains(Opt::opBevelInner))
        r = model.bevelInner().contentRect(r);

    using W = long long;
    const int f = m.valueHeight / 3;
    const W v = 2 * W(model.bevelValue().bevelSize());
    Rect block;
    block.left = clampToInt(r.left + (W(r.width()) - m.sampleWidth - m.unitWidth - f) / 2 - f);
    block.right = clampToInt(W(block.left) + m.sampleWidth + v + 2 * W(f));
    block.top = r.top;
    block.bottom = clampToInt(r.top + v + m.valueHeight);
    l.valueBlock = block;
    const Rect content = model.bevelValue().contentRect(block);
    l.unitAt = Point{clampToInt(W(content.right) + f), content.top};
    l.field = content;
    l.field.left = clampToInt(W(content.left) + f);
    l.field.right = clampToInt(W(content.right) - f);
    l.growLimit = r.left;
    return l;
}

namespace {

// The largest pixel size of `font` at which `text` is no wider than `width` (1 when none),
// measured on `canvas`, which keeps that size; *textWidth gets the text's width at it.
// Widths grow with the size, so the size is found by halving the range: a huge font must
// not cost one measurement per pixel.
FontSpec shrunkToFit(const FontSpec& font, const std::string& text, int width, Canvas& canvas,
                     int* textWidth) {
    FontSpec f = font;
    int fits = 1;
    int tooWide = toQFont(font).pixelSize();
    while (tooWide - fits > 1) {
        const int px = fits + (tooWide - fits) / 2;
        f.height = -px;
        canvas.setFont(f);
        if (canvas.textWidth(text) <= width)
            fits = px;
        else
            tooWide = px;
    }
    f.height = -fits;
    canvas.setFont(f);
    *textWidth = canvas.textWidth(text);
    return f;
}

} // namespace

FieldText fieldTextIn(const IndicatorModel& model, Canvas& canvas, const Rect& field,
                      int growLimit) {
    FieldText t;
    t.text = model.fieldText();
    t.drawn = field;
    t.font = model.fontValue();
    canvas.setFont(t.font);
    t.width = canvas.textWidth(t.text);
    if (t.width > field.width()) {
        t.drawn.left = std::max(std::min(growLimit, field.left), field.right - t.width);
        if (t.width > t.drawn.width())
            t.font = shrunkToFit(t.font, t.text, t.drawn.width(), canvas, &t.width);
    }
    return t;
}

void paintIndicatorFrame(Canvas& canvas, const IndicatorModel& model, const IndicatorLayout& l) {
    const auto& ss = model.signalSettings();
    const ValueIndicatorOptions options = model.options();
    if (options.contains(Opt::opBevelOuter))
        model.bevelOuter().paint(canvas, l.outer);
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.setFont(model.font());
    if (options.contains(Opt::opName2))
        canvas.textOut(l.name2At.x, l.name2At.y, ss.name2());
    if (options.contains(Opt::opName1))
        canvas.textOut(l.name1At.x, l.name1At.y, ss.name1());
    if (options.contains(Opt::opBevelInner))
        model.bevelInner().paint(canvas, l.inner);
    canvas.setFont(model.fontValue());
    model.bevelValue().paint(canvas, l.valueBlock);

    FontSpec unitFont = model.fontValue();
    unitFont.color = model.font().color;
    canvas.setFont(unitFont);
    canvas.setBackMode(BackMode::Transparent);
    if (options.contains(Opt::opUnit))
        canvas.textOut(l.unitAt.x, l.unitAt.y, ss.valueUnit());
}

Rect paintValueField(Canvas& canvas, const IndicatorModel& model, const FieldText& t) {
    const Rect& drawn = t.drawn;
    if (drawn.width() <= 0 || drawn.height() <= 0)
        return Rect{};
    // Only the part of the field on the canvas is painted: the field of a huge font may
    // reach far beyond it.
    const Rect shown = intersected(drawn, Rect{0, 0, canvas.width(), canvas.height()});
    if (shown.width() <= 0 || shown.height() <= 0)
        return Rect{};
    const ColorValue fieldColor = model.bevelValue().color();
    // Drawn in place, clipped to the field; on a painter's device (a vector drawing) the
    // digits stay text.
    canvas.saveClip();
    canvas.intersectClip(shown);
    canvas.fillRect(shown, fieldColor);
    canvas.setFont(t.font);
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.textOut(clampToInt(static_cast<long long>(drawn.right) - t.width), drawn.top, t.text);
    canvas.restoreClip();
    return shown;
}

void paintIndicator(Canvas& canvas, const Rect& rect, const IndicatorModel& model) {
    const IndicatorLayout l = layoutIndicator(model, measureIndicator(model, canvas), rect);
    paintIndicatorFrame(canvas, model, l);
    if (l.field.width() <= 0 || l.field.height() <= 0)
        return;
    paintValueField(canvas, model, fieldTextIn(model, canvas, l.field, l.growLimit));
}

} // namespace kv
