#include "web/reading_history.h"

#include "publish/reading_json.h"

namespace kv {

ReadingHistory::ReadingHistory(TimeMs keepMs, std::size_t maxEntries)
    : keepMs_(keepMs), maxEntries_(maxEntries == 0 ? 1 : maxEntries) {}

std::uint64_t ReadingHistory::append(std::size_t channel, const Reading& reading,
                                     const std::string& name) {
    Entry e;
    e.id = nextId_++;
    e.channel = channel;
    e.time = reading.time;
    appendReadingJson(e.json, reading, name);
    entries_.push_back(std::move(e));
    if (lastOf_.size() <= channel)
        lastOf_.resize(channel + 1);
    lastOf_[channel] = entries_.back().json;
    trim(reading.time);
    return entries_.back().id;
}

void ReadingHistory::trim(TimeMs now) {
    // The newest entry always stays: it is the channel's last reading whatever its age.
    while (entries_.size() > maxEntries_ ||
           (entries_.size() > 1 && entries_.front().time < now - keepMs_))
        entries_.pop_front();
}

const ReadingHistory::Entry* ReadingHistory::after(std::uint64_t id) const {
    if (entries_.empty() || id >= entries_.back().id)
        return nullptr;
    const std::uint64_t first = entries_.front().id;
    if (id < first)
        return &entries_.front();
    return &entries_[static_cast<std::size_t>(id + 1 - first)];
}

bool ReadingHistory::keeps(std::uint64_t id) const {
    if (entries_.empty())
        return id + 1 >= nextId_;
    return id + 1 >= entries_.front().id;
}

const std::string& ReadingHistory::last(std::size_t channel) const {
    return channel < lastOf_.size() ? lastOf_[channel] : none_;
}

} // namespace kv
