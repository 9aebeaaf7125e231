#include "tools/sim/sim_script.h"

#include <cmath>
#include <cstdio>

namespace kv::sim {

namespace {

// A range of one function: the code the meter sends and how many integer digits its five
// digits carry (the rest are decimals).
struct DemoRange {
    int code;
    int integerDigits;
};

struct DemoSegment {
    const char* name;
    int function;
    double from, to; // ramped geometrically, so every decade gets its share
    DemoRange ranges[4];
};

// Every function code and range code here has a row in the meter table of the decoder.
constexpr DemoSegment segments[] = {
    {"V-DC", 240, 0.12, 950.0, {{128, 1}, {136, 2}, {144, 3}, {0, 0}}},
    {"V-AC", 248, 0.8, 640.0, {{128, 1}, {136, 2}, {144, 3}, {0, 0}}},
    {"mV", 232, 1.5, 880.0, {{128, 2}, {136, 3}, {0, 0}, {0, 0}}},
    {"mA", 176, 0.4, 390.0, {{128, 2}, {136, 3}, {0, 0}, {0, 0}}},
    {"A", 168, 0.05, 18.0, {{128, 1}, {136, 2}, {0, 0}, {0, 0}}},
    {"Ohm", 224, 4.7, 990.0, {{128, 3}, {0, 0}, {0, 0}, {0, 0}}},
    {"KOhm", 224, 1.1, 950.0, {{136, 1}, {144, 2}, {152, 3}, {0, 0}}},
    {"MOhm", 224, 1.2, 45.0, {{160, 1}, {168, 2}, {0, 0}, {0, 0}}},
    {"Hz", 160, 1.5, 990.0, {{130, 1}, {160, 2}, {200, 3}, {0, 0}}},
    {"KHz", 160, 1.0, 9.9, {{230, 1}, {0, 0}, {0, 0}, {0, 0}}},
    {"degrees C", 192, 18.0, 85.0, {{200, 2}, {0, 0}, {0, 0}, {0, 0}}},
    {"diode test", 216, 0.35, 0.72, {{128, 1}, {0, 0}, {0, 0}, {0, 0}}},
    {"dBm", 234, 1.0, 42.0, {{192, 3}, {0, 0}, {0, 0}, {0, 0}}},
};

constexpr int repliesPerSegment = 46; // 13 segments: about a minute at ten replies a second

} // namespace

std::string demoScript() {
    std::string text = "# Built-in demo: every function of the meter, ramping across decades.\n";
    char line[64];
    for (const DemoSegment& s : segments) {
        text += "# ";
        text += s.name;
        text += "\n";
        for (int i = 0; i < repliesPerSegment; ++i) {
            const double t = static_cast<double>(i) / (repliesPerSegment - 1);
            // A little ripple on the ramp so the needle never sits still.
            double value = s.from * std::pow(s.to / s.from, t) * (1.0 + 0.02 * std::sin(i * 1.7));
            // The smallest range the value fits; the largest one when it fits none.
            const DemoRange* range = nullptr;
            for (const DemoRange& r : s.ranges) {
                if (r.code == 0)
                    break;
                range = &r;
                if (value < std::pow(10.0, r.integerDigits) * 0.9999)
                    break;
            }
            long digits = std::lround(value * std::pow(10.0, 5 - range->integerDigits));
            if (digits > 99999)
                digits = 99999;
            std::snprintf(line, sizeof line, "%d %d %05ld\n", s.function, range->code, digits);
            text += line;
        }
    }
    return text;
}

std::vector<SimStep> demoSteps() {
    return parseSimScript(demoScript()).steps;
}

} // namespace kv::sim
