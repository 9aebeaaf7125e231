#include "canvas/canvas.h"

#include "canvas/line_raster.h"
#include "canvas/smooth_line.h"
#include "canvas/sprites.h"

#include <QApplication>
#include <QDataStream>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainterPath>
#include <QRawFont>
#include <QStaticText>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Coordinates beyond this lie far outside any image. Held here, they keep Qt's own int
// arithmetic (a QRect's far edge is left + width - 1) from overflowing, and change nothing
// that a fill, a clip or a copy can show.
constexpr int kFar = 1 << 29;

// Glyphs this large on the device (pixels) Qt fills from their outlines on every draw
// rather than keeping them; the canvas keeps them as sprites instead.
constexpr double kSpriteGlyphSize = 64;

// Ellipses up to this size (logical pixels) drawn on an image at another ratio are kept as
// sprites.
constexpr int kSpriteFigure = 48;

// Appends the numbers to a sprite's key as their bytes: a key is only ever compared, and
// writing the numbers out in figures cost more than drawing a kept sprite.
void appendToKey(QByteArray& key, std::initializer_list<double> numbers) {
    for (const double v : numbers)
        key.append(reinterpret_cast<const char*>(&v), qsizetype(sizeof v));
}

// The 32-bit formats whose pixels the canvas may write itself.
bool writableFormat(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

// Whether to fill a rectangle of device pixels without the painter: a gradient's bands and
// a trend's columns are many small rectangles, each costing the painter more to set up than
// to fill; large ones it fills faster.
bool smallFill(const QRect& r) {
    constexpr long long kLargest = 2048;
    return static_cast<long long>(r.width()) * r.height() <= kLargest;
}

// Sets every pixel of `box` in a 32-bit image to rgb.
void fillPixels(uchar* bits, qsizetype bytesPerLine, const QRect& box, QRgb rgb) {
    for (int y = box.top(); y <= box.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(bits + qsizetype(y) * bytesPerLine) + box.left(),
                    box.width(), rgb);
}

// How far beyond the clip a figure's outline is still traced in full, so that its pixels
// at the clip's edge come out as if it were traced everywhere.
constexpr int kFigureMargin = 4;

// Digits, signs, separators and spaces, which no font joins into ligatures.
bool plainFigures(const QString& text) {
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (!((u >= '0' && u <= '9') || u == '.' || u == ',' || u == '-' || u == '+' || u == ' '))
            return false;
    }
    return true;
}

// The canvas's fonts have no kerning, so the width of such a text is the sum of its
// characters' widths: a reading's digits, new at every reading, are measured without being
// laid out.
int figuresWidth(const QFontMetrics& metrics, const QString& text) {
    int width = 0;
    for (const QChar ch : text)
        width += metrics.horizontalAdvance(ch);
    return width;
}

int nearby(long long v) {
    return int(std::clamp<long long>(v, -kFar, kFar));
}

QRect toQRect(const Rect& r) {
    return QRect(QPoint(nearby(r.left), nearby(r.top)),
                 QPoint(nearby(r.right - 1LL), nearby(r.bottom - 1LL)));
}

Rect fromQRect(const QRect& r) {
    return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The geometry of the ellipse inscribed in a rectangle, worked out in double so that
// rectangles reaching the ends of the int range neither overflow nor lose their size.
struct EllipseFrame {
    double cx, cy; // centre, in pixels
    double rx, ry; // radii from the centres of the outermost pixels
    explicit EllipseFrame(const Rect& r)
        : cx((double(r.left) + r.right - 1) / 2.0), cy((double(r.top) + r.bottom - 1) / 2.0),
          rx((double(r.right) - r.left - 1) / 2.0), ry((double(r.bottom) - r.top - 1) / 2.0) {}
};

// Parametric angle (degrees, counter-clockwise on screen) of the point where the ray
// from the centre of `r` towards `p` meets the inscribed ellipse. Centre and point are
// both taken as pixels, so a point on the centre pixel's row lies exactly east or west.
double ellipseAngle(const Rect& r, Point p) {
    const EllipseFrame e(r);
    const double a = std::max(0.5, e.rx);
    const double b = std::max(0.5, e.ry);
    const double dx = p.x - e.cx;
    const double dy = p.y - e.cy;
    if (dx == 0 && dy == 0)
        return 0.0;
    return std::atan2(-dy / b, dx / a) * 180.0 / kPi;
}

// Where an arc from the direction of `start` to that of `end` begins on the ellipse
// inscribed in r, and how far it runs counter-clockwise: above 0, at most a full turn,
// which equal directions give. Degrees.
std::pair<double, double> arcAngles(const Rect& r, Point start, Point end) {
    const double a0 = ellipseAngle(r, start);
    double span = ellipseAngle(r, end) - a0;
    while (span <= 0.0)
        span += 360.0;
    while (span > 360.0)
        span -= 360.0;
    return {a0, span};
}

// The box of the curve through the centres of r's outermost pixels, for a shape's outline:
// a pen of even width runs along the pixels' corners instead, as its straight lines do.
QRectF centreBox(const Rect& r, int penWidth) {
    const double inset = penWidth % 2 ? 0.5 : 0.0;
    return QRectF(r.left + inset, r.top + inset, double(r.right) - r.left - 1,
                  double(r.bottom) - r.top - 1);
}

// A figure small enough to be drawn as a curve; larger ones (reaching far beyond any
// canvas) are traced pixel by pixel within the canvas, as on a plain image.
bool modestFigure(const Rect& r) {
    constexpr int kModest = 1 << 16;
    return r.left > -kModest && r.top > -kModest && r.right < kModest && r.bottom < kModest;
}

// How far p lies outside `window` (0 inside), along the axis where it lies farther.
double outside(double x, double y, const QRect& window) {
    const double dx = std::max({window.left() - x, x - window.right(), 0.0});
    const double dy = std::max({window.top() - y, y - window.bottom(), 0.0});
    return std::max(dx, dy);
}

// Whole pixels along the ellipse inscribed in r (its outline on the outermost pixels of
// L..R-1 x T..B-1), counter-clockwise from the direction of `start` to that of `end`,
// close enough together that joining them leaves no gap. Equal directions give a full
// turn.
//
// Only the part within `window` can show. Elsewhere the walk strides ahead, never farther
// than half its distance from the window, so the polyline still stays outside the window
// (its strokes and the fills it bounds are the same there) and an ellipse far larger than
// the canvas costs about as many points as the canvas's edges.
std::vector<Point> arcPoints(const Rect& r, Point start, Point end, const QRect& window) {
    const auto [a0, span] = arcAngles(r, start, end);
    const EllipseFrame e(r);
    const double t0 = a0 * kPi / 180.0;
    const double sweep = span * kPi / 180.0;
    const double rMax = std::max({e.rx, e.ry, 0.0});
    const double steps = std::max(4.0, std::ceil(sweep * rMax * 1.5));
    const double perStep = sweep / steps;
    std::vector<Point> pts;
    for (double i = 0; i <= steps;) {
        const double t = t0 + sweep * i / steps;
        const double x = std::floor(e.cx + e.rx * std::cos(t) + 0.5);
        const double y = std::floor(e.cy - e.ry * std::sin(t) + 0.5);
        const Point p{nearby(static_cast<long long>(x)), nearby(static_cast<long long>(y))};
        if (pts.empty() || pts.back() != p) {
            // Keep the curve one pixel thin: a point whose neighbours touch each other is
            // only a corner of the staircase.
            while (pts.size() >= 2 && std::abs(pts[pts.size() - 2].x - p.x) <= 1 &&
                   std::abs(pts[pts.size() - 2].y - p.y) <= 1)
                pts.pop_back();
            pts.push_back(p);
        }
        if (i == steps)
            break;
        // A stride of dt moves the point by at most speed * dt + rMax * dt^2 / 2; it is kept
        // to half the distance d from the window.
        const double d = outside(p.x, p.y, window);
        double stride = 1;
        if (d > 1) {
            const double speed = std::hypot(e.rx * std::sin(t), e.ry * std::cos(t));
            const double dt = std::min(d / (4 * std::max(speed, 1.0)), std::sqrt(d / rMax));
            stride = std::max(1.0, std::floor(dt / perStep));
        }
        i = std::min(i + stride, steps);
    }
    return pts;
}

Point centrePixel(const Rect& r) {
    const EllipseFrame e(r);
    return Point{nearby(static_cast<long long>(std::floor(e.cx + 0.5))),
                 nearby(static_cast<long long>(std::floor(e.cy + 0.5)))};
}

// Sutherland-Hodgman: the part of poly inside the rectangle r (poly closed implicitly).
QPolygonF clipToRect(const QPolygonF& poly, const QRectF& r) {
    QPolygonF out = poly;
    auto clipEdge = [&out](auto inside, auto cross) {
        const QPolygonF in = out;
        out.clear();
        for (int i = 0; i < in.size(); ++i) {
            const QPointF& a = in[i];
            const QPointF& b = in[(i + 1) % in.size()];
            if (inside(b)) {
                if (!inside(a))
                    out << cross(a, b);
                out << b;
            } else if (inside(a)) {
                out << cross(a, b);
            }
        }
    };
    auto atX = [](double x) {
        return [x](const QPointF& a, const QPointF& b) {
            return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x()));
        };
    };
    auto atY = [](double y) {
        return [y](const QPointF& a, const QPointF& b) {
            return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y);
        };
    };
    clipEdge([&](const QPointF& p) { return p.x() >= r.left(); }, atX(r.left()));
    clipEdge([&](const QPointF& p) { return p.x() <= r.right(); }, atX(r.right()));
    clipEdge([&](const QPointF& p) { return p.y() >= r.top(); }, atY(r.top()));
    clipEdge([&](const QPointF& p) { return p.y() <= r.bottom(); }, atY(r.bottom()));
    return out;
}

