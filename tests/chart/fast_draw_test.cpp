// The column-wise drawing of long series against the point-by-point drawing: both must
// leave exactly the same pixels and the same line state, whatever the series and the
// axis ranges.
#include "series_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
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
        SeriesPlot p; // the plain trend line
        build(p);
        p.draw();
        EXPECT_TRUE(p.series.lastPassWasFast());
    }
    {
        SeriesPlot p; // broken where the meter fell silent: still column-wise
        build(p);
        p.series.appendPoint(0.5, "", clNone);
        build(p);
        p.draw();
        EXPECT_TRUE(p.series.lastPassWasFast());
    }
}

// ---------------------------------------------------------------------------------------
// Several passes over one series that changes in between: the column-wise road and the
// point-by-point road run side by side on twin series, and every pass must leave the same
// pixels and the same line state, so that nothing carried from one pass to the next
// (the range index kept up by appends, the running statistics, the line state) can drift.

struct Twin {
    SeriesPlot fast{260, 140};
    SeriesPlot slow{260, 140};
    int passes = 0;
    int fastPasses = 0;

    Twin() {
        for (SeriesPlot* p : {&fast, &slow})
            p->plot = Rect{17, 9, 241, 128};
        fast.series.setFastDrawing(true);
        slow.series.setFastDrawing(false);
    }

    template <typename F> void both(F&& f) {
        f(fast);
        f(slow);
    }

    void compare(const std::string& what) {
        const QImage a = fast.draw().copy();
        const QImage b = slow.draw().copy();
        ++passes;
        fastPasses += fast.series.lastPassWasFast();
        ASSERT_FALSE(slow.series.lastPassWasFast());
        EXPECT_EQ(fast.series.firstVisible(), slow.series.firstVisible()) << what;
        EXPECT_EQ(fast.series.lastVisible(), slow.series.lastVisible()) << what;
        EXPECT_EQ(fast.series.previousX(), slow.series.previousX()) << what;
        EXPECT_EQ(fast.series.previousY(), slow.series.previousY()) << what;
        EXPECT_EQ(fast.series.previousColor(), slow.series.previousColor()) << what;
        if (a == b)
            return;
        int differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y) && ++differing <= 3)
                    ADD_FAILURE() << what << ": pixel " << x << "," << y << " fast " << std::hex
                                  << a.pixel(x, y) << " slow " << b.pixel(x, y);
        ADD_FAILURE() << what << ": " << differing << " pixels differ";
    }
};

void automaticRanges(SeriesPlot& p) {
    for (ChartAxis* a : {&p.bottom, &p.left}) {
        a->setAutomatic(true);
        a->setAutomaticMinimum(true);
        a->setAutomaticMaximum(true);
    }
}

