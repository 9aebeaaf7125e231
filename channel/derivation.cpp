#include "channel/derivation.h"

#include "channel/derived_units.h"
#include "core/translated.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace kv {

namespace {

constexpr double kMsPerHour = 3600.0 * 1000.0;

// An overload, or a reading whose value cannot be computed with, which the record keeps as one.
bool overloadedRow(const Reading& row) {
    return row.overload() || (row.status == Reading::Status::ok && !std::isfinite(row.value));
}

} // namespace

Derivation::Derivation(DerivedFormula formula) : formula_(std::move(formula)) {
    reset();
}

void Derivation::reset() {
    inputs_ = {};
    sum_ = 0;
    stretch_ = false;
    out_ = Reading();
    out_.hasCodes = false;
    lastWasGap_ = false;
    firstRow_.reset();
    setReason(Why::nothing);
}

bool Derivation::binary() const {
    return formula_.inputs.size() == 2;
}

std::optional<Reading> Derivation::feed(std::size_t input, const Reading& row) {
    if (input >= formula_.inputs.size() || !row.kept())
        return std::nullopt;
    if (!firstRow_)
        firstRow_ = row.time;
    if (formula_.operation == DerivedOperation::integral)
        return integrate(row);
    return combine(input, row);
}

bool Derivation::takeUnit(Input& input, const Reading& row) {
    // An overload without a unit keeps the one before.
    const std::string& unit = row.unit;
    if (unit.empty() && row.status != Reading::Status::ok)
        return false;
    if (input.seen && unit == input.unit)
        return false;
    input.unit = unit;
    const UnitQuantity quantity = quantityOf(input.unit);
    input.scale = quantity.scale;
    const bool changed = !input.base.empty() && input.base != quantity.base;
    if (input.base != quantity.base)
        input.base = quantity.base;
    return changed;
}

void Derivation::updateResultUnit() {
    const std::string& x = inputs_[0].base;
    const std::string& y = binary() ? inputs_[1].base : resultBases_[1];
    if (resultKnown_ && x == resultBases_[0] && y == resultBases_[1])
        return;
    DerivedUnit derived = derivedUnit(formula_.operation, x, y);
    resultUnit_ = std::move(derived.unit);
    unitReason_ = std::move(derived.reason);
    resultBases_[0] = x;
    if (binary())
        resultBases_[1] = y;
    resultKnown_ = true;
}

std::optional<Reading> Derivation::combine(std::size_t input, const Reading& row) {
    // Every index the row's channel stands at takes it: A*A has one channel twice.
    bool changed = false;
    for (std::size_t k = 0; k < formula_.inputs.size(); ++k) {
        if (k != input && formula_.inputs[k] != formula_.inputs[input])
            continue;
        Input& in = inputs_[k];
        in.status = row.status;
        in.overloaded = overloadedRow(row);
        if (row.status != Reading::Status::gap) {
            changed = takeUnit(in, row) || changed;
            in.value = static_cast<double>(row.value) * in.scale;
        }
        in.time = row.time;
        in.seen = true;
    }
    if (row.status == Reading::Status::gap) {
        setReason(Why::silent, input);
        return gap(row);
    }
    bool overloaded = overloadedRow(row);
    if (binary()) {
        const std::size_t other = 1 - input;
        const Input& in = inputs_[other];
        if (in.seen && in.status == Reading::Status::gap) {
            setReason(Why::silent, other);
            return gap(row);
        }
        if (!in.seen || std::llabs(row.time - in.time) > kPairingMs) {
            const bool starting = !in.seen && row.time - *firstRow_ <= kPairingMs;
            setReason(starting ? Why::nothing : Why::tooOld, other);
            return gap(row);
        }
        overloaded = overloaded || in.overloaded;
    }
    updateResultUnit();
    if (!unitReason_.empty()) {
        setReason(Why::units);
        return gap(row);
    }
    if (changed) {
        setReason(Why::nothing);
        return gap(row);
    }
    if (overloaded)
        return overload(row);
    const double x = inputs_[0].value;
    const double y = binary() ? inputs_[1].value : 0.0;
    switch (formula_.operation) {
    case DerivedOperation::product:
        return value(row, x * y);
    case DerivedOperation::quotient:
        return value(row, x / y);
    case DerivedOperation::sum:
        return value(row, x + y);
    case DerivedOperation::difference:
        return value(row, x - y);
    case DerivedOperation::timesNumber:
        return value(row, x * formula_.number);
    case DerivedOperation::byNumber:
        return value(row, x / formula_.number);
    case DerivedOperation::integral:
        break;
    }
    return std::nullopt;
}

