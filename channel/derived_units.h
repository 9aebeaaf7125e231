#pragma once

#include "channel/derived_formula.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

// What a unit text measures, as the derived channels compute with it. The meter's units
// ("V-DC", "mA - AC", "KOhm", ...) and the units derived channels give ("W", "Ohm", "Ah", ...)
// are read alike, so that a derived channel can be the input of another.
struct UnitQuantity {
    enum class Dimension : std::uint8_t {
        none,             // no unit (a reading without one)
        volt,             // V-DC, V-AC, mV, mVolt, V
        ampere,           // A - DC, A - AC, mA - DC, mA - AC, A
        power,            // W (DC), VA (AC)
        ohm,              // Ohm, KOhm, MOhm
        hertz,            // Hz, KHz
        decibel,          // dB: the difference of two levels
        decibelMilliwatt, // dBm: a level on a logarithmic scale
        diodeTest,        // Diodentest: the meter's diode test, no quantity to compute with
        other,            // any other text (°C, Ah, Wh, ...): itself, only like with like
    };
    // Whether a voltage, current or power is a DC or an AC one. The meter's mV says neither,
    // nor do V and A that a derived channel gives from readings that did not say.
    enum class Current : std::uint8_t { either, dc, ac };

    Dimension dimension = Dimension::none;
    Current current = Current::either;
    double scale = 1;      // base units per unit of the text: 0.001 for mV, 1000 for KOhm
    std::string_view base; // the unit after the prefix: "V-DC", "A - AC", "Ohm", "°C", ...
};

// The quantity of a unit text. `base` views a literal, or `unit` itself for Dimension::other.
UnitQuantity quantityOf(std::string_view unit);

// The unit of what a derived channel computes from inputs in units `x` and `y` (`y` unused
// by timesNumber, byNumber and integral), or why it has none.
//  - V x A is W from DC readings and VA from AC ones (either kind takes the other's; neither
//    gives W); A x Ohm is V; V / A is Ohm, V / Ohm is A, W (VA) / V is A, W (VA) / A is V.
//  - X*NUMBER and X/NUMBER keep X's base unit; sums and differences need the same base unit,
//    and give it; the difference of two dBm levels is in dB.
//  - The integral of A is Ah, of W Wh, of VA VAh, of V Vh, of anything else its base unit
//    followed by h (°Ch).
//  - A DC and an AC quantity never combine; dBm, whose sum or product means nothing, and a
//    diode test combine with nothing else; dB and dBm have no integral; anything else gives
//    no unit and the reason why.
struct DerivedUnit {
    std::string unit;   // empty when the units do not combine
    std::string reason; // one sentence, in the user's language, when they do not
    bool ok() const { return reason.empty(); }
};
DerivedUnit derivedUnit(DerivedOperation operation, std::string_view x, std::string_view y = {});

// The format a derived value is shown in: five digits with the point where the value's size
// puts it, as the meter shows its readings.
const char* derivedValueFormat(float value);

} // namespace kv
