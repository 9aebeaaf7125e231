#pragma once

#include "chart/trend_chart.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QSettings;
class QWidget;

namespace kv {

// The commands of the trend chart in a window, each with its key: "Time axis" (Ctrl+T, a
// check mark while on), "Histogram" (Ctrl+G, a check mark while the chart shows it), the
// rolling windows "Show all", "Last minute", "Last 10 minutes" and "Last hour" (Ctrl+0 to
// Ctrl+3, one of them chosen), "Clear markers" (Delete) and "Save chart..." (the chart
// alone as it shows, as a PNG, SVG or PDF file of a chosen size).
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
    // The histogram in place of the line, as the entry does.
    void setHistogram(bool on);

    // Has the chart drawn with every reading that came, also those a live histogram would
    // count a moment later: a picture is taken.
    void bringUpToDate();

    // Writes the chart as it shows now at `size` (logical pixels) to `file`, in the format
    // of its name (see PictureFormat); the reason when it cannot, else empty.
    QString saveChart(const QString& file, QSize size);
    static constexpr QSize kChartPictureSize{1200, 600};

    // What "Save chart..." asks: the file (empty when the user cancels) and the picture's
    // size (none when the user cancels). Dialogs of the platform unless replaced.
    std::function<QString(const QString& caption, const QString& filter)> askFile;
    std::function<std::optional<QSize>(QSize proposed)> askSize;

signals:
    // The time axis was switched, by its entry, its key or setTimeAxis().
    void timeAxisChanged(bool on);
    // "Save chart..." could not write its picture: why.
    void pictureFailed(const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* add(const QString& text, const QKeySequence& key);
    bool copiesFromChart(QObject* watched) const;
    void saveChartClick();

    QWidget& host_;
    TrendChart& chart_;
    QAction* timeAxisAction_ = nullptr;
    QActionGroup* windows_ = nullptr;
    QList<QAction*> windowActions_; // in RollingWindow's order
    QAction* clearMarkersAction_ = nullptr;
    QAction* histogramAction_ = nullptr;
    QAction* saveChartAction_ = nullptr;
    QAction* separator_ = nullptr;
    QString lastFolder_; // where the last chart picture went
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
