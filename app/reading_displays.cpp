#include "app/reading_displays.h"

#include "chart/chart_series.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"

namespace kv {

namespace {
// The digits of a silent meter.
constexpr ColorValue kSilentDigits = clGray;
} // namespace

ReadingDisplays::ReadingDisplays(ValueIndicator& anz, Meter180& analog, LevelBar& balken,
                                 LineSeries& series)
    : anz_(anz), analog_(analog), balken_(balken), series_(series) {}

Displays ReadingDisplays::displays(std::int64_t timeMs) const {
    return Displays{anz_, analog_, balken_, series_, timeMs};
}

void ReadingDisplays::show(const Reading& reading) {
    endSilence();
    overload_ = reading.overload();
    holdReading(anz_, reading);
    anz_.setOverload(overload_);
    // Readings of another unit are not joined to the line before them.
    series_.setUnit(reading.unit);
    if (overload_)
        showOverload(displays(reading.wallClockMs));
    else
        updateDisplays(displays(reading.wallClockMs));
    beyondFullScale_ = !overload_ && analog_.overflowHigh();
}

void ReadingDisplays::showSilence(std::int64_t sinceMs) {
    if (!silent_) {
        silent_ = true;
        FontSpec grey = anz_.fontValue();
        digitsColor_ = grey.color;
        grey.color = kSilentDigits;
        anz_.setFontValue(grey);
    }
    breakChartLine(displays(sinceMs), BreakReason::brGap);
}

void ReadingDisplays::endSilence() {
    if (!silent_)
        return;
    silent_ = false;
    FontSpec own = anz_.fontValue();
    own.color = digitsColor_;
    anz_.setFontValue(own);
}

void ReadingDisplays::reset() {
    endSilence();
    overload_ = false;
    beyondFullScale_ = false;
    anz_.setOverload(false);
    resetDisplays(displays());
}

float ReadingDisplays::fullScale() const {
    return analog_.signalSettings().valueTo();
}

QString ReadingDisplays::readingText() const {
    return QString::fromStdString(anz_.fieldText() + " " + anz_.signalSettings().valueUnit());
}

} // namespace kv
