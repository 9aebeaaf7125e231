#include "app/display_update.h"

#include "gauges/analog_gauge.h"
#include "levelbar/level_bar.h"

#include <string>

namespace kv {

void holdReading(AnalogGauge& indicator, const Reading& reading) {
    indicator.setReadingFormat(reading.format);
    if (!reading.overload())
        indicator.setReadingValue(reading.value);
    indicator.setReadingUnit(reading.unit);
}

float fullScaleFor(float reading, float currentFullScale) {
    if (reading < 1.0f)
        return 1.0f;
    if (reading < 10.0f)
        return 10.0f;
    if (reading < 100.0f)
        return 100.0f;
    if (reading < 1000.0f)
        return 1000.0f;
    return currentFullScale;
}

void updateDisplays(const Displays& d) {
    updateDisplays(d, d.indicator.value());
}

void updateDisplays(const Displays& d, float reading) {
    SignalSettings& meterSignal = d.meter.signalSettings();

    meterSignal.setValueUnit(d.indicator.signalSettings().valueUnit());
    // Re-maps the meter's present (previous) value to its digit on the new scale.
    meterSignal.setValueTo(fullScaleFor(reading, meterSignal.valueTo()));

    d.bar.setMax(meterSignal.digitalTo());
    d.bar.setPosition(d.meter.digit());

    d.meter.setValue(reading);
}

void showOverload(const Displays& d) {
    SignalSettings& meterSignal = d.meter.signalSettings();
    meterSignal.setValueUnit(d.indicator.signalSettings().valueUnit());
    d.bar.setMax(meterSignal.digitalTo());
    d.bar.setPosition(d.bar.max());
    const float from = meterSignal.valueFrom();
    d.meter.setValue(from + 2.0f * (meterSignal.valueTo() - from));
}

void resetDisplays(const Displays& d) {
    d.indicator.setValue(0.0f);
    d.meter.setValue(0.0f);
    d.bar.setPosition(0);
}

} // namespace kv