std::optional<Reading> Derivation::integrate(const Reading& row) {
    Input& in = inputs_[0];
    in.status = row.status;
    in.time = row.time;
    if (row.status == Reading::Status::gap) {
        in.seen = true;
        stretch_ = false;
        setReason(Why::silent, 0);
        return gap(row);
    }
    const bool changed = takeUnit(in, row);
    in.seen = true;
    if (changed) {
        sum_ = 0;
        stretch_ = false;
    }
    updateResultUnit();
    if (!unitReason_.empty()) {
        stretch_ = false;
        setReason(Why::units);
        return gap(row);
    }
    if (overloadedRow(row)) {
        stretch_ = false;
        return overload(row);
    }
    const double v = static_cast<double>(row.value) * in.scale;
    if (stretch_ && row.time > lastTime_)
        sum_ += (v + lastValue_) / 2 * static_cast<double>(row.time - lastTime_) / kMsPerHour;
    lastTime_ = row.time;
    lastValue_ = v;
    stretch_ = true;
    if (changed) {
        setReason(Why::nothing);
        return gap(row);
    }
    return value(row, sum_);
}

std::optional<Reading> Derivation::gap(const Reading& row) {
    return give(row, Reading::Status::gap, 0);
}

std::optional<Reading> Derivation::overload(const Reading& row) {
    setReason(Why::nothing);
    out_.unit = resultUnit_;
    return give(row, Reading::Status::overload, 0);
}

std::optional<Reading> Derivation::value(const Reading& row, double value) {
    const float v = static_cast<float>(value);
    if (!std::isfinite(v))
        return overload(row);
    setReason(Why::nothing);
    out_.unit = resultUnit_;
    out_.format = derivedValueFormat(v);
    return give(row, Reading::Status::ok, v);
}

std::optional<Reading> Derivation::give(const Reading& row, Reading::Status status, float value) {
    const bool gap = status == Reading::Status::gap;
    if (gap && lastWasGap_)
        return std::nullopt;
    lastWasGap_ = gap;
    out_.status = status;
    out_.value = value;
    out_.time = row.time;
    out_.monotonicNs = row.monotonicNs;
    return out_;
}

void Derivation::setReason(Why why, std::size_t input) {
    // The sentence is made only when the cause changes; the units' reason may change while
    // the cause stays, and is compared as it is.
    if (why == Why::units ? why_ == Why::units && reason_ == unitReason_
                          : why == why_ && (why == Why::nothing || input == whyInput_))
        return;
    why_ = why;
    whyInput_ = input;
    std::string text;
    switch (why) {
    case Why::nothing:
        break;
    case Why::units:
        text = unitReason_;
        break;
    case Why::silent:
        text = withArguments(translated("kv::Derivation", "%1 gives no readings."),
                             {formula_.inputs[input]});
        break;
    case Why::tooOld:
        text = withArguments(
            translated("kv::Derivation", "%1 has given no reading in the last 1.5 s."),
            {formula_.inputs[input]});
        break;
    }
    if (text == reason_)
        return;
    reason_ = std::move(text);
    if (onReasonChanged)
        onReasonChanged(reason_);
}

} // namespace kv
