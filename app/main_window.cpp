#include "app/main_window.h"

#include "app/error_reporter.h"
#include "app/outcome_record.h"
#include "app/port_memory.h"
#include "app/port_text.h"
#include "app/snapshot.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "serial/mode_text.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <utility>

namespace kv {

namespace {

// The footer while it tells something: wide enough for a reason that names a device path,
// on two lines beside Exit if need be.
constexpr ControlForm kFooterNote{8, 609, 356, 36, nullptr, {}, -1};

// The digits of a silent meter.
constexpr ColorValue kSilentDigits = clGray;

// Asked for when used, so that they come in the language installed by then.
QString csvFilter() {
    return MainWindow::tr("CSV files (*.csv)");
}
QString recordText() {
    return MainWindow::tr("Record to file...");
}
QString stopRecordingText() {
    return MainWindow::tr("Stop recording");
}

// "kv27500-20261208-140307.csv": a name of its own for every save.
QString suggestedName(const char* suffix) {
    return QStringLiteral("kv27500-%1.%2")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")),
             QLatin1String(suffix));
}

} // namespace

QPoint centredTopLeft(const QRect& desktop, const QSize& size) {
    const int left = desktop.left() + (desktop.width() - size.width()) / 2;
    const int top = desktop.top() + (desktop.height() - size.height()) / 2;
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

MainWindow::MainWindow(SerialIo& link, std::vector<PortEntry> ports, ErrorReporter& errors,
                       QWidget* parent)
    : MainWindow(link, std::move(ports), std::string(), errors, parent) {}

MainWindow::MainWindow(SerialIo& link, std::vector<PortEntry> ports, const std::string& startPort,
                       ErrorReporter& errors, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), link_(link), ports_(std::move(ports)),
      startPort_(startPort), errors_(errors) {
    onExit = [] { QCoreApplication::quit(); };
    askFile = [this](const FileQuestion& q) { return askForFile(q); };

    applyWindowForm(*this);
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));

    createControls();
    createShortcuts();
    createRecordActions();
    poller_ = std::make_unique<MeterPoller>(link_, *anz_);
    poller_->cycle().label7 = mainform::kLabel7Text;
    poller_->setInterval(mainform::kTimer1Interval);
    poller_->onOutcome = [this](const PollOutcome& o) { showOutcome(o); };
    poller_->onError = [this](const std::exception& e) { errors_.report(e); };

    formCreate();
}

MainWindow::~MainWindow() {
    // Members go before the children: the chart must let go of the series first.
    chart1_->removeSeries(series1_.get());
}

Displays MainWindow::displays() const {
    return Displays{*anz_, *analog_, *balken_, *series1_};
}

void MainWindow::createControls() {
    // Creation order is stacking order: later controls lie above earlier ones.
    analog_ = new Meter180(this);
    applyForm(*analog_, mainform::kAnalog);
    applyMeterSettings(*analog_);
    // The needle flashes while a reading lies beyond its scale, or the meter shows OL.
    analog_->setOptions(analog_->options().with(RoundMeterOption::opOverflow));
    analog_->loaded();

    label1_ = new QLabel(this);
    applyForm(*label1_, mainform::kLabel1);

    anz_ = new ValueIndicator(this);
    applyForm(*anz_, mainform::kAnz);
    applyIndicatorSettings(*anz_);
    anz_->loaded();

    label2_ = new QLabel(this);
    applyForm(*label2_, mainform::kLabel2);

    balken_ = new LevelBar(this);
    applyForm(*balken_, mainform::kBalken);
    applyBarSettings(*balken_);

    chart1_ = new TrendChart(this);
    applyForm(*chart1_, mainform::kChart1);
    applyChartSettings(*chart1_);
    series1_ = std::make_unique<LineSeries>();
    applySeriesSettings(*series1_);
    chart1_->addSeries(series1_.get());

    comSel_ = new QComboBox(this);
    comSel_->setEditable(true);
    comSel_->setInsertPolicy(QComboBox::NoInsert);
    applyForm(*comSel_, mainform::kComSel);

    open_ = new QPushButton(this);
    applyForm(*open_, mainform::kOpen);
    connect(open_, &QPushButton::clicked, this, [this] { openClick(); });

    button2_ = new QPushButton(this);
    applyForm(*button2_, mainform::kButton2);
    connect(button2_, &QPushButton::clicked, this, [this] { button2Click(); });

    button1_ = new QPushButton(this);
    applyForm(*button1_, mainform::kButton1);
    connect(button1_, &QPushButton::clicked, this, [this] { button1Click(); });

    applyTabOrder({{&mainform::kComSel, comSel_},
                   {&mainform::kOpen, open_},
                   {&mainform::kButton2, button2_},
                   {&mainform::kChart1, chart1_},
                   {&mainform::kButton1, button1_}});
}

