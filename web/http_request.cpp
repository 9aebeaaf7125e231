#include "web/http_request.h"

#include "core/trimmed.h"

#include <cctype>

namespace kv {

namespace {

bool isTokenChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u))
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool percentDecode(std::string_view in, std::string& out, bool plusIsSpace) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '%') {
            if (i + 2 >= in.size())
                return false;
            const int hi = hexValue(in[i + 1]), lo = hexValue(in[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            c = static_cast<char>(hi * 16 + lo);
            if (c == '\0')
                return false;
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            c = ' ';
        }
        out += c;
    }
    return true;
}

std::string HttpRequest::field(const std::string& lowerName) const {
    const auto it = fields.find(lowerName);
    return it == fields.end() ? std::string() : it->second;
}

std::string HttpRequest::queryValue(const std::string& name) const {
    const auto it = query.find(name);
    return it == query.end() ? std::string() : it->second;
}

HttpRequestParser::State HttpRequestParser::parse(std::string_view received) {
    const std::size_t end = received.find("\r\n\r\n");
    if (end == std::string_view::npos)
        return received.size() > kMaxHead ? State::bad : State::incomplete;
    if (end + 4 > kMaxHead)
        return State::bad;
    // Nothing may follow the head: a read-only server takes no body, and a pipelined second
    // request is not served.
    if (end + 4 != received.size())
        return State::bad;
    return parseHead(received.substr(0, end + 2));
}

HttpRequestParser::State HttpRequestParser::parseHead(std::string_view head) {
    request_ = HttpRequest();
    std::size_t eol = head.find("\r\n");
    const std::string_view line = head.substr(0, eol);
    // METHOD SP TARGET SP HTTP/1.x, single spaces.
    const std::size_t sp1 = line.find(' ');
    if (sp1 == std::string_view::npos || sp1 == 0)
        return State::bad;
    const std::size_t sp2 = line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || sp2 == sp1 + 1 ||
        line.find(' ', sp2 + 1) != std::string_view::npos)
        return State::bad;
    const std::string_view method = line.substr(0, sp1);
    for (const char c : method)
        if (!isTokenChar(c))
            return State::bad;
    const std::string_view version = line.substr(sp2 + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return State::bad;
    request_.method = std::string(method);
    if (!parseTarget(line.substr(sp1 + 1, sp2 - sp1 - 1)))
        return State::bad;

    std::size_t at = eol + 2;
    std::size_t count = 0;
    while (at < head.size()) {
        eol = head.find("\r\n", at);
        const std::string_view f = head.substr(at, eol - at);
        at = eol + 2;
        if (++count > kMaxFields)
            return State::bad;
        const std::size_t colon = f.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return State::bad;
        std::string name;
        for (const char c : f.substr(0, colon)) {
            if (!isTokenChar(c))
                return State::bad; // also a space before the colon, and obsolete folding
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::string_view value = trimmed(f.substr(colon + 1));
        for (const char c : value)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
                return State::bad;
        if (request_.fields.count(name) &&
            (name == "host" || name == "content-length" || name == "authorization"))
            return State::bad;
        request_.fields[name] = std::string(value);
    }
    // A body is never read: a request announcing one is refused rather than misread.
    const std::string length = request_.field("content-length");
    if ((!length.empty() && length != "0") || request_.fields.count("transfer-encoding"))
        return State::bad;
    if (version == "HTTP/1.1" && !request_.fields.count("host"))
        return State::bad;
    return State::complete;
}

bool HttpRequestParser::parseTarget(std::string_view target) {
    if (target.empty() || target.front() != '/')
        return false;
    for (const char c : target)
        if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f)
            return false;
    const std::size_t q = target.find('?');
    if (!percentDecode(target.substr(0, q), request_.path, false))
        return false;
    if (request_.path.find("/..") != std::string::npos)
        return false;
    if (q == std::string_view::npos)
        return true;
    std::string_view rest = target.substr(q + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        if (pair.empty())
            continue;
        const std::size_t eq = pair.find('=');
        std::string name, value;
        if (!percentDecode(pair.substr(0, eq), name, true))
            return false;
        if (eq != std::string_view::npos && !percentDecode(pair.substr(eq + 1), value, true))
            return false;
        request_.query[name] = value;
    }
    return true;
}

} // namespace kv
