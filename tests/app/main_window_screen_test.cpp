// What reaches the screen when a reading comes in: the real window, driven tick by tick by
// the in-memory meter, read back from the window system rather than from the controls.
// A new value must be on screen when the tick returns (indicator and needle); a new bar
// position and a new chart point once the event loop has run.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/screen.h"
#include "window_pixels.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::onScreen;

class WindowOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        setDecimalChar(',');
        setGroupingChar('.');
        window = std::make_unique<MainWindow>(link, std::vector<PortEntry>{}, errors);
        window->sleep = [](int) {};
        window->onExit = [] {};
        ASSERT_TRUE(test::showOnScreen(*window));
        window->openClick();
        window->timer1().stop(); // ticks are driven by hand
        settle();
    }
    void TearDown() override {
        window.reset();
        setDecimalChar(savedDecimal);
        setGroupingChar(savedGrouping);
    }

    // One poll cycle on a reply of the volts range 00,000: the tick as the timer runs it.
    void tick(const char* digits) {
        link.replies.push_back(meterReply(240, 136, digits));
        window->timer1Timer();
    }
    // Lets the event loop deliver every paint that is due (they are posted events).
    void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    double needleOnScreen() {
        const QImage shot = onScreen(*window->analog());
        int lime = 0;
        const double axis = test::needleAxisDegrees(shot, shot.rect(), &lime);
        return lime > 30 ? axis : -1;
    }
    int barBlocksOnScreen() {
        const QImage shot = onScreen(*window->balken());
        return test::barBlocks(shot, shot.rect());
    }

    // Black pixels in the plot's upper right, under its top edge and above the first grid
    // line below it: where a line to a point at the top of the range passes.
    static int risingLinePixels(const QImage& chart) {
        const QRect area(chart.width() * 2 / 3, 35, chart.width() * 3 / 10, 40);
        return test::blackPixels(chart, area);
    }

    char savedDecimal = decimalChar();
    char savedGrouping = groupingChar();
    MemoryMeter link;
    std::vector<QString> boxes;
    ErrorReporter errors{[this](const QString&, const QString& text) { boxes.push_back(text); }};
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowOnScreen, ANewValueOnTheSameScaleMovesTheNeedleOnScreenWithinTheTick) {
    tick("01234"); // a new unit: the meter is repainted whole from the event loop
    settle();
    EXPECT_NEAR(needleOnScreen(), 22.1, 4.0) << "digit 123 of 1000";

    test::PaintLog paints(*window->analog());
    tick("05000");
    EXPECT_NEAR(needleOnScreen(), 90.0, 4.0) << "on screen before the event loop ran";
    EXPECT_GT(paints.count(), 0);
    // Only the pointer's square was painted: the dial's top corners lie outside it.
    const int w = window->analog()->width();
    EXPECT_FALSE(paints.painted().contains(QPoint(2, 2)));
    EXPECT_FALSE(paints.painted().contains(QPoint(w - 3, 2)));

    tick("07500");
    EXPECT_NEAR(needleOnScreen(), 135.0, 4.0);
    settle();
    EXPECT_NEAR(needleOnScreen(), 135.0, 4.0);
    EXPECT_FALSE(paints.painted().contains(QPoint(2, 2))) << "no full repaint came later";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(WindowOnScreen, ANewIndicatorTextIsOnScreenWithinTheTick) {
    tick("01234");
    settle();
    const QImage first = onScreen(*window->anz());
    EXPECT_GT(test::blackPixels(first, first.rect()), 500) << "the digits 01,234";

    tick("05000");
    const QImage second = onScreen(*window->anz());
    EXPECT_TRUE(second != first) << "05,000 is not on screen";
    EXPECT_GT(test::blackPixels(second, second.rect()), 500);
    tick("01234");
    EXPECT_TRUE(onScreen(*window->anz()) == first) << "the same text shows the same pixels";
}

TEST_F(WindowOnScreen, ANewBarPositionReachesTheScreenOnceTheLoopHasRun) {
    tick("01500");
    settle();
    EXPECT_EQ(barBlocksOnScreen(), 0) << "the meter stood at 0 before this reading";
    tick("05000"); // the bar takes the previous reading: 150 of 1000, 68 pixels
    EXPECT_TRUE(test::runEventsUntil([&] { return barBlocksOnScreen() == 9; }, 5s))
        << barBlocksOnScreen() << " blocks";
    tick("05000"); // 500 of 1000: 228 pixels
    EXPECT_TRUE(test::runEventsUntil([&] { return barBlocksOnScreen() == 29; }, 5s))
        << barBlocksOnScreen() << " blocks";
}

TEST_F(WindowOnScreen, ANewChartPointReachesTheScreenOnceTheLoopHasRun) {
    for (int i = 0; i < 3; ++i)
        tick("01000");
    settle();
    const QImage flat = onScreen(*window->chart1());
    EXPECT_EQ(risingLinePixels(flat), 0) << "a flat line across the middle";

    tick("05000");
    EXPECT_TRUE(test::runEventsUntil(
        [&] { return risingLinePixels(onScreen(*window->chart1())) > 10; }, 5s))
        << "the line climbing to the new point at the top right is not on screen";
}

} // namespace
} // namespace kv
