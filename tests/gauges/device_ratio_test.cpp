#include "format/number_format.h"
#include "gauges/value_indicator.h"
#include "main_window_meter.h"
#include "support/ratio_pictures.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::differingFromOneToOne;
using test::mainWindowMeter;
using test::needlePixel;
using test::pixelsBetween;
using test::unevenBlocks;

// A face over the form's colour, as the window shows it (faces are transparent where their
// painter leaves them), at the face's own ratio.
QImage onForm(const QImage& face) {
    QImage out(face.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(face.devicePixelRatio());
    out.fill(toQColor(16244694));
    QPainter p(&out);
    p.drawImage(0, 0, face);
    return out;
}

// The indicator of the main window, loaded and holding `value` in format 00.000.
std::unique_ptr<ValueIndicator> mainWindowIndicator(QWidget& form, float value) {
    auto vi = std::make_unique<ValueIndicator>(&form);
    vi->setGeometry(225, 1, 294, 75);
    vi->signalSettings().setValueFormat("00.000");
    vi->signalSettings().setValueFrom(-99999.0f);
    vi->signalSettings().setValueTo(99999.0f);
    vi->setAutoSize(false);
    FontSpec digits;
    digits.name = "Arial";
    digits.height = -64;
    digits.bold = true;
    digits.color = clBlack;
    vi->setFontValue(digits);
    for (Bevel* b : {&vi->bevelInner(), &vi->bevelValue(), &vi->bevelOuter()}) {
        b->setSpacing(0);
        b->setBevelLine(BevelLineKind::blNone);
        b->setWidth(0);
    }
    vi->bevelValue().setColor(16244694);
    vi->setOptions({});
    vi->loaded();
    vi->setValue(value);
    return vi;
}

TEST(MeterAtARatio, TheDialAtTwoHundredPercentIsTheDialInFinerPixels) {
    auto m = mainWindowMeter();
    m->setValue(6.3f);
    const QImage one = onForm(m->renderFace(1.0));
    ASSERT_EQ(one.size(), QSize(456, 248));
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = onForm(m->renderFace(ratio));
        EXPECT_EQ(hi.size(), QSize(456, 248) * ratio);
        EXPECT_LT(differingFromOneToOne(one, hi), 456 * 248 / 200);
    }
    // Drawn afresh, not enlarged: ticks, labels and needle have smoothed edges at device
    // pixels that a doubled picture has in pairs only.
    const QImage two = onForm(m->renderFace(2.0));
    EXPECT_GT(unevenBlocks(two, 2), 2000);
    EXPECT_EQ(unevenBlocks(one.scaled(one.size() * 2), 2), 0);
    // A picture of another dial does not pass for this one.
    m->setValue(2.0f);
    EXPECT_GT(differingFromOneToOne(one, onForm(m->renderFace(2.0))), 300);
}

TEST(MeterAtARatio, TheNeedlesFastPathDrawsWhatAFullPaintDraws) {
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        auto m = mainWindowMeter();
        m->renderFace(ratio);
        // From the cached dial: the area beside the pointer keeps its pixels.
        const QImage before = m->face().copy();
        m->setValue(7.5f);
        EXPECT_FALSE(m->faceDirty());
        const QImage fast = m->face().copy();
        EXPECT_EQ(fast.devicePixelRatio(), ratio);
        EXPECT_NE(fast, before);
        m->renderFace(ratio);
        EXPECT_EQ(test::differingPixels(fast, m->face(), 0), 0);
        // The needle stands where the dial says: the device pixels of a logical pixel in
        // its body hold its colour.
        const Point body = needlePixel(*m, m->angleFor(750));
        int green = 0;
        for (int y = int(body.y * ratio); y < int((body.y + 1) * ratio); ++y)
            for (int x = int(body.x * ratio); x < int((body.x + 1) * ratio); ++x)
                green = std::max(green, qRed(fast.pixel(x, y)) < 60 && qBlue(fast.pixel(x, y)) < 60
                                            ? qGreen(fast.pixel(x, y))
                                            : 0);
        EXPECT_GT(green, 150);
    }
}

