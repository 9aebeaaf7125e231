#include "chart/chart_axis.h"

#include "chart/chart_series.h"
#include "core/rounding.h"
#include "format/number_format.h"

#include <QLocale>
#include <algorithm>
#include <climits>
#include <cmath>

namespace kv {

namespace {

// Offsets this large fall back to the centre instead of overflowing the pixel maths.
constexpr double kPixelOffsetLimit = 2147483647.0;
// Room between clock labels, in percent of a label's width.
constexpr int kClockLabelSeparation = 50;
// More labels than this in one span draw none at all.
constexpr double kMaxLabelSteps = 10000.0;

std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = text.find('\n', start);
        lines.push_back(text.substr(start, nl == std::string::npos ? nl : nl - start));
        if (nl == std::string::npos)
            return lines;
        start = nl + 1;
    }
}

bool upright(int angle) {
    return angle == 0 || angle == 180;
}

} // namespace

double nextNiceStep(double s) {
    // Anything but a positive finite step has no successor (and would never end).
    if (!(s > 0) || !std::isfinite(s))
        return s;
    if (s >= 10)
        return double(static_cast<long double>(nextNiceStep(double(s * 0.1L))) * 10.0L);
    if (s < 1)
        return double(static_cast<long double>(nextNiceStep(double(s * 10.0L))) * 0.1L);
    if (s < 2)
        return 2;
    if (s < 5)
        return 5;
    return 10;
}

// ---------------------------------------------------------------------------------------
// AxisBase

AxisBase::AxisBase(bool horizontal, bool otherSide)
    : horizontal_(horizontal), otherSide_(otherSide) {
    auto forward = [this](SettingsObject&) { change(); };
    for (ChartPen* pen : {&axisPen_, &ticks_, &ticksInner_, &minorTicks_, &grid_, &minorGrid_})
        pen->onChange = forward;
    title_.onChange = forward;
}

void AxisBase::setMinMax(double minimum, double maximum) {
    if (minimum == minimum_ && maximum == maximum_)
        return;
    minimum_ = minimum;
    maximum_ = maximum;
    change();
}

void AxisBase::setScale(double minimum, double maximum) {
    scaleMin_ = minimum;
    scaleMax_ = maximum;
    scaleSpan_ = scaleMax_ - scaleMin_;
}

double AxisBase::seriesExtreme(const std::vector<ChartSeries*>& series, bool largest) const {
    auto bound = [this](const ChartSeries* s) {
        return (horizontal_ ? s->horizontalAxis() : s->verticalAxis()) == this;
    };
    const bool activeBound = std::any_of(
        series.begin(), series.end(), [&](ChartSeries* s) { return s && s->active() && bound(s); });
    double result = 0;
    bool found = false;
    for (const ChartSeries* s : series) {
        if (!s || (activeBound && !s->active()) || s->pointCount() == 0 || !bound(s))
            continue;
        const double v =
            horizontal_ ? (largest ? s->maxX() : s->minX()) : (largest ? s->maxY() : s->minY());
        if (!found || (largest ? v > result : v < result))
            result = v;
        found = true;
    }
    return result;
}

void AxisBase::adjustRange(const std::vector<ChartSeries*>& series) {
    // Stored without notifying: the range is part of the drawing pass.
    if (automatic_ || automaticMaximum_)
        maximum_ = seriesExtreme(series, true);
    if (automatic_ || automaticMinimum_)
        minimum_ = seriesExtreme(series, false);
    setScale(minimum_, maximum_);

    dateTimeMode_ = false;
    for (const ChartSeries* s : series) {
        if (s && s->active() && (horizontal_ ? s->horizontalAxis() : s->verticalAxis()) == this) {
            dateTimeMode_ = horizontal_ ? s->xValues().dateTime() : s->yValues().dateTime();
            break;
        }
    }
}

void AxisBase::adjustRangeTo(double minimum, double maximum) {
    if (automatic_ || automaticMaximum_)
        maximum_ = maximum;
    if (automatic_ || automaticMinimum_)
        minimum_ = minimum;
    setScale(minimum_, maximum_);
}

