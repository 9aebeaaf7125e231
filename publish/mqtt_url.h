#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

// Where readings are published: mqtt://[USER@]HOST[:PORT]/TOPIC/PREFIX, or mqtts:// for
// TLS. The password never stands in the address.
struct MqttUrl {
    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;
    // What the publisher puts after the prefix.
    static constexpr std::string_view kReadingTopic = "/reading";
    static constexpr std::string_view kStateTopic = "/state";
    static constexpr std::string_view kLastTopic = "/last";
    static constexpr std::string_view kNoteTopic = "/note";
    // The bytes of UTF-8 MQTT allows in a topic; the prefix leaves room for the longest
    // of the publisher's own.
    static constexpr std::size_t kLongestTopic = 65535;
    static constexpr std::size_t kLongestPrefix =
        kLongestTopic - std::max({kReadingTopic.size(), kStateTopic.size(), kLastTopic.size()});

    bool tls = false;
    std::string user; // empty: no user name
    std::string host; // an IPv6 address without its brackets
    int port = kPlainPort;
    std::string prefix; // the topics are prefix + kReadingTopic, kStateTopic, kLastTopic
};

// The address in `text`, or nothing with one sentence for people in `error`. The
// sentence never repeats the user part, which may hold a mistyped password.
// `reserved`: bytes the topics take after the prefix beyond the publisher's own (a channel's
// name and its slash), which a prefix must leave room for.
std::optional<MqttUrl> parseMqttUrl(std::string_view text, std::string& error,
                                    std::size_t reserved = 0);

} // namespace kv
