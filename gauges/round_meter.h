#pragma once

#include "gauges/analog_gauge.h"
#include "gauges/arrow_settings.h"
#include "gauges/bevel.h"
#include "gauges/pointer_layer.h"
#include "gauges/scale_settings.h"

namespace kv {

enum class RoundMeterOption {
    opBevelInner,
    opBevelOuter,
    opName1,
    opName2,
    opOverflow,
    opLimit,
    opSector,
    opUnit
};
using RoundMeterOptions = EnumSet<RoundMeterOption>;

// Text extents and label metrics a round meter sizes itself from.
struct RoundMeterMetrics {
    Size name1, name2; // in the control's font
    Size unit;         // in the unit font
    int labelWidth = 0, labelHeight = 0;
};

// The size the dial asks for. bevelOuter / bevelInner are the bevel sizes of one side and
// count only with their options; currentWidth is used when autoSize is off.
Size roundMeterSize(const RoundMeterMetrics& m, RoundMeterOptions options, bool autoSize,
                    int currentWidth, int bevelOuter, int bevelInner, float heightRatio);

// An analog round meter: bevels, signal names, a scale of ticks and labels, an optional
// sector band and the unit make up the dial; the pointer turns over it in a layer of its own.
// A full paint draws the dial and caches the pixels under the pointer; a new value redraws
// only the pointer area from that cache, on screen before setValue() returns.
class RoundMeter : public AnalogGauge {
public:
    explicit RoundMeter(QWidget* parent = nullptr, bool designing = false);
    ~RoundMeter() override;

    bool autoSize() const { return autoSize_; }
    ArrowSettings& arrowSettings() { return arrowSettings_; }
    const ArrowSettings& arrowSettings() const { return arrowSettings_; }
    const FontSpec& fontUnit() const { return fontUnit_; }
    Bevel& bevelInner() { return bevelInner_; }
    const Bevel& bevelInner() const { return bevelInner_; }
    Bevel& bevelOuter() { return bevelOuter_; }
    const Bevel& bevelOuter() const { return bevelOuter_; }
    RoundMeterOptions options() const { return options_; }
    ScaleSettings& scaleSettings() { return scaleSettings_; }
    const ScaleSettings& scaleSettings() const { return scaleSettings_; }

    // Switches between a linear scale and one of whole decades.
    void setLogScale(bool on);
    void setAutoSize(bool on);
    void setFontUnit(const FontSpec& f);
    void setOptions(RoundMeterOptions s);

    void loaded() override;
    // The whole meter with its pointer, into rect of any canvas.
    void paint(Canvas& canvas, const Rect& rect) override;

    int startAngle() const { return startAngle_; }
    int sweepAngle() const { return sweepAngle_; }
    float heightRatio() const { return heightRatio_; }
    // Whether the last paint found no room for a dial inside the bevels.
    bool tooSmall() const { return tooSmall_; }
    const Rect& pointerRect() const { return layer_.rect(); }
    const PointerLayer& pointerLayer() const { return layer_; }
    bool flashing() const { return flashing_; }
    ColorValue flashColor() const { return flashColor_; }
    const RoundMeterMetrics& metrics() const { return metrics_; }
    // The pointer's angle past the start of the scale for a per-mille position.
    double angleFor(int ppt) const;

protected:
    void setStartAngle(int a) { startAngle_ = a; }
    void setSweepAngle(int a) { sweepAngle_ = a; }
    void setHeightRatio(float r) { heightRatio_ = r; }

    void settingsChange() override;
    // The inherited per-value update, then the pointer drawn over the cached dial.
    void valueChange() override;
    void overflowChange(int ppt) override;
    void limitChange() override;
    void logScaleChange() override;
    void prepareFace() override;

private:
    void measure(Canvas& canvas);
    void paintSectors(Canvas& canvas, const Rect& s);
    PointerPose pose() const;
    void drawPointer();
    // Starts or stops the flashing for the position ppt (unclamped).
    void flashCheck(int ppt);
    void flash(bool on);

    bool autoSize_ = true;
    ArrowSettings arrowSettings_;
    FontSpec fontUnit_;
    Bevel bevelInner_;
    Bevel bevelOuter_;
    RoundMeterOptions options_ = RoundMeterOptions::fromBits(0xFF);
    ScaleSettings scaleSettings_;

    int startAngle_ = 270;
    int sweepAngle_ = 180;
    float heightRatio_ = 2.0f;
    RoundMeterMetrics metrics_;
    bool tooSmall_ = false;

    PointerLayer layer_;
    bool flashing_ = false;
    ColorValue flashColor_ = clRed;
    bool pointerDrawing_ = false;
    Canvas* paintCanvas_ = nullptr; // the face's canvas while a full paint runs
};

} // namespace kv
