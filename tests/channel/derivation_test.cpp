// A derived channel's rows as its inputs' rows come in: pairing by time, units, gaps,
// overloads, the integral, and derived channels of derived ones.
#include "channel/derivation.h"
#include "core/translated.h"
#include "format/number_format.h"
#include "format/separators.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kv {
namespace {

using Status = Reading::Status;

Reading row(TimeMs time, float value, const char* unit, Status status = Status::ok) {
    Reading r;
    r.status = status;
    r.value = value;
    r.unit = unit;
    r.function = 240;
    r.range = 136;
    r.time = time;
    r.monotonicNs = time * 1000000 + 7;
    return r;
}

Reading gapRow(TimeMs time) {
    Reading r;
    r.status = Status::gap;
    r.time = time;
    return r;
}

Derivation derivation(const char* text) {
    const ParsedDerivation parsed = parseDerivation(text, '.');
    EXPECT_TRUE(parsed.ok()) << parsed.error;
    return Derivation(parsed.formula);
}

// The value of a reading, or what else it is.
testing::AssertionResult gives(const std::optional<Reading>& r, double value, const char* unit,
                               double tolerance = 1e-6) {
    if (!r)
        return testing::AssertionFailure() << "no row";
    if (r->status != Status::ok)
        return testing::AssertionFailure() << "status " << static_cast<int>(r->status);
    if (r->unit != unit)
        return testing::AssertionFailure() << "unit " << r->unit;
    if (std::abs(r->value - value) > tolerance * std::max(1.0, std::abs(value)))
        return testing::AssertionFailure() << "value " << r->value << ", not " << value;
    return testing::AssertionSuccess();
}

bool isGap(const std::optional<Reading>& r) {
    return r && r->status == Status::gap;
}

bool isOverload(const std::optional<Reading>& r, const char* unit) {
    return r && r->status == Status::overload && r->unit == unit;
}

TEST(DerivedPairing, AReadingPairsWithTheOtherInputsNewestUpTo1500MsAway) {
    Derivation p = derivation("P=U*I");
    EXPECT_TRUE(isGap(p.feed(0, row(1000, 2, "V-DC"))));
    EXPECT_EQ(p.reason(), "") << "I is still starting";
    EXPECT_TRUE(gives(p.feed(1, row(2500, 3, "A - DC")), 6, "W"));
    EXPECT_EQ(p.reason(), "");
    EXPECT_TRUE(gives(p.feed(0, row(4000, 4, "V-DC")), 12, "W")) << "exactly 1.5 s";
    EXPECT_TRUE(isGap(p.feed(0, row(4001, 5, "V-DC")))) << "1.501 s";
    EXPECT_EQ(p.reason(), "I has given no reading in the last 1.5 s.");
    EXPECT_TRUE(gives(p.feed(1, row(4002, 1, "A - DC")), 5, "W"));
    // A row of the other input that came in late pairs the same way.
    EXPECT_TRUE(gives(p.feed(0, row(2502, 2, "V-DC")), 2, "W"));
    EXPECT_TRUE(isGap(p.feed(0, row(2501, 2, "V-DC"))));

    // An input not heard from 1.5 s into the session is no longer starting.
    Derivation q = derivation("P=U*I");
    EXPECT_TRUE(isGap(q.feed(0, row(1000, 2, "V-DC"))));
    EXPECT_FALSE(q.feed(0, row(2500, 2, "V-DC"))) << "the gap goes on";
    EXPECT_EQ(q.reason(), "");
    EXPECT_FALSE(q.feed(0, row(2501, 2, "V-DC")));
    EXPECT_EQ(q.reason(), "I has given no reading in the last 1.5 s.");
}

TEST(DerivedValues, AreComputedInBaseUnitsAfterTheMetersPrefixes) {
    Derivation p = derivation("P=U*I");
    p.feed(0, row(0, 1500, "mV"));
    EXPECT_TRUE(gives(p.feed(1, row(100, 200, "mA - DC")), 0.3, "W"));

    Derivation r = derivation("R=U/I");
    r.feed(0, row(0, 5, "V-DC"));
    EXPECT_TRUE(gives(r.feed(1, row(100, 2.5f, "mA - DC")), 2000, "Ohm"));
    EXPECT_TRUE(gives(r.feed(1, row(200, 0.5f, "A - DC")), 10, "Ohm"));

    Derivation d = derivation("D=A-B");
    d.feed(0, row(0, 12, "V-DC"));
    EXPECT_TRUE(gives(d.feed(1, row(100, 250, "mV")), 11.75, "V-DC"));

    Derivation f = derivation("F=f/2");
    EXPECT_TRUE(gives(f.feed(0, row(0, 1.5f, "KHz")), 750, "Hz"));

    // The meter changes the prefix of its resistance range by itself: no change of unit.
    Derivation s = derivation("S=R*-1");
    EXPECT_TRUE(gives(s.feed(0, row(0, 1.5f, "KOhm")), -1500, "Ohm"));
    EXPECT_TRUE(gives(s.feed(0, row(500, 1.2f, "MOhm")), -1.2e6, "Ohm"));
    EXPECT_TRUE(gives(s.feed(0, row(1000, 470, "Ohm")), -470, "Ohm"));
}

TEST(DerivedRows, HaveNoMeterCodesTheTimesOfTheirCauseAndTheMetersPictureFormat) {
    Derivation p = derivation("P=U*I");
    p.feed(0, row(1000, 2, "V-DC"));
    const std::optional<Reading> r = p.feed(1, row(1200, 3, "A - DC"));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->hasCodes);
    EXPECT_EQ(r->function, 0);
    EXPECT_EQ(r->range, 0);
    EXPECT_EQ(r->time, 1200);
    EXPECT_EQ(r->monotonicNs, 1200000007);
    EXPECT_TRUE(r->kept());

