#include "gauges/gradient.h"

#include "core/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

void GradientSettings::assign(const GradientSettings& o) {
    if (&o == this)
        return;
    setColorFrom(o.colorFrom_);
    setColorTo(o.colorTo_);
    setVisible(o.visible_);
    setStyle(o.style_);
    change();
}

namespace {

int clampChannel(long v) {
    return int(std::clamp(v, 0L, 255L));
}

// The three channel differences of a ramp with their per-step increments held in single
// precision, as the band arithmetic depends on exactly that rounding.
struct Ramp {
    int from[3];
    int diff[3];
    float step[3] = {0, 0, 0};

    Ramp(ColorValue f, ColorValue g) {
        from[0] = redOf(f);
        from[1] = greenOf(f);
        from[2] = blueOf(f);
        diff[0] = redOf(g) - from[0];
        diff[1] = greenOf(g) - from[1];
        diff[2] = blueOf(g) - from[2];
    }

    int largestDiff() const {
        return std::max({std::abs(diff[0]), std::abs(diff[1]), std::abs(diff[2])});
    }

    void setSteps(int s) {
        for (int c = 0; c < 3; ++c)
            step[c] = float(diff[c]) / float(s);
    }

    // Colour at k: from + round(k * step), ties to even.
    ColorValue at(double k) const {
        int ch[3];
        for (int c = 0; c < 3; ++c)
            ch[c] = clampChannel(from[c] + long(roundToInt(k * double(step[c]))));
        return rgbColor(ch[0], ch[1], ch[2]);
    }

    // Colour of band k: trunc(k * step + from).
    ColorValue band(int k) const {
        int ch[3];
        for (int c = 0; c < 3; ++c)
            ch[c] = clampChannel(long(std::trunc(double(k) * double(step[c]) + from[c])));
        return rgbColor(ch[0], ch[1], ch[2]);
    }
};

void usePenAndBrush(Canvas& c, ColorValue col) {
    c.setPenColor(col);
    c.setBrushColor(col);
}

// Bands along one axis: `length` is the height (horizontal bands) or width (vertical).
void drawBands(Canvas& c, const Ramp& base, int w, int h, bool horizontal) {
    const int length = horizontal ? h : w;
    int n = std::max(1, base.largestDiff());
    n = std::min(n, length);
    int s = std::max(1, n);
    const int band = std::max(1, length / s);
    s = std::max(1, length / band);
    Ramp ramp = base;
    ramp.setSteps(s);
    for (int k = 0; k <= s; ++k) {
        const ColorValue col = ramp.band(k);
        usePenAndBrush(c, col);
        if (horizontal)
            c.fillRect(Rect{0, k * band, w, (k + 1) * band}, col);
        else
            c.fillRect(Rect{k * band, 0, (k + 1) * band, h}, col);
    }
}

// Lines mirrored about `middle`, F on the middle line and `steps` lines to either side.
void drawMirrored(Canvas& c, const Ramp& base, int w, int h, bool horizontal, int middle, int steps,
                  bool clipLowSide) {
    const int s = std::max(1, steps);
    Ramp ramp = base;
    ramp.setSteps(s);
    auto lineAt = [&](int pos) {
        if (horizontal)
            c.line(0, pos, w, pos);
        else
            c.line(pos, 0, pos, h);
    };
    c.setPenColor(ramp.at(0));
    lineAt(middle);
    for (int k = 1; k <= s; ++k) {
        c.setPenColor(ramp.at(k));
        lineAt(middle + k);
        if (!clipLowSide || middle - k >= 0)
            lineAt(middle - k);
    }
}

void drawEllipses(Canvas& c, const Ramp& base, ColorValue g, int w, int h, double rx, double ry,
                  int cx, int cy, int n) {
    c.fillRect(Rect{0, 0, w, h}, g);
    Ramp ramp = base;
    ramp.setSteps(n);
    for (int k = n; k >= 1; --k) {
        usePenAndBrush(c, ramp.at(k));
        const int ex = roundToInt(k * rx);
        const int ey = roundToInt(k * ry);
        c.ellipse(Rect{cx - ex, cy - ey, cx + ex, cy + ey});
    }
}

void drawDiamonds(Canvas& c, const Ramp& base, ColorValue f, ColorValue g, int w, int h, int s,
                  double rx, double ry, int cx, int cy) {
    c.fillRect(Rect{0, 0, w, h}, g);
    Ramp ramp = base;
    ramp.setSteps(s);
    for (int k = s; k >= 1; --k) {
        c.setPenColor(ramp.at(k));
        const int ex = roundToInt(k * rx);
        const int ey = roundToInt(k * ry);
        c.polyline({{cx, cy - ey}, {cx + ex, cy}, {cx, cy + ey}, {cx - ex, cy}, {cx, cy - ey}});
    }
    c.setPixel(cx, cy, f);
}

// Diagonal lines from the corner at `mirror` false (top-left) or true (top-right).
void drawCorner(Canvas& c, const Ramp& base, int w, int h, bool mirror) {
    const int m = std::max(w, h);
    const double sx = double(w) / m;
    const double sy = double(h) / m;
    const int s = std::max(1, m);
    Ramp ramp = base;
    ramp.setSteps(s);
    for (int k = 0; k <= s; ++k) {
        const int dx = roundToInt(k * sx);
        const int dy = roundToInt(k * sy);
        c.setPenColor(ramp.at(k / 2.0));
        if (mirror)
            c.line(w, dy, w - dx, -1);
        else
            c.line(0, dy, dx, -1);
        c.setPenColor(ramp.at(s - k / 2.0));
        if (mirror)
            c.line(0, h - dy, dx, h);
        else
            c.line(w, h - dy, w - dx, h);
    }
}

} // namespace

