// The gauges on a desktop of two screens, one at 100 % and one at 200 % (the offscreen
// platform as two_screens_main sets it up): a window moved between them draws its faces
// for the screen it is on.
#include "../main_window_meter.h"
#include "gauges/value_indicator.h"
#include "support/ratio_pictures.h"
#include "support/wait.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <gtest/gtest.h>

namespace kv {
namespace {

using namespace std::chrono_literals;

QScreen* screenOfRatio(double ratio) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->devicePixelRatio() == ratio)
            return s;
    return nullptr;
}

// Moves the window onto `screen`, shown, and runs the events until its face has been drawn
// for that screen.
bool moveTo(FaceWidget& window, QScreen* screen) {
    window.move(screen->geometry().topLeft() + QPoint(50, 50));
    window.show();
    return test::runEventsUntil(
        [&] {
            return window.screen() == screen &&
                   window.face().devicePixelRatio() == screen->devicePixelRatio() &&
                   !window.faceDirty();
        },
        10s);
}

// A face over white, at the face's ratio.
QImage onWhite(const QImage& face) {
    QImage out(face.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(face.devicePixelRatio());
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, face);
    return out;
}

class TwoScreens : public ::testing::Test {
protected:
    void SetUp() override {
        plain_ = screenOfRatio(1.0);
        doubled_ = screenOfRatio(2.0);
        ASSERT_TRUE(plain_ && doubled_) << "the test runs on two_screens.json";
    }
    QScreen* plain_ = nullptr;
    QScreen* doubled_ = nullptr;
};

TEST_F(TwoScreens, AMeterMovedToAScreenOfAnotherRatioDrawsItsFaceForIt) {
    auto m = test::mainWindowMeter();
    m->setValue(2.5f);
    ASSERT_TRUE(moveTo(*m, plain_));
    const QImage one = onWhite(m->face());
    EXPECT_EQ(one.size(), QSize(456, 248));

    ASSERT_TRUE(moveTo(*m, doubled_));
    // The dial in four pixels for each, drawn afresh.
    const QImage two = onWhite(m->face());
    EXPECT_EQ(two.size(), QSize(912, 496));
    EXPECT_GT(test::unevenBlocks(two, 2), 2000);
    EXPECT_LT(test::differingFromOneToOne(one, two), 456 * 248 / 200);
    // What the window shows is that face, at the screen's resolution.
    const QImage shown = m->grab().toImage();
    EXPECT_EQ(shown.size(), QSize(912, 496));
    EXPECT_GT(test::unevenBlocks(shown, 2), 2000);

    // A new value takes the fast path on the face at the screen's resolution.
    m->setValue(7.5f);
    EXPECT_FALSE(m->faceDirty());
    EXPECT_EQ(m->face().devicePixelRatio(), 2.0);
    EXPECT_GT(test::differingPixels(two, onWhite(m->face()), 64), 500);

    // And back: one pixel per pixel again, the needle where the value puts it.
    ASSERT_TRUE(moveTo(*m, plain_));
    EXPECT_EQ(m->face().size(), QSize(456, 248));
    EXPECT_EQ(test::facePixel(*m, test::needlePixel(*m, m->angleFor(750))), QColor(0, 255, 0));
}

TEST_F(TwoScreens, AnIndicatorMovedToAScreenOfAnotherRatioDrawsItsDigitsForIt) {
    ValueIndicator vi;
    vi.signalSettings().setValueFormat("00.000");
    FontSpec digits;
    digits.name = "Arial";
    digits.height = -40;
    digits.bold = true;
    digits.color = clLime; // on the field's black
    vi.setFontValue(digits);
    vi.loaded();
    vi.setValue(1.234f);
    ASSERT_TRUE(moveTo(vi, doubled_));
    const Rect field = vi.valueRect();
    const QImage two = onWhite(vi.face());
    ASSERT_EQ(two.size(), vi.size() * 2);
    const QRect digitsThere(field.left * 2, field.top * 2, field.width() * 2, field.height() * 2);
    EXPECT_GT(test::unevenBlocks(two, 2, digitsThere), 200);
    // The next value, drawn before the setter returns, at the screen's resolution too.
    vi.setValue(8.765f);
    const QImage next = onWhite(vi.face());
    EXPECT_GT(test::differingPixels(two, next, 64), 300);
    EXPECT_GT(test::unevenBlocks(next, 2, digitsThere), 200);

    ASSERT_TRUE(moveTo(vi, plain_));
    EXPECT_EQ(vi.face().size(), vi.size());
    EXPECT_EQ(vi.valueRect(), field) << "the layout is the same on every screen";
}

} // namespace
} // namespace kv
