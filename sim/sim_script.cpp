#include "sim/sim_script.h"

#include "core/translated.h"
#include "meter/meter_protocol.h"

#include <cctype>
#include <charconv>

namespace kv::sim {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Cuts the next blank-separated word off the front of text.
std::string_view nextWord(std::string_view& text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    std::size_t j = i;
    while (j < text.size() && !isBlank(text[j]))
        ++j;
    std::string_view word = text.substr(i, j - i);
    text.remove_prefix(j);
    return word;
}

bool onlyBlanks(std::string_view text) {
    for (char c : text)
        if (!isBlank(c))
            return false;
    return true;
}

bool toInt(std::string_view word, int lo, int hi, int& out) {
    if (word.empty() || !std::isdigit(static_cast<unsigned char>(word.front())))
        return false;
    auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
    return ec == std::errc() && end == word.data() + word.size() && out >= lo && out <= hi;
}

// "F R DDDDD" at the front of rest; fills the reply or says what is wrong.
std::string parseReply(std::string_view rest, SimStep& step) {
    int function = 0, range = 0;
    std::string_view f = nextWord(rest);
    if (!toInt(f, 0, 255, function))
        return withArguments(translated("kv::sim::SimScript",
                                        "function code must be a number from 0 to 255, not '%1'"),
                             {std::string(f)});
    std::string_view r = nextWord(rest);
    if (!toInt(r, 0, 255, range))
        return withArguments(
            translated("kv::sim::SimScript", "range code must be a number from 0 to 255, not '%1'"),
            {std::string(r)});
    if (rest.empty() || rest.front() != ' ')
        return translated("kv::sim::SimScript",
                          "expected a space and five digit characters after the range code");
    rest.remove_prefix(1);
    std::size_t n = 0;
    while (n < rest.size() && n < 5 && rest[n] != '\t' && rest[n] != '\r')
        ++n;
    std::string_view digits = rest.substr(0, n);
    if (digits.size() != 5 || !onlyBlanks(rest.substr(5)))
        return withArguments(
            translated("kv::sim::SimScript", "expected exactly five digit characters, not '%1'"),
            {std::string(rest)});
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '?' && c != ' ')
            return withArguments(
                translated("kv::sim::SimScript",
                           "digit characters may only be 0-9, '?' or space, not '%1'"),
                {std::string(digits)});
    step.kind = SimStep::Kind::Reply;
    step.bytes = meterReply(function, range, digits);
    return {};
}

std::string parseLine(std::string_view line, SimStep& step) {
    std::string_view rest = line;
    std::string_view word = nextWord(rest);
    if (word == "silent") {
        if (!onlyBlanks(rest))
            return translated("kv::sim::SimScript", "'silent' takes nothing after it");
        step.kind = SimStep::Kind::Silent;
        return {};
    }
    if (word == "raw") {
        step.kind = SimStep::Kind::Reply;
        for (std::string_view b = nextWord(rest); !b.empty(); b = nextWord(rest)) {
            int v = 0;
            if (!toInt(b, 0, 255, v))
                return withArguments(
                    translated("kv::sim::SimScript",
                               "raw bytes must be numbers from 0 to 255, not '%1'"),
                    {std::string(b)});
            step.bytes.push_back(static_cast<std::uint8_t>(v));
        }
        return {};
    }
    if (word == "unplug") {
        std::string_view ms = nextWord(rest);
        if (!toInt(ms, 0, 3'600'000, step.unplugMs) || !onlyBlanks(rest))
            return translated("kv::sim::SimScript", "'unplug' takes one time in milliseconds");
        step.kind = SimStep::Kind::Unplug;
        return {};
    }
    if (word == "delay") {
        std::string_view ms = nextWord(rest);
        // The reply follows the time after exactly one space, as on a line of its own.
        if (!toInt(ms, 0, 3'600'000, step.delayMs) || rest.empty() || rest.front() != ' ')
            return translated("kv::sim::SimScript",
                              "'delay' takes a time in milliseconds, then F R DDDDD");
        rest.remove_prefix(1);
        return parseReply(rest, step);
    }
    return parseReply(line, step);
}

} // namespace

ParsedScript parseSimScript(std::string_view text) {
    ParsedScript result;
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        if (onlyBlanks(line))
            continue;
        // Leading blanks are not part of a reply's digits.
        while (isBlank(line.front()))
            line.remove_prefix(1);
        SimStep step;
        std::string problem = parseLine(line, step);
        if (!problem.empty()) {
            result.steps.clear();
            result.error = withArguments(translated("kv::sim::SimScript", "line %1: %2"),
                                         {std::to_string(lineNumber), problem});
            return result;
        }
        result.steps.push_back(std::move(step));
    }
    return result;
}

} // namespace kv::sim
