#include "core/rounding.h"
#include "format/number_format.h"
#include "gauges/flash_timer.h"
#include "gauges/meter180.h"
#include "gauges/rotation.h"
#include "main_window_meter.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kv {
namespace {

using O = RoundMeterOption;
using test::arial;
using test::facePixel;
using test::mainWindowMeter;
using test::needlePixel;

// Whether every pixel that differs between a and b lies inside r; counts the differences.
int differencesOutside(const QImage& a, const QImage& b, const Rect& r, int* inside = nullptr) {
    int out = 0, in = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                    ++in;
                else
                    ++out;
            }
    if (inside)
        *inside = in;
    return out;
}

// The bounding box of the pixels that differ between a and b; empty when none do.
QRect inkBox(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(RoundMeterSize, FollowsLabelsBevelsAndNames) {
    RoundMeterMetrics m;
    m.labelHeight = 20;
    m.labelWidth = 40;
    m.name1 = {60, 13};
    m.name2 = {250, 13};
    const auto all = RoundMeterOptions::fromBits(0xFF);
    // Ten label heights wide, half as high (less the label width) plus a label height.
    Size s = roundMeterSize(m, all, true, 0, 7, 8, 2.0f);
    // Name2 is wider than the dial; the inner bevel is added again after the names.
    EXPECT_EQ(s.width, 250 + 14 + 16 + 16);
    EXPECT_EQ(s.height, 100 + 14 + 13 + 13 + 16);
    s = roundMeterSize(m, {}, true, 0, 7, 8, 2.0f);
    EXPECT_EQ(s.width, 200);
    EXPECT_EQ(s.height, 100);
    // Without automatic sizing the current width counts, but never below seven label heights.
    s = roundMeterSize(m, {O::opBevelOuter, O::opBevelInner}, false, 300, 7, 8, 2.0f);
    EXPECT_EQ(s.width, 300);
    s = roundMeterSize(m, {}, false, 100, 7, 8, 2.0f);
    EXPECT_EQ(s.width, 140);
    EXPECT_EQ(s.height, 70);
}

TEST(Meter180Test, NewMeterResizesOnItsFirstPaint) {
    Meter180 m;
    EXPECT_EQ(m.width(), 252);
    EXPECT_EQ(m.height(), 174);
    EXPECT_EQ(m.scaleSettings().steps(), 5);
    EXPECT_EQ(m.options(), RoundMeterOptions::fromBits(0xFF));
    EXPECT_TRUE(m.autoSize());
    EXPECT_EQ(m.startAngle(), 270);
    EXPECT_EQ(m.sweepAngle(), 180);
    EXPECT_FALSE(m.logScale());
    EXPECT_EQ(m.fontUnit().name, "System");
    EXPECT_EQ(m.fontUnit().size, 10);
    EXPECT_EQ(m.fontUnit().color, clBlack);
    EXPECT_EQ(m.bevelInner().style(), BevelStyle::bsLowered);
    EXPECT_EQ(m.bevelInner().bevelLine(), BevelLineKind::blInner);
    EXPECT_EQ(m.bevelOuter().style(), BevelStyle::bsRaised);
    EXPECT_EQ(m.bevelOuter().bevelLine(), BevelLineKind::blOuter);
    for (const Bevel* b : {&m.bevelInner(), &m.bevelOuter()}) {
        EXPECT_EQ(b->spacing(), 5);
        EXPECT_EQ(b->width(), 2);
    }
    EXPECT_EQ(m.flashColor(), clRed);
    EXPECT_FALSE(m.pointerLayer().canDraw());
    m.loaded();
    m.renderFace();
    const RoundMeterMetrics& mt = m.metrics();
    const int to = m.bevelOuter().bevelSize();
    const int ti = m.bevelInner().bevelSize();
    const int dial = mt.labelHeight * 10;
    EXPECT_EQ(m.width(), std::max(dial + 2 * to, 2 * to + 2 * ti + mt.name1.width) + 2 * ti);
    EXPECT_EQ(m.height(), roundToInt((dial - mt.labelWidth) / 2.0 + mt.labelHeight) + 2 * to +
                              mt.name1.height + mt.name2.height + 2 * ti);
    EXPECT_NE(m.width(), 252);
    EXPECT_EQ(m.face().width(), m.width());
}

TEST(Meter180Test, LogScaleKeepsPowersOfTenAndMapsByDecades) {
    auto m = mainWindowMeter();
    m->setLogScale(true);
    EXPECT_TRUE(m->logScale());
    EXPECT_TRUE(m->scaleSettings().logMode());
    EXPECT_FLOAT_EQ(m->signalSettings().valueFrom(), 0.000001f);
    EXPECT_FLOAT_EQ(m->signalSettings().valueTo(), 10.0f);
    m->setValue(0.5f);
    m->setValue(0.001f);
    EXPECT_EQ(m->digit(), 429);
    m->renderFace();
    EXPECT_EQ(m->scaleSettings().labelList(), "1e-6;1e-5;1e-4;1e-3;1e-2;1e-1;1e0;1e1;");
    EXPECT_EQ(m->scaleSettings().logSteps(), 7);

    // Back to the linear mapping of the same value.
    m->setValue(5.0f);
    m->setLogScale(false);
    EXPECT_FALSE(m->scaleSettings().logMode());
    EXPECT_EQ(m->digit(), 500);
    EXPECT_TRUE(m->faceDirty());
}

TEST(Meter180Test, PointerAngleIsTheNearestSingleToTheExactDegrees) {
    // Degrees are worked out in double and only then stored as a single: 0.18 per step
    // taken as a single first drifts by one unit in the last place, enough to move a
    // needle tip by a pixel on some dials.
    Meter180 m;
    struct Row {
        int ppt;
        float degrees;
    };
    for (const Row r : {Row{0, 0.0f}, Row{5, 0.9f}, Row{10, 1.8f}, Row{13, 2.34f}, Row{500, 90.0f},
                        Row{690, 124.2f}, Row{1000, 180.0f}}) {
        SCOPED_TRACE(r.ppt);
        EXPECT_EQ(float(m.angleFor(r.ppt)), r.degrees);
    }
}

TEST(Meter180Test, DialLayoutOfTheMainWindowMeter) {
    // Without names the dial fills the inner bevel; the pointer area's bottom reaches the
    // bevel's spacing below the dial, also without the inner bevel.
    for (bool inner : {true, false}) {
        SCOPED_TRACE(inner);
        RoundMeterOptions opts{O::opBevelOuter, O::opUnit};
        if (inner)
            opts = opts.with(O::opBevelInner);
        auto m = mainWindowMeter(opts);
        const int ti = inner ? m->bevelInner().bevelSize() : 0;
        const ScaleSettings& sc = m->scaleSettings();
        ScaleLayoutInput in;
        in.rect = {ti, ti, 456 - ti, 248 - ti};
        in.labelWidth = sc.labelWidth();
        in.labelHeight = sc.labelHeight();
        in.labelMargin = sc.labelMargin();
        in.lineWidth = sc.lineWidth();
        in.steps = 10;
        in.subSteps = 5;
        const ScaleLayout L = layoutScale(in);
        const Rect& pr = m->pointerRect();
        EXPECT_EQ(pr.left, L.pointerArea.left);
        EXPECT_EQ(pr.top, L.pointerArea.top);
        EXPECT_EQ(pr.right, L.pointerArea.right);
        EXPECT_EQ(pr.bottom, 248 - ti + 5);
        EXPECT_EQ(sc.dialCenter(), L.center);
        // The pivot of the needle lies on the dial centre.
        const Point pivot = m->pointerLayer().shape().pivot;
        EXPECT_EQ((Point{pr.left + pivot.x, pr.top + pivot.y}), L.center);
    }
}

TEST(Meter180Test, UnitStandsCentredAThirdOfTheDialDown) {
    auto m = mainWindowMeter();
    const QImage black = m->face().copy();
    m->setFontUnit(arial(-16, clRed));
    m->renderFace();
    const QRect ink = inkBox(black, m->face());
    ASSERT_FALSE(ink.isEmpty());
    const Rect& pr = m->pointerRect();
    const int w = pr.width();
    const Size unit = m->metrics().unit;
    const int x = pr.left + (w - unit.width) / 2;
    const int y = pr.top + roundToInt(w / 3.0 - m->metrics().labelHeight / 2.0);
    EXPECT_GE(ink.left(), x);
    EXPECT_LT(ink.right(), x + unit.width);
    EXPECT_GE(ink.top(), y);
    EXPECT_LT(ink.bottom(), y + unit.height);
}

TEST(Meter180Test, NamesStandUnderTheDialNameOneAboveNameTwo) {
    auto m = mainWindowMeter({O::opBevelInner, O::opBevelOuter, O::opName1, O::opName2});
    const QImage plain = m->face().copy();
    m->setFont(arial(-11, clRed));
    m->renderFace();
    const RoundMeterMetrics& mt = m->metrics();
    // The outer bevel of the main window takes no room: the names sit on the bottom edge.
    const int y2 = 248 - mt.name2.height;
    const int y1 = y2 - mt.name1.height;
    QImage first = plain.copy(0, y1, 456, mt.name1.height);
    QImage second = plain.copy(0, y2, 456, mt.name2.height);
    const QRect ink1 = inkBox(first, m->face().copy(0, y1, 456, mt.name1.height));
    const QRect ink2 = inkBox(second, m->face().copy(0, y2, 456, mt.name2.height));
    ASSERT_FALSE(ink1.isEmpty());
    ASSERT_FALSE(ink2.isEmpty());
    EXPECT_GE(ink1.left(), (456 - mt.name1.width) / 2);
    EXPECT_LT(ink1.right(), (456 + mt.name1.width) / 2 + 1);
    EXPECT_GE(ink2.left(), (456 - mt.name2.width) / 2);
    EXPECT_LT(ink2.right(), (456 + mt.name2.width) / 2 + 1);
    // Nothing else took the name font's colour, and the dial ends above the names.
    EXPECT_TRUE(inkBox(plain.copy(0, 0, 456, y1), m->face().copy(0, 0, 456, y1)).isEmpty());
    EXPECT_EQ(m->pointerRect().bottom, y1 - m->bevelInner().bevelSize() + 5);
}

TEST(Meter180Test, ShownAgainTheMeterShowsTheLatestPointer) {
    auto m = mainWindowMeter();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    ASSERT_FALSE(m->faceDirty());
    m->hide();
    m->setValue(10.0f);
    m->show();
    QApplication::processEvents();
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 180)), QColor(0, 255, 0));
    EXPECT_NE(facePixel(*m, needlePixel(*m, 0)), QColor(0, 255, 0));
    QImage screen(m->size(), QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::transparent);
    m->render(&screen, QPoint(), QRegion(), QWidget::DrawChildren);
    const Point tip = needlePixel(*m, 180);
    EXPECT_EQ(QColor(screen.pixel(tip.x, tip.y)), QColor(0, 255, 0));
}

