#pragma once

#include "core/reading.h"
#include "gauges/limit_band.h"
#include "watch/bench_watch.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QAction;
class QWidget;

namespace kv {

class ErrorReporter;
class LimitCommand;
class Recorder;
class RoundMeter;

// The bench functions of a window: hold (Ctrl+H), relative (Ctrl+D), the limits (Ctrl+L, a
// dialog) with their band on the meter, the bell and the limit command, and the statistics
// in the footer. Fed with every measured reading; the displays ask what to show for it,
// while the chart, the record and the log keep the measured values. While nothing is on,
// the window looks and acts as if they were not there.
class BenchActions : public QObject {
    Q_OBJECT
public:
    // The keys work in `host`; all references must outlive the actions.
    BenchActions(QWidget& host, RoundMeter& meter, const Recorder& recorder, ErrorReporter& errors);
    ~BenchActions() override;

    // A reading or an overload as the meter measured it.
    void feed(const Reading& measured);
    // Whether the digits, needle and bar show something other than the measured reading.
    bool shaping() const;
    // What they show, after the last reading.
    const BenchDisplay& display() const { return watch_.display(); }
    // Stop and Start: hold and relative end, the limits stay.
    void releaseAll();

    BenchWatch& watch() { return watch_; }
    const Limits& limits() const { return watch_.limits().limits(); }
    void setLimits(const Limits& limits);
    bool statisticsShown() const;
    void setStatisticsShown(bool shown);
    // Runs `commandLine` on every crossing (see LimitCommand); failures go to stderr.
    void setLimitCommand(const QString& commandLine);

    // What the footer says of the bench: hold, relative, limits and, when shown, the
    // statistics of the current unit, one per line; empty when there is nothing to say.
    QString footerNote() const;
    // The menu's statistics lines, in the regional number format.
    QStringList statisticsLines() const;
    // Hold, Relative, Limits... and Show statistics, for the context menu, after a separator.
    QList<QAction*> actions() const;

signals:
    // What the footer or the displays show of the bench has changed.
    void changed();
    // Once for each crossing out of the limits: the desktop's bell.
    void bell();
    // The user changed the limits or the statistics switch: worth remembering.
    void settingsChanged();

private:
    QAction* add(const QString& text, const QKeySequence& key, bool checkable);
    void holdClick();
    void relativeClick();
    void limitsClick();
    void syncChecks();
    // The band on the meter while limits are on in the unit shown and not relative.
    void placeBand();

    QWidget& host_;
    const Recorder& recorder_;
    ErrorReporter& errors_;
    BenchWatch watch_;
    LimitBand band_;
    std::optional<Limits> banded_; // the limits the band shows; empty while removed
    LimitCommand* command_ = nullptr;
    Reading last_; // the last measured reading
    bool anyReading_ = false;
    QAction* separator_ = nullptr;
    QAction* holdAction_ = nullptr;
    QAction* relativeAction_ = nullptr;
    QAction* limitsAction_ = nullptr;
    QAction* statisticsAction_ = nullptr;
};

// The limits and the statistics switch, kept in the application settings beside the port
// (see PortMemory); hold and relative are not kept.
class BenchMemory {
public:
    // Gives `bench` the remembered switch and limits, or `given` where it has any (limits
    // given for one run), and from then on keeps what the user changes. The bench must
    // outlive nothing here: the settings are read and written when needed.
    static void attach(BenchActions& bench, const Limits& given);

    Limits limits() const;
    void setLimits(const Limits& limits);
    bool statisticsShown() const;
    void setStatisticsShown(bool shown);
};

} // namespace kv
