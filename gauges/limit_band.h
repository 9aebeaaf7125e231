#pragma once

#include "canvas/color.h"
#include "gauges/meter_model.h"
#include "gauges/round_meter.h"

#include <functional>
#include <memory>
#include <optional>

namespace kv {

// Shows the allowed band of a bench run on a round meter: the limits go to the gauge with
// opLimit, so the pointer flashes while one is exceeded, and opSector paints the scale
// between the limits in a calm colour and the rest of it marked. The band follows the scale
// when the meter's range changes. remove() gives the meter back its limits, sectors and
// options as they were, so a meter that had a band looks as if it never had one.
//
// The meter must outlive the band. While a band is applied it owns the meter's
// onSettingsChange (a handler set before is called first).
class LimitBand {
public:
    // The band between the limits, and the marked rest of the scale.
    static constexpr ColorValue kInsideColor = rgbColor(152, 220, 152);
    static constexpr ColorValue kOutsideColor = rgbColor(240, 150, 140);

    explicit LimitBand(RoundMeterModel& meter) : meter_(meter) {}
    explicit LimitBand(RoundMeter& meter) : LimitBand(meter.model()) {}
    ~LimitBand() { remove(); }
    LimitBand(const LimitBand&) = delete;
    LimitBand& operator=(const LimitBand&) = delete;

    // Either limit may be absent (no band end on that side), not both: that is remove().
    void apply(std::optional<float> lower, std::optional<float> upper);
    void remove();
    bool applied() const { return saved_ != nullptr; }

private:
    struct Saved {
        float limitLower = 0, limitUpper = 0;
        RoundMeterOptions options;
        SectorSettings sectors;
        std::function<void(AnalogGauge&)> onSettingsChange;
    };
    // The sectors for the band on the meter's present scale.
    void placeSectors();
    int pptOf(float value) const;

    RoundMeterModel& meter_;
    std::optional<float> lower_, upper_;
    std::unique_ptr<Saved> saved_; // the meter as it was; set while applied
    bool placing_ = false;
};

} // namespace kv