// The polygon Qt takes for the ellipse inscribed in box, clipped to `window` so that an
// ellipse far larger than the canvas becomes a polygon of the canvas's size. Within the
// window the clipped polygon covers what the whole one does.
QPolygon ellipsePolygon(const QRectF& box, const QRectF& window) {
    QPainterPath path;
    path.addEllipse(box);
    const QList<QPolygonF> parts = path.toSubpathPolygons();
    if (parts.isEmpty())
        return QPolygon();
    QPolygonF poly = parts.first();
    if (!window.contains(poly.boundingRect()))
        poly = clipToRect(poly, window);
    return poly.toPolygon();
}

QPolygonF pixelCentres(const std::vector<Point>& pts) {
    QPolygonF poly;
    poly.reserve(int(pts.size()));
    for (const Point& p : pts)
        poly << QPointF(p.x + 0.5, p.y + 0.5);
    return poly;
}

// The bounding box Qt's aliased ellipse needs so that its outline lies on the outermost
// pixels of L..R-1 x T..B-1.
QRect ellipseBox(const Rect& r) {
    return QRect(QPoint(nearby(r.left), nearby(r.top)),
                 QPoint(nearby(r.right - 2LL), nearby(r.bottom - 2LL)));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Bitmap

Bitmap::Bitmap(int width, int height) {
    setSize(width, height);
}

Bitmap::Bitmap(const Canvas& onto, const Rect& area) {
    if (onto.grid().isUnit()) {
        setSize(area.width(), area.height());
        return;
    }
    grid_ = onto.grid().forArea(area);
    size_ = Size{std::max(0, area.width()), std::max(0, area.height())};
    const Size device = grid_.deviceSize(size_);
    image_ = QImage(device.width, device.height, QImage::Format_RGB32);
    image_.setDevicePixelRatio(grid_.ratio());
    image_.fill(Qt::white);
}

void Bitmap::setSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    grid_ = DeviceGrid();
    size_ = Size{width, height};
    if (image_.width() == width && image_.height() == height && !image_.isNull() &&
        image_.devicePixelRatio() == 1.0)
        return;
    image_ = QImage(width, height, QImage::Format_RGB32);
    image_.fill(Qt::white);
}

// ---------------------------------------------------------------------------------------
// Canvas

Canvas::Canvas(QImage& target) : image_(&target) {
    // A control not yet laid out has an empty face; drawing on it must simply do nothing,
    // so the painter works on a stand-in pixel behind an empty clip.
    const bool empty = target.isNull();
    if (empty)
        standIn_ = QImage(1, 1, QImage::Format_RGB32);
    ownPainter_ = std::make_unique<QPainter>(empty ? &standIn_ : &target);
    painter_ = ownPainter_.get();
    const DeviceGrid grid(empty ? 1.0 : target.devicePixelRatio());
    const QSizeF logical = target.deviceIndependentSize();
    begin(grid, empty ? Size{} : Size{qRound(logical.width()), qRound(logical.height())});
}

Canvas::Canvas(Bitmap& target) : image_(&target.image()) {
    const bool empty = image_->isNull();
    if (empty)
        standIn_ = QImage(1, 1, QImage::Format_RGB32);
    ownPainter_ = std::make_unique<QPainter>(empty ? &standIn_ : image_);
    painter_ = ownPainter_.get();
    begin(empty ? DeviceGrid() : target.grid(),
          empty ? Size{} : Size{target.width(), target.height()});
}

Canvas::Canvas(QPainter& painter, Size size) : painter_(&painter) {
    painter_->save();
    const QPaintDevice* device = painter_->device();
    shapes_ = true;
    if (const QPaintEngine* engine = painter_->paintEngine()) {
        const QPaintEngine::Type t = engine->type();
        vectors_ = t == QPaintEngine::SVG || t == QPaintEngine::Pdf || t == QPaintEngine::Picture;
    }
    begin(DeviceGrid(device ? device->devicePixelRatio() : 1.0), size);
}

void Canvas::begin(const DeviceGrid& grid, Size size) {
    grid_ = grid;
    size_ = size;
    shapes_ = shapes_ || !grid_.isUnit();
    painter_->setRenderHint(QPainter::Antialiasing, shapes_);
    painter_->setRenderHint(QPainter::TextAntialiasing, shapes_);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, shapes_);
    if (image_ && !grid_.shift().isNull()) {
        // The image's own ratio scales the painter already; the shift comes on top.
        painter_->translate(grid_.shift() / grid_.ratio());
    }
    if (image_ && image_->isNull()) {
        painter_->setClipRect(QRect());
    } else if (image_ && !shapes_) {
        // The painter has detached the image; this is the buffer it draws into, pixel for
        // pixel as long as no device pixel ratio scales the painter's coordinates.
        bits_ = image_->bits();
        bytesPerLine_ = image_->bytesPerLine();
    } else if (image_ && writableFormat(image_->format())) {
        deviceBits_ = image_->bits();
        bytesPerLine_ = image_->bytesPerLine();
        deviceClip_ = image_->rect();
    }
    updateClipRecord();
}

Canvas::~Canvas() {
    if (ownPainter_) {
        if (ownPainter_->isActive())
            ownPainter_->end();
    } else {
        painter_->restore();
    }
}

void Canvas::setPenColor(ColorValue c) {
    penColor_ = c;
}
void Canvas::setPenWidth(int w) {
    penWidth_ = std::max(0, w);
}
void Canvas::setPenStyle(PenStyle s) {
    penStyle_ = s;
}
void Canvas::setPenMode(PenMode m) {
    penMode_ = m;
}
void Canvas::setBrushColor(ColorValue c) {
    brushColor_ = c;
}
void Canvas::setBrushStyle(BrushStyle s) {
    brushStyle_ = s;
}
void Canvas::setFont(const FontSpec& f) {
    if (f.name != font_.name || f.height != font_.height || f.size != font_.size ||
        f.bold != font_.bold || f.italic != font_.italic) {
        fontStale_ = true;
        painterHasFont_ = false;
    }
    font_ = f;
}

