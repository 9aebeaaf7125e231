#include "canvas/smooth_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

// x * a + y * b per 8-bit channel, a + b = 255, rounded.
inline QRgb interpolate255(QRgb x, uint a, QRgb y, uint b) {
    uint t = (x & 0xff00ff) * a + (y & 0xff00ff) * b;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a + ((y >> 8) & 0xff00ff) * b;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

#if defined(__SSE2__)
// interpolate255 of rgb over four pixels at once, with their own shares: the same rounding,
// channel by channel in 16-bit lanes.
inline void blendFour(QRgb* pixels, QRgb rgb, uint a0, uint a1, uint a2, uint a3) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const __m128i src = _mm_unpacklo_epi8(_mm_set1_epi32(int(rgb)), zero);
    const __m128i dst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    auto blend = [&](__m128i d, __m128i a) {
        const __m128i t =
            _mm_add_epi16(_mm_mullo_epi16(src, a), _mm_mullo_epi16(d, _mm_sub_epi16(full, a)));
        return _mm_srli_epi16(
            _mm_add_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), _mm_set1_epi16(128)), 8);
    };
    const auto lanes = [](uint a, uint b) {
        return _mm_set_epi16(short(b), short(b), short(b), short(b), short(a), short(a), short(a),
                             short(a));
    };
    const __m128i low = blend(_mm_unpacklo_epi8(dst, zero), lanes(a0, a1));
    const __m128i high = blend(_mm_unpackhi_epi8(dst, zero), lanes(a2, a3));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels), _mm_packus_epi16(low, high));
}
#endif

// The share of a pixel, a unit square around its centre, on the near side of a straight
// edge at the signed distance t from the centre, for an edge across the direction (nx, ny);
// exact at any angle. Seen along the direction, the square spreads as the sum of two even
// spreads of widths lo and hi; the share below a distance is the integral of that, a sum of
// four clipped squares, which goes without a branch. A line's direction and its normal
// have the same components but swapped, so one footprint serves both.
class Footprint {
public:
    Footprint(double nx, double ny)
        : lo_(std::min(std::abs(nx), std::abs(ny))), hi_(std::max(std::abs(nx), std::abs(ny))),
          reach_((lo_ + hi_) / 2), flat_(lo_ < kFlat),
          scale_(flat_ ? 1 / hi_ : 1 / (2 * lo_ * hi_)) {}

    // The pixel's half extent along the direction: beyond it the share is 0 or 1.
    double reach() const { return reach_; }

    double share(double t) const {
        const double s = t + reach_;
        if (flat_)
            return std::clamp(s * scale_, 0.0, 1.0);
        const double a = std::max(s, 0.0), b = std::max(s - lo_, 0.0);
        const double c = std::max(s - hi_, 0.0), d = std::max(s - lo_ - hi_, 0.0);
        return (a * a - b * b - c * c + d * d) * scale_;
    }

private:
    // Below this a component counts as none: the direction runs along a pixel axis.
    static constexpr double kFlat = 1.0 / 1024;
    double lo_, hi_, reach_;
    bool flat_;
    double scale_;
};

// The share across a band depends on the distance from its middle alone: worked out at
// steps of a sixteenth of a pixel (a share then errs by less than 12 in 255).
constexpr int kSteps = 16;
constexpr int kShares = 256;
struct Shares {
    double offset = 0; // the distance of entry 0 from the band's middle, negated
    std::array<quint8, kShares> at{};
};

