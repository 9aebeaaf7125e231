#include "app/main_window.h"

#include "app/bench_actions.h"
#include "app/chart_actions.h"
#include "app/chart_feed.h"
#include "app/error_reporter.h"
#include "app/footer.h"
#include "app/full_screen_readout.h"
#include "app/port_box.h"
#include "app/port_memory.h"
#include "app/reading_displays.h"
#include "app/record_actions.h"
#include "app/recording_actions.h"
#include "app/reference_curve.h"
#include "app/snapshot.h"
#include "app/window_zoom.h"
#include "channel/channel.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <optional>
#include <utility>

namespace kv {

namespace {
// How long the window's own notices stand in the footer.
constexpr int kNoticeMs = 10000;
} // namespace

QPoint centredTopLeft(const QRect& desktop, const QSize& size) {
    const int left = desktop.left() + (desktop.width() - size.width()) / 2;
    const int top = desktop.top() + (desktop.height() - size.height()) / 2;
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

MainWindow::MainWindow(Channel& channel, std::vector<PortEntry> ports, const std::string& startPort,
                       ErrorReporter& errors, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), channel_(channel),
      ports_(std::move(ports)), errors_(errors) {
    applyWindowForm(*this);
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));
    form_ = createMainForm(*this);
    connect(form_.open, &QPushButton::clicked, this, [this] { openClick(); });
    connect(form_.button2, &QPushButton::clicked, this, [this] { button2Click(); });
    connect(form_.button1, &QPushButton::clicked, this, [this] { button1Click(); });

    // The chart has each row before the displays show its reading.
    chartFeed_ = std::make_unique<ChartFeed>(channel_, *form_.chart1, *form_.series1);
    displays_ = std::make_unique<ReadingDisplays>(*form_.anz, *form_.analog, *form_.balken,
                                                  channel_.notes());
    footer_ = std::make_unique<FooterView>(*form_.label2, channel_.notes());
    recordActions_ = std::make_unique<RecordActions>(
        *this, channel_, errors_, [this] { return displays_->readingText(); },
        [this](const QString& file) { return SnapshotRun::saveImage(*this, file); });
    recordActions_->setParent(this);
    // The chart is left out: its right button scrolls.
    recordActions_->addMenuTo({form_.label2, form_.anz, form_.analog, form_.balken});
    recordActions_->copyFrom(*form_.comSel);
    chartActions_ = std::make_unique<ChartActions>(*this, *form_.chart1);
    recordActions_->addMenuActions(chartActions_->menuActions());
    connect(chartActions_.get(), &ChartActions::pictureFailed, this,
            [this](const QString& reason) { errors_.report(reason); });
    benchActions_ = std::make_unique<BenchActions>(*this, *form_.analog, channel_.bench(), errors_);
    recordActions_->addMenuActions(benchActions_->actions());
    recordActions_->statisticsLines = [this] { return channel_.bench().statisticsLines(); };
    recordActions_->tooltipHead = [this] {
        const QString line = tooltipLine_ ? tooltipLine_() : QString();
        const QString cut = footer_->cutNote();
        return cut.isEmpty() || line.isEmpty() ? cut + line : cut + QLatin1Char('\n') + line;
    };
    recordingActions_ = std::make_unique<RecordingActions>(*this, channel_.recording(), errors_);
    recordingActions_->setParent(this);
    connect(recordingActions_.get(), &RecordingActions::severalChannels, this,
            &MainWindow::severalChannels);
    recordActions_->addToMenu(recordingActions_->openAction());
    reference_ = std::make_unique<ReferenceCurve>(*form_.chart1, *form_.series1);
    recordingActions_->compareOn(*reference_);
    auto* referenceSeparator = new QAction(this);
    referenceSeparator->setSeparator(true);
    recordActions_->addMenuActions(QList<QAction*>{referenceSeparator}
                                   << recordingActions_->referenceActions());
    // An aligned reference starts where the line starts.
    const auto lineChanged = [this] { reference_->lineChanged(); };
    connect(&channel_, &Channel::kept, reference_.get(), lineChanged);
    connect(&channel_, &Channel::recordChanged, reference_.get(), lineChanged);
    connect(&channel_.recording(), &RecordingSource::opened, reference_.get(), lineChanged);
    zoom_ = new WindowZoom(*this, size(), [this](double zoom) {
        placeMainForm(*this, form_, zoom);
        footer_->setZoom(zoom);
    });
    connect(zoom_, &WindowZoom::reduced, this,
            [this](const QString& notice) { footer_->tell(notice, kNoticeMs); });
    readout_ = std::make_unique<FullScreenReadout>(*this, channel_, *form_.anz, *form_.analog,
                                                   *form_.chart1);
    auto* viewSeparator = new QAction(this);
    viewSeparator->setSeparator(true);
    recordActions_->addMenuActions({viewSeparator, zoom_->menuAction(), readout_->action()});
    bindChannel();
    connect(this, &MainWindow::readingShown, readout_.get(), &FullScreenReadout::follow);

