// The main window: at rest, after a run of readings, and after Stop.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/snapshot.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "tools/gallery/gallery.h"

#include <QCoreApplication>
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

QImage windowAfter(int readings, bool stop) {
    kv::MemoryMeter meter(rampReadings());
    kv::ErrorReporter errors([](const QString&, const QString&) {});
    kv::MainWindow w(meter, {port("COM1", "/dev/ttyUSB0"), port("COM2", "/dev/ttyS0")}, errors);
    w.session().poller().setWaitMs(0);
    if (readings > 0) {
        w.openClick();
        w.session().poller().stop();
        for (int i = 0; i < readings; ++i)
            w.timer1Timer();
    }
    if (stop)
        w.button1Click();
    QCoreApplication::processEvents();
    return kv::SnapshotRun::capture(w);
}

KV_GALLERY("window-idle.png", [] { return windowAfter(0, false); });
KV_GALLERY("window-readings.png", [] { return windowAfter(60, false); });
KV_GALLERY("window-stopped.png", [] { return windowAfter(60, true); });

} // namespace
