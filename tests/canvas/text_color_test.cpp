#include "canvas/canvas.h"
#include "pixel_helpers.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <gtest/gtest.h>

namespace kv {
namespace {

using test::at;
using test::blankImage;
using test::boundsOf;
using test::inked;

struct NamedColor {
    ColorValue value;
    int r, g, b;
};

TEST(Color, ConstantsAreBgrInTheLowThreeBytes) {
    const NamedColor table[] = {
        {clBlack, 0, 0, 0},        {clRed, 255, 0, 0},       {clGreen, 0, 128, 0},
        {clLime, 0, 255, 0},       {clYellow, 255, 255, 0},  {clNavy, 0, 0, 128},
        {clAqua, 0, 255, 255},     {clWhite, 255, 255, 255}, {16244694, 214, 223, 247},
        {0xE2E2E2, 226, 226, 226},
    };
    for (const auto& c : table) {
        const QColor q = toQColor(c.value);
        EXPECT_EQ(q.red(), c.r) << std::hex << c.value;
        EXPECT_EQ(q.green(), c.g) << std::hex << c.value;
        EXPECT_EQ(q.blue(), c.b) << std::hex << c.value;
        EXPECT_EQ(fromQColor(q), c.value);
        EXPECT_EQ(resolveColor(c.value), c.value);
    }
}

class PaletteGuard {
public:
    PaletteGuard() : saved_(QApplication::palette()) {}
    ~PaletteGuard() { QApplication::setPalette(saved_); }

private:
    QPalette saved_;
};

TEST(Color, SystemColoursFollowTheCurrentPalette) {
    PaletteGuard guard;
    QPalette pal = QApplication::palette();
    pal.setColor(QPalette::Button, QColor(1, 2, 3));
    pal.setColor(QPalette::Dark, QColor(4, 5, 6));
    pal.setColor(QPalette::Light, QColor(7, 8, 9));
    pal.setColor(QPalette::Base, QColor(10, 11, 12));
    pal.setColor(QPalette::Text, QColor(13, 14, 15));
    QApplication::setPalette(pal);
    EXPECT_EQ(resolveColor(clBtnFace), rgbColor(1, 2, 3));
    EXPECT_EQ(resolveColor(clBtnShadow), rgbColor(4, 5, 6));
    EXPECT_EQ(resolveColor(clBtnHighlight), rgbColor(7, 8, 9));
    EXPECT_EQ(resolveColor(clWindow), rgbColor(10, 11, 12));
    EXPECT_EQ(resolveColor(clWindowText), rgbColor(13, 14, 15));
    EXPECT_FALSE(isSystemColor(resolveColor(clScrollBar)));
    EXPECT_EQ(ColorDefault, clScrollBar);
}

TEST(Color, SystemColourIsResolvedWhenDrawnNotWhenSet) {
    PaletteGuard guard;
    QImage img = blankImage(2, 1);
    Canvas c(img);
    c.setBrushColor(clBtnFace);
    EXPECT_EQ(c.brushColor(), clBtnFace);
    QPalette pal = QApplication::palette();
    pal.setColor(QPalette::Button, QColor(40, 50, 60));
    QApplication::setPalette(pal);
    c.fillRect(Rect{0, 0, 1, 1});
    EXPECT_EQ(c.pixel(0, 0), rgbColor(40, 50, 60));
}

TEST(Color, NoneStaysNoneAndDrawsNothing) {
    EXPECT_EQ(resolveColor(clNone), clNone);
    EXPECT_EQ(toQColor(clNone).alpha(), 0);
    QImage img = blankImage(4, 4);
    {
        Canvas c(img);
        c.fillRect(Rect{0, 0, 4, 4}, clNone);
        c.setPixel(1, 1, clNone);
        c.setPenColor(clNone);
        c.line(0, 0, 4, 4);
        c.setPenMode(PenMode::pmNotXor); // not even inverting
        c.line(0, 1, 4, 1);
        c.setBrushStyle(BrushStyle::bsClear);
        c.rectangle(Rect{0, 0, 4, 4});
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Color, UnknownFlagByteKeepsTheRgbPart) {
    EXPECT_EQ(resolveColor(0x02123456), 0x123456u);
}

TEST(Font, PositiveHeightIsTheCellHeightNeverExceeded) {
    for (int h = 8; h <= 60; ++h) {
        FontSpec f;
        f.height = h;
        QImage img = blankImage(1, 1);
        Canvas c(img);
        c.setFont(f);
        const int cell = c.textHeight("0");
        EXPECT_LE(cell, h) << h;
        EXPECT_GE(cell, h - 1) << h;
    }
}

TEST(Font, NegativeHeightIsTheCharacterHeight) {
    FontSpec f;
    f.height = -20;
    const QFont q = toQFont(f);
    EXPECT_EQ(q.pixelSize(), 20);
    const QFontMetrics fm(q);
    EXPECT_GT(fm.ascent() + fm.descent(), 20); // the cell adds the internal leading
}

TEST(Font, PointSizeAtNinetySixDpi) {
    FontSpec eight;
    eight.size = 8; // 10.67 pixels, rounded
    EXPECT_EQ(toQFont(eight).pixelSize(), 11);
    FontSpec ten;
    ten.size = 10;
    EXPECT_EQ(toQFont(ten).pixelSize(), 13);
}

// One canvas measuring and writing in several fonts in turn, as the scale and the axis
// labels do: every change of face, size or weight takes effect, a colour change alone
// keeps the measures.
TEST(Font, ChangesOnOneCanvasTakeEffect) {
    QImage img = blankImage(200, 60);
    Canvas c(img);
    FontSpec f;
    f.height = 12;
    c.setFont(f);
    const Size small = c.textExtent("12,345");
    f.height = 30;
    c.setFont(f);
    const Size big = c.textExtent("12,345");
    EXPECT_LE(small.height, 12);
    EXPECT_GE(big.height, 29);
    const int regular = c.textWidth("mmm");
    f.bold = true;
    c.setFont(f);
    const int bold = c.textWidth("mmm");
    EXPECT_GT(bold, regular);
    f.color = clRed;
    c.setFont(f);
    EXPECT_EQ(c.textWidth("mmm"), bold);

    c.setBrushColor(clBlack);
    c.setBackMode(BackMode::Opaque);
    c.textOut(0, 0, "0");
    f.height = 12;
    c.setFont(f);
    c.textOut(100, 0, "0");
    EXPECT_EQ(boundsOf(inked(img)).bottom, big.height); // the first cell is the tall one
    int rightCell = 0;
    for (int y = 0; y < 60; ++y)
        rightCell += at(img, 100, y) != clWhite ? 1 : 0;
    EXPECT_EQ(rightCell, c.textHeight("0"));
}

// A reading's text is measured as the sum of its characters: it must come out as wide as
// the text laid out whole, in the faces, styles and sizes the displays use.
TEST(Font, FiguresAreAsWideAsTheTextLaidOut) {
    QImage img = blankImage(10, 10);
    Canvas c(img);
    const char* const texts[] = {"1.9210", "-0.0001", "+11 111", "1,234.5", "  -.-", "0", ""};
    for (const char* name : {"Arial", "MS Sans Serif", "Courier New"})
        for (const int height : {9, 13, 27, 64, 181})
            for (const bool bold : {false, true}) {
                FontSpec f;
                f.name = name;
                f.height = height;
                f.bold = bold;
                f.italic = height == 27;
                c.setFont(f);
                const QFontMetrics laidOut(toQFont(f));
                for (const char* text : texts)
                    EXPECT_EQ(c.textWidth(text), laidOut.horizontalAdvance(QString(text)))
                        << name << " " << height << " " << bold << " '" << text << "'";
            }
}

// Texts drawn again and again (labels, titles) are drawn from a kept layout: the first and
// every later time, the pixels Qt's drawText puts at the baseline.
TEST(Font, TextDrawnAgainHasThePixelsOfTheTextLaidOut) {
    // Figures (a reading's digits) are put together from their glyphs, the rest laid out.
    const char* const texts[] = {"TrendChart", "12:30:45", "-0.5",      "V-DC",     "Wf fi",
                                 "g|y",        "+1 234,5", "-0.000 17", "90817.46", "1"};
    for (const char* name : {"Arial", "Times New Roman", "Courier New"})
        for (const int height : {11, 16, 40, 75})
            for (const char* text : texts) {
                FontSpec f;
                f.name = name;
                f.height = height;
                f.bold = height == 16;
                f.color = clNavy;
                QImage expected = blankImage(420, 100);
                {
                    QPainter p(&expected);
                    const QFont font = toQFont(f);
                    p.setFont(font);
                    p.setPen(toQColor(clNavy));
                    p.drawText(QPoint(7, 5 + QFontMetrics(font).ascent()), QString(text));
                }
                for (int pass = 0; pass < 2; ++pass) {
                    QImage img = blankImage(420, 100);
                    {
                        Canvas c(img);
                        c.setFont(f);
                        c.textOut(7, 5, text);
                    }
                    EXPECT_EQ(img, expected) << name << " " << height << " '" << text << "'";
                }
            }
}

TEST(Font, SameSpecGivesSameFontEveryTime) {
    FontSpec f;
    f.height = 23;
    f.bold = true;
    const QFont a = toQFont(f);
    const QFont b = toQFont(f);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(a.bold());
}

TEST(Font, FacesResolveToInstalledSansFaces) {
    FontSpec arial;
    EXPECT_EQ(QFontInfo(toQFont(arial)).family(), QString("Liberation Sans"));
    FontSpec old;
    old.name = "MS Sans Serif";
    const QString family = QFontInfo(toQFont(old)).family();
    EXPECT_FALSE(family.isEmpty());
    EXPECT_FALSE(family.contains("Serif") && !family.contains("Sans")) << family.toStdString();
}

struct AlignCase {
    HAlign h;
    VAlign v;
};

class TextAlign : public ::testing::TestWithParam<AlignCase> {};

// Opaque text fills exactly its cell, so the cell's place shows the alignment.
TEST_P(TextAlign, OpaqueCellSitsOnTheAnchor) {
    const AlignCase a = GetParam();
    QImage img = blankImage(200, 100);
    Size ext;
    {
        Canvas c(img);
        FontSpec f;
        f.height = 16;
        f.color = clBlack;
        c.setFont(f);
        c.setBrushColor(clYellow);
        c.setBackMode(BackMode::Opaque);
        c.setTextAlign(a.h, a.v);
        ext = c.textExtent("12,345");
        c.textOut(100, 50, "12,345");
    }
    ASSERT_GT(ext.width, 0);
    EXPECT_EQ(ext.height, 16);
    int left = 100;
    if (a.h == HAlign::Right)
        left = 100 - ext.width;
    else if (a.h == HAlign::Center)
        left = 100 - ext.width / 2;
    const int top = a.v == VAlign::Bottom ? 50 - ext.height : 50;
    EXPECT_EQ(boundsOf(inked(img)), (Rect{left, top, left + ext.width, top + ext.height}));
    EXPECT_EQ(at(img, left, top), clYellow);
    bool glyph = false;
    for (const auto& [x, y] : inked(img))
        glyph = glyph || at(img, x, y) == clBlack;
    EXPECT_TRUE(glyph);
}

INSTANTIATE_TEST_SUITE_P(AllAnchors, TextAlign,
                         ::testing::Values(AlignCase{HAlign::Left, VAlign::Top},
                                           AlignCase{HAlign::Right, VAlign::Top},
                                           AlignCase{HAlign::Center, VAlign::Top},
                                           AlignCase{HAlign::Left, VAlign::Bottom},
                                           AlignCase{HAlign::Right, VAlign::Bottom},
                                           AlignCase{HAlign::Center, VAlign::Bottom}));

TEST(Text, TransparentTouchesOnlyGlyphPixelsInFontColour) {
    QImage img = blankImage(120, 40);
    Size ext;
    {
        Canvas c(img);
        FontSpec f;
        f.height = 20;
        f.color = clRed;
        c.setFont(f);
        c.setBrushColor(clYellow);
        c.setBackMode(BackMode::Transparent);
        ext = c.textExtent("V-DC");
        c.textOut(10, 5, "V-DC");
    }
    const auto px = inked(img);
    ASSERT_FALSE(px.empty());
    for (const auto& [x, y] : px)
        ASSERT_EQ(at(img, x, y), clRed) << x << "," << y;
    const Rect b = boundsOf(px);
    EXPECT_GE(b.left, 10);
    EXPECT_LE(b.right, 10 + ext.width + 1);
    EXPECT_GE(b.top, 5);
    EXPECT_LE(b.bottom, 5 + ext.height);
}

TEST(Text, WidthGrowsWithTheTextAndEmptyTextIsEmpty) {
    QImage img = blankImage(10, 10);
    {
        Canvas c(img);
        EXPECT_EQ(c.textWidth(""), 0);
        EXPECT_GT(c.textWidth("00"), c.textWidth("0"));
        EXPECT_EQ(c.textWidth("0") * 5, c.textWidth("00000")); // digits share one advance
        c.setBackMode(BackMode::Opaque);
        c.setBrushColor(clBlack);
        c.textOut(2, 2, "");
    }
    EXPECT_TRUE(inked(img).empty());
}

TEST(Text, UmlautsAndDegreeSignAreMeasuredAsCharacters) {
    QImage img = blankImage(10, 10);
    Canvas c(img);
    EXPECT_GT(c.textWidth("\xC3\xBC"), 0);
    EXPECT_LT(c.textWidth("\xC3\xBC"), 2 * c.textWidth("u") + 1);
}

} // namespace
} // namespace kv

namespace kv {
namespace {

// Widths are kept between paints; a width kept for one font must never answer for another,
// nor outlive the many texts after which they are forgotten.
TEST(TextWidths, AreTheFontsOwnWhateverWasMeasuredBefore) {
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    Canvas c(image);
    FontSpec small;
    small.name = "Arial";
    small.height = -11;
    FontSpec large = small;
    large.height = -40;
    FontSpec bold = small;
    bold.bold = true;
    const std::string texts[] = {"TrendChart", "0,5", "1.000", "W"};
    auto expected = [](const FontSpec& f, const std::string& t) {
        return QFontMetrics(toQFont(f)).horizontalAdvance(QString::fromStdString(t));
    };
    for (int round = 0; round < 2; ++round)
        for (const FontSpec& f : {small, large, bold, small})
            for (const std::string& t : texts) {
                c.setFont(f);
                EXPECT_EQ(c.textWidth(t), expected(f, t)) << t << " at " << -f.height;
            }
    c.setFont(small);
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(c.textWidth(std::to_string(i)), expected(small, std::to_string(i)));
    c.setFont(large);
    EXPECT_EQ(c.textWidth("TrendChart"), expected(large, "TrendChart"));
}

} // namespace
} // namespace kv
