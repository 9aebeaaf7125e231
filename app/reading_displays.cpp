#include "app/reading_displays.h"

#include "channel/status_notes.h"
#include "format/number_format.h"
#include "gauges/meter180.h"
#include "gauges/value_indicator.h"
#include "levelbar/level_bar.h"
#include "watch/reading_text.h"

#include <QCoreApplication>

namespace kv {

namespace {
// The digits of a silent meter.
constexpr ColorValue kSilentDigits = clGray;
} // namespace

ReadingDisplays::ReadingDisplays(ValueIndicator& anz, Meter180& analog, LevelBar& balken,
                                 StatusNotes& notes)
    : anz_(anz), analog_(analog), balken_(balken), notes_(notes) {}

void ReadingDisplays::note() {
    notes_.set(StatusNotes::Slot::overload,
               overload_ ? QCoreApplication::translate("kv::ReadingDisplays",
                                                       "Overload: the meter shows OL")
                         : QString());
    notes_.set(StatusNotes::Slot::beyondFullScale,
               beyondFullScale_
                   ? QCoreApplication::translate("kv::ReadingDisplays",
                                                 "Beyond the needle's full scale of %1")
                         .arg(QString::fromStdString(formatNumber("0.###", fullScale())))
                   : QString());
}

void ReadingDisplays::noteShown() {
    beyondFullScale_ = !overload_ && analog_.overflowHigh();
    note();
}

Displays ReadingDisplays::displays() const {
    return Displays{anz_, analog_, balken_};
}

void ReadingDisplays::show(const Reading& reading) {
    showDigits(reading, false);
    if (overload_)
        showOverload(displays());
    else
        updateDisplays(displays());
    noteShown();
}

void ReadingDisplays::show(const Reading& measured, const BenchDisplay& shown) {
    const ShownDigits digits = shownDigits(measured, shown);
    showDigits(digits.digits, digits.plusSign);
    if (overload_)
        showOverload(displays());
    else
        updateDisplays(displays(), shown.needle);
    noteShown();
}

void ReadingDisplays::showHeld(const Reading& reading) {
    showDigits(reading, false);
    // The bar takes the meter's deflection from before the meter moves: handed over twice,
    // the bar shows this reading too.
    if (overload_)
        showOverload(displays());
    else
        for (int i = 0; i < 2; ++i)
            updateDisplays(displays());
    noteShown();
}

void ReadingDisplays::showDigits(const Reading& digits, bool plusSign) {
    endSilence();
    overload_ = digits.overload();
    anz_.setPlusSign(plusSign);
    holdReading(anz_, digits);
    anz_.setOverload(overload_);
}

void ReadingDisplays::showSilence() {
    if (!silent_) {
        silent_ = true;
        FontSpec grey = anz_.fontValue();
        digitsColor_ = grey.color;
        grey.color = kSilentDigits;
        anz_.setFontValue(grey);
    }
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
    anz_.setPlusSign(false);
    resetDisplays(displays());
    note();
}

float ReadingDisplays::fullScale() const {
    return analog_.signalSettings().valueTo();
}

QString ReadingDisplays::readingText() const {
    return QString::fromStdString(anz_.fieldText() + " " + anz_.signalSettings().valueUnit());
}

} // namespace kv
