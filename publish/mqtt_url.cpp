#include "publish/mqtt_url.h"

#include "core/translated.h"

#include <cctype>
#include <string>

namespace kv {

namespace {

std::optional<MqttUrl> fail(std::string& error, std::string text) {
    error = std::move(text);
    return std::nullopt;
}

std::string malformed() {
    return translated("kv::MqttUrl", "The MQTT address is malformed: write it as "
                                     "mqtt://[USER@]HOST[:PORT]/TOPIC/PREFIX, or mqtts:// "
                                     "for TLS.");
}

bool isHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

bool isHexOrColon(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
}

// The port's digits as a number, or 0 when they are none, not digits or out of range.
int portOf(std::string_view digits) {
    if (digits.empty() || digits.size() > 5)
        return 0;
    int port = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : 0;
}

} // namespace

std::optional<MqttUrl> parseMqttUrl(std::string_view text, std::string& error,
                                    std::size_t reserved) {
    MqttUrl url;
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0)
        return fail(error, malformed());
    const std::string_view scheme = text.substr(0, schemeEnd);
    if (scheme == "mqtts") {
        url.tls = true;
        url.port = MqttUrl::kTlsPort;
    } else if (scheme != "mqtt") {
        return fail(error, withArguments(translated("kv::MqttUrl",
                                                    "The MQTT address begins with %1://, but only "
                                                    "mqtt:// and mqtts:// are known."),
                                         {std::string(scheme)}));
    }

    std::string_view rest = text.substr(schemeEnd + 3);
    const std::size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    const std::string_view prefix =
        slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);

    const std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view user = authority.substr(0, at);
        if (user.find(':') != std::string_view::npos)
            return fail(error,
                        translated("kv::MqttUrl", "The MQTT address holds a password; give it in "
                                                  "KV_MQTT_PASSWORD or a password file instead."));
        if (user.empty())
            return fail(error, malformed());
        url.user = std::string(user);
        authority = authority.substr(at + 1);
    }

    std::string_view host = authority;
    std::string_view port;
    bool hasPort = false;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return fail(error, malformed());
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return fail(error, malformed());
            hasPort = true;
            port = after.substr(1);
        }
        for (char c : host)
            if (!isHexOrColon(c))
                return fail(error, malformed());
    } else {
        const std::size_t colon = authority.find(':');
        if (colon != std::string_view::npos) {
            host = authority.substr(0, colon);
            port = authority.substr(colon + 1);
            hasPort = true;
        }
        for (char c : host)
            if (!isHostChar(c))
                return fail(error, malformed());
    }
    if (host.empty())
        return fail(error, malformed());
    url.host = std::string(host);
    if (hasPort) {
        url.port = portOf(port);
        if (url.port == 0)
            return fail(error,
                        withArguments(translated("kv::MqttUrl", "The MQTT port %1 is not a number "
                                                                "from 1 to 65535."),
                                      {std::string(port)}));
    }

    if (prefix.empty() || prefix == "/")
        return fail(error, translated("kv::MqttUrl",
                                      "The MQTT address names no topic prefix after the host."));
    // The broker would drop what it cannot deliver, with no word to the publisher.
    const std::size_t longest =
        MqttUrl::kLongestPrefix - std::min(reserved, MqttUrl::kLongestPrefix);
    if (prefix.size() > longest)
        return fail(error, withArguments(translated("kv::MqttUrl",
                                                    "The MQTT topic prefix is %1 bytes long, "
                                                    "but MQTT allows at most %2 here."),
                                         {std::to_string(prefix.size()), std::to_string(longest)}));
    if (prefix.front() == '$')
        return fail(error,
                    withArguments(translated("kv::MqttUrl",
                                             "The MQTT topic prefix %1 begins with $, which the "
                                             "broker keeps for topics of its own."),
                                  {std::string(prefix)}));
    if (prefix.find_first_of("+#") != std::string_view::npos)
        return fail(
            error, withArguments(translated("kv::MqttUrl", "The MQTT topic prefix %1 holds + or #, "
                                                           "which only subscribers may use."),
                                 {std::string(prefix)}));
    // An empty level (a/b//c or a trailing slash) is legal MQTT but is always a slip here.
    if (prefix.front() == '/' || prefix.back() == '/' ||
        prefix.find("//") != std::string_view::npos)
        return fail(error,
                    withArguments(translated("kv::MqttUrl", "The MQTT topic prefix %1 has an empty "
                                                            "level between its slashes."),
                                  {std::string(prefix)}));
    // NUL is forbidden in a topic, and no other control character belongs in one.
    for (char c : prefix)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return fail(error, malformed());
    url.prefix = std::string(prefix);
    return url;
}

} // namespace kv
