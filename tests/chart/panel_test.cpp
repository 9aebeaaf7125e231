#include "chart_fixture.h"

#include <QApplication>
#include <climits>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

namespace kv {
namespace {

using test::ConfiguredChart;
using test::kChartHeight;
using test::kChartWidth;
using test::letterW;
using test::pixelAt;

int titleLineHeight(const TrendChart& chart) {
    return letterW(chart.title().font()).height;
}

// ---------------------------------------------------------------------------------------
// Geometry

struct MarginCase {
    int width, height;
    Rect plot;
};

TEST(ChartGeometry, MarginsArePercentOfTheSizeWithHalvesRoundedUp) {
    const MarginCase cases[] = {
        {456, 263, {14, 11, 442, 252}}, // the window's chart
        {150, 100, {5, 4, 145, 96}},    // 4.5 rounds to 5
        {50, 25, {2, 1, 48, 24}},       // 1.5 -> 2, 1.0 -> 1
        {16, 12, {0, 0, 16, 12}},       // 0.48 -> 0
    };
    for (const auto& c : cases) {
        ConfiguredChart f;
        f.chart->title().setVisible(false);
        f.chart->setAxisVisible(false);
        f.chart->resize(c.width, c.height);
        f.render();
        EXPECT_EQ(f.chart->plotRect(), c.plot) << c.width << "x" << c.height;
    }
}

TEST(ChartGeometry, BorderWidthShrinksThePlotOnEverySide) {
    ConfiguredChart f;
    f.chart->title().setVisible(false);
    f.chart->setAxisVisible(false);
    f.chart->setBorderWidth(3);
    f.render();
    EXPECT_EQ(f.chart->plotRect(), (Rect{17, 14, 439, 249}));
}

TEST(ChartGeometry, TitleMovesThePlotTopDownByItsLineHeightPlusTheGap) {
    ConfiguredChart f;
    f.chart->setAxisVisible(false);
    f.render();
    const int h = titleLineHeight(*f.chart);
    ASSERT_GT(h, 5);
    EXPECT_EQ(f.chart->plotRect(), (Rect{14, 11 + h + 5, 442, 252}));
    EXPECT_EQ(f.chart->title().block(), (Rect{14, 11, 442, 11 + h}));

    f.chart->title().setText({"TrendChart", "second line"});
    f.render();
    EXPECT_EQ(f.chart->plotRect().top, 11 + 2 * h + 5);
}

TEST(ChartGeometry, EmptyTitleAndFootTakeNoSpaceAndAFootTakesItsLinesFromTheBottom) {
    ConfiguredChart f;
    f.chart->setAxisVisible(false);
    f.chart->title().setText({});
    f.render();
    EXPECT_EQ(f.chart->plotRect(), (Rect{14, 11, 442, 252}));

    f.chart->foot().setText({"a", "b"});
    f.render();
    const int h = letterW(f.chart->foot().font()).height;
    EXPECT_EQ(f.chart->plotRect(), (Rect{14, 11, 442, 252 - 2 * h - 5}));
}

TEST(ChartGeometry, LeftAxisMovesOnlyTheLeftEdge) {
    ConfiguredChart f;
    f.append(1.5);
    f.append(2.5);
    f.render();
    const int h = titleLineHeight(*f.chart);
    const Rect& p = f.chart->plotRect();
    EXPECT_EQ(p.top, 11 + h + 5);
    EXPECT_EQ(p.right, 442);
    EXPECT_EQ(p.bottom, 252);
    // Label column, then 2 pixels of axis line and 4 of ticks.
    EXPECT_EQ(f.chart->leftAxis().tickAreaWidth(), 6);
    EXPECT_EQ(p.left, f.chart->leftAxis().labelsPos() + 6);
    EXPECT_GT(p.left, 14 + 6);
    EXPECT_EQ(f.chart->leftAxis().axisLinePos(), p.left);
}

TEST(ChartGeometry, AWiderLabelMovesThePlotsLeftEdgeRightOnTheNextPass) {
    ConfiguredChart f;
    f.append(1);
    f.append(2);
    f.render();
    f.render(); // the label column uses the previous pass' axis length
    const int narrowLeft = f.chart->plotRect().left;

    f.append(1234567.5);
    f.render();
    f.render();
    const int wideLeft = f.chart->plotRect().left;
    EXPECT_GT(wideLeft, narrowLeft);
    // The points spread over the narrower width: first on the left edge, last on the right.
    EXPECT_EQ(f.series->xPixel(0), wideLeft);
    EXPECT_EQ(f.series->xPixel(2), f.chart->plotRect().right);
}

TEST(ChartGeometry, SqueezedPlotIsWidenedBack) {
    ConfiguredChart f;
    f.chart->title().setVisible(false);
    f.chart->setAxisVisible(false);
    // Margins meeting in the middle: an empty plot gets the full control size, an
    // inverted one a single pixel.
    f.chart->setMarginLeft(50);
    f.chart->setMarginRight(50);
    f.chart->setMarginTop(50);
    f.chart->setMarginBottom(50);
    f.render();
    // Horizontally 228 meets 228: the full width. Vertically 132 passes 131: one pixel.
    EXPECT_EQ(f.chart->plotRect(), (Rect{228, 132, 228 + kChartWidth, 133}));

    // Margins crossing over: an inverted plot becomes one pixel wide and high.
    f.chart->setMarginLeft(70);
    f.chart->setMarginRight(70);
    f.chart->setMarginTop(70);
    f.chart->setMarginBottom(70);
    f.render();
    const Rect& p = f.chart->plotRect();
    EXPECT_EQ(p.width(), 1);
    EXPECT_EQ(p.height(), 1);
    EXPECT_EQ(p.left, 319);
    EXPECT_EQ(p.top, 184);
}

TEST(ChartGeometry, OnlyAxesWithABoundActiveSeriesTakeSpace) {
    ConfiguredChart f;
    f.append(1);
    f.chart->rightAxis().setVisible(true); // no series is bound to it
    f.render();
    EXPECT_FALSE(f.chart->axisShown(f.chart->rightAxis()));
    EXPECT_TRUE(f.chart->axisShown(f.chart->leftAxis()));
    EXPECT_EQ(f.chart->plotRect().right, 442);

    f.series->setActive(false); // without an active series every visible axis shows
    f.render();
    EXPECT_TRUE(f.chart->axisShown(f.chart->rightAxis()));
    EXPECT_LT(f.chart->plotRect().right, 442);

    f.chart->setAxisVisible(false);
    EXPECT_FALSE(f.chart->axisShown(f.chart->leftAxis()));
    EXPECT_FALSE(f.chart->axisShown(f.chart->depthAxis()));
}

// ---------------------------------------------------------------------------------------
// Pictures

TEST(ChartPicture, EmptySeriesDrawsPanelTitleFrameAndTheLabelZeroAtTheMiddle) {
    ConfiguredChart f;
    const QImage img = f.render();
    const ColorValue face = resolveColor(clBtnFace);
    const Rect p = f.chart->plotRect();

    EXPECT_EQ(pixelAt(img, 5, 5), face);
    EXPECT_EQ(pixelAt(img, 0, 5), resolveColor(clBtnHighlight));
    EXPECT_EQ(pixelAt(img, kChartWidth - 1, 5), resolveColor(clBtnShadow));
    EXPECT_EQ(pixelAt(img, 5, kChartHeight - 1), resolveColor(clBtnShadow));
    // The shadow side owns the two corners where the colours meet.
    EXPECT_EQ(pixelAt(img, 0, 0), resolveColor(clBtnHighlight));
    EXPECT_EQ(pixelAt(img, kChartWidth - 1, 0), resolveColor(clBtnShadow));
    EXPECT_EQ(pixelAt(img, 0, kChartHeight - 1), resolveColor(clBtnShadow));
    EXPECT_EQ(pixelAt(img, 1, 1), face);

    // Back-wall frame on all four edges of the plot rectangle, the inside not filled.
    EXPECT_EQ(pixelAt(img, p.right, (p.top + p.bottom) / 2 + 7), clBlack);
    EXPECT_EQ(pixelAt(img, (p.left + p.right) / 2, p.top), clBlack);
    EXPECT_EQ(pixelAt(img, (p.left + p.right) / 2, p.bottom), clBlack);
    EXPECT_EQ(pixelAt(img, p.left + 20, p.top + 20), face);
    // The axis line along the left edge.
    EXPECT_EQ(pixelAt(img, p.left, p.top + 20), clBlack);

    // Title text in the title rows, centred over the plot.
    int minX = kChartWidth, maxX = -1;
    const int h = titleLineHeight(*f.chart);
    for (int y = 11; y < 11 + h; ++y)
        for (int x = 2; x < kChartWidth - 2; ++x)
            if (pixelAt(img, x, y) != face) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    ASSERT_LT(minX, maxX);
    EXPECT_NEAR((minX + maxX) / 2.0, (14 + 442) / 2.0, 2.0);

    // One label ("0") left of the axis, at the vertical middle only.
    const int mid = (p.top + p.bottom) / 2;
    auto labelInk = [&](int y0, int y1) {
        int ink = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 14; x < p.left - 6; ++x)
                ink += pixelAt(img, x, y) != face;
        return ink;
    };
    EXPECT_GT(labelInk(mid - h / 2, mid + h / 2 + 1), 0);
    EXPECT_EQ(labelInk(p.top, mid - h), 0);
    EXPECT_EQ(labelInk(mid + h, p.bottom), 0);
}

TEST(ChartPicture, BevelsAndBorderFollowTheirSettings) {
    ConfiguredChart f;
    f.chart->setBevelOuter(PanelBevel::bvLowered);
    QImage img = f.render();
    EXPECT_EQ(pixelAt(img, 0, 5), resolveColor(clBtnShadow));
    EXPECT_EQ(pixelAt(img, kChartWidth - 1, 5), resolveColor(clBtnHighlight));

    f.chart->setBevelOuter(PanelBevel::bvNone);
    f.chart->setColor(clAqua);
    img = f.render();
    EXPECT_EQ(pixelAt(img, 0, 5), clAqua);
    EXPECT_EQ(pixelAt(img, kChartWidth - 1, kChartHeight - 1), clAqua);

    f.chart->setBevelOuter(PanelBevel::bvRaised);
    f.chart->setBevelWidth(2);
    img = f.render();
    EXPECT_EQ(pixelAt(img, 1, 5), resolveColor(clBtnHighlight));
    EXPECT_EQ(pixelAt(img, kChartWidth - 2, 5), resolveColor(clBtnShadow));
    EXPECT_EQ(pixelAt(img, 2, 5), clAqua);
}

// Frames as wide as the int range paint like the widest frames that can show: rings past
// the far side still cross the panel, later ones do not; the plot lies out of sight.
TEST(ChartPicture, FramesNearTheIntLimitPaintLikeTheWidestThatShow) {
    auto framed = [](int width) {
        ConfiguredChart f;
        f.append(1.5);
        f.chart->setBevelOuter(PanelBevel::bvRaised);
        f.chart->setBevelWidth(width);
        f.chart->setBorderWidth(width);
        return f.render();
    };
    const QImage widest = framed(600);
    EXPECT_EQ(framed(INT_MAX), widest);
    // The last ring to cross column 0 is one of the right-hand shadow columns.
    EXPECT_EQ(pixelAt(widest, 0, kChartHeight / 2), resolveColor(clBtnShadow));
}

int textWidthIn(const FontSpec& font, const std::string& text) {
    QImage scratch(8, 8, QImage::Format_RGB32);
    Canvas c(scratch);
    c.setFont(font);
    return c.textWidth(text);
}

// Leftmost and rightmost column in rows [top, bottom) whose pixel is not `face`, between
// the bevels.
std::pair<int, int> inkColumns(const QImage& img, int top, int bottom, ColorValue face) {
    int minX = img.width(), maxX = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = 2; x < img.width() - 2; ++x)
            if (pixelAt(img, x, y) != face) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    return {minX, maxX};
}

