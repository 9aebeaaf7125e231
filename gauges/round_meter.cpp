#include "gauges/round_meter.h"

#include "gauges/flash_timer.h"

#include <algorithm>

namespace kv {

RoundMeter::RoundMeter(QWidget* parent, bool designing, DialShape shape)
    : GaugeControl(parent, model_), model_(nullptr, designing, shape) {
    attach();
    QObject::connect(&model_, &RoundMeterModel::flashingChanged, this,
                     [this] { followFlashing(); });
    if (designing)
        model_.loaded();
}

RoundMeter::~RoundMeter() {
    FlashTimer::instance().remove(this);
}

void RoundMeter::paint(Canvas& canvas, const Rect& rect) const {
    paintMeter(canvas, rect, model_, flashColor_);
}

void RoundMeter::prepareFace() {
    GaugeControl::prepareFace();
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    Canvas canvas(scratch);
    const MeterMeasures measures = measureMeter(model_, canvas);
    if (model_.autoSize()) {
        const Size s = roundMeterSize(measures.metrics, model_.options(), true, faceWidth(),
                                      model_.bevelOuter().bevelSize(),
                                      model_.bevelInner().bevelSize(), model_.heightRatio());
        if (s.width != faceWidth() || s.height != faceHeight())
            resizeFace(s.width, s.height);
    }
    // The scale of the control's own face, as its settings report it.
    const MeterLayout l = layoutMeter(model_, measures, clientRect());
    ScaleSettings& scale = model_.scaleSettings();
    scale.keep(measures.labels);
    if (!l.tooSmall)
        scale.keep(l.scale);
}

void RoundMeter::paintFace(Canvas& canvas, const Rect& rect) {
    layout_ = layoutMeter(model_, measureMeter(model_, canvas), rect);
    paintDial(canvas, model_, layout_);
    if (layout_.tooSmall)
        return;
    layer_.prepare(canvas, layout_.pointerRect, model_.arrowSettings().shape(), model_.startAngle(),
                   layout_.scale.tickLength);
    layer_.redraw(canvas, pose());
}

PointerPose RoundMeter::pose() const {
    return pointerPose(model_, flashColor_);
}

void RoundMeter::showValue() {
    if (layout_.tooSmall)
        return;
    if (visibleProperty())
        drawPointer();
    else if (!paintingFace())
        // Hidden: the face keeps the old pointer, and showing the control again would put
        // it on screen; the next paint draws the dial and the pointer afresh.
        invalidate();
}

void RoundMeter::drawPointer() {
    if (layout_.tooSmall || !layer_.canDraw())
        return;
    // A full paint is due (a new range or unit came with this reading); it draws the
    // pointer over a fresh cache, so the old dial is not worth drawing on.
    if (!faceCurrent())
        return;
    std::vector<Rect> changed;
    {
        Canvas canvas(faceImage());
        changed = layer_.redraw(canvas, pose());
    }
    for (Rect& r : changed)
        r = intersected(r, clientRect());
    showFace(changed);
}

void RoundMeter::followFlashing() {
    if (model_.flashing())
        FlashTimer::instance().add(this, kFlashRate, [this](bool on) { flash(on); });
    else
        FlashTimer::instance().remove(this);
}

void RoundMeter::flash(bool on) {
    if (!visibleProperty() || model_.updatingValue() || layout_.tooSmall)
        return;
    flashColor_ = on ? model_.flashColorOn() : model_.flashColorOff();
    drawPointer();
}

} // namespace kv
