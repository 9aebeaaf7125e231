#include "gauges/min_max.h"

namespace kv {

MinMax::MinMax() : maxDateTime_(QDateTime::currentDateTime()), minDateTime_(maxDateTime_) {}

void MinMax::setMax(float v) {
    max_ = v;
    maxDateTime_ = QDateTime::currentDateTime();
}

void MinMax::setMin(float v) {
    min_ = v;
    minDateTime_ = QDateTime::currentDateTime();
}

void MinMax::reset() {
    setMin(kMinReset);
    setMax(kMaxReset);
}

} // namespace kv
