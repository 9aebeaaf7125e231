#include "app/channel_windows.h"
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/recording_actions.h"
#include "channel/channel.h"
#include "gauges/value_indicator.h"
#include "sim/memory_meter.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace kv {
namespace {

TEST(SideBySide, WindowsStandInRowsInTheMiddleAndStepDownWhereTheScreenEnds) {
    const QSize window(471, 648);
    struct Case {
        QRect desktop;
        int count;
        std::vector<QPoint> places;
    } const cases[] = {
        // One row, centred: (1920 - 3 * 471) / 2 = 253, (1080 - 648) / 2 = 216.
        {{0, 0, 1920, 1080}, 3, {{253, 216}, {724, 216}, {1195, 216}}},
        // A panel on the left: the free area starts at 64.
        {{64, 0, 1856, 1080}, 1, {{64 + 692, 216}}},
        // Two fit across, one row down: the third steps in from the top left.
        {{0, 0, 1024, 768}, 3, {{41, 60}, {512, 60}, {32, 32}}},
        // Two rows of two on a tall screen.
        {{0, 0, 1000, 1400}, 4, {{29, 52}, {500, 52}, {29, 700}, {500, 700}}},
        // Smaller than one window: the corners stay on the desktop, apart.
        {{0, 0, 400, 300}, 3, {{0, 0}, {32, 32}, {64, 64}}},
        // Too low for one: the rest still step down.
        {{0, 0, 800, 600}, 3, {{164, 0}, {32, 32}, {64, 64}}},
        {{0, 0, 1920, 1080}, 0, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sideBySide(c.desktop, window, c.count), c.places)
            << c.desktop.width() << "x" << c.desktop.height() << ", " << c.count;
}

TEST(ChannelPictureName, TheChannelGoesBeforeTheSuffix) {
    EXPECT_EQ(channelPictureName("shot.png", "A"), "shot-A.png");
    EXPECT_EQ(channelPictureName("/tmp/run.v2/bench.1.png", "I_out"),
              "/tmp/run.v2/bench.1-I_out.png");
    EXPECT_EQ(channelPictureName("/tmp/run.v2/shot", "P"), "/tmp/run.v2/shot-P");
    // The ratio of a PNG and the format stay at the end, where the name is read for them.
    EXPECT_EQ(channelPictureName("shot@2x.png", "A"), "shot-A@2x.png");
    EXPECT_EQ(channelPictureName("shot@3X.PNG", "A"), "shot-A@3X.PNG");
    EXPECT_EQ(channelPictureName("report.svg", "U1"), "report-U1.svg");
}

// The settings of a run of their own, made before the windows read them.
struct PrivateSettings {
    PrivateSettings() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    }
    QTemporaryDir dir;
};

// Two meters and the power derived from them, each in its window.
class ThreeWindows : public ::testing::Test {
protected:
    ThreeWindows() {
        a.setName("A");
        b.setName("B");
        p.setName("P");
        for (Channel* c : {&a, &b})
            windows.add(*c, {port});
        windows.add(p, {});
        windows.show();
    }
    QLabel* caption(std::size_t i) { return windows.window(i).findChild<QLabel*>("Label2"); }
    QPushButton* button(std::size_t i, const char* name) {
        return windows.window(i).findChild<QPushButton*>(name);
    }

    PrivateSettings settings;
    MemoryMeter linkA, linkB;
    Channel a{linkA}, b{linkB};
    Channel p{parseDerivation("P = A*B", '.').formula, {&a, &b}};
    PortEntry port{"COM1", "/dev/ttyUSB0", {}, {}, {}};
    std::vector<QString> boxes;
    ErrorReporter errors{[this](const QString&, const QString& text) { boxes.push_back(text); }};
    ChannelWindows windows{errors};
};

TEST_F(ThreeWindows, EachNamesItsChannelAndStandsApart) {
    const char* names[] = {"A", "B", "P"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(windows.window(i).windowTitle(),
                  QString("VELOMAX KV27500 \u2013 %1").arg(names[i]));
        EXPECT_EQ(caption(i)->text(), QString("%1: KV27500 meter display").arg(names[i]));
        // The caption is not cut: it has the room of a note.
        EXPECT_GE(caption(i)->width(),
                  caption(i)->fontMetrics().horizontalAdvance(caption(i)->text()));
        // The offscreen screen is too small for three side by side: they step, apart.
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(windows.window(i).pos(), windows.window(j).pos()) << names[i] << names[j];
        EXPECT_TRUE(
            windows.window(i).screen()->availableGeometry().contains(windows.window(i).pos()));
    }
    // The derived window's port box tells what it computes, and cannot be changed.
    auto* box = windows.window(2).findChild<QWidget*>("ComSel");
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(windows.window(2).findChild<QComboBox*>("ComSel")->currentText(), "A*B");
}

TEST_F(ThreeWindows, TheBackgroundDragsTheWindowTheChartAndTheButtonsDoNot) {
    MainWindow& w = windows.window(1);
    const QPoint before = w.pos();
    // The footer's caption is background.
    QLabel* label = caption(1);
    const QPoint at = label->rect().center();
    QTest::mousePress(label, Qt::LeftButton, {}, at);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(40, -25)),
                     QPointF(label->mapToGlobal(at + QPoint(40, -25))), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(label, &move);
    QTest::mouseRelease(label, Qt::LeftButton, {}, at + QPoint(40, -25));
    EXPECT_EQ(w.pos(), before + QPoint(40, -25));

