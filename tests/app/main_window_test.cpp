#include "app/error_reporter.h"
#include "app/main_window.h"
#include "chart/chart_series.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kv {
namespace {

PortEntry port(const char* name, const char* path) {
    PortEntry e;
    e.name = name;
    e.path = path;
    return e;
}

class MainWindowCommands : public ::testing::Test {
protected:
    void make(std::vector<PortEntry> ports) {
        window = std::make_unique<test::TestWindow>(link, std::move(ports), errors);
        window->session().poller().setWaitMs(0);
        QObject::connect(window.get(), &MainWindow::exitRequested, [this] { ++exits; });
    }

    MemoryMeter link;
    std::vector<QString> boxes;
    ErrorReporter errors{[this](const QString&, const QString& text) { boxes.push_back(text); }};
    std::unique_ptr<test::TestWindow> window;
    int exits = 0;
};

TEST_F(MainWindowCommands, PortBoxShowsEntriesWithoutPrefixFirstSelectedAndStartOpensIt) {
    make({port("COM1", "/dev/ttyUSB0"), port("COM3", "/dev/ttyS2")});
    QComboBox* box = window->comSel();
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), "1");
    EXPECT_EQ(box->itemText(1), "3");
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(box->currentText(), "1");
    EXPECT_TRUE(box->itemData(1, Qt::ToolTipRole).toString().contains("/dev/ttyS2"));

    window->openButton()->click();
    EXPECT_EQ(link.calls,
              (std::vector<std::string>{"open COM1:9600,N,8,1", "rts 1", "timeouts 2"}));
    EXPECT_EQ(window->cycle().openResult, 1);
    EXPECT_TRUE(window->session().poller().isActive());
    EXPECT_EQ(window->session().poller().interval(), 1);
}

TEST_F(MainWindowCommands, TypedPortTextIsReadByItsLeadingNumberMaskedWithSeven) {
    make({port("COM1", "/dev/ttyUSB0")});
    struct Case {
        const char* text;
        const char* mode;
    } cases[] = {{"11", "open COM3:9600,N,8,1"},
                 {"abc", "open COM0:9600,N,8,1"},
                 {"8", "open COM0:9600,N,8,1"},
                 {"2x", "open COM2:9600,N,8,1"}};
    for (const Case& c : cases) {
        window->comSel()->setEditText(c.text);
        window->openClick();
        EXPECT_EQ(link.calls.at(link.calls.size() - 3), c.mode) << c.text;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowCommands, AnEmptyPortListLeavesTheBoxEmptyAndSilent) {
    make({});
    EXPECT_EQ(window->comSel()->count(), 0);
    window->comSel()->setEditText("2");
    window->openClick();
    EXPECT_EQ(link.calls.front(), "open COM2:9600,N,8,1");
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowCommands, PortThatCannotBeOpenedStillRunsTheTimerAndPollsNothing) {
    make({port("COM1", "/dev/ttyUSB0")});
    link.openResult = 0;
    link.replies.push_back(meterReply(240, 136, "01234"));
    window->openClick();
    EXPECT_TRUE(window->session().poller().isActive());
    EXPECT_EQ(window->cycle().openResult, 0);
    for (int i = 0; i < 3; ++i)
        window->timer1Timer();
    EXPECT_EQ(link.sent.size(), 0u);
    EXPECT_EQ(window->readings(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowCommands, StopThenStartOpensAgainWithoutClosing) {
    make({port("COM1", "/dev/ttyUSB0")});
    window->openClick();
    window->stopButton()->click();
    EXPECT_FALSE(window->session().poller().isActive());
    window->openClick();
    EXPECT_EQ(link.count("open "), 2);
    EXPECT_EQ(link.count("close"), 0);
    EXPECT_TRUE(window->session().poller().isActive());
}

TEST_F(MainWindowCommands, StartWhilePollingOpensAgainAndTheNewResultDecides) {
    make({port("COM1", "/dev/ttyUSB0")});
    for (int i = 0; i < 4; ++i)
        link.replies.push_back(meterReply(240, 136, "01234"));
    window->openClick();
    window->session().poller().stop(); // ticks are driven by hand
    window->timer1Timer();
    ASSERT_EQ(window->readings(), 1);

    // A second Start that fails replaces the open result: the ticks go idle.
    link.openResult = 0;
    window->openClick();
    EXPECT_EQ(window->cycle().openResult, 0);
    EXPECT_TRUE(window->session().poller().isActive());
    window->timer1Timer();
    EXPECT_EQ(window->readings(), 1);
    EXPECT_EQ(link.sent.size(), 1u);

    // A third that succeeds brings them back, still without a close in between.
    link.openResult = 1;
    window->openClick();
    window->timer1Timer();
    EXPECT_EQ(window->readings(), 2);
    EXPECT_EQ(link.count("open "), 3);
    EXPECT_EQ(link.count("close"), 0);
}

TEST_F(MainWindowCommands, RepeatedStopAndStartKeepsEachRunToItsOwnPoints) {
    make({port("COM1", "/dev/ttyUSB0")});
    for (int run = 1; run <= 20; ++run) {
        for (int i = 0; i < run % 4 + 1; ++i)
            link.replies.push_back(meterReply(240, 136, "01234"));
        window->openClick();
        window->session().poller().stop();
        for (int i = 0; i < run % 4 + 1; ++i)
            window->timer1Timer();
        EXPECT_EQ(window->series1().pointCount(), run % 4 + 1) << "run " << run;
        window->button1Click();
        EXPECT_FALSE(window->session().poller().isActive());
        EXPECT_EQ(window->series1().pointCount(), 0);
    }
    EXPECT_EQ(link.count("open "), 20);
    EXPECT_EQ(link.count("close"), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowCommands, ExitClosesThePortOnceEvenBeforeAnyStart) {
    make({port("COM1", "/dev/ttyUSB0")});
    window->exitButton()->click();
    EXPECT_EQ(link.calls, std::vector<std::string>{"close"});
    EXPECT_EQ(exits, 1);
}

TEST_F(MainWindowCommands, ExitStopsTheTimerBeforeClosing) {
    make({port("COM1", "/dev/ttyUSB0")});
    window->openClick();
    window->button2Click();
    EXPECT_FALSE(window->session().poller().isActive());
    EXPECT_EQ(link.count("close"), 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(MainWindowCommands, F5StartsEscStopsAndCtrlQExitsEvenWithTheCursorInThePortBox) {
    make({port("COM1", "/dev/ttyUSB0"), port("COM2", "/dev/ttyS0")});
    link.replies.push_back(meterReply(240, 136, "01234"));
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->comSel()->setFocus();
    QWidget* typing = QApplication::focusWidget();
    ASSERT_TRUE(typing == window->comSel() || window->comSel()->isAncestorOf(typing));

    QTest::keyClick(typing, Qt::Key_F5);
    EXPECT_EQ(link.count("open COM1"), 1);
    ASSERT_TRUE(window->session().poller().isActive());
    window->timer1Timer();
    EXPECT_EQ(window->series1().pointCount(), 1);

    QTest::keyClick(typing, Qt::Key_Escape);
    EXPECT_FALSE(window->session().poller().isActive());
    EXPECT_EQ(window->series1().pointCount(), 0) << "Stop clears the displays";
    EXPECT_EQ(exits, 0);

    QTest::keyClick(typing, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(link.count("close"), 1);
    EXPECT_EQ(window->comSel()->currentText(), "1") << "no key reached the port text";
}

} // namespace
} // namespace kv
