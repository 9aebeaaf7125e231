#include "chart/trend_chart.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// How near to a drawn segment a press counts as on the line.
constexpr int kLineHitDistance = 3;
// A press looks at no more segments than this (a pixel column may hold thousands).
constexpr int kMaxSegmentsTested = 20000;

bool nearSegment(int px, int py, int ax, int ay, int bx, int by) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double cx = ax + t * dx - px, cy = ay + t * dy - py;
    return cx * cx + cy * cy <= double(kLineHitDistance * kLineHitDistance);
}

bool between(int v, int a, int b) {
    return v >= std::min(a, b) && v <= std::max(a, b);
}

} // namespace

TrendChart::TrendChart(QWidget* parent) : ChartBase(parent) {}

// ---------------------------------------------------------------------------------------
// Hit testing

bool TrendChart::insidePlot(int x, int y) const {
    const Rect& r = plotRect();
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

bool TrendChart::hitsSeries(ChartSeries& s, int x, int y, int& pointIndex) const {
    const int n = s.pointCount();
    const AxisBase* h = s.horizontalAxis();
    if (n < 2 || !h || !insidePlot(x, y))
        return false;

    // Points are in ascending X, so their pixels run one way along the axis: find the
    // few whose column lies near the press instead of walking the whole series.
    int first = 0, last = n - 1;
    if (s.xValues().order() == ValueListOrder::loAscending) {
        const bool rising = !h->inverted();
        auto beforeBand = [&](int i) {
            return rising ? s.xPixel(i) < x - kLineHitDistance : s.xPixel(i) > x + kLineHitDistance;
        };
        auto pastBand = [&](int i) {
            return rising ? s.xPixel(i) > x + kLineHitDistance : s.xPixel(i) < x - kLineHitDistance;
        };
        // The first point inside the band, and the first one beyond it: the segments
        // reaching into the band end between these two.
        auto firstWhere = [n](int from, auto pred) {
            int lo = from, hi = n;
            while (lo < hi) {
                const int mid = lo + (hi - lo) / 2;
                if (pred(mid))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            return lo;
        };
        first = std::max(0, firstWhere(0, [&](int i) { return !beforeBand(i); }) - 1);
        last = std::min(n - 1, firstWhere(first, pastBand));
    }
    last = std::min(last, first + kMaxSegmentsTested);
    for (int i = std::max(first, 1); i <= last; ++i) {
        if (s.pointColor(i) == clNone || s.pointColor(i - 1) == clNone)
            continue;
        if (nearSegment(x, y, s.xPixel(i - 1), s.yPixel(i - 1), s.xPixel(i), s.yPixel(i))) {
            pointIndex = i;
            return true;
        }
    }
    return false;
}

bool TrendChart::hitsAxis(const AxisBase& a, int x, int y) const {
    if (&a == &depthAxis())
        return false;
    // The band runs from the labels to 3 pixels past the axis line into the plot: to the
    // right of a left axis, below a top axis, and the other way for the right and bottom.
    const bool plotAfterLine = a.horizontal() ? a.otherSide() : !a.otherSide();
    const int inner = a.axisLinePos() + (plotAfterLine ? kAxisHitBand : -kAxisHitBand);
    if (a.horizontal())
        return between(y, a.labelsPos(), inner) && between(x, a.startPixel(), a.endPixel());
    return between(x, a.labelsPos(), inner) && between(y, a.startPixel(), a.endPixel());
}

ClickedPart TrendChart::clickedPart(int x, int y) const {
    ClickedPart p;
    const auto& list = seriesList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (!(*it)->active())
            continue;
        int index = -1;
        if (hitsSeries(**it, x, y, index)) {
            p.part = ChartPart::cpSeries;
            p.series = *it;
            p.pointIndex = index;
            return p;
        }
    }
    for (AxisBase* a : axes()) {
        if (axisShown(*a) && hitsAxis(*a, x, y)) {
            p.part = ChartPart::cpAxis;
            p.axis = a;
            return p;
        }
    }
    auto inBlock = [x, y](const ChartTitle& t) {
        const Rect& b = t.block();
        return t.visible() && !t.text().empty() && x >= b.left && x < b.right && y >= b.top &&
               y < b.bottom;
    };
    if (inBlock(title())) {
        p.part = ChartPart::cpTitle;
        return p;
    }
    if (inBlock(foot())) {
        p.part = ChartPart::cpFoot;
        return p;
    }
    if (hasActiveSeries() && insidePlot(x, y)) {
        p.part = ChartPart::cpChartRect;
        return p;
    }
    // The legend is never drawn, so it has no area to be found in.
    return p;
}

// ---------------------------------------------------------------------------------------
// Axis ranges

void TrendChart::setAxisRange(AxisBase& axis, double a, double b) {
    const AxisRange r = fixedRange(a, b);
    axis.setAutomatic(false);
    axis.setAutomaticMinimum(false);
    axis.setAutomaticMaximum(false);
    axis.setMinMax(r.minimum, r.maximum);
}

TrendChart::SavedAxis TrendChart::save(const AxisBase& a) {
    return SavedAxis{a.automatic(), a.automaticMinimum(), a.automaticMaximum(), a.minimum(),
                     a.maximum()};
}

void TrendChart::restore(AxisBase& a, const SavedAxis& s) {
    if (!s.automatic)
        setAxisRange(a, s.minimum, s.maximum);
    a.setAutomatic(s.automatic);
    a.setAutomaticMinimum(s.automaticMinimum);
    a.setAutomaticMaximum(s.automaticMaximum);
}

void TrendChart::saveAxisState() {
    saved_.top = save(topAxis());
    saved_.bottom = save(bottomAxis());
    saved_.left = save(leftAxis());
    saved_.right = save(rightAxis());
    saved_.valid = true;
}

void TrendChart::zoomToRectangle() {
    orderPoints(zoomDrag_);
    const DragState& d = zoomDrag_;
    struct Target {
        AxisBase* axis;
        AxisRange range;
    };
    auto target = [](AxisBase& a, int p0, int p1) {
        const double v0 = a.pixelToValue(p0), v1 = a.pixelToValue(p1);
        return Target{&a, AxisRange{std::min(v0, v1), std::max(v0, v1)}};
    };
    // The lower edge of the rectangle is the smaller value of a vertical axis.
    const Target targets[] = {target(leftAxis(), d.y1, d.y0), target(rightAxis(), d.y1, d.y0),
                              target(topAxis(), d.x0, d.x1), target(bottomAxis(), d.x0, d.x1)};
    if (!saved_.valid)
        saveAxisState();
    if (animatedZoom()) {
        for (int step = 1; step < animatedZoomSteps(); ++step) {
            for (const Target& t : targets) {
                const AxisRange r =
                    animatedZoomStep(AxisRange{t.axis->minimum(), t.axis->maximum()}, t.range);
                setAxisRange(*t.axis, r.minimum, r.maximum);
            }
            requestRepaint();
            repaint();
        }
    }
    for (const Target& t : targets)
        setAxisRange(*t.axis, t.range.minimum, t.range.maximum);
    zoomed_ = true;
    if (onZoom)
        onZoom(*this);
}

void TrendChart::restoreZoom() {
    if (saved_.valid) {
        restore(topAxis(), saved_.top);
        restore(bottomAxis(), saved_.bottom);
        restore(leftAxis(), saved_.left);
        restore(rightAxis(), saved_.right);
        saved_.valid = false;
    }
    if (onUndoZoom)
        onUndoZoom(*this);
    requestRepaint();
    zoomed_ = false;
}

bool TrendChart::shiftAxis(AxisBase& axis, int from, int to) {
    const double d = axis.pixelToValue(from) - axis.pixelToValue(to);
    double minimum = axis.minimum() + d;
    double maximum = axis.maximum() + d;
    bool allow = true;
    if (onAllowScroll)
        onAllowScroll(*this, axis, minimum, maximum, allow);
    if (!allow)
        return false;
    setAxisRange(axis, minimum, maximum);
    return true;
}

// ---------------------------------------------------------------------------------------
// Mouse

void TrendChart::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (zoomDrag_.active || scrollDrag_.active)
        return;
    const QPoint pos = e->position().toPoint();
    const ChartMouse m{e->button(), e->modifiers(), pos.x(), pos.y()};
    const ClickedPart part = clickedPart(m.x, m.y);

    bool taken = false;
    switch (part.part) {
    case ChartPart::cpLegend:
        taken = onClickLegend && onClickLegend(*this, m);
        break;
    case ChartPart::cpAxis:
        taken = onClickAxis && onClickAxis(*this, *part.axis, m);
        break;
    case ChartPart::cpSeries:
        taken = onClickSeries && onClickSeries(*this, *part.series, part.pointIndex, m);
        break;
    case ChartPart::cpChartRect:
        taken = onClickBackground && onClickBackground(*this, m);
        break;
    case ChartPart::cpNone:
    case ChartPart::cpTitle:
    case ChartPart::cpFoot:
        break;
    }

    bool started = false;
    const bool dragSource = part.part == ChartPart::cpAxis || part.part == ChartPart::cpSeries ||
                            part.part == ChartPart::cpChartRect;
    if (!taken && dragSource) {
        if (allowZoom() && m.button == Qt::LeftButton) {
            setCursor(Qt::ArrowCursor);
            changeZoomDrag([&m](DragState& d) { d.start(m.x, m.y); });
            started = true;
        } else if (allowPanning() != PanningMode::pmNone && m.button == Qt::RightButton) {
            setCursor(Qt::ArrowCursor);
            scrollDrag_.start(m.x, m.y);
            started = true;
        }
    }
    if (!taken && !started && onClickBackground)
        onClickBackground(*this, m);
}

