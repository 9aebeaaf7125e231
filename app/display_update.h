#pragma once

#include "chart/break_list.h"
#include "chart/chart_series.h"
#include "core/reading.h"

#include <cstdint>

namespace kv {

class AnalogGauge;
class LevelBar;
class LineSeries;

// The four displays of the reading as the poll cycle drives them: the indicator holds the
// reading, the meter follows it with a full scale by decade, the bar repeats the meter's
// deflection and the series collects every reading.
struct Displays {
    AnalogGauge& indicator;
    AnalogGauge& meter;
    LevelBar& bar;
    LineSeries& series;
    // When the reading was taken (wall-clock milliseconds); the chart's points carry it.
    // The lowest value: no time.
    std::int64_t timeMs = ChartSeries::kNoTime;
};

// Puts a reading into the indicator, which holds and shows it: its picture format, its value
// (an overload keeps the value shown before) and its unit.
void holdReading(AnalogGauge& indicator, const Reading& reading);

// The meter's full scale for a reading: 1, 10, 100 or 1000 for the decade below each bound
// (a bound itself belongs to the next decade: 10 gives 100); from 1000 on the current full
// scale stays. Compared in single precision, as the gauges store their values.
float fullScaleFor(float reading, float currentFullScale);

// Hands the indicator's reading to the other three displays, in this order: the meter's
// unit, its full scale, the bar (from the meter's digit before the meter moves, so it shows
// the previous reading on the new scale), one chart point, and finally the meter's value.
void updateDisplays(const Displays& d);

// What an overload shows: the meter takes the indicator's unit and is pinned by a value past
// the end of its scale (so it flashes where its overflow option is on), the bar is full,
// and the chart's line breaks instead of falling to 0. The indicator's value stays.
void showOverload(const Displays& d);

// One break in the chart's line: a null point, at the indicator's value so that the value
// axis keeps its range, dated d.timeMs and kept with its reason.
void breakChartLine(const Displays& d, BreakReason reason = BreakReason::brGap);

// What Stop shows: the chart emptied, then indicator, meter and bar at 0. Units, formats,
// the full scale and the bar's maximum stay.
void resetDisplays(const Displays& d);

} // namespace kv
