#include "app/error_reporter.h"
#include "app/main_window.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/screen.h"
#include "support/test_window.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;

class MainWindowDisplays : public test::WindowOnMemoryMeter {};

TEST_F(MainWindowDisplays, WindowIsABorderlessFixedFormInTheFormColour) {
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->windowTitle(), "VELOMAX KV27500");
    EXPECT_EQ(window->size(), QSize(471, 648));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(214, 223, 247));
    EXPECT_FALSE(window->session().poller().isActive());
    EXPECT_EQ(window->session().poller().interval(), 1);
    ASSERT_NE(window->screen(), nullptr);
    const QPoint centre = window->screen()->availableGeometry().center();
    EXPECT_LE((window->geometry().center() - centre).manhattanLength(), 2) << "centred";
}

TEST(WindowPlace, CentredOnTheDesktopButNeverPushedPastItsTopOrLeftEdge) {
    const QSize form(471, 648);
    struct Case {
        QRect desktop;
        QPoint topLeft;
    } cases[] = {
        {{0, 0, 1920, 1080}, {724, 216}},
        {{0, 0, 1366, 728}, {447, 40}},       // a laptop with its task bar at the bottom
        {{0, 32, 1366, 736}, {447, 76}},      // ... or at the top
        {{1920, 0, 1280, 1024}, {2324, 188}}, // the second of two screens
        // Smaller than the window: Start and Stop stay on the screen, since a window
        // without a frame cannot be dragged back.
        {{0, 0, 1024, 560}, {276, 0}},
        {{0, 24, 400, 576}, {0, 24}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(centredTopLeft(c.desktop, form), c.topLeft)
            << c.desktop.width() << "x" << c.desktop.height();
}

TEST_F(MainWindowDisplays, EveryControlStandsWhereTheLayoutPutsIt) {
    struct Place {
        const char* name;
        QWidget* w;
        QRect rect;
    } places[] = {
        {"analog", window->analog(), {8, 80, 456, 248}},
        {"Label1", window->label1(), {16, 6, 50, 14}},
        {"anz", window->anz(), {225, 1, 294, 75}},
        {"Label2", window->label2(), {8, 618, 132, 14}},
        {"balken", window->balken(), {8, 326, 456, 17}},
        {"Chart1", window->chart1(), {8, 344, 456, 263}},
        {"ComSel", window->comSel(), {13, 22, 57, 21}},
        {"Open", window->openButton(), {77, 6, 75, 25}},
        {"Button2", window->exitButton(), {372, 612, 92, 25}},
        {"Button1", window->stopButton(), {77, 36, 75, 25}},
    };
    // Creation order is stacking order.
    const QObjectList& children = window->children();
    int previous = -1;
    for (const Place& p : places) {
        EXPECT_EQ(p.w->geometry(), p.rect) << p.name;
        EXPECT_EQ(p.w->parent(), window.get()) << p.name;
        const int at = static_cast<int>(children.indexOf(p.w));
        EXPECT_GT(at, previous) << p.name << " is created out of order";
        previous = at;
    }
    EXPECT_EQ(window->label1()->text(), "COMPORT");
    EXPECT_EQ(window->openButton()->text(), "Start");
    EXPECT_EQ(window->stopButton()->text(), "Stop");
    EXPECT_EQ(window->exitButton()->text(), "Exit");
    EXPECT_FALSE(window->label2()->text().isEmpty());
    EXPECT_TRUE(window->comSel()->isEditable());
}

TEST_F(MainWindowDisplays, TabOrderRunsFromThePortBoxOverStartAndExitToStop) {
    const QWidget* order[] = {window->comSel(), window->openButton(), window->exitButton(),
                              window->stopButton()};
    // Walk the focus chain once round from the port box; the chain may pass through other
    // widgets (the port box's editor), but the four must come in this order.
    std::vector<int> at(4, -1);
    const QWidget* w = order[0];
    for (int step = 0; step < 200; ++step, w = w->nextInFocusChain())
        for (int i = 0; i < 4; ++i)
            if (w == order[i] && at[i] < 0)
                at[i] = step;
    for (int i = 1; i < 4; ++i)
        EXPECT_GT(at[i], at[i - 1]) << "control " << i << " at " << at[i];
}

TEST_F(MainWindowDisplays, StartUpLeavesTheHiddenStorageAndTheIndicatorAtRest) {
    for (int n = 1; n <= 12; ++n)
        EXPECT_EQ(window->cycle().frame.slot(n), "0") << n;
    EXPECT_EQ(window->cycle().label7, "Label7");
    EXPECT_EQ(window->cycle().label8, "Echo");
    EXPECT_EQ(window->cycle().label9, "Bereichsanzeige");
    EXPECT_EQ(window->cycle().label10, "Skalierung");
    EXPECT_EQ(window->cycle().label11, "n.b.");
    EXPECT_EQ(window->anz()->value(), 0.0f);
    EXPECT_EQ(window->anz()->signalSettings().valueFormat(), "0000.0");
    EXPECT_EQ(window->anz()->signalSettings().valueUnit(), "Volt");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 10.0f);
    EXPECT_EQ(window->analog()->signalSettings().valueFrom(), 0.000001f);
    EXPECT_EQ(window->analog()->value(), 0.001f);
    EXPECT_EQ(window->cycle().openResult, 0);
    EXPECT_EQ(window->series1().pointCount(), 0);
}

TEST_F(MainWindowDisplays, AReadingReachesAllFourDisplays) {
    run({meterReply(240, 136, "01234")});
    EXPECT_EQ(link.sent.back(), 137);
    EXPECT_FLOAT_EQ(window->anz()->value(), 1.234f);
    EXPECT_EQ(window->anz()->valueText(), "01,234");
    EXPECT_EQ(window->anz()->signalSettings().valueUnit(), "V-DC");
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "V-DC");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 10.0f);
    EXPECT_EQ(window->analog()->digit(), 123);
    EXPECT_EQ(window->balken()->max(), 1000);
    EXPECT_EQ(window->balken()->position(), 0) << "the meter had not moved yet";
    ASSERT_EQ(window->series1().pointCount(), 1);
    EXPECT_FLOAT_EQ(static_cast<float>(window->series1().yAt(0)), 1.234f);
    EXPECT_EQ(window->readings(), 1);
    EXPECT_EQ(window->cycle().label7, "01,234");

    run({meterReply(240, 136, "05000")});
    EXPECT_EQ(window->balken()->position(), 123);
    EXPECT_EQ(window->analog()->digit(), 500);
}

