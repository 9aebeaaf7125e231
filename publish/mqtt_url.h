#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Where readings are published: mqtt://[USER@]HOST[:PORT]/TOPIC/PREFIX, or mqtts:// for
// TLS. The password never stands in the address.
struct MqttUrl {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;

    bool tls = false;
    std::string user; // empty: no user name
    std::string host; // an IPv6 address without its brackets
    int port = kPlainPort;
    std::string prefix; // the topics are prefix + "/reading", "/state", "/last"
};

// The address in `text`, or nothing with one sentence for people in `error`. The
// sentence never repeats the user part, which may hold a mistyped password.
std::optional<MqttUrl> parseMqttUrl(std::string_view text, std::string& error);

} // namespace kv
