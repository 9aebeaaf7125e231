#include "core/translated.h"

#include <atomic>
#include <vector>

namespace kv {

namespace {
// Set once at start, read from any thread (the logger writes from the poll's).
std::atomic<Translation> current{nullptr};
} // namespace

std::string translated(const char* context, const char* text) {
    const Translation translation = current.load(std::memory_order_acquire);
    return translation ? translation(context, text) : std::string(text);
}

std::string withArguments(const std::string& text, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < values.size()) {
            out += values[static_cast<std::size_t>(next - '1')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void setTranslation(Translation translation) {
    current.store(translation, std::memory_order_release);
}

} // namespace kv
