#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::sim {

// What the simulated meter does with one request.
struct SimStep {
    enum class Kind { Reply, Silent, Unplug };
    Kind kind = Kind::Reply;
    std::vector<std::uint8_t> bytes; // Reply: the bytes sent back
    int delayMs = 0;                 // Reply: how late they are sent
    int unplugMs = 0;                // Unplug: how long the device stays away

    bool operator==(const SimStep& o) const {
        return kind == o.kind && bytes == o.bytes && delayMs == o.delayMs && unplugMs == o.unplugMs;
    }
};

struct ParsedScript {
    std::vector<SimStep> steps;
    std::string error; // "line N: ..." for the first malformed line; empty when parsed

    bool ok() const { return error.empty(); }
};

// One reply per line; "#" starts a comment, blank lines are skipped.
//   F R DDDDD          function and range code (0 to 255), then the five characters right
//                      after the single space that follows R: digits, '?' or spaces
//   raw B1 B2 ...      exactly these bytes (0 to 255), any number of them
//   silent             no reply to this request
//   delay MS F R DDDDD the same reply, MS milliseconds late
//   unplug MS          the device goes away for MS milliseconds
ParsedScript parseSimScript(std::string_view text);

// A minute of readings at ten a second through every function the meter knows, ramping
// across the decades of each.
std::string demoScript();
// The demo, parsed: what the program's built-in simulator plays (in a loop).
std::vector<SimStep> demoSteps();

} // namespace kv::sim
