#include "chart/panel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// margin percent of a length, halves rounded away from zero
int percentOf(int percent, int length) {
    return int(std::lround(double(percent) * double(length) / 100.0));
}

} // namespace

FontSpec defaultChartFont() {
    FontSpec f;
    f.name = "Arial";
    f.height = 0;
    f.size = 8;
    f.color = clBlack;
    return f;
}

// ---------------------------------------------------------------------------------------
// ChartTitle

ChartTitle::ChartTitle() : font_(defaultChartFont()) {
    font_.color = clBlue;
}

void ChartTitle::paint(Canvas& c, Rect& plot, bool foot) {
    block_ = Rect{};
    c.setFont(font_);
    const Size w = c.textExtent("W");
    const int lineHeight = w.height;
    const int lines = int(text_.size());

    const bool clearBrush = brush_.style() == BrushStyle::bsClear ||
                            (color_ == ColorDefault && brush_.color() == ColorDefault);
    if (clearBrush) {
        c.setBrushStyle(BrushStyle::bsClear);
    } else {
        c.setBrushStyle(BrushStyle::bsSolid);
        c.setBrushColor(brush_.color() != ColorDefault ? brush_.color() : color_);
    }
    const int frameWidth = frame_.visible() ? frame_.width() : 0;

    Rect block{plot.left, 0, plot.right, 0};
    if (foot) {
        block.bottom = plot.bottom;
        block.top = block.bottom - lines * lineHeight;
    } else {
        block.top = plot.top;
        block.bottom = block.top + lines * lineHeight;
    }
    if (lines == 0)
        return;

    int widest = 0;
    for (const auto& line : text_)
        widest = std::max(widest, c.textWidth(line));

    if (frame_.visible() || !clearBrush) {
        Rect box = block;
        if (adjustFrame_) {
            const int boxWidth = widest + w.width;
            switch (alignment_) {
            case TitleAlignment::taLeftJustify:
                box.right = box.left + boxWidth;
                break;
            case TitleAlignment::taRightJustify:
                box.left = box.right - boxWidth;
                break;
            case TitleAlignment::taCenter:
                box.left = (block.left + block.right) / 2 - boxWidth / 2;
                box.right = box.left + boxWidth;
                break;
            }
        }
        frame_.applyTo(c);
        c.rectangle(Rect{box.left - frameWidth, box.top - frameWidth, box.right + frameWidth,
                         box.bottom + frameWidth});
    }

    c.setBackMode(BackMode::Transparent);
    c.setTextAlign(HAlign::Left, VAlign::Top);
    for (int i = 0; i < lines; ++i) {
        const std::string& line = text_[std::size_t(i)];
        const int lw = c.textWidth(line);
        int x = 0;
        switch (alignment_) {
        case TitleAlignment::taLeftJustify:
            x = block.left + w.width / 2;
            break;
        case TitleAlignment::taRightJustify:
            x = block.right - lw - w.width / 2;
            break;
        case TitleAlignment::taCenter:
            x = (block.left + block.right) / 2 - lw / 2;
            break;
        }
        c.textOut(x, block.top + i * lineHeight, line);
    }
    block_ = block;
    if (foot)
        plot.bottom = block.top - frameWidth - kTitleGap;
    else
        plot.top = block.bottom + frameWidth + kTitleGap;
}

// ---------------------------------------------------------------------------------------
// BufferedPanel

BufferedPanel::BufferedPanel(QWidget* parent) : QWidget(parent) {
    // The buffer covers every pixel, so the background is never erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BufferedPanel::requestRepaint() {
    // Settings touched by the pass itself (the automatic axis range) must not start
    // another pass.
    if (!constructed_ || inPass_)
        return;
    bufferStale_ = true;
    update();
}

void BufferedPanel::paintChart(Canvas& target, const Rect& r) {
    renderBuffer(r.width(), r.height());
    target.draw(r.left, r.top, buffer_);
}

