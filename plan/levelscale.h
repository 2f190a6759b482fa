#pragma once

#include <QColor>
#include <vector>

// The colours of a level map and its legend: bands of a whole number of
// decibels, blue for the quietest band through green and yellow to red for
// the loudest.
namespace plan {

struct LevelScale {
    double first = 0.0; // the lower edge of the lowest band, dB, a whole multiple of step
    double step = 1.0;  // the width of every band, dB
    int bands = 1;

    double bandFrom(int band) const { return first + band * step; }
};

// The scale of lowest .. highest: the narrowest step of the series 1, 2, 5,
// 10, 20, 50 … dB that covers them in at most maxBands bands, the bands'
// edges at whole multiples of the step. One band of 1 dB when a level is
// not a number.
LevelScale levelScale(double lowest, double highest, int maxBands = 10);

// The band a level falls in (its lower edge inside it), levels below the
// scale in the first band and above it in the last.
int bandOf(const LevelScale &scale, double level);

// The colour of a level: its band's.
QColor levelColour(const LevelScale &scale, double level);

// One entry of the legend: the band from .. to (dB) and its colour.
struct LegendStep {
    double from = 0.0;
    double to = 0.0;
    QColor colour;
};

// The legend, the quietest band first.
std::vector<LegendStep> legendSteps(const LevelScale &scale);

} // namespace plan
