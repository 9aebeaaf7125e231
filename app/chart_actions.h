#pragma once

#include "chart/trend_chart.h"

#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QAction;
class QActionGroup;
class QSettings;
class QWidget;

namespace kv {

// The commands of the trend chart in a window, each with its key: "Time axis" (Ctrl+T, a
// check mark while on), the rolling windows "Show all", "Last minute", "Last 10 minutes"
// and "Last hour" (Ctrl+0 to Ctrl+3, one of them chosen) and "Clear markers" (Delete).
// Ctrl+C while the mouse is over the plot copies what the chart reads off there (the
// markers' line, else the readout), wherever the keyboard focus is; elsewhere Ctrl+C is
// left to the window. The host and the chart must outlive the actions.
class ChartActions : public QObject {
    Q_OBJECT
public:
    ChartActions(QWidget& host, TrendChart& chart);
    ~ChartActions() override;

    // The entries for a context menu, in their order, separators included.
    QList<QAction*> menuActions() const;

    bool timeAxis() const { return chart_.timeAxis(); }
    // As the entry does; tells timeAxisChanged() when it changes.
    void setTimeAxis(bool on);
    void setRollingWindow(RollingWindow w);

signals:
    // The time axis was switched, by its entry, its key or setTimeAxis().
    void timeAxisChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* add(const QString& text, const QKeySequence& key);
    bool copiesFromChart(QObject* watched) const;

    QWidget& host_;
    TrendChart& chart_;
    QAction* timeAxisAction_ = nullptr;
    QActionGroup* windows_ = nullptr;
    QList<QAction*> windowActions_; // in RollingWindow's order
    QAction* clearMarkersAction_ = nullptr;
    QAction* separator_ = nullptr;
};

// The chart's choices kept with the program's other settings (see PortMemory): whether the
// time axis is on. Another settings file may be named, in the same format.
class ChartMemory {
public:
    ChartMemory() = default;
    explicit ChartMemory(QString iniFile) : iniFile_(std::move(iniFile)) {}

    bool timeAxis() const;
    void setTimeAxis(bool on);

private:
    std::unique_ptr<QSettings> settings() const;

    QString iniFile_;
};

// Restores the remembered time axis on the actions and remembers every later switch. The
// memory must outlive the actions.
void rememberChartChoices(ChartActions& actions, ChartMemory& memory);

} // namespace kv