TEST(ChartPicture, TitleAlignmentPlacesTheTextHalfALetterInFromThePlotEdges) {
    ConfiguredChart f;
    const ColorValue face = resolveColor(clBtnFace);
    const Size w = letterW(f.chart->title().font());
    const int lineWidth = textWidthIn(f.chart->title().font(), "TrendChart");

    f.chart->title().setAlignment(TitleAlignment::taLeftJustify);
    QImage img = f.render();
    auto [left, right] = inkColumns(img, 11, 11 + w.height, face);
    EXPECT_GE(left, 14 + w.width / 2);
    EXPECT_LE(left, 14 + w.width / 2 + 2);
    EXPECT_LT(right, 14 + w.width / 2 + lineWidth);

    f.chart->title().setAlignment(TitleAlignment::taRightJustify);
    img = f.render();
    std::tie(left, right) = inkColumns(img, 11, 11 + w.height, face);
    EXPECT_LT(right, 442 - w.width / 2);
    EXPECT_GE(right, 442 - w.width / 2 - 3);
    EXPECT_GE(left, 442 - w.width / 2 - lineWidth);
}

TEST(ChartPicture, TitleBoxIsFilledOnlyBehindTheWidestLinePlusALetter) {
    ConfiguredChart f;
    const ColorValue face = resolveColor(clBtnFace);
    const Size w = letterW(f.chart->title().font());
    // The default brush colour means "nothing behind the text": no box at all.
    f.chart->title().brush().setStyle(BrushStyle::bsSolid);
    QImage img = f.render();
    EXPECT_EQ(pixelAt(img, 20, 11), face);

    f.chart->title().brush().setColor(clYellow);
    img = f.render();
    const Rect block = f.chart->title().block();
    ASSERT_EQ(block.top, 11);
    const int lineWidth = textWidthIn(f.chart->title().font(), "TrendChart");
    const int boxLeft = (14 + 442) / 2 - (lineWidth + w.width) / 2;
    const int boxRight = boxLeft + lineWidth + w.width;
    EXPECT_EQ(pixelAt(img, boxLeft, block.top), clYellow);
    EXPECT_EQ(pixelAt(img, boxRight - 1, block.bottom - 1), clYellow);
    EXPECT_EQ(pixelAt(img, boxLeft - 1, block.top), face);
    EXPECT_EQ(pixelAt(img, boxRight, block.top), face);
    EXPECT_EQ(pixelAt(img, boxLeft, block.bottom), face);

    // Without AdjustFrame the box spans the whole block.
    f.chart->title().setAdjustFrame(false);
    img = f.render();
    EXPECT_EQ(pixelAt(img, 14, block.top), clYellow);
    EXPECT_EQ(pixelAt(img, 441, block.bottom - 1), clYellow);
    EXPECT_EQ(pixelAt(img, 442, block.top), face);
}

