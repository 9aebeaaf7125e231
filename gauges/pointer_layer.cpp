#include "gauges/pointer_layer.h"

#include "core/rounding.h"
#include "gauges/rotation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <tuple>

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
    drawnBoxes_.clear();
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

std::vector<Rect> PointerLayer::figuresBoxes(const PointerPose& pose) const {
    std::vector<Rect> boxes;
    // A pixel more on every side for the outlines' smoothed edges.
    auto add = [&boxes](long long left, long long top, long long right, long long bottom) {
        boxes.push_back(Rect{clampToInt(left - 1), clampToInt(top - 1), clampToInt(right + 1),
                             clampToInt(bottom + 1)});
    };
    // The box of points, each the pixel it names.
    auto cover = [&add](const std::vector<Point>& points) {
        long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
        for (const Point& p : points) {
            left = std::min<long long>(left, p.x);
            top = std::min<long long>(top, p.y);
            right = std::max<long long>(right, p.x + 1LL);
            bottom = std::max<long long>(bottom, p.y + 1LL);
        }
        add(left, top, right, bottom);
    };
    auto coverMark = [&](const std::array<Point, 3>& mark, double angle) {
        std::vector<Point> turned;
        for (const Point& p : mark)
            turned.push_back(rotatePoint(p, shape_.pivot, angle));
        cover(turned);
    };
    if (pose.minVisible)
        coverMark(marks_.min, pose.minAngle);
    if (pose.maxVisible)
        coverMark(marks_.max, pose.maxAngle);
    const int hub = std::max(shape_.hub1, shape_.hub2);
    cover({Point{shape_.pivot.x - hub, shape_.pivot.y - hub},
           Point{shape_.pivot.x + hub, shape_.pivot.y + hub}});

    // The pointer, slanted across much of the area, in bands of rows: each as wide as the
    // pointer's edges reach within it, rather than one box with the dial's empty corners.
    const std::vector<Point> vertices = turnedVertices(pose.angle);
    if (vertices.empty())
        return boxes;
    long long top = LLONG_MAX, bottom = LLONG_MIN;
    for (const Point& p : vertices) {
        top = std::min<long long>(top, p.y);
        bottom = std::max<long long>(bottom, p.y + 1LL);
    }
    const std::size_t n = vertices.size();
    // Bands on a fixed grid of rows, so that the old pointer's and the new one's meet.
    for (long long y0 = floorDiv(top, kBandRows) * kBandRows; y0 < bottom; y0 += kBandRows) {
        const long long y1 = y0 + kBandRows;
        // The edges' reach from a row above the band to a row below it: a shallow edge
        // lays a long run of pixels on each row it crosses.
        double left = HUGE_VAL, right = -HUGE_VAL;
        for (std::size_t i = 0; i < n; ++i) {
            const Point& a = vertices[i];
            const Point& b = vertices[(i + 1) % n];
            const double lo = std::max<double>(std::min(a.y, b.y), double(y0 - 1));
            const double hi = std::min<double>(std::max(a.y, b.y), double(y1));
            if (lo > hi)
                continue;
            if (a.y == b.y) {
                left = std::min({left, double(a.x), double(b.x)});
                right = std::max({right, double(a.x), double(b.x)});
                continue;
            }
            for (const double y : {lo, hi}) {
                const double x = a.x + (double(b.x) - a.x) * (y - a.y) / (double(b.y) - a.y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (left <= right)
            add(static_cast<long long>(std::floor(left)), y0,
                static_cast<long long>(std::floor(right)) + 1, y1);
    }
    return boxes;
}

std::vector<Rect> PointerLayer::redraw(Canvas& canvas, const PointerPose& pose) {
    if (!canvas.image()) {
        draw(canvas, pose);
        return {};
    }
    if (!canDraw())
        return {};
    const Rect area = cachedArea();
    std::vector<Rect> now;
    for (const Rect& f : figuresBoxes(pose)) {
        const Rect box = intersected(Rect{clampToInt(static_cast<long long>(f.left) + rect_.left),
                                          clampToInt(static_cast<long long>(f.top) + rect_.top),
                                          clampToInt(static_cast<long long>(f.right) + rect_.left),
                                          clampToInt(static_cast<long long>(f.bottom) + rect_.top)},
                                     area);
        if (box.width() > 0 && box.height() > 0)
            now.push_back(box);
    }
    std::vector<Rect> boxes = drawnBoxes_;
    boxes.insert(boxes.end(), now.begin(), now.end());
    // Boxes of the same rows (the old and the new pointer's bands) go back as one.
    std::sort(boxes.begin(), boxes.end(), [](const Rect& a, const Rect& b) {
        return std::tie(a.top, a.bottom, a.left) < std::tie(b.top, b.bottom, b.left);
    });
    std::vector<Rect> changed;
    for (const Rect& r : boxes) {
        if (!changed.empty() && changed.back().top == r.top && changed.back().bottom == r.bottom) {
            changed.back().left = std::min(changed.back().left, r.left);
            changed.back().right = std::max(changed.back().right, r.right);
        } else {
            changed.push_back(r);
        }
    }
    for (const Rect& r : changed)
        canvas.copyFrom(r, cache_, Point{r.left - area.left, r.top - area.top});
    canvas.saveClip();
    canvas.intersectClip(area);
    drawFigures(canvas, pose, Point{-rect_.left, -rect_.top});
    canvas.restoreClip();
    drawnBoxes_ = std::move(now);
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
