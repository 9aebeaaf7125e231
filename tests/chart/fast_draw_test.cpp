// The column-wise drawing of long series against the point-by-point drawing: both must
// leave exactly the same pixels and the same line state, whatever the series and the
// axis ranges.
#include "series_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

namespace kv {
namespace {

using test::SeriesPlot;

enum class Shape { Noise, Walk, Steps, Spikes, Flat, Sine, TailExtreme };

struct Case {
    Shape shape;
    int points;
    bool fixRange;
    double x0, x1, y0, y1; // when fixRange
    double multiplier;
    bool invertedY;
    ColorValue color;
};

std::string describe(const Case& c) {
    std::ostringstream s;
    s << "shape " << int(c.shape) << " points " << c.points << " multiplier " << c.multiplier
      << (c.invertedY ? " inverted" : "");
    if (c.fixRange)
        s << " x " << c.x0 << ".." << c.x1 << " y " << c.y0 << ".." << c.y1;
    return s.str();
}

std::vector<double> makeValues(Shape shape, int n, std::mt19937& rng) {
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> v(static_cast<std::size_t>(n));
    double walk = 0;
    for (int i = 0; i < n; ++i) {
        double y = 0;
        switch (shape) {
        case Shape::Noise:
            y = u(rng) * 50;
            break;
        case Shape::Walk:
            walk += u(rng);
            y = walk;
            break;
        case Shape::Steps:
            y = double((i * 7 / std::max(1, n / 5)) % 4);
            break;
        case Shape::Spikes:
            y = (rng() % 97 == 0) ? u(rng) * 100 : 1.25;
            break;
        case Shape::Flat:
            y = 4.5;
            break;
        case Shape::Sine:
            y = std::sin(i * 0.001) * 10 + u(rng) * 0.01;
            break;
        case Shape::TailExtreme:
            // Quiet values, then a last stretch that ends on (or returns to) an extreme.
            y = (i < n - 3) ? u(rng) : (rng() % 2 ? 5.0 : -5.0);
            break;
        }
        v[std::size_t(i)] = y;
    }
    return v;
}

// Draws the case both ways and compares pictures and line state; returns whether the
// column-wise road was taken.
bool compareBothRoads(const Case& c, std::mt19937& rng) {
    SeriesPlot p(260, 140);
    p.plot = Rect{17, 9, 241, 128};
    for (double y : makeValues(c.shape, c.points, rng))
        p.series.appendPoint(y, "", c.color);
    p.series.yValues().setMultiplier(c.multiplier);
    p.left.setInverted(c.invertedY);
    if (c.fixRange)
        p.fix(c.x0, c.x1, c.y0, c.y1);

    p.series.setFastDrawing(true);
    const QImage fast = p.draw().copy();
    const bool tookFast = p.series.lastPassWasFast();
    const int fx = p.series.previousX(), fy = p.series.previousY();
    const ColorValue fc = p.series.previousColor();
    const int first = p.series.firstVisible(), last = p.series.lastVisible();

    p.series.setFastDrawing(false);
    const QImage slow = p.draw().copy();
    EXPECT_FALSE(p.series.lastPassWasFast());

    EXPECT_EQ(first, p.series.firstVisible()) << describe(c);
    EXPECT_EQ(last, p.series.lastVisible()) << describe(c);
    if (last >= 0) {
        EXPECT_EQ(fx, p.series.previousX()) << describe(c);
        EXPECT_EQ(fy, p.series.previousY()) << describe(c);
        EXPECT_EQ(fc, p.series.previousColor()) << describe(c);
    }
    if (fast != slow) {
        int differing = 0;
        for (int y = 0; y < fast.height(); ++y)
            for (int x = 0; x < fast.width(); ++x)
                if (fast.pixel(x, y) != slow.pixel(x, y) && ++differing <= 5)
                    ADD_FAILURE() << describe(c) << ": pixel " << x << "," << y << " fast "
                                  << std::hex << fast.pixel(x, y) << " slow " << slow.pixel(x, y);
        ADD_FAILURE() << describe(c) << ": " << differing << " pixels differ";
    }
    return tookFast;
}

TEST(FastDrawing, SamePicturesAsPointByPointOverManyRandomSeries) {
    std::mt19937 rng(2024);
    const Shape shapes[] = {Shape::Noise, Shape::Walk, Shape::Steps,      Shape::Spikes,
                            Shape::Flat,  Shape::Sine, Shape::TailExtreme};
    // Fewer points than columns, about as many, and up to a thousand times more.
    const int sizes[] = {1, 2, 3, 17, 150, 224, 500, 3000, 20000, 224000};
    int cases = 0, fastCases = 0;
    for (int size : sizes) {
        for (Shape shape : shapes) {
            // Long series are slow to draw point by point: one range each, taking turns.
            const bool longest = size >= 20000;
            const int turn = (int(shape) + size) % 6;
            for (int v = longest ? turn : 0; v < (longest ? turn + 1 : 6); ++v) {
                Case c{shape, size, false, 0, 0, 0, 0, 1.0, false, 0};
                std::uniform_real_distribution<double> u(0, 1);
                switch (v % 6) {
                case 0: // automatic ranges
                    break;
                case 1: { // zoomed inside the data
                    const double a = u(rng) * size * 0.6;
                    c.fixRange = true;
                    c.x0 = a;
                    c.x1 = a + (0.05 + u(rng) * 0.4) * size;
                    c.y0 = -3 - u(rng) * 5;
                    c.y1 = 2 + u(rng) * 5;
                    break;
                }
                case 2: // scrolled past the end: the last point lies inside the plot
                    c.fixRange = true;
                    c.x0 = -0.3 * size;
                    c.x1 = 1.4 * size;
                    c.y0 = -60;
                    c.y1 = 60;
                    break;
                case 3: // scaled, inverted and in the series colour
                    c.multiplier = u(rng) < 0.5 ? -2.5 : 0.5;
                    c.invertedY = true;
                    c.color = ColorDefault;
                    break;
                case 4: // zoomed so far that points leave the pixel range
                    c.fixRange = true;
                    c.x0 = 0;
                    c.x1 = size;
                    c.y0 = 1.2;
                    c.y1 = 1.2001;
                    break;
                case 5: // an offset window with fractional edges
                    c.fixRange = true;
                    c.x0 = size * 0.25 + 0.37;
                    c.x1 = size * 1.1 + 0.61;
                    c.y0 = -12.3;
                    c.y1 = 7.7;
                    break;
                }
                ++cases;
                if (compareBothRoads(c, rng))
                    ++fastCases;
            }
        }
    }
    // Most cases must actually have used the column road for the comparison to mean much.
    EXPECT_GT(fastCases, cases / 2) << fastCases << " of " << cases;
}

// The last column ends on its highest or lowest row: that row is drawn only when the
// points reached it and moved away again before the end.
TEST(FastDrawing, LastColumnEndingOnAnExtremeMatches) {
    const std::vector<std::vector<double>> tails = {
        {0, 1, 2, 3, 9},       // reaches the top only at the end
        {0, 9, 3, 9},          // reaches it, leaves, ends there
        {9, 0, 1, 9},          // starts on it
        {5, 0, 5, 0},          // ends on the bottom after visiting it
        {5, 3, 2, 1, 0},       // reaches the bottom only at the end
        {5, 9, 9, 9},          // stays on the top once there
        {4, 4, 4, 4},          // one row
        {0, 9, 9, 8, 9, 9, 9}, // leaves the top by one row, returns
    };
    for (bool inverted : {false, true}) {
        for (const auto& tail : tails) {
            SeriesPlot p(260, 140);
            p.plot = Rect{17, 9, 241, 128};
            // A thousand points before the tail, all in the tail's value range.
            for (int i = 0; i < 1000; ++i)
                p.series.appendPoint(4 + std::sin(i) * 3, "", 0);
            for (double y : tail)
                p.series.appendPoint(y, "", 0);
            const int n = p.series.pointCount();
            // The last column well inside the plot; a column holds about 7 points.
            p.fix(0, n * 1.2, -1, 10);
            p.left.setInverted(inverted);
            p.series.setFastDrawing(true);
            const QImage fast = p.draw().copy();
            EXPECT_TRUE(p.series.lastPassWasFast());
            p.series.setFastDrawing(false);
            const QImage slow = p.draw().copy();
            EXPECT_EQ(fast, slow) << "tail starting " << tail.front() << " ending " << tail.back()
                                  << (inverted ? " inverted" : "");
        }
    }
}

TEST(FastDrawing, SeriesItCannotDrawColumnWiseGoPointByPoint) {
    auto build = [](SeriesPlot& p) {
        for (int i = 0; i < 5000; ++i)
            p.series.appendPoint(std::sin(i * 0.01), "", 0);
    };
    {
        SeriesPlot p; // a second colour
        build(p);
        p.series.appendPoint(0.5, "", clBlue);
        p.draw();
        EXPECT_FALSE(p.series.lastPassWasFast());
    }
    {
        SeriesPlot p; // a wide pen
        build(p);
        p.series.linePen().setWidth(2);
        p.draw();
        EXPECT_FALSE(p.series.lastPassWasFast());
    }
    {
        SeriesPlot p; // a null point
        build(p);
        p.series.appendPoint(0.5, "", clNone);
        p.draw();
        EXPECT_FALSE(p.series.lastPassWasFast());
    }
    {
        SeriesPlot p; // the plain trend line
        build(p);
        p.draw();
        EXPECT_TRUE(p.series.lastPassWasFast());
    }
}

} // namespace
} // namespace kv
