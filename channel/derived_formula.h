#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// What a derived channel computes from its inputs.
enum class DerivedOperation : std::uint8_t {
    product,     // X*Y
    quotient,    // X/Y
    sum,         // X+Y
    difference,  // X-Y
    timesNumber, // X*NUMBER
    byNumber,    // X/NUMBER
    integral,    // integral(X): over time, by the trapezoid rule
};

// One derived channel as the command line gives it: NAME=EXPRESSION, read and checked.
struct DerivedFormula {
    std::string name;
    DerivedOperation operation = DerivedOperation::product;
    // The channels it reads, in the expression's order: two for X*Y, X/Y, X+Y and X-Y (the
    // same name twice for A*A), one for the others. Derivation::feed() counts in this order.
    std::vector<std::string> inputs;
    double number = 0;      // the NUMBER of X*NUMBER and X/NUMBER; never 0 for X/NUMBER
    std::string expression; // as the user wrote it, without blanks around it: what a window shows
};

// parseDerivation()'s answer: the formula, or one sentence naming what is wrong.
struct ParsedDerivation {
    DerivedFormula formula; // valid when ok()
    std::string error;      // in the user's language; empty when the text is good
    bool ok() const { return error.empty(); }
};

// The longest channel name, in characters.
constexpr std::size_t kMaxChannelName = 16;

// Whether `name` is a channel name: 1 to 16 ASCII letters, digits, '_' and '-', the first a
// letter. The first letter keeps a name apart from a number (X*2) and from a minus sign;
// ASCII keeps it safe in broker topics and file names. Names are told apart by case.
bool isChannelName(std::string_view name);
// The sentence saying why `name` is no channel name; empty when it is one.
std::string channelNameError(std::string_view name);

// Reads NAME=EXPRESSION, EXPRESSION one of X*Y, X/Y, X+Y, X-Y, X*NUMBER, X/NUMBER and
// integral(X), with blanks allowed around '=', the operators and inside the parentheses
// ("integral" in any case). X and Y are channel names; NUMBER has an optional '-', digits and
// at most one decimal separator, a point or `decimalChar`, and no exponent. A second operand
// of * or / is the number when it reads as one; since names begin with a letter, nothing
// else does. A '-' may belong to a name (in-1*out-2): in X-Y the minus is the one whose both
// sides are names; when more than one is (a-b-c), the text is refused and the sentence asks
// for blanks around the minus that subtracts (a - b-c). The names are not looked up here:
// checkChannels() does that with every channel known.
ParsedDerivation parseDerivation(std::string_view text, char decimalChar);

// Checks the whole set of channels: `meterNames` (the channels read from meters, not the
// derived ones) and the derived channels. The first problem found, as one sentence, or empty
// when there is none; in this order: a meter channel's name that is no channel name, two
// channels of the same name, a derived channel using a name that is no channel, and derived
// channels that depend on themselves, directly or through others.
std::string checkChannels(const std::vector<std::string>& meterNames,
                          const std::vector<DerivedFormula>& derived);

} // namespace kv
