#include "app/full_screen_readout.h"

#include "app/main_form.h"
#include "app/readout_widget.h"
#include "channel/channel.h"
#include "channel/status_notes.h"
#include "chart/trend_chart.h"
#include "gauges/flash_timer.h"
#include "gauges/round_meter.h"
#include "gauges/value_indicator.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kv {

FullScreenReadout::FullScreenReadout(QWidget& window, Channel& channel, const ValueIndicator& anz,
                                     RoundMeter& analog, TrendChart& chart)
    : window_(window), channel_(channel), anz_(anz), analog_(analog), chart_(chart) {
    action_ =
        new QAction(QCoreApplication::translate("kv::MainWindow", "Full-screen readout"), &window_);
    action_->setShortcut(QKeySequence(Qt::Key_F11));
    action_->setShortcutContext(Qt::WindowShortcut);
    window_.addAction(action_);
    connect(action_, &QAction::triggered, this, &FullScreenReadout::toggle);

    const StatusNotes& notes = channel_.notes();
    connect(&notes, &StatusNotes::changed, this, &FullScreenReadout::refresh);
    connect(&channel_.bench(), &ChannelBench::changed, this, &FullScreenReadout::refresh);
    connect(&channel_, &Channel::silenceBegan, this, &FullScreenReadout::refresh);
    connect(&channel_, &Channel::silenceEnded, this, &FullScreenReadout::refresh);
    connect(&channel_, &Channel::stopped, this, &FullScreenReadout::follow);
    connect(&analog_.model(), &RoundMeterModel::flashingChanged, this,
            &FullScreenReadout::followFlashing);
}

FullScreenReadout::~FullScreenReadout() {
    FlashTimer::instance().remove(this);
}

void FullScreenReadout::enter() {
    if (shown_)
        return;
    if (!widget_) {
        widget_ = std::make_unique<ReadoutWidget>();
        widget_->setWindowTitle(window_.windowTitle());
        widget_->model().setBackground(kFormColor);
        widget_->setTrendPainter([this](Canvas& c, const Rect& r) { chart_.paintChart(c, r); });
        connect(widget_.get(), &ReadoutWidget::leaveRequested, this, &FullScreenReadout::leave);
    }
    QScreen* screen = window_.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    shown_ = true;
    refresh();
    followFlashing();
    widget_->showOn(*screen);
    window_.hide();
    emit shownChanged(true);
}

void FullScreenReadout::leave() {
    if (!shown_)
        return;
    shown_ = false;
    FlashTimer::instance().remove(this);
    window_.show();
    widget_->hide();
    window_.raise();
    window_.activateWindow();
    emit shownChanged(false);
}

void FullScreenReadout::follow() {
    if (!shown_)
        return;
    refresh();
    widget_->trendChanged();
}

void FullScreenReadout::refresh() {
    if (!shown_)
        return;
    ReadoutModel& m = widget_->model();
    m.setDigits(QString::fromStdString(anz_.fieldText()));
    m.setUnit(QString::fromStdString(anz_.signalSettings().valueUnit()));
    const RoundMeterModel& meter = analog_.model();
    m.setDigitsColor(!meter.flashing() ? anz_.fontValue().color
                     : flashOn_        ? meter.flashColorOn()
                                       : meter.flashColorOff());
    const StatusNotes& notes = channel_.notes();
    m.setStatus({notes.note(StatusNotes::Slot::openedFile), notes.whyNoReadings(),
                 notes.note(StatusNotes::Slot::overload), notes.note(StatusNotes::Slot::bench)});
}

void FullScreenReadout::followFlashing() {
    if (shown_ && analog_.model().flashing())
        FlashTimer::instance().add(this, RoundMeter::kFlashRate, [this](bool on) {
            flashOn_ = on;
            refresh();
        });
    else
        FlashTimer::instance().remove(this);
    refresh();
}

} // namespace kv
