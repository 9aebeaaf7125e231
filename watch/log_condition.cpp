#include "watch/log_condition.h"

#include "core/translated.h"
#include "format/number_format.h"
#include "watch/limit_parsing.h"
#include "watch/reading_text.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <vector>

namespace kv {

namespace {

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::istringstream in{std::string(text)};
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

std::string seconds(TimeMs ms) {
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03d", static_cast<int>(ms % 1000));
        std::string decimals(buf);
        while (decimals.back() == '0')
            decimals.pop_back();
        text += decimalChar() + decimals;
    }
    return text;
}

} // namespace

std::optional<TimeMs> parseLogEvery(std::string_view text) {
    const std::optional<float> seconds = typedNumber(text);
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0.5f || *seconds > 86400.0f)
        return std::nullopt;
    return static_cast<TimeMs>(std::llround(static_cast<double>(*seconds) * 1000.0));
}

ParsedLogCondition parseLogCondition(std::string_view text, std::string_view option) {
    ParsedLogCondition parsed;
    const std::string opt(option);
    const auto fail = [&](const std::string& sentence, const std::string& a = {},
                          const std::string& b = {}, const std::string& c = {}) {
        parsed.error = withArguments(sentence, {opt, a, b, c});
        parsed.condition = LogCondition();
        return parsed;
    };
    std::vector<std::string> w = words(text);
    if (w.empty())
        return fail(translated("kv::LogCondition",
                               "%1 needs above VALUE, below VALUE or outside LOW HIGH, "
                               "optionally with for SECONDS"));
    // NAME:above 3.0, or NAME: above 3.0
    if (const std::size_t colon = w[0].find(':'); colon != std::string::npos) {
        parsed.condition.channel = w[0].substr(0, colon);
        w[0].erase(0, colon + 1);
        if (w[0].empty())
            w.erase(w.begin());
        if (parsed.condition.channel.empty())
            return fail(translated("kv::LogCondition",
                                   "%1 has a colon without a channel's name before it"));
    }
    if (w.empty())
        return fail(translated("kv::LogCondition",
                               "%1 needs above VALUE, below VALUE or outside LOW HIGH, "
                               "optionally with for SECONDS"));
    LogCondition& c = parsed.condition;
    std::size_t next = 0;
    const std::string& kind = w[next++];
    std::size_t values = 1;
    if (kind == "above")
        c.kind = LogCondition::Kind::above;
    else if (kind == "below")
        c.kind = LogCondition::Kind::below;
    else if (kind == "outside") {
        c.kind = LogCondition::Kind::outside;
        values = 2;
    } else
        return fail(translated("kv::LogCondition",
                               "%1 begins with '%2', which is none of above, below and outside"),
                    kind);
    if (w.size() < next + values)
        return values == 1 ? fail(translated("kv::LogCondition", "%1: %2 needs a value"), kind)
                           : fail(translated("kv::LogCondition", "%1: outside needs LOW and HIGH"));
    double read[2] = {0, 0};
    for (std::size_t i = 0; i < values; ++i) {
        const std::optional<float> v = typedNumber(w[next]);
        if (!v)
            return fail(translated("kv::LogCondition", "%1: '%2' is not a number"), w[next]);
        read[i] = *v;
        ++next;
    }
    c.low = static_cast<float>(read[0]);
    c.high = static_cast<float>(values == 2 ? read[1] : read[0]);
    if (values == 2 && c.low > c.high)
        return fail(translated("kv::LogCondition", "%1: outside's LOW %2 lies above its HIGH %3"),
                    w[1], w[2]);
    if (next < w.size()) {
        if (w[next] != "for")
            return fail(translated("kv::LogCondition",
                                   "%1: '%2' is not understood here; only for SECONDS may follow"),
                        w[next]);
        ++next;
        if (next >= w.size())
            return fail(translated("kv::LogCondition", "%1: for needs a number of seconds"));
        const std::optional<float> s = typedNumber(w[next]);
        if (!s || *s < 0 || *s > 86400.0 * 366)
            return fail(
                translated("kv::LogCondition", "%1: for needs a number of seconds, not '%2'"),
                w[next]);
        c.forMs = std::llround(*s * 1000.0);
        ++next;
    }
    if (next < w.size())
        return fail(translated("kv::LogCondition",
                               "%1: '%2' is not understood here; only for SECONDS may follow"),
                    w[next]);
    return parsed;
}

bool ConditionWatch::feed(const Reading& reading) {
    if (metAt_)
        return true;
    if (reading.status != Reading::Status::ok || !reading.kept()) {
        since_.reset();
        return false;
    }
    if (unit_.empty()) {
        unit_ = reading.unit;
        format_ = reading.format;
    }
    const float v = reading.value;
    bool holds = false;
    switch (condition_.kind) {
    case LogCondition::Kind::above:
        holds = v > condition_.low;
        break;
    case LogCondition::Kind::below:
        holds = v < condition_.low;
        break;
    case LogCondition::Kind::outside:
        holds = v < condition_.low || v > condition_.high;
        break;
    }
    if (!holds || reading.unit != unit_) {
        since_.reset();
        return false;
    }
    if (!since_)
        since_ = reading.time;
    if (reading.time - *since_ >= condition_.forMs)
        metAt_ = reading.time;
    return metAt_.has_value();
}

std::string ConditionWatch::text() const {
    std::string out;
    switch (condition_.kind) {
    case LogCondition::Kind::above:
        out = withArguments(translated("kv::LogCondition", "above %1"),
                            {valueText(condition_.low, format_, unit_)});
        break;
    case LogCondition::Kind::below:
        out = withArguments(translated("kv::LogCondition", "below %1"),
                            {valueText(condition_.low, format_, unit_)});
        break;
    case LogCondition::Kind::outside:
        out = withArguments(translated("kv::LogCondition", "outside %1 and %2"),
                            {valueText(condition_.low, format_, std::string()),
                             valueText(condition_.high, format_, unit_)});
        break;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (condition_.forMs > 0)
        out = withArguments(translated("kv::LogCondition", "%1 for %2 s"),
                            {out, seconds(condition_.forMs)});
    return out;
}

} // namespace kv
