#pragma once

#include "app/display_update.h"
#include "app/main_form.h"
#include "canvas/color.h"
#include "meter/poll_cycle.h"
#include "serial/port_table.h"
#include "serial/serial_io.h"

#include <QTimer>
#include <QWidget>
#include <functional>
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

    // Blocking wait in milliseconds; QThread::msleep unless replaced (benchmarks use 0).
    std::function<void(int ms)> sleep;
    // Ends the program after Exit; QCoreApplication::quit unless replaced. Each of these
    // four is called only when set.
    std::function<void()> onExit;
    // Called after every reading that reached the displays, with the number of such
    // readings since the window was created.
    std::function<void(int count)> onReading;
    // Called once per Start, at its first reading, with the listed port it came from.
    std::function<void(const PortEntry& port)> onPortConfirmed;

    // The commands, as their buttons run them. Errors are reported, never thrown.
    void openClick();    // Start
    void button1Click(); // Stop
    void button2Click(); // Exit
    void timer1Timer();  // one poll cycle

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
    QTimer& timer1() { return timer1_; }

    // The hidden storage of the poll cycle: the reply frame b1..b12, the value text
    // (Label7) and the captions of the first four slots (Label8..Label11).
    const ReplyFrame& frame() const { return poll_->frame; }
    const std::string& label7() const { return poll_->label7; }
    const std::string& label8() const { return label8_; }
    const std::string& label9() const { return label9_; }
    const std::string& label10() const { return label10_; }
    const std::string& label11() const { return label11_; }

    int openResult() const { return poll_->openResult; }
    int portNumber() const { return portNumber_; }
    int readings() const { return readings_; }

private:
    void createControls();
    void createShortcuts();
    Displays displays() const;
    void formCreate();
    void confirmPort();

    // Held from before the first control is made: the displays draw in the light system
    // colours they were designed with under any desktop palette.
    SystemPalettePin systemColors_{lightSystemPalette()};
    SerialIo& link_;
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
    QTimer timer1_;

    std::unique_ptr<PollCycle> poll_;
    std::string label8_ = mainform::kLabel8Text;
    std::string label9_ = mainform::kLabel9Text;
    std::string label10_ = mainform::kLabel10Text;
    std::string label11_ = mainform::kLabel11Text;
    int portNumber_ = 0;
    int timeoutSetting_ = 0;
    int readings_ = 0;
    bool portConfirmed_ = false; // since the last Start
};

} // namespace kv
