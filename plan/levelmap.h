#pragma once

#include "calc/calcstate.h"
#include "calc/shape.h"
#include "floorcoverage.h"
#include "layout.h"

#include <QChar>
#include <QLineF>
#include <QPointF>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

// The level of the direct sound of all loudspeakers of a plan on the
// listening plane, cell by cell, and what a drawing and a summary need of
// it.
//
// Each loudspeaker stands at its plan position dropH above the plane. A
// ceiling loudspeaker points straight down; one on a wall points into the
// room at right angles to its wall, tilted down from the horizontal by the
// tilt. At distance r (in space) and with directivity D one loudspeaker
// gives Li = splTotal - 20 lg max(r, 1 m) + D, and the levels add as
// powers, L = 10 lg sum 10^(Li / 10).
//
// D (dB) is never below -40, and -40 behind the loudspeaker, where the
// point's component along the axis is 0 or less. Ceiling and wall
// loudspeakers: D = 20 n lg cos(theta), theta between the axis and the
// direction to the point, n = lg 0.5 / lg cos(dirDeg / 2), so that the level
// is 6 dB down at half the directivity angle. Horns: D = 20 (nh lg cos(th) +
// nv lg cos(tv)), th and tv the angles between the axis and the direction's
// projections onto the axis's horizontal plane (which holds the direction
// along the wall) and onto its vertical plane; nh from dirDeg, nv from
// vDirDeg. Angles in degrees become radians with calc::degreesToRadians, as
// everywhere in the calculation.
namespace plan {

struct LevelInputs {
    calc::Mounting mounting = calc::Mounting::Ceiling;
    double splTotal = 0.0; // the loudspeaker's level 1 m away on its axis, dB
    double dirDeg = 90.0;  // horizontal directivity, the whole opening, degrees
    double vDirDeg = 90.0; // vertical directivity, degrees (horns)
    double tiltDeg = 0.0;  // wall and horns: the axis below the horizontal, degrees
    double dropH = 0.0;    // loudspeaker above the listening plane, m
    double length = 0.0;   // room along X, m
    double width = 0.0;    // room along Y, m
    // Where each loudspeaker hangs; its side decides which way it points
    // (a Ceiling placement points down whatever the mounting).
    std::vector<Placement> placements;
    // A room of any shape (not the plain rectangle): the map covers the
    // rectangle of its axes in its own frame instead of length x width,
    // the placements given on its floor; cells outside the outline get no
    // level.
    calc::Shape shape;
};

// Whether the inputs describe a map: a room with cells, at least one
// loudspeaker, finite figures, directivities above 0 and up to 180 degrees
// and a height not below 0.
bool hasLevelMap(const LevelInputs &inputs);

// The mirror images a plan is of itself: across the middle of the cells'
// length (each loudspeaker at x has one of the same side at length - x),
// and across the middle of their width (each at y has one at width - y,
// a near wall's on the far wall and the other way round), each to within
// a billionth of the room, with no loudspeaker on a turned wall and the
// floor (inside: 1 for the cells of a shaped room's floor, empty for a
// rectangle) the same either way. The laws depend on an offset along X
// only through its square, and a far wall's law is the near wall's turned
// about, so that every level and every STI is then the one at the image
// point, and a map need only be computed for the first half of the
// columns, or of the rows, or a quarter of the cells. The arrangements
// that take a count lay a rectangle's loudspeakers out mirrored across
// its length, and across its width where the rows, or the two walls, hold
// as many. placements: in the frame of the cells. A plan of tens of
// thousands of loudspeakers is taken as mirrored neither way.
struct Mirrors {
    bool acrossLength = false; // x -> length - x
    bool acrossWidth = false;  // y -> width - y
};
Mirrors planMirrors(const CellGrid &grid, const std::vector<Placement> &placements,
                    const std::vector<quint8> &inside = {});

// The level at one point of the plane from every loudspeaker, summed in
// full; NaN where the inputs describe no map.
double levelAt(const LevelInputs &inputs, QPointF point);

// The directivity D (dB, -40 .. 0) of one loudspeaker of the inputs' mounting,
// placed so, toward a point of the plane.
double directivityAt(const LevelInputs &inputs, const Placement &placement, QPointF point);

// The same law as a power factor, 10^(D / 10), set up once for the many
// points of a map (directivityAt sets it up on every call).
class DirectivityLaw {
public:
    explicit DirectivityLaw(const LevelInputs &inputs);
    ~DirectivityLaw();
    DirectivityLaw(DirectivityLaw &&) noexcept;
    DirectivityLaw &operator=(DirectivityLaw &&) noexcept;

