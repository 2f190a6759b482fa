#include "soundpressure.h"

#include "textrules.h"

#include <cmath>
#include <limits>

namespace calc {

std::optional<std::int32_t> tappedPower(double powerW, double tap)
{
    const double rounded = roundHalfEven(powerW * tap);
    if (!std::isfinite(rounded) || rounded < 1.0
        || rounded > double(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return std::int32_t(rounded);
}

double logdb(std::int32_t x)
{
    return std::log(double(x)) / std::log(10.0) * 10.0;
}

std::optional<std::int16_t> requiredLevel(double noise, double margin)
{
    const double rounded = roundHalfEven(noise + margin);
    if (!std::isfinite(rounded) || rounded < double(std::numeric_limits<std::int16_t>::min())
        || rounded > double(std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    const auto level = std::int16_t(rounded);
    return level < 75 ? std::int16_t(75) : level;
}

double totalSoundPressure(double sens, double logP)
{
    return roundDown(sens + logP);
}

double effectiveRange(double excess)
{
    return roundDown(std::pow(10.0, excess / 20.0)) + 1.0;
}

double dropHeight(double mountH, double listenH)
{
    return mountH - listenH / 100.0;
}

} // namespace calc
