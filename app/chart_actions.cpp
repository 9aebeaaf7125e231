#include "app/chart_actions.h"

#include "app/picture_file.h"
#include "app/save_file_dialog.h"
#include "canvas/canvas.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QWidget>
#include <QWindow>
#include <array>
#include <memory>

namespace kv {

namespace {

// "1200 x 600", "1200x600" or "1200 × 600": the size; an empty one otherwise.
QSize pictureSize(const QString& answer) {
    const QStringList parts =
        answer.toLower().replace(QChar(0x00D7), QLatin1Char('x')).split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool okW = false, okH = false;
    const int w = parts[0].trimmed().toInt(&okW), h = parts[1].trimmed().toInt(&okH);
    return okW && okH ? QSize(w, h) : QSize();
}

// The texts belong to the window, as the record's commands do.
QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

const QString kTimeAxisKey = QStringLiteral("chart/timeAxis");

constexpr std::array<RollingWindow, 4> kWindows = {
    RollingWindow::rwAll, RollingWindow::rwLastMinute, RollingWindow::rwLast10Minutes,
    RollingWindow::rwLastHour};

} // namespace

ChartActions::ChartActions(QWidget& host, TrendChart& chart) : host_(host), chart_(chart) {
    timeAxisAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Time axis")),
                          QKeySequence(Qt::CTRL | Qt::Key_T));
    timeAxisAction_->setCheckable(true);
    timeAxisAction_->setChecked(chart_.timeAxis());
    connect(timeAxisAction_, &QAction::toggled, this, [this](bool on) { setTimeAxis(on); });

    windows_ = new QActionGroup(this);
    windows_->setExclusive(true);
    const char* const names[] = {QT_TRANSLATE_NOOP("kv::MainWindow", "Show all"),
                                 QT_TRANSLATE_NOOP("kv::MainWindow", "Last minute"),
                                 QT_TRANSLATE_NOOP("kv::MainWindow", "Last 10 minutes"),
                                 QT_TRANSLATE_NOOP("kv::MainWindow", "Last hour")};
    const Qt::Key keys[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3};
    for (std::size_t i = 0; i < kWindows.size(); ++i) {
        QAction* a = add(text(names[i]), QKeySequence(Qt::CTRL | keys[i]));
        a->setCheckable(true);
        a->setChecked(kWindows[i] == chart_.rollingWindow());
        windows_->addAction(a);
        const RollingWindow w = kWindows[i];
        // Triggered also when already chosen: choosing a window again undoes a zoom.
        connect(a, &QAction::triggered, this, [this, w] { setRollingWindow(w); });
        windowActions_ << a;
    }

    histogramAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Histogram")),
                           QKeySequence(Qt::CTRL | Qt::Key_G));
    histogramAction_->setCheckable(true);
    histogramAction_->setChecked(chart_.histogram().shown());
    connect(histogramAction_, &QAction::toggled, this, [this](bool on) { setHistogram(on); });

    clearMarkersAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Clear markers")),
                              QKeySequence(Qt::Key_Delete));
    connect(clearMarkersAction_, &QAction::triggered, this, [this] { chart_.clearMarkers(); });
    saveChartAction_ = add(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save chart...")), {});
    connect(saveChartAction_, &QAction::triggered, this, [this] { saveChartClick(); });
    separator_ = new QAction(this);
    separator_->setSeparator(true);

    askFile = [this](const QString& caption, const QString& filter) {
        return askSaveFileName(&host_, caption, lastFolder_, filter);
    };
    askSize = [this](QSize proposed) -> std::optional<QSize> {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            &host_, text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save chart")),
            text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                   "Size of the picture in pixels (width x height):")),
            QLineEdit::Normal,
            QStringLiteral("%1 x %2").arg(proposed.width()).arg(proposed.height()), &ok);
        if (!ok)
            return std::nullopt;
        return pictureSize(answer);
    };

    // Seen before the focus widget's own filters and shortcuts: Ctrl+C over the plot.
    QCoreApplication::instance()->installEventFilter(this);
}

