#pragma once

#include "app/error_reporter.h"
#include "app/main_window.h"
#include "format/number_format.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/screen.h"
#include "support/test_window.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <vector>

namespace kv::test {

// The main window on the in-memory meter with German separators and no reply wait, its
// polls driven by hand; error boxes are collected instead of shown.
class WindowOnMemoryMeter : public ::testing::Test {
protected:
    WindowOnMemoryMeter() {
        setDecimalChar(',');
        setGroupingChar('.');
        PortEntry e;
        e.name = "COM1";
        e.path = "/dev/ttyUSB0";
        window = std::make_unique<test::TestWindow>(link, std::vector<PortEntry>{e}, errors);
        window->session().poller().setWaitMs(0);
    }
    ~WindowOnMemoryMeter() override {
        window.reset();
        setDecimalChar(savedDecimal);
        setGroupingChar(savedGrouping);
    }

    // Start with the polls driven by hand, and the window shown and active, so that keys
    // reach it.
    void startShownAndActive() {
        window->openClick();
        window->session().poller().stop();
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // The same, the window shown at its place on the screen, so that its pixels can be read
    // from there (see test::onScreen).
    void startOnScreen() {
        window->openClick();
        window->session().poller().stop();
        EXPECT_TRUE(test::showOnScreen(*window));
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A key pressed where the focus is, the window made active first: after a dialog it is
    // active again only once the events say so.
    void press(QKeyCombination key) {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QWidget* to = QApplication::focusWidget();
        QTest::keyClick(to ? to : window.get(), key.key(), key.keyboardModifiers());
    }
    // One poll per reading, in volts DC with three decimals ("01234": 1,234 V).
    void volts(std::initializer_list<const char*> digits) {
        for (const char* d : digits) {
            link.replies.push_back(meterReply(240, 136, d));
            window->timer1Timer();
        }
    }
    QString digits() const { return QString::fromStdString(window->anz()->fieldText()); }
    QString footer() const { return window->label2()->text(); }

    // Start, then one poll per reply.
    void run(const std::vector<MemoryMeter::Reply>& replies) {
        for (const auto& r : replies)
            link.replies.push_back(r);
        if (!window->session().poller().isActive())
            window->openClick();
        window->session().poller().stop(); // polls are driven by hand here
        for (std::size_t i = 0; i < replies.size(); ++i)
            window->timer1Timer();
    }

    char savedDecimal = decimalChar();
    char savedGrouping = groupingChar();
    MemoryMeter link;
    std::vector<QString> boxes;
    ErrorReporter errors{[this](const QString&, const QString& text) { boxes.push_back(text); }};
    std::unique_ptr<test::TestWindow> window;
};

} // namespace kv::test
