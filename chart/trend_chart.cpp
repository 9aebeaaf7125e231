#include "chart/trend_chart.h"

#include "format/number_format.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStringList>
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

// The readout label's background (the system's tool-tip yellow) and the markers' colour.
constexpr ColorValue kReadoutBack = 0xE1FFFF;
constexpr ColorValue kMarkerColor = clBlue;
constexpr ColorValue kNoteColor = clGreen;
// Room between the label's text and its frame, and between label and cursor line.
constexpr int kLabelPadding = 3;
constexpr int kLabelOffset = 4;
// Between the markers' line and the plot.
constexpr int kMarkersLineGap = 2;

Size measured(const FontSpec& font, const std::string& text) {
    static QImage scratch(8, 8, QImage::Format_RGB32);
    Canvas c(scratch);
    c.setFont(font);
    return c.textExtent(text);
}

} // namespace

std::int64_t rollingWindowMs(RollingWindow w) {
    switch (w) {
    case RollingWindow::rwAll:
        return 0;
    case RollingWindow::rwLastMinute:
        return kMinuteMs;
    case RollingWindow::rwLast10Minutes:
        return 10 * kMinuteMs;
    case RollingWindow::rwLastHour:
        return kHourMs;
    }
    return 0;
}

int rollingWindowReadings(RollingWindow w) {
    // Ten readings a second, as the meter is polled.
    return int(rollingWindowMs(w) / 100);
}

TrendChart::TrendChart(QWidget* parent) : ChartBase(parent) {
    // Moves without a button pressed drive the readout.
    setMouseTracking(true);
    connect(&histogram_, &HistogramModel::changed, this, [this] {
        hoverOff();
        requestRepaint();
    });
    histogramLater_.setSingleShot(true);
    // A coarse timer may fire a little early, before the count is due: a pass for nothing.
    histogramLater_.setTimerType(Qt::PreciseTimer);
    histogramLater_.setInterval(HistogramModel::kRefreshMs);
    connect(&histogramLater_, &QTimer::timeout, this, [this] { requestRepaint(); });
}

// ---------------------------------------------------------------------------------------
// Clock axis and rolling window

void TrendChart::setTimeAxis(bool on) {
    if (on == timeAxis_)
        return;
    // A zoom's ranges are of the other kind of X.
    if (saved_.valid)
        restoreZoom();
    timeAxis_ = on;
    ChartPen& line = bottomAxis().axisPen();
    if (on) {
        bottomVisibleBefore_ = bottomAxis().visible();
        bottomLineWidthBefore_ = line.width();
        bottomAxis().setVisible(true);
        // A wide axis line would cover the row inside the frame where the readings on
        // the range's minimum are drawn; the frame marks the edge already.
        line.setWidth(1);
    } else {
        bottomAxis().setVisible(bottomVisibleBefore_);
        line.setWidth(bottomLineWidthBefore_);
        bottomAxis().setClockLabels(false);
    }
    for (ChartSeries* s : seriesList())
        s->setXFromTimes(on);
    requestRepaint();
}

void TrendChart::setRollingWindow(RollingWindow w) {
    if (w == window_)
        return;
    if (saved_.valid)
        restoreZoom();
    window_ = w;
    requestRepaint();
}

void TrendChart::adjustAxisRanges() {
    for (ChartSeries* s : seriesList())
        s->setXFromTimes(timeAxis_);
    const ChartSeries* read = readSeries();
    bottomAxis().setClockLabels(timeAxis_ && read && read->timed());
    AxisPanel::adjustAxisRanges();
    if (window_ != RollingWindow::rwAll)
        applyRollingWindow();
}

