// The main window: at rest, after a run of readings, and after Stop.
#include "app/chart_actions.h"
#include "app/error_reporter.h"
#include "app/main_form.h"
#include "app/main_window.h"
#include "app/snapshot.h"
#include "channel/channel.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "tools/gallery/gallery.h"

#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPixmap>
#include <cmath>
#include <string>

namespace {

// A meter answering every request with the next reading of a rising V-DC ramp.
kv::MemoryMeter::ReplySource rampReadings() {
    return [step = 0]() mutable {
        const double v = 0.5 + 6.0 * (1.0 - std::cos(step++ * 0.15)); // 0.5 .. 12.5
        const int range = v < 10 ? 136 : 144;                         // 00.000 or 000.00
        const int scaled = static_cast<int>(std::lround(v < 10 ? v * 1000 : v * 100));
        std::string digits = std::to_string(scaled);
        digits.insert(0, 5 - digits.size(), '0');
        return kv::meterReply(240, range, digits);
    };
}

kv::PortEntry port(const char* name, const char* path) {
    kv::PortEntry e;
    e.name = name;
    e.path = path;
    return e;
}

// The window's picture as a screen of device pixel ratio `ratio` shows it.
QImage pictureAt(kv::MainWindow& w, double ratio) {
    if (ratio == 1.0)
        return kv::SnapshotRun::capture(w);
    QPixmap picture(QSize(kv::mainform::kClientWidth, kv::mainform::kClientHeight) * ratio);
    picture.setDevicePixelRatio(ratio);
    w.render(&picture, QPoint(),
             QRegion(0, 0, kv::mainform::kClientWidth, kv::mainform::kClientHeight));
    return picture.toImage();
}

QImage windowAfter(int readings, bool stop, double ratio = 1.0) {
    kv::MemoryMeter meter(rampReadings());
    kv::ErrorReporter errors([](const QString&, const QString&) {});
    kv::Channel channel(meter);
    kv::MainWindow w(channel, {port("COM1", "/dev/ttyUSB0"), port("COM2", "/dev/ttyS0")}, {},
                     errors);
    kv::MeterPoller& poller = channel.session().poller();
    poller.setWaitMs(0);
    if (readings > 0) {
        w.openClick();
        poller.stop();
        for (int i = 0; i < readings; ++i)
            poller.pollOnce();
    }
    if (stop)
        w.button1Click();
    QCoreApplication::processEvents();
    return pictureAt(w, ratio);
}

// The chart on its clock axis: two minutes of a drifting supply with a silence of twenty
// seconds, two markers and the readout under the mouse (German separators).
QImage windowWithTimeAxis() {
    const char savedDecimal = kv::decimalChar();
    const char savedGrouping = kv::groupingChar();
    kv::setDecimalChar(',');
    kv::setGroupingChar('.');
    kv::MemoryMeter meter(rampReadings());
    kv::ErrorReporter errors([](const QString&, const QString&) {});
    kv::Channel channel(meter);
    kv::MainWindow w(channel, {port("COM1", "/dev/ttyUSB0")}, {}, errors);
    w.show();
    w.chartActions().setTimeAxis(true);
    const std::int64_t t0 = QDateTime(QDate(2026, 12, 8), QTime(14, 3, 0)).toMSecsSinceEpoch();
    auto tell = [&](int i, std::int64_t t) {
        kv::Reading r;
        r.value = float(5.0 + 0.02 * std::sin(i * 0.007) + 0.001 * std::sin(i * 1.7));
        r.unit = "V-DC";
        r.format = "00.000";
        r.time = t;
        emit channel.session().reading(r);
    };
    for (int i = 0; i < 600; ++i)
        tell(i, t0 + 100 * i);
    // As the session tells a silence: its start, and its end with the next reading.
    emit channel.session().silenceBegan(t0 + 60000);
    emit channel.session().silenceEnded();
    for (int i = 600; i < 1000; ++i)
        tell(i, t0 + 20000 + 100 * i);
    kv::TrendChart& chart = *w.findChild<kv::TrendChart*>("Chart1");
    QCoreApplication::processEvents();
    chart.setMarker(150);
    chart.setMarker(800);
    const QPointF at(chart.seriesList().front()->xPixel(450), chart.plotRect().bottom - 30);
    QMouseEvent move(QEvent::MouseMove, at, chart.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&chart, &move);
    QCoreApplication::processEvents();
    QImage picture = kv::SnapshotRun::capture(w);
    kv::setDecimalChar(savedDecimal);
    kv::setGroupingChar(savedGrouping);
    return picture;
}

KV_GALLERY("window-time-axis.png", windowWithTimeAxis);
KV_GALLERY("window-idle.png", [] { return windowAfter(0, false); });
KV_GALLERY("window-readings.png", [] { return windowAfter(60, false); });
KV_GALLERY("window-readings@2x.png", [] { return windowAfter(60, false, 2.0); });
KV_GALLERY("window-stopped.png", [] { return windowAfter(60, true); });

} // namespace
