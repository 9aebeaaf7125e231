#include "canvas/color.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <vector>

namespace kv {

namespace {

// The living pins, oldest first. Drawing runs on the user-interface thread only.
std::vector<const QPalette*>& pins() {
    static std::vector<const QPalette*> living;
    return living;
}

// The system colour indices a control may name, mapped onto the nearest palette role.
// Unknown indices resolve to black rather than to garbage.
QColor systemColor(unsigned index) {
    const QPalette pal = !pins().empty() ? *pins().back()
                         : qGuiApp       ? QGuiApplication::palette()
                                         : QPalette();
    switch (index) {
    case 0x00: // scroll bar
        return pal.color(QPalette::Active, QPalette::Button);
    case 0x01: // desktop
    case 0x04: // menu
        return pal.color(QPalette::Active, QPalette::Window);
    case 0x02: // active caption
    case 0x0D: // highlight
        return pal.color(QPalette::Active, QPalette::Highlight);
    case 0x05: // window
        return pal.color(QPalette::Active, QPalette::Base);
    case 0x06: // window frame
    case 0x15: // 3D dark shadow
        return pal.color(QPalette::Active, QPalette::Shadow);
    case 0x07: // menu text
    case 0x09: // caption text
        return pal.color(QPalette::Active, QPalette::WindowText);
    case 0x08: // window text
        return pal.color(QPalette::Active, QPalette::Text);
    case 0x0E: // highlight text
        return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 0x0F: // button face
        return pal.color(QPalette::Active, QPalette::Button);
    case 0x10: // button shadow
        return pal.color(QPalette::Active, QPalette::Dark);
    case 0x11: // grey text
        return pal.color(QPalette::Disabled, QPalette::Text);
    case 0x12: // button text
        return pal.color(QPalette::Active, QPalette::ButtonText);
    case 0x14: // button highlight
        return pal.color(QPalette::Active, QPalette::Light);
    case 0x16: // 3D light
        return pal.color(QPalette::Active, QPalette::Midlight);
    case 0x17: // tooltip text
        return pal.color(QPalette::Active, QPalette::ToolTipText);
    case 0x18: // tooltip background
        return pal.color(QPalette::Active, QPalette::ToolTipBase);
    default:
        return QColor(0, 0, 0);
    }
}

} // namespace

ColorValue resolveColor(ColorValue c) {
    if (c == clNone)
        return clNone;
    if (isSystemColor(c))
        return fromQColor(systemColor(c & 0xFF));
    // Any other flag byte is meaningless for drawing; the RGB part is what is meant.
    return c & 0x00FFFFFFu;
}

QColor toQColor(ColorValue c) {
    if (c == clNone)
        return QColor(Qt::transparent);
    const ColorValue rgb = resolveColor(c);
    return QColor(redOf(rgb), greenOf(rgb), blueOf(rgb));
}

ColorValue fromQColor(const QColor& c) {
    return rgbColor(c.red(), c.green(), c.blue());
}

SystemPalettePin::SystemPalettePin(const QPalette& palette) : palette_(palette) {
    pins().push_back(&palette_);
}

SystemPalettePin::~SystemPalettePin() {
    auto& living = pins();
    living.erase(std::find(living.begin(), living.end(), &palette_));
}

} // namespace kv
