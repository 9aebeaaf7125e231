#include "chart/histogram_model.h"

#include "chart/chart_series.h"

#include <algorithm>

namespace kv {

HistogramModel::HistogramModel(QObject* parent) : QObject(parent) {}

void HistogramModel::setShown(bool on) {
    if (on == shown_)
        return;
    shown_ = on;
    // Counted afresh when it shows again: the readings went on meanwhile.
    series_ = nullptr;
    emit changed();
}

void HistogramModel::setLimits(std::optional<double> lower, std::optional<double> upper,
                               const std::string& unit) {
    if (lower == lower_ && upper == upper_ && unit == limitsUnit_)
        return;
    lower_ = lower;
    upper_ = upper;
    limitsUnit_ = unit;
    emit changed();
}

int HistogramModel::msUntilNextCount() const {
    if (!shown_ || !series_ || !sinceCount_.isValid())
        return 0;
    return int(std::max<qint64>(0, kRefreshMs - sinceCount_.elapsed()));
}

bool HistogramModel::count(const ChartSeries& s, int first, int last, const std::string& unit,
                           double step) {
    const bool same =
        series_ == &s && generation_ == s.generation() && unit == unit_ && step == step_;
    if (same && first == first_ && last == last_)
        return true;
    // The same points, grown at the end: a live line. Counted a few times a second.
    if (same && last > last_ && first >= first_ && sinceCount_.isValid() &&
        sinceCount_.elapsed() < kRefreshMs)
        return false;
    series_ = &s;
    generation_ = s.generation();
    unit_ = unit;
    step_ = step;
    first_ = first;
    last_ = last;
    leftOut_ = first <= last ? s.tally(first, last, unit) : ValueTally{};
    histogram_ = makeHistogram(leftOut_.values, step);
    leftOut_.values.clear();
    leftOut_.values.shrink_to_fit();
    sinceCount_.start();
    return true;
}

} // namespace kv
