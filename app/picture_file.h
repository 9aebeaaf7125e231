#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

namespace kv {

class FaceWidget;

// How a picture file is written, from its name: "*.svg" an SVG drawing, "*.pdf" a PDF page,
// anything else a PNG; a PNG named "*@2x.png" or "*@3x.png" has two or three pixels for each
// of the picture's (as for a screen at that ratio), every other one pixel for each.
struct PictureFormat {
    enum class Kind { png, svg, pdf };
    Kind kind = Kind::png;
    int ratio = 1;

    static PictureFormat of(const QString& file);
    bool vectors() const { return kind != Kind::png; }
};

// The file dialog's filters of the vector formats.
QString vectorPictureFilters();

// Writes a picture of `size` logical pixels to `file` in the format of its name, drawn by
// `paint` on a painter of logical coordinates: an SVG or PDF as figures and text, a PNG at
// its ratio. The file is written beside its place under another name and put there only
// when complete, so a picture that cannot be written leaves nothing behind and an old one
// as it was. Returns the reason in the user's language when it cannot, else empty.
QString writePicture(const QString& file, QSize size, const std::function<void(QPainter&)>& paint);

// Writes `image` as it is, pixel for pixel, as a PNG file, the same way.
QString writePicture(const QString& file, const QImage& image);

// Draws `widget` and the widgets within it onto `painter` at their places, each
// FaceWidget's face as figures through a canvas over the painter (see FaceWidget::paintOnto),
// the others as Qt draws them: a drawing of the window for a vector picture or another ratio.
void paintWidgetTree(QPainter& painter, QWidget& widget);

} // namespace kv
