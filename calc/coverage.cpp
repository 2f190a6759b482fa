#include "coverage.h"

#include "textrules.h"

#include <algorithm>
#include <cmath>

namespace calc {

namespace {

// Half of pi as the calculation writes it: 3.1415 / 2 = 1.57075.
constexpr double HalfPi = Pi / 2.0;

// A stop: the message, then the five result labels emptied. The caller
// appends any further recovery.
std::nullopt_t stop(Effects &effects, const QString &message)
{
    effects.push_back(Effect::message(message));
    effects.push_back(Effect::clearLabels());
    return std::nullopt;
}

// The loudspeaker at or below the listening height.
bool mountedTooLow(const GeometryInputs &in)
{
    return in.mountH <= in.listenH / 100.0;
}

// Where the beam meets the listening plane, for both horn types.
struct HornZone {
    double nearSlant = 0.0; // loudspeaker to the near edge
    double farSlant = 0.0;  // loudspeaker to the far edge
    double depth = 0.0;     // extent of the zone along the beam axis
    double edgeDeg = 0.0;   // depression of the beam's lower boundary, degrees
};

// The near edge, where the lower boundary of the beam meets the plane. When
// that boundary points past the vertical (edgeDeg above 90) the zone reaches
// behind the point below the loudspeaker. False when the calculation stops.
bool findNearSlant(const GeometryInputs &in, double edgeDeg, std::optional<double> &nearSlant,
                   Effects &effects)
{
    const double lowerRad = in.tiltRad + in.vDirRad / 2.0;
    if (edgeDeg <= 90.0) {
        const double s = std::sin(lowerRad);
        if (s > 0.0)
            nearSlant = in.dropH / s;
        if (nearSlant && *nearSlant > in.range) {
            stop(effects, msg::IncreaseTilt);
            effects.push_back(Effect::focus(Control::CmbUN));
            return false;
        }
        return true;
    }
    const double c = std::cos(lowerRad - HalfPi);
    if (c > 0.0)
        nearSlant = in.dropH / c;
    if (nearSlant && *nearSlant > in.range) {
        effects.push_back(Effect::message(msg::HeightShort));
        nearSlant = in.range;
    }
    return true;
}

// The far edge, where the upper boundary meets the plane, or the range when
// it points at or above the horizontal or meets the plane beyond the range.
std::optional<double> findFarSlant(const GeometryInputs &in, double halfVDirDeg, double tiltDeg)
{
    if (!(halfVDirDeg < tiltDeg))
        return in.range;
    const double s2 = std::sin(in.tiltRad - in.vDirRad / 2.0);
    if (!(s2 > 0.0))
        return std::nullopt;
    return std::min(in.dropH / s2, in.range);
}

std::optional<HornZone> hornZone(const GeometryInputs &in, Effects &effects)
{
    if (mountedTooLow(in)) {
        stop(effects, msg::MountTooLow);
        effects.push_back(Effect::setText(Control::TxtH, QStringLiteral("3")));
        effects.push_back(Effect::focus(Control::TxtH));
        return std::nullopt;
    }
    if (in.dropH > in.range) {
        stop(effects, msg::MountTooHigh);
        effects.push_back(Effect::focus(Control::TxtH));
        return std::nullopt;
    }

    // The branches compare the degree values themselves, the same in every
    // locale; the trigonometry uses the radians.
    const double halfVDirDeg = in.vDirDeg / 2.0;
    const double tiltDeg = in.tiltDeg;
    const double edgeDeg = halfVDirDeg + tiltDeg;

    std::optional<double> nearSlant;
    if (!findNearSlant(in, edgeDeg, nearSlant, effects))
        return std::nullopt;
    const std::optional<double> farSlant = findFarSlant(in, halfVDirDeg, tiltDeg);
    if (!(nearSlant && *nearSlant > 0.0 && farSlant && *farSlant > 0.0)) {
        // Labels and focus stay as they are.
        effects.push_back(Effect::message(msg::EdgesUnset));
        return std::nullopt;
    }

    const double dropH2 = in.dropH * in.dropH;
    const double nearH = std::sqrt(*nearSlant * *nearSlant - dropH2);
    const double farH = std::sqrt(*farSlant * *farSlant - dropH2);
    if (edgeDeg > 90.0)
        return HornZone{*nearSlant, *farSlant, farH + nearH, edgeDeg};
    const double depth = farH - nearH;
    // A zone of negative depth has no covered area to show: stop rather
    // than go on to an area below 1 m2.
    if (depth < 0.0)
        return stop(effects, msg::NegativeDepth);
    return HornZone{*nearSlant, *farSlant, depth, edgeDeg};
}

// Lateral half-width over the range and the count along the room length,
// shared by the wall and both horns.
double halfSpanOf(double range, double dirRad)
{
    return roundDown(range * std::sin(dirRad / 2.0)) + 1.0;
}

double alongCountOf(double roomL, double halfSpan)
{
    return roundDown(roomL / (2.0 * halfSpan)) + 1.0;
}

Coverage hornCoverage(const GeometryInputs &in, double coverS, ZoneFigures zone)
{
    const double halfSpan = halfSpanOf(in.range, in.dirRad);
    return Coverage{coverS, alongCountOf(in.roomL, halfSpan), std::nullopt, halfSpan, zone};
}

} // namespace

GeometryInputs geometryInputs(const CalcState &state, double dropH)
{
    GeometryInputs in;
    in.mountH = state.mountH;
    in.listenH = state.listenH;
    in.dropH = dropH;
    in.dirRad = state.dirRad;
    in.vDirDeg = state.vDirDeg;
    in.vDirRad = state.vDirRad;
    in.tiltDeg = state.tiltDeg;
    in.tiltRad = state.tiltRad;
    in.range = state.range;
    in.roomL = state.roomL;
    return in;
}

// A circle under the loudspeaker whose edge lies on the cone of half-angle
// dirRad / 2.
std::optional<Coverage> ceilingCoverage(const GeometryInputs &in, Effects &effects)
{
    if (mountedTooLow(in))
        return stop(effects, msg::CeilingTooLow);
    const double slant = in.dropH / std::cos(in.dirRad / 2.0);
    if (in.range < slant)
        return stop(effects, msg::NotEnough);
    const double radius = slant * std::sin(in.dirRad / 2.0);
    const double coverS = roundDown(Pi * radius * radius) + 1.0;
    const double alongCount = roundDown(in.roomL / (2.0 * radius)) + 1.0;
    ZoneFigures zone;
    zone.radius = radius;
    return Coverage{coverS, alongCount, std::nullopt, std::nullopt, zone};
}

// A circular sector of opening dirRad in front of the wall; its radius is
// the horizontal reach of the range.
std::optional<Coverage> wallCoverage(const GeometryInputs &in, Effects &effects)
{
    if (mountedTooLow(in))
        return stop(effects, msg::MountTooLow);
    if (in.dropH > in.range)
        return stop(effects, msg::NotEnough);
    const double range = roundDown(std::sqrt(in.range * in.range - in.dropH * in.dropH));
    const double coverS = roundDown(Pi * range * range * in.dirRad / 6.283) + 1.0;
    const double halfSpan = halfSpanOf(range, in.dirRad);
    return Coverage{coverS, alongCountOf(in.roomL, halfSpan), range, halfSpan, ZoneFigures{}};
}

// An ellipse with the semi-axes depth / 2 and farHalfW / 2. The far reach is
// not limited to the range.
std::optional<Coverage> roundHornCoverage(const GeometryInputs &in, Effects &effects)
{
    const auto zone = hornZone(in, effects);
    if (!zone)
        return std::nullopt;
    const double c = std::cos(in.dirRad / 2.0);
    double farHalfW = 0.0;
    if (c > 0.0) {
        const double farReach = zone->farSlant / c;
        farHalfW = farReach * std::sin(in.dirRad / 2.0);
    }
    const double coverS = roundDown(Pi * (zone->depth / 2.0) * (farHalfW / 2.0)) + 1.0;
    ZoneFigures figures;
    figures.nearSlant = zone->nearSlant;
    figures.farSlant = zone->farSlant;
    figures.edgeDeg = zone->edgeDeg;
    figures.farHalfW = farHalfW;
    return hornCoverage(in, coverS, figures);
}

// A trapezium of height depth whose parallel sides are the beam's widths at
// the far and the near edge, each side distance limited to the range.
std::optional<Coverage> squareHornCoverage(const GeometryInputs &in, Effects &effects)
{
    const auto zone = hornZone(in, effects);
    if (!zone)
        return std::nullopt;
    const double c = std::cos(in.dirRad / 2.0);
    double farSide = 0.0;
    double nearSide = 0.0;
    if (c > 0.0) {
        farSide = std::min(zone->farSlant / c, in.range);
        nearSide = std::min(zone->nearSlant / c, in.range);
    }
    const double s = std::sin(in.dirRad / 2.0);
    const double coverS = roundDown((2.0 * s * farSide + 2.0 * s * nearSide) * zone->depth / 2.0) + 1.0;
    ZoneFigures figures;
    figures.nearSlant = zone->nearSlant;
    figures.farSlant = zone->farSlant;
    figures.edgeDeg = zone->edgeDeg;
    figures.nearSide = nearSide;
    figures.farSide = farSide;
    return hornCoverage(in, coverS, figures);
}

std::optional<Coverage> mountingCoverage(Mounting mounting, const GeometryInputs &in, Effects &effects)
{
    switch (mounting) {
    case Mounting::Ceiling: return ceilingCoverage(in, effects);
    case Mounting::Wall: return wallCoverage(in, effects);
    case Mounting::RoundHorn: return roundHornCoverage(in, effects);
    case Mounting::SquareHorn: return squareHornCoverage(in, effects);
    }
    return std::nullopt;
}

double loudspeakerCount(double roomArea, double coverS, double alongCount, double previousCount)
{
    double count = coverS > 0.0 ? roundDown(roomArea / coverS) + 1.0 : previousCount;
    // A pasted negative area would give no loudspeaker or fewer than none.
    if (count < 1.0)
        count = 1.0;
    if (alongCount > count)
        count = alongCount;
    return count;
}

bool hasFiniteArea(const Coverage &coverage)
{
    return std::isfinite(coverage.coverS) && (!coverage.range || std::isfinite(*coverage.range))
        && (!coverage.halfSpan || std::isfinite(*coverage.halfSpan));
}

} // namespace calc