void MainWindow::createShortcuts() {
    // The tab order puts Exit where Stop is expected, so the commands have keys of their own
    // that need no new caption; window-wide, so that they also work from the port box.
    const std::pair<QKeySequence, QPushButton*> keys[] = {
        {QKeySequence(Qt::Key_F5), open_},
        {QKeySequence(Qt::Key_Escape), button1_},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), button2_}};
    for (const auto& [key, button] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, button, &QPushButton::click);
}

void MainWindow::formCreate() {
    errors_.guard([this] {
        anz_->setValue(0.0f);
        for (const PortEntry& e : ports_) {
            comSel_->addItem(portEntryFromName(QString::fromStdString(e.name)));
            comSel_->setItemData(comSel_->count() - 1, QString::fromStdString(e.tooltip()),
                                 Qt::ToolTipRole);
        }
        if (comSel_->count() > 0)
            comSel_->setCurrentIndex(std::max(findPort(ports_, startPort_), 0));
        poller_->cycle().requestValue = 0;
    });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        portConfirmed_ = false;
        garbledRun_ = 0;
        portNumber_ = portNumberFromText(comSel_->currentText());
        const std::string mode = meterModeText(portNumber_);
        timeoutSetting_ = 2;
        const int result = link_.openPort(mode);
        link_.setRts(1);
        link_.setTimeouts(timeoutSetting_);
        poller_->cycle().openResult = result;
        recorder_.start(wallClockMs());
        openFailure_.clear();
        if (result != 1) {
            const std::string why = link_.openFailure().text();
            openFailure_ = why.empty() ? tr("Cannot open COM%1.").arg(portNumber_)
                                       : QString::fromStdString(why);
        }
        showFooter();
        poller_->start();
    });
}

void MainWindow::button1Click() {
    errors_.guard([this] {
        poller_->stop();
        recorder_.stop();
        endSilence();
        overload_ = false;
        beyondFullScale_ = false;
        garbledRun_ = 0;
        anz_->setOverload(false);
        resetDisplays(displays());
        showFooter();
    });
}

void MainWindow::button2Click() {
    errors_.guard([this] {
        poller_->stop();
        link_.closePort();
        if (onExit)
            onExit();
    });
}

void MainWindow::timer1Timer() {
    errors_.guard([this] { poller_->pollOnce(); });
}

void MainWindow::showOutcome(const PollOutcome& outcome) {
    // Kept before it is shown, so the footer's count includes it.
    if (recordOutcome(recorder_, outcome) && recorder_.logging())
        ++recordedReadings_;
    if (outcome.kind == PollOutcome::Kind::Silence) {
        showSilence(outcome.timeMs);
    } else if (outcome.kind == PollOutcome::Kind::Garbled) {
        // Nothing to show; the digits keep what they showed, grey after a silence.
        ++garbledRun_;
        showFooter();
    } else {
        if (outcome.kind == PollOutcome::Kind::Unlisted)
            ++garbledRun_;
        else
            garbledRun_ = 0;
        // The meter answered: a silence is over, and so is a port that would not open.
        endSilence();
        openFailure_.clear();
        overload_ = outcome.kind == PollOutcome::Kind::Overload;
        anz_->setOverload(overload_);
        if (overload_)
            showOverload(displays());
        else
            updateDisplays(displays());
        beyondFullScale_ = !overload_ && analog_->overflowHigh();
        showFooter();
        ++readings_;
        confirmPort();
        if (onReading)
            onReading(readings_);
    }
    if (onOutcome)
        onOutcome(outcome);
}

