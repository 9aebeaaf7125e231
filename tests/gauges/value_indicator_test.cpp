#include "format/number_format.h"
#include "gauges/value_indicator.h"
#include "support/paint_log.h"

#include <QApplication>
#include <QWidget>
#include <climits>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace kv {
namespace {

using Opt = ValueIndicatorOption;

constexpr ColorValue kWindowBlue = 16244694;

bool isTransparent(QRgb p) {
    return qAlpha(p) == 0;
}

// Pixels within `r` of `face`, for comparisons of areas.
QImage areaOf(const QImage& face, const Rect& r) {
    return face.copy(r.left, r.top, r.width(), r.height()).convertToFormat(QImage::Format_RGB32);
}

// What a value field of `field`'s size should show: `text` right-aligned on the field
// colour, so a text wider than the field loses its left part.
QImage expectedField(const ValueIndicator& vi, const Rect& field, const std::string& text) {
    Bitmap b(field.width(), field.height());
    Canvas c(b);
    c.fillRect(Rect{0, 0, field.width(), field.height()}, vi.bevelValue().color());
    c.setFont(vi.fontValue());
    c.setBackMode(BackMode::Transparent);
    c.textOut(field.width() - c.textWidth(text), 0, text);
    return b.image().copy();
}

class ValueIndicatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldDecimal_ = decimalChar();
        oldGrouping_ = groupingChar();
        setDecimalChar(',');
        setGroupingChar('.');
        form_ = std::make_unique<QWidget>();
        form_->resize(600, 400);
    }
    void TearDown() override {
        form_.reset();
        setDecimalChar(oldDecimal_);
        setGroupingChar(oldGrouping_);
    }

    ValueIndicator* make(bool designing = false) {
        return new ValueIndicator(form_.get(), designing);
    }

    // The indicator of the main window, as stored there (not yet loaded).
    ValueIndicator* makeMainWindowIndicator() {
        auto* vi = make();
        vi->setGeometry(225, 1, 294, 75);
        auto& ss = vi->signalSettings();
        ss.setValueFormat("0000.0");
        ss.setValueFrom(-99999.0f);
        ss.setValueTo(99999.0f);
        ss.setValueUnit("Volt");
        FontSpec font;
        font.height = -11;
        vi->setFont(font);
        vi->setAutoSize(false);
        FontSpec value;
        value.name = "Arial";
        value.height = -64;
        value.bold = true;
        value.color = clBlack;
        vi->setFontValue(value);
        for (Bevel* b : {&vi->bevelInner(), &vi->bevelValue()}) {
            b->setSpacing(0);
            b->setBevelLine(BevelLineKind::blNone);
            b->setWidth(0);
        }
        vi->bevelOuter().setBevelLine(BevelLineKind::blNone);
        vi->bevelValue().setColor(kWindowBlue);
        vi->setOptions({});
        return vi;
    }

    std::unique_ptr<QWidget> form_;

private:
    char oldDecimal_ = '.', oldGrouping_ = ',';
};

// ---------------------------------------------------------------------------------------
// Size calculation

TEST(IndicatorSize, NeededSizeAddsWhatTheOptionsShow) {
    IndicatorMetrics m;
    m.name1Width = 60;
    m.name1Height = 13;
    m.name2Width = 70;
    m.name2Height = 14;
    m.sampleWidth = 40;
    m.valueHeight = 30;
    m.unitWidth = 10;
    const int outer = 9, inner = 8, value = 2;
    struct Case {
        ValueIndicatorOptions options;
        int width, height;
    } cases[] = {
        {{}, 40 + 10 + 4 + 30, 30 + 4},
        {{Opt::opName1}, 84, 13 + 34},
        {{Opt::opName1, Opt::opName2}, 84, 13 + 14 + 34},
        {{Opt::opBevelOuter}, 18 + 84, 18 + 34},
        {{Opt::opBevelInner}, 16 + 84, 16 + 34},
        {{Opt::opBevelOuter, Opt::opBevelInner, Opt::opName1, Opt::opName2, Opt::opUnit},
         18 + 16 + 84,
         18 + 16 + 13 + 14 + 34},
    };
    for (const auto& c : cases) {
        const Size s = indicatorNeededSize(m, c.options, outer, inner, value);
        EXPECT_EQ(s.width, c.width) << c.options.bits();
        EXPECT_EQ(s.height, c.height) << c.options.bits();
    }

    m.name2Width = 200; // a long name sets the width
    EXPECT_EQ(indicatorNeededSize(m, {Opt::opName2, Opt::opBevelOuter}, outer, inner, value).width,
              218);
}

