#pragma once

#include "app/main_form.h"
#include "serial/port_table.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class BenchActions;
class Channel;
class ChartActions;
class ChartFeed;
class ErrorReporter;
class FooterView;
class FullScreenReadout;
class ReadingDisplays;
class RecordActions;
class ReferenceCurve;
class RecordingActions;
class WindowZoom;
struct Reading;

// Where a window of `size` goes to stand in the middle of the desktop's free area; where it
// does not fit, its top and left edges stay on the desktop.
QPoint centredTopLeft(const QRect& desktop, const QSize& size);

// The program's window on one channel: the port box with Start and Stop, the four displays
// of the reading, Exit and a footer line, with the commands of the record, the bench, a
// recording and the chart in a context menu and on keys. It binds the channel to the
// controls and nothing else: what the channel tells goes to the displays and the footer,
// what the user asks goes to the channel.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The channel and the reporter must outlive the window. The ports (named "COM<n>" by the
    // link's port table) fill the port box, which starts on the port with the identity
    // `startPort` (see port_memory.h) when it is listed, else on the first.
    MainWindow(Channel& channel, std::vector<PortEntry> ports, const std::string& startPort,
               ErrorReporter& errors, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The commands, as their buttons run them. Errors are reported, never thrown.
    void openClick();    // Start
    void button1Click(); // Stop
    void button2Click(); // Exit

    // One window of several, each on its channel: the title and the footer's caption name
    // the channel as it is named now, and Ctrl+Q asks to end the program (quitRequested) rather
    // than Exit.
    void setOneOfSeveral(bool several);
    Channel& channel() { return channel_; }
    const Channel& channel() const { return channel_; }

    // Readings and overloads shown since the window was created.
    int readings() const { return readings_; }
    // The chart's commands, whose choices the program keeps.
    ChartActions& chartActions() { return *chartActions_; }
    // The commands of the channel's record; the conditions of a log begun on the command
    // line are handed to them.
    RecordActions& recordActions() { return *recordActions_; }
    // The recording laid behind the chart's line to compare with.
    ReferenceCurve& reference() { return *reference_; }
    // The window's size, which the program keeps.
    WindowZoom& zoom() { return *zoom_; }
    // F11's readout over the whole screen.
    FullScreenReadout& readout() { return *readout_; }
    // Entries of the program's own at the end of the context menu, and a line of its own
    // for the footer's tooltip (asked for as the tooltip shows; empty: none).
    void addMenuActions(const QList<QAction*>& actions, std::function<QString()> tooltipLine = {});

signals:
    // Exit was pressed: the port is closed, the program may end.
    void exitRequested();
    // Ctrl+Q in one window of several: every channel is to end with the program.
    void quitRequested();
    // The user dragged the window to another place (the button is up).
    void dragged();
    // A log of several channels was opened here: this window shows names.front(); the
    // others' readings are for windows of their own.
    void severalChannels(const QString& path, const QStringList& names);
    // After every reading or overload that reached the displays, with readings().
    void readingShown(int count);
    // Once per Start, at its first reading, with the listed port it came from.
    void portConfirmed(const kv::PortEntry& port);

protected:
    // The window has no frame: the left button drags it by its background (the labels and
    // the displays, which leave the button to it; the chart, the port box and the buttons
    // keep it for themselves).
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void bindChannel();
    void bindMeter();
    void showReading(const Reading& reading);
    // A file shown, or grown while followed: its last reading in the displays.
    void showFile(std::size_t first);
    // Start or Stop after a file was shown: the chart's axis as it was.
    void leaveFile();

    // Held before the first control is made: the displays keep their light system colours.
    SystemPalettePin systemColors_{lightSystemPalette()};
    Channel& channel_;
    std::vector<PortEntry> ports_;
    ErrorReporter& errors_;
    MainFormControls form_;
    std::unique_ptr<ReadingDisplays> displays_;
    std::unique_ptr<FooterView> footer_;
    std::unique_ptr<RecordActions> recordActions_;
    std::unique_ptr<ReferenceCurve> reference_;
    std::unique_ptr<BenchActions> benchActions_;
    std::unique_ptr<RecordingActions> recordingActions_;
    std::unique_ptr<ChartActions> chartActions_;
    std::unique_ptr<ChartFeed> chartFeed_;
    WindowZoom* zoom_ = nullptr; // a child of the window
    std::unique_ptr<FullScreenReadout> readout_;
    std::string openedPort_; // the port table's name of the port Start opened last
    bool portConfirmed_ = false;
    int readings_ = 0;
    std::function<QString()> tooltipLine_;
    bool showingFile_ = false;
    bool several_ = false;
    std::optional<QPoint> grab_;  // where the drag took the window, from its top left
    QPoint grabbedAt_;            // where the window stood when the drag began
    bool timeAxisBefore_ = false; // the chart's axis before a file was shown
};

} // namespace kv
