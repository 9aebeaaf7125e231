#include "app/display_update.h"
#include "app/reading_displays.h"
#include "channel/status_notes.h"

#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kv {
namespace {

TEST(FullScaleByDecade, EachBoundBelongsToTheNextDecadeAndFromThousandTheScaleStays) {
    struct Case {
        float reading;
        float current;
        float fullScale;
    } cases[] = {
        {0.0f, 10.0f, 1.0f},
        {0.5f, 10.0f, 1.0f},
        {0.9999f, 10.0f, 1.0f},
        {1.0f, 1.0f, 10.0f},
        {9.99f, 1.0f, 10.0f},
        {10.0f, 10.0f, 100.0f},
        {99.99f, 10.0f, 100.0f},
        {100.0f, 10.0f, 1000.0f},
        {999.9f, 10.0f, 1000.0f},
        {1000.0f, 100.0f, 100.0f},
        {1000.0f, 1000.0f, 1000.0f},
        {54321.0f, 10.0f, 10.0f},
        {-3.0f, 100.0f, 1.0f},
        // 9.99999999 is 10 in single precision, so it lies in the decade of 10.
        {static_cast<float>(9.99999999), 10.0f, 100.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fullScaleFor(c.reading, c.current), c.fullScale) << c.reading;
}

// The four displays as the window configures the parts the update relies on.
class DisplayUpdate : public ::testing::Test {
protected:
    DisplayUpdate() {
        anz.signalSettings().setValueFrom(-99999.0f);
        anz.signalSettings().setValueTo(99999.0f);
        anz.signalSettings().setValueUnit("Volt");
        anz.loaded();
        analog.signalSettings().setValueFrom(0.000001f);
        analog.signalSettings().setValueTo(10.0f);
        analog.signalSettings().setValueUnit("Volt");
        analog.setValue(0.001f);
        analog.loaded();
        balken.setGeometry(0, 0, 456, 17);
    }

    // One accepted cycle: a reading of `value` in `unit`.
    void cycle(float value, const std::string& unit = "V-DC", const std::string& format = "0.0") {
        reading.value = value;
        reading.unit = unit;
        reading.format = format;
        displays.show(reading);
    }

    QWidget parent;
    ValueIndicator anz{&parent};
    Meter180 analog{&parent};
    LevelBar balken{&parent};
    StatusNotes notes;
    ReadingDisplays displays{anz, analog, balken, notes};
    Reading reading;
};

TEST_F(DisplayUpdate, ReadingsAcrossTheDecadesSetTheFullScaleAndLeaveItFromThousandOn) {
    const float readings[] = {0.0f, 0.5f, 1.0f, 9.99f, 10.0f, 999.9f, 1000.0f};
    const float fullScales[] = {1.0f, 1.0f, 10.0f, 10.0f, 100.0f, 1000.0f, 1000.0f};
    for (int i = 0; i < 7; ++i) {
        cycle(readings[i]);
        EXPECT_EQ(analog.signalSettings().valueTo(), fullScales[i]) << readings[i];
        EXPECT_EQ(analog.value(), readings[i]);
    }
    EXPECT_EQ(analog.signalSettings().valueFrom(), 0.000001f) << "the lower bound never moves";
}

TEST_F(DisplayUpdate, TheBarShowsThePreviousReadingOnTheNewScaleBeforeTheMeterMoves) {
    cycle(2.0f);
    ASSERT_EQ(analog.signalSettings().valueTo(), 10.0f);
    EXPECT_EQ(analog.digit(), 200);

    int barWhenMeterMoved = -1;
    analog.model().onValueChange = [&](AnalogGauge&) { barWhenMeterMoved = balken.position(); };
    cycle(20.0f);
    EXPECT_EQ(analog.signalSettings().valueTo(), 100.0f);
    EXPECT_EQ(balken.max(), 1000);
    EXPECT_EQ(balken.position(), 20) << "old value 2 re-mapped to the new full scale 100";
    EXPECT_EQ(barWhenMeterMoved, 20);
    EXPECT_EQ(analog.digit(), 200);
}

TEST_F(DisplayUpdate, TheMeterTakesTheIndicatorsUnit) {
    cycle(1.5f, "mA - DC");
    EXPECT_EQ(analog.signalSettings().valueUnit(), "mA - DC");
    cycle(1.5f, "°C");
    EXPECT_EQ(analog.signalSettings().valueUnit(), "°C");
}

TEST_F(DisplayUpdate, AReadingBeyondTheFullScalePinsTheBarAtItsEnd) {
    cycle(500.0f);
    cycle(2500.0f); // full scale stays 1000
    cycle(2500.0f);
    EXPECT_EQ(analog.signalSettings().valueTo(), 1000.0f);
    EXPECT_EQ(analog.digit(), 2500);
    EXPECT_EQ(balken.position(), 1000);
}

TEST_F(DisplayUpdate, ResetZeroesTheDisplaysAndKeepsUnitsAndScale) {
    cycle(47.25f, "mV", "000.00");
    cycle(48.5f, "mV", "000.00");
    ASSERT_GT(balken.position(), 0);
    displays.reset();
    EXPECT_EQ(anz.value(), 0.0f);
    EXPECT_EQ(analog.value(), 0.0f);
    EXPECT_EQ(analog.digit(), 0);
    EXPECT_EQ(balken.position(), 0);
    EXPECT_EQ(balken.max(), 1000);
    EXPECT_EQ(analog.signalSettings().valueTo(), 100.0f);
    EXPECT_EQ(analog.signalSettings().valueUnit(), "mV");
    EXPECT_EQ(anz.signalSettings().valueUnit(), "mV");
    EXPECT_EQ(anz.signalSettings().valueFormat(), "000.00");
}

TEST_F(DisplayUpdate, AnOverloadKeepsTheValueAndASilenceGreysTheDigitsTillTheNextReading) {
    const ColorValue own = anz.fontValue().color;
    cycle(2.5f);
    reading.status = Reading::Status::overload;
    reading.unit = "Hz";
    displays.show(reading);
    EXPECT_TRUE(displays.overload());
    EXPECT_EQ(anz.value(), 2.5f);
    EXPECT_EQ(analog.signalSettings().valueUnit(), "Hz");
    EXPECT_EQ(balken.position(), balken.max());

    displays.showSilence();
    displays.showSilence();
    EXPECT_NE(anz.fontValue().color, own);
    reading.status = Reading::Status::ok;
    cycle(3.0f);
    EXPECT_EQ(anz.fontValue().color, own);
    EXPECT_FALSE(displays.overload());
}

} // namespace
} // namespace kv