void Canvas::ensureFont() const {
    if (!fontStale_ && metrics_)
        return;
    ResolvedFont resolved = resolvedFont(font_);
    qfont_ = std::move(resolved.font);
    metrics_.emplace(qfont_);
    fontKey_ = std::move(resolved.key);
    fontStale_ = false;
}

QString Canvas::textKey(const QString& text) const {
    QString key = fontKey_;
    key += QChar(0x1f);
    key += text;
    return key;
}

int Canvas::advance(const QString& text) const {
    ensureFont();
    // The same texts come at every paint (a chart's labels and title, a scale's figures),
    // and laying one out costs more than drawing it: widths are kept per font, and forgotten
    // all at once when many have come (a reading's digits rarely come back).
    constexpr std::size_t kKept = 2048;
    thread_local std::unordered_map<QString, int> widths;
    QString key = textKey(text);
    const auto found = widths.find(key);
    if (found != widths.end())
        return found->second;
    if (widths.size() >= kKept)
        widths.clear();
    const int width =
        plainFigures(text) ? figuresWidth(*metrics_, text) : metrics_->horizontalAdvance(text);
    widths.emplace(std::move(key), width);
    return width;
}

void Canvas::setTextAlign(HAlign h, VAlign v) {
    hAlign_ = h;
    vAlign_ = v;
}

void Canvas::setBackMode(BackMode m) {
    backMode_ = m;
}

QColor Canvas::drawColor(ColorValue c) const {
    return toQColor(c);
}

int Canvas::effectivePenWidth() const {
    return std::max(1, penWidth_);
}

