#pragma once

#include "canvas/canvas.h"
#include "core/settings_object.h"

#include <functional>
#include <string>
#include <vector>

namespace kv {

// ---- Scale maths, free of any canvas -------------------------------------------------------

// Pen width of main ticks and of the scale line for a label text height.
int scaleLineWidth(int labelHeight);
// Half the larger label extent plus one: the room a label takes around its centre.
int scaleLabelMargin(int labelWidth, int labelHeight);

// Decades and main steps of a logarithmic scale.
struct LogScaleRange {
    int decadeFrom = 0;
    int decadeTo = 0;
    int steps = 1;
};
LogScaleRange logScaleRange(double valueFrom, double valueTo, int steps);

// Label texts in scale order: steps + 1 evenly spaced values ending exactly on valueTo.
std::vector<std::string> linearScaleLabels(float valueFrom, float valueTo, int steps,
                                           const std::string& format);
// One label per main step of whole decades, each a power of ten.
std::vector<std::string> logScaleLabels(const LogScaleRange& range, const std::string& format);

struct ScaleLayoutInput {
    Rect rect;           // area left inside the meter's bevels
    int labelWidth = 0;  // widest label
    int labelHeight = 0; // label text height
    int labelMargin = 4;
    int lineWidth = 2;
    int steps = 5; // main steps (the log step count on a logarithmic scale)
    int subSteps = 2;
    bool logMode = false;
    int startAngle = 270;
    int sweepAngle = 180;
};

struct ScaleMainTick {
    double angle = 0; // degrees past the start, not rounded
    Point outer;      // where the tick line starts
    Point inner;      // where it ends (not drawn)
    Point label;      // centre of the label
};

struct ScaleSubTick {
    int angle = 0; // whole degrees past the start
    Point inner;   // line start, on the inner circle of the main ticks
    Point outer;   // line end (not drawn)
};

struct ScaleLayout {
    Point center;       // DialCenter
    int radius = 0;     // label circle
    int tickLength = 0; // main tick
    int subTickLength = 0;
    Rect pointerArea;                     // square the pointer turns in
    std::vector<ScaleMainTick> mainTicks; // steps + 1, the last one is the closing tick
    std::vector<ScaleSubTick> subTicks;
    bool closingLabel = true; // a full circle would print the last label over the first
    Rect arcRect;             // bounding rectangle of the scale line
    Point arcStart;           // inner end of the closing tick
    Point arcEnd;             // outer end of the first tick
};

ScaleLayout layoutScale(const ScaleLayoutInput& in);

// The labels of a scale for a range, measured: what the layout and the painting take.
struct ScaleLabels {
    LogScaleRange logRange; // on a logarithmic scale
    std::string list;       // the label texts, each followed by ';'
    int width = 0;          // the widest label
    int height = 0;         // the text height of the labels
    int lineWidth = 2;
    int margin = 4;
};

// ---- The scale of a round meter: its settings and its painter ------------------------------

class ScaleSettings : public SettingsObject {
public:
    ScaleSettings();

    ColorValue color() const { return color_; }
    void setColor(ColorValue c);
    ColorValue pointerColor() const { return pointerColor_; }
    void setPointerColor(ColorValue c);
    bool drawLine() const { return drawLine_; }
    void setDrawLine(bool on); // notifies even when unchanged
    const FontSpec& font() const { return font_; }
    void setFont(const FontSpec& f); // notifies even when unchanged
    // Edits the owned font in place and notifies, like changing one font attribute.
    void editFont(const std::function<void(FontSpec&)>& edit);
    bool posLeftTop() const { return posLeftTop_; }
    void setPosLeftTop(bool on);
    int steps() const { return steps_; }
    void setSteps(int n); // 1..20, others ignored
    int subSteps() const { return subSteps_; }
    void setSubSteps(int n); // 1..10, others ignored
    const std::string& valueFormat() const { return valueFormat_; }
    void setValueFormat(const std::string& f);
    const std::string& valueFormatLog() const { return valueFormatLog_; }
    void setValueFormatLog(const std::string& f);

    // Copies every published value through its setter.
    void assign(const ScaleSettings& o);

    // The painter of the scale, a pure function of these settings:
    // builds and measures the labels for the range, leaving the canvas font and pen colour
    // set to the scale's;
    ScaleLabels measureLabels(Canvas& canvas, float valueFrom, float valueTo) const;
    // the layout of the scale in r;
    ScaleLayout layout(const ScaleLabels& labels, const Rect& r, int startAngle,
                       int sweepAngle) const;
    // draws its ticks and labels.
    void paintScale(Canvas& canvas, const ScaleLayout& layout, const ScaleLabels& labels) const;

    // Keeps the labels and the layout of a scale as drawn, for the derived values below.
    void keep(const ScaleLabels& labels);
    void keep(const ScaleLayout& layout);
    // The kept labels.
    ScaleLabels labels() const;

    // Measures the labels for the range and keeps them; leaves the canvas font and pen
    // colour set to the scale's.
    void prepareScale(Canvas& canvas, float valueFrom, float valueTo);
    // Draws ticks and labels into r with the kept labels, keeps the layout and turns r into
    // the pointer area. Needs prepareScale.
    void drawScale(Canvas& canvas, Rect& r, int startAngle, int sweepAngle);

    // Follows the owning meter's logarithmic flag; no notification.
    bool logMode() const { return logMode_; }
    void setLogMode(bool on) { logMode_ = on; }

    int logDecadeFrom() const { return logRange_.decadeFrom; }
    int logDecadeTo() const { return logRange_.decadeTo; }
    int logSteps() const { return logRange_.steps; }
    const std::string& labelList() const { return labelList_; }
    int labelWidth() const { return labelWidth_; }
    int labelHeight() const { return labelHeight_; }
    int lineWidth() const { return lineWidth_; }
    int labelMargin() const { return labelMargin_; }
    int tickLength() const { return tickLength_; }
    int subTickLength() const { return subTickLength_; }
    Point dialCenter() const { return dialCenter_; }
    Rect arcRect() const { return arcRect_; }
    Point arcStart() const { return arcStart_; }
    Point arcEnd() const { return arcEnd_; }

private:
    ColorValue color_ = clBlack;
    ColorValue pointerColor_ = clLime;
    bool drawLine_ = true;
    FontSpec font_;
    bool posLeftTop_ = false;
    int steps_ = 5;
    int subSteps_ = 2;
    std::string valueFormat_ = "##0";
    std::string valueFormatLog_ = "0e-0";

    bool logMode_ = false;
    LogScaleRange logRange_;
    std::string labelList_;
    int labelWidth_ = 0;
    int labelHeight_ = 0;
    int lineWidth_ = 2;
    int labelMargin_ = 4;
    int tickLength_ = 14;
    int subTickLength_ = 7;
    Point dialCenter_;
    Rect arcRect_;
    Point arcStart_;
    Point arcEnd_;
};

} // namespace kv
