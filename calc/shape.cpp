#include "shape.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calc {

namespace {

constexpr double Pi = 3.14159265358979323846;

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

// The orientation of c seen from the line a -> b: positive to the left.
double orientation(QPointF a, QPointF b, QPointF c)
{
    return cross(b - a, c - a);
}

int sign(double value)
{
    return (value > 0.0) - (value < 0.0);
}

// Whether c, known to be collinear with a and b, lies on the segment a-b.
bool onSegment(QPointF a, QPointF b, QPointF c)
{
    return std::min(a.x(), b.x()) <= c.x() && c.x() <= std::max(a.x(), b.x())
        && std::min(a.y(), b.y()) <= c.y() && c.y() <= std::max(a.y(), b.y());
}

// The outline without a corner that repeats the one before it (the first
// counting as the one after the last).
std::vector<QPointF> withoutRepeats(const std::vector<QPointF> &outline)
{
    std::vector<QPointF> points;
    points.reserve(outline.size());
    for (const QPointF &p : outline) {
        if (points.empty() || points.back() != p)
            points.push_back(p);
    }
    while (points.size() > 1 && points.back() == points.front())
        points.pop_back();
    return points;
}

QPointF nearestOnSegment(QPointF a, QPointF b, QPointF p)
{
    const QPointF ab = b - a;
    const double length2 = dot(ab, ab);
    if (length2 <= 0.0)
        return a;
    const double t = std::clamp(dot(p - a, ab) / length2, 0.0, 1.0);
    return a + t * ab;
}

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

} // namespace

bool segmentsMeet(QPointF a, QPointF b, QPointF c, QPointF d)
{
    const int o1 = sign(orientation(a, b, c));
    const int o2 = sign(orientation(a, b, d));
    const int o3 = sign(orientation(c, d, a));
    const int o4 = sign(orientation(c, d, b));
    if (o1 != o2 && o3 != o4)
        return true;
    return (o1 == 0 && onSegment(a, b, c)) || (o2 == 0 && onSegment(a, b, d))
        || (o3 == 0 && onSegment(c, d, a)) || (o4 == 0 && onSegment(c, d, b));
}

double Axes::angleDegrees() const
{
    return std::atan2(along.y(), along.x()) * 180.0 / Pi;
}

bool Axes::isIdentity() const
{
    return origin == QPointF(0, 0) && along == QPointF(1, 0) && across == QPointF(0, 1);
}

Shape Shape::rectangle(double length, double width)
{
    Shape shape;
    shape.m_plainRectangle = true;
    shape.m_axes.length = length;
    shape.m_axes.width = width;
    if (!(std::isfinite(length) && std::isfinite(width) && length > 0.0 && width > 0.0))
        return shape;
    shape.m_outline = {QPointF(0, 0), QPointF(length, 0), QPointF(length, width), QPointF(0, width)};
    shape.m_area = length * width;
    return shape;
}

Shape Shape::fromOutline(std::vector<QPointF> outline)
{
    Shape shape;
    shape.m_outline = withoutRepeats(outline);
    if (shape.m_outline.size() < 3)
        return Shape();
    double area = signedArea(shape.m_outline);
    if (area < 0.0) {
        std::reverse(shape.m_outline.begin(), shape.m_outline.end());
        area = -area;
    }
    shape.m_area = area;
    shape.m_axes = minimumAreaRectangle(shape.m_outline);
    return shape;
}

double Shape::perimeter() const
{
    double sum = 0.0;
    for (const QLineF &edge : edges())
        sum += edge.length();
    return sum;
}

QRectF Shape::bounds() const
{
    if (isEmpty())
        return QRectF();
    double left = m_outline.front().x();
    double right = left;
    double top = m_outline.front().y();
    double bottom = top;
    for (const QPointF &p : m_outline) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

std::vector<QLineF> Shape::edges() const
{
    std::vector<QLineF> lines;
    if (isEmpty())
        return lines;
    lines.reserve(m_outline.size());
    for (std::size_t i = 0; i < m_outline.size(); ++i)
        lines.emplace_back(m_outline[i], m_outline[(i + 1) % m_outline.size()]);
    return lines;
}

bool Shape::contains(QPointF point) const
{
    if (isEmpty())
        return false;
    bool inside = false;
    const std::size_t n = m_outline.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const QPointF a = m_outline[j];
        const QPointF b = m_outline[i];
        // On the edge itself: inside.
        if (orientation(a, b, point) == 0.0 && onSegment(a, b, point))
            return true;
        if ((a.y() > point.y()) != (b.y() > point.y())) {
            const double x = a.x() + (point.y() - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
            if (point.x() < x)
                inside = !inside;
        }
    }
    return inside;
}

QPointF Shape::nearestOnOutline(QPointF point) const
{
    QPointF best = point;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const QLineF &edge : edges()) {
        const QPointF q = nearestOnSegment(edge.p1(), edge.p2(), point);
        const double d = distance(q, point);
        if (d < bestDistance) {
            bestDistance = d;
            best = q;
        }
    }
    return best;
}

