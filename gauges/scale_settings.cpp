#include "gauges/scale_settings.h"

#include "core/rounding.h"
#include "format/number_format.h"
#include "gauges/rotation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

// Exponent of the power of ten nearest to x; non-positive bounds count as decade 0 so that a
// half-configured logarithmic range still lays out instead of producing an undefined exponent.
int nearestDecade(double x) {
    if (!(x > 0))
        return 0;
    return roundToInt(std::log10(x));
}

// The label value is read back from its "1e<exp>" text, so 10^e is exactly the number that
// text denotes rather than an accumulated power.
double powerOfTen(int exponent) {
    const std::string text = "1e" + std::to_string(exponent);
    return std::strtod(text.c_str(), nullptr);
}

std::vector<std::string> splitLabels(const std::string& list) {
    std::vector<std::string> out;
    std::string::size_type start = 0;
    while (start < list.size()) {
        const auto end = list.find(';', start);
        if (end == std::string::npos) {
            out.push_back(list.substr(start));
            break;
        }
        out.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

} // namespace

int scaleLineWidth(int labelHeight) {
    return roundToInt(labelHeight / 14.0);
}

int scaleLabelMargin(int labelWidth, int labelHeight) {
    return std::max(labelWidth, labelHeight) / 2 + 1;
}

LogScaleRange logScaleRange(double valueFrom, double valueTo, int steps) {
    LogScaleRange r;
    r.decadeFrom = nearestDecade(valueFrom);
    r.decadeTo = nearestDecade(valueTo);
    const int d = r.decadeTo - r.decadeFrom;
    r.steps = 1;
    if (d != 0) {
        for (int k = std::max(steps, 1); k >= 2; --k) {
            if (d % k == 0) {
                r.steps = k;
                break;
            }
        }
    }
    return r;
}

std::vector<std::string> linearScaleLabels(float valueFrom, float valueTo, int steps,
                                           const std::string& format) {
    std::vector<std::string> out;
    if (steps < 1)
        return out;
    const float step = float((double(valueFrom) - double(valueTo)) / steps);
    for (int i = 0; i <= steps; ++i) {
        const double value = double(valueTo) + double(steps - i) * double(step);
        out.push_back(formatNumber(format, value));
    }
    return out;
}

std::vector<std::string> logScaleLabels(const LogScaleRange& range, const std::string& format) {
    std::vector<std::string> out;
    const int d = range.decadeTo - range.decadeFrom;
    const int b = d / std::max(range.steps, 1);
    int e = range.decadeFrom;
    out.push_back(formatNumber(format, powerOfTen(e)));
    while (e < range.decadeTo && b > 0) {
        e += b;
        out.push_back(formatNumber(format, powerOfTen(e)));
    }
    return out;
}

ScaleLayout layoutScale(const ScaleLayoutInput& in) {
    ScaleLayout L;
    const Rect& r = in.rect;
    const int m = in.labelMargin;
    const int w = in.labelWidth;
    const int h = in.labelHeight;
    const int lw = in.lineWidth;
    const int n = std::max(in.steps, 1);
    const int subSteps = std::max(in.subSteps, 1);

    // Worked out in 64 bits and held to the int range: a rectangle or labels near the ends
    // of the range must not wrap the circle around.
    using W = long long;
    Point c{clampToInt(r.left + r.width() / 2LL), clampToInt(r.top + r.height() / 2LL)};
    const int R = clampToInt((W(r.width()) - 2 * W(m)) / 2 - w / 2 + m);
    L.radius = R;
    L.tickLength = R / 8;
    L.subTickLength = lw == 1 ? L.tickLength / 2 : roundToInt(L.tickLength / 1.4);
    c.y = clampToInt(W(r.top) + R + h / 2);
    L.center = c;

    const W half = w / 2 + lw / 2;
    Rect p;
    p.left = clampToInt(W(c.x) - R + half);
    p.top = clampToInt(W(c.y) - R + half);
    p.right = clampToInt(W(c.x) + R - w / 2 + lw / 2 - 1);
    p.bottom = clampToInt(W(c.y) + R - w / 2 + lw / 2 - 1);

    const float subAngle = float(double(in.sweepAngle) / (subSteps * n));
    const float mainAngle = float(subSteps * double(subAngle));

    const W top = W(c.y) - R;
    const Point po = rotatePoint({c.x, clampToInt(top + m)}, c, in.startAngle);
    const Point pi = rotatePoint({c.x, clampToInt(top + m + L.tickLength)}, c, in.startAngle);
    const Point ps =
        rotatePoint({c.x, clampToInt(top + m + L.tickLength - L.subTickLength)}, c, in.startAngle);
    const Point pl = rotatePoint({c.x, clampToInt(top)}, c, in.startAngle);

    auto mainTick = [&](double a) {
        return ScaleMainTick{a, rotatePoint(po, c, a), rotatePoint(pi, c, a),
                             rotatePoint(pl, c, a)};
    };

    const float logFactor = float(10.0 / subSteps);
    for (int i = 0; i < n; ++i) {
        L.mainTicks.push_back(mainTick(double(i) * double(mainAngle)));
        for (int j = 1; j < subSteps; ++j) {
            int g;
            if (in.logMode)
                g = roundToInt(std::log10(j * double(logFactor)) * double(mainAngle) +
                               i * double(mainAngle));
            else
                g = roundToInt(i * double(mainAngle) + j * double(subAngle));
            L.subTicks.push_back({g, rotatePoint(pi, c, g), rotatePoint(ps, c, g)});
        }
    }
    const ScaleMainTick closing = mainTick(in.sweepAngle);
    L.mainTicks.push_back(closing);
    L.closingLabel = in.sweepAngle != 360;

    L.arcRect = shrinkRect(p, L.tickLength);
    L.arcRect.bottom = clampToInt(L.arcRect.bottom + 1LL);
    L.arcStart = closing.inner;
    L.arcEnd = po;

    if (lw == 1) {
        p.left = clampToInt(p.left + 1LL);
        p.top = clampToInt(p.top + 1LL);
    }
    L.pointerArea = p;
    return L;
}

ScaleSettings::ScaleSettings() {
    font_.name = "Arial";
    font_.height = 0;
    font_.size = 14;
}

void ScaleSettings::setColor(ColorValue c) {
    assignIfChanged(color_, c);
}
void ScaleSettings::setPointerColor(ColorValue c) {
    assignIfChanged(pointerColor_, c);
}

void ScaleSettings::setDrawLine(bool on) {
    drawLine_ = on;
    change();
}

void ScaleSettings::setFont(const FontSpec& f) {
    font_ = f;
    change();
}

void ScaleSettings::editFont(const std::function<void(FontSpec&)>& edit) {
    if (edit)
        edit(font_);
    change();
}

void ScaleSettings::setPosLeftTop(bool on) {
    assignIfChanged(posLeftTop_, on);
}

void ScaleSettings::setSteps(int n) {
    if (n < 1 || n > 20)
        return;
    steps_ = n;
    change();
}

void ScaleSettings::setSubSteps(int n) {
    if (n < 1 || n > 10)
        return;
    subSteps_ = n;
    change();
}

void ScaleSettings::setValueFormat(const std::string& f) {
    assignIfChanged(valueFormat_, f);
}
void ScaleSettings::setValueFormatLog(const std::string& f) {
    assignIfChanged(valueFormatLog_, f);
}

void ScaleSettings::assign(const ScaleSettings& o) {
    setColor(o.color_);
    setDrawLine(o.drawLine_);
    setFont(o.font_);
    setPointerColor(o.pointerColor_);
    setPosLeftTop(o.posLeftTop_);
    setSteps(o.steps_);
    setSubSteps(o.subSteps_);
    setValueFormat(o.valueFormat_);
    setValueFormatLog(o.valueFormatLog_);
}

ScaleLabels ScaleSettings::measureLabels(Canvas& canvas, float valueFrom, float valueTo) const {
    canvas.setFont(font_);
    canvas.setPenColor(color_);

    ScaleLabels out;
    std::vector<std::string> labels;
    if (logMode_) {
        out.logRange = logScaleRange(valueFrom, valueTo, steps_);
        labels = logScaleLabels(out.logRange, valueFormatLog_);
    } else {
        out.logRange = logRange_;
        labels = linearScaleLabels(valueFrom, valueTo, steps_, valueFormat_);
    }
    for (const auto& l : labels)
        out.list += l + ";";

    out.height = canvas.textHeight(out.list);
    for (const auto& l : labels)
        out.width = std::max(out.width, canvas.textWidth(l));
    out.lineWidth = scaleLineWidth(out.height);
    out.margin = scaleLabelMargin(out.width, out.height);
    return out;
}

ScaleLayout ScaleSettings::layout(const ScaleLabels& labels, const Rect& r, int startAngle,
                                  int sweepAngle) const {
    ScaleLayoutInput in;
    in.rect = r;
    in.labelWidth = labels.width;
    in.labelHeight = labels.height;
    in.labelMargin = labels.margin;
    in.lineWidth = labels.lineWidth;
    in.steps = logMode_ ? labels.logRange.steps : steps_;
    in.subSteps = subSteps_;
    in.logMode = logMode_;
    in.startAngle = startAngle;
    in.sweepAngle = sweepAngle;
    return layoutScale(in);
}

void ScaleSettings::paintScale(Canvas& canvas, const ScaleLayout& L,
                               const ScaleLabels& labels) const {
    canvas.setFont(font_);
    canvas.setPenColor(color_);
    canvas.setBrushStyle(BrushStyle::bsClear);
    canvas.setBackMode(BackMode::Transparent);
    canvas.setTextAlign(HAlign::Left, VAlign::Top);

    const std::vector<std::string> texts = splitLabels(labels.list);
    std::size_t next = 0;
    auto printLabel = [&](Point at) {
        const std::string text = next < texts.size() ? texts[next] : std::string();
        ++next;
        if (text.empty())
            return;
        const Size e = canvas.textExtent(text);
        canvas.textOut(clampToInt(at.x - e.width / 2LL), clampToInt(at.y - e.height / 2LL), text);
    };

    const int subPerMain = std::max(subSteps_ - 1, 0);
    for (std::size_t i = 0; i + 1 < L.mainTicks.size(); ++i) {
        const ScaleMainTick& t = L.mainTicks[i];
        canvas.setPenWidth(labels.lineWidth);
        printLabel(t.label);
        canvas.line(t.outer.x, t.outer.y, t.inner.x, t.inner.y);
        canvas.setPenWidth(1);
        for (int j = 0; j < subPerMain; ++j) {
            const ScaleSubTick& s = L.subTicks[i * subPerMain + j];
            canvas.line(s.inner.x, s.inner.y, s.outer.x, s.outer.y);
        }
    }
    const ScaleMainTick& closing = L.mainTicks.back();
    if (L.closingLabel)
        printLabel(closing.label);
    canvas.setPenWidth(labels.lineWidth);
    canvas.line(closing.outer.x, closing.outer.y, closing.inner.x, closing.inner.y);
    canvas.setPenWidth(1);
}

void ScaleSettings::keep(const ScaleLabels& labels) {
    logRange_ = labels.logRange;
    labelList_ = labels.list;
    labelWidth_ = labels.width;
    labelHeight_ = labels.height;
    lineWidth_ = labels.lineWidth;
    labelMargin_ = labels.margin;
}

void ScaleSettings::keep(const ScaleLayout& L) {
    tickLength_ = L.tickLength;
    subTickLength_ = L.subTickLength;
    dialCenter_ = L.center;
    arcRect_ = L.arcRect;
    arcStart_ = L.arcStart;
    arcEnd_ = L.arcEnd;
}

ScaleLabels ScaleSettings::labels() const {
    ScaleLabels l;
    l.logRange = logRange_;
    l.list = labelList_;
    l.width = labelWidth_;
    l.height = labelHeight_;
    l.lineWidth = lineWidth_;
    l.margin = labelMargin_;
    return l;
}

void ScaleSettings::prepareScale(Canvas& canvas, float valueFrom, float valueTo) {
    keep(measureLabels(canvas, valueFrom, valueTo));
}

void ScaleSettings::drawScale(Canvas& canvas, Rect& r, int startAngle, int sweepAngle) {
    const ScaleLabels kept = labels();
    const ScaleLayout L = layout(kept, r, startAngle, sweepAngle);
    paintScale(canvas, L, kept);
    keep(L);
    r = L.pointerArea;
}

} // namespace kv
