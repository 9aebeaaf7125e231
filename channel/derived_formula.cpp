#include "channel/derived_formula.h"

#include "core/translated.h"

#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace kv {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNameCharacter(char c) {
    return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '-';
}

// A NUMBER: optional '-', digits with at most one separator ('.' or `decimalChar`), at least
// one digit, no exponent.
bool readNumber(std::string_view text, char decimalChar, double& value) {
    // The text for from_chars, with a zero on each side of a bare point (".5", "5.").
    char buffer[64];
    if (text.empty() || text.size() + 2 > sizeof buffer)
        return false;
    std::size_t n = 0;
    bool digits = false, separator = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' && i == 0) {
            buffer[n++] = c;
        } else if (isDigit(c)) {
            buffer[n++] = c;
            digits = true;
        } else if ((c == '.' || c == decimalChar) && !separator) {
            if (!digits)
                buffer[n++] = '0';
            buffer[n++] = '.';
            separator = true;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    if (buffer[n - 1] == '.')
        buffer[n++] = '0';
    double parsed = 0;
    const auto [end, error] = std::from_chars(buffer, buffer + n, parsed);
    if (error != std::errc() || end != buffer + n || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool startsWithWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

std::string malformed(std::string_view expression) {
    return withArguments(translated("kv::Derivation",
                                    "\"%1\" is not one of the expressions X*Y, X/Y, "
                                    "X+Y, X-Y, X*NUMBER, X/NUMBER and integral(X)."),
                         {std::string(expression)});
}

// The error for an operand that should have been a channel name: a word that is none, or an
// expression out of shape.
std::string operandError(std::string_view operand, std::string_view expression) {
    if (operand.empty() || operand.find_first_of(" \t*/+()=") != std::string_view::npos)
        return malformed(expression);
    return channelNameError(operand);
}

// integral(X), when the expression has that shape.
bool readIntegral(std::string_view expression, DerivedFormula& formula, std::string& error) {
    constexpr std::string_view kWord = "integral";
    if (!startsWithWord(expression, kWord))
        return false;
    std::string_view rest = trimmed(expression.substr(kWord.size()));
    if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')')
        return false;
    const std::string_view inner = trimmed(rest.substr(1, rest.size() - 2));
    formula.operation = DerivedOperation::integral;
    if (!isChannelName(inner)) {
        error = operandError(inner, expression);
        return true;
    }
    formula.inputs = {std::string(inner)};
    return true;
}

// Where the operator of X op Y is, or npos; `error` is set when the text has none that fits.
std::size_t findOperator(std::string_view expression, std::string& error) {
    std::size_t at = std::string_view::npos;
    int operators = 0;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        if (c == '*' || c == '/' || c == '+') {
            at = i;
            ++operators;
        } else if (c == '(' || c == ')' || c == '=') {
            operators = 2;
        }
    }
    if (operators == 1)
        return at;
    if (operators > 1) {
        error = malformed(expression);
        return std::string_view::npos;
    }
    // A minus: the one whose both sides are names, when a name may hold a '-' too.
    std::vector<std::size_t> minuses;
    for (std::size_t i = 0; i < expression.size(); ++i)
        if (expression[i] == '-')
            minuses.push_back(i);
    if (minuses.size() == 1)
        return minuses.front();
    std::size_t found = std::string_view::npos;
    int fitting = 0;
    for (std::size_t i : minuses)
        if (isChannelName(trimmed(expression.substr(0, i))) &&
            isChannelName(trimmed(expression.substr(i + 1)))) {
            found = i;
            ++fitting;
        }
    if (fitting == 1)
        return found;
    error =
        fitting == 0
            ? malformed(expression)
            : withArguments(translated("kv::Derivation", "\"%1\" can be read in more than one way: "
                                                         "put blanks around the minus that "
                                                         "subtracts."),
                            {std::string(expression)});
    return std::string_view::npos;
}

std::string readBinary(std::string_view expression, char decimalChar, DerivedFormula& formula) {
    std::string error;
    const std::size_t at = findOperator(expression, error);
    if (at == std::string_view::npos)
        return error.empty() ? malformed(expression) : error;
    const char op = expression[at];
    const std::string_view left = trimmed(expression.substr(0, at));
    const std::string_view right = trimmed(expression.substr(at + 1));
    double number = 0;
    if (!isChannelName(left)) {
        if (readNumber(left, decimalChar, number))
            return malformed(expression);
        return operandError(left, expression);
    }
    formula.inputs = {std::string(left)};
    const bool scaling = op == '*' || op == '/';
    if (readNumber(right, decimalChar, number)) {
        if (!scaling)
            return malformed(expression);
        if (op == '/' && number == 0)
            return withArguments(translated("kv::Derivation", "\"%1\" divides by 0."),
                                 {std::string(expression)});
        formula.operation = op == '*' ? DerivedOperation::timesNumber : DerivedOperation::byNumber;
        formula.number = number;
        return {};
    }
    if (!isChannelName(right)) {
        // A word that begins as a name is told the name's rule; anything else may have
        // been meant as a number.
        if (scaling && !right.empty() && !isAsciiLetter(right.front()) &&
            right.find_first_of(" \t") == std::string_view::npos)
            return withArguments(
                translated("kv::Derivation", "\"%1\" is neither a channel name nor a number."),
                {std::string(right)});
        return operandError(right, expression);
    }
    formula.inputs.emplace_back(right);
    switch (op) {
    case '*':
        formula.operation = DerivedOperation::product;
        break;
    case '/':
        formula.operation = DerivedOperation::quotient;
        break;
    case '+':
        formula.operation = DerivedOperation::sum;
        break;
    default:
        formula.operation = DerivedOperation::difference;
        break;
    }
    return {};
}

