#pragma once

#include "watch/reading_text.h"
#include "web/reading_history.h"

#include <QObject>
#include <optional>
#include <string>
#include <vector>

namespace kv {

class Channel;

// What a page in a browser shows of the channels, without any connection: every kept
// reading of each channel in the history, and for each the digits as its window shows them,
// whether it is silent and its notes. The channels must outlive the feed.
class WebFeed : public QObject {
    Q_OBJECT
public:
    explicit WebFeed(const std::vector<Channel*>& channels, QObject* parent = nullptr);

    const ReadingHistory& history() const { return history_; }
    std::size_t channelCount() const { return views_.size(); }
    // The channel named `name`; an empty name is the first. None when there is no such one.
    std::optional<std::size_t> channelIndex(const std::string& name) const;
    // Whether each reading's JSON names its channel: with more than one.
    bool several() const { return views_.size() > 1; }

    // {"channels":[{"name":"A","digits":"01,234","unit":"V-DC","overload":false,
    // "silent":false,"running":true,"note":"...","notes":["...",...]},...]}: the digits
    // and their unit as the window's field shows them, the most important note (what the
    // footer shows) and every note set, most important first.
    std::string stateJson() const;
    // The channel's kept readings since `since` (wall-clock ms) as its CSV log writes them,
    // header first.
    std::string csv(std::size_t channel, TimeMs since) const;

signals:
    // A reading was added to the history.
    void appended(std::uint64_t id);

private:
    struct View {
        Channel* channel = nullptr;
        ShownDigits digits;
        bool silent = false;
    };
    void show(View& view, const Reading& reading);

    std::vector<View> views_;
    ReadingHistory history_;
};

} // namespace kv
