#include "canvas/canvas.h"
#include "gauges/arrow_settings.h"
#include "gauges/flash_timer.h"
#include "gauges/pointer_layer.h"
#include "gauges/rotation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <vector>

namespace kv {
namespace {

// Pointer area of the main window's meter: 369 pixels wide, so r = 184, c = 18, q = 11.
constexpr int kWidth = 369;

TEST(PointerShapes, NeedleOfTheMainWindowAtRestAndTurned) {
    const PointerShape s = pointerShapeAtRest(6, kWidth, 270);
    EXPECT_EQ(s.pivot, (Point{184, 184}));
    EXPECT_EQ(s.vertices, (std::vector<Point>{{220, 185}, {220, 183}, {0, 183}, {0, 185}}));
    EXPECT_EQ(s.hub1, 8);
    EXPECT_EQ(s.hub2, 3);
    EXPECT_TRUE(s.outline);

    // The layer turns the rest position by the value's angle (Ppt 0, 500 and 1000 on a
    // 180-degree scale), rounding after each of the two turns.
    QImage dial(460, 420, QImage::Format_RGB32);
    dial.fill(Qt::white);
    Canvas c(dial);
    PointerLayer layer;
    layer.prepare(c, {44, 37, 413, 406}, 6, 270, 25);
    EXPECT_EQ(layer.turnedVertices(0), s.vertices);
    EXPECT_EQ(layer.turnedVertices(90),
              (std::vector<Point>{{183, 220}, {185, 220}, {185, 0}, {183, 0}}));
    EXPECT_EQ(layer.turnedVertices(180),
              (std::vector<Point>{{148, 183}, {148, 185}, {368, 185}, {368, 183}}));
    // The marks are built for the tick length given: f = 15 for 25.
    EXPECT_EQ(layer.marks().min[0], (Point{40, 184}));
    EXPECT_EQ(layer.marks().min[2], (Point{1, 184 + 15}));
}

TEST(PointerShapes, TableOfShapes) {
    const int r = 184, c = 18, q = 11;
    struct Row {
        int shape;
        std::vector<Point> vertices;
        int hub1, hub2;
        bool outline;
    };
    const Row rows[] = {
        {0, {{r - c, r + c}, {r + c, r + c}, {r, 0}}, 2, 0, false},
        {1, {{r - q, r}, {r + q, r}, {r, 0}}, c + c / 2, 3, false},
        {2, {{r - c, 4 * c}, {r + c, 4 * c}, {r, 0}}, 0, 0, false},
        {3, {{r - q, r + 2 * c}, {r + q, r + 2 * c}, {r, 0}}, c, 3, false},
        {4,
         {{r - q, r + c},
          {r + q, r + c},
          {r + q, 3 * c},
          {r + 2 * c, 3 * c},
          {r, 0},
          {r - 2 * c, 3 * c},
          {r - q, 3 * c}},
         2,
         0,
         false},
        {5, {{r - c, r + c}, {r + c, r + c}, {r + c, 2 * c}, {r, 0}, {r - c, 2 * c}}, 2, 0, false},
        {6, {{r - 1, r + 2 * c}, {r + 1, r + 2 * c}, {r + 1, 0}, {r - 1, 0}}, 8, 3, true},
        {7,
         {{r - c, r}, {r - c - q, r + 2 * c}, {r + c + q, r + 2 * c}, {r + c, r}, {r, 0}},
         q,
         2,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shape);
        const PointerShape s = pointerShapeUpright(row.shape, kWidth);
        EXPECT_EQ(s.pivot, (Point{r, r}));
        EXPECT_EQ(s.vertices, row.vertices);
        EXPECT_EQ(s.hub1, row.hub1);
        EXPECT_EQ(s.hub2, row.hub2);
        EXPECT_EQ(s.outline, row.outline);
    }
}

TEST(PointerShapes, UnknownShapesDrawShapeZero) {
    const PointerShape zero = pointerShapeAtRest(0, kWidth, 270);
    for (int shape : {9, -1, 8, 1000}) {
        const PointerShape s = pointerShapeAtRest(shape, kWidth, 270);
        EXPECT_EQ(s.vertices, zero.vertices) << shape;
        EXPECT_EQ(s.hub1, zero.hub1);
        EXPECT_EQ(s.hub2, zero.hub2);
    }
}

TEST(PointerMarksTest, TriangleSizesFollowTheTickLength) {
    const Point pivot{184, 184};
    const PointerMarks up = pointerMarksAtRest(pivot, 25, 0); // f = 15
    EXPECT_EQ(up.min[0], (Point{184, 40}));
    EXPECT_EQ(up.min[1], (Point{184, 1}));
    EXPECT_EQ(up.min[2], (Point{169, 1}));
    EXPECT_EQ(up.max[2], (Point{199, 1}));
    const PointerMarks rest = pointerMarksAtRest(pivot, 25, 270);
    EXPECT_EQ(rest.min[0], (Point{40, 184}));
    EXPECT_EQ(rest.min[1], (Point{1, 184}));
    EXPECT_EQ(rest.min[2], (Point{1, 199}));
    EXPECT_EQ(rest.max[2], (Point{1, 169}));
}

TEST(ArrowSettingsTest, DefaultsSettersAndAssign) {
    ArrowSettings a;
    EXPECT_EQ(a.shape(), 0);
    EXPECT_EQ(a.colorBrush(), clLime);
    EXPECT_EQ(a.colorCP2Brush(), clBtnFace);
    int changes = 0;
    a.onChange = [&](SettingsObject&) { ++changes; };
    a.setShape(0);
    a.setColorPen(clBlack);
    EXPECT_EQ(changes, 0);
    a.setShape(-1); // any integer is kept
    EXPECT_EQ(a.shape(), -1);
    EXPECT_EQ(changes, 1);

    ArrowSettings src;
    src.setShape(6);
    src.setColorPen(clRed);
    src.setColorBrush(clYellow);
    src.setColorCP1Pen(clNavy);
    src.setColorCP1Brush(clGreen);
    src.setColorCP2Pen(clAqua);
    src.setColorCP2Brush(clWhite);
    changes = 0;
    a.assign(src);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(a.shape(), 6);
    EXPECT_EQ(a.colorPen(), clRed);
    EXPECT_EQ(a.colorBrush(), clYellow);
    EXPECT_EQ(a.colorCP1Pen(), clNavy);
    EXPECT_EQ(a.colorCP1Brush(), clGreen);
    EXPECT_EQ(a.colorCP2Pen(), clAqua);
    EXPECT_EQ(a.colorCP2Brush(), clWhite);
}

// A dial of vertical stripes, so a cache copied from the wrong place shows at once.
QImage stripedDial(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            img.setPixel(x, y, (x % 2) ? qRgb(200, 200, 200) : qRgb(240, 240, 240));
    return img;
}

class PointerLayerTest : public ::testing::Test {
protected:
    QImage dial = stripedDial(200, 120);
    PointerLayer layer;
    const Rect area{20, 10, 181, 171}; // 161 wide: r = 80, c = 8
};

TEST_F(PointerLayerTest, NeedsACacheBeforeDrawing) {
    EXPECT_FALSE(layer.canDraw());
    Canvas c(dial);
    const QImage before = dial.copy();
    layer.draw(c, PointerPose{});
    EXPECT_EQ(dial, before);
}

TEST_F(PointerLayerTest, CacheCopiesTheDialUnderThePointerArea) {
    Canvas c(dial);
    layer.prepare(c, area, 6, 270, 10);
    ASSERT_TRUE(layer.canDraw());
    EXPECT_EQ(layer.cache().width(), 161);
    EXPECT_EQ(layer.cache().height(), 161);
    // Rows of the area inside the dial are the dial's.
    EXPECT_EQ(layer.cache().image().copy(0, 0, 161, 110), dial.copy(20, 10, 161, 110));
}

TEST_F(PointerLayerTest, RefreshOnlyTouchesTheClippedPart) {
    Canvas c(dial);
    layer.prepare(c, area, 6, 270, 10);
    const QImage old = layer.cache().image().copy();
    c.fillRect({0, 0, 200, 120}, clNavy);
    c.setClipRect({0, 0, 60, 120});
    layer.refreshCache(c);
    const QImage& cache = layer.cache().image();
    EXPECT_EQ(QColor(cache.pixel(0, 0)), QColor(0, 0, 128));
    EXPECT_EQ(QColor(cache.pixel(39, 50)), QColor(0, 0, 128));
    EXPECT_EQ(cache.pixel(40, 50), old.pixel(40, 50));
    // A clip that misses the area leaves the cache alone.
    c.setClipRect({190, 0, 200, 5});
    c.clearClip();
    c.fillRect({0, 0, 200, 120}, clRed);
    c.setClipRect({185, 0, 200, 120});
    const QImage kept = layer.cache().image().copy();
    layer.refreshCache(c);
    EXPECT_EQ(layer.cache().image(), kept);
}

TEST_F(PointerLayerTest, RenderDrawsPointerHubsAndMarksOverTheCache) {
    Canvas c(dial);
    layer.prepare(c, area, 6, 270, 10);
    PointerPose pose;
    pose.angle = 90; // straight up
    const Bitmap up = layer.render(pose);
    // Needle body lime, outlined black; the upper hub over the pivot in button face.
    EXPECT_EQ(QColor(up.image().pixel(80, 30)), QColor(0, 255, 0));
    EXPECT_EQ(QColor(up.image().pixel(79, 30)), QColor(0, 0, 0));
    EXPECT_EQ(up.image().pixel(80, 80), toQColor(clBtnFace).rgb());
    EXPECT_EQ(QColor(up.image().pixel(80 + 6, 80)), QColor(0, 0, 0)); // hub 1, radius 8
    // Far from the pointer the cache shows through untouched.
    EXPECT_EQ(up.image().pixel(10, 100), layer.cache().image().pixel(10, 100));
    // At rest (0 degrees) the needle points left.
    pose.angle = 0;
    const Bitmap rest = layer.render(pose);
    EXPECT_EQ(QColor(rest.image().pixel(30, 80)), QColor(0, 255, 0));
    EXPECT_NE(QColor(rest.image().pixel(80, 30)), QColor(0, 255, 0));

    // Marks: f = 6 for tick length 10; the min mark at 180 degrees lies on the right edge.
    pose.minVisible = true;
    pose.minAngle = 180;
    pose.minColor = clYellow;
    const Bitmap marked = layer.render(pose);
    EXPECT_EQ(QColor(marked.image().pixel(157, 78)), QColor(255, 255, 0));
}

TEST_F(PointerLayerTest, FlashingColoursFillAndOptionallyOutline) {
    Canvas c(dial);
    layer.prepare(c, area, 6, 270, 10);
    PointerPose pose;
    pose.angle = 90;
    pose.flashing = true;
    pose.flashColor = clRed;
    const Bitmap needle = layer.render(pose);
    EXPECT_EQ(QColor(needle.image().pixel(80, 30)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(needle.image().pixel(79, 30)), QColor(255, 0, 0)); // outline flag set

    PointerLayer triangle;
    triangle.prepare(c, area, 0, 270, 10);
    const Bitmap t = triangle.render(pose);
    EXPECT_EQ(QColor(t.image().pixel(80, 40)), QColor(255, 0, 0));
    // Shape 0 keeps its own pen: the tip's outline stays black.
    EXPECT_EQ(QColor(t.image().pixel(80, 0)), QColor(0, 0, 0));
}

TEST_F(PointerLayerTest, DrawPutsTheWorkingBitmapAtThePointerArea) {
    Canvas c(dial);
    layer.prepare(c, area, 6, 270, 10);
    PointerPose pose;
    pose.angle = 90;
    const Bitmap expected = layer.render(pose);
    const QImage before = dial.copy();
    layer.draw(c, pose);
    EXPECT_EQ(dial.copy(20, 10, 161, 110), expected.image().copy(0, 0, 161, 110));
    EXPECT_EQ(dial.copy(0, 0, 20, 120), before.copy(0, 0, 20, 120));
    EXPECT_EQ(dial.copy(181, 0, 19, 120), before.copy(181, 0, 19, 120));
}

// A pointer area far larger than any face is cached only where it lies on the canvas, and
// the pointer drawn from that cache stands where it would on the whole area.
TEST(PointerLayerSize, AnAreaBeyondTheLargestFaceIsCachedWhereItIsOnTheCanvas) {
    QImage dial = stripedDial(200, 120);
    Canvas c(dial);
    PointerLayer layer;
    // The pivot, in the middle of the area, falls on (100, 60).
    layer.prepare(c, Rect{100 - 50000, 60 - 50000, 100 + 50001, 60 + 50001}, 6, 270, 10);
    EXPECT_EQ(layer.cache().width(), 200);
    EXPECT_EQ(layer.cache().height(), 120);
    const QImage before = dial.copy();
    PointerPose pose;
    pose.angle = 90; // straight up from the pivot
    layer.draw(c, pose);
    EXPECT_EQ(QColor(dial.pixel(100, 30)), QColor(0, 255, 0));
    EXPECT_EQ(QColor(dial.pixel(99, 30)), QColor(0, 0, 0));
    EXPECT_EQ(dial.pixel(30, 30), before.pixel(30, 30));
}

TEST(FlashTimerTest, RateFourChangesEverySixteenTicks) {
    FlashTimer& t = FlashTimer::instance();
    int key = 0;
    std::vector<bool> seen;
    std::vector<int> at;
    int ticks = 0;
    t.add(&key, 4, [&](bool on) {
        seen.push_back(on);
        at.push_back(ticks);
    });
    EXPECT_TRUE(t.running());
    for (ticks = 1; ticks <= 64; ++ticks)
        t.tick();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(seen[1], seen[2]);
    EXPECT_NE(seen[2], seen[3]);
    EXPECT_EQ(at[1] - at[0], 16);
    t.remove(&key);
    EXPECT_FALSE(t.contains(&key));
    EXPECT_FALSE(t.running());
    for (int i = 0; i < 64; ++i)
        t.tick();
    EXPECT_EQ(seen.size(), 4u);
}

TEST(FlashTimerTest, TheSharedTimerTicksFromTheEventLoop) {
    FlashTimer& t = FlashTimer::instance();
    int key = 0;
    int calls = 0;
    t.add(&key, 2, [&](bool) { ++calls; });
    QElapsedTimer clock;
    clock.start();
    while (calls < 2 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    t.remove(&key);
    EXPECT_GE(calls, 2);
}

TEST(FlashTimerTest, HandlersMayUnregisterOthersDuringATick) {
    FlashTimer& t = FlashTimer::instance();
    int a = 0, b = 0;
    int bCalls = 0;
    t.add(&a, 2, [&](bool) { t.remove(&b); });
    t.add(&b, 2, [&](bool) { ++bCalls; });
    for (int i = 0; i < 8; ++i)
        t.tick();
    t.remove(&a);
    // Whichever ran first, b never runs after a removed it.
    EXPECT_LE(bCalls, 1);
    EXPECT_FALSE(t.running());
}

} // namespace
} // namespace kv
