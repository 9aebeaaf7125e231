#include "core/histogram.h"

#include "core/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kv {

std::uint64_t Histogram::largestCount() const {
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

int histogramBinCount(std::uint64_t n, double span, double iqr) {
    double bins = 0;
    if (n == 0)
        bins = kMinHistogramBins;
    else if (iqr > 0 && span > 0)
        bins = std::ceil(span / (2 * iqr / std::cbrt(double(n))));
    else
        bins = std::ceil(std::sqrt(double(n)));
    return int(std::clamp(bins, double(kMinHistogramBins), double(kMaxHistogramBins)));
}

double roundBinWidth(double wanted, double step) {
    const double unit = step > 0 ? step : 1.0;
    if (!(wanted > 0) || !std::isfinite(wanted))
        return unit;
    const double units = wanted / unit;
    // Below one step only without a resolution: a width under the step leaves bins empty.
    if (step > 0 && units <= 1)
        return unit;
    // The nearest on a logarithmic scale among 1, 2, 5, 10 times the power below.
    const double power = std::pow(10.0, std::floor(std::log10(units)));
    double best = power;
    for (const double m : {2.0, 5.0, 10.0})
        if (std::abs(std::log(m * power / units)) < std::abs(std::log(best / units)))
            best = m * power;
    return std::max(best, step > 0 ? 1.0 : 0.0) * unit;
}

namespace {

// The next round width above `width`: 1 -> 2 -> 5 -> 10 times a power of ten.
double nextBinWidth(double width, double step) {
    return roundBinWidth(width * 2.2, step);
}

} // namespace

namespace {

struct Spread {
    std::uint64_t n = 0;
    double minimum = 0, maximum = 0, q1 = 0, q3 = 0, mean = 0, deviation = 0;
};

Spread spreadOf(std::vector<ValueCount> values) {
    Spread s;
    values.erase(
        std::remove_if(values.begin(), values.end(),
                       [](const ValueCount& v) { return v.count == 0 || !std::isfinite(v.value); }),
        values.end());
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end(),
              [](const ValueCount& a, const ValueCount& b) { return a.value < b.value; });
    long double sum = 0;
    for (const ValueCount& v : values) {
        s.n += v.count;
        sum += static_cast<long double>(v.value) * v.count;
    }
    s.minimum = values.front().value;
    s.maximum = values.back().value;
    s.mean = double(sum / s.n);
    long double squares = 0;
    for (const ValueCount& v : values) {
        const long double d = v.value - static_cast<long double>(s.mean);
        squares += d * d * v.count;
    }
    s.deviation = s.n > 1 ? double(std::sqrt(squares / (s.n - 1))) : 0.0;
    // Quartiles by rank: the values at a quarter and three quarters of the way.
    const std::uint64_t r1 = (s.n - 1) / 4, r3 = (s.n - 1) * 3 / 4;
    std::uint64_t below = 0;
    bool have1 = false;
    for (const ValueCount& v : values) {
        below += v.count;
        if (!have1 && below > r1) {
            s.q1 = v.value;
            have1 = true;
        }
        if (below > r3) {
            s.q3 = v.value;
            break;
        }
    }
    return s;
}

} // namespace

Histogram makeHistogram(const std::vector<ValueCount>& values, double step) {
    Histogram h;
    const Spread s = spreadOf(values);
    if (s.n == 0)
        return h;
    h.total = s.n;
    h.mean = s.mean;
    h.standardDeviation = s.deviation;
    h.minimum = s.minimum;
    h.maximum = s.maximum;
    const double span = s.maximum - s.minimum;
    const int wantedBins = histogramBinCount(s.n, span, s.q3 - s.q1);
    double width = roundBinWidth(span / wantedBins, step);
    if (step > 0) {
        // In whole steps: a reading k * step lies in bin floor(k / m).
        const long long kMin = std::llround(s.minimum / step);
        const long long kMax = std::llround(s.maximum / step);
        long long m = 0, b0 = 0, bins = 0;
        for (;;) {
            m = std::max(1LL, std::llround(width / step));
            b0 = floorDiv(kMin, m);
            bins = floorDiv(kMax, m) - b0 + 1;
            if (bins <= kMaxHistogramBins)
                break;
            width = nextBinWidth(width, step);
        }
        if (bins < kMinHistogramBins) {
            b0 -= (kMinHistogramBins - bins) / 2;
            bins = kMinHistogramBins;
        }
        h.binWidth = double(m) * step;
        h.firstEdge = double(b0 * m) * step;
        h.counts.assign(std::size_t(bins), 0);
        for (const ValueCount& v : values) {
            if (v.count == 0 || !std::isfinite(v.value))
                continue;
            const long long bin = floorDiv(std::llround(v.value / step), m) - b0;
            h.counts[std::size_t(std::clamp(bin, 0LL, bins - 1))] += v.count;
        }
        return h;
    }
    if (span == 0)
        width = roundBinWidth(std::max(std::abs(s.minimum), 1.0) * 1e-3, 0);
    double b0 = 0, bins = 0;
    for (;;) {
        b0 = std::floor(s.minimum / width);
        bins = std::floor(s.maximum / width) - b0 + 1;
        if (bins <= kMaxHistogramBins)
            break;
        width = nextBinWidth(width, 0);
    }
    if (bins < kMinHistogramBins) {
        b0 -= std::floor((kMinHistogramBins - bins) / 2);
        bins = kMinHistogramBins;
    }
    h.binWidth = width;
    h.firstEdge = b0 * width;
    h.counts.assign(std::size_t(bins), 0);
    for (const ValueCount& v : values) {
        if (v.count == 0 || !std::isfinite(v.value))
            continue;
        const double bin = std::floor(v.value / width) - b0;
        h.counts[std::size_t(std::clamp(bin, 0.0, bins - 1))] += v.count;
    }
    return h;
}

namespace {

// A value's bits spread over the table: readings in few decimals differ in their high bits
// only, so every bit is mixed into every other (the finaliser of MurmurHash3).
std::size_t slotOf(std::uint64_t key, std::size_t slots) {
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDULL;
    key ^= key >> 33;
    key *= 0xC4CEB9FE1A85EC53ULL;
    key ^= key >> 33;
    return std::size_t(key) & (slots - 1);
}

} // namespace

void ValueTallier::add(double value, std::uint64_t count) {
    if (value == 0)
        value = 0; // -0 and +0 are one value
    std::uint64_t key = 0;
    std::memcpy(&key, &value, sizeof key);
    if (slots_.empty() || (tally_.values.size() + 1) * 2 > slots_.size()) {
        // Grown to keep the table at most half full.
        slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            std::size_t at = slotOf(keys_[i], slots_.size());
            while (slots_[at] != 0)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = std::uint32_t(i + 1);
        }
    }
    std::size_t at = slotOf(key, slots_.size());
    while (slots_[at] != 0) {
        const std::uint32_t i = slots_[at] - 1;
        if (keys_[i] == key) {
            tally_.values[i].count += count;
            return;
        }
        at = (at + 1) & (slots_.size() - 1);
    }
    keys_.push_back(key);
    tally_.values.push_back(ValueCount{value, count});
    slots_[at] = std::uint32_t(keys_.size());
}

ValueTally ValueTallier::take() {
    ValueTally out = std::move(tally_);
    tally_ = ValueTally{};
    keys_.clear();
    slots_.clear();
    return out;
}

} // namespace kv
