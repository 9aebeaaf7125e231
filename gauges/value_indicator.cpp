#include "gauges/value_indicator.h"

#include <algorithm>

namespace kv {

using Opt = ValueIndicatorOption;

Size indicatorNeededSize(const IndicatorMetrics& m, ValueIndicatorOptions options,
                         int outerBevelSize, int innerBevelSize, int valueBevelSize) {
    const int o = options.contains(Opt::opBevelOuter) ? 2 * outerBevelSize : 0;
    const int i = options.contains(Opt::opBevelInner) ? 2 * innerBevelSize : 0;
    const int v = 2 * valueBevelSize;
    const bool name1 = options.contains(Opt::opName1);
    const bool name2 = options.contains(Opt::opName2);

    Size s;
    s.height =
        o + (name1 ? m.name1Height : 0) + (name2 ? m.name2Height : 0) + i + m.valueHeight + v;
    s.width = o;
    if (name1)
        s.width = std::max(s.width, m.name1Width + o);
    if (name2)
        s.width = std::max(s.width, m.name2Width + o);
    s.width = std::max(s.width, m.sampleWidth + o + i + m.unitWidth + v + m.valueHeight);
    return s;
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

std::string ValueIndicator::fieldText() const {
    if (designing())
        return signalSettings().formatSample();
    return overload_ ? std::string("OL") : valueText();
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
    if (options_.contains(Opt::opName2)) {
        r.bottom -= m.name2Height;
        canvas.textOut(r.left + (r.width() - m.name2Width) / 2, r.bottom + a, ss.name2());
    }
    if (options_.contains(Opt::opName1)) {
        r.bottom -= m.name1Height;
        canvas.textOut(r.left + (r.width() - m.name1Width) / 2, r.bottom + a, ss.name1());
    }
    if (options_.contains(Opt::opBevelInner))
        r = bevelInner_.paint(canvas, r);

    canvas.setFont(fontValue_);
    const int f = m.valueHeight / 3;
    const int v = 2 * bevelValue_.bevelSize();
    Rect field;
    field.left = r.left + (r.width() - m.sampleWidth - m.unitWidth - f) / 2 - f;
    field.right = field.left + m.sampleWidth + v + 2 * f;
    field.top = r.top;
    field.bottom = r.top + v + m.valueHeight;
    field = bevelValue_.paint(canvas, field);

    FontSpec unitFont = fontValue_;
    unitFont.color = font().color;
    canvas.setFont(unitFont);
    canvas.setBackMode(BackMode::Transparent);
    if (options_.contains(Opt::opUnit))
        canvas.textOut(field.right + f, field.top, ss.valueUnit());

    field.left += f;
    field.right -= f;
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

// The largest pixel size of `font` at which `text` is no wider than `width`; 1 when none.
FontSpec shrunkToFit(const FontSpec& font, const std::string& text, int width, Canvas& canvas) {
    FontSpec f = font;
    for (int px = toQFont(font).pixelSize() - 1; px > 1; --px) {
        f.height = -px;
        canvas.setFont(f);
        if (canvas.textWidth(text) <= width)
            return f;
    }
    f.height = -1;
    return f;
}

} // namespace

void ValueIndicator::drawValueField() {
    const Rect field = paintCanvas_ ? paintField_ : valueRect_;
    if (field.width() <= 0 || field.height() <= 0)
        return;
    const std::string text = fieldText();
    const int growLimit = std::min(paintCanvas_ ? paintGrowLimit_ : growLimit_, field.left);

    Rect drawn = field;
    FontSpec font = fontValue_;
    {
        Bitmap scratch(1, 1);
        Canvas measure(scratch);
        measure.setFont(font);
        const int width = measure.textWidth(text);
        if (width > field.width()) {
            drawn.left = std::max(growLimit, field.right - width);
            if (width > drawn.width())
                font = shrunkToFit(font, text, drawn.width(), measure);
        }
    }
    if (!paintCanvas_ && drawn.left > drawnLeft_) {
        invalidate();
        return;
    }

    // Built off screen and copied in one piece: the digits change without flicker.
    Bitmap bitmap(drawn.width(), drawn.height());
    {
        Canvas bc(bitmap);
        bc.setFont(font);
        bc.setPenColor(bevelValue_.color());
        bc.setBrushColor(bevelValue_.color());
        bc.setBrushStyle(BrushStyle::bsSolid);
        bc.fillRect(Rect{0, 0, drawn.width(), drawn.height()});
        bc.setBackMode(BackMode::Transparent);
        bc.setTextAlign(HAlign::Left, VAlign::Top);
        bc.textOut(drawn.width() - bc.textWidth(text), 0, text);
    }

    if (paintCanvas_) {
        if (paintingFace())
            drawnLeft_ = drawn.left;
        paintCanvas_->draw(drawn.left, drawn.top, bitmap);
        return;
    }
    drawnLeft_ = drawn.left;
    {
        Canvas face(faceImage());
        face.draw(drawn.left, drawn.top, bitmap);
    }
    showFace(drawn);
}

} // namespace kv