TEST(FastDrawing, PassesStayAlikeThroughAppendsInsertsZoomsScalesAndClears) {
    std::mt19937 rng(31337);
    std::uniform_real_distribution<double> u(0, 1);
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    int passes = 0, fastPasses = 0;
    for (int sequence = 0; sequence < 9; ++sequence) {
        Twin t;
        std::ostringstream log;
        double walk = 0;
        for (int step = 0; step < 12; ++step) {
            // Odd points and colour runs end the column road until the next clear.
            const int op = int(rng() % 12) - 2;
            const int n = t.fast.series.pointCount();
            switch (op) {
            case -2:
            case -1:
            case 0:
            case 1:
            case 2: { // a run of readings, mostly in the line's own colour
                const int k = 1 + int(rng() % (rng() % 3 ? 1000 : 40));
                const int shape = int(rng() % 4);
                ColorValue color = 0;
                const double pick = u(rng);
                if (pick < 0.06)
                    color = clBlue;
                else if (pick < 0.12)
                    color = ColorDefault; // the series colour, red
                log << " append " << k << " shape " << shape << " colour " << color;
                for (int i = 0; i < k; ++i) {
                    double y = 0;
                    switch (shape) {
                    case 0:
                        y = (u(rng) - 0.5) * 100;
                        break;
                    case 1:
                        walk += u(rng) - 0.5;
                        y = walk;
                        break;
                    case 2: // the reading equals the index: the Y list needs no array
                        y = double(t.fast.series.pointCount());
                        break;
                    default:
                        y = double(int(u(rng) * 4));
                        break;
                    }
                    t.both([&](SeriesPlot& p) { p.series.appendPoint(y, "", color); });
                }
                break;
            }
            case 3: { // one odd point: a null point, not-a-number or an infinity
                const double pick = u(rng);
                const double y = pick < 0.3 ? nan : pick < 0.5 ? inf : pick < 0.6 ? -inf : 1.0;
                const ColorValue color = pick >= 0.6 ? clNone : 0;
                log << " odd " << y << " colour " << color;
                t.both([&](SeriesPlot& p) { p.series.appendPoint(y, "", color); });
                break;
            }
            case 4: { // points stored between others, on equal X values or off the grid
                if (n < 2)
                    break;
                const int k = 1 + int(rng() % 5);
                log << " store " << k;
                for (int i = 0; i < k; ++i) {
                    const double x = t.fast.series.xAt(int(rng() % unsigned(n))) +
                                     (rng() % 2 ? 0.0 : 0.25 + u(rng));
                    const double y = (u(rng) - 0.5) * 60;
                    t.both([&](SeriesPlot& p) { p.series.storePoint(x, y, "", 0); });
                }
                break;
            }
            case 5:
            case 6: { // a zoom: inside, past the end, edges on points, or beyond the pixels
                const double span = std::max(1, n);
                const double lo = t.fast.series.minY(), hi = t.fast.series.maxY();
                const double range = std::max(1.0, hi - lo);
                double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
                switch (rng() % 7) {
                case 0:
                case 1:
                    x0 = u(rng) * span * 0.7;
                    x1 = x0 + (0.02 + u(rng) * 0.5) * span;
                    y0 = lo + u(rng) * 0.4 * range;
                    y1 = hi - u(rng) * 0.4 * range;
                    break;
                case 2:
                case 3:
                    x0 = -0.2 * span;
                    x1 = 1.3 * span;
                    y0 = lo - 0.2 * range;
                    y1 = hi + 0.2 * range;
                    break;
                case 4:
                case 5: // both edges exactly on points, the values' own extremes
                    x0 = std::floor(u(rng) * span * 0.5);
                    x1 = x0 + std::max(1.0, std::floor(u(rng) * span * 0.5));
                    y0 = lo;
                    y1 = hi;
                    break;
                default:
                    x0 = 0;
                    x1 = span;
                    y0 = lo + range * 0.5;
                    y1 = y0 + range * 0.00001;
                    break;
                }
                if (!(y1 > y0) || !std::isfinite(y1 - y0)) {
                    y0 = -1;
                    y1 = 1;
                }
                log << " zoom " << x0 << ".." << x1 << " " << y0 << ".." << y1;
                t.both([&](SeriesPlot& p) { p.fix(x0, x1, y0, y1); });
                break;
            }
            case 7: // back to the automatic ranges
                log << " automatic";
                t.both(automaticRanges);
                break;
            case 8: { // scaled lists, an inverted vertical axis
                const double mx = rng() % 3 ? 1.0 : (rng() % 2 ? 0.5 : 3.0);
                const double my = rng() % 3 ? 1.0 : (rng() % 2 ? -1.5 : 2.0);
                const bool inverted = rng() % 4 == 0;
                log << " multipliers " << mx << " " << my << (inverted ? " inverted" : "");
                t.both([&](SeriesPlot& p) {
                    p.series.xValues().setMultiplier(mx);
                    p.series.yValues().setMultiplier(my);
                    p.left.setInverted(inverted);
                });
                break;
            }
            default:
                if (rng() % 3 != 0) {
                    log << " clear";
                    walk = 0;
                    t.both([](SeriesPlot& p) { p.series.removeAllPoints(); });
                } else {
                    log << " redraw";
                }
                break;
            }
            t.compare("sequence " + std::to_string(sequence) + ":" + log.str());
            if (HasFailure())
                return;
        }
        passes += t.passes;
        fastPasses += t.fastPasses;
    }
    // The comparison means little unless the column road was taken often.
    EXPECT_GT(fastPasses, passes / 3) << fastPasses << " of " << passes;
}