void BufferedPanel::renderBuffer(int width, int height) {
    if (width < 1 || height < 1) {
        bufferStale_ = false;
        return;
    }
    if (buffer_.width() != width || buffer_.height() != height)
        buffer_.setSize(width, height);
    inPass_ = true;
    {
        Canvas c(buffer_);
        panelRect_ = Rect{0, 0, width, height};
        plotRect_ = Rect{panelRect_.left + borderWidth_ + percentOf(marginLeft_, width),
                         panelRect_.top + borderWidth_ + percentOf(marginTop_, height),
                         panelRect_.right - borderWidth_ - percentOf(marginRight_, width),
                         panelRect_.bottom - borderWidth_ - percentOf(marginBottom_, height)};
        recalcPlotSize();
        paintContents(c);
    }
    inPass_ = false;
    bufferStale_ = false;
}

void BufferedPanel::paintEvent(QPaintEvent* e) {
    if (bufferStale_ || buffer_.width() != width() || buffer_.height() != height())
        renderBuffer(width(), height());
    if (buffer_.image().isNull())
        return;
    QPainter p(this);
    p.drawImage(e->rect(), buffer_.image(), e->rect());
}

void BufferedPanel::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Hidden widgets get resize events on every grab; only a real change of size makes
    // the kept bitmap unusable.
    if (e->size() != QSize(buffer_.width(), buffer_.height()))
        bufferStale_ = true;
}

void BufferedPanel::recalcPlotSize() {
    Rect& r = plotRect_;
    if (r.left < panelRect_.left)
        r.left = panelRect_.left;
    if (r.top < panelRect_.top)
        r.top = panelRect_.top;
    if (r.right < r.left)
        r.right = r.left + 1;
    else if (r.right == r.left)
        r.right = r.left + panelRect_.width();
    if (r.bottom < r.top)
        r.bottom = r.top + 1;
    else if (r.bottom == r.top)
        r.bottom = r.top + panelRect_.height();
}

bool BufferedPanel::bufferCurrent() const {
    return !bufferStale_ && !buffer_.image().isNull() && buffer_.width() == width() &&
           buffer_.height() == height();
}

void BufferedPanel::drawOnBuffer(const std::function<void(Canvas&)>& draw, const Rect& dirty) {
    if (buffer_.image().isNull())
        return;
    {
        Canvas c(buffer_);
        draw(c);
    }
    repaint(QRect(dirty.left, dirty.top, dirty.width(), dirty.height()));
}

void BufferedPanel::frame3D(Canvas& c, Rect& r, ColorValue topLeft, ColorValue bottomRight,
                            int width) {
    // Each ring: the left column and top row in the first colour, then the right column
    // and bottom row in the second, which also takes the top-right and bottom-left corners.
    c.setPenWidth(1);
    int right = r.right - 1;
    int bottom = r.bottom - 1;
    int left = r.left;
    int top = r.top;
    for (int i = 0; i < width; ++i) {
        c.setPenColor(topLeft);
        c.polyline({{left, bottom}, {left, top}, {right, top}});
        c.setPenColor(bottomRight);
        c.polyline({{right, top}, {right, bottom}, {left - 1, bottom}});
        ++left;
        ++top;
        --right;
        --bottom;
    }
    r = Rect{left, top, right + 1, bottom + 1};
}

void BufferedPanel::paintBevel(Canvas& c, Rect& r, PanelBevel b) {
    switch (b) {
    case PanelBevel::bvNone:
        break;
    case PanelBevel::bvRaised:
        frame3D(c, r, clBtnHighlight, clBtnShadow, bevelWidth_);
        break;
    case PanelBevel::bvLowered:
        frame3D(c, r, clBtnShadow, clBtnHighlight, bevelWidth_);
        break;
    }
}

void BufferedPanel::paintBackground(Canvas& c) {
    c.setBrushStyle(BrushStyle::bsSolid);
    c.setBrushColor(color_);
    c.fillRect(panelRect_, color_);

    c.setPenStyle(PenStyle::psSolid);
    c.setPenWidth(1);
    c.setPenMode(PenMode::pmCopy);
    c.setBrushStyle(BrushStyle::bsClear);
    Rect r = panelRect_;
    paintBevel(c, r, bevelOuter_);
    if (borderWidth_ > 0)
        frame3D(c, r, color_, color_, borderWidth_);
    paintBevel(c, r, bevelInner_);
}

// ---------------------------------------------------------------------------------------
// ExtendedPanel

