#include "watch/bench_watch.h"

namespace kv {

BenchDisplay BenchWatch::feed(const Reading& reading) {
    measured_ = reading;
    anyReading_ = true;
    limits_.feed(reading);
    latest_.digits = reading;
    latest_.needle = reading.value;
    latest_.held = false;
    if (const auto difference = relative_.apply(reading)) {
        latest_.digits.value = difference->difference;
        latest_.digits.format = difference->format;
        latest_.needle = difference->magnitude;
    }
    return display();
}

bool BenchWatch::toggleHold(TimeMs now) {
    if (held_) {
        held_ = false;
        hold_.release();
        return false;
    }
    if (!anyReading_)
        return false;
    heldDisplay_ = latest_;
    heldDisplay_.held = true;
    held_ = true;
    hold_.engage(heldDisplay_.digits, now);
    return true;
}

bool BenchWatch::toggleRelative() {
    if (relative_.active()) {
        relative_.end();
        return false;
    }
    return anyReading_ && relative_.begin(measured_);
}

void BenchWatch::releaseAll() {
    held_ = false;
    hold_.release();
    relative_.end();
}

std::vector<std::string> BenchWatch::footerTexts() const {
    std::vector<std::string> texts;
    for (std::string text : {hold_.footerText(), relative_.footerText(), limits_.footerText()})
        if (!text.empty())
            texts.push_back(std::move(text));
    return texts;
}

} // namespace kv
