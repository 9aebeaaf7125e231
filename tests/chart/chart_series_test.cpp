#include "series_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kv {
namespace {

using test::inked;
using test::isWhite;
using test::rgbOf;
using test::SeriesPlot;

// --- Adding and clearing ------------------------------------------------------------------

TEST(SeriesPoints, AppendedPointsTakeTheCountAsXAndRestartAfterClearing) {
    LineSeries s;
    EXPECT_EQ(s.appendPoint(1.5, "", 0), 0);
    EXPECT_EQ(s.appendPoint(-2.0, "", 0), 1);
    EXPECT_EQ(s.appendPoint(7.0, "", 0), 2);
    EXPECT_EQ(s.pointCount(), 3);
    EXPECT_EQ(s.xAt(2), 2.0);
    EXPECT_EQ(s.yAt(1), -2.0);
    EXPECT_EQ(s.minX(), 0.0);
    EXPECT_EQ(s.maxX(), 2.0);
    EXPECT_EQ(s.minY(), -2.0);
    EXPECT_EQ(s.maxY(), 7.0);

    s.removeAllPoints();
    EXPECT_EQ(s.pointCount(), 0);
    EXPECT_EQ(s.storageBytes(), 0u);
    EXPECT_EQ(s.minY(), 0.0);
    EXPECT_EQ(s.maxX(), 0.0);
    EXPECT_EQ(s.appendPoint(3.0, "", 0), 0);
    EXPECT_EQ(s.xAt(0), 0.0);
}

TEST(SeriesPoints, StoredPointsGoWhereTheirXBelongsWithTheirColourAndLabel) {
    LineSeries s;
    EXPECT_EQ(s.storePoint(1, 10, "a", clRed), 0);
    EXPECT_EQ(s.storePoint(3, 30, "", clGreen), 1);
    EXPECT_EQ(s.storePoint(1, 11, "b", clBlue), 1); // after the existing X = 1
    EXPECT_EQ(s.storePoint(0, 5, "z", clNone), 0);  // below all
    ASSERT_EQ(s.pointCount(), 4);
    const double ys[] = {5, 10, 11, 30};
    const ColorValue cs[] = {clNone, clRed, clBlue, clGreen};
    const char* ls[] = {"z", "a", "b", ""};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.yAt(i), ys[i]) << i;
        EXPECT_EQ(s.pointColor(i), cs[i]) << i;
        EXPECT_EQ(s.pointLabel(i), ls[i]) << i;
    }
}

TEST(SeriesPoints, LongSeriesOfReadingsCostsLittleMoreThanItsYValues) {
    LineSeries s;
    for (int i = 0; i < 300000; ++i)
        s.appendPoint(float(i % 977) * 0.01f, "", 0);
    // X is the count and costs nothing; colours are one run; Y has at most an eighth spare.
    EXPECT_LE(double(s.storageBytes()) / s.pointCount(), 9.5);
}

TEST(SeriesEvents, BeforeAddMayRefuseAndEveryEventRunsOnlyWhenSet) {
    LineSeries s;
    int repaints = 0, afterAdds = 0, clears = 0, lastIndex = -1;
    s.setRepaintHandler([&] { ++repaints; });
    s.appendPoint(1, "", 0); // no events set
    EXPECT_EQ(repaints, 1);

    s.onBeforeAdd = [](ChartSeries& series) { return series.yValues().pendingValue() < 100; };
    s.onAfterAdd = [&](ChartSeries&, int index) {
        ++afterAdds;
        lastIndex = index;
    };
    s.onClearValues = [&](ChartSeries&) { ++clears; };
    EXPECT_EQ(s.appendPoint(500, "", 0), -1);
    EXPECT_EQ(s.pointCount(), 1);
    EXPECT_EQ(s.xValues().pendingValue(), 1.0); // written before the refusal
    EXPECT_EQ(afterAdds, 0);
    EXPECT_EQ(repaints, 1);

    EXPECT_EQ(s.appendPoint(50, "", 0), 1);
    EXPECT_EQ(afterAdds, 1);
    EXPECT_EQ(lastIndex, 1);
    EXPECT_EQ(repaints, 2);

    s.setActive(false);
    const int before = repaints;
    s.appendPoint(60, "", 0); // an inactive series does not ask for a repaint
    EXPECT_EQ(repaints, before);
    s.setActive(true);

    s.removeAllPoints();
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(s.pointCount(), 0);

    s.setRepaintHandler({}); // the chart going away
    s.appendPoint(1, "", 0);
}