void TrendChart::mouseMoveEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = e->position().toPoint();
    if (zoomDrag_.active) {
        if (!zoomDrag_.isAt(pos.x(), pos.y()))
            changeZoomDrag([&pos](DragState& d) { d.moveTo(pos.x(), pos.y()); });
    } else if (scrollDrag_.active) {
        scrollTo(pos.x(), pos.y());
    }
}

void TrendChart::scrollTo(int x, int y) {
    if (!insidePlot(x, y)) {
        scrollDrag_.active = false;
        return;
    }
    if (scrollDrag_.isAt(x, y))
        return;
    if (!saved_.valid)
        saveAxisState();
    // Each step is measured from the previous pointer position, in every direction, so
    // the content stays under the pointer however the drag turns.
    const PanningMode pm = allowPanning();
    bool moved = false;
    if (x != scrollDrag_.x1 && (pm == PanningMode::pmHorizontal || pm == PanningMode::pmBoth)) {
        moved |= shiftAxis(bottomAxis(), scrollDrag_.x1, x);
        moved |= shiftAxis(topAxis(), scrollDrag_.x1, x);
    }
    if (y != scrollDrag_.y1 && (pm == PanningMode::pmVertical || pm == PanningMode::pmBoth)) {
        moved |= shiftAxis(leftAxis(), scrollDrag_.y1, y);
        moved |= shiftAxis(rightAxis(), scrollDrag_.y1, y);
    }
    scrollDrag_.moveTo(x, y);
    if (moved) {
        if (onScroll)
            onScroll(*this);
        requestRepaint();
    }
}

