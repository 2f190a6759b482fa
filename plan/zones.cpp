#include "zones.h"

#include <algorithm>
#include <cmath>

namespace plan {

namespace {

// Right angle of the true geometry; the sector's opening is measured in
// radians of calc::Pi, which only decide its width.
constexpr double RightAngle = 1.57079632679489661923;

bool positive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// The distance of y in front of the wall the loudspeaker hangs on.
double inFront(const Placement &placement, double y)
{
    switch (placement.side) {
    case Side::NearWall: return y - placement.position.y();
    case Side::FarWall: return placement.position.y() - y;
    case Side::Ceiling: break;
    }
    return 0.0;
}

// The Y of a distance in front of the loudspeaker's wall.
double wallY(const Placement &placement, double distance)
{
    return placement.side == Side::FarWall ? placement.position.y() - distance
                                           : placement.position.y() + distance;
}

// Half the width of the zone at distance t in front of the wall, or a
// negative number where the zone has no width there.
double halfWidthAt(const ZoneForm &form, double t)
{
    switch (form.shape) {
    case ZoneShape::None:
    case ZoneShape::Disc: break;
    case ZoneShape::Sector: {
        if (t < 0.0 || t > form.radius)
            return -1.0;
        const double chord = std::sqrt(form.radius * form.radius - t * t);
        if (form.halfAngle >= RightAngle)
            return chord;
        return std::min(chord, t * std::tan(form.halfAngle));
    }
    case ZoneShape::Ellipse: {
        const double semiAcross = (form.farDistance - form.nearDistance) / 2.0;
        const double centre = (form.nearDistance + form.farDistance) / 2.0;
        const double u = (t - centre) / semiAcross;
        if (t < 0.0 || !(std::abs(u) <= 1.0))
            return -1.0;
        return form.halfAlong * std::sqrt(1.0 - u * u);
    }
    case ZoneShape::Trapezium: {
        if (t < 0.0 || t < form.nearDistance || t > form.farDistance)
            return -1.0;
        const double depth = form.farDistance - form.nearDistance;
        if (!(depth > 0.0))
            return std::max(form.nearHalfWidth, form.farHalfWidth);
        const double share = (t - form.nearDistance) / depth;
        return form.nearHalfWidth + (form.farHalfWidth - form.nearHalfWidth) * share;
    }
    }
    return -1.0;
}

bool hasArea(const ZoneForm &form)
{
    switch (form.shape) {
    case ZoneShape::None: return false;
    case ZoneShape::Disc: return positive(form.radius);
    case ZoneShape::Sector: return positive(form.radius) && positive(form.halfAngle);
    case ZoneShape::Ellipse:
        return positive(form.halfAlong) && positive(form.farDistance - form.nearDistance)
            && std::isfinite(form.nearDistance) && form.farDistance > 0.0;
    case ZoneShape::Trapezium:
        return std::isfinite(form.nearDistance) && std::isfinite(form.farDistance)
            && form.farDistance >= form.nearDistance && form.farDistance > 0.0
            && std::isfinite(form.nearHalfWidth) && std::isfinite(form.farHalfWidth)
            && form.nearHalfWidth >= 0.0 && form.farHalfWidth >= 0.0
            && (form.nearHalfWidth > 0.0 || form.farHalfWidth > 0.0);
    }
    return false;
}

double horizontal(double slant, double dropH)
{
    const double squared = slant * slant - dropH * dropH;
    return squared > 0.0 ? std::sqrt(squared) : 0.0;
}

} // namespace

HornReach hornReach(const PlanFigures &figures)
{
    HornReach reach;
    reach.nearH = horizontal(figures.nearSlant, figures.dropH);
    reach.farH = horizontal(figures.farSlant, figures.dropH);
    reach.y0 = figures.edgeDeg > 90.0 ? -reach.nearH : reach.nearH;
    reach.y1 = reach.farH;
    return reach;
}

ZoneForm zoneForm(const PlanFigures &figures)
{
    ZoneForm form;
    switch (figures.mounting) {
    case calc::Mounting::Ceiling:
        form.shape = ZoneShape::Disc;
        form.radius = figures.radius;
        break;
    case calc::Mounting::Wall:
        form.shape = ZoneShape::Sector;
        form.radius = figures.range;
        form.halfAngle = figures.dirRad / 2.0;
        break;
    case calc::Mounting::RoundHorn: {
        const HornReach reach = hornReach(figures);
        form.shape = ZoneShape::Ellipse;
        form.nearDistance = reach.y0;
        form.farDistance = reach.y1;
        form.halfAlong = figures.farHalfW / 2.0;
        break;
    }
    case calc::Mounting::SquareHorn: {
        const HornReach reach = hornReach(figures);
        const double s = std::sin(figures.dirRad / 2.0);
        form.shape = ZoneShape::Trapezium;
        form.nearDistance = reach.y0;
        form.farDistance = reach.y1;
        form.nearHalfWidth = s * figures.nearSide;
        form.farHalfWidth = s * figures.farSide;
        break;
    }
    }
    if (!hasArea(form))
        form.shape = ZoneShape::None;
    return form;
}

bool zoneSpan(const ZoneForm &form, const Placement &placement, double y, double &left, double &right)
{
    if (!hasArea(form))
        return false;
    const double x = placement.position.x();
    double half = -1.0;
    if (form.shape == ZoneShape::Disc) {
        const double dy = y - placement.position.y();
        const double squared = form.radius * form.radius - dy * dy;
        if (squared >= 0.0)
            half = std::sqrt(squared);
    } else {
        half = halfWidthAt(form, inFront(placement, y));
    }
    if (!(half >= 0.0))
        return false;
    left = x - half;
    right = x + half;
    return true;
}

bool zoneContains(const ZoneForm &form, const Placement &placement, QPointF point)
{
    double left = 0.0;
    double right = 0.0;
    return zoneSpan(form, placement, point.y(), left, right) && point.x() >= left && point.x() <= right;
}

QRectF zoneBounds(const ZoneForm &form, const Placement &placement)
{
    if (!hasArea(form))
        return QRectF();
    const QPointF at = placement.position;
    if (form.shape == ZoneShape::Disc)
        return QRectF(at.x() - form.radius, at.y() - form.radius, 2.0 * form.radius, 2.0 * form.radius);

    // The zone in front of the wall: from its near edge (not behind the
    // wall) to its far edge, and as wide as its widest part.
    double nearEdge = 0.0;
    double farEdge = 0.0;
    double half = 0.0;
    switch (form.shape) {
    case ZoneShape::Sector:
        farEdge = form.radius;
        half = form.halfAngle >= RightAngle ? form.radius : form.radius * std::sin(form.halfAngle);
        break;
    case ZoneShape::Ellipse:
        nearEdge = std::max(0.0, form.nearDistance);
        farEdge = form.farDistance;
        half = form.halfAlong;
        break;
    case ZoneShape::Trapezium:
        nearEdge = std::max(0.0, form.nearDistance);
        farEdge = form.farDistance;
        half = std::max(form.nearHalfWidth, form.farHalfWidth);
        break;
    case ZoneShape::None:
    case ZoneShape::Disc: break;
    }
    const double y0 = wallY(placement, nearEdge);
    const double y1 = wallY(placement, farEdge);
    return QRectF(QPointF(at.x() - half, std::min(y0, y1)), QPointF(at.x() + half, std::max(y0, y1)));
}

} // namespace plan
