#pragma once

#include "canvas/canvas.h"
#include "canvas/face_widget.h"
#include "levelbar/bar_geometry.h"

#include <QWidget>
#include <functional>

namespace kv {

// Range, position and the painting skeleton of a progress bar.
//
// Position always lies within min()..max(). A change of what is shown only invalidates the
// control; the next paint event draws the face through paint() and copies it to the screen.
// The face is opaque: when the range is empty nothing is drawn and the face keeps what it
// showed before. Its rounded corners show the parent's colour, so it follows palette and
// parent changes.
class ProgressBarBase : public FaceWidget {
public:
    explicit ProgressBarBase(QWidget* parent = nullptr);
    ~ProgressBarBase() override;

    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    BarOrientation orientation() const { return orientation_; }
    ColorValue color() const { return color_; } // the empty trough
    int stepAmount() const { return stepAmount_; }

    void setMin(int value);
    void setMax(int value);
    void setPosition(int value);
    // Swaps width and height unless the control is still being loaded.
    void setOrientation(BarOrientation value);
    void setColor(ColorValue value);

    // Position by the step amount, or by `delta`, kept within the range.
    virtual void step();
    virtual void stepBy(int delta);

    // While loading, stored sizes are taken as they are (no swap on an orientation change).
    void setLoading(bool loading) { loading_ = loading; }
    bool loading() const { return loading_; }

    // Raised when the range or the position changes.
    std::function<void()> onChange;

    // Draws the control as it is now into `rect` of any canvas; `rect` stands for the whole
    // control. Nothing at all is drawn for an empty range or an empty rectangle. The rounded
    // corners show backgroundColor().
    void paint(Canvas& canvas, const Rect& rect);

protected:
    // Draws the bar for the filled length `length` (pixels of the full extent).
    virtual void drawBar(Canvas& canvas, const Rect& rect, int length) = 0;
    // The length the whole range maps to: the width or the height of `rect`.
    virtual int fullExtent(const Rect& rect) const;
    // The part of the control in `rect` that differs between the filled lengths `from` and
    // `to`: all of it unless the look says less.
    virtual Rect changedPart(const Rect& rect, int from, int to) const;
    virtual void change();

    void paintFace(Canvas& canvas, const Rect& rect) override { paint(canvas, rect); }

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    BarOrientation orientation_ = BarOrientation::pbHorizontal;
    ColorValue color_ = clWindow;
    int stepAmount_ = 7;
    bool loading_ = false;
};

// The look: a rounded three-tone grey frame around a trough holding 6-pixel gradient
// blocks (or one smooth gradient bar), bright along the long edges, dark in the middle.
class GradientProgressBar : public ProgressBarBase {
public:
    explicit GradientProgressBar(QWidget* parent = nullptr);

    ColorValue barColorFrom() const { return barColorFrom_; } // along the middle
    ColorValue barColorTo() const { return barColorTo_; }     // along the long edges
    bool smooth() const { return smooth_; }

    void setBarColorFrom(ColorValue value);
    void setBarColorTo(ColorValue value);
    void setSmooth(bool value);

protected:
    void drawBar(Canvas& canvas, const Rect& rect, int length) override;
    Rect changedPart(const Rect& rect, int from, int to) const override;

private:
    void gradientBlock(Canvas& canvas, const Rect& r, ColorValue from, ColorValue to) const;

    ColorValue barColorFrom_ = 0x31D329;
    ColorValue barColorTo_ = 0xADEFAD;
    bool smooth_ = false;
};

// The level bar control: 150 pixels long, as high as a scroll bar arrow, range 0..100,
// green blocks on the window colour.
class LevelBar : public GradientProgressBar {
public:
    explicit LevelBar(QWidget* parent = nullptr);
};

} // namespace kv