TEST(Meter180Test, ANewValueRepaintsThePointerAreaOnly) {
    auto m = mainWindowMeter();
    EXPECT_FALSE(m->faceDirty());
    const QImage before = m->face().copy();
    // At rest the needle points to 9 o'clock.
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 0)), QColor(0, 255, 0));
    m->setValue(5.0f);
    EXPECT_FALSE(m->faceDirty());
    int inside = 0;
    EXPECT_EQ(differencesOutside(before, m->face(), m->pointerRect(), &inside), 0);
    EXPECT_GT(inside, 100);
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 90)), QColor(0, 255, 0));
    m->setValue(10.0f);
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 180)), QColor(0, 255, 0));
    EXPECT_NE(facePixel(*m, needlePixel(*m, 90)), QColor(0, 255, 0));
}

TEST(Meter180Test, RangeAndUnitChangesRepaintTheDial) {
    auto m = mainWindowMeter();
    const QImage before = m->face().copy();
    m->signalSettings().setValueTo(100.0f);
    EXPECT_TRUE(m->faceDirty());
    m->renderFace();
    EXPECT_GT(differencesOutside(before, m->face(), m->pointerRect()), 0);
    EXPECT_EQ(m->scaleSettings().labelList().substr(0, 4), "0.0;");

    const QImage labelled = m->face().copy();
    m->signalSettings().setValueUnit("mV-DC");
    EXPECT_TRUE(m->faceDirty());
    m->renderFace();
    EXPECT_NE(labelled, m->face());
}

