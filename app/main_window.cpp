#include "app/main_window.h"

#include "app/error_reporter.h"
#include "app/form_settings.h"
#include "app/port_text.h"
#include "canvas/canvas.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "serial/mode_text.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <algorithm>

namespace kv {

namespace {

QFont formFont(const char* name, int characterHeight) {
    FontSpec font;
    font.name = name;
    font.height = -characterHeight;
    return toQFont(font);
}

template <typename W> W* place(W* w, int left, int top, int width, int height) {
    w->setGeometry(left, top, width, height);
    return w;
}

} // namespace

QPoint centredTopLeft(const QRect& desktop, const QSize& size) {
    const int left = desktop.left() + (desktop.width() - size.width()) / 2;
    const int top = desktop.top() + (desktop.height() - size.height()) / 2;
    return {std::max(left, desktop.left()), std::max(top, desktop.top())};
}

MainWindow::MainWindow(SerialIo& link, std::vector<PortEntry> ports, ErrorReporter& errors,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), link_(link), ports_(std::move(ports)),
      errors_(errors) {
    sleep = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    onExit = [] { QCoreApplication::quit(); };

    setWindowTitle(QStringLiteral("VELOMAX KV27500"));
    setFixedSize(kClientWidth, kClientHeight);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(backgroundColor));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(formFont("MS Sans Serif", 11));
    if (QScreen* s = screen())
        move(centredTopLeft(s->availableGeometry(), size()));

    createControls();
    poll_ = std::make_unique<PollCycle>(link_, *anz_, [this](int ms) {
        if (sleep)
            sleep(ms);
    });
    poll_->label7 = "Label7";

    timer1_.setInterval(1);
    connect(&timer1_, &QTimer::timeout, this, [this] { timer1Timer(); });

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
    analog_ = place(new Meter180(this), 8, 80, 456, 248);
    applyMeterSettings(*analog_);
    analog_->loaded();

    label1_ = place(new QLabel(QStringLiteral("COMPORT"), this), 16, 6, 50, 14);
    label1_->setFont(formFont("Arial", 11));

    anz_ = place(new ValueIndicator(this), 225, 1, 294, 75);
    applyIndicatorSettings(*anz_);
    anz_->loaded();

    label2_ = place(new QLabel(QStringLiteral("KV27500 meter display"), this), 8, 618, 132, 14);
    label2_->setFont(formFont("Arial", 11));

    balken_ = place(new LevelBar(this), 8, 326, 456, 17);
    applyBarSettings(*balken_);

    chart1_ = place(new TrendChart(this), 8, 344, 456, 263);
    applyChartSettings(*chart1_);
    series1_ = std::make_unique<LineSeries>();
    applySeriesSettings(*series1_);
    chart1_->addSeries(series1_.get());

    comSel_ = place(new QComboBox(this), 13, 22, 57, 21);
    comSel_->setEditable(true);
    comSel_->setInsertPolicy(QComboBox::NoInsert);
    comSel_->setEditText(QStringLiteral("1"));

    open_ = place(new QPushButton(QStringLiteral("Start"), this), 77, 6, 75, 25);
    connect(open_, &QPushButton::clicked, this, [this] { openClick(); });

    button2_ = place(new QPushButton(QStringLiteral("Exit"), this), 372, 612, 92, 25);
    connect(button2_, &QPushButton::clicked, this, [this] { button2Click(); });

    button1_ = place(new QPushButton(QStringLiteral("Stop"), this), 77, 36, 75, 25);
    connect(button1_, &QPushButton::clicked, this, [this] { button1Click(); });

    setTabOrder(comSel_, open_);
    setTabOrder(open_, button2_);
    // The chart sits between Exit and Stop in the tab order but takes no focus itself.
    setTabOrder(button2_, button1_);
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
            comSel_->setCurrentIndex(0);
        poll_->requestValue = 0;
    });
}

void MainWindow::openClick() {
    errors_.guard([this] {
        portNumber_ = portNumberFromText(comSel_->currentText());
        const std::string mode = meterModeText(portNumber_);
        timeoutSetting_ = 2;
        const int result = link_.openPort(mode);
        link_.setRts(1);
        link_.setTimeouts(timeoutSetting_);
        poll_->openResult = result;
        if (sleep)
            sleep(100);
        if (!timer1_.isActive())
            timer1_.start();
    });
}

void MainWindow::button1Click() {
    errors_.guard([this] {
        timer1_.stop();
        resetDisplays(displays());
    });
}

void MainWindow::button2Click() {
    errors_.guard([this] {
        timer1_.stop();
        link_.closePort();
        if (onExit)
            onExit();
    });
}

void MainWindow::timer1Timer() {
    errors_.guard([this] {
        if (!poll_->tick())
            return;
        updateDisplays(displays());
        ++readings_;
        if (onReading)
            onReading(readings_);
    });
}

} // namespace kv
