#pragma once

#include "canvas/color.h"
#include "core/settings_object.h"

#include <optional>

namespace kv {

// Three coloured sectors of a scale, positions in per mille (0..1000), plus the drawing
// parameters of a meter's sector band.
class SectorSettings : public SettingsObject {
public:
    ColorValue sector1Color() const { return sector1Color_; }
    int sector1From() const { return sector1From_; }
    int sector1To() const { return sector1To_; }
    ColorValue sector2Color() const { return sector2Color_; }
    int sector2From() const { return sector2From_; }
    int sector2To() const { return sector2To_; }
    ColorValue sector3Color() const { return sector3Color_; }
    int sector3From() const { return sector3From_; }
    int sector3To() const { return sector3To_; }
    int offset() const { return offset_; }
    int widthOffset() const { return widthOffset_; }

    void setSector1Color(ColorValue v) { assignIfChanged(sector1Color_, v); }
    void setSector1From(int v) { assignIfChanged(sector1From_, v); }
    void setSector1To(int v) { assignIfChanged(sector1To_, v); }
    void setSector2Color(ColorValue v) { assignIfChanged(sector2Color_, v); }
    void setSector2From(int v) { assignIfChanged(sector2From_, v); }
    void setSector2To(int v) { assignIfChanged(sector2To_, v); }
    void setSector3Color(ColorValue v) { assignIfChanged(sector3Color_, v); }
    void setSector3From(int v) { assignIfChanged(sector3From_, v); }
    void setSector3To(int v) { assignIfChanged(sector3To_, v); }
    void setOffset(int v) { assignIfChanged(offset_, v); }
    void setWidthOffset(int v) { assignIfChanged(widthOffset_, v); }

    // Sector k (1..3); other k give sector 3.
    ColorValue color(int k) const;
    int from(int k) const;
    int to(int k) const;
    // Whether sector k (1..3) contains the per-mille position p (bounds included).
    bool contains(int k, int p) const { return from(k) <= p && p <= to(k); }
    // The colour of the first sector (1, 2, 3) containing p; none when no sector does.
    std::optional<ColorValue> colorAt(int p) const;

    bool logMode() const { return logMode_; }
    void setLogMode(bool v) { logMode_ = v; }

    // Copies the colours, then the From values, then the To values, each through its
    // setter; Offset and WidthOffset stay.
    void assign(const SectorSettings& o);

private:
    ColorValue sector1Color_ = clYellow;
    int sector1From_ = 0;
    int sector1To_ = 333;
    ColorValue sector2Color_ = clGreen;
    int sector2From_ = 334;
    int sector2To_ = 666;
    ColorValue sector3Color_ = clRed;
    int sector3From_ = 667;
    int sector3To_ = 1000;
    int offset_ = 0;
    int widthOffset_ = 0;
    bool logMode_ = false;
};

} // namespace kv