void TrendChart::applyRollingWindow() {
    auto automatic = [](const AxisBase& a) {
        return a.automatic() || a.automaticMinimum() || a.automaticMaximum();
    };
    for (AxisBase* a :
         {static_cast<AxisBase*>(&bottomAxis()), static_cast<AxisBase*>(&topAxis())}) {
        const bool bound =
            std::any_of(seriesList().begin(), seriesList().end(), [a](ChartSeries* s) {
                return s->active() && s->horizontalAxis() == a && s->pointCount() > 0;
            });
        if (!automatic(*a) || !bound)
            continue;
        const bool clock =
            std::any_of(seriesList().begin(), seriesList().end(), [a](ChartSeries* s) {
                return s->active() && s->horizontalAxis() == a && s->xIsTime();
            });
        // A backdrop may reach beyond the newest reading: the window follows the readings.
        std::vector<ChartSeries*> followed;
        for (ChartSeries* s : seriesList())
            if (!s->backdrop() && s->pointCount() > 0)
                followed.push_back(s);
        const double newest = a->seriesExtreme(followed.empty() ? seriesList() : followed, true);
        const double span =
            clock ? double(rollingWindowMs(window_)) : double(rollingWindowReadings(window_) - 1);
        a->adjustRangeTo(newest - span, newest);
    }
    // The value range of what the window shows, from the min/max index.
    for (AxisBase* a :
         {static_cast<AxisBase*>(&leftAxis()), static_cast<AxisBase*>(&rightAxis())}) {
        if (!automatic(*a))
            continue;
        bool found = false;
        double lo = 0, hi = 0;
        for (const ChartSeries* s : seriesList()) {
            const AxisBase* h = s->horizontalAxis();
            if (!s->active() || s->verticalAxis() != a || !h || s->pointCount() == 0 ||
                s->yHasNaN() || s->xValues().order() != ValueListOrder::loAscending)
                continue;
            const int first =
                s->drawnAtOrAfter(s->firstAtOrAfterX(std::min(h->scaleMin(), h->scaleMax())));
            const int last = s->lastAtOrBeforeX(std::max(h->scaleMin(), h->scaleMax()));
            if (first < 0 || first > last)
                continue;
            const ValueList& ys = s->yValues();
            const MinMaxIndex::Extremes e = s->storedYExtremes(first, last);
            const double v0 = ys.scaled(e.min), v1 = ys.scaled(e.max);
            const double smallest = std::min(v0, v1), largest = std::max(v0, v1);
            lo = found ? std::min(lo, smallest) : smallest;
            hi = found ? std::max(hi, largest) : largest;
            found = true;
        }
        if (found)
            a->adjustRangeTo(lo, hi);
    }
}

// ---------------------------------------------------------------------------------------
// Readout and markers

ChartSeries* TrendChart::readSeries() const {
    for (ChartSeries* s : seriesList())
        if (s->active() && !s->backdrop())
            return s;
    return nullptr;
}

std::string TrendChart::readoutText() const {
    return readoutShown() ? readoutText_ : std::string();
}

std::string TrendChart::copyText() const {
    const std::string markers = markersText();
    return markers.empty() ? readoutText() : markers;
}

void TrendChart::hoverAt(int x, int y) {
    const Rect& p = plotRect();
    const bool inside = x > p.left && x < p.right && y > p.top && y < p.bottom && readSeries();
    if (!inside) {
        hoverOff();
        return;
    }
    const Rect before = readoutRect();
    hover_ = true;
    hoverX_ = x;
    hoverY_ = y;
    refreshReadout();
    const Rect dirty = united(before, readoutRect());
    if (dirty.width() > 0 && dirty.height() > 0)
        update(widgetRect(dirty));
}

void TrendChart::hoverOff() {
    if (!hover_)
        return;
    const Rect before = readoutRect();
    const bool shown = readoutShown();
    hover_ = false;
    readout_ = ColumnReadout{};
    readoutText_.clear();
    if (before.width() > 0 && before.height() > 0)
        update(widgetRect(before));
    if (shown)
        emit readoutChanged(QString());
}

