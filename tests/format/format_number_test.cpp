#include "format/number_format.h"
#include "separators.h"
#include "support/comma_numeric_locale.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::CommaNumericLocale;
using test::Separators;
using test::swapSeparators;

struct FormatCase {
    const char* format;
    long double value;
    const char* german; // with decimal "," and grouping "."
};

std::ostream& operator<<(std::ostream& os, const FormatCase& c) {
    return os << '"' << c.format << "\" " << static_cast<double>(c.value);
}

class FormatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, GermanSeparators) {
    Separators sep(',', '.');
    EXPECT_EQ(formatNumber(GetParam().format, GetParam().value), GetParam().german);
}

TEST_P(FormatTable, EnglishSeparators) {
    Separators sep('.', ',');
    EXPECT_EQ(formatNumber(GetParam().format, GetParam().value), swapSeparators(GetParam().german));
}

INSTANTIATE_TEST_SUITE_P(
    Readings, FormatTable,
    ::testing::Values(
        FormatCase{"0.0000", 0.001L, "0,0010"},
        FormatCase{"0.0000", static_cast<long double>(0.001f), "0,0010"},
        FormatCase{"0.0000", 1.23456L, "1,2346"}, FormatCase{"0.0000", -0.00004L, "0,0000"},
        FormatCase{"0.0000", -0.00005L, "-0,0001"}, FormatCase{"00.000", 1.5L, "01,500"},
        FormatCase{"000.00", 123.456L, "123,46"}, FormatCase{"0000.0", 12.34L, "0012,3"},
        FormatCase{"0000.0", 12345.6L, "12345,6"}, FormatCase{"##0.0", 0.0L, "0,0"},
        FormatCase{"##0.0", 1234.56L, "1234,6"}, FormatCase{"0.0", 0.25L, "0,3"},
        FormatCase{"0.0", -0.25L, "-0,3"}));

INSTANTIATE_TEST_SUITE_P(ScaleLabels, FormatTable,
                         ::testing::Values(FormatCase{"0e-0", 0.001L, "1e-3"},
                                           FormatCase{"0e-0", 1.0L, "1e0"},
                                           FormatCase{"0e-0", 10.0L, "1e1"},
                                           FormatCase{"0e-0", 95.0L, "1e2"},
                                           FormatCase{"0e-0", 0.0L, "0e0"}));

INSTANTIATE_TEST_SUITE_P(
    AxisLabels, FormatTable,
    ::testing::Values(FormatCase{"#,##0.####", 1234.5L, "1.234,5"},
                      FormatCase{"#,##0.####", 0.5L, "0,5"},
                      FormatCase{"#,##0.####", -1234567.891L, "-1.234.567,891"},
                      FormatCase{"#,##0.####", 0.0L, "0"},
                      FormatCase{"#,##0.####", 0.00004L, "0,0000"},
                      FormatCase{"#,##0.####", 0.000004L, "0"},
                      FormatCase{"#,##0", 1000.0L, "1.000"}, FormatCase{"#,##0", 100.0L, "100"},
                      FormatCase{"#,##0", 123456789012.0L, "123.456.789.012"}));