TEST(IndicatorSize, BevelsNearTheIntLimitSaturateTheNeededSize) {
    const auto all = ValueIndicatorOptions::fromBits(0xFF);
    const Size s = indicatorNeededSize(IndicatorMetrics{}, all, INT_MAX, INT_MAX, INT_MAX);
    EXPECT_EQ(s.width, INT_MAX);
    EXPECT_EQ(s.height, INT_MAX);
}

TEST(IndicatorSize, WithoutAutoSizeTheControlOnlyGrows) {
    struct Case {
        Size current, needed;
        bool autoSize;
        Size result;
    } cases[] = {
        {{100, 50}, {120, 40}, false, {120, 50}}, {{100, 50}, {80, 60}, false, {100, 60}},
        {{100, 50}, {80, 30}, false, {100, 50}},  {{100, 50}, {80, 30}, true, {80, 30}},
        {{100, 50}, {120, 60}, true, {120, 60}},
    };
    for (const auto& c : cases) {
        const Size s = indicatorBounds(c.current, c.needed, c.autoSize);
        EXPECT_EQ(s.width, c.result.width);
        EXPECT_EQ(s.height, c.result.height);
    }
}

// ---------------------------------------------------------------------------------------
// The control

TEST_F(ValueIndicatorTest, ConstructionDefaultsAndLoading) {
    auto* vi = make();
    EXPECT_EQ(vi->width(), 67);
    EXPECT_EQ(vi->height(), 48);
    EXPECT_TRUE(vi->autoSize());
    EXPECT_EQ(vi->fontValue().name, "System");
    EXPECT_EQ(vi->fontValue().size, 10);
    EXPECT_EQ(vi->fontValue().color, clLime);
    EXPECT_EQ(vi->bevelInner().style(), BevelStyle::bsLowered);
    EXPECT_EQ(vi->bevelInner().bevelLine(), BevelLineKind::blInner);
    EXPECT_EQ(vi->bevelOuter().style(), BevelStyle::bsRaised);
    EXPECT_EQ(vi->bevelOuter().bevelLine(), BevelLineKind::blOuter);
    EXPECT_EQ(vi->bevelValue().style(), BevelStyle::bsLowered);
    EXPECT_EQ(vi->bevelValue().color(), clBlack);
    EXPECT_EQ(vi->bevelValue().spacing(), 0);
    EXPECT_EQ(vi->bevelValue().bevelSize(), 2);
    EXPECT_EQ(vi->options(), ValueIndicatorOptions({Opt::opName1, Opt::opName2, Opt::opUnit}));

    int settings = 0;
    vi->model().onSettingsChange = [&](AnalogGauge&) { ++settings; };
    vi->setOptions({Opt::opUnit}); // streamed while locked: nothing recomputed yet
    vi->bevelValue().setWidth(3);
    EXPECT_EQ(settings, 0);
    EXPECT_EQ(vi->updateLock(), 1);
    vi->loaded();
    EXPECT_EQ(vi->updateLock(), 0);
    EXPECT_EQ(settings, 1);
    EXPECT_TRUE(vi->faceDirty());

    // After loading, the bevels reach the control.
    vi->renderFace();
    vi->bevelOuter().setSpacing(2);
    EXPECT_EQ(settings, 2);
    EXPECT_TRUE(vi->faceDirty());
}

