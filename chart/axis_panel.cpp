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
    paintOverSeries(c);

    if (zoomDrag_.active)
        drawZoomFrame(c);
    resetCanvas(c);
    if (onAfterDraw)
        onAfterDraw(*this);
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
