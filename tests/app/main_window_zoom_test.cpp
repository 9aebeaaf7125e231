// The window's zoom and its full-screen readout, in the program's window on the in-memory
// meter: what the screen and the readout show. (The keys on a real X server, the size kept
// across runs and the readout read by OCR: tests/app/zoom/run_zoom.sh.)
#include "app/full_screen_readout.h"
#include "app/main_form.h"
#include "app/readout_widget.h"
#include "app/window_zoom.h"
#include "channel/channel.h"
#include "gauges/analog_gauge.h"
#include "gauges/flash_timer.h"
#include "meter/meter_protocol.h"
#include "window_on_memory_meter.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace kv {
namespace {

TEST(ZoomFit, TheLargestListedSizeThatFitsIsUsedAndTheSmallestWhenNoneDoes) {
    const QSize base(471, 648);
    EXPECT_EQ(WindowZoom::fittingPercent(300, base, QSize(1920, 1080)), 150);
    EXPECT_EQ(WindowZoom::fittingPercent(125, base, QSize(1920, 1080)), 125);
    EXPECT_EQ(WindowZoom::fittingPercent(300, base, QSize(3840, 2160)), 300);
    // 589 x 810 at 125 %: fits exactly, one pixel less does not.
    EXPECT_EQ(WindowZoom::fittingPercent(300, base, QSize(589, 810)), 125);
    EXPECT_EQ(WindowZoom::fittingPercent(300, base, QSize(589, 809)), 100);
    EXPECT_EQ(WindowZoom::fittingPercent(300, base, QSize(800, 600)), 100);
    EXPECT_EQ(WindowZoom::fittingPercent(100, base, QSize(3840, 2160)), 100);
}

// The form on a bare window, as the program's window makes it, at 100 % and zoomed.
class ZoomedForm : public ::testing::Test {
protected:
    ZoomedForm() {
        applyWindowForm(window);
        controls = createMainForm(window);
        controls.anz->setValue(12.5f);
    }
    QImage picture() {
        QCoreApplication::processEvents();
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QWidget window;
    MainFormControls controls;
};

TEST_F(ZoomedForm, EveryControlGrowsAtItsPlaceAndTheFacesAreDrawnAtTheZoom) {
    // The indicator as a screen of ratio 2 shows it at 100 %.
    const QImage atRatio = controls.anz->renderFace(2.0).copy();
    const QRect meterAt100 = controls.analog->geometry();

    placeMainForm(window, controls, 2.0);
    EXPECT_EQ(window.size(), QSize(942, 1296));
    EXPECT_EQ(controls.analog->geometry(), QRect(16, 160, 912, 496));
    EXPECT_EQ(controls.button2->geometry(), QRect(744, 1224, 184, 50));
    EXPECT_EQ(controls.label1->font().pixelSize(), 22);
    EXPECT_EQ(controls.analog->clientRect().right, meterAt100.width()) << "face pixels stay";
    const QImage zoomed = controls.anz->renderFace(1.0);
    EXPECT_EQ(zoomed.size(), atRatio.size());
    EXPECT_TRUE(zoomed == atRatio) << "drawn at the zoom, as at a ratio: not enlarged";

    // 125 %: the edges of the places are scaled, not the sizes, so that the bar and the
    // chart keep their one pixel between them (343 and 344 at 100 %).
    placeMainForm(window, controls, 1.25);
    EXPECT_EQ(window.size(), QSize(589, 810));
    EXPECT_EQ(controls.balken->geometry().bottom() + 1, 429);
    EXPECT_EQ(controls.chart1->geometry().top(), 430);
    // Where a caption's font rounds up faster than its place, all of it still shows.
    for (double zoom : {1.25, 1.5, 2.0, 2.5, 3.0}) {
        placeMainForm(window, controls, zoom);
        for (QLabel* label : {controls.label1, controls.label2})
            EXPECT_GE(label->contentsRect().width(),
                      label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString() << " at " << zoom;
    }
}

TEST_F(ZoomedForm, BackAt100EveryPixelIsAsBefore) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage before = picture();
    placeMainForm(window, controls, 3.0);
    EXPECT_EQ(picture().size(), QSize(1413, 1944));
    placeMainForm(window, controls, 1.0);
    const QImage after = picture();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == before);
}

class ZoomedWindow : public test::WindowOnMemoryMeter {
protected:
    ZoomedWindow() { startShownAndActive(); }
    ReadoutWidget* readoutWidget() const {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* r = qobject_cast<ReadoutWidget*>(w))
                return r;
        return nullptr;
    }
};

