#pragma once

#include <string_view>

namespace kv {

// `s` without the spaces and tabs around it, as a header field or a CSV field is read.
inline std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace kv
