#pragma once

#include "canvas/color.h"

#include <QFont>
#include <QString>
#include <string>

namespace kv {

// A font as the controls describe it. height > 0: cell height in pixels (ascent plus
// descent); height < 0: character height (cell minus internal leading); height == 0:
// `size` in points at 96 dpi.
struct FontSpec {
    std::string name = "Arial";
    int height = 0;
    int size = 8;
    bool bold = false;
    bool italic = false;
    ColorValue color = clWindowText;
    bool operator==(const FontSpec& o) const {
        return name == o.name && height == o.height && size == o.size && bold == o.bold &&
               italic == o.italic && color == o.color;
    }
    bool operator!=(const FontSpec& o) const { return !(*this == o); }
};

// The tallest pixel size a font is drawn at; larger sizes are held to it. Far above any
// screen, and below the sizes whose metrics Qt reports wrongly (their ascent overflows).
constexpr int kMaxFontPixels = 8192;

// The QFont a FontSpec stands for, never antialiased. Pixel size, at most kMaxFontPixels:
// - height > 0: the largest pixel size whose QFontMetrics ascent + descent does not exceed
//   `height` (scaled outlines rarely hit it exactly; the cell is then one pixel lower);
// - height < 0: -height, the em height, which is the character height;
// - height == 0: `size` points at 96 dpi, rounded (8 pt -> 11 px).
// The result depends only on the FontSpec and the installed fonts, so it is the same every run.
// Faces missing on the system (e.g. "MS Sans Serif") fall back to a sans face.
QFont toQFont(const FontSpec& f);

// toQFont(f) with its key (QFont::key), worked out once per thread for each FontSpec value:
// every face painted opens a canvas that asks again for the same few fonts, and resolving
// one costs more than most drawing with it.
struct ResolvedFont {
    QFont font;
    QString key;
};
ResolvedFont resolvedFont(const FontSpec& f);

} // namespace kv
