#include "sim/sim_script.h"

#include <cmath>
#include <cstdio>

namespace kv::sim {

namespace {

// A range of one function: the code the meter sends, how many integer digits its five
// digits carry (the rest are decimals) and the factor from the function's base unit to the
// unit the range shows (1e-3 for kilo, 1e-6 for mega).
struct DemoRange {
    int code;
    int integerDigits;
    double scale;
};

struct DemoFunction {
    const char* name;
    int function;
    double from, to;     // in the base unit, ramped geometrically so every decade gets its share
    DemoRange ranges[6]; // smallest first; code 0 ends the list
};

// The meter's thirteen functions, each walking up through its ranges. Every function code
// and range code here has a row in the meter table of the decoder.
constexpr DemoFunction functions[] = {
    {"V-DC", 240, 0.12, 950.0, {{128, 1, 1}, {136, 2, 1}, {144, 3, 1}, {152, 4, 1}}},
    {"V-AC", 248, 0.8, 640.0, {{128, 1, 1}, {136, 2, 1}, {144, 3, 1}}},
    {"mV", 232, 1.5, 880.0, {{128, 2, 1}, {136, 3, 1}}},
    {"A-DC", 168, 0.05, 18.0, {{128, 1, 1}, {136, 2, 1}}},
    {"A-AC", 169, 0.03, 9.5, {{128, 1, 1}, {136, 2, 1}}},
    {"mA-DC", 176, 0.4, 390.0, {{128, 2, 1}, {136, 3, 1}}},
    {"mA-AC", 177, 0.6, 250.0, {{128, 2, 1}, {136, 3, 1}}},
    {"resistance",
     224,
     4.7,
     45e6,
     {{128, 3, 1}, {136, 1, 1e-3}, {144, 2, 1e-3}, {152, 3, 1e-3}, {160, 1, 1e-6}, {168, 2, 1e-6}}},
    {"high resistance in MOhm", 226, 1.0, 2000.0, {{160, 5, 1}}},
    {"frequency", 160, 1.5, 9900.0, {{130, 1, 1}, {160, 2, 1}, {200, 3, 1}, {230, 1, 1e-3}}},
    {"temperature", 192, 18.0, 85.0, {{200, 2, 1}}},
    {"diode test", 216, 0.35, 0.72, {{128, 1, 1}}},
    {"dBm", 234, 1.0, 42.0, {{192, 3, 1}}},
};

constexpr int kRepliesPerFunction = 46; // 13 functions: about a minute at ten replies a second

} // namespace

std::string demoScript() {
    std::string text = "# Built-in demo: every function of the meter, ramping across decades.\n";
    char line[64];
    for (const DemoFunction& f : functions) {
        text += "# ";
        text += f.name;
        text += "\n";
        for (int i = 0; i < kRepliesPerFunction; ++i) {
            const double t = static_cast<double>(i) / (kRepliesPerFunction - 1);
            // A little ripple on the ramp so the needle never sits still.
            const double value =
                f.from * std::pow(f.to / f.from, t) * (1.0 + 0.02 * std::sin(i * 1.7));
            // The smallest range the value fits; the largest one when it fits none.
            const DemoRange* range = nullptr;
            for (const DemoRange& r : f.ranges) {
                if (r.code == 0)
                    break;
                range = &r;
                if (value * r.scale < std::pow(10.0, r.integerDigits) * 0.9999)
                    break;
            }
            long digits =
                std::lround(value * range->scale * std::pow(10.0, 5 - range->integerDigits));
            if (digits > 99999)
                digits = 99999;
            std::snprintf(line, sizeof line, "%d %d %05ld\n", f.function, range->code, digits);
            text += line;
        }
    }
    return text;
}

std::vector<SimStep> demoSteps() {
    return parseSimScript(demoScript()).steps;
}

} // namespace kv::sim
