#pragma once

#include "canvas/canvas.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kv {

// A pointer polygon relative to the pointer area's top-left corner.
struct PointerShape {
    std::vector<Point> vertices; // in drawing order
    Point pivot;
    std::uint8_t hub1 = 0; // radius of the lower hub circle, 0 for none
    std::uint8_t hub2 = 0; // radius of the upper hub circle, 0 for none
    bool outline = false;  // a flashing pointer also flashes its outline
};

// The pointer of the given shape number for a pointer area areaWidth pixels wide, pointing up
// from the pivot (r, r), r = areaWidth / 2. Numbers outside 1..7 give shape 0.
PointerShape pointerShapeUpright(int shape, int areaWidth);
// The same, turned to its rest position at the start of the scale.
PointerShape pointerShapeAtRest(int shape, int areaWidth, int startAngle);

// The small triangles marking the captured minimum and maximum, at rest.
struct PointerMarks {
    std::array<Point, 3> min;
    std::array<Point, 3> max;
};
PointerMarks pointerMarksAtRest(Point pivot, int tickLength, int startAngle);

// Where and how the pointer is drawn for one value.
struct PointerPose {
    double angle = 0; // degrees past the start of the scale
    double minAngle = 0;
    double maxAngle = 0;
    bool minVisible = false;
    bool maxVisible = false;
    ColorValue minColor = clAqua;
    ColorValue maxColor = clAqua;
    ColorValue pen = clBlack;
    ColorValue brush = clLime;
    ColorValue hub1Pen = clBlack;
    ColorValue hub1Brush = clBlack;
    ColorValue hub2Pen = clBlack;
    ColorValue hub2Brush = clBtnFace;
    bool flashing = false;
    ColorValue flashColor = clRed;
};

// The layer a round meter draws its pointer in: the pointer polygon at rest, the marks and a
// copy of the dial's pixels under the pointer area, so that a new value repaints that area
// alone from the copy instead of the whole dial. The copy has the device pixels of the
// canvas it was taken from, and the pointer is drawn at their resolution.
class PointerLayer {
public:
    PointerLayer();

    // After a full paint of the dial into canvas: builds the shape and the marks for rect and
    // caches the dial's pixels under it.
    void prepare(Canvas& canvas, const Rect& rect, int shape, int startAngle, int tickLength);
    // Copies the canvas pixels of the pointer area that lie inside the canvas clip into the
    // cache; cache pixels outside the clip keep what they held. An empty pointer area drops
    // the cache, so nothing is drawn until a dial has room for a pointer again. The cache
    // covers the whole pointer area, or for one longer than kMaxFaceSide on a side, the part
    // on the canvas. A canvas without pixels of its own (over a painter) leaves no cache.
    void refreshCache(Canvas& canvas);

    // Whether a pointer can be drawn at all (a cache of at least two pixels' width).
    bool canDraw() const;
    // The cached part of the pointer area as it should look for pose: the cached dial with
    // the marks and the turned pointer on top.
    Bitmap render(const PointerPose& pose) const;
    // Renders and puts the result onto canvas at the cached part's corner in one piece. On a
    // canvas without pixels of its own the marks and the pointer are drawn straight onto
    // it, within the pointer area.
    void draw(Canvas& canvas, const PointerPose& pose) const;
    // The fast path for a new pose on the canvas the cache was taken from, which shows the
    // cache with the figures last drawn by redraw() (none since prepare()): the cache goes
    // back where those figures stood and the figures of `pose` are drawn onto the canvas,
    // within the cached part. The canvas then shows what draw() shows, for the cost of the
    // figures' boxes rather than of the whole area. Returns the parts that changed.
    std::vector<Rect> redraw(Canvas& canvas, const PointerPose& pose);

    const Rect& rect() const { return rect_; }
    void setRect(const Rect& r) { rect_ = r; }
    const Bitmap& cache() const { return cache_; }
    const PointerShape& shape() const { return shape_; }
    const PointerMarks& marks() const { return marks_; }
    // The pointer's vertices turned by angle, relative to the pointer area.
    std::vector<Point> turnedVertices(double angle) const;

private:
    // The marks, the pointer and its hubs for pose, on a canvas whose origin lies at
    // `origin` of the pointer area.
    void drawFigures(Canvas& c, const PointerPose& pose, Point origin) const;
    // Boxes that together cover the figures for pose, in the pointer area's coordinates.
    std::vector<Rect> figuresBoxes(const PointerPose& pose) const;
    // Where the cache lies on the canvas.
    Rect cachedArea() const;

    Rect rect_;
    Bitmap cache_;
    Point cacheOffset_; // where the cache starts within the pointer area
    PointerShape shape_;
    PointerMarks marks_{};
    // Rows of the pointer taken together in one box.
    static constexpr int kBandRows = 16;
    // On the canvas: where the figures last drawn by redraw() stand.
    std::vector<Rect> drawnBoxes_;
};

} // namespace kv