void MainWindow::showSilence(std::int64_t sinceMs) {
    silentSinceMs_ = sinceMs;
    if (!silent_) {
        silent_ = true;
        FontSpec grey = anz_->fontValue();
        digitsColor_ = grey.color;
        grey.color = kSilentDigits;
        anz_->setFontValue(grey);
    }
    breakChartLine(displays());
    showFooter();
}

void MainWindow::endSilence() {
    if (!silent_)
        return;
    silent_ = false;
    FontSpec own = anz_->fontValue();
    own.color = digitsColor_;
    anz_->setFontValue(own);
}

QString MainWindow::whyNoReadings() const {
    if (!openFailure_.isEmpty())
        return openFailure_;
    if (garbledRun_ >= MeterPoller::kGarbledRunTold)
        return tr("The meter's replies are garbled: check the cable");
    if (silent_)
        return tr("No reply from the meter since %1")
            .arg(QDateTime::fromMSecsSinceEpoch(silentSinceMs_)
                     .toString(QStringLiteral("HH:mm:ss")));
    return {};
}

QString MainWindow::footerText() const {
    QString note = whyNoReadings();
    if (note.isEmpty() && overload_)
        note = tr("Overload: the meter shows OL");
    if (note.isEmpty())
        note = logFailure_;
    if (note.isEmpty() && recorder_.logging())
        note = (recordedReadings_ == 1 ? tr("Recording to %1: %2 reading")
                                       : tr("Recording to %1: %2 readings"))
                   .arg(recordingName_, QString::fromStdString(formatNumber(
                                            "#,##0", static_cast<long double>(recordedReadings_))));
    if (note.isEmpty() && beyondFullScale_)
        note = tr("Beyond the needle's full scale of %1")
                   .arg(QString::fromStdString(
                       formatNumber("0.###", analog_->signalSettings().valueTo())));
    return note;
}

void MainWindow::showFooter() {
    const QString note = footerText();
    // Readings come ten times a second; the label is touched only when its text changes, and
    // laid out anew only when it turns from its caption to a note or back.
    if (note == footerNote_)
        return;
    const bool wasNote = !footerNote_.isEmpty();
    footerNote_ = note;
    if (note.isEmpty()) {
        label2_->setWordWrap(false);
        applyForm(*label2_, mainform::kLabel2);
        return;
    }
    if (!wasNote) {
        label2_->setWordWrap(true);
        applyForm(*label2_, kFooterNote);
    }
    label2_->setText(note);
}