    double factor(const Placement &placement, QPointF point) const;

private:
    struct Law;
    std::unique_ptr<Law> m_law;
};

// The level at the centre of every cell of cellGrid(length, width).
struct LevelMap {
    CellGrid grid;
    std::vector<double> levels; // dB, row by row from Y = 0, each row from X = 0; NaN off the floor
    // A room of any shape: the cells lie in its own axes, and inside marks
    // those of its floor (1) among the cells of the axes' rectangle.
    bool shaped = false;
    calc::Axes axes;
    std::vector<quint8> inside;
    // How many loudspeakers a cell's sum took on average; the rest were
    // left out as too far to matter.
    double termsPerCell = 0.0;

    double at(int column, int row) const { return levels[std::size_t(row) * grid.columns + column]; }
    QPointF cellCentre(int column, int row) const
    {
        return QPointF((column + 0.5) * grid.cellWidth, (row + 0.5) * grid.cellHeight);
    }
};

// The greatest change of a cell's level that leaving loudspeakers out of
// its sum may cause.
inline constexpr double LevelMapTolerance = 0.05; // dB

// Computes the map. A cell's sum leaves out loudspeakers only when their
// powers together are provably at most (10^(LevelMapTolerance / 10) - 1)
// times the power summed, so that no cell differs from the full sum by
// more than LevelMapTolerance: the loudspeakers are grouped in a tree of
// boxes, and for each block of cells a box counts with the most its
// loudspeakers could give any cell of the block (nearest distance and
// widest directivity).
//
// threads: how many threads share the rows of blocks (0: one per core).
// cancel: when it becomes true the computation stops soon after and gives
// no value. Safe to call from any thread. No value also where hasLevelMap
// is false or a level is not finite.
std::optional<LevelMap> levelMap(const LevelInputs &inputs, const std::atomic<bool> *cancel = nullptr,
                                 int threads = 0);

// The map's cells a block at a time, each level exactly as levelMap gives
// it (the same blocks, the same loudspeakers summed): for figures that
// need only some of the cells. The cells are those of levelMap (a shaped
// room's in its own axes). The law, the cells and the table of powers are
// set up once; the loudspeakers can change. Not safe to share between
// threads.
class MapBlocks {
public:
    // The cells along each side of a block.
    static constexpr int Size = 8;

    // The room, the loudspeaker's law and the loudspeakers of inputs
    // (which hasLevelMap accepts but for the placements).
    explicit MapBlocks(const LevelInputs &inputs);
    ~MapBlocks();
    MapBlocks(const MapBlocks &) = delete;
    MapBlocks &operator=(const MapBlocks &) = delete;

    // The loudspeakers, placed on the floor as in LevelInputs. Once cancel
    // is set the placing stops early, and the blocks are not to be
    // computed.
    void setPlacements(const std::vector<Placement> &placements, const std::atomic<bool> *cancel = nullptr);

    const CellGrid &grid() const;
    // A shaped room: 1 for the cells of its floor; empty for a rectangle.
    const std::vector<quint8> &inside() const;

    // The levels (dB) of the block whose first cell is (firstColumn,
    // firstRow), both multiples of Size, into out row by row, each row
    // min(Size, columns - firstColumn) long; the levels of cells off the
    // floor are computed too. Returns how many loudspeakers were summed.
    int levels(int firstColumn, int firstRow, double *out) const;

private:
    struct Computation;
    std::unique_ptr<Computation> m_computation;
};

// The level above which a cell counts as too loud.
inline constexpr double LoudestAllowed = 120.0; // dB

struct LevelSummary {
    double lowest = 0.0;        // A, dB
    double highest = 0.0;       // B, dB
    double spread = 0.0;        // C = B - A, dB
    double requiredShare = 0.0; // E: cells at or above the required level, per cent
    double tooLoudShare = 0.0;  // F: cells above LoudestAllowed, per cent
};

// The figures of a map with at least one cell, over the cells of the floor.
LevelSummary summarize(const LevelMap &map, double requiredLevel);

// "Уровень звука: от A до B дБ, разброс C дБ. Не ниже D дБ: E % площади.
// Выше 120 дБ: F % площади." with A, B and C to one decimal, the shares E
// and F as calc::formatShare writes them and D, the required level, whole,
// all with decimalPoint.
QString levelSummaryText(const LevelSummary &summary, double requiredLevel, QChar decimalPoint);

// The contour line of a level through the map, as segments in plan metres
// between the cell centres (marching squares, the crossing on each cell
// side placed by linear interpolation; a square whose corners alternate
// above and below is split as the mean of its corners decides).
std::vector<QLineF> contourSegments(const LevelMap &map, double level);

} // namespace plan
