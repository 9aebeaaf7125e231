#pragma once

#include "app/bench_actions.h"
#include "app/chart_actions.h"
#include "app/footer.h"
#include "app/main_form.h"
#include "app/reading_displays.h"
#include "app/record_actions.h"
#include "app/recording_actions.h"
#include "core/reading.h"
#include "record/recorder.h"
#include "serial/port_table.h"
#include "serial/serial_io.h"
#include "session/meter_session.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

namespace kv {

class ErrorReporter;
class LevelBar;
class LineSeries;
class TrendChart;
class Meter180;
class ValueIndicator;

// Where a window of `size` goes to stand in the middle of the desktop's free area; where it
// does not fit, its top and left edges stay on the desktop.
QPoint centredTopLeft(const QRect& desktop, const QSize& size);

// The program's one window: the port box with Start and Stop, the four displays of the
// reading, Exit and a footer line. The hidden storage the poll cycle works in (the reply
// frame and the value text) is plain data.
//
// The displays show only what the meter said. A silent meter leaves them as they were: after
// a second the digits turn grey, the chart's line breaks once and the footer says since when.
// An overload shows OL, the needle pinned and flashing, a full bar and a break in the line.
// A port that cannot be opened says why in the footer.
//
// Every reading from Start to the next Start is kept with its time, so it can be saved after
// Stop. A right click on the digits, the meter, the bar or the footer (the chart keeps its
// right-button scroll) shows the session's statistics and the commands to record to a file,
// save the readings or a picture and copy the reading, which also have keys of their own.
// Below them the chart's commands: its time axis, its rolling windows and its markers.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The link and the reporter must outlive the window. The ports (named "COM<n>" by the
    // link's port table) fill the port box; the link maps the names to devices on its own.
    MainWindow(SerialIo& link, std::vector<PortEntry> ports, ErrorReporter& errors,
               QWidget* parent = nullptr);
    // As above; the port box starts on the port with the identity `startPort` (see
    // port_memory.h) when it is listed, else on the first.
    MainWindow(SerialIo& link, std::vector<PortEntry> ports, const std::string& startPort,
               ErrorReporter& errors, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The commands, as their buttons run them. Errors are reported, never thrown.
    void openClick();    // Start
    void button1Click(); // Stop
    void button2Click(); // Exit
    void timer1Timer();  // one poll: the request now, the drain after the wait

    Meter180* analog() const { return analog_; }
    ValueIndicator* anz() const { return anz_; }
    LevelBar* balken() const { return balken_; }
    TrendChart* chart1() const { return chart1_; }
    LineSeries& series1() const { return *series1_; }
    QComboBox* comSel() const { return comSel_; }
    QPushButton* openButton() const { return open_; }
    QPushButton* stopButton() const { return button1_; }
    QPushButton* exitButton() const { return button2_; }
    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    // The meter the window shows: its port, its polls and what they tell.
    MeterSession& session() { return session_; }

    // The hidden storage of the poll cycle: the reply frame b1..b12, the value text
    // (Label7) and the captions of the first four slots (Label8..Label11).
    const ReplyFrame& frame() const { return session_.cycle().frame; }
    const std::string& label7() const { return session_.cycle().label7; }
    const std::string& label8() const { return label8_; }
    const std::string& label9() const { return label9_; }
    const std::string& label10() const { return label10_; }
    const std::string& label11() const { return label11_; }

    int openResult() const { return session_.cycle().openResult; }
    // The port table's name of the port Start opened last ("COM3"); empty before.
    int readings() const { return readings_; }
    // Why no readings come, as the footer says it: the port could not be opened, or the
    // meter is silent; empty otherwise.
    QString whyNoReadings() const;

    // The readings since the last Start (kept after Stop).
    const Recorder& recorder() const { return recorder_; }
    // The commands of the record: recording to a file, saving, copying, and their menu.
    RecordActions& recordActions() { return *recordActions_; }
    // Opening a recording: the file's rows become the record shown, on the clock axis.
    RecordingActions& recordingActions() { return *recordingActions_; }
    // The chart's commands: the time axis, the rolling windows, the markers, Ctrl+C over it.
    ChartActions& chartActions() { return *chartActions_; }
    // What the publisher to a broker says, for the footer; trouble ranks it above the
    // recording's count. Empty: nothing is published.
    void setPublishStatus(const QString& text, bool trouble);

    // Hold, relative, the limits and the statistics in the footer, and their menu entries.
    BenchActions& benchActions() { return *benchActions_; }

signals:
    // Exit was pressed: the port is closed, the program may end.
    void exitRequested();
    // After every reading or overload that reached the displays, with the number of them
    // since the window was created.
    void readingShown(int count);
    // Once per Start, at its first reading, with the listed port it came from.
    void portConfirmed(const kv::PortEntry& port);

private:
    void createControls();
    void createShortcuts();
    void formCreate();
    void confirmPort();
    // A reading or an overload from the session: the displays, the footer, the count.
    void showReading(const Reading& reading);
    // The footer: its caption, or what the window has to tell.
    void showFooter();
    FooterState footerState() const;
    // The record's rows from `first` on into the chart, and its last reading to the
    // displays; from the first, what was shown before goes (polling stops as on Stop).
    void showRecording(std::size_t first);
    // Start after a file was shown: the chart's axis as it was.
    void leaveRecording();

    // Held from before the first control is made: the displays draw in the light system
    // colours they were designed with under any desktop palette.
    SystemPalettePin systemColors_{lightSystemPalette()};
    std::vector<PortEntry> ports_;
    std::string startPort_;
    ErrorReporter& errors_;

    Meter180* analog_ = nullptr;
    ValueIndicator* anz_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    LevelBar* balken_ = nullptr;
    TrendChart* chart1_ = nullptr;
    std::unique_ptr<LineSeries> series1_;
    QComboBox* comSel_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* button2_ = nullptr;
    QPushButton* button1_ = nullptr;
    std::unique_ptr<ReadingDisplays> displays_;

    MeterSession session_;
    std::string label8_ = mainform::kLabel8Text;
    std::string label9_ = mainform::kLabel9Text;
    std::string label10_ = mainform::kLabel10Text;
    std::string label11_ = mainform::kLabel11Text;
    std::string openedPort_;
    int readings_ = 0;
    bool portConfirmed_ = false; // since the last Start

    // Why the port would not open, told in the footer till the meter answers.
    QString openFailure_;
    QString footerNote_;     // what the footer shows in place of its caption; empty: the caption
    bool footerCut_ = false; // the footer shows only part of its note
    QString publishStatus_;
    bool publishTrouble_ = false;

    Recorder recorder_;
    // Before the recorder goes: it acts on it.
    std::unique_ptr<RecordActions> recordActions_;
    std::unique_ptr<BenchActions> benchActions_;
    std::unique_ptr<RecordingActions> recordingActions_;
    bool showingFile_ = false;
    bool timeAxisBefore_ = false; // the chart's axis before a file was shown
    // The rows of a file shown that the chart has; the rest follows a block at a time.
    static constexpr std::size_t kRowsAtOnce = 250000;
    std::size_t fed_ = 0;
    bool feedPending_ = false;
    std::unique_ptr<ChartActions> chartActions_;
};

} // namespace kv
