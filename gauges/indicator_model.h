#pragma once

#include "gauges/analog_gauge.h"
#include "gauges/bevel.h"

#include <string>

namespace kv {

enum class ValueIndicatorOption { opBevelInner, opBevelOuter, opName1, opName2, opUnit };
using ValueIndicatorOptions = EnumSet<ValueIndicatorOption>;

// The model of the value indicator: the gauge's value with the look of its digits, unit,
// names and bevels, and what its value field shows.
class IndicatorModel : public AnalogGauge {
public:
    explicit IndicatorModel(QObject* parent = nullptr, bool designing = false);
    ~IndicatorModel() override;

    bool autoSize() const { return autoSize_; }
    // The value and the unit are drawn in this font; the unit takes font()'s colour.
    const FontSpec& fontValue() const { return fontValue_; }
    Bevel& bevelInner() { return bevelInner_; }
    Bevel& bevelOuter() { return bevelOuter_; }
    Bevel& bevelValue() { return bevelValue_; }
    const Bevel& bevelInner() const { return bevelInner_; }
    const Bevel& bevelOuter() const { return bevelOuter_; }
    const Bevel& bevelValue() const { return bevelValue_; }
    ValueIndicatorOptions options() const { return options_; }
    // The meter shows an overload: "OL" stands in place of the digits, the value stays.
    bool overload() const { return overload_; }
    // A positive value is shown with a "+" before it (a difference, say). Like a minus, the
    // sign takes room to the field's left and leaves the field sampled from the format.
    bool plusSign() const { return plusSign_; }

    void setAutoSize(bool on);
    void setFontValue(const FontSpec& f);
    void setOptions(ValueIndicatorOptions s);
    // Shows at once in the value field, like a new value.
    void setOverload(bool on);
    // Shows at once in the value field, like a new value.
    void setPlusSign(bool on);

    // Wires the bevels too and releases the lock taken at construction.
    void loaded() override;

    // The text the value field shows: the value in its picture format (with "+" before a
    // positive one that does not look like zero, with plusSign()), "OL" during an overload,
    // the format's sample while designing.
    std::string fieldText() const;

private:
    bool autoSize_ = true;
    FontSpec fontValue_;
    Bevel bevelInner_;
    Bevel bevelOuter_;
    Bevel bevelValue_;
    ValueIndicatorOptions options_ = {ValueIndicatorOption::opName1, ValueIndicatorOption::opName2,
                                      ValueIndicatorOption::opUnit};
    bool overload_ = false;
    bool plusSign_ = false;
};

} // namespace kv