// The names in a cycle through `start`, as "P → Q → P", found by a depth-first walk.
class CycleFinder {
public:
    explicit CycleFinder(const std::vector<DerivedFormula>& derived) : derived_(derived) {
        for (std::size_t i = 0; i < derived.size(); ++i)
            index_.emplace(derived[i].name, i);
        state_.assign(derived.size(), State::unvisited);
    }

    // The first cycle, as its names from where it closes; empty when there is none.
    std::vector<std::string> find() {
        for (std::size_t i = 0; i < derived_.size(); ++i)
            if (state_[i] == State::unvisited && visit(i))
                return cycle_;
        return {};
    }

private:
    enum class State : std::uint8_t { unvisited, onPath, done };

    bool visit(std::size_t i) {
        state_[i] = State::onPath;
        path_.push_back(i);
        for (const std::string& input : derived_[i].inputs) {
            const auto it = index_.find(input);
            if (it == index_.end())
                continue;
            const std::size_t next = it->second;
            if (state_[next] == State::onPath) {
                std::size_t from = 0;
                while (path_[from] != next)
                    ++from;
                for (std::size_t k = from; k < path_.size(); ++k)
                    cycle_.push_back(derived_[path_[k]].name);
                cycle_.push_back(derived_[next].name);
                return true;
            }
            if (state_[next] == State::unvisited && visit(next))
                return true;
        }
        path_.pop_back();
        state_[i] = State::done;
        return false;
    }

    const std::vector<DerivedFormula>& derived_;
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<State> state_;
    std::vector<std::size_t> path_;
    std::vector<std::string> cycle_;
};

} // namespace

bool isChannelName(std::string_view name) {
    if (name.empty() || name.size() > kMaxChannelName || !isAsciiLetter(name.front()))
        return false;
    for (char c : name)
        if (!isNameCharacter(c))
            return false;
    return true;
}

std::string channelNameError(std::string_view name) {
    if (isChannelName(name))
        return {};
    return withArguments(translated("kv::Derivation",
                                    "\"%1\" is not a channel name: a name has up to "
                                    "16 letters, digits, _ and -, the first a "
                                    "letter."),
                         {std::string(name)});
}

ParsedDerivation parseDerivation(std::string_view text, char decimalChar) {
    ParsedDerivation parsed;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        parsed.error = withArguments(
            translated("kv::Derivation", "\"%1\" is not of the form NAME=EXPRESSION."),
            {std::string(text)});
        return parsed;
    }
    const std::string_view name = trimmed(text.substr(0, equals));
    const std::string_view expression = trimmed(text.substr(equals + 1));
    parsed.error = channelNameError(name);
    if (!parsed.ok())
        return parsed;
    parsed.formula.name = std::string(name);
    if (!readIntegral(expression, parsed.formula, parsed.error))
        parsed.error = readBinary(expression, decimalChar, parsed.formula);
    if (!parsed.ok())
        parsed.formula = DerivedFormula();
    else
        parsed.formula.expression = std::string(expression);
    return parsed;
}

std::string checkChannels(const std::vector<std::string>& meterNames,
                          const std::vector<DerivedFormula>& derived) {
    for (const std::string& name : meterNames) {
        std::string error = channelNameError(name);
        if (!error.empty())
            return error;
    }
    std::unordered_set<std::string> known;
    auto twice = [](const std::string& name) {
        return withArguments(translated("kv::Derivation", "Two channels are named \"%1\"."),
                             {name});
    };
    for (const std::string& name : meterNames)
        if (!known.insert(name).second)
            return twice(name);
    for (const DerivedFormula& formula : derived)
        if (!known.insert(formula.name).second)
            return twice(formula.name);
    for (const DerivedFormula& formula : derived)
        for (const std::string& input : formula.inputs)
            if (known.find(input) == known.end())
                return withArguments(translated("kv::Derivation", "The derived channel \"%1\" uses "
                                                                  "\"%2\", which is no channel."),
                                     {formula.name, input});
    const std::vector<std::string> cycle = CycleFinder(derived).find();
    if (cycle.empty())
        return {};
    std::string names;
    for (const std::string& name : cycle) {
        if (!names.empty())
            names += " → ";
        names += name;
    }
    return withArguments(
        translated("kv::Derivation", "The derived channels depend on themselves in a cycle: %1."),
        {names});
}

} // namespace kv
