#include "gauges/value_indicator.h"
#include "app/main_form.h"
#include "format/number_format.h"
#include "tools/gallery/gallery.h"

#include <QPainter>
#include <QWidget>
#include <functional>

namespace {

using kv::ValueIndicator;

// The indicator drawn over a window-coloured form, as it sits on the main window (the
// control is not opaque, so the form shows through whatever it leaves unpainted), on a
// screen of device pixel ratio `ratio`.
QImage render(const std::function<void(ValueIndicator&)>& configure, char decimal = ',',
              double ratio = 1.0) {
    const char oldDecimal = kv::decimalChar();
    const char oldGrouping = kv::groupingChar();
    kv::setDecimalChar(decimal);
    kv::setGroupingChar(decimal == ',' ? '.' : ',');

    QWidget form;
    auto* indicator = new ValueIndicator(&form);
    configure(*indicator);
    const QImage face = indicator->renderFace(ratio);

    const QSize logical = face.deviceIndependentSize().toSize() + QSize(16, 16);
    QImage out(logical * ratio, QImage::Format_RGB32);
    out.setDevicePixelRatio(ratio);
    out.fill(kv::toQColor(kv::clBtnFace));
    QPainter p(&out);
    p.drawImage(8, 8, face);
    p.end();

    kv::setDecimalChar(oldDecimal);
    kv::setGroupingChar(oldGrouping);
    return out;
}

// The indicator `anz` of the main window as stored and loaded there.
void mainWindowIndicator(ValueIndicator& vi) {
    kv::applyForm(vi, kv::mainform::kAnz);
    kv::applyIndicatorSettings(vi);
    vi.loaded();
}

KV_GALLERY("value-indicator-default.png",
           [] { return render([](ValueIndicator& vi) { vi.loaded(); }); });

KV_GALLERY("value-indicator-anz-0.png", [] {
    return render([](ValueIndicator& vi) {
        mainWindowIndicator(vi);
        vi.setValue(0.0f);
    });
});

void showsOnePointTwoThreeFour(ValueIndicator& vi) {
    mainWindowIndicator(vi);
    vi.signalSettings().setValueFormat("00.000");
    vi.signalSettings().setValueUnit("V-DC");
    vi.setValue(1.234f);
}

KV_GALLERY("value-indicator-anz-1234.png", [] { return render(showsOnePointTwoThreeFour); });
KV_GALLERY("value-indicator-anz-1234@1.5x.png",
           [] { return render(showsOnePointTwoThreeFour, ',', 1.5); });
KV_GALLERY("value-indicator-anz-1234@2x.png",
           [] { return render(showsOnePointTwoThreeFour, ',', 2.0); });

KV_GALLERY("value-indicator-anz-12345.png", [] {
    return render([](ValueIndicator& vi) {
        mainWindowIndicator(vi);
        vi.setValue(12345.0f);
    });
});

void allOptions(ValueIndicator& vi) {
    using O = kv::ValueIndicatorOption;
    vi.setOptions({O::opBevelInner, O::opBevelOuter, O::opName1, O::opName2, O::opUnit});
    kv::FontSpec value;
    value.name = "Arial";
    value.height = -32;
    value.bold = true;
    value.color = kv::clLime;
    vi.setFontValue(value);
    vi.signalSettings().setValueFormat("00.000");
    vi.signalSettings().setValueUnit("V");
    vi.signalSettings().setName1("Input A");
    vi.signalSettings().setName2("Channel 1");
    vi.bevelOuter().setBevelLine(kv::BevelLineKind::blBoth);
    vi.loaded();
    vi.setValue(3.1416f);
}

KV_GALLERY("value-indicator-all-options.png", [] { return render(allOptions); });
KV_GALLERY("value-indicator-all-options@2x.png", [] { return render(allOptions, ',', 2.0); });

} // namespace
