#pragma once

#include "canvas/clip_record.h"
#include "canvas/color.h"
#include "canvas/device_grid.h"
#include "canvas/font_resolution.h"
#include "canvas/geometry.h"
#include "core/rounding.h"

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {

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

class Canvas;

// Off-screen bitmap: an RGB32 image with a size. A plain bitmap has one image pixel per
// logical pixel; one made for an area of a canvas has that canvas's device pixels, so that
// what is drawn into it lands on the canvas's own pixels when it is drawn back at the
// area's corner.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height);
    // For `area` (logical) of `onto`: logical size area's, device pixels onto's.
    Bitmap(const Canvas& onto, const Rect& area);
    void setSize(int width, int height); // contents undefined afterwards; one pixel per pixel
    // Logical size; a bitmap of one pixel per pixel is as large as its image, also when the
    // image is replaced through image().
    int width() const { return grid_.isUnit() ? image_.width() : size_.width; }
    int height() const { return grid_.isUnit() ? image_.height() : size_.height; }
    const DeviceGrid& grid() const { return grid_; }
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

private:
    QImage image_;
    Size size_;
    DeviceGrid grid_;
};

// Drawing state and operations in logical pixels, with GDI-like conventions:
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
//
// Two ways of drawing share these conventions. Over an image of device pixel ratio 1 (and
// over a plain bitmap) every logical pixel is one image pixel and the canvas sets exactly
// the pixels the conventions name, never antialiasing. Over an image of another ratio, a
// bitmap made for such an image, or a painter on any paint device, the same figures are
// drawn as shapes at the device's resolution, antialiased: a pixel of the conventions is
// the square it covers, a line runs through the centres of its pixels, text is drawn from
// the outlines of its glyphs. Sizes and positions, text metrics included, are the same in
// both, so a control lays itself out alike at every ratio. Rectangles lie on whole device
// pixels (see DeviceGrid), so fills, frames and straight lines stay sharp.
//
// A canvas over an empty image draws nothing.
class Canvas {
public:
    explicit Canvas(QImage& target);
    explicit Canvas(Bitmap& target);
    // Draws through `painter`, already active on any paint device, on a surface of the
    // given logical size. Raster parts (gradient ramps, bitmaps) are built at the device's
    // pixel ratio. The painter's state is restored when the canvas goes.
    Canvas(QPainter& painter, Size size);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // The image drawn on; null for a canvas over a painter.
    QImage* image() { return image_; }
    const QImage* image() const { return image_; }
    // Logical size.
    int width() const { return size_.width; }
    int height() const { return size_.height; }
    const DeviceGrid& grid() const { return grid_; }
    // Whether figures are drawn as antialiased shapes rather than pixel by pixel.
    bool drawsShapes() const { return shapes_; }

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

    // Off-screen bitmaps. An image whose device pixel ratio is the canvas's is put on the
    // canvas's device pixels as they are; any other is scaled to its logical size.
    void draw(int x, int y, const QImage& src);
    void draw(int x, int y, const Bitmap& src) { draw(x, y, src.image()); }
    // An image as large as dest on the device is put there pixel for pixel; any other is
    // scaled to fit.
    void stretchDraw(const Rect& dest, const QImage& src);
    void drawTransparent(int x, int y, const QImage& src, ColorValue key);
    // Copy the part `src` of `from` to `dest` (same size), like CopyRect.
    void copyRect(const Rect& dest, const QImage& from, const Rect& src);
    // Copies the part of `from` (a bitmap made for an area of this canvas, or a plain one)
    // that starts at `at` of its own coordinates to `dest`, device pixel for device pixel.
    void copyFrom(const Rect& dest, const Bitmap& from, Point at);
    // Fills a rectangle given in device pixels, for ramps that are worked out per device
    // pixel; fillRect where one logical pixel is one device pixel.
    void fillDeviceRect(const Rect& device, ColorValue c);
    // The same for many rectangles, each element of `fills` having a `rect` and a `color`
    // (a gradient's bands): the painter is set up for device pixels once for them all.
    template <typename Fills> void fillDeviceRects(const Fills& fills) {
        DeviceFills device(*this);
        for (const auto& f : fills)
            device.fill(f.rect, f.color);
    }

    // Clipping set on the painter directly bypasses the canvas's own record of the clip,
    // which its one-pixel strokes rely on; use the clipping operations above.
    QPainter& painter() { return *painter_; }

private:
    void begin(const DeviceGrid& grid, Size size);
    // Keeps the painter on device pixels while it lives.
    class DeviceFills {
    public:
        explicit DeviceFills(Canvas& canvas);
        ~DeviceFills();
        DeviceFills(const DeviceFills&) = delete;
        DeviceFills& operator=(const DeviceFills&) = delete;
        void fill(const Rect& device, ColorValue c);

    private:
        Canvas& canvas_;
        QTransform logical_;
        bool mapped_ = false;
    };