INSTANTIATE_TEST_SUITE_P(
    Sections, FormatTable,
    ::testing::Values(FormatCase{"0.00;(0.00);Null", -1.5L, "(1,50)"},
                      FormatCase{"0.00;(0.00);Null", 0.001L, "Null"},
                      FormatCase{"0.00;(0.00);Null", 1.5L, "1,50"},
                      FormatCase{"0.00;(0.00);Null", 0.0L, "Null"},
                      // A negative value that rounds to zero takes the zero section, unsigned.
                      FormatCase{"0.00;(0.00);Null", -0.001L, "Null"},
                      FormatCase{"0;(0)", -0.4L, "0"}, FormatCase{"0.0;;", -2.0L, "-2,0"},
                      FormatCase{"0.0;;", 0.0L, "0,0"}, FormatCase{";0", 5.0L, "5"},
                      FormatCase{"0;", -7.0L, "-7"}, FormatCase{"0;-0;", -7.0L, "-7"},
                      FormatCase{"0;neg 0", -7.0L, "neg 7"}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatTable,
    ::testing::Values(
        // carries through nines, also out of the first digit
        FormatCase{"0.0000", 9.99995L, "10,0000"}, FormatCase{"0.0000", 9.99995, "10,0000"},
        FormatCase{"0.0000", 0.99995L, "1,0000"}, FormatCase{"0", 99.5L, "100"},
        FormatCase{"0", 0.5L, "1"}, FormatCase{"0", 0.49L, "0"}, FormatCase{"#", 0.4L, ""},
        FormatCase{"0.00", 1.995L, "2,00"}, FormatCase{"0.00", -1.995L, "-2,00"},
        // the double 0.285 lies just below the tie, the extended one on it
        FormatCase{"0.00", 0.285, "0,28"}, FormatCase{"0.00", 0.285L, "0,29"},
        FormatCase{"0", -0.4L, "0"}, FormatCase{"0.0", -0.04L, "0,0"},
        FormatCase{"0.0", -0.05L, "-0,1"}));

INSTANTIATE_TEST_SUITE_P(
    Placeholders, FormatTable,
    ::testing::Values(FormatCase{"0.##", 5.0L, "5"}, FormatCase{"0.##", 5.1L, "5,1"},
                      FormatCase{"#.##", 0.5L, ",5"}, FormatCase{"0.0#", 1.0L, "1,0"},
                      FormatCase{"000", 7.0L, "007"}, FormatCase{"0", 12345.0L, "12345"},
                      FormatCase{"0.0.0", 1.25L, "1,25"}, FormatCase{"x0y", 3.0L, "x3y"},
                      FormatCase{"0 V", 3.0L, "3 V"}, FormatCase{"#", 0.0L, ""}));

INSTANTIATE_TEST_SUITE_P(
    EighteenDigits, FormatTable,
    ::testing::Values(
        FormatCase{"0", 123456789012345678.0L, "123456789012345678"},
        FormatCase{"0", 999999999999999999.0L, "999999999999999999"},
        FormatCase{"#,##0", 999999999999999999.0L, "999.999.999.999.999.999"},
        // the 19th digit is rounded away before the format sees the value
        FormatCase{"0.0", 1.234567890123456789L, "1,2"},
        FormatCase{"0.00000000000000000", 1.234567890123456789L, "1,23456789012345679"},
        // 10^18 and more leave an ordinary section for the general format
        FormatCase{"0", 1e18L, "1E+18"}, FormatCase{"0", 999999999999999999.6L, "1E+18"},
        FormatCase{"0.0", -1.5e18L, "-1,5E+18"}, FormatCase{"0.00E+00", 1e18L, "1,00E+18"}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, FormatTable,
    ::testing::Values(FormatCase{"0\" a;0 \"", 5.0L, "5 a;0 "},
                      FormatCase{"'x;'0;'neg'0", -3.0L, "neg3"},
                      FormatCase{"'x;'0;'neg'0", 3.0L, "x;3"}, FormatCase{"\"00\"0", 12.0L, "0012"},
                      FormatCase{"0\"E+0\"", 4.0L, "4E+0"}, FormatCase{"0\"abc", 5.0L, "5abc"},
                      FormatCase{"0'", 5.0L, "5"}, FormatCase{"''0", 5.0L, "5"}));

INSTANTIATE_TEST_SUITE_P(Scientific, FormatTable,
                         ::testing::Values(FormatCase{"0.00E+0", 12345.0L, "1,23E+4"},
                                           FormatCase{"0.00E+00", 12345.0L, "1,23E+04"},
                                           FormatCase{"0.00E+000", 12345.0L, "1,23E+004"},
                                           FormatCase{"0.00E+0000", 12345.0L, "1,23E+0004"},
                                           FormatCase{"0.00E+00000", 12345.0L, "1,23E+0004"},
                                           FormatCase{"0.00e-0", 12345.0L, "1,23e4"},
                                           FormatCase{"0.00e-00", 12345.0L, "1,23e04"},
                                           FormatCase{"0.00e-000", 0.00012345L, "1,23e-004"},
                                           FormatCase{"0.00e-0000", 0.00012345L, "1,23e-0004"},
                                           FormatCase{"0.00E+00", 0.00012345L, "1,23E-04"},
                                           FormatCase{"0.00E+00", -0.00012355L, "-1,24E-04"},
                                           FormatCase{"0.00E+00", 0.0L, "0,00E+00"},
                                           FormatCase{"0.00E-00", 1e300L, "1,00E300"},
                                           FormatCase{"0.00E+0", 9.999L, "1,00E+1"},
                                           FormatCase{"00.0E+0", 12345.0L, "12,3E+3"},
                                           // E or e without a sign is plain text
                                           FormatCase{"0E", 3.0L, "3E"},
                                           FormatCase{"0e5", 3.0L, "3e5"}));

TEST(FormatNumber, GeneralFormat) {
    Separators sep(',', '.');
    EXPECT_EQ(formatNumber("", 1234.5L), "1234,5");
    EXPECT_EQ(formatNumber("", -0.5L), "-0,5");
    EXPECT_EQ(formatNumber("", 0.0L), "0");
    EXPECT_EQ(formatNumber("", 0.0001L), "0,0001");
    EXPECT_EQ(formatNumber("", 0.00001L), "1E-05");
    EXPECT_EQ(formatNumber("", 123456789012345.0L), "123456789012345");
    EXPECT_EQ(formatNumber("", 1234567890123456.0L), "1,23456789012346E+15");
    EXPECT_EQ(formatNumber("", 1.0L / 3), "0,333333333333333");
    EXPECT_EQ(formatNumber(";0.0", 2.0L), "2");
    EXPECT_EQ(formatNumber("0.0", std::numeric_limits<long double>::infinity()), "INF");
    EXPECT_EQ(formatNumber("0.0", -std::numeric_limits<long double>::infinity()), "-INF");
    EXPECT_EQ(formatNumber("0.0", std::numeric_limits<long double>::quiet_NaN()), "NAN");
}

TEST(FormatNumber, FormatLengthLimit) {
    Separators sep(',', '.');
    const std::string longest = std::string(kMaxFormatLength - 2, ' ') + "0";
    ASSERT_EQ(longest.size() + 1, kMaxFormatLength);
    EXPECT_EQ(formatNumber(longest + "'", 7.0L), std::string(kMaxFormatLength - 2, ' ') + "7");
    const std::string tooLong = longest + "''";
    ASSERT_EQ(tooLong.size(), kMaxFormatLength + 1);
    try {
        formatNumber(tooLong, 7.0L);
        FAIL() << "no error for a format of 225 characters";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "Format-String zu lang");
    }
    // Even a format that only falls back to the general text is checked first.
    EXPECT_THROW(formatNumber(std::string(kMaxFormatLength + 1, ';'), 1.0L), ConvertError);
}

TEST(FormatNumber, ResultNeverExceedsItsBuffer) {
    Separators sep(',', '.');
    // 222 mandatory places with grouping want 295 characters.
    const std::string format = "#," + std::string(kMaxFormatLength - 2, '0');
    const std::string text = formatNumber(format, 1.0L);
    ASSERT_EQ(text.size(), kMaxFormattedLength);
    EXPECT_EQ(text.substr(0, 8), "000.000.");
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(text[i], (i % 4 == 3) ? '.' : '0') << i;

    const std::string quoted = "\"" + std::string(200, 'x') + "\"" + std::string(19, '0');
    const std::string big = formatNumber(quoted + "E+0", 1e-300L);
    EXPECT_LE(big.size(), kMaxFormattedLength);
}

std::string repeat(const std::string& s, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

// Both limits count characters: "\u00b0" or "\u20ac" is one character however many bytes
// it takes in UTF-8, and the cut at the result's limit never splits one.
TEST(FormatNumber, LimitsCountCharactersNotBytes) {
    Separators sep(',', '.');
    const std::string degree = "\u00b0"; // two bytes
    const std::string euro = "\u20ac";   // three bytes

    const std::string longest = "0'" + repeat(degree, kMaxFormatLength - 3) + "'";
    EXPECT_EQ(formatNumber(longest, 7.0L), "7" + repeat(degree, kMaxFormatLength - 3));
    EXPECT_THROW(formatNumber(longest + " ", 7.0L), ConvertError);
    // bytes that start no sequence count one each, so they cannot slip past the limit
    EXPECT_THROW(formatNumber("0" + std::string(kMaxFormatLength, '\x80'), 7.0L), ConvertError);
    EXPECT_EQ(formatNumber("0" + std::string(kMaxFormatLength - 1, '\x80'), 7.0L),
              "7" + std::string(kMaxFormatLength - 1, '\x80'));

    // 222 characters of 656 bytes fit whole
    EXPECT_EQ(formatNumber("#,00'" + repeat(euro, 218) + "'", 1.0L), "01" + repeat(euro, 218));

    // 150 grouped places take 199 characters, so 57 of the 70 euro signs still fit
    const std::string grouped = formatNumber("#," + std::string(150, '0'), 1.0L);
    ASSERT_EQ(grouped.size(), 199u);
    EXPECT_EQ(formatNumber("#," + std::string(150, '0') + "'" + repeat(euro, 70) + "'", 1.0L),
              grouped + repeat(euro, kMaxFormattedLength - 199));
}

TEST(FormatNumber, SeparatorsComeOnlyFromTheSettings) {
    Separators sep(';', '_');
    EXPECT_EQ(formatNumber("#,##0.00", 12345.678L), "12_345;68");
    // a literal comma or point in quotes stays what it is
    EXPECT_EQ(formatNumber("0','0", 12.0L), "1,2");
    EXPECT_EQ(formatNumber("0'.'0", 15.0L), "1.5");
}

TEST(FormatNumber, DigitsDoNotDependOnTheCLibraryLocale) {
    CommaNumericLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma installed";
    Separators sep(',', '.');
    EXPECT_EQ(formatNumber("00.000", 1.234L), "01,234");
    EXPECT_EQ(formatNumber("#,##0.####", -1234567.891L), "-1.234.567,891");
    EXPECT_EQ(formatNumber("0.00E+00", 12345.0L), "1,23E+04");
    EXPECT_EQ(formatNumber("0e-0", 0.001L), "1e-3");
    EXPECT_EQ(formatNumber("", 1234.5L), "1234,5");
    EXPECT_EQ(formatNumber("", 1234567890123456.0L), "1,23456789012346E+15");
}

// Eighteen significant digits show the exact binary value: a double's own and a long
// double's own, which lies closer to the decimal one.
TEST(FormatNumber, EighteenDigitsAreThoseOfTheValuesOwnType) {
    Separators sep(',', '.');
    const std::string eighteen = "0." + std::string(18, '0');
    EXPECT_EQ(formatNumber(eighteen, static_cast<long double>(0.1)), "0,100000000000000006");
    EXPECT_EQ(formatNumber(eighteen, 0.1L), "0,100000000000000000");
    EXPECT_EQ(formatNumber("0.00000000000000000E+00", static_cast<long double>(1.0 / 3)),
              "3,33333333333333315E-01");
    EXPECT_EQ(formatNumber("0.00000000000000000E+00", 1.0L / 3), "3,33333333333333333E-01");
}

// Random formats and values: nothing may crash, hang, overrun or exceed the limits.
TEST(FormatNumber, RandomFormatsAreHandledSafely) {
    Separators sep(',', '.');
    std::mt19937 rng(27500);
    const char alphabet[] = "0#.,;Ee+-'\"x 0#0";
    const long double values[] = {0.0L,
                                  -0.0L,
                                  1.0L,
                                  -1.5L,
                                  0.00049L,
                                  123456.789L,
                                  -987654321.123L,
                                  1e17L,
                                  1e18L,
                                  1e300L,
                                  -1e-300L,
                                  LDBL_MAX,
                                  LDBL_TRUE_MIN,
                                  -LDBL_MIN,
                                  std::numeric_limits<long double>::infinity(),
                                  std::numeric_limits<long double>::quiet_NaN()};
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    std::uniform_int_distribution<std::size_t> length(0, kMaxFormatLength + 4);
    for (int round = 0; round < 4000; ++round) {
        std::string format(length(rng), ' ');
        for (char& c : format)
            c = alphabet[pick(rng)];
        for (long double v : values) {
            if (format.size() > kMaxFormatLength) {
                EXPECT_THROW(formatNumber(format, v), ConvertError);
                break;
            }
            const std::string text = formatNumber(format, v);
            ASSERT_LE(text.size(), kMaxFormattedLength) << format;
        }
    }
}

TEST(PictureStep, IsTheLastDecimalOfTheFirstSectionAndNoneWithoutAFixedOne) {
    const struct {
        const char* format;
        double step;
    } cases[] = {{"00.000", 0.001},  {"0", 1}, {"#,##0.0", 0.1}, {"0.00;-0.0", 0.01}, {"'.0' 0", 1},
                 {"\"V.\"0.0", 0.1}, {"", 0},  {"0.00E+00", 0},  {"'text'", 0}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(pictureStep(c.format), c.step) << c.format;
}

} // namespace
} // namespace kv
