#pragma once

#include "core/reading.h"
#include "watch/bench_watch.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace kv {

class LimitCommand;
class Recorder;

// The bench functions of a channel: hold, relative and the limits with their command, fed
// with every reading the meter measured, and what they tell: what the digits, the needle and
// the bar show instead of the measured reading, and the footer's note (with the statistics of
// the current unit when they are shown). The record, the log and the chart keep the
// measured readings whatever is on.
class ChannelBench : public QObject {
    Q_OBJECT
public:
    // The record gives the statistics; it must outlive the bench.
    explicit ChannelBench(const Recorder& record, QObject* parent = nullptr);
    ~ChannelBench() override;

    // A reading as the meter measured it. Codes without a row carry no value of the
    // meter's: nothing to hold, compare or watch.
    void feed(const Reading& measured);
    // Whether the digits, needle and bar show something other than the measured reading,
    // and what, after the last reading.
    bool shaping() const;
    const BenchDisplay& display() const { return watch_.display(); }
    // The last measured reading; anyReading() false before the first.
    const Reading& lastReading() const { return last_; }
    bool anyReading() const { return anyReading_; }

    const BenchWatch& watch() const { return watch_; }
    void toggleHold(TimeMs now);
    void toggleRelative();
    // Stop and Start: hold and relative end, the limits stay.
    void releaseAll();

    const Limits& limits() const { return watch_.limits().limits(); }
    void setLimits(const Limits& limits);
    // Runs `commandLine` on every crossing (see LimitCommand), telling it the name of the
    // `channel` when it has one; empty: none.
    void setLimitCommand(const QString& commandLine, const QString& channel = {});
    // Ends a limit command still running, as the channel closes, with its skipped crossings
    // told.
    void stopCommand();
    // The footer shows the statistics of the current unit.
    bool statisticsShown() const { return statisticsShown_; }
    void setStatisticsShown(bool shown);

    // Hold, relative, limits and, when shown, the statistics of the current unit, one per
    // line; empty when there is nothing to say.
    QString footerNote() const;
    // The menu's statistics lines, in the regional number format.
    QStringList statisticsLines() const;

signals:
    // What the footer or the displays show of the bench may have changed.
    void changed();
    // Once for each crossing out of the limits: the desktop's bell.
    void bell();
    // The limit command failed, or a crossing came while it still ran: a line for stderr.
    void commandSaid(const QString& line);
    // The limits or the statistics switch were set: worth remembering.
    void settingsChanged();

private:
    const Recorder& record_;
    BenchWatch watch_;
    LimitCommand* command_ = nullptr;
    Reading last_;
    bool anyReading_ = false;
    bool statisticsShown_ = false;
};

} // namespace kv
