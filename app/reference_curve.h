#pragma once

#include "chart/chart_series.h"
#include "chart/shifted_samples.h"
#include "record/reading_store_view.h"
#include "record/recording.h"

#include <QObject>
#include <QString>
#include <memory>
#include <string>

namespace kv {

class Channel;
class TrendChart;

// A recording laid in grey behind the chart's line, to compare with: by default its start at
// the start of what the chart shows (elapsed time), or at its own times on the clock axis.
// It is drawn but not read: the readout, the markers and a rolling window go by the line;
// the markers' line adds the difference to it at each marker. Kept until cleared or the
// window closes.
class ReferenceCurve : public QObject {
    Q_OBJECT
public:
    // The chart and its line (whose readings it is compared with) must outlive this.
    ReferenceCurve(TrendChart& chart, LineSeries& line, QObject* parent = nullptr);
    ~ReferenceCurve() override;

    // Reads the recording at `path` and shows it. False, with the reason in `error`, when it
    // cannot be read, holds no reading, or is in another unit than the line; what is shown
    // does not change then.
    bool open(const QString& path, QString& error);
    // Removes it from the chart.
    void clear();
    bool shown() const { return curve_ != nullptr; }
    // The file shown; empty when none.
    const QString& fileName() const { return fileName_; }

    bool alignAtStart() const { return alignAtStart_; }
    void setAlignAtStart(bool on);
    // The line's points were replaced or grew: an aligned curve follows its start.
    void lineChanged();

    // The curve's value at the time (clock axis) or index of the line's point `index`,
    // between its readings on either side; false where it has none.
    bool valueAt(int index, double& value) const;

signals:
    // Shown, cleared or moved.
    void changed();

private:
    void place();

    TrendChart& chart_;
    LineSeries& line_;
    // The file's rows, and the points the series draws of them.
    struct Curve {
        Recording recording;
        std::unique_ptr<ReadingStoreView> view;
        std::unique_ptr<ShiftedSamples> shifted;
    };
    std::unique_ptr<Curve> curve_;
    LineSeries series_;
    QString fileName_;
    std::string unit_;
    bool alignAtStart_ = true;
};

} // namespace kv
