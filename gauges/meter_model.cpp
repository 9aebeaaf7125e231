#include "gauges/meter_model.h"

namespace kv {

RoundMeterModel::RoundMeterModel(QObject* parent, bool designing, DialShape shape)
    : AnalogGauge(parent, designing), shape_(shape) {
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
}

RoundMeterModel::~RoundMeterModel() = default;

void RoundMeterModel::setLogScale(bool on) {
    applyLogScale(on);
    logScaleChange();
}

void RoundMeterModel::setAutoSize(bool on) {
    autoSize_ = on;
    faceChange();
}

void RoundMeterModel::setFontUnit(const FontSpec& f) {
    fontUnit_ = f;
    // The unit font notifies like any other owned settings once loading has wired it.
    if (isLoaded())
        settingsChange();
    else
        faceChange();
}

void RoundMeterModel::setOptions(RoundMeterOptions s) {
    using O = RoundMeterOption;
    const bool flashingChanged = options_.contains(O::opLimit) != s.contains(O::opLimit) ||
                                 options_.contains(O::opOverflow) != s.contains(O::opOverflow);
    options_ = s;
    // Switching a flashing option must start or stop the flashing at once, not only at the
    // next crossing of a limit or of the scale's end. The position is clamped by now; the
    // overflow flags tell where the value lies.
    if (flashingChanged && isLoaded())
        flashCheck(overflowHigh() ? 1001 : overflowLow() ? -1 : ppt());
    faceChange();
}

void RoundMeterModel::loaded() {
    const auto toSettingsChange = [this](SettingsObject&) { settingsChange(); };
    arrowSettings_.onChange = toSettingsChange;
    bevelInner_.onChange = toSettingsChange;
    bevelOuter_.onChange = toSettingsChange;
    scaleSettings_.onChange = toSettingsChange;
    AnalogGauge::loaded();
    endUpdate();
}

void RoundMeterModel::logScaleChange() {
    scaleSettings_.setLogMode(logScale());
    faceChange();
}

double RoundMeterModel::angleFor(int ppt) const {
    // Worked out in double and stored as a single only at the end: a single 0.18 per step
    // would drift far enough to move a needle tip by a pixel.
    return float(double(shape_.sweepAngle) / 1000.0 * ppt);
}

void RoundMeterModel::overflowChange(int ppt) {
    flashCheck(ppt);
}

void RoundMeterModel::limitChange() {
    flashCheck(ppt());
}

void RoundMeterModel::flashCheck(int ppt) {
    using O = RoundMeterOption;
    const bool overflow = options_.contains(O::opOverflow) && (ppt < 0 || ppt > 1000);
    const bool limit = options_.contains(O::opLimit) && (upperExceeded() || lowerExceeded());
    const bool on = overflow || limit;
    if (on == flashing_)
        return;
    flashing_ = on;
    emit flashingChanged();
}

} // namespace kv
