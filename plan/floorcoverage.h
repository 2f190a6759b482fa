#pragma once

#include "layout.h"
#include "zones.h"

#include "calc/shape.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <vector>

// How much of the room's floor the zones cover, counted on a grid of cells:
// a cell is covered when its centre lies in at least one zone.
namespace plan {

// Cells along the room's longer side.
inline constexpr int CellsAlongLongerSide = 1000;

// The cells of a room: CellsAlongLongerSide along the longer side and as
// many of that size as fit along the shorter one (rounded to the nearest
// whole number, halves up, at least 1), then stretched to fill the room.
struct CellGrid {
    int columns = 0;         // along X
    int rows = 0;            // along Y
    double cellWidth = 0.0;  // length / columns
    double cellHeight = 0.0; // width / rows

    qint64 cells() const { return qint64(columns) * rows; }
};

CellGrid cellGrid(double length, double width);

// The cell of a room of any shape whose centre lies outside its outline.
inline constexpr quint8 OutsideCell = 2;

// One byte per cell of the grid, row by row: 1 where the cell's centre lies
// inside the outline (or on it) of a shape given in the grid's own frame,
// 0 where it does not.
std::vector<quint8> insideCells(const CellGrid &grid, const calc::Shape &localShape);

struct FloorCoverage {
    CellGrid grid;
    // One byte per cell, row by row from Y = 0, each row from X = 0:
    // 1 for a covered cell, 0 for an uncovered one, OutsideCell for a cell
    // of a room of any shape that lies outside its outline.
    std::vector<quint8> covered;
    qint64 coveredCells = 0;
    // A room of any shape: its cells lie in its own axes (the grid over
    // their rectangle), floorCells of them inside the outline.
    bool shaped = false;
    calc::Axes axes;
    qint64 floorCells = 0;

    // The cells of the floor: all of the rectangle's, or those inside the
    // outline.
    qint64 cellsOfFloor() const { return shaped ? floorCells : grid.cells(); }
    // The covered share of the floor in per cent; 0 for a room without cells.
    double percent() const;
    bool isCovered(int column, int row) const
    {
        return covered[std::size_t(row) * grid.columns + column] == 1;
    }
};

// The first index whose cell centre (index + 1/2) * size is not below
// value, and the last whose centre is not above it, within -1 .. count;
// the caller clamps them to the cells. A value that is not a number
// selects no cell.
inline qint64 firstCentreFrom(double value, double size, qint64 count)
{
    const double index = std::ceil(value / size - 0.5);
    return std::isnan(index) ? count : qint64(std::clamp(index, -1.0, double(count)));
}

inline qint64 lastCentreUpTo(double value, double size, qint64 count)
{
    const double index = std::floor(value / size - 0.5);
    return std::isnan(index) ? -1 : qint64(std::clamp(index, -1.0, double(count)));
}

// Calls visit(row, first, last) for every row of cells the zone of the
// placement holds centres of, first .. last the columns of those centres.
template <typename Visit>
void forZoneCells(const CellGrid &grid, const ZoneForm &form, const Placement &placement, Visit visit)
{
    const QRectF bounds = zoneBounds(form, placement);
    const qint64 firstRow = std::max<qint64>(0, firstCentreFrom(bounds.top(), grid.cellHeight, grid.rows));
    const qint64 lastRow
        = std::min<qint64>(grid.rows - 1, lastCentreUpTo(bounds.bottom(), grid.cellHeight, grid.rows));
    for (qint64 row = firstRow; row <= lastRow; ++row) {
        const double y = (double(row) + 0.5) * grid.cellHeight;
        double left = 0.0;
        double right = 0.0;
        if (!zoneSpan(form, placement, y, left, right))
            continue;
        const qint64 first = std::max<qint64>(0, firstCentreFrom(left, grid.cellWidth, grid.columns));
        const qint64 last
            = std::min<qint64>(grid.columns - 1, lastCentreUpTo(right, grid.cellWidth, grid.columns));
        if (first <= last)
            visit(row, first, last);
    }
}

// Marks the cells of each zone: for every cell row inside the zone's
// bounding box, the stretch of the zone on the row's centre line covers the
// cells whose centres fall in it. The work grows with the zones' area, not
// with cells times zones.
FloorCoverage floorCoverage(double length, double width, const ZoneForm &form,
                            const std::vector<Placement> &placements);

// The coverage of a room of any shape, its placements on its floor: the
// plain rectangle as above; otherwise the cells of its axes' rectangle,
// those outside the outline left out of every share.
FloorCoverage floorCoverage(const calc::Shape &shape, const ZoneForm &form,
                            const std::vector<Placement> &placements);

} // namespace plan
