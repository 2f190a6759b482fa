#pragma once

#include "calc/calcstate.h"
#include "calc/shape.h"

#include <QLineF>
#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

// Where the loudspeakers go on the listening plane of the room
// 0 <= X <= length, 0 <= Y <= width. Ceiling loudspeakers hang above any
// point; wall and horn loudspeakers hang on the wall Y = 0 facing +Y, or on
// the opposite wall Y = width facing -Y. A room of any shape is laid out in
// its own axes and placed on its floor: its wall loudspeakers may face any
// way.
namespace plan {

enum class Arrangement {
    Rows,        // the given count in rows (ceiling)
    NoGaps,      // the smallest grid that leaves no point uncovered (ceiling)
    EdgeToEdge,  // a grid of discs touching each other (ceiling)
    FullOverlap, // a grid at the spacing of one radius (ceiling)
    OneWall,     // the given count along the wall Y = 0
    TwoWalls,    // the given count shared between both long walls
};

// The arrangements offered for a mounting type, the default first.
std::vector<Arrangement> arrangementsFor(calc::Mounting mounting);

// The caption of an arrangement in the list.
QString arrangementName(Arrangement arrangement);

// Whether the arrangement decides the count itself.
bool isGrid(Arrangement arrangement);

// Where a loudspeaker hangs and which way it faces.
enum class Side {
    Ceiling,  // above the point, facing down
    NearWall, // on the wall Y = 0, facing +Y
    FarWall,  // on the wall Y = width, facing -Y
};

// In a room of any shape a wall may face any way: a wall loudspeaker then
// carries its wall's inward normal, and its side only tells the first wall
// of an arrangement (NearWall) from the one facing it (FarWall).
struct Placement {
    QPointF position;
    Side side = Side::Ceiling;
    // The inward normal (a unit vector) of a wall that faces neither +Y
    // nor -Y; (0, 0) otherwise.
    QPointF normal = QPointF();

    // Whether the loudspeaker hangs on a wall that faces neither +Y nor -Y.
    bool isTurned() const { return side != Side::Ceiling && !normal.isNull(); }
    // The way the loudspeaker faces on the plane: a unit vector, or
    // (0, 0) under the ceiling.
    QPointF facing() const
    {
        if (side == Side::Ceiling)
            return QPointF();
        if (!normal.isNull())
            return normal;
        return QPointF(0.0, side == Side::NearWall ? 1.0 : -1.0);
    }

    bool operator==(const Placement &) const = default;
};

// A wall loudspeaker at position facing the unit vector facing: NearWall or
// FarWall without a normal where it faces +Y or -Y exactly, otherwise with
// the normal and the side given.
Placement wallPlacement(QPointF position, QPointF facing, Side side = Side::NearWall);

// The placement moved by the frame: from the room's own axes onto its floor
// (toFloor) or back (toLocal). A wall's normal within 1e-9 of +Y or -Y in
// the result counts as that wall's, so that a turned rectangle's walls keep
// the quick paths of the coverage and the level map.
Placement placementToFloor(const Placement &local, const calc::Axes &axes);
Placement placementToLocal(const Placement &floor, const calc::Axes &axes);

// The most loudspeakers one plan holds; an arrangement that needs more is
// not laid out.
inline constexpr int MaxLoudspeakers = 100000;

// A grid of columns along X by rows along Y. The sizes are exact for any
// room; count() can exceed MaxLoudspeakers.
struct GridSize {
    qint64 columns = 0;
    qint64 rows = 0;

