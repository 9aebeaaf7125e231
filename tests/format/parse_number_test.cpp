#include "format/number_format.h"
#include "separators.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace kv {
namespace {

using test::Separators;
using test::swapSeparators;

struct ParseCase {
    const char* german; // text with decimal "," and grouping "."
    bool accepted;
    long double value;
};

std::ostream& operator<<(std::ostream& os, const ParseCase& c) {
    return os << '"' << c.german << '"';
}

class ParseTable : public ::testing::TestWithParam<ParseCase> {
protected:
    void check(const std::string& text) {
        long double value = -42.0L;
        const bool ok = tryParseNumber(text, value);
        ASSERT_EQ(ok, GetParam().accepted) << text;
        if (ok) {
            EXPECT_EQ(value, GetParam().value) << text;
            EXPECT_EQ(parseNumber(text), GetParam().value);
        } else {
            EXPECT_EQ(value, -42.0L) << "a failed conversion changed the caller's value";
            EXPECT_THROW(parseNumber(text), ConvertError);
        }
    }
};

TEST_P(ParseTable, GermanSeparators) {
    Separators sep(',', '.');
    check(GetParam().german);
}

TEST_P(ParseTable, EnglishSeparators) {
    Separators sep('.', ',');
    check(swapSeparators(GetParam().german));
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, ParseTable,
    ::testing::Values(ParseCase{"12,5", true, 12.5L}, ParseCase{"  12,5", true, 12.5L},
                      ParseCase{"12,5   ", true, 12.5L}, ParseCase{"+12,5", true, 12.5L},
                      ParseCase{" +12,5 ", true, 12.5L}, ParseCase{"-,5", true, -0.5L},
                      ParseCase{"1e3", true, 1000.0L}, ParseCase{"1E+03", true, 1000.0L},
                      ParseCase{"1e", true, 1.0L}, ParseCase{"1e+", true, 1.0L},
                      ParseCase{"2,5e-1", true, 0.25L}, ParseCase{",", true, 0.0L},
                      ParseCase{"-,", true, 0.0L}, ParseCase{",e7", true, 0.0L},
                      ParseCase{"5,", true, 5.0L}, ParseCase{"007", true, 7.0L},
                      ParseCase{"01,234", true, 1.234L}, ParseCase{"0,1", true, 0.1L},
                      ParseCase{"-00,005", true, -0.005L}, ParseCase{"1e500", true, 1e500L},
                      ParseCase{"1e-500", true, 1e-500L}, ParseCase{"0e4999", true, 0.0L},
                      // an underflow gives 0
                      ParseCase{"1e-4999", true, 0.0L}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseTable,
    ::testing::Values(ParseCase{"", false, 0}, ParseCase{"   ", false, 0},
                      ParseCase{"12.5", false, 0}, ParseCase{"1.234,5", false, 0},
                      ParseCase{"12,5x", false, 0}, ParseCase{"\t12,5", false, 0},
                      ParseCase{"12,5\t", false, 0}, ParseCase{"1,2,3", false, 0},
                      ParseCase{"-", false, 0}, ParseCase{"+", false, 0},
                      ParseCase{"--1", false, 0}, ParseCase{"e5", false, 0},
                      ParseCase{"1 2", false, 0}, ParseCase{"- 1", false, 0},
                      ParseCase{"1e--1", false, 0}, ParseCase{"1e1,5", false, 0},
                      // the exponent stops being read at 500, so its last digit is left over
                      ParseCase{"1e5000", false, 0},
                      // overflow
                      ParseCase{"1e4999", false, 0}, ParseCase{"9e4932", false, 0}));

TEST(ParseNumber, ErrorMessageQuotesTheText) {
    Separators sep(',', '.');
    try {
        parseNumber("abc");
        FAIL() << "abc was accepted";
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' ist kein g\xC3\xBCltiger Gleitkommawert");
    }
    try {
        parseNumber(" 1.5 ");
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_STREQ(e.what(), "' 1.5 ' ist kein g\xC3\xBCltiger Gleitkommawert");
    }
}

TEST(ParseNumber, ReadsTextsTheFormatterWrites) {
    Separators sep(',', '.');
    for (const char* format : {"0.0000", "00.000", "000.00", "0000.0", "0.0", "0e-0"}) {
        for (long double v : {0.0L, 1.234L, -7.5L, 12.25L, 99.99L}) {
            const std::string text = formatNumber(format, v);
            long double back = 0;
            EXPECT_TRUE(tryParseNumber(text, back)) << format << " " << text;
        }
    }
}

TEST(ParseNumber, LeavesTheFloatingPointStateAsItFoundIt) {
    Separators sep(',', '.');
    std::feclearexcept(FE_ALL_EXCEPT);
    long double v = 0;
    EXPECT_FALSE(tryParseNumber("1e4999", v));
    EXPECT_FALSE(tryParseNumber("9e4932", v));
    EXPECT_TRUE(tryParseNumber("1e-4999", v));
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);

    // flags the caller had raised stay raised, and the rounding mode stays its own
    std::feraiseexcept(FE_INEXACT);
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    EXPECT_FALSE(tryParseNumber("1e4999", v));
    EXPECT_NE(std::fetestexcept(FE_INEXACT), 0);
    EXPECT_EQ(std::fetestexcept(FE_OVERFLOW), 0);
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
}

// A caller that has unmasked floating-point traps must get a rejected text back, not a
// signal, and keep its traps afterwards.
TEST(ParseNumberDeathTest, OverflowIsRejectedEvenWithTrapsEnabled) {
    EXPECT_EXIT(
        {
            Separators sep(',', '.');
            feenableexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
            long double v = 0;
            const bool rejected = !tryParseNumber("9e4932", v) &&
                                  !tryParseNumber(std::string(6000, '9'), v) &&
                                  !tryParseNumber("1e4999", v);
            const bool accepted =
                tryParseNumber("1e-4999", v) && v == 0 && tryParseNumber("12,5", v) && v == 12.5L;
            const bool trapsKept = fegetexcept() == (FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
            std::_Exit(rejected && accepted && trapsKept ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ParseNumber, RandomTextsAreHandledSafely) {
    Separators sep(',', '.');
    std::mt19937 rng(137);
    const char alphabet[] = "0123456789,.eE+- \tx9";
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 20000; ++round) {
        std::string text(length(rng), ' ');
        for (char& c : text)
            c = alphabet[pick(rng)];
        long double v = 0;
        if (tryParseNumber(text, v)) {
            ASSERT_TRUE(std::isfinite(v)) << text;
        }
    }
    // long digit runs overflow the accumulation instead of wrapping or hanging
    long double v = 0;
    EXPECT_FALSE(tryParseNumber(std::string(6000, '9'), v));
    EXPECT_TRUE(tryParseNumber("," + std::string(6000, '0') + "1", v));
    EXPECT_EQ(v, 0.0L);
}

} // namespace
} // namespace kv