TEST(MeterAtARatio, ANeedleAndMarksMovedAcrossTheDialLeaveNoTraceAtAnyRatio) {
    // The widest pointer and both marks, swung from end to end: each new value puts the dial
    // back only where the old figures stood, which must take their smoothed edges with it.
    for (double ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        auto m = mainWindowMeter();
        m->arrowSettings().setShape(4);
        m->minMax().setMinVisible(true);
        m->minMax().setMaxVisible(true);
        m->setValue(5.0f);
        m->minMax().reset();
        m->renderFace(ratio);
        for (float v : {9.5f, 0.5f, 7.0f, 2.5f, 10.0f, 0.0f, 4.0f}) {
            m->setValue(v);
            ASSERT_FALSE(m->faceDirty());
        }
        const QImage fast = m->face().copy();
        EXPECT_EQ(test::differingPixels(fast, m->renderFace(ratio), 0), 0);
    }
}

TEST(MeterAtARatio, EveryStepOfANeedleSweepPutsTheDialBackWhole) {
    // Each small step from a whole face: near the ends of the scale the pointer lies almost
    // flat, and its long edges lay runs of pixels across the rows the dial comes back in.
    for (double ratio : {1.0, 2.0}) {
        for (int shape : {0, 4}) {
            SCOPED_TRACE(testing::Message() << ratio << " shape " << shape);
            auto m = mainWindowMeter();
            m->arrowSettings().setShape(shape);
            m->renderFace(ratio);
            for (int step = 0; step <= 40; ++step) {
                m->setValue(step * 0.25f);
                ASSERT_FALSE(m->faceDirty());
                const QImage fast = m->face().copy();
                ASSERT_EQ(test::differingPixels(fast, m->renderFace(ratio), 0), 0) << step;
            }
        }
    }
}

TEST(MeterAtARatio, TheSectorBandsCurvesAreSmooth) {
    auto m = mainWindowMeter({RoundMeterOption::opBevelInner, RoundMeterOption::opSector});
    const QImage two = onForm(m->renderFace(2.0));
    // Along the band's inner edge the green sector meets the dial in shades of both.
    const Point c = m->scaleSettings().dialCenter();
    const QRect top(int((c.x - 60) * 2), int((m->pointerRect().top) * 2), 240,
                    m->pointerRect().width() / 2);
    EXPECT_GT(pixelsBetween(two, top, QColor(0, 128, 0), QColor(255, 255, 255)), 30);
}

TEST(IndicatorAtARatio, TheDigitsAtTwoHundredPercentAreTheDigitsInFinerPixels) {
    QWidget form;
    auto vi = mainWindowIndicator(form, 1.234f);
    const QImage one = onForm(vi->renderFace(1.0));
    const Rect field = vi->valueRect();
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = onForm(vi->renderFace(ratio));
        EXPECT_EQ(hi.size(), QSize(294, 75) * ratio);
        EXPECT_EQ(vi->valueRect(), field) << "the layout does not depend on the ratio";
        EXPECT_LT(differingFromOneToOne(one, hi), 294 * 75 / 50);
    }
    const QImage two = onForm(vi->renderFace(2.0));
    const QRect digits(field.left * 2, field.top * 2, field.width() * 2, field.height() * 2);
    // The glyphs' outlines at 200 %: their edges in shades between ink and field.
    EXPECT_GT(pixelsBetween(two, digits, Qt::black, toQColor(16244694)), 300);
    EXPECT_GT(unevenBlocks(two, 2, digits), 300);
    EXPECT_EQ(pixelsBetween(one, QRect(field.left, field.top, field.width(), field.height()),
                            Qt::black, toQColor(16244694)),
              0);
    // Other digits do not pass for these.
    vi->setValue(7.65f);
    EXPECT_GT(differingFromOneToOne(one, onForm(vi->renderFace(2.0))), 294 * 75 / 10);
}

TEST(IndicatorAtARatio, TheValueFieldsFastPathDrawsWhatAFullPaintDraws) {
    const char oldDecimal = decimalChar();
    setDecimalChar(',');
    QWidget form;
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        auto vi = mainWindowIndicator(form, 1.234f);
        vi->renderFace(ratio);
        const QImage before = vi->face().copy();
        vi->setValue(87.654f);
        EXPECT_FALSE(vi->faceDirty());
        const QImage fast = vi->face().copy();
        EXPECT_NE(fast, before);
        vi->renderFace(ratio);
        EXPECT_EQ(test::differingPixels(fast, vi->face(), 0), 0);
        // A wider text grows the field on the face at this ratio too.
        vi->setValue(12345.6f);
        const QImage grown = vi->face().copy();
        vi->renderFace(ratio);
        EXPECT_EQ(test::differingPixels(grown, vi->face(), 0), 0);
    }
    setDecimalChar(oldDecimal);
}

} // namespace
} // namespace kv
