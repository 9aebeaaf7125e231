#include "watch/hold.h"

#include "core/translated.h"

namespace kv {

void Hold::engage(const Reading& shown, TimeMs now) {
    held_ = shown;
    since_ = now;
}

void Hold::release() {
    held_.reset();
}

bool Hold::toggle(const Reading& shown, TimeMs now) {
    if (active())
        release();
    else
        engage(shown, now);
    return active();
}

std::string Hold::footerText() const {
    if (!held_)
        return {};
    return withArguments(translated("kv::Hold", "Hold: %1 since %2"),
                         {readingText(*held_), clockText(since_)});
}

} // namespace kv
