#include "app/picture_file.h"

#include "canvas/canvas.h"
#include "canvas/face_widget.h"

#include <QCoreApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QWidget>

namespace kv {

namespace {

QString text(const char* source) {
    return QCoreApplication::translate("kv::MainWindow", source);
}

// Logical pixels are those of a screen at 96 dpi, as the controls lay themselves out.
constexpr int kDotsPerInch = 96;

} // namespace

PictureFormat PictureFormat::of(const QString& file) {
    PictureFormat f;
    const QString name = file.toLower();
    if (name.endsWith(QLatin1String(".svg")))
        f.kind = Kind::svg;
    else if (name.endsWith(QLatin1String(".pdf")))
        f.kind = Kind::pdf;
    else if (name.endsWith(QLatin1String("@2x.png")))
        f.ratio = 2;
    else if (name.endsWith(QLatin1String("@3x.png")))
        f.ratio = 3;
    return f;
}

QString vectorPictureFilters() {
    return text(QT_TRANSLATE_NOOP("kv::MainWindow", "SVG drawings (*.svg)")) +
           QStringLiteral(";;") +
           text(QT_TRANSLATE_NOOP("kv::MainWindow", "PDF documents (*.pdf)"));
}

QString writePicture(const QString& file, const QImage& image) {
    QSaveFile out(file);
    out.setDirectWriteFallback(false);
    const QString cannot = text(QT_TRANSLATE_NOOP("kv::MainWindow", "cannot write %1: %2"));
    if (image.isNull())
        return cannot.arg(file,
                          text(QT_TRANSLATE_NOOP("kv::MainWindow", "the picture has no size")));
    if (!out.open(QIODevice::WriteOnly))
        return cannot.arg(file, out.errorString());
    if (!image.save(&out, "PNG")) {
        const QString why = out.errorString();
        out.cancelWriting();
        return cannot.arg(file, why);
    }
    if (!out.commit())
        return cannot.arg(file, out.errorString());
    return {};
}

QString writePicture(const QString& file, QSize size, const std::function<void(QPainter&)>& paint) {
    const PictureFormat format = PictureFormat::of(file);
    auto cannot = [&file](const QString& why) {
        return text(QT_TRANSLATE_NOOP("kv::MainWindow", "cannot write %1: %2")).arg(file, why);
    };
    if (size.isEmpty())
        return cannot(text(QT_TRANSLATE_NOOP("kv::MainWindow", "the picture has no size")));
    QSaveFile out(file);
    // Only a complete picture replaces what is there.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return cannot(out.errorString());
    bool drawn = false;
    switch (format.kind) {
    case PictureFormat::Kind::png: {
        QImage image(size * format.ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(format.ratio);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            paint(painter);
        }
        drawn = image.save(&out, "PNG");
        break;
    }
    case PictureFormat::Kind::svg: {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(kDotsPerInch);
        svg.setTitle(QStringLiteral("KV27500"));
        QPainter painter;
        drawn = painter.begin(&svg);
        if (drawn) {
            paint(painter);
            drawn = painter.end();
        }
        break;
    }
    case PictureFormat::Kind::pdf: {
        QPdfWriter pdf(&out);
        pdf.setCreator(QStringLiteral("KV27500"));
        pdf.setResolution(kDotsPerInch);
        // One page of the picture's size, without margins: a pixel is 0.75 point.
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size) * 72.0 / kDotsPerInch,
                                                QPageSize::Point, QString(), QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        drawn = painter.begin(&pdf);
        if (drawn) {
            paint(painter);
            drawn = painter.end();
        }
        break;
    }
    }
    if (!drawn || out.error() != QFileDevice::NoError) {
        const QString why = out.error() != QFileDevice::NoError
                                ? out.errorString()
                                : text(QT_TRANSLATE_NOOP("kv::MainWindow", "the picture could "
                                                                           "not be drawn"));
        out.cancelWriting();
        return cannot(why);
    }
    if (!out.commit())
        return cannot(out.errorString());
    return {};
}

void paintWidgetTree(QPainter& painter, QWidget& widget) {
    if (auto* face = dynamic_cast<FaceWidget*>(&widget)) {
        painter.save();
        // A zoomed face is drawn at its own size and enlarged.
        painter.scale(face->zoom(), face->zoom());
        {
            Canvas canvas(painter, Size{face->faceWidth(), face->faceHeight()});
            face->paintOnto(canvas, face->clientRect());
        }
        painter.restore();
    } else {
        widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    }
    for (QObject* child : widget.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow() || !w->isVisible())
            continue;
        painter.save();
        painter.translate(w->pos());
        paintWidgetTree(painter, *w);
        painter.restore();
    }
}

} // namespace kv