TEST(ChartPicture, BackWallThenAxisThenSeriesEachDrawOverTheOneBefore) {
    ConfiguredChart f;
    f.chart->backWall().pen().setColor(clRed);
    // Equal readings lie on the vertical middle, where the label 5 puts its dotted grid line.
    f.append(5);
    f.append(5);
    const QImage img = f.render();
    const Rect p = f.chart->plotRect();
    const int mid = f.chart->leftAxis().valueToPixel(5);
    ASSERT_EQ(mid, (p.top + p.bottom) / 2);

    // The axis line covers the wall's left column; the right column shows the wall.
    EXPECT_EQ(pixelAt(img, p.left, p.top + 10), clBlack);
    EXPECT_EQ(pixelAt(img, p.right, p.top + 10), clRed);
    // The line covers the grid's dots all the way inside the frame.
    int grey = 0;
    for (int x = p.left + 2; x < p.right; ++x)
        grey += pixelAt(img, x, mid) != clBlack;
    EXPECT_EQ(grey, 0);
    // Without the line the grid's gaps show the panel.
    f.series->removeAllPoints();
    f.append(5);
    const QImage gridOnly = f.render();
    int gaps = 0;
    for (int x = p.left + 2; x < p.right; ++x)
        gaps += pixelAt(gridOnly, x, mid) == resolveColor(clBtnFace);
    EXPECT_GT(gaps, 50);
}

