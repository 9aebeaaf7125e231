#pragma once

#include "app/main_window.h"
#include "app/record_actions.h"
#include "app/recording_actions.h"
#include "channel/channel.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

namespace kv::test {

// Holds the channel, so that it is made before the window and goes after it.
struct ChannelOf {
    explicit ChannelOf(SerialIo& link) : channel(link) {}
    Channel channel;
};

// The program's window on a channel of its own, as the program makes them, with the ways a
// test reaches them: the controls by their names in the form, the commands of the window's
// menus, and the channel with its meter session and poll cycle.
class TestWindow : private ChannelOf, public MainWindow {
public:
    TestWindow(SerialIo& link, std::vector<PortEntry> ports, ErrorReporter& errors,
               const std::string& startPort = {})
        : ChannelOf(link), MainWindow(channel, std::move(ports), startPort, errors) {}

    using ChannelOf::channel;

    MeterSession& session() { return channel.session(); }
    // One poll as the poll timer runs it.
    void timer1Timer() { channel.session().poller().pollOnce(); }
    const PollCycle& cycle() const { return channel.session().cycle(); }
    const Recorder& recorder() const { return channel.record(); }

    Meter180* analog() const { return control<Meter180>("analog"); }
    ValueIndicator* anz() const { return control<ValueIndicator>("anz"); }
    LevelBar* balken() const { return control<LevelBar>("balken"); }
    TrendChart* chart1() const { return control<TrendChart>("Chart1"); }
    LineSeries& series1() const {
        // The line, not a reference behind it.
        for (ChartSeries* s : chart1()->seriesList())
            if (!s->backdrop())
                return static_cast<LineSeries&>(*s);
        return static_cast<LineSeries&>(*chart1()->seriesList().front());
    }
    QComboBox* comSel() const { return control<QComboBox>("ComSel"); }
    QPushButton* openButton() const { return control<QPushButton>("Open"); }
    QPushButton* stopButton() const { return control<QPushButton>("Button1"); }
    QPushButton* exitButton() const { return control<QPushButton>("Button2"); }
    QLabel* label1() const { return control<QLabel>("Label1"); }
    QLabel* label2() const { return control<QLabel>("Label2"); }

    RecordActions& recordActions() const { return *findChild<RecordActions*>(); }
    RecordingActions& recordingActions() const { return *findChild<RecordingActions*>(); }

private:
    template <typename T> T* control(const char* name) const {
        return findChild<T*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    }
};

} // namespace kv::test
