// The chart's clock axis, rolling windows, readout and markers in the real window, seen on
// its screen and driven by its keys and the mouse; the readings come from the session as
// from a meter, each dated as given.
#include "app/chart_actions.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "meter/meter_protocol.h"
#include "record/record_files.h"
#include "support/screen.h"
#include "support/test_window.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace kv {
namespace {

class ChartInWindow : public test::WindowOnMemoryMeter {
protected:
    // Started, with the readings given by hand: the chart draws what the record keeps.
    ChartInWindow() { startOnScreen(); }
    TrendChart& chart() { return *window->chart1(); }
    LineSeries& series() { return window->series1(); }

    // A reading as the session tells it, taken at t.
    void reading(double value, std::int64_t t, const char* unit = "V-DC") {
        Reading r;
        r.value = float(value);
        r.unit = unit;
        r.format = "00.000";
        r.time = t;
        emit window->session().reading(r);
    }
    // n readings, one each 100 ms from `from` on; the values climb by `step`.
    void readings(int n, std::int64_t from, double first = 1.0, double step = 0.125) {
        for (int i = 0; i < n; ++i)
            reading(first + step * i, from + 100 * i);
    }
    void press(QKeyCombination key, QWidget* to = nullptr) {
        QTest::keyClick(to ? to : window.get(), key.key(), key.keyboardModifiers());
    }
    QImage shot() {
        QApplication::processEvents();
        return test::onScreen(*window);
    }
    // The plot's inside (the frame left out), in the window.
    QRect plot() {
        const Rect r = chart().plotRect();
        return QRect(r.left + 2, r.top + 2, r.width() - 4, r.height() - 4)
            .translated(chart().pos());
    }
    // The widest run of plot columns without a pixel of the (black) line, between such ones.
    int widestGap(const QImage& img) {
        const QRect p = plot();
        int last = -1, widest = 0;
        for (int x = p.left(); x <= p.right(); ++x) {
            bool red = false;
            for (int y = p.top(); y <= p.bottom() && !red; ++y)
                red = test::isBlack(img.pixel(x, y));
            if (red) {
                if (last >= 0)
                    widest = std::max(widest, x - last - 1);
                last = x;
            }
        }
        return widest;
    }
    QPoint at(int index) {
        return QPoint(series().xPixel(index),
                      (chart().plotRect().top + chart().plotRect().bottom) / 2);
    }
    void hover(int index) { QTest::mouseMove(&chart(), at(index)); }
    QAction* action(const QString& text) {
        for (QAction* a : window->actions())
            if (a->text() == text)
                return a;
        return nullptr;
    }
    static QString clock(std::int64_t t) {
        return QDateTime::fromMSecsSinceEpoch(t).toString("HH:mm:ss.zzz");
    }

