#include "meter/reply_frame.h"

#include <charconv>
#include <stdexcept>

namespace kv {

namespace {

using SlotMember = std::string ReplyFrame::*;
constexpr SlotMember slots[kReplyLength] = {&ReplyFrame::b1,  &ReplyFrame::b2,  &ReplyFrame::b3,
                                            &ReplyFrame::b4,  &ReplyFrame::b5,  &ReplyFrame::b6,
                                            &ReplyFrame::b7,  &ReplyFrame::b8,  &ReplyFrame::b9,
                                            &ReplyFrame::b10, &ReplyFrame::b11, &ReplyFrame::b12};

SlotMember slotMember(int n) {
    if (n < 1 || n > kReplyLength)
        throw std::out_of_range("reply frame slot " + std::to_string(n));
    return slots[n - 1];
}

} // namespace

std::string& ReplyFrame::slot(int n) {
    return this->*slotMember(n);
}

const std::string& ReplyFrame::slot(int n) const {
    return this->*slotMember(n);
}

int ReplyFrame::slotValue(int n) const {
    const std::string& text = slot(n);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return 0;
    return value;
}

} // namespace kv
