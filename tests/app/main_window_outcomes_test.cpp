// What the window shows for each thing the meter can tell: a silence, an overload, a reading
// beyond the needle's scale or wider than the digits' field, and a port that will not open.
#include "app/error_reporter.h"
#include "app/main_form.h"
#include "app/main_window.h"
#include "app/simulated_meter.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/flash_timer.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/meter_protocol.h"
#include "serial/serial_link.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <tuple>

namespace kv {
namespace {

const QString kCaption = QString::fromUtf8(mainform::kLabel2.text);

using test::countPixels;
using test::isBlack;

bool isGrey(QRgb p) {
    return qRed(p) == 128 && qGreen(p) == 128 && qBlue(p) == 128;
}
bool isRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

// The part of the window the indicator shows.
QRect digitsArea() {
    const ControlForm& anz = mainform::kAnz;
    return QRect(anz.left, anz.top, mainform::kClientWidth - anz.left, 70);
}

// What the window's session told, in order, heard after the window has shown it.
struct Told {
    enum Kind { Reading, Overload, Silence } kind;
    std::int64_t timeMs;
    std::string unit;
    int function, range;
};

class Outcomes : public test::WindowOnMemoryMeter {
protected:
    Outcomes() {
        MeterSession& s = window->session();
        QObject::connect(&s, &MeterSession::reading, [this](const kv::Reading& r) {
            outcomes.push_back({Told::Reading, r.time, r.unit, r.function, r.range});
        });
        QObject::connect(&s, &MeterSession::overload, [this](const kv::Reading& r) {
            outcomes.push_back({Told::Overload, r.time, r.unit, r.function, r.range});
        });
        QObject::connect(&s, &MeterSession::silenceBegan, [this](qint64 since) {
            outcomes.push_back({Told::Silence, since, {}, 0, 0});
        });
        window->show();
    }

    QImage screen() {
        QCoreApplication::processEvents();
        return window->grab().toImage();
    }
    QString footer() const { return window->label2()->text(); }
    LineSeries& series() { return window->series1(); }

    std::vector<Told> outcomes;
};

TEST_F(Outcomes, ASilenceGreysTheDigitsBreaksTheLineOnceAndSaysSinceWhenTillTheNextReading) {
    // The real wait, since a silence is a matter of time: a second is ten unanswered polls.
    window->session().poller().setWaitMs(MeterPoller::kWaitMs);
    const QImage normal = screen();
    const QRect footerArea(0, 607, 370, 41);
    link.replies.push_back(meterReply(240, 136, "01234"));
    for (int i = 0; i < 3; ++i)
        link.replies.push_back({}); // too short to be a silence
    link.replies.push_back(meterReply(240, 136, "01500"));
    for (int i = 0; i < 13; ++i)
        link.replies.push_back({});
    link.replies.push_back(meterReply(240, 136, "05000"));

    QImage silentScreen;
    QString silentFooter;
    std::int64_t toldAt = 0;
    window->openClick();
    QElapsedTimer t;
    t.start();
    while (window->readings() < 3 && t.elapsed() < 8000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (silentScreen.isNull() && outcomes.size() == 3) {
            toldAt = QDateTime::currentMSecsSinceEpoch();
            EXPECT_EQ(series().pointCount(), 3) << "two readings and one break, nothing else";
            silentScreen = screen();
            silentFooter = footer();
        }
    }
    window->session().poller().stop();
    ASSERT_EQ(outcomes.size(), 4u);
    const Told& silence = outcomes[2];
    ASSERT_EQ(silence.kind, Told::Silence);
    EXPECT_EQ(window->readings(), 3);

    // It began with the request right after the last reply, and is told a second later.
    EXPECT_LT(std::abs(silence.timeMs - outcomes[1].timeMs), 100);
    EXPECT_GE(toldAt - silence.timeMs, MeterSession::kSilenceMs);
    EXPECT_EQ(silentFooter,
              "No reply from the meter since " +
                  QDateTime::fromMSecsSinceEpoch(silence.timeMs).toString("HH:mm:ss"));
    EXPECT_GT(countPixels(silentScreen, digitsArea(), isGrey), 500);
    EXPECT_EQ(countPixels(silentScreen, digitsArea(), isBlack), 0);
    // One null point, at the last value so that the axis keeps its range.
    EXPECT_EQ(series().pointColor(2), clNone);
    EXPECT_FLOAT_EQ(static_cast<float>(series().yAt(2)), 1.5f);

    // The next reading puts everything back as it was.
    const QImage back = screen();
    EXPECT_EQ(countPixels(back, digitsArea(), isGrey), 0);
    EXPECT_GT(countPixels(back, digitsArea(), isBlack), 500);
    EXPECT_EQ(back.copy(footerArea), normal.copy(footerArea)) << "the footer as it was";
}

TEST_F(Outcomes, AnOverloadShowsOLPinsAndFlashesTheNeedleFillsTheBarAndBreaksTheLine) {
    run({meterReply(240, 136, "02345")});
    const int digitsOfAReading = countPixels(screen(), digitsArea(), isBlack);
    run({meterReply(160, 230, "0?000")});

    EXPECT_FLOAT_EQ(window->anz()->value(), 2.345f) << "the value is not replaced by a 0";
    EXPECT_EQ(window->analog()->signalSettings().valueUnit(), "Hz") << "the function's unit";
    EXPECT_TRUE(window->analog()->flashing());
    EXPECT_EQ(window->balken()->position(), window->balken()->max());
    // The unit changed with the function: that breaks the line, then the overload does.
    ASSERT_EQ(series().pointCount(), 3);
    EXPECT_EQ(series().breakReason(1), BreakReason::brUnitChange);
    EXPECT_EQ(series().pointColor(2), clNone);
    EXPECT_EQ(series().breakReason(2), BreakReason::brOverload);
    EXPECT_EQ(footer(), "Overload: the meter shows OL");
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].kind, Told::Overload);
    EXPECT_EQ(std::tie(outcomes[1].unit, outcomes[1].function, outcomes[1].range),
              std::make_tuple(std::string("Hz"), 160, 230));

