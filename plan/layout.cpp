#include "layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace plan {

namespace {

// Grid sizes beyond this are never laid out; keeping them below it lets
// every size convert to a whole number safely.
constexpr double SizeCeiling = 1e12;

// Relative slack for sizes that meet a limit exactly: a room of 6 m with
// discs of 1.2 m diameter takes 5 of them, although 6 / 1.2 comes out a
// little above 5 in binary arithmetic.
constexpr double Slack = 1e-9;

bool isRoom(double length, double width)
{
    return std::isfinite(length) && std::isfinite(width) && length > 0.0 && width > 0.0;
}

// The least whole number not below value, forgiving rounding noise; at
// least 1, and infinite for an infinite value.
double wholeAboveUnbounded(double value)
{
    if (!std::isfinite(value))
        return value > 0.0 ? value : 1.0;
    return std::max(1.0, std::ceil(value - Slack * std::max(1.0, value)));
}

// The same, below SizeCeiling, as a grid size.
qint64 wholeAbove(double value)
{
    return qint64(std::min(wholeAboveUnbounded(value), SizeCeiling));
}

// Counts that doubles hold exactly: beyond this a grid's count is not
// worked out to the loudspeaker.
constexpr double ExactCounts = 9007199254740992.0; // 2^53

// The most rows the search for the grid without gaps tries when it works
// out a count beyond the plan's limit; a room that needs more only gets a
// lower bound.
constexpr double MaxSearchedRows = 1e6;

// A count that may exceed every number: the largest double stands for it,
// as a lower bound.
Need needOf(double count)
{
    if (std::isfinite(count))
        return {count, false};
    return {std::numeric_limits<double>::max(), true};
}

std::optional<GridSize> gridOf(double columns, double rows)
{
    return GridSize{wholeAbove(columns), wholeAbove(rows)};
}

bool validRadius(double radius)
{
    return std::isfinite(radius) && radius > 0.0;
}

// Whether a grid leaves no point uncovered by discs of diameter d (d2 = d^2).
bool coversAll(double length, double width, qint64 columns, qint64 rows, double d2)
{
    const double dx = length / double(columns);
    const double dy = width / double(rows);
    return dx * dx + dy * dy <= d2 * (1.0 + Slack);
}

// Whether grid a is preferred to grid b of the same count.
bool preferred(double length, double width, const GridSize &a, const GridSize &b)
{
    const double spreadA = std::abs(length / double(a.columns) - width / double(a.rows));
    const double spreadB = std::abs(length / double(b.columns) - width / double(b.rows));
    const double tolerance = Slack * std::max(length, width);
    if (spreadA < spreadB - tolerance)
        return true;
    if (spreadB < spreadA - tolerance)
        return false;
    return a.columns < b.columns;
}

} // namespace

std::vector<Arrangement> arrangementsFor(calc::Mounting mounting)
{
    if (mounting == calc::Mounting::Ceiling)
        return {Arrangement::Rows, Arrangement::NoGaps, Arrangement::EdgeToEdge, Arrangement::FullOverlap};
    return {Arrangement::OneWall, Arrangement::TwoWalls};
}

QString arrangementName(Arrangement arrangement)
{
    switch (arrangement) {
    case Arrangement::Rows: return QStringLiteral("рядами");
    case Arrangement::NoGaps: return QStringLiteral("без пропусков");
    case Arrangement::EdgeToEdge: return QStringLiteral("край к краю");
    case Arrangement::FullOverlap: return QStringLiteral("с полным перекрытием");
    case Arrangement::OneWall: return QStringLiteral("на одной стене");
    case Arrangement::TwoWalls: return QStringLiteral("на двух стенах");
    }
    return QString();
}

bool isGrid(Arrangement arrangement)
{
    return arrangement == Arrangement::NoGaps || arrangement == Arrangement::EdgeToEdge
        || arrangement == Arrangement::FullOverlap;
}

int rowCount(double length, double width, int count)
{
    if (count < 1)
        return 1;
    const double exact = std::sqrt(double(count) * width / length);
    if (!std::isfinite(exact))
        return exact > 0.0 ? count : 1;
    // Halves go up: floor(x + 1/2).
    const double rounded = std::floor(exact + 0.5);
    return int(std::clamp(rounded, 1.0, double(count)));
}

std::vector<Placement> rowsLayout(double length, double width, int count)
{
    std::vector<Placement> placements;
    if (count < 1)
        return placements;
    placements.reserve(std::size_t(count));
    const int rows = rowCount(length, width, count);
    const int fuller = count % rows; // rows holding one loudspeaker more
    const int base = count / rows;
    for (int j = 0; j < rows; ++j) {
        const int inRow = base + (j < fuller ? 1 : 0);
        const double y = (j + 0.5) * width / rows;
        for (int i = 0; i < inRow; ++i)
            placements.push_back({QPointF((i + 0.5) * length / inRow, y), Side::Ceiling});
    }
    return placements;
}