TEST(SeriesColours, StoredBlackStaysBlackAndDefaultTakesTheSeriesColour) {
    LineSeries s;
    s.setSeriesColor(clRed);
    s.appendPoint(1, "", 0);
    s.appendPoint(2, "", ColorDefault);
    EXPECT_EQ(s.pointColor(0), clBlack);
    EXPECT_EQ(s.pointColor(1), clRed);
    EXPECT_EQ(s.pointColor(5), clRed); // no such point
    s.setColorEachPoint(true);
    EXPECT_EQ(s.pointColor(0), clBlack);
    EXPECT_NE(s.pointColor(1), ColorDefault);
}

TEST(SeriesDefaults, LineSeriesHidesItsPointerAndNeedsNoMargins) {
    LineSeries s;
    EXPECT_FALSE(s.pointer().visible());
    EXPECT_TRUE(s.drawLine());
    EXPECT_EQ(s.linePen().color(), clBlack);
    EXPECT_EQ(s.linePen().width(), 1);
    EXPECT_EQ(s.xValues().order(), ValueListOrder::loAscending);
    EXPECT_EQ(s.yValues().order(), ValueListOrder::loNone);
    EXPECT_EQ(s.xValues().name(), "X");
    EXPECT_EQ(s.yValues().name(), "Y");
    EXPECT_EQ(s.horizontalMargins().before, 0);
    EXPECT_EQ(s.verticalMargins().after, 0);
}

// --- Drawing ----------------------------------------------------------------------------------

// Every point drawn lies inside the frame: columns left+1..right-1, rows top+1..bottom-2.
void expectInsideFrame(const SeriesPlot& p) {
    for (const Point& q : inked(p.image)) {
        EXPECT_GT(q.x, p.plot.left);
        EXPECT_LT(q.x, p.plot.right);
        EXPECT_GT(q.y, p.plot.top);
        EXPECT_LT(q.y, p.plot.bottom);
    }
}

TEST(SeriesDrawing, EmptyAndSinglePointSeriesDrawNothing) {
    SeriesPlot p;
    p.draw();
    EXPECT_TRUE(inked(p.image).empty());
    EXPECT_EQ(p.series.firstVisible(), -1);
    EXPECT_EQ(p.series.lastVisible(), -1);

    p.series.appendPoint(5, "", 0);
    p.draw();
    EXPECT_TRUE(inked(p.image).empty());
    EXPECT_EQ(p.series.firstVisible(), 0);
    EXPECT_EQ(p.series.lastVisible(), 0);
}

TEST(SeriesDrawing, TwoPointsJoinTheLeftAndRightEdgesInsideTheFrame) {
    SeriesPlot p;
    p.series.appendPoint(1, "", 0);
    p.series.appendPoint(2, "", 0);
    p.draw();
    EXPECT_EQ(p.series.xPixel(0), p.plot.left);
    EXPECT_EQ(p.series.xPixel(1), p.plot.right);
    EXPECT_EQ(p.series.yPixel(0), p.plot.bottom);
    EXPECT_EQ(p.series.yPixel(1), p.plot.top);
    expectInsideFrame(p);
    // A diagonal: 200 columns wide, 100 rows high, one pixel per column inside the frame.
    EXPECT_FALSE(isWhite(p.image, 120, 60));
    EXPECT_FALSE(isWhite(p.image, 219, 11));
    EXPECT_EQ(p.image.pixel(120, 60) & 0xFFFFFF, 0u); // stored colour 0: black
    EXPECT_GE(inked(p.image).size(), 190u);
    EXPECT_EQ(p.series.previousX(), p.plot.right);
    // The maximum lies on the frame's top row and is drawn one row inside it.
    EXPECT_EQ(p.series.previousY(), p.plot.top + 1);
}