TEST(ChartPicture, SolidBackWallFillsThePlot) {
    ConfiguredChart f;
    f.chart->backWall().brush().setStyle(BrushStyle::bsSolid);
    const QImage img = f.render();
    const Rect p = f.chart->plotRect();
    EXPECT_EQ(pixelAt(img, p.left + 20, p.top + 20), clWhite);
    EXPECT_EQ(pixelAt(img, p.right, p.top + 20), clBlack);
}

TEST(ChartPicture, LineRunsFromTheLeftToTheRightEdgeInsideTheFrame) {
    ConfiguredChart f;
    f.append(0);
    f.append(10);
    const QImage img = f.render();
    const Rect p = f.chart->plotRect();
    // Lowest reading on the bottom edge at the left, highest on the top edge at the right:
    // the diagonal shows inside the frame.
    const int x = (p.left + p.right) / 2;
    const int y = f.chart->leftAxis().valueToPixel(5);
    bool ink = false;
    for (int dy = -1; dy <= 1; ++dy)
        ink |= pixelAt(img, x, y + dy) == clBlack;
    EXPECT_TRUE(ink);
    // Nothing of the line escapes above the frame.
    EXPECT_NE(pixelAt(img, p.right + 1, p.top - 1), clBlack);
}

// ---------------------------------------------------------------------------------------
// Face and repaint requests

TEST(ChartBuffer, UncoveringCopiesTheBufferWithoutAPass) {
    ConfiguredChart f;
    f.append(1);
    const QImage first = f.grab();
    EXPECT_EQ(f.passes, 1);
    EXPECT_FALSE(f.chart->faceDirty());
    const qint64 key = f.chart->face().cacheKey();

    const QImage again = f.grab();
    EXPECT_EQ(f.passes, 1);
    EXPECT_EQ(f.chart->face().cacheKey(), key);
    EXPECT_EQ(first, again);
}

