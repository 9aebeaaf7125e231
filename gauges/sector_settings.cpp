#include "gauges/sector_settings.h"

namespace kv {

ColorValue SectorSettings::color(int k) const {
    return k == 1 ? sector1Color_ : k == 2 ? sector2Color_ : sector3Color_;
}

int SectorSettings::from(int k) const {
    return k == 1 ? sector1From_ : k == 2 ? sector2From_ : sector3From_;
}

int SectorSettings::to(int k) const {
    return k == 1 ? sector1To_ : k == 2 ? sector2To_ : sector3To_;
}

std::optional<ColorValue> SectorSettings::colorAt(int p) const {
    for (int k = 1; k <= 3; ++k)
        if (contains(k, p))
            return color(k);
    return std::nullopt;
}

void SectorSettings::assign(const SectorSettings& o) {
    setSector1Color(o.sector1Color_);
    setSector2Color(o.sector2Color_);
    setSector3Color(o.sector3Color_);
    setSector1From(o.sector1From_);
    setSector2From(o.sector2From_);
    setSector3From(o.sector3From_);
    setSector1To(o.sector1To_);
    setSector2To(o.sector2To_);
    setSector3To(o.sector3To_);
}

} // namespace kv
