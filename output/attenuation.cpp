#include "attenuation.h"

#include "calc/textrules.h"

#include <cmath>

namespace output {

std::optional<QString> attenuationCaption(QStringView distanceText)
{
    if (distanceText.isEmpty())
        return std::nullopt;
    const double d = calc::leadingValue(distanceText);
    // Zero is no distance; a negative distance has no logarithm and an
    // infinite one no finite result, so both count as no distance either.
    if (!(d > 0.0) || !std::isfinite(d))
        return std::nullopt;
    // The operations in this order, in double precision: ln(1000) / ln(10)
    // is 2.9999999999999996, so 1000 m gives 59, not 60.
    const double a = std::log(d);
    const double b = std::log(10.0);
    const double q = a / b;
    const double r = q * 20.0;
    return calc::formatGeneral(std::floor(r), u'.');
}

} // namespace output
