#include "channel/derived_units.h"

#include "core/translated.h"

#include <cmath>

namespace kv {

namespace {

using Dimension = UnitQuantity::Dimension;
using Current = UnitQuantity::Current;

struct KnownUnit {
    std::string_view text;
    UnitQuantity quantity;
};

// The meter's units and those the derived channels give.
constexpr KnownUnit kKnownUnits[] = {
    {"V-DC", {Dimension::volt, Current::dc, 1, "V-DC"}},
    {"V-AC", {Dimension::volt, Current::ac, 1, "V-AC"}},
    {"V", {Dimension::volt, Current::either, 1, "V"}},
    {"mV", {Dimension::volt, Current::either, 1e-3, "V"}},
    {"mVolt", {Dimension::volt, Current::either, 1e-3, "V"}},
    {"A - DC", {Dimension::ampere, Current::dc, 1, "A - DC"}},
    {"A - AC", {Dimension::ampere, Current::ac, 1, "A - AC"}},
    {"A", {Dimension::ampere, Current::either, 1, "A"}},
    {"mA - DC", {Dimension::ampere, Current::dc, 1e-3, "A - DC"}},
    {"mA - AC", {Dimension::ampere, Current::ac, 1e-3, "A - AC"}},
    {"W", {Dimension::power, Current::dc, 1, "W"}},
    {"VA", {Dimension::power, Current::ac, 1, "VA"}},
    {"Ohm", {Dimension::ohm, Current::either, 1, "Ohm"}},
    {"KOhm", {Dimension::ohm, Current::either, 1e3, "Ohm"}},
    {"MOhm", {Dimension::ohm, Current::either, 1e6, "Ohm"}},
    {"Hz", {Dimension::hertz, Current::either, 1, "Hz"}},
    {"KHz", {Dimension::hertz, Current::either, 1e3, "Hz"}},
    {"dB", {Dimension::decibel, Current::either, 1, "dB"}},
    {"dBm", {Dimension::decibelMilliwatt, Current::either, 1, "dBm"}},
    {"Diodentest", {Dimension::diodeTest, Current::either, 1, "Diodentest"}},
};

// The base unit of a dimension with a kind of current.
std::string_view unitOf(Dimension dimension, Current current) {
    switch (dimension) {
    case Dimension::volt:
        return current == Current::dc ? "V-DC" : current == Current::ac ? "V-AC" : "V";
    case Dimension::ampere:
        return current == Current::dc ? "A - DC" : current == Current::ac ? "A - AC" : "A";
    case Dimension::power:
        return current == Current::ac ? "VA" : "W";
    case Dimension::ohm:
        return "Ohm";
    default:
        return {};
    }
}

bool clash(Current a, Current b) {
    return a != Current::either && b != Current::either && a != b;
}

Current merged(Current a, Current b) {
    return a == Current::either ? b : a;
}

DerivedUnit unit(std::string_view text) {
    return {std::string(text), {}};
}

// A reason with the units in its places.
DerivedUnit why(const std::string& text, std::string_view x = {}, std::string_view y = {}) {
    return {{}, withArguments(text, {std::string(x), std::string(y)})};
}

// What no operation takes: a reading without a unit, a diode test.
bool unusable(const UnitQuantity& q, DerivedUnit& out) {
    if (q.dimension == Dimension::none)
        out =
            why(translated("kv::Derivation", "A reading without a unit cannot be computed with."));
    else if (q.dimension == Dimension::diodeTest)
        out = why(translated("kv::Derivation", "A diode test gives no quantity to compute with."));
    else
        return false;
    return true;
}

DerivedUnit logarithmic() {
    return why(translated("kv::Derivation",
                          "Readings in dBm are levels on a logarithmic scale: only "
                          "the difference of two has a meaning."));
}

DerivedUnit dcAndAc(std::string_view x, std::string_view y) {
    return why(translated("kv::Derivation",
                          "Readings in %1 and %2 do not combine: one is DC, the other AC."),
               x, y);
}

DerivedUnit sumOrDifference(DerivedOperation operation, std::string_view x, std::string_view y,
                            const UnitQuantity& qx, const UnitQuantity& qy) {
    const bool sum = operation == DerivedOperation::sum;
    if (qx.dimension != qy.dimension || (qx.dimension == Dimension::other && qx.base != qy.base))
        return sum ? why(translated("kv::Derivation",
                                    "Readings in %1 and %2 cannot be added: their units differ."),
                         x, y)
                   : why(translated(
                             "kv::Derivation",
                             "Readings in %1 and %2 cannot be subtracted: their units differ."),
                         x, y);
    if (qx.dimension == Dimension::decibelMilliwatt)
        return sum ? logarithmic() : unit("dB");
    if (clash(qx.current, qy.current))
        return dcAndAc(x, y);
    if (qx.dimension == Dimension::other || qx.dimension == Dimension::hertz ||
        qx.dimension == Dimension::decibel)
        return unit(qx.base);
    return unit(unitOf(qx.dimension, merged(qx.current, qy.current)));
}

DerivedUnit productOrQuotient(DerivedOperation operation, std::string_view x, std::string_view y,
                              const UnitQuantity& qx, const UnitQuantity& qy) {
    const bool product = operation == DerivedOperation::product;
    if (qx.dimension == Dimension::decibelMilliwatt || qy.dimension == Dimension::decibelMilliwatt)
        return logarithmic();
    auto is = [&](Dimension a, Dimension b) { return qx.dimension == a && qy.dimension == b; };
    Dimension result = Dimension::none;
    Current current = merged(qx.current, qy.current);
    if (product) {
        if (is(Dimension::volt, Dimension::ampere) || is(Dimension::ampere, Dimension::volt))
            result = Dimension::power;
        else if (is(Dimension::ampere, Dimension::ohm) || is(Dimension::ohm, Dimension::ampere))
            result = Dimension::volt;
    } else {
        if (is(Dimension::volt, Dimension::ampere)) {
            result = Dimension::ohm;
        } else if (is(Dimension::volt, Dimension::ohm)) {
            result = Dimension::ampere;
        } else if (is(Dimension::power, Dimension::volt)) {
            result = Dimension::ampere;
        } else if (is(Dimension::power, Dimension::ampere)) {
            result = Dimension::volt;
        }
    }
    if (result == Dimension::none)
        return product ? why(translated("kv::Derivation",
                                        "Readings in %1 and %2 do not multiply to a unit."),
                             x, y)
                       : why(translated("kv::Derivation",
                                        "Readings in %1 divided by readings in %2 give no unit."),
                             x, y);
    if (clash(qx.current, qy.current))
        return dcAndAc(x, y);
    // A power from a V and an A that say neither DC nor AC is taken as W, as the meter's
    // mV readings are DC ones.
    return unit(unitOf(result, current));
}

DerivedUnit integralOf(std::string_view x, const UnitQuantity& q) {
    switch (q.dimension) {
    case Dimension::decibel:
    case Dimension::decibelMilliwatt:
        return why(translated("kv::Derivation", "The integral of readings in %1 means nothing."),
                   x);
    case Dimension::volt:
        return unit("Vh");
    case Dimension::ampere:
        return unit("Ah");
    default:
        return unit(std::string(q.base) + "h");
    }
}

} // namespace

UnitQuantity quantityOf(std::string_view unit) {
    if (unit.empty())
        return {};
    for (const KnownUnit& known : kKnownUnits)
        if (known.text == unit)
            return known.quantity;
    return {Dimension::other, Current::either, 1, unit};
}

DerivedUnit derivedUnit(DerivedOperation operation, std::string_view x, std::string_view y) {
    const UnitQuantity qx = quantityOf(x);
    DerivedUnit out;
    if (unusable(qx, out))
        return out;
    switch (operation) {
    case DerivedOperation::timesNumber:
    case DerivedOperation::byNumber:
        return qx.dimension == Dimension::decibelMilliwatt ? logarithmic() : unit(qx.base);
    case DerivedOperation::integral:
        return integralOf(x, qx);
    default:
        break;
    }
    const UnitQuantity qy = quantityOf(y);
    if (unusable(qy, out))
        return out;
    if (operation == DerivedOperation::sum || operation == DerivedOperation::difference)
        return sumOrDifference(operation, x, y, qx, qy);
    return productOrQuotient(operation, x, y, qx, qy);
}

const char* derivedValueFormat(float value) {
    // Each bound is where rounding to the format's decimals would need a sixth digit.
    const float size = std::fabs(value);
    if (size < 9.99995f)
        return "0.0000";
    if (size < 99.9995f)
        return "00.000";
    if (size < 999.995f)
        return "000.00";
    if (size < 9999.95f)
        return "0000.0";
    return "00000";
}

} // namespace kv
