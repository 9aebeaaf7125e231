#include "app/main_window.h"

#include "app/error_reporter.h"
#include "app/port_memory.h"
#include "app/port_text.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "serial/mode_text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
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

    applyWindowForm(*this);
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));

    createControls();
    createShortcuts();
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
        portNumber_ = portNumberFromText(comSel_->currentText());
        const std::string mode = meterModeText(portNumber_);
        timeoutSetting_ = 2;
        const int result = link_.openPort(mode);
        link_.setRts(1);
        link_.setTimeouts(timeoutSetting_);
        poller_->cycle().openResult = result;
        openFailure_.clear();
        if (result != 1) {
            const std::string why = link_.openFailure().text();
            openFailure_ = why.empty() ? QStringLiteral("Cannot open COM%1.").arg(portNumber_)
                                       : QString::fromStdString(why);
        }
        showFooter();
        poller_->start();
    });
}

void MainWindow::button1Click() {
    errors_.guard([this] {
        poller_->stop();
        endSilence();
        overload_ = false;
        beyondFullScale_ = false;
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
    if (outcome.kind == PollOutcome::Kind::Silence) {
        showSilence(outcome.timeMs);
    } else {
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
    if (silent_)
        return QStringLiteral("No reply from the meter since %1")
            .arg(QDateTime::fromMSecsSinceEpoch(silentSinceMs_)
                     .toString(QStringLiteral("HH:mm:ss")));
    return {};
}

void MainWindow::showFooter() {
    QString note = whyNoReadings();
    if (note.isEmpty() && overload_)
        note = QStringLiteral("Overload: the meter shows OL");
    if (note.isEmpty() && beyondFullScale_)
        note = QStringLiteral("Beyond the needle's full scale of %1")
                   .arg(QString::fromStdString(
                       formatNumber("0.###", analog_->signalSettings().valueTo())));
    // Readings come ten times a second; the label is touched only when its text changes.
    if (note == footerNote_)
        return;
    footerNote_ = note;
    if (note.isEmpty()) {
        label2_->setWordWrap(false);
        applyForm(*label2_, mainform::kLabel2);
        return;
    }
    label2_->setWordWrap(true);
    applyForm(*label2_, kFooterNote);
    label2_->setText(note);
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
