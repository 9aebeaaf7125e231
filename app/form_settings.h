#pragma once

namespace kv {

class LevelBar;
class LineSeries;
class Meter180;
class TrendChart;
class ValueIndicator;

// The stored settings of the window's displays, applied in the order the form streams
// them, while the control holds its update lock; loaded() is left to the caller.
void applyIndicatorSettings(ValueIndicator& anz);
void applyMeterSettings(Meter180& analog);
void applyBarSettings(LevelBar& balken);
void applyChartSettings(TrendChart& chart);
void applySeriesSettings(LineSeries& series);

} // namespace kv
