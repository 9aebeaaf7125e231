#pragma once

#include "canvas/canvas.h"
#include "core/enum_set.h"
#include "core/reading_holder.h"
#include "gauges/gauge_control.h"
#include "gauges/min_max.h"
#include "gauges/sector_settings.h"
#include "gauges/signal_settings.h"

#include <QString>
#include <functional>
#include <string>

namespace kv {

enum class HintOption {
    hoAutoHint,
    hoValue,
    hoName1,
    hoName2,
    hoMin,
    hoMax,
    hoMinMaxDate,
    hoMinMaxTime
};
using HintOptions = EnumSet<HintOption>;

// Value to digit on a linear scale, not clamped.
int linearDigit(double value, double valueFrom, double digitsPerValue, int digitalFrom);
// Value to digit on a logarithmic scale, not clamped.
int logDigit(double value, double valueFrom, double digitsPerDecade, int digitalFrom);
// Position of a digit in per mille of the digital range, not clamped.
int digitToPpt(int digit, int digitalFrom, int digitalSpan);
// A regional long time format without its time-zone field (Qt's t, also inside brackets),
// so a time reads as the clock shows it: "HH:mm:ss t" gives "HH:mm:ss". Quoted text stays.
QString longTimeFormatWithoutZone(const QString& format);

// A name line of a gauge: takes its height off the bottom of r and stands there centred,
// moved down by `shift`; held to the int range for a rectangle near its ends.
void drawNameAtBottom(Canvas& canvas, Rect& r, Size extent, int shift, const std::string& text);

// The model every gauge shares: a value in engineering units mapped onto a digit of a
// digital range and a per-mille position, two limits, three sectors, minimum and maximum,
// an automatic hint and the change events. It paints nothing itself.
//
// Lifecycle: a subclass takes the update lock in its constructor; the owner sets the
// properties and then calls loaded(), which wires the settings objects to the control and
// (in the subclass) releases the lock, so the derived values are computed once.
class AnalogGauge : public GaugeControl, public ReadingHolder {
public:
    static constexpr ColorValue kFlashColorOff = clYellow;
    static constexpr ColorValue kFlashColorOn = clRed;

    explicit AnalogGauge(QWidget* parent = nullptr, bool designing = false);
    ~AnalogGauge() override;

    int digit() const { return digit_; }
    float limitUpper() const { return limitUpper_; }
    float limitLower() const { return limitLower_; }
    HintOptions hintOptions() const { return hintOptions_; }
    SectorSettings& sectorSettings() { return sectorSettings_; }
    const SectorSettings& sectorSettings() const { return sectorSettings_; }
    SignalSettings& signalSettings() { return signalSettings_; }
    const SignalSettings& signalSettings() const { return signalSettings_; }
    MinMax& minMax() { return minMax_; }
    const MinMax& minMax() const { return minMax_; }
    float value() const { return value_; }
    // The font of the control's texts (names; the value indicator's unit colour).
    const FontSpec& font() const { return font_; }

    // Ignored when equal, and on a log scale when v <= 0; maps v to the digit and updates.
    void setValue(float v);
    // Sets the value from a digit (the inverse mapping) and updates.
    void setDigit(int d);
    void setLimitUpper(float v);
    // 0 is stored as 0.0001.
    void setLimitLower(float v);
    void setHintOptions(HintOptions s);
    void setFont(const FontSpec& f);

    std::function<void(AnalogGauge& sender)> onMinMaxChange;
    std::function<void(AnalogGauge& sender, int ppt)> onOverflow;
    std::function<void(AnalogGauge& sender, bool sector1, bool sector2, bool sector3, bool enter)>
        onSectorChange;
    std::function<void(AnalogGauge& sender)> onSettingsChange;
    std::function<void(AnalogGauge& sender)> onValueChange;
    std::function<void(AnalogGauge& sender, bool lower, bool upper)> onLimit;

    // Loading finished: wires the settings objects to this control and resets MinMax.
    // Subclasses release their update lock at the end of their override.
    virtual void loaded();
    bool isLoaded() const { return loaded_; }

    // Derived state.
    bool logScale() const { return logScale_; }
    double digitsPerDecade() const { return digitsPerDecade_; }
    double logOffset() const { return logOffset_; }
    const std::string& valueText() const { return valueText_; }
    int ppt() const { return ppt_; }
    bool overflowHigh() const { return overflowHigh_; }
    bool overflowLow() const { return overflowLow_; }
    bool upperExceeded() const { return upperExceeded_; }
    bool lowerExceeded() const { return lowerExceeded_; }
    bool inSector1() const { return inSector1_; }
    bool inSector2() const { return inSector2_; }
    bool inSector3() const { return inSector3_; }
    int minPpt() const { return minPpt_; }
    int maxPpt() const { return maxPpt_; }
    ColorValue flashColorOff() const { return kFlashColorOff; }
    ColorValue flashColorOn() const { return kFlashColorOn; }
    // The last composed hint (also the control's tool tip), UTF-8, lines split by CR.
    const std::string& hint() const { return hint_; }
    // The hint text for the current state, whatever the options' hoAutoHint.
    std::string composeHint() const;

    // ReadingHolder: the reading lands in the signal settings and the value.
    void setReadingFormat(const std::string& pictureFormat) override;
    void setReadingUnit(const std::string& unit) override;
    void setReadingValue(float value) override;

protected:
    // Recomputes the signal factors and the digit, then raises onSettingsChange.
    void settingsChange() override;
    // The per-value update: text, position, sectors, limits, overflow, min/max, hint,
    // then onValueChange.
    virtual void valueChange();
    // Called when the value leaves or re-enters the scale, with the unclamped position.
    virtual void overflowChange(int ppt);
    // Called when a limit starts or stops being exceeded.
    virtual void limitChange();
    // Raises onMinMaxChange and runs the per-value update again.
    virtual void minMaxChange();
    virtual void logScaleChange();

    // Switches the scale between linear and logarithmic: stores the flag (also in the
    // signal and sector settings), moves the bounds to powers of ten and re-maps the
    // digit. The owner of the public setter then calls logScaleChange().
    void applyLogScale(bool on);

private:
    int valueToDigit(float v) const;
    // Settings change while running, plain settings change at design time.
    void dispatch();
    void updateLimits();

    int digit_ = 500;
    float limitUpper_ = 90.0f;
    float limitLower_ = 10.0f;
    HintOptions hintOptions_ = HintOptions::fromBits(0xFF);
    SectorSettings sectorSettings_;
    SignalSettings signalSettings_;
    MinMax minMax_;
    float value_ = 50.0f;
    FontSpec font_;

    bool loaded_ = false;
    bool logScale_ = false;
    double digitsPerDecade_ = 0;
    double logOffset_ = 0;
    std::string valueText_;
    int ppt_ = 500;
    bool overflowHigh_ = false;
    bool overflowLow_ = false;
    bool upperExceeded_ = true;
    bool lowerExceeded_ = true;
    bool inSector1_ = false;
    bool inSector2_ = false;
    bool inSector3_ = false;
    int minPpt_ = 0;
    int maxPpt_ = 0;
    std::string hint_;
};

} // namespace kv