void Canvas::applyMode() {
    painter_->setCompositionMode(penMode_ == PenMode::pmNotXor
                                     ? QPainter::RasterOp_NotSourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

QPen Canvas::qtPen() const {
    if (penStyle_ == PenStyle::psClear || penColor_ == clNone)
        return QPen(Qt::NoPen);
    const int w = effectivePenWidth();
    QPen pen(drawColor(penColor_));
    pen.setWidth(w);
    // Wide pens are geometric: round ends and joins, and never dotted.
    pen.setCapStyle(w > 1 ? Qt::RoundCap : Qt::SquareCap);
    pen.setJoinStyle(w > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    if (w == 1 && penStyle_ == PenStyle::psDot)
        pen.setDashPattern({qreal(kDotOn), qreal(kDotPeriod - kDotOn)});
    return pen;
}

QBrush Canvas::qtBrush() const {
    if (brushStyle_ == BrushStyle::bsClear || brushColor_ == clNone)
        return QBrush(Qt::NoBrush);
    return QBrush(drawColor(brushColor_));
}

void Canvas::applyPen() {
    painter_->setPen(qtPen());
}

void Canvas::applyBrush() {
    painter_->setBrush(qtBrush());
}

void Canvas::strokePath(const std::vector<Point>& pts, bool closed) {
    // A colourless pen draws nothing, not even in not-XOR mode, where Qt would invert.
    if (penStyle_ == PenStyle::psClear || penColor_ == clNone || pts.empty())
        return;
    const int w = effectivePenWidth();
    if (w > 1) {
        applyPen();
        painter_->setBrush(Qt::NoBrush);
        applyMode();
        // Qt centres a wide aliased stroke on the pixel's top-left corner. An odd width is
        // moved onto the pixel centre so that it spreads evenly to both sides; an even
        // width cannot, and keeps one more pixel row above (or left of) the path.
        const double shift = (w % 2) ? 0.5 : 0.0;
        QPolygonF poly;
        for (const Point& p : pts)
            poly << QPointF(p.x + shift, p.y + shift);
        if (!closed && poly.size() == 2 && writeWideSegment(poly[0], poly[1]))
            return;
        if (closed)
            painter_->drawPolygon(poly);
        else if (poly.size() == 1)
            painter_->drawPoint(poly.first());
        else
            painter_->drawPolyline(poly);
        return;
    }
    if (shapes_) {
        strokeShape(pts, closed);
        return;
    }
    const ThinPath path{pts, closed, penStyle_ == PenStyle::psDot};
    if (writesDirectly()) {
        writeThinPath(path, clip_, PixelBuffer{bits_, bytesPerLine_}, drawColor(penColor_).rgb(),
                      penMode_ == PenMode::pmNotXor);
        return;
    }
    const QPolygon dots = thinPathPixels(path, clip_.rect());
    if (dots.isEmpty())
        return;
    QPen pen(drawColor(penColor_));
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
    painter_->setPen(pen);
    applyMode();
    painter_->drawPoints(dots);
}

void Canvas::strokeShape(const std::vector<Point>& pts, bool closed) {
    applyMode();
    const QColor colour = drawColor(penColor_);
    const bool dotted = penStyle_ == PenStyle::psDot;
    const size_t segments = closed ? pts.size() : pts.size() - 1;
    const auto straight = [&](size_t i) {
        const Point& a = pts[i];
        const Point& b = pts[(i + 1) % pts.size()];
        return a.x == b.x || a.y == b.y;
    };
    // Where figures stay figures, a path is drawn as one, however it runs.
    bool allStraight = !dotted && !vectors_;
    for (size_t i = 0; allStraight && i < segments; ++i)
        allStraight = straight(i);
    if (allStraight) {
        // Each segment covers its pixels from the start one up to, not including, the end
        // one: the rectangle of those pixels, on whole device pixels.
        for (size_t i = 0; i < segments; ++i) {
            const Point& a = pts[i];
            const Point& b = pts[(i + 1) % pts.size()];
            if (a == b)
                continue;
            Rect r{a.x, a.y, a.x + 1, a.y + 1};
            if (b.x > a.x)
                r.right = b.x;
            else if (b.x < a.x)
                r.left = b.x + 1;
            if (b.y > a.y)
                r.bottom = b.y;
            else if (b.y < a.y)
                r.top = b.y + 1;
            fillSnapped(r, colour);
        }
        return;
    }
    // Through the pixel centres; an open path starts half a pixel before its first centre
    // and stops half a pixel before its last, which it leaves out.
    QPolygonF poly = pixelCentres(pts);
    poly.erase(std::unique(poly.begin(), poly.end()), poly.end());
    if (closed && poly.size() > 2 && poly.first() == poly.last())
        poly.removeLast();
    if (poly.size() < 2)
        return;
    const auto halfStep = [](QPointF from, QPointF to) {
        const QPointF d = to - from;
        return d * (0.5 / std::hypot(d.x(), d.y()));
    };
    if (dotted && !closed && pts.size() == 2 && writeDottedSegment(pts[0], pts[1], colour))
        return;
    if (dotted || vectors_) {
        // The dots run on along the whole path; an open path starts and stops half a
        // pixel early, as segment by segment below.
        if (!closed) {
            poly.first() -= halfStep(poly[0], poly[1]);
            poly.last() -= halfStep(poly[poly.size() - 2], poly.last());
        }
        QPainterPath path;
        path.addPolygon(poly);
        if (closed)
            path.closeSubpath();
        QPen pen(colour, 1.0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin); // the corners square ends would cover
        if (dotted)
            pen.setDashPattern({qreal(kDotOn), qreal(kDotPeriod - kDotOn)});
        painter_->strokePath(path, pen);
        return;
    }
    // Segment by segment, each a straight line, which Qt smooths far faster than a path of
    // many: square ends cover the corners; an open path's last segment ends flat, half a
    // pixel before its end point, and its first starts half a pixel before its first.
    // Written straight into the image where that can be, one band per segment as Qt would
    // stroke it.
    const std::optional<QRect> direct = directDeviceClip(colour);
    const QTransform toDevice = grid_.transform();
    QPen pen(colour, 1.0);
    const int segmentCount = closed ? poly.size() : poly.size() - 1;
    for (int i = 0; i < segmentCount; ++i) {
        QPointF a = poly[i];
        QPointF b = poly[(i + 1) % poly.size()];
        const bool lastOfOpen = !closed && i == segmentCount - 1;
        if (lastOfOpen) {
            const QPointF back = halfStep(a, b);
            a -= back;
            b -= back;
        }
        if (direct) {
            // Moved back by half a pixel, the last segment's flat start is where a square
            // one would have begun.
            writeSmoothLine(SmoothLine{toDevice.map(a), toDevice.map(b), grid_.ratio(), !lastOfOpen,
                                       !lastOfOpen},
                            *direct, PixelBuffer{deviceBits_, bytesPerLine_}, colour.rgba());
            continue;
        }
        pen.setCapStyle(lastOfOpen ? Qt::FlatCap : Qt::SquareCap);
        painter_->setPen(pen);
        painter_->drawLine(a, b);
    }
}

void Canvas::fillSnapped(const Rect& r, const QColor& c) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (!image_) {
        painter_->fillRect(grid_.snapped(r), c);
        return;
    }
    const QRect device = toQRect(grid_.toDevice(r));
    const std::optional<QRect> clip = smallFill(device) ? directDeviceClip(c) : std::nullopt;
    if (clip) {
        fillPixels(deviceBits_, bytesPerLine_, clip->intersected(device), c.rgba());
        return;
    }
    // On device pixels, as DeviceFills puts them, in the painter's present mode.
    DeviceFills fills(*this);
    painter_->fillRect(device, c);
}

bool Canvas::writeWideSegment(QPointF a, QPointF b) {
    const QColor colour = drawColor(penColor_);
    const std::optional<QRect> clip = directDeviceClip(colour);
    if (!clip || penMode_ != PenMode::pmCopy || a == b || (a.x() != b.x() && a.y() != b.y()))
        return false;
    // The band between the ends and round ends as Qt's pen has them. Only where the band's
    // ends and sides lie on whole device pixels: the band is then a fill, and the ends
    // smoothed around it.
    const QTransform toDevice = grid_.transform();
    const double across = effectivePenWidth() * grid_.ratio();
    const QPointF from = toDevice.map(a), to = toDevice.map(b);
    const bool upright = a.x() == b.x();
    const double side = (upright ? from.x() : from.y()) - across / 2;
    // Whole, and far within the int range: the ints below are exact.
    const auto whole = [](double v) { return v == std::round(v) && std::abs(v) < kFar; };
    if (!whole(side) || !whole(across) || !whole(from.x()) || !whole(from.y()) || !whole(to.x()) ||
        !whole(to.y()))
        return false;
    const int along = int(upright ? std::min(from.y(), to.y()) : std::min(from.x(), to.x()));
    const int length = int(upright ? std::abs(to.y() - from.y()) : std::abs(to.x() - from.x()));
    const QRect band = upright ? QRect(int(side), along, int(across), length)
                               : QRect(along, int(side), length, int(across));
    const PixelBuffer target{deviceBits_, bytesPerLine_};
    fillPixels(deviceBits_, bytesPerLine_, clip->intersected(band), colour.rgba());
    writeDisc(from, across / 2, *clip, band, target, colour.rgba());
    writeDisc(to, across / 2, *clip, band, target, colour.rgba());
    return true;
}

bool Canvas::writeDottedSegment(Point a, Point b, const QColor& c) {
    const double ratio = grid_.ratio();
    if (ratio != std::floor(ratio) || !grid_.shift().isNull() || (a.x != b.x && a.y != b.y))
        return false;
    const std::optional<QRect> clip = directDeviceClip(c);
    if (!clip)
        return false;
    // The dots of the thin pen, each logical pixel a square of whole device pixels.
    const int step = int(ratio);
    const std::vector<Point> ends{a, b};
    const QRect window(QPoint(clip->left() / step, clip->top() / step),
                       QPoint(clip->right() / step, clip->bottom() / step));
    const QPolygon dots = thinPathPixels(ThinPath{ends, false, true}, window);
    // The dots come in order along the line; neighbours (a dot's pixels) are filled as one
    // rectangle.
    QRect run;
    QPoint previous;
    for (const QPoint& p : dots) {
        const QRect dot(p.x() * step, p.y() * step, step, step);
        if (!run.isNull() && (p - previous).manhattanLength() == 1) {
            run |= dot;
        } else {
            if (!run.isNull())
                fillPixels(deviceBits_, bytesPerLine_, run.intersected(*clip), c.rgba());
            run = dot;
        }
        previous = p;
    }
    if (!run.isNull())
        fillPixels(deviceBits_, bytesPerLine_, run.intersected(*clip), c.rgba());
    return true;
}

QTransform Canvas::deviceTransform() const {
    return QTransform::fromScale(1 / grid_.ratio(), 1 / grid_.ratio());
}

void Canvas::clipShapes(const Rect& r, Qt::ClipOperation op) {
    if (r.width() <= 0 || r.height() <= 0) {
        painter_->setClipRect(QRect(), Qt::ReplaceClip);
        deviceClip_ = QRect();
        return;
    }
    if (!image_) {
        painter_->setClipRect(grid_.snapped(r), op);
        return;
    }
    const QTransform logical = painter_->worldTransform();
    painter_->setWorldTransform(deviceTransform());
    const QRect device = toQRect(grid_.toDevice(r));
    painter_->setClipRect(device, op);
    painter_->setWorldTransform(logical);
    if (op == Qt::ReplaceClip)
        deviceClip_ = device;
    else if (deviceClip_)
        deviceClip_ = deviceClip_->intersected(device);
}

std::optional<QRect> Canvas::directDeviceClip(const QColor& c) const {
    if (!deviceBits_ || !deviceClip_ || c.alpha() != 255 ||
        painter_->compositionMode() != QPainter::CompositionMode_SourceOver)
        return std::nullopt;
    return deviceClip_->intersected(image_->rect());
}

// ---------------------------------------------------------------------------------------
// Text

void Canvas::textOut(int x, int y, const std::string& utf8) {
    const QString text = QString::fromStdString(utf8);
    ensureFont();
    const QFontMetrics& fm = *metrics_;
    const int w = advance(text);
    const int h = fm.ascent() + fm.descent();
    long long leftEdge = x;
    if (hAlign_ == HAlign::Right)
        leftEdge -= w;
    else if (hAlign_ == HAlign::Center)
        leftEdge -= w / 2;
    const int left = nearby(leftEdge);
    const int top = nearby(vAlign_ == VAlign::Bottom ? static_cast<long long>(y) - h : y);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (backMode_ == BackMode::Opaque) {
        if (shapes_)
            fillSnapped(Rect{left, top, clampToInt(left + static_cast<long long>(w)),
                             clampToInt(top + static_cast<long long>(h))},
                        drawColor(brushColor_));
        else
            painter_->fillRect(QRect(left, top, w, h), drawColor(brushColor_));
    }
    if (!painterHasFont_) {
        // Shapes take the glyphs' outlines at the device's resolution, smoothed; the
        // advances, and so every position, stay those of the metrics.
        QFont font = qfont_;
        if (shapes_)
            font.setStyleStrategy(QFont::PreferAntialias);
        painter_->setFont(font);
        painterHasFont_ = true;
    }
    if (shapes_ && image_ && qfont_.pixelSize() * grid_.ratio() >= kSpriteGlyphSize) {
        drawGlyphSprites(QPointF(left, top + fm.ascent()), text, drawColor(font_.color));
        return;
    }
    painter_->setPen(drawColor(font_.color));
    if (image_ && !shapes_) {
        QGlyphRun figures;
        if (figuresRun(text, figures)) {
            painter_->drawGlyphRun(QPointF(left, top + fm.ascent()), figures);
            return;
        }
        // Qt draws glyphs of 64 pixels and more as outlines, a kept layout from its glyph
        // cache all the same: those are left to drawText.
        constexpr int kCachedGlyphs = 64;
        if (qfont_.pixelSize() < kCachedGlyphs && !text.contains(QChar('\n')) &&
            !text.contains(QChar('\r')) && !text.contains(QChar('\t'))) {
            drawKeptText(QPointF(left, top), text);
            return;
        }
    }
    painter_->drawText(QPoint(left, top + fm.ascent()), text);
}

bool Canvas::figuresRun(const QString& text, QGlyphRun& run) const {
    if (text.isEmpty() || !plainFigures(text))
        return false;
    struct Figure {
        QRawFont font;
        quint32 glyph = 0;
        double advance = 0;
        bool single = false; // one glyph of the font's own
    };
    // The glyph and advance laying out the character alone gives: the canvas's fonts have no
    // kerning and figures no ligatures, so in a text they stand at the sum of the advances
    // before them, as a layout of the whole text puts them.
    constexpr std::size_t kKept = 1024;
    thread_local std::unordered_map<QString, Figure> kept;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    double x = 0;
    QRawFont font;
    for (const QChar ch : text) {
        QString key = textKey(QString(ch));
        key += shapes_ ? QChar('s') : QChar('p');
        auto found = kept.find(key);
        if (found == kept.end()) {
            if (kept.size() >= kKept)
                kept.clear();
            Figure f;
            QTextLayout layout(QString(ch), painter_->font());
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            const QList<QGlyphRun> runs = line.isValid() ? line.glyphRuns() : QList<QGlyphRun>();
            if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1) {
                f.font = runs[0].rawFont();
                f.glyph = runs[0].glyphIndexes()[0];
                f.advance = line.horizontalAdvance();
                f.single = true;
            }
            found = kept.emplace(std::move(key), std::move(f)).first;
        }
        const Figure& f = found->second;
        if (!f.single || (glyphs.isEmpty() ? (font = f.font, false) : !(font == f.font)))
            return false;
        glyphs.append(f.glyph);
        positions.append(QPointF(x, 0));
        x += f.advance;
    }
    run = QGlyphRun();
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return true;
}

void Canvas::drawKeptText(QPointF topLeft, const QString& text) {
    // A chart's labels and titles, a scale's figures come again at every paint: their
    // layout is kept, and drawing a kept layout costs a third of laying the text out. The
    // same pixels as drawText at the baseline, top + ascent.
    constexpr std::size_t kKept = 1024;
    thread_local std::unordered_map<QString, QStaticText> kept;
    QString key = textKey(text);
    auto found = kept.find(key);
    if (found == kept.end()) {
        if (kept.size() >= kKept)
            kept.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(painter_->transform(), qfont_);
        found = kept.emplace(std::move(key), std::move(laidOut)).first;
    }
    painter_->drawStaticText(topLeft, found->second);
}

void Canvas::drawGlyphSprites(QPointF baseline, const QString& text, const QColor& colour) {
    // Laid out as drawText lays it out, each glyph then put on the device as a sprite.
    QList<QGlyphRun> runs;
    QGlyphRun figures;
    double ascent = 0;
    if (figuresRun(text, figures)) {
        runs.append(figures);
    } else {
        QTextLayout layout(text, painter_->font());
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        if (!line.isValid())
            return;
        runs = line.glyphRuns();
        ascent = line.ascent();
    }
    for (const QGlyphRun& run : runs) {
        const QRawFont font = run.rawFont();
        QByteArray name;
        {
            QDataStream out(&name, QIODevice::WriteOnly);
            out << font.familyName() << font.styleName() << font.pixelSize() << font.weight()
                << int(font.style()) << int(font.hintingPreference()) << colour.rgba();
        }
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const quint32 glyph = glyphs[i];
            drawSprite(baseline + QPointF(positions[i].x(), positions[i].y() - ascent),
                       font.boundingRect(glyph), name + QByteArray::number(glyph),
                       [&](QPainter& p) {
                           p.setPen(colour);
                           QGlyphRun one;
                           one.setRawFont(font);
                           one.setGlyphIndexes({glyph});
                           one.setPositions({QPointF(0, 0)});
                           p.drawGlyphRun(QPointF(0, 0), one);
                       });
        }
    }
}

