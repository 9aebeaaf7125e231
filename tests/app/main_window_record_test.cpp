// Recording in the window, through its keys and its context menu: the file, the footer's
// count, a file that fails, the saved readings and picture, the copied reading.
#include "app/snapshot.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "record/record_files.h"
#include "window_on_memory_meter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cstdio>

namespace kv {
namespace {

const QString kCaption = QString::fromUtf8(mainform::kLabel2.text);

class Recording : public testing::WindowOnMemoryMeter {
protected:
    Recording() {
        window->askFile = [this](const MainWindow::FileQuestion& q) {
            questions.push_back(q);
            return answer;
        };
        window->openClick();
        window->poller().stop(); // polls are driven by hand
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~Recording() override {
        if (QWidget* menu = QApplication::activePopupWidget())
            menu->close();
    }

    void press(QKeyCombination key) {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }
    void poll(const MemoryMeter::Reply& reply, int times = 1) {
        for (int i = 0; i < times; ++i) {
            link.replies.push_back(reply);
            window->timer1Timer();
        }
    }
    void readings(int n, const char* digits = "01234") { poll(meterReply(240, 136, digits), n); }
    void overload() { poll(meterReply(240, 136, "0?234")); }
    QString footer() const { return window->label2()->text(); }
    // The menu a right click on `control` opens; null when none does.
    QMenu* menuOf(QWidget* control) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                control->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(control, &click);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }
    QStringList texts(const QMenu* menu) {
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? "-" : a->isEnabled() ? a->text() : "(" + a->text() + ")");
        return out;
    }

    test::TempFolder folder;
    std::vector<MainWindow::FileQuestion> questions;
    QString answer;
};

TEST_F(Recording, CtrlRAppendsEveryLaterReadingAndTheFooterCountsThemAroundOtherMessages) {
    readings(2); // before the recording: not in its file
    answer = QString::fromStdString(folder / "log.csv");
    press(Qt::CTRL | Qt::Key_R);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_FALSE(questions[0].confirmOverwrite) << "nothing in the file is replaced";
    EXPECT_EQ(footer(), "Recording to log.csv: 0 readings");

    readings(1000);
    EXPECT_EQ(footer(), "Recording to log.csv: 1.000 readings") << "German grouping";
    overload();
    EXPECT_EQ(footer(), "Overload: the meter shows OL");
    readings(1, "01500");
    EXPECT_EQ(footer(), "Recording to log.csv: 1.002 readings");

    // Stopped from the menu, whose entry now says so.
    QMenu* menu = menuOf(window->label2());
    ASSERT_NE(menu, nullptr);
    const QStringList entries = texts(menu);
    ASSERT_EQ(entries.size(), 6);
    EXPECT_TRUE(entries[0].startsWith("(1003 readings, min 1.234 V-DC, max 1.5 V-DC"))
        << "the statistics first, not to be chosen";
    EXPECT_EQ(entries.mid(1), QStringList({"-", "Stop recording", "Save readings...",
                                           "Save picture...", "Copy reading"}));
    menu->actions().at(2)->trigger();
    menu->close();
    EXPECT_EQ(footer(), kCaption);
    readings(3);

    const test::CsvRows rows = test::csvRowsOf(folder / "log.csv");
    ASSERT_EQ(rows.size(), 1u + 1002u);
    EXPECT_EQ(rows[0][0], "time");
    EXPECT_EQ(rows[1001][4], "overload");
    EXPECT_EQ(rows[1002][2], "1.5");
}

TEST_F(Recording, AFileThatFailsEndsTheRecordingWithItsReasonWhileReadingsGoOn) {
    answer = "/dev/full";
    press(Qt::CTRL | Qt::Key_R);
    EXPECT_EQ(footer(), "Cannot write /dev/full: no space left on device.");

    const std::string path = folder / "gone.csv";
    answer = QString::fromStdString(path);
    press(Qt::CTRL | Qt::Key_R);
    readings(2);
    EXPECT_EQ(footer(), "Recording to gone.csv: 2 readings");
    std::remove(path.c_str());
    readings(3);
    EXPECT_EQ(footer(), "Cannot write " + answer + ": the file was deleted.");
    EXPECT_EQ(window->series1().pointCount(), 5) << "polling goes on";
    QMenu* menu = menuOf(window->anz());
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(texts(menu).contains("Record to file..."));
    menu->close();

    // Every reading is still in memory; Ctrl+S saves them.
    answer = QString::fromStdString(folder / "saved.csv");
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(questions.back().confirmOverwrite);
    EXPECT_EQ(test::csvRowsOf(folder / "saved.csv").size(), 1u + 5u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Recording, TheSessionOutlivesStopTheReadingIsCopiedAndThePictureIsTheSnapshots) {
    readings(1, "01500");
    window->comSel()->setFocus();
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "01,500 V-DC") << "even from the port box";
    overload();
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "OL V-DC");

    // The statistics as the footer's tooltip; no menu on the chart, whose right button scrolls.
    QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), window->label2()->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(window->label2(), &tip);
    EXPECT_EQ(window->label2()->toolTip(),
              "1 reading, min 1.5 V-DC, max 1.5 V-DC, mean 1.5 V-DC, 0 gaps, 1 overload");
    EXPECT_EQ(menuOf(window->chart1()), nullptr);

    window->stopButton()->click();
    answer = QString::fromStdString(folder / "after-stop.csv");
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_EQ(test::csvRowsOf(folder / "after-stop.csv").size(), 1u + 2u);
    window->openButton()->click();
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_EQ(test::csvRowsOf(folder / "after-stop.csv").size(), 1u) << "Start begins anew";

    answer = QString::fromStdString(folder / "w.png");
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    const QImage saved(answer);
    EXPECT_EQ(saved.size(), QSize(mainform::kClientWidth, mainform::kClientHeight));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              SnapshotRun::capture(*window).convertToFormat(QImage::Format_RGB32));
}

} // namespace
} // namespace kv