    // The next start puts it back there; the others take their places as before.
    ChannelWindows next(errors);
    next.add(a, {port});
    next.add(b, {port});
    next.add(p, {});
    next.show();
    EXPECT_EQ(next.window(1).pos(), before + QPoint(40, -25));
    EXPECT_EQ(next.window(0).pos(), windows.window(0).pos());
    EXPECT_EQ(next.window(2).pos(), windows.window(2).pos());

    // The chart keeps its button for scrolling; the right button is the menu's.
    for (const char* control : {"Chart1", "Button1"}) {
        auto* c = w.findChild<QWidget*>(control);
        const QPoint from = w.pos();
        const QPoint on = c->rect().center();
        QTest::mousePress(c, Qt::LeftButton, {}, on);
        QMouseEvent drag(QEvent::MouseMove, QPointF(on + QPoint(30, 30)),
                         QPointF(c->mapToGlobal(on + QPoint(30, 30))), Qt::NoButton, Qt::LeftButton,
                         {});
        QApplication::sendEvent(c, &drag);
        QTest::mouseRelease(c, Qt::LeftButton, {}, on + QPoint(30, 30));
        EXPECT_EQ(w.pos(), from) << control;
    }
}

TEST_F(ThreeWindows, ExitEndsOneChannelCtrlQEndsTheProgram) {
    QSignalSpy allClosed(&windows, &ChannelWindows::allClosed);
    windows.window(0).openClick();
    windows.window(1).openClick();
    ASSERT_TRUE(a.session().poller().isActive() && b.session().poller().isActive());

    button(0, "Button2")->click();
    EXPECT_FALSE(windows.window(0).isVisible());
    EXPECT_FALSE(a.session().poller().isActive());
    EXPECT_TRUE(windows.window(1).isVisible() && windows.window(2).isVisible());
    EXPECT_TRUE(b.session().poller().isActive()) << "the other meter goes on";
    EXPECT_EQ(allClosed.count(), 0);

    // Ctrl+Q in the derived window ends every channel.
    windows.window(2).activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&windows.window(2)));
    QTest::keyClick(&windows.window(2), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(b.session().poller().isActive());
    EXPECT_FALSE(windows.window(1).isVisible() || windows.window(2).isVisible());
    EXPECT_EQ(allClosed.count(), 1);
    EXPECT_TRUE(boxes.empty());
}

// Open readings... in the one window of today, on a log of several channels: the window
// shows the first channel, and each other one opens in a window of its own, named for it.
TEST(OpenReadingsOfSeveralChannels, OpenAWindowForEachChannel) {
    PrivateSettings settings;
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("time,elapsed_s,value,unit,status,function,range,channel\n");
    for (int i = 0; i < 5; ++i) {
        const QString time = QString("2026-12-09T10:00:0%1.000+00:00,%1.000,").arg(i);
        file.write((time + QString("5.0%1,V-DC,ok,240,128,V\n").arg(i)).toUtf8());
        file.write((time + "2,A - DC,ok,168,128,I\n").toUtf8());
        if (i > 0)
            file.write((time + QString("10.0%1,W,ok,,,P\n").arg(2 * i)).toUtf8());
    }
    file.close();

    MemoryMeter link;
    Channel channel(link);
    std::vector<QString> boxes;
    ErrorReporter errors([&](const QString&, const QString& text) { boxes.push_back(text); });
    ChannelWindows windows(errors);
    MainWindow& window = windows.add(channel, {});
    windows.show();
    auto* actions = window.findChild<RecordingActions*>();
    ASSERT_TRUE(actions);
    actions->askFile = [&](const QString&, const QString&) { return path; };
    actions->openAction()->trigger();

    ASSERT_EQ(windows.size(), 3u);
    const char* names[] = {"V", "I", "P"};
    const std::size_t rows[] = {5, 5, 4};
    for (std::size_t i = 0; i < 3; ++i) {
        Channel& shown = windows.window(i).channel();
        EXPECT_TRUE(QTest::qWaitFor([&] { return shown.record().rows().size() == rows[i]; }))
            << names[i] << ": " << shown.record().rows().size();
        EXPECT_EQ(shown.name(), names[i]);
        EXPECT_EQ(windows.window(i).windowTitle(),
                  QString("VELOMAX KV27500 \u2013 %1").arg(names[i]));
        EXPECT_TRUE(windows.window(i).isVisible());
    }
    // The last reading of each is in its digits, in the derived format for P.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return windows.window(2).findChild<ValueIndicator*>("anz")->value() == 10.08f; }));
    EXPECT_EQ(windows.window(0).findChild<ValueIndicator*>("anz")->value(), 5.04f);
    EXPECT_TRUE(boxes.empty());
}

} // namespace
} // namespace kv
