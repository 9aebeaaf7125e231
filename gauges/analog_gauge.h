#pragma once

#include "canvas/font_resolution.h"
#include "core/enum_set.h"
#include "core/reading_holder.h"
#include "gauges/min_max.h"
#include "gauges/sector_settings.h"
#include "gauges/signal_settings.h"

#include <QObject>
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

// The model every gauge shares: a value in engineering units mapped onto a digit of a
// digital range and a per-mille position, two limits, three sectors, minimum and maximum,
// an automatic hint and the change events. It holds no widget and paints nothing; the
// gauges' painters draw from it, and the widget that owns it listens to its signals.
//
// Lifecycle: a subclass takes the update lock in its constructor; the owner sets the
// properties and then calls loaded(), which wires the settings objects to the model and
// (in the subclass) releases the lock, so the derived values are computed once.
//
// Update lock: while beginUpdate() is outstanding, paramChange() does nothing, so a batch
// of property changes recomputes once at endUpdate(); the owning widget holds its full
// paints back meanwhile.
class AnalogGauge : public QObject, public ReadingHolder {
    Q_OBJECT
public:
    static constexpr ColorValue kFlashColorOff = clYellow;
    static constexpr ColorValue kFlashColorOn = clRed;

    // A designing gauge shows sample content instead of live values.
    explicit AnalogGauge(QObject* parent = nullptr, bool designing = false);
    ~AnalogGauge() override;

    void beginUpdate();
    // Releases one level of the lock (never below 0); at 0 it runs paramChange().
    void endUpdate();
    int updateLock() const { return updateLock_; }
    bool designing() const { return designing_; }

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
    // The last composed hint, UTF-8, lines split by CR.
    const std::string& hint() const { return hint_; }
    // The hint as the control's tool tip shows it, lines split by line feeds.
    QString toolTip() const;
    // The hint text for the current state, whatever the options' hoAutoHint.
    std::string composeHint() const;

    // ReadingHolder: the reading lands in the signal settings and the value.
    void setReadingFormat(const std::string& pictureFormat) override;
    void setReadingUnit(const std::string& unit) override;
    void setReadingValue(float value) override;

    // Whether the per-value update is running (an inner run for a new minimum included).
    bool updatingValue() const { return updatingValue_; }
    // Runs the per-value update when the settings, or anything else a face shows, changed
    // since it last ran to its end: before a face is drawn, so that what it shows follows
    // the settings. Drawing itself never changes the model.
    void refreshValue();

signals:
    // Something a face shows besides the value changed: faces are due for a full paint.
    void faceChanged();
    // The per-value update ran (the value, overflow, min/max or hint may differ): the value
    // shown on a face follows.
    void valueUpdated();
    // A new hint was composed.
    void hintChanged();

protected:
    // Runs settingsChange() unless the update lock is held.
    virtual void paramChange();
    // Recomputes the signal factors and the digit, raises onSettingsChange, then faceChange().
    virtual void settingsChange();
    // Marks the per-value state due for a refresh and raises faceChanged().
    void faceChange();
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
    // The hint's line for a minimum or maximum. Composed at every value, while the
    // extremes rarely move: the line is kept and formatted again only when one of its
    // parts changed (formatting a date and time through the locale costs more than the
    // rest of the per-value update). One is kept for each extreme, its label always the same.
    struct ExtremeLine {
        float value = 0.0f;
        Timestamp at;
        std::string format, unit;
        bool date = false, time = false;
        std::string text;
    };
    const std::string& extremeLine(ExtremeLine& kept, const char* label, float value,
                                   const Timestamp& at) const;
    // Settings change while running, plain settings change at design time.
    void dispatch();
    void updateLimits();

    int updateLock_ = 0;
    bool designing_ = false;
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
    mutable ExtremeLine minLine_, maxLine_;
    bool updatingValue_ = false;
    // Set by faceChange(), cleared by a per-value update that ran to its end.
    bool valueStale_ = false;
};

} // namespace kv
