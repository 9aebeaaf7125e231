#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace kv {

// 0x00BBGGRR for plain colours; top byte 0x80 names a system colour by its low byte,
// resolved through the application palette only at drawing time.
using ColorValue = std::uint32_t;

constexpr ColorValue clBlack = 0x000000;
constexpr ColorValue clMaroon = 0x000080;
constexpr ColorValue clGreen = 0x008000;
constexpr ColorValue clNavy = 0x800000;
constexpr ColorValue clGray = 0x808080;
constexpr ColorValue clSilver = 0xC0C0C0;
constexpr ColorValue clRed = 0x0000FF;
constexpr ColorValue clLime = 0x00FF00;
constexpr ColorValue clYellow = 0x00FFFF;
constexpr ColorValue clBlue = 0xFF0000;
constexpr ColorValue clFuchsia = 0xFF00FF;
constexpr ColorValue clAqua = 0xFFFF00;
constexpr ColorValue clWhite = 0xFFFFFF;

constexpr ColorValue clScrollBar = 0x80000000;
constexpr ColorValue clWindow = 0x80000005;
constexpr ColorValue clWindowText = 0x80000008;
constexpr ColorValue clBtnFace = 0x8000000F;
constexpr ColorValue clBtnShadow = 0x80000010;
constexpr ColorValue clBtnHighlight = 0x80000014;

constexpr ColorValue clNone = 0x1FFFFFFF;
// The chart's "use the owner's colour" marker; shares its value with clScrollBar.
constexpr ColorValue ColorDefault = 0x80000000;

constexpr ColorValue rgbColor(int r, int g, int b) {
    return ColorValue(r & 0xFF) | (ColorValue(g & 0xFF) << 8) | (ColorValue(b & 0xFF) << 16);
}
constexpr int redOf(ColorValue c) {
    return int(c & 0xFF);
}
constexpr int greenOf(ColorValue c) {
    return int((c >> 8) & 0xFF);
}
constexpr int blueOf(ColorValue c) {
    return int((c >> 16) & 0xFF);
}
constexpr bool isSystemColor(ColorValue c) {
    return (c & 0xFF000000u) == 0x80000000u;
}

// Plain RGB for any colour value: system colours through the pinned palette (below), else
// through the current application palette (without a QApplication, Qt's default palette).
ColorValue resolveColor(ColorValue c);
QColor toQColor(ColorValue c);
ColorValue fromQColor(const QColor& c);

// While it lives, system colours resolve through `palette` instead of the application's.
// A window whose controls were designed for particular system colours holds one, so that a
// desktop palette set before or after it was made cannot wash them out. Pins may overlap in
// any order; the newest living one decides.
class SystemPalettePin {
public:
    explicit SystemPalettePin(const QPalette& palette);
    ~SystemPalettePin();
    SystemPalettePin(const SystemPalettePin&) = delete;
    SystemPalettePin& operator=(const SystemPalettePin&) = delete;

private:
    QPalette palette_;
};

} // namespace kv
