// The built-in simulated meter as --simulate sets it up: started from a script file, listed
// in the port box and read through the serial link by the real window.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/simulated_meter.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "serial/serial_link.h"
#include "support/test_window.h"
#include "support/wait.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;

class SimulatedMeter : public ::testing::Test {
protected:
    QString writeScript(const char* text) {
        const QString path = dir.filePath("meter.txt");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }

    QTemporaryDir dir;
    std::string error;
};

TEST_F(SimulatedMeter, ReadingsGoOnAfterTheMeterWasUnpluggedAndCameBack) {
    // The unplug swallows one request; the meter then comes back on a new pseudo-terminal.
    auto meter = startSimulatedMeter(writeScript("240 136 01000\n"
                                                 "240 136 01000\n"
                                                 "unplug 300\n"
                                                 "240 136 02000\n"
                                                 "240 136 03000\n"),
                                     &error);
    ASSERT_TRUE(meter) << error;
    const PortEntry entry = simulatedMeterPort(*meter);
    const PortTable table({entry}, {});
    SerialLink link(table);
    std::vector<QString> boxes;
    ErrorReporter errors([&](const QString&, const QString& text) { boxes.push_back(text); });
    {
        test::TestWindow window(link, table.entries(), errors);
        window.session().poller().setWaitMs(60);
        ASSERT_EQ(window.comSel()->currentText(), "1");
        window.openClick();
        ASSERT_EQ(window.cycle().openResult, 1);

        // Polls at the program's own pace until the reading after the meter's return is in,
        // however slow the machine; the meter falls silent after it.
        test::runEventsUntil([&] { return window.anz()->value() == 3.0f; }, 20s);
        window.session().poller().stop();
        EXPECT_TRUE(meter->requestCount() >= 4);
        EXPECT_EQ(window.anz()->value(), 3.0f) << "no reading came after the meter returned";
        EXPECT_TRUE(link.isConnected());
    }
    meter->stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SimulatedMeter, ThePortEntryNamesAPathThatOutlivesThePseudoTerminal) {
    auto meter = startSimulatedMeter(QString(), &error);
    ASSERT_TRUE(meter) << error;
    const PortEntry entry = simulatedMeterPort(*meter);
    EXPECT_EQ(entry.path, meter->linkPath());
    EXPECT_EQ(entry.path.rfind("/dev/pts/", 0), std::string::npos);
    EXPECT_EQ(resolvedPath(entry.path), resolvedPath(meter->devicePath()));
    EXPECT_NE(entry.tooltip().find("simulator"), std::string::npos);
    meter->stop();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(entry.path))) << "the link is cleaned up";
}

TEST_F(SimulatedMeter, AScriptThatCannotBeReadOrParsedIsRefusedWithItsReason) {
    EXPECT_FALSE(startSimulatedMeter(dir.filePath("missing.txt"), &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;

    error.clear();
    EXPECT_FALSE(startSimulatedMeter(writeScript("240 136 01000\nbogus line\n"), &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

} // namespace
} // namespace kv
