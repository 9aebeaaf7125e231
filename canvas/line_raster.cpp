#include "canvas/line_raster.h"

#include <algorithm>

namespace kv {

namespace {

// The pixels of the segment p0 -> p1 without its end pixel: pixel i lies i steps along the
// major axis, and its minor coordinate is the exact one rounded to nearest, ties toward
// the start (so a line and its reverse differ at most in tie pixels), that is offset
// floor((2 i minor + n - 1) / 2n), kept as a running quotient and remainder. Only pixels
// whose major coordinate lies within `window` are visited, so a line reaching far outside
// the image costs no more than one across it. Calls plot(x, y, i); returns the pixel count
// of the whole segment.
template <typename Plot>
long long forSegmentPixels(Point p0, Point p1, const QRect& window, Plot&& plot) {
    const long long dx = static_cast<long long>(p1.x) - p0.x;
    const long long dy = static_cast<long long>(p1.y) - p0.y;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    const long long n = std::max(adx, ady);
    if (n == 0)
        return 0;
    const bool xMajor = adx >= ady;
    const long long majorStart = xMajor ? p0.x : p0.y;
    const long long minorStart = xMajor ? p0.y : p0.x;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long lo = xMajor ? window.left() : window.top();
    const long long hi = xMajor ? window.right() : window.bottom();
    long long first = majorStep > 0 ? lo - majorStart : majorStart - hi;
    long long last = majorStep > 0 ? hi - majorStart : majorStart - lo;
    first = std::max(first, 0LL);
    last = std::min(last, n - 1);
    if (first > last)
        return n;
    const long long twoMinor = 2 * (xMajor ? ady : adx);
    const long long twoN = 2 * n;
    const __int128 start = static_cast<__int128>(first) * twoMinor + (n - 1);
    long long off = static_cast<long long>(start / twoN);
    long long rem = static_cast<long long>(start % twoN);
    for (long long i = first; i <= last; ++i) {
        const int major = static_cast<int>(majorStart + majorStep * i);
        const int minor = static_cast<int>(minorStart + minorStep * off);
        if (xMajor)
            plot(major, minor, i);
        else
            plot(minor, major, i);
        rem += twoMinor;
        if (rem >= twoN) {
            rem -= twoN;
            ++off;
        }
    }
    return n;
}

// Each segment of the path through segment(p0, p1, done), `done` being the count of path
// pixels before it (the dot pattern runs on over the segments); segment returns its own.
template <typename Segment> void forEachPathSegment(const ThinPath& path, Segment&& segment) {
    const std::vector<Point>& pts = path.points;
    long long done = 0;
    for (size_t i = 0; i + 1 < pts.size(); ++i)
        done += segment(pts[i], pts[i + 1], done);
    if (path.closed && pts.size() > 1)
        segment(pts.back(), pts.front(), done);
}

bool dotOn(const ThinPath& path, long long index) {
    return !path.dotted || index % kDotPeriod < kDotOn;
}

// Every pixel of the path whose major coordinate lies within `window`, through plot(x, y).
// The dot pattern counts every pixel of the path, also those outside the window.
template <typename Plot>
void forEachPathPixel(const ThinPath& path, const QRect& window, Plot&& plot) {
    forEachPathSegment(path, [&](Point p0, Point p1, long long done) {
        return forSegmentPixels(p0, p1, window, [&](int x, int y, long long i) {
            if (dotOn(path, done + i))
                plot(x, y);
        });
    });
}

// The pixels of an axis-aligned segment (grid lines, ticks, frames, a chart's columns)
// inside a rectangular clip `box` are one run along a row or a column: written by stepping
// a pointer, the same pixels as the walk of forSegmentPixels. Returns the segment's pixel
// count.
template <typename Write>
long long writeStraightRun(Point p0, Point p1, const QRect& box, PixelBuffer target,
                           const ThinPath& path, long long done, Write&& write) {
    const bool horizontal = p0.y == p1.y;
    const long long start = horizontal ? p0.x : p0.y;
    const long long end = horizontal ? p1.x : p1.y;
    const long long across = horizontal ? p0.y : p0.x;
    const int step = end < start ? -1 : 1;
    const long long n = end < start ? start - end : end - start;
    if (across < (horizontal ? box.top() : box.left()) ||
        across > (horizontal ? box.bottom() : box.right()))
        return n;
    const long long lo = horizontal ? box.left() : box.top();
    const long long hi = horizontal ? box.right() : box.bottom();
    const long long first = std::max(0LL, step > 0 ? lo - start : start - hi);
    const long long last = std::min(n - 1, step > 0 ? hi - start : start - lo);
    if (first > last)
        return n;
    const int x = static_cast<int>(horizontal ? start + step * first : across);
    const int y = static_cast<int>(horizontal ? across : start + step * first);
    QRgb* p = reinterpret_cast<QRgb*>(target.bits + qsizetype(y) * target.bytesPerLine) + x;
    const qsizetype stride =
        horizontal ? step : step * static_cast<qsizetype>(target.bytesPerLine / sizeof(QRgb));
    if (!path.dotted) {
        for (long long i = first; i <= last; ++i, p += stride)
            write(p);
        return n;
    }
    int phase = static_cast<int>((done + first) % kDotPeriod);
    for (long long i = first; i <= last; ++i, p += stride) {
        if (phase < kDotOn)
            write(p);
        if (++phase == kDotPeriod)
            phase = 0;
    }
    return n;
}

} // namespace

void writeThinPath(const ThinPath& path, const ClipRecord& clip, PixelBuffer target, QRgb rgb,
                   bool notXor) {
    const QRect& box = clip.rect();
    const int left = box.left(), top = box.top();
    const int right = box.right(), bottom = box.bottom();
    uchar* const bits = target.bits;
    const qsizetype bpl = target.bytesPerLine;
    auto pixelAt = [bits, bpl](int x, int y) {
        return reinterpret_cast<QRgb*>(bits + qsizetype(y) * bpl) + x;
    };
    const bool rect = clip.isRect();
    auto visible = [&](int x, int y) {
        return x >= left && x <= right && y >= top && y <= bottom && (rect || clip.contains(x, y));
    };
    auto writePath = [&](auto&& write) {
        forEachPathSegment(path, [&](Point p0, Point p1, long long done) {
            if (rect && (p0.x == p1.x || p0.y == p1.y))
                return writeStraightRun(p0, p1, box, target, path, done, write);
            return forSegmentPixels(p0, p1, box, [&](int x, int y, long long i) {
                if (dotOn(path, done + i) && visible(x, y))
                    write(pixelAt(x, y));
            });
        });
    };
    if (notXor)
        writePath([rgb](QRgb* p) { *p = ~(rgb ^ *p) | 0xFF000000u; });
    else
        writePath([rgb](QRgb* p) { *p = rgb; });
}

QPolygon thinPathPixels(const ThinPath& path, const QRect& window) {
    QPolygon dots;
    forEachPathPixel(path, window, [&dots](int x, int y) { dots << QPoint(x, y); });
    return dots;
}

} // namespace kv
