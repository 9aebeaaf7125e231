#include "app/main_window.h"

#include "app/bench_actions.h"
#include "app/chart_actions.h"
#include "app/error_reporter.h"
#include "app/footer.h"
#include "app/port_box.h"
#include "app/port_memory.h"
#include "app/reading_displays.h"
#include "app/record_actions.h"
#include "app/recording_actions.h"
#include "app/snapshot.h"
#include "channel/channel.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "meter/reading_decoder.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

namespace kv {

namespace {
// The rows of a file shown go into the chart this many at a time, between which the window
// goes on.
constexpr std::size_t kRowsAtOnce = 250000;

// The picture format of the reading the record holds at time t with value y, as its range
// gives it to the digits; empty where the record has none. Found by the rows' times, which
// go back only where a clock was set back, and among rows of one time by the value.
std::string readingFormatAt(const ReadingStore& rows, TimeMs t, float y) {
    std::size_t after = 0, end = rows.size();
    while (after < end) {
        const std::size_t mid = after + (end - after) / 2;
        if (rows.timeAt(mid) <= t)
            after = mid + 1;
        else
            end = mid;
    }
    auto format = [&rows](const Row& row) {
        const RowContext& context = rows.context(row.context);
        const RangeRow* range = findRangeRow(context.function, context.range);
        return range && range->format ? std::string(range->format) : std::string();
    };
    // A few rows back at most; the latest reading of them where none has the value.
    constexpr std::size_t kRowsLookedAt = 16;
    std::optional<Row> latest;
    for (std::size_t i = after; i > 0 && after - i < kRowsLookedAt; --i) {
        const Row row = rows[i - 1];
        if (!keptRow(row) || row.status != Reading::Status::ok)
            continue;
        if (row.value == y)
            return format(row);
        if (!latest)
            latest = row;
    }
    return latest ? format(*latest) : std::string();
}
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

    displays_ = std::make_unique<ReadingDisplays>(*form_.anz, *form_.analog, *form_.balken,
                                                  *form_.series1, channel_.notes());
    footer_ = std::make_unique<FooterView>(*form_.label2, channel_.notes());
    recordActions_ = std::make_unique<RecordActions>(
        *this, channel_, errors_, [this] { return displays_->readingText(); },
        [this] { return SnapshotRun::capture(*this); });
    recordActions_->setParent(this);
    // The chart is left out: its right button scrolls.
    recordActions_->addMenuTo({form_.label2, form_.anz, form_.analog, form_.balken});
    recordActions_->copyFrom(*form_.comSel);
    chartActions_ = std::make_unique<ChartActions>(*this, *form_.chart1);
    // The readout and the markers write a reading as the digits do, in its range's picture;
    // the mean and σ with one decimal more.
    form_.chart1->setValueText([this](const ChartSeries& s, int index, double value, int extra) {
        const std::string format = s.timed()
                                       ? readingFormatAt(channel_.record().rows(), s.timeAt(index),
                                                         static_cast<float>(s.yAt(index)))
                                       : std::string();
        if (format.empty())
            return formatNumber(form_.chart1->leftAxis().axisValuesFormat(), value);
        return formatNumber(withMoreDecimals(format, extra), value);
    });
    recordActions_->addMenuActions(chartActions_->menuActions());
    benchActions_ = std::make_unique<BenchActions>(*this, *form_.analog, channel_.bench(), errors_);
    recordActions_->addMenuActions(benchActions_->actions());
    recordActions_->statisticsLines = [this] { return channel_.bench().statisticsLines(); };
    recordActions_->tooltipHead = [this] { return footer_->cutNote(); };
    recordingActions_ = std::make_unique<RecordingActions>(*this, channel_.recording(), errors_);
    recordingActions_->setParent(this);
    recordActions_->addToMenu(recordingActions_->openAction());
    bindChannel();

    errors_.guard([this, &startPort] {
        form_.anz->setValue(0.0f);
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

MainWindow::~MainWindow() {
    // The actions go before the controls they act on; the chart must let go of the series.
    recordActions_.reset();
    recordingActions_.reset();
    form_.chart1->removeSeries(form_.series1.get());
}

void MainWindow::bindChannel() {
    channel_.session().poller().setInterval(mainform::kTimer1Interval);
    connect(&channel_, &Channel::reading, this, &MainWindow::showReading);
    connect(&channel_, &Channel::silenceBegan, this,
            [this](qint64 sinceMs) { displays_->showSilence(sinceMs); });
    connect(&channel_, &Channel::silenceEnded, this, [this] { displays_->endSilence(); });
    connect(&channel_, &Channel::stopped, this, [this] { displays_->reset(); });
    connect(&channel_.session(), &MeterSession::pollFailed, this,
            [this](const QString& message) { errors_.report(message); });
    RecordingSource& file = channel_.recording();
    connect(&file, &RecordingSource::opened, this, [this] { showRecord(0); });
    connect(&file, &RecordingSource::grew, this, &MainWindow::showRecord);
    connect(&file, &RecordingSource::changed, this, [this, &file] {
        if (!file.shown())
            leaveFile();
    });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        // Start empties the record: a save of it goes first.
        recordActions_->finishSaving();
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

void MainWindow::showRecord(std::size_t first) {
    const ReadingStore& rows = channel_.record().rows();
    LineSeries& series = *form_.series1;
    if (first == 0) {
        if (!showingFile_)
            timeAxisBefore_ = form_.chart1->timeAxis();
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
                errors_.guard([this] { showRecord(fed_); });
        });
    }
    for (std::size_t i = first; i < end; ++i) {
        const Row row = rows[i];
        const RowContext& context = rows.context(row.context);
        // A gap before the first reading has no unit to change to.
        if (context.hasCodes && context.unit != series.unit())
            series.setUnit(context.unit);
        if (row.status == Reading::Status::ok)
            series.appendAt(static_cast<double>(row.value), row.time, clBlack);
        else
            series.appendBreak(row.status == Reading::Status::overload ? BreakReason::brOverload
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
        Reading last = channel_.session().current();
        last.status = row.status;
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
}

void MainWindow::leaveFile() {
    if (!showingFile_)
        return;
    showingFile_ = false;
    displays_->reset();
    chartActions_->setTimeAxis(timeAxisBefore_);
}

} // namespace kv
