#pragma once

#include "gauges/analog_gauge.h"
#include "gauges/bevel.h"

#include <limits>
#include <string>

namespace kv {

enum class ValueIndicatorOption { opBevelInner, opBevelOuter, opName1, opName2, opUnit };
using ValueIndicatorOptions = EnumSet<ValueIndicatorOption>;

// The text sizes the indicator's layout is computed from.
struct IndicatorMetrics {
    int name1Width = 0, name1Height = 0;
    int name2Width = 0, name2Height = 0;
    int sampleWidth = 0, valueHeight = 0; // the picture format's sample in the value font
    int unitWidth = 0;                    // 0 when the unit is not shown
};

// The size the content asks for. The bevel sizes are those of each side; the outer and
// inner bevels count only when their options are set. The value height also stands for
// the margins of a third of it on either side of the value.
Size indicatorNeededSize(const IndicatorMetrics& m, ValueIndicatorOptions options,
                         int outerBevelSize, int innerBevelSize, int valueBevelSize);
// The control's size after the size calculation: the needed size with automatic sizing,
// otherwise the current size grown (never shrunk) to fit.
Size indicatorBounds(Size current, Size needed, bool autoSize);

// Shows the current reading as large right-aligned digits in a coloured field, optionally
// with its unit to the right, two name lines below and two bevels around everything.
// A new value redraws only the value field, off screen and in one piece, before the
// setter returns; settings changes invalidate the whole control.
//
// No digit is ever hidden: a text wider than the field sampled from the picture format
// takes the free width to the field's left (the field grows leftwards, the text keeps its
// right edge), and only where that is too narrow as well is it drawn in a smaller size of
// the value font.
class ValueIndicator : public AnalogGauge {
public:
    explicit ValueIndicator(QWidget* parent = nullptr, bool designing = false);
    ~ValueIndicator() override;

    bool autoSize() const { return autoSize_; }
    // The value and the unit are drawn in this font; the unit takes font()'s colour.
    const FontSpec& fontValue() const { return fontValue_; }
    Bevel& bevelInner() { return bevelInner_; }
    Bevel& bevelOuter() { return bevelOuter_; }
    Bevel& bevelValue() { return bevelValue_; }
    const Bevel& bevelInner() const { return bevelInner_; }
    const Bevel& bevelOuter() const { return bevelOuter_; }
    const Bevel& bevelValue() const { return bevelValue_; }
    ValueIndicatorOptions options() const { return options_; }
    // The meter shows an overload: "OL" stands in place of the digits, the value stays.
    bool overload() const { return overload_; }
    // A positive value is shown with a "+" before it (a difference, say). Like a minus, the
    // sign takes room to the field's left and leaves the field sampled from the format.
    bool plusSign() const { return plusSign_; }

    void setAutoSize(bool on);
    void setFontValue(const FontSpec& f);
    void setOptions(ValueIndicatorOptions s);
    // Redraws the value field at once, like a new value.
    void setOverload(bool on);
    // Redraws the value field at once, like a new value.
    void setPlusSign(bool on);

    void loaded() override;
    void paint(Canvas& canvas, const Rect& rect) override;

    // Text metrics and needed size as of the last measuring (every paint measures).
    const IndicatorMetrics& metrics() const { return metrics_; }
    Size neededSize() const { return needed_; }
    // The text the value field shows: the value in its picture format (with "+" before a
    // positive one that does not look like zero, with plusSign()), "OL" during an overload,
    // the format's sample while designing.
    std::string fieldText() const;
    // The area of the face the value text is drawn in, as of the last full paint (the
    // field as the picture format's sample sizes it; a wider text grows it to the left).
    Rect valueRect() const { return valueRect_; }

protected:
    void settingsChange() override;
    // The inherited per-value update, then the redraw of the value field.
    void valueChange() override;
    void prepareFace() override;

private:
    void measure(Canvas& canvas);
    // The field redraw for a new value or overload state: at once, or by a full paint
    // where the fast path cannot show it.
    void showValueField();
    void drawValueField();

    bool autoSize_ = true;
    FontSpec fontValue_;
    Bevel bevelInner_;
    Bevel bevelOuter_;
    Bevel bevelValue_;
    ValueIndicatorOptions options_ = {ValueIndicatorOption::opName1, ValueIndicatorOption::opName2,
                                      ValueIndicatorOption::opUnit};

    bool overload_ = false;
    bool plusSign_ = false;

    IndicatorMetrics metrics_;
    Size needed_;
    Rect valueRect_;
    // How far left the field may grow on the face: the left edge of the bevels' content.
    int growLimit_ = 0;
    // The left edge of the field as last drawn on the face. A narrower text cannot uncover
    // what lay under a grown field, so it leaves the redraw to a full paint.
    int drawnLeft_ = std::numeric_limits<int>::max();
    // Where paint() wants the field while it runs the per-value update.
    Canvas* paintCanvas_ = nullptr;
    Rect paintField_;
    int paintGrowLimit_ = 0;
};

} // namespace kv
