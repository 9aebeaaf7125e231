// Opening a recording in the window: Ctrl+O and the menu, the chart and the displays it
// fills, a file that grows or is replaced, files that cannot be read, the round trip through
// Save readings and Cancel during a long load.
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/meter_protocol.h"
#include "record/record_files.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace kv {
namespace {

// 2026-12-08 14:03:00 in Berlin, 13:03:00 UTC.
constexpr std::int64_t kFirstMs = 1796734980000;

class OpenReadings : public test::WindowOnMemoryMeter {
protected:
    OpenReadings() {
        savedTz_ = std::getenv("TZ") ? std::getenv("TZ") : "";
        hadTz_ = std::getenv("TZ") != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        window->recordingActions().askFile = [this](const QString&, const QString&) {
            ++asked;
            return answer;
        };
        window->recordActions().askFile = [this](const RecordActions::FileQuestion&) {
            return saveAs;
        };
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~OpenReadings() override {
        window.reset();
        QLocale::setDefault(QLocale::c());
        if (hadTz_)
            setenv("TZ", savedTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    void press(QKeyCombination key) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key.key(), key.keyboardModifiers());
    }
    QString file(const char* name) { return QString::fromStdString(folder / name); }
    // Lines after the header, one every 100 ms from kFirstMs on, at 1.0, 1.5, 2.0, ...
    static std::string lines(int from, int count, const char* unit = "V-DC") {
        std::string out;
        char day[40], line[160];
        for (int i = from; i < from + count; ++i) {
            const std::int64_t ms = static_cast<std::int64_t>(i) * 100;
            const std::time_t seconds = (kFirstMs + ms) / 1000;
            std::tm t{};
            gmtime_r(&seconds, &t);
            std::strftime(day, sizeof day, "%Y-%m-%dT%H:%M:%S", &t);
            std::snprintf(line, sizeof line, "%s.%03dZ,%lld.%03d,%g,%s,ok,240,136\n", day,
                          static_cast<int>(ms % 1000), static_cast<long long>(ms / 1000),
                          static_cast<int>(ms % 1000), 1.0 + 0.5 * i, unit);
            out += line;
        }
        return out;
    }
    void write(const QString& path, const std::string& text,
               std::ios::openmode mode = std::ios::trunc) {
        std::ofstream(path.toStdString(), std::ios::binary | mode) << text;
    }
    static std::string header() { return "time,elapsed_s,value,unit,status,function,range\n"; }
    bool openedWithCtrlO(const QString& path) {
        answer = path;
        press(Qt::CTRL | Qt::Key_O);
        return QTest::qWaitFor([this] { return !window->channel.recording().loading(); }, 60000);
    }
    const Recorder& record() const { return window->recorder(); }
    // The record's readings: its rows but for the marks where the unit changes.
    std::size_t readingsKept() const {
        std::size_t n = 0;
        for (std::size_t i = 0; i < record().rows().size(); ++i)
            n += keptRow(record().rows()[i]) ? 1 : 0;
        return n;
    }
    QString footer() const { return window->label2()->text(); }

    test::TempFolder folder;
    QString answer, saveAs;
    int asked = 0;

private:
    std::string savedTz_;
    bool hadTz_ = false;
};

TEST_F(OpenReadings, CtrlOStopsPollingAndTheFileIsTheSessionOnTheClockAxis) {
    run({meterReply(240, 136, "01234"), meterReply(240, 136, "01234")});
    window->session().poller().start();
    const QString path = file("bench.csv");
    write(path, header() + lines(0, 1000) +
                    "2026-12-08T14:04:40.000+01:00,100.000,,V-DC,gap,240,136\n" + lines(1001, 233) +
                    "2026-12-08T14:05:03.400+01:00,123.400,,V-DC,overload,240,136\n" +
                    lines(1235, 2, "V-AC"));
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window->session().poller().isActive());

