#include "app/main_window.h"

#include "app/error_reporter.h"
#include "app/footer.h"
#include "app/port_memory.h"
#include "app/port_text.h"
#include "app/snapshot.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

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
      startPort_(startPort), errors_(errors), session_(link) {
    askFile = [this](const FileQuestion& q) { return askForFile(q); };

    applyWindowForm(*this);
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));

    createControls();
    createShortcuts();
    createRecordActions();
    session_.setRecorder(&recorder_);
    session_.poller().cycle().label7 = mainform::kLabel7Text;
    session_.poller().setInterval(mainform::kTimer1Interval);
    connect(&session_, &MeterSession::reading, this, &MainWindow::showReading);
    connect(&session_, &MeterSession::overload, this, &MainWindow::showReading);
    connect(&session_, &MeterSession::silenceBegan, this,
            [this](qint64 since) { showSilence(since); });
    connect(&session_, &MeterSession::silenceEnded, this, [this] { endSilence(); });
    connect(&session_, &MeterSession::garbledReplies, this, [this] { showFooter(); });
    connect(&session_, &MeterSession::pollFailed, this,
            [this](const QString& message) { errors_.report(message); });
    connect(&session_, &MeterSession::logFailed, this, [this](const QString& reason) {
        logFailure_ = reason;
        recordingName_.clear();
        recordAction_->setText(recordText());
        showFooter();
    });

    formCreate();
}

MainWindow::~MainWindow() {
    session_.setRecorder(nullptr);
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
        // The reading the decoder starts from is the one the indicator holds.
        Reading atRest;
        atRest.value = anz_->value();
        atRest.unit = anz_->signalSettings().valueUnit();
        atRest.format = anz_->signalSettings().valueFormat();
        session_.setCurrent(atRest);
        // Each item carries its entry (its place in the list), so that the entry picked is
        // the one opened, wherever it is listed.
        for (std::size_t i = 0; i < ports_.size(); ++i) {
            const PortEntry& e = ports_[i];
            comSel_->addItem(portEntryFromName(QString::fromStdString(e.name)),
                             static_cast<qulonglong>(i));
            comSel_->setItemData(comSel_->count() - 1, QString::fromStdString(e.tooltip()),
                                 Qt::ToolTipRole);
        }
        if (comSel_->count() > 0)
            comSel_->setCurrentIndex(std::max(findPort(ports_, startPort_), 0));
        session_.poller().cycle().requestValue = 0;
    });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        portConfirmed_ = false;
        openedPort_ = chosenPort();
        recorder_.start(wallClockMs());
        openFailure_ = session_.open(openedPort_).value_or(QString());
        showFooter();
        session_.start();
    });
}

std::string MainWindow::chosenPort() const {
    // An item as it was picked opens its own entry; a number typed into the box keeps its
    // three lowest bits.
    const int index = comSel_->currentIndex();
    if (index >= 0 && comSel_->itemText(index) == comSel_->currentText()) {
        const auto entry = comSel_->itemData(index).toULongLong();
        if (entry < ports_.size())
            return ports_[entry].name;
    }
    return "COM" + std::to_string(portNumberFromText(comSel_->currentText()));
}

void MainWindow::button1Click() {
    errors_.guard([this] {
        session_.stop();
        recorder_.stop();
        overload_ = false;
        beyondFullScale_ = false;
        anz_->setOverload(false);
        resetDisplays(displays());
        Reading stopped = session_.current();
        stopped.value = anz_->value();
        session_.setCurrent(stopped);
        showFooter();
    });
}

void MainWindow::button2Click() {
    errors_.guard([this] {
        session_.close();
        emit exitRequested();
    });
}

void MainWindow::timer1Timer() {
    errors_.guard([this] { session_.poller().pollOnce(); });
}

void MainWindow::showReading(const Reading& reading) {
    // Counted before it is shown, so the footer's count includes it; the session has kept it.
    if (recorder_.running() && recorder_.logging() && reading.status != Reading::Status::unlisted)
        ++recordedReadings_;
    // The meter answered: a port that would not open is no longer a reason.
    openFailure_.clear();
    overload_ = reading.overload();
    holdReading(*anz_, reading);
    anz_->setOverload(overload_);
    if (overload_)
        showOverload(displays());
    else
        updateDisplays(displays());
    beyondFullScale_ = !overload_ && analog_->overflowHigh();
    showFooter();
    ++readings_;
    confirmPort();
    emit readingShown(readings_);
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

FooterState MainWindow::footerState() const {
    FooterState f;
    f.openFailure = openFailure_;
    f.garbled = session_.garbled();
    f.silent = silent_;
    f.silentSinceMs = silentSinceMs_;
    f.overload = overload_;
    f.logFailure = logFailure_;
    f.recording = recorder_.logging();
    f.recordingName = recordingName_;
    f.recordedReadings = recordedReadings_;
    f.log = recorder_.logBacklog();
    f.beyondFullScale = beyondFullScale_;
    f.fullScale = analog_->signalSettings().valueTo();
    return f;
}

QString MainWindow::whyNoReadings() const {
    return kv::whyNoReadings(footerState());
}

void MainWindow::showFooter() {
    const QString note = footerText(footerState());
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
    for (const PortEntry& e : ports_)
        if (e.name == openedPort_)
            emit portConfirmed(e);
}

} // namespace kv
