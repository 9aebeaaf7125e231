#pragma once

#include "core/reading.h"

namespace kv {

class AnalogGauge;
class LevelBar;

// The displays of the reading as the poll cycle drives them: the indicator holds the
// reading, the meter follows it with a full scale by decade and the bar repeats the meter's
// deflection. (The chart draws the channel's record.)
struct Displays {
    AnalogGauge& indicator;
    AnalogGauge& meter;
    LevelBar& bar;
};

// Puts a reading into the indicator, which holds and shows it: its picture format, its value
// (an overload keeps the value shown before) and its unit.
void holdReading(AnalogGauge& indicator, const Reading& reading);

// The meter's full scale for a reading: 1, 10, 100 or 1000 for the decade below each bound
// (a bound itself belongs to the next decade: 10 gives 100); from 1000 on the current full
// scale stays. Compared in single precision, as the gauges store their values.
float fullScaleFor(float reading, float currentFullScale);

// Hands the indicator's reading to the other displays, in this order: the meter's unit, its
// full scale, the bar (from the meter's digit before the meter moves, so it shows the
// previous reading on the new scale), and finally the meter's value.
void updateDisplays(const Displays& d);
// As above, with the needle and the bar at `needle` rather than at the indicator's reading
// (hold and relative show one thing in the digits and another on the needle).
void updateDisplays(const Displays& d, float needle);

// What an overload shows: the meter takes the indicator's unit and is pinned by a value past
// the end of its scale (so it flashes where its overflow option is on) and the bar is full.
// The indicator's value stays.
void showOverload(const Displays& d);

// What Stop shows: indicator, meter and bar at 0. Units, formats, the full scale and the
// bar's maximum stay.
void resetDisplays(const Displays& d);

} // namespace kv
