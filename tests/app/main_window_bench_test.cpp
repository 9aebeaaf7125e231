// The bench functions in the window, through its keys, its menu and its dialog: hold,
// relative, limits with their band, flashing and bell, and the statistics in the footer.
#include "app/bench_actions.h"
#include "app/main_form.h"
#include "chart/chart_series.h"
#include "gauges/limit_band.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/meter_protocol.h"
#include "support/dialog_answer.h"
#include "support/test_window.h"
#include "window_on_memory_meter.h"
#include "window_pixels.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace kv {
namespace {

const QString kCaption = QString::fromUtf8(mainform::kLabel2.text);

bool near(QRgb p, ColorValue c) {
    const QColor want = QColor::fromRgb(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
    return std::abs(qRed(p) - want.red()) < 8 && std::abs(qGreen(p) - want.green()) < 8 &&
           std::abs(qBlue(p) - want.blue()) < 8;
}

class Bench : public test::WindowOnMemoryMeter {
protected:
    Bench() { startShownAndActive(); }
    QImage screen() {
        QCoreApplication::processEvents();
        return window->grab().toImage();
    }
    QRect digitsArea() const { return window->anz()->geometry(); }
    // The entries of the right-click menu on the digits, "[x] " before a checked one; the
    // one named `choose` is chosen.
    QStringList menu(const QString& choose = {}) {
        QWidget* control = window->anz();
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                control->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(control, &click);
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QStringList out;
        QAction* chosen = nullptr;
        for (QAction* a : popup ? popup->actions() : QList<QAction*>()) {
            out << (a->isChecked() ? "[x] " : "") + a->text();
            if (a->text() == choose)
                chosen = a;
        }
        if (popup)
            popup->close();
        if (chosen)
            chosen->trigger();
        return out;
    }
    // Ctrl+L, the texts typed into the dialog's fields and Enter; what the dialog said when
    // it refused them.
    QString limitsByDialog(const QString& lower, const QString& upper) {
        return test::answerDialog(
            [this] { press(Qt::CTRL | Qt::Key_L); },
            [&](QDialog& dialog) {
                for (auto [name, text] : {std::pair{"lower", lower}, {"upper", upper}}) {
                    auto* edit = dialog.findChild<QLineEdit*>(name);
                    edit->selectAll();
                    QTest::keyClicks(edit, text);
                }
                QTest::keyClick(dialog.findChild<QLineEdit*>("upper"), Qt::Key_Return);
            });
    }
};

TEST_F(Bench, HoldKeepsTheDigitsNeedleAndBarWhileTheChartGrowsAndStopLetsGo) {
    volts({"01234"});
    const QImage before = screen();
    press(Qt::CTRL | Qt::Key_H);
    volts({"03500"});
    // The bar follows the needle one reading late, as ever.
    const float needle = window->analog()->value();
    const int bar = window->balken()->position();
    EXPECT_FLOAT_EQ(needle, 1.234f);
    volts({"07000"});

    EXPECT_EQ(screen().copy(digitsArea()), before.copy(digitsArea())) << "the digits as held";
    EXPECT_FLOAT_EQ(window->analog()->value(), needle);
    EXPECT_EQ(window->balken()->position(), bar);
    ASSERT_EQ(window->series1().pointCount(), 3) << "the chart goes on with every reading";
    EXPECT_FLOAT_EQ(float(window->series1().yAt(1)), 3.5f);
    EXPECT_FLOAT_EQ(float(window->series1().yAt(2)), 7.0f);
    EXPECT_TRUE(footer().startsWith("Hold: 01,234 V-DC since ")) << footer().toStdString();
    EXPECT_TRUE(menu().contains("[x] Hold"));

    // Ctrl+H again lets go at once with the next reading.
    press(Qt::CTRL | Qt::Key_H);
    volts({"02000"});
    EXPECT_EQ(digits(), "02,000");
    EXPECT_EQ(footer(), kCaption);

    // Stop lets go of a hold too, and Start begins without one.
    press(Qt::CTRL | Qt::Key_H);
    press(Qt::Key_Escape);
    window->openClick();
    window->session().poller().stop();
    volts({"04000"});
    EXPECT_EQ(digits(), "04,000");
    EXPECT_TRUE(menu().contains("Hold"));
}

TEST_F(Bench, RelativeShowsTheSignedDifferenceUntilTheUnitChangesAndTheChartTheMeasuredValue) {
    volts({"01234"});
    press(Qt::CTRL | Qt::Key_D);
    volts({"01000"});
    EXPECT_EQ(digits(), "-00,234");
    EXPECT_NEAR(window->analog()->value(), 0.234f, 1e-4f) << "the needle: the difference's size";
    EXPECT_FLOAT_EQ(float(window->series1().yAt(1)), 1.0f);
    EXPECT_EQ(footer(), "Relative to 01,234 V-DC");
    volts({"01534"});
    EXPECT_EQ(digits(), "+00,300");
    const QImage up = screen();

    // On screen: the digits of +0,300 stand where those of a plain 0,300 stand, every one
    // inside the window, and the plus to their left.
    press(Qt::CTRL | Qt::Key_D);
    volts({"00300"});
    ASSERT_EQ(digits(), "00,300");
    const QImage plain = screen();
    const Rect r = window->anz()->valueRect();
    const QRect field =
        QRect(r.left, r.top, r.width(), r.height()).translated(digitsArea().topLeft());
    const QRect area = digitsArea().intersected(window->rect());
    const QRect digitsPlain = test::boundsOf(plain, area, test::isBlack);
    const QRect digitsUp = test::boundsOf(up, area, test::isBlack);
    EXPECT_LT(digitsPlain.right(), area.right()) << "the last digit inside the window";
    // The plus takes the room left of the field (and the digits a pixel of their size where
    // that is a little short); the digits keep their right edge and their height.
    EXPECT_NEAR(digitsUp.right(), digitsPlain.right(), 1);
    EXPECT_NEAR(digitsUp.top(), digitsPlain.top(), 1);
    EXPECT_NEAR(digitsUp.bottom(), digitsPlain.bottom(), 1);
    EXPECT_GE(digitsPlain.left(), field.left());
    const QRect left(area.left(), field.top(), field.left() - area.left(), field.height());
    EXPECT_GT(test::countPixels(up, left, test::isBlack), 100) << "the plus";
    press(Qt::CTRL | Qt::Key_D);
    volts({"00300"});
    EXPECT_EQ(digits(), "00,000") << "no sign for nothing";

    // Volts AC: a difference across units means nothing.
    link.replies.push_back(meterReply(248, 144, "23012"));
    window->timer1Timer();
    EXPECT_EQ(digits(), "230,12");
    EXPECT_EQ(footer(), "Relative mode ended: the unit changed from V-DC to V-AC");
    EXPECT_FALSE(menu().contains("[x] Relative"));
}

TEST_F(Bench, LimitsShowTheirBandFlashAboveStopInsideAndRingOncePerCrossing) {
    volts({"01000"});
    const QRect dial = window->analog()->geometry();
    const auto bandPixels = [&](ColorValue colour, double* meanX = nullptr) {
        const QImage shot = screen().copy(dial);
        int n = 0;
        double sx = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (near(shot.pixel(x, y), colour)) {
                    ++n;
                    sx += x;
                }
        if (meanX)
            *meanX = n ? sx / n : -1;
        return n;
    };
    ASSERT_EQ(bandPixels(LimitBand::kInsideColor), 0) << "no band before the limits";
    ASSERT_EQ(bandPixels(LimitBand::kOutsideColor), 0);

    EXPECT_EQ(limitsByDialog("3", "2,5"), "The lower limit 3 lies above the upper limit 2,5.");
    EXPECT_EQ(limitsByDialog("", "2,5"), "");
    QSignalSpy bells(&window->channel.bench(), &ChannelBench::bell);
    volts({"01000"});
    EXPECT_FALSE(window->analog()->flashing());
    double inside = 0, outside = 0;
    EXPECT_GT(bandPixels(LimitBand::kInsideColor, &inside), 500) << "the band on the dial";
    EXPECT_GT(bandPixels(LimitBand::kOutsideColor, &outside), 500) << "the rest marked";
    EXPECT_LT(inside, outside) << "allowed up to 2,5 of 10: the band lies on the left";

    volts({"03000", "03100", "03200"});
    EXPECT_TRUE(window->analog()->flashing());
    EXPECT_EQ(bells.count(), 1) << "once per crossing, not per reading";
    EXPECT_TRUE(footer().startsWith("Above the upper limit of 02,500 V-DC since "))
        << footer().toStdString();
    volts({"02000", "02100"});
    EXPECT_FALSE(window->analog()->flashing());
    EXPECT_EQ(footer(), kCaption);
    EXPECT_EQ(bells.count(), 1) << "a return rings no bell";
    volts({"05000"});
    EXPECT_EQ(bells.count(), 2);

    // Another unit suspends them and takes the band off; back in volts DC they hold again.
    link.replies.push_back(meterReply(248, 144, "23012"));
    window->timer1Timer();
    EXPECT_EQ(footer(), "Limits suspended: they are in V-DC, the meter shows V-AC");
    EXPECT_EQ(bandPixels(LimitBand::kInsideColor), 0);
    volts({"01000"});
    EXPECT_GT(bandPixels(LimitBand::kInsideColor), 500);
    EXPECT_EQ(window->channel.bench().limits().upper, 2.5f);
}

TEST_F(Bench, TheStatisticsInTheFooterFollowEveryReadingInTheRegionalFormat) {
    volts({"01000", "03000"});
    EXPECT_TRUE(menu("Show statistics").contains("Show statistics"));
    EXPECT_EQ(footer(), "2 readings, min 01,000 V-DC, max 03,000 V-DC, mean 02,000 V-DC");
    volts({"05000"});
    EXPECT_EQ(footer(), "3 readings, min 01,000 V-DC, max 05,000 V-DC, mean 03,000 V-DC");
    EXPECT_TRUE(menu().contains("[x] Show statistics"));
    menu("Show statistics");
    EXPECT_EQ(footer(), kCaption);
}

TEST_F(Bench, AllFourNotesAtOnceStayInsideTheWindow) {
    volts({"01000"});
    limitsByDialog("", "2,5");
    menu("Show statistics");
    volts({"03000"});
    press(Qt::CTRL | Qt::Key_D);
    volts({"03500"});
    press(Qt::CTRL | Qt::Key_H);
    volts({"03600"});

    // Hold and relative share a line; every note is there, all inside the footer's room.
    const QLabel* label = window->label2();
    EXPECT_EQ(footer().count('\n'), 2) << footer().toStdString();
    EXPECT_TRUE(footer().startsWith("Hold: +00,500 V-DC since ")) << footer().toStdString();
    for (const char* note : {"Relative to 03,000 V-DC", "Above the upper limit of 02,500 V-DC",
                             "4 readings, min 01,000 V-DC, max 03,600 V-DC, mean 02,775 V-DC"})
        EXPECT_TRUE(footer().contains(note)) << note;
    const auto inRoom = [&] {
        const QRect needed = label->fontMetrics().boundingRect(
            QRect(0, 0, label->width(), 1000), Qt::AlignLeft | Qt::TextWordWrap, footer());
        return needed.height() <= label->contentsRect().height() &&
               label->geometry().bottom() <= window->rect().bottom() &&
               label->geometry().top() > window->chart1()->geometry().bottom();
    };
    EXPECT_TRUE(inRoom());

    // Volts AC: relative ends and the limits are suspended, each saying so at length. What
    // no longer goes is marked, and the whole note heads the footer's tooltip.
    const auto tooltip = [&] {
        QHelpEvent ask(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(window->label2(), &ask);
        return label->toolTip().split('\n');
    };
    EXPECT_FALSE(tooltip().join('\n').contains("Hold"))
        << "the statistics alone while all is shown";
    link.replies.push_back(meterReply(248, 144, "23012"));
    window->timer1Timer();
    EXPECT_TRUE(inRoom());
    EXPECT_TRUE(footer().endsWith(QStringLiteral("\u2026"))) << footer().toStdString();
    EXPECT_TRUE(footer().contains("Relative mode ended: the unit changed from V-DC to V-AC"));
    const QStringList all = tooltip();
    ASSERT_GE(all.size(), 4);
    EXPECT_TRUE(all[0].startsWith("Hold: +00,500 V-DC since "));
    EXPECT_EQ(all[2], "Limits suspended: they are in V-DC, the meter shows V-AC");
    EXPECT_EQ(all[3], "1 reading, min 230,12 V-AC, max 230,12 V-AC, mean 230,12 V-AC");
    EXPECT_TRUE(all.contains("Gaps: 0, overloads: 0")) << "then the statistics";

    // All shown again: the tooltip has the statistics alone.
    press(Qt::CTRL | Qt::Key_H);
    menu("Show statistics");
    EXPECT_FALSE(footer().endsWith(QStringLiteral("\u2026"))) << footer().toStdString();
    EXPECT_FALSE(tooltip().join('\n').contains("Limits suspended"));
    EXPECT_TRUE(tooltip().join('\n').contains("Gaps: 0, overloads: 0"));
}

TEST_F(Bench, TheLimitsAndTheStatisticsSwitchAreRememberedAsTheProgramKeepsThemHoldIsNot) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    BenchMemory::attach(window->channel.bench(), {});
    volts({"01000"});
    limitsByDialog("0,5", "2");
    menu("Show statistics");
    press(Qt::CTRL | Qt::Key_H);

    window = std::make_unique<test::TestWindow>(link, std::vector<PortEntry>{}, errors);
    BenchMemory::attach(window->channel.bench(), {});
    const Limits& limits = window->channel.bench().limits();
    EXPECT_EQ(limits.lower, 0.5f);
    EXPECT_EQ(limits.upper, 2.0f);
    EXPECT_EQ(limits.unit, "V-DC");
    EXPECT_TRUE(window->channel.bench().statisticsShown());
    EXPECT_TRUE(menu().contains("Hold")) << "a hold is for one run only";

    // Limits given for one run are used, not kept.
    Limits given;
    given.upper = 7.0f;
    window = std::make_unique<test::TestWindow>(link, std::vector<PortEntry>{}, errors);
    BenchMemory::attach(window->channel.bench(), given);
    EXPECT_EQ(window->channel.bench().limits().upper, 7.0f);
    EXPECT_EQ(BenchMemory().limits().upper, 2.0f);
}

} // namespace
} // namespace kv
