// The window under a dark desktop palette: everything but the buttons and the port box
// looks exactly as under the default light one.
#include "app/error_reporter.h"
#include "app/main_window.h"
#include "app/snapshot.h"
#include "meter/meter_protocol.h"
#include "sim/memory_meter.h"
#include "support/test_window.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>

namespace kv {
namespace {

// The window after a few readings, so that the dial's unit, the bar and the chart's line and
// labels show; `darkenFirst` sets the dark palette before the window is made, else after.
// Pixels of the buttons and the port box, which may follow the desktop, are blanked.
QImage windowPicture(const QPalette* dark, bool darkenFirst) {
    if (dark && darkenFirst)
        QApplication::setPalette(*dark);
    MemoryMeter link;
    ErrorReporter errors([](const QString&, const QString&) {});
    PortEntry e;
    e.name = "COM1";
    test::TestWindow w(link, {e}, errors);
    w.session().poller().setWaitMs(0);
    if (dark && !darkenFirst)
        QApplication::setPalette(*dark);
    for (const char* d : {"01234", "05678", "03000", "09100"})
        link.replies.push_back(meterReply(240, 136, d));
    w.openClick();
    w.session().poller().stop();
    for (int i = 0; i < 4; ++i)
        w.timer1Timer();
    QCoreApplication::processEvents();
    QImage picture = SnapshotRun::capture(w);
    QPainter blank(&picture);
    for (QWidget* free :
         {static_cast<QWidget*>(w.comSel()), static_cast<QWidget*>(w.openButton()),
          static_cast<QWidget*>(w.stopButton()), static_cast<QWidget*>(w.exitButton())})
        blank.fillRect(free->geometry(), Qt::black);
    blank.end();
    return picture;
}

TEST(WindowUnderDarkPalette, LooksAsUnderTheLightOneWhetherSetBeforeOrAfterTheWindowIsMade) {
    const QPalette saved = QApplication::palette();
    const QColor grey(53, 53, 53);
    QPalette dark(Qt::white, grey, QColor(90, 90, 90), QColor(20, 20, 20), QColor(35, 35, 35),
                  Qt::white, Qt::white, QColor(25, 25, 25), grey);
    const QImage light = windowPicture(nullptr, false);
    const QImage before = windowPicture(&dark, true);
    QApplication::setPalette(saved);
    const QImage after = windowPicture(&dark, false);
    QApplication::setPalette(saved);
    EXPECT_TRUE(before == light);
    EXPECT_TRUE(after == light);
}

} // namespace
} // namespace kv