    const std::int64_t t0 = QDateTime(QDate(2026, 12, 8), QTime(14, 3, 0)).toMSecsSinceEpoch();
};

// The chart draws the record's rows where they are kept; a Start without Stop begins a new
// record while the line goes on, and Stop empties the chart while the record stays to be
// saved.
TEST_F(ChartInWindow, TheChartDrawsTheRecordItselfGoesOnPastAStartAndStopEmptiesItAlone) {
    readings(30, t0);
    EXPECT_EQ(series().pointCount(), 30);
    EXPECT_EQ(series().storageBytes(), 0u) << "no copy of the readings in the chart";
    const int inkedBefore = test::blackPixels(shot(), plot());
    EXPECT_GT(inkedBefore, 30);

    window->openClick(); // Start without Stop
    window->session().poller().stop();
    readings(20, t0 + 10000, 5.0);
    EXPECT_EQ(series().pointCount(), 50) << "the line goes on";
    EXPECT_GT(test::blackPixels(shot(), plot()), inkedBefore);
    QTemporaryDir folder;
    std::string error;
    const std::string saved = folder.filePath("saved.csv").toStdString();
    ASSERT_TRUE(window->recorder().exportCsv(saved, error)) << error;
    EXPECT_EQ(test::csvRowsOf(saved).size(), 1u + 20u) << "the record is the new session's";

    window->button1Click(); // Stop
    EXPECT_EQ(series().pointCount(), 0);
    EXPECT_EQ(test::blackPixels(shot(), plot()), 0);
    ASSERT_TRUE(window->recorder().exportCsv(saved, error)) << error;
    EXPECT_EQ(test::csvRowsOf(saved).size(), 1u + 20u) << "kept after Stop";

    window->openClick();
    window->session().poller().stop();
    readings(5, t0 + 20000, 2.0);
    EXPECT_EQ(series().pointCount(), 5);
    ASSERT_TRUE(window->recorder().exportCsv(saved, error)) << error;
    EXPECT_EQ(test::csvRowsOf(saved).size(), 1u + 5u);
}

TEST_F(ChartInWindow, CtrlTPutsClockLabelsUnderThePlotForSecondsAndHoursAndOffRestoresThePicture) {
    readings(100, t0); // ten seconds
    const QImage normal = shot();
    const int normalBottom = plot().bottom();

    press(Qt::CTRL | Qt::Key_T);
    const QImage clocked = shot();
    ASSERT_TRUE(action("Time axis") && action("Time axis")->isChecked()) << "a check mark";
    EXPECT_TRUE(chart().timeAxis());
    EXPECT_LT(plot().bottom(), normalBottom - 10) << "the plot made room for the labels";
    const QRect labels(chart().x() + 2, plot().bottom() + 4, chart().width() - 4,
                       chart().geometry().bottom() - plot().bottom() - 6);
    EXPECT_GT(test::blackPixels(clocked, labels), 100) << "labels under the plot";
    EXPECT_LE(chart().bottomAxis().clockStep(), 2000) << "ten seconds: steps of seconds";
    EXPECT_EQ(widestGap(clocked), 0) << "readings 100 ms apart stand side by side";

    press(Qt::CTRL | Qt::Key_T);
    EXPECT_FALSE(action("Time axis")->isChecked());
    EXPECT_EQ(shot(), normal) << "off: the index chart, pixel for pixel";

    // Three hours later: steps of a quarter of an hour or more.
    press(Qt::CTRL | Qt::Key_T);
    readings(10, t0 + 3 * 3600 * 1000);
    shot();
    EXPECT_GE(chart().bottomAxis().clockStep(), 15 * 60 * 1000);
    EXPECT_LE(chart().bottomAxis().clockStep(), 3600 * 1000);
}

TEST_F(ChartInWindow, ASilenceTakesItsRealLengthOnTheClockAxisAndOneStepOnTheIndexAxis) {
    readings(100, t0); // 0 .. 9.9 s
    emit window->session().silenceBegan(t0 + 10000);
    readings(100, t0 + 70000); // 70 .. 79.9 s
    ASSERT_TRUE(series().isBreak(100));
    EXPECT_EQ(series().breakReason(100), BreakReason::brGap);

    const int indexGap = widestGap(shot());
    press(Qt::CTRL | Qt::Key_T);
    const int clockGap = widestGap(shot());
    // 60 of the 79.9 seconds shown lie between the runs of readings.
    const double expected = plot().width() * 60.1 / 79.9;
    EXPECT_NEAR(clockGap, expected, 4.0);
    EXPECT_LT(indexGap, plot().width() / 30) << "a break's step or two";
}

TEST_F(ChartInWindow, TheRollingWindowFollowsTheNewestReadingOnBothAxesAndAZoomStopsIt) {
    press(Qt::CTRL | Qt::Key_T);
    readings(3000, t0); // five minutes
    press(Qt::CTRL | Qt::Key_1);
    shot();
    EXPECT_TRUE(action("Last minute")->isChecked());
    EXPECT_FALSE(action("Show all")->isChecked());
    const double newest = double(t0 + 299900);
    EXPECT_NEAR(chart().bottomAxis().maximum(), newest, 1);
    EXPECT_NEAR(chart().bottomAxis().minimum(), newest - 60000, 1);
    EXPECT_EQ(widestGap(shot()), 0) << "the last minute fills the plot";

    readings(50, t0 + 300000, 1.0 + 0.125 * 3000); // five seconds more: the window moves along
    shot();
    EXPECT_NEAR(chart().bottomAxis().maximum(), newest + 5000, 1);
    EXPECT_NEAR(chart().bottomAxis().minimum(), newest + 5000 - 60000, 1);
    EXPECT_GT(chart().leftAxis().minimum(), 250) << "Y of what is shown (from 1 V on in all)";

    // On the index axis: the last 600 readings.
    press(Qt::CTRL | Qt::Key_T);
    shot();
    EXPECT_NEAR(chart().bottomAxis().maximum(), 3049, 1);
    EXPECT_NEAR(chart().bottomAxis().minimum(), 3049 - 600, 1);

    // A zoom rectangle stops following, undoing it returns to the window.
    const QRect p = plot().translated(-chart().pos());
    QTest::mousePress(&chart(), Qt::LeftButton, {}, p.topLeft() + QPoint(40, 10));
    QTest::mouseMove(&chart(), p.center());
    QTest::mouseRelease(&chart(), Qt::LeftButton, {}, p.center());
    ASSERT_TRUE(chart().zoomed());
    const double zoomedMax = chart().bottomAxis().maximum();
    readings(10, t0 + 306000);
    shot();
    EXPECT_EQ(chart().bottomAxis().maximum(), zoomedMax);
    QTest::mousePress(&chart(), Qt::LeftButton, {}, p.center());
    QTest::mouseMove(&chart(), p.topLeft() + QPoint(10, 10));
    QTest::mouseRelease(&chart(), Qt::LeftButton, {}, p.topLeft() + QPoint(10, 10));
    EXPECT_FALSE(chart().zoomed());
    shot();
    EXPECT_NEAR(chart().bottomAxis().maximum(), 3059, 1) << "undone: the window again";
    EXPECT_NEAR(chart().bottomAxis().minimum(), 3059 - 600, 1);
}

TEST_F(ChartInWindow, TheReadoutTellsTheReadingUnderTheMouseAColumnsFiguresAndLeavesNoTrace) {
    readings(20, t0);
    press(Qt::CTRL | Qt::Key_T);
    const QImage before = shot();
    hover(5);
    EXPECT_TRUE(chart().readoutShown());
    EXPECT_EQ(QString::fromStdString(chart().readoutText()), clock(t0 + 500) + " 1,625 V-DC");
    EXPECT_NE(shot(), before) << "cursor and label drawn";

    QTest::mouseMove(window->openButton(), QPoint(5, 5));
    EXPECT_FALSE(chart().readoutShown());
    EXPECT_EQ(shot().copy(chart().geometry()), before.copy(chart().geometry()))
        << "the chart's pixels exactly as before";

    // Many readings per column on the index axis: the column's figures.
    readings(2000, t0 + 2000, 0.5, 0.0);
    reading(7.5, t0 + 202000);
    const int peak = series().pointCount() - 1;
    readings(2000, t0 + 202100, 0.5, 0.0);
    press(Qt::CTRL | Qt::Key_T);
    shot();
    QTest::mouseMove(&chart(), at(peak));
    const QString dense = QString::fromStdString(chart().readoutText());
    EXPECT_TRUE(dense.contains(" min 0,5 max 7,5 V-DC, ")) << dense.toStdString();
    EXPECT_TRUE(dense.endsWith(" readings")) << dense.toStdString();
}

TEST_F(ChartInWindow, TwoClicksGiveTheMarkersLineAndCtrlCOverThePlotCopiesItEvenFromThePortBox) {
    readings(20, t0);
    press(Qt::CTRL | Qt::Key_T);
    shot();
    QString markers;
    QObject::connect(&chart(), &TrendChart::markersChanged, [&](const QString& t) { markers = t; });
    QTest::mouseClick(&chart(), Qt::LeftButton, {}, at(2));
    QTest::mouseClick(&chart(), Qt::LeftButton, {}, at(12));
    EXPECT_EQ(chart().markerA(), 2);
    EXPECT_EQ(chart().markerB(), 12);
    // 1,25 V up over one second, eleven readings.
    EXPECT_TRUE(
        markers.startsWith(QString::fromUtf8("Δt 0:01.000 Δ 1,25 V-DC n 11 min 1,25 max 2,5")))
        << markers.toStdString();
    const QImage marked = shot();
    EXPECT_GT(
        test::countPixels(marked, plot().adjusted(0, -30, 0, 0),
                          [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60; }),
        0)
        << "the markers in blue";

    // Ctrl+C over the plot with the focus in the port box: the markers' line.
    window->comSel()->setFocus();
    window->comSel()->lineEdit()->selectAll();
    hover(15);
    QApplication::clipboard()->clear();
    press(Qt::CTRL | Qt::Key_C, window->comSel()->lineEdit());
    EXPECT_EQ(QApplication::clipboard()->text(), markers);

    // Delete clears them (from a control without text of its own); then the readout.
    window->openButton()->setFocus();
    press(Qt::Key_Delete, window->openButton());
    EXPECT_EQ(chart().markerA(), -1);
    EXPECT_TRUE(markers.isEmpty());
    press(Qt::CTRL | Qt::Key_C, window->openButton());
    EXPECT_EQ(QApplication::clipboard()->text(), clock(t0 + 1500) + " 2,875 V-DC");

    // Away from the plot Ctrl+C is the window's again: the reading as shown.
    QTest::mouseMove(window->openButton(), QPoint(5, 5));
    press(Qt::CTRL | Qt::Key_C, window->openButton());
    EXPECT_EQ(QApplication::clipboard()->text(), "03,375 V-DC");
}

// The readout and the markers write a reading in the digits of its range, as the big digits
// and Copy reading do, whatever the value axis shows; the mean and σ with one decimal more.
TEST_F(ChartInWindow, TheReadoutAndTheMarkersWriteReadingsInTheDigitsOfTheirRange) {
    run({meterReply(240, 136, "05000"), meterReply(240, 136, "05500"),
         meterReply(240, 136, "06000"), meterReply(240, 144, "06500"),
         meterReply(240, 128, "07000")});
    shot();
    const char* digits[] = {"05,000", "05,500", "06,000", "065,00", "0,7000"};
    for (int i = 0; i < 5; ++i) {
        // The first and the last stand on the plot's frame: just inside it.
        QTest::mouseMove(&chart(), at(i) + QPoint(i == 0 ? 2 : i == 4 ? -2 : 0, 0));
        const QString readout = QString::fromStdString(chart().readoutText());
        EXPECT_TRUE(readout.endsWith(QString(" ") + digits[i] + " V-DC"))
            << i << ": " << readout.toStdString();
    }
    // Away from the plot Ctrl+C copies the reading as the digits show it: the same words.
    QTest::mouseMove(window->openButton(), QPoint(5, 5));
    press(Qt::CTRL | Qt::Key_C, window->openButton());
    EXPECT_EQ(QApplication::clipboard()->text(), "0,7000 V-DC");

    QString markers;
    QObject listening; // goes before `markers`, and the connection with it
    QObject::connect(&chart(), &TrendChart::markersChanged, &listening,
                     [&](const QString& t) { markers = t; });
    QTest::mouseClick(&chart(), Qt::LeftButton, {}, at(0));
    QTest::mouseClick(&chart(), Qt::LeftButton, {}, at(2));
    EXPECT_TRUE(markers.contains(
        QString::fromUtf8("Δ 01,000 V-DC n 3 min 05,000 max 06,000 mean 05,5000 σ 00,5000")))
        << markers.toStdString();
}

TEST_F(ChartInWindow, TheTimeAxisIsRememberedAndComesBackInTheNextWindow) {
    QTemporaryDir dir;
    ChartMemory memory(dir.filePath("kv27500.conf"));
    rememberChartChoices(window->chartActions(), memory);
    EXPECT_FALSE(chart().timeAxis());
    press(Qt::CTRL | Qt::Key_T);
    EXPECT_TRUE(memory.timeAxis());

    PortEntry e;
    e.name = "COM1";
    test::TestWindow next(link, {e}, errors);
    rememberChartChoices(next.chartActions(), memory);
    EXPECT_TRUE(next.chart1()->timeAxis());
    next.chartActions().setTimeAxis(false);
    EXPECT_FALSE(memory.timeAxis());
}

} // namespace
} // namespace kv
