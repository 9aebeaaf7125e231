// check-snapshot FILE.png: tells whether a picture the program took of itself shows the
// window: its size, the form colour, the controls where the layout puts them, not blank.
#include "../window_pixels.h"

#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <cstdio>

namespace {

int failures = 0;

void expect(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check-snapshot: %s\n", what);
        ++failures;
    }
}

bool isForm(QRgb p) {
    return qRed(p) == 214 && qGreen(p) == 223 && qBlue(p) == 247;
}
bool isDark(QRgb p) {
    return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60;
}
bool isBarFrame(QRgb p) {
    return (qRed(p) == 0x68 && qGreen(p) == 0x68 && qBlue(p) == 0x68) ||
           (qRed(p) == 0xBE && qGreen(p) == 0xBE && qBlue(p) == 0xBE);
}

using kv::test::isLime;

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: check-snapshot FILE.png\n");
        return 2;
    }
    QImage img(QString::fromLocal8Bit(argv[1]));
    if (img.isNull()) {
        std::fprintf(stderr, "check-snapshot: cannot read %s\n", argv[1]);
        return 1;
    }
    img = img.convertToFormat(QImage::Format_RGB32);
    expect(img.width() == 471 && img.height() == 648, "the picture is not 471 x 648");
    if (failures)
        return 1;

    // The form shows between the Start button and the indicator, and below the chart.
    expect(kv::test::countPixels(img, {160, 45, 60, 30}, isForm) == 60 * 30,
           "form colour missing at top");
    expect(kv::test::countPixels(img, {150, 612, 200, 25}, isForm) > 200 * 25 * 9 / 10,
           "form colour missing in the footer");
    // The indicator's digits at the top right.
    expect(kv::test::countPixels(img, {225, 1, 246, 75}, isDark) > 300,
           "no digits in the indicator");
    // The needle of the meter.
    expect(kv::test::countPixels(img, {8, 80, 456, 248}, isLime) > 30, "no needle in the meter");
    // The meter's dial is not the form colour.
    expect(kv::test::countPixels(img, {20, 90, 430, 200}, isForm) < 430 * 200 / 2,
           "the meter is not drawn");
    // The level bar's grey frame along its top edge.
    expect(kv::test::countPixels(img, {11, 326, 450, 1}, isBarFrame) > 400, "no level bar frame");
    // The chart's panel and its trend line.
    expect(kv::test::countPixels(img, {8, 344, 456, 263}, isForm) < 456 * 263 / 10,
           "the chart is not drawn");
    expect(kv::test::countPixels(img, {60, 380, 390, 200}, isDark) > 100,
           "no trend line in the chart");
    // The buttons differ from the form.
    expect(kv::test::countPixels(img, {380, 616, 76, 17}, isForm) < 76 * 17 / 2, "no Exit button");
    expect(kv::test::countPixels(img, {80, 9, 69, 19}, isForm) < 69 * 19 / 2, "no Start button");

    QSet<QRgb> colours;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            colours.insert(img.pixel(x, y));
    expect(colours.size() > 20, "the picture is nearly blank");

    if (failures == 0)
        std::printf("check-snapshot: %s looks like the window\n", argv[1]);
    return failures ? 1 : 0;
}
