#include "app/main_form.h"
#include "format/number_format.h"
#include "gauges/flash_timer.h"
#include "gauges/meter180.h"
#include "tools/gallery/gallery.h"

#include <QPainter>

namespace {

using namespace kv;

// The meter as the main window stores and loads it.
void configureAsMainWindow(Meter180& m) {
    applyForm(m, mainform::kAnalog);
    applyMeterSettings(m);
    m.loaded();
}

// The face over the window colour, as it shows on the main window.
QImage onWindow(const QImage& face) {
    QImage out(face.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(face.devicePixelRatio());
    out.fill(toQColor(kFormColor));
    QPainter p(&out);
    p.drawImage(0, 0, face);
    return out;
}

// The main window runs with the German separators; the other pictures keep theirs.
class GermanSeparators {
public:
    GermanSeparators() : decimal_(decimalChar()), grouping_(groupingChar()) {
        setDecimalChar(',');
        setGroupingChar('.');
    }
    ~GermanSeparators() {
        setDecimalChar(decimal_);
        setGroupingChar(grouping_);
    }

private:
    char decimal_, grouping_;
};

// On a screen of device pixel ratio `ratio`.
QImage mainWindowMeterAt(float value, double ratio = 1.0) {
    GermanSeparators german;
    Meter180 m;
    configureAsMainWindow(m);
    m.renderFace(ratio);
    m.setValue(value); // the pointer's fast path, over the cached dial
    return onWindow(m.face());
}

KV_GALLERY("meter-zero.png", [] { return mainWindowMeterAt(0.0f); });
KV_GALLERY("meter-half.png", [] { return mainWindowMeterAt(5.0f); });
KV_GALLERY("meter-full.png", [] { return mainWindowMeterAt(10.0f); });
KV_GALLERY("meter-twice.png", [] { return mainWindowMeterAt(20.0f); });
KV_GALLERY("meter-half@1.5x.png", [] { return mainWindowMeterAt(5.0f, 1.5); });
KV_GALLERY("meter-half@2x.png", [] { return mainWindowMeterAt(5.0f, 2.0); });

// Twice full scale with the overflow option: the pointer in both of its flash colours.
KV_GALLERY("meter-overflow-flash.png", [] {
    GermanSeparators german;
    QImage sheet(2 * mainform::kAnalog.width, mainform::kAnalog.height, QImage::Format_RGB32);
    QPainter p(&sheet);
    Meter180 m;
    configureAsMainWindow(m);
    m.setOptions(m.options().with(RoundMeterOption::opOverflow));
    m.renderFace();
    m.setValue(20.0f);
    for (int half = 0; half < 2; ++half) {
        for (int i = 0; i < 16; ++i)
            FlashTimer::instance().tick();
        p.drawImage(half * mainform::kAnalog.width, 0, onWindow(m.face()));
    }
    return sheet;
});

KV_GALLERY("meter-log.png", [] {
    Meter180 m;
    configureAsMainWindow(m);
    m.setLogScale(true);
    m.renderFace();
    m.setValue(0.001f);
    return onWindow(m.face());
});

// Every option, the sector band with the scale line, and both marks.
QImage everything(double ratio) {
    Meter180 m;
    configureAsMainWindow(m);
    m.setOptions(RoundMeterOptions::fromBits(0xFF));
    m.minMax().setUseSectorCol(true);
    m.minMax().setMinVisible(true);
    m.minMax().setMaxVisible(true);
    m.arrowSettings().setShape(4);
    m.setValue(3.0f);
    m.minMax().reset();
    m.renderFace(ratio);
    for (float v : {1.5f, 8.5f, 6.0f})
        m.setValue(v);
    return onWindow(m.face());
}

KV_GALLERY("meter-everything.png", [] { return everything(1.0); });
KV_GALLERY("meter-everything@2x.png", [] { return everything(2.0); });

KV_GALLERY("meter-default.png", [] {
    Meter180 m;
    m.loaded();
    m.renderFace();
    m.setValue(70.0f);
    return onWindow(m.face());
});

KV_GALLERY("meter-shapes.png", [] {
    QImage sheet(4 * 230, 2 * 140, QImage::Format_RGB32);
    sheet.fill(toQColor(kFormColor));
    QPainter p(&sheet);
    for (int shape = 0; shape < 8; ++shape) {
        Meter180 m;
        m.setGeometry(0, 0, 230, 140);
        m.setAutoSize(false);
        m.setOptions({RoundMeterOption::opBevelInner, RoundMeterOption::opBevelOuter});
        m.arrowSettings().setShape(shape);
        m.loaded();
        m.renderFace();
        m.setValue(35.0f);
        p.drawImage((shape % 4) * 230, (shape / 4) * 140, m.face());
    }
    return sheet;
});

} // namespace