// The shares across a band of the width at the direction (nx, ny), entry k for the distance
// k / kSteps - offset. They are kept per width and direction, the direction in 1024 steps
// of the slope over an eighth of a turn (each eighth looks the same to a pixel square), so
// a line costs a look-up rather than a table of its own; each is worked out for its step's
// direction, so the same step gives the same shares whatever line came first.
const Shares& sharesAcross(double width, double nx, double ny) {
    constexpr int kDirections = 1024;
    const double lo = std::min(std::abs(nx), std::abs(ny));
    const double hi = std::max(std::abs(nx), std::abs(ny));
    const int step = std::clamp(int(lo / hi * (kDirections - 1) + 0.5), 0, kDirections - 1);
    const int widthSteps = std::clamp(int(width * kSteps + 0.5), 1, kShares);
    struct Kept {
        int widthSteps = 0;
        std::vector<Shares> shares; // by step; an offset of 0 marks one not yet worked out
    };
    thread_local std::vector<Kept> kept;
    thread_local Kept* last = nullptr;
    if (!last || last->widthSteps != widthSteps) {
        last = nullptr;
        for (Kept& k : kept)
            if (k.widthSteps == widthSteps)
                last = &k;
        if (!last) {
            if (kept.size() >= 8)
                kept.clear();
            kept.push_back(Kept{widthSteps, std::vector<Shares>(kDirections)});
            last = &kept.back();
        }
    }
    Shares& shares = last->shares[std::size_t(step)];
    if (shares.offset > 0)
        return shares;
    const double slope = double(step) / (kDirections - 1);
    const double norm = std::hypot(1.0, slope);
    const Footprint footprint(slope / norm, 1 / norm);
    const double half = double(widthSteps) / kSteps / 2;
    const double acrossReach = half + footprint.reach();
    shares.offset = acrossReach;
    for (int k = 0; k < kShares && k * 1.0 / kSteps < 2 * acrossReach; ++k) {
        const double across = k * 1.0 / kSteps - acrossReach;
        const double share = footprint.share(half - across) - footprint.share(-half - across);
        shares.at[std::size_t(k)] = quint8(std::clamp(int(share * 255 + 0.5), 0, 255));
    }
    return shares;
}

// floor and ceil of a value within the int range, without a library call: both come at
// every row.
inline int floorToInt(double v) {
    const int i = int(v);
    return i - (v < i ? 1 : 0);
}
inline int ceilToInt(double v) {
    const int i = int(v);
    return i + (v > i ? 1 : 0);
}

} // namespace