// Readings that equal their index keep the Y list without an array; the column road
// then reads its extremes from the indices themselves.
TEST(FastDrawing, ReadingsEqualToTheirIndexMatch) {
    for (int n : {2, 7, 300, 5000}) {
        Twin t;
        for (int i = 0; i < n; ++i)
            t.both([&](SeriesPlot& p) { p.series.appendPoint(double(i), "", 0); });
        EXPECT_EQ(t.fast.series.yValues().storageBytes(), 0u);
        t.compare("ramp of " + std::to_string(n));
        t.both([&](SeriesPlot& p) { p.fix(n * 0.3, n * 0.6, n * 0.25, n * 0.5); });
        t.compare("zoomed ramp of " + std::to_string(n));
        t.both([&](SeriesPlot& p) {
            p.series.appendPoint(n * 0.5, "", 0);
            automaticRanges(p);
        });
        t.compare("ramp of " + std::to_string(n) + " falling back at the end");
        EXPECT_EQ(t.fastPasses, 3) << n;
    }
}

// A trend line broken by silences and overloads: null points alone, in pairs, first,
// last, around a single point and just outside the visible range, under automatic ranges
// and several zooms. Every pass must go column-wise and match drawing point by point.
TEST(FastDrawing, LineBrokenByNullPointsMatchesPointByPoint) {
    const int n = 4000;
    const std::vector<int> breaks = {0, 700, 1500, 1501, 2200, 2202, 3100, n - 1};
    auto isBreak = [&](int i) {
        return std::find(breaks.begin(), breaks.end(), i) != breaks.end();
    };
    Twin t;
    for (int i = 0; i < n; ++i)
        t.both([&](SeriesPlot& p) {
            p.series.appendPoint(std::sin(i * 0.013) * 3 + (i % 7) * 0.05, "",
                                 isBreak(i) ? clNone : 0);
        });
    t.compare("automatic ranges");
    const double windows[][2] = {{-100, n + 100}, {1400, 1600}, {1499.5, 1530},  {2190, 2215},
                                 {699.5, 760},    {3050, n},    {1500.5, 1501.5}};
    for (const auto& w : windows) {
        t.both([&](SeriesPlot& p) { p.fix(w[0], w[1], -4, 4); });
        t.compare("x " + std::to_string(w[0]) + ".." + std::to_string(w[1]));
    }
    EXPECT_EQ(t.fastPasses, t.passes);
}

// One point of another colour (or a null point) just before, on or just after either end
// of the visible range: the line entering from the left edge ends on the first visible
// point but starts from the one before it, which may break it.
TEST(FastDrawing, OddPointAtTheEndsOfTheVisibleRangeMatches) {
    const int k = 1500;
    for (ColorValue odd : {clNone, clBlue, ColorDefault}) {
        for (int side = 0; side < 2; ++side) {
            for (int d = -3; d <= 3; ++d) {
                Twin t;
                for (int i = 0; i < 3000; ++i)
                    t.both([&](SeriesPlot& p) {
                        p.series.appendPoint(std::sin(i * 0.05) * 3, "", i == k ? odd : 0);
                    });
                // Left: the range starts at k + d + 1. Right: it ends at k + d + 1. About
                // four columns a point, so the entering segment shows beside the frame.
                const double x0 = side == 0 ? k + d + 0.5 : k + d - 59.5;
                t.both([&](SeriesPlot& p) { p.fix(x0, x0 + 60, -4, 4); });
                t.compare("colour " + std::to_string(odd) + (side ? " right" : " left") +
                          " offset " + std::to_string(d));
            }
        }
    }
}

// Every point on one X value: the bottom axis has no span, so all of them fall on its
// centre column, which is then both the first and the last column.
TEST(FastDrawing, OneColumnHoldingEveryPointMatches) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-10, 10);
    for (int n : {2, 3, 40, 700}) {
        Twin t;
        for (int i = 0; i < n; ++i) {
            const double y = u(rng);
            t.both([&](SeriesPlot& p) { p.series.storePoint(3, y, "", 0); });
        }
        t.compare("one column of " + std::to_string(n));
        EXPECT_EQ(t.fastPasses, 1) << n;
    }
}

} // namespace
} // namespace kv
