#pragma once

#include "canvas/color.h"

#include <QPalette>
#include <initializer_list>
#include <memory>
#include <utility>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;

namespace kv {

class LevelBar;
class LineSeries;
class Meter180;
class TrendChart;
class ValueIndicator;

// The main window's stored form, all in one place: the window itself, every control on it
// with its place, texts, fonts and tab position, and the stored settings of the four
// displays. MainWindow creates the controls in the form's creation order and applies
// what is stored here to each.

// The colour of the form: the window's background, the indicator's value field and the far
// end of the meter dial's surface gradient.
constexpr ColorValue kFormColor = 16244694; // 0xF7DFD6: red 214, green 223, blue 247

// A font of the form: face and character height in pixels.
struct FormFont {
    const char* name = nullptr;
    int characterHeight = 0;
};

// What the form stores for one control.
struct ControlForm {
    // Place within the client area, in pixels.
    int left = 0, top = 0, width = 0, height = 0;
    // Caption of a label or button, text of the port box; none when null.
    const char* text = nullptr;
    // The control's own font; without a face it keeps the window's.
    FormFont font;
    // Position in the tab order; -1 for none.
    int tabOrder = -1;
    // The control's name in the form, its object name; none when null.
    const char* name = nullptr;
};

namespace mainform {

inline constexpr const char* kCaption = "VELOMAX KV27500";
inline constexpr int kClientWidth = 471;
inline constexpr int kClientHeight = 648;
inline constexpr FormFont kFont{"MS Sans Serif", 11};

// The controls in creation order (later ones lie above earlier ones), each as left, top,
// width, height, caption or text, own font and tab position. The indicator reaches 48 pixels
// past the right edge of the client area, so only its left part shows. The tab positions
// skip those of the hidden reply-frame boxes, which here are plain data.
inline constexpr ControlForm kAnalog{8, 80, 456, 248, nullptr, {}, -1, "analog"};
inline constexpr ControlForm kLabel1{16, 6, 50, 14, "COMPORT", {"Arial", 11}, -1, "Label1"};
inline constexpr ControlForm kAnz{225, 1, 294, 75, nullptr, {}, -1, "anz"};
inline constexpr ControlForm kLabel2{8,  618,     132, 14, "KV27500 meter display", {"Arial", 11},
                                     -1, "Label2"};
inline constexpr ControlForm kBalken{8, 326, 456, 17, nullptr, {}, -1, "balken"};
inline constexpr ControlForm kChart1{8, 344, 456, 263, nullptr, {}, 15, "Chart1"};
inline constexpr ControlForm kComSel{13, 22, 57, 21, "1", {}, 0, "ComSel"};
inline constexpr ControlForm kOpen{77, 6, 75, 25, "Start", {}, 1, "Open"};
inline constexpr ControlForm kButton2{372, 612, 92, 25, "Exit", {}, 14, "Button2"};
inline constexpr ControlForm kButton1{77, 36, 75, 25, "Stop", {}, 16, "Button1"};

inline constexpr int kTimer1Interval = 1; // milliseconds; the timer is stored stopped

} // namespace mainform

// The controls of the main window, made in the form's creation order (later ones lie above
// earlier ones), placed, named and set as stored, with the keys of Start (F5) and Stop
// (Esc); Ctrl+Q is the window's, since it ends more than Exit does. The window owns the widgets as
// their parent; the series is the chart's line, which the chart shows but does not own.
struct MainFormControls {
    Meter180* analog = nullptr;
    QLabel* label1 = nullptr;
    ValueIndicator* anz = nullptr;
    QLabel* label2 = nullptr;
    LevelBar* balken = nullptr;
    TrendChart* chart1 = nullptr;
    std::unique_ptr<LineSeries> series1;
    QComboBox* comSel = nullptr;
    QPushButton* open = nullptr;
    QPushButton* button2 = nullptr;
    QPushButton* button1 = nullptr;
};
MainFormControls createMainForm(QWidget& window);

// The colours of a default light desktop, which the form and its controls were designed
// with. The window resolves its displays' system colours through it and takes its text
// colour from it, whatever palette the desktop has.
QPalette lightSystemPalette();

// The window's caption, fixed client size, colours and font.
void applyWindowForm(QWidget& window);

// Place and own font of any control, and the text of a label, button or port box.
void applyForm(QWidget& control, const ControlForm& form);
// Place and own font alone, each times `zoom`: the edges of the place and the character
// heights rounded to whole pixels.
void placeControl(QWidget& control, const ControlForm& form, double zoom);

// The window at `zoom` (at least 1): its client size and font, every control's place and
// font, and the displays' faces drawn at the zoom. Texts and settings stay as they are.
void placeMainForm(QWidget& window, const MainFormControls& controls, double zoom);

// Chains the controls' tab order by their stored positions. Controls that take no focus
// (the chart) hold their position without joining the chain.
void applyTabOrder(std::initializer_list<std::pair<const ControlForm*, QWidget*>> controls);

// The stored settings of the displays, applied in the order the form streams them; a gauge
// still holds the update lock its constructor took, and loaded() is left to the caller.
void applyIndicatorSettings(ValueIndicator& anz);
void applyMeterSettings(Meter180& analog);
void applyBarSettings(LevelBar& balken);
void applyChartSettings(TrendChart& chart);
void applySeriesSettings(LineSeries& series);

} // namespace kv