    // Ctrl+Q is Exit while the window is the program's only one.
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this,
            [this] {
                if (several_)
                    emit quitRequested();
                else
                    form_.button2->click();
            });

    errors_.guard([this, &startPort] {
        form_.anz->setValue(0.0f);
        if (channel_.derived()) {
            // No port: the box tells what the channel computes.
            form_.comSel->addItem(channel_.expression());
            form_.comSel->setEnabled(false);
            return;
        }
        // The reading the decoder starts from is the one the indicator holds.
        Reading atRest;
        atRest.value = form_.anz->value();
        atRest.unit = form_.anz->signalSettings().valueUnit();
        atRest.format = form_.anz->signalSettings().valueFormat();
        channel_.session().setCurrent(atRest);
        fillPortBox(*form_.comSel, ports_, findPort(ports_, startPort));
        channel_.session().poller().cycle().requestValue = 0;
    });
}

void MainWindow::setOneOfSeveral(bool several) {
    // Also when it stays: the channel's name may have changed (a log of several opened).
    several_ = several;
    const QString& name = channel_.name();
    const bool named = several_ && !name.isEmpty();
    setWindowTitle(named ? tr("VELOMAX KV27500 \u2013 %1").arg(name)
                         : QString::fromUtf8(mainform::kCaption));
    footer_->setCaption(named ? tr("%1: KV27500 meter display").arg(name) : QString());
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    grab_ = event->globalPosition().toPoint() - pos();
    grabbedAt_ = pos();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!grab_ || !(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - *grab_);
    event->accept();
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && grab_) {
        const bool moved = pos() != grabbedAt_;
        grab_.reset();
        if (moved)
            emit dragged();
    }
    QWidget::mouseReleaseEvent(event);
}

MainWindow::~MainWindow() {
    // The actions go before the controls they act on; the chart must let go of the series.
    readout_.reset();
    recordActions_.reset();
    recordingActions_.reset();
    reference_.reset();
    chartFeed_.reset();
    form_.chart1->removeSeries(form_.series1.get());
}

void MainWindow::bindChannel() {
    if (!channel_.derived())
        bindMeter();
    connect(&channel_, &Channel::reading, this, &MainWindow::showReading);
    connect(&channel_, &Channel::silenceBegan, this, [this] { displays_->showSilence(); });
    connect(&channel_, &Channel::silenceEnded, this, [this] { displays_->endSilence(); });
    connect(&channel_, &Channel::stopped, this, [this] { displays_->reset(); });
    RecordingSource& file = channel_.recording();
    connect(&file, &RecordingSource::opened, this, [this] { showFile(0); });
    connect(&file, &RecordingSource::grew, this, &MainWindow::showFile);
    connect(&file, &RecordingSource::changed, this, [this, &file] {
        if (!file.shown())
            leaveFile();
    });
}

void MainWindow::bindMeter() {
    channel_.session().poller().setInterval(mainform::kTimer1Interval);
    connect(&channel_.session(), &MeterSession::pollFailed, this,
            [this](const QString& message) { errors_.report(message); });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        // Start empties the record: a save of it goes first.
        recordActions_->finishSaving();
        if (channel_.derived()) {
            // A derived channel begins its record anew: an integral from 0.
            channel_.start();
            return;
        }
        portConfirmed_ = false;
        openedPort_ = chosenPortName(*form_.comSel, ports_);
        channel_.start(openedPort_);
    });
}

void MainWindow::button1Click() {
    errors_.guard([this] { channel_.stop(); });
}

void MainWindow::button2Click() {
    errors_.guard([this] {
        channel_.close();
        emit exitRequested();
    });
}

void MainWindow::addMenuActions(const QList<QAction*>& actions,
                                std::function<QString()> tooltipLine) {
    recordActions_->addMenuActions(actions);
    tooltipLine_ = std::move(tooltipLine);
}

void MainWindow::showReading(const Reading& reading) {
    const ChannelBench& bench = channel_.bench();
    if (bench.shaping())
        displays_->show(reading, bench.display());
    else
        displays_->show(reading);
    ++readings_;
    if (!portConfirmed_) {
        portConfirmed_ = true;
        for (const PortEntry& e : ports_)
            if (e.name == openedPort_)
                emit portConfirmed(e);
    }
    emit readingShown(readings_);
}

void MainWindow::showFile(std::size_t first) {
    if (!showingFile_) {
        timeAxisBefore_ = form_.chart1->timeAxis();
        showingFile_ = true;
        chartActions_->setTimeAxis(true);
    }
    if (const std::optional<Reading> last = channel_.lastRecordReading(first))
        displays_->showHeld(*last);
}

void MainWindow::leaveFile() {
    if (!showingFile_)
        return;
    showingFile_ = false;
    displays_->reset();
    chartActions_->setTimeAxis(timeAxisBefore_);
}

} // namespace kv