double Shape::distanceToOutline(QPointF point) const
{
    return isEmpty() ? 0.0 : distance(nearestOnOutline(point), point);
}

Shape Shape::inLocalFrame() const
{
    if (m_plainRectangle || m_axes.isIdentity())
        return *this;
    Shape local;
    local.m_outline.reserve(m_outline.size());
    for (const QPointF &p : m_outline)
        local.m_outline.push_back(m_axes.toLocal(p));
    local.m_area = m_area;
    local.m_axes.length = m_axes.length;
    local.m_axes.width = m_axes.width;
    return local;
}

double signedArea(const std::vector<QPointF> &outline)
{
    if (outline.size() < 3)
        return 0.0;
    // Relative to the first corner, so that far-off coordinates keep their
    // precision.
    const QPointF base = outline.front();
    double twice = 0.0;
    for (std::size_t i = 1; i + 1 < outline.size(); ++i)
        twice += cross(outline[i] - base, outline[i + 1] - base);
    return twice / 2.0;
}

std::vector<QPointF> convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return points;
    // Andrew's monotone chain: the lower hull, then the upper one.
    std::vector<QPointF> hull(2 * points.size());
    std::size_t k = 0;
    for (const QPointF &p : points) {
        while (k >= 2 && orientation(hull[k - 2], hull[k - 1], p) <= 0.0)
            --k;
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        const QPointF p = points[i];
        while (k >= lower && orientation(hull[k - 2], hull[k - 1], p) <= 0.0)
            --k;
        hull[k++] = p;
    }
    hull.resize(k - 1);
    return hull;
}

namespace {

// The rectangle of one caliper position: direction u of a hull edge, the
// hull's extent along u and across it.
Axes axesOf(QPointF u, double minU, double maxU, double minV, double maxV)
{
    QPointF along = u;
    QPointF across(-u.y(), u.x());
    double minA = minU, maxA = maxU, minC = minV, maxC = maxV;
    // The longer side is the main axis; a square keeps the edge's direction.
    if (maxV - minV > (maxU - minU) * (1.0 + 1e-12)) {
        // along = across, across = -along keeps the frame right-handed.
        const QPointF oldAlong = along;
        along = across;
        across = -oldAlong;
        minA = minV;
        maxA = maxV;
        minC = -maxU;
        maxC = -minU;
    }
    // The main axis points into (-90, 90] degrees; turning both vectors by
    // half a turn keeps the frame right-handed.
    if (along.x() < 0.0 || (along.x() == 0.0 && along.y() < 0.0)) {
        along = -along;
        across = -across;
        std::swap(minA, maxA);
        minA = -minA;
        maxA = -maxA;
        std::swap(minC, maxC);
        minC = -minC;
        maxC = -maxC;
    }
    Axes axes;
    axes.along = along;
    axes.across = across;
    axes.length = maxA - minA;
    axes.width = maxC - minC;
    axes.origin = minA * along + minC * across;
    return axes;
}

} // namespace

