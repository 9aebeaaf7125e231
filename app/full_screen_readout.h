#pragma once

#include <QObject>
#include <memory>

class QAction;
class QWidget;

namespace kv {

class Channel;
class ReadoutWidget;
class RoundMeter;
class TrendChart;
class ValueIndicator;

// The readout across the room: F11 in the window puts the digits with their unit, the
// channel's status in words and the chart's trend over the whole screen the window is on,
// in place of the window; F11 or Escape there brings the window back (Escape does not Stop
// meanwhile: the window, and its keys, are hidden). The readout shows what the window
// shows: the indicator's digits in their colour, flashing while the meter's needle flashes,
// and the chart as it stands, drawn by the chart itself.
class FullScreenReadout : public QObject {
    Q_OBJECT
public:
    // Everything must outlive the readout.
    FullScreenReadout(QWidget& window, Channel& channel, const ValueIndicator& anz,
                      RoundMeter& analog, TrendChart& chart);
    ~FullScreenReadout() override;

    bool shown() const { return shown_; }
    void enter();
    void leave();
    void toggle() { shown_ ? leave() : enter(); }
    // The window has shown a reading: the readout follows.
    void follow();

    // F11, for the window's keys and its context menu.
    QAction* action() const { return action_; }

signals:
    void shownChanged(bool shown);

private:
    void refresh();
    void followFlashing();

    QWidget& window_;
    Channel& channel_;
    const ValueIndicator& anz_;
    RoundMeter& analog_;
    TrendChart& chart_;
    std::unique_ptr<ReadoutWidget> widget_;
    QAction* action_ = nullptr;
    bool shown_ = false;
    bool flashOn_ = false;
};

} // namespace kv