void writeSmoothLine(const SmoothLine& line, const QRect& clip, PixelBuffer target, QRgb rgb) {
    const QPointF d = line.to - line.from;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0) || !std::isfinite(length) || !(line.width > 0) || clip.isEmpty())
        return;
    const double ux = d.x() / length, uy = d.y() / length; // along
    const double nx = -uy, ny = ux;                        // across
    const Footprint footprint(nx, ny);
    const double reach = footprint.reach();
    const double half = line.width / 2;
    const double start = line.squareStart ? -half : 0.0;
    const double end = length + (line.squareEnd ? half : 0.0);

    // The band's corners, and from them the rows and, row by row, the columns it touches.
    const QPointF corners[4] = {
        line.from + QPointF(ux * start + nx * half, uy * start + ny * half),
        line.from + QPointF(ux * end + nx * half, uy * end + ny * half),
        line.from + QPointF(ux * end - nx * half, uy * end - ny * half),
        line.from + QPointF(ux * start - nx * half, uy * start - ny * half),
    };
    double top = corners[0].y(), bottom = top;
    for (const QPointF& p : corners) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // A band too wide for a table (a wide pen at a high ratio) has its shares worked out
    // pixel by pixel.
    const bool tabled = 2 * (half + reach) * kSteps + 2 <= kShares;
    const Shares* acrossShares = tabled ? &sharesAcross(line.width, nx, ny) : nullptr;
    const double offset = tabled ? acrossShares->offset * kSteps + 0.5 : 0.0;
    constexpr double kFar = 1e6; // beyond any image; keeps the conversions below in range
    const int firstRow = std::max(clip.top(), floorToInt(std::max(top, -kFar)));
    const int lastRow = std::min(clip.bottom(), ceilToInt(std::min(bottom, kFar)) - 1);
    // Each edge as x at the height y: x0 + y * slope, worked out once.
    struct Edge {
        double top, bottom, x0, slope;
    };
    std::array<Edge, 4> edges{};
    for (int k = 0; k < 4; ++k) {
        const QPointF& p = corners[k];
        const QPointF& q = corners[(k + 1) % 4];
        Edge& e = edges[std::size_t(k)];
        e.top = std::min(p.y(), q.y());
        e.bottom = std::max(p.y(), q.y());
        e.slope = q.y() != p.y() ? (q.x() - p.x()) / (q.y() - p.y()) : 0.0;
        e.x0 = p.x() - p.y() * e.slope;
    }
    for (int y = firstRow; y <= lastRow; ++y) {
        // The band's extent within the row [y, y + 1]: its corners in the row and where
        // its edges cross the row's top and bottom.
        double left = kFar, right = -kFar;
        auto take = [&](double x) {
            left = std::min(left, x);
            right = std::max(right, x);
        };
        // Edges 0 and 2 are the band's sides, 1 and 3 its ends. A row clear of both ends
        // lies between the sides alone, which cross its top and bottom.
        auto clear = [y](const Edge& e) { return y >= e.bottom || y + 1 <= e.top; };
        if (clear(edges[1]) && clear(edges[3])) {
            for (const Edge* e : {&edges[0], &edges[2]}) {
                const double x = e->x0 + y * e->slope;
                take(x);
                take(x + e->slope);
            }
        } else {
            for (const QPointF& p : corners)
                if (p.y() >= y && p.y() <= y + 1)
                    take(p.x());
            for (const Edge& e : edges) {
                if (e.top < y && e.bottom > y)
                    take(e.x0 + y * e.slope);
                if (e.top < y + 1 && e.bottom > y + 1)
                    take(e.x0 + (y + 1) * e.slope);
            }
        }
        if (left > right)
            continue;
        const int firstColumn = std::max(clip.left(), floorToInt(std::max(left, -kFar)));
        const int lastColumn = std::min(clip.right(), ceilToInt(std::min(right, kFar)) - 1);
        QRgb* row = reinterpret_cast<QRgb*>(target.bits + qsizetype(y) * target.bytesPerLine);
        const double cx = firstColumn + 0.5 - line.from.x();
        const double cy = y + 0.5 - line.from.y();
        const double across = nx * cx + ny * cy;
        const double along = ux * cx + uy * cy;
        // Near an end the share along comes in; elsewhere a pixel's share is the table's,
        // read without a branch.
        const double alongLast = along + ux * (lastColumn - firstColumn);
        const bool nearEnds =
            std::min(along, alongLast) - start < reach || end - std::max(along, alongLast) < reach;
        // The table index in fixed point, 2^16 to a step.
        const qint64 step = tabled ? qint64(nx * kSteps * 65536.0) : 0;
        qint64 k = tabled ? qint64((across * kSteps + offset) * 65536.0) : 0;
        auto shareAt = [&](int x) __attribute__((always_inline)) {
            const int i = x - firstColumn;
            uint a;
            if (tabled) {
                const quint64 at = quint64((k + step * i) >> 16);
                a = at < quint64(kShares) ? acrossShares->at[at] : 0;
            } else {
                const double from = across + nx * i;
                const double share = footprint.share(half - from) - footprint.share(-half - from);
                a = uint(std::clamp(share, 0.0, 1.0) * 255 + 0.5);
            }
            if (nearEnds) {
                const double at = along + ux * i;
                a = uint(
                    a * std::max(0.0, footprint.share(end - at) - footprint.share(start - at)) +
                    0.5);
            }
            return a;
        };
        int x = firstColumn;
#if defined(__SSE2__)
        for (; x + 3 <= lastColumn; x += 4)
            blendFour(row + x, rgb, shareAt(x), shareAt(x + 1), shareAt(x + 2), shareAt(x + 3));
#endif
        for (; x <= lastColumn; ++x) {
            const uint a = shareAt(x);
            row[x] = interpolate255(rgb, a, row[x], 255 - a);
        }
    }
}

void writeDisc(QPointF centre, double radius, const QRect& clip, const QRect& skip,
               PixelBuffer target, QRgb rgb) {
    // Nothing to write unless the disc reaches into the clip; then its box is in int range.
    if (!(radius > 0) || radius > 1e4 ||
        !QRectF(clip).adjusted(-radius, -radius, radius, radius).contains(centre))
        return;
    const QRect box =
        QRect(QPoint(floorToInt(centre.x() - radius), floorToInt(centre.y() - radius)),
              QPoint(ceilToInt(centre.x() + radius) - 1, ceilToInt(centre.y() + radius) - 1))
            .intersected(clip);
    const double r2 = radius * radius;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(target.bits + qsizetype(y) * target.bytesPerLine);
        for (int x = box.left(); x <= box.right(); ++x) {
            if (skip.contains(x, y))
                continue;
            int inside = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) {
                    const double dx = x + (i + 0.5) / 4 - centre.x();
                    const double dy = y + (j + 0.5) / 4 - centre.y();
                    inside += dx * dx + dy * dy <= r2 ? 1 : 0;
                }
            const uint a = uint(inside * 255 + 8) / 16;
            if (a > 0)
                row[x] = interpolate255(rgb, a, row[x], 255 - a);
        }
    }
}

} // namespace kv
