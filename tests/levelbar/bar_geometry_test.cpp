#include "levelbar/bar_geometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace kv {
namespace {

struct MulDivCase {
    std::int64_t a, b, c;
    int expected;
};

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    const MulDivCase cases[] = {
        {456, 500, 1000, 228},
        {456, 1000, 1000, 456},
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {3, 1, 2, 2},
        {-3, 1, 2, -2},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {1, -128, 5, -26},
        {2, -128, 5, -51},
        {3, -128, 5, -77},
        {4, -128, 5, -102},
        {1, 128, -5, -26},
        {-1, -128, 5, 26},
        {0, 7, 3, 0},
        // the product needs more than 32 bits
        {65536, 65536, 65536, 65536},
        {456, INT_MAX, INT_MAX, 456},
    };
    for (const MulDivCase& c : cases)
        EXPECT_EQ(mulDiv(c.a, c.b, c.c), c.expected) << c.a << " * " << c.b << " / " << c.c;
}

TEST(MulDiv, DegenerateInputsStayDefined) {
    EXPECT_EQ(mulDiv(5, 5, 0), 0);
    EXPECT_EQ(mulDiv(INT_MAX, INT_MAX, 1), INT_MAX);
    EXPECT_EQ(mulDiv(INT_MIN, INT_MAX, 1), INT_MIN);
}

TEST(FilledLength, MapsThePositionOntoTheFullExtent) {
    EXPECT_EQ(filledLength(456, 500, 0, 1000), 228);
    EXPECT_EQ(filledLength(456, 0, 0, 1000), 0);
    EXPECT_EQ(filledLength(150, 50, 0, 100), 75);
    EXPECT_EQ(filledLength(150, 1, 0, 100), 2); // 1.5 rounds up
    EXPECT_EQ(filledLength(100, 30, 20, 40), 50);
    EXPECT_EQ(filledLength(100, 0, 0, 0), 0);
    // a span that does not fit in an int
    EXPECT_EQ(filledLength(456, 0, INT_MIN, INT_MAX), 228);
    EXPECT_EQ(filledLength(456, INT_MAX, INT_MIN, INT_MAX), 456);
}

TEST(BarAreas, HorizontalBlocksStartEveryEightPixels) {
    const auto half = barAreas(BarOrientation::pbHorizontal, false, 456, 17, 228);
    ASSERT_EQ(half.size(), 29u);
    for (std::size_t k = 0; k < half.size(); ++k)
        EXPECT_EQ(half[k], (Rect{int(4 + 8 * k), 3, int(10 + 8 * k), 14})) << k;
    EXPECT_EQ(half.back().left, 228);

    const auto full = barAreas(BarOrientation::pbHorizontal, false, 456, 17, 456);
    ASSERT_EQ(full.size(), 57u);
    EXPECT_EQ(full.back(), (Rect{452, 3, 453, 14})); // cut at W - 3

    EXPECT_TRUE(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 0).empty());
    EXPECT_TRUE(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 2).empty());
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 3).size(), 1u);
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 10).size(), 1u);
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 11).size(), 2u);
    // a length beyond the control stops at the trough's end
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, false, 456, 17, 10000).size(), 57u);
}

TEST(BarAreas, VerticalBlocksGrowUpFromTheBottom) {
    const auto half = barAreas(BarOrientation::pbVertical, false, 17, 456, 228);
    ASSERT_EQ(half.size(), 29u);
    for (std::size_t k = 0; k < half.size(); ++k)
        EXPECT_EQ(half[k], (Rect{3, int(447 - 8 * k), 14, int(453 - 8 * k)})) << k;

    const auto full = barAreas(BarOrientation::pbVertical, false, 17, 456, 456);
    ASSERT_EQ(full.size(), 57u);
    EXPECT_EQ(full.back(), (Rect{3, 3, 14, 5})); // raised to the trough's top
    EXPECT_TRUE(barAreas(BarOrientation::pbVertical, false, 17, 456, 2).empty());
}

TEST(BarAreas, SmoothBarIsOneArea) {
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, true, 456, 17, 456),
              (std::vector<Rect>{{4, 3, 453, 14}}));
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, true, 456, 17, 100),
              (std::vector<Rect>{{4, 3, 102, 14}}));
    EXPECT_EQ(barAreas(BarOrientation::pbHorizontal, true, 456, 17, 3),
              (std::vector<Rect>{{4, 3, 5, 14}}));
    EXPECT_TRUE(barAreas(BarOrientation::pbHorizontal, true, 456, 17, 2).empty());
    EXPECT_EQ(barAreas(BarOrientation::pbVertical, true, 17, 456, 456),
              (std::vector<Rect>{{4, 4, 13, 453}}));
    EXPECT_EQ(barAreas(BarOrientation::pbVertical, true, 17, 456, 100),
              (std::vector<Rect>{{4, 355, 13, 453}}));
    EXPECT_TRUE(barAreas(BarOrientation::pbVertical, true, 17, 456, 0).empty());
    // too small a control for any trough
    EXPECT_TRUE(barAreas(BarOrientation::pbHorizontal, true, 6, 6, 6).empty());
    EXPECT_TRUE(barAreas(BarOrientation::pbHorizontal, false, 6, 6, 6).empty());
}