TEST(Meter180Test, EverySettingsChangeAsksForAFullPaint) {
    struct Row {
        const char* what;
        std::function<void(Meter180&)> change;
    };
    const Row rows[] = {
        {"pointer shape", [](Meter180& m) { m.arrowSettings().setShape(3); }},
        {"pointer colour", [](Meter180& m) { m.arrowSettings().setColorBrush(clRed); }},
        {"scale steps", [](Meter180& m) { m.scaleSettings().setSteps(4); }},
        {"scale font",
         [](Meter180& m) { m.scaleSettings().editFont([](FontSpec& f) { f.bold = true; }); }},
        {"inner bevel", [](Meter180& m) { m.bevelInner().setWidth(3); }},
        {"outer bevel", [](Meter180& m) { m.bevelOuter().setColor(clNavy); }},
        {"unit font", [](Meter180& m) { m.setFontUnit(arial(-20, clBlack)); }},
        {"options", [](Meter180& m) { m.setOptions({O::opBevelInner}); }},
        {"automatic size", [](Meter180& m) { m.setAutoSize(false); }},
        {"name font", [](Meter180& m) { m.setFont(arial(-12, clBlack)); }},
        {"sectors", [](Meter180& m) { m.sectorSettings().setSector2Color(clNavy); }},
        {"log scale", [](Meter180& m) { m.setLogScale(true); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        auto m = mainWindowMeter();
        ASSERT_FALSE(m->faceDirty());
        r.change(*m);
        EXPECT_TRUE(m->faceDirty());
    }
}

TEST(Meter180Test, UpdateLockHoldsBackTheRepaint) {
    auto m = mainWindowMeter();
    m->beginUpdate();
    m->setOptions({O::opBevelInner, O::opSector});
    m->setAutoSize(false);
    m->scaleSettings().setSteps(4);
    EXPECT_FALSE(m->faceDirty());
    m->endUpdate();
    EXPECT_TRUE(m->faceDirty());
}

TEST(Meter180Test, ShrunkMeterPaintsOnlyBevelsAndIgnoresValues) {
    auto m = mainWindowMeter();
    m->resize(14, 14); // the inner bevel alone takes 7 pixels of each side
    m->renderFace();
    EXPECT_TRUE(m->tooSmall());
    const QImage small = m->face().copy();
    m->setValue(7.0f);
    EXPECT_EQ(m->face(), small);

    m->resize(456, 248);
    m->renderFace();
    EXPECT_FALSE(m->tooSmall());
    EXPECT_EQ(facePixel(*m, needlePixel(*m, m->angleFor(m->ppt()))), QColor(0, 255, 0));
}

TEST(Meter180Test, DialWithoutRoomForThePointerShowsNoOldDial) {
    // 60 x 40 leaves a dial area inside the bevels but no pointer area inside the labels;
    // the pixels cached by an earlier, larger paint must not come back.
    auto shrunk = mainWindowMeter();
    shrunk->resize(60, 40);
    shrunk->renderFace();
    ASSERT_FALSE(shrunk->tooSmall());
    ASSERT_LE(shrunk->pointerRect().width(), 0);
    const QImage small = shrunk->face().copy();
    shrunk->setValue(7.0f);
    EXPECT_EQ(shrunk->face(), small);
    // Painting the same state from scratch gives the same face.
    QImage again(60, 40, QImage::Format_ARGB32_Premultiplied);
    again.fill(Qt::transparent);
    {
        Canvas c(again);
        shrunk->paint(c, shrunk->clientRect());
    }
    EXPECT_EQ(shrunk->face(), again);

    shrunk->resize(456, 248);
    shrunk->renderFace();
    EXPECT_EQ(facePixel(*shrunk, needlePixel(*shrunk, 126)), QColor(0, 255, 0));
}

TEST(Meter180Test, ScaleLineOnlyWithTheSectorBand) {
    auto render = [](bool sector, bool line) {
        RoundMeterOptions opts{O::opBevelInner, O::opBevelOuter, O::opUnit};
        if (sector)
            opts = opts.with(O::opSector);
        auto m = mainWindowMeter(opts);
        m->scaleSettings().setDrawLine(line);
        m->renderFace();
        return m->face().copy();
    };
    EXPECT_EQ(render(false, true), render(false, false));
    EXPECT_NE(render(true, true), render(true, false));
}

TEST(Meter180Test, SectorBandColoursAndNarrowSectors) {
    auto m = mainWindowMeter({O::opBevelInner, O::opBevelOuter, O::opSector});
    const Rect& pr = m->pointerRect();
    const int tick = m->scaleSettings().tickLength();
    const Point centre = m->scaleSettings().dialCenter();
    // Sector 2 (green) covers the middle of the scale, just inside the tick circle.
    const Point top{centre.x, pr.top + tick + 3};
    EXPECT_EQ(facePixel(*m, top), QColor(0, 128, 0));
    // The band is a ring: inside it the dial shows through.
    const int band = (pr.width() - 2 * tick) / 10;
    EXPECT_NE(facePixel(*m, {centre.x, top.y + band + 4}), QColor(0, 128, 0));
    EXPECT_NE(facePixel(*m, {centre.x - 60, centre.y - 30}), QColor(255, 255, 0));

    // A sector below one degree of the scale draws nothing (its pie would close into a full
    // ring), while the others are switched off by their width.
    auto& sec = m->sectorSettings();
    sec.setSector1From(-3);
    sec.setSector1To(2);
    sec.setSector2From(1000);
    sec.setSector2To(1000);
    sec.setSector3From(1000);
    sec.setSector3To(1000);
    m->renderFace();
    EXPECT_NE(facePixel(*m, top), QColor(255, 255, 0));
    EXPECT_NE(facePixel(*m, top), QColor(0, 128, 0));
}

TEST(Meter180Test, NegativeSectorOffsetKeepsTicksOnTop) {
    auto m = mainWindowMeter({O::opBevelInner, O::opBevelOuter, O::opSector});
    const Point centre = m->scaleSettings().dialCenter();
    const Rect& pr = m->pointerRect();
    const int tick = m->scaleSettings().tickLength();
    // The middle main tick, from the pointer area's top edge inward.
    const Point onTick{centre.x, pr.top + tick / 2};
    EXPECT_EQ(facePixel(*m, onTick), QColor(0, 0, 0));
    m->sectorSettings().setOffset(-tick);
    m->renderFace();
    EXPECT_EQ(facePixel(*m, onTick), QColor(0, 0, 0));
    EXPECT_EQ(facePixel(*m, {centre.x + 4, pr.top + tick / 2}), QColor(0, 128, 0));
}

// A band tens of thousands of pixels beyond the dial, and wide enough to leave no hole: a
// whole disc whose wedges still stand where the sectors say, up-left, up and up-right.
TEST(Meter180Test, ASectorBandFarBeyondTheDialStillPaintsItsWedges) {
    auto m = mainWindowMeter({O::opBevelInner, O::opBevelOuter, O::opSector});
    m->sectorSettings().setOffset(-60000);
    m->sectorSettings().setWidthOffset(60000);
    m->renderFace();
    const Point c = m->scaleSettings().dialCenter();
    EXPECT_EQ(facePixel(*m, {c.x - 50, c.y - 50}), QColor(255, 255, 0));
    EXPECT_EQ(facePixel(*m, {c.x, c.y - 70}), QColor(0, 128, 0));
    EXPECT_EQ(facePixel(*m, {c.x + 50, c.y - 50}), QColor(255, 0, 0));
    // Ticks stay on top of the band.
    const int tick = m->scaleSettings().tickLength();
    EXPECT_EQ(facePixel(*m, {c.x, m->pointerRect().top + tick / 2}), QColor(0, 0, 0));
}

TEST(Meter180Test, MinMarkTakesTheSectorColourOrItsOwn) {
    auto m = mainWindowMeter();
    m->minMax().setUseSectorCol(true);
    m->minMax().setMinVisible(true);
    m->minMax().setMinColor(clFuchsia);
    m->minMax().reset();
    m->setValue(2.0f); // Ppt 200, in sector 1
    m->setValue(8.0f);
    ASSERT_EQ(m->minPpt(), 200);
    auto markPixel = [&] {
        const PointerLayer& layer = m->pointerLayer();
        const Point pivot = layer.shape().pivot;
        const auto& mark = layer.marks().min;
        // Two thirds of the way from the mark's tip toward the middle of its base.
        const Point base{(mark[1].x + mark[2].x) / 2, (mark[1].y + mark[2].y) / 2};
        const Point inner{(mark[0].x + 2 * base.x) / 3, (mark[0].y + 2 * base.y) / 3};
        const Point p = rotatePoint(inner, pivot, m->angleFor(200));
        return facePixel(*m, {m->pointerRect().left + p.x, m->pointerRect().top + p.y});
    };
    EXPECT_EQ(markPixel(), QColor(255, 255, 0));
    m->sectorSettings().setSector1From(250);
    m->renderFace();
    EXPECT_EQ(markPixel(), QColor(255, 0, 255));
}

TEST(Meter180Test, OverflowBlinksUntilTheValueReturns) {
    auto m = mainWindowMeter({O::opBevelInner, O::opBevelOuter, O::opUnit, O::opOverflow});
    FlashTimer& timer = FlashTimer::instance();
    m->setValue(20.0f); // twice full scale: the pointer stays at 3 o'clock
    EXPECT_EQ(m->ppt(), 1000);
    EXPECT_TRUE(m->flashing());
    EXPECT_TRUE(timer.contains(m.get()));
    const Point body = needlePixel(*m, 180);
    std::vector<QColor> seen{facePixel(*m, body)};
    for (int i = 0; i < 64; ++i) {
        timer.tick();
        if (facePixel(*m, body) != seen.back())
            seen.push_back(facePixel(*m, body));
    }
    ASSERT_GE(seen.size(), 4u);
    for (const QColor& c : seen)
        EXPECT_TRUE(c == QColor(255, 0, 0) || c == QColor(255, 255, 0)) << c.name().toStdString();

    m->setValue(30.0f); // still out of range: keeps flashing
    EXPECT_TRUE(m->flashing());
    m->setValue(5.0f);
    EXPECT_FALSE(m->flashing());
    EXPECT_FALSE(timer.contains(m.get()));
    const QImage calm = m->face().copy();
    for (int i = 0; i < 64; ++i)
        timer.tick();
    EXPECT_EQ(m->face(), calm);
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 90)), QColor(0, 255, 0));
}