void ExtendedPanel::drawZoomFrame(Canvas& c) {
    // The panel colour, or black where that colour would vanish on a white back wall.
    const ColorValue pen = resolveColor(color()) == clWhite ? clBlack : color();
    c.setPenColor(pen);
    c.setPenMode(PenMode::pmNotXor);
    c.setPenStyle(PenStyle::psSolid);
    c.setPenWidth(1);
    c.setBrushStyle(BrushStyle::bsClear);
    c.rectangle(zoomFrame(zoomDrag_));
    c.setPenMode(PenMode::pmCopy);
}

void ExtendedPanel::changeZoomDrag(const std::function<void(DragState&)>& change) {
    if (!bufferCurrent()) {
        change(zoomDrag_);
        repaint();
        return;
    }
    DragState next = zoomDrag_;
    change(next);
    const Rect before = zoomFrame(zoomDrag_);
    const Rect after = zoomFrame(next);
    const Rect dirty{std::min(before.left, after.left), std::min(before.top, after.top),
                     std::max(before.right, after.right), std::max(before.bottom, after.bottom)};
    drawOnBuffer(
        [&](Canvas& c) {
            if (zoomDrag_.active)
                drawZoomFrame(c);
            zoomDrag_ = next;
            if (zoomDrag_.active)
                drawZoomFrame(c);
        },
        dirty);
}

// ---------------------------------------------------------------------------------------
// AxisPanel

AxisPanel::AxisPanel(QWidget* parent)
    : ExtendedPanel(parent), bottom_(std::make_unique<ChartAxis>(true, false)),
      top_(std::make_unique<ChartAxis>(true, true)),
      left_(std::make_unique<ChartAxis>(false, false)),
      right_(std::make_unique<ChartAxis>(false, true)), depth_(std::make_unique<ChartDepthAxis>()) {
    for (AxisBase* a : axes())
        a->onChange = [this](SettingsObject&) { requestRepaint(); };
}

// The series are not touched here: their owner may have destroyed them first. A series
// that outlives the chart finds its repaint handler's guard empty.
AxisPanel::~AxisPanel() = default;

std::vector<AxisBase*> AxisPanel::axes() const {
    return {bottom_.get(), top_.get(), left_.get(), right_.get(), depth_.get()};
}

void AxisPanel::addSeries(ChartSeries* s) {
    if (!s || std::find(series_.begin(), series_.end(), s) != series_.end())
        return;
    series_.push_back(s);
    s->setAxes(bottom_.get(), left_.get());
    s->setRepaintHandler([chart = QPointer<AxisPanel>(this)] {
        if (chart)
            chart->requestRepaint();
    });
    requestRepaint();
}

void AxisPanel::removeSeries(ChartSeries* s) {
    auto it = std::find(series_.begin(), series_.end(), s);
    if (it == series_.end())
        return;
    series_.erase(it);
    s->setRepaintHandler(nullptr);
    s->setAxes(nullptr, nullptr);
    requestRepaint();
}

bool AxisPanel::hasActiveSeries() const {
    return std::any_of(series_.begin(), series_.end(),
                       [](const ChartSeries* s) { return s->active(); });
}

bool AxisPanel::axisShown(const AxisBase& a) const {
    if (!axisVisible_ || !a.visible())
        return false;
    if (&a == depth_.get())
        return view3D();
    if (!hasActiveSeries())
        return true;
    return std::any_of(series_.begin(), series_.end(), [&a](const ChartSeries* s) {
        return s->active() && (s->horizontalAxis() == &a || s->verticalAxis() == &a);
    });
}

void AxisPanel::paintContents(Canvas& c) {
    paintBackground(c);
    for (ChartSeries* s : series_)
        if (s->active())
            s->prepareForDrawing();
    paintTitles(c);
    layoutAxes(c);
    for (AxisBase* a :
         {static_cast<AxisBase*>(top_.get()), static_cast<AxisBase*>(left_.get()),
          static_cast<AxisBase*>(right_.get()), static_cast<AxisBase*>(bottom_.get())})
        applySeriesMargins(*a);
    paintBackWall(c);

    if (onBeforeDrawAxes)
        onBeforeDrawAxes(*this);
    for (AxisBase* a : axes())
        if (axisShown(*a))
            a->draw(c, plotRect(), color());

    if (onBeforeDrawSeries)
        onBeforeDrawSeries(*this);
    for (ChartSeries* s : series_)
        if (s->active())
            s->paintAllPoints(c, plotRect());

    if (zoomDrag_.active)
        drawZoomFrame(c);
    resetCanvas(c);
    if (onAfterDraw)
        onAfterDraw(*this);
}