// Only the blocks meeting the window are listed: a bar as long as the int range costs no
// more than the blocks on the canvas.
TEST(BarAreas, AWindowListsOnlyTheBlocksMeetingIt) {
    const auto across =
        barAreas(BarOrientation::pbHorizontal, false, INT_MAX, 17, INT_MAX, Rect{100, 0, 140, 17});
    ASSERT_EQ(across.size(), 5u);
    EXPECT_EQ(across.front(), (Rect{100, 3, 106, 14}));
    EXPECT_EQ(across.back(), (Rect{132, 3, 138, 14}));
    // Upward from the bottom at INT_MAX - 3: blocks end on rows 4 apart from a multiple of 8.
    const auto up =
        barAreas(BarOrientation::pbVertical, false, 17, INT_MAX, INT_MAX, Rect{0, 1000, 17, 1016});
    EXPECT_EQ(up,
              (std::vector<Rect>{{3, 1014, 14, 1020}, {3, 1006, 14, 1012}, {3, 998, 14, 1004}}));
}

TEST(GradientBands, ElevenRowBlockMirrorsNavyToBlack) {
    const Rect block{4, 3, 10, 14};
    const BlockHalves halves = blockHalves(block, BarOrientation::pbHorizontal);
    EXPECT_EQ(halves.first, (Rect{4, 3, 10, 9}));
    EXPECT_EQ(halves.second, (Rect{4, 8, 10, 14})); // shares row 8 with the first half
    int blue[17] = {};
    for (const auto& b : gradientBands(halves.first, clNavy, clBlack, halves.direction))
        for (int y = b.rect.top; y < b.rect.bottom; ++y)
            blue[y] = blueOf(b.color);
    for (const auto& b : gradientBands(halves.second, clBlack, clNavy, halves.direction))
        for (int y = b.rect.top; y < b.rect.bottom; ++y)
            blue[y] = blueOf(b.color);
    const int expected[] = {128, 102, 77, 51, 26, 0, 26, 51, 77, 102, 128};
    for (int y = 3; y <= 13; ++y)
        EXPECT_EQ(blue[y], expected[y - 3]) << "row " << y;
}

TEST(GradientBands, BandCountAndRemainder) {
    // equal colours: one plain fill
    const auto plain = gradientBands({0, 0, 10, 10}, clRed, clRed, GradientDirection::Downward);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].rect, (Rect{0, 0, 10, 10}));

    EXPECT_TRUE(gradientBands({0, 0, 0, 10}, clRed, clBlue, GradientDirection::Downward).empty());

    // one row: two bands of size 0, the row itself in the end colour
    const auto one = gradientBands({0, 5, 4, 6}, clBlack, clWhite, GradientDirection::Downward);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].rect, (Rect{0, 5, 4, 6}));
    EXPECT_EQ(one[0].color, clWhite);

    // 300 columns: 255 one-column bands from black to white, 45 columns of white after them
    const auto wide =
        gradientBands({10, 0, 310, 4}, clBlack, clWhite, GradientDirection::Rightward);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0].rect, (Rect{10, 0, 11, 4}));
    EXPECT_EQ(wide[0].color, clBlack);
    EXPECT_EQ(wide[127].color, rgbColor(128, 128, 128)); // 127.5 rounds up
    EXPECT_EQ(wide[254].rect, (Rect{264, 0, 265, 4}));
    EXPECT_EQ(wide[254].color, clWhite);
    EXPECT_EQ(wide[255].rect, (Rect{265, 0, 310, 4}));
    EXPECT_EQ(wide[255].color, clWhite);

    // per channel, each towards its own end
    const auto mixed = gradientBands({0, 0, 3, 3}, rgbColor(0, 200, 100), rgbColor(100, 0, 100),
                                     GradientDirection::Downward);
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(mixed[1].color, rgbColor(50, 100, 100));
}

TEST(BlockHalves, VerticalSplitsAcross) {
    const BlockHalves h = blockHalves({3, 100, 14, 106}, BarOrientation::pbVertical);
    EXPECT_EQ(h.first, (Rect{3, 100, 9, 106}));
    EXPECT_EQ(h.second, (Rect{8, 100, 14, 106}));
    EXPECT_EQ(h.direction, GradientDirection::Rightward);
}

} // namespace
} // namespace kv