TEST(Meter180Test, FlashTicksDuringAValueUpdateAreIgnored) {
    auto m = mainWindowMeter({O::opBevelInner, O::opOverflow});
    m->setValue(20.0f);
    ASSERT_TRUE(m->flashing());
    FlashTimer& timer = FlashTimer::instance();
    const auto sixteenTicks = [&] {
        for (int i = 0; i < 16; ++i)
            timer.tick();
    };
    // Two colour changes' worth of ticks: one of them would turn the pointer yellow.
    std::vector<ColorValue> during;
    m->model().onValueChange = [&](AnalogGauge&) {
        for (int k = 0; k < 2; ++k) {
            sixteenTicks();
            during.push_back(m->flashColor());
        }
    };
    m->setValue(25.0f);
    // (A new maximum raises the value event twice, from the inner and the outer update.)
    ASSERT_FALSE(during.empty());
    for (ColorValue c : during)
        EXPECT_EQ(c, clRed);
    m->model().onValueChange = nullptr;
    std::vector<ColorValue> after;
    for (int k = 0; k < 2; ++k) {
        sixteenTicks();
        after.push_back(m->flashColor());
    }
    EXPECT_NE(after[0], after[1]);
}

TEST(Meter180Test, LimitFlashingAndUnregisteringOnDestruction) {
    auto m = mainWindowMeter({O::opBevelInner, O::opLimit});
    m->setLimitUpper(6.0f);
    m->setValue(7.0f);
    EXPECT_TRUE(m->flashing());
    const void* key = m.get();
    EXPECT_TRUE(FlashTimer::instance().contains(key));
    m.reset();
    EXPECT_FALSE(FlashTimer::instance().contains(key));
    FlashTimer::instance().tick(); // no dangling control is called
}

