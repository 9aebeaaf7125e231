#pragma once

#include "canvas/face_widget.h"
#include "gauges/analog_gauge.h"

#include <QWidget>

namespace kv {

// The widget part every gauge shares: it shows the face its painter draws from the gauge's
// model (which the concrete gauge owns) at the resolution of the screen, transparent where
// the painter leaves it (the parent shows through), and hands the model's value interface
// on. No full paint runs while the model's update lock is held.
class GaugeControl : public FaceWidget {
public:
    // `model` belongs to the concrete gauge and outlives this part; it is only referred to
    // here until attach().
    GaugeControl(QWidget* parent, AnalogGauge& model);
    ~GaugeControl() override;

    // The model's value interface, as the program uses it on the control.
    int digit() const { return model_.digit(); }
    float value() const { return model_.value(); }
    float limitUpper() const { return model_.limitUpper(); }
    float limitLower() const { return model_.limitLower(); }
    HintOptions hintOptions() const { return model_.hintOptions(); }
    SectorSettings& sectorSettings() { return model_.sectorSettings(); }
    const SectorSettings& sectorSettings() const { return model_.sectorSettings(); }
    SignalSettings& signalSettings() { return model_.signalSettings(); }
    const SignalSettings& signalSettings() const { return model_.signalSettings(); }
    MinMax& minMax() { return model_.minMax(); }
    const MinMax& minMax() const { return model_.minMax(); }
    const FontSpec& font() const { return model_.font(); }
    void setValue(float v) { model_.setValue(v); }
    void setDigit(int d) { model_.setDigit(d); }
    void setLimitUpper(float v) { model_.setLimitUpper(v); }
    void setLimitLower(float v) { model_.setLimitLower(v); }
    void setHintOptions(HintOptions s) { model_.setHintOptions(s); }
    void setFont(const FontSpec& f) { model_.setFont(f); }
    void beginUpdate() { model_.beginUpdate(); }
    void endUpdate() { model_.endUpdate(); }
    int updateLock() const { return model_.updateLock(); }
    bool designing() const { return model_.designing(); }
    bool isLoaded() const { return model_.isLoaded(); }
    bool logScale() const { return model_.logScale(); }
    const std::string& valueText() const { return model_.valueText(); }
    int ppt() const { return model_.ppt(); }
    bool overflowHigh() const { return model_.overflowHigh(); }
    bool overflowLow() const { return model_.overflowLow(); }
    bool upperExceeded() const { return model_.upperExceeded(); }
    bool lowerExceeded() const { return model_.lowerExceeded(); }
    int minPpt() const { return model_.minPpt(); }
    int maxPpt() const { return model_.maxPpt(); }
    const std::string& hint() const { return model_.hint(); }

    // The control's own visibility: false only after an explicit hide(), whatever its
    // parent or window currently shows.
    bool visibleProperty() const;

protected:
    // Connects the model's signals; the concrete gauge calls it once its model exists.
    void attach();
    // A new value is shown: at once where a fast path can, else by a full paint.
    virtual void showValue() = 0;
    // Brings the model's per-value state up to date before a full paint measures.
    void prepareFace() override;
    bool paintAllowed() const override { return model_.updateLock() == 0; }

private:
    AnalogGauge& model_;
};

} // namespace kv
