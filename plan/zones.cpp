#include "zones.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

// The stretch of X where a * X + b <= 0, intersected into [low, high].
void keepWhere(double a, double b, double &low, double &high)
{
    if (a > 0.0)
        high = std::min(high, -b / a);
    else if (a < 0.0)
        low = std::max(low, -b / a);
    else if (b > 0.0)
        high = -std::numeric_limits<double>::infinity();
}

// The stretch of a zone in front of a wall facing any way, along the line
// Y = y: with X = x - the loudspeaker's x, the distance in front of the wall
// is t = fx X + t0 and the distance along it s = fy X + s0; every bound of
// the zone is a half-plane in (t, s) or, for the ellipse and the circle of
// the sector, a quadratic, each an interval of X.
bool wallSpan(const ZoneForm &form, const Placement &placement, double y, double &left, double &right)
{
    const QPointF f = placement.normal;
    const double dy = y - placement.position.y();
    const double fx = f.x();
    const double t0 = f.y() * dy;
    const double sx = f.y();
    const double s0 = -f.x() * dy;
    double low = -std::numeric_limits<double>::infinity();
    double high = std::numeric_limits<double>::infinity();
    // (a X + b)^2 + (c X + d)^2 <= 1.
    const auto keepInside = [&](double a, double b, double c, double d) {
        const double qa = a * a + c * c;
        const double qb = 2.0 * (a * b + c * d);
        const double qc = b * b + d * d - 1.0;
        const double disc = qb * qb - 4.0 * qa * qc;
        if (!(qa > 0.0) || disc < 0.0) {
            high = -std::numeric_limits<double>::infinity();
            return;
        }
        const double root = std::sqrt(disc);
        low = std::max(low, (-qb - root) / (2.0 * qa));
        high = std::min(high, (-qb + root) / (2.0 * qa));
    };
    keepWhere(-fx, -t0, low, high); // t >= 0
    switch (form.shape) {
    case ZoneShape::None:
    case ZoneShape::Disc: return false;
    case ZoneShape::Sector:
        keepInside(fx / form.radius, t0 / form.radius, sx / form.radius, s0 / form.radius);
        if (form.halfAngle < RightAngle) {
            const double k = std::tan(form.halfAngle);
            keepWhere(sx - k * fx, s0 - k * t0, low, high);   // s <= t tan
            keepWhere(-sx - k * fx, -s0 - k * t0, low, high); // -s <= t tan
        }
        break;
    case ZoneShape::Ellipse: {
        const double semiAcross = (form.farDistance - form.nearDistance) / 2.0;
        const double centre = (form.nearDistance + form.farDistance) / 2.0;
        keepInside(fx / semiAcross, (t0 - centre) / semiAcross, sx / form.halfAlong, s0 / form.halfAlong);
        break;
    }
    case ZoneShape::Trapezium: {
        keepWhere(-fx, form.nearDistance - t0, low, high); // t >= near
        keepWhere(fx, t0 - form.farDistance, low, high);   // t <= far
        const double depth = form.farDistance - form.nearDistance;
        // |s| <= w0 + k (t - near)
        double k = 0.0;
        double w0 = std::max(form.nearHalfWidth, form.farHalfWidth);
        if (depth > 0.0) {
            k = (form.farHalfWidth - form.nearHalfWidth) / depth;
            w0 = form.nearHalfWidth - k * form.nearDistance;
        }
        keepWhere(sx - k * fx, s0 - k * t0 - w0, low, high);
        keepWhere(-sx - k * fx, -s0 - k * t0 - w0, low, high);
        break;
    }
    }
    if (!(low <= high))
        return false;
    left = placement.position.x() + low;
    right = placement.position.x() + high;
    return true;
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
    if (placement.isTurned() && form.shape != ZoneShape::Disc)
        return wallSpan(form, placement, y, left, right);
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
    if (placement.isTurned()) {
        // The box of the zone's rectangle in front of its wall, turned.
        const QPointF f = placement.normal;
        const QPointF along(f.y(), -f.x());
        double left = std::numeric_limits<double>::infinity();
        double top = left;
        double right = -left;
        double bottom = -left;
        for (const double t : {nearEdge, farEdge}) {
            for (const double s : {-half, half}) {
                const QPointF corner = at + t * f + s * along;
                left = std::min(left, corner.x());
                right = std::max(right, corner.x());
                top = std::min(top, corner.y());
                bottom = std::max(bottom, corner.y());
            }
        }
        return QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    const double y0 = wallY(placement, nearEdge);
    const double y1 = wallY(placement, farEdge);
    return QRectF(QPointF(at.x() - half, std::min(y0, y1)), QPointF(at.x() + half, std::max(y0, y1)));
}

} // namespace plan