int AxisBase::tickAreaWidth() const {
    int w = (axisPen_.visible() ? axisPen_.width() : 0) + (ticks_.visible() ? tickLength_ : 0);
    if (minorTicks_.visible())
        w = std::max(w, minorTickLength_);
    return w;
}

void AxisBase::applySpace(Canvas& c, Rect& r) {
    // Sign +1 where the axis' side is the rectangle's left or top edge.
    const bool leading = horizontal_ ? otherSide_ : !otherSide_;
    int& edge = horizontal_ ? (otherSide_ ? r.top : r.bottom) : (otherSide_ ? r.right : r.left);
    const int sign = leading ? 1 : -1;

    // Sizes near the end of the int range must not wrap the edge around.
    auto move = [sign](int& e, long long by) { e = clampToInt(e + sign * by); };
    if (!title_.caption().empty()) {
        int size = titleSize_;
        if (size <= 0) {
            c.setFont(labelsFont_);
            size = c.textHeight(title_.caption());
        }
        move(edge, size);
    }
    if (labels_)
        move(edge, labelColumnWidth(c));
    // Set on every layout, labels or not, so that the shift below never piles up from one
    // pass to the next; without labels it marks where they would stand.
    labelsPos_ = edge;
    move(edge, tickAreaWidth());
    const int across = horizontal_ ? r.height() : r.width();
    move(labelsPos_, roundToInt(across * 0.01 * positionPercent_));
}

void AxisBase::setPixelSpan(const Rect& plot) {
    const int edge = horizontal_ ? plot.left : plot.top;
    const int size = horizontal_ ? plot.width() : plot.height();
    startPixel_ =
        clampToInt(edge + static_cast<long long>(roundToInt(size * 0.01 * startPosition_)));
    endPixel_ = clampToInt(edge + static_cast<long long>(roundToInt(size * 0.01 * endPosition_)));
    axisLength_ = clampToInt(static_cast<long long>(endPixel_) - startPixel_);
    centerPixel_ = clampToInt((static_cast<long long>(startPixel_) + endPixel_) / 2);
}

int AxisBase::valueToPixel(double v) const {
    if (scaleSpan_ == 0)
        return centerPixel_;
    const double t = (v - scaleMin_) * axisLength_ / scaleSpan_;
    if (!(std::fabs(t) < kPixelOffsetLimit))
        return centerPixel_;
    const long long r = static_cast<long long>(std::nearbyint(t));
    const bool fromStart = horizontal_ != inverted_;
    return fromStart ? clampToInt(startPixel_ + r) : clampToInt(endPixel_ - r);
}

bool AxisBase::mapsLinearly(double v) const {
    if (scaleSpan_ == 0)
        return false;
    const double t = (v - scaleMin_) * axisLength_ / scaleSpan_;
    return std::fabs(t) < kPixelOffsetLimit;
}

double AxisBase::pixelToValue(int p) const {
    if (axisLength_ < 1)
        return 0;
    const double d = double(inverted_ ? endPixel_ - p : p - startPixel_) * scaleSpan_ / axisLength_;
    return horizontal_ ? scaleMin_ + d : scaleMax_ - d;
}

std::string AxisBase::labelText(double v) const {
    return formatNumber(axisValuesFormat_, v);
}

int AxisBase::labelSizeAlong(Canvas& c, double v) const {
    c.setFont(labelsFont_);
    const std::vector<std::string> lines = textLines(labelText(v));
    const int lineHeight = c.textHeight("W") * int(lines.size());
    int widest = 0;
    for (const std::string& l : lines)
        widest = std::max(widest, c.textWidth(l));
    // Along a vertical axis an upright label takes its height, along a horizontal one its
    // width; rotated labels the other way round.
    return horizontal_ == upright(labelsAngle_) ? widest : lineHeight;
}

int AxisBase::maxLabelCount(Canvas& c) const {
    int size = std::max(labelSizeAlong(c, scaleMax_), labelSizeAlong(c, scaleMin_));
    if (size <= 0)
        return 1;
    if (labelsSeparation_ > 0)
        size += roundToInt(labelsSeparation_ * 0.01 * size);
    return roundToInt(double(axisLength_) / size);
}

