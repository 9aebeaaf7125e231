#include "format/number_format.h"

#include <cfenv>
#include <cfloat>
#include <cmath>

namespace kv {

namespace {

// Exponent digits stop being read once the exponent reaches this; the digits after it are
// then left over and reject the text.
constexpr long kExponentReadLimit = 500;
// Largest power of ten applied in one step; 10^4000 and 10^-4000 are finite in extended.
constexpr long kScaleChunk = 4000;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Runs the conversion with clear flags and every trap masked, so an overflow is a flag to
// test rather than a signal, and restores the caller's floating-point environment (traps
// and flags) however the conversion ends, so a rejected text leaves nothing pending.
class FloatEnvGuard {
public:
    FloatEnvGuard() { std::feholdexcept(&saved_); }
    ~FloatEnvGuard() { std::fesetenv(&saved_); }
    FloatEnvGuard(const FloatEnvGuard&) = delete;
    FloatEnvGuard& operator=(const FloatEnvGuard&) = delete;

private:
    std::fenv_t saved_;
};

long double scaleByPowerOfTen(long double value, long power) {
    // Dividing by an exact power of ten rounds once, where multiplying by an inexact 10^-n
    // would round twice: 125 / 10 is exactly 12.5.
    while (power > 0) {
        const long step = power < kScaleChunk ? power : kScaleChunk;
        value *= std::pow(10.0L, static_cast<long double>(step));
        power -= step;
    }
    while (power < 0 && value != 0) {
        const long step = -power < kScaleChunk ? -power : kScaleChunk;
        value /= std::pow(10.0L, static_cast<long double>(step));
        power += step;
    }
    return value;
}

bool convert(std::string_view text, long double& result) {
    const char dec = decimalChar();
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    FloatEnvGuard env;
    long double mantissa = 0;
    long decimals = 0;
    bool consumed = false;
    while (i < n && isDigit(text[i])) {
        mantissa = mantissa * 10 + (text[i] - '0');
        consumed = true;
        ++i;
    }
    if (i < n && text[i] == dec) {
        consumed = true;
        ++i;
        while (i < n && isDigit(text[i])) {
            mantissa = mantissa * 10 + (text[i] - '0');
            ++decimals;
            ++i;
        }
    }
    if (!consumed)
        return false;

    long exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        while (i < n && isDigit(text[i]) && exponent < kExponentReadLimit) {
            exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (negativeExponent)
            exponent = -exponent;
    }

    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return false;

    // A zero stays zero at any exponent; scaling it could only produce 0 x infinity.
    volatile long double value =
        mantissa == 0 ? 0.0L : scaleByPowerOfTen(mantissa, exponent - decimals);
    if (std::fetestexcept(FE_OVERFLOW | FE_INVALID) || !std::isfinite(value))
        return false;
    long double v = value;
    if (std::fabs(v) < LDBL_MIN)
        v = 0; // an underflow gives 0
    result = negative ? -v : v;
    return true;
}

} // namespace

bool tryParseNumber(std::string_view text, long double& value) {
    long double result = 0;
    if (!convert(text, result))
        return false;
    value = result;
    return true;
}

long double parseNumber(std::string_view text) {
    long double value = 0;
    if (!tryParseNumber(text, value))
        throw ConvertError("'" + std::string(text) + "' ist kein g\u00fcltiger Gleitkommawert");
    return value;
}

} // namespace kv
