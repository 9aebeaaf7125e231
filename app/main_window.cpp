#include "app/main_window.h"

#include "app/error_reporter.h"
#include "app/footer.h"
#include "app/port_box.h"
#include "app/port_memory.h"
#include "app/snapshot.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/reading_decoder.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace kv {

namespace {

// The footer while it tells something: wide enough for a reason that names a device path,
// on up to three lines of the form's font beside Exit, between the chart and the bottom.
constexpr ControlForm kFooterNote{8, 608, 356, 39, nullptr, {}, -1};

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
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ports_(std::move(ports)),
      startPort_(startPort), errors_(errors), session_(link) {
    applyWindowForm(*this);
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));

    createControls();
    createShortcuts();
    displays_ = std::make_unique<ReadingDisplays>(*anz_, *analog_, *balken_, *series1_);
    recordActions_ = std::make_unique<RecordActions>(
        *this, recorder_, errors_, [this] { return displays_->readingText(); },
        [this] { return SnapshotRun::capture(*this); });
    // The chart is left out: its right button scrolls.
    recordActions_->addMenuTo({label2_, anz_, analog_, balken_});
    recordActions_->copyFrom(*comSel_);
    chartActions_ = std::make_unique<ChartActions>(*this, *chart1_);
    recordActions_->addMenuActions(chartActions_->menuActions());
    connect(recordActions_.get(), &RecordActions::changed, this, [this] { showFooter(); });
    benchActions_ = std::make_unique<BenchActions>(*this, *analog_, recorder_, errors_);
    recordActions_->addMenuActions(benchActions_->actions());
    recordActions_->statisticsLines = [this] { return benchActions_->statisticsLines(); };
    recordActions_->tooltipHead = [this] {
        return footerCut_ && !footerNote_.isEmpty() ? footerNote_ : QString();
    };
    connect(benchActions_.get(), &BenchActions::changed, this, [this] { showFooter(); });
    recordingActions_ = std::make_unique<RecordingActions>(*this, recorder_, errors_);
    recordActions_->addToMenu(recordingActions_->openAction());
    connect(recordingActions_.get(), &RecordingActions::opened, this, [this] { showRecording(0); });
    connect(recordingActions_.get(), &RecordingActions::grew, this, &MainWindow::showRecording);
    connect(recordingActions_.get(), &RecordingActions::changed, this, [this] { showFooter(); });
    connect(recordActions_.get(), &RecordActions::savingChanged, recordingActions_.get(),
            &RecordingActions::setPaused);

    session_.setRecorder(&recorder_);
    session_.poller().cycle().label7 = mainform::kLabel7Text;
    session_.poller().setInterval(mainform::kTimer1Interval);
    connect(&session_, &MeterSession::reading, this, &MainWindow::showReading);
    connect(&session_, &MeterSession::overload, this, &MainWindow::showReading);
    connect(&session_, &MeterSession::silenceBegan, this, [this](qint64 sinceMs) {
        displays_->showSilence(sinceMs);
        showFooter();
    });
    connect(&session_, &MeterSession::silenceEnded, this, [this] { displays_->endSilence(); });
    connect(&session_, &MeterSession::garbledReplies, this, [this] { showFooter(); });
    connect(&session_, &MeterSession::pollFailed, this,
            [this](const QString& message) { errors_.report(message); });
    connect(&session_, &MeterSession::logFailed, recordActions_.get(), &RecordActions::logFailed);

    formCreate();
}

MainWindow::~MainWindow() {
    session_.setRecorder(nullptr);
    // Members go before the children: the chart must let go of the series first.
    chart1_->removeSeries(series1_.get());
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
        fillPortBox(*comSel_, ports_, findPort(ports_, startPort_));
        session_.poller().cycle().requestValue = 0;
    });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        // Start empties the record: a save of it goes first.
        recordActions_->finishSaving();
        leaveRecording();
        portConfirmed_ = false;
        benchActions_->releaseAll();
        openedPort_ = chosenPortName(*comSel_, ports_);
        recorder_.start(wallClockMs());
        openFailure_ = session_.open(openedPort_).value_or(QString());
        showFooter();
        session_.start();
    });
}