TEST_F(ValueIndicatorTest, MainWindowSettingsShowTheValueBlockAlone) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->setValue(0.0f);
    const QImage& face = vi->renderFace();
    ASSERT_EQ(vi->width(), 294);
    ASSERT_EQ(vi->height(), 75);

    const Rect vr = vi->valueRect();
    const int f = vi->metrics().valueHeight / 3;
    EXPECT_EQ(vr.top, 0);
    EXPECT_EQ(vr.height(), vi->metrics().valueHeight);
    EXPECT_EQ(vr.width(), vi->metrics().sampleWidth);
    // The block: the field with its margins of a third of the value height.
    const Rect block{vr.left - f, vr.top, vr.right + f, vr.bottom};
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const bool inBlock =
                x >= block.left && x < block.right && y >= block.top && y < block.bottom;
            const QRgb p = face.pixel(x, y);
            if (!inBlock) {
                ASSERT_TRUE(isTransparent(p)) << x << "," << y;
            } else if (x < vr.left || x >= vr.right) {
                ASSERT_EQ(fromQColor(QColor(p)), kWindowBlue) << x << "," << y;
            }
        }
    EXPECT_EQ(areaOf(face, vr), expectedField(*vi, vr, "0000,0"));
}

// With both bevels and both names: the names sit centred at the bottom of the outer
// bevel's content, Name1 above Name2, each moved down by half the outer spacing; the
// field stands at the top of the inner bevel's content.
TEST_F(ValueIndicatorTest, NamesAndFieldNestInsideTheBevels) {
    auto* vi = make();
    vi->setOptions({Opt::opBevelOuter, Opt::opBevelInner, Opt::opName1, Opt::opName2});
    FontSpec font;
    font.height = -11;
    font.color = clRed; // nothing else on the control is pure red
    vi->setFont(font);
    vi->signalSettings().setName1("Upper line");
    vi->signalSettings().setName2("A longer lower line");
    vi->bevelOuter().setSpacing(7);
    vi->bevelOuter().offset().setLeft(3);
    vi->setAutoSize(false);
    vi->resize(260, 140); // room to spare, so the centring shows
    vi->loaded();
    const QImage& face = vi->renderFace();
    ASSERT_EQ(vi->width(), 260);
    const IndicatorMetrics& m = vi->metrics();
    EXPECT_EQ(m.unitWidth, 0); // no opUnit

    const int outer = vi->bevelOuter().bevelSize();
    const int a = 7 / 2;
    Rect r{outer + 3, outer, 260 - outer, 140 - outer};
    r.bottom -= m.name2Height;
    const Point name2{r.left + (r.width() - m.name2Width) / 2, r.bottom + a};
    r.bottom -= m.name1Height;
    const Point name1{r.left + (r.width() - m.name1Width) / 2, r.bottom + a};

    QImage expected(face.size(), QImage::Format_ARGB32_Premultiplied);
    expected.fill(Qt::transparent);
    {
        Canvas c(expected);
        c.setFont(font);
        c.setBackMode(BackMode::Transparent);
        c.textOut(name2.x, name2.y, "A longer lower line");
        c.textOut(name1.x, name1.y, "Upper line");
    }
    const QRgb red = qRgb(255, 0, 0);
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            ASSERT_EQ(face.pixel(x, y) == red, expected.pixel(x, y) == red) << x << "," << y;

    const int inner = vi->bevelInner().bevelSize();
    r = Rect{r.left + inner, r.top + inner, r.right - inner, r.bottom - inner};
    const int f = m.valueHeight / 3;
    const int v = vi->bevelValue().bevelSize();
    const int left = r.left + (r.width() - m.sampleWidth - f) / 2 - f;
    EXPECT_EQ(vi->valueRect(), (Rect{left + v + f, r.top + v, left + v + f + m.sampleWidth,
                                     r.top + v + m.valueHeight}));
}