void Canvas::drawSprite(QPointF origin, const QRectF& box, const QByteArray& figure,
                        const std::function<void(QPainter&)>& draw) {
    // The sprite starts at the quarter of a device pixel nearest to where the figure does.
    const double ratio = grid_.ratio();
    const QPointF at = grid_.transform().map(origin);
    QPoint corner(int(std::floor(at.x())), int(std::floor(at.y())));
    int qx = int(std::lround((at.x() - corner.x()) * 4));
    int qy = int(std::lround((at.y() - corner.y()) * 4));
    if (qx == 4) {
        qx = 0;
        corner.rx() += 1;
    }
    if (qy == 4) {
        qy = 0;
        corner.ry() += 1;
    }
    QByteArray key = figure;
    key += '@';
    appendToKey(key, {ratio, double(qx), double(qy)});
    const Sprites::Sprite& sprite = Sprites::instance().get(key, [&] {
        const QPointF phase(qx / 4.0, qy / 4.0);
        // The figure's box on the device with pixels to spare for its smoothed edges.
        const QRect device = QRectF(box.x() * ratio + phase.x(), box.y() * ratio + phase.y(),
                                    box.width() * ratio, box.height() * ratio)
                                 .toAlignedRect()
                                 .adjusted(-2, -2, 2, 2);
        Sprites::Sprite made{QImage(device.size(), QImage::Format_ARGB32_Premultiplied),
                             device.topLeft()};
        made.image.fill(Qt::transparent);
        QPainter p(&made.image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.translate(phase - QPointF(device.topLeft()));
        p.scale(ratio, ratio);
        draw(p);
        return made;
    });
    const QPoint to = corner + sprite.offset;
    blit(Rect{to.x(), to.y(), to.x() + sprite.image.width(), to.y() + sprite.image.height()},
         sprite.image, QRectF(sprite.image.rect()), QPainter::CompositionMode_SourceOver);
}

Size Canvas::textExtent(const std::string& utf8) const {
    ensureFont();
    const QFontMetrics& fm = *metrics_;
    return Size{advance(QString::fromStdString(utf8)), fm.ascent() + fm.descent()};
}

// ---------------------------------------------------------------------------------------
// Shapes

void Canvas::fillRect(const Rect& r) {
    fillRect(r, brushColor_);
}

void Canvas::fillRect(const Rect& r, ColorValue c) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QColor colour = drawColor(c);
    if (fillDirectly(r, colour))
        return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (shapes_)
        fillSnapped(r, colour);
    else
        painter_->fillRect(toQRect(r), colour);
}

void Canvas::copyFrom(const Rect& dest, const Bitmap& from, Point at) {
    if (dest.width() <= 0 || dest.height() <= 0)
        return;
    if (!shapes_) {
        copyRect(dest, from.image(),
                 Rect{at.x, at.y, clampToInt(at.x + static_cast<long long>(dest.width())),
                      clampToInt(at.y + static_cast<long long>(dest.height()))});
        return;
    }
    const Rect to = grid_.toDevice(dest);
    const QPointF source(from.grid().edgeX(at.x), from.grid().edgeY(at.y));
    blit(to, from.image(), QRectF(source, QSizeF(to.width(), to.height())),
         QPainter::CompositionMode_Source);
}

void Canvas::fillDeviceRect(const Rect& d, ColorValue c) {
    DeviceFills device(*this);
    device.fill(d, c);
}