    test::Separators english('.', ',');
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0, "0.0000"},        {1.23456f, "1.2346"}, {-1.23456f, "-1.2346"}, {9.99994f, "9.9999"},
        {9.99996f, "10.000"}, {-12.5f, "-12.500"},  {99.9996f, "100.00"},   {999.996f, "1000.0"},
        {9999.94f, "9999.9"}, {9999.96f, "10000"},  {123456.4f, "123456"},
    };
    Derivation k = derivation("K=A*1");
    TimeMs t = 0;
    for (const auto& c : cases) {
        const std::optional<Reading> shown = k.feed(0, row(t += 500, c.value, "V-DC"));
        ASSERT_TRUE(shown) << c.value;
        EXPECT_EQ(formatNumber(shown->format, shown->value), c.text) << c.value;
    }
}

TEST(DerivedGaps, GapsAndOverloadsOfTheInputsNeverBecomeNumbers) {
    Derivation p = derivation("P=U*I");
    p.feed(0, row(0, 2, "V-DC"));
    EXPECT_TRUE(gives(p.feed(1, row(100, 3, "A - DC")), 6, "W"));
    EXPECT_TRUE(isOverload(p.feed(0, row(200, 0, "V-DC", Status::overload)), "W"));
    EXPECT_TRUE(isOverload(p.feed(1, row(300, 3, "A - DC")), "W")) << "U's newest is OL";
    EXPECT_TRUE(gives(p.feed(0, row(400, 2, "V-DC")), 6, "W"));

    const std::optional<Reading> silent = p.feed(1, gapRow(500));
    ASSERT_TRUE(isGap(silent));
    EXPECT_EQ(silent->unit, "W");
    EXPECT_EQ(silent->time, 500);
    EXPECT_EQ(p.reason(), "I gives no readings.");
    EXPECT_FALSE(p.feed(0, row(600, 2, "V-DC"))) << "a second gap says nothing new";
    EXPECT_EQ(p.reason(), "I gives no readings.");
    EXPECT_TRUE(gives(p.feed(1, row(1600, 3, "A - DC")), 6, "W"));

    // Rows that are not kept give none; a value that is no number is an overload.
    Reading unlisted = row(1700, 5, "V-DC", Status::unlisted);
    EXPECT_FALSE(p.feed(0, unlisted));
    EXPECT_TRUE(gives(p.feed(0, row(1800, 1, "V-DC")), 3, "W"));
    EXPECT_TRUE(isOverload(p.feed(0, row(1900, std::nanf(""), "V-DC")), "W"));
    EXPECT_FALSE(p.feed(2, row(2000, 1, "V-DC"))) << "no third input";

    Derivation r = derivation("R=U/I");
    r.feed(0, row(0, 5, "V-DC"));
    EXPECT_TRUE(isOverload(r.feed(1, row(100, 0, "A - DC")), "Ohm")) << "5 V / 0 A";
    EXPECT_TRUE(isOverload(r.feed(0, row(200, -0.0f, "V-DC")), "Ohm")) << "0 V / 0 A";
    Derivation big = derivation("B=U*I");
    big.feed(0, row(0, 3e38f, "V-DC"));
    EXPECT_TRUE(isOverload(big.feed(1, row(100, 10, "A - DC")), "W")) << "beyond a float";
}

