#pragma once

#include "gauges/round_meter.h"

namespace kv {

// The round meter whose scale runs over the upper half circle, from 9 o'clock clockwise
// over 12 to 3 o'clock.
class Meter180 : public RoundMeter {
public:
    explicit Meter180(QWidget* parent = nullptr, bool designing = false);
};

} // namespace kv
