#pragma once

#include "app/readout_model.h"
#include "app/readout_painter.h"
#include "canvas/face_widget.h"

namespace kv {

// A window of its own, without a frame, that shows the readout over a whole screen: its
// model drawn by the readout's painter, sharp at the screen's resolution; its face is
// zoomed so that the trend's chart keeps the proportions it has in a window. F11 and
// Escape ask to leave it.
class ReadoutWidget : public FaceWidget {
    Q_OBJECT
public:
    ReadoutWidget();

    ReadoutModel& model() { return model_; }
    const ReadoutModel& model() const { return model_; }
    // Draws the trend; set before the readout is shown.
    void setTrendPainter(TrendPainter trend);
    // What the trend shows has changed.
    void trendChanged() { invalidate(); }
    // Covers `screen` (its whole geometry) and takes the keyboard.
    void showOn(QScreen& screen);

signals:
    void leaveRequested();

protected:
    void paintFace(Canvas& canvas, const Rect& rect) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ReadoutModel model_;
    TrendPainter trend_;
};

} // namespace kv
