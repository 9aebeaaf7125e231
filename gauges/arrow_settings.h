#pragma once

#include "canvas/color.h"
#include "core/settings_object.h"

namespace kv {

// The look of a meter's pointer: its shape number and the colours of the pointer and of the
// two hub circles over its pivot.
class ArrowSettings : public SettingsObject {
public:
    int shape() const { return shape_; }
    void setShape(int s) { assignIfChanged(shape_, s); } // 1..7; anything else draws 0
    ColorValue colorPen() const { return colorPen_; }
    void setColorPen(ColorValue c) { assignIfChanged(colorPen_, c); }
    ColorValue colorBrush() const { return colorBrush_; }
    void setColorBrush(ColorValue c) { assignIfChanged(colorBrush_, c); }
    ColorValue colorCP1Pen() const { return colorCP1Pen_; }
    void setColorCP1Pen(ColorValue c) { assignIfChanged(colorCP1Pen_, c); }
    ColorValue colorCP1Brush() const { return colorCP1Brush_; }
    void setColorCP1Brush(ColorValue c) { assignIfChanged(colorCP1Brush_, c); }
    ColorValue colorCP2Pen() const { return colorCP2Pen_; }
    void setColorCP2Pen(ColorValue c) { assignIfChanged(colorCP2Pen_, c); }
    ColorValue colorCP2Brush() const { return colorCP2Brush_; }
    void setColorCP2Brush(ColorValue c) { assignIfChanged(colorCP2Brush_, c); }

    // Takes all seven values at once and notifies a single time.
    void assign(const ArrowSettings& o);

private:
    int shape_ = 0;
    ColorValue colorPen_ = clBlack;
    ColorValue colorBrush_ = clLime;
    ColorValue colorCP1Pen_ = clBlack;
    ColorValue colorCP1Brush_ = clBlack;
    ColorValue colorCP2Pen_ = clBlack;
    ColorValue colorCP2Brush_ = clBtnFace;
};

} // namespace kv
