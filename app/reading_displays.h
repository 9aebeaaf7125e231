#pragma once

#include "app/display_update.h"
#include "canvas/color.h"
#include "core/reading.h"
#include "watch/bench_watch.h"

#include <QString>

namespace kv {

class LevelBar;
class Meter180;
class StatusNotes;
class ValueIndicator;

// The displays of the reading besides the chart (which draws the channel's record), fed by a
// Reading: the indicator holds and shows it, the meter follows it with a full scale by
// decade and the bar repeats the meter's deflection. An overload shows OL, the needle
// pinned and flashing and a full bar; a silence greys the digits. An overload on the digits
// and a reading beyond the needle's full scale are noted in `notes`. The controls and the
// notes must outlive it.
class ReadingDisplays {
public:
    ReadingDisplays(ValueIndicator& anz, Meter180& analog, LevelBar& balken, StatusNotes& notes);

    // A reading, an overload or a reading of codes without a row: what the displays show of
    // it. Ends a silence.
    void show(const Reading& reading);
    // A reading while hold or relative is on: the digits show `shown.digits`, the needle and
    // the bar `shown.needle`.
    void show(const Reading& measured, const BenchDisplay& shown);
    // A reading of a record shown after the fact: the bar shows it too, not the one before.
    void showHeld(const Reading& reading);
    // The meter has fallen silent: the digits grey.
    void showSilence();
    // The digits in their own colour again.
    void endSilence();
    // What Stop shows: the indicator, the meter and the bar at 0; units, formats and the
    // full scale stay. Ends an overload and a silence.
    void reset();

    bool overload() const { return overload_; }
    // The last reading lies beyond the needle's full scale.
    bool beyondFullScale() const { return beyondFullScale_; }
    float fullScale() const;
    // The reading as the indicator shows it, with its unit: "01,234 V-DC", "OL V-DC".
    QString readingText() const;

private:
    Displays displays() const;
    // The digits and the indicator's overload, a silence ended.
    void showDigits(const Reading& digits, bool plusSign);
    // The notes of what the displays now show: an overload, a reading beyond full scale.
    void note();
    void noteShown();

    ValueIndicator& anz_;
    Meter180& analog_;
    LevelBar& balken_;
    StatusNotes& notes_;
    bool overload_ = false;
    bool beyondFullScale_ = false;
    bool silent_ = false;
    ColorValue digitsColor_ = clBlack; // the digits' own colour while they are grey
};

} // namespace kv