    // On screen: two letters where five digits stood, and the needle at 3 o'clock in the
    // flash colour.
    for (int i = 0; i < 16; ++i)
        FlashTimer::instance().tick();
    const QImage shot = screen();
    const int letters = countPixels(shot, digitsArea(), isBlack);
    EXPECT_GT(letters, 300);
    EXPECT_LT(letters, digitsOfAReading * 2 / 3);
    const Rect pr = window->analog()->pointerRect();
    const QPoint pivot = window->analog()->pos() +
                         QPoint((pr.left + pr.right) / 2, pr.top + (pr.right - pr.left) / 2);
    EXPECT_GT(countPixels(shot, QRect(pivot.x() + 20, pivot.y() - 3, 120, 7), isRed), 150);
    EXPECT_EQ(countPixels(shot, QRect(pivot.x() - 150, pivot.y() - 150, 140, 140), isRed), 0);

    // The next reading ends it all.
    run({meterReply(240, 136, "02345")});
    EXPECT_EQ(countPixels(screen(), digitsArea(), isBlack), digitsOfAReading);
    EXPECT_FALSE(window->analog()->flashing());
    EXPECT_EQ(footer(), kCaption);
}

// A reply that is not whole, or does not start with the echoed request, shows nothing; five
// in a row are told until a good reading. A pair of codes without a row still reaches the
// displays, but counts towards the run.
TEST_F(Outcomes, GarbledRepliesChangeNothingOnScreenAndFiveInARowAreToldTillAGoodReading) {
    run({meterReply(240, 136, "01234")});
    const QImage before = screen();
    const QRect chartArea = window->chart1()->geometry();
    // One session: each poll by hand, so that Start does not begin a new one.
    const auto poll = [this](const MemoryMeter::Reply& reply) {
        link.replies.push_back(reply);
        window->timer1Timer();
    };
    poll({137, 248, 128, 0, 0, '5', '6'});
    poll({0, 137, 248, 128, 0, 0, '5', '6', '7', '8', '9', 0});
    poll({137, 248, 128, 0, 0, '5', '6'});
    poll({'7', '8', '9', 0, 0});
    const QImage garbled = screen();
    EXPECT_EQ(garbled.copy(digitsArea()), before.copy(digitsArea()));
    EXPECT_EQ(garbled.copy(chartArea), before.copy(chartArea));
    EXPECT_EQ(series().pointCount(), 1);
    EXPECT_EQ(footer(), kCaption) << "four are not yet told";
    EXPECT_EQ(window->readings(), 1);

    poll(meterReply(240, 160, "05678")); // no row for this pair
    EXPECT_EQ(footer(), "The meter's replies are garbled: check the cable");
    EXPECT_EQ(window->readings(), 2) << "shown as the displays show such a pair";

    poll(meterReply(240, 136, "01500"));
    EXPECT_EQ(footer(), kCaption);
    EXPECT_FLOAT_EQ(window->anz()->value(), 1.5f);
    EXPECT_NE(window->recorder().summary().find(", 5 garbled replies"), std::string::npos)
        << window->recorder().summary();
}