// Font, value font and options reach the control once it is loaded, and only then.
TEST_F(ValueIndicatorTest, FontAndOptionChangesRepaintOnceLoaded) {
    auto* vi = make();
    int settings = 0;
    vi->model().onSettingsChange = [&](AnalogGauge&) { ++settings; };
    FontSpec big;
    big.name = "Arial";
    big.height = -40;
    vi->setFontValue(big);
    vi->loaded();
    ASSERT_EQ(settings, 1);
    vi->renderFace();
    const int height = vi->height();

    big.height = -20;
    vi->setFontValue(big);
    EXPECT_EQ(settings, 2);
    EXPECT_TRUE(vi->faceDirty());
    vi->renderFace();
    EXPECT_LT(vi->height(), height); // re-measured with the new font

    vi->setFontValue(big); // equal: nothing
    FontSpec names;
    names.height = -15;
    vi->setFont(names);
    EXPECT_EQ(settings, 3);
    vi->setOptions({Opt::opUnit});
    EXPECT_EQ(settings, 4);
    vi->sectorSettings().setSector1To(200);
    EXPECT_EQ(settings, 5);
}

TEST_F(ValueIndicatorTest, FormatChangeIsShownAfterTheNextPaintRemeasures) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->renderFace();
    vi->setValue(12.34f);
    EXPECT_EQ(vi->valueText(), "0012,3");
    const Rect before = vi->valueRect();
    EXPECT_EQ(areaOf(vi->face(), before), expectedField(*vi, before, "0012,3"));

    vi->signalSettings().setValueFormat("0.0000");
    EXPECT_TRUE(vi->faceDirty());
    vi->setValue(1.23456f);
    EXPECT_EQ(vi->valueText(), "1,2346");

    vi->renderFace();
    QImage scratch(1, 1, QImage::Format_RGB32);
    Canvas c(scratch);
    c.setFont(vi->fontValue());
    EXPECT_EQ(vi->metrics().sampleWidth, c.textWidth("0.0000"));
    EXPECT_EQ(vi->valueRect().width(), c.textWidth("0.0000"));
    EXPECT_EQ(areaOf(vi->face(), vi->valueRect()), expectedField(*vi, vi->valueRect(), "1,2346"));
}

// Columns of `face` between `left` and `right` (exclusive) that hold a black pixel in the
// rows of `r`: where the digits' ink lies.
std::pair<int, int> inkColumns(const QImage& face, const Rect& r, int left, int right) {
    int first = -1, last = -1;
    for (int x = left; x < right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (fromQColor(QColor(face.pixel(x, y))) == clBlack && qAlpha(face.pixel(x, y))) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
    return {first, last};
}

TEST_F(ValueIndicatorTest, TextWiderThanTheFieldGrowsItLeftwardsAndHidesNoDigit) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->renderFace();
    const Rect vr = vi->valueRect();
    vi->setValue(12345.0f);
    ASSERT_EQ(vi->valueText(), "12345,0");
    QImage scratch(1, 1, QImage::Format_RGB32);
    Canvas c(scratch);
    c.setFont(vi->fontValue());
    const int width = c.textWidth("12345,0");
    ASSERT_GT(width, vr.width());
    ASSERT_LE(width, vr.right) << "the free width to the field's left holds it";

    // The new value's fast path and a full paint show the same: the whole text, right-aligned
    // at the field's own right edge, on the field colour.
    const Rect grown{vr.right - width, vr.top, vr.right, vr.bottom};
    EXPECT_EQ(areaOf(vi->face(), grown), expectedField(*vi, grown, "12345,0"));
    vi->renderFace();
    EXPECT_EQ(areaOf(vi->face(), grown), expectedField(*vi, grown, "12345,0"));

    // A narrower text afterwards leaves nothing of the wider one.
    vi->setValue(12.3f);
    vi->renderFace();
    const QImage& face = vi->face();
    const int f = vi->metrics().valueHeight / 3;
    for (int x = 0; x < vr.left - f; ++x)
        for (int y = 0; y < face.height(); ++y)
            ASSERT_TRUE(isTransparent(face.pixel(x, y))) << x << "," << y;
    EXPECT_EQ(areaOf(face, vr), expectedField(*vi, vr, "0012,3"));
}

