#include "gauges/value_indicator.h"

namespace kv {

ValueIndicator::ValueIndicator(QWidget* parent, bool designing)
    : GaugeControl(parent, model_), model_(nullptr, designing) {
    attach();
    resize(67, 48);
    if (designing)
        model_.loaded();
}

ValueIndicator::~ValueIndicator() = default;

void ValueIndicator::paint(Canvas& canvas, const Rect& rect) const {
    paintIndicator(canvas, rect, model_);
}

void ValueIndicator::prepareFace() {
    GaugeControl::prepareFace();
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    Canvas canvas(scratch);
    layout_.metrics = measureIndicator(model_, canvas);
    const Bevel& outer = model_.bevelOuter();
    layout_.needed =
        indicatorNeededSize(layout_.metrics, model_.options(), outer.bevelSize(),
                            model_.bevelInner().bevelSize(), model_.bevelValue().bevelSize());
    const Size size =
        indicatorBounds(Size{faceWidth(), faceHeight()}, layout_.needed, model_.autoSize());
    if (size.width != faceWidth() || size.height != faceHeight())
        resizeFace(size.width, size.height);
}

void ValueIndicator::paintFace(Canvas& canvas, const Rect& rect) {
    // Only the face's own layout is kept, for the fast path.
    layout_ = layoutIndicator(model_, measureIndicator(model_, canvas), rect);
    paintIndicatorFrame(canvas, model_, layout_);
    drawnLeft_ = std::numeric_limits<int>::max();
    if (layout_.field.width() <= 0 || layout_.field.height() <= 0)
        return;
    const FieldText text = fieldTextIn(model_, canvas, layout_.field, layout_.growLimit);
    paintValueField(canvas, model_, text);
    drawnLeft_ = text.drawn.left;
}

void ValueIndicator::showValue() {
    if (!visibleProperty() && !designing()) {
        // The face keeps the old digits; showing the control again must not put them
        // on screen, so the next paint redraws everything.
        if (!paintingFace())
            invalidate();
        return;
    }
    // A full paint is due, or its layout no longer fits the face: it shows the value.
    if (!faceCurrent())
        return;
    const Rect& field = layout_.field;
    if (field.width() <= 0 || field.height() <= 0)
        return;
    Rect shown;
    {
        // The text is measured on the face it goes to.
        Canvas face(faceImage());
        const FieldText text = fieldTextIn(model_, face, field, layout_.growLimit);
        // A narrower text than the one on show: the wider one's pixels go with a full paint.
        if (text.drawn.left > drawnLeft_) {
            invalidate();
            return;
        }
        shown = paintValueField(face, model_, text);
        drawnLeft_ = text.drawn.left;
    } // the picture is in the face before it goes on screen
    showFace(shown);
}

} // namespace kv