TEST(DerivedGaps, AUnitChangeIsAGapAtTheChangeThenValuesInTheNewUnit) {
    Derivation d = derivation("D=X*2");
    EXPECT_TRUE(gives(d.feed(0, row(0, 1.5f, "V-DC")), 3, "V-DC"));
    EXPECT_TRUE(isGap(d.feed(0, row(500, 0.5f, "A - DC"))));
    EXPECT_EQ(d.reason(), "");
    EXPECT_TRUE(gives(d.feed(0, row(1000, 0.5f, "A - DC")), 1, "A - DC"));
    EXPECT_TRUE(isGap(d.feed(0, row(1500, 0.5f, "A - AC")))) << "DC to AC is a change";

    Derivation p = derivation("P=U*I");
    p.feed(0, row(0, 2, "V-DC"));
    EXPECT_TRUE(gives(p.feed(1, row(100, 3, "A - DC")), 6, "W"));
    EXPECT_TRUE(isGap(p.feed(0, row(200, 2, "V-AC"))));
    EXPECT_FALSE(p.feed(1, row(300, 3, "A - AC"))) << "the second change: no second gap";
    EXPECT_TRUE(gives(p.feed(0, row(400, 2, "V-AC")), 6, "VA"));
}

TEST(DerivedReasons, UnitsThatDoNotCombineGiveGapsAndAreToldOncePerChange) {
    Derivation p = derivation("P=U*f");
    std::vector<std::string> told;
    p.onReasonChanged = [&](const std::string& reason) { told.push_back(reason); };
    EXPECT_TRUE(isGap(p.feed(0, row(0, 2, "V-DC"))));
    EXPECT_FALSE(p.feed(1, row(100, 50, "Hz")));
    EXPECT_EQ(p.reason(), "Readings in V-DC and Hz do not multiply to a unit.");
    for (TimeMs t = 200; t < 2000; t += 200)
        EXPECT_FALSE(p.feed(t % 400 == 0 ? 0 : 1, row(t, 50, t % 400 == 0 ? "V-DC" : "KHz")));
    EXPECT_EQ(told,
              (std::vector<std::string>{"Readings in V-DC and Hz do not multiply to a unit."}));
    // The input turns to a current: values again, and the reason goes.
    EXPECT_FALSE(p.feed(1, row(2000, 0.5f, "A - DC")));
    EXPECT_TRUE(gives(p.feed(0, row(2100, 4, "V-DC")), 2, "W"));
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told.back(), "");
    p.reset();
    EXPECT_EQ(told.size(), 2u) << "nothing to tell";
    EXPECT_TRUE(isGap(p.feed(0, row(5000, 2, "V-DC"))));
    EXPECT_FALSE(p.feed(0, row(6600, 2, "V-DC")));
    EXPECT_EQ(told.back(), "f has given no reading in the last 1.5 s.");
    p.reset();
    EXPECT_EQ(p.reason(), "");
    EXPECT_EQ(told.back(), "") << "a new session has no reason yet";
}