TEST_F(MainWindowDisplays, AnUnansweredPollAndARejectedFrameAddNothing) {
    run({meterReply(240, 136, "01234"), {}, {}});
    EXPECT_EQ(window->series1().pointCount(), 1);
    run({meterReply(240, 136, "1 234")}); // a space among the digits
    EXPECT_EQ(window->series1().pointCount(), 1);
    EXPECT_FLOAT_EQ(window->anz()->value(), 1.234f);
    EXPECT_EQ(window->readings(), 1);
}

TEST_F(MainWindowDisplays, StopClearsTheChartAndZeroesTheDisplaysButKeepsUnitsAndScale) {
    run({meterReply(232, 136, "04725"), meterReply(232, 136, "04730")});
    ASSERT_EQ(window->analog()->signalSettings().valueTo(), 100.0f);
    window->stopButton()->click();
    EXPECT_FALSE(window->session().poller().isActive());
    EXPECT_EQ(window->series1().pointCount(), 0);
    EXPECT_EQ(window->anz()->value(), 0.0f);
    EXPECT_EQ(window->analog()->value(), 0.0f);
    EXPECT_EQ(window->balken()->position(), 0);
    EXPECT_EQ(window->anz()->signalSettings().valueUnit(), "mVolt");
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "mVolt");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 100.0f);
    EXPECT_EQ(window->cycle().frame.slot(2), "232") << "Stop leaves the frame";
    EXPECT_EQ(link.count("close"), 0);

    // Start again: the port is opened once more and the chart starts empty.
    run({meterReply(240, 136, "01234")});
    EXPECT_EQ(link.count("open "), 2);
    EXPECT_EQ(link.count("close"), 0);
    ASSERT_EQ(window->series1().pointCount(), 1);
    EXPECT_EQ(window->series1().xAt(0), 0.0);
}

