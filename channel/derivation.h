#pragma once

#include "channel/derived_formula.h"
#include "core/reading.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace kv {

// One derived channel's arithmetic: it takes the rows its input channels keep (readings,
// overloads, the gaps where a silence began) and gives the rows the derived channel keeps.
//
// A row of an input gives a derived row, made from the newest row of each input, and only
// when the other input's newest row is a reading or an overload no more than 1.5 s away from
// it by the rows' times; otherwise a gap. Then, in this order:
//  - a gap in an input, or the other input silent or too old: a gap;
//  - an input's unit changing to another base unit ("V-DC" to "A - DC", not "KOhm" to
//    "MOhm"): a gap at the row with the new unit, then values in it again;
//  - units that do not combine (V x Hz): a gap, and reason() says why;
//  - an overload in an input, or a result too large to write (V / 0 A): an overload;
//  - otherwise the value, in base units (the meter's mV, mA, KOhm, MOhm and KHz scaled to V,
//    A, Ohm and Hz), in the unit derivedUnit() gives.
// Two gaps never follow each other: the second says nothing new.
//
// An integral adds, by the trapezoid rule over the rows' times, each stretch between two
// consecutive readings of its input, in base units times hours (A for 1 s is 1/3600 Ah).
// A gap, an overload or a change of the input's base unit ends a stretch, and the time until
// the next reading adds nothing; that reading begins a new one. The sum begins at 0 with the
// session (reset()) and again at a change of the base unit; it stays as it was over gaps and
// overloads, which carry no value, and the next reading goes on from it.
//
// A derived row has no meter codes: hasCodes is false, function and range 0, and its unit is
// set all the same (so the record, the CSV and the JSON leave the codes empty). Its picture
// format has five digits with the point placed by the value's size, as the meter's
// ("0.0000" below 10, "00.000" below 100, "000.00", "0000.0", then "00000"); a negative value
// gets its sign in front. Its times are those of the input row that made it.
//
// Feeding allocates nothing once the units have been seen, so it can run on every reading.
class Derivation {
public:
    // The other input's newest row must be no further away than this, in milliseconds.
    static constexpr TimeMs kPairingMs = 1500;

    explicit Derivation(DerivedFormula formula);

    const DerivedFormula& formula() const { return formula_; }

    // The session begins: the inputs' rows are forgotten, the integral is 0, no reason.
    void reset();

    // A row kept by input `input` (an index into formula().inputs). An input named twice (A*A)
    // takes its rows once, under either index. The derived row to keep, or nothing: for a
    // second gap, for an unlisted reading (not kept) and for an index out of range.
    std::optional<Reading> feed(std::size_t input, const Reading& row);

    // Why the derived channel gives gaps now: one sentence in the user's language (units that
    // do not combine, an input silent or too old), for the footer and standard error; empty
    // while it gives values or overloads.
    const std::string& reason() const { return reason_; }
    // Told each time reason() changes, with the new one (empty: values again).
    std::function<void(const std::string& reason)> onReasonChanged;

private:
    // The newest row of one input.
    struct Input {
        bool seen = false;
        Reading::Status status = Reading::Status::gap;
        bool overloaded = false; // an overload, or a value that is no number
        TimeMs time = 0;
        double value = 0; // in base units
        std::string unit; // as the row gives it
        double scale = 1; // from the unit to its base unit
        std::string base; // the base unit of the last row that had a unit
    };
    enum class Why : std::uint8_t { nothing, units, silent, tooOld };

    bool binary() const;
    // Takes the row's unit; whether its base unit differs from the one before.
    bool takeUnit(Input& input, const Reading& row);
    void updateResultUnit();
    std::optional<Reading> combine(std::size_t input, const Reading& row);
    std::optional<Reading> integrate(const Reading& row);
    std::optional<Reading> gap(const Reading& row);
    std::optional<Reading> overload(const Reading& row);
    std::optional<Reading> value(const Reading& row, double value);
    std::optional<Reading> give(const Reading& row, Reading::Status status, float value);
    void setReason(Why why, std::size_t input = 0);

    DerivedFormula formula_;
    std::array<Input, 2> inputs_;
    // What the base units of the inputs give: the result's unit, or why none.
    std::string resultUnit_;
    std::string unitReason_;
    std::string resultBases_[2]; // the base units resultUnit_ was worked out for
    bool resultKnown_ = false;
    // The integral: its sum and the last reading of the current stretch.
    double sum_ = 0;
    bool stretch_ = false;
    TimeMs lastTime_ = 0;
    double lastValue_ = 0;
    // The row given last, made again for each row.
    Reading out_;
    bool lastWasGap_ = false;
    // When the first row of the session came: an input not heard from within the pairing
    // time of it is still starting, not silent.
    std::optional<TimeMs> firstRow_;
    Why why_ = Why::nothing;
    std::size_t whyInput_ = 0;
    std::string reason_;
};

} // namespace kv