void TrendChart::refreshReadout() {
    const std::string before = readoutText();
    ChartSeries* s = readSeries();
    readoutText_.clear();
    overlayRect_ = Rect{};
    if (histogram_.shown()) {
        readout_ = ColumnReadout{};
        const int bin = s ? histogramLayout_.binAt(hoverX_) : -1;
        if (bin >= 0) {
            readout_.found = true;
            readout_.cursorX = hoverX_;
            readoutText_ = binText(bin);
            overlayRect_ = overlayFor(readout_, readoutText_);
        }
        const std::string after = readoutText();
        if (after != before)
            emit readoutChanged(QString::fromStdString(after));
        return;
    }
    readout_ = s ? readoutAt(*s, hoverX_) : ColumnReadout{};
    if (s && readout_.found) {
        const AxisBase& clock = bottomAxis();
        readoutText_ = kv::readoutText(*s, readout_, valueText(),
                                       [&clock](std::int64_t t) { return clock.localTime(t) - t; });
        const std::string noted = notesText(readout_.first, readout_.last);
        if (!noted.empty())
            readoutText_ += " " + noted;
        overlayRect_ = overlayFor(readout_, readoutText_);
    }
    const std::string after = readoutText();
    if (after != before)
        emit readoutChanged(QString::fromStdString(after));
}

// The label beside the cursor line, right of it where it fits inside the plot, else left.
Rect TrendChart::overlayFor(const ColumnReadout& r, const std::string& text) const {
    const Rect& p = plotRect();
    const Size size = measured(leftAxis().labelsFont(), text);
    const int w = size.width + 2 * kLabelPadding, h = size.height + 2;
    int left = r.cursorX + kLabelOffset;
    if (left + w > p.right - 1)
        left = r.cursorX - kLabelOffset - w;
    left = std::max(left, p.left + 1);
    const Rect label{left, p.top + 2, left + w, p.top + 2 + h};
    const Rect line{r.cursorX, p.top + 1, r.cursorX + 1, p.bottom};
    return united(label, r.cursorX > p.left && r.cursorX < p.right ? line : Rect{});
}

void TrendChart::drawOverlay(Canvas& c) const {
    const Rect& p = plotRect();
    const int x = readout_.cursorX;
    c.setPenMode(PenMode::pmCopy);
    if (x > p.left && x < p.right) {
        c.setPenStyle(PenStyle::psSolid);
        c.setPenWidth(1);
        c.setPenColor(clGray);
        c.line(x, p.top + 1, x, p.bottom);
    }
    const Size size = measured(leftAxis().labelsFont(), readoutText_);
    const int w = size.width + 2 * kLabelPadding, h = size.height + 2;
    int left = x + kLabelOffset;
    if (left + w > p.right - 1)
        left = x - kLabelOffset - w;
    left = std::max(left, p.left + 1);
    const Rect box{left, p.top + 2, left + w, p.top + 2 + h};
    c.fillRect(box, kReadoutBack);
    c.frameRect(box, clBlack);
    c.setFont(leftAxis().labelsFont());
    c.setBackMode(BackMode::Transparent);
    c.setTextAlign(HAlign::Left, VAlign::Top);
    c.textOut(box.left + kLabelPadding, box.top + 1, readoutText_);
}

bool TrendChart::markersValid() const {
    const ChartSeries* s = readSeries();
    return s && s == markerSeries_ && s->generation() == markerGeneration_;
}

int TrendChart::markerA() const {
    return markersValid() && markers_[0] < readSeries()->pointCount() ? markers_[0] : -1;
}

int TrendChart::markerB() const {
    return markersValid() && markers_[1] < readSeries()->pointCount() ? markers_[1] : -1;
}

void TrendChart::setMarker(int index) {
    ChartSeries* s = readSeries();
    if (!s || index < 0 || index >= s->pointCount())
        return;
    if (!markersValid()) {
        markers_[0] = markers_[1] = -1;
        nextMarker_ = 0;
        markerSeries_ = s;
        markerGeneration_ = s->generation();
    }
    if (nextMarker_ == 0) {
        markers_[0] = index;
        markers_[1] = -1;
        nextMarker_ = 1;
    } else {
        markers_[1] = index;
        nextMarker_ = 0;
    }
    stats_ =
        markerB() >= 0 ? kv::markerStatistics(*s, markers_[0], markers_[1]) : MarkerStatistics{};
    requestRepaint();
    emit markersChanged(QString::fromStdString(markersText()));
}

