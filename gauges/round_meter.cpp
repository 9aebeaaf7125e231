#include "gauges/round_meter.h"

#include "core/rounding.h"
#include "gauges/flash_timer.h"
#include "gauges/rotation.h"

#include <algorithm>
#include <cstdint>

namespace kv {

namespace {

constexpr int kFlashRate = 4;

// Sizes are kept in the range a 16-bit coordinate can hold.
int clampSize(long v) {
    return int(std::clamp<long>(v, 0, INT16_MAX));
}

} // namespace

Size roundMeterSize(const RoundMeterMetrics& m, RoundMeterOptions options, bool autoSize,
                    int currentWidth, int bevelOuter, int bevelInner, float heightRatio) {
    using O = RoundMeterOption;
    const long to = options.contains(O::opBevelOuter) ? bevelOuter : 0;
    const long ti = options.contains(O::opBevelInner) ? bevelInner : 0;
    long w = autoSize ? long(m.labelHeight) * 10
                      : std::max<long>(currentWidth - 2 * to - 2 * ti, long(m.labelHeight) * 7);
    const double ratio = heightRatio != 0.0f ? double(heightRatio) : 1.0;
    long h = roundToInt(double(w - m.labelWidth) / ratio + m.labelHeight);
    if (options.contains(O::opBevelOuter)) {
        h += 2 * to;
        w += 2 * to;
    }
    if (options.contains(O::opName1)) {
        h += m.name1.height;
        w = std::max<long>(w, 2 * to + 2 * ti + m.name1.width);
    }
    if (options.contains(O::opName2)) {
        h += m.name2.height;
        w = std::max<long>(w, 2 * to + 2 * ti + m.name2.width);
    }
    if (options.contains(O::opBevelInner)) {
        h += 2 * ti;
        w = std::max(w, w + 2 * ti);
    }
    return {clampSize(w), clampSize(h)};
}

RoundMeter::RoundMeter(QWidget* parent, bool designing) : AnalogGauge(parent, designing) {
    beginUpdate();
    fontUnit_.name = "System";
    fontUnit_.height = 0;
    fontUnit_.size = 10;
    fontUnit_.color = clBlack;

    bevelInner_.setStyle(BevelStyle::bsLowered);
    bevelInner_.setSpacing(5);
    bevelInner_.setWidth(2);
    bevelInner_.setBevelLine(BevelLineKind::blInner);
    bevelOuter_.setSpacing(5);
    bevelOuter_.setBevelLine(BevelLineKind::blOuter);
    bevelOuter_.setWidth(2);
    if (designing)
        loaded();
}

RoundMeter::~RoundMeter() {
    FlashTimer::instance().remove(this);
}

void RoundMeter::setLogScale(bool on) {
    applyLogScale(on);
    logScaleChange();
}

void RoundMeter::setAutoSize(bool on) {
    autoSize_ = on;
    if (updateLock() == 0)
        invalidate();
}

void RoundMeter::setFontUnit(const FontSpec& f) {
    fontUnit_ = f;
    // The unit font notifies like any other owned settings once loading has wired it.
    if (isLoaded())
        settingsChange();
    else if (updateLock() == 0)
        invalidate();
}

void RoundMeter::setOptions(RoundMeterOptions s) {
    using O = RoundMeterOption;
    const bool flashingChanged = options_.contains(O::opLimit) != s.contains(O::opLimit) ||
                                 options_.contains(O::opOverflow) != s.contains(O::opOverflow);
    options_ = s;
    // Switching a flashing option must start or stop the flashing at once, not only at the
    // next crossing of a limit or of the scale's end. The position is clamped by now; the
    // overflow flags tell where the value lies.
    if (flashingChanged && isLoaded())
        flashCheck(overflowHigh() ? 1001 : overflowLow() ? -1 : ppt());
    if (updateLock() == 0)
        invalidate();
}

void RoundMeter::loaded() {
    const auto toSettingsChange = [this](SettingsObject&) { settingsChange(); };
    arrowSettings_.onChange = toSettingsChange;
    bevelInner_.onChange = toSettingsChange;
    bevelOuter_.onChange = toSettingsChange;
    scaleSettings_.onChange = toSettingsChange;
    AnalogGauge::loaded();
    endUpdate();
}

void RoundMeter::settingsChange() {
    AnalogGauge::settingsChange();
    if (updateLock() == 0)
        invalidate();
}

void RoundMeter::logScaleChange() {
    scaleSettings_.setLogMode(logScale());
    if (updateLock() == 0)
        invalidate();
}

double RoundMeter::angleFor(int ppt) const {
    // Worked out in double and stored as a single only at the end: a single 0.18 per step
    // would drift far enough to move a needle tip by a pixel.
    return float(double(sweepAngle_) / 1000.0 * ppt);
}

void RoundMeter::measure(Canvas& canvas) {
    const auto& ss = signalSettings();
    canvas.setFont(font());
    metrics_.name1 = canvas.textExtent(ss.name1());
    metrics_.name2 = canvas.textExtent(ss.name2());
    canvas.setFont(fontUnit_);
    metrics_.unit = canvas.textExtent(ss.valueUnit());
    scaleSettings_.prepareScale(canvas, ss.valueFrom(), ss.valueTo());
    metrics_.labelWidth = scaleSettings_.labelWidth();
    metrics_.labelHeight = scaleSettings_.labelHeight();
}

void RoundMeter::prepareFace() {
    // Without automatic sizing the paint's own measuring is all that is needed.
    if (!autoSize_)
        return;
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    {
        Canvas canvas(scratch);
        measure(canvas);
    }
    const Size s = roundMeterSize(metrics_, options_, true, width(), bevelOuter_.bevelSize(),
                                  bevelInner_.bevelSize(), heightRatio_);
    if (s.width != width() || s.height != height())
        resize(s.width, s.height);
}

void RoundMeter::paint(Canvas& canvas, const Rect& rect) {
    using O = RoundMeterOption;
    // Only the face keeps the pointer layer for the value fast path; a paint into any other
    // canvas builds a layer of its own.
    const bool face = paintingFace();
    PointerLayer local;
    PointerLayer& layer = face ? layer_ : local;
    const auto& ss = signalSettings();

    measure(canvas);
    Rect r = rect;
    int h = 0;
    if (options_.contains(O::opBevelOuter)) {
        r = bevelOuter_.paint(canvas, r);
        h = bevelOuter_.spacing() / 2;
    }
    canvas.setBrushStyle(BrushStyle::bsClear);
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.setFont(font());
    // Names stand centred at the bottom, Name1 above Name2.
    if (options_.contains(O::opName2))
        drawNameAtBottom(canvas, r, metrics_.name2, h, ss.name2());
    if (options_.contains(O::opName1))
        drawNameAtBottom(canvas, r, metrics_.name1, h, ss.name1());
    if (options_.contains(O::opBevelInner))
        r = bevelInner_.paint(canvas, r);

    const bool small = r.width() < 2 || r.height() < 2;
    if (face)
        tooSmall_ = small;
    if (small)
        return;

    const Rect dial = r;
    Rect pr;
    pr.bottom = clampToInt(static_cast<long long>(r.bottom) + bevelInner_.spacing());
    scaleSettings_.drawScale(canvas, r, startAngle_, sweepAngle_);
    pr.left = r.left;
    pr.top = r.top;
    pr.right = r.right;
    layer.setRect(pr);

    if (options_.contains(O::opSector))
        paintSectors(canvas, shrinkRect(r, static_cast<long long>(scaleSettings_.tickLength()) +
                                               sectorSettings().offset()));
    if (sectorSettings().offset() < 0) {
        // Ticks and labels go on top of a band that reaches under them.
        Rect again = dial;
        scaleSettings_.drawScale(canvas, again, startAngle_, sweepAngle_);
    }
    if (options_.contains(O::opUnit)) {
        canvas.setFont(fontUnit_);
        canvas.setBrushStyle(BrushStyle::bsClear);
        canvas.setBackMode(BackMode::Transparent);
        const long long w = r.width();
        canvas.textOut(clampToInt(r.left + (w - metrics_.unit.width) / 2),
                       clampToInt(r.top + static_cast<long long>(
                                              roundToInt(w / 3.0 - metrics_.labelHeight / 2.0))),
                       ss.valueUnit());
    }

    layer.prepare(canvas, pr, arrowSettings_.shape(), startAngle_, scaleSettings_.tickLength());

    if (face) {
        // The per-value update may throw (a picture format the formatter refuses); the
        // canvas must not outlive this paint in paintCanvas_.
        struct Restore {
            Canvas*& slot;
            ~Restore() { slot = nullptr; }
        } restore{paintCanvas_};
        paintCanvas_ = &canvas;
        valueChange();
    } else {
        layer.draw(canvas, pose());
    }
}

void RoundMeter::paintSectors(Canvas& canvas, const Rect& s) {
    const SectorSettings& sec = sectorSettings();
    const long long b = s.width() / 10 + static_cast<long long>(sec.widthOffset());

    canvas.saveClip();
    Rect outer = s;
    outer.bottom = clampToInt(outer.bottom + 1LL);
    // Qt's raster engine drops the hole of a region selected while clipping is switched off
    // (as after restoring an unclipped state); a plain rectangle clip first keeps the ring.
    canvas.setClipRect(canvas.clipBox());
    canvas.selectEllipseRingRegion(outer, shrinkRect(s, b), Point{0, 0});
    canvas.setBrushStyle(BrushStyle::bsSolid);
    const double k = sweepAngle_ / 1000.0;
    const Point centre{clampToInt(s.left + s.width() / 2LL), clampToInt(s.top + s.height() / 2LL)};
    const Point twelve{centre.x, s.top};
    for (int i = 1; i <= 3; ++i) {
        const int from = sec.from(i);
        const int to = sec.to(i);
        if (!(static_cast<long long>(to) - from > 4 && to > 0 && from < 1000))
            continue;
        const int upper = std::min(1000, to);
        std::int16_t start, span;
        if (from < 0) {
            start = std::int16_t(startAngle_);
            span = std::int16_t(roundToInt(upper * k));
        } else {
            start = std::int16_t(roundToInt(from * k) + startAngle_);
            span = std::int16_t(roundToInt((upper - from) * k));
        }
        // A pie whose ends meet is a full ellipse; a sector too narrow for one degree of
        // the scale must not paint the whole band.
        if (span <= 0)
            continue;
        canvas.setBrushColor(sec.color(i));
        canvas.setPenColor(sec.color(i));
        // Angles run clockwise on the screen, the pie counter-clockwise: from the end back to
        // the start.
        canvas.pie(s, rotatePoint(twelve, centre, start + span),
                   rotatePoint(twelve, centre, start));
    }
    canvas.restoreClip();

    canvas.setPenColor(scaleSettings_.color());
    canvas.setPenWidth(scaleSettings_.lineWidth());
    canvas.setBrushStyle(BrushStyle::bsClear);
    if (scaleSettings_.drawLine())
        canvas.arc(scaleSettings_.arcRect(), scaleSettings_.arcStart(), scaleSettings_.arcEnd());
    canvas.setPenWidth(1);
}

PointerPose RoundMeter::pose() const {
    PointerPose p;
    p.angle = angleFor(ppt());
    p.minAngle = angleFor(minPpt());
    p.maxAngle = angleFor(maxPpt());
    const MinMax& mm = minMax();
    p.minVisible = mm.minVisible();
    p.maxVisible = mm.maxVisible();
    const auto markColor = [&](int at, ColorValue own) {
        if (mm.useSectorCol())
            if (const auto c = sectorSettings().colorAt(at))
                return *c;
        return own;
    };
    p.minColor = markColor(minPpt(), mm.minColor());
    p.maxColor = markColor(maxPpt(), mm.maxColor());
    p.pen = arrowSettings_.colorPen();
    p.brush = arrowSettings_.colorBrush();
    p.hub1Pen = arrowSettings_.colorCP1Pen();
    p.hub1Brush = arrowSettings_.colorCP1Brush();
    p.hub2Pen = arrowSettings_.colorCP2Pen();
    p.hub2Brush = arrowSettings_.colorCP2Brush();
    p.flashing = flashing_;
    p.flashColor = flashColor_;
    return p;
}

void RoundMeter::drawPointer() {
    if (tooSmall_ || !layer_.canDraw())
        return;
    if (paintCanvas_) {
        layer_.draw(*paintCanvas_, pose());
        return;
    }
    // A full paint is due (a new range or unit came with this reading); it draws the
    // pointer over a fresh cache, so the old dial is not worth drawing on.
    if (faceDirty())
        return;
    {
        Canvas canvas(faceImage());
        layer_.draw(canvas, pose());
    }
    const Rect& pr = layer_.rect();
    const Rect onFace{std::max(pr.left, 0), std::max(pr.top, 0), std::min(pr.right, width()),
                      std::min(pr.bottom, height())};
    showFace(onFace);
}

void RoundMeter::valueChange() {
    // A new minimum or maximum runs this again from inside; the guard must hold until the
    // outermost run is done, and must be released even when the update throws, or the
    // pointer would never flash again.
    struct Guard {
        bool& flag;
        bool outer;
        ~Guard() {
            if (outer)
                flag = false;
        }
    } guard{pointerDrawing_, !pointerDrawing_};
    pointerDrawing_ = true;
    AnalogGauge::valueChange();
    if (!tooSmall_) {
        if (paintCanvas_ || visibleProperty())
            drawPointer();
        else if (!paintingFace())
            // Hidden: the face keeps the old pointer, and showing the control again would
            // put it on screen; the next paint draws the dial and the pointer afresh.
            invalidate();
    }
}

void RoundMeter::overflowChange(int ppt) {
    flashCheck(ppt);
}

void RoundMeter::limitChange() {
    flashCheck(ppt());
}

void RoundMeter::flashCheck(int ppt) {
    using O = RoundMeterOption;
    const bool overflow = options_.contains(O::opOverflow) && (ppt < 0 || ppt > 1000);
    const bool limit = options_.contains(O::opLimit) && (upperExceeded() || lowerExceeded());
    if (overflow || limit) {
        FlashTimer::instance().add(this, kFlashRate, [this](bool on) { flash(on); });
        flashing_ = true;
    } else {
        flashing_ = false;
        FlashTimer::instance().remove(this);
    }
}

void RoundMeter::flash(bool on) {
    if (!visibleProperty() || pointerDrawing_ || tooSmall_)
        return;
    flashColor_ = on ? flashColorOn() : flashColorOff();
    drawPointer();
}

} // namespace kv
