#include "format/number_format.h"
#include "gauges/analog_gauge.h"

#include <QDateTime>
#include <QLocale>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kv {
namespace {

// A gauge as the controls use it: locked while constructed, released when loaded, and
// with every notification written to one log so the order can be checked.
class LoggingGauge : public AnalogGauge {
public:
    explicit LoggingGauge(bool designing = false) : AnalogGauge(nullptr, designing) {
        beginUpdate();
        onMinMaxChange = [this](AnalogGauge&) { log.push_back("minmax"); };
        onOverflow = [this](AnalogGauge&, int ppt) {
            log.push_back("overflow " + std::to_string(ppt));
        };
        onSectorChange = [this](AnalogGauge&, bool s1, bool s2, bool s3, bool enter) {
            const int k = s1 ? 1 : s2 ? 2 : s3 ? 3 : 0;
            log.push_back("sector" + std::to_string(k) + (enter ? " enter" : " leave"));
        };
        onSettingsChange = [this](AnalogGauge&) { log.push_back("settings"); };
        onValueChange = [this](AnalogGauge&) { log.push_back("value"); };
        onLimit = [this](AnalogGauge&, bool lower, bool upper) {
            log.push_back(std::string("limit") + (lower ? " lower" : "") + (upper ? " upper" : ""));
        };
    }
    void loaded() override {
        AnalogGauge::loaded();
        endUpdate();
    }
    void switchLogScale(bool on) {
        applyLogScale(on);
        logScaleChange();
    }
    using AnalogGauge::valueChange;