TEST_F(ValueIndicatorTest, TextWiderThanTheWholeControlIsDrawnSmallerNotCut) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->signalSettings().setValueFormat("#,##0.0000");
    vi->setValue(98765.4f);
    const QImage& face = vi->renderFace();
    ASSERT_EQ(vi->valueText(), "98.765,3984");
    const Rect field = vi->valueRect();
    const auto [left, right] = inkColumns(face, field, 0, vi->width());
    ASSERT_GE(left, 0);
    EXPECT_GT(left, 0) << "the first digit is not cut at the control's edge";
    EXPECT_NEAR(right, field.right - 1, 6) << "still right-aligned in the field";
    // Smaller: the digits' ink is lower than at full size.
    int top = face.height(), bottom = -1;
    for (int y = 0; y < face.height(); ++y)
        for (int x = left; x <= right; ++x)
            if (fromQColor(QColor(face.pixel(x, y))) == clBlack && qAlpha(face.pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_LT(bottom - top, vi->metrics().valueHeight * 3 / 4);
    EXPECT_GT(bottom - top, vi->metrics().valueHeight / 4);
}

TEST_F(ValueIndicatorTest, OverloadShowsOLInPlaceOfTheDigitsAtOnceAndKeepsTheValue) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->setValue(12.3f);
    form_->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    ASSERT_FALSE(vi->faceDirty());
    const Rect vr = vi->valueRect();

    vi->setOverload(true);
    EXPECT_FALSE(vi->faceDirty()) << "drawn by the value field's fast path";
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "OL"));
    EXPECT_EQ(vi->value(), 12.3f);
    vi->setValue(45.6f); // a value set meanwhile is kept, not shown
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "OL"));
    vi->renderFace();
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "OL")) << "a full paint too";

    vi->setOverload(false);
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "0045,6"));
}

TEST_F(ValueIndicatorTest, PlusSignGoesBeforeAPositiveValueAtOnceAndLeavesTheFieldAlone) {
    auto* vi = makeMainWindowIndicator();
    vi->loaded();
    vi->setValue(12.3f);
    form_->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    const Rect vr = vi->valueRect();
    const int sample = vi->metrics().sampleWidth;

    vi->setPlusSign(true);
    EXPECT_FALSE(vi->faceDirty()) << "drawn by the value field's fast path";
    EXPECT_EQ(vi->fieldText(), "+0012,3");
    const struct {
        float value;
        const char* shown;
    } cases[] = {{12.3f, "+0012,3"}, {-12.3f, "-0012,3"}, {0.0f, "0000,0"},
                 {0.04f, "0000,0"},  {0.05f, "+0000,1"},  {-0.04f, "0000,0"}};
    for (const auto& c : cases) {
        vi->setValue(c.value);
        EXPECT_EQ(vi->fieldText(), c.shown) << c.value;
    }
    vi->setOverload(true);
    EXPECT_EQ(vi->fieldText(), "OL");
    vi->setOverload(false);
    vi->setValue(12.3f);
    vi->renderFace();
    EXPECT_EQ(vi->valueRect(), vr) << "the sign is not in the format's sample";
    EXPECT_EQ(vi->metrics().sampleWidth, sample);
    // The narrower text leaves the plus's pixels to a full paint.
    vi->setPlusSign(false);
    vi->renderFace();
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "0012,3"));
}

