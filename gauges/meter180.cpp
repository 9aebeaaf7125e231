#include "gauges/meter180.h"

namespace kv {

Meter180::Meter180(QWidget* parent, bool designing)
    : RoundMeter(parent, designing, DialShape{270, 180, 2.0f}) {
    setGeometry(x(), y(), 252, 174);
    scaleSettings().setSteps(5);
}

} // namespace kv
