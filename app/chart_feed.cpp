#include "app/chart_feed.h"

#include "channel/channel.h"
#include "channel/channel_bench.h"
#include "chart/chart_series.h"
#include "chart/trend_chart.h"
#include "format/number_format.h"

#include "meter/reading_decoder.h"
#include <algorithm>

namespace kv {

ChartFeed::ChartFeed(Channel& channel, TrendChart& chart, LineSeries& series, QObject* parent)
    : QObject(parent), channel_(channel), chart_(chart), series_(series),
      view_(channel.record().rows()) {
    series_.setSamples(&view_);
    chart_.setValueText([this](const ChartSeries& s, int index, double value, int extra) {
        const RangeRow* range = nullptr;
        if (&s == &series_) {
            const ReadingStore& rows = channel_.record().rows();
            const RowContext& context = rows.context(rows[view_.rowOf(index)].context);
            if (context.hasCodes)
                range = findRangeRow(context.function, context.range);
        }
        if (!range || !range->format)
            return formatNumber(chart_.leftAxis().axisValuesFormat(), value);
        return formatNumber(withMoreDecimals(range->format, extra), value);
    });
    // The bins' edges lie on whole steps of the reading's range.
    chart_.setValueStep([this](const ChartSeries& s, int index) {
        if (&s != &series_)
            return 0.0;
        const ReadingStore& rows = channel_.record().rows();
        const RowContext& context = rows.context(rows[view_.rowOf(index)].context);
        const RangeRow* range =
            context.hasCodes ? findRangeRow(context.function, context.range) : nullptr;
        return range && range->format ? pictureStep(range->format) : 0.0;
    });
    auto limits = [this] {
        const Limits& l = channel_.bench().limits();
        auto value = [](const std::optional<float>& v) {
            return v ? std::optional<double>(*v) : std::nullopt;
        };
        chart_.histogram().setLimits(value(l.lower), value(l.upper), l.unit);
    };
    limits();
    connect(&channel_.bench(), &ChannelBench::settingsChanged, this, limits);
    view_.onChange = [this] {
        series_.samplesChanged();
        // A note keeps its point while points are added; the points replaced, or a note
        // still waiting for its point, it is placed anew.
        if (view_.generation() != notesGeneration_ ||
            chart_.notes().size() != channel_.record().notes().size())
            showNotes();
    };
    connect(&channel_, &Channel::noted, this, &ChartFeed::showNotes);
    // A reading, an unlisted one among them, or the gap where a silence began: the rows
    // that came become points.
    auto grown = [this] { view_.rowsAppended(); };
    connect(&channel_, &Channel::reading, this, grown);
    connect(&channel_, &Channel::silenceBegan, this, grown);
    connect(&channel_, &Channel::stopped, this,
            [this] { view_.setFirstRow(channel_.record().rows().size()); });
    connect(&channel_, &Channel::recordChanged, this, &ChartFeed::recordChanged);
    RecordingSource& file = channel_.recording();
    connect(&file, &RecordingSource::opened, this, [this] {
        view_.setLeadingBreaks(ReadingStoreView::LeadingBreaks::hidden);
        view_.storeReset();
        countAhead_.start();
    });
    countAhead_.setInterval(0);
    connect(&countAhead_, &QTimer::timeout, this, [this] {
        if (!view_.countAhead(1))
            countAhead_.stop();
    });
    connect(&file, &RecordingSource::grew, this, grown);
    connect(&file, &RecordingSource::changed, this, [this, &file] {
        if (!file.shown())
            view_.setFirstRow(channel_.record().rows().size());
    });
}

ChartFeed::~ChartFeed() {
    chart_.setValueText(nullptr);
    chart_.setValueStep(nullptr);
    view_.onChange = nullptr;
    series_.setSamples(nullptr);
}

void ChartFeed::showNotes() {
    std::vector<ChartNote> notes;
    const int count = view_.count();
    if (count > 0) {
        const auto first = static_cast<long long>(view_.rowOf(0));
        for (const RecordNote& note : channel_.record().notes()) {
            // On the reading it follows; one before the first reading, on the first point.
            const long long index = std::max(0LL, static_cast<long long>(note.after) - 1 - first);
            if (index < count)
                notes.push_back({static_cast<int>(index), note.text});
        }
    }
    notesGeneration_ = view_.generation();
    if (notes.empty() && chart_.notes().empty())
        return;
    chart_.setNotes(std::move(notes));
}

void ChartFeed::recordChanged() {
    // A derived channel's record begins before its inputs have all spoken: the gaps of
    // that wait are no part of its line.
    if (channel_.record().running())
        view_.setLeadingBreaks(channel_.derived() ? ReadingStoreView::LeadingBreaks::hidden
                                                  : ReadingStoreView::LeadingBreaks::shown);
    // A Start after Stop empties the store: the view starts again from its first row.
    view_.rowsAppended();
}

} // namespace kv