TEST(SeriesDrawing, EqualReadingsLieOnTheVerticalMiddle) {
    SeriesPlot p;
    for (int i = 0; i < 5; ++i)
        p.series.appendPoint(3.25, "", 0);
    p.draw();
    const std::vector<Point> px = inked(p.image);
    ASSERT_EQ(px.size(), std::size_t(p.plot.right - p.plot.left - 1));
    for (const Point& q : px)
        EXPECT_EQ(q.y, (p.plot.top + p.plot.bottom) / 2);
}

TEST(SeriesDrawing, DefaultColourDrawsInTheSeriesColour) {
    SeriesPlot p;
    p.series.appendPoint(1, "", ColorDefault);
    p.series.appendPoint(2, "", ColorDefault);
    p.draw();
    EXPECT_EQ(p.image.pixel(120, 60), rgbOf(clRed) | 0xFF000000);
}

TEST(SeriesDrawing, EachSegmentTakesTheColourOfItsEndPoint) {
    SeriesPlot p;
    p.series.appendPoint(1, "", 0);
    p.series.appendPoint(1, "", clBlue);
    p.series.appendPoint(1, "", clGreen);
    p.draw();
    EXPECT_EQ(p.image.pixel(60, 60), rgbOf(clBlue) | 0xFF000000);
    EXPECT_EQ(p.image.pixel(180, 60), rgbOf(clGreen) | 0xFF000000);
}

TEST(SeriesDrawing, MultiplierScalesExtremesPixelsAndLineButNotTheStoredValues) {
    SeriesPlot doubled, plain;
    for (double v : {1.0, 3.0, 2.0, 4.0})
        doubled.series.appendPoint(v, "", 0);
    for (double v : {2.0, 6.0, 4.0, 8.0})
        plain.series.appendPoint(v, "", 0);
    doubled.series.yValues().setMultiplier(2);
    EXPECT_EQ(doubled.series.minY(), 2.0);
    EXPECT_EQ(doubled.series.maxY(), 8.0);
    EXPECT_EQ(doubled.series.yValues().storedAt(1), 3.0);
    doubled.draw();
    plain.draw();
    EXPECT_EQ(doubled.left.scaleMax(), 8.0);
    EXPECT_EQ(doubled.image, plain.image);
}

TEST(SeriesDrawing, PointsOnOneSpotMakeNoSegmentAndTheLineGoesOnFromThere) {
    SeriesPlot crowded, simple;
    crowded.series.storePoint(0, 0, "", 0);
    crowded.series.storePoint(0.001, 0.001, "", 0); // same pixel as the first
    crowded.series.storePoint(10, 10, "", 0);
    simple.series.storePoint(0, 0, "", 0);
    simple.series.storePoint(10, 10, "", 0);
    for (SeriesPlot* p : {&crowded, &simple}) {
        p->series.setFastDrawing(false);
        p->fix(0, 10, 0, 10);
        p->draw();
    }
    EXPECT_EQ(crowded.series.xPixel(0), crowded.series.xPixel(1));
    EXPECT_EQ(crowded.series.yPixel(0), crowded.series.yPixel(1));
    EXPECT_EQ(crowded.image, simple.image);
}

TEST(SeriesDrawing, NullPointBreaksTheLine) {
    SeriesPlot p;
    for (int i = 0; i < 5; ++i)
        p.series.appendPoint(1, "", i == 2 ? clNone : 0);
    p.draw();
    // X pixels 20, 70, 120, 170, 220: segments 0-1 and 3-4 only.
    for (int x = 21; x < 70; ++x)
        EXPECT_FALSE(isWhite(p.image, x, 60)) << x;
    for (int x = 70; x < 170; ++x)
        EXPECT_TRUE(isWhite(p.image, x, 60)) << x;
    for (int x = 170; x < 220; ++x)
        EXPECT_FALSE(isWhite(p.image, x, 60)) << x;
}

