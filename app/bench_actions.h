#pragma once

#include "gauges/limit_band.h"
#include "watch/limit_watch.h"

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class QAction;
class QKeySequence;
class QWidget;

namespace kv {

class ChannelBench;
class ErrorReporter;
class RoundMeter;

// The bench functions in a window: hold (Ctrl+H), relative (Ctrl+D), the limits (Ctrl+L, a
// dialog) with their band on the meter and the bell, and "Show statistics" for the footer;
// the channel's bench does the work. While nothing is on, the window looks and acts as if
// they were not there.
class BenchActions : public QObject {
    Q_OBJECT
public:
    // The keys work in `host`; all references must outlive the actions.
    BenchActions(QWidget& host, RoundMeter& meter, ChannelBench& bench, ErrorReporter& errors);
    ~BenchActions() override;

    // Hold, Relative, Limits... and Show statistics, for the context menu, after a separator.
    QList<QAction*> actions() const;

private:
    QAction* add(const QString& text, const QKeySequence& key, bool checkable);
    void limitsClick();
    // The check marks and the band as the bench stands.
    void sync();

    QWidget& host_;
    ChannelBench& bench_;
    ErrorReporter& errors_;
    LimitBand band_;
    std::optional<Limits> banded_; // the limits the band shows; empty while removed
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
    // given for one run), and from then on keeps what the user changes. The settings are
    // read and written when needed.
    static void attach(ChannelBench& bench, const Limits& given);

    Limits limits() const;
    void setLimits(const Limits& limits);
    bool statisticsShown() const;
    void setStatisticsShown(bool shown);
};

} // namespace kv
