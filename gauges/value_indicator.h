#pragma once

#include "gauges/gauge_control.h"
#include "gauges/indicator_model.h"
#include "gauges/indicator_painter.h"

#include <limits>
#include <string>

namespace kv {

// Shows the current reading as large right-aligned digits in a coloured field, optionally
// with its unit to the right, two name lines below and two bevels around everything: the
// widget that owns the indicator's model, draws its face with the indicator's painter and
// keeps it. A new value redraws only the value field, off screen and in one piece, before
// the setter returns; settings changes invalidate the whole control.
//
// No digit is ever hidden: a text wider than the field sampled from the picture format
// takes the free width to the field's left (the field grows leftwards, the text keeps its
// right edge), and only where that is too narrow as well is it drawn in a smaller size of
// the value font.
class ValueIndicator : public GaugeControl {
public:
    explicit ValueIndicator(QWidget* parent = nullptr, bool designing = false);
    ~ValueIndicator() override;

    IndicatorModel& model() { return model_; }
    const IndicatorModel& model() const { return model_; }
    // Where the program hands the indicator on as a gauge, its model goes.
    operator IndicatorModel&() { return model_; }

    // The model's interface, as the program uses it on the control.
    bool autoSize() const { return model_.autoSize(); }
    const FontSpec& fontValue() const { return model_.fontValue(); }
    Bevel& bevelInner() { return model_.bevelInner(); }
    Bevel& bevelOuter() { return model_.bevelOuter(); }
    Bevel& bevelValue() { return model_.bevelValue(); }
    const Bevel& bevelInner() const { return model_.bevelInner(); }
    const Bevel& bevelOuter() const { return model_.bevelOuter(); }
    const Bevel& bevelValue() const { return model_.bevelValue(); }
    ValueIndicatorOptions options() const { return model_.options(); }
    bool overload() const { return model_.overload(); }
    bool plusSign() const { return model_.plusSign(); }
    std::string fieldText() const { return model_.fieldText(); }
    void setAutoSize(bool on) { model_.setAutoSize(on); }
    void setFontValue(const FontSpec& f) { model_.setFontValue(f); }
    void setOptions(ValueIndicatorOptions s) { model_.setOptions(s); }
    void setOverload(bool on) { model_.setOverload(on); }
    void setPlusSign(bool on) { model_.setPlusSign(on); }
    void loaded() { model_.loaded(); }

    // The indicator as it is now into `rect` of any canvas; the control is not changed.
    void paint(Canvas& canvas, const Rect& rect) const;

    // Text metrics and needed size as of the last measuring (every full paint measures).
    const IndicatorMetrics& metrics() const { return layout_.metrics; }
    Size neededSize() const { return layout_.needed; }
    // The area of the face the value text is drawn in, as of the last full paint (the
    // field as the picture format's sample sizes it; a wider text grows it to the left).
    Rect valueRect() const { return layout_.field; }

protected:
    void paintFace(Canvas& canvas, const Rect& rect) override;
    void prepareFace() override;
    void showValue() override;

private:
    IndicatorModel model_;
    // The layout of the face as last drawn, for the value field's fast path.
    IndicatorLayout layout_;
    // The left edge of the field as last drawn on the face. A narrower text cannot uncover
    // what lay under a grown field, so it leaves the redraw to a full paint.
    int drawnLeft_ = std::numeric_limits<int>::max();
};

} // namespace kv
