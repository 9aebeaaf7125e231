#include "meter/reading_decoder.h"

#include "fake_reading.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kv {
namespace {

using test::changes;
using test::DecimalCharScope;
using test::frameOf;
using test::restingReading;

TEST(UnitTable, EveryFunctionCode) {
    const std::pair<int, const char*> rows[] = {
        {160, "Hz"},   {168, "A - DC"}, {169, "A - AC"}, {176, "mA - DC"},    {177, "mA - AC"},
        {192, "°C"},   {193, "°C"},     {208, "Hz"},     {216, "Diodentest"}, {225, "MOhm"},
        {226, "MOhm"}, {232, "mV"},     {233, "mV"},     {234, "dBm"},        {240, "V-DC"},
        {241, "V-DC"}, {242, "V-DC"},   {248, "V-AC"},   {249, "V-AC"},       {250, "dBm"},
    };
    int listed = 0;
    for (int code = 0; code <= 255; ++code) {
        const char* unit = unitForFunction(code);
        const char* expected = nullptr;
        for (auto& [c, u] : rows)
            if (c == code)
                expected = u;
        if (expected) {
            ++listed;
            ASSERT_NE(unit, nullptr) << code;
            EXPECT_STREQ(unit, expected) << code;
        } else {
            EXPECT_EQ(unit, nullptr) << code << " has no unit, 224 included";
        }
    }
    EXPECT_EQ(listed, 20);
}

struct RowCase {
    int function, range;
    const char* digits;
    const char* format;
    float value;
    const char* unit; // after the whole frame
};

// Every row of the meter table at least once, every span at both ends, and every function
// code that shares a row.
const RowCase rowCases[] = {
    {160, 128, "12345", "0.0000", 1.2345f, "Hz"},
    {160, 130, "12345", "0.0000", 1.2345f, "Hz"},
    {160, 144, "12345", "0.0000", 1.2345f, "Hz"},
    {160, 152, "12345", "00.000", 12.345f, "Hz"},
    {160, 168, "12345", "00.000", 12.345f, "Hz"},
    {160, 176, "12345", "000.00", 123.45f, "Hz"},
    {160, 216, "12345", "000.00", 123.45f, "Hz"},
    {160, 224, "12345", "0.0000", 1.2345f, "KHz"},
    {160, 230, "12345", "0.0000", 1.2345f, "KHz"},
    {160, 248, "12345", "0.0000", 1.2345f, "KHz"},
    {161, 128, "12345", "0.0000", 1.2345f, "Volt"},
    {175, 192, "12345", "0.0000", 1.2345f, "Volt"},
    {168, 224, "12345", "0.0000", 1.2345f, "A - DC"},
    {227, 136, "12345", "00.000", 12.345f, "Volt"},
    {168, 193, "01500", "00.000", 1.5f, "A - DC"},
    {169, 200, "12345", "00.000", 12.345f, "A - AC"},
    {231, 144, "12345", "000.00", 123.45f, "Volt"},
    {168, 201, "12345", "000.00", 123.45f, "A - DC"},
    {168, 208, "12345", "000.00", 123.45f, "A - DC"},
    {169, 216, "12345", "000.00", 123.45f, "A - AC"},
    {170, 152, "12345", "0000.0", 1234.5f, "Volt"},
    {176, 128, "12345", "00.000", 12.345f, "mA - DC"},
    {179, 192, "12345", "00.000", 12.345f, "Volt"},
    {233, 128, "12345", "00.000", 12.345f, "mV"},
    {177, 136, "12345", "000.00", 123.45f, "mA - AC"},
    {233, 200, "12345", "000.00", 123.45f, "mV"},
    {192, 0, "02534", "00.000", 2.534f, "°C"},
    {192, 255, "12345", "00.000", 12.345f, "°C"},
    {193, 77, "12345", "0000.0", 1234.5f, "°C"},
    {208, 193, "12345", "00.000", 12.345f, "Hz"},
    {208, 201, "12345", "000.00", 123.45f, "Hz"},
    {216, 0, "05123", "0.0000", 0.5123f, "Diodentest"},
    {216, 255, "12345", "0.0000", 1.2345f, "Diodentest"},
    {224, 128, "12345", "000.00", 123.45f, "Ohm"},
    {224, 192, "12345", "000.00", 123.45f, "Ohm"},
    {224, 136, "04700", "0.0000", 0.47f, "KOhm"},
    {224, 200, "12345", "0.0000", 1.2345f, "KOhm"},
    {224, 144, "12345", "00.000", 12.345f, "KOhm"},
    {224, 152, "12345", "000.00", 123.45f, "KOhm"},
    {224, 160, "12345", "0.0000", 1.2345f, "MOhm"},
    {224, 168, "12345", "00.000", 12.345f, "MOhm"},
    {224, 224, "12345", "0.0000", 1.2345f, "MOhm"},
    {224, 232, "12345", "00.000", 12.345f, "MOhm"},
    {225, 128, "01234", "000.00", 1234.0f, "Ohm"},
    {226, 160, "00012", "0000.0", 12.0f, "MOhm"},
    {232, 128, "12345", "00.000", 12.345f, "mVolt"},
    {232, 192, "12345", "00.000", 12.345f, "mVolt"},
    {232, 136, "12345", "000.00", 123.45f, "mVolt"},
    {232, 200, "12345", "000.00", 123.45f, "mVolt"},
    {234, 192, "12345", "000.00", 123.45f, "dBm"},
    {240, 128, "12345", "0.0000", 1.2345f, "V-DC"},
    {241, 192, "12345", "0.0000", 1.2345f, "V-DC"},
    {248, 128, "12345", "0.0000", 1.2345f, "V-AC"},
    {249, 192, "12345", "0.0000", 1.2345f, "V-AC"},
    {240, 136, "01234", "00.000", 1.234f, "V-DC"},
    {249, 136, "12345", "00.000", 12.345f, "V-AC"},
    {241, 144, "12345", "000.00", 123.45f, "V-DC"},
    {248, 144, "12345", "000.00", 123.45f, "V-AC"},
    {240, 152, "12345", "0000.0", 1234.5f, "V-DC"},
    {249, 152, "12345", "0000.0", 1234.5f, "V-AC"},
    {242, 192, "12345", "000.00", 123.45f, "dBm"},
    {250, 192, "12345", "000.00", 123.45f, "dBm"},
};

// The decoding must not depend on the regional decimal character.
class DecodeRows : public ::testing::TestWithParam<char> {};

TEST_P(DecodeRows, EveryRowGivesFormatValueAndUnit) {
    DecimalCharScope scope(GetParam());
    for (const RowCase& c : rowCases) {
        Reading r = restingReading();
        std::string text;
        SCOPED_TRACE(std::to_string(c.function) + "/" + std::to_string(c.range) + " " + c.digits);
        ASSERT_EQ(decodeReading(frameOf(c.function, c.range, c.digits), text, r), Decoded::Reading);
        EXPECT_EQ(r.format, c.format);
        EXPECT_FLOAT_EQ(r.value, c.value);
        EXPECT_EQ(r.unit, c.unit);
        const RangeRow* row = findRangeRow(c.function, c.range);
        ASSERT_NE(row, nullptr);
        if (row->split > 0) {
            std::string expected(c.digits);
            expected.insert(static_cast<std::size_t>(row->split), 1, ',');
            EXPECT_EQ(text, expected) << "the value text's own comma, whatever the region";
        } else {
            EXPECT_EQ(text, c.digits);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(DecimalChars, DecodeRows, ::testing::Values(',', '.'));

TEST(Decode, TheRowsUnitReplacesTheFunctionsAndTheCodesGoWithTheReading) {
    Reading r = restingReading();
    std::string text;
    decodeReading(frameOf(160, 230, "12345"), text, r);
    EXPECT_EQ(r.unit, "KHz");
    EXPECT_EQ(std::tie(r.function, r.range), std::make_tuple(160, 230));
    EXPECT_EQ(r.status, Reading::Status::ok);
    decodeReading(frameOf(225, 128, "01234"), text, r);
    EXPECT_EQ(r.unit, "Ohm");
    EXPECT_EQ(text, "01234") << "no separator inserted";
}

TEST(Decode, PairsWithoutRowKeepValueAndFormat) {
    const std::pair<int, int> gaps[] = {
        {160, 127}, {160, 145}, {160, 150}, {160, 151}, {160, 169}, {160, 175}, {160, 217},
        {160, 223}, {160, 249}, {161, 129}, {168, 153}, {231, 225}, {176, 144}, {233, 192 + 1},
        {208, 192}, {208, 200}, {224, 184}, {224, 129}, {224, 240}, {225, 136}, {226, 128},
        {232, 144}, {234, 128}, {240, 160}, {249, 200}, {242, 128}, {250, 136}, {0, 0},
        {180, 128}, {226, 161}, {255, 255},
    };
    for (auto [function, range] : gaps) {
        SCOPED_TRACE(std::to_string(function) + "/" + std::to_string(range));
        EXPECT_EQ(findRangeRow(function, range), nullptr);
        Reading r = restingReading();
        std::string text;
        EXPECT_EQ(decodeReading(frameOf(function, range, "12345"), text, r), Decoded::Unlisted)
            << "the tick goes on to the displays, but no record keeps it";
        EXPECT_EQ(r.format, "0000.0");
        EXPECT_EQ(r.value, 50.0f);
        const char* unit = unitForFunction(function);
        EXPECT_EQ(r.unit, unit ? unit : "Volt");
        EXPECT_EQ(text, "12345");
    }
}

TEST(Decode, Function224TakesItsUnitOnlyFromItsRows) {
    Reading r = restingReading();
    r.unit = "V-DC";
    std::string text;
    decodeReading(frameOf(224, 184, "04700"), text, r);
    EXPECT_EQ(r.unit, "V-DC");
    decodeReading(frameOf(224, 136, "04700"), text, r);
    EXPECT_EQ(r.unit, "KOhm");
    EXPECT_FLOAT_EQ(r.value, 0.47f);
    decodeReading(frameOf(224, 184, "04700"), text, r);
    EXPECT_EQ(r.unit, "KOhm");
}

TEST(Decode, Function160BetweenSpansSetsOnlyTheUnit) {
    Reading r = restingReading();
    std::string text;
    decodeReading(frameOf(160, 150, "12345"), text, r);
    EXPECT_EQ(changes(restingReading(), r), (std::vector<std::string>{"unit Hz"}));
}

TEST(Decode, Function225OutsideItsRowKeepsTheReading) {
    Reading r = restingReading();
    std::string text;
    decodeReading(frameOf(225, 136, "01234"), text, r);
    EXPECT_EQ(r.unit, "MOhm");
    EXPECT_EQ(r.format, "0000.0");
    EXPECT_EQ(r.value, 50.0f);
}

TEST(Decode, AllZeroDigits) {
    Reading r = restingReading();
    std::string text;
    // A pair without a row: the value still drops to 0, the format stays.
    ASSERT_EQ(decodeReading(frameOf(160, 150, "00000"), text, r), Decoded::Unlisted);
    EXPECT_EQ(r.value, 0.0f);
    EXPECT_EQ(r.format, "0000.0");
    // With a row the row's format follows.
    r.value = 7.0f;
    ASSERT_EQ(decodeReading(frameOf(240, 136, "00000"), text, r), Decoded::Reading);
    EXPECT_EQ(r.value, 0.0f);
    EXPECT_EQ(r.format, "00.000");
}

TEST(Decode, DigitTestEndsTheTickAfterTheUnit) {
    struct Case {
        int d6, d7, d8, d9, d10;
    };
    const Case cases[] = {
        {49, 32, 50, 51, 52}, // a space in slot 7
        {45, 49, 50, 51, 52}, // a minus sign
        {49, 50, 51, 52, 47}, // just below '0'
        {63, 32, 63, 63, 63}, // overload marks with a space among them
        {0, 0, 0, 0, 0},      // the frame before any reply
    };
    for (const Case& c : cases) {
        ReplyFrame f = frameOf(240, 136, "12345");
        const int digits[] = {c.d6, c.d7, c.d8, c.d9, c.d10};
        for (int i = 0; i < 5; ++i)
            f.slot(6 + i) = std::to_string(digits[i]);
        Reading r = restingReading();
        std::string text;
        EXPECT_EQ(decodeReading(f, text, r), Decoded::Rejected) << c.d6 << " " << c.d7;
        EXPECT_EQ(changes(restingReading(), r), (std::vector<std::string>{"unit V-DC"}));
        EXPECT_EQ(text.size(), 5u) << "the work text still takes the five characters";
    }
}

TEST(Decode, UnknownFunctionWithRowlessPairChangesNothing) {
    Reading r = restingReading();
    std::string text;
    EXPECT_EQ(decodeReading(frameOf(100, 100, "12345"), text, r), Decoded::Unlisted);
    EXPECT_TRUE(changes(restingReading(), r).empty());
    EXPECT_EQ(r.status, Reading::Status::unlisted);
}

TEST(Decode, DigitsAboveNineAreAnOverloadThatSetsOnlyTheFunctionsUnit) {
    for (const char* digits : {"0?000", "?????", "1234:", "9999\xff"}) {
        Reading r = restingReading();
        std::string text;
        EXPECT_EQ(decodeReading(frameOf(160, 230, digits), text, r), Decoded::Overload) << digits;
        EXPECT_EQ(changes(restingReading(), r), (std::vector<std::string>{"unit Hz"}))
            << "not the row's KHz, no format, no value";
        EXPECT_TRUE(r.overload());
    }
    Reading r = restingReading();
    std::string text;
    EXPECT_EQ(decodeReading(frameOf(224, 136, "0?000"), text, r), Decoded::Overload);
    EXPECT_TRUE(changes(restingReading(), r).empty()) << "224 has no unit of its own";
}

} // namespace
} // namespace kv