void AxisPanel::layoutAxes(Canvas& c) {
    for (AxisBase* a : axes())
        a->adjustRange(series_);
    recalcPlotSize();
    Rect r = plotRect();
    for (AxisBase* a : axes()) {
        if (!axisShown(*a))
            continue;
        Rect taken = r;
        a->applySpace(c, taken);
        const Rect cut{std::max(r.left, taken.left), std::max(r.top, taken.top),
                       std::min(r.right, taken.right), std::min(r.bottom, taken.bottom)};
        // An axis that would take everything leaves the rectangle as it was.
        if (cut.left < cut.right && cut.top < cut.bottom)
            r = cut;
    }
    setPlotRect(r);
    recalcPlotSize();
    for (AxisBase* a : axes())
        a->setPixelSpan(plotRect());
}

void AxisPanel::applySeriesMargins(AxisBase& a) {
    // Widen the range so that the pixels the series ask for beyond their points fit
    // inside the plot rectangle.
    int before = 0, after = 0;
    for (const ChartSeries* s : series_) {
        if (!s->active())
            continue;
        SeriesMargins m;
        if (s->horizontalAxis() == &a)
            m = s->horizontalMargins();
        else if (s->verticalAxis() == &a)
            m = s->verticalMargins();
        else
            continue;
        before = std::max(before, m.before);
        after = std::max(after, m.after);
    }
    const int usable = a.axisLength() - before - after;
    if ((before == 0 && after == 0) || usable < 1)
        return;
    const double perPixel = a.scaleSpan() / usable;
    // For a vertical axis "before" is the top edge, which shows the maximum.
    const double low = a.horizontal() ? before : after;
    const double high = a.horizontal() ? after : before;
    a.setScale(a.scaleMin() - low * perPixel, a.scaleMax() + high * perPixel);
}

void AxisPanel::resetCanvas(Canvas& c) {
    c.setPenMode(PenMode::pmCopy);
    c.setPenColor(clBlack);
    c.setPenWidth(1);
    c.setPenStyle(PenStyle::psSolid);
    c.setBrushColor(clWhite);
    c.setBrushStyle(BrushStyle::bsSolid);
    FontSpec f = defaultChartFont();
    f.size = 10;
    c.setFont(f);
    c.setBackMode(BackMode::Transparent);
}

// ---------------------------------------------------------------------------------------
// ChartBase

ChartBase::ChartBase(QWidget* parent) : AxisPanel(parent) {
    auto repaint = [this](SettingsObject&) { requestRepaint(); };
    for (SettingsObject* o : std::initializer_list<SettingsObject*>{
             &title_, &title_.brush(), &title_.frame(), &foot_, &foot_.brush(), &foot_.frame(),
             &legend_, &backWall_, &backWall_.brush(), &backWall_.pen(), &leftWall_,
             &leftWall_.brush(), &leftWall_.pen(), &bottomWall_, &bottomWall_.brush(),
             &bottomWall_.pen()})
        o->onChange = repaint;
}

void ChartBase::paintTitles(Canvas& c) {
    Rect plot = plotRect();
    if (title_.visible())
        title_.paint(c, plot, false);
    if (foot_.visible())
        foot_.paint(c, plot, true);
    setPlotRect(plot);
    recalcPlotSize();
}

void ChartBase::paintBackWall(Canvas& c) {
    backWall_.pen().applyTo(c);
    c.setPenMode(PenMode::pmCopy);
    const ChartBrush& b = backWall_.brush();
    if (b.style() == BrushStyle::bsClear) {
        c.setBrushStyle(BrushStyle::bsClear);
    } else {
        c.setBrushStyle(BrushStyle::bsSolid);
        c.setBrushColor(backWall_.color() != ColorDefault ? backWall_.color() : b.color());
    }
    const Rect& p = plotRect();
    c.rectangle(Rect{p.left, p.top, p.right + 1, p.bottom + 1});
}

} // namespace kv