TEST(ChartBuffer, ManyRequestsBeforeAPaintCostOnePass) {
    ConfiguredChart f;
    f.grab();
    ASSERT_EQ(f.passes, 1);
    for (int i = 0; i < 25; ++i)
        f.append(i);
    EXPECT_TRUE(f.chart->faceDirty());
    f.grab();
    EXPECT_EQ(f.passes, 2);
    f.series->removeAllPoints();
    EXPECT_TRUE(f.chart->faceDirty());
    f.grab();
    EXPECT_EQ(f.passes, 3);
}

TEST(ChartBuffer, ResizingMakesTheNextPaintRedrawIntoANewBuffer) {
    ConfiguredChart f;
    f.grab();
    ASSERT_EQ(f.chart->face().width(), kChartWidth);
    f.chart->resize(300, 200);
    const QImage img = f.grab();
    EXPECT_EQ(f.passes, 2);
    EXPECT_EQ(f.chart->face().width(), 300);
    EXPECT_EQ(f.chart->face().height(), 200);
    EXPECT_EQ(img.size(), QSize(300, 200));
    EXPECT_EQ(f.chart->plotRect().right, 300 - 9);
}

TEST(ChartBuffer, PaintChartDrawsAtTheRectanglesCornerWithoutTheWindow) {
    ConfiguredChart f;
    f.append(3);
    QImage target(kChartWidth + 20, kChartHeight + 10, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    {
        Canvas c(target);
        f.chart->paintChart(c, Rect{20, 10, 20 + kChartWidth, 10 + kChartHeight});
    }
    EXPECT_EQ(f.passes, 1);
    EXPECT_EQ(target.pixelColor(19, 9), QColor(Qt::magenta));
    EXPECT_EQ(QImage(target.copy(20, 10, kChartWidth, kChartHeight)), f.chart->face());
    EXPECT_FALSE(f.chart->faceDirty());
}

TEST(ChartBuffer, AnEmptyRectangleDrawsNothingAndKeepsARequestedRepaint) {
    ConfiguredChart f;
    f.grab();
    f.append(3);
    QImage target(4, 4, QImage::Format_RGB32);
    target.fill(Qt::magenta);
    {
        Canvas c(target);
        f.chart->paintChart(c, Rect{1, 1, 1, 3});
    }
    EXPECT_EQ(target.pixelColor(1, 1), QColor(Qt::magenta));
    EXPECT_TRUE(f.chart->faceDirty());
    f.grab();
    EXPECT_EQ(f.passes, 2);
}

TEST(ChartBuffer, SettingChangesRequestARepaintAndEqualValuesDoNot) {
    ConfiguredChart f;
    f.grab();
    f.chart->title().setText({"TrendChart"});
    f.chart->setMarginLeft(3);
    f.chart->leftAxis().setVisible(true);
    EXPECT_FALSE(f.chart->faceDirty());
    f.chart->backWall().pen().setColor(clRed);
    EXPECT_TRUE(f.chart->faceDirty());
}

TEST(ChartBuffer, ASeriesOutlivingTheChartNoLongerCallsIt) {
    LineSeries series;
    {
        TrendChart chart;
        chart.addSeries(&series);
        series.appendPoint(1, {}, clBlack);
        EXPECT_TRUE(chart.faceDirty());
    }
    series.appendPoint(2, {}, clBlack); // must not reach the destroyed chart
    series.removeAllPoints();
    EXPECT_EQ(series.pointCount(), 0);
}

TEST(ChartBuffer, AFailedPassLeavesTheFaceDirtyAndLaterRequestsStillReachTheScreen) {
    ConfiguredChart f;
    f.chart->show();
    QApplication::processEvents();
    ASSERT_EQ(f.passes, 1);
    f.chart->onBeforeDrawAxes = [](AxisPanel&) { throw std::runtime_error("refused"); };
    EXPECT_THROW(f.render(), std::runtime_error);
    EXPECT_TRUE(f.chart->faceDirty());
    f.chart->onBeforeDrawAxes = nullptr;
    f.append(4); // asks for a repaint
    QApplication::processEvents();
    EXPECT_EQ(f.passes, 2);
    EXPECT_FALSE(f.chart->faceDirty());
}

TEST(ChartBuffer, EventsOfThePassAreCalledInOrder) {
    ConfiguredChart f;
    std::string order;
    f.chart->onBeforeDrawAxes = [&](AxisPanel&) { order += "axes,"; };
    f.chart->onBeforeDrawSeries = [&](AxisPanel&) { order += "series,"; };
    f.chart->onAfterDraw = [&](AxisPanel&) { order += "after"; };
    f.render();
    EXPECT_EQ(order, "axes,series,after");
}

} // namespace
} // namespace kv