TEST(SeriesDrawing, PointsBeyondThePixelLimitArePassedOver) {
    SeriesPlot p;
    p.series.storePoint(0, 0.5, "", 0);
    p.series.storePoint(1, 1000, "", 0); // 100000 pixels above the plot
    p.series.storePoint(2, 0.5, "", 0);
    p.fix(0, 2, 0, 1);
    p.series.setFastDrawing(false);
    p.draw();
    EXPECT_LT(p.series.yPixel(1), -32766);
    // The line runs straight from the first to the third point.
    const std::vector<Point> px = inked(p.image);
    ASSERT_EQ(px.size(), 199u);
    for (const Point& q : px)
        EXPECT_EQ(q.y, 60);
}

// A pass whose first visible point is passed over must not join the next point to where
// the previous pass ended.
TEST(SeriesDrawing, LineNeverStartsWhereAnEarlierPassEnded) {
    SeriesPlot p;
    for (double y : {0.0, 0.0, 1000.0, 0.5, 0.5})
        p.series.appendPoint(y, "", 0);
    p.draw(); // ends at the right edge, on the bottom row, drawn one row inside the frame
    EXPECT_EQ(p.series.previousY(), p.plot.bottom - 1);
    p.fix(1.5, 4, 0, 1);
    p.draw();
    EXPECT_EQ(p.series.firstVisible(), 2);
    const std::vector<Point> px = inked(p.image);
    ASSERT_FALSE(px.empty());
    for (const Point& q : px) {
        EXPECT_EQ(q.y, 60);
        EXPECT_GE(q.x, p.series.xPixel(3));
    }
}

TEST(SeriesDrawing, VisibleRangeOfAZoomedAxisEntersFromTheLeftEdge) {
    SeriesPlot p;
    for (int i = 0; i <= 5; ++i)
        p.series.appendPoint(i, "", 0);
    p.fix(1.5, 3.5, 1.5, 3.5);
    p.draw();
    EXPECT_EQ(p.series.firstVisible(), 2);
    EXPECT_EQ(p.series.lastVisible(), 4); // one point beyond the right edge
    // The diagonal runs from the left edge's bottom to the right edge's top.
    auto inkIn = [&](int x0, int x1, int y0, int y1) {
        for (const Point& q : inked(p.image))
            if (q.x >= x0 && q.x <= x1 && q.y >= y0 && q.y <= y1)
                return true;
        return false;
    };
    EXPECT_TRUE(inkIn(21, 24, 105, 108));
    EXPECT_TRUE(inkIn(216, 219, 11, 14));
    expectInsideFrame(p);

    // With the point before the range a null point the entry is not drawn.
    SeriesPlot q;
    for (int i = 0; i <= 5; ++i)
        q.series.appendPoint(i, "", i == 1 ? clNone : 0);
    q.fix(1.5, 3.5, 1.5, 3.5);
    q.draw();
    for (const Point& px : inked(q.image))
        EXPECT_GE(px.x, q.series.xPixel(2));
}

// A hidden neighbour millions of pixels away: the line still enters from the left edge,
// steeply from above, without the canvas being asked for millions of pixels.
TEST(SeriesDrawing, EntryFromAFarNeighbourStaysWithinThePixelRange) {
    SeriesPlot p;
    p.series.storePoint(0, 1e6, "", 0);
    p.series.storePoint(1, 0.5, "", 0);
    p.series.storePoint(2, 0.5, "", 0);
    p.fix(0.5, 2, 0, 1);
    for (bool fast : {true, false}) {
        p.series.setFastDrawing(fast);
        p.draw();
        EXPECT_EQ(p.series.firstVisible(), 1);
        // Every row from the top of the frame down to the line, near the left edge.
        for (int y = p.plot.top + 1; y < 60; ++y) {
            bool ink = false;
            for (int x = p.plot.left + 1; x < p.plot.left + 70; ++x)
                ink |= !isWhite(p.image, x, y);
            EXPECT_TRUE(ink) << y;
        }
    }
}

