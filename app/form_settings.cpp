#include "app/form_settings.h"

#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

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

void setSignal(SignalSettings& s, const char* format, float from, float to) {
    s.setName1("SignalName1");
    s.setName2("SignalName2");
    s.setValueFormat(format);
    s.setValueFrom(from);
    s.setValueTo(to);
    s.setValueUnit("Volt");
}

} // namespace

void applyIndicatorSettings(ValueIndicator& anz) {
    anz.setDigit(500);
    anz.setLimitUpper(90.0f);
    anz.setLimitLower(10.0f);
    anz.sectorSettings().setOffset(0);
    anz.sectorSettings().setWidthOffset(0);
    setSignal(anz.signalSettings(), "0000.0", -99999.0f, 99999.0f);
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

void applyMeterSettings(Meter180& analog) {
    analog.setDigit(0);
    analog.setLimitUpper(90.0f);
    analog.setLimitLower(0.0001f);
    analog.sectorSettings().setOffset(0);
    analog.sectorSettings().setWidthOffset(0);
    setSignal(analog.signalSettings(), "0.0000", 0.000001f, 10.0f);
    analog.minMax().setUseSectorCol(false);
    analog.minMax().setMinVisible(false);
    analog.minMax().setMaxVisible(false);
    analog.setValue(0.001f);
    analog.setFont(arial(11, clWindowText));
    analog.setAutoSize(false);
    analog.arrowSettings().setShape(6);
    analog.setFontUnit(arial(16, clBlack));
    Bevel& inner = analog.bevelInner();
    setBevel(inner, BevelStyle::bsLowered, 5, 2);
    setSurface(inner, true);
    inner.surfaceGrad().setColorFrom(clWhite);
    inner.surfaceGrad().setColorTo(kFormColor);
    setBevel(analog.bevelOuter(), BevelStyle::bsLowered, 0, 0);
    setSurface(analog.bevelOuter(), false);
    analog.setOptions(
        {RoundMeterOption::opBevelInner, RoundMeterOption::opBevelOuter, RoundMeterOption::opUnit});
    ScaleSettings& scale = analog.scaleSettings();
    scale.setColor(clBlack);
    scale.setPointerColor(clLime);
    scale.setDrawLine(true);
    scale.setFont(arial(19, clWindowText));
    scale.setPosLeftTop(false);
    scale.setSteps(10);
    scale.setSubSteps(5);
    scale.setValueFormat("0.0");
    scale.setValueFormatLog("0e-0");
}

void applyBarSettings(LevelBar& balken) {
    balken.setLoading(true);
    balken.setBarColorFrom(clBlack);
    balken.setBarColorTo(clNavy);
    balken.setLoading(false);
}

void applyChartSettings(TrendChart& chart) {
    configureTrendChart(chart);
}

void applySeriesSettings(LineSeries& series) {
    series.setSeriesColor(clRed);
    series.marks().setVisible(false);
    series.marks().setArrowLength(8);
    series.pointer().setVisible(false);
    series.pointer().setStyle(PointerStyle::psRectangle);
    series.pointer().setInflateMargins(true);
    for (ValueList* list : series.valueLists()) {
        list->setMultiplier(1.0);
        list->setDateTime(false);
    }
    series.xValues().setName("X");
    series.xValues().setOrder(ValueListOrder::loAscending);
    series.yValues().setName("Y");
    series.yValues().setOrder(ValueListOrder::loNone);
}

} // namespace kv