Canvas::DeviceFills::DeviceFills(Canvas& canvas) : canvas_(canvas) {
    if (!canvas_.shapes_ || !canvas_.image_)
        return;
    // In device pixels: a logical rectangle mapped there lands a hair off the pixel edges,
    // which antialiasing would show as a faint seam. Whole device pixels need none, and
    // Qt's smoothing of them is not exact under some clips (a pixel in 255 short).
    logical_ = canvas_.painter_->worldTransform();
    canvas_.painter_->setWorldTransform(canvas_.deviceTransform());
    canvas_.painter_->setRenderHint(QPainter::Antialiasing, false);
    mapped_ = true;
}

Canvas::DeviceFills::~DeviceFills() {
    if (!mapped_)
        return;
    canvas_.painter_->setWorldTransform(logical_);
    canvas_.painter_->setRenderHint(QPainter::Antialiasing, true);
}

void Canvas::DeviceFills::fill(const Rect& d, ColorValue c) {
    if (!canvas_.shapes_) {
        canvas_.fillRect(d, c);
        return;
    }
    if (d.width() <= 0 || d.height() <= 0)
        return;
    QPainter& painter = *canvas_.painter_;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (mapped_)
        painter.fillRect(toQRect(d), canvas_.drawColor(c));
    else
        painter.fillRect(canvas_.grid_.toLogical(d), canvas_.drawColor(c));
}

void Canvas::rectangle(const Rect& r) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const bool outlined = penStyle_ != PenStyle::psClear;
    if (brushStyle_ == BrushStyle::bsSolid) {
        // The inside is what the outline leaves; without an outline the whole area.
        const int inset = outlined ? std::min(effectivePenWidth(), 1) : 0;
        const Rect in{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
        if (in.width() > 0 && in.height() > 0 && brushColor_ != clNone) {
            applyMode();
            if (shapes_)
                fillSnapped(in, drawColor(brushColor_));
            else
                painter_->fillRect(toQRect(in), drawColor(brushColor_));
        }
    }
    if (!outlined)
        return;
    if (r.width() == 1 || r.height() == 1) {
        // A degenerate outline: one line covering the whole area, each pixel once.
        std::vector<Point> pts{{r.left, r.top}, {r.right - 1, r.bottom - 1}};
        if (effectivePenWidth() == 1) {
            pts.back() = r.width() == 1 ? Point{r.left, r.bottom} : Point{r.right, r.top};
        }
        strokePath(pts, false);
        return;
    }
    strokePath({{r.left, r.top},
                {r.right - 1, r.top},
                {r.right - 1, r.bottom - 1},
                {r.left, r.bottom - 1}},
               true);
}

void Canvas::frameRect(const Rect& r, ColorValue c) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QColor q = drawColor(c);
    if (shapes_) {
        fillSnapped(Rect{r.left, r.top, r.right, r.top + 1}, q);
        fillSnapped(Rect{r.left, r.bottom - 1, r.right, r.bottom}, q);
        fillSnapped(Rect{r.left, r.top, r.left + 1, r.bottom}, q);
        fillSnapped(Rect{r.right - 1, r.top, r.right, r.bottom}, q);
        return;
    }
    painter_->fillRect(QRect(r.left, r.top, r.width(), 1), q);
    painter_->fillRect(QRect(r.left, r.bottom - 1, r.width(), 1), q);
    painter_->fillRect(QRect(r.left, r.top, 1, r.height()), q);
    painter_->fillRect(QRect(r.right - 1, r.top, 1, r.height()), q);
}

void Canvas::moveTo(int x, int y) {
    penPos_ = {x, y};
}

void Canvas::lineTo(int x, int y) {
    const Point end{x, y};
    if (end != penPos_)
        strokePath({penPos_, end}, false);
    penPos_ = end;
}

void Canvas::polyline(const std::vector<Point>& pts) {
    if (pts.size() < 2)
        return;
    strokePath(pts, false);
}

void Canvas::fillPolygon(const std::vector<Point>& pts) {
    if (brushStyle_ != BrushStyle::bsSolid || pts.size() < 3)
        return;
    // Vertices on pixel centres, so the fill lines up with the outline drawn over it.
    painter_->setPen(Qt::NoPen);
    applyBrush();
    applyMode();
    // Shapes: under an opaque outline, which covers half a pixel to either side of the
    // edge, the fill's edge does not show, and filling without smoothing costs a fraction.
    const bool hidden = shapes_ && outlineCoversEdges();
    if (hidden)
        painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->drawPolygon(pixelCentres(pts), Qt::OddEvenFill);
    if (hidden)
        painter_->setRenderHint(QPainter::Antialiasing, true);
}

bool Canvas::outlineCoversEdges() const {
    return penStyle_ == PenStyle::psSolid && penColor_ != clNone &&
           drawColor(penColor_).alpha() == 255;
}

void Canvas::polygon(const std::vector<Point>& pts) {
    if (pts.size() < 2)
        return;
    fillPolygon(pts);
    strokePath(pts, true);
}

void Canvas::ellipse(const Rect& r) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if ((r.width() <= 2 || r.height() <= 2) && penStyle_ != PenStyle::psClear) {
        // Every pixel of so thin a box is on the outline. Qt's aliased ellipse misses the
        // single pixel and lets flat ones stick out sideways.
        if (penColor_ != clNone) {
            applyMode();
            if (shapes_)
                fillSnapped(r, drawColor(penColor_));
            else
                painter_->fillRect(toQRect(r), drawColor(penColor_));
        }
        return;
    }
    if (shapes_ && !modestFigure(r)) {
        // Too large to trace as a curve: the outline's pixels, as on a plain image.
        const std::vector<Point> pts =
            arcPoints(r, Point{r.right, 0}, Point{r.right, 0}, figureWindow());
        fillPolygon(pts);
        strokePath(pts, true);
        return;
    }
    if (shapes_ && image_ && penMode_ == PenMode::pmCopy && r.width() <= kSpriteFigure &&
        r.height() <= kSpriteFigure) {
        // A small ellipse comes again and again (a needle's hub at every reading): traced
        // once at the device's resolution, then put down as a picture.
        const QPen pen = qtPen();
        const QBrush brush = qtBrush();
        const int penWidth = effectivePenWidth();
        const QRectF box = centreBox(Rect{0, 0, r.width(), r.height()}, penWidth);
        QByteArray figure("ellipse:");
        appendToKey(figure, {double(r.width()), double(r.height()),
                             double(pen.style() == Qt::NoPen ? 0 : penWidth), double(penStyle_),
                             double(pen.color().rgba()), double(brush.style()),
                             double(brush.color().rgba())});
        const double margin = penWidth / 2.0 + 1.0;
        drawSprite(QPointF(r.left, r.top), box.adjusted(-margin, -margin, margin, margin), figure,
                   [&](QPainter& p) {
                       p.setPen(pen);
                       p.setBrush(brush);
                       p.drawEllipse(box);
                   });
        return;
    }
    applyPen();
    applyBrush();
    applyMode();
    if (shapes_)
        painter_->drawEllipse(centreBox(r, effectivePenWidth()));
    else
        painter_->drawEllipse(ellipseBox(r));
}

void Canvas::pie(const Rect& r, Point start, Point end) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (shapes_ && modestFigure(r)) {
        // The radii run through the centre pixel's centre, the curve through the centres of
        // the outermost pixels.
        const auto [from, span] = arcAngles(r, start, end);
        const Point c = centrePixel(r);
        QPainterPath path;
        path.moveTo(c.x + 0.5, c.y + 0.5);
        path.arcTo(centreBox(r, 1), from, span);
        path.closeSubpath();
        applyMode();
        if (brushStyle_ == BrushStyle::bsSolid && brushColor_ != clNone)
            painter_->fillPath(path, QBrush(drawColor(brushColor_)));
        if (penStyle_ != PenStyle::psClear && penColor_ != clNone) {
            applyPen();
            painter_->strokePath(path, painter_->pen());
        }
        return;
    }
    // Drawn as a polygon of whole pixels, so the outline reaches the bounding box and the
    // radii run through the centre pixel, as with the other figures.
    std::vector<Point> pts = arcPoints(r, start, end, figureWindow());
    pts.insert(pts.begin(), centrePixel(r));
    fillPolygon(pts);
    strokePath(pts, true);
}

