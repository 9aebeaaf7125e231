#include "gauges/gauge_control.h"

namespace kv {

GaugeControl::GaugeControl(QWidget* parent, AnalogGauge& model)
    : FaceWidget(parent, FaceKind::Transparent, false, FaceResolution::Device), model_(model) {}

GaugeControl::~GaugeControl() = default;

void GaugeControl::attach() {
    // While the model is locked a batch of changes is under way; its end asks once.
    QObject::connect(&model_, &AnalogGauge::faceChanged, this, [this] {
        if (model_.updateLock() == 0)
            invalidate();
    });
    QObject::connect(&model_, &AnalogGauge::valueUpdated, this, [this] { showValue(); });
    QObject::connect(&model_, &AnalogGauge::hintChanged, this,
                     [this] { setToolTip(model_.toolTip()); });
}

void GaugeControl::prepareFace() {
    model_.refreshValue();
}

bool GaugeControl::visibleProperty() const {
    return !testAttribute(Qt::WA_WState_ExplicitShowHide) || !isHidden();
}

} // namespace kv
