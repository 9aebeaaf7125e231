// Recording in the window, through its keys, its Record dialog and its context menu: the
// file, the footer's count, an interval and the conditions that begin and end a recording, a
// file that fails, the saved readings and picture, the copied reading.
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/value_indicator.h"
#include "meter/meter_protocol.h"
#include "record/record_files.h"
#include "support/dialog_answer.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kv {
namespace {

const QString kCaption = QString::fromUtf8(mainform::kLabel2.text);

class Recording : public test::WindowOnMemoryMeter {
protected:
    Recording() {
        window->recordActions().askFile = [this](const RecordActions::FileQuestion& q) {
            questions.push_back(q);
            return answer;
        };
        startShownAndActive();
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
    QString file(const char* name) { return QString::fromStdString(folder / name); }
    QString footer() const { return window->label2()->text(); }
    // Ctrl+R and the Record dialog: Browse... (which asks for `answer`), the texts typed into
    // its other fields, and Enter. What the dialog said when it refused them, after which it
    // is cancelled.
    QString recordByDialog(const QString& every = {}, const QString& start = {},
                           const QString& stop = {}) {
        const QString refused = test::answerDialog(
            [this] { press(Qt::CTRL | Qt::Key_R); },
            [&](QDialog& dialog) {
                dialog.findChild<QPushButton*>("browse")->click();
                for (auto [name, text] :
                     {std::pair{"every", every}, {"start", start}, {"stop", stop}}) {
                    auto* edit = dialog.findChild<QLineEdit*>(name);
                    edit->selectAll();
                    QTest::keyClick(edit, Qt::Key_Delete);
                    QTest::keyClicks(edit, text);
                }
                QTest::keyClick(dialog.findChild<QLineEdit*>("stop"), Qt::Key_Return);
            });
        // The window has the keys again, as the dialog closed.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return refused;
    }
    // The entries of the menu a right click on `control` opens, "(disabled)" and "-" for a
    // separator; the menu is closed again after `choose` is triggered when given.
    QStringList menuOf(QWidget* control, const QString& choose = {}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                control->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(control, &click);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QStringList out;
        for (QAction* a : menu ? menu->actions() : QList<QAction*>()) {
            out << (a->isSeparator() ? "-" : a->isEnabled() ? a->text() : "(" + a->text() + ")");
            if (a->text() == choose)
                a->trigger();
        }
        if (menu)
            menu->close();
        return out;
    }

    test::TempFolder folder;
    std::vector<RecordActions::FileQuestion> questions;
    QString answer;
};

TEST_F(Recording, CtrlRAppendsEveryLaterReadingAndTheFooterCountsThemAroundOtherMessages) {
    readings(2); // before the recording: not in its file
    answer = file("log.csv");
    EXPECT_EQ(recordByDialog(), "");
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
    const QStringList entries = menuOf(window->label2(), "Stop recording");
    ASSERT_GE(entries.size(), 8); // the chart's and the bench's entries follow
    EXPECT_TRUE(entries[0].startsWith("(1.003 readings, min 01,234 V-DC, max 01,500 V-DC"))
        << "the statistics first, in the regional format, not to be chosen: "
        << entries[0].toStdString();
    EXPECT_EQ(entries.mid(1, 7),
              QStringList({"(Gaps: 0, overloads: 1)", "-", "Open readings...", "Stop recording",
                           "Save readings...", "Save picture...", "Copy reading"}));
    EXPECT_EQ(footer(), kCaption);
    readings(3);

    const test::CsvRows rows = test::csvRowsOf(folder / "log.csv");
    ASSERT_EQ(rows.size(), 1u + 1002u);
    EXPECT_EQ(rows[1001][4], "overload");
    EXPECT_EQ(rows[1002][2], "1.5");
}

TEST_F(Recording, AFileThatFailsEndsTheRecordingWithItsReasonWhileReadingsGoOn) {
    answer = "/dev/full";
    recordByDialog();
    EXPECT_EQ(footer(), "Cannot write /dev/full: no space left on device.");

    answer = file("gone.csv");
    recordByDialog();
    readings(2);
    EXPECT_EQ(footer(), "Recording to gone.csv: 2 readings");
    // Removed, as a log rotator does: the next rows go into a new file at the name.
    QFile::remove(answer);
    readings(3);
    EXPECT_EQ(footer(), "Recording to gone.csv: 5 readings, begun anew: the file was moved, "
                        "removed or emptied");
    EXPECT_EQ(test::csvRowsOf(answer.toStdString()).size(), 1u + 3u);
    // A folder at the name takes nothing.
    QFile::remove(answer);
    ASSERT_TRUE(QDir().mkdir(answer));
    readings(1);
    EXPECT_EQ(footer(), "Cannot write " + answer + ": is a directory.");
    EXPECT_EQ(window->series1().pointCount(), 6) << "polling goes on";
    EXPECT_TRUE(menuOf(window->anz()).contains("Record to file..."));

    // Every reading is still in memory; Ctrl+S saves them.
    answer = file("saved.csv");
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(questions.back().confirmOverwrite);
    EXPECT_TRUE(window->recordActions().saving()) << "a running record is saved in the background";
    readings(1); // polling goes on meanwhile; the file holds the rows of the moment of Ctrl+S
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    EXPECT_EQ(test::csvRowsOf(folder / "saved.csv").size(), 1u + 6u);
    EXPECT_TRUE(boxes.empty());
}

// The recording waits for its start condition and ends at its stop condition, the footer
// telling which; polling goes on after it.
TEST_F(Recording, TheDialogsConditionsBeginAndEndTheRecordingAndTheFooterSaysSo) {
    answer = file("cond.csv");
    EXPECT_EQ(recordByDialog("", "above 1.5", "below 1,0"), "");
    readings(2, "01234");
    EXPECT_EQ(footer(), "Waiting: logging starts when the reading is above 01,500 V-DC");
    readings(1, "01600");
    readings(1, "01200");
    EXPECT_EQ(footer().toStdString(), "Recording to cond.csv: 2 readings, stops below 01,000 V-DC");
    readings(1, "00900");
    EXPECT_TRUE(footer().startsWith("Recording stopped: below 01,000 V-DC at "))
        << footer().toStdString();
    readings(2, "01700");
    EXPECT_EQ(window->series1().pointCount(), 7) << "polling goes on";
    EXPECT_TRUE(menuOf(window->anz()).contains("Record to file..."));
    const test::CsvRows rows = test::csvRowsOf(folder / "cond.csv");
    ASSERT_EQ(rows.size(), 1u + 3u);
    EXPECT_EQ(rows[1][2], "1.6");
    EXPECT_EQ(rows[3][2], "0.9");

    // The dialog opens on the last recording's conditions; without them nothing holds the
    // next one back.
    answer = file("plain.csv");
    EXPECT_EQ(recordByDialog(), "");
    readings(2, "01234");
    EXPECT_EQ(footer(), "Recording to plain.csv: 2 readings");
}

// Every N seconds: one row per interval with the figures of its readings.
TEST_F(Recording, TheDialogsIntervalSumsUpTheReadingsAndWhatItCannotReadIsRefused) {
    answer = file("every.csv");
    EXPECT_EQ(recordByDialog("0", "", ""),
              "Every needs a number of seconds from 0.5 to 86400, or nothing for every reading");
    EXPECT_EQ(recordByDialog("", "above", ""), "Start when: above needs a value");
    EXPECT_EQ(recordByDialog("", "", "V:below 3"),
              "V:below 3 names a channel: a window records its own, so leave the name out");
    EXPECT_EQ(recordByDialog("", "outside 2 1", ""),
              "Start when: outside's LOW 2 lies above its HIGH 1");
    EXPECT_FALSE(QFile::exists(answer)) << "nothing begun";
    EXPECT_EQ(footer(), kCaption);

    EXPECT_EQ(recordByDialog("3600", "", ""), "");
    for (const char* digits : {"01000", "02000", "06000"})
        readings(1, digits);
    press(Qt::CTRL | Qt::Key_R); // stops: the interval under way gives its row
    const test::CsvRows rows = test::csvRowsOf(folder / "every.csv");
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_GE(rows[0].size(), 3u);
    EXPECT_EQ(rows[0][rows[0].size() - 3], "min");
    EXPECT_EQ(rows[1][2], "3") << "the mean of 1, 2 and 6";
    EXPECT_EQ(rows[1][rows[1].size() - 3], "1");
    EXPECT_EQ(rows[1][rows[1].size() - 2], "6");
    EXPECT_EQ(rows[1][rows[1].size() - 1], "3");
}

// Ctrl+Shift+N and the dialog: the note stands at the newest reading's time in the file being
// recorded, in the saved readings under a column of its own, and comes back with the file,
// which saves again byte for byte; an empty or too long text is refused with the reason.
TEST_F(Recording, ANoteGoesIntoTheFilesAndComesBackWithThem) {
    window->recordingActions().askFile = [this](const QString&, const QString&) { return answer; };
    const auto note = [this](const QString& text) {
        const QString refused =
            test::answerDialog([this] { press(Qt::CTRL | Qt::SHIFT | Qt::Key_N); },
                               [&](QDialog& dialog) {
                                   auto* edit = dialog.findChild<QLineEdit*>("note");
                                   edit->setText(text); // pasted: typing stops at nothing either
                                   QTest::keyClick(edit, Qt::Key_Return);
                               });
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return refused;
    };
    answer = file("log.csv");
    EXPECT_EQ(recordByDialog(), "");
    readings(1, "01234");
    readings(1, "01500");
    EXPECT_EQ(note("   "), "A note needs a text");
    EXPECT_EQ(note(QString(201, QChar(0x3a9))),
              "A note holds at most 200 characters; this one has 201")
        << "characters, not bytes";
    const auto green = [this] {
        return test::pixelsOfColour(window->chart1()->grab().toImage(), 0x008000);
    };
    EXPECT_EQ(green(), 0);
    EXPECT_EQ(note(QString("probe, \"moved\"")), "");
    EXPECT_GT(green(), 10) << "a flag on the chart";
    TrendChart& chart = *window->chart1();
    chart.setMarker(0);
    chart.setMarker(1);
    EXPECT_TRUE(
        QString::fromStdString(chart.markersText()).endsWith("\u201Cprobe, \"moved\"\u201D"))
        << chart.markersText();
    chart.clearMarkers();
    readings(1, "01600");
    press(Qt::CTRL | Qt::Key_R); // stops recording

    // The log began without notes: its header stays, and the note's line ends with the text.
    const test::CsvRows log = test::csvRowsOf(folder / "log.csv");
    ASSERT_EQ(log.size(), 1u + 4u);
    EXPECT_EQ(log[0].back(), "range");
    EXPECT_EQ(log[3][4], "note");
    EXPECT_EQ(log[3][0], log[2][0]) << "at the newest reading's time";
    EXPECT_EQ(log[3][2], "");
    EXPECT_EQ(log[3].back(), "probe, \"moved\"");
    EXPECT_EQ(log[4][2], "1.6");

    answer = file("saved.csv");
    press(Qt::CTRL | Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    const test::CsvRows saved = test::csvRowsOf(folder / "saved.csv");
    ASSERT_EQ(saved.size(), 1u + 4u);
    EXPECT_EQ(saved[0].back(), "note");
    EXPECT_EQ(saved[1].back(), "");
    EXPECT_EQ(saved[3], std::vector<std::string>({log[3][0], log[3][1], "", "V-DC", "note", "240",
                                                  "136", "probe, \"moved\""}));

    // A file whose note holds a line end, opened and saved again.
    const test::TimeZone berlin("Europe/Berlin");
    const std::string written = "time,elapsed_s,value,unit,status,function,range,note\n"
                                "2026-12-08T14:03:00.000+01:00,0.000,1.5,V-DC,ok,240,136,\n"
                                "2026-12-08T14:03:00.000+01:00,0.000,,V-DC,note,240,136,"
                                "\"load on, \"\"5 A\"\"\nprobe at TP3\"\n"
                                "2026-12-08T14:03:00.100+01:00,0.100,1.75,V-DC,ok,240,136,\n";
    test::writeFile(folder / "noted.csv", written);
    window->stopButton()->click();
    answer = file("noted.csv");
    press(Qt::CTRL | Qt::Key_O);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->channel.recording().loading(); }, 10000));
    ASSERT_EQ(window->recorder().notes().size(), 1u);
    EXPECT_EQ(window->recorder().notes()[0].text, "load on, \"5 A\"\nprobe at TP3");
    EXPECT_EQ(window->series1().pointCount(), 2) << "a note is no point of the line";
    EXPECT_GT(green(), 10) << "its flag on the reopened chart";
    answer = file("again.csv");
    press(Qt::CTRL | Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    EXPECT_EQ(test::readFile(folder / "again.csv"), written);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Recording, TheSessionOutlivesStopTheReadingIsCopiedAndThePictureSaved) {
    readings(1, "01500");
    window->comSel()->setFocus();
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "01,500 V-DC") << "even from the port box";
    overload();
    press(Qt::CTRL | Qt::Key_C);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "OL V-DC");

    EXPECT_TRUE(menuOf(window->chart1()).isEmpty()) << "its right button scrolls";

    window->stopButton()->click();
    answer = file("after-stop.csv");
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    EXPECT_EQ(test::csvRowsOf(folder / "after-stop.csv").size(), 1u + 2u);
    window->openButton()->click();
    press(Qt::CTRL | Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    EXPECT_EQ(test::csvRowsOf(folder / "after-stop.csv").size(), 1u) << "Start begins anew";

    answer = file("w.png");
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    EXPECT_EQ(QImage(answer).size(), QSize(mainform::kClientWidth, mainform::kClientHeight));
}

} // namespace
} // namespace kv
