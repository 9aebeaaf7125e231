#include "chart/axis_panel.h"

#include "chart/chart_title.h"

#include <QPointer>
#include <algorithm>

namespace kv {

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
            chart->seriesChanged();
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

bool AxisPanel::Underlay::Axis::operator==(const Axis& o) const {
    return shown == o.shown && scaleMin == o.scaleMin && scaleMax == o.scaleMax &&
           startPixel == o.startPixel && endPixel == o.endPixel && labelsPos == o.labelsPos &&
           dateTime == o.dateTime && clock == o.clock;
}

void AxisPanel::paintContents(Canvas& c) {
    for (ChartSeries* s : series_)
        if (s->active())
            s->prepareForDrawing();
    // Only new points since a pass that kept its underlay: the layout runs first, and when
    // the axes come out of it as they were, everything under the series stands as that
    // pass left it but the plot's inside, which comes back from the underlay.
    const Rect fromMargins = plotRect();
    std::optional<Rect> laidOutFrom;
    if (underlayFits(c)) {
        laidOutFrom = underlay_->afterTitles;
        setPlotRect(*laidOutFrom);
        recalcPlotSize();
        layoutAxes(c);
        applySeriesMargins();
        if (plotRect() == underlay_->plot && axesLaidOut() == underlay_->axes) {
            underlay_->pixels.put(c);
            underlay_->pass = passCount();
            paintSeriesAndAfter(c);
            return;
        }
    }
    underlay_.reset();
    const Rect laidOut = plotRect();
    setPlotRect(fromMargins);
    paintBackground(c);
    paintTitles(c);
    const Rect afterTitles = plotRect();
    if (laidOutFrom && afterTitles == *laidOutFrom) {
        // Laid out above from this very rectangle: a second layout would measure the
        // labels against the first one's axis lengths rather than the last pass's.
        setPlotRect(laidOut);
    } else {
        layoutAxes(c);
        applySeriesMargins();
    }
    paintBackWall(c);

    if (onBeforeDrawAxes)
        onBeforeDrawAxes(*this);
    for (AxisBase* a : axes())
        if (axisShown(*a))
            a->draw(c, plotRect(), color());
    if (underlayAllowed(c))
        keepUnderlay(c, afterTitles);
    paintSeriesAndAfter(c);
}

void AxisPanel::paintSeriesAndAfter(Canvas& c) {
    if (onBeforeDrawSeries)
        onBeforeDrawSeries(*this);
    for (ChartSeries* s : series_)
        if (s->active())
            s->paintAllPoints(c, plotRect());
    paintOverSeries(c);

    if (zoomDrag_.active)
        drawZoomFrame(c);
    resetCanvas(c);
    if (onAfterDraw)
        onAfterDraw(*this);
}

bool AxisPanel::underlayAllowed(const Canvas& c) const {
    // The series stay inside the back wall's frame; a zoom frame, marks over the series
    // and whatever a handler does before the axes need not.
    return c.image() == &face() && !onBeforeDrawAxes && !zoomDrag_.active && !paintsOverSeries();
}

bool AxisPanel::underlayFits(const Canvas& c) const {
    // The underlay goes back whole, so the pass must draw on all of it.
    return underlay_ && onlyPointsChanged() && underlay_->pass + 1 == passCount() &&
           underlay_->panel == panelRect() && underlay_->ratio == c.grid().ratio() &&
           intersected(seriesArea(underlay_->plot), c.clipBox()) == seriesArea(underlay_->plot) &&
           underlayAllowed(c);
}

std::vector<AxisPanel::Underlay::Axis> AxisPanel::axesLaidOut() const {
    std::vector<Underlay::Axis> out;
    for (const AxisBase* a : axes()) {
        Underlay::Axis l;
        // A hidden axis draws nothing and takes no room, whatever its range.
        l.shown = axisShown(*a);
        if (l.shown) {
            l.scaleMin = a->scaleMin();
            l.scaleMax = a->scaleMax();
            l.startPixel = a->startPixel();
            l.endPixel = a->endPixel();
            l.labelsPos = a->labelsPos();
            l.dateTime = a->dateTimeMode();
            l.clock = a->clockLabels();
        }
        out.push_back(l);
    }
    return out;
}

void AxisPanel::keepUnderlay(Canvas& c, const Rect& afterTitles) {
    // Kept only whole: a pass clipped to less leaves older pixels beyond its clip.
    const Rect area = seriesArea(plotRect());
    if (area.width() <= 0 || area.height() <= 0 || intersected(area, c.clipBox()) != area)
        return;
    Underlay u;
    u.pass = passCount();
    u.ratio = c.grid().ratio();
    u.panel = panelRect();
    u.afterTitles = afterTitles;
    u.plot = plotRect();
    u.axes = axesLaidOut();
    u.pixels = RowRuns(c, area);
    if (!u.pixels.empty())
        underlay_ = std::move(u);
}

void AxisPanel::adjustAxisRanges() {
    for (AxisBase* a : axes())
        a->adjustRange(series_);
}

void AxisPanel::layoutAxes(Canvas& c) {
    adjustAxisRanges();
    recalcPlotSize();
    Rect r = plotRect();
    for (AxisBase* a : axes()) {
        if (!axisShown(*a))
            continue;
        Rect taken = r;
        a->applySpace(c, taken);
        const Rect cut = intersected(r, taken);
        // An axis that would take everything leaves the rectangle as it was.
        if (cut.left < cut.right && cut.top < cut.bottom)
            r = cut;
    }
    setPlotRect(r);
    recalcPlotSize();
    for (AxisBase* a : axes())
        a->setPixelSpan(plotRect());
}

void AxisPanel::applySeriesMargins() {
    for (AxisBase* a :
         {static_cast<AxisBase*>(top_.get()), static_cast<AxisBase*>(left_.get()),
          static_cast<AxisBase*>(right_.get()), static_cast<AxisBase*>(bottom_.get())})
        applySeriesMargins(*a);
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

} // namespace kv
