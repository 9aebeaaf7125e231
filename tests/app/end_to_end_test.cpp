// The real window on the simulated meter: pseudo-terminal, serial link, poll timer, decoder,
// display update and painting, checked by state and by the pixels on screen.
#include "app/error_reporter.h"
#include "app/main_form.h"
#include "app/main_window.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "serial/serial_link.h"
#include "sim/meter_simulator.h"
#include "support/screen.h"
#include "support/test_window.h"
#include "window_pixels.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kv {
namespace {

// Readings across functions and ranges; the last two keep the meter's full scale, so the
// bar shows the one before last.
constexpr const char* kScript = "240 136 01234\n" // 1,234 V-DC, full scale 10
                                "240 144 12345\n" // 123,45 V-DC, full scale 1000
                                "232 128 04725\n" // 04,725 mVolt, full scale 10
                                "224 136 04700\n" // 0,4700 KOhm, full scale 1
                                "160 152 50000\n" // 50,000 Hz, full scale 100
                                "168 193 01500\n" // 01,500 A - DC, full scale 10
                                "168 193 02500\n";
constexpr int kReadings = 7;

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalChar(',');
        setGroupingChar('.');
        sim::ParsedScript script = sim::parseSimScript(kScript);
        ASSERT_TRUE(script.ok()) << script.error;
        meter = std::make_unique<sim::MeterSimulator>(std::move(script.steps));
        ASSERT_TRUE(meter->start());
        PortEntry device = PortTable::describeDevice(meter->devicePath(), "simulator");
        const PortTable table({device}, {});
        link = std::make_unique<SerialLink>(table);
        window = std::make_unique<test::TestWindow>(*link, table.entries(), errors);
        // The simulator answers within milliseconds; a shorter wait keeps the test quick
        // while leaving a loaded machine ample time for the reply.
        window->session().poller().setWaitMs(60);
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
        window->show();
    }

    void TearDown() override {
        window.reset();
        link.reset();
        meter->stop();
        setDecimalChar(savedDecimal);
        setGroupingChar(savedGrouping);
    }

    // Runs the event loop until `count` readings have been shown, or 10 s have passed.
    bool runUntil(int count) {
        return test::runEventsUntil([&] { return window->readings() >= count; },
                                    std::chrono::seconds(10));
    }

    void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    char savedDecimal = decimalChar();
    char savedGrouping = groupingChar();
    std::unique_ptr<sim::MeterSimulator> meter;
    std::unique_ptr<SerialLink> link;
    std::vector<QString> boxes;
    ErrorReporter errors{[this](const QString&, const QString& text) { boxes.push_back(text); }};
    std::unique_ptr<test::TestWindow> window;
    int exits = 0;
};

TEST_F(EndToEnd, ScriptedRunThroughAllFourDisplaysThenStopStartAndExit) {
    ASSERT_EQ(window->comSel()->currentText(), "1");
    const QMetaObject::Connection hold =
        QObject::connect(window.get(), &MainWindow::readingShown, [this](int n) {
            if (n == kReadings)
                window->session().poller().stop(); // hold the picture after the script
        });
    window->openButton()->click();
    ASSERT_EQ(window->cycle().openResult, 1);
    ASSERT_TRUE(runUntil(kReadings)) << "only " << window->readings() << " readings";
    settle();
    EXPECT_EQ(window->readings(), kReadings);

    // State.
    EXPECT_EQ(window->anz()->valueText(), "02,500");
    EXPECT_EQ(window->anz()->signalSettings().valueUnit(), "A - DC");
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "A - DC");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 10.0f);
    EXPECT_EQ(window->analog()->digit(), 250);
    EXPECT_EQ(window->balken()->position(), 150);
    // Each change of unit breaks the line: a null point before the first reading in it.
    const double ys[] = {1.234, 123.45, 4.725, 0.47, 50.0, 1.5, 2.5};
    std::vector<double> drawn;
    for (int i = 0; i < window->series1().pointCount(); ++i)
        if (!window->series1().isBreak(i))
            drawn.push_back(window->series1().yAt(i));
        else
            EXPECT_EQ(window->series1().breakReason(i), BreakReason::brUnitChange) << i;
    ASSERT_EQ(drawn.size(), std::size_t(kReadings));
    for (int i = 0; i < kReadings; ++i)
        EXPECT_NEAR(drawn[std::size_t(i)], ys[i], 1e-4) << i;

    // Pixels, as they reached the screen.
    const QImage shot = test::onScreen(*window);
    int lime = 0;
    const double axis = test::needleAxisDegrees(shot, window->analog()->geometry(), &lime);
    EXPECT_GT(lime, 30) << "no needle drawn";
    EXPECT_NEAR(axis, 45.0, 4.0) << "digit 250 of 1000 turns the needle 45 degrees";
    // L = 456 * 150 / 1000 = 68 pixels: blocks at 4, 12, ... 68.
    EXPECT_EQ(test::barBlocks(shot, window->balken()->geometry()), 9);
    const QRect field(225, 1, mainform::kClientWidth - 225, 70);
    EXPECT_GT(test::blackPixels(shot, field), 500) << "the indicator's digits";
    const Rect pr = window->chart1()->plotRect();
    const QRect plot = QRect(pr.left + 2, pr.top + 2, pr.width() - 4, pr.height() - 4)
                           .translated(window->chart1()->pos());
    const int lineWithPoints = test::blackPixels(shot, plot);
    EXPECT_GT(lineWithPoints, 100) << "the trend line";

    // Stop: displays reset, units and full scale stay, the chart is empty.
    window->stopButton()->click();
    settle();
    EXPECT_EQ(window->series1().pointCount(), 0);
    EXPECT_EQ(window->anz()->value(), 0.0f);
    EXPECT_EQ(window->analog()->value(), 0.0f);
    EXPECT_EQ(window->balken()->position(), 0);
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "A - DC");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 10.0f);
    const QImage stopped = test::onScreen(*window);
    EXPECT_EQ(test::barBlocks(stopped, window->balken()->geometry()), 0);
    EXPECT_LT(test::blackPixels(stopped, plot), lineWithPoints / 4) << "the line is gone";
    int limeStopped = 0;
    EXPECT_NEAR(test::needleAxisDegrees(stopped, window->analog()->geometry(), &limeStopped), 0.0,
                4.0)
        << "the needle rests at 9 o'clock";

    // Start again: the port opens once more; the script is over, so the meter is silent and
    // its last frame is not shown again: the polls go out, nothing comes in.
    EXPECT_TRUE(link->isOpen());
    QObject::disconnect(hold);
    window->openButton()->click();
    const int before = window->readings();
    const int requests = meter->requestCount();
    test::runEventsUntil([&] { return meter->requestCount() >= requests + 3; },
                         std::chrono::seconds(5));
    window->session().poller().stop();
    EXPECT_GE(meter->requestCount(), requests + 3);
    EXPECT_EQ(window->readings(), before);
    EXPECT_EQ(window->series1().pointCount(), 0);
    EXPECT_EQ(window->anz()->value(), 0.0f);

    window->exitButton()->click();
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(exits, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace kv
