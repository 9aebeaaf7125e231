#include "gauges/value_indicator.h"

#include "format/number_format.h"

#include <algorithm>
#include <optional>

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

ValueIndicator::ValueIndicator(QWidget* parent, bool designing) : AnalogGauge(parent, designing) {
    beginUpdate();
    resize(67, 48);
    fontValue_.name = "System";
    fontValue_.size = 10;
    fontValue_.color = clLime;

    bevelInner_.setStyle(BevelStyle::bsLowered);
    bevelInner_.setSpacing(5);
    bevelInner_.setWidth(2);
    bevelInner_.setBevelLine(BevelLineKind::blInner);

    bevelOuter_.setSpacing(5);
    bevelOuter_.setWidth(2);
    bevelOuter_.setBevelLine(BevelLineKind::blOuter);

    bevelValue_.setStyle(BevelStyle::bsLowered);
    bevelValue_.setWidth(2);
    bevelValue_.setColor(clBlack);
    bevelValue_.setSpacing(0);

    if (designing)
        loaded();
}

ValueIndicator::~ValueIndicator() = default;

void ValueIndicator::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    autoSize_ = on;
    paramChange();
}

void ValueIndicator::setFontValue(const FontSpec& f) {
    if (f == fontValue_)
        return;
    fontValue_ = f;
    paramChange();
}

void ValueIndicator::setOptions(ValueIndicatorOptions s) {
    if (s == options_)
        return;
    options_ = s;
    paramChange();
}

void ValueIndicator::setOverload(bool on) {
    if (on == overload_)
        return;
    overload_ = on;
    showValueField();
}

void ValueIndicator::setPlusSign(bool on) {
    if (on == plusSign_)
        return;
    plusSign_ = on;
    showValueField();
}

std::string ValueIndicator::fieldText() const {
    if (designing())
        return signalSettings().formatSample();
    if (overload_)
        return "OL";
    // A value that rounds to what zero shows gets no sign: nothing is neither up nor down.
    if (plusSign_ && value() > 0.0f &&
        valueText() != formatNumber(signalSettings().valueFormat(), 0.0L))
        return "+" + valueText();
    return valueText();
}

void ValueIndicator::loaded() {
    AnalogGauge::loaded();
    const auto toSettingsChange = [this](SettingsObject&) { settingsChange(); };
    bevelInner_.onChange = toSettingsChange;
    bevelOuter_.onChange = toSettingsChange;
    bevelValue_.onChange = toSettingsChange;
    endUpdate();
}

void ValueIndicator::settingsChange() {
    AnalogGauge::settingsChange();
    invalidate();
}

void ValueIndicator::measure(Canvas& canvas) {
    const auto& ss = signalSettings();
    IndicatorMetrics m;
    canvas.setFont(font());
    const Size n1 = canvas.textExtent(ss.name1());
    const Size n2 = canvas.textExtent(ss.name2());
    canvas.setFont(fontValue_);
    const Size sample = canvas.textExtent(ss.formatSample());
    m.name1Width = n1.width;
    m.name1Height = n1.height;
    m.name2Width = n2.width;
    m.name2Height = n2.height;
    m.sampleWidth = sample.width;
    m.valueHeight = sample.height;
    m.unitWidth = options_.contains(Opt::opUnit) ? canvas.textWidth(ss.valueUnit()) : 0;
    metrics_ = m;
    needed_ = indicatorNeededSize(m, options_, bevelOuter_.bevelSize(), bevelInner_.bevelSize(),
                                  bevelValue_.bevelSize());
}

void ValueIndicator::prepareFace() {
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    {
        Canvas canvas(scratch);
        measure(canvas);
    }
    const Size size = indicatorBounds(Size{width(), height()}, needed_, autoSize_);
    if (size.width != width() || size.height != height())
        resize(size.width, size.height);
}