    ASSERT_EQ(readingsKept(), 1237u);
    EXPECT_EQ(record().rows().size(), 1237u + 1) << "a mark where the unit changes";
    const LineSeries& s = window->series1();
    EXPECT_TRUE(window->chart1()->timeAxis());
    const int n = s.pointCount();
    ASSERT_GE(n, 1237 + 1); // the change to V-AC breaks the line too
    EXPECT_EQ(n - s.breaksIn(0, n - 1), 1235) << "every reading";
    EXPECT_EQ(s.breaksIn(0, n - 1, BreakReason::brUnitChange), 1);
    EXPECT_EQ(s.timeAt(0), kFirstMs);
    EXPECT_DOUBLE_EQ(s.yAt(999), 1.0 + 0.5 * 999);
    EXPECT_EQ(s.breakReason(1000), BreakReason::brGap);
    EXPECT_EQ(s.breakReason(1234), BreakReason::brOverload);
    EXPECT_TRUE(s.isBreak(n - 3));
    EXPECT_EQ(s.unitAt(n - 2), "V-AC");
    EXPECT_EQ(s.timeAt(n - 1), kFirstMs + 1236 * 100);

    // The last reading: 1.0 + 0.5 * 1236.
    EXPECT_FLOAT_EQ(window->anz()->value(), 619.0f);
    EXPECT_FLOAT_EQ(window->analog()->value(), 619.0f);
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "V-AC");
    EXPECT_GT(window->balken()->position(), 0);
    EXPECT_EQ(footer(), "bench.csv: 1.235 readings from 08.12.2026 13:03 to 13:05");

    // The menu offers it as well.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window->label2()->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(window->label2(), &click);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << a->text();
    menu->close();
    EXPECT_TRUE(entries.contains("Open readings...")) << entries.join("|").toStdString();

    // Start returns to the meter: the chart emptied and on its index axis again.
    window->openClick();
    window->session().poller().stop();
    EXPECT_EQ(window->series1().pointCount(), 0);
    EXPECT_FALSE(window->chart1()->timeAxis());
    EXPECT_EQ(footer().indexOf("bench.csv"), -1);
    EXPECT_EQ(record().rows().size(), 0u);
}

TEST_F(OpenReadings, AGrowingFileIsFollowedAndAReplacedOneIsReadAnew) {
    const QString path = file("growing.csv");
    write(path, header() + lines(0, 5));
    ASSERT_TRUE(openedWithCtrlO(path));
    ASSERT_EQ(record().rows().size(), 5u);

    // A logger writes on, the last line not yet whole.
    const std::string more = lines(5, 3);
    write(path, more.substr(0, more.size() - 10), std::ios::app);
    EXPECT_TRUE(QTest::qWaitFor([&] { return record().rows().size() == 7; }, 5000));
    write(path, more.substr(more.size() - 10), std::ios::app);
    EXPECT_TRUE(QTest::qWaitFor([&] { return record().rows().size() == 8; }, 5000));
    EXPECT_EQ(window->series1().pointCount(), 8);
    EXPECT_FLOAT_EQ(window->anz()->value(), 4.5f);
    EXPECT_TRUE(footer().startsWith("growing.csv: 8 readings")) << footer().toStdString();

    // Truncated and begun anew: only the new rows.
    write(path, header() + lines(100, 2));
    EXPECT_TRUE(QTest::qWaitFor([&] { return record().rows().size() == 2; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->series1().pointCount() == 2; }, 5000));
    EXPECT_EQ(window->series1().timeAt(0), kFirstMs + 100 * 100);
    EXPECT_TRUE(boxes.empty());

    // Stop ends following it; its rows stay to be saved.
    window->button1Click();
    write(path, lines(102, 3), std::ios::app);
    QTest::qWait(1200);
    EXPECT_EQ(record().rows().size(), 2u);
    EXPECT_EQ(window->series1().pointCount(), 0);
    EXPECT_EQ(footer().indexOf("growing.csv"), -1);
}

// A followed file replaced by something that is no recording is told as an open of it tells,
// once; the rows read stay shown.
TEST_F(OpenReadings, AFollowedFileReplacedByWhatIsNoRecordingIsToldOnceAndItsRowsStay) {
    std::string noise(3000, '\0');
    std::uint32_t seed = 27500;
    for (char& c : noise) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    const std::pair<const char*, std::string> replacements[] = {
        {"random bytes", noise},
        {"rows without a header", lines(20, 3)},
    };
    for (const auto& [what, text] : replacements) {
        SCOPED_TRACE(what);
        boxes.clear();
        const QString path = file("followed.csv");
        write(path, header() + lines(0, 10));
        ASSERT_TRUE(openedWithCtrlO(path));
        ASSERT_EQ(record().rows().size(), 10u);
        const QString shown = footer();
        ASSERT_TRUE(shown.startsWith("followed.csv: 10 readings")) << shown.toStdString();

        // Renamed over it, as an editor saves.
        const QString other = file("other.csv");
        write(other, text);
        ASSERT_EQ(std::rename(other.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.empty(); }, 5000));
        QTest::qWait(1200); // two looks more: no second box
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(record().rows().size(), 10u);
        EXPECT_EQ(window->series1().pointCount(), 10);
        EXPECT_EQ(footer(), shown);

        // The same words as opening it.
        EXPECT_TRUE(openedWithCtrlO(path));
        ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.size() == 2; }, 5000));
        EXPECT_EQ(boxes[0], boxes[1]);
        EXPECT_EQ(record().rows().size(), 10u);
    }
}