TEST_F(ValueIndicatorTest, WithoutAutoSizeTheControlGrowsButNeverShrinks) {
    auto* vi = make();
    vi->setAutoSize(false);
    vi->resize(10, 10);
    vi->loaded();
    vi->renderFace();
    EXPECT_EQ(vi->width(), vi->neededSize().width);
    EXPECT_EQ(vi->height(), vi->neededSize().height);
    EXPECT_EQ(vi->face().size(), vi->size());

    // Taller than needed but too narrow: only the width grows.
    vi->resize(10, 200);
    vi->renderFace();
    EXPECT_EQ(vi->width(), vi->neededSize().width);
    EXPECT_EQ(vi->height(), 200);

    vi->resize(300, 200);
    vi->renderFace();
    EXPECT_EQ(vi->width(), 300);
    EXPECT_EQ(vi->height(), 200);
}

TEST_F(ValueIndicatorTest, AutoSizeFollowsTheContentBothWays) {
    auto* vi = make();
    vi->loaded();
    vi->resize(300, 200);
    vi->renderFace();
    const Size small = vi->neededSize();
    EXPECT_EQ(vi->width(), small.width);
    EXPECT_EQ(vi->height(), small.height);

    vi->signalSettings().setValueFormat("00000.000");
    vi->renderFace();
    EXPECT_GT(vi->width(), small.width);
    EXPECT_EQ(vi->width(), vi->neededSize().width);

    vi->setOptions({});
    vi->renderFace();
    EXPECT_LT(vi->height(), small.height);
    EXPECT_EQ(vi->height(), vi->neededSize().height);
}

TEST_F(ValueIndicatorTest, DesignTimeShowsTheFormatSample) {
    auto* designed = make(true);
    EXPECT_EQ(designed->updateLock(), 0); // loaded at once
    EXPECT_TRUE(designed->isLoaded());
    designed->signalSettings().setValueFormat("0000.0");
    designed->setValue(12.34f);
    designed->renderFace();

    // The same layout at run time with "." as decimal character and value 0 shows the
    // same text, 0000.0.
    setDecimalChar('.');
    auto* running = make();
    running->signalSettings().setValueFormat("0000.0");
    running->loaded();
    running->setValue(0.0f);
    running->renderFace();
    ASSERT_EQ(running->valueText(), "0000.0");
    ASSERT_EQ(designed->valueRect(), running->valueRect());
    EXPECT_EQ(areaOf(designed->face(), designed->valueRect()),
              areaOf(running->face(), running->valueRect()));
}

TEST_F(ValueIndicatorTest, UnitUsesValueFontFaceInTheControlsTextColour) {
    auto* vi = make();
    vi->setOptions({Opt::opUnit});
    FontSpec font;
    font.color = clRed;
    vi->setFont(font);
    FontSpec value;
    value.name = "Arial";
    value.height = -30;
    value.color = clLime;
    vi->setFontValue(value);
    vi->signalSettings().setValueUnit("V");
    vi->loaded();
    const QImage& face = vi->renderFace();

    const Rect vr = vi->valueRect();
    const int f = vi->metrics().valueHeight / 3;
    const auto reddish = [](QRgb p) {
        return qAlpha(p) > 0 && qRed(p) > 160 && qGreen(p) < 100 && qBlue(p) < 100;
    };
    int firstRed = -1, redTop = face.height(), redBottom = -1;
    for (int x = 0; x < face.width() && firstRed < 0; ++x)
        for (int y = 0; y < face.height(); ++y)
            if (reddish(face.pixel(x, y))) {
                firstRed = x;
                break;
            }
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (reddish(face.pixel(x, y))) {
                redTop = std::min(redTop, y);
                redBottom = std::max(redBottom, y);
            }
    // The unit starts a third of the value height right of the field, whose text area
    // is itself inset by a third of the value height.
    const int unitX = vr.right + 2 * f;
    ASSERT_GE(firstRed, 0);
    EXPECT_GE(firstRed, unitX);
    EXPECT_LE(firstRed, unitX + 3);
    // Drawn in the value font's size: as tall as the digits, within the field's rows.
    EXPECT_GE(redTop, vr.top);
    EXPECT_LE(redBottom, vr.bottom);
    EXPECT_GT(redBottom - redTop, 15);
}

