// The port that last gave readings, kept across window lifetimes in a private settings
// folder and selected again under whatever number it has then.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/port_memory.h"
#include "meter/meter_protocol.h"
#include "serial/serial_link.h"
#include "sim/memory_meter.h"
#include "sim/meter_simulator.h"
#include "support/test_window.h"
#include "support/wait.h"

#include <QComboBox>
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

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
    test::TestWindow w(link, std::move(ports), errors, memory.lastPort());
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

// Nine meters, each on a link of its own and answering with its own number: the one that
// answers is the one that was opened.
TEST(PortBox, AnEntryPickedPastTheSeventhOpensThatEntryAndATypedNumberKeepsThreeBits) {
    QTemporaryDir links;
    std::vector<std::unique_ptr<sim::MeterSimulator>> meters;
    std::vector<PortEntry> devices;
    for (int n = 1; n <= 9; ++n) {
        auto script = sim::parseSimScript("240 136 0000" + std::to_string(n) + "\n");
        ASSERT_TRUE(script.ok());
        meters.push_back(std::make_unique<sim::MeterSimulator>(std::move(script.steps), true));
        const std::string link = links.filePath(QString("meter%1").arg(n)).toStdString();
        ASSERT_TRUE(meters.back()->start(link));
        devices.push_back(PortTable::describeDevice(link));
    }
    const PortTable table(devices, {});
    SerialLink link(table);
    ErrorReporter errors([](const QString&, const QString&) {});
    test::TestWindow w(link, table.entries(), errors);
    w.session().poller().setWaitMs(20);
    // The meter whose number the window shows once a reading has come.
    const auto answering = [&w] {
        const int before = w.readings();
        w.openClick();
        test::runEventsUntil([&] { return w.readings() > before; }, std::chrono::seconds(10));
        w.session().stop();
        return static_cast<int>(std::lround(w.session().current().value * 1000));
    };

    ASSERT_EQ(w.comSel()->count(), 9);
    w.comSel()->setCurrentIndex(8);
    EXPECT_EQ(w.comSel()->currentText(), "9");
    EXPECT_EQ(answering(), 9);
    w.comSel()->setCurrentIndex(7);
    EXPECT_EQ(answering(), 8);
    w.comSel()->setEditText("12");
    EXPECT_EQ(answering(), 4) << "12 keeps its three lowest bits";
    link.closePort();
    for (auto& m : meters)
        m->stop();
}

} // namespace
} // namespace kv
