#include "levelbar/bar_geometry.h"

#include "core/rounding.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace kv {

namespace {
constexpr int kBlockLength = 6;
constexpr int kBlockStep = 8; // the block pitch of 10 less the 2-pixel gap
constexpr int kMaxBands = 255;

constexpr ColorValue kFrameDark = 0x686868;
constexpr ColorValue kFrameSoft = 0xBEBEBE;
constexpr ColorValue kFrameLight = 0xEFEFEF;

} // namespace

int mulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c == 0)
        return 0;
    // 128 bits hold any product of two 64-bit factors; rounding works on magnitudes so that
    // halves go away from zero on both sides.
    using Wide = __int128;
    const Wide num = Wide(a) * Wide(b);
    const bool negative = (num < 0) != (c < 0);
    const Wide n = num < 0 ? -num : num;
    const Wide d = c < 0 ? -Wide(c) : Wide(c);
    Wide q = n / d;
    if ((n % d) * 2 >= d)
        ++q;
    const Wide v = negative ? -q : q;
    return int(std::clamp<Wide>(v, INT_MIN, INT_MAX));
}

int filledLength(int extent, std::int64_t position, std::int64_t min, std::int64_t max) {
    if (max - min < 1)
        return 0;
    return mulDiv(extent, position - min, max - min);
}

Rect lengthChange(BarOrientation orientation, int width, int height, int from, int to) {
    if (from == to)
        return Rect{};
    // A length L fills columns 4 .. L + 1 smoothly, or blocks starting by column L + 1, each
    // six wide (rows mirrored from the bottom for a vertical bar): what differs lies
    // between the shorter length and a block past the longer one.
    const long long shorter = std::min(from, to), longer = std::max(from, to);
    if (orientation == BarOrientation::pbHorizontal)
        return Rect{clampToInt(shorter), 0, clampToInt(longer + kBlockStep), height};
    return Rect{0, clampToInt(height - longer - kBlockStep), width, clampToInt(height - shorter)};
}

std::vector<Rect> barAreas(BarOrientation orientation, bool smooth, int width, int height,
                           int length) {
    return barAreas(orientation, smooth, width, height, length, Rect{0, 0, width, height});
}

std::vector<Rect> barAreas(BarOrientation orientation, bool smooth, int width, int height,
                           int length, const Rect& window) {
    std::vector<Rect> areas;
    const long long w = width, h = height;
    if (orientation == BarOrientation::pbHorizontal) {
        if (smooth) {
            const Rect r{4, 3, clampToInt(std::min(length + 2LL, w - 3)), clampToInt(h - 3)};
            if (r.right > r.left)
                areas.push_back(r);
            return areas;
        }
        // Block k spans columns 4 + 8k .. 4 + 8k + 5 while the length has more than two
        // pixels left for it; only those meeting the window's columns are listed.
        const long long first = std::max(0LL, floorDiv(window.left - 10LL, kBlockStep) + 1);
        const long long last =
            std::min(floorDiv(length - 3LL, kBlockStep), floorDiv(window.right - 5LL, kBlockStep));
        for (long long k = first; k <= last; ++k) {
            const long long left = 4 + kBlockStep * k;
            const Rect block{clampToInt(left), 3, clampToInt(std::min(left + kBlockLength, w - 3)),
                             clampToInt(h - 3)};
            if (block.width() > 0)
                areas.push_back(block);
        }
        return areas;
    }
    if (smooth) {
        const Rect r{4, clampToInt(std::max(h - 2 - length, 3LL) + 1), clampToInt(w - 4),
                     clampToInt(h - 3)};
        if (r.width() > 0 && r.height() > 0)
            areas.push_back(r);
        return areas;
    }
    // Block k ends at row h - 3 - 8k (exclusive), six rows high; only those meeting the
    // window's rows are listed.
    const long long first = std::max(0LL, floorDiv(h - 9 - window.bottom, kBlockStep) + 1);
    const long long last =
        std::min(floorDiv(length - 3LL, kBlockStep), floorDiv(h - 4 - window.top, kBlockStep));
    for (long long k = first; k <= last; ++k) {
        const long long bottom = h - 3 - kBlockStep * k;
        const Rect block{3, clampToInt(std::max(bottom - kBlockLength, 3LL)), clampToInt(w - 3),
                         clampToInt(bottom)};
        if (block.height() > 0)
            areas.push_back(block);
    }
    return areas;
}