// Rows dated before a row above them stay in the file's order, held at the latest time so far,
// and the footer says how many there are.
TEST_F(OpenReadings, RowsOutOfTimeOrderStayInFileOrderAndTheFooterCountsThem) {
    const auto row = [](const char* time, const char* value) {
        return std::string("2026-12-08T") + time + "Z," + value + ",V-DC\n";
    };
    const QString path = file("clock.csv");
    write(path, "time,value,unit\n" + row("13:00:00", "1") + row("13:01:00", "2") +
                    row("13:02:00", "3") + row("12:50:00", "4") + row("12:51:00", "5"));
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(footer(), "clock.csv: 5 readings from 08.12.2026 13:00 to 13:02; 2 rows are out of "
                        "time order");
    const LineSeries& s = window->series1();
    ASSERT_EQ(s.pointCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_DOUBLE_EQ(s.yAt(i), i + 1.0) << "in the file's order";
    EXPECT_EQ(s.timeAt(3), s.timeAt(2));
    EXPECT_EQ(s.timeAt(4), s.timeAt(2));

    // Backwards all through: one time, and every row but the first told.
    std::string back = "time,value,unit\n";
    for (int i = 0; i < 11; ++i) {
        const int t = 13 * 3600 - i * 10; // 13:00:00, 12:59:50, ... 12:58:20
        char time[16];
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", t / 3600, t / 60 % 60, t % 60);
        back += row(time, std::to_string(i).c_str());
    }
    write(path, back);
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(footer(), "clock.csv: 11 readings from 08.12.2026 13:00 to 13:00; 10 rows are out "
                        "of time order");
    write(path, "time,value,unit\n" + row("13:00:00", "1") + row("12:59:00", "2"));
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(footer(),
              "clock.csv: 2 readings from 08.12.2026 13:00 to 13:00; one row is out of time order");
}

TEST_F(OpenReadings, SavedReadingsOpenToTheSameRowsAndSaveToTheSameBytes) {
    std::vector<MemoryMeter::Reply> replies;
    for (const char* digits : {"01234", "02345", "0?234", "03456", "04567"})
        replies.push_back(meterReply(240, 136, digits));
    replies.push_back(meterReply(248, 144, "23012"));
    run(replies);
    window->button1Click();
    saveAs = file("first.csv");
    press(Qt::CTRL | Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    const std::string first = test::readFile(saveAs.toStdString());
    ASSERT_EQ(std::count(first.begin(), first.end(), '\n'), 7);

    ASSERT_TRUE(openedWithCtrlO(saveAs));
    EXPECT_EQ(readingsKept(), 6u);
    saveAs = file("again.csv");
    press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(window->recordActions().saving()) << "a file shown is saved in the background";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->recordActions().saving(); }, 10000));
    EXPECT_EQ(test::readFile(saveAs.toStdString()), first);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OpenReadings, AFileThatCannotBeReadLeavesTheWindowAsItWasAndUnreadableLinesAreTold) {
    run({meterReply(240, 136, "01234"), meterReply(240, 136, "02345")});
    window->button1Click();
    answer = QString::fromStdString(folder / "");
    press(Qt::CTRL | Qt::Key_O);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.size() == 1; }, 5000));
    EXPECT_TRUE(boxes[0].endsWith(" is a folder, not a file.")) << boxes[0].toStdString();
    EXPECT_EQ(record().rows().size(), 2u);
    EXPECT_FALSE(window->channel.recording().shown());

    const QString path = file("bad.csv");
    write(path, header() + lines(0, 2) + "2026-12-08T14:03:00.200+01:00,0.2,abc,V-DC,ok,240,136\n" +
                    lines(3, 1));
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(record().rows().size(), 3u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.size() == 2; }, 5000));
    EXPECT_EQ(boxes[1], "One line could not be read: line 4: the value 'abc' is not a number.");
}