TEST(DerivedInputs, AChannelUsedTwiceIsFedOnce) {
    Derivation s = derivation("S=A+A");
    EXPECT_TRUE(gives(s.feed(0, row(0, 2, "V-DC")), 4, "V-DC"));
    EXPECT_TRUE(gives(s.feed(1, row(5000, 3, "V-DC")), 6, "V-DC"));
    EXPECT_TRUE(isGap(s.feed(0, gapRow(6000))));
    EXPECT_EQ(s.reason(), "A gives no readings.");
}

TEST(Integral, ASteadyCurrentGivesCurrentTimesHours) {
    Derivation q = derivation("Q=integral(I)");
    for (int k = 0; k <= 10; ++k)
        EXPECT_TRUE(gives(q.feed(0, row(k * 1000, 2, "A - DC")), 2.0 * k / 3600, "Ah", 1e-6)) << k;
    // An hour of 2 A, in steps of half a second, is 2 Ah.
    q.reset();
    std::optional<Reading> last;
    for (int k = 0; k <= 7200; ++k)
        last = q.feed(0, row(k * 500, 2000, "mA - DC"));
    EXPECT_TRUE(gives(last, 2, "Ah", 1e-6));
}

TEST(Integral, ARampIsSummedByTrapezoidsAtAnySpacing) {
    Derivation q = derivation("Q=integral(I)");
    // I = t/s amperes: the area to 3 s is 4.5 As, whatever the steps.
    const TimeMs times[] = {0, 500, 2000, 2100, 3000};
    std::optional<Reading> last;
    for (TimeMs t : times)
        last = q.feed(0, row(t, static_cast<float>(t), "mA - AC"));
    EXPECT_TRUE(gives(last, 4.5 / 3600, "Ah"));
    // Power: a triangle of 0 W to 10 W and back over 2 s is 10 Ws.
    Derivation e = derivation("E=integral(P)");
    e.feed(0, row(0, 0, "W"));
    e.feed(0, row(1000, 10, "W"));
    EXPECT_TRUE(gives(e.feed(0, row(2000, 0, "W")), 10.0 / 3600, "Wh"));
}

TEST(Integral, AGapOrAnOverloadAddsNothingAndTheSumGoesOnAfterIt) {
    Derivation q = derivation("Q=integral(I)");
    for (TimeMs t = 0; t <= 2000; t += 1000)
        q.feed(0, row(t, 2, "A - DC"));
    const std::optional<Reading> gap = q.feed(0, gapRow(2000));
    ASSERT_TRUE(isGap(gap));
    EXPECT_EQ(gap->unit, "Ah");
    EXPECT_TRUE(gives(q.feed(0, row(10000, 2, "A - DC")), 4.0 / 3600, "Ah")) << "a new stretch";
    EXPECT_TRUE(gives(q.feed(0, row(11000, 2, "A - DC")), 6.0 / 3600, "Ah"));
    EXPECT_TRUE(isOverload(q.feed(0, row(12000, 0, "A - DC", Status::overload)), "Ah"));
    EXPECT_TRUE(gives(q.feed(0, row(20000, 4, "A - DC")), 6.0 / 3600, "Ah"));
    EXPECT_TRUE(gives(q.feed(0, row(21000, 2, "A - DC")), 9.0 / 3600, "Ah"));
    // The meter's own prefix is no change; a time going back adds nothing.
    EXPECT_TRUE(gives(q.feed(0, row(22000, 2000, "mA - DC")), 11.0 / 3600, "Ah"));
    EXPECT_TRUE(gives(q.feed(0, row(21500, 2, "A - DC")), 11.0 / 3600, "Ah"));
    EXPECT_TRUE(gives(q.feed(0, row(22500, 2, "A - DC")), 13.0 / 3600, "Ah"));
    // A new session begins at 0.
    q.reset();
    EXPECT_TRUE(gives(q.feed(0, row(30000, 2, "A - DC")), 0, "Ah"));
}

