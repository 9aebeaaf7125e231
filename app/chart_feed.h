#pragma once

#include "record/reading_store_view.h"

#include <QObject>
#include <QTimer>

namespace kv {

class Channel;
class LineSeries;
class TrendChart;

// The window's chart drawing its channel's record, where every reading is kept once: the
// series draws a view of the record's rows. A live line starts broken where the meter was
// silent from the start; Stop empties the chart while the record keeps its rows; a Start
// without Stop goes on after the rows shown; a file shown starts at its first reading. The
// readout and the markers write a reading as the digits do, in its range's picture, the
// mean and sigma with one decimal more.
class ChartFeed : public QObject {
    Q_OBJECT
public:
    // The channel, the chart and its series must outlive the feed.
    ChartFeed(Channel& channel, TrendChart& chart, LineSeries& series, QObject* parent = nullptr);
    ~ChartFeed() override;

private:
    void recordChanged();
    // The record's notes as flags on the line's points.
    void showNotes();

    Channel& channel_;
    TrendChart& chart_;
    LineSeries& series_;
    ReadingStoreView view_;
    // Counts a recording opened for a histogram in idle moments, a group of blocks a turn
    // (a few milliseconds), so that its first histogram finds it counted.
    QTimer countAhead_;
    unsigned notesGeneration_ = 0; // of the points the notes were placed on
};

} // namespace kv
