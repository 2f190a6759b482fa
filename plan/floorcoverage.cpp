#include "floorcoverage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plan {

CellGrid cellGrid(double length, double width)
{
    CellGrid grid;
    if (!(std::isfinite(length) && std::isfinite(width) && length > 0.0 && width > 0.0))
        return grid;
    const double longer = std::max(length, width);
    const double shorter = std::min(length, width);
    const double across = std::floor(CellsAlongLongerSide * shorter / longer + 0.5);
    const int shortCount = int(std::clamp(across, 1.0, double(CellsAlongLongerSide)));
    grid.columns = length >= width ? CellsAlongLongerSide : shortCount;
    grid.rows = length >= width ? shortCount : CellsAlongLongerSide;
    grid.cellWidth = length / grid.columns;
    grid.cellHeight = width / grid.rows;
    return grid;
}

double FloorCoverage::percent() const
{
    const qint64 all = cellsOfFloor();
    return all > 0 ? 100.0 * double(coveredCells) / double(all) : 0.0;
}

FloorCoverage floorCoverage(double length, double width, const ZoneForm &form,
                            const std::vector<Placement> &placements)
{
    FloorCoverage result;
    result.grid = cellGrid(length, width);
    const CellGrid &grid = result.grid;
    if (grid.cells() == 0)
        return result;
    result.covered.assign(std::size_t(grid.cells()), 0);
    if (form.shape == ZoneShape::None)
        return result;

    for (const Placement &placement : placements) {
        forZoneCells(grid, form, placement, [&](qint64 row, qint64 first, qint64 last) {
            quint8 *line = result.covered.data() + row * grid.columns;
            std::memset(line + first, 1, std::size_t(last - first + 1));
        });
    }
    result.coveredCells = qint64(std::count(result.covered.begin(), result.covered.end(), quint8(1)));
    return result;
}

std::vector<quint8> insideCells(const CellGrid &grid, const calc::Shape &localShape)
{
    std::vector<quint8> inside(std::size_t(grid.cells()), 0);
    const std::vector<QLineF> edges = localShape.edges();
    std::vector<double> crossings;
    for (int row = 0; row < grid.rows; ++row) {
        const double y = (row + 0.5) * grid.cellHeight;
        // The outline's crossings of the row's centre line, as
        // calc::Shape::contains counts them; the centres between each
        // pair lie inside.
        crossings.clear();
        for (const QLineF &edge : edges) {
            const QPointF a = edge.p1();
            const QPointF b = edge.p2();
            if ((a.y() > y) != (b.y() > y))
                crossings.push_back(a.x() + (y - a.y()) * (b.x() - a.x()) / (b.y() - a.y()));
        }
        std::sort(crossings.begin(), crossings.end());
        quint8 *line = inside.data() + std::size_t(row) * grid.columns;
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const qint64 first
                = std::max<qint64>(0, firstCentreFrom(crossings[i], grid.cellWidth, grid.columns));
            const qint64 last = std::min<qint64>(
                grid.columns - 1, lastCentreUpTo(crossings[i + 1], grid.cellWidth, grid.columns));
            if (first <= last)
                std::memset(line + first, 1, std::size_t(last - first + 1));
        }
        // Centres on an edge along the row's centre line belong to the
        // floor as well, as calc::Shape::contains has it.
        const bool edgeAlong = std::any_of(edges.begin(), edges.end(), [y](const QLineF &edge) {
            return edge.p1().y() == y && edge.p2().y() == y;
        });
        for (int column = 0; edgeAlong && column < grid.columns; ++column) {
            if (!line[column] && localShape.contains(QPointF((column + 0.5) * grid.cellWidth, y)))
                line[column] = 1;
        }
    }
    return inside;
}

namespace {

// Whether an outline in its own axes is the whole rectangle of its length
// and width: four corners and the rectangle's area, to rounding.
bool fillsItsAxes(const calc::Shape &local)
{
    const double rectangle = local.length() * local.width();
    return local.outline().size() == 4 && rectangle > 0.0
        && std::abs(local.area() - rectangle) <= 1e-9 * rectangle;
}

} // namespace

FloorCoverage floorCoverage(const calc::Shape &shape, const ZoneForm &form,
                            const std::vector<Placement> &placements)
{
    if (shape.isPlainRectangle() || shape.isEmpty())
        return floorCoverage(shape.length(), shape.width(), form, placements);
    const calc::Shape local = shape.inLocalFrame();
    if (fillsItsAxes(local)) {
        // A rectangle drawn as an outline (most rooms of a floor plan):
        // every cell's centre lies inside, so the rectangle's own count in
        // the shape's axes is the whole answer, without testing cells.
        std::vector<Placement> inLocal;
        inLocal.reserve(placements.size());
        for (const Placement &placement : placements)
            inLocal.push_back(placementToLocal(placement, shape.axes()));
        FloorCoverage result = floorCoverage(local.length(), local.width(), form, inLocal);
        result.shaped = true;
        result.axes = shape.axes();
        result.floorCells = result.grid.cells();
        return result;
    }
    FloorCoverage result;
    result.shaped = true;
    result.axes = shape.axes();
    result.grid = cellGrid(local.length(), local.width());
    const CellGrid &grid = result.grid;
    if (grid.cells() == 0)
        return result;
    result.covered = insideCells(grid, local);
    result.floorCells = qint64(std::count(result.covered.begin(), result.covered.end(), quint8(1)));
    // Inside cells start uncovered (0), outside ones are marked so.
    for (quint8 &cell : result.covered)
        cell = cell ? 0 : OutsideCell;
    if (form.shape != ZoneShape::None) {
        for (const Placement &placement : placements) {
            forZoneCells(grid, form, placementToLocal(placement, result.axes),
                         [&](qint64 row, qint64 first, qint64 last) {
                             quint8 *line = result.covered.data() + row * grid.columns;
                             for (qint64 c = first; c <= last; ++c)
                                 line[c] = line[c] == OutsideCell ? OutsideCell : quint8(1);
                         });
        }
    }
    result.coveredCells = qint64(std::count(result.covered.begin(), result.covered.end(), quint8(1)));
    return result;
}

} // namespace plan
