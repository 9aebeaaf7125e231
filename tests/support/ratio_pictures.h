#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv::test {

// Comparing a picture drawn for a screen of another device pixel ratio with the one drawn
// for a ratio of 1.

// An image of `logical` size with the given ratio, filled with `fill`.
inline QImage imageAt(QSize logical, double ratio, QColor fill = Qt::white,
                      QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
    QImage img(qRound(logical.width() * ratio), qRound(logical.height() * ratio), format);
    img.setDevicePixelRatio(ratio);
    img.fill(fill);
    return img;
}

// `hi` brought down to `size` by averaging (smooth scaling), opaque.
inline QImage downscaled(const QImage& hi, QSize size) {
    QImage flat = hi.convertToFormat(QImage::Format_RGB32);
    flat.setDevicePixelRatio(1.0);
    return flat.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// Each pixel the mean of its 3 x 3 neighbourhood: the antialiased and the aliased edge of
// one figure agree after it, a figure that is missing or moved does not.
inline QImage softened(const QImage& img) {
    const QImage in = img.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width(); ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= in.width() || sy >= in.height())
                        continue;
                    const QRgb p = in.pixel(sx, sy);
                    r += qRed(p);
                    g += qGreen(p);
                    b += qBlue(p);
                    ++n;
                }
            out.setPixel(x, y, qRgb(r / n, g / n, b / n));
        }
    return out;
}

inline int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Pixels of two equally large pictures whose colours differ by more than `tolerance` in
// some channel.
inline int differingPixels(const QImage& a, const QImage& b, int tolerance) {
    const QImage pa = a.convertToFormat(QImage::Format_RGB32);
    const QImage pb = b.convertToFormat(QImage::Format_RGB32);
    int n = 0;
    for (int y = 0; y < pa.height(); ++y)
        for (int x = 0; x < pa.width(); ++x)
            n += channelDistance(pa.pixel(x, y), pb.pixel(x, y)) > tolerance ? 1 : 0;
    return n;
}

// How far a picture drawn at a higher ratio, brought down to the 1x picture's size, lies
// from that picture once both are softened: the pixels differing by more than `tolerance`.
inline int differingFromOneToOne(const QImage& oneToOne, const QImage& hi, int tolerance = 64) {
    return differingPixels(softened(oneToOne), softened(downscaled(hi, oneToOne.size())),
                           tolerance);
}

// Blocks of k x k device pixels, aligned on multiples of k, that are not of one colour. A
// picture drawn at ratio 1 and enlarged k times has none.
inline int unevenBlocks(const QImage& hi, int k, const QRect& area = QRect()) {
    const QImage img = hi.convertToFormat(QImage::Format_ARGB32);
    const QRect a = area.isNull() ? img.rect() : area;
    int n = 0;
    for (int by = a.top() / k; by < (a.bottom() + 1) / k; ++by)
        for (int bx = a.left() / k; bx < (a.right() + 1) / k; ++bx) {
            const QRgb first = img.pixel(bx * k, by * k);
            bool even = true;
            for (int dy = 0; dy < k && even; ++dy)
                for (int dx = 0; dx < k && even; ++dx)
                    even = img.pixel(bx * k + dx, by * k + dy) == first;
            n += even ? 0 : 1;
        }
    return n;
}

// Pixels in `area` whose colour is none of the picture's pure colours: neither `a` nor `b`
// but in between, as an antialiased edge between them has.
inline int pixelsBetween(const QImage& img, const QRect& area, QColor a, QColor b) {
    int n = 0;
    const QImage in = img.convertToFormat(QImage::Format_RGB32);
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = in.pixel(x, y);
            if (p == a.rgb() || p == b.rgb())
                continue;
            const auto within = [](int v, int u, int w) {
                return v >= std::min(u, w) && v <= std::max(u, w);
            };
            if (within(qRed(p), a.red(), b.red()) && within(qGreen(p), a.green(), b.green()) &&
                within(qBlue(p), a.blue(), b.blue()))
                ++n;
        }
    return n;
}

} // namespace kv::test