void MainWindow::createRecordActions() {
    using Command = void (MainWindow::*)();
    auto add = [this](const QString& text, const QKeySequence& key, Command command) {
        auto* action = new QAction(text, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this,
                [this, command] { errors_.guard([this, command] { (this->*command)(); }); });
        addAction(action);
        return action;
    };
    recordAction_ = add(recordText(), QKeySequence(Qt::CTRL | Qt::Key_R), &MainWindow::recordClick);
    saveReadingsAction_ = add(tr("Save readings..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                              &MainWindow::saveReadingsClick);
    savePictureAction_ = add(tr("Save picture..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                             &MainWindow::savePictureClick);
    copyAction_ =
        add(tr("Copy reading"), QKeySequence(Qt::CTRL | Qt::Key_C), &MainWindow::copyReadingClick);

    // The chart is left out: its right button scrolls.
    for (QWidget* control : std::initializer_list<QWidget*>{anz_, analog_, balken_, label2_}) {
        control->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(control, &QWidget::customContextMenuRequested, this,
                [this, control](const QPoint& at) { showContextMenu(control, at); });
    }
    label2_->installEventFilter(this);
    comSel_->installEventFilter(this);
    comSel_->lineEdit()->installEventFilter(this);

    recorder_.onLogError = [this](const std::string& reason) {
        logFailure_ = QString::fromStdString(reason);
        recordingName_.clear();
        recordAction_->setText(recordText());
        showFooter();
    };
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Asked for only when it shows, so that readings cost nothing for it.
    if (watched == label2_ && event->type() == QEvent::ToolTip)
        label2_->setToolTip(statisticsText());
    // The port box has Ctrl+C of its own; with nothing selected in it, the reading is copied.
    if ((watched == comSel_ || watched == comSel_->lineEdit()) &&
        event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        !comSel_->lineEdit()->hasSelectedText()) {
        copyAction_->trigger();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showContextMenu(QWidget* control, const QPoint& at) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const QString& line : statisticsText().split(QLatin1Char('\n')))
        menu->addAction(line)->setEnabled(false);
    menu->addSeparator();
    menu->addActions({recordAction_, saveReadingsAction_, savePictureAction_, copyAction_});
    menu->popup(control->mapToGlobal(at));
}

QString MainWindow::statisticsText() const {
    // One line per unit.
    return QString::fromStdString(recorder_.summary())
        .replace(QStringLiteral("; "), QStringLiteral("\n"));
}

QString MainWindow::askForFile(const FileQuestion& q) {
    const QString folder = lastFolder_.isEmpty() ? QString() : lastFolder_ + QLatin1Char('/');
    const QFileDialog::Options options =
        q.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(this, q.caption, folder + q.suggested, q.filter, nullptr,
                                        options);
}

QString MainWindow::chooseFile(const QString& caption, const char* suffix, const QString& filter,
                               bool confirmOverwrite) {
    if (!askFile)
        return {};
    const QString path = askFile({caption, suggestedName(suffix), filter, confirmOverwrite});
    if (!path.isEmpty())
        lastFolder_ = QFileInfo(path).absolutePath();
    return path;
}

bool MainWindow::startRecording(const QString& path) {
    const bool ok = recorder_.openLog(QFile::encodeName(path).toStdString());
    recordedReadings_ = 0;
    logFailure_ = ok ? QString() : QString::fromStdString(recorder_.logError());
    recordingName_ = !ok                          ? QString()
                     : path == QLatin1String("-") ? tr("standard output")
                                                  : QFileInfo(path).fileName();
    recordAction_->setText(ok ? stopRecordingText() : recordText());
    showFooter();
    return ok;
}

void MainWindow::stopRecording() {
    recorder_.closeLog();
    recordingName_.clear();
    recordAction_->setText(recordText());
    showFooter();
}

void MainWindow::recordClick() {
    if (recorder_.logging()) {
        stopRecording();
        return;
    }
    // The file is appended to, so there is nothing to confirm.
    const QString path = chooseFile(tr("Record to file"), "csv", csvFilter(), false);
    if (!path.isEmpty())
        startRecording(path);
}

void MainWindow::saveReadingsClick() {
    const QString path = chooseFile(tr("Save readings"), "csv", csvFilter(), true);
    if (path.isEmpty())
        return;
    std::string error;
    if (!recorder_.exportCsv(QFile::encodeName(path).toStdString(), error))
        errors_.report(QString::fromStdString(error));
}

void MainWindow::savePictureClick() {
    const QString path = chooseFile(tr("Save picture"), "png", tr("PNG pictures (*.png)"), true);
    if (path.isEmpty())
        return;
    const QImage picture = SnapshotRun::capture(*this);
    if (picture.isNull() || !picture.save(path, "PNG"))
        errors_.report(tr("Cannot write %1.").arg(path));
}

void MainWindow::copyReadingClick() {
    QGuiApplication::clipboard()->setText(readingText());
}

QString MainWindow::readingText() const {
    return QString::fromStdString(anz_->fieldText() + " " + anz_->signalSettings().valueUnit());
}

void MainWindow::confirmPort() {
    if (portConfirmed_)
        return;
    portConfirmed_ = true;
    const std::string name = "COM" + std::to_string(portNumber_);
    for (const PortEntry& e : ports_)
        if (e.name == name && onPortConfirmed)
            onPortConfirmed(e);
}

} // namespace kv