TEST_F(OpenReadings, CancelDuringALongLoadKeepsTheWindowAsItWas) {
    run({meterReply(240, 136, "01234"), meterReply(240, 136, "02345")});
    window->session().poller().start();
    const QString path = file("month.csv");
    {
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << header();
        for (int i = 0; i < 1500; ++i)
            out << lines(i * 1000, 1000);
    }
    answer = path;
    press(Qt::CTRL | Qt::Key_O);
    QProgressDialog* progress = nullptr;
    const bool shownOrRead = QTest::qWaitFor(
        [&] {
            progress = window->findChild<QProgressDialog*>();
            return (progress && progress->isVisible()) || !window->channel.recording().loading();
        },
        20000);
    ASSERT_TRUE(shownOrRead);
    if (!window->channel.recording().loading())
        GTEST_SKIP() << "read before the progress dialog's half second was up";
    ASSERT_NE(progress, nullptr);
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->channel.recording().loading(); }, 20000));
    EXPECT_EQ(record().rows().size(), 2u);
    EXPECT_EQ(window->series1().pointCount(), 2);
    EXPECT_TRUE(window->session().poller().isActive());
    EXPECT_FALSE(window->channel.recording().shown());
    EXPECT_TRUE(boxes.empty());

    // Read to its end, the chart draws the record's rows where they are.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(openedWithCtrlO(path));
    EXPECT_EQ(record().rows().size(), 1500000u);
    EXPECT_EQ(window->series1().pointCount(), 1500000);
    EXPECT_FLOAT_EQ(window->anz()->value(), 750000.0f); // the last line's six digits
}

// A recording to compare with lies grey behind the line, from the line's start or at its own
// times; the markers' line gives the line's difference from it; another unit is refused and
// Clear reference takes it away.
TEST_F(OpenReadings, ARecordingComparedWithLiesGreyBehindTheLineUntilCleared) {
    const QString live = file("live.csv");
    write(live, header() + lines(0, 20)); // 1.0, 1.5, ... at 100 ms steps from kFirstMs
    ASSERT_TRUE(openedWithCtrlO(live));
    // 6.0, 6.5, ... from one second after the line's start.
    const QString reference = file("reference.csv");
    write(reference, header() + lines(10, 20));
    const auto greyPixels = [this] {
        return test::pixelsOfColour(window->chart1()->grab().toImage(), 0x808080);
    };
    // The grid is grey too.
    const int grid = greyPixels();
    const QImage before = window->chart1()->grab().toImage();

    answer = reference;
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    EXPECT_TRUE(boxes.empty());
    EXPECT_GT(greyPixels(), grid + 100);
    // At its start the reference is 5 above the line, all along.
    TrendChart& chart = *window->chart1();
    chart.setMarker(0);
    chart.setMarker(4);
    EXPECT_TRUE(QString::fromStdString(chart.markersText()).endsWith("Δ reference -05,000 -05,000"))
        << chart.markersText();
    EXPECT_EQ(chart.markerA(), 0) << "the markers read the line";
    EXPECT_EQ(window->series1().pointCount(), 20);

    // At its own times it begins a second later, where the line is as high as the reference.
    QAction* align = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text() == "Align at start")
            align = a;
    ASSERT_NE(align, nullptr);
    EXPECT_TRUE(align->isChecked());
    align->trigger();
    chart.clearMarkers();
    chart.setMarker(0);
    chart.setMarker(12);
    EXPECT_TRUE(QString::fromStdString(chart.markersText()).endsWith("Δ reference – 00,000"))
        << chart.markersText();

    // Another unit is refused with one message, and the reference stays.
    const QString alternating = file("ac.csv");
    write(alternating, header() + lines(0, 5, "V-AC"));
    answer = alternating;
    press(Qt::CTRL | Qt::SHIFT | Qt::Key_O);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !boxes.empty(); }, 5000));
    EXPECT_EQ(boxes[0], "ac.csv is in V-AC and the readings are in V-DC: there is nothing to "
                        "compare.");
    EXPECT_GT(greyPixels(), grid + 100);

    for (QAction* a : window->findChildren<QAction*>())
        if (a->text() == "Clear reference")
            a->trigger();
    chart.clearMarkers();
    EXPECT_EQ(window->chart1()->grab().toImage(), before) << "the chart as it was";
    EXPECT_EQ(chart.markersText().find("reference"), std::string::npos);
}

} // namespace
} // namespace kv
