#pragma once

#include "canvas/clip_record.h"
#include "canvas/color.h"
#include "canvas/font_resolution.h"
#include "core/rounding.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

// Left, Top, Right, Bottom in pixels. A filled rectangle covers columns Left..Right-1
// and rows Top..Bottom-1.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    // Saturated: a rectangle wider or higher than the int range reports INT_MAX.
    constexpr int width() const { return clampToInt(static_cast<long long>(right) - left); }
    constexpr int height() const { return clampToInt(static_cast<long long>(bottom) - top); }
    constexpr bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    constexpr bool operator!=(const Rect& o) const { return !(*this == o); }
};

// r moved in by k on every side (out for a negative k), held to the int range.
constexpr Rect shrinkRect(const Rect& r, long long k) {
    return Rect{clampToInt(r.left + k), clampToInt(r.top + k), clampToInt(r.right - k),
                clampToInt(r.bottom - k)};
}

// The part of a that lies within b; empty (right <= left or bottom <= top) when none does.
constexpr Rect intersected(const Rect& a, const Rect& b) {
    return Rect{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

struct Point {
    int x = 0, y = 0;
    constexpr bool operator==(const Point& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const Point& o) const { return !(*this == o); }
};

struct Size {
    int width = 0, height = 0;
};

enum class PenStyle { psSolid, psDot, psClear };
enum class PenMode { pmCopy, pmNotXor };
enum class BrushStyle { bsSolid, bsClear };
enum class HAlign { Left, Right, Center };
enum class VAlign { Top, Bottom };
enum class BackMode { Transparent, Opaque };

// The longest side of an image the controls draw whole: a face, a gradient surface. Any
// control fits within it on any screen; beyond it only what shows on the canvas is drawn,
// where an image of the whole would need gigabytes.
constexpr int kMaxFaceSide = 4096;

// Off-screen bitmap: an RGB32 image with a size.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height);
    void setSize(int width, int height); // contents undefined afterwards
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

private:
    QImage image_;
};

// Drawing state and operations over an image, with GDI-like conventions:
// - fillRect covers L..R-1 x T..B-1 with the brush colour (even when the brush is clear);
// - rectangle/ellipse/polygon/pie: outline with the pen, inside with the brush;
//   rectangle's outline lies on the outermost pixels of L..R-1 x T..B-1;
// - lineTo/line/polyline draw the start pixel and never the end pixel;
// - pie and arc run counter-clockwise (on screen) from the direction of `start`
//   to the direction of `end`, both seen from the centre of the bounding rectangle;
//   equal directions give the full ellipse; an arc keeps both of its end pixels;
// - a dotted pen is three pixels on, three off, with transparent gaps; pens wider than
//   one pixel are solid with round ends and joins (the end point is then covered);
// - pmNotXor applies to lines, outlines and figure fills, not to fillRect, text or
//   bitmaps; a one-pixel figure drawn twice in it leaves the image as it was.
// Every coordinate is in the image's own pixels. The canvas never antialiases. A canvas
// over an empty image draws nothing.
class Canvas {
public:
    explicit Canvas(QImage& target);
    explicit Canvas(Bitmap& target) : Canvas(target.image()) {}
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    QImage& target() { return *image_; }
    int width() const { return image_->width(); }
    int height() const { return image_->height(); }

    // Pen
    void setPenColor(ColorValue c);
    void setPenWidth(int w);
    void setPenStyle(PenStyle s);
    void setPenMode(PenMode m);
    ColorValue penColor() const { return penColor_; }
    int penWidth() const { return penWidth_; }
    PenStyle penStyle() const { return penStyle_; }
    PenMode penMode() const { return penMode_; }

    // Brush
    void setBrushColor(ColorValue c);
    void setBrushStyle(BrushStyle s);
    ColorValue brushColor() const { return brushColor_; }
    BrushStyle brushStyle() const { return brushStyle_; }

    // Font and text
    void setFont(const FontSpec& f);
    const FontSpec& font() const { return font_; }
    void setTextAlign(HAlign h, VAlign v);
    void setBackMode(BackMode m); // opaque text fills its cell with the brush colour
    BackMode backMode() const { return backMode_; }
    void textOut(int x, int y, const std::string& utf8);
    Size textExtent(const std::string& utf8) const;
    int textWidth(const std::string& utf8) const { return textExtent(utf8).width; }
    int textHeight(const std::string& utf8) const { return textExtent(utf8).height; }

    // Shapes
    void fillRect(const Rect& r);
    void fillRect(const Rect& r, ColorValue c);
    void rectangle(const Rect& r);
    void frameRect(const Rect& r, ColorValue c); // one-pixel outline, GDI FrameRect
    void moveTo(int x, int y);
    void lineTo(int x, int y);
    Point penPos() const { return penPos_; }
    void line(int x0, int y0, int x1, int y1) {
        moveTo(x0, y0);
        lineTo(x1, y1);
    }
    void polyline(const std::vector<Point>& pts);
    void polygon(const std::vector<Point>& pts);
    void ellipse(const Rect& r);
    void pie(const Rect& r, Point start, Point end);
    void arc(const Rect& r, Point start, Point end);
    void setPixel(int x, int y, ColorValue c);
    ColorValue pixel(int x, int y) const;

    // Clipping. The clip starts as the whole image.
    void saveClip();
    void restoreClip();
    void intersectClip(const Rect& r);
    void setClipRect(const Rect& r);
    void clearClip();
    // Region = ellipse inscribed in `outer` minus ellipse inscribed in `inner`, both given
    // in parent coordinates; `origin` is where this canvas's (0, 0) lies in the parent.
    void selectEllipseRingRegion(const Rect& outer, const Rect& inner, Point origin);
    Rect clipBox() const;

    // Off-screen bitmaps
    void draw(int x, int y, const QImage& src);
    void draw(int x, int y, const Bitmap& src) { draw(x, y, src.image()); }
    void stretchDraw(const Rect& dest, const QImage& src);
    void drawTransparent(int x, int y, const QImage& src, ColorValue key);
    // Copy the part `src` of `from` to `dest` (same size), like CopyRect.
    void copyRect(const Rect& dest, const QImage& from, const Rect& src);

    // Clipping set on the painter directly bypasses the canvas's own record of the clip,
    // which its one-pixel strokes rely on; use the clipping operations above.
    QPainter& painter() { return *painter_; }

private:
    void applyPen();
    void applyBrush();
    void applyMode();
    int effectivePenWidth() const;
    // One-pixel pens are rasterised here so that every pixel is drawn exactly once and the
    // end pixel is left out; wider pens go through Qt with round ends and joins.
    void strokePath(const std::vector<Point>& pts, bool closed);
    void fillPolygon(const std::vector<Point>& pts);
    QColor drawColor(ColorValue c) const;
    // One-pixel strokes in copy (or, on RGB32, not-XOR) mode are written straight into the
    // image, clipped by the canvas's own record of the clip region.
    bool writesDirectly() const;
    void updateClipRecord();
    void removeClip();
    // Where figures can show: the clip's box grown by the pen and a margin. Curves of
    // ellipses far larger than the canvas are only traced in full within it.
    QRect figureWindow() const;
    // QFont resolution and metrics are costly; both are kept until the face changes.
    void ensureFont() const;

    QImage* image_;
    QImage standIn_;
    std::unique_ptr<QPainter> painter_;
    ColorValue penColor_ = clBlack;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::psSolid;
    PenMode penMode_ = PenMode::pmCopy;
    ColorValue brushColor_ = clWhite;
    BrushStyle brushStyle_ = BrushStyle::bsSolid;
    FontSpec font_;
    HAlign hAlign_ = HAlign::Left;
    VAlign vAlign_ = VAlign::Top;
    BackMode backMode_ = BackMode::Opaque;
    Point penPos_;
    std::vector<QRegion> clipStack_;
    std::vector<bool> clipEnabledStack_;
    uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
    ClipRecord clip_;
    mutable QFont qfont_;
    mutable std::optional<QFontMetrics> metrics_;
    mutable bool fontStale_ = true;
    bool painterHasFont_ = false;
};

// `count` one-pixel rings inside r, ring 1 on r's outermost pixels and each next one a pixel
// further in: the left column and top row in the first colour of colours(i), then the
// right column and bottom row in the second, which also takes the top-right and bottom-left
// corners. Only rings with a pixel inside the canvas's clip are drawn, in order, so an
// absurd count costs no more than the rings that show. Returns r shrunk by count.
Rect drawRings(Canvas& canvas, const Rect& r, int count,
               const std::function<std::pair<ColorValue, ColorValue>(int i)>& colours);

// Height of a vertical scroll bar's arrow (the platform's system metric).
int scrollBarArrowHeight();

} // namespace kv