TEST_F(ZoomedWindow, ASizeBeyondTheScreenFallsBackAndTheFooterSaysSoForAWhile) {
    // The offscreen screen is 800 x 600: not even 100 % fits, which is what is left.
    QSignalSpy changed(&window->zoom(), &WindowZoom::zoomChanged);
    window->zoom().setPercent(200);
    EXPECT_EQ(window->zoom().percent(), 100);
    EXPECT_EQ(window->size(), QSize(471, 648));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(window->label2()->text(), "Size reduced to 100 % to fit the screen");
    // A note of the channel goes first.
    volts({"01234"});
    window->channel.bench().toggleHold(0);
    EXPECT_TRUE(window->label2()->text().startsWith("Hold"))
        << window->label2()->text().toStdString();
}

TEST_F(ZoomedWindow, TheReadoutFollowsTheReadingsAndStatusAndLeavesWithoutStopping) {
    volts({"01234"});
    FullScreenReadout& readout = window->readout();
    readout.enter();
    ReadoutWidget* shown = readoutWidget();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(window->isVisible());
    const ReadoutModel& m = shown->model();
    EXPECT_EQ(m.digits(), "01,234");
    EXPECT_EQ(m.unit(), "V-DC");
    EXPECT_TRUE(m.status().isEmpty());
    EXPECT_EQ(m.digitsColor(), clBlack);

    volts({"02500"});
    EXPECT_EQ(m.digits(), "02,500");
    window->channel.bench().toggleHold(0);
    volts({"03000"});
    EXPECT_EQ(m.digits(), "02,500") << "held, as the window holds it";
    ASSERT_EQ(m.status().size(), 1);
    EXPECT_EQ(m.status().front(), window->channel.notes().note(StatusNotes::Slot::bench));
    window->channel.bench().toggleHold(0);

    // Above a limit the needle flashes, and the digits with it.
    Limits limits;
    limits.upper = 2.5f;
    limits.unit = "V-DC";
    window->channel.bench().setLimits(limits);
    volts({"03000"});
    ASSERT_TRUE(window->analog()->flashing());
    std::set<ColorValue> colours;
    for (int tick = 0; tick < 64; ++tick) {
        FlashTimer::instance().tick();
        colours.insert(m.digitsColor());
    }
    EXPECT_EQ(colours,
              (std::set<ColorValue>{AnalogGauge::kFlashColorOn, AnalogGauge::kFlashColorOff}));
    EXPECT_TRUE(m.status().join("\n").contains("Above the upper limit"));
    volts({"01000"});
    EXPECT_EQ(m.digitsColor(), clBlack) << "back inside: steady";

    // Escape leaves the readout and does not Stop: the digits stay, the next reading shows.
    QTest::keyClick(shown, Qt::Key_Escape);
    EXPECT_FALSE(readout.shown());
    EXPECT_FALSE(shown->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(QString::fromStdString(window->anz()->fieldText()), "01,000");
    volts({"04321"});
    EXPECT_EQ(QString::fromStdString(window->anz()->fieldText()), "04,321");
    EXPECT_EQ(m.digits(), "01,000") << "hidden, it no longer follows";
    readout.enter();
    EXPECT_EQ(m.digits(), "04,321") << "shown again, it shows the reading of now";
    QTest::keyClick(shown, Qt::Key_F11);
    EXPECT_FALSE(readout.shown());
}

} // namespace
} // namespace kv
