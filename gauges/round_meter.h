#pragma once

#include "gauges/gauge_control.h"
#include "gauges/meter_model.h"
#include "gauges/meter_painter.h"
#include "gauges/pointer_layer.h"

namespace kv {

// An analog round meter: bevels, signal names, a scale of ticks and labels, an optional
// sector band and the unit make up the dial; the pointer turns over it in a layer of its own.
// The widget owns the meter's model, draws its face with the meter's painter and keeps it:
// a full paint draws the dial and caches the pixels under the pointer; a new value redraws
// only the pointer area from that cache, on screen before setValue() returns. While the
// model says the pointer flashes, the shared flash timer switches its colour.
class RoundMeter : public GaugeControl {
public:
    explicit RoundMeter(QWidget* parent = nullptr, bool designing = false, DialShape shape = {});
    // The flash timer's rate of a flashing pointer (see FlashTimer); whatever flashes beside
    // it takes the same, so that both blink together.
    static constexpr int kFlashRate = 4;
    ~RoundMeter() override;

    RoundMeterModel& model() { return model_; }
    const RoundMeterModel& model() const { return model_; }
    // Where the program hands the meter on as a gauge, its model goes.
    operator RoundMeterModel&() { return model_; }

    // The model's interface, as the program uses it on the control.
    bool autoSize() const { return model_.autoSize(); }
    ArrowSettings& arrowSettings() { return model_.arrowSettings(); }
    const ArrowSettings& arrowSettings() const { return model_.arrowSettings(); }
    const FontSpec& fontUnit() const { return model_.fontUnit(); }
    Bevel& bevelInner() { return model_.bevelInner(); }
    const Bevel& bevelInner() const { return model_.bevelInner(); }
    Bevel& bevelOuter() { return model_.bevelOuter(); }
    const Bevel& bevelOuter() const { return model_.bevelOuter(); }
    RoundMeterOptions options() const { return model_.options(); }
    ScaleSettings& scaleSettings() { return model_.scaleSettings(); }
    const ScaleSettings& scaleSettings() const { return model_.scaleSettings(); }
    int startAngle() const { return model_.startAngle(); }
    int sweepAngle() const { return model_.sweepAngle(); }
    float heightRatio() const { return model_.heightRatio(); }
    bool flashing() const { return model_.flashing(); }
    double angleFor(int ppt) const { return model_.angleFor(ppt); }
    void setLogScale(bool on) { model_.setLogScale(on); }
    void setAutoSize(bool on) { model_.setAutoSize(on); }
    void setFontUnit(const FontSpec& f) { model_.setFontUnit(f); }
    void setOptions(RoundMeterOptions s) { model_.setOptions(s); }
    void loaded() { model_.loaded(); }

    // The whole meter with its pointer, into rect of any canvas; the control is not changed.
    void paint(Canvas& canvas, const Rect& rect) const;

    // Whether the last full paint found no room for a dial inside the bevels.
    bool tooSmall() const { return layout_.tooSmall; }
    const Rect& pointerRect() const { return layer_.rect(); }
    const PointerLayer& pointerLayer() const { return layer_; }
    // The colour a flashing pointer shows now.
    ColorValue flashColor() const { return flashColor_; }
    const RoundMeterMetrics& metrics() const { return layout_.measures.metrics; }

protected:
    void paintFace(Canvas& canvas, const Rect& rect) override;
    void prepareFace() override;
    void showValue() override;

private:
    PointerPose pose() const;
    void drawPointer();
    void followFlashing();
    void flash(bool on);

    RoundMeterModel model_;
    // The layout of the face as last drawn.
    MeterLayout layout_;
    PointerLayer layer_;
    ColorValue flashColor_ = clRed;
};

} // namespace kv