TEST_F(ValueIndicatorTest, NewValueChangesOnlyTheValueField) {
    auto* vi = make();
    vi->setOptions({Opt::opBevelOuter, Opt::opBevelInner, Opt::opName1, Opt::opName2, Opt::opUnit});
    vi->loaded();
    vi->setValue(12.3f);
    const QImage before = vi->renderFace().copy();
    vi->setValue(87.6f);
    EXPECT_FALSE(vi->faceDirty()); // no full paint requested
    const QImage& after = vi->face();
    const Rect vr = vi->valueRect();
    int changed = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) == after.pixel(x, y))
                continue;
            ASSERT_TRUE(x >= vr.left && x < vr.right && y >= vr.top && y < vr.bottom)
                << "pixel " << x << "," << y << " outside the value field changed";
            ++changed;
        }
    EXPECT_GT(changed, 0);
    EXPECT_EQ(areaOf(after, vr), expectedField(*vi, vr, "87,6"));
}

TEST_F(ValueIndicatorTest, NewValueIsOnScreenBeforeTheSetterReturns) {
    auto* vi = make();
    vi->loaded();
    form_->show();
    // The first paint sizes the control, which asks for one more paint.
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    ASSERT_FALSE(vi->faceDirty()); // the first full paint has run
    test::PaintLog paints(*vi);
    vi->setValue(42.0f);
    const Rect vr = vi->valueRect();
    // A new minimum runs the update twice (once for the capture), each showing the field.
    ASSERT_GT(paints.count(), 0);
    for (const QRect& r : paints.rects())
        EXPECT_EQ(r, QRect(vr.left, vr.top, vr.width(), vr.height()));

    // A settings change only invalidates: the paint follows from the event loop.
    paints.clear();
    vi->signalSettings().setValueUnit("mV");
    EXPECT_EQ(paints.count(), 0);
    EXPECT_TRUE(vi->faceDirty());
    QApplication::processEvents();
    EXPECT_GT(paints.count(), 0);
    EXPECT_FALSE(vi->faceDirty());
}

TEST_F(ValueIndicatorTest, HiddenControlSkipsTheFieldButKeepsTheValueLogic) {
    auto* vi = make();
    vi->loaded();
    const QImage before = vi->renderFace().copy();
    vi->hide();
    int valueChanges = 0, overflows = 0;
    vi->model().onValueChange = [&](AnalogGauge&) { ++valueChanges; };
    vi->model().onOverflow = [&](AnalogGauge&, int) { ++overflows; };
    vi->setValue(150.0f);
    EXPECT_EQ(valueChanges, 2); // the maximum is reported, with its own update
    EXPECT_EQ(overflows, 1);
    EXPECT_EQ(vi->valueText(), "150,0");
    EXPECT_EQ(vi->face(), before);
}

TEST_F(ValueIndicatorTest, ShownAgainTheControlShowsTheLatestValue) {
    auto* vi = make();
    vi->loaded();
    vi->setValue(12.0f);
    form_->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    ASSERT_FALSE(vi->faceDirty());
    vi->hide();
    vi->setValue(77.0f);
    vi->show();
    QApplication::processEvents();
    const Rect vr = vi->valueRect();
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "77,0"));
    QImage screen(vi->size(), QImage::Format_ARGB32_Premultiplied);
    screen.fill(Qt::transparent);
    vi->render(&screen, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(areaOf(screen, vr), expectedField(*vi, vr, "77,0"));
}

