#include "web/web_feed.h"

#include "channel/channel.h"
#include "publish/reading_json.h"
#include "record/csv.h"

#include <algorithm>

namespace kv {

WebFeed::WebFeed(const std::vector<Channel*>& channels, QObject* parent) : QObject(parent) {
    views_.reserve(channels.size());
    for (Channel* c : channels) {
        View v;
        v.channel = c;
        if (c->bench().anyReading())
            v.digits = shownDigits(c->bench().lastReading());
        views_.push_back(v);
    }
    for (std::size_t i = 0; i < views_.size(); ++i) {
        Channel* c = views_[i].channel;
        connect(c, &Channel::kept, this, [this, i, c](const Reading& row) {
            emit appended(history_.append(i, row, several() ? c->name().toStdString() : ""));
        });
        connect(c, &Channel::reading, this, [this, i](const Reading& r) { show(views_[i], r); });
        connect(c, &Channel::silenceBegan, this, [this, i] { views_[i].silent = true; });
        connect(c, &Channel::silenceEnded, this, [this, i] { views_[i].silent = false; });
        // Stop puts the digits to 0, as the window does; the unit and the format stay.
        connect(c, &Channel::stopped, this, [this, i] {
            View& v = views_[i];
            v.digits.digits.status = Reading::Status::ok;
            v.digits.digits.value = 0;
            v.digits.plusSign = false;
            v.silent = false;
        });
    }
}

void WebFeed::show(View& view, const Reading& reading) {
    const ChannelBench& bench = view.channel->bench();
    ShownDigits next =
        bench.shaping() ? shownDigits(reading, bench.display()) : shownDigits(reading);
    // An overload keeps the value the digits had (they show OL in its place).
    if (next.digits.overload())
        next.digits.value = view.digits.digits.value;
    view.digits = next;
    view.silent = false;
}

std::optional<std::size_t> WebFeed::channelIndex(const std::string& name) const {
    if (name.empty())
        return views_.empty() ? std::nullopt : std::optional<std::size_t>(0);
    for (std::size_t i = 0; i < views_.size(); ++i)
        if (views_[i].channel->name().toStdString() == name)
            return i;
    return std::nullopt;
}

std::string WebFeed::stateJson() const {
    std::string out = "{\"channels\":[";
    for (std::size_t i = 0; i < views_.size(); ++i) {
        const View& v = views_[i];
        const Channel& c = *v.channel;
        if (i > 0)
            out += ',';
        out += "{\"name\":";
        appendJsonString(out, c.name().toStdString());
        out += ",\"digits\":";
        appendJsonString(out, digitsText(v.digits));
        out += ",\"unit\":";
        appendJsonString(out, v.digits.digits.unit);
        out += ",\"overload\":";
        out += v.digits.digits.overload() ? "true" : "false";
        out += ",\"silent\":";
        out += v.silent ? "true" : "false";
        out += ",\"running\":";
        out += c.record().running() ? "true" : "false";
        out += ",\"note\":";
        appendJsonString(out, c.notes().text().toStdString());
        out += ",\"notes\":[";
        const QStringList notes = c.notes().all();
        for (int n = 0; n < notes.size(); ++n) {
            if (n > 0)
                out += ',';
            appendJsonString(out, notes[n].toStdString());
        }
        out += "]}";
    }
    out += "]}";
    return out;
}

std::string WebFeed::csv(std::size_t channel, TimeMs since) const {
    std::string out(kCsvHeader);
    if (channel >= views_.size())
        return out;
    const Recorder& record = views_[channel].channel->record();
    const ReadingStore& rows = record.rows();
    // The rows come in the order of their times: the first at or after `since` is found by
    // halving, so a long session costs no scan from its start.
    std::size_t lo = record.firstRow(), hi = rows.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (rows.timeAt(mid) < since)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (std::size_t i = lo; i < rows.size(); ++i)
        out += record.csvLine(i);
    return out;
}

} // namespace kv