void Canvas::arc(const Rect& r, Point start, Point end) {
    if (r.width() <= 0 || r.height() <= 0 || penStyle_ == PenStyle::psClear)
        return;
    if (shapes_ && modestFigure(r)) {
        if (penColor_ == clNone)
            return;
        const auto [from, span] = arcAngles(r, start, end);
        const QRectF box = centreBox(r, effectivePenWidth());
        QPainterPath path;
        path.arcMoveTo(box, from);
        path.arcTo(box, from, span);
        applyPen();
        QPen pen = painter_->pen();
        // Both end pixels stay, as with the pixels of a plain image.
        if (effectivePenWidth() == 1)
            pen.setCapStyle(Qt::SquareCap);
        applyMode();
        painter_->strokePath(path, pen);
        return;
    }
    const std::vector<Point> pts = arcPoints(r, start, end, figureWindow());
    if (pts.size() < 2)
        return;
    // An arc keeps both of its end pixels; only lines leave the end out.
    std::vector<Point> path = pts;
    const Point last = pts.back();
    const Point prev = pts[pts.size() - 2];
    path.push_back(Point{last.x + (last.x - prev.x), last.y + (last.y - prev.y)});
    if (effectivePenWidth() > 1)
        path.pop_back();
    strokePath(path, false);
}

void Canvas::setPixel(int x, int y, ColorValue c) {
    if (x < 0 || y < 0 || x >= width() || y >= height() || c == clNone)
        return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (shapes_)
        fillSnapped(Rect{x, y, x + 1, y + 1}, drawColor(c));
    else
        painter_->fillRect(QRect(x, y, 1, 1), drawColor(c));
}

ColorValue Canvas::pixel(int x, int y) const {
    if (!image_ || x < 0 || y < 0 || x >= width() || y >= height())
        return clNone;
    // The device pixel at the logical pixel's top-left corner.
    const int dx = grid_.edgeX(x), dy = grid_.edgeY(y);
    if (dx < 0 || dy < 0 || dx >= image_->width() || dy >= image_->height())
        return clNone;
    return fromQColor(QColor::fromRgb(image_->pixel(dx, dy)));
}

// ---------------------------------------------------------------------------------------
// Clipping

void Canvas::saveClip() {
    // A shape clip is kept as a path, the curves of a ring as curves.
    if (shapes_)
        shapeClipStack_.push_back({painter_->hasClipping() ? painter_->clipPath() : QPainterPath(),
                                   shapeClipBox_, deviceClip_});
    else
        clipStack_.push_back(painter_->clipRegion());
    clipEnabledStack_.push_back(painter_->hasClipping());
}

void Canvas::restoreClip() {
    if (clipEnabledStack_.empty())
        return;
    const bool enabled = clipEnabledStack_.back();
    clipEnabledStack_.pop_back();
    if (shapes_) {
        const SavedShapeClip saved = shapeClipStack_.back();
        shapeClipStack_.pop_back();
        if (enabled) {
            painter_->setClipPath(saved.path);
            deviceClip_ = saved.device;
        } else {
            removeClip();
        }
        shapeClipBox_ = saved.box;
        return;
    } else {
        const QRegion region = clipStack_.back();
        clipStack_.pop_back();
        if (enabled)
            painter_->setClipRegion(region);
        else
            removeClip();
    }
    updateClipRecord();
}

