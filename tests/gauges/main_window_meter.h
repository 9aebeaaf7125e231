#pragma once

#include "gauges/meter180.h"
#include "gauges/rotation.h"

#include <QColor>

#include <memory>

namespace kv::test {

inline FontSpec arial(int height, ColorValue color) {
    FontSpec f;
    f.name = "Arial";
    f.height = height;
    f.color = color;
    return f;
}

// The meter as the main window stores it, loaded and shown.
inline std::unique_ptr<Meter180> mainWindowMeter(
    RoundMeterOptions options = {RoundMeterOption::opBevelInner, RoundMeterOption::opBevelOuter,
                                 RoundMeterOption::opUnit}) {
    auto m = std::make_unique<Meter180>();
    m->setGeometry(0, 0, 456, 248);
    m->setDigit(0);
    m->setLimitLower(0.0001f);
    auto& ss = m->signalSettings();
    ss.setValueFormat("0.0000");
    ss.setValueFrom(0.000001f);
    ss.setValueTo(10.0f);
    ss.setValueUnit("Volt");
    m->minMax().setUseSectorCol(false);
    m->minMax().setMinVisible(false);
    m->minMax().setMaxVisible(false);
    m->setValue(0.001f);
    m->setFont(arial(-11, clWindowText));
    m->setAutoSize(false);
    m->arrowSettings().setShape(6);
    m->setFontUnit(arial(-16, clBlack));
    m->bevelInner().setStyle(BevelStyle::bsLowered);
    m->bevelInner().setBevelLine(BevelLineKind::blNone);
    m->bevelInner().surfaceGrad().setVisible(true);
    m->bevelInner().surfaceGrad().setColorFrom(clWhite);
    m->bevelInner().surfaceGrad().setColorTo(16244694);
    m->bevelOuter().setStyle(BevelStyle::bsLowered);
    m->bevelOuter().setSpacing(0);
    m->bevelOuter().setBevelLine(BevelLineKind::blNone);
    m->bevelOuter().setWidth(0);
    m->setOptions(options);
    auto& sc = m->scaleSettings();
    sc.setFont(arial(-19, clWindowText));
    sc.setSteps(10);
    sc.setSubSteps(5);
    sc.setValueFormat("0.0");
    m->loaded();
    m->show();
    m->renderFace();
    return m;
}

inline QColor facePixel(const RoundMeter& m, Point p) {
    return QColor(m.face().pixel(p.x, p.y));
}

// A pixel inside the needle's body, r / 2 from the pivot, for a pointer turned to angle.
inline Point needlePixel(const RoundMeter& m, double angle) {
    const Rect& pr = m.pointerRect();
    const Point pivot = m.pointerLayer().shape().pivot;
    const Point up{pivot.x, pivot.y / 2};
    const Point p = rotatePoint(rotatePoint(up, pivot, m.startAngle()), pivot, angle);
    return {pr.left + p.x, pr.top + p.y};
}

} // namespace kv::test