double AxisBase::chooseLabelStep(int count) const {
    if (count < 1)
        return kMinLabelStep;
    double step = increment_ > 0 ? increment_ : (std::fabs(scaleSpan_) >= 1 ? 1.0 : kMinLabelStep);
    // A span without a finite size has no step that fits; leave the walk to refuse it.
    if (labelsSeparation_ > 0 && std::isfinite(scaleSpan_)) {
        double k = double(count) + 1;
        while (k > count && std::isfinite(step)) {
            const double q = scaleSpan_ / step;
            if (std::fabs(q) < kPixelOffsetLimit) {
                k = std::nearbyint(q);
                if (k > count)
                    step = nextNiceStep(step);
            } else {
                step = nextNiceStep(step);
            }
        }
    }
    return std::max(step, kMinLabelStep);
}

int AxisBase::labelColumnWidth(Canvas& c) const {
    if (labelsSize_ > 0)
        return labelsSize_;
    if (horizontal_ == upright(labelsAngle_)) {
        // Labels stacked across the axis: one label height.
        c.setFont(labelsFont_);
        if (clockLabels_)
            return c.textHeight("W") * 2;
        int lines = 1;
        for (double v : {scaleMin_, scaleMax_})
            lines = std::max(lines, int(textLines(labelText(v)).size()));
        return c.textHeight("W") * lines;
    }
    double a = scaleMin_, b = scaleMax_;
    if (roundFirstLabel_ || (dateTimeMode_ && exactDateTime_)) {
        const double step = chooseLabelStep(maxLabelCount(c));
        a = std::trunc(scaleMin_ / step) * step;
        b = std::trunc(scaleMax_ / step) * step;
    }
    c.setFont(labelsFont_);
    int widest = 0;
    for (double v : {b, a})
        for (const std::string& l : textLines(labelText(v)))
            widest = std::max(widest, c.textWidth(l));
    return widest + c.textWidth(" ");
}

void AxisBase::draw(Canvas& c, const Rect& plot, ColorValue panelColor) {
    const double shift = (horizontal_ ? plot.height() : plot.width()) * 0.01 * positionPercent_;
    const long long by = roundToInt(shift);
    if (horizontal_)
        axisLinePos_ = clampToInt(otherSide_ ? plot.top + by : plot.bottom - by);
    else
        axisLinePos_ = clampToInt(otherSide_ ? plot.right - by : plot.left + by);

    tickList_.clear();
    labelTexts_.clear();
    clockStep_ = 0;
    if (labelStyle_ != LabelStyle::talNone) {
        c.setFont(labelsFont_);
        c.setBrushStyle(BrushStyle::bsClear);
        c.setBrushColor(panelColor);
        // A clear brush means no box behind the text, whatever the canvas was left with;
        // otherwise a label would blot out whatever it overlaps in the panel colour.
        c.setBackMode(BackMode::Transparent);
        if (clockLabels_)
            drawClockLabels(c);
        else
            drawValueLabels(c, chooseLabelStep(maxLabelCount(c)));
    }
    drawTicks(c, plot);
}

void AxisBase::drawValueLabels(Canvas& c, double step) {
    if (!(std::fabs(scaleSpan_ / step) < kMaxLabelSteps))
        return;
    double v = (scaleMin_ == scaleMax_ || !roundFirstLabel_) ? scaleMax_
                                                             : std::trunc(scaleMax_ / step) * step;
    while (v > scaleMax_) {
        const double next = v - step;
        if (next == v)
            return;
        v = next;
    }
    const double limit = double((static_cast<long double>(scaleMin_) - 1e-12L) / 1.000000000001L);
    c.setFont(labelsFont_);
    const int textHeight = c.textHeight("W");
    lastLabelPos_ = INT_MIN;
    lastLabelText_.clear();
    while (v >= limit) {
        drawLabel(c, v, textHeight);
        // Steps too small for the value (equal readings of 16384 and more) would never
        // get below the limit.
        const double next = v - step;
        if (next == v)
            break;
        v = next;
    }
    c.setTextAlign(HAlign::Left, VAlign::Top);
}

std::int64_t AxisBase::localTime(std::int64_t utcMs) const {
    return utcMs + (clockOffset_ ? clockOffset_(utcMs) : systemLocalOffset(utcMs));
}