    double count() const { return double(columns) * double(rows); }
    bool operator==(const GridSize &) const = default;
};

// The number of rows for count loudspeakers in rows: sqrt(count * W / L)
// rounded to the nearest whole number, halves up, at least 1 and at most
// count.
int rowCount(double length, double width, int count);

// count loudspeakers in rows: the first count mod rows rows hold one more
// than the others; row j at Y = (j + 1/2) W / rows, the k loudspeakers of a
// row at X = (i + 1/2) L / k.
std::vector<Placement> rowsLayout(double length, double width, int count);

// The grid with the fewest loudspeakers whose cell diagonal is at most the
// disc's diameter, (L / columns)^2 + (W / rows)^2 <= (2 r)^2, so that discs
// of radius r at the cell centres leave no point uncovered. Among grids of
// equal count the one whose spacings along X and Y differ least wins, then
// the one with fewer columns. No value when the radius is not positive or
// the grid would need more than MaxLoudspeakers.
std::optional<GridSize> noGapsGrid(double length, double width, double radius);

// Discs touching each other: ceil(L / 2r) by ceil(W / 2r).
std::optional<GridSize> edgeToEdgeGrid(double length, double width, double radius);

// Discs one radius apart: ceil(L / r) by ceil(W / r).
std::optional<GridSize> fullOverlapGrid(double length, double width, double radius);

// The loudspeakers of a grid at the cell centres ((i + 1/2) L / columns,
// (j + 1/2) W / rows), row by row from Y = 0.
std::vector<Placement> gridLayout(double length, double width, const GridSize &grid);

// count loudspeakers on the wall Y = 0 at X = (i + 1/2) L / count; on two
// walls ceil(count / 2) of them there and floor(count / 2) on the wall
// Y = width, each wall spread the same way.
std::vector<Placement> wallLayout(double length, double width, int count, bool twoWalls);

// How many loudspeakers an arrangement needs, whether or not a plan holds
// them. atLeast: only a lower bound is known (a grid without gaps too large
// to search, or one whose count exceeds every number).
struct Need {
    double count = 0.0;
    bool atLeast = false;
};

// The loudspeakers of the grid with the fewest of them that leaves no gap,
// as noGapsGrid chooses it but without the limit of a plan; for a room far
// too large to search, the lower bound 2 L W / (2 r)^2 (no grid cell without
// gaps is larger than half the disc's diameter squared). Zero when the
// radius is not positive or the room has no area.
Need noGapsNeed(double length, double width, double radius);

// One arrangement laid out.
struct Layout {
    std::vector<Placement> placements;
    // The smallest distance between two neighbouring loudspeakers, to tell
    // whether their numbers fit beside them on a drawing; the longer room
    // side for a single loudspeaker.
    double pitch = 0.0;
    // The arrangement is a grid that needs more than MaxLoudspeakers: none
    // is placed.
    bool tooMany = false;
    // How many loudspeakers the arrangement needs: the grid's size, or the
    // count asked for as a whole number, at least 1.
    Need needed;

    // Fewer are placed than needed: a count above MaxLoudspeakers was asked
    // for, and MaxLoudspeakers of them are placed.
    bool limited() const { return !tooMany && needed.count > double(placements.size()); }
};

// The arrangement for a room of length x width: the grids from the ceiling
// radius, the others for count loudspeakers, rounded and brought into
// 1 .. MaxLoudspeakers here and nowhere else. Empty for a room without area.
Layout layOut(Arrangement arrangement, double length, double width, double radius, double count);

// The arrangement for a room of any shape, laid out in its own axes and
// placed on its floor. The plain rectangle is laid out as above. Otherwise:
// rows over the axes' rectangle, each position outside the outline moved
// to the nearest point inside, at least InsideClearance from the walls
// where the room allows; the grids over the axes' rectangle, their points
// inside the outline kept, and the grid without gaps then given one
// loudspeaker more at a time, at the centre of the largest patch of cells
// left uncovered, until none is; the walls on the longest straight edge,
// and the second wall on the longest edge facing it (inward normals at
// least 150 degrees apart; where there is none, the second longest edge),
// (i + 1/2) edge / count along each, facing the edge's inward normal.
Layout layOut(Arrangement arrangement, const calc::Shape &shape, double radius, double count);

inline constexpr double InsideClearance = 0.5; // m

// The wall edges the wall arrangements use, in the shape's own frame: the
// longest edge, and the one facing it (both from corner a to corner b in
// the direction of rising local X, so that loudspeakers are numbered the
// same way along both). second is false where the shape has one edge only.
struct WallEdges {
    QLineF first;
    QPointF firstNormal;
    QLineF second;
    QPointF secondNormal;
    bool hasSecond = false;
};
WallEdges wallEdges(const calc::Shape &localShape);
} // namespace plan