    void applyPen();
    void applyBrush();
    // The painter's pen and brush for the canvas's pen and brush.
    QPen qtPen() const;
    QBrush qtBrush() const;
    void applyMode();
    int effectivePenWidth() const;
    // One-pixel pens are rasterised here so that every pixel is drawn exactly once and the
    // end pixel is left out; wider pens go through Qt with round ends and joins.
    void strokePath(const std::vector<Point>& pts, bool closed);
    // The same path as a shape: straight one-pixel paths as the rectangles of their pixels,
    // others as a line of one pixel's width through the pixel centres.
    void strokeShape(const std::vector<Point>& pts, bool closed);
    void fillPolygon(const std::vector<Point>& pts);
    // Whether an outline drawn with the pen hides the edges of what was filled under it.
    bool outlineCoversEdges() const;
    QColor drawColor(ColorValue c) const;
    // One-pixel strokes in copy (or, on RGB32, not-XOR) mode are written straight into the
    // image, clipped by the canvas's own record of the clip region.
    bool writesDirectly() const;
    // Fills `r` with an opaque colour straight into the image when the canvas writes there
    // and the clip is a rectangle; false when the painter must fill it.
    bool fillDirectly(const Rect& r, const QColor& c);
    void updateClipRecord();
    void removeClip();
    // Where figures can show: the clip's box grown by the pen and a margin. Curves of
    // ellipses far larger than the canvas are only traced in full within it.
    QRect figureWindow() const;
    // QFont resolution and metrics are costly; both are kept until the face changes.
    void ensureFont() const;
    // The width of `text` in the current font.
    int advance(const QString& text) const;
    // Names `text` in the current font among the widths and layouts kept.
    QString textKey(const QString& text) const;
    // Draws `text` in the current font and pen from its kept layout, top-left at `topLeft`.
    void drawKeptText(QPointF topLeft, const QString& text);
    // A text of plain figures as one run of its characters' glyphs on the baseline through
    // the origin, each glyph kept per font: a reading's digits, new at every reading, are
    // drawn without being laid out. False when a character's glyph comes from another font.
    bool figuresRun(const QString& text, QGlyphRun& run) const;
    // Puts `from` of src onto the device pixels `to` (same size when drawn pixel for pixel).
    void blit(const Rect& to, const QImage& src, const QRectF& from,
              QPainter::CompositionMode mode);
    // Text of large glyphs on an image drawn shapes-wise: each glyph a sprite (Sprites), on
    // the baseline through `baseline`.
    void drawGlyphSprites(QPointF baseline, const QString& text, const QColor& colour);
    // Puts the sprite of `figure` on the device with its origin at the logical point
    // `origin`; `box` is the figure's extent around its origin, in logical pixels, and
    // `draw` draws it around the origin on a painter of logical coordinates on first use.
    void drawSprite(QPointF origin, const QRectF& box, const QByteArray& figure,
                    const std::function<void(QPainter&)>& draw);
    // Fills a logical rectangle laid onto whole device pixels.
    void fillSnapped(const Rect& r, const QColor& c);
    // The device pixels shapes may be written to without the painter in the painter's
    // present mode, in the opaque colour c: the clip's rectangle, or none.
    std::optional<QRect> directDeviceClip(const QColor& c) const;
    // A straight dotted one-pixel segment at a whole ratio, each dot on whole device
    // pixels: written straight into the image; false when that does not apply.
    bool writeDottedSegment(Point a, Point b, const QColor& c);
    // A straight segment of a wide pen, its points where Qt's pen would take them: the band
    // between them and its round ends written straight into the image; false, having drawn
    // nothing, when that does not apply.
    bool writeWideSegment(QPointF a, QPointF b);
    // Clips shapes to a logical rectangle laid onto whole device pixels.
    void clipShapes(const Rect& r, Qt::ClipOperation op);
    // From logical coordinates back to device pixels, on top of the image's own ratio.
    QTransform deviceTransform() const;
    // r, or the empty rectangle when r is empty.
    static Rect boxOf(const Rect& r);

    QImage* image_ = nullptr;
    QImage standIn_;
    std::unique_ptr<QPainter> ownPainter_;
    QPainter* painter_ = nullptr;
    DeviceGrid grid_;
    Size size_;
    bool shapes_ = false;
    bool vectors_ = false; // the device keeps figures as figures (SVG, PDF): a path stays one
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
    struct SavedShapeClip {
        QPainterPath path;
        Rect box;
        std::optional<QRect> device;
    };
    std::vector<SavedShapeClip> shapeClipStack_; // the clips saved while drawing shapes
    uchar* bits_ = nullptr;
    qsizetype bytesPerLine_ = 0;
    ClipRecord clip_;
    // The clip's logical bounding box while drawing shapes, kept by the clip operations.
    Rect shapeClipBox_;
    // While drawing shapes on a 32-bit image: its pixels, and the clip on them as long as
    // it is a rectangle, so that fills and thin strokes can be written without the painter.
    uchar* deviceBits_ = nullptr;
    std::optional<QRect> deviceClip_;
    mutable QFont qfont_;
    mutable std::optional<QFontMetrics> metrics_;
    mutable QString fontKey_; // the font's key, naming it among the widths kept
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
