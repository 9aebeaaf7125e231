#pragma once

#include <QImage>
#include <QRect>
#include <cmath>
#include <vector>

namespace kv::test {

// Reading the main window's displays from a picture of them.

inline bool isLime(QRgb p) {
    return qRed(p) < 60 && qGreen(p) > 200 && qBlue(p) < 60;
}
inline bool isBlack(QRgb p) {
    return qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40;
}

// Direction of the meter's needle: the principal axis of the lime pixels in `area`, in
// degrees from the positive x axis with y pointing down, folded into [0, 180); -1 when
// there are none. *count gets the number of lime pixels.
inline double needleAxisDegrees(const QImage& img, const QRect& area, int* count) {
    double sx = 0, sy = 0;
    std::vector<QPoint> pts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isLime(img.pixel(x, y))) {
                pts.push_back({x, y});
                sx += x;
                sy += y;
            }
    *count = static_cast<int>(pts.size());
    if (pts.empty())
        return -1;
    const double mx = sx / pts.size(), my = sy / pts.size();
    double cxx = 0, cyy = 0, cxy = 0;
    for (const QPoint& p : pts) {
        cxx += (p.x() - mx) * (p.x() - mx);
        cyy += (p.y() - my) * (p.y() - my);
        cxy += (p.x() - mx) * (p.y() - my);
    }
    double deg = 0.5 * std::atan2(2 * cxy, cxx - cyy) * 180.0 / M_PI;
    if (deg < 0)
        deg += 180;
    return deg;
}

// Runs of bar colour along the middle row of the level bar's trough, `bar` being where the
// bar stands in the picture.
inline int barBlocks(const QImage& img, const QRect& bar) {
    const int y = bar.top() + bar.height() / 2;
    int runs = 0;
    bool in = false;
    for (int x = bar.left() + 3; x < bar.right() - 2; ++x) {
        const bool dark = qRed(img.pixel(x, y)) < 100 && qGreen(img.pixel(x, y)) < 100;
        runs += (dark && !in) ? 1 : 0;
        in = dark;
    }
    return runs;
}

// Pixels of `img` within `area` that match.
inline int countPixels(const QImage& img, const QRect& area, bool (*match)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += match(img.pixel(x, y)) ? 1 : 0;
    return n;
}

// The smallest rectangle holding every pixel of `area` that `match` takes; empty for none.
// Pixels of `img` that are exactly `rgb`.
inline int pixelsOfColour(const QImage& img, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xffffff) == (rgb & 0xffffff);
    return n;
}

inline QRect boundsOf(const QImage& img, const QRect& area, bool (*match)(QRgb)) {
    QRect out;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (match(img.pixel(x, y)))
                out |= QRect(x, y, 1, 1);
    return out;
}

inline int blackPixels(const QImage& img, const QRect& area) {
    return countPixels(img, area, isBlack);
}

} // namespace kv::test
