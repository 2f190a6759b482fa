#pragma once

#include "layout.h"
#include "zones.h"

#include <QtGlobal>
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

struct FloorCoverage {
    CellGrid grid;
    // One byte per cell, row by row from Y = 0, each row from X = 0:
    // 1 for a covered cell, 0 for an uncovered one.
    std::vector<quint8> covered;
    qint64 coveredCells = 0;

    // The covered share of the floor in per cent; 0 for a room without cells.
    double percent() const;
    bool isCovered(int column, int row) const
    {
        return covered[std::size_t(row) * grid.columns + column] != 0;
    }
};

// Marks the cells of each zone: for every cell row inside the zone's
// bounding box, the stretch of the zone on the row's centre line covers the
// cells whose centres fall in it. The work grows with the zones' area, not
// with cells times zones.
FloorCoverage floorCoverage(double length, double width, const ZoneForm &form,
                            const std::vector<Placement> &placements);

} // namespace plan