ChartActions::~ChartActions() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

QAction* ChartActions::add(const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, &host_);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    host_.addAction(action);
    return action;
}

QList<QAction*> ChartActions::menuActions() const {
    QList<QAction*> out{timeAxisAction_, histogramAction_, separator_};
    out << windowActions_;
    out << clearMarkersAction_ << saveChartAction_;
    return out;
}

void ChartActions::setTimeAxis(bool on) {
    if (on == chart_.timeAxis())
        return;
    chart_.setTimeAxis(on);
    timeAxisAction_->setChecked(on);
    emit timeAxisChanged(on);
}

void ChartActions::setRollingWindow(RollingWindow w) {
    chart_.setRollingWindow(w);
    for (std::size_t i = 0; i < kWindows.size(); ++i)
        if (kWindows[i] == w)
            windowActions_[int(i)]->setChecked(true);
}

void ChartActions::setHistogram(bool on) {
    chart_.histogram().setShown(on);
    histogramAction_->setChecked(on);
}

void ChartActions::bringUpToDate() {
    chart_.histogram().countAtOnce();
    chart_.requestRepaint();
}

QString ChartActions::saveChart(const QString& file, QSize size) {
    bringUpToDate();
    return writePicture(file, size, [this, size](QPainter& painter) {
        Canvas canvas(painter, Size{size.width(), size.height()});
        chart_.paintOnto(canvas, Rect{0, 0, size.width(), size.height()});
    });
}

void ChartActions::saveChartClick() {
    const QString filter = text(QT_TRANSLATE_NOOP("kv::MainWindow", "PNG pictures (*.png)")) +
                           QStringLiteral(";;") + vectorPictureFilters();
    const QString file =
        askFile ? askFile(text(QT_TRANSLATE_NOOP("kv::MainWindow", "Save chart")), filter)
                : QString();
    if (file.isEmpty())
        return;
    lastFolder_ = QFileInfo(file).absolutePath();
    const std::optional<QSize> size = askSize ? askSize(kChartPictureSize) : kChartPictureSize;
    if (!size)
        return;
    const QString error =
        size->isEmpty() || size->width() > kMaxFaceSide || size->height() > kMaxFaceSide
            ? text(QT_TRANSLATE_NOOP("kv::MainWindow",
                                     "A chart picture is 1 to %1 pixels wide and high."))
                  .arg(kMaxFaceSide)
            : saveChart(file, *size);
    if (!error.isEmpty())
        emit pictureFailed(error);
}

bool ChartActions::copiesFromChart(QObject* watched) const {
    // Only for keys that go to this window, and only while the chart reads off a reading
    // under the mouse.
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool ours = widget ? widget->window() == host_.window()
                             : watched == static_cast<QObject*>(host_.window()->windowHandle());
    return ours && chart_.readoutShown() && !chart_.copyText().empty();
}

bool ChartActions::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) && copiesFromChart(watched)) {
        // Taken as the focus widget's own key, so that no shortcut claims it; the press
        // that follows copies.
        event->accept();
        if (type == QEvent::KeyPress)
            QGuiApplication::clipboard()->setText(QString::fromStdString(chart_.copyText()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

std::unique_ptr<QSettings> ChartMemory::settings() const {
    // The organisation and application names of PortMemory: one file for all settings.
    if (iniFile_.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("kv27500"), QStringLiteral("kv27500"));
    return std::make_unique<QSettings>(iniFile_, QSettings::IniFormat);
}

bool ChartMemory::timeAxis() const {
    return settings()->value(kTimeAxisKey, false).toBool();
}

void ChartMemory::setTimeAxis(bool on) {
    settings()->setValue(kTimeAxisKey, on);
}

void rememberChartChoices(ChartActions& actions, ChartMemory& memory) {
    actions.setTimeAxis(memory.timeAxis());
    QObject::connect(&actions, &ChartActions::timeAxisChanged, &actions,
                     [&memory](bool on) { memory.setTimeAxis(on); });
}

} // namespace kv