std::array<FrameLine, 21> frameLines(int width, int height) {
    const int w = width, h = height;
    return {{
        {{0, 1}, {0, h - 1}, kFrameSoft},
        {{0, 2}, {0, h - 2}, kFrameDark},
        {{w - 1, 1}, {w - 1, h - 1}, kFrameSoft},
        {{w - 1, 2}, {w - 1, h - 2}, kFrameDark},
        {{1, 0}, {1, h}, kFrameSoft},
        {{1, 1}, {1, h - 1}, kFrameDark},
        {{1, 2}, {1, h - 2}, kFrameSoft},
        {{w - 2, 0}, {w - 2, h}, kFrameSoft},
        {{w - 2, 1}, {w - 2, h - 1}, kFrameDark},
        {{w - 2, 2}, {w - 2, h - 2}, kFrameSoft},
        {{2, 0}, {2, h}, kFrameDark},
        {{2, 1}, {2, h - 1}, kFrameSoft},
        {{2, 3}, {2, h - 1}, kFrameLight},
        {{w - 3, 0}, {w - 3, h}, kFrameDark},
        {{w - 3, 1}, {w - 3, h - 1}, kFrameSoft},
        {{w - 3, 3}, {w - 3, h - 1}, kFrameLight},
        {{3, 0}, {w - 3, 0}, kFrameDark},
        {{3, 1}, {w - 3, 1}, kFrameSoft},
        {{3, 2}, {w - 3, 2}, kFrameLight},
        {{3, h - 1}, {w - 2, h - 1}, kFrameDark},
        {{3, h - 2}, {w - 3, h - 2}, kFrameLight},
    }};
}

std::vector<GradientBand> gradientBands(const Rect& r, ColorValue start, ColorValue end,
                                        GradientDirection direction) {
    std::vector<GradientBand> bands;
    if (r.width() <= 0 || r.height() <= 0)
        return bands;
    if (start == end) {
        bands.push_back({r, start});
        return bands;
    }
    const bool down = direction == GradientDirection::Downward;
    const int extent = std::abs(down ? r.height() : r.width());
    const int n = std::max(2, std::min(kMaxBands, extent));
    const int size = extent / n;
    const int dr = redOf(end) - redOf(start);
    const int dg = greenOf(end) - greenOf(start);
    const int db = blueOf(end) - blueOf(start);
    auto band = [&](int from, int to) {
        return down ? Rect{r.left, from, r.right, to} : Rect{from, r.top, to, r.bottom};
    };
    const int origin = down ? r.top : r.left;
    if (size > 0) {
        bands.reserve(std::size_t(n) + 1);
        for (int k = 0; k < n; ++k) {
            const ColorValue c =
                rgbColor(redOf(start) + mulDiv(k, dr, n - 1), greenOf(start) + mulDiv(k, dg, n - 1),
                         blueOf(start) + mulDiv(k, db, n - 1));
            bands.push_back({band(origin + k * size, origin + (k + 1) * size), c});
        }
    }
    const int rest = extent % n;
    if (rest != 0) {
        const int stop = down ? r.bottom : r.right;
        bands.push_back({band(stop - rest, stop), end});
    }
    return bands;
}

BlockHalves blockHalves(const Rect& r, BarOrientation orientation) {
    if (orientation == BarOrientation::pbHorizontal) {
        const int half = std::abs(r.bottom - r.top) / 2;
        return {Rect{r.left, r.top, r.right, r.bottom - half},
                Rect{r.left, r.top + half, r.right, r.bottom}, GradientDirection::Downward};
    }
    const int half = std::abs(r.right - r.left) / 2;
    return {Rect{r.left, r.top, r.right - half, r.bottom},
            Rect{r.left + half, r.top, r.right, r.bottom}, GradientDirection::Rightward};
}

} // namespace kv
