#include "chart/chart_readout.h"

#include "chart/chart_axis.h"
#include "chart/chart_series.h"
#include "core/translated.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

std::string withUnit(const std::string& text, const std::string& unit) {
    return unit.empty() ? text : text + " " + unit;
}

std::string timeOrIndex(const ChartSeries& s, int index, const LocalOffset& localOffset) {
    if (!s.timed())
        return "#" + std::to_string(index);
    const std::int64_t t = s.timeAt(index);
    return clockMillisecondsText(t + (localOffset ? localOffset(t) : systemLocalOffset(t)));
}

} // namespace

ColumnReadout readoutAt(const ChartSeries& s, int x) {
    ColumnReadout r;
    const AxisBase* h = s.horizontalAxis();
    const int n = s.pointCount();
    if (!h || n == 0 || s.xValues().order() != ValueListOrder::loAscending ||
        !(s.xIsTime() || (s.xValues().multiplier() >= 0 && !s.xHasNaN())))
        return r;

    // The nearest reading by X value, the breaks passed over.
    const double v = h->pixelToValue(x);
    const int k = s.firstAtOrAfterX(v);
    const int before = s.drawnAtOrBefore(std::min(k, n) - 1);
    const int after = k < n ? s.drawnAtOrAfter(k) : -1;
    if (before < 0 && after < 0)
        return r;
    if (before < 0)
        r.nearest = after;
    else if (after < 0)
        r.nearest = before;
    else
        r.nearest = std::fabs(s.xAt(after) - v) < std::fabs(s.xAt(before) - v) ? after : before;
    r.found = true;
    r.cursorX = s.xPixel(r.nearest);

    // The column: pixels run one way along the points (the other way when inverted).
    const bool rising = !h->inverted();
    r.first = firstWhere(0, n, [&](int i) { return rising ? s.xPixel(i) >= x : s.xPixel(i) <= x; });
    r.last =
        firstWhere(r.first, n, [&](int i) { return rising ? s.xPixel(i) > x : s.xPixel(i) < x; }) -
        1;
    if (r.last < r.first) {
        r.first = r.last = -1;
        return r;
    }
    r.count = (r.last - r.first + 1) - s.breaksIn(r.first, r.last);
    const ValueList& ys = s.yValues();
    if (r.count < kDenseColumn || s.yHasNaN())
        return r;
    // A break holds the value of the point before it, which is on the column unless the
    // break leads it.
    const int a = s.drawnAtOrAfter(r.first);
    if (a < 0 || a > r.last)
        return r;
    const MinMaxIndex::Extremes e = s.storedYExtremes(a, r.last);
    const double lo = ys.scaled(e.min), hi = ys.scaled(e.max);
    r.minimum = std::min(lo, hi);
    r.maximum = std::max(lo, hi);
    r.dense = true;
    r.cursorX = x;
    return r;
}

MarkerStatistics markerStatistics(const ChartSeries& s, int a, int b) {
    MarkerStatistics m;
    const int n = s.pointCount();
    if (a < 0 || b < 0 || a >= n || b >= n)
        return m;
    m.from = std::min(a, b);
    m.to = std::max(a, b);
    m.deltaIndex = b - a;
    m.deltaValue = s.yAt(b) - s.yAt(a);
    m.timed = s.timed();
    if (m.timed)
        m.deltaTimeMs = s.timeAt(b) - s.timeAt(a);

    // Welford's running mean and sum of squared deviations: readings like 230.0001 with
    // tiny spread keep their digits.
    double mean = 0, squares = 0;
    for (int i = m.from; i <= m.to;) {
        if (s.isBreak(i)) {
            const int next = s.drawnAtOrAfter(i);
            if (next < 0)
                break;
            i = next;
            continue;
        }
        const double v = s.yAt(i);
        if (m.count == 0) {
            m.minimum = m.maximum = v;
        } else {
            m.minimum = std::min(m.minimum, v);
            m.maximum = std::max(m.maximum, v);
        }
        ++m.count;
        const double d = v - mean;
        mean += d / m.count;
        squares += d * (v - mean);
        ++i;
    }
    m.mean = mean;
    m.standardDeviation = m.count > 1 ? std::sqrt(std::max(0.0, squares / (m.count - 1))) : 0.0;
    m.gaps = s.breaksIn(m.from, m.to, BreakReason::brGap);
    m.overloads = s.breaksIn(m.from, m.to, BreakReason::brOverload);
    m.unitChanges = s.breaksIn(m.from, m.to, BreakReason::brUnitChange);
    return m;
}

std::string readoutText(const ChartSeries& s, const ColumnReadout& r, const ValueText& valueText,
                        const LocalOffset& localOffset) {
    if (!r.found)
        return {};
    if (!r.dense) {
        return timeOrIndex(s, r.nearest, localOffset) + " " +
               withUnit(valueText(s, r.nearest, s.yAt(r.nearest), 0), s.unitAt(r.nearest));
    }
    // The column's figures in the digits of the reading nearest to it.
    const int first = std::max(0, s.drawnAtOrAfter(r.first));
    return withArguments(translated("kv::TrendChart", "%1 min %2 max %3, %4 readings"),
                         {timeOrIndex(s, first, localOffset), valueText(s, r.nearest, r.minimum, 0),
                          withUnit(valueText(s, r.nearest, r.maximum, 0), s.unitAt(r.last)),
                          std::to_string(r.count)});
}

std::string markersText(const ChartSeries& s, const MarkerStatistics& m,
                        const ValueText& valueText) {
    if (m.from < 0)
        return {};
    const std::string delta =
        m.timed ? "Δt " + durationText(m.deltaTimeMs) : "Δn " + std::to_string(m.deltaIndex);
    const std::string unit = s.unitAt(m.to);
    // In the digits of marker B's reading; the mean and σ claim one decimal more.
    auto value = [&](double v) { return valueText(s, m.to, v, 0); };
    auto figure = [&](double v) { return valueText(s, m.to, v, 1); };
    std::string text = withArguments(
        translated("kv::TrendChart", "%1 Δ %2 n %3 min %4 max %5 mean %6 σ %7"),
        {delta, withUnit(value(m.deltaValue), unit), std::to_string(m.count), value(m.minimum),
         value(m.maximum), figure(m.mean), figure(m.standardDeviation)});
    if (m.gaps > 0)
        text +=
            " " + withArguments(translated("kv::TrendChart", "gaps %1"), {std::to_string(m.gaps)});
    if (m.overloads > 0)
        text += " " + withArguments(translated("kv::TrendChart", "overloads %1"),
                                    {std::to_string(m.overloads)});
    if (m.unitChanges > 0)
        text += " " + withArguments(translated("kv::TrendChart", "unit changes %1"),
                                    {std::to_string(m.unitChanges)});
    return text;
}

} // namespace kv
