#include "gauges/gauge_control.h"

namespace kv {

GaugeControl::GaugeControl(QWidget* parent, bool designing)
    : FaceWidget(parent, FaceKind::Transparent), designing_(designing) {}

GaugeControl::~GaugeControl() = default;

void GaugeControl::beginUpdate() {
    ++updateLock_;
}

void GaugeControl::endUpdate() {
    --updateLock_;
    if (updateLock_ < 0)
        updateLock_ = 0;
    if (updateLock_ == 0)
        paramChange();
}

void GaugeControl::paramChange() {
    if (updateLock_ == 0)
        settingsChange();
}

void GaugeControl::paint(Canvas&, const Rect&) {}

bool GaugeControl::visibleProperty() const {
    return !testAttribute(Qt::WA_WState_ExplicitShowHide) || !isHidden();
}

} // namespace kv
