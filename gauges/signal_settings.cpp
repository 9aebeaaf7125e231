#include "gauges/signal_settings.h"

#include "core/rounding.h"

#include <cmath>

namespace kv {

float powerOfTenNearest(float x) {
    const int exponent = x > 0 ? roundToInt(std::log10(double(x))) : 0;
    return float(std::pow(10.0, exponent));
}

namespace {
// Characters, not bytes, decide which part of a format looks wider.
std::size_t codePoints(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}
} // namespace

std::string formatSampleFor(const std::string& format) {
    const auto sep = format.find(';');
    if (sep == std::string::npos)
        return format;
    std::string before = format.substr(0, sep);
    std::string after = format.substr(sep + 1);
    return codePoints(before) > codePoints(after) ? before : after;
}

SignalSettings::SignalSettings() : formatSample_(formatSampleFor(valueFormat_)) {}

void SignalSettings::setValueFrom(float v) {
    if (v == valueFrom_ || v == valueTo_)
        return;
    valueFrom_ = v == 0.0f ? kZeroValueFrom : v;
    if (logMode_)
        setValueFrom(powerOfTenNearest(valueFrom_));
    change();
}

void SignalSettings::setValueTo(float v) {
    if (v == valueFrom_ || v == valueTo_)
        return;
    valueTo_ = v;
    if (logMode_)
        setValueTo(powerOfTenNearest(valueTo_));
    change();
}

void SignalSettings::recompute() {
    if (spanComputable(valueFrom_, valueTo_))
        valueSpan_ = float(double(valueTo_) - double(valueFrom_));
    if (spanComputable(digitalFrom_, digitalTo_))
        digitalSpan_ = digitalTo_ - digitalFrom_;
    if (digitalSpan_ > 0)
        valuePerDigit_ = float(double(valueSpan_) / digitalSpan_);
    if (valueSpan_ > 0) {
        digitsPerValue_ = float(digitalSpan_ / double(valueSpan_));
        pptPerValue_ = float(1000.0 / double(valueSpan_));
    }
    // The sample does not depend on the range; a range running downwards must not leave
    // the indicator measuring an old format.
    formatSample_ = formatSampleFor(valueFormat_);
}

void SignalSettings::change() {
    recompute();
    SettingsObject::change();
}

void SignalSettings::assign(const SignalSettings& o) {
    setDigitalFrom(o.digitalFrom_);
    setDigitalTo(o.digitalTo_);
    setValueFormat(o.valueFormat_);
    setValueFrom(o.valueFrom_);
    setValueTo(o.valueTo_);
    setValueUnit(o.valueUnit_);
    setName1(o.name1_);
    setName2(o.name2_);
}

} // namespace kv