TEST(Meter180Test, RefusedFormatReachesTheCallerAndTheMeterRecovers) {
    auto m = mainWindowMeter({O::opBevelInner, O::opOverflow});
    m->signalSettings().setValueFormat(std::string(300, '0'));
    EXPECT_THROW(m->renderFace(), ConvertError);
    EXPECT_THROW(m->setValue(2.0f), ConvertError);

    m->signalSettings().setValueFormat("0.0000");
    m->setValue(20.0f); // out of range: the pointer flashes
    ASSERT_TRUE(m->flashing());
    m->renderFace();
    const Point body = needlePixel(*m, 180);
    std::vector<QColor> seen{facePixel(*m, body)};
    for (int i = 0; i < 48; ++i) {
        FlashTimer::instance().tick();
        if (facePixel(*m, body) != seen.back())
            seen.push_back(facePixel(*m, body));
    }
    EXPECT_GE(seen.size(), 3u);
    m->setValue(5.0f);
    EXPECT_EQ(facePixel(*m, needlePixel(*m, 90)), QColor(0, 255, 0));
}

TEST(Meter180Test, PaintIntoAnyCanvasLeavesTheFaceAlone) {
    auto m = mainWindowMeter();
    const QImage face = m->face().copy();
    const Rect pr = m->pointerRect();
    QImage other(456, 248, QImage::Format_ARGB32_Premultiplied);
    other.fill(Qt::transparent);
    {
        Canvas c(other);
        m->paint(c, m->clientRect());
    }
    EXPECT_EQ(other, face);
    EXPECT_EQ(m->pointerRect(), pr);
}

} // namespace
} // namespace kv
