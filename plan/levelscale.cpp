#include "levelscale.h"

#include <algorithm>
#include <cmath>

namespace plan {

namespace {

// The colour of band i of n: the hue from blue (240 degrees) down to red.
QColor bandColour(int band, int bands)
{
    const double share = bands > 1 ? double(band) / double(bands - 1) : 0.0;
    return QColor::fromHsvF(float((1.0 - share) * 240.0 / 360.0), 0.75f, 0.95f);
}

// Step i of the series 1, 2, 5, 10, 20, 50 …
double seriesStep(int index)
{
    static constexpr double Mantissa[] = {1.0, 2.0, 5.0};
    return Mantissa[index % 3] * std::pow(10.0, index / 3);
}

} // namespace

LevelScale levelScale(double lowest, double highest, int maxBands)
{
    LevelScale scale;
    if (!(std::isfinite(lowest) && std::isfinite(highest)))
        return scale;
    if (highest < lowest)
        std::swap(lowest, highest);
    maxBands = std::max(1, maxBands);
    // Steps up to 10^300 dB; a span no step covers keeps one band.
    for (int index = 0; index < 900; ++index) {
        const double step = seriesStep(index);
        const double first = std::floor(lowest / step) * step;
        // The top band holds the highest level at its lower edge too.
        const double bands = std::floor((highest - first) / step) + 1.0;
        if (bands <= maxBands) {
            scale.first = first;
            scale.step = step;
            scale.bands = int(bands);
            return scale;
        }
    }
    scale.first = lowest;
    return scale;
}

int bandOf(const LevelScale &scale, double level)
{
    const double band = std::floor((level - scale.first) / scale.step);
    if (!(band >= 0.0))
        return 0;
    return int(std::min(band, double(scale.bands - 1)));
}

QColor levelColour(const LevelScale &scale, double level)
{
    return bandColour(bandOf(scale, level), scale.bands);
}

std::vector<LegendStep> legendSteps(const LevelScale &scale)
{
    std::vector<LegendStep> steps;
    steps.reserve(std::size_t(std::max(0, scale.bands)));
    for (int band = 0; band < scale.bands; ++band)
        steps.push_back({scale.bandFrom(band), scale.bandFrom(band + 1), bandColour(band, scale.bands)});
    return steps;
}

} // namespace plan
