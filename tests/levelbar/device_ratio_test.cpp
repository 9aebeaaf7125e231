#include "levelbar/level_bar.h"
#include "support/ratio_pictures.h"

#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>
#include <set>

namespace kv {
namespace {

constexpr ColorValue kForm = 16244694;

// The main window's bar at `position` of 1000, drawn for a screen of `ratio`.
QImage balkenAt(int position, double ratio) {
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, toQColor(kForm));
    form.setPalette(pal);
    auto* bar = new LevelBar(&form);
    bar->resize(456, 17);
    bar->setBarColorFrom(clBlack);
    bar->setBarColorTo(clNavy);
    bar->setMax(1000);
    bar->setPosition(position);
    return bar->renderFace(ratio).copy();
}

TEST(LevelBarAtARatio, TheBarAtAnyRatioIsTheBarInFinerPixels) {
    const QImage one = balkenAt(500, 1.0);
    for (double ratio : {1.25, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = balkenAt(500, ratio);
        EXPECT_EQ(hi.devicePixelRatio(), ratio);
        EXPECT_EQ(hi.size(), QSize(qRound(456 * ratio), qRound(17 * ratio)));
        EXPECT_LT(test::differingFromOneToOne(one, hi), 456 * 17 / 100);
    }
    // Another position does not pass for this one.
    EXPECT_GT(test::differingFromOneToOne(one, balkenAt(700, 2.0)), 200);
}

TEST(LevelBarAtARatio, ABlockHasABandForEveryDevicePixelRow) {
    // A block's rows 3 to 13: navy at both long edges, black along the middle. At 200 % its
    // 22 device rows each take a colour of their own, where a doubled block repeats its 11.
    const QImage two = balkenAt(500, 2.0);
    std::vector<int> blues;
    for (int y = 6; y < 28; ++y)
        blues.push_back(qBlue(two.pixel(10, y)));
    EXPECT_EQ(blues.front(), 128);
    EXPECT_EQ(blues.back(), 128);
    EXPECT_EQ(*std::min_element(blues.begin(), blues.end()), 0);
    EXPECT_GE(std::set<int>(blues.begin(), blues.end()).size(), 11u);
    for (int y = 6; y < 17; ++y)
        EXPECT_GE(qBlue(two.pixel(10, y)), qBlue(two.pixel(10, y + 1))) << y;
    // Rows and columns beyond the block: the trough, the gap between blocks.
    EXPECT_EQ(two.pixelColor(10, 28), toQColor(clWindow));
    EXPECT_EQ(two.pixelColor(20, 15), toQColor(clWindow));
    EXPECT_NE(two.pixelColor(19, 15), toQColor(clWindow)); // block 1: logical columns 4 to 9

    const QImage one = balkenAt(500, 1.0);
    std::set<int> plain;
    for (int y = 3; y < 14; ++y)
        plain.insert(qBlue(one.pixel(5, y)));
    EXPECT_EQ(plain.size(), 6u);
}

TEST(LevelBarAtARatio, TheFrameStaysSharpAndTheCornersShowTheParent) {
    for (double ratio : {1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage hi = balkenAt(0, ratio).convertToFormat(QImage::Format_RGB32);
        // Only the frame's own greys, the trough and the parent's colour: no blended edge.
        std::set<QRgb> colours;
        for (int y = 0; y < hi.height(); ++y)
            for (int x = 0; x < hi.width(); ++x)
                colours.insert(hi.pixel(x, y) & 0xFFFFFF);
        EXPECT_EQ(colours,
                  (std::set<QRgb>{0x686868, 0xBEBEBE, 0xEFEFEF, toQColor(clWindow).rgb() & 0xFFFFFF,
                                  toQColor(kForm).rgb() & 0xFFFFFF}));
        EXPECT_EQ(hi.pixelColor(0, 0), toQColor(kForm));
        EXPECT_EQ(hi.pixelColor(hi.width() - 1, hi.height() - 1), toQColor(kForm));
    }
}

} // namespace
} // namespace kv