std::string AxisBase::effectiveDateFormat() const {
    if (!clockDateFormat_.empty())
        return clockDateFormat_;
    return QLocale().dateFormat(QLocale::ShortFormat).toStdString();
}

void AxisBase::drawClockLabels(Canvas& c) {
    if (!std::isfinite(scaleMin_) || !std::isfinite(scaleMax_) || std::fabs(scaleMin_) > 1e17 ||
        std::fabs(scaleMax_) > 1e17)
        return;
    c.setFont(labelsFont_);
    const int textHeight = c.textHeight("W");
    const std::string pattern = effectiveDateFormat();
    const LocalOffset offset = clockOffset_ ? clockOffset_ : LocalOffset(systemLocalOffset);
    lastLabelPos_ = INT_MIN;
    lastLabelText_.clear();
    std::vector<ClockLabel> labels;
    if (scaleSpan_ == 0) {
        // One moment: its own label, in the middle.
        const auto t = static_cast<std::int64_t>(std::llround(scaleMin_));
        labels.push_back(ClockLabel{t, clockTimeText(localTime(t), true) + "\n" +
                                           clockDateText(localTime(t), pattern)});
    } else {
        const double span = std::fabs(scaleSpan_);
        const bool seconds = clockShowsSeconds(span);
        const int timeWidth = c.textWidth(seconds ? "00:00:00" : "00:00");
        const int dateWidth =
            c.textWidth(clockDateText(localTime(static_cast<std::int64_t>(scaleMin_)), pattern));
        // Times read best with room between them: at least half a label's width.
        clockStep_ = chooseClockStep(span, axisLength_, timeWidth, dateWidth,
                                     std::max(labelsSeparation_, kClockLabelSeparation));
        labels = kv::clockLabels(std::min(scaleMin_, scaleMax_), std::max(scaleMin_, scaleMax_),
                                 clockStep_, seconds, pattern, offset);
    }
    for (const ClockLabel& l : labels)
        drawLabelAt(
            c, valueToPixel(double(l.utcMs)), [&l] { return l.text; }, textHeight);
    c.setTextAlign(HAlign::Left, VAlign::Top);
}

void AxisBase::drawLabel(Canvas& c, double v, int textHeight) {
    drawLabelAt(
        c, valueToPixel(v), [&] { return labelText(v); }, textHeight);
}

template <typename Text>
void AxisBase::drawLabelAt(Canvas& c, int pos, Text&& textOf, int textHeight) {
    if (!labelsOnAxis_ && !(pos > startPixel_ && pos < endPixel_))
        return;
    if (!tickOnLabelsOnly_)
        addTick(pos);
    if (!labels_)
        return;
    if (tickOnLabelsOnly_)
        addTick(pos);
    const std::string text = textOf();
    // The walk may meet one value many times over (equal readings); the same text on the
    // same place needs drawing once.
    if (pos == lastLabelPos_ && text == lastLabelText_)
        return;
    lastLabelPos_ = pos;
    lastLabelText_ = text;
    labelTexts_.push_back(text);

    const std::vector<std::string> lines = textLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const long long step = static_cast<long long>(i) * textHeight;
        if (horizontal_) {
            c.setTextAlign(HAlign::Center, otherSide_ ? VAlign::Bottom : VAlign::Top);
            c.textOut(pos, clampToInt(labelsPos_ + step), lines[i]);
        } else {
            c.setTextAlign(otherSide_ ? HAlign::Left : HAlign::Right, VAlign::Top);
            c.textOut(labelsPos_, clampToInt(pos - textHeight / 2 + step), lines[i]);
        }
    }
    c.setTextAlign(HAlign::Left, VAlign::Top);
}

void AxisBase::addTick(int pos) {
    if (int(tickList_.size()) < kMaxTicks)
        tickList_.push_back(pos);
}

// A line across the axis at `pos`, starting `from` pixels off the axis line and running
// `length` pixels on (negative lengths run towards the left or top).
void AxisBase::tickLine(Canvas& c, int pos, int from, int length) {
    const long long start = static_cast<long long>(axisLinePos_) + from;
    const int a = clampToInt(start), b = clampToInt(start + length);
    if (horizontal_)
        c.line(pos, a, pos, b);
    else
        c.line(a, pos, b, pos);
}

