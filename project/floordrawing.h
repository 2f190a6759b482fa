#pragma once

#include "calc/shape.h"
#include "widgets/drawing.h"

#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QtGlobal>
#include <vector>

class QPainter;
class QTransform;

// A whole floor of the building as it is drawn: its rooms with their
// outlines, verdicts, loudspeakers and zones over the architect's plan, in
// metres on the floor's coordinates (Y up, as a CAD drawing has it). Plain
// data: the window fills it from the project, the floor view paints it and
// the floor's DXF writer writes it.
namespace project {

// The project model's room id (ProjectModel's RoomId), kept here as the
// plain number it is so that the drawing needs no model.
using FloorRoomId = quint64;

// Whether the room's loudspeakers reach what its calculation asks: tinted
// green, red or grey.
enum class FloorVerdict { Met, Short, NoData };

// What the tints judge: the level the rules ask for, or the speech
// intelligibility (an STI of 0.50 or above on the target share of the
// floor).
enum class FloorTint { Level, Intelligibility };

struct FloorLoudspeaker {
    QPointF position; // m, floor coordinates
    int number = 0;   // within its room: 1, 2, …
};

struct FloorRoom {
    FloorRoomId id = 0;
    QString name;
    calc::Shape outline; // m, floor coordinates
    QString countText;   // shown under the name, e.g. "6"
    FloorVerdict verdict = FloorVerdict::NoData;
    QString model; // the loudspeaker's model
    QString line;  // the name of its line
    // Each loudspeaker's zone cut to the room: circles or closed polylines.
    std::vector<drawing::Primitive> zones;
    std::vector<FloorLoudspeaker> loudspeakers;
};

struct FloorDrawing {
    QString floor;
    std::vector<FloorRoom> rooms;
    // The architect's plan, any layers: drawn light grey underneath.
    std::vector<drawing::Polyline> background;
    // Shown in a corner of the view when not empty, e.g. that the plan's
    // file was not found.
    QString backgroundNote;
};

namespace floorplan {

inline constexpr double LoudspeakerRadius = 0.1; // m, the circle of a loudspeaker in the view
inline constexpr double NumberHeight = 0.25;     // m, a loudspeaker's number
inline constexpr double LeastLabelHeight = 0.2;  // m, a room's name and count
inline constexpr double MostLabelHeight = 1.5;   // m

// Where a room's name and count stand: the name's baseline just above
// point, the count's top just below it, both centred on it.
struct RoomLabel {
    QPointF point;       // m, floor coordinates
    double height = 0.0; // m, of each of the two lines
    double width = 0.0;  // m, the room's width across the point, centred on it
};

// The centre of the room's area, or where that falls outside the room (an
// L or a U), the middle of the widest run across the room at that height.
QPointF labelPoint(const calc::Shape &shape);

// The label of a room: at labelPoint, a quarter of the room's thickness
// (twice its area over its perimeter) high, kept between LeastLabelHeight
// and MostLabelHeight.
RoomLabel roomLabel(const calc::Shape &shape);

} // namespace floorplan

// How the floor is painted, beyond its transform.
struct FloorPaintOptions {
    bool hasSelection = false;
    FloorRoomId selected = 0;
};

// A floor prepared for painting and pointing: the bounds of every room,
// zone and background line and every room's label, found once, so that a
// paint draws only what lies in view and only the detail its scale shows.
// The transform given to the painting functions maps floor metres to the
// device (scale s px/m, Y turned down).
class FloorScene {
public:
    FloorScene() = default;
    explicit FloorScene(FloorDrawing drawing);

    const FloorDrawing &drawing() const { return m_drawing; }
    bool isEmpty() const { return m_extent.isEmpty(); }
    // Everything drawn: rooms, loudspeakers, zones and the background, m.
    QRectF extent() const { return m_extent; }
    // The room under the floor point (the last drawn of those, which is
    // on top), or -1.
    int roomAt(QPointF floorPoint) const;
    int indexOf(FloorRoomId id) const;
    QRectF roomBounds(int index) const { return m_rooms[std::size_t(index)].bounds; }
    const floorplan::RoomLabel &label(int index) const { return m_rooms[std::size_t(index)].label; }

    // The architect's plan in light grey over what the painter already
    // holds, the lines outside visible (floor metres) left out.
    void paintBackground(QPainter &painter, const QTransform &toDevice, const QRectF &visible) const;
    // The rooms over it: tints, zones, outlines, loudspeakers with their
    // numbers and the rooms' names and counts where they are large enough
    // to read.
    void paintRooms(QPainter &painter, const QTransform &toDevice, const QRectF &visible,
                    const FloorPaintOptions &options) const;
    // The selected room's outline, thick, over what is drawn.
    void paintSelection(QPainter &painter, const QTransform &toDevice, const QRectF &visible,
                        FloorRoomId id) const;

private:
    struct PreparedRoom {
        QRectF bounds; // the outline's, the loudspeakers' and the zones'
        QPolygonF outline;
        floorplan::RoomLabel label;
    };
    struct PreparedLine {
        QRectF bounds;
        const drawing::Polyline *line = nullptr;
    };

    FloorDrawing m_drawing;
    std::vector<PreparedRoom> m_rooms;
    std::vector<PreparedLine> m_background;
    QRectF m_extent;
};

} // namespace project