TEST(SeriesDrawing, NothingVisibleWhenAllPointsLieLeftOfTheRange) {
    SeriesPlot p;
    for (int i = 0; i < 4; ++i)
        p.series.appendPoint(i, "", 0);
    p.fix(10, 20, 0, 3);
    p.draw();
    EXPECT_EQ(p.series.firstVisible(), -1);
    EXPECT_TRUE(inked(p.image).empty());
}

TEST(SeriesDrawing, DrawEventsRunOncePerPassWhenSet) {
    SeriesPlot p;
    int before = 0, after = 0;
    p.series.appendPoint(1, "", 0);
    p.series.beforeDrawValues = [&](ChartSeries&) { ++before; };
    p.series.afterDrawValues = [&](ChartSeries&) {
        EXPECT_EQ(before, after + 1);
        ++after;
    };
    p.draw();
    p.draw();
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 2);
}

TEST(SeriesDrawing, HiddenPenDrawsNothingButKeepsTheLineState) {
    SeriesPlot p;
    p.series.appendPoint(1, "", 0);
    p.series.appendPoint(2, "", 0);
    p.series.linePen().setVisible(false);
    p.draw();
    EXPECT_TRUE(inked(p.image).empty());
    EXPECT_EQ(p.series.previousX(), p.plot.right);
}

// The frame of the plot rectangle hides what lies on it: a line is visible in columns
// left+1 .. right-1 and rows top+1 .. bottom-2 only.
TEST(SeriesDrawing, ClipLeavesExactlyTheInsideOfTheFrame) {
    struct Row {
        bool horizontal; // a horizontal line at `at`, else a vertical one
        int at;
        bool shown;
        int drawnAt; // where it shows
    };
    // Plot (20, 10) to (220, 110). A line on the frame's top or bottom row is drawn one
    // row inside the frame; the row above the bottom frame row is inside as well.
    const Row rows[] = {{true, 9, false, 0},    {true, 10, true, 11},    {true, 11, true, 11},
                        {true, 60, true, 60},   {true, 108, true, 108},  {true, 109, true, 109},
                        {true, 110, true, 109}, {true, 111, false, 0},   {false, 20, false, 0},
                        {false, 21, true, 21},  {false, 219, true, 219}, {false, 220, false, 0}};
    for (const Row& r : rows) {
        for (bool fast : {true, false}) {
            SeriesPlot p;
            p.series.setFastDrawing(fast);
            p.fix(0, 200, 0, 100); // one unit a pixel: x = 20 + X, y = 110 - Y
            if (r.horizontal) {
                p.series.storePoint(0, 110 - r.at, "", 0);
                p.series.storePoint(200, 110 - r.at, "", 0);
            } else {
                p.series.storePoint(r.at - 20, 100, "", 0);
                p.series.storePoint(r.at - 20, 0, "", 0);
            }
            p.draw();
            const std::vector<Point> px = inked(p.image);
            EXPECT_EQ(!px.empty(), r.shown)
                << (r.horizontal ? "row " : "column ") << r.at << (fast ? " fast" : "");
            for (const Point& q : px)
                EXPECT_EQ(r.horizontal ? q.y : q.x, r.drawnAt);
        }
    }
}

