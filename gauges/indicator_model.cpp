#include "gauges/indicator_model.h"

#include "format/number_format.h"

namespace kv {

IndicatorModel::IndicatorModel(QObject* parent, bool designing) : AnalogGauge(parent, designing) {
    beginUpdate();
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
}

IndicatorModel::~IndicatorModel() = default;

void IndicatorModel::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    autoSize_ = on;
    paramChange();
}

void IndicatorModel::setFontValue(const FontSpec& f) {
    if (f == fontValue_)
        return;
    fontValue_ = f;
    paramChange();
}

void IndicatorModel::setOptions(ValueIndicatorOptions s) {
    if (s == options_)
        return;
    options_ = s;
    paramChange();
}

void IndicatorModel::setOverload(bool on) {
    if (on == overload_)
        return;
    overload_ = on;
    emit valueUpdated();
}

void IndicatorModel::setPlusSign(bool on) {
    if (on == plusSign_)
        return;
    plusSign_ = on;
    emit valueUpdated();
}

std::string IndicatorModel::fieldText() const {
    if (designing())
        return signalSettings().formatSample();
    if (overload_)
        return "OL";
    return signedField(signalSettings().valueFormat(), value(), plusSign_);
}

void IndicatorModel::loaded() {
    AnalogGauge::loaded();
    const auto toSettingsChange = [this](SettingsObject&) { settingsChange(); };
    bevelInner_.onChange = toSettingsChange;
    bevelOuter_.onChange = toSettingsChange;
    bevelValue_.onChange = toSettingsChange;
    endUpdate();
}

} // namespace kv