void ValueIndicator::paint(Canvas& canvas, const Rect& rect) {
    measure(canvas);
    const auto& ss = signalSettings();
    const IndicatorMetrics& m = metrics_;

    Rect r = rect;
    int a = 0;
    if (options_.contains(Opt::opBevelOuter)) {
        r = bevelOuter_.paint(canvas, r);
        a = bevelOuter_.spacing() / 2;
    }

    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.setFont(font());
    // Names stand centred at the bottom, Name1 above Name2, moved down by half the outer
    // spacing so they sit in the bevel's spacing band rather than above it.
    if (options_.contains(Opt::opName2))
        drawNameAtBottom(canvas, r, Size{m.name2Width, m.name2Height}, a, ss.name2());
    if (options_.contains(Opt::opName1))
        drawNameAtBottom(canvas, r, Size{m.name1Width, m.name1Height}, a, ss.name1());
    if (options_.contains(Opt::opBevelInner))
        r = bevelInner_.paint(canvas, r);

    canvas.setFont(fontValue_);
    using W = long long;
    const int f = m.valueHeight / 3;
    const W v = 2 * W(bevelValue_.bevelSize());
    Rect field;
    field.left = clampToInt(r.left + (W(r.width()) - m.sampleWidth - m.unitWidth - f) / 2 - f);
    field.right = clampToInt(W(field.left) + m.sampleWidth + v + 2 * W(f));
    field.top = r.top;
    field.bottom = clampToInt(r.top + v + m.valueHeight);
    field = bevelValue_.paint(canvas, field);

    FontSpec unitFont = fontValue_;
    unitFont.color = font().color;
    canvas.setFont(unitFont);
    canvas.setBackMode(BackMode::Transparent);
    if (options_.contains(Opt::opUnit))
        canvas.textOut(clampToInt(W(field.right) + f), field.top, ss.valueUnit());

    field.left = clampToInt(W(field.left) + f);
    field.right = clampToInt(W(field.right) - f);
    // The fast path draws into the face, so only the face's own layout is kept for it.
    if (paintingFace()) {
        valueRect_ = field;
        growLimit_ = r.left;
    }

    // Every paint also runs the per-value update; its field redraw goes to this canvas.
    struct Restore {
        Canvas*& slot;
        ~Restore() { slot = nullptr; }
    } restore{paintCanvas_};
    paintCanvas_ = &canvas;
    paintField_ = field;
    paintGrowLimit_ = r.left;
    valueChange();
}

void ValueIndicator::valueChange() {
    AnalogGauge::valueChange();
    showValueField();
}

void ValueIndicator::showValueField() {
    if (!visibleProperty() && !designing()) {
        // The face keeps the old digits; showing the control again must not put them
        // on screen, so the next paint redraws everything.
        if (!paintingFace())
            invalidate();
        return;
    }
    drawValueField();
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

void ValueIndicator::drawValueField() {
    const Rect field = paintCanvas_ ? paintField_ : valueRect_;
    if (field.width() <= 0 || field.height() <= 0)
        return;
    const std::string text = fieldText();
    const int growLimit = std::min(paintCanvas_ ? paintGrowLimit_ : growLimit_, field.left);

    // The text is measured on the canvas the field goes to: the face, or the one painting.
    std::optional<Canvas> face;
    Canvas* target = paintCanvas_;
    if (!target)
        target = &face.emplace(faceImage());

    // A text wider than the field takes the free width to the field's left, and only what
    // still does not fit shrinks the font: no digit is ever cut off.
    Rect drawn = field;
    FontSpec font = fontValue_;
    target->setFont(font);
    int width = target->textWidth(text);
    if (width > field.width()) {
        drawn.left = std::max(growLimit, field.right - width);
        if (width > drawn.width())
            font = shrunkToFit(font, text, drawn.width(), *target, &width);
    }
    // A narrower text than the one on show: the wider one's pixels go with a full paint.
    if (!paintCanvas_ && drawn.left > drawnLeft_) {
        invalidate();
        return;
    }
    if (paintCanvas_ && paintingFace())
        drawnLeft_ = drawn.left;

    // Only the part of the field on the canvas is built: the field of a huge font would
    // take gigabytes.
    const Rect shown =
        intersected(drawn, Rect{0, 0, target->target().width(), target->target().height()});
    if (shown.width() <= 0 || shown.height() <= 0)
        return;

    // Built off screen and copied in one piece: the digits change without flicker.
    Bitmap bitmap(shown.width(), shown.height());
    {
        Canvas bc(bitmap);
        bc.setFont(font);
        bc.setPenColor(bevelValue_.color());
        bc.setBrushColor(bevelValue_.color());
        bc.setBrushStyle(BrushStyle::bsSolid);
        bc.fillRect(Rect{0, 0, shown.width(), shown.height()});
        bc.setBackMode(BackMode::Transparent);
        bc.setTextAlign(HAlign::Left, VAlign::Top);
        // Right-aligned at the field's right edge.
        bc.textOut(clampToInt(static_cast<long long>(drawn.right) - shown.left - width),
                   drawn.top - shown.top, text);
    }
    target->draw(shown.left, shown.top, bitmap);
    if (paintCanvas_)
        return;
    drawnLeft_ = drawn.left;
    face.reset(); // the picture is in the face before it goes on screen
    showFace(shown);
}

} // namespace kv