void TrendChart::clearMarkers() {
    const bool had = markerA() >= 0 || markerB() >= 0;
    markers_[0] = markers_[1] = -1;
    nextMarker_ = 0;
    stats_ = MarkerStatistics{};
    if (!had)
        return;
    requestRepaint();
    emit markersChanged(QString());
}

MarkerStatistics TrendChart::markerStatistics() const {
    return markerA() >= 0 && markerB() >= 0 ? stats_ : MarkerStatistics{};
}

std::string TrendChart::markersText() const {
    const MarkerStatistics m = markerStatistics();
    if (m.from < 0)
        return {};
    std::string text = kv::markersText(*readSeries(), m, valueText());
    const std::string noted =
        notesText(std::min(markerA(), markerB()), std::max(markerA(), markerB()));
    if (!noted.empty())
        text += " " + noted;
    if (markersNote) {
        const std::string note = markersNote(markerA(), markerB(), valueText());
        if (!note.empty())
            text += " " + note;
    }
    return text;
}

void TrendChart::setValueText(ValueText valueText) {
    valueText_ = std::move(valueText);
    // What shows now is written anew.
    if (hover_)
        refreshReadout();
    if (markerA() >= 0 && markerB() >= 0)
        emit markersChanged(QString::fromStdString(markersText()));
    requestRepaint();
}

ValueText TrendChart::valueText() const {
    if (valueText_)
        return valueText_;
    const std::string& format = leftAxis().axisValuesFormat();
    return [format](const ChartSeries&, int, double value, int) {
        return formatNumber(format, value);
    };
}

void TrendChart::markerClick(int x) {
    ChartSeries* s = readSeries();
    if (!s)
        return;
    const ColumnReadout r = readoutAt(*s, x);
    if (r.found)
        setMarker(r.nearest);
}

void TrendChart::paintContents(Canvas& c) {
    if (histogram_.shown()) {
        paintHistogramPass(c);
        if (hover_)
            refreshReadout();
        return;
    }
    ChartBase::paintContents(c);
    // The points under the mouse may have moved with the new layout.
    if (hover_)
        refreshReadout();
}

void TrendChart::paintTitles(Canvas& c) {
    ChartBase::paintTitles(c);
    const std::string text = markersText();
    if (text.empty())
        return;
    // One line between the title and the plot, from the panel's left margin (the value
    // labels take their column later).
    Rect r = plotRect();
    c.setFont(leftAxis().labelsFont());
    c.setBackMode(BackMode::Transparent);
    c.setTextAlign(HAlign::Left, VAlign::Top);
    c.textOut(r.left, r.top, text);
    r.top = clampToInt(static_cast<long long>(r.top) + c.textHeight("W") + kMarkersLineGap);
    setPlotRect(r);
    recalcPlotSize();
}

void TrendChart::paintOverSeries(Canvas& c) {
    const ChartSeries* s = readSeries();
    if (!s)
        return;
    const Rect& p = plotRect();
    const char* names[] = {"A", "B"};
    const int indices[] = {markerA(), markerB()};
    for (int k = 0; k < 2; ++k) {
        if (indices[k] < 0)
            continue;
        const int x = s->xPixel(indices[k]);
        if (x <= p.left || x >= p.right)
            continue;
        c.setPenMode(PenMode::pmCopy);
        c.setPenWidth(1);
        c.setPenStyle(PenStyle::psDot);
        c.setPenColor(kMarkerColor);
        c.line(x, p.top + 1, x, p.bottom);
        c.setPenStyle(PenStyle::psSolid);
        FontSpec font = leftAxis().labelsFont();
        font.bold = true;
        font.color = kMarkerColor;
        c.setFont(font);
        c.setBackMode(BackMode::Transparent);
        c.setTextAlign(HAlign::Left, VAlign::Top);
        c.textOut(x + 2, p.top + 1, names[k]);
    }
    // A note: a pole from the top of the plot with a small flag on it.
    for (const ChartNote& note : notes_) {
        if (note.index < 0 || note.index >= s->pointCount())
            continue;
        const int x = s->xPixel(note.index);
        // On the plot's edges too: a note on the first or the newest reading.
        if (x < p.left || x > p.right)
            continue;
        c.setPenMode(PenMode::pmCopy);
        c.setPenWidth(1);
        c.setPenStyle(PenStyle::psSolid);
        c.setPenColor(kNoteColor);
        c.line(x, p.top + 1, x, p.top + 14);
        c.setBrushColor(kNoteColor);
        // Waving inwards at the right edge.
        const int flag = x + 7 <= p.right ? x + 1 : x - 6;
        c.fillRect(Rect{flag, p.top + 1, flag + 6, p.top + 6});
    }
}