namespace {

// The grid without gaps with the fewest loudspeakers among those of at most
// bound of them; see noGapsGrid.
std::optional<GridSize> searchNoGaps(double length, double width, double radius, double bound)
{
    if (!validRadius(radius) || !isRoom(length, width))
        return std::nullopt;
    const double d = 2.0 * radius;
    const double d2 = d * d;
    // Each spacing alone must stay below the diameter, which bounds both
    // sizes from below.
    const qint64 leastColumns = wholeAbove(length / d);
    const qint64 leastRows = wholeAbove(width / d);
    if (double(leastColumns) * double(leastRows) > bound)
        return std::nullopt;

    std::optional<GridSize> best; // no better grid has more loudspeakers than bound
    for (qint64 rows = leastRows; double(rows) * double(leastColumns) <= bound; ++rows) {
        const double dy = width / double(rows);
        const double rest = d2 - dy * dy;
        if (rest <= 0.0)
            continue;
        // The fewest columns for this many rows: the smallest whole number
        // that meets the limit, checked against the limit itself.
        qint64 columns = std::max(leastColumns, wholeAbove(length / std::sqrt(rest)));
        while (columns > 1 && coversAll(length, width, columns - 1, rows, d2))
            --columns;
        while (!coversAll(length, width, columns, rows, d2) && double(columns) * double(rows) <= bound)
            ++columns;
        const GridSize candidate{columns, rows};
        if (candidate.count() > bound || !coversAll(length, width, columns, rows, d2))
            continue;
        if (!best || candidate.count() < best->count()
            || (candidate.count() == best->count() && preferred(length, width, candidate, *best))) {
            best = candidate;
            bound = candidate.count();
        }
    }
    return best;
}

} // namespace

std::optional<GridSize> noGapsGrid(double length, double width, double radius)
{
    return searchNoGaps(length, width, radius, MaxLoudspeakers);
}

Need noGapsNeed(double length, double width, double radius)
{
    if (!validRadius(radius) || !isRoom(length, width))
        return {};
    // The count does not depend on which side is which: the search runs
    // along the shorter one, which needs the fewest rows tried.
    const double longer = std::max(length, width);
    const double shorter = std::min(length, width);
    const double d = 2.0 * radius;
    // Square cells of side d / sqrt(2) always leave no gap, so the best grid
    // has at most as many loudspeakers as they do.
    const double side = d / std::sqrt(2.0);
    const double square = wholeAboveUnbounded(longer / side) * wholeAboveUnbounded(shorter / side);
    const double rowsToTry = wholeAboveUnbounded(2.0 * shorter / d);
    if (square <= ExactCounts && rowsToTry <= MaxSearchedRows && longer / side < SizeCeiling) {
        if (const std::optional<GridSize> grid = searchNoGaps(longer, shorter, radius, square))
            return {grid->count(), false};
    }
    const double leastGrid = wholeAboveUnbounded(longer / d) * wholeAboveUnbounded(shorter / d);
    // Shaved a little so that rounding never makes the bound too high.
    const double area = std::floor(2.0 * (longer / d) * (shorter / d) * (1.0 - Slack));
    return {needOf(std::max(leastGrid, area)).count, true};
}

std::optional<GridSize> edgeToEdgeGrid(double length, double width, double radius)
{
    if (!validRadius(radius) || !isRoom(length, width))
        return std::nullopt;
    return gridOf(length / (2.0 * radius), width / (2.0 * radius));
}

std::optional<GridSize> fullOverlapGrid(double length, double width, double radius)
{
    if (!validRadius(radius) || !isRoom(length, width))
        return std::nullopt;
    return gridOf(length / radius, width / radius);
}

std::vector<Placement> gridLayout(double length, double width, const GridSize &grid)
{
    std::vector<Placement> placements;
    if (grid.columns < 1 || grid.rows < 1 || grid.count() > MaxLoudspeakers)
        return placements;
    placements.reserve(std::size_t(grid.columns * grid.rows));
    for (qint64 j = 0; j < grid.rows; ++j) {
        const double y = (double(j) + 0.5) * width / double(grid.rows);
        for (qint64 i = 0; i < grid.columns; ++i)
            placements.push_back(
                {QPointF((double(i) + 0.5) * length / double(grid.columns), y), Side::Ceiling});
    }
    return placements;
}

std::vector<Placement> wallLayout(double length, double width, int count, bool twoWalls)
{
    std::vector<Placement> placements;
    if (count < 1)
        return placements;
    placements.reserve(std::size_t(count));
    const int near = twoWalls ? (count + 1) / 2 : count;
    const int far = count - near;
    for (int i = 0; i < near; ++i)
        placements.push_back({QPointF((i + 0.5) * length / near, 0.0), Side::NearWall});
    for (int i = 0; i < far; ++i)
        placements.push_back({QPointF((i + 0.5) * length / far, width), Side::FarWall});
    return placements;
}

