#pragma once

#include "canvas/canvas.h"
#include "core/histogram.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kv {

// What a histogram picture shows beside its bars.
struct HistogramScene {
    Histogram histogram;
    // A value as the readings are written (the value axis, the readout).
    std::function<std::string(double value)> valueText;
    std::string unit;
    std::optional<double> lowerLimit, upperLimit; // the limits' band, where set
    std::string note;                             // a line above the plot
    FontSpec font;
};

// Where the parts of a histogram picture lie in its area: the plot, the value range across
// it and the count at its top.
struct HistogramLayout {
    Rect plot;             // inside the frame: the bars stand on its bottom
    Rect noteLine;         // the note's line above the plot
    double low = 0;        // the value at the plot's left edge ...
    double high = 1;       // ... and at its right edge
    std::uint64_t top = 1; // the count at the plot's top
    int bins = 0;
    double firstEdge = 0, binWidth = 0;

    // The pixel column of a value, and the value of a column; the bin under a column (-1
    // outside the bins).
    double xOf(double value) const;
    int binAt(int x) const;
    // The row of a count's top.
    int yOf(std::uint64_t count) const;
};

// Lays out the picture in `area` of `c` (the fonts' metrics decide the margins).
HistogramLayout layoutHistogram(Canvas& c, const Rect& area, const HistogramScene& scene);

// Draws it: the plot's white ground, the limits' band, one filled bar per bin with a
// reading, the count axis on the left, the value axis below with the unit, the mean as a
// solid line and one standard deviation either side as dotted ones, the note above. An
// empty histogram gives the frame and the note.
void paintHistogram(Canvas& c, const HistogramLayout& layout, const HistogramScene& scene);

// Colours of the bars and the lines, for whoever looks for them in a picture.
constexpr ColorValue kHistogramBar = rgbColor(70, 130, 180);
constexpr ColorValue kHistogramMean = rgbColor(200, 0, 0);
constexpr ColorValue kHistogramBand = rgbColor(214, 240, 214);

} // namespace kv
