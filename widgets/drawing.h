#pragma once

#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <variant>

// Drawing primitives in metres on a floor's coordinates, each on its named
// layer: what a DXF drawing holds entity by entity and what a painter draws
// of rooms, zones and loudspeakers. A room's plan and a whole floor are
// made of the same primitives, so that both are drawn and written alike.
namespace drawing {

// A line through points, each corner once; a closed one returns from the
// last to the first.
struct Polyline {
    QString layer;
    QPolygonF points;
    bool closed = true;
};

struct Circle {
    QString layer;
    QPointF centre;
    double radius = 0.0;
};

// How a text lies against its anchor, as the DXF's groups 72 and 73 say it.
enum class Along { Left = 0, Centre = 1 };
enum class Across { Baseline = 0, Top = 3 };

struct Text {
    QString layer;
    QString text;
    QPointF anchor;
    double height = 0.0; // m
    double angle = 0.0;  // radians, counter-clockwise from X
    Along along = Along::Left;
    Across across = Across::Baseline;
};

using Primitive = std::variant<Polyline, Circle, Text>;

} // namespace drawing
