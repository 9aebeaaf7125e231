#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kv {

// Raised by formatNumber for an over-long picture format and by parseNumber for a text
// that is not a number. what() is the German message, UTF-8 encoded.
class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest picture format formatNumber accepts, and longest text it returns, in characters
// (a UTF-8 sequence is one character).
constexpr std::size_t kMaxFormatLength = 224;
constexpr std::size_t kMaxFormattedLength = 256;

// Writes `value` through a picture format of up to three ";"-separated sections
// (positive; negative; zero) built from 0 # . , E+ E- e+ e- and quoted text.
// An empty format, infinities, not-a-numbers and values of 10^18 and more in a
// non-scientific section give the general 15-digit text. Throws ConvertError
// ("Format-String zu lang") for a format longer than kMaxFormatLength.
std::string formatNumber(std::string_view format, long double value);

// The digits of a display field: formatNumber(), with "+" before a positive value when
// `plusSign` is asked for, unless the value looks like zero (nothing is neither up nor down).
std::string signedField(std::string_view format, float value, bool plusSign);

// `format` with `extra` decimals more in each section: "00.000" gives "00.0000", "0" gives
// "0.0". Quoted text and the exponent stay as they are; the general (empty) format too.
std::string withMoreDecimals(std::string_view format, int extra);

// The step between neighbouring numbers the first section of `format` writes: 10 to the
// minus its decimals ("00.000" gives 0.001, "0" gives 1). 0 where there is no such step:
// the general (empty) format, a scientific one, a section without digits.
double pictureStep(std::string_view format);

// Text to number: blanks, optional sign, digits with at most one decimalChar(), optional
// exponent, blanks. The grouping character is never accepted. Throws ConvertError
// ("'<text>' ist kein gültiger Gleitkommawert") when the text is not a number.
long double parseNumber(std::string_view text);

// The same check without the exception; `value` is left untouched on failure.
bool tryParseNumber(std::string_view text, long double& value);

// The regional separators shared by both directions ("." and "," until set).
char decimalChar();
char groupingChar();
void setDecimalChar(char c);
void setGroupingChar(char c);

} // namespace kv
