#pragma once

#include "layout.h"
#include "zones.h"

#include "calc/shape.h"
#include "widgets/drawing.h"

#include <QChar>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <variant>
#include <vector>

// The plan's content as drawing primitives in metres on the floor's
// coordinates, each on its layer: what the DXF drawing holds entity by
// entity and what the painter draws of the room, its zones and walls. The
// parts of the screen that depend on pixels (the markers' thinning, the
// numbers placed clear of each other, the floor's tint, the level's colours
// and contours, the grid, the dimension lines set off from the walls by
// pixels, the scale bar and the legends) are the painter's own.
namespace plan {

struct PlanScene;

namespace dxf {
// The layers, named as the DXF drawing names them.
inline const QString RoomLayer = QStringLiteral("ПОМЕЩЕНИЕ");
inline const QString LoudspeakerLayer = QStringLiteral("ГРОМКОГОВОРИТЕЛИ");
inline const QString ZoneLayer = QStringLiteral("ЗОНЫ");
inline const QString DimensionLayer = QStringLiteral("РАЗМЕРЫ");
inline const QString TitleLayer = QStringLiteral("НАДПИСИ"); // only in a drawing with a title
} // namespace dxf

// What the plan is drawn from: the room, its loudspeakers and their zone.
struct PlanContent {
    double length = 0.0; // m, along X
    double width = 0.0;  // m, along Y
    // A room of any shape: its outline on its floor's coordinates, which
    // the whole drawing then takes; empty or the plain rectangle: the
    // rectangle length x width from the origin.
    calc::Shape shape;
    std::vector<Placement> placements;
    ZoneForm zone;
    QChar decimalPoint = u'.'; // in the dimension texts
    // Whose plan it is (the object, the room, its floor, the date), for a
    // room written from a project; empty for none.
    QString title;
};

// The content of a scene, with title as its title.
PlanContent planContent(const PlanScene &scene, const QString &title = {});

namespace geometry {

inline constexpr double MarkRadius = 0.1;    // m, the circle of a loudspeaker
inline constexpr double NumberHeight = 0.25; // m, the loudspeaker's number

// The primitives are the shared drawing's (widgets/drawing.h).
using drawing::Across;
using drawing::Along;
using drawing::Circle;
using drawing::Polyline;
using drawing::Primitive;
using drawing::Text;

} // namespace geometry

struct PlanGeometry {
    // In drawing order: the room, the zones, each loudspeaker's circle and
    // number, the dimension texts, the title.
    std::vector<geometry::Primitive> primitives;
    // The room's extent: the rectangle, or its outline's bounds.
    QRectF extent;
    // The height of the dimension texts and the title, m.
    double textHeight = 0.0;

    std::vector<geometry::Polyline> polylines(const QString &layer) const;
    std::vector<geometry::Circle> circles(const QString &layer) const;
    std::vector<geometry::Text> texts(const QString &layer) const;
};

// Whether the content draws an outline rather than the rectangle.
bool outlined(const PlanContent &content);

// The room as one closed polyline: its outline's corners, or the
// rectangle's from the origin.
geometry::Polyline roomOutline(const PlanContent &content);

// Each loudspeaker's zone cut to the room, in the placements' order: a
// circle for a disc that lies wholly inside, else the closed polyline of
// its outline (zoneOutline); none for a zone with no area inside the room.
std::vector<geometry::Primitive> zonePrimitives(const PlanContent &content);

// The whole plan: the room, the zones, each loudspeaker as a circle of
// MarkRadius at its position with its number (1, 2, … in the placements'
// order) up and right of it, the length and width as texts beside the walls
// Y = 0 and X = 0 (an outline's extent along X and Y beside its bounds), and
// the title, where there is one, above the far side.
PlanGeometry planGeometry(const PlanContent &content);

} // namespace plan
