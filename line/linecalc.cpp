#include "linecalc.h"

#include "calc/textrules.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace line {

namespace {

struct Candidate {
    LineField field;
    double value;
};

// How far a positive value lies from ordinary magnitudes, in decades.
double decadesFromOne(double value)
{
    return value > 0.0 ? std::abs(std::log10(value)) : 0.0;
}

// The field to blame for a figure that left the range of a double: of the
// fields the figure depends on, the one whose value is the most decades away
// from 1 (a huge count, a tiny section, ...); on a tie the earlier field in
// LineField order, which is the order the candidates are listed in.
LineField mostExtreme(std::initializer_list<Candidate> candidates)
{
    const Candidate *worst = candidates.begin();
    for (const Candidate &c : candidates) {
        if (decadesFromOne(c.value) > decadesFromOne(worst->value))
            worst = &c;
    }
    return worst->field;
}

bool positive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// The first field whose own value is out of range; the checks read NaN (no
// number) as out of range.
std::optional<LineField> firstInvalidField(const LineInputs &in)
{
    if (!std::isfinite(in.count) || !(in.count >= 1.0) || in.count != std::floor(in.count))
        return LineField::Count;
    if (!positive(in.power))
        return LineField::Power;
    if (!positive(in.lastLength))
        return LineField::LastLength;
    if (!std::isfinite(in.firstLength) || !(in.firstLength >= 0.0) || !(in.firstLength <= in.lastLength))
        return LineField::FirstLength;
    if (!positive(in.section))
        return LineField::Section;
    if (!positive(in.allowedLoss))
        return LineField::AllowedLoss;
    if (!std::isfinite(in.headroom) || !(in.headroom >= 0.0))
        return LineField::Headroom;
    return std::nullopt;
}

// The smallest standard section not below the least section, none when it
// exceeds the largest one.
std::optional<double> standardSectionFor(double leastSection)
{
    const double lowered = leastSection * (1.0 - RelativeTolerance);
    for (double section : StandardSections) {
        if (section >= lowered)
            return section;
    }
    return std::nullopt;
}

// Rounding down and up to a whole number, taking a value within the
// rounding tolerance of a whole number as that number.
double roundDownTolerant(double value)
{
    return calc::roundDown(value + std::abs(value) * RoundingTolerance);
}

double roundUpTolerant(double value)
{
    return std::ceil(value - std::abs(value) * RoundingTolerance);
}

// Whether a loss stays within the allowed loss, equality within tolerance
// included.
bool withinLimit(double loss, double allowedLoss)
{
    return loss <= allowedLoss * (1.0 + RelativeTolerance);
}

} // namespace

std::variant<LineFigures, LineField> computeLine(const LineInputs &in)
{
    if (const auto field = firstInvalidField(in))
        return *field;

    const double rho = CopperResistivity;
    const double u = in.voltage;
    const double n = in.count;
    const double l0 = in.firstLength;
    const double l = in.lastLength;
    const double s = in.section;
    const Candidate count{LineField::Count, n};
    const Candidate power{LineField::Power, in.power};
    const Candidate lastLength{LineField::LastLength, l};
    const Candidate firstLength{LineField::FirstLength, l0};
    const Candidate section{LineField::Section, s};
    const Candidate allowedLoss{LineField::AllowedLoss, in.allowedLoss};
    const Candidate headroom{LineField::Headroom, in.headroom};

    LineFigures f;
    f.totalPower = n * in.power;
    f.load = u * u / f.totalPower;
    if (!std::isfinite(f.totalPower) || !std::isfinite(f.load))
        return mostExtreme({count, power});

    // The drop at the last loudspeaker: the whole current runs both
    // conductors up to the first one, then falls evenly to nothing at the
    // last, as if it ran half way: 2 rho (L0 + (L - L0) / 2) / S.
    f.wireResistance = rho * (l0 + l) / s;
    if (!std::isfinite(f.wireResistance))
        return mostExtreme({lastLength, firstLength, section});

    const double z = f.load;
    const double r = f.wireResistance;
    f.lossAtLast = 20.0 * std::log10(1.0 + r / z);
    f.voltageAtLast = u * z / (z + r);
    if (!std::isfinite(f.lossAtLast) || !std::isfinite(f.voltageAtLast))
        return mostExtreme({count, power, lastLength, firstLength, section});

    // The power lost in the cable: the whole current through Rp, the loop
    // up to the first loudspeaker plus, where the current falls step by
    // step over the n loads, (2n - 1) / (6n) of the rest, its mean square.
    // That share is written as (2 - 1/n) / 6 so that a huge count cannot
    // overflow it.
    const double spread = (2.0 - 1.0 / n) / 6.0;
    const double rp = 2.0 * rho * (l0 + (l - l0) * spread) / s;
    f.cableLossShare = 100.0 * rp / (z + rp);
    if (!std::isfinite(f.cableLossShare))
        return mostExtreme({count, power, lastLength, firstLength, section});

    // The allowed loss as the largest ratio R / Z.
    const double k = std::pow(10.0, in.allowedLoss / 20.0) - 1.0;
    if (!std::isfinite(k))
        return LineField::AllowedLoss;

    // Z * k may be 0 (a vanishing allowed loss: no section is enough) or
    // infinite (any section is enough); both give a section, not a failure.
    f.leastSection = standardSectionFor(rho * (l0 + l) / (z * k));

    const double reach = s * z * k / rho - l0;
    if (!std::isfinite(reach))
        return mostExtreme({count, power, section, allowedLoss});
    f.longestLine = std::max(0.0, roundDownTolerant(reach));
    f.shorterLineHelps = f.longestLine >= 1.0 && f.longestLine >= l0;

    const double amplifier = f.totalPower * (1.0 + in.headroom / 100.0);
    if (!std::isfinite(amplifier))
        return mostExtreme({count, power, headroom});
    f.amplifierPower = roundUpTolerant(amplifier);

    f.lossInNorm = withinLimit(f.lossAtLast, in.allowedLoss);
    return f;
}

} // namespace line
