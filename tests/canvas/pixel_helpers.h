#pragma once

#include "canvas/canvas.h"

#include <QImage>
#include <set>
#include <utility>

namespace kv::test {

using PixelSet = std::set<std::pair<int, int>>;

inline QImage blankImage(int w, int h, ColorValue fill = clWhite) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(toQColor(fill));
    return img;
}

inline ColorValue at(const QImage& img, int x, int y) {
    return fromQColor(QColor::fromRgb(img.pixel(x, y)));
}

// Every pixel that differs from `background`.
inline PixelSet inked(const QImage& img, ColorValue background = clWhite) {
    PixelSet out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) != background)
                out.insert({x, y});
    return out;
}

inline Rect boundsOf(const PixelSet& s) {
    Rect r{1 << 30, 1 << 30, -(1 << 30), -(1 << 30)};
    for (const auto& [x, y] : s) {
        r.left = std::min(r.left, x);
        r.top = std::min(r.top, y);
        r.right = std::max(r.right, x + 1);
        r.bottom = std::max(r.bottom, y + 1);
    }
    return r;
}

} // namespace kv::test
