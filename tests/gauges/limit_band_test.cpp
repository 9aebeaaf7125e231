#include "gauges/flash_timer.h"
#include "gauges/limit_band.h"
#include "main_window_meter.h"

#include <gtest/gtest.h>

#include <set>

namespace kv {
namespace {

using test::facePixel;
using test::mainWindowMeter;
using test::needlePixel;

QColor colorOf(ColorValue c) {
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

// The middle of the sector band at a per-mille position of the scale.
Point bandPixel(const RoundMeter& m, int ppt) {
    const Rect& pr = m.pointerRect();
    const int w = pr.right - pr.left;
    const Rect s = shrinkRect({pr.left, pr.top, pr.right, pr.top + w},
                              m.scaleSettings().tickLength() + m.sectorSettings().offset());
    const int b = s.width() / 10;
    const Point centre{s.left + s.width() / 2, s.top + s.height() / 2};
    const Point up{centre.x, s.top + b / 2};
    return rotatePoint(up, centre, m.startAngle() + m.angleFor(ppt));
}

const QColor inside = colorOf(LimitBand::kInsideColor);
const QColor outside = colorOf(LimitBand::kOutsideColor);

TEST(LimitBandLook, TheDialShowsTheAllowedBandAndMarksTheRest) {
    struct Case {
        std::optional<float> lower, upper;
        QColor at100, at400, at800;
    } cases[] = {
        {2.0f, 6.0f, outside, inside, outside},
        {std::nullopt, 6.0f, inside, inside, outside},
        {2.0f, std::nullopt, outside, inside, inside},
        {5.0f, 20.0f, outside, outside, inside}, // the upper limit lies past the scale
    };
    for (const Case& c : cases) {
        auto m = mainWindowMeter(); // 0..10 V
        LimitBand band(*m);
        band.apply(c.lower, c.upper);
        m->renderFace();
        EXPECT_EQ(facePixel(*m, bandPixel(*m, 100)), c.at100);
        EXPECT_EQ(facePixel(*m, bandPixel(*m, 400)), c.at400);
        EXPECT_EQ(facePixel(*m, bandPixel(*m, 800)), c.at800);
    }
}

TEST(LimitBandLook, FollowsTheScaleWhenTheRangeChanges) {
    auto m = mainWindowMeter();
    LimitBand band(*m);
    band.apply(2.0f, 6.0f);
    m->renderFace();
    EXPECT_EQ(facePixel(*m, bandPixel(*m, 400)), inside);
    // The next decade, as the display update sets it for a reading of 40.
    m->signalSettings().setValueTo(100.0f);
    m->renderFace();
    EXPECT_EQ(facePixel(*m, bandPixel(*m, 400)), outside);
    EXPECT_EQ(facePixel(*m, bandPixel(*m, 40)), inside);
}

TEST(LimitBandLook, WithoutABandTheMeterLooksAsItAlwaysDid) {
    auto untouched = mainWindowMeter();
    const QImage before = untouched->face().copy();
    auto m = mainWindowMeter();
    EXPECT_EQ(m->face(), before);
    {
        LimitBand band(*m);
        band.apply(2.0f, 6.0f);
        m->setValue(8.0f);
        band.apply(1.0f, 9.0f);
        m->setValue(0.001f);
        band.remove();
        m->renderFace();
        EXPECT_EQ(m->face(), before);
        band.apply(std::nullopt, 3.0f);
    } // going, it removes the band too
    m->renderFace();
    EXPECT_EQ(m->face(), before);
    EXPECT_FALSE(m->flashing());
}

TEST(LimitBandFlash, TheNeedleFlashesWhileALimitIsExceededAndStopsInside) {
    auto m = mainWindowMeter();
    LimitBand band(*m);
    band.apply(0.0f, 6.0f);
    m->renderFace(); // the paint the new dial asks for
    // A lower limit of 0 lets a reading of 0 inside, though the gauge keeps 0 as 0.0001.
    m->setValue(0.0f);
    EXPECT_FALSE(m->flashing());
    m->setValue(7.0f);
    ASSERT_TRUE(m->flashing());
    const Point body = needlePixel(*m, m->angleFor(700));
    std::set<QRgb> seen;
    for (int i = 0; i < 64; ++i) {
        FlashTimer::instance().tick();
        seen.insert(facePixel(*m, body).rgb());
    }
    EXPECT_EQ(seen, (std::set<QRgb>{qRgb(255, 0, 0), qRgb(255, 255, 0)}));
    m->setValue(-0.001f);
    EXPECT_TRUE(m->flashing());
    m->setValue(5.0f);
    EXPECT_FALSE(m->flashing());
    for (int i = 0; i < 64; ++i)
        FlashTimer::instance().tick();
    EXPECT_EQ(facePixel(*m, needlePixel(*m, m->angleFor(500))), QColor(0, 255, 0));
}

TEST(LimitBandFlash, SwitchingTheBandStartsAndStopsTheFlashingAtOnce) {
    auto m = mainWindowMeter();
    // Pinned past the end, above the stored limit of 90 as well as the band's.
    m->setValue(95.0f);
    EXPECT_FALSE(m->flashing());
    LimitBand band(*m);
    band.apply(2.0f, 6.0f);
    EXPECT_TRUE(m->flashing());
    band.remove();
    EXPECT_FALSE(m->flashing());
}

} // namespace
} // namespace kv
