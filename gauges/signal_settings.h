#pragma once

#include "core/settings_object.h"

#include <string>

namespace kv {

// The power of ten nearest to x on a logarithmic scale (10^round(log10 x)); 1 for x <= 0.
float powerOfTenNearest(float x);

// The widest-looking text a picture format can produce: the format itself, or for a format
// with sections the longer of the first section and the rest (the rest on a tie).
std::string formatSampleFor(const std::string& format);

// Whether a span from..to is worth computing: not when from >= 0 and to <= 0.
constexpr bool spanComputable(double from, double to) {
    return !(from >= 0 && to <= 0);
}

// The signal a gauge shows: its value range in engineering units, its digital range, its
// names, unit and picture format, and the factors derived from them.
class SignalSettings : public SettingsObject {
public:
    // The replacement for a lower bound of 0: a logarithmic scale cannot start at 0.
    static constexpr float kZeroValueFrom = 0.000001f;

    SignalSettings();

    int digitalFrom() const { return digitalFrom_; }
    int digitalTo() const { return digitalTo_; }
    const std::string& name1() const { return name1_; }
    const std::string& name2() const { return name2_; }
    const std::string& valueFormat() const { return valueFormat_; }
    float valueFrom() const { return valueFrom_; }
    float valueTo() const { return valueTo_; }
    const std::string& valueUnit() const { return valueUnit_; }

    void setDigitalFrom(int v) { assignIfChanged(digitalFrom_, v); }
    void setDigitalTo(int v) { assignIfChanged(digitalTo_, v); }
    void setName1(const std::string& v) { assignIfChanged(name1_, v); }
    void setName2(const std::string& v) { assignIfChanged(name2_, v); }
    void setValueFormat(const std::string& v) { assignIfChanged(valueFormat_, v); }
    // Both bounds refuse a value equal to either bound. 0 as the lower bound is stored as
    // kZeroValueFrom. In log mode a bound is moved to the nearest power of ten.
    void setValueFrom(float v);
    void setValueTo(float v);
    void setValueUnit(const std::string& v) { assignIfChanged(valueUnit_, v); }

    // Derived values, recomputed by change().
    float valueSpan() const { return valueSpan_; }
    int digitalSpan() const { return digitalSpan_; }
    float valuePerDigit() const { return valuePerDigit_; }
    float digitsPerValue() const { return digitsPerValue_; }
    float pptPerValue() const { return pptPerValue_; }
    const std::string& formatSample() const { return formatSample_; }

    bool logMode() const { return logMode_; }
    void setLogMode(bool v) { logMode_ = v; }

    // Recomputes the derived values without notifying. A span that would not be positive
    // leaves the factors depending on it as they were.
    void recompute();
    void change() override;
    // Copies every published property through its setter, so under the setters' guards.
    void assign(const SignalSettings& o);

private:
    int digitalFrom_ = 0;
    int digitalTo_ = 1000;
    std::string name1_ = "SignalName1";
    std::string name2_ = "SignalName2";
    std::string valueFormat_ = "##0.0";
    float valueFrom_ = 0.0f;
    float valueTo_ = 100.0f;
    std::string valueUnit_ = "%";

    float valueSpan_ = 100.0f;
    int digitalSpan_ = 1000;
    float valuePerDigit_ = 0.0f;
    float digitsPerValue_ = 0.0f;
    float pptPerValue_ = 0.0f;
    std::string formatSample_;
    bool logMode_ = false;
};

} // namespace kv
