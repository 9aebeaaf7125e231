// The port that last gave readings, kept across window lifetimes in a private settings
// folder and selected again under whatever number it has then.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/port_memory.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"

#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv {
namespace {

PortEntry port(const char* name, const char* path, const char* usbSerial = nullptr) {
    PortEntry e;
    e.name = name;
    e.path = path;
    if (usbSerial) {
        e.vendorId = 0x0403;
        e.productId = 0x6001;
        e.serialNumber = usbSerial;
    }
    return e;
}

// One run of the program's window, wired to the settings as the program wires it: returns
// the port box's text at start, then picks entry `pick`, starts and polls once, on a meter
// that answers or not.
QString lifetime(std::vector<PortEntry> ports, int pick, bool answers) {
    MemoryMeter link;
    ErrorReporter errors([](const QString&, const QString&) {});
    PortMemory memory;
    MainWindow w(link, std::move(ports), memory.lastPort(), errors);
    w.session().poller().setWaitMs(0);
    QObject::connect(&w, &MainWindow::portConfirmed,
                     [&memory](const PortEntry& p) { memory.setLastPort(portIdentity(p)); });
    const QString atStart = w.comSel()->currentText();
    w.comSel()->setCurrentIndex(pick);
    if (answers)
        link.replies.push_back(meterReply(240, 136, "01234"));
    w.openClick();
    w.session().poller().stop();
    w.timer1Timer();
    return atStart;
}

TEST(RememberedPort, IsSelectedAtTheNextStartWhereverItIsListedOnlyOnceItGaveReadings) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const PortEntry s0 = port("COM1", "/dev/ttyS0");

    EXPECT_EQ(lifetime({s0, port("COM2", "/dev/ttyUSB0", "A1")}, 1, true), "1") << "none yet";
    // The adapter is back on another device, behind a newcomer; a Start on ttyS0 that reads
    // nothing keeps it remembered.
    EXPECT_EQ(lifetime({s0, port("COM2", "/dev/ttyUSB0", "B7"), port("COM3", "/dev/ttyUSB1", "A1")},
                       0, false),
              "3");
    EXPECT_EQ(lifetime({s0, port("COM2", "/dev/ttyUSB1", "A1")}, 0, true), "2");
    // A port without a USB serial number is known by its path.
    EXPECT_EQ(lifetime({port("COM1", "/dev/ttyUSB1", "A1"), port("COM2", "/dev/ttyS0")}, 0, false),
              "2");
    EXPECT_EQ(lifetime({port("COM1", "/dev/ttyUSB0", "B7")}, 0, false), "1") << "absent: the first";
}

} // namespace
} // namespace kv
