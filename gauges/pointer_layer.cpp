#include "gauges/pointer_layer.h"

#include "core/rounding.h"
#include "gauges/rotation.h"

#include <algorithm>
#include <climits>

namespace kv {

PointerShape pointerShapeUpright(int shape, int areaWidth) {
    const int r = areaWidth / 2;
    const int c = r / 10;
    const int q = r / 16;
    PointerShape s;
    s.pivot = {r, r};
    auto hubs = [&s](int h1, int h2, bool outline) {
        s.hub1 = std::uint8_t(h1);
        s.hub2 = std::uint8_t(h2);
        s.outline = outline;
    };
    switch (shape) {
    case 1:
        s.vertices = {{r - q, r}, {r + q, r}, {r, 0}};
        hubs(c + c / 2, 3, false);
        break;
    case 2:
        s.vertices = {{r - c, 4 * c}, {r + c, 4 * c}, {r, 0}};
        hubs(0, 0, false);
        break;
    case 3:
        s.vertices = {{r - q, r + 2 * c}, {r + q, r + 2 * c}, {r, 0}};
        hubs(c, 3, false);
        break;
    case 4:
        s.vertices = {{r - q, r + c}, {r + q, r + c},     {r + q, 3 * c}, {r + 2 * c, 3 * c},
                      {r, 0},         {r - 2 * c, 3 * c}, {r - q, 3 * c}};
        hubs(2, 0, false);
        break;
    case 5:
        s.vertices = {{r - c, r + c}, {r + c, r + c}, {r + c, 2 * c}, {r, 0}, {r - c, 2 * c}};
        hubs(2, 0, false);
        break;
    case 6:
        s.vertices = {{r - 1, r + 2 * c}, {r + 1, r + 2 * c}, {r + 1, 0}, {r - 1, 0}};
        hubs(8, 3, true);
        break;
    case 7:
        s.vertices = {
            {r - c, r}, {r - c - q, r + 2 * c}, {r + c + q, r + 2 * c}, {r + c, r}, {r, 0}};
        hubs(q, 2, false);
        break;
    default:
        s.vertices = {{r - c, r + c}, {r + c, r + c}, {r, 0}};
        hubs(2, 0, false);
        break;
    }
    return s;
}

PointerShape pointerShapeAtRest(int shape, int areaWidth, int startAngle) {
    PointerShape s = pointerShapeUpright(shape, areaWidth);
    for (Point& p : s.vertices)
        p = rotatePoint(p, s.pivot, startAngle);
    return s;
}

PointerMarks pointerMarksAtRest(Point pivot, int tickLength, int startAngle) {
    const int L = tickLength;
    const int f = roundToInt(L * 0.6);
    const int px = pivot.x;
    PointerMarks m;
    m.min = {Point{px, L + f}, Point{px, 1}, Point{px - f, 1}};
    m.max = {Point{px, L + f}, Point{px, 1}, Point{px + f, 1}};
    for (Point& p : m.min)
        p = rotatePoint(p, pivot, startAngle);
    for (Point& p : m.max)
        p = rotatePoint(p, pivot, startAngle);
    return m;
}

PointerLayer::PointerLayer() : cache_(1, 1) {
    cache_.image().fill(Qt::black);
}

void PointerLayer::prepare(Canvas& canvas, const Rect& rect, int shape, int startAngle,
                           int tickLength) {
    rect_ = rect;
    drawnBox_ = Rect{};
    shape_ = pointerShapeAtRest(shape, rect.width(), startAngle);
    refreshCache(canvas);
    marks_ = pointerMarksAtRest(shape_.pivot, tickLength, startAngle);
}

void PointerLayer::refreshCache(Canvas& canvas) {
    // A pointer area larger than any face is cached, and drawn, only where it lies on the
    // canvas: a cache of the whole would need gigabytes.
    const Rect area = rect_.width() > kMaxFaceSide || rect_.height() > kMaxFaceSide
                          ? intersected(rect_, Rect{0, 0, canvas.width(), canvas.height()})
                          : rect_;
    const QImage* from = canvas.image();
    if (area.width() <= 0 || area.height() <= 0 || !from) {
        // No room for a pointer: a cache kept from a larger dial would paste that dial's
        // pixels onto this one.
        cache_ = Bitmap(1, 1);
        cache_.image().fill(Qt::black);
        cacheOffset_ = {};
        return;
    }
    const Rect in = intersected(area, canvas.clipBox());
    if (in.right < in.left || in.bottom < in.top)
        return;
    const Point offset{clampToInt(static_cast<long long>(area.left) - rect_.left),
                       clampToInt(static_cast<long long>(area.top) - rect_.top)};
    const QImage::Format format = from->format();
    Bitmap fresh(canvas, area);
    if (cache_.image().size() != fresh.image().size() || cache_.image().format() != format ||
        cache_.grid().ratio() != fresh.grid().ratio() || offset != cacheOffset_) {
        // A resized cache keeps its old pixels where they still fit, as a resized bitmap does.
        fresh.image() = QImage(fresh.image().size(), format);
        fresh.image().setDevicePixelRatio(fresh.grid().ratio());
        fresh.image().fill(Qt::transparent);
        {
            Canvas g(fresh);
            g.draw(clampToInt(static_cast<long long>(cacheOffset_.x) - offset.x),
                   clampToInt(static_cast<long long>(cacheOffset_.y) - offset.y), cache_.image());
        }
        cache_ = fresh;
        cacheOffset_ = offset;
    }
    if (in.width() == 0 || in.height() == 0)
        return;
    const DeviceGrid& grid = canvas.grid();
    if (grid.isUnit()) {
        Canvas target(cache_);
        target.copyRect(
            {in.left - area.left, in.top - area.top, in.right - area.left, in.bottom - area.top},
            *from, in);
        return;
    }
    // The canvas's device pixels under `in`, to the same pixels of the cache.
    const Rect source = grid.toDevice(in);
    const Rect corner = grid.toDevice(area);
    QPainter p(&cache_.image());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setWorldTransform(QTransform::fromScale(1 / grid.ratio(), 1 / grid.ratio()));
    // Target and source as rectangles of equal size: drawn at a point, the source would
    // be shrunk by the canvas image's ratio.
    const QRect pixels(source.left, source.top, source.width(), source.height());
    p.drawImage(pixels.translated(-corner.left, -corner.top), *from, pixels);
}

bool PointerLayer::canDraw() const {
    return !cache_.image().isNull() && cache_.width() >= 2;
}

std::vector<Point> PointerLayer::turnedVertices(double angle) const {
    std::vector<Point> out;
    out.reserve(shape_.vertices.size());
    for (const Point& p : shape_.vertices)
        out.push_back(rotatePoint(p, shape_.pivot, angle));
    return out;
}

Bitmap PointerLayer::render(const PointerPose& pose) const {
    Bitmap work = cache_;
    work.image() = cache_.image().copy();
    {
        // Figures are worked out in the pointer area; the cache may start inside it.
        Canvas c(work);
        drawFigures(c, pose, cacheOffset_);
    }
    return work;
}

void PointerLayer::drawFigures(Canvas& c, const PointerPose& pose, Point o) const {
    auto local = [o](Point p) {
        return Point{clampToInt(static_cast<long long>(p.x) - o.x),
                     clampToInt(static_cast<long long>(p.y) - o.y)};
    };
    auto localAll = [&local](std::vector<Point> pts) {
        for (Point& p : pts)
            p = local(p);
        return pts;
    };
    c.setPenWidth(1);
    c.setPenStyle(PenStyle::psSolid);
    c.setPenMode(PenMode::pmCopy);
    c.setBrushStyle(BrushStyle::bsSolid);

    auto drawMark = [&](const std::array<Point, 3>& mark, double angle, ColorValue color) {
        std::vector<Point> pts;
        for (const Point& p : mark)
            pts.push_back(local(rotatePoint(p, shape_.pivot, angle)));
        // Marks are outlined in black, the pen of a fresh working bitmap.
        c.setPenColor(clBlack);
        c.setBrushColor(color);
        c.polygon(pts);
    };
    if (pose.minVisible)
        drawMark(marks_.min, pose.minAngle, pose.minColor);
    if (pose.maxVisible)
        drawMark(marks_.max, pose.maxAngle, pose.maxColor);

    if (pose.flashing) {
        c.setBrushColor(pose.flashColor);
        c.setPenColor(shape_.outline ? pose.flashColor : pose.pen);
    } else {
        c.setPenColor(pose.pen);
        c.setBrushColor(pose.brush);
    }
    c.polygon(localAll(turnedVertices(pose.angle)));

    const Point pv = local(shape_.pivot);
    auto hub = [&](int d, ColorValue pen, ColorValue brush) {
        if (d == 0)
            return;
        c.setBrushColor(brush);
        c.setPenColor(pen);
        c.ellipse({pv.x - d, pv.y - d, pv.x + d, pv.y + d});
    };
    hub(shape_.hub1, pose.hub1Pen, pose.hub1Brush);
    hub(shape_.hub2, pose.hub2Pen, pose.hub2Brush);
}

Rect PointerLayer::cachedArea() const {
    const long long left = static_cast<long long>(rect_.left) + cacheOffset_.x;
    const long long top = static_cast<long long>(rect_.top) + cacheOffset_.y;
    return Rect{clampToInt(left), clampToInt(top), clampToInt(left + cache_.width()),
                clampToInt(top + cache_.height())};
}

Rect PointerLayer::figuresBox(const PointerPose& pose) const {
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    auto cover = [&](Point p) {
        left = std::min<long long>(left, p.x);
        top = std::min<long long>(top, p.y);
        right = std::max<long long>(right, p.x + 1LL);
        bottom = std::max<long long>(bottom, p.y + 1LL);
    };
    auto coverMark = [&](const std::array<Point, 3>& mark, double angle) {
        for (const Point& p : mark)
            cover(rotatePoint(p, shape_.pivot, angle));
    };
    if (pose.minVisible)
        coverMark(marks_.min, pose.minAngle);
    if (pose.maxVisible)
        coverMark(marks_.max, pose.maxAngle);
    for (const Point& p : turnedVertices(pose.angle))
        cover(p);
    const int hub = std::max(shape_.hub1, shape_.hub2);
    cover(Point{shape_.pivot.x - hub, shape_.pivot.y - hub});
    cover(Point{shape_.pivot.x + hub, shape_.pivot.y + hub});
    // A pixel more on every side for the outlines' smoothed edges.
    return Rect{clampToInt(left - 1), clampToInt(top - 1), clampToInt(right + 1),
                clampToInt(bottom + 1)};
}

Rect PointerLayer::redraw(Canvas& canvas, const PointerPose& pose) {
    if (!canvas.image()) {
        draw(canvas, pose);
        return Rect{};
    }
    if (!canDraw())
        return Rect{};
    const Rect area = cachedArea();
    const Rect figures = figuresBox(pose);
    const Rect box{clampToInt(static_cast<long long>(figures.left) + rect_.left),
                   clampToInt(static_cast<long long>(figures.top) + rect_.top),
                   clampToInt(static_cast<long long>(figures.right) + rect_.left),
                   clampToInt(static_cast<long long>(figures.bottom) + rect_.top)};
    const Rect old = intersected(drawnBox_, area);
    const Rect now = intersected(box, area);
    Rect changed{};
    for (const Rect& r : {old, now}) {
        if (r.width() <= 0 || r.height() <= 0)
            continue;
        canvas.copyFrom(r, cache_, Point{r.left - area.left, r.top - area.top});
        changed = united(changed, r);
    }
    canvas.saveClip();
    canvas.intersectClip(area);
    drawFigures(canvas, pose, Point{-rect_.left, -rect_.top});
    canvas.restoreClip();
    drawnBox_ = box;
    return changed;
}

void PointerLayer::draw(Canvas& canvas, const PointerPose& pose) const {
    if (!canvas.image()) {
        // No pixels to copy or to come back to: the figures go straight onto the canvas.
        if (rect_.width() <= 0 || rect_.height() <= 0)
            return;
        canvas.saveClip();
        canvas.intersectClip(rect_);
        drawFigures(canvas, pose, Point{-rect_.left, -rect_.top});
        canvas.restoreClip();
        return;
    }
    if (!canDraw())
        return;
    const Bitmap work = render(pose);
    canvas.draw(clampToInt(static_cast<long long>(rect_.left) + cacheOffset_.x),
                clampToInt(static_cast<long long>(rect_.top) + cacheOffset_.y), work);
}

} // namespace kv
