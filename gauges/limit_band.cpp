#include "gauges/limit_band.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

// Past both ends of any scale, and far enough from the int range that the sector band's
// own arithmetic stays safe.
constexpr int kFarBelow = -1000000;
constexpr int kFarAbove = 1000000;

} // namespace

void LimitBand::apply(std::optional<float> lower, std::optional<float> upper) {
    if (!lower && !upper) {
        remove();
        return;
    }
    using O = RoundMeterOption;
    if (!saved_) {
        saved_ = std::make_unique<Saved>();
        saved_->limitLower = meter_.limitLower();
        saved_->limitUpper = meter_.limitUpper();
        saved_->options = meter_.options();
        saved_->sectors.assign(meter_.sectorSettings());
        saved_->onSettingsChange = meter_.onSettingsChange;
        meter_.onSettingsChange = [this](AnalogGauge& sender) {
            if (saved_ && saved_->onSettingsChange)
                saved_->onSettingsChange(sender);
            placeSectors();
        };
    }
    lower_ = lower;
    upper_ = upper;
    placeSectors();
    // An absent end lies beyond every value. The gauge stores a lower limit of 0 as 0.0001,
    // which would count a reading of 0 as below a limit of 0: the float just below 0 is
    // that limit in effect.
    const float low = !lower           ? -std::numeric_limits<float>::max()
                      : *lower == 0.0f ? -std::numeric_limits<float>::denorm_min()
                                       : *lower;
    meter_.setLimitLower(low);
    meter_.setLimitUpper(upper ? *upper : std::numeric_limits<float>::max());
    meter_.setOptions(meter_.options().with(O::opLimit).with(O::opSector));
}

void LimitBand::remove() {
    if (!saved_)
        return;
    const std::unique_ptr<Saved> saved = std::move(saved_);
    lower_.reset();
    upper_.reset();
    meter_.onSettingsChange = saved->onSettingsChange;
    meter_.setOptions(saved->options);
    meter_.sectorSettings().assign(saved->sectors);
    meter_.setLimitUpper(saved->limitUpper);
    meter_.setLimitLower(saved->limitLower);
}

int LimitBand::pptOf(float value) const {
    const SignalSettings& ss = meter_.signalSettings();
    int digit;
    if (meter_.logScale()) {
        if (!(value > 0))
            return kFarBelow;
        digit = logDigit(value, ss.valueFrom(), meter_.digitsPerDecade(), ss.digitalFrom());
    } else {
        const double d = (double(value) - ss.valueFrom()) * ss.digitsPerValue() + ss.digitalFrom();
        if (!(std::fabs(d) < 1e9))
            return d < 0 ? kFarBelow : kFarAbove;
        digit = linearDigit(value, ss.valueFrom(), ss.digitsPerValue(), ss.digitalFrom());
    }
    const double ppt = 1000.0 / ss.digitalSpan() * (double(digit) - ss.digitalFrom());
    return int(std::clamp<double>(std::nearbyint(ppt), kFarBelow + 1, kFarAbove - 1));
}

void LimitBand::placeSectors() {
    // Setting the sectors comes back here through the meter's settings change.
    if (placing_ || !saved_)
        return;
    placing_ = true;
    const int from = lower_ ? pptOf(*lower_) : kFarBelow;
    const int to = upper_ ? pptOf(*upper_) : kFarAbove;
    SectorSettings band;
    band.setSector1Color(kOutsideColor);
    band.setSector1From(kFarBelow);
    band.setSector1To(from - 1);
    band.setSector2Color(kInsideColor);
    band.setSector2From(from);
    band.setSector2To(to);
    band.setSector3Color(kOutsideColor);
    band.setSector3From(to + 1);
    band.setSector3To(kFarAbove);
    meter_.sectorSettings().assign(band);
    placing_ = false;
}

} // namespace kv
