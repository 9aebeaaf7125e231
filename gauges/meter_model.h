#pragma once

#include "gauges/analog_gauge.h"
#include "gauges/arrow_settings.h"
#include "gauges/bevel.h"
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

// Where a round meter's scale runs and how high its dial is for its width.
struct DialShape {
    int startAngle = 270;
    int sweepAngle = 180;
    float heightRatio = 2.0f;
};

// The model of a round meter: the gauge's value with the look of its dial (bevels, names,
// scale, sectors, unit) and pointer, and whether the pointer flashes.
class RoundMeterModel : public AnalogGauge {
    Q_OBJECT
public:
    explicit RoundMeterModel(QObject* parent = nullptr, bool designing = false,
                             DialShape shape = {});
    ~RoundMeterModel() override;

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
    int startAngle() const { return shape_.startAngle; }
    int sweepAngle() const { return shape_.sweepAngle; }
    float heightRatio() const { return shape_.heightRatio; }
    // The pointer flashes: the value lies beyond the scale with opOverflow, or beyond a
    // limit with opLimit.
    bool flashing() const { return flashing_; }

    // Switches between a linear scale and one of whole decades.
    void setLogScale(bool on);
    void setAutoSize(bool on);
    void setFontUnit(const FontSpec& f);
    void setOptions(RoundMeterOptions s);

    // Wires the pointer, bevel and scale settings too and releases the lock taken at
    // construction.
    void loaded() override;

    // The pointer's angle past the start of the scale for a per-mille position.
    double angleFor(int ppt) const;

signals:
    void flashingChanged();

protected:
    void overflowChange(int ppt) override;
    void limitChange() override;
    void logScaleChange() override;

private:
    // Starts or stops the flashing for the position ppt (unclamped).
    void flashCheck(int ppt);

    bool autoSize_ = true;
    ArrowSettings arrowSettings_;
    FontSpec fontUnit_;
    Bevel bevelInner_;
    Bevel bevelOuter_;
    RoundMeterOptions options_ = RoundMeterOptions::fromBits(0xFF);
    ScaleSettings scaleSettings_;
    DialShape shape_;
    bool flashing_ = false;
};

} // namespace kv