Axes minimumAreaRectangle(const std::vector<QPointF> &points)
{
    const std::vector<QPointF> hull = convexHull(points);
    Axes best;
    if (hull.size() < 3) {
        if (!hull.empty())
            best.origin = hull.front();
        if (hull.size() == 2) {
            const QPointF d = hull[1] - hull[0];
            const double len = std::hypot(d.x(), d.y());
            best = axesOf(d / len, 0.0, len, 0.0, 0.0);
            best.origin = hull[0].x() <= hull[1].x() ? hull[0] : hull[1];
        }
        return best;
    }
    // Measured from the first hull point, so that far-off coordinates keep
    // their precision.
    const QPointF base = hull.front();
    const std::size_t n = hull.size();
    const auto at = [&](std::size_t i) { return hull[i % n] - base; };

    double bestArea = std::numeric_limits<double>::infinity();
    double bestTurn = std::numeric_limits<double>::infinity();
    // The three calipers: the farthest point along the edge, across it and
    // back along it. Each only moves forward as the edge turns.
    std::size_t farAlong = 0, farAcross = 0, farBack = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF e = at(i + 1) - at(i);
        const QPointF u = e / std::hypot(e.x(), e.y());
        const QPointF v(-u.y(), u.x());
        if (i == 0) {
            for (std::size_t j = 0; j < n; ++j) {
                if (dot(at(j), u) > dot(at(farAlong), u))
                    farAlong = j;
                if (dot(at(j), v) > dot(at(farAcross), v))
                    farAcross = j;
                if (dot(at(j), u) < dot(at(farBack), u))
                    farBack = j;
            }
        } else {
            for (std::size_t step = 0; step < n && dot(at(farAlong + 1), u) >= dot(at(farAlong), u); ++step)
                farAlong = (farAlong + 1) % n;
            for (std::size_t step = 0; step < n && dot(at(farAcross + 1), v) >= dot(at(farAcross), v); ++step)
                farAcross = (farAcross + 1) % n;
            for (std::size_t step = 0; step < n && dot(at(farBack + 1), u) <= dot(at(farBack), u); ++step)
                farBack = (farBack + 1) % n;
        }
        const double minU = dot(at(farBack), u);
        const double maxU = dot(at(farAlong), u);
        const double minV = dot(at(i), v);
        const double maxV = dot(at(farAcross), v);
        const double area = (maxU - minU) * (maxV - minV);
        Axes candidate = axesOf(u, minU, maxU, minV, maxV);
        const double turn = std::abs(candidate.angleDegrees());
        const double tolerance
            = 1e-9 * std::max(area, bestArea == std::numeric_limits<double>::infinity() ? area : bestArea);
        if (area < bestArea - tolerance || (area <= bestArea + tolerance && turn < bestTurn)) {
            bestArea = std::min(area, bestArea);
            bestTurn = turn;
            candidate.origin += base;
            best = candidate;
        }
    }
    return best;
}

OutlineFault checkOutline(const std::vector<QPointF> &outline)
{
    for (const QPointF &p : outline) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || std::abs(p.x()) > OutlineCoordinateLimit
            || std::abs(p.y()) > OutlineCoordinateLimit)
            return OutlineFault::NotFinite;
    }
    const std::vector<QPointF> points = withoutRepeats(outline);
    std::vector<QPointF> distinct = points;
    std::sort(distinct.begin(), distinct.end(),
              [](QPointF a, QPointF b) { return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y()); });
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (distinct.size() < 3)
        return OutlineFault::TooFewPoints;

    const std::size_t n = points.size();
    // A corner visited twice makes the outline touch itself.
    if (distinct.size() < n)
        return OutlineFault::SelfCrossing;
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF a = points[i];
        const QPointF b = points[(i + 1) % n];
        // Neighbouring edges meet at their corner only: one that turns back
        // along the other overlaps it.
        const QPointF c = points[(i + 2) % n];
        if (cross(b - a, c - b) == 0.0 && dot(b - a, c - b) < 0.0)
            return OutlineFault::SelfCrossing;
        for (std::size_t j = i + 2; j < n; ++j) {
            if (i == 0 && j == n - 1)
                continue; // the last edge is the first one's neighbour
            if (segmentsMeet(a, b, points[j], points[(j + 1) % n]))
                return OutlineFault::SelfCrossing;
        }
    }
    if (std::abs(signedArea(points)) < OutlineLeastArea)
        return OutlineFault::TooSmall;
    return OutlineFault::None;
}

QString outlineFaultText(OutlineFault fault)
{
    switch (fault) {
    case OutlineFault::None: return QString();
    case OutlineFault::NotFinite:
        return QStringLiteral(
            "координата контура не является конечным числом не больше 10000000 м по модулю");
    case OutlineFault::TooFewPoints: return QStringLiteral("в контуре меньше трех различных точек");
    case OutlineFault::TooSmall: return QStringLiteral("площадь контура меньше 0,01 м2");
    case OutlineFault::SelfCrossing: return QStringLiteral("контур пересекает сам себя");
    }
    return QString();
}

} // namespace calc
