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

// Every pixel of the path whose major coordinate lies within `window`, through plot(x, y).
// The dot pattern counts every pixel of the path, also those outside the window.
template <typename Plot>
void forEachPathPixel(const ThinPath& path, const QRect& window, Plot&& plot) {
    const std::vector<Point>& pts = path.points;
    long long done = 0;
    auto step = [&](int x, int y, long long i) {
        if (!path.dotted || (done + i) % kDotPeriod < kDotOn)
            plot(x, y);
    };
    for (size_t i = 0; i + 1 < pts.size(); ++i)
        done += forSegmentPixels(pts[i], pts[i + 1], window, step);
    if (path.closed && pts.size() > 1)
        forSegmentPixels(pts.back(), pts.front(), window, step);
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
    if (notXor)
        forEachPathPixel(path, box, [&](int x, int y) {
            if (visible(x, y)) {
                QRgb* p = pixelAt(x, y);
                *p = ~(rgb ^ *p) | 0xFF000000u;
            }
        });
    else
        forEachPathPixel(path, box, [&](int x, int y) {
            if (visible(x, y))
                *pixelAt(x, y) = rgb;
        });
}

QPolygon thinPathPixels(const ThinPath& path, const QRect& window) {
    QPolygon dots;
    forEachPathPixel(path, window, [&dots](int x, int y) { dots << QPoint(x, y); });
    return dots;
}

} // namespace kv
