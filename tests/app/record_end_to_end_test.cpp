// One scripted meter session recorded twice: saved from the real window on the simulated
// meter, and logged by the built program without a window. Both files must hold the same
// rows, times aside.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "record/record_files.h"
#include "serial/serial_link.h"
#include "session/meter_poller.h"
#include "sim/meter_simulator.h"
#include "support/test_window.h"
#include "support/wait.h"

#include <QAction>
#include <QProcess>
#include <gtest/gtest.h>

namespace kv {
namespace {

// Two readings, an overload, a silence of 1.5 s (fifteen requests unanswered) and two more.
constexpr const char* kScript = "240 136 01234\n"
                                "240 136 01500\n"
                                "160 152 5?000\n"
                                "silent\nsilent\nsilent\nsilent\nsilent\n"
                                "silent\nsilent\nsilent\nsilent\nsilent\n"
                                "silent\nsilent\nsilent\nsilent\nsilent\n"
                                "224 136 04700\n"
                                "232 128 04725\n";
constexpr int kReadings = 5; // an overload counts

// The rows without their first two columns, the wall-clock time and the elapsed seconds.
test::CsvRows timesAside(const test::CsvRows& rows) {
    test::CsvRows out;
    for (const auto& row : rows)
        out.emplace_back(row.size() > 2 ? row.begin() + 2 : row.end(), row.end());
    return out;
}

TEST(RecordEndToEnd, TheWindowsSavedReadingsAndTheWindowlessLogHoldTheSameRows) {
    test::TempFolder folder;
    test::writeFile(folder / "script.txt", kScript);

    // The window, on the simulated meter over a real line.
    sim::ParsedScript script = sim::parseSimScript(kScript);
    ASSERT_TRUE(script.ok()) << script.error;
    sim::MeterSimulator meter(std::move(script.steps));
    ASSERT_TRUE(meter.start());
    const PortTable table({PortTable::describeDevice(meter.devicePath())}, {});
    SerialLink link(table);
    std::vector<QString> boxes;
    ErrorReporter errors([&](const QString&, const QString& text) { boxes.push_back(text); });
    test::TestWindow window(link, table.entries(), errors);
    window.recordActions().askFile = [&](const RecordActions::FileQuestion&) {
        return QString::fromStdString(folder / "saved.csv");
    };
    // Three times the meter's wait: on a loaded machine a reply that came after the wait
    // would be read with the next one and dropped, and the window would lose a reading
    // that the logger keeps.
    window.session().poller().setWaitMs(3 * MeterPoller::kWaitMs);
    QObject::connect(&window, &MainWindow::readingShown, [&](int n) {
        if (n == kReadings)
            window.session().poller().stop();
    });
    window.show();
    window.openClick();
    ASSERT_TRUE(test::runEventsUntil([&] { return window.readings() == kReadings; },
                                     std::chrono::seconds(20)));
    for (QAction* action : window.actions())
        if (action->text() == "Save readings...")
            action->trigger();
    window.button2Click();
    meter.stop();
    EXPECT_TRUE(boxes.empty());

    QProcess logger;
    logger.start(KV27500_PROGRAM,
                 {"--no-window", "--simulate", QString::fromStdString(folder / "script.txt"),
                  "--log", QString::fromStdString(folder / "logged.csv"), "--readings",
                  QString::number(kReadings)});
    ASSERT_TRUE(logger.waitForFinished(30000));
    EXPECT_EQ(logger.exitCode(), 0) << logger.readAllStandardError().data();

    const test::CsvRows saved = timesAside(test::csvRowsOf(folder / "saved.csv"));
    const test::CsvRows logged = timesAside(test::csvRowsOf(folder / "logged.csv"));
    const test::CsvRows expected = {{"value", "unit", "status", "function", "range"},
                                    {"1.234", "V-DC", "ok", "240", "136"},
                                    {"1.5", "V-DC", "ok", "240", "136"},
                                    {"", "Hz", "overload", "160", "152"},
                                    {"", "Hz", "gap", "160", "152"},
                                    {"0.47", "KOhm", "ok", "224", "136"},
                                    {"4.725", "mVolt", "ok", "232", "128"}};
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(logged, saved);
}

} // namespace
} // namespace kv
