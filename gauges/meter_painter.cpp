#include "gauges/meter_painter.h"

#include "core/rounding.h"
#include "gauges/name_line.h"
#include "gauges/rotation.h"

#include <algorithm>
#include <cstdint>

namespace kv {

namespace {

// Sizes are kept in the range a 16-bit coordinate can hold.
int clampSize(long v) {
    return int(std::clamp<long>(v, 0, INT16_MAX));
}

using O = RoundMeterOption;

void paintSectors(Canvas& canvas, const RoundMeterModel& model, const MeterLayout& l) {
    const SectorSettings& sec = model.sectorSettings();
    const ScaleSettings& scale = model.scaleSettings();
    const Rect& s = l.sectorRect;
    const long long b = s.width() / 10 + static_cast<long long>(sec.widthOffset());

    canvas.saveClip();
    Rect outer = s;
    outer.bottom = clampToInt(outer.bottom + 1LL);
    // Qt's raster engine drops the hole of a region selected while clipping is switched off
    // (as after restoring an unclipped state); a plain rectangle clip first keeps the ring.
    canvas.setClipRect(canvas.clipBox());
    canvas.selectEllipseRingRegion(outer, shrinkRect(s, b), Point{0, 0});
    canvas.setBrushStyle(BrushStyle::bsSolid);
    const double k = model.sweepAngle() / 1000.0;
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
            start = std::int16_t(model.startAngle());
            span = std::int16_t(roundToInt(upper * k));
        } else {
            start = std::int16_t(roundToInt(from * k) + model.startAngle());
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

    canvas.setPenColor(scale.color());
    canvas.setPenWidth(l.measures.labels.lineWidth);
    canvas.setBrushStyle(BrushStyle::bsClear);
    if (scale.drawLine())
        canvas.arc(l.scale.arcRect, l.scale.arcStart, l.scale.arcEnd);
    canvas.setPenWidth(1);
}

} // namespace

Size roundMeterSize(const RoundMeterMetrics& m, RoundMeterOptions options, bool autoSize,
                    int currentWidth, int bevelOuter, int bevelInner, float heightRatio) {
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

MeterMeasures measureMeter(const RoundMeterModel& model, Canvas& canvas) {
    const auto& ss = model.signalSettings();
    MeterMeasures out;
    RoundMeterMetrics& m = out.metrics;
    canvas.setFont(model.font());
    m.name1 = canvas.textExtent(ss.name1());
    m.name2 = canvas.textExtent(ss.name2());
    canvas.setFont(model.fontUnit());
    m.unit = canvas.textExtent(ss.valueUnit());
    out.labels = model.scaleSettings().measureLabels(canvas, ss.valueFrom(), ss.valueTo());
    m.labelWidth = out.labels.width;
    m.labelHeight = out.labels.height;
    return out;
}

MeterLayout layoutMeter(const RoundMeterModel& model, const MeterMeasures& measures,
                        const Rect& rect) {
    const RoundMeterOptions options = model.options();
    const RoundMeterMetrics& m = measures.metrics;
    MeterLayout l;
    l.measures = measures;
    l.outer = rect;
    Rect r = rect;
    int h = 0;
    if (options.contains(O::opBevelOuter)) {
        r = model.bevelOuter().contentRect(r);
        h = model.bevelOuter().spacing() / 2;
    }
    // Names stand centred at the bottom, Name1 above Name2.
    if (options.contains(O::opName2))
        l.name2At = nameLineAtBottom(r, m.name2, h);
    if (options.contains(O::opName1))
        l.name1At = nameLineAtBottom(r, m.name1, h);
    l.inner = r;
    if (options.contains(O::opBevelInner))
        r = model.bevelInner().contentRect(r);

    l.tooSmall = r.width() < 2 || r.height() < 2;
    if (l.tooSmall)
        return l;
    l.dial = r;
    l.scale =
        model.scaleSettings().layout(measures.labels, r, model.startAngle(), model.sweepAngle());
    const Rect& area = l.scale.pointerArea;
    l.pointerRect =
        Rect{area.left, area.top, area.right,
             clampToInt(static_cast<long long>(r.bottom) + model.bevelInner().spacing())};
    l.sectorRect = shrinkRect(area, static_cast<long long>(l.scale.tickLength) +
                                        model.sectorSettings().offset());
    const long long w = area.width();
    l.unitAt = Point{
        clampToInt(area.left + (w - m.unit.width) / 2),
        clampToInt(area.top + static_cast<long long>(roundToInt(w / 3.0 - m.labelHeight / 2.0)))};
    return l;
}

void paintDial(Canvas& canvas, const RoundMeterModel& model, const MeterLayout& l) {
    const RoundMeterOptions options = model.options();
    const auto& ss = model.signalSettings();
    if (options.contains(O::opBevelOuter))
        model.bevelOuter().paint(canvas, l.outer);
    canvas.setBrushStyle(BrushStyle::bsClear);
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);
    canvas.setFont(model.font());
    if (options.contains(O::opName2))
        canvas.textOut(l.name2At.x, l.name2At.y, ss.name2());
    if (options.contains(O::opName1))
        canvas.textOut(l.name1At.x, l.name1At.y, ss.name1());
    if (options.contains(O::opBevelInner))
        model.bevelInner().paint(canvas, l.inner);
    if (l.tooSmall)
        return;

    const ScaleSettings& scale = model.scaleSettings();
    scale.paintScale(canvas, l.scale, l.measures.labels);
    if (options.contains(O::opSector))
        paintSectors(canvas, model, l);
    // Ticks and labels go on top of a band that reaches under them.
    if (model.sectorSettings().offset() < 0)
        scale.paintScale(canvas, l.scale, l.measures.labels);
    if (options.contains(O::opUnit)) {
        canvas.setFont(model.fontUnit());
        canvas.setBrushStyle(BrushStyle::bsClear);
        canvas.setBackMode(BackMode::Transparent);
        canvas.textOut(l.unitAt.x, l.unitAt.y, ss.valueUnit());
    }
}

PointerPose pointerPose(const RoundMeterModel& model, ColorValue flashColor) {
    PointerPose p;
    p.angle = model.angleFor(model.ppt());
    p.minAngle = model.angleFor(model.minPpt());
    p.maxAngle = model.angleFor(model.maxPpt());
    const MinMax& mm = model.minMax();
    p.minVisible = mm.minVisible();
    p.maxVisible = mm.maxVisible();
    const auto markColor = [&](int at, ColorValue own) {
        if (mm.useSectorCol())
            if (const auto c = model.sectorSettings().colorAt(at))
                return *c;
        return own;
    };
    p.minColor = markColor(model.minPpt(), mm.minColor());
    p.maxColor = markColor(model.maxPpt(), mm.maxColor());
    const ArrowSettings& arrow = model.arrowSettings();
    p.pen = arrow.colorPen();
    p.brush = arrow.colorBrush();
    p.hub1Pen = arrow.colorCP1Pen();
    p.hub1Brush = arrow.colorCP1Brush();
    p.hub2Pen = arrow.colorCP2Pen();
    p.hub2Brush = arrow.colorCP2Brush();
    p.flashing = model.flashing();
    p.flashColor = flashColor;
    return p;
}

void paintMeter(Canvas& canvas, const Rect& rect, const RoundMeterModel& model,
                ColorValue flashColor) {
    const MeterLayout l = layoutMeter(model, measureMeter(model, canvas), rect);
    paintDial(canvas, model, l);
    if (l.tooSmall)
        return;
    PointerLayer layer;
    layer.prepare(canvas, l.pointerRect, model.arrowSettings().shape(), model.startAngle(),
                  l.scale.tickLength);
    layer.draw(canvas, pointerPose(model, flashColor));
}

} // namespace kv
