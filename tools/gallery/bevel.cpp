// Gallery pictures of the bevel and gradient painting: every gradient style, and the
// bevel styles with each outline kind.
#include "gauges/bevel.h"
#include "app/main_form.h"
#include "canvas/canvas.h"
#include "gauges/gradient.h"
#include "tools/gallery/gallery.h"

#include <string>

namespace {

using namespace kv;

const char* const kStyleNames[kGradientStyleCount] = {
    "gsHorizontal1", "gsHorizontal2", "gsHorizontal3", "gsVertical1", "gsVertical2",
    "gsVertical3",   "gsElliptic1",   "gsElliptic2",   "gsElliptic3", "gsRectangle",
    "gsDiamond1",    "gsDiamond2",    "gsTopLeft",     "gsTopRight"};

QImage gradientSheet(ColorValue from, ColorValue to) {
    constexpr int kCellWidth = 150, cellH = 110, cols = 5;
    QImage img(cols * kCellWidth, 3 * cellH, QImage::Format_RGB32);
    img.fill(Qt::white);
    Canvas c(img);
    FontSpec f;
    f.height = 13;
    f.color = clBlack;
    c.setFont(f);
    c.setBackMode(BackMode::Transparent);
    for (int s = 0; s < kGradientStyleCount; ++s) {
        const int x = (s % cols) * kCellWidth;
        const int y = (s / cols) * cellH;
        c.textOut(x + 6, y + 2, kStyleNames[s]);
        gradientFill(c, Rect{x + 6, y + 18, x + kCellWidth - 6, y + cellH - 6}, from,
                     static_cast<GradientStyle>(s), to);
    }
    return img;
}

KV_GALLERY("gradient-styles.png", [] { return gradientSheet(clWhite, kFormColor); });
KV_GALLERY("gradient-styles-strong.png", [] { return gradientSheet(clYellow, clNavy); });

QImage bevelSheet() {
    constexpr int kCellWidth = 130, cellH = 90;
    const BevelLineKind lines[] = {BevelLineKind::blNone, BevelLineKind::blOuter,
                                   BevelLineKind::blInner, BevelLineKind::blBoth};
    const char* const lineNames[] = {"blNone", "blOuter", "blInner", "blBoth"};
    QImage img(4 * kCellWidth, 4 * cellH + 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    Canvas c(img);
    FontSpec f;
    f.height = 13;
    f.color = clBlack;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            Bevel b;
            b.setStyle(row % 2 ? BevelStyle::bsLowered : BevelStyle::bsRaised);
            b.setBevelLine(lines[col]);
            if (row >= 2) {
                // Ramped rings and a gradient surface, as the round meter's dial has them.
                b.setWidth(4);
                b.setColorShadowFrom(clBlack);
                b.setColorShadowTo(clWhite);
                b.setColorHighLightFrom(clWhite);
                b.setColorHighLightTo(clGray);
                b.surfaceGrad().setVisible(true);
                b.surfaceGrad().setColorFrom(clWhite);
                b.surfaceGrad().setColorTo(kFormColor);
            }
            const int x = col * kCellWidth + 5;
            const int y = row * cellH + 25;
            const Rect content = b.paint(c, Rect{x, y, x + kCellWidth - 10, y + cellH - 10});
            // The content area of the plain rows is marked; the others show their surface.
            if (row < 2)
                c.fillRect(content, rgbColor(255, 230, 180));
            else
                c.frameRect(content, clRed);
        }
    }
    c.setFont(f);
    c.setBackMode(BackMode::Transparent);
    for (int col = 0; col < 4; ++col)
        c.textOut(col * kCellWidth + 8, 4, lineNames[col]);
    return img;
}

KV_GALLERY("bevel-styles.png", bevelSheet);

// The dial frame of the round meter on the main window: a raised outer bevel with its
// outline, and a lowered inner bevel with the white-to-window-colour surface.
KV_GALLERY("bevel-meter-dial.png", [] {
    const ControlForm& dial = mainform::kAnalog;
    QImage img(dial.width, dial.height, QImage::Format_RGB32);
    img.fill(Qt::white);
    Canvas c(img);
    Bevel outer;
    outer.setBevelLine(BevelLineKind::blOuter);
    Bevel inner;
    inner.setStyle(BevelStyle::bsLowered);
    inner.setBevelLine(BevelLineKind::blInner);
    inner.surfaceGrad().setVisible(true);
    inner.surfaceGrad().setColorFrom(clWhite);
    inner.surfaceGrad().setColorTo(kFormColor);
    Rect r = outer.paint(c, Rect{0, 0, dial.width, dial.height});
    r.top += 20;
    inner.paint(c, r);
    return img;
});

} // namespace
