#pragma once

#include "canvas/canvas.h"
#include "chart/chart_pen.h"
#include "chart/time_scale.h"
#include "core/settings_object.h"

#include <string>
#include <utility>
#include <vector>

namespace kv {

class ChartSeries;

// The smallest label step, and the step of a zero span.
constexpr double kMinLabelStep = 1e-12;
// Room of an axis' tick list; further ticks of one drawing are not kept.
constexpr int kMaxTicks = 2000;

// The step after `s` in the sequence ..., 0.5, 1, 2, 5, 10, 20, ... (s > 0).
double nextNiceStep(double s);

enum class LabelStyle { talAuto, talNone, talValue, talMark, talText };

// Caption of an axis (kept, never drawn by this chart).
class AxisTitle : public SettingsObject {
public:
    explicit AxisTitle(int angle = 0) : angle_(angle) {}
    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& v) { assignIfChanged(caption_, v); }
    int angle() const { return angle_; }
    void setAngle(int v) { assignIfChanged(angle_, v); }

private:
    std::string caption_;
    int angle_;
};

// A value axis of a chart. Its settings stay between drawing passes; its working values
// (scale, pixel span, tick list) are recomputed in every pass, in this order:
//   adjustRange()   range from the series (when automatic);
//   applySpace()    labels column, ticks and line taken from the plot rectangle (visible
//                   axes only; uses the axis length of the previous pass);
//   setPixelSpan()  pixel span along the final plot rectangle (every axis);
//   draw()          labels, axis line, ticks, grid and minor ticks (visible axes only).
// Every setting change notifies through onChange (the chart repaints).
class AxisBase : public SettingsObject {
public:
    AxisBase(bool horizontal, bool otherSide);

    bool horizontal() const { return horizontal_; }
    bool otherSide() const { return otherSide_; }

    // --- Settings
    bool visible() const { return visible_; }
    void setVisible(bool v) { assignIfChanged(visible_, v); }
    bool automatic() const { return automatic_; }
    void setAutomatic(bool v) { assignIfChanged(automatic_, v); }
    bool automaticMaximum() const { return automaticMaximum_; }
    void setAutomaticMaximum(bool v) { assignIfChanged(automaticMaximum_, v); }
    bool automaticMinimum() const { return automaticMinimum_; }
    void setAutomaticMinimum(bool v) { assignIfChanged(automaticMinimum_, v); }
    double minimum() const { return minimum_; }
    void setMinimum(double v) { assignIfChanged(minimum_, v); }
    double maximum() const { return maximum_; }
    void setMaximum(double v) { assignIfChanged(maximum_, v); }
    // Both ends at once, one notification.
    void setMinMax(double minimum, double maximum);
    double increment() const { return increment_; }
    void setIncrement(double v) { assignIfChanged(increment_, v < 0 ? 0.0 : v); }
    bool logarithmic() const { return logarithmic_; }
    void setLogarithmic(bool v) { assignIfChanged(logarithmic_, v); }
    int logarithmicBase() const { return logarithmicBase_; }
    void setLogarithmicBase(int v) { assignIfChanged(logarithmicBase_, v); }
    bool inverted() const { return inverted_; }
    void setInverted(bool v) { assignIfChanged(inverted_, v); }