TEST_F(Outcomes, AReadingBeyondTheNeedlesScaleFlashesAndAWideOneShowsEveryDigit) {
    run({meterReply(224, 128, "50000"), meterReply(225, 128, "01234")});
    ASSERT_EQ(window->anz()->valueText(), "1234,00");
    EXPECT_EQ(window->analog()->signalSettings().valueTo(), 1000.0f);
    EXPECT_TRUE(window->analog()->flashing());
    EXPECT_EQ(footer(), "Beyond the needle's full scale of 1000");

    // The whole text, right-aligned where the field ends, on the field colour: the field
    // grew into the free width to its left, on the window as it is seen.
    const QImage shot = screen();
    const Rect vr = window->anz()->valueRect();
    QImage scratch(1, 1, QImage::Format_RGB32);
    const int width = [&] {
        Canvas c(scratch);
        c.setFont(window->anz()->fontValue());
        return c.textWidth("1234,00");
    }();
    ASSERT_GT(width, vr.width());
    Bitmap expected(width, vr.height());
    {
        Canvas c(expected);
        c.fillRect(Rect{0, 0, width, vr.height()}, kFormColor);
        c.setFont(window->anz()->fontValue());
        c.setBackMode(BackMode::Transparent);
        c.textOut(0, 0, "1234,00");
    }
    const QPoint at = window->anz()->pos() + QPoint(vr.right - width, vr.top);
    ASSERT_LE(at.x() + width, mainform::kClientWidth) << "the digits are within the window";
    EXPECT_EQ(shot.copy(QRect(at, QSize(width, vr.height()))).convertToFormat(QImage::Format_RGB32),
              expected.image());

    // Back within the scale and the field: the footer's caption, and no pixel of the wider
    // text left beside the field.
    run({meterReply(224, 128, "50000")});
    EXPECT_FALSE(window->analog()->flashing());
    EXPECT_EQ(footer(), kCaption);
    const QImage after = screen();
    const int f = window->anz()->metrics().valueHeight / 3;
    const QRect beside(window->anz()->x(), vr.top + window->anz()->y(), vr.left - f, vr.height());
    EXPECT_EQ(countPixels(after, beside, isBlack), 0);
}

// The window on real ports through the serial link.
class OpenFailures : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        meter = startSimulatedMeter(QString(), &error);
        ASSERT_TRUE(meter) << error;
    }
    void TearDown() override {
        windows.clear();
        links.clear();
        meter->stop();
    }

    test::TestWindow& makeWindow(const std::vector<PortEntry>& entries) {
        const PortTable table(entries, {});
        links.push_back(std::make_unique<SerialLink>(table));
        windows.push_back(
            std::make_unique<test::TestWindow>(*links.back(), table.entries(), errors));
        test::TestWindow& w = *windows.back();
        w.session().poller().setWaitMs(60);
        return w;
    }
    static void start(test::TestWindow& w, int port) {
        w.comSel()->setEditText(QString::number(port));
        w.openClick();
    }
    static bool runUntil(const std::function<bool()>& done) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    std::unique_ptr<sim::MeterSimulator> meter;
    std::vector<std::unique_ptr<SerialLink>> links;
    std::vector<std::unique_ptr<test::TestWindow>> windows;
    ErrorReporter errors{[](const QString&, const QString&) {}};
};

TEST_F(OpenFailures, TheFooterSaysWhyUntilAStartThatWorks) {
    QTemporaryDir dir;
    const std::string missing = "/dev/ttyUSB-kv27500-missing";
    const std::string folder = dir.path().toStdString();
    test::TestWindow& w =
        makeWindow({PortTable::describeDevice(missing), PortTable::describeDevice("/dev/null"),
                    PortTable::describeDevice(folder), simulatedMeterPort(*meter)});
    w.show();
    const std::pair<int, std::string> cases[] = {
        {1, "Cannot open " + missing + ": no such device."},
        {2, "Cannot open /dev/null: not a serial port."},
        {3, "Cannot open " + folder + ": not a serial port."},
    };
    for (const auto& [port, text] : cases) {
        start(w, port);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(w.label2()->text().toStdString(), text) << "it stays";
        // The whole sentence is in view, on two lines at most, beside Exit.
        EXPECT_LE(w.label2()->fontMetrics().horizontalAdvance(w.label2()->text()),
                  2 * w.label2()->width());
        EXPECT_LE(w.label2()->geometry().right(), w.exitButton()->geometry().left());
    }

    start(w, 4);
    EXPECT_EQ(w.label2()->text(), kCaption);
    EXPECT_EQ(w.label2()->geometry(), QRect(8, 618, 132, 14));
    EXPECT_TRUE(runUntil([&] { return w.readings() > 0; }));
}

TEST_F(OpenFailures, ASecondWindowOnThePortInUseIsToldSoAndTheFirstKeepsReading) {
    test::TestWindow& first = makeWindow({simulatedMeterPort(*meter)});
    test::TestWindow& second = makeWindow({simulatedMeterPort(*meter)});
    start(first, 1);
    ASSERT_TRUE(runUntil([&] { return first.readings() >= 2; }));

    start(second, 1);
    EXPECT_EQ(second.cycle().openResult, 0);
    EXPECT_EQ(second.label2()->text().toStdString(),
              "Cannot open " + meter->linkPath() + ": in use by another program.");
    const int before = first.readings();
    EXPECT_TRUE(runUntil([&] { return first.readings() >= before + 3; }));
    EXPECT_EQ(first.label2()->text(), kCaption);
}

} // namespace
} // namespace kv