void MainWindow::button1Click() {
    errors_.guard([this] {
        // A file shown is no longer followed; its rows stay in the record, as a session's do.
        leaveRecording();
        session_.stop();
        recorder_.stop();
        benchActions_->releaseAll();
        displays_->reset();
        // The reading the decoder goes on from is the one the indicator now holds.
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
    if (reading.status != Reading::Status::unlisted)
        recordActions_->readingKept();
    // The meter answered: a port that would not open is no longer a reason.
    openFailure_.clear();
    benchActions_->feed(reading);
    if (benchActions_->shaping())
        displays_->show(reading, benchActions_->display());
    else
        displays_->show(reading);
    showFooter();
    ++readings_;
    confirmPort();
    emit readingShown(readings_);
}

FooterState MainWindow::footerState() const {
    FooterState f;
    f.openFailure = openFailure_;
    f.garbled = session_.garbled();
    f.silent = session_.silent();
    f.silentSinceMs = session_.silentSinceMs();
    f.overload = displays_->overload();
    f.logFailure = recordActions_->logFailure();
    f.recording = recordActions_->recording();
    f.recordingName = recordActions_->recordingName();
    f.recordedReadings = recordActions_->recordedReadings();
    f.log = recorder_.logBacklog();
    f.bench = benchActions_->footerNote();
    f.beyondFullScale = displays_->beyondFullScale();
    f.fullScale = displays_->fullScale();
    f.openedFile = recordingActions_->footerText();
    f.publishStatus = publishStatus_;
    f.publishTrouble = publishTrouble_;
    return f;
}

void MainWindow::setPublishStatus(const QString& text, bool trouble) {
    publishStatus_ = text;
    publishTrouble_ = trouble;
    showFooter();
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
    // What does not fit the footer's three lines is in its tooltip.
    label2_->setText(
        fittedFooter(note, label2_->fontMetrics(), label2_->contentsRect().size(), &footerCut_));
}

void MainWindow::confirmPort() {
    if (portConfirmed_)
        return;
    portConfirmed_ = true;
    for (const PortEntry& e : ports_)
        if (e.name == openedPort_)
            emit portConfirmed(e);
}

void MainWindow::showRecording(std::size_t first) {
    const ReadingStore& rows = recorder_.rows();
    if (first == 0) {
        session_.stop();
        openFailure_.clear();
        displays_->reset();
        if (!showingFile_)
            timeAxisBefore_ = chart1_->timeAxis();
        showingFile_ = true;
        chartActions_->setTimeAxis(true);
        fed_ = 0;
    }
    // The chart takes the rows a block at a time, between which the window goes on; a
    // window not shown yet (the command line's picture) takes them all at once.
    first = fed_;
    const std::size_t end = isVisible() ? std::min(rows.size(), fed_ + kRowsAtOnce) : rows.size();
    if (end < rows.size() && !feedPending_) {
        feedPending_ = true;
        QTimer::singleShot(0, this, [this] {
            feedPending_ = false;
            if (showingFile_)
                errors_.guard([this] { showRecording(fed_); });
        });
    }
    for (std::size_t i = first; i < end; ++i) {
        const Row row = rows[i];
        const RowContext& context = rows.context(row.context);
        // A gap before the first reading has no unit to change to.
        if (context.hasCodes && context.unit != series1_->unit())
            series1_->setUnit(context.unit);
        if (row.status == Reading::Status::ok)
            series1_->appendAt(static_cast<double>(row.value), row.time, clBlack);
        else
            series1_->appendBreak(row.status == Reading::Status::overload ? BreakReason::brOverload
                                                                          : BreakReason::brGap,
                                  row.time);
    }
    fed_ = end;
    if (end < rows.size())
        return;
    // The digits, the needle and the bar show the last reading or overload.
    for (std::size_t i = rows.size(); i > first; --i) {
        const Row row = rows[i - 1];
        if (row.status == Reading::Status::gap)
            continue;
        const RowContext& context = rows.context(row.context);
        Reading last = session_.current();
        last.status = row.status == Reading::Status::overload ? Reading::Status::overload
                                                              : Reading::Status::ok;
        if (!last.overload())
            last.value = row.value;
        last.unit = context.unit;
        last.function = context.function;
        last.range = context.range;
        if (const RangeRow* r = findRangeRow(context.function, context.range))
            last.format = r->format;
        last.time = row.time;
        displays_->showHeld(last);
        break;
    }
    showFooter();
}

void MainWindow::leaveRecording() {
    recordingActions_->close();
    if (!showingFile_)
        return;
    showingFile_ = false;
    displays_->reset();
    chartActions_->setTimeAxis(timeAxisBefore_);
}

} // namespace kv