bool TrendChart::paintsOverSeries() const {
    return markerA() >= 0 || markerB() >= 0 || !notes_.empty();
}

void TrendChart::setNotes(std::vector<ChartNote> notes) {
    notes_ = std::move(notes);
    if (hover_)
        refreshReadout();
    if (markerA() >= 0 && markerB() >= 0)
        emit markersChanged(QString::fromStdString(markersText()));
    requestRepaint();
}

std::string TrendChart::notesText(int first, int last) const {
    if (first < 0)
        return {};
    std::string text;
    for (const ChartNote& note : notes_) {
        if (note.index < first || note.index > last)
            continue;
        // One line: a note's line ends read as spaces.
        std::string line = note.text;
        std::replace(line.begin(), line.end(), '\n', ' ');
        text += (text.empty() ? "" : "; ") + ("\u201C" + line + "\u201D");
    }
    return text;
}

void TrendChart::leaveEvent(QEvent* e) {
    ChartBase::leaveEvent(e);
    hoverOff();
}

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
        first = std::max(0, firstWhere(0, n, [&](int i) { return !beforeBand(i); }) - 1);
        last = std::min(n - 1, firstWhere(first, n, pastBand));
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
    // The histogram has no zoom, scroll or markers of its own.
    if (zoomDrag_.active || scrollDrag_.active || histogram_.shown())
        return;
    const Point pos = faceAt(e->position());
    const ChartMouse m{e->button(), e->modifiers(), pos.x, pos.y};
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
    const Point pos = faceAt(e->position());
    if (zoomDrag_.active) {
        hoverOff();
        if (!zoomDrag_.isAt(pos.x, pos.y))
            changeZoomDrag([&pos](DragState& d) { d.moveTo(pos.x, pos.y); });
    } else if (scrollDrag_.active) {
        hoverOff();
        scrollTo(pos.x, pos.y);
    } else {
        hoverAt(pos.x, pos.y);
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
    const Point pos = faceAt(e->position());
    if (zoomDrag_.active && e->button() == Qt::LeftButton) {
        changeZoomDrag([&pos](DragState& d) {
            d.active = false;
            d.moveTo(pos.x, pos.y);
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
        case ZoomAction::zaNone: {
            // A click, not a drag: the next marker. A click moves less than the platform's
            // drag distance, which lies well below the zoom threshold, so that a short
            // drag still does nothing.
            const DragState& d = zoomDrag_;
            const int slack = std::min(QApplication::startDragDistance(), kZoomDragThreshold);
            if (std::abs(d.x1 - d.x0) < slack && std::abs(d.y1 - d.y0) < slack &&
                insidePlot(d.x0, d.y0))
                markerClick(d.x0);
            break;
        }
        }
    }
    scrollDrag_.active = false;
}

void TrendChart::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (histogram_.shown())
        return;
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

// ---------------------------------------------------------------------------------------
// Histogram

void TrendChart::seriesChanged() {
    const int wait = histogram_.msUntilNextCount();
    if (wait <= 0) {
        AxisPanel::seriesChanged();
        return;
    }
    if (!histogramLater_.isActive())
        histogramLater_.start(wait);
}

void TrendChart::setValueStep(ValueStep step) {
    valueStep_ = std::move(step);
    requestRepaint();
}

void TrendChart::paintHistogramPass(Canvas& c) {
    paintBackground(c);
    paintTitles(c);
    // The ranges the line would have: they tell which readings it shows.
    adjustAxisRanges();
    HistogramScene scene;
    scene.font = leftAxis().labelsFont();
    histogramIndex_ = -1;
    if (ChartSeries* s = readSeries(); s && s->pointCount() > 0) {
        int first = 0, last = s->pointCount() - 1;
        const AxisBase* h = s->horizontalAxis();
        if (markerA() >= 0 && markerB() >= 0) {
            first = std::min(markerA(), markerB());
            last = std::max(markerA(), markerB());
        } else if (h && s->xValues().order() == ValueListOrder::loAscending) {
            first = s->firstAtOrAfterX(std::min(h->scaleMin(), h->scaleMax()));
            last = s->lastAtOrBeforeX(std::max(h->scaleMin(), h->scaleMax()));
        }
        // The newest reading shown names the unit and writes the values.
        const int newest = first <= last ? s->drawnAtOrBefore(last) : -1;
        histogramIndex_ = newest >= first ? newest : -1;
        const std::string unit = histogramIndex_ >= 0 ? s->unitAt(histogramIndex_) : s->unit();
        const double step =
            valueStep_ && histogramIndex_ >= 0 ? valueStep_(*s, histogramIndex_) : 0.0;
        if (!histogram_.count(*s, first, last, unit, step) && !histogramLater_.isActive())
            histogramLater_.start(std::max(1, histogram_.msUntilNextCount()));
        if (histogramIndex_ >= 0) {
            const ValueText text = valueText();
            const int index = histogramIndex_;
            scene.valueText = [text, s, index](double v) { return text(*s, index, v, 0); };
        }
        scene.histogram = histogram_.histogram();
        scene.unit = histogram_.unit();
        if (histogram_.limitsUnit().empty() || histogram_.limitsUnit() == scene.unit) {
            scene.lowerLimit = histogram_.lowerLimit();
            scene.upperLimit = histogram_.upperLimit();
        }
        scene.note = histogramNote();
    }
    histogramLayout_ = layoutHistogram(c, plotRect(), scene);
    paintHistogram(c, histogramLayout_, scene);
    // The readout's cursor and label keep to the bars.
    setPlotRect(histogramLayout_.plot);
    if (onAfterDraw)
        onAfterDraw(*this);
}

std::string TrendChart::histogramNote() const {
    const Histogram& h = histogram_.histogram();
    const ChartSeries* s = readSeries();
    if (!s || histogramIndex_ < 0 || h.empty())
        return tr("No readings to count").toStdString();
    const ValueText text = valueText();
    QString note =
        tr("n = %1, mean %2, σ %3")
            .arg(h.total)
            .arg(QString::fromStdString(text(*s, histogramIndex_, h.mean, 1)),
                 QString::fromStdString(text(*s, histogramIndex_, h.standardDeviation, 1)));
    const ValueTally& out = histogram_.leftOut();
    // What is left out, each only where there is some, in the singular for one.
    QStringList leftOut;
    if (out.gaps == 1)
        leftOut << tr("1 gap");
    else if (out.gaps > 1)
        leftOut << tr("%1 gaps").arg(out.gaps);
    if (out.overloads == 1)
        leftOut << tr("1 overload");
    else if (out.overloads > 1)
        leftOut << tr("%1 overloads").arg(out.overloads);
    if (!leftOut.isEmpty())
        note += QStringLiteral("; ") + tr("left out: %1").arg(leftOut.join(QStringLiteral(", ")));
    if (out.otherUnits > 0)
        note += QStringLiteral("; ") + tr("%1 readings in other units").arg(out.otherUnits);
    return note.toStdString();
}

std::string TrendChart::binText(int bin) const {
    const Histogram& h = histogram_.histogram();
    const ChartSeries* s = readSeries();
    if (!s || histogramIndex_ < 0 || bin < 0 || bin >= h.binCount())
        return {};
    const ValueText text = valueText();
    return tr("%1 to %2 %3: %4 readings")
        .arg(QString::fromStdString(text(*s, histogramIndex_, h.edge(bin), 0)),
             QString::fromStdString(text(*s, histogramIndex_, h.edge(bin + 1), 0)),
             QString::fromStdString(histogram_.unit()))
        .arg(h.counts[std::size_t(bin)])
        .toStdString();
}

} // namespace kv
