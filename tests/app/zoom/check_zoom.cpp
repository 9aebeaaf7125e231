// check-zoom: measures pictures of the program's screen for run_zoom.sh.
//
//   check-zoom sharp GRAB100 GRAB GRABATRATIO RATIO
//     GRAB is the window zoomed to RATIO times its size at 100 % (GRAB100), GRABATRATIO the
//     window at 100 % on a screen of device pixel ratio RATIO, where its displays are drawn
//     sharp at that ratio. In the value field GRAB's digits are RATIO times as tall as at
//     100 %, and GRAB is close to GRABATRATIO, much closer than GRAB100 enlarged smoothly.
//     Prints the figures; exit 1 when one is off.
//   check-zoom tall PICTURE SHARE
//     The dark pixels in the upper SHARE of PICTURE (the readout's digits): prints their
//     height; exit 1 when it is below a third of the picture's height.
#include <QColor>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <cmath>
#include <cstdio>

namespace {

// The value field of the window at 100 %: where the indicator stands, as far as the
// window shows it.
const QRect kDigitsField(225, 1, 471 - 225, 75);

bool dark(QRgb c) {
    return qGray(c) < 80;
}

// The box around the dark pixels of `area`.
QRect darkBox(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (dark(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

// The mean difference of grey between two pictures over `area`.
double difference(const QImage& a, const QImage& b, const QRect& area) {
    long long sum = 0, n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x, ++n)
            sum += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return n ? double(sum) / double(n) : 255.0;
}

QRect scaled(const QRect& r, double ratio) {
    const int left = int(std::lround(r.left() * ratio)), top = int(std::lround(r.top() * ratio));
    return QRect(left, top, int(std::lround((r.left() + r.width()) * ratio)) - left,
                 int(std::lround((r.top() + r.height()) * ratio)) - top);
}

int sharp(const QString& at100, const QString& zoomed, const QString& atRatio, double ratio) {
    const QImage small = QImage(at100).convertToFormat(QImage::Format_RGB32);
    const QImage big = QImage(zoomed).convertToFormat(QImage::Format_RGB32);
    const QImage reference = QImage(atRatio).convertToFormat(QImage::Format_RGB32);
    if (small.isNull() || big.isNull() || reference.isNull() || big.size() != reference.size()) {
        std::fprintf(stderr, "check-zoom: cannot read the pictures, or they differ in size\n");
        return 1;
    }
    const QRect fieldSmall = kDigitsField.intersected(small.rect());
    const QRect fieldBig = scaled(kDigitsField, ratio).intersected(big.rect());
    const QImage resampled =
        small.scaled(big.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QRect boxSmall = darkBox(small, fieldSmall), boxBig = darkBox(big, fieldBig);
    const double zoomedOff = difference(big, reference, fieldBig),
                 resampledOff = difference(resampled, reference, fieldBig);
    std::printf("digits %d px high at 100 %%, %d px zoomed (%.3f times)\n", boxSmall.height(),
                boxBig.height(), double(boxBig.height()) / std::max(1, boxSmall.height()));
    std::printf("grey off the picture drawn at ratio %.2f: %.2f zoomed, %.2f resampled\n", ratio,
                zoomedOff, resampledOff);
    bool ok = true;
    if (boxSmall.height() < 20 ||
        std::abs(boxBig.height() - boxSmall.height() * ratio) > 0.06 * boxSmall.height() * ratio) {
        std::printf("FAIL: the digits are not %.2f times as high\n", ratio);
        ok = false;
    }
    if (!(zoomedOff * 3 < resampledOff)) {
        std::printf("FAIL: the zoomed digits are not drawn at their size\n");
        ok = false;
    }
    return ok ? 0 : 1;
}

int tall(const QString& picture, double share) {
    const QImage image = QImage(picture).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "check-zoom: cannot read %s\n", qPrintable(picture));
        return 1;
    }
    const QRect upper(0, 0, image.width(), int(image.height() * share));
    const QRect box = darkBox(image, upper);
    std::printf("readout digits %d px high on a screen %d px high\n", box.height(), image.height());
    if (box.height() * 3 < image.height()) {
        std::printf("FAIL: less than a third of the screen\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 6 && args[1] == QLatin1String("sharp"))
        return sharp(args[2], args[3], args[4], args[5].toDouble());
    if (args.size() == 4 && args[1] == QLatin1String("tall"))
        return tall(args[2], args[3].toDouble());
    std::fprintf(stderr,
                 "usage: check-zoom sharp GRAB100 GRAB GRABATRATIO RATIO | tall PICTURE SHARE\n");
    return 2;
}