namespace {

// The count of a grid of discs edge to edge or one radius apart, beyond
// the sizes a grid is laid out at.
Need spacedGridNeed(double length, double width, double radius, Arrangement arrangement)
{
    const double spacing = arrangement == Arrangement::EdgeToEdge ? 2.0 * radius : radius;
    const double count = wholeAboveUnbounded(length / spacing) * wholeAboveUnbounded(width / spacing);
    return needOf(count);
}

} // namespace

Layout layOut(Arrangement arrangement, double length, double width, double radius, double asked)
{
    Layout layout;
    if (!isRoom(length, width))
        return layout;
    // The count asked for as a whole number of at least one loudspeaker, and
    // as many of them as a plan holds.
    layout.needed = needOf(std::isnan(asked) ? 1.0 : std::max(1.0, std::round(asked)));
    const int count = int(std::min(layout.needed.count, double(MaxLoudspeakers)));
    const double unbounded = std::numeric_limits<double>::infinity();

    // The pitch of a grid-like layout: the smaller of its spacings along
    // each direction that holds more than one loudspeaker.
    const auto pitchOf = [&](qint64 alongX, double spacingX, qint64 alongY, double spacingY) {
        double pitch = unbounded;
        if (alongX > 1)
            pitch = std::min(pitch, spacingX);
        if (alongY > 1)
            pitch = std::min(pitch, spacingY);
        return std::isfinite(pitch) ? pitch : std::max(length, width);
    };

    switch (arrangement) {
    case Arrangement::Rows: {
        layout.placements = rowsLayout(length, width, count);
        const int rows = rowCount(length, width, count);
        const int fullest = (count + rows - 1) / rows;
        layout.pitch = pitchOf(fullest, length / fullest, rows, width / rows);
        break;
    }
    case Arrangement::NoGaps:
    case Arrangement::EdgeToEdge:
    case Arrangement::FullOverlap: {
        if (!validRadius(radius)) {
            layout.needed = {};
            break;
        }
        const std::optional<GridSize> grid = arrangement == Arrangement::NoGaps
            ? noGapsGrid(length, width, radius)
            : arrangement == Arrangement::EdgeToEdge ? edgeToEdgeGrid(length, width, radius)
                                                     : fullOverlapGrid(length, width, radius);
        if (!grid || grid->count() > MaxLoudspeakers) {
            layout.tooMany = true;
            layout.needed = arrangement == Arrangement::NoGaps
                ? noGapsNeed(length, width, radius)
                : spacedGridNeed(length, width, radius, arrangement);
            break;
        }
        layout.needed = {grid->count(), false};
        layout.placements = gridLayout(length, width, *grid);
        layout.pitch
            = pitchOf(grid->columns, length / double(grid->columns), grid->rows, width / double(grid->rows));
        break;
    }
    case Arrangement::OneWall:
    case Arrangement::TwoWalls: {
        const bool two = arrangement == Arrangement::TwoWalls;
        layout.placements = wallLayout(length, width, count, two);
        const int near = two ? (count + 1) / 2 : count;
        layout.pitch = pitchOf(near, length / near, two && count > 1 ? 2 : 1, width);
        break;
    }
    }
    return layout;
}

Placement wallPlacement(QPointF position, QPointF facing, Side side)
{
    if (facing.x() == 0.0 && facing.y() == 1.0)
        return {position, Side::NearWall, QPointF()};
    if (facing.x() == 0.0 && facing.y() == -1.0)
        return {position, Side::FarWall, QPointF()};
    return {position, side, facing};
}

namespace {

// Whether a unit vector is +Y or -Y within rounding: then exactly that.
QPointF snapped(QPointF facing)
{
    constexpr double Tolerance = 1e-9;
    if (std::abs(facing.x()) < Tolerance && std::abs(std::abs(facing.y()) - 1.0) < Tolerance)
        return QPointF(0.0, facing.y() > 0.0 ? 1.0 : -1.0);
    return facing;
}

} // namespace

Placement placementToFloor(const Placement &local, const calc::Axes &axes)
{
    const QPointF at = axes.toFloor(local.position);
    if (local.side == Side::Ceiling)
        return {at, Side::Ceiling, QPointF()};
    return wallPlacement(at, snapped(axes.directionToFloor(local.facing())), local.side);
}

Placement placementToLocal(const Placement &floor, const calc::Axes &axes)
{
    const QPointF at = axes.toLocal(floor.position);
    if (floor.side == Side::Ceiling)
        return {at, Side::Ceiling, QPointF()};
    const QPointF f = floor.facing();
    return wallPlacement(at,
                         snapped(QPointF(f.x() * axes.along.x() + f.y() * axes.along.y(),
                                         f.x() * axes.across.x() + f.y() * axes.across.y())),
                         floor.side);
}

} // namespace plan