// Pixels of -32766 and 32766 are still drawn and move the line; one further is passed over.
TEST(SeriesDrawing, PixelLimitIsInclusive) {
    struct Row {
        bool vertical;
        double value; // of the second point
        int pixel;
        bool taken;
    };
    // y = 110 - round(Y * 100) over 0..1; x = 20 + round(X * 200) over 0..1.
    const Row rows[] = {{true, 328.76, -32766, true}, {true, 328.77, -32767, false},
                        {true, -326.56, 32766, true}, {true, -326.57, 32767, false},
                        {false, 163.73, 32766, true}, {false, 163.735, 32767, false}};
    for (const Row& r : rows) {
        for (bool fast : {true, false}) {
            SeriesPlot p;
            p.series.setFastDrawing(fast);
            p.fix(0, 1, 0, 1);
            p.series.storePoint(0.5, 0.5, "", 0); // at (120, 60)
            if (r.vertical)
                p.series.storePoint(1, r.value, "", 0);
            else
                p.series.storePoint(r.value, 0.5, "", 0);
            p.draw();
            ASSERT_EQ(r.vertical ? p.series.yPixel(1) : p.series.xPixel(1), r.pixel);
            const int moved = r.vertical ? p.series.previousY() : p.series.previousX();
            EXPECT_EQ(moved == r.pixel, r.taken) << r.value << (fast ? " fast" : "");
            // A taken point draws the segment towards it; a passed-over one draws nothing.
            EXPECT_EQ(!inked(p.image).empty(), r.taken) << r.value << (fast ? " fast" : "");
        }
    }
}

TEST(SeriesDrawing, LineSwitchedOffDrawsNothingButTheStateMoves) {
    for (bool fast : {true, false}) {
        SeriesPlot p;
        p.series.setFastDrawing(fast);
        for (int i = 0; i < 500; ++i)
            p.series.appendPoint(std::sin(i * 0.1), "", 0);
        p.series.setDrawLine(false);
        p.draw();
        EXPECT_TRUE(inked(p.image).empty()) << fast;
        EXPECT_EQ(p.series.previousX(), p.plot.right);
        p.series.setDrawLine(true);
        p.draw();
        EXPECT_FALSE(inked(p.image).empty()) << fast;
    }
}

// With the bottom axis inverted the range starts at the right edge and the line enters
// from there.
TEST(SeriesDrawing, InvertedBottomAxisEntersFromTheRightEdge) {
    for (bool fast : {true, false}) {
        SeriesPlot p;
        p.series.setFastDrawing(fast);
        for (int i = 0; i <= 5; ++i)
            p.series.appendPoint(i, "", 0);
        p.fix(1.5, 3.5, 0, 5); // y = 110 - 20 Y
        p.bottom.setInverted(true);
        p.draw();
        EXPECT_EQ(p.series.firstVisible(), 2);
        EXPECT_EQ(p.series.lastVisible(), 4);
        EXPECT_EQ(p.series.xPixel(2), 170);
        // The entry at X = 1.5 lies on the right edge at y = 80; its first visible pixel
        // is one column in.
        EXPECT_FALSE(isWhite(p.image, 219, 80)) << fast;
        EXPECT_TRUE(isWhite(p.image, 219, 70)) << fast;
    }
}

TEST(SeriesDrawing, UnorderedXListDrawsEveryPoint) {
    SeriesPlot p;
    p.series.xValues().setOrder(ValueListOrder::loNone);
    p.series.storePoint(3, 1, "", 0);
    p.series.storePoint(1, 2, "", 0);
    p.series.storePoint(2, 3, "", 0);
    EXPECT_EQ(p.series.xAt(0), 3.0); // kept in arrival order
    p.fix(1.5, 2.5, 0, 4);
    p.draw();
    EXPECT_EQ(p.series.firstVisible(), 0);
    EXPECT_EQ(p.series.lastVisible(), 2);
}

// Everything that grows with the points is counted, stays within 16 bytes a point for the
// trend line also once drawn, and goes on clearing.
TEST(SeriesPoints, StorageIsCountedWhileDrawingAndReleasedOnClearing) {
    SeriesPlot p(1200, 300);
    p.plot = Rect{10, 10, 1190, 290};
    for (int i = 0; i < 200000; ++i)
        p.series.appendPoint(float(std::sin(i * 0.001) * 5), "", 0);
    p.draw(); // builds the range index and the column buffers
    EXPECT_TRUE(p.series.lastPassWasFast());
    EXPECT_LE(double(p.series.storageBytes()) / p.series.pointCount(), 16.0);
    for (int i = 0; i < 50000; ++i) // appends keep the index up
        p.series.appendPoint(float(i % 7), "", 0);
    p.draw();
    EXPECT_LE(double(p.series.storageBytes()) / p.series.pointCount(), 16.0);
    p.series.removeAllPoints();
    EXPECT_EQ(p.series.storageBytes(), 0u);

    // Readings equal to their index need no value arrays and one colour run: what the
    // drawing adds is its own.
    for (int i = 0; i < 1000; ++i)
        p.series.appendPoint(i, "", 0);
    const std::size_t points = p.series.storageBytes();
    EXPECT_LE(points, 64u);
    p.draw();
    EXPECT_GT(p.series.storageBytes(), points);
    p.series.removeAllPoints();
    EXPECT_EQ(p.series.storageBytes(), 0u);
}

