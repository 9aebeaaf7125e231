#include "app/reference_curve.h"

#include "chart/trend_chart.h"
#include "core/translated.h"
#include "record/csv_reader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kv {

namespace {

QString text(const char* source) {
    return QCoreApplication::translate("kv::ReferenceCurve", source);
}

// The unit of the first reading of `samples`; empty when it holds none.
std::string firstUnit(const SeriesSamples& samples) {
    const int first = samples.drawnAtOrAfter(0);
    return first < 0 ? std::string() : samples.unitAt(first);
}

} // namespace

ReferenceCurve::ReferenceCurve(TrendChart& chart, LineSeries& line, QObject* parent)
    : QObject(parent), chart_(chart), line_(line) {
    series_.setSeriesColor(clGray);
    series_.marks().setVisible(false);
    series_.pointer().setVisible(false);
    series_.setBackdrop(true);
    chart_.markersNote = [this](int a, int b, const ValueText& valueText) {
        if (!curve_)
            return std::string();
        std::string differences;
        for (const int index : {a, b}) {
            double value = 0;
            const std::string one = index >= 0 && valueAt(index, value)
                                        ? valueText(line_, index, line_.yAt(index) - value, 0)
                                        : std::string("–");
            differences += differences.empty() ? one : " " + one;
        }
        return withArguments(translated("kv::ReferenceCurve", "Δ reference %1"), {differences});
    };
}

ReferenceCurve::~ReferenceCurve() {
    chart_.markersNote = nullptr;
    clear();
}

bool ReferenceCurve::open(const QString& path, QString& error) {
    // Read beside what is shown, which stays until the file proves good.
    auto curve = std::make_unique<Curve>();
    CsvReader reader;
    const std::vector<std::string> channels =
        CsvReader::channelsIn(QFile::encodeName(path).toStdString());
    // Of a log of several channels, the first.
    if (!channels.empty())
        reader.setChannel(channels.front());
    if (!reader.open(QFile::encodeName(path).toStdString()) || !curve->recording.read(reader)) {
        error = QString::fromStdString(reader.error());
        return false;
    }
    reader.finish();
    curve->view = std::make_unique<ReadingStoreView>(curve->recording.rows);
    curve->view->setLeadingBreaks(ReadingStoreView::LeadingBreaks::hidden);
    curve->view->rowsAppended();
    const std::string unit = firstUnit(*curve->view);
    const QString name = QFileInfo(path).fileName();
    if (unit.empty()) {
        error = text(QT_TRANSLATE_NOOP("kv::ReferenceCurve", "%1 holds no reading.")).arg(name);
        return false;
    }
    const int last = line_.drawnAtOrBefore(line_.pointCount() - 1);
    const std::string lineUnit = last < 0 ? std::string() : line_.unitAt(last);
    if (!lineUnit.empty() && lineUnit != unit) {
        error = text(QT_TRANSLATE_NOOP("kv::ReferenceCurve",
                                       "%1 is in %2 and the readings are in %3: there is "
                                       "nothing to compare."))
                    .arg(name, QString::fromStdString(unit), QString::fromStdString(lineUnit));
        return false;
    }
    curve->shifted = std::make_unique<ShiftedSamples>(*curve->view);
    const bool wasShown = curve_ != nullptr;
    series_.setSamples(curve->shifted.get(), clGray);
    curve_ = std::move(curve);
    fileName_ = name;
    if (!wasShown) {
        // Behind the line: drawn first.
        chart_.removeSeries(&line_);
        chart_.addSeries(&series_);
        chart_.addSeries(&line_);
    }
    place();
    emit changed();
    return true;
}

void ReferenceCurve::clear() {
    if (!curve_)
        return;
    chart_.removeSeries(&series_);
    series_.setSamples(nullptr);
    curve_.reset();
    fileName_.clear();
    emit changed();
}

void ReferenceCurve::setAlignAtStart(bool on) {
    if (on == alignAtStart_)
        return;
    alignAtStart_ = on;
    place();
    emit changed();
}

void ReferenceCurve::lineChanged() {
    if (curve_ && alignAtStart_)
        place();
}

void ReferenceCurve::place() {
    if (!curve_)
        return;
    series_.setXFromTimes(line_.xFromTimes());
    std::int64_t offset = 0;
    const int first = curve_->view->drawnAtOrAfter(0);
    if (alignAtStart_ && first >= 0) {
        // The line's first point, or, before it has one, now: where the session begins.
        const std::int64_t start = line_.pointCount() > 0 && line_.timed()
                                       ? line_.timeAt(0)
                                       : QDateTime::currentMSecsSinceEpoch();
        offset = start - curve_->view->time(first);
    }
    if (offset == curve_->shifted->offsetMs())
        return;
    curve_->shifted->setOffsetMs(offset);
    series_.samplesChanged();
}

bool ReferenceCurve::valueAt(int index, double& value) const {
    if (!curve_ || index < 0 || index >= line_.pointCount())
        return false;
    const SeriesSamples& s = *curve_->shifted;
    int after = 0;
    double fraction = 0;
    if (chart_.timeAxis() && line_.timed()) {
        const std::int64_t t = line_.timeAt(index);
        after = s.firstAtOrAfterTime(t);
        if (after >= s.count())
            return false;
        if (s.time(after) == t) {
            fraction = 1;
        } else {
            if (after == 0)
                return false;
            const std::int64_t t0 = s.time(after - 1), t1 = s.time(after);
            fraction = t1 > t0 ? double(t - t0) / double(t1 - t0) : 1.0;
        }
    } else {
        // On the index axis the curve's readings stand at their rank, from its first.
        after = index + std::max(0, s.drawnAtOrAfter(0));
        if (after >= s.count())
            return false;
        fraction = 1;
    }
    if (s.isBreak(after))
        return false;
    if (fraction >= 1) {
        value = s.y(after);
        return true;
    }
    if (s.isBreak(after - 1))
        return false;
    value = s.y(after - 1) + (s.y(after) - s.y(after - 1)) * fraction;
    return true;
}

} // namespace kv
