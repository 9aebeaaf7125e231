#pragma once

#include "watch/reading_text.h"

#include <optional>
#include <string>

namespace kv {

// Hold: the digits, needle and bar keep the reading they show while the probes come off;
// everything that records (chart, record, log) goes on with every reading.
class Hold {
public:
    bool active() const { return held_.has_value(); }
    // The reading the display keeps; only while active.
    const Reading& held() const { return *held_; }
    // What the display shows when `incoming` arrives: the held reading while active.
    const Reading& shown(const Reading& incoming) const { return held_ ? *held_ : incoming; }

    // Keeps `shown`, the reading on display at `now`.
    void engage(const Reading& shown, TimeMs now);
    void release();
    // Engages when off, releases when on; whether it holds afterwards.
    bool toggle(const Reading& shown, TimeMs now);

    // "Hold: 1,234 V-DC since 14:03:07"; empty while off.
    std::string footerText() const;

private:
    std::optional<Reading> held_;
    TimeMs since_ = 0;
};

} // namespace kv