// A million readings, drawn, cost the values themselves plus under 0.8 bytes a point for
// the range index, the unfilled end of the storage and the drawing buffers.
TEST(SeriesPoints, AMillionDrawnReadingsCostUnderNineBytesAPoint) {
    SeriesPlot p(456, 263);
    for (int i = 0; i < 1000000; ++i)
        p.series.appendPoint(float(i % 1013) * 0.01f, "", 0);
    p.draw();
    EXPECT_TRUE(p.series.lastPassWasFast());
    EXPECT_LE(double(p.series.storageBytes()) / p.series.pointCount(), 8.8);
}

// A null point breaks the line even where it lies beyond the pixel range: its colour is
// remembered though its position is not.
TEST(SeriesDrawing, NullPointBeyondThePixelLimitStillBreaksTheLine) {
    for (ColorValue middle : {clNone, ColorValue(0)}) {
        SeriesPlot p;
        p.series.storePoint(0, 0.5, "", 0);
        p.series.storePoint(1, 1000, "", middle); // far above the plot
        p.series.storePoint(2, 0.5, "", 0);
        p.series.storePoint(3, 0.5, "", 0);
        p.fix(0, 3, 0, 1);
        p.draw();
        // X pixels 20, 87, 153, 220: with the null point the line starts again at 153.
        const int firstInk = inked(p.image).front().x;
        int leftmost = firstInk;
        for (const Point& q : inked(p.image))
            leftmost = std::min(leftmost, q.x);
        EXPECT_EQ(leftmost, middle == clNone ? 153 : 21);
        EXPECT_EQ(p.series.previousColor(), ColorValue(0));
    }
}

// Small dots on a one-pixel pen draw a dotted line; on a wider pen they do not apply.
TEST(SeriesDrawing, SmallDotsDotThinLinesOnly) {
    SeriesPlot p;
    p.series.appendPoint(1, "", 0);
    p.series.appendPoint(1, "", 0);
    p.series.linePen().setSmallDots(true);
    p.draw();
    const std::size_t dotted = inked(p.image).size();
    EXPECT_GT(dotted, 50u);
    EXPECT_LT(dotted, 150u); // of 199 columns
    p.series.linePen().setWidth(2);
    p.draw();
    for (int x = p.plot.left + 1; x < p.plot.right; ++x) {
        bool ink = false;
        for (int y = 58; y <= 62; ++y)
            ink |= !isWhite(p.image, x, y);
        EXPECT_TRUE(ink) << x;
    }
}

// The lists take their pending values after onBeforeAdd has seen them, so the handler may
// change the point it lets in.
TEST(SeriesEvents, BeforeAddMayChangeThePendingValues) {
    LineSeries s;
    s.appendPoint(1, "", 0);
    s.appendPoint(2, "", 0);
    s.onBeforeAdd = [](ChartSeries& series) {
        series.xValues().setPendingValue(0.5);
        series.yValues().setPendingValue(42);
        return true;
    };
    EXPECT_EQ(s.appendPoint(7, "", clBlue), 1); // X 0.5 goes between 0 and 1
    EXPECT_EQ(s.yAt(1), 42.0);
    EXPECT_EQ(s.pointColor(1), clBlue);
    EXPECT_EQ(s.yAt(2), 2.0);
}

} // namespace
} // namespace kv