// Painting runs no model code. What a face shows follows the settings: the per-value update
// runs once before the first full paint after they changed; drawing the face again (for a
// screen of another ratio) or into another canvas changes nothing and raises no event.
TEST_F(ValueIndicatorTest, PaintingLeavesTheModelAsItIs) {
    auto* vi = make();
    vi->loaded();
    int valueChanges = 0;
    vi->model().onValueChange = [&](AnalogGauge&) { ++valueChanges; };
    vi->renderFace();
    EXPECT_EQ(valueChanges, 1);
    EXPECT_EQ(vi->valueText(), "50,0");
    vi->renderFace();
    vi->renderFace(2.0);
    QImage other(vi->width(), vi->height(), QImage::Format_ARGB32_Premultiplied);
    other.fill(Qt::transparent);
    {
        Canvas c(other);
        vi->paint(c, vi->clientRect());
    }
    EXPECT_EQ(valueChanges, 1);

    vi->signalSettings().setValueFormat("0.00");
    EXPECT_EQ(valueChanges, 1) << "a settings change only invalidates";
    vi->renderFace(1.5);
    EXPECT_EQ(valueChanges, 2);
    EXPECT_EQ(vi->valueText(), "50,00");
    vi->renderFace();
    EXPECT_EQ(valueChanges, 2);
}

TEST_F(ValueIndicatorTest, RefusedFormatReachesTheCallerAndPaintingRecovers) {
    auto* vi = make();
    vi->loaded();
    vi->renderFace();
    vi->signalSettings().setValueFormat(std::string(300, '0'));
    EXPECT_THROW(vi->setValue(1.0f), ConvertError);
    EXPECT_THROW(vi->renderFace(), ConvertError);
    EXPECT_TRUE(vi->faceDirty());

    vi->signalSettings().setValueFormat("0.0");
    vi->renderFace();
    EXPECT_FALSE(vi->faceDirty());
    const QImage before = vi->face().copy();
    vi->setValue(2.0f);
    EXPECT_NE(vi->face(), before); // the fast path works again
    EXPECT_EQ(areaOf(vi->face(), vi->valueRect()), expectedField(*vi, vi->valueRect(), "2,0"));
}

// A value font 30000 pixels high is measured and drawn at the tallest font size; the control
// grows to that content, its face stops at the largest side and the field is drawn there.
TEST_F(ValueIndicatorTest, AValueFontThirtyThousandPixelsHighIsHeldToTheTallestSize) {
    auto paintWithFont = [this](int height) {
        auto* vi = make();
        FontSpec f;
        f.height = height;
        vi->setFontValue(f);
        vi->loaded();
        vi->renderFace();
        return vi;
    };
    const ValueIndicator* huge = paintWithFont(30000);
    const ValueIndicator* tallest = paintWithFont(-kMaxFontPixels);
    EXPECT_EQ(huge->metrics().valueHeight, tallest->metrics().valueHeight);
    EXPECT_EQ(huge->metrics().sampleWidth, tallest->metrics().sampleWidth);
    EXPECT_GT(huge->width(), kMaxFaceSide);
    EXPECT_EQ(huge->face().width(), kMaxFaceSide);
    const Rect field = huge->valueRect();
    EXPECT_EQ(QColor(huge->face().pixel(field.left + 1, field.top + 1)), QColor(Qt::black));
}

TEST_F(ValueIndicatorTest, PaintsIntoAnyCanvasRectangle) {
    auto* vi = make();
    vi->loaded();
    vi->setValue(12.5f);
    const QImage& face = vi->renderFace();
    QImage other(face.width() + 40, face.height() + 30, QImage::Format_ARGB32_Premultiplied);
    other.fill(Qt::transparent);
    {
        Canvas c(other);
        vi->paint(c, Rect{40, 30, 40 + face.width(), 30 + face.height()});
    }
    EXPECT_EQ(other.copy(40, 30, face.width(), face.height()), face);

    // The face keeps its own layout: the next value still lands in the face's field.
    const Rect vr = vi->valueRect();
    vi->setValue(7.5f);
    EXPECT_EQ(areaOf(vi->face(), vr), expectedField(*vi, vr, "7,5"));
}

} // namespace
} // namespace kv
