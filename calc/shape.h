#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

// The floor of a room: a simple polygon in metres, in the coordinates of
// the floor it stands on. A room without an outline is the rectangle
// length x width with its corner at the origin, as the main window's
// calculation sees every room.
namespace calc {

// The room's own axes: the minimum-area rectangle that encloses its
// outline. Local coordinates run 0 .. length along the main axis (x) and
// 0 .. width across it (y); the frame is right-handed, so that an outline
// counter-clockwise on the floor stays counter-clockwise in it.
struct Axes {
    QPointF origin;                 // the rectangle's corner at local (0, 0)
    QPointF along = QPointF(1, 0);  // unit vector of the main axis (local x)
    QPointF across = QPointF(0, 1); // unit vector across it (local y), along turned by +90 degrees
    double length = 0.0;            // the rectangle's side along the main axis
    double width = 0.0;             // its side across

    QPointF toFloor(QPointF local) const { return origin + local.x() * along + local.y() * across; }
    QPointF toLocal(QPointF floor) const
    {
        const QPointF d = floor - origin;
        return QPointF(d.x() * along.x() + d.y() * along.y(), d.x() * across.x() + d.y() * across.y());
    }
    // A direction (not a point) of the local frame on the floor.
    QPointF directionToFloor(QPointF local) const { return local.x() * along + local.y() * across; }
    // The main axis's angle to the floor's X axis, degrees, in (-90, 90].
    double angleDegrees() const;
    // Whether the frame is the floor's own (no turn, no shift).
    bool isIdentity() const;
};

class Shape {
public:
    // An empty shape: no area, contains nothing.
    Shape() = default;
    // The rectangle length x width with its corner at the origin; its axes
    // are the floor's own, length along X even where width is the larger.
    static Shape rectangle(double length, double width);
    // A shape of an outline that checkOutline accepts; a clockwise outline
    // is reversed, so that outline() is always counter-clockwise.
    static Shape fromOutline(std::vector<QPointF> outline);

    // The corners, counter-clockwise, the first not repeated at the end.
    const std::vector<QPointF> &outline() const { return m_outline; }
    // Whether the shape is the rectangle of a room without an outline.
    bool isPlainRectangle() const { return m_plainRectangle; }
    bool isEmpty() const { return m_outline.size() < 3; }

    double area() const { return m_area; }
    double perimeter() const;
    QRectF bounds() const;
    const Axes &axes() const { return m_axes; }
    // The room's length and width: the sides of its axes' rectangle.
    double length() const { return m_axes.length; }
    double width() const { return m_axes.width; }

    // Whether the point lies inside or on the outline.
    bool contains(QPointF point) const;
    // The edges, each from a corner to the next counter-clockwise, so that
    // the room lies to the left of every edge.
    std::vector<QLineF> edges() const;
    // The point of the outline nearest to point, and its distance.
    QPointF nearestOnOutline(QPointF point) const;
    double distanceToOutline(QPointF point) const;

    // The same shape in the local frame of its axes (its corners given by
    // Axes::toLocal), with the identity as its axes.
    Shape inLocalFrame() const;

    bool operator==(const Shape &other) const { return m_outline == other.m_outline; }

private:
    std::vector<QPointF> m_outline;
    double m_area = 0.0;
    Axes m_axes;
    bool m_plainRectangle = false;
};

// Why an outline cannot be a room's floor.
enum class OutlineFault {
    None,
    NotFinite,    // a coordinate that is not a finite number of at most OutlineCoordinateLimit
    TooFewPoints, // fewer than 3 distinct points
    TooSmall,     // an area under OutlineLeastArea
    SelfCrossing, // two edges meet anywhere but at their shared corner
};

inline constexpr double OutlineCoordinateLimit = 1e7; // m
inline constexpr double OutlineLeastArea = 0.01;      // m2

OutlineFault checkOutline(const std::vector<QPointF> &outline);
// The reason as a room's message says it: "контур пересекает сам себя" and
// the others.
QString outlineFaultText(OutlineFault fault);

// The signed area of a polygon: positive counter-clockwise.
double signedArea(const std::vector<QPointF> &outline);

// Whether the closed segments a-b and c-d share a point.
bool segmentsMeet(QPointF a, QPointF b, QPointF c, QPointF d);
// The convex hull, counter-clockwise, collinear points left out.
std::vector<QPointF> convexHull(std::vector<QPointF> points);
// The minimum-area rectangle enclosing the points (rotating calipers over
// their convex hull): its longer side is the main axis; of rectangles of
// equal area, the one whose main axis turns least from the X axis.
Axes minimumAreaRectangle(const std::vector<QPointF> &points);

} // namespace calc
