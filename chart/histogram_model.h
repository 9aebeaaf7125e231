#pragma once

#include "core/histogram.h"

#include <QElapsedTimer>
#include <QObject>
#include <optional>
#include <string>

namespace kv {

class ChartSeries;

// The readings a chart shows, counted into a histogram: whether it is shown in place of the
// trend, the limits' band, and the bins of the last count with what was left out of it.
// Counting follows new readings at most every kRefreshMs; any other change of what is
// counted (another stretch, unit, resolution or set of points) is counted at once.
class HistogramModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    explicit HistogramModel(QObject* parent = nullptr);

    bool shown() const { return shown_; }
    void setShown(bool on);
    // The limits in force and their unit (empty: any unit); they show on a histogram of
    // that unit only.
    std::optional<double> lowerLimit() const { return lower_; }
    std::optional<double> upperLimit() const { return upper_; }
    const std::string& limitsUnit() const { return limitsUnit_; }
    void setLimits(std::optional<double> lower, std::optional<double> upper,
                   const std::string& unit);

    // The last count: its bins and figures, its unit and resolution, what it left out.
    const Histogram& histogram() const { return histogram_; }
    const std::string& unit() const { return unit_; }
    double step() const { return step_; }
    const ValueTally& leftOut() const { return leftOut_; }
    // The points counted, -1 before the first count.
    int first() const { return first_; }
    int last() const { return last_; }

    // Counts points first..last of `s` in `unit` with readings `step` apart (0: unknown)
    // unless that is the last count; the histogram is empty for first > last. Returns
    // false when new readings were left for later (count again within kRefreshMs).
    bool count(const ChartSeries& s, int first, int last, const std::string& unit, double step);

    // How long new readings wait before they are counted: 0 when a count would run now.
    int msUntilNextCount() const;
    // The next count runs whatever came since the last one, without putting new readings
    // off: a picture is being taken.
    void countAtOnce() { sinceCount_.invalidate(); }

signals:
    // Shown or hidden, or the limits changed: worth a new picture.
    void changed();

private:
    bool shown_ = false;
    std::optional<double> lower_, upper_;
    std::string limitsUnit_;
    Histogram histogram_;
    ValueTally leftOut_; // its values emptied: only the counts are kept
    std::string unit_;
    double step_ = 0;
    int first_ = -1, last_ = -1;
    const ChartSeries* series_ = nullptr;
    unsigned generation_ = 0;
    QElapsedTimer sinceCount_;
};

} // namespace kv
