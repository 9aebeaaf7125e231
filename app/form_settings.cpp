#include "app/form_settings.h"

#include "gauges/value_indicator.h"

namespace kv {

namespace {

constexpr ColorValue kFormColor = 16244694;

FontSpec arial(int characterHeight, ColorValue color, bool bold = false) {
    FontSpec f;
    f.name = "Arial";
    f.height = -characterHeight;
    f.color = color;
    f.bold = bold;
    return f;
}

void setBevel(Bevel& b, BevelStyle style, int spacing, int width) {
    b.setStyle(style);
    b.setSpacing(spacing);
    b.setBevelLine(BevelLineKind::blNone);
    b.setWidth(width);
}

void setSurface(Bevel& b, bool visible) {
    b.surfaceGrad().setVisible(visible);
    b.surfaceGrad().setStyle(GradientStyle::gsHorizontal1);
}

} // namespace

void applyIndicatorSettings(ValueIndicator& anz) {
    anz.setDigit(500);
    anz.setLimitUpper(90.0f);
    anz.setLimitLower(10.0f);
    anz.sectorSettings().setOffset(0);
    anz.sectorSettings().setWidthOffset(0);
    SignalSettings& s = anz.signalSettings();
    s.setName1("SignalName1");
    s.setName2("SignalName2");
    s.setValueFormat("0000.0");
    s.setValueFrom(-99999.0f);
    s.setValueTo(99999.0f);
    s.setValueUnit("Volt");
    anz.setValue(50.0f);
    anz.setFont(arial(11, clWindowText));
    anz.setAutoSize(false);
    anz.setFontValue(arial(64, clBlack, true));
    setBevel(anz.bevelInner(), BevelStyle::bsLowered, 0, 0);
    setSurface(anz.bevelInner(), false);
    setBevel(anz.bevelOuter(), BevelStyle::bsRaised, 5, 2);
    setSurface(anz.bevelOuter(), false);
    setBevel(anz.bevelValue(), BevelStyle::bsLowered, 0, 0);
    anz.bevelValue().setColor(kFormColor);
    setSurface(anz.bevelValue(), false);
    anz.setOptions({});
}

} // namespace kv
