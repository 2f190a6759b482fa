#include "floorcoverage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plan {

namespace {

// The first index whose cell centre (index + 1/2) * size is not below
// value, and the last whose centre is not above it, within -1 .. count;
// the caller clamps them to the cells. A value that is not a number
// selects no cell.
qint64 firstCentreFrom(double value, double size, qint64 count)
{
    const double index = std::ceil(value / size - 0.5);
    return std::isnan(index) ? count : qint64(std::clamp(index, -1.0, double(count)));
}

qint64 lastCentreUpTo(double value, double size, qint64 count)
{
    const double index = std::floor(value / size - 0.5);
    return std::isnan(index) ? -1 : qint64(std::clamp(index, -1.0, double(count)));
}

} // namespace

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
    const qint64 all = grid.cells();
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
        const QRectF bounds = zoneBounds(form, placement);
        const qint64 firstRow
            = std::max<qint64>(0, firstCentreFrom(bounds.top(), grid.cellHeight, grid.rows));
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
            if (first > last)
                continue;
            quint8 *line = result.covered.data() + row * grid.columns;
            std::memset(line + first, 1, std::size_t(last - first + 1));
        }
    }
    result.coveredCells = qint64(std::count(result.covered.begin(), result.covered.end(), quint8(1)));
    return result;
}

} // namespace plan