void TrendChart::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    const QPoint pos = e->position().toPoint();
    if (zoomDrag_.active && e->button() == Qt::LeftButton) {
        changeZoomDrag([&pos](DragState& d) {
            d.active = false;
            d.moveTo(pos.x(), pos.y());
        });
        switch (zoomActionFor(zoomDrag_)) {
        case ZoomAction::zaZoom:
            zoomToRectangle();
            requestRepaint();
            break;
        case ZoomAction::zaRestore:
            restoreZoom();
            requestRepaint();
            break;
        case ZoomAction::zaNone:
            break;
        }
    }
    scrollDrag_.active = false;
}

void TrendChart::wheelEvent(QWheelEvent* e) {
    e->accept();
    wheelRemainder_ += e->angleDelta().y();
    // A notch is 120; finer wheels add up until a whole step is reached. Turning the
    // wheel down (negative delta) moves the ranges up.
    const int steps = -(wheelRemainder_ / 120);
    wheelRemainder_ %= 120;
    if (steps == 0)
        return;
    // Saving here lets a restoring drag bring the automatic ranges back after the wheel
    // fixed them.
    if (!saved_.valid)
        saveAxisState();
    for (AxisBase* a :
         {static_cast<AxisBase*>(&leftAxis()), static_cast<AxisBase*>(&rightAxis())}) {
        AxisRange r{a->minimum(), a->maximum()};
        for (int i = 0; i < std::abs(steps); ++i) {
            r = wheelShifted(r, steps > 0 ? 1 : -1);
            r = fixedRange(r.minimum, r.maximum);
        }
        setAxisRange(*a, r.minimum, r.maximum);
    }
    requestRepaint();
}

} // namespace kv
