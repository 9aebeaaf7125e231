#include "gauges/arrow_settings.h"

namespace kv {

void ArrowSettings::assign(const ArrowSettings& o) {
    shape_ = o.shape_;
    colorPen_ = o.colorPen_;
    colorBrush_ = o.colorBrush_;
    colorCP1Pen_ = o.colorCP1Pen_;
    colorCP1Brush_ = o.colorCP1Brush_;
    colorCP2Pen_ = o.colorCP2Pen_;
    colorCP2Brush_ = o.colorCP2Brush_;
    change();
}

} // namespace kv
