#include "chart/histogram_painter.h"

#include "core/rounding.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Tick length, and room between ticks and their labels.
constexpr int kTick = 3;
constexpr int kLabelGap = 2;
constexpr ColorValue kLimitLine = rgbColor(0, 128, 0);

// The smallest of 1, 2, 5 times a power of ten (at least 1) not below `wanted`.
std::uint64_t roundCount(double wanted) {
    std::uint64_t power = 1;
    for (;;) {
        for (const std::uint64_t m : {1u, 2u, 5u})
            if (double(m * power) >= wanted)
                return m * power;
        power *= 10;
    }
}

std::string valueLabel(const HistogramScene& s, double v) {
    return s.valueText ? s.valueText(v) : std::to_string(v);
}

} // namespace

double HistogramLayout::xOf(double value) const {
    return plot.left + (value - low) / (high - low) * plot.width();
}

int HistogramLayout::binAt(int x) const {
    if (bins <= 0 || x < plot.left || x >= plot.right)
        return -1;
    const double v = low + (x + 0.5 - plot.left) / plot.width() * (high - low);
    const double i = std::floor((v - firstEdge) / binWidth);
    return i >= 0 && i < bins ? int(i) : -1;
}

int HistogramLayout::yOf(std::uint64_t count) const {
    return plot.bottom - roundToInt(double(count) / double(top) * plot.height());
}

HistogramLayout layoutHistogram(Canvas& c, const Rect& area, const HistogramScene& scene) {
    HistogramLayout l;
    const Histogram& h = scene.histogram;
    c.setFont(scene.font);
    const int th = c.textHeight("0");
    int top = area.top;
    if (!scene.note.empty()) {
        l.noteLine = Rect{area.left, top, area.right, top + th};
        top += th + kLabelGap;
    }
    top += th / 2; // the top count's label reaches above the plot
    const int bottom = area.bottom - (th + kTick + kLabelGap) - (scene.unit.empty() ? 0 : th);
    // Count ticks about two and a half lines apart.
    const int rows = std::max(1, (bottom - top) * 2 / std::max(1, 5 * th));
    const std::uint64_t largest = std::max<std::uint64_t>(1, h.largestCount());
    const std::uint64_t step = roundCount(double(largest) / rows);
    l.top = (largest + step - 1) / step * step;
    const int labelWidth = c.textWidth(std::to_string(l.top));
    const int left = area.left + labelWidth + kTick + 2 * kLabelGap;
    // Half a value label may reach past the plot's right edge.
    const int right = area.right - std::max(4, c.textWidth(valueLabel(scene, h.maximum)) / 2);
    l.plot = Rect{left, top, std::max(left + 1, right), std::max(top + 1, bottom)};
    l.bins = h.binCount();
    l.firstEdge = h.firstEdge;
    l.binWidth = h.binWidth;
    if (l.bins > 0 && h.binWidth > 0) {
        l.low = h.edge(0);
        l.high = h.edge(l.bins);
    }
    return l;
}

void paintHistogram(Canvas& c, const HistogramLayout& l, const HistogramScene& scene) {
    const Histogram& h = scene.histogram;
    const Rect& p = l.plot;
    c.setPenMode(PenMode::pmCopy);
    c.setPenStyle(PenStyle::psSolid);
    c.setPenWidth(1);
    c.setFont(scene.font);
    c.setBackMode(BackMode::Transparent);
    const int th = c.textHeight("0");
    if (!scene.note.empty()) {
        c.setTextAlign(HAlign::Left, VAlign::Top);
        c.textOut(l.noteLine.left, l.noteLine.top, scene.note);
    }
    c.fillRect(p, clWhite);
    c.frameRect(Rect{p.left - 1, p.top - 1, p.right + 1, p.bottom + 1}, clBlack);

    c.saveClip();
    c.intersectClip(p);
    if (l.bins > 0 && (scene.lowerLimit || scene.upperLimit)) {
        const int from = scene.lowerLimit ? roundToInt(l.xOf(*scene.lowerLimit)) : p.left;
        const int to = scene.upperLimit ? roundToInt(l.xOf(*scene.upperLimit)) : p.right;
        if (from < to)
            c.fillRect(Rect{from, p.top, to, p.bottom}, kHistogramBand);
        c.setPenColor(kLimitLine);
        for (const auto& limit : {scene.lowerLimit, scene.upperLimit})
            if (limit) {
                const int x = roundToInt(l.xOf(*limit));
                c.line(x, p.top, x, p.bottom);
            }
    }
    for (int i = 0; i < l.bins; ++i) {
        const std::uint64_t n = h.counts[std::size_t(i)];
        if (n == 0)
            continue;
        const int x0 = roundToInt(l.xOf(h.edge(i)));
        int x1 = roundToInt(l.xOf(h.edge(i + 1)));
        // Bars of three pixels and more keep a column apart from the next.
        if (x1 - x0 >= 3)
            --x1;
        x1 = std::max(x1, x0 + 1);
        const int y = std::min(l.yOf(n), p.bottom - 1);
        c.fillRect(Rect{x0, y, x1, p.bottom}, kHistogramBar);
    }
    if (!h.empty()) {
        c.setPenColor(kHistogramMean);
        const int xm = roundToInt(l.xOf(h.mean));
        c.line(xm, p.top, xm, p.bottom);
        if (h.standardDeviation > 0) {
            c.setPenStyle(PenStyle::psDot);
            for (const double x : {h.mean - h.standardDeviation, h.mean + h.standardDeviation}) {
                const int col = roundToInt(l.xOf(x));
                c.line(col, p.top, col, p.bottom);
            }
            c.setPenStyle(PenStyle::psSolid);
        }
    }
    c.restoreClip();

    // The count axis: ticks and labels on the left.
    c.setPenColor(clBlack);
    const int rows = std::max(1, p.height() * 2 / std::max(1, 5 * th));
    const std::uint64_t step = roundCount(double(l.top) / rows);
    c.setTextAlign(HAlign::Right, VAlign::Top);
    for (std::uint64_t n = 0; n <= l.top; n += step) {
        const int y = l.yOf(n);
        c.line(p.left - 1 - kTick, y, p.left - 1, y);
        c.textOut(p.left - 1 - kTick - kLabelGap, y - th / 2, std::to_string(n));
    }
    if (l.bins <= 0)
        return;
    // The value axis: ticks on whole multiples of the bin width, as far apart as the
    // labels need.
    const int labelWidth =
        std::max(c.textWidth(valueLabel(scene, l.low)), c.textWidth(valueLabel(scene, l.high))) +
        3 * th;
    const int columns = std::max(1, p.width() / std::max(1, labelWidth));
    const double tick = roundBinWidth((l.high - l.low) / columns, l.binWidth);
    c.setTextAlign(HAlign::Center, VAlign::Top);
    const double firstTick = std::ceil(l.low / tick - 1e-9) * tick;
    for (int k = 0;; ++k) {
        const double v = firstTick + k * tick;
        if (v > l.high + tick * 1e-9)
            break;
        const int x = std::min(roundToInt(l.xOf(v)), p.right - 1);
        c.line(x, p.bottom, x, p.bottom + 1 + kTick);
        c.textOut(x, p.bottom + 1 + kTick + kLabelGap, valueLabel(scene, v));
    }
    if (!scene.unit.empty())
        c.textOut((p.left + p.right) / 2, p.bottom + 1 + kTick + kLabelGap + th, scene.unit);
}

} // namespace kv