void Canvas::intersectClip(const Rect& r) {
    if (shapes_) {
        clipShapes(r, painter_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        shapeClipBox_ = boxOf(intersected(shapeClipBox_, r));
        return;
    }
    const QRect q = r.width() > 0 && r.height() > 0 ? toQRect(r) : QRect();
    if (painter_->hasClipping())
        painter_->setClipRegion(painter_->clipRegion().intersected(q));
    else
        painter_->setClipRegion(QRegion(q).intersected(QRect(0, 0, width(), height())));
    updateClipRecord();
}

void Canvas::setClipRect(const Rect& r) {
    if (shapes_) {
        clipShapes(r, Qt::ReplaceClip);
        shapeClipBox_ = boxOf(intersected(r, Rect{0, 0, width(), height()}));
        return;
    }
    const QRect q = r.width() > 0 && r.height() > 0 ? toQRect(r) : QRect();
    painter_->setClipRegion(QRegion(q));
    updateClipRecord();
}

void Canvas::clearClip() {
    removeClip();
    updateClipRecord();
}

Rect Canvas::boxOf(const Rect& r) {
    return r.width() > 0 && r.height() > 0 ? r : Rect{};
}

void Canvas::removeClip() {
    // Qt's raster engine, once clipping is switched off with setClipping(false), leaves
    // the next region set on the painter unapplied to fills and text while reporting it
    // in force. Clipping to the whole image draws the same and never switches it off.
    if (shapes_) {
        painter_->setClipRect(QRectF(-1, -1, width() + 2.0, height() + 2.0));
        if (image_)
            deviceClip_ = image_->rect();
    } else
        painter_->setClipRect(QRect(0, 0, width(), height()));
}

void Canvas::selectEllipseRingRegion(const Rect& outer, const Rect& inner, Point origin) {
    // Built in this canvas's coordinates and only where it can show: the current clip.
    const QRectF window =
        QRectF(toQRect(clipBox()))
            .adjusted(-kFigureMargin, -kFigureMargin, kFigureMargin, kFigureMargin);
    auto region = [&](const Rect& r) {
        const QRectF box(double(r.left) - origin.x, double(r.top) - origin.y,
                         double(r.right) - r.left, double(r.bottom) - r.top);
        return QRegion(ellipsePolygon(box, window), Qt::OddEvenFill);
    };
    if (shapes_) {
        auto path = [&](const Rect& r) {
            const QRectF box(double(r.left) - origin.x, double(r.top) - origin.y,
                             double(r.right) - r.left, double(r.bottom) - r.top);
            QPainterPath p;
            if (modestFigure(r))
                p.addEllipse(box);
            else
                p.addPolygon(ellipsePolygon(box, window));
            return p;
        };
        const bool some = outer.width() > 0 && outer.height() > 0;
        QPainterPath ring = some ? path(outer) : QPainterPath();
        if (inner.width() > 0 && inner.height() > 0)
            ring = ring.subtracted(path(inner));
        painter_->setClipPath(ring);
        deviceClip_.reset();
        const Rect box{clampToInt(static_cast<long long>(outer.left) - origin.x),
                       clampToInt(static_cast<long long>(outer.top) - origin.y),
                       clampToInt(static_cast<long long>(outer.right) - origin.x),
                       clampToInt(static_cast<long long>(outer.bottom) - origin.y)};
        shapeClipBox_ = some ? boxOf(intersected(box, Rect{0, 0, width(), height()})) : Rect{};
        return;
    }
    QRegion ring = outer.width() > 0 && outer.height() > 0 ? region(outer) : QRegion();
    if (inner.width() > 0 && inner.height() > 0)
        ring -= region(inner);
    painter_->setClipRegion(ring);
    updateClipRecord();
}

QRect Canvas::figureWindow() const {
    const int m = kFigureMargin + effectivePenWidth();
    return toQRect(clipBox()).adjusted(-m, -m, m, m);
}

void Canvas::updateClipRecord() {
    if (shapes_)
        shapeClipBox_ = image_ && image_->isNull() ? Rect{} : Rect{0, 0, width(), height()};
    else
        clip_.update(*painter_, QRect(0, 0, width(), height()));
}

bool Canvas::writesDirectly() const {
    if (!bits_)
        return false;
    const QImage::Format f = image_->format();
    // Not-XOR on a premultiplied image would have to follow Qt's treatment of alpha.
    return f == QImage::Format_RGB32 ||
           (f == QImage::Format_ARGB32_Premultiplied && penMode_ == PenMode::pmCopy);
}

bool Canvas::fillDirectly(const Rect& r, const QColor& c) {
    if (!bits_ || !clip_.isRect() || c.alpha() != 255 || !smallFill(toQRect(r)) ||
        !writableFormat(image_->format()))
        return false;
    fillPixels(bits_, bytesPerLine_, clip_.rect().intersected(toQRect(r)), c.rgba());
    return true;
}

Rect Canvas::clipBox() const {
    return shapes_ ? shapeClipBox_ : fromQRect(clip_.rect());
}

// ---------------------------------------------------------------------------------------
// Off-screen bitmaps

void Canvas::blit(const Rect& to, const QImage& src, const QRectF& from,
                  QPainter::CompositionMode mode) {
    painter_->setCompositionMode(mode);
    if (image_) {
        // Straight onto the device pixels: the image's own ratio scales the painter, this
        // scales it back.
        const QTransform logical = painter_->worldTransform();
        painter_->setWorldTransform(deviceTransform());
        // Pixel for pixel: smoothing would only slow the copy down.
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter_->drawImage(QRectF(to.left, to.top, to.width(), to.height()), src, from);
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, shapes_);
        painter_->setWorldTransform(logical);
    } else {
        painter_->drawImage(grid_.toLogical(to), src, from);
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::draw(int x, int y, const QImage& src) {
    if (src.isNull())
        return;
    if (shapes_) {
        if (src.devicePixelRatio() == grid_.ratio()) {
            const int dx = grid_.edgeX(x), dy = grid_.edgeY(y);
            blit(Rect{dx, dy, clampToInt(dx + static_cast<long long>(src.width())),
                      clampToInt(dy + static_cast<long long>(src.height()))},
                 src, QRectF(src.rect()), QPainter::CompositionMode_Source);
            return;
        }
        painter_->setCompositionMode(QPainter::CompositionMode_Source);
        painter_->drawImage(QRectF(QPointF(x, y), src.deviceIndependentSize()), src);
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    painter_->setCompositionMode(QPainter::CompositionMode_Source);
    painter_->drawImage(QPoint(nearby(x), nearby(y)), src);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::stretchDraw(const Rect& dest, const QImage& src) {
    if (src.isNull() || dest.width() <= 0 || dest.height() <= 0)
        return;
    if (shapes_) {
        const Rect d = grid_.toDevice(dest);
        if (src.width() == d.width() && src.height() == d.height()) {
            blit(d, src, QRectF(src.rect()), QPainter::CompositionMode_Source);
            return;
        }
        painter_->setCompositionMode(QPainter::CompositionMode_Source);
        painter_->drawImage(grid_.snapped(dest), src);
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    painter_->setCompositionMode(QPainter::CompositionMode_Source);
    painter_->drawImage(toQRect(dest), src);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void Canvas::drawTransparent(int x, int y, const QImage& src, ColorValue key) {
    if (src.isNull())
        return;
    x = nearby(x);
    y = nearby(y);
    if (key == clNone) {
        draw(x, y, src);
        return;
    }
    const QRgb keyRgb = toQColor(key).rgb() & 0x00FFFFFFu;
    if (bits_ && clip_.isRect() && src.format() == QImage::Format_RGB32 &&
        src.constBits() != bits_ &&
        (image_->format() == QImage::Format_RGB32 ||
         image_->format() == QImage::Format_ARGB32_Premultiplied)) {
        // The common case, an opaque bitmap under a plain clip, needs no masked copy.
        const QRect area = QRect(x, y, src.width(), src.height()).intersected(clip_.rect());
        for (int row = area.top(); row <= area.bottom(); ++row) {
            const QRgb* from =
                reinterpret_cast<const QRgb*>(src.constScanLine(row - y)) + (area.left() - x);
            QRgb* to =
                reinterpret_cast<QRgb*>(bits_ + qsizetype(row) * bytesPerLine_) + area.left();
            for (int i = 0; i < area.width(); ++i)
                if ((from[i] & 0x00FFFFFFu) != keyRgb)
                    to[i] = from[i] | 0xFF000000u;
        }
        return;
    }
    QImage masked = src.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < masked.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(row));
        for (int col = 0; col < masked.width(); ++col) {
            if ((line[col] & 0x00FFFFFFu) == keyRgb)
                line[col] = 0;
            else
                line[col] |= 0xFF000000u;
        }
    }
    if (shapes_ && masked.devicePixelRatio() == grid_.ratio()) {
        const int dx = grid_.edgeX(x), dy = grid_.edgeY(y);
        blit(Rect{dx, dy, clampToInt(dx + static_cast<long long>(masked.width())),
                  clampToInt(dy + static_cast<long long>(masked.height()))},
             masked, QRectF(masked.rect()), QPainter::CompositionMode_SourceOver);
        return;
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (shapes_)
        painter_->drawImage(QRectF(QPointF(x, y), masked.deviceIndependentSize()), masked);
    else
        painter_->drawImage(QPoint(x, y), masked);
}

void Canvas::copyRect(const Rect& dest, const QImage& from, const Rect& src) {
    if (from.isNull() || dest.width() <= 0 || dest.height() <= 0 || src.width() <= 0 ||
        src.height() <= 0)
        return;
    painter_->setCompositionMode(QPainter::CompositionMode_Source);
    if (shapes_) {
        // Both rectangles are logical; `from` is read at its own ratio.
        const double k = from.devicePixelRatio();
        painter_->drawImage(grid_.snapped(dest), from,
                            QRectF(src.left * k, src.top * k, src.width() * k, src.height() * k));
    } else {
        painter_->drawImage(toQRect(dest), from, toQRect(src));
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

Rect drawRings(Canvas& canvas, const Rect& r, int count,
               const std::function<std::pair<ColorValue, ColorValue>(int i)>& colours) {
    // Ring i lies on columns r.left + i - 1 and r.right - i and on rows r.top + i - 1 and
    // r.bottom - i; only rings with one of these within the clip can show.
    const Rect clip = canvas.clipBox();
    const long long l = r.left, t = r.top, rr = r.right, b = r.bottom;
    std::pair<long long, long long> runs[] = {
        {clip.left - l + 1, clip.right - l},
        {rr - clip.right + 1, rr - clip.left},
        {clip.top - t + 1, clip.bottom - t},
        {b - clip.bottom + 1, b - clip.top},
    };
    std::sort(std::begin(runs), std::end(runs));
    canvas.setPenWidth(1);
    canvas.setPenStyle(PenStyle::psSolid);
    long long next = 1; // the first ring not yet drawn
    for (const auto& [from, to] : runs) {
        for (long long i = std::max(from, next); i <= std::min<long long>(to, count); ++i) {
            const Rect ring = shrinkRect(r, i - 1);
            const int right = clampToInt(ring.right - 1LL);
            const int bottom = clampToInt(ring.bottom - 1LL);
            const auto [topLeft, bottomRight] = colours(int(i));
            canvas.setPenColor(topLeft);
            canvas.polyline({{ring.left, bottom}, {ring.left, ring.top}, {right, ring.top}});
            canvas.setPenColor(bottomRight);
            canvas.polyline(
                {{right, ring.top}, {right, bottom}, {clampToInt(ring.left - 1LL), bottom}});
        }
        next = std::max(next, to + 1);
    }
    return shrinkRect(r, std::max(count, 0));
}

int scrollBarArrowHeight() {
    int h = 16;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        h = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(1, h);
}

} // namespace kv