void AxisBase::gridLine(Canvas& c, const Rect& plot, int pos) {
    if (horizontal_)
        c.line(pos, plot.top, pos, plot.bottom);
    else
        c.line(plot.left, pos, plot.right, pos);
}

void AxisBase::drawTicks(Canvas& c, const Rect& plot) {
    // Outward is towards the labels: left and top negative, right and bottom positive.
    const int out = (horizontal_ != otherSide_) ? 1 : -1;

    if (axisPen_.visible()) {
        axisPen_.applyTo(c);
        if (horizontal_)
            c.line(startPixel_, axisLinePos_, endPixel_, axisLinePos_);
        else
            c.line(axisLinePos_, startPixel_, axisLinePos_, endPixel_);
    }

    // Several entries may share one position (a value met many times by the walk).
    auto eachDistinct = [](const std::vector<int>& list, auto&& f) {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (i == 0 || list[i] != list[i - 1])
                f(list[i]);
    };

    if (ticks_.visible()) {
        ticks_.applyTo(c);
        eachDistinct(tickList_, [&](int p) { tickLine(c, p, out, out * tickLength_); });
    }

    if (grid_.visible()) {
        c.setBrushStyle(BrushStyle::bsClear);
        c.setBackMode(BackMode::Transparent);
        grid_.applyTo(c);
        if (grid_.color() == ColorDefault)
            c.setPenColor(clGray);
        if (gridCentered_) {
            std::vector<int> mids;
            for (std::size_t i = 1; i < tickList_.size(); ++i)
                mids.push_back(roundToInt((tickList_[i - 1] + tickList_[i]) / 2.0));
            eachDistinct(mids, [&](int p) { gridLine(c, plot, p); });
        } else {
            eachDistinct(tickList_, [&](int p) { gridLine(c, plot, p); });
        }
        c.setBackMode(BackMode::Opaque);
    }

    if (ticksInner_.visible()) {
        ticksInner_.applyTo(c);
        eachDistinct(tickList_, [&](int p) { tickLine(c, p, -out, -out * tickInnerLength_); });
    }

    // Clock steps do not divide into quarters that mean anything.
    if (!tickList_.empty() && !clockLabels_) {
        const std::vector<int> minor = minorTickPositions();
        if (minorTicks_.visible()) {
            minorTicks_.applyTo(c);
            eachDistinct(minor, [&](int p) { tickLine(c, p, out, out * minorTickLength_); });
        }
        if (minorGrid_.visible()) {
            minorGrid_.applyTo(c);
            eachDistinct(minor, [&](int p) { gridLine(c, plot, p); });
        }
    }
}

std::vector<int> AxisBase::minorTickPositions() const {
    std::vector<int> out;
    const std::vector<int>& t = tickList_;
    // More minor ticks than the axis has pixels only land on the same pixels again; the
    // count is held there, so an absurd count costs no more than a pixel each.
    const int n = int(std::min<long long>(minorTickCount_, std::max(axisLength_, 0) + 1LL));
    auto add = [&](long long p) {
        if (p > startPixel_ && p < endPixel_)
            out.push_back(int(p));
    };
    if (t.size() >= 2) {
        for (int j = 1; j <= n; ++j) {
            const long long d = roundToInt((double(t[1]) - t[0]) / (n + 1.0) * j);
            add(t[0] - d);
            add(t.back() + d);
        }
    }
    for (std::size_t i = 1; i < t.size(); ++i)
        for (int j = 1; j <= n; ++j)
            add(t[i] - static_cast<long long>(
                           roundToInt(double(j) * (double(t[i]) - t[i - 1]) / (n + 1.0))));
    return out;
}

// ---------------------------------------------------------------------------------------

ChartAxis::ChartAxis(bool horizontal, bool otherSide) : AxisBase(horizontal, otherSide) {
    if (!horizontal)
        title().setAngle(otherSide ? 270 : 90);
}

ChartDepthAxis::ChartDepthAxis() : AxisBase(false, false) {
    setVisible(false);
}

void ChartDepthAxis::setPixelSpan(const Rect&) {
    // No depth in a flat chart.
    AxisBase::setPixelSpan(Rect{});
}

} // namespace kv