    std::vector<std::string> log;

protected:
    void overflowChange(int ppt) override {
        log.push_back("overflowChange " + std::to_string(ppt));
    }
    void limitChange() override { log.push_back("limitChange"); }
};

using Log = std::vector<std::string>;

// German separators for the texts, restored afterwards.
class GermanSeparators : public ::testing::Test {
protected:
    void SetUp() override {
        oldDecimal_ = decimalChar();
        oldGrouping_ = groupingChar();
        setDecimalChar(',');
        setGroupingChar('.');
    }
    void TearDown() override {
        setDecimalChar(oldDecimal_);
        setGroupingChar(oldGrouping_);
    }

private:
    char oldDecimal_ = '.', oldGrouping_ = ',';
};

// ---------------------------------------------------------------------------------------
// Pure helpers

TEST(GaugeMath, PowerOfTenNearestRoundsTheExponent) {
    struct Case {
        float in, out;
    } cases[] = {{0.001f, 0.001f}, {0.003f, 0.001f}, {0.004f, 0.01f}, {3.0f, 1.0f}, {3.2f, 10.0f},
                 {50.0f, 100.0f},  {1e-6f, 1e-6f},   {0.0f, 1.0f},    {-5.0f, 1.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(powerOfTenNearest(c.in), c.out) << c.in;
}

TEST(GaugeMath, FormatSampleTakesTheWiderSection) {
    EXPECT_EQ(formatSampleFor("##0.0"), "##0.0");
    EXPECT_EQ(formatSampleFor("0.00;(0.00)"), "(0.00)");
    EXPECT_EQ(formatSampleFor("000.00;-0"), "000.00");
    EXPECT_EQ(formatSampleFor("0.0;-0.0x"), "-0.0x");
    EXPECT_EQ(formatSampleFor("0.0;0,0"), "0,0"); // a tie goes to the part after
    EXPECT_EQ(formatSampleFor(""), "");
}

TEST(GaugeMath, DigitAndPerMilleMappingIsNotClamped) {
    EXPECT_EQ(linearDigit(50, 0, 10, 0), 500);
    EXPECT_EQ(linearDigit(150, 0, 10, 0), 1500);
    EXPECT_EQ(linearDigit(-99999, -99999, 1000.0 / 199998, 0), 0);
    EXPECT_EQ(linearDigit(12.25, 10, 10, 100), 122); // 122.5 rounds to even
    EXPECT_EQ(logDigit(0.1, 0.001, 250, 0), 500);
    EXPECT_EQ(logDigit(0.0001, 0.001, 250, 0), -250);
    EXPECT_EQ(digitToPpt(500, 0, 1000), 500);
    EXPECT_EQ(digitToPpt(1500, 0, 1000), 1500);
    EXPECT_EQ(digitToPpt(-20, 0, 1000), -20);
    EXPECT_EQ(digitToPpt(150, 100, 200), 250);
}

// ---------------------------------------------------------------------------------------
// Settings objects

TEST(SignalSettings, DefaultsAndDerivedValues) {
    SignalSettings s;
    EXPECT_EQ(s.digitalFrom(), 0);
    EXPECT_EQ(s.digitalTo(), 1000);
    EXPECT_EQ(s.name1(), "SignalName1");
    EXPECT_EQ(s.name2(), "SignalName2");
    EXPECT_EQ(s.valueFormat(), "##0.0");
    EXPECT_EQ(s.valueFrom(), 0.0f);
    EXPECT_EQ(s.valueTo(), 100.0f);
    EXPECT_EQ(s.valueUnit(), "%");
    EXPECT_EQ(s.valueSpan(), 100.0f);
    EXPECT_EQ(s.digitalSpan(), 1000);
    EXPECT_EQ(s.valuePerDigit(), 0.0f); // not computed before the first change
    EXPECT_EQ(s.formatSample(), "##0.0");

    s.setDigitalTo(2000);
    EXPECT_EQ(s.digitalSpan(), 2000);
    EXPECT_FLOAT_EQ(s.valuePerDigit(), 0.05f);
    EXPECT_FLOAT_EQ(s.digitsPerValue(), 20.0f);
    EXPECT_FLOAT_EQ(s.pptPerValue(), 10.0f);
}

TEST(SignalSettings, SettersNotifyOnlyOnChange) {
    SignalSettings s;
    int changes = 0;
    s.onChange = [&](SettingsObject& sender) {
        EXPECT_EQ(&sender, &s);
        ++changes;
    };
    s.setValueUnit("%");
    s.setValueFormat("##0.0");
    s.setDigitalTo(1000);
    EXPECT_EQ(changes, 0);
    s.setValueUnit("V");
    s.setValueFormat("0.00;(0.00)");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(s.formatSample(), "(0.00)");
}

TEST(SignalSettings, BoundsRefuseEachOtherAndZeroLowerBound) {
    SignalSettings s;
    int changes = 0;
    s.onChange = [&](SettingsObject&) { ++changes; };

    s.setValueFrom(100.0f); // equal to ValueTo
    s.setValueTo(0.0f);     // equal to ValueFrom
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(s.valueFrom(), 0.0f);
    EXPECT_EQ(s.valueTo(), 100.0f);

    s.setValueFrom(5.0f);
    s.setValueFrom(0.0f);
    EXPECT_EQ(s.valueFrom(), 0.000001f);
    EXPECT_EQ(changes, 2);

    s.setValueFrom(0.001f);
    EXPECT_EQ(double(s.valueFrom()), 0.0010000000474974513);
}

TEST(SignalSettings, SpansThatWouldNotBePositiveKeepTheFactors) {
    SignalSettings s;
    s.setValueFrom(-100.0f);
    s.setValueTo(-50.0f);
    EXPECT_FLOAT_EQ(s.valueSpan(), 50.0f);
    EXPECT_FLOAT_EQ(s.digitsPerValue(), 20.0f);

    s.setValueFrom(-99999.0f);
    s.setValueTo(99999.0f);
    EXPECT_FLOAT_EQ(s.valueSpan(), 199998.0f);

    // A lower bound >= 0 with an upper bound <= 0 leaves span and factors alone.
    s.setValueFrom(10.0f);
    s.setValueTo(20.0f);
    s.setValueTo(0.0f);
    EXPECT_EQ(s.valueTo(), 0.0f); // 0 is not replaced for the upper bound
    EXPECT_FLOAT_EQ(s.valueSpan(), 10.0f);
    EXPECT_FLOAT_EQ(s.digitsPerValue(), 100.0f);

    // A digital range running backwards gives a negative span and no new factors.
    s.setValueTo(20.0f);
    const float perDigit = s.valuePerDigit();
    s.setDigitalFrom(2000);
    EXPECT_EQ(s.digitalSpan(), -1000);
    EXPECT_EQ(s.valuePerDigit(), perDigit);
}

TEST(SignalSettings, FormatSampleFollowsTheFormatWhateverTheSpan) {
    // A range running downwards keeps its factors, but the indicator still measures the
    // sample: a stale one would cut the digits of the new format.
    SignalSettings s;
    s.setValueFrom(-10.0f);
    s.setValueTo(-20.0f);
    ASSERT_LT(s.valueSpan(), 0.0f);
    const float perValue = s.digitsPerValue();
    s.setValueFormat("00000.000");
    EXPECT_EQ(s.formatSample(), "00000.000");
    s.setValueFormat("0.0;-0.000");
    EXPECT_EQ(s.formatSample(), "-0.000");
    EXPECT_EQ(s.digitsPerValue(), perValue);
}

TEST(SignalSettings, LogModeRoundsBoundsToPowersOfTen) {
    SignalSettings s;
    s.setLogMode(true);
    int changes = 0;
    s.onChange = [&](SettingsObject&) { ++changes; };
    s.setValueFrom(0.003f);
    EXPECT_EQ(s.valueFrom(), 0.001f);
    s.setValueTo(50.0f);
    EXPECT_EQ(s.valueTo(), 100.0f);
    s.setValueFrom(0.0f); // the zero replacement is already a power of ten
    EXPECT_EQ(s.valueFrom(), 0.000001f);
    EXPECT_GE(changes, 3);
}

TEST(SignalSettings, AssignGoesThroughTheSetters) {
    SignalSettings a, b;
    b.setValueFrom(-5.0f);
    b.setValueTo(5.0f);
    b.setDigitalTo(500);
    b.setName1("n1");
    b.setName2("n2");
    b.setValueFormat("0.000");
    b.setValueUnit("A");
    int changes = 0;
    a.onChange = [&](SettingsObject&) { ++changes; };
    a.assign(b);
    EXPECT_EQ(a.valueFrom(), -5.0f);
    EXPECT_EQ(a.valueTo(), 5.0f);
    EXPECT_EQ(a.digitalTo(), 500);
    EXPECT_EQ(a.name1(), "n1");
    EXPECT_EQ(a.name2(), "n2");
    EXPECT_EQ(a.valueFormat(), "0.000");
    EXPECT_EQ(a.valueUnit(), "A");
    EXPECT_EQ(changes, 7); // DigitalFrom was equal already
    EXPECT_FLOAT_EQ(a.digitsPerValue(), 50.0f);
}

TEST(SectorSettings, LookupTakesTheFirstSectorContainingThePosition) {
    SectorSettings s;
    struct Case {
        int p;
        std::optional<ColorValue> color;
    } cases[] = {{0, clYellow}, {333, clYellow}, {334, clGreen},       {666, clGreen},
                 {667, clRed},  {1000, clRed},   {1001, std::nullopt}, {-1, std::nullopt}};
    for (const auto& c : cases)
        EXPECT_EQ(s.colorAt(c.p), c.color) << c.p;

    s.setSector2From(300); // overlaps sector 1: sector 1 wins
    EXPECT_EQ(s.colorAt(320), clYellow);
    s.setSector1To(100);
    EXPECT_EQ(s.colorAt(200), std::nullopt);
}

TEST(SectorSettings, AssignCopiesSectorsButNotBandGeometry) {
    SectorSettings a, b;
    b.setSector1Color(clBlue);
    b.setSector2From(400);
    b.setSector3To(900);
    b.setOffset(7);
    b.setWidthOffset(3);
    int changes = 0;
    a.onChange = [&](SettingsObject&) { ++changes; };
    a.assign(b);
    EXPECT_EQ(a.sector1Color(), clBlue);
    EXPECT_EQ(a.sector2From(), 400);
    EXPECT_EQ(a.sector3To(), 900);
    EXPECT_EQ(a.offset(), 0);
    EXPECT_EQ(a.widthOffset(), 0);
    EXPECT_EQ(changes, 3);
}

TEST(MinMax, CapturesAreStampedWithoutNotification) {
    MinMax m;
    EXPECT_EQ(m.min(), 9999999.0f);
    EXPECT_EQ(m.max(), -9999999.0f);
    EXPECT_EQ(m.minColor(), clAqua);
    EXPECT_TRUE(m.useSectorCol() && m.minVisible() && m.maxVisible());
    int changes = 0;
    m.onChange = [&](SettingsObject&) { ++changes; };

    const QDateTime before = QDateTime::currentDateTime();
    m.setMin(3.0f);
    m.setMax(4.0f);
    EXPECT_EQ(changes, 0);
    EXPECT_GE(m.minDateTime(), before);
    EXPECT_GE(m.maxDateTime(), before);

    m.setMaxColor(clRed);
    m.setMaxColor(clRed);
    m.setMinVisible(false);
    EXPECT_EQ(changes, 2);

    m.reset();
    EXPECT_EQ(m.min(), MinMax::kMinReset);
    EXPECT_EQ(m.max(), MinMax::kMaxReset);
}

// ---------------------------------------------------------------------------------------
// The gauge

TEST(AnalogGauge, DefaultsMapFiftyToTheMiddle) {
    LoggingGauge g;
    EXPECT_EQ(g.value(), 50.0f);
    EXPECT_EQ(g.digit(), 500);
    EXPECT_EQ(g.ppt(), 500);
    EXPECT_EQ(g.limitUpper(), 90.0f);
    EXPECT_EQ(g.limitLower(), 10.0f);
    EXPECT_EQ(g.hintOptions().bits(), 255u);
    EXPECT_FALSE(g.upperExceeded()); // cleared by the construction's own limit check
    EXPECT_FALSE(g.lowerExceeded());
    EXPECT_EQ(g.font().name, "Arial");
    EXPECT_EQ(g.font().size, 8);

    g.loaded();
    EXPECT_EQ(g.log, Log({"settings"}));
    EXPECT_EQ(g.digit(), 500);
    g.valueChange();
    EXPECT_EQ(g.ppt(), 500);
}

TEST(AnalogGauge, ValueAndDigitMapBothWays) {
    LoggingGauge g;
    g.loaded();
    g.setValue(25.0f);
    EXPECT_EQ(g.digit(), 250);
    EXPECT_EQ(g.ppt(), 250);
    g.setDigit(800);
    EXPECT_EQ(g.value(), 80.0f);
    EXPECT_EQ(g.ppt(), 800);

    g.log.clear();
    g.setValue(80.0f); // equal: nothing at all
    g.setDigit(800);
    EXPECT_TRUE(g.log.empty());
}

TEST(AnalogGauge, SignalChangesAfterLoadingRemapTheValue) {
    LoggingGauge g;
    g.signalSettings().setValueTo(10.0f); // before loading: the gauge does not hear it
    EXPECT_TRUE(g.log.empty());
    g.loaded();
    g.setValue(2.0f);
    EXPECT_EQ(g.digit(), 200);
    g.log.clear();
    g.signalSettings().setValueTo(100.0f);
    EXPECT_EQ(g.digit(), 20); // re-mapped before the setter returns
    EXPECT_EQ(g.log, Log({"settings"}));
    g.signalSettings().setValueTo(100.0f);
    EXPECT_EQ(g.log.size(), 1u);
}

TEST(AnalogGauge, UpdateLockDefersRecomputationToTheLastRelease) {
    LoggingGauge g;
    g.loaded();
    g.log.clear();
    g.beginUpdate();
    g.beginUpdate();
    g.endUpdate();
    EXPECT_TRUE(g.log.empty());
    g.endUpdate();
    EXPECT_EQ(g.log, Log({"settings"}));
    g.endUpdate(); // one too many: the lock stays at 0
    EXPECT_EQ(g.updateLock(), 0);
}

TEST(AnalogGauge, LowerLimitZeroIsStoredAsTenThousandth) {
    LoggingGauge g;
    g.loaded();
    g.log.clear();
    g.setLimitLower(0.0f);
    EXPECT_EQ(g.limitLower(), 0.0001f);
    EXPECT_EQ(g.log, Log({"sector2 enter", "value"}));
    g.log.clear();
    g.setValue(0.0f);
    EXPECT_TRUE(g.lowerExceeded());
    EXPECT_EQ(g.log, Log({"sector1 enter", "sector2 leave", "limitChange", "limit lower", "minmax",
                          "value", "value"}));
}

TEST(AnalogGauge, UpperLimitReportsEntryAndExit) {
    LoggingGauge g;
    g.loaded();
    g.setValue(60.0f);
    g.log.clear();
    g.setValue(95.0f);
    g.setValue(96.0f);
    g.setValue(50.0f);
    Log limits;
    for (const auto& e : g.log)
        if (e.rfind("limit", 0) == 0)
            limits.push_back(e);
    EXPECT_EQ(limits, Log({"limitChange", "limit upper", "limitChange", "limit"}));

    // Moving the limit under the value reports at once, with the full update.
    g.log.clear();
    g.setLimitUpper(40.0f);
    EXPECT_EQ(g.log, Log({"limitChange", "limit upper", "value"}));
    g.log.clear();
    g.setLimitUpper(40.0f);
    EXPECT_TRUE(g.log.empty());
}

TEST(AnalogGauge, OverflowIsReportedOnEntryAndOnReturn) {
    LoggingGauge g;
    g.loaded();
    g.setValue(60.0f);
    g.log.clear();

    g.setValue(150.0f);
    EXPECT_EQ(g.digit(), 1500);
    EXPECT_EQ(g.ppt(), 1000);
    EXPECT_TRUE(g.overflowHigh());
    EXPECT_EQ(g.log, Log({"sector2 leave", "limitChange", "limit upper", "overflowChange 1500",
                          "overflow 1500", "minmax", "value", "value"}));

    g.log.clear();
    g.setValue(200.0f); // still out of range: only the new maximum is reported
    EXPECT_EQ(g.ppt(), 1000);
    EXPECT_EQ(g.log, Log({"minmax", "value", "value"}));

    g.log.clear();
    g.setValue(-10.0f); // straight to the other side
    EXPECT_EQ(g.ppt(), 0);
    EXPECT_TRUE(g.overflowLow());
    EXPECT_FALSE(g.overflowHigh());
    EXPECT_EQ(g.log, Log({"limitChange", "limit lower", "overflowChange -100", "overflow -100",
                          "minmax", "value", "value"}));

    g.log.clear();
    g.setValue(50.0f);
    EXPECT_FALSE(g.overflowLow());
    EXPECT_EQ(g.log, Log({"sector2 enter", "limitChange", "limit", "overflowChange 500",
                          "overflow 500", "value"}));
}

TEST(AnalogGauge, HugeValuesSaturateInsteadOfOverflowingTheDigit) {
    LoggingGauge g;
    g.loaded();
    g.setValue(1e30f);
    EXPECT_EQ(g.digit(), INT_MAX);
    EXPECT_EQ(g.ppt(), 1000);
    g.setValue(-1e30f);
    EXPECT_EQ(g.digit(), INT_MIN);
    EXPECT_EQ(g.ppt(), 0);
}

TEST(AnalogGauge, CrossingIntoTheNextSectorReportsLeaveThenEnter) {
    LoggingGauge g;
    g.loaded();
    g.setValue(33.3f);
    ASSERT_EQ(g.ppt(), 333);
    g.log.clear();
    g.setValue(33.4f);
    ASSERT_EQ(g.ppt(), 334);
    EXPECT_EQ(g.log, Log({"sector1 leave", "sector2 enter", "minmax", "value", "value"}));
    EXPECT_FALSE(g.inSector1());
    EXPECT_TRUE(g.inSector2());
}

TEST(AnalogGauge, OverlappingSectorsHoldTogether) {
    LoggingGauge g;
    g.sectorSettings().setSector2From(300);
    g.loaded();
    g.log.clear();
    g.setValue(32.0f);
    EXPECT_TRUE(g.inSector1());
    EXPECT_TRUE(g.inSector2());
    EXPECT_EQ(g.log, Log({"sector1 enter", "sector2 enter", "value"}));
}

TEST(AnalogGauge, FirstCaptureIsSilentLaterOnesReport) {
    LoggingGauge g;
    g.loaded();
    g.log.clear();
    g.setValue(40.0f);
    EXPECT_EQ(g.minMax().min(), 40.0f);
    EXPECT_EQ(g.minMax().max(), 40.0f);
    EXPECT_EQ(g.minPpt(), 400);
    EXPECT_EQ(g.maxPpt(), 400);
    EXPECT_EQ(g.log, Log({"sector2 enter", "value"}));

    g.log.clear();
    g.setValue(30.0f);
    EXPECT_EQ(g.minMax().min(), 30.0f);
    EXPECT_EQ(g.minPpt(), 300);
    EXPECT_EQ(g.log, Log({"sector1 enter", "sector2 leave", "minmax", "value", "value"}));

    g.log.clear();
    g.setValue(70.0f);
    EXPECT_EQ(g.minMax().max(), 70.0f);
    EXPECT_EQ(g.maxPpt(), 700);
    EXPECT_EQ(g.minPpt(), 300);
    EXPECT_EQ(g.log, Log({"sector1 leave", "sector3 enter", "minmax", "value", "value"}));

    // A change of the marks' settings is reported like a capture.
    g.log.clear();
    g.minMax().setMinColor(clRed);
    EXPECT_EQ(g.log, Log({"minmax", "value"}));
}

TEST_F(GermanSeparators, HintWithValueAndFirstName) {
    LoggingGauge g;
    g.signalSettings().setValueUnit("V");
    g.signalSettings().setValueFormat("0.00");
    g.setHintOptions({HintOption::hoAutoHint, HintOption::hoValue, HintOption::hoName1});
    g.loaded();
    g.setValue(1.5f);
    EXPECT_EQ(g.hint(), "Value= 1,50 V\rSignalName1");
    EXPECT_EQ(g.toolTip(), QString("Value= 1,50 V\nSignalName1"));
}

TEST_F(GermanSeparators, HintWithMinimumMaximumAndTheirTimes) {
    LoggingGauge g;
    g.signalSettings().setValueFormat("0.0");
    g.signalSettings().setValueUnit("A");
    g.setHintOptions({HintOption::hoAutoHint, HintOption::hoMin, HintOption::hoMax,
                      HintOption::hoMinMaxDate, HintOption::hoName2});
    g.loaded();
    g.setValue(2.0f);
    g.setValue(1.0f);
    const QLocale l = QLocale::system();
    const std::string minDate =
        l.toString(g.minMax().minDateTime().date(), QLocale::ShortFormat).toStdString();
    const std::string maxDate =
        l.toString(g.minMax().maxDateTime().date(), QLocale::ShortFormat).toStdString();
    EXPECT_EQ(g.hint(), "MIN= 1,0 A " + minDate + "\rMAX= 2,0 A " + maxDate + "\rSignalName2");

    g.setHintOptions({HintOption::hoAutoHint, HintOption::hoMax, HintOption::hoMinMaxTime});
    g.setValue(3.0f);
    const QDateTime at = g.minMax().maxDateTime();
    const std::string maxTime =
        l.toString(at.time(), longTimeFormatWithoutZone(l.timeFormat(QLocale::LongFormat)))
            .toStdString();
    EXPECT_EQ(g.hint(), "MAX= 3,0 A " + maxTime);
    // The clock time alone, as the regional long time reads: no zone name beside it.
    EXPECT_EQ(g.hint().find(at.timeZoneAbbreviation().toStdString()), std::string::npos)
        << g.hint();
    EXPECT_NE(g.hint().find(l.toString(at.time(), "mm").toStdString()), std::string::npos);
}

TEST(LongTimeFormatWithoutZone, DropsTheZoneFieldWhereverTheLocalePutsIt) {
    struct Case {
        const char* format;
        const char* clock;
    } cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"H:mm:ss (t)", "H:mm:ss"},
        {"H.mm.ss t", "H.mm.ss"},
        {"H:mm:ss 'ч'. t", "H:mm:ss 'ч'."},
        {"HH:mm:ss tttt", "HH:mm:ss"},
        {"HH 'at' mm t", "HH 'at' mm"}, // a t inside quotes is text, not the zone
        {"HH:mm:ss", "HH:mm:ss"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(longTimeFormatWithoutZone(QString::fromUtf8(c.format)).toStdString(), c.clock);
}

TEST(AnalogGauge, SwitchingAutoHintOnBuildsTheHintAtOnce) {
    LoggingGauge g;
    g.setHintOptions({HintOption::hoValue});
    g.loaded();
    g.valueChange();
    g.log.clear();
    g.setHintOptions({HintOption::hoValue, HintOption::hoName1});
    EXPECT_TRUE(g.log.empty());
    EXPECT_EQ(g.hint(), "");
    g.setHintOptions({HintOption::hoAutoHint, HintOption::hoName1});
    EXPECT_EQ(g.log, Log({"value"}));
    EXPECT_EQ(g.hint(), "SignalName1");
}

TEST(AnalogGauge, LogarithmicScaleMapsDecadesAndRefusesNonPositiveValues) {
    LoggingGauge g;
    g.signalSettings().setValueFrom(0.001f);
    g.signalSettings().setValueTo(10.0f);
    g.loaded();
    g.switchLogScale(true);
    EXPECT_TRUE(g.logScale());
    EXPECT_TRUE(g.signalSettings().logMode());
    EXPECT_TRUE(g.sectorSettings().logMode());

    g.setValue(0.1f);
    EXPECT_EQ(g.digit(), 500);
    g.log.clear();
    g.setValue(0.0f);
    g.setValue(-3.0f);
    EXPECT_EQ(g.value(), 0.1f);
    EXPECT_EQ(g.digit(), 500);
    EXPECT_TRUE(g.log.empty());

    g.setDigit(750);
    EXPECT_NEAR(g.value(), 1.0f, 1e-5);
    g.setValue(10.0f);
    EXPECT_EQ(g.digit(), 1000);

    g.switchLogScale(false);
    EXPECT_EQ(g.digit(), 1000); // 10 on a linear 0.001..10 scale
    g.setValue(5.0f);
    EXPECT_EQ(g.digit(), 500);
}

TEST(AnalogGauge, DigitOnALogScaleKeepsTheValueWhenTheFactorsCancel) {
    // 10..100 over the digits -1..-2: minus one digit per decade and a log offset of minus
    // one decade, so the inverse mapping has nothing to work with.
    LoggingGauge g;
    g.signalSettings().setValueFrom(10.0f);
    g.signalSettings().setDigitalFrom(-1);
    g.signalSettings().setDigitalTo(-2);
    g.loaded();
    g.switchLogScale(true);
    g.setValue(20.0f);
    ASSERT_EQ(g.digitsPerDecade() - g.logOffset(), 0.0);
    g.setDigit(-2);
    EXPECT_EQ(g.digit(), -2);
    EXPECT_EQ(g.value(), 20.0f);
}

// The stored single-precision constants and the two ranges of the main window.
TEST(AnalogGauge, MainWindowRangesMapAsTheReadingsExpect) {
    LoggingGauge meter;
    meter.signalSettings().setValueTo(10.0f);
    meter.signalSettings().setValueFrom(1.0f);
    meter.signalSettings().setValueFrom(0.0f);
    meter.setLimitLower(0.0f);
    meter.loaded();
    EXPECT_EQ(double(meter.signalSettings().valueFrom()), 9.999999974752427e-07);
    EXPECT_EQ(double(meter.limitLower()), 9.999999747378752e-05);
    struct Case {
        float value;
        int digit;
    } meterCases[] = {{1.234f, 123}, {5.0f, 500}, {9.995f, 999}, {10.0f, 1000}, {0.004f, 0}};
    for (const auto& c : meterCases) {
        meter.setValue(c.value);
        EXPECT_EQ(meter.digit(), c.digit) << c.value;
    }

    LoggingGauge anz;
    anz.signalSettings().setValueFrom(-99999.0f);
    anz.signalSettings().setValueTo(99999.0f);
    anz.loaded();
    struct Case2 {
        float value;
        int digit, ppt;
    } anzCases[] = {{50.0f, 500, 500},   {-99999.0f, 0, 0},     {99999.0f, 1000, 1000},
                    {1000.0f, 505, 505}, {-200000.0f, -500, 0}, {0.0f, 500, 500}};
    for (const auto& c : anzCases) {
        anz.setValue(c.value);
        EXPECT_EQ(anz.digit(), c.digit) << c.value;
        EXPECT_EQ(anz.ppt(), c.ppt) << c.value;
    }
    anz.setDigit(1000);
    EXPECT_EQ(anz.value(), 99999.0f);
    anz.setDigit(250);
    EXPECT_EQ(anz.value(), -49999.5f);
}

TEST(AnalogGauge, SwitchingToLogScaleSpansTheDecadesOfTheBounds) {
    LoggingGauge g;
    g.signalSettings().setValueFrom(0.000001f);
    g.signalSettings().setValueTo(10.0f);
    g.loaded();
    g.setValue(0.001f);
    g.switchLogScale(true);
    EXPECT_EQ(g.signalSettings().valueFrom(), 0.000001f);
    EXPECT_EQ(g.signalSettings().valueTo(), 10.0f);
    EXPECT_EQ(g.digit(), 429); // three of seven decades
}

TEST(AnalogGauge, SwitchingToLogScaleReplacesNonPositiveValueAndBound) {
    LoggingGauge g;
    g.signalSettings().setValueFrom(-5.0f);
    g.signalSettings().setValueTo(300.0f);
    g.loaded();
    g.setValue(-1.0f);
    g.switchLogScale(true);
    EXPECT_EQ(g.signalSettings().valueFrom(), 0.001f);
    EXPECT_EQ(g.signalSettings().valueTo(), 100.0f);
    EXPECT_EQ(g.value(), 0.001f);
    EXPECT_EQ(g.digit(), 0);
}

TEST(AnalogGauge, DesignTimeRecomputesInsteadOfUpdatingAndCapturesNothing) {
    LoggingGauge g(true);
    g.loaded();
    g.log.clear();
    g.setValue(70.0f);
    EXPECT_EQ(g.log, Log({"settings"}));
    EXPECT_EQ(g.digit(), 700);
    g.valueChange();
    EXPECT_EQ(g.minMax().max(), MinMax::kMaxReset);
    EXPECT_EQ(g.minPpt(), 700);
    EXPECT_EQ(g.maxPpt(), 700);
    EXPECT_EQ(g.hint(), "");
}

TEST_F(GermanSeparators, ReadingLandsInSignalSettingsAndValue) {
    LoggingGauge g;
    g.loaded();
    ReadingHolder& holder = g;
    holder.setReadingFormat("00.000");
    holder.setReadingUnit("V-DC");
    holder.setReadingValue(1.234f);
    EXPECT_EQ(g.signalSettings().valueFormat(), "00.000");
    EXPECT_EQ(g.signalSettings().valueUnit(), "V-DC");
    EXPECT_EQ(g.value(), 1.234f);
    EXPECT_EQ(g.valueText(), "01,234");
}

} // namespace
} // namespace kv