TEST(Integral, AChangeOfUnitBeginsAgainFromZeroInTheNewUnit) {
    Derivation q = derivation("Q=integral(X)");
    q.feed(0, row(0, 2, "A - DC"));
    EXPECT_TRUE(gives(q.feed(0, row(1000, 2, "A - DC")), 2.0 / 3600, "Ah"));
    EXPECT_TRUE(isGap(q.feed(0, row(2000, 5, "V-DC"))));
    EXPECT_TRUE(gives(q.feed(0, row(3000, 5, "V-DC")), 5.0 / 3600, "Vh"));
    EXPECT_TRUE(isGap(q.feed(0, row(4000, -3, "dBm"))));
    EXPECT_EQ(q.reason(), "The integral of readings in dBm means nothing.");
    EXPECT_FALSE(q.feed(0, row(5000, -3, "dBm")));
    EXPECT_FALSE(q.feed(0, row(6000, 5, "V-DC"))) << "the change after a gap: no second gap";
    EXPECT_EQ(q.reason(), "");
    EXPECT_TRUE(gives(q.feed(0, row(7000, 5, "V-DC")), 5.0 / 3600, "Vh"));
}

TEST(DerivedChain, TheEnergyOfAPowerFromTwoMetersIsItsIntegral) {
    Derivation p = derivation("P=U*I");
    Derivation e = derivation("E=integral(P)");
    std::vector<Reading> energy;
    auto pass = [&](std::optional<Reading> power) {
        if (power)
            if (std::optional<Reading> r = e.feed(0, *power))
                energy.push_back(*r);
    };
    // U at whole seconds, I half a second later; I falls silent for a while after 5.5 s.
    for (TimeMs t = 0; t < 10000; t += 1000) {
        pass(p.feed(0, row(t, 10, "V-DC")));
        if (t < 6000 || t >= 8000)
            pass(p.feed(1, row(t + 500, 2000, "mA - DC")));
        else if (t == 6000)
            pass(p.feed(1, gapRow(t + 500)));
    }
    ASSERT_FALSE(energy.empty());
    EXPECT_EQ(energy.front().status, Status::gap) << "U before any I";
    // 20 W from 0.5 s to 6 s (5.5 s of power: P gives 20 W at 5.5 s and 6 s) and from 8.5 s
    // to 9.5 s; the gap from 6.5 s adds nothing.
    EXPECT_TRUE(gives(energy.back(), 20.0 * (5.5 + 1.0) / 3600, "Wh"));
    std::size_t gaps = 0;
    for (const Reading& r : energy)
        gaps += r.status == Status::gap;
    EXPECT_EQ(gaps, 2u);
}

TEST(DerivedTexts, ReasonsAndErrorsAreInTheUsersLanguage) {
    struct Marked {
        Marked() {
            setTranslation([](const char* context, const char* text) {
                return std::string(context) + ": <" + text + ">";
            });
        }
        ~Marked() { setTranslation(nullptr); }
    } marked;
    Derivation p = derivation("P=U*f");
    p.feed(0, row(0, 2, "V-DC"));
    p.feed(0, row(2000, 2, "V-DC"));
    EXPECT_EQ(p.reason(), "kv::Derivation: <f has given no reading in the last 1.5 s.>");
    p.feed(1, row(2100, 50, "Hz"));
    EXPECT_EQ(p.reason(), "kv::Derivation: <Readings in V-DC and Hz do not multiply to a unit.>");
    EXPECT_EQ(parseDerivation("P=U/0", '.').error, "kv::Derivation: <\"U/0\" divides by 0.>");
    EXPECT_EQ(checkChannels({"U", "U"}, {}), "kv::Derivation: <Two channels are named \"U\".>");
}

} // namespace
} // namespace kv
