#pragma once

#include "core/reading.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace kv {

// The readings of the last minutes of every channel, each as the JSON a broker gets (see
// appendReadingJson), numbered in the order they came: what a page draws its trend from and
// what a client that lost its connection gets again. Bounded by age and by count, so a
// run of days holds as much as one of minutes.
class ReadingHistory {
public:
    struct Entry {
        std::uint64_t id = 0; // 1 for the first reading, one more for each after it
        std::size_t channel = 0;
        TimeMs time = 0;
        std::string json;
    };

    // Keeps what came in the last `keepMs` (by the readings' own times), at most `maxEntries`.
    explicit ReadingHistory(TimeMs keepMs = 10 * 60 * 1000, std::size_t maxEntries = 50000);

    // Takes `reading` of the channel at `channel`, named `name` in its JSON (empty: the one
    // channel of a program with no other). Its id.
    std::uint64_t append(std::size_t channel, const Reading& reading, const std::string& name);

    // The id of the newest entry; 0 before the first.
    std::uint64_t lastId() const { return nextId_ - 1; }
    // The entry after `id` (of any channel), or null when none is kept after it yet. An id
    // older than what is kept gives the oldest kept.
    const Entry* after(std::uint64_t id) const;
    // Whether the entry after `id` is still kept: false when a reader that has come that far
    // has missed some already.
    bool keeps(std::uint64_t id) const;
    // The JSON of the newest reading of `channel`, however old; empty before its first.
    const std::string& last(std::size_t channel) const;
    std::size_t size() const { return entries_.size(); }

private:
    void trim(TimeMs now);

    TimeMs keepMs_;
    std::size_t maxEntries_;
    std::deque<Entry> entries_;
    std::uint64_t nextId_ = 1;
    std::vector<std::string> lastOf_; // the newest JSON of each channel
    std::string none_;
};

} // namespace kv
