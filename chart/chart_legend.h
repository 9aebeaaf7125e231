#pragma once

#include "core/settings_object.h"

namespace kv {

// The legend's switch. No legend is drawn; the switch is kept with the settings.
class ChartLegend : public SettingsObject {
public:
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }

private:
    bool visible_ = true;
};

} // namespace kv