    bool labels() const { return labels_; }
    void setLabels(bool v) { assignIfChanged(labels_, v); }
    const FontSpec& labelsFont() const { return labelsFont_; }
    void setLabelsFont(const FontSpec& v) { assignIfChanged(labelsFont_, v); }
    int labelsAngle() const { return labelsAngle_; }
    void setLabelsAngle(int v) { assignIfChanged(labelsAngle_, v); }
    int labelsSize() const { return labelsSize_; }
    void setLabelsSize(int v) { assignIfChanged(labelsSize_, v); }
    int labelsSeparation() const { return labelsSeparation_; }
    void setLabelsSeparation(int v) { assignIfChanged(labelsSeparation_, v); }
    bool labelsOnAxis() const { return labelsOnAxis_; }
    void setLabelsOnAxis(bool v) { assignIfChanged(labelsOnAxis_, v); }
    bool labelsMultiLine() const { return labelsMultiLine_; }
    void setLabelsMultiLine(bool v) { assignIfChanged(labelsMultiLine_, v); }
    LabelStyle labelStyle() const { return labelStyle_; }
    void setLabelStyle(LabelStyle v) { assignIfChanged(labelStyle_, v); }
    const std::string& axisValuesFormat() const { return axisValuesFormat_; }
    void setAxisValuesFormat(const std::string& v) { assignIfChanged(axisValuesFormat_, v); }
    const std::string& dateTimeFormat() const { return dateTimeFormat_; }
    void setDateTimeFormat(const std::string& v) { assignIfChanged(dateTimeFormat_, v); }
    bool exactDateTime() const { return exactDateTime_; }
    void setExactDateTime(bool v) { assignIfChanged(exactDateTime_, v); }
    bool roundFirstLabel() const { return roundFirstLabel_; }
    void setRoundFirstLabel(bool v) { assignIfChanged(roundFirstLabel_, v); }
    bool tickOnLabelsOnly() const { return tickOnLabelsOnly_; }
    void setTickOnLabelsOnly(bool v) { assignIfChanged(tickOnLabelsOnly_, v); }
    // Values are milliseconds since the epoch, labelled with the local wall-clock time on
    // steps of the clock ladder (see chooseClockStep), two lines high: the time, and the
    // date on the first label and at midnight. No minor ticks.
    bool clockLabels() const { return clockLabels_; }
    void setClockLabels(bool v) { assignIfChanged(clockLabels_, v); }
    // The date's pattern (QDate's); empty: the regional short date.
    const std::string& clockDateFormat() const { return clockDateFormat_; }
    void setClockDateFormat(const std::string& v) { assignIfChanged(clockDateFormat_, v); }
    // Local time of the clock labels; unset: the regional settings' time zone.
    const LocalOffset& clockOffset() const { return clockOffset_; }
    void setClockOffset(LocalOffset v) {
        clockOffset_ = std::move(v);
        change();
    }
    // The local time of a moment on this axis.
    std::int64_t localTime(std::int64_t utcMs) const;
    // The date pattern in force.
    std::string effectiveDateFormat() const;

    ChartPen& axisPen() { return axisPen_; }
    const ChartPen& axisPen() const { return axisPen_; }
    ChartPen& ticks() { return ticks_; }
    const ChartPen& ticks() const { return ticks_; }
    int tickLength() const { return tickLength_; }
    void setTickLength(int v) { assignIfChanged(tickLength_, v); }
    ChartPen& ticksInner() { return ticksInner_; }
    const ChartPen& ticksInner() const { return ticksInner_; }
    int tickInnerLength() const { return tickInnerLength_; }
    void setTickInnerLength(int v) { assignIfChanged(tickInnerLength_, v); }
    ChartPen& minorTicks() { return minorTicks_; }
    const ChartPen& minorTicks() const { return minorTicks_; }
    int minorTickLength() const { return minorTickLength_; }
    void setMinorTickLength(int v) { assignIfChanged(minorTickLength_, v); }
    int minorTickCount() const { return minorTickCount_; }
    void setMinorTickCount(int v) { assignIfChanged(minorTickCount_, v < 0 ? 0 : v); }
    ChartPen& grid() { return grid_; }
    const ChartPen& grid() const { return grid_; }
    bool gridCentered() const { return gridCentered_; }
    void setGridCentered(bool v) { assignIfChanged(gridCentered_, v); }
    ChartPen& minorGrid() { return minorGrid_; }
    const ChartPen& minorGrid() const { return minorGrid_; }
    AxisTitle& title() { return title_; }
    int titleSize() const { return titleSize_; }
    void setTitleSize(int v) { assignIfChanged(titleSize_, v); }
    double startPosition() const { return startPosition_; }
    void setStartPosition(double v) { assignIfChanged(startPosition_, v); }
    double endPosition() const { return endPosition_; }
    void setEndPosition(double v) { assignIfChanged(endPosition_, v); }
    double positionPercent() const { return positionPercent_; }
    void setPositionPercent(double v) { assignIfChanged(positionPercent_, v); }

    // --- Working values of the current pass
    double scaleMin() const { return scaleMin_; }
    double scaleMax() const { return scaleMax_; }
    double scaleSpan() const { return scaleSpan_; }
    int startPixel() const { return startPixel_; }
    int endPixel() const { return endPixel_; }
    int axisLength() const { return axisLength_; }
    int centerPixel() const { return centerPixel_; }
    int axisLinePos() const { return axisLinePos_; }
    int labelsPos() const { return labelsPos_; }
    bool dateTimeMode() const { return dateTimeMode_; }
    const std::vector<int>& tickList() const { return tickList_; }
    // The texts of the labels drawn, in drawing order, each once per place.
    const std::vector<std::string>& labelTexts() const { return labelTexts_; }
    // The step of the clock labels drawn (0 without them).
    std::int64_t clockStep() const { return clockStep_; }