TEST_F(MainWindowDisplays, APortThatCannotBeOpenedLeavesEveryDisplayAsItWas) {
    run({meterReply(240, 136, "01234"), meterReply(240, 136, "02000")});
    const float value = window->anz()->value();
    const int digit = window->analog()->digit();
    const int bar = window->balken()->position();
    link.openResult = 0;
    link.replies.push_back(meterReply(240, 144, "99999"));
    window->openClick();
    EXPECT_TRUE(window->session().poller().isActive());
    window->session().poller().stop();
    for (int i = 0; i < 3; ++i)
        window->timer1Timer();
    EXPECT_EQ(window->anz()->value(), value);
    EXPECT_EQ(window->analog()->digit(), digit);
    EXPECT_EQ(window->balken()->position(), bar);
    EXPECT_EQ(window->series1().pointCount(), 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

// The same window shown, driven tick by tick, its pixels read back from the screen rather
// than from the controls: a new value must be on screen when the tick returns (indicator
// and needle), a new bar position and a new chart point once the event loop has run.
class MainWindowOnScreen : public MainWindowDisplays {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::showOnScreen(*window));
        window->openClick();
        window->session().poller().stop(); // ticks are driven by hand
        settle();
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
        const QImage shot = test::onScreen(*window->analog());
        int lime = 0;
        const double axis = test::needleAxisDegrees(shot, shot.rect(), &lime);
        return lime > 30 ? axis : -1;
    }
    int barBlocksOnScreen() {
        const QImage shot = test::onScreen(*window->balken());
        return test::barBlocks(shot, shot.rect());
    }
    // Black pixels in the plot's upper right, under its top edge and above the first grid
    // line below it: where a line to a point at the top of the range passes.
    static int risingLinePixels(const QImage& chart) {
        const QRect area(chart.width() * 2 / 3, 35, chart.width() * 3 / 10, 40);
        return test::blackPixels(chart, area);
    }
};

TEST_F(MainWindowOnScreen, ANewValueOnTheSameScaleMovesTheNeedleOnScreenWithinTheTick) {
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

TEST_F(MainWindowOnScreen, ANewIndicatorTextIsOnScreenWithinTheTick) {
    tick("01234");
    settle();
    const QImage first = test::onScreen(*window->anz());
    EXPECT_GT(test::blackPixels(first, first.rect()), 500) << "the digits 01,234";

    tick("05000");
    const QImage second = test::onScreen(*window->anz());
    EXPECT_TRUE(second != first) << "05,000 is not on screen";
    EXPECT_GT(test::blackPixels(second, second.rect()), 500);
    tick("01234");
    EXPECT_TRUE(test::onScreen(*window->anz()) == first) << "the same text shows the same pixels";
}

TEST_F(MainWindowOnScreen, ANewBarPositionReachesTheScreenOnceTheLoopHasRun) {
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

TEST_F(MainWindowOnScreen, ANewChartPointReachesTheScreenOnceTheLoopHasRun) {
    for (int i = 0; i < 3; ++i)
        tick("01000");
    settle();
    const QImage flat = test::onScreen(*window->chart1());
    EXPECT_EQ(risingLinePixels(flat), 0) << "a flat line across the middle";

    tick("05000");
    EXPECT_TRUE(test::runEventsUntil(
        [&] { return risingLinePixels(test::onScreen(*window->chart1())) > 10; }, 5s))
        << "the line climbing to the new point at the top right is not on screen";
}

// A link whose every read fails as a conversion does, so each tick raises an error.
class FailingLink : public MemoryMeter {
public:
    int bytesWaiting() override {
        ++ticks;
        throw ConvertError("'1.2345' ist kein gültiger Gleitkommawert");
    }
    int ticks = 0;
};

TEST(MainWindowErrors, ARecurringErrorShowsOneBoxAtATimeAndPollingGoesOn) {
    FailingLink link;
    int open = 0, maxOpen = 0, ticksWhileOpen = 0;
    std::vector<QString> texts;
    ErrorReporter errors([&](const QString&, const QString& text) {
        texts.push_back(text);
        maxOpen = std::max(maxOpen, ++open);
        // The box stays up for a while; the poll timer keeps running behind it.
        const int before = link.ticks;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 60)
            QCoreApplication::processEvents();
        ticksWhileOpen += link.ticks - before;
        --open;
    });
    test::TestWindow window(link, {}, errors);
    window.session().poller().setWaitMs(0);
    window.openClick();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents();
    window.session().poller().stop();
    QCoreApplication::processEvents();

    EXPECT_EQ(maxOpen, 1);
    EXPECT_GE(texts.size(), 2u) << "a box closed, the next error gets a new one";
    EXPECT_GT(ticksWhileOpen, 0) << "the timer kept polling while a box was open";
    EXPECT_GT(errors.dropped(), 0);
    EXPECT_EQ(texts.front(), QString::fromUtf8("'1.2345' ist kein gültiger Gleitkommawert."));
}

} // namespace
} // namespace kv
