#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace kv {

// One HTTP/1.x request head as a read-only server takes it: the request line and the header
// fields, nothing more. Strict on purpose: whatever it does not understand is a bad request,
// never a guess.
struct HttpRequest {
    std::string method;
    std::string path;                          // decoded, without the query
    std::map<std::string, std::string> query;  // decoded; a name given twice: the last
    std::map<std::string, std::string> fields; // names in lower case; values trimmed
    // A field's value; empty when absent.
    std::string field(const std::string& lowerName) const;
    std::string queryValue(const std::string& name) const;
};

// Reads a request head from the bytes a connection has brought so far.
class HttpRequestParser {
public:
    enum class State { incomplete, complete, bad };
    // A head longer than this is refused: no page of ours needs more.
    static constexpr std::size_t kMaxHead = 8192;
    static constexpr std::size_t kMaxFields = 64;

    // The bytes received so far, in full each time (the parser keeps nothing between calls).
    State parse(std::string_view received);
    const HttpRequest& request() const { return request_; }

private:
    State parseHead(std::string_view head);
    bool parseTarget(std::string_view target);

    HttpRequest request_;
};

// %XX and "+" decoded; false for a broken escape or a decoded NUL.
bool percentDecode(std::string_view in, std::string& out, bool plusIsSpace);

} // namespace kv
