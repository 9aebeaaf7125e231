// The units of derived channels: every unit the meter gives against every operation, and the
// units derived channels give in turn.
#include "channel/derived_units.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

using Op = DerivedOperation;

struct Case {
    Op operation;
    const char* x;
    const char* y;
    const char* unit; // nullptr: no unit, and `reason` says why
    const char* reason = "";
};

void check(const Case& c) {
    const DerivedUnit derived = derivedUnit(c.operation, c.x, c.y);
    const std::string label =
        std::string(c.x) + " op" + std::to_string(static_cast<int>(c.operation)) + " " + c.y;
    if (c.unit) {
        EXPECT_TRUE(derived.ok()) << label << ": " << derived.reason;
        EXPECT_EQ(derived.unit, c.unit) << label;
    } else {
        EXPECT_EQ(derived.unit, "") << label;
        EXPECT_EQ(derived.reason, c.reason) << label;
    }
}

constexpr const char* kLogarithmic =
    "Readings in dBm are levels on a logarithmic scale: only the difference of two has a meaning.";
constexpr const char* kDiode = "A diode test gives no quantity to compute with.";
constexpr const char* kNoUnit = "A reading without a unit cannot be computed with.";

TEST(DerivedUnits, ScalingByANumberKeepsTheBaseUnitOfEveryMeterUnit) {
    const char* const units[][2] = {
        {"V-DC", "V-DC"},      {"V-AC", "V-AC"},      {"mV", "V"},
        {"mVolt", "V"},        {"A - DC", "A - DC"},  {"A - AC", "A - AC"},
        {"mA - DC", "A - DC"}, {"mA - AC", "A - AC"}, {"Ohm", "Ohm"},
        {"KOhm", "Ohm"},       {"MOhm", "Ohm"},       {"Hz", "Hz"},
        {"KHz", "Hz"},         {"°C", "°C"},          {"W", "W"},
        {"VA", "VA"},          {"Ah", "Ah"},          {"dB", "dB"},
    };
    for (const auto& u : units) {
        check({Op::timesNumber, u[0], "", u[1]});
        check({Op::byNumber, u[0], "", u[1]});
    }
    check({Op::timesNumber, "dBm", "", nullptr, kLogarithmic});
    check({Op::byNumber, "Diodentest", "", nullptr, kDiode});
    check({Op::timesNumber, "", "", nullptr, kNoUnit});
}

TEST(DerivedUnits, ProductsAndQuotientsGiveOnlyUnitsThatMeanSomething) {
    const std::string noProduct = "Readings in V-DC and Hz do not multiply to a unit.";
    const Case cases[] = {
        {Op::product, "V-DC", "A - DC", "W"},
        {Op::product, "mA - DC", "mV", "W"},
        {Op::product, "V-AC", "mA - AC", "VA"},
        {Op::product, "mVolt", "A - AC", "VA"},
        {Op::product, "V", "A", "W"},
        {Op::product, "A - DC", "KOhm", "V-DC"},
        {Op::product, "MOhm", "A - AC", "V-AC"},
        {Op::quotient, "V-DC", "mA - DC", "Ohm"},
        {Op::quotient, "mV", "A - AC", "Ohm"},
        {Op::quotient, "V-AC", "KOhm", "A - AC"},
        {Op::quotient, "W", "V-DC", "A - DC"},
        {Op::quotient, "VA", "A - AC", "V-AC"},
        {Op::quotient, "W", "mA - DC", "V-DC"},
        {Op::product, "V-DC", "A - AC", nullptr,
         "Readings in V-DC and A - AC do not combine: one is DC, the other AC."},
        {Op::quotient, "W", "V-AC", nullptr,
         "Readings in W and V-AC do not combine: one is DC, the other AC."},
        {Op::product, "V-DC", "Hz", nullptr, noProduct.c_str()},
        {Op::product, "A - DC", "A - DC", nullptr,
         "Readings in A - DC and A - DC do not multiply to a unit."},
        {Op::product, "°C", "V-DC", nullptr, "Readings in °C and V-DC do not multiply to a unit."},
        {Op::quotient, "A - DC", "V-DC", nullptr,
         "Readings in A - DC divided by readings in V-DC give no unit."},
        {Op::quotient, "Ohm", "KOhm", nullptr,
         "Readings in Ohm divided by readings in KOhm give no unit."},
        {Op::quotient, "Hz", "Ah", nullptr,
         "Readings in Hz divided by readings in Ah give no unit."},
        {Op::product, "dBm", "A - DC", nullptr, kLogarithmic},
        {Op::quotient, "V-DC", "dBm", nullptr, kLogarithmic},
        {Op::product, "Diodentest", "A - DC", nullptr, kDiode},
        {Op::quotient, "V-DC", "Diodentest", nullptr, kDiode},
        {Op::product, "V-DC", "", nullptr, kNoUnit},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(DerivedUnits, SumsAndDifferencesNeedTheSameBaseUnit) {
    const Case cases[] = {
        {Op::sum, "V-DC", "mV", "V-DC"},
        {Op::difference, "mVolt", "mV", "V"},
        {Op::sum, "mA - AC", "A - AC", "A - AC"},
        {Op::difference, "KOhm", "MOhm", "Ohm"},
        {Op::sum, "KHz", "Hz", "Hz"},
        {Op::sum, "°C", "°C", "°C"},
        {Op::difference, "°C", "°C", "°C"},
        {Op::sum, "W", "W", "W"},
        {Op::difference, "Ah", "Ah", "Ah"},
        {Op::difference, "dBm", "dBm", "dB"},
        {Op::sum, "dB", "dB", "dB"},
        {Op::sum, "V-DC", "V-AC", nullptr,
         "Readings in V-DC and V-AC do not combine: one is DC, the other AC."},
        {Op::difference, "W", "VA", nullptr,
         "Readings in W and VA do not combine: one is DC, the other AC."},
        {Op::sum, "A - DC", "V-DC", nullptr,
         "Readings in A - DC and V-DC cannot be added: their units differ."},
        {Op::difference, "Ah", "Wh", nullptr,
         "Readings in Ah and Wh cannot be subtracted: their units differ."},
        {Op::difference, "°C", "Ohm", nullptr,
         "Readings in °C and Ohm cannot be subtracted: their units differ."},
        {Op::difference, "dBm", "dB", nullptr,
         "Readings in dBm and dB cannot be subtracted: their units differ."},
        {Op::sum, "dBm", "dBm", nullptr, kLogarithmic},
        {Op::difference, "Diodentest", "Diodentest", nullptr, kDiode},
        {Op::sum, "", "V-DC", nullptr, kNoUnit},
    };
    for (const Case& c : cases)
        check(c);
}

TEST(DerivedUnits, AnIntegralIsInUnitHours) {
    const char* const units[][2] = {
        {"A - DC", "Ah"}, {"mA - AC", "Ah"}, {"A", "Ah"},    {"W", "Wh"},     {"VA", "VAh"},
        {"V-DC", "Vh"},   {"mV", "Vh"},      {"V-AC", "Vh"}, {"Ohm", "Ohmh"}, {"MOhm", "Ohmh"},
        {"KHz", "Hzh"},   {"°C", "°Ch"},     {"Wh", "Whh"},
    };
    for (const auto& u : units)
        check({Op::integral, u[0], "", u[1]});
    check({Op::integral, "dBm", "", nullptr, "The integral of readings in dBm means nothing."});
    check({Op::integral, "dB", "", nullptr, "The integral of readings in dB means nothing."});
    check({Op::integral, "Diodentest", "", nullptr, kDiode});
}

} // namespace
} // namespace kv