    // --- Drawing pass
    // The extreme of the series bound to this axis (0 when none has points): active
    // series are taken, or every series when no active one is bound to the axis.
    double seriesExtreme(const std::vector<ChartSeries*>& series, bool largest) const;
    // Minimum/Maximum from the series where automatic, then the scale.
    void adjustRange(const std::vector<ChartSeries*>& series);
    // Takes the labels column, the ticks and the line from `r` on the axis' side and
    // sets labelsPos (called for visible axes, on a copy of the plot rectangle).
    void applySpace(Canvas& c, Rect& r);
    // Start and end pixel along the plot rectangle, axis length and centre.
    virtual void setPixelSpan(const Rect& plot);
    // Labels, axis line, ticks, grid and minor ticks; `panelColor` backs the labels.
    void draw(Canvas& c, const Rect& plot, ColorValue panelColor);

    // --- Scale maths
    int valueToPixel(double v) const;
    double pixelToValue(int p) const;
    // True when valueToPixel(v) is the linear mapping (not the centre fallback of a zero
    // span or of an offset too large for the pixel arithmetic).
    bool mapsLinearly(double v) const;
    std::string labelText(double v) const;
    int labelSizeAlong(Canvas& c, double v) const;
    int maxLabelCount(Canvas& c) const;
    double chooseLabelStep(int count) const;
    int labelColumnWidth(Canvas& c) const;
    int tickAreaWidth() const;

    // The range a chart chooses in place of the series' extremes: Minimum and Maximum
    // where they are automatic, then the scale (as adjustRange does).
    void adjustRangeTo(double minimum, double maximum);
    // Only the working values (for callers that lay out the axis themselves).
    void setScale(double minimum, double maximum);

private:
    void drawValueLabels(Canvas& c, double step);
    void drawClockLabels(Canvas& c);
    void drawLabel(Canvas& c, double v, int textHeight);
    template <typename Text> void drawLabelAt(Canvas& c, int pos, Text&& text, int textHeight);
    void addTick(int pos);
    void drawTicks(Canvas& c, const Rect& plot);
    void tickLine(Canvas& c, int pos, int from, int length);
    void gridLine(Canvas& c, const Rect& plot, int pos);
    std::vector<int> minorTickPositions() const;

    const bool horizontal_;
    const bool otherSide_;

    bool visible_ = true;
    bool automatic_ = true, automaticMaximum_ = true, automaticMinimum_ = true;
    double minimum_ = 0, maximum_ = 0;
    double increment_ = 0;
    bool logarithmic_ = false;
    int logarithmicBase_ = 10;
    bool inverted_ = false;
    bool labels_ = true;
    FontSpec labelsFont_{"Arial", 0, 8, false, false, clBlack};
    int labelsAngle_ = 0;
    int labelsSize_ = 0;
    int labelsSeparation_ = 10;
    bool labelsOnAxis_ = true;
    bool labelsMultiLine_ = false;
    LabelStyle labelStyle_ = LabelStyle::talAuto;
    std::string axisValuesFormat_ = "#,##0.###";
    std::string dateTimeFormat_;
    bool exactDateTime_ = true;
    bool roundFirstLabel_ = true;
    bool tickOnLabelsOnly_ = true;
    bool clockLabels_ = false;
    std::string clockDateFormat_;
    LocalOffset clockOffset_;
    ChartPen axisPen_{clBlack, 2};
    ChartPen ticks_{clGray, 1};
    int tickLength_ = 4;
    ChartPen ticksInner_{clGray, 1};
    int tickInnerLength_ = 0;
    ChartPen minorTicks_{clGray, 1};
    int minorTickLength_ = 2;
    int minorTickCount_ = 3;
    ChartPen grid_{clGray, 1, PenStyle::psDot};
    bool gridCentered_ = false;
    ChartPen minorGrid_{clBlack, 1, PenStyle::psSolid, false};
    AxisTitle title_;
    int titleSize_ = 0;
    double startPosition_ = 0, endPosition_ = 100;
    double positionPercent_ = 0;

    double scaleMin_ = 0, scaleMax_ = 0, scaleSpan_ = 0;
    int startPixel_ = 0, endPixel_ = 0, axisLength_ = 0, centerPixel_ = 0;
    int axisLinePos_ = 0, labelsPos_ = 0;
    bool dateTimeMode_ = false;
    std::vector<int> tickList_;
    std::vector<std::string> labelTexts_;
    std::int64_t clockStep_ = 0;
    int lastLabelPos_ = 0;
    std::string lastLabelText_;
};

// A side axis: bottom, top (horizontal), left, right (vertical).
class ChartAxis : public AxisBase {
public:
    ChartAxis(bool horizontal, bool otherSide);
};

// The depth axis of 3D views; hidden, and without extent in 2D.
class ChartDepthAxis : public AxisBase {
public:
    ChartDepthAxis();
    void setPixelSpan(const Rect& plot) override;
};

} // namespace kv