ColorValue rampColor(ColorValue a, ColorValue b, int n, int i) {
    const ColorValue ra = resolveColor(a);
    const ColorValue rb = resolveColor(b);
    if (ra == rb)
        return a;
    if (n == 0)
        n = 1;
    const int ca[3] = {redOf(ra), greenOf(ra), blueOf(ra)};
    const int cb[3] = {redOf(rb), greenOf(rb), blueOf(rb)};
    int ch[3];
    for (int c = 0; c < 3; ++c)
        ch[c] = clampChannel(ca[c] + long(roundToInt(double(cb[c] - ca[c]) / n * i)));
    return rgbColor(ch[0], ch[1], ch[2]);
}

namespace {

void drawGradient(QImage& image, ColorValue from, GradientStyle style, ColorValue to) {
    const int w = image.width();
    const int h = image.height();
    const ColorValue f = resolveColor(from);
    const ColorValue g = resolveColor(to);
    Canvas c(image);
    c.setPenWidth(1);
    c.setPenStyle(PenStyle::psSolid);
    c.setPenMode(PenMode::pmCopy);
    c.setBrushStyle(BrushStyle::bsSolid);
    if (f == g || f == clNone || g == clNone) {
        c.fillRect(Rect{0, 0, w, h}, f == clNone ? g : f);
        return;
    }
    const Ramp ramp(f, g);
    const int n = std::max(1, ramp.largestDiff());
    const int cx = w / 2;
    const int cy = h / 2;
    // Styles that do not cover every pixel show the colour of their outermost step.
    c.fillRect(Rect{0, 0, w, h}, g);

    switch (style) {
    case GradientStyle::gsHorizontal1:
        drawBands(c, ramp, w, h, true);
        break;
    case GradientStyle::gsVertical1:
        drawBands(c, ramp, w, h, false);
        break;
    case GradientStyle::gsHorizontal2:
        drawMirrored(c, ramp, w, h, true, std::max(1, h / 2), h / 2, false);
        break;
    case GradientStyle::gsVertical2:
        drawMirrored(c, ramp, w, h, false, std::max(1, w / 2), w / 2, false);
        break;
    case GradientStyle::gsHorizontal3:
        drawMirrored(c, ramp, w, h, true, h / 3, roundToInt(h * 0.67), true);
        break;
    case GradientStyle::gsVertical3:
        drawMirrored(c, ramp, w, h, false, w / 3, roundToInt(w * 0.67), true);
        break;
    case GradientStyle::gsElliptic1:
        drawEllipses(c, ramp, g, w, h, double(w) / n / 2, double(h) / n / 2, cx, cy, n);
        break;
    case GradientStyle::gsElliptic2:
        drawEllipses(c, ramp, g, w, h, double(w) / n * 0.695, double(h) / n * 0.695, cx, cy, n);
        break;
    case GradientStyle::gsElliptic3:
        drawEllipses(c, ramp, g, w, h, double(w) / n * 0.82, double(h) / n * 0.82, cx - w / 4 + 1,
                     cy - h / 4 + 1, n);
        break;
    case GradientStyle::gsRectangle: {
        Ramp r = ramp;
        r.setSteps(n);
        const double rx = double(w) / n / 2;
        const double ry = double(h) / n / 2;
        for (int k = n; k >= 0; --k) {
            usePenAndBrush(c, r.at(k));
            const int ex = roundToInt(k * rx);
            const int ey = roundToInt(k * ry);
            c.rectangle(Rect{cx - ex, cy - ey, cx + ex + 1, cy + ey + 1});
        }
        break;
    }
    case GradientStyle::gsDiamond1: {
        const int s = std::max(1, std::max(std::max(w, h) / 2, n));
        drawDiamonds(c, ramp, f, g, w, h, s, double(w) / s / 2, double(h) / s / 2, cx, cy);
        break;
    }
    case GradientStyle::gsDiamond2: {
        const int s = std::max(1, std::max(std::max(w, h), n));
        drawDiamonds(c, ramp, f, g, w, h, s, double(w) / s, double(h) / s, cx, cy);
        break;
    }
    case GradientStyle::gsTopLeft:
        drawCorner(c, ramp, w, h, false);
        break;
    case GradientStyle::gsTopRight:
        drawCorner(c, ramp, w, h, true);
        break;
    }
}

} // namespace

QImage gradientImage(int w, int h, ColorValue from, GradientStyle style, ColorValue to) {
    if (w <= 0 || h <= 0)
        return QImage();
    QImage image(w, h, QImage::Format_RGB32);
    drawGradient(image, from, style, to);
    return image;
}

void gradientFill(Canvas& canvas, const Rect& q, ColorValue from, GradientStyle style,
                  ColorValue to) {
    // A surface larger than any face would take an image of gigabytes and a line per pixel
    // row; its gradient spans the part the canvas shows instead.
    const Rect area = q.width() > kMaxFaceSide || q.height() > kMaxFaceSide
                          ? intersected(q, canvas.clipBox())
                          : q;
    if (area.width() <= 0 || area.height() <= 0)
        return;
    // Built on the device's own pixels: at 200 % the ramp has twice the steps, not its
    // steps doubled.
    const Rect device = canvas.grid().toDevice(area);
    const QImage image = gradientImage(device.width(), device.height(), from, style, to);
    canvas.stretchDraw(area, image);
}

} // namespace kv
