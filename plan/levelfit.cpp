#include "levelfit.h"

#include "calc/numberformat.h"
#include "floorcoverage.h"
#include "powerpoints.h"
#include "speakertree.h"
#include "vectorclones.h"
#include "widgets/backgroundjobs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <thread>
#include <unordered_map>

namespace plan {

namespace {

using namespace speakers;

// The level map's law (see levelmap.h): 10^(-40 / 10) is the least
// directivity factor.
constexpr double FloorGain = 1e-4;

// Bounds are widened by this much, and the thresholds kept this far (in
// dB) from the map's own, so that the rounding of sums never tips a cell.
constexpr double BoundMargin = 1e-9;
constexpr double ThresholdMargin = 1e-6; // dB

// A layout of more ceiling loudspeakers than this has a block of the map
// that its bounds leave open computed whole rather than bounded cell by
// cell. A ceiling loudspeaker points down, so that a cell's sum takes only
// the nearest few of many and a block of the map is cheap, while its
// bounds must open many nodes of the tree; a wall loudspeaker's beam
// crosses the room, a block sums many of them, and bounds, which settle
// most of its cells, cost less (measured on the 200 x 100 m hall: 7.9 s
// against 26 s of processor time for 744 ceiling loudspeakers, 6.4 s
// against 3.1 s for 376 on two walls).
constexpr std::size_t DirectBlockLoudspeakers = 64;

// The room and the loudspeaker's law of inputs without its loudspeakers:
// what MapBlocks is set up with before they are placed.
LevelInputs withoutPlacements(const LevelInputs &inputs)
{
    LevelInputs room = inputs;
    room.placements.clear();
    return room;
}

// The summary's highest: a block whose bound is at most this factor above
// the power of the highest level found holds no cell more than 0.04 dB
// (within LevelMapTolerance) above it.
const double HighestSlack = std::pow(10.0, 0.04 / 10.0);

// How many times a hint block no longer wholly below the required level is
// split in four to find the parts of it that still are (see belowByHints).
constexpr int HintSplits = 2;

// The most blocks of one level a tally takes in the order of their bounds
// (see RoomTally::tally).
constexpr std::size_t MaxSortedLevel = 1 << 14;

// A block's bounds sum each of up to this many loudspeakers rather than
// walk their trees: the tree's nodes and their heap cost more than they
// save until the loudspeakers are many (measured with the ceiling and wall
// loudspeakers summed side by side, sumSingleAngle: the fit of the 200 x
// 100 m hall's two walls, up to 376 loudspeakers, took 0.32 s against
// 0.69 s with trees above 256; its ceiling, up to 744, 3.0 s with trees
// above 512 against 4.4 s summed one by one). A wall loudspeaker's beam
// crosses the room, so that a block takes the bounds of most of them
// whatever the tree, and the trees pay only well beyond (the fits of the
// 2 000 distinct rooms, two walls of up to 603 loudspeakers, took about
// 0.3 s less summed one by one).
constexpr std::size_t DirectSumLoudspeakers = 512;
constexpr std::size_t DirectSumWallLoudspeakers = 2048;

// From this many loudspeakers a fit keeps each block's sums of their runs
// from one count to the next (RoomTally::keepRunSums): below, summing them
// again costs less than finding the kept sums.
constexpr std::size_t RunSumLoudspeakers = 128;

constexpr double TenOverLn10 = 4.34294481903251827651;

double power(double decibels)
{
    return std::pow(10.0, decibels / 10.0);
}

struct Interval {
    double low = 0.0;
    double high = 0.0;
};

// x^p for 0 < x <= 1 and p >= 0, bracketed from a table instead of
// computed: the table holds x^p at the points whose bit patterns keep only
// the top mantissa bits, which lie about 2^-bits apart relative to x; x^p
// grows with x, so the points either side of x bracket it. bits is chosen
// so that the two ends differ by about 0.1 % (0.004 dB). An x below the
// table, or a table that would be too large, is left to std::pow. The
// tables are shared by every bracket of the same power (powerPoints).
class PowerBracket {
public:
    PowerBracket() = default;
    PowerBracket(double p, double lowest) : m_p(p)
    {
        if (!(std::isfinite(p) && p >= 0.0))
            return;
        lowest = std::max(lowest, 0x1p-24);
        const int bits = std::clamp(int(std::ceil(std::log2(1000.0 * std::max(1.0, p)))), 7, 20);
        m_shift = 52 - bits;
        m_first = std::bit_cast<std::uint64_t>(lowest) >> m_shift;
        const std::uint64_t last = (std::bit_cast<std::uint64_t>(1.0) >> m_shift) + 1;
        if (last - m_first + 1 > (std::uint64_t(1) << 18))
            return;
        m_lowest = std::bit_cast<double>(m_first << m_shift);
        m_table = powerPoints(p, m_shift, m_first, last - m_first + 1);
        m_points = m_table->data();
    }

    // The ends of the bracket: at most x^p, and at least x^p.
    double below(double x) const
    {
        if (!m_points || !(x >= m_lowest && x <= 1.0))
            return std::pow(x, m_p);
        return m_points[(std::bit_cast<std::uint64_t>(x) >> m_shift) - m_first];
    }
    double above(double x) const
    {
        if (!m_points || !(x >= m_lowest && x <= 1.0))
            return std::pow(x, m_p);
        return m_points[(std::bit_cast<std::uint64_t>(x) >> m_shift) - m_first + 1];
    }

    // The table as below() and above() read it: x^p at the table's
    // points, the point of x at index (bits of x >> shift) - first; none
    // where x is left to std::pow.
    struct Table {
        const double *points = nullptr;
        int shift = 0;
        std::uint64_t first = 0;
        double lowest = 2.0;
    };
    Table table() const { return {m_points, m_shift, m_first, m_lowest}; }

private:
    double m_p = 0.0;
    int m_shift = 0;
    std::uint64_t m_first = 0;
    double m_lowest = 2.0;
    std::shared_ptr<const std::vector<double>> m_table;
    const double *m_points = nullptr;
};

// The law of loudspeakers of a single angle (ceiling and wall ones) whose
// table of powers holds every squared cosine that counts: their bounds
// (GainBounds) are computed without branches, so that the processor's
// vector units take several loudspeakers at a time (the table's points
// gathered), and summed one after another, in the same order, so that
// the sums are the same to the last bit (sumSingleAngle).
struct SingleAngleLaw {
    double h;
    double h2;
    double floorCos2;
    PowerBracket::Table powers;
};

// The bounds of one loudspeaker of a single angle for the offsets dx0 ..
// dx1, dy0 .. dy1 in frame f: GainBounds's, the factors read from the
// table without branches.
[[gnu::always_inline]] inline Interval singleAngleBounds(const SingleAngleLaw &law, double dx0, double dx1,
                                                         double dy0, double dy1, const Frame &f)
{
    // nearestToZero without branches.
    const double mx = std::max(std::max(dx0, -dx1), 0.0);
    const double my = std::max(std::max(dy0, -dy1), 0.0);
    const double fx2 = std::max(dx0 * dx0, dx1 * dx1);
    const double fy2 = std::max(dy0 * dy0, dy1 * dy1);
    const double qLow = mx * mx + my * my + law.h2;
    const double qHigh = fx2 + fy2 + law.h2;
    const double a0 = dy0 * f.ay - law.h * f.az;
    const double a1 = dy1 * f.ay - law.h * f.az;
    const double alongHigh = std::max(a0, a1);
    const double alongLow = std::min(a0, a1);
    const double nearest = 1.0 / qLow;
    const double farthest = 1.0 / qHigh;
    const double cos2High = std::min(1.0, alongHigh * alongHigh * nearest);
    const double cos2Low = std::min(1.0, alongLow * alongLow * farthest);
    // The table's points of both, held inside it where the factor is
    // FloorGain anyway.
    const double *table = law.powers.points;
    const auto first = std::int64_t(law.powers.first);
    const double inHigh = std::max(cos2High, law.powers.lowest);
    const double inLow = std::max(cos2Low, law.powers.lowest);
    const double above
        = table[(std::int64_t(std::bit_cast<std::uint64_t>(inHigh) >> law.powers.shift) - first) + 1];
    const double below = table[std::int64_t(std::bit_cast<std::uint64_t>(inLow) >> law.powers.shift) - first];
    const bool highCounts = (alongHigh > 0.0) & (cos2High > law.floorCos2);
    const bool lowCounts = (alongLow > 0.0) & (cos2Low > law.floorCos2);
    const double high = highCounts ? std::max(above, FloorGain) : FloorGain;
    const double low = lowCounts ? std::max(below, FloorGain) : FloorGain;
    return {low * std::min(farthest, 1.0) * (1.0 - BoundMargin),
            high * std::min(nearest, 1.0) * (1.0 + BoundMargin)};
}

// Adds the bounds of count loudspeakers at points for the box x0 .. x1,
// y0 .. y1 of cell centres in frame f to sum, a piece of them at a time.
// The file fuses no product and sum (see CMakeLists.txt): both builds give
// the same bounds.
PLAN_VECTOR_CLONES void sumSingleAngle(const SingleAngleLaw &law, const QPointF *points, int count, double x0,
                                       double x1, double y0, double y1, const Frame &f, Interval &sum)
{
    constexpr int Piece = 256;
    double lows[Piece];
    double highs[Piece];
    for (int start = 0; start < count; start += Piece) {
        const int pieceCount = std::min(Piece, count - start);
        const QPointF *piece = points + start;
        for (int i = 0; i < pieceCount; ++i) {
            const Interval g = singleAngleBounds(law, x0 - piece[i].x(), x1 - piece[i].x(), y0 - piece[i].y(),
                                                 y1 - piece[i].y(), f);
            lows[i] = g.low;
            highs[i] = g.high;
        }
        for (int i = 0; i < pieceCount; ++i) {
            sum.low += lows[i];
            sum.high += highs[i];
        }
    }
}

// The least and the most one loudspeaker's power (relative to its level
// 1 m away on its axis) can be for any offset of a box, dx0 <= dx <= dx1,
// dy0 <= dy <= dy1: each factor of the law at its smallest and largest.
class GainBounds {
public:
    explicit GainBounds(const LevelInputs &inputs)
        : m_horn(inputs.mounting == calc::Mounting::RoundHorn
                 || inputs.mounting == calc::Mounting::SquareHorn),
          m_h(inputs.dropH),
          m_h2(inputs.dropH * inputs.dropH),
          m_n(directivityExponent(inputs.dirDeg)),
          m_nv(m_horn ? directivityExponent(inputs.vDirDeg) : 0.0),
          m_floorCos2(std::pow(FloorGain, 1.0 / m_n)),
          m_floorCos2V(m_horn ? std::pow(FloorGain, 1.0 / m_nv) : 0.0),
          m_powers(m_n, m_floorCos2),
          m_powersV(m_horn ? PowerBracket(m_nv, m_floorCos2V) : PowerBracket())
    {
        // The table holds every squared cosine above the floor: the
        // bounds are read from it without branches.
        const PowerBracket::Table table = m_powers.table();
        if (!m_horn && table.points && table.lowest <= m_floorCos2)
            m_singleAngle = SingleAngleLaw{m_h, m_h2, m_floorCos2, table};
    }

    // The most any single loudspeaker gives any point.
    double peak() const { return (1.0 + BoundMargin) / std::max(m_h2, 1.0); }

    // The law for sumSingleAngle, where operator() takes it: not a horn's,
    // and every squared cosine above the floor in the table.
    const std::optional<SingleAngleLaw> &singleAngleLaw() const { return m_singleAngle; }

    // Inlined where the trees are walked: returned from a call, the two
    // bounds went through memory and stalled the sums that take them.
    [[gnu::always_inline]] Interval operator()(double dx0, double dx1, double dy0, double dy1,
                                               const Frame &f) const
    {
        if (m_singleAngle)
            return singleAngleBounds(*m_singleAngle, dx0, dx1, dy0, dy1, f);
        const double mx = nearestToZero(dx0, dx1);
        const double my = nearestToZero(dy0, dy1);
        const double fx2 = std::max(dx0 * dx0, dx1 * dx1);
        const double fy2 = std::max(dy0 * dy0, dy1 * dy1);
        const double qLow = mx * mx + my * my + m_h2;
        const double qHigh = fx2 + fy2 + m_h2;
        const double a0 = dy0 * f.ay - m_h * f.az;
        const double a1 = dy1 * f.ay - m_h * f.az;
        const double alongHigh = std::max(a0, a1);
        const double alongLow = std::min(a0, a1);
        const double nearest = 1.0 / qLow;
        const double farthest = 1.0 / qHigh;
        double high = FloorGain;
        double low = FloorGain;
        if (!m_horn) {
            if (alongHigh > 0.0)
                high = factorAbove(std::min(1.0, alongHigh * alongHigh * nearest));
            if (alongLow > 0.0)
                low = factorBelow(std::min(1.0, alongLow * alongLow * farthest));
        } else {
            const double v0 = dy0 * f.vy - m_h * f.vz;
            const double v1 = dy1 * f.vy - m_h * f.vz;
            if (alongHigh > 0.0) {
                const double a2 = alongHigh * alongHigh;
                const double mv = nearestToZero(std::min(v0, v1), std::max(v0, v1));
                high = hornFactorAbove(a2 / (a2 + mx * mx), a2 / (a2 + mv * mv));
            }
            if (alongLow > 0.0) {
                const double a2 = alongLow * alongLow;
                const double fv2 = std::max(v0 * v0, v1 * v1);
                low = hornFactorBelow(a2 / (a2 + fx2), a2 / (a2 + fv2));
            }
        }
        return {low * std::min(farthest, 1.0) * (1.0 - BoundMargin),
                high * std::min(nearest, 1.0) * (1.0 + BoundMargin)};
    }

private:
    // One end of the directivity factor's bracket; where the law takes
    // FloorGain it is FloorGain.
    double factorAbove(double cos2) const
    {
        return cos2 > m_floorCos2 ? std::max(m_powers.above(cos2), FloorGain) : FloorGain;
    }
    double factorBelow(double cos2) const
    {
        return cos2 > m_floorCos2 ? std::max(m_powers.below(cos2), FloorGain) : FloorGain;
    }

    double hornFactorAbove(double cos2H, double cos2V) const
    {
        if (!(cos2H > m_floorCos2 && cos2V > m_floorCos2V))
            return FloorGain;
        return std::max(m_powers.above(cos2H) * m_powersV.above(cos2V), FloorGain);
    }
    double hornFactorBelow(double cos2H, double cos2V) const
    {
        if (!(cos2H > m_floorCos2 && cos2V > m_floorCos2V))
            return FloorGain;
        return std::max(m_powers.below(cos2H) * m_powersV.below(cos2V), FloorGain);
    }

    bool m_horn;
    double m_h;
    double m_h2;
    double m_n;
    double m_nv;
    double m_floorCos2;
    double m_floorCos2V;
    PowerBracket m_powers;
    PowerBracket m_powersV;
    std::optional<SingleAngleLaw> m_singleAngle;
};

// Cells first .. last - 1 along each direction.
struct Block {
    int c0, c1, r0, r1;
};

struct Box {
    double x0, x1, y0, y1;
};

// A block waiting for its tally, and the order it is taken in.
struct Pending {
    double key;
    Block block;
    // In or out counted already, as a part of a larger block split
    // further for the loud cells alone.
    bool counted = false;
};

// What the bounds settled of one layout.
struct Tally {
    qint64 floor = 0;       // the floor's cells
    qint64 in = 0;          // at or above the required level on the map, for sure
    qint64 out = 0;         // below it, for sure
    bool tooLoud = false;   // some cell above LoudestAllowed, for sure
    bool maybeLoud = false; // some cell not shown to be at or below it
    bool stoppedEarly = false;

    double lower() const { return floor > 0 ? 100.0 * double(in) / double(floor) : 0.0; }
    double upper() const { return floor > 0 ? 100.0 * double(floor - out) / double(floor) : 0.0; }
};

// When the tally of a layout may stop: share settled (no block needs
// splitting for the share), stop (nothing more is needed).
struct StopRule {
    double target = -1.0;     // the fit: the share against which counts are judged
    double resolution = -1.0; // shareBounds: the width of the share's bounds asked for
};

// A run of loudspeakers: points first .. first + count - 1 of a tree
// that stand on one line across the room (a row of the ceiling). From one
// count to the next the rows move only the row that takes one loudspeaker
// more, so that a block's sums of the others are those of the count before.
struct Run {
    int tree;
    int first;
    int count;
    int kind; // the RunKind of these points
};

// What makes runs the same: their tree's frame and turn, and their
// points, to the bit.
struct RunKind {
    Frame frame;
    bool isTurned;
    QPointF normal;
    std::vector<QPointF> points;
};

struct RunSum {
    int kind;
    Interval sum;
};

// The room's cells, the floor among them and the loudspeaker's law, for
// the tally of any layout in it.
class RoomTally {
public:
    // floor: the cells of a shaped room's floor where the caller has them
    // (as insideCells gives them).
    RoomTally(const LevelInputs &room, double requiredLevel, const std::vector<quint8> *floor = nullptr)
        : m_room(room),
          m_gains(room),
          m_directBlocks(room.mounting == calc::Mounting::Ceiling),
          m_requiredLevel(requiredLevel)
    {
        m_shaped = !room.shape.isEmpty() && !room.shape.isPlainRectangle();
        if (m_shaped) {
            m_axes = room.shape.axes();
            const calc::Shape local = room.shape.inLocalFrame();
            m_grid = cellGrid(local.length(), local.width());
            m_inside
                = floor && floor->size() == std::size_t(m_grid.cells()) ? *floor : insideCells(m_grid, local);
            const std::vector<quint8> &inside = m_inside;
            const std::size_t stride = std::size_t(m_grid.columns) + 1;
            m_floorTable.assign(stride * (std::size_t(m_grid.rows) + 1), 0);
            for (int row = 0; row < m_grid.rows; ++row) {
                qint32 line = 0;
                for (int column = 0; column < m_grid.columns; ++column) {
                    line += inside[std::size_t(row) * m_grid.columns + column] ? 1 : 0;
                    m_floorTable[(row + 1) * stride + column + 1]
                        = m_floorTable[row * stride + column + 1] + line;
                }
            }
        } else {
            m_grid = cellGrid(room.length, room.width);
        }
        const double spl = room.splTotal;
        m_in = power(requiredLevel + LevelMapTolerance + ThresholdMargin - spl);
        m_out = power(requiredLevel - ThresholdMargin - spl);
        m_quiet = power(LoudestAllowed - ThresholdMargin - spl);
        m_loud = power(LoudestAllowed + LevelMapTolerance + ThresholdMargin - spl);
    }

    const CellGrid &grid() const { return m_grid; }
    const GainBounds &gains() const { return m_gains; }
    bool shaped() const { return m_shaped; }
    // A shaped room's floor among its cells, for another tally of the
    // room; none for a rectangle.
    const std::vector<quint8> *floorMask() const { return m_shaped ? &m_inside : nullptr; }
    // Keep each block's sums of the loudspeakers' runs from one layout to
    // the next, for a fit whose counts move few runs at a time: a block's
    // bounds then sum afresh only the runs that moved.
    void keepRunSums() { m_keepRunSums = true; }
    // The powers (relative to the loudspeaker's level 1 m away on its
    // axis) at or above which a cell counts on the map for sure, below
    // which it does not, and beyond which it is too loud for sure.
    double inPower() const { return m_in; }
    double outPower() const { return m_out; }
    double loudPower() const { return m_loud; }

    // The floor's cells a block stands for: in a plan that is its own
    // mirror image across the middle of the room's length (or width), a
    // cell of the first half stands for itself and its image too, one on
    // the middle line for itself, and the second half is not tallied at
    // all.
    qint64 floorCells(const Block &b) const
    {
        std::array<Span, 2> columns;
        std::array<Span, 2> rows;
        const int columnSpans = spans(b.c0, b.c1, m_grid.columns, m_mirrors.acrossLength, columns);
        const int rowSpans = spans(b.r0, b.r1, m_grid.rows, m_mirrors.acrossWidth, rows);
        qint64 cells = 0;
        for (int i = 0; i < columnSpans; ++i) {
            for (int j = 0; j < rowSpans; ++j) {
                const Span &c = columns[std::size_t(i)];
                const Span &r = rows[std::size_t(j)];
                cells += c.weight * r.weight * cellsOfFloor({c.first, c.last, r.first, r.last});
            }
        }
        return cells;
    }

    // The floor's own cells in a block.
    qint64 cellsOfFloor(const Block &b) const
    {
        if (!m_shaped)
            return qint64(b.c1 - b.c0) * (b.r1 - b.r0);
        const std::size_t stride = std::size_t(m_grid.columns) + 1;
        return qint64(m_floorTable[b.r1 * stride + b.c1]) - m_floorTable[b.r0 * stride + b.c1]
            - m_floorTable[b.r1 * stride + b.c0] + m_floorTable[b.r0 * stride + b.c0];
    }

    Tally tally(const std::vector<Placement> &placements, const StopRule &rule,
                const std::atomic<bool> *cancel) const
    {
        Tally t;
        mirrorFor(placements);
        t.floor = floorCells({0, m_grid.columns, 0, m_grid.rows});
        if (t.floor == 0 || placements.empty())
            return t;
        buildTrees(placements, cancel);
        if (cancel && cancel->load()) {
            t.stoppedEarly = true;
            return t;
        }
        if (rule.target >= 0.0 && belowByHints(t, rule, cancel))
            return t;
        // The map's own blocks, for the cells the bounds cannot settle:
        // the loudspeakers are placed in them when the first is needed
        // (most counts need none).
        m_placements = &placements;
        m_cancel = cancel;
        m_blocksPlaced = false;
        m_computedBlocks.clear();
        m_outHints.clear();
        m_leftOpen.clear();
        // The floor is split level by level; within a level, the blocks
        // whose parent's bounds lie lowest come first, since they most
        // likely hold cells below the required level, which end the
        // tally of a count that fails (most do) soonest.
        std::vector<Pending> &level = m_level;
        std::vector<Pending> &next = m_nextLevel;
        level.assign(1, Pending{0.0, tallied()});
        next.clear();
        std::size_t at = 0;
        // A block of a plan of thousands of loudspeakers takes a while (a
        // block of the map computed for it longer still): the flag is
        // looked at before each.
        for (;;) {
            if (at == level.size()) {
                if (next.empty())
                    break;
                // A level of very many blocks (a hall of thousands of
                // loudspeakers) is taken as split: its sort would keep the
                // cancel flag waiting.
                if (next.size() <= MaxSortedLevel)
                    std::stable_sort(next.begin(), next.end(),
                                     [](const Pending &a, const Pending &b) { return a.key < b.key; });
                level.swap(next);
                next.clear();
                at = 0;
            }
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                t.stoppedEarly = true;
                return t;
            }
            const Pending pending = level[at++];
            const Block &block = pending.block;
            const qint64 cells = floorCells(block);
            if (cells == 0)
                continue;
            const bool shareSettled = settled(t, rule);
            const Interval sum = sumOf(block, shareSettled, t.tooLoud);
            const bool in = sum.low >= m_in;
            const bool out = sum.high < m_out;
            const bool quiet = sum.high <= m_quiet;
            if (sum.low > m_loud)
                t.tooLoud = true;
            if (pending.counted) {
                // Its cells are in the share already.
            } else if (in) {
                t.in += cells;
            } else if (out) {
                t.out += cells;
                if (rule.target >= 0.0)
                    addHint(block);
            }
            const bool counted = pending.counted || in || out;
            const bool shareOpen = !counted && !shareSettled;
            const bool loudOpen = !quiet && !t.tooLoud;
            if (!counted && !shareOpen && !loudOpen)
                m_leftOpen.push_back(block);
            if (shareOpen || loudOpen) {
                if (block.c1 - block.c0 == 1 && block.r1 - block.r0 == 1) {
                    // A cell within LevelMapTolerance of a threshold: its
                    // level as the map computes it decides.
                    countCell(t, counted, mapLevel(block.c0, block.r0), block.c0, block.r0);
                } else if (m_directBlocks && placements.size() > DirectBlockLoudspeakers
                           && isMapBlock(block)) {
                    // Many loudspeakers make a block's bounds dear: its
                    // cells are taken from the map's blocks, computed whole.
                    for (int row = block.r0; row < block.r1; ++row) {
                        for (int column = block.c0; column < block.c1; ++column) {
                            if (m_shaped && !m_inside[std::size_t(row) * m_grid.columns + column])
                                continue;
                            countCell(t, counted, mapLevel(column, row), column, row);
                        }
                    }
                } else {
                    quarters(block, [&](const Block &part) {
                        next.push_back({sum.low * sum.high, part, counted});
                    });
                }
            }
            if (stops(t, rule)) {
                t.stoppedEarly = at < level.size() || !next.empty();
                return t;
            }
        }
        return t;
    }

    // The share of the last tally's layout made exact: the blocks it left
    // open once the share was settled are split until each is wholly at
    // or above the required level or below it, down to the cells, whose
    // levels the map's blocks give. t: that tally, which went through
    // the floor (not stopped early). False if cancel became true or a
    // level is not finite.
    bool finishShare(Tally &t, const std::atomic<bool> *cancel) const
    {
        std::vector<Block> stack;
        stack.swap(m_leftOpen);
        while (!stack.empty()) {
            if (cancel && cancel->load(std::memory_order_relaxed))
                return false;
            const Block block = stack.back();
            stack.pop_back();
            const qint64 cells = floorCells(block);
            if (cells == 0)
                continue;
            const Interval sum
                = sumOf(block, Asked{true, false, 0.0, std::numeric_limits<double>::infinity()});
            if (sum.low >= m_in) {
                t.in += cells;
            } else if (sum.high < m_out) {
                t.out += cells;
            } else if (block.c1 - block.c0 == 1 && block.r1 - block.r0 == 1) {
                countCell(t, false, mapLevel(block.c0, block.r0), block.c0, block.r0);
            } else {
                quarters(block, [&](const Block &part) { stack.push_back(part); });
            }
        }
        return !t.maybeLoud;
    }

    // A count below the target proven from the blocks the last tally of
    // the fit found wholly below the required level: the floor's dead
    // spots (under and beside wall loudspeakers, the far corners) mostly
    // stay where they are from one count to the next, and enough of them
    // below the level again settle the count without the tally of the
    // whole floor. The largest are tried first; the hints are given up as
    // soon as those left could not prove it. t gets the blocks found
    // below, and stops early, when they prove it.
    bool belowByHints(Tally &t, const StopRule &rule, const std::atomic<bool> *cancel) const
    {
        if (m_outHints.empty())
            return false;
        Tally hinted = t;
        qint64 left = 0;
        for (const Block &b : m_outHints)
            left += floorCells(b);
        std::vector<Block> stillOut;
        for (const Block &b : m_outHints) {
            Tally best = hinted;
            best.out += left;
            // Each hint of a plan of thousands of loudspeakers takes a
            // while: a cancel leaves them (the tally then stops).
            if (best.upper() >= rule.target || (cancel && cancel->load(std::memory_order_relaxed)))
                break;
            const qint64 standsFor = floorCells(b);
            if (standsFor == 0) {
                // The image of a block tallied, for a later tally of a plan
                // mirrored less.
                stillOut.push_back(b);
                continue;
            }
            left -= standsFor;
            const qint64 cells = hintedOut(b, HintSplits, stillOut);
            if (cells > 0) {
                hinted.out += cells;
                if (hinted.upper() < rule.target) {
                    hinted.stoppedEarly = true;
                    t = hinted;
                    m_outHints = std::move(stillOut);
                    return true;
                }
            }
        }
        return false;
    }

    // A block below the required level, a hint for the tallies of the
    // counts after; in a mirrored plan its images are below it too, and
    // hints for a plan that is not mirrored the same way (a block that
    // takes in a middle line is its own image there).
    void addHint(const Block &b) const
    {
        const int columns = m_grid.columns;
        const int rows = m_grid.rows;
        const bool length = m_mirrors.acrossLength && b.c1 <= columns / 2;
        const bool width = m_mirrors.acrossWidth && b.r1 <= rows / 2;
        m_outHints.push_back(b);
        if (length)
            m_outHints.push_back({columns - b.c1, columns - b.c0, b.r0, b.r1});
        if (width)
            m_outHints.push_back({b.c0, b.c1, rows - b.r1, rows - b.r0});
        if (length && width)
            m_outHints.push_back({columns - b.c1, columns - b.c0, rows - b.r1, rows - b.r0});
    }

    // The cells of a hint block below the required level for sure: the
    // whole block, or where the loudspeakers moved, the parts of it (split
    // in four, splits times over) that still are; those parts join out.
    qint64 hintedOut(const Block &b, int splits, std::vector<Block> &out) const
    {
        const Interval sum = sumOf(b, false, true);
        if (sum.high < m_out) {
            out.push_back(b);
            return floorCells(b);
        }
        // A block nowhere near below the level holds no part that is.
        if (splits == 0 || sum.low >= m_out || (b.c1 - b.c0 == 1 && b.r1 - b.r0 == 1))
            return 0;
        qint64 cells = 0;
        quarters(b, [&](const Block &part) {
            if (floorCells(part) > 0)
                cells += hintedOut(part, splits - 1, out);
        });
        return cells;
    }

    // A block split about in half each way; take gets the parts that are
    // not empty.
    template <typename Take>
    static void quarters(const Block &b, Take &&take)
    {
        const int cm = (b.c0 + b.c1) / 2;
        const int rm = (b.r0 + b.r1) / 2;
        for (const auto &[c0, c1] : {std::pair{b.c0, cm}, std::pair{cm, b.c1}}) {
            for (const auto &[r0, r1] : {std::pair{b.r0, rm}, std::pair{rm, b.r1}}) {
                if (c1 > c0 && r1 > r0)
                    take(Block{c0, c1, r0, r1});
            }
        }
    }

    // Whether a block is no larger than one of the map's blocks (within
    // one when it starts at a multiple of MapBlocks::Size).
    static bool isMapBlock(const Block &b)
    {
        return b.c1 - b.c0 <= MapBlocks::Size && b.r1 - b.r0 <= MapBlocks::Size;
    }

    // The map's block that holds a cell, computed once a tally.
    const double *computeBlock(int column, int row) const
    {
        constexpr int Size = MapBlocks::Size;
        const int firstColumn = column / Size * Size;
        const int firstRow = row / Size * Size;
        const qint64 key = qint64(firstRow) * m_grid.columns + firstColumn;
        auto known = m_computedBlocks.find(key);
        if (known == m_computedBlocks.end()) {
            known = m_computedBlocks.emplace(key, std::array<double, std::size_t(Size) * Size>{}).first;
            if (!m_blocksPlaced) {
                if (!m_blocks)
                    m_blocks = std::make_unique<MapBlocks>(withoutPlacements(m_room));
                m_blocks->setPlacements(*m_placements, m_cancel);
                m_blocksPlaced = true;
            }
            if (m_cancel && m_cancel->load()) {
                // The placing may have stopped short: no levels (the tally
                // stops at its next look at the flag).
                known->second.fill(std::numeric_limits<double>::quiet_NaN());
                return known->second.data();
            }
            m_blocks->levels(firstColumn, firstRow, known->second.data());
        }
        return known->second.data();
    }

    // The level of a cell as the map computes it.
    double mapLevel(int column, int row) const
    {
        constexpr int Size = MapBlocks::Size;
        const int firstColumn = column / Size * Size;
        const int firstRow = row / Size * Size;
        const int columns = std::min(Size, m_grid.columns - firstColumn);
        return computeBlock(column, row)[std::size_t(row - firstRow) * columns + (column - firstColumn)];
    }

    // A cell of the floor counted by its level on the map: in or out
    // (unless its block was counted already), and too loud or not.
    void countCell(Tally &t, bool counted, double level, int column, int row) const
    {
        if (!std::isfinite(level)) {
            // Left to the map's figures, which fail.
            t.maybeLoud = true;
            return;
        }
        if (!counted)
            (level >= m_requiredLevel ? t.in : t.out) += cellWeight(column, row);
        t.tooLoud = t.tooLoud || level > LoudestAllowed;
    }

    // A block of more than one of the map's blocks split between them,
    // about in half each way; take gets the parts that hold floor.
    template <typename Take>
    void splitAligned(const Block &b, Take &&take) const
    {
        constexpr int Size = MapBlocks::Size;
        const int columnBlocks = (b.c1 - b.c0 + Size - 1) / Size;
        const int rowBlocks = (b.r1 - b.r0 + Size - 1) / Size;
        const int cm = columnBlocks > 1 ? b.c0 + columnBlocks / 2 * Size : b.c1;
        const int rm = rowBlocks > 1 ? b.r0 + rowBlocks / 2 * Size : b.r1;
        for (const auto &[c0, c1] : {std::pair{b.c0, cm}, std::pair{cm, b.c1}}) {
            for (const auto &[r0, r1] : {std::pair{b.r0, rm}, std::pair{rm, b.r1}}) {
                if (c1 > c0 && r1 > r0 && floorCells({c0, c1, r0, r1}) > 0)
                    take(Block{c0, c1, r0, r1});
            }
        }
    }

    // The figures of a layout's map (summarize of levelMap) without the
    // whole map: blocks of cells are settled by their bounds, wholly at or
    // above the required level or below it and above LoudestAllowed or not,
    // and only the blocks of the map that bounds leave open are computed,
    // level by level as the map computes them; the shares are therefore
    // the map's own. Then the lowest and the highest, branch and bound:
    // the blocks that could hold a cell lower (higher) than the lowest
    // (highest) found so far are split, the lowest bound first, down to
    // the map's blocks, which are computed; the lowest is the map's own (a
    // block is left once its bound shows no cell of it on the map below
    // the lowest found), the highest the map's to within 0.04 dB (a block
    // is left once its bound shows no cell of it more than that above the
    // highest found). blocks: the map's blocks of this room. computed:
    // how many of them were computed. figures: which of them (those left
    // out not a number). No value when cancel becomes true or a level is
    // not finite.
    std::optional<LevelSummary> summary(MapBlocks &blocks, const std::vector<Placement> &placements,
                                        const std::atomic<bool> *cancel, SummaryFigures figures,
                                        qint64 *computed = nullptr) const
    {
        const CellGrid &grid = blocks.grid();
        if (grid.columns != m_grid.columns || grid.rows != m_grid.rows)
            return std::nullopt;
        mirrorFor(placements);
        const qint64 floor = floorCells({0, m_grid.columns, 0, m_grid.rows});
        const Block whole = tallied();
        if (cancel && cancel->load())
            return std::nullopt;
        if (floor == 0 || placements.empty())
            return LevelSummary{};
        // The trees of a plan of thousands of loudspeakers take a while,
        // and so does their placing in the map's blocks: both stop short
        // once the flag is set, which is looked at after each, and the
        // blocks take the loudspeakers only when the first is computed.
        buildTrees(placements, cancel);
        if (cancel && cancel->load())
            return std::nullopt;
        bool placed = false;
        const std::vector<quint8> &inside = blocks.inside();
        constexpr int Size = MapBlocks::Size;
        const double spl = m_room.splTotal;
        qint64 in = 0;
        qint64 loud = 0;
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -std::numeric_limits<double>::infinity();
        bool failed = false;
        qint64 count = 0;
        std::array<double, std::size_t(Size) * Size> levels{};
        // One of the map's blocks, its floor's cells counted (tally) or
        // only searched for the lowest and highest.
        const auto compute = [&](const Block &b, bool tally) {
            if (!placed) {
                blocks.setPlacements(placements, cancel);
                placed = true;
            }
            if (cancel && cancel->load()) {
                // The placing may have stopped short.
                failed = true;
                return;
            }
            blocks.levels(b.c0, b.r0, levels.data());
            ++count;
            // The first half of a mirrored plan may end inside a block of
            // the map, whose rows are the map's.
            const int columns = b.c1 - b.c0;
            const int stride = std::min(Size, m_grid.columns - b.c0);
            for (int row = b.r0; row < b.r1; ++row) {
                const double *line = levels.data() + std::size_t(row - b.r0) * stride;
                const quint8 *floorLine
                    = inside.empty() ? nullptr : inside.data() + std::size_t(row) * m_grid.columns + b.c0;
                for (int column = 0; column < columns; ++column) {
                    if (floorLine && !floorLine[column])
                        continue;
                    const double level = line[column];
                    if (!std::isfinite(level))
                        failed = true;
                    lowest = std::min(lowest, level);
                    highest = std::max(highest, level);
                    if (tally) {
                        const qint64 weight = cellWeight(b.c0 + column, row);
                        in += level >= m_requiredLevel ? weight : 0;
                        loud += level > LoudestAllowed ? weight : 0;
                    }
                }
            }
        };
        const auto split = [&](const Block &b, auto &&take) { splitAligned(b, take); };
        const auto stopped = [&](qint64 &visited) {
            ++visited;
            return cancel && cancel->load(std::memory_order_relaxed);
        };
        qint64 visited = 0;

        // The shares: settled blocks counted whole, the others split or
        // computed; settled blocks are kept with their bounds for the
        // lowest and the highest.
        struct Bounded {
            double bound; // the least power (lowest) or the most (highest)
            double other; // the other end
            Block block;
        };
        std::vector<Bounded> lowOpen;
        std::vector<Bounded> highOpen;
        std::vector<Block> stack{whole};
        while (!stack.empty()) {
            if (stopped(visited))
                return std::nullopt;
            const Block block = stack.back();
            stack.pop_back();
            Asked asked;
            asked.finest = isMapBlock(block);
            const Interval sum = sumOf(block, asked);
            const bool shareIn = sum.low >= m_in;
            const bool shareOut = sum.high < m_out;
            const bool allLoud = sum.low > m_loud;
            const bool quiet = sum.high <= m_quiet;
            if ((shareIn || shareOut) && (allLoud || quiet)) {
                const qint64 cells = floorCells(block);
                in += shareIn ? cells : 0;
                loud += allLoud ? cells : 0;
                if (figures != SummaryFigures::Shares)
                    lowOpen.push_back({sum.low, sum.high, block});
                if (figures == SummaryFigures::All)
                    highOpen.push_back({sum.high, sum.low, block});
                continue;
            }
            if (isMapBlock(block))
                compute(block, true);
            else
                split(block, [&](const Block &b) { stack.push_back(b); });
        }

        // The lowest: the block of the lowest bound first; a block whose
        // least power is at or above that of the lowest level found raised
        // by LevelMapTolerance (which the map may leave out of a sum) holds
        // no cell below it on the map, so that the lowest is the map's.
        const auto byLow = [](const Bounded &a, const Bounded &b) { return a.bound > b.bound; };
        std::make_heap(lowOpen.begin(), lowOpen.end(), byLow);
        const auto lowestPower = [&] { return power(lowest - spl + LevelMapTolerance); };
        while (!lowOpen.empty() && !failed) {
            if (stopped(visited))
                return std::nullopt;
            std::pop_heap(lowOpen.begin(), lowOpen.end(), byLow);
            const Bounded top = lowOpen.back();
            lowOpen.pop_back();
            if (top.bound >= lowestPower())
                break;
            if (isMapBlock(top.block)) {
                compute(top.block, false);
                continue;
            }
            split(top.block, [&](const Block &b) {
                const double below = lowestPower();
                const Interval sum = sumOf(
                    b, Asked{false, false, below, std::numeric_limits<double>::infinity(), isMapBlock(b)});
                if (sum.low < below) {
                    lowOpen.push_back({sum.low, sum.high, b});
                    std::push_heap(lowOpen.begin(), lowOpen.end(), byLow);
                }
            });
        }

        // The highest: bounds alone, since the map's level tops can be
        // wide and flat. The map's highest lies between the greatest least
        // bound of any block (less LevelMapTolerance, which the map may
        // leave out) and the greatest bound, and the map's levels computed
        // so far; the block of the greatest bound is split (or computed)
        // until the two are at most HighestSpread apart, and the highest is
        // taken halfway.
        // The highest likewise, the highest bound first; a block whose most
        // power is at most HighestSlack above that of the highest found is
        // left.
        const auto byHigh = [](const Bounded &a, const Bounded &b) { return a.bound < b.bound; };
        std::make_heap(highOpen.begin(), highOpen.end(), byHigh);
        const auto highestPower = [&] { return power(highest - spl) * HighestSlack; };
        while (!highOpen.empty() && !failed) {
            if (stopped(visited))
                return std::nullopt;
            std::pop_heap(highOpen.begin(), highOpen.end(), byHigh);
            const Bounded top = highOpen.back();
            highOpen.pop_back();
            if (top.bound <= highestPower())
                break;
            if (isMapBlock(top.block)) {
                compute(top.block, false);
                continue;
            }
            split(top.block, [&](const Block &b) {
                const double above = highestPower();
                const Interval sum = sumOf(b, Asked{false, false, 0.0, above, isMapBlock(b)});
                if (sum.high > above) {
                    highOpen.push_back({sum.high, sum.low, b});
                    std::push_heap(highOpen.begin(), highOpen.end(), byHigh);
                }
            });
        }
        if (computed)
            *computed += count;
        if (failed)
            return std::nullopt;
        LevelSummary summary;
        summary.requiredShare = 100.0 * double(in) / double(floor);
        summary.tooLoudShare = 100.0 * double(loud) / double(floor);
        constexpr double NotComputed = std::numeric_limits<double>::quiet_NaN();
        summary.lowest = summary.highest = summary.spread = NotComputed;
        if (figures == SummaryFigures::Shares)
            return summary;
        if (!std::isfinite(lowest))
            return std::nullopt;
        summary.lowest = lowest;
        if (figures == SummaryFigures::WithoutHighest)
            return summary;
        if (!std::isfinite(highest))
            return std::nullopt;
        summary.highest = highest;
        summary.spread = highest - lowest;
        return summary;
    }

private:
    // Which halves of the floor the tally of placements leaves to their
    // images (planMirrors). A hint of an earlier tally (belowByHints)
    // counts the cells its part in the tallied cells stands for.
    void mirrorFor(const std::vector<Placement> &placements) const
    {
        if (!m_shaped) {
            m_mirrors = planMirrors(m_grid, placements);
            return;
        }
        std::vector<Placement> local;
        local.reserve(placements.size());
        for (const Placement &p : placements)
            local.push_back(placementToLocal(p, m_axes));
        m_mirrors = planMirrors(m_grid, local, m_inside);
    }

    // The cells tallied: the whole floor, or the first half of its
    // columns, or rows, (the middle one with them) where the plan is
    // mirrored that way.
    Block tallied() const
    {
        return {0, m_mirrors.acrossLength ? (m_grid.columns + 1) / 2 : m_grid.columns, 0,
                m_mirrors.acrossWidth ? (m_grid.rows + 1) / 2 : m_grid.rows};
    }

    // A stretch first .. last - 1 of columns or rows, each standing for
    // weight of them.
    struct Span {
        int first = 0;
        int last = 0;
        int weight = 1;
    };

    // The stretches of first .. last - 1 (of count along the side) that a
    // tally counts: all of it, or where the side is mirrored its part in
    // the first half twice and the middle line once.
    static int spans(int first, int last, int count, bool mirrored, std::array<Span, 2> &out)
    {
        if (!mirrored) {
            out[0] = {first, last, 1};
            return 1;
        }
        const int half = count / 2; // the lines with an image
        int n = 0;
        if (first < std::min(last, half))
            out[std::size_t(n++)] = {first, std::min(last, half), 2};
        if (count % 2 != 0 && first <= half && half < last)
            out[std::size_t(n++)] = {half, half + 1, 1};
        return n;
    }

    // The cells a cell of the tallied floor stands for.
    qint64 cellWeight(int column, int row) const
    {
        const auto along
            = [](int at, int count, bool mirrored) { return mirrored && at < count / 2 ? 2 : 1; };
        return along(column, m_grid.columns, m_mirrors.acrossLength)
            * along(row, m_grid.rows, m_mirrors.acrossWidth);
    }

    static bool shareSettledBy(const Tally &t, const StopRule &rule)
    {
        if (rule.target >= 0.0)
            return t.lower() >= rule.target || t.upper() < rule.target;
        return t.upper() - t.lower() <= rule.resolution;
    }
    static bool settled(const Tally &t, const StopRule &rule) { return shareSettledBy(t, rule); }
    static bool stops(const Tally &t, const StopRule &rule)
    {
        // The fit: a count below the target fails whatever else; one
        // settled both ways needs nothing more.
        if (rule.target >= 0.0 && t.upper() < rule.target)
            return true;
        return shareSettledBy(t, rule) && t.tooLoud;
    }

    // The trees of the loudspeakers by side (their points alone where
    // sumOf sums them one by one); once cancel is set they are left
    // unfinished, not to be used.
    void buildTrees(const std::vector<Placement> &floorPlacements,
                    const std::atomic<bool> *cancel = nullptr) const
    {
        m_trees.clear();
        m_sumCancel = cancel;
        std::array<int, 3> bySide{-1, -1, -1};
        for (const Placement &floor : floorPlacements) {
            const Placement p = m_shaped ? placementToLocal(floor, m_axes) : floor;
            if (!p.isTurned()) {
                int &index = bySide[std::size_t(p.side)];
                if (index < 0) {
                    index = int(m_trees.size());
                    m_trees.emplace_back();
                    m_trees.back().frame = frameFor(p.side, m_room.tiltDeg);
                }
                m_trees[std::size_t(index)].points.push_back(p.position);
                continue;
            }
            auto tree = std::find_if(m_trees.begin(), m_trees.end(),
                                     [&](const Tree &t) { return t.isTurned && t.normal == p.normal; });
            if (tree == m_trees.end()) {
                m_trees.emplace_back();
                tree = m_trees.end() - 1;
                tree->frame = frameFor(Side::NearWall, m_room.tiltDeg);
                tree->isTurned = true;
                tree->normal = p.normal;
            }
            tree->points.push_back(turned(p.normal, p.position.x(), p.position.y()));
        }
        m_points = floorPlacements.size();
        // Few loudspeakers are summed one by one (sumOf): no nodes needed.
        if (summedOneByOne()) {
            findRuns();
            return;
        }
        for (Tree &tree : m_trees)
            tree.build(cancel);
    }

    // low and high first: they are read as a pair, which then comes from
    // one of the two halves the heap moves an entry by (a pair across
    // both stalls the processor until the moves are done).
    struct Entry {
        double low;
        double high;
        double gap;
        int tree;
        int node;
        bool operator<(const Entry &other) const { return gap < other.gap; }
    };

    Box boxIn(const Tree &tree, const Box &own) const
    {
        if (!tree.isTurned)
            return own;
        Box box{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
        for (const double x : {own.x0, own.x1}) {
            for (const double y : {own.y0, own.y1}) {
                const QPointF c = turned(tree.normal, x, y);
                box.x0 = std::min(box.x0, c.x());
                box.x1 = std::max(box.x1, c.x());
                box.y0 = std::min(box.y0, c.y());
                box.y1 = std::max(box.y1, c.y());
            }
        }
        return box;
    }

    // Adds the bounds of the tree's points first .. first + count - 1 for
    // the box b of cell centres (in the tree's frame) to sum.
    void sumPoints(const Tree &tree, int first, int count, const Box &b, Interval &sum) const
    {
        const QPointF *points = tree.points.data() + first;
        if (const std::optional<SingleAngleLaw> &law = m_gains.singleAngleLaw()) {
            sumSingleAngle(*law, points, count, b.x0, b.x1, b.y0, b.y1, tree.frame, sum);
            return;
        }
        for (int i = 0; i < count; ++i) {
            const QPointF at = points[i];
            const Interval g
                = m_gains(b.x0 - at.x(), b.x1 - at.x(), b.y0 - at.y(), b.y1 - at.y(), tree.frame);
            sum.low += g.low;
            sum.high += g.high;
        }
    }

    // The runs of the layout whose trees were just built, where sums are
    // kept from one layout to the next and the loudspeakers are many and
    // in three runs or more (rows of a ceiling; see below for walls);
    // none otherwise.
    void findRuns() const
    {
        m_runs.clear();
        if (!m_keepRunSums || m_points < RunSumLoudspeakers)
            return;
        // Kept sums of very many blocks, or kinds of run of very many
        // points, are let go (a kind's index then means nothing).
        if (m_runSums.size() > MaxKeptBlocks || m_runKindPoints > MaxRunKindPoints) {
            m_runSums.clear();
            m_runKinds.clear();
            m_runKindsByHash.clear();
            m_runKindPoints = 0;
        }
        for (int t = 0; t < int(m_trees.size()); ++t) {
            const Tree &tree = m_trees[std::size_t(t)];
            const int size = int(tree.points.size());
            for (int first = 0; first < size;) {
                int end = first + 1;
                while (end < size && tree.points[std::size_t(end)].y() == tree.points[std::size_t(first)].y())
                    ++end;
                m_runs.push_back({t, first, end - first, runKind(tree, first, end - first)});
                first = end;
            }
        }
        // Two walls, the most runs walls make in a rectangle, gain nothing:
        // a count whose walls hold as many is its own mirror image across
        // the width, and its tally takes other blocks than the next
        // count's, so that a block is rarely summed for two counts in a
        // row.
        if (m_runs.size() < 3)
            m_runs.clear();
    }

    // The index of the kind of the run of count points from first, a new
    // one if no run before had them all to the bit in the same frame.
    int runKind(const Tree &tree, int first, int count) const
    {
        const QPointF *points = tree.points.data() + first;
        std::uint64_t hash = std::hash<double>()(tree.frame.ay) ^ (std::uint64_t(count) << 32);
        for (int i = 0; i < count; ++i)
            hash = hash * 1099511628211ULL ^ std::bit_cast<std::uint64_t>(points[i].x())
                ^ (std::bit_cast<std::uint64_t>(points[i].y()) << 1);
        // QPointF's == allows for rounding: these must be the same bits.
        const auto same = [](QPointF a, QPointF b) { return a.x() == b.x() && a.y() == b.y(); };
        const auto [from, to] = m_runKindsByHash.equal_range(hash);
        for (auto it = from; it != to; ++it) {
            const RunKind &kind = m_runKinds[std::size_t(it->second)];
            const bool sameFrame = kind.frame.ay == tree.frame.ay && kind.frame.az == tree.frame.az
                && kind.frame.vy == tree.frame.vy && kind.frame.vz == tree.frame.vz
                && kind.isTurned == tree.isTurned && same(kind.normal, tree.normal);
            if (sameFrame && std::equal(kind.points.begin(), kind.points.end(), points, points + count, same))
                return it->second;
        }
        m_runKinds.push_back(
            {tree.frame, tree.isTurned, tree.normal, std::vector<QPointF>(points, points + count)});
        m_runKindPoints += std::size_t(count);
        const int index = int(m_runKinds.size()) - 1;
        m_runKindsByHash.emplace(hash, index);
        return index;
    }

    // The bounds of a block's loudspeakers run by run, added in the runs'
    // order; a run of the kind the block was last summed for in the same
    // place (the same row) takes the sum kept from then.
    void sumByRuns(const Block &block, const Box &own, Interval &sum) const
    {
        const std::uint64_t key = std::uint64_t(block.c0) | std::uint64_t(block.c1) << 16
            | std::uint64_t(block.r0) << 32 | std::uint64_t(block.r1) << 48;
        std::vector<RunSum> &kept = m_runSums[key];
        kept.resize(m_runs.size(), RunSum{-1, {}});
        for (std::size_t i = 0; i < m_runs.size(); ++i) {
            const Run &run = m_runs[i];
            RunSum &slot = kept[i];
            if (slot.kind != run.kind) {
                const Tree &tree = m_trees[std::size_t(run.tree)];
                slot.kind = run.kind;
                slot.sum = {};
                sumPoints(tree, run.first, run.count, boxIn(tree, own), slot.sum);
            }
            sum.low += slot.sum.low;
            sum.high += slot.sum.high;
        }
    }

    // Whether a block's bounds sum each loudspeaker rather than walk the
    // trees (DirectSumLoudspeakers).
    bool summedOneByOne() const
    {
        const bool ceiling = m_room.mounting == calc::Mounting::Ceiling;
        return m_points <= (ceiling ? DirectSumLoudspeakers : DirectSumWallLoudspeakers);
    }

    // The least and most power any cell of the block gets: each
    // loudspeaker's bounds summed where they are few
    // (DirectSumLoudspeakers); else the trees' nodes opened, the widest
    // gap first, until the block is settled, or the gaps left are mostly
    // the loudspeakers' own over the block (a smaller block then does
    // better), or every loudspeaker is summed.
    Interval sumOf(const Block &block, bool shareSettled, bool loudSettled) const
    {
        return sumOf(block, Asked{!shareSettled, !loudSettled, 0.0, std::numeric_limits<double>::infinity()});
    }

    // What a block's sum is asked to settle: whether it is wholly at or
    // above the required level or below it (share), above LoudestAllowed
    // or not (loud), its least power at or above lowAbove and its most at
    // or below highBelow.
    struct Asked {
        bool share = true;
        bool loud = true;
        double lowAbove = 0.0;
        double highBelow = std::numeric_limits<double>::infinity();
        // The block is not to be split: every node is opened as far as it
        // narrows the bounds.
        bool finest = false;
    };

    Interval sumOf(const Block &block, const Asked &asked) const
    {
        const Box own{(block.c0 + 0.5) * m_grid.cellWidth, (block.c1 - 0.5) * m_grid.cellWidth,
                      (block.r0 + 0.5) * m_grid.cellHeight, (block.r1 - 0.5) * m_grid.cellHeight};
        if (summedOneByOne()) {
            Interval sum;
            if (!m_runs.empty()) {
                sumByRuns(block, own, sum);
            } else {
                for (const Tree &tree : m_trees)
                    sumPoints(tree, 0, int(tree.points.size()), boxIn(tree, own), sum);
            }
            return {sum.low * (1.0 - BoundMargin), sum.high * (1.0 + BoundMargin)};
        }
        const bool single = (block.c1 - block.c0 == 1 && block.r1 - block.r0 == 1) || asked.finest;
        const double blockSize = std::max(own.x1 - own.x0, own.y1 - own.y0);
        m_boxes.resize(m_trees.size());
        m_heap.clear();
        double nodeLow = 0.0;
        double nodeHigh = 0.0;
        double pointLow = 0.0;
        double pointHigh = 0.0;
        const auto push = [&](int t, int nodeIndex) {
            const Tree &tree = m_trees[std::size_t(t)];
            const Tree::Node &node = tree.nodes[std::size_t(nodeIndex)];
            const Box &b = m_boxes[std::size_t(t)];
            const double count = double(node.end - node.begin);
            const Interval g
                = m_gains(b.x0 - node.x1, b.x1 - node.x0, b.y0 - node.y1, b.y1 - node.y0, tree.frame);
            m_heap.push_back({count * g.low, count * g.high, count * (g.high - g.low), t, nodeIndex});
            std::push_heap(m_heap.begin(), m_heap.end());
            nodeLow += count * g.low;
            nodeHigh += count * g.high;
        };
        for (int t = 0; t < int(m_trees.size()); ++t) {
            m_boxes[std::size_t(t)] = boxIn(m_trees[std::size_t(t)], own);
            push(t, 0);
        }
        const auto decided = [&](double low, double high) {
            const bool share = !asked.share || low >= m_in || high < m_out;
            const bool loud = !asked.loud || high <= m_quiet || low > m_loud;
            return share && loud && low >= asked.lowAbove && high <= asked.highBelow;
        };
        for (int opened = 1;; ++opened) {
            if (decided(pointLow + nodeLow, pointHigh + nodeHigh) || m_heap.empty())
                break;
            // The bounds of a block of a hall of tens of thousands of
            // loudspeakers may open that many nodes: a cancel leaves them
            // as wide as they stand, still true bounds.
            if (opened % CancelCheckNodes == 0 && m_sumCancel && m_sumCancel->load(std::memory_order_relaxed))
                break;
            const double gap = (pointHigh - pointLow) + (nodeHigh - nodeLow);
            if (!single && nodeHigh - nodeLow <= 0.5 * gap)
                break;
            std::pop_heap(m_heap.begin(), m_heap.end());
            const Entry top = m_heap.back();
            m_heap.pop_back();
            nodeLow -= top.low;
            nodeHigh -= top.high;
            const Tree &tree = m_trees[std::size_t(top.tree)];
            const Tree::Node &node = tree.nodes[std::size_t(top.node)];
            if (!single && std::max(node.x1 - node.x0, node.y1 - node.y0) < blockSize) {
                // Its gap comes mostly from the block's own size: a
                // smaller block narrows it, opening the node would not.
                pointLow += top.low;
                pointHigh += top.high;
                continue;
            }
            if (node.first >= 0) {
                push(top.tree, node.first);
                push(top.tree, node.first + 1);
                continue;
            }
            const Box &b = m_boxes[std::size_t(top.tree)];
            for (int i = node.begin; i < node.end; ++i) {
                const QPointF at = tree.points[std::size_t(i)];
                const Interval g
                    = m_gains(b.x0 - at.x(), b.x1 - at.x(), b.y0 - at.y(), b.y1 - at.y(), tree.frame);
                pointLow += g.low;
                pointHigh += g.high;
            }
        }
        // The running sums added afresh, free of the subtractions' rounding.
        nodeLow = 0.0;
        nodeHigh = 0.0;
        for (const Entry &entry : m_heap) {
            nodeLow += entry.low;
            nodeHigh += entry.high;
        }
        return {(pointLow + nodeLow) * (1.0 - BoundMargin), (pointHigh + nodeHigh) * (1.0 + BoundMargin)};
    }

    const LevelInputs &m_room;
    GainBounds m_gains;
    bool m_directBlocks; // see DirectBlockLoudspeakers
    double m_requiredLevel;
    bool m_shaped = false;
    calc::Axes m_axes;
    CellGrid m_grid;
    std::vector<quint8> m_inside; // a shaped room's floor cells
    // Floor cells summed over rows and columns (at most 1000 x 1000 cells).
    std::vector<qint32> m_floorTable;
    double m_in = 0.0;
    double m_out = 0.0;
    double m_quiet = 0.0;
    double m_loud = 0.0;
    mutable std::vector<Tree> m_trees;
    // The cancel flag of the tally or summary under way, which sumOf
    // looks at every CancelCheckNodes nodes.
    mutable const std::atomic<bool> *m_sumCancel = nullptr;
    static constexpr int CancelCheckNodes = 256;
    static constexpr std::size_t MaxKeptBlocks = 100000;
    static constexpr std::size_t MaxRunKindPoints = 1 << 20;
    mutable std::size_t m_points = 0; // the loudspeakers in the trees
    // The map's blocks of the room for tally(), made on first use, and
    // those computed in the tally under way.
    mutable std::unique_ptr<MapBlocks> m_blocks;
    mutable const std::vector<Placement> *m_placements = nullptr;
    mutable const std::atomic<bool> *m_cancel = nullptr;
    mutable bool m_blocksPlaced = false;
    mutable std::unordered_map<qint64, std::array<double, std::size_t(MapBlocks::Size) * MapBlocks::Size>>
        m_computedBlocks;
    // The blocks the last tally left open for the share, once it was
    // settled: see finishShare.
    mutable std::vector<Block> m_leftOpen;
    // The blocks of the tally's level under way and of the next.
    mutable std::vector<Pending> m_level;
    mutable std::vector<Pending> m_nextLevel;
    mutable std::vector<Box> m_boxes;
    mutable std::vector<Entry> m_heap;
    // The blocks the last tally of the fit found wholly below the required
    // level, in the order found, which is the largest first (the tally
    // splits the floor level by level): see belowByHints.
    mutable std::vector<Block> m_outHints;
    // The images the last tally's plan is of itself (see mirrorFor).
    mutable Mirrors m_mirrors;
    // The sums of runs kept from one count to the next (keepRunSums).
    bool m_keepRunSums = false;
    mutable std::vector<Run> m_runs; // the runs of the count under way
    mutable std::vector<RunKind> m_runKinds;
    mutable std::size_t m_runKindPoints = 0; // the points of m_runKinds
    mutable std::unordered_multimap<std::uint64_t, int> m_runKindsByHash;
    // Each block's sums of the runs it was last summed for, by the runs'
    // places in the layout.
    mutable std::unordered_map<std::uint64_t, std::vector<RunSum>> m_runSums;
};

calc::Shape layoutShape(const LevelInputs &room)
{
    return room.shape.isEmpty() ? calc::Shape::rectangle(room.length, room.width) : room.shape;
}

// What one loudspeaker gives the cells of a rectangle wherever the
// arrangement hangs it (a ceiling one anywhere above the floor, a wall one
// anywhere along its wall): the most it surely gives one cell, and the
// least it surely gives all of them together. A cell centre lies in every
// stretch of one cell's width along X, and of one cell's height along Y,
// that the floor holds; the law is the same either way along the wall (and
// around a ceiling loudspeaker), so the side with more floor counts.
struct Alone {
    double peak = 0.0;
    double total = 0.0;
    // The most it can give all cells together, each cell's share capped
    // at the power of the required level: a cell at or above it on the
    // map takes at least that much in all, and min(sum, cap) is at most
    // the sum of each loudspeaker's min(power, cap), so that the cells at
    // or above it are at most the loudspeakers' capped powers together
    // over the cap.
    double most = 0.0;
};

// Sums term(box) times each group's weight over the cells [c0, c1) x [r0,
// r1) of a loudspeaker's offsets: near the loudspeaker cell by cell, and
// farther in groups of cells whose box is small against its distance (at
// most 1/GroupRatio of it), where the law changes little across the group.
// box(c0, c1, r0, r1) gives the offsets a group's cells span, weight the
// cells it stands for; term is a bound of one cell's power that holds for
// every offset of the box, so that the group's term times its weight
// bounds the sum of its cells' the same way. A room of 1000 x 1000 cells
// takes a few thousand terms instead of a million.
template <typename BoxOf, typename WeightOf, typename Term>
double sumByGroups(int c0, int c1, int r0, int r1, double h2, const BoxOf &box, const WeightOf &weight,
                   const Term &term)
{
    constexpr double GroupRatio = 32.0;
    if (c1 <= c0 || r1 <= r0)
        return 0.0;
    const Box b = box(c0, c1, r0, r1);
    const double mx = nearestToZero(b.x0, b.x1);
    const double my = nearestToZero(b.y0, b.y1);
    const double size = std::max(b.x1 - b.x0, b.y1 - b.y0);
    const bool single = c1 - c0 == 1 && r1 - r0 == 1;
    if (single || size * size * GroupRatio * GroupRatio <= mx * mx + my * my + h2)
        return weight(c0, c1, r0, r1) * term(b);
    const int cm = c1 - c0 > 1 ? (c0 + c1) / 2 : c1;
    const int rm = r1 - r0 > 1 ? (r0 + r1) / 2 : r1;
    return sumByGroups(c0, cm, r0, rm, h2, box, weight, term)
        + sumByGroups(cm, c1, r0, rm, h2, box, weight, term)
        + sumByGroups(c0, cm, rm, r1, h2, box, weight, term)
        + sumByGroups(cm, c1, rm, r1, h2, box, weight, term);
}

Alone aloneInRectangle(const RoomTally &tally, const LevelInputs &room, Arrangement arrangement)
{
    Alone alone;
    const CellGrid &grid = tally.grid();
    const double w = grid.cellWidth;
    const double h = grid.cellHeight;
    const double h2 = room.dropH * room.dropH;
    const double cap = tally.outPower();
    const int halfColumns = std::max(0, grid.columns / 2 - 1);
    // Cells 0 .. n - 1 on a side of the loudspeaker stand for themselves
    // and their mirror images, but for cell 0 under it.
    const auto mirrored = [](int first, int last) { return 2.0 * (last - first) - (first == 0 ? 1.0 : 0.0); };
    // The most: the cells' offsets from the loudspeaker lie one in each
    // cell-sized box around it (the law the same either way).
    const auto capped = [&](const Frame &frame) {
        return [&tally, cap, frame](const Box &b) {
            return std::min(cap, tally.gains()(b.x0, b.x1, b.y0, b.y1, frame).high);
        };
    };
    const auto least = [&](const Frame &frame) {
        return [&tally, frame](const Box &b) { return tally.gains()(b.x0, b.x1, b.y0, b.y1, frame).low; };
    };
    // The least: the quarter of the floor beside the loudspeaker, each
    // cell's offsets at most one cell from it.
    const auto quarterBox = [w, h](int c0, int c1, int r0, int r1) {
        return Box{c0 * w, c1 * w, r0 * h, r1 * h};
    };
    const auto cells = [](int c0, int c1, int r0, int r1) { return double(c1 - c0) * double(r1 - r0); };
    if (arrangement == Arrangement::Rows) {
        const Frame frame = frameFor(Side::Ceiling, room.tiltDeg);
        alone.peak = tally.gains()(-w / 2, w / 2, -h / 2, h / 2, frame).low;
        const auto cellBox = [w, h](int c0, int c1, int r0, int r1) {
            return Box{c0 * w - w / 2, (c1 - 1) * w + w / 2, r0 * h - h / 2, (r1 - 1) * h + h / 2};
        };
        const auto bothWays
            = [&](int c0, int c1, int r0, int r1) { return mirrored(c0, c1) * mirrored(r0, r1); };
        alone.most = sumByGroups(0, grid.columns, 0, grid.rows, h2, cellBox, bothWays, capped(frame));
        const int halfRows = std::max(0, grid.rows / 2 - 1);
        alone.total = sumByGroups(0, halfColumns, 0, halfRows, h2, quarterBox, cells, least(frame));
        return alone;
    }
    // The near wall's; the far wall's are its mirror image. The offsets
    // across the wall are the cells' centres.
    const Frame frame = frameFor(Side::NearWall, room.tiltDeg);
    for (int j = 0; j < grid.rows; ++j) {
        const double dy = (j + 0.5) * h;
        alone.peak = std::max(alone.peak, tally.gains()(-w / 2, w / 2, dy, dy, frame).low);
    }
    const auto cellBox = [w, h](int c0, int c1, int r0, int r1) {
        return Box{c0 * w - w / 2, (c1 - 1) * w + w / 2, (r0 + 0.5) * h, (r1 - 0.5) * h};
    };
    const auto alongWall = [&](int c0, int c1, int r0, int r1) { return mirrored(c0, c1) * double(r1 - r0); };
    alone.most = sumByGroups(0, grid.columns, 0, grid.rows, h2, cellBox, alongWall, capped(frame));
    const auto centres = [w, h](int c0, int c1, int r0, int r1) {
        return Box{c0 * w, c1 * w, (r0 + 0.5) * h, (r1 - 0.5) * h};
    };
    alone.total = sumByGroups(0, halfColumns, 0, grid.rows, h2, centres, cells, least(frame));
    return alone;
}

} // namespace

bool meetsRule(const LevelSummary &summary, const FitRule &rule)
{
    return summary.requiredShare >= rule.targetShare && !(summary.tooLoudShare > 0.0);
}

ShareBounds shareBounds(const LevelInputs &inputs, double requiredLevel, double resolution)
{
    ShareBounds bounds;
    if (!hasLevelMap(inputs))
        return bounds;
    const RoomTally room(inputs, requiredLevel);
    StopRule rule;
    rule.resolution = std::max(0.0, resolution);
    const Tally t = room.tally(inputs.placements, rule, nullptr);
    bounds.valid = true;
    bounds.lower = t.lower();
    bounds.upper = t.upper();
    bounds.tooLoud = t.tooLoud;
    bounds.quiet = !t.tooLoud && !t.maybeLoud && !t.stoppedEarly;
    return bounds;
}

std::optional<LevelSummary> levelSummary(const LevelInputs &inputs, double requiredLevel,
                                         const std::atomic<bool> *cancel, SummaryFigures figures)
{
    if (!hasLevelMap(inputs) || !std::isfinite(requiredLevel))
        return std::nullopt;
    // The loudspeakers are placed in the map's blocks once, by summary().
    MapBlocks blocks(withoutPlacements(inputs));
    const RoomTally room(inputs, requiredLevel, &blocks.inside());
    return room.summary(blocks, inputs.placements, cancel, figures);
}

CountFit fitCount(const LevelInputs &room, Arrangement arrangement, double radius, const FitRule &rule,
                  int limit, const std::atomic<bool> *cancel, int threads)
{
    CountFit fit;
    const calc::Shape shape = layoutShape(room);
    LevelInputs inputs = room;
    inputs.placements = layOut(arrangement, shape, radius, 1).placements;
    limit = std::clamp(limit, 1, MaxLoudspeakers);
    if (isGrid(arrangement) || !hasLevelMap(inputs) || !std::isfinite(rule.requiredLevel)
        || !std::isfinite(rule.targetShare))
        return fit;
    // Each core keeps its own tally of the room (the counts are tallied a
    // few at a time, one on each core); the first serves the bounds too.
    std::vector<std::unique_ptr<RoomTally>> tallies;
    tallies.push_back(std::make_unique<RoomTally>(room, rule.requiredLevel));
    tallies.front()->keepRunSums();
    const RoomTally &tally = *tallies.front();
    // In a rectangle: one loudspeaker alone too loud somewhere; and from
    // how many on the floor's mean power, and so its loudest cell, is
    // above LoudestAllowed whatever the count.
    int loudFrom = limit + 1;
    // Fewer than this many cannot reach the target share: the cells at or
    // above the required level are no more than the loudspeakers' powers
    // over the floor, each capped at the required level's (Alone::most),
    // allow.
    int enough = 1;
    double enoughShare = 0.0;
    if (!tally.shaped()) {
        const Alone alone = aloneInRectangle(tally, room, arrangement);
        if (alone.peak > tally.loudPower()) {
            fit.outcome = FitOutcome::TooLoud;
            return fit;
        }
        const double floorCells = double(tally.grid().cells());
        if (alone.total > 0.0)
            loudFrom = int(
                std::min(double(loudFrom), std::floor(tally.loudPower() * floorCells / alone.total) + 1.0));
        const double perLoudspeaker = 100.0 * alone.most / (tally.outPower() * floorCells);
        if (perLoudspeaker > 0.0 && std::isfinite(perLoudspeaker)) {
            enough = int(
                std::clamp(std::ceil(rule.targetShare / perLoudspeaker - 1e-9), 1.0, double(limit) + 1.0));
            enoughShare = std::min(100.0, perLoudspeaker * (enough - 1));
        }
    }
    // Below this many loudspeakers no cell can reach the required level.
    const double reaching = std::ceil(tally.outPower() / tally.gains().peak() - 1e-9);
    int first = int(std::clamp(reaching, 1.0, double(limit) + 1.0));
    double best = 0.0;
    if (enough > first) {
        first = enough;
        best = enoughShare;
    }
    bool reachedButLoud = false;
    StopRule stop;
    stop.target = rule.targetShare;
    // The counts are tallied a few at a time, one on each core, and judged
    // in order.
    const int workers
        = std::max(1, threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency())));
    std::vector<std::vector<Placement>> layouts(static_cast<std::size_t>(workers));
    std::vector<Tally> tallied(static_cast<std::size_t>(workers));
    // The map's blocks of the room, for the figures of the counts bounds
    // leave open: its law and table of powers set up once.
    std::unique_ptr<MapBlocks> blocks;
    for (int from = first; from <= limit; from += workers) {
        if (from >= loudFrom) {
            // Every count from here on is too loud.
            fit.outcome = FitOutcome::TooLoud;
            return fit;
        }
        const int batch = std::min({workers, limit - from + 1, loudFrom - from});
        while (int(tallies.size()) < batch) {
            tallies.push_back(std::make_unique<RoomTally>(room, rule.requiredLevel, tally.floorMask()));
            tallies.back()->keepRunSums();
        }
        inParallel(std::size_t(batch), batch, [&](std::size_t i) {
            if (cancel && cancel->load())
                return;
            layouts[i] = layOut(arrangement, shape, radius, from + int(i)).placements;
            if (cancel && cancel->load())
                return;
            tallied[i] = tallies[i]->tally(layouts[i], stop, cancel);
        });
        for (int i = 0; i < batch; ++i) {
            const int n = from + i;
            if (cancel && cancel->load()) {
                fit.outcome = FitOutcome::Cancelled;
                return fit;
            }
            const Tally &t = tallied[std::size_t(i)];
            inputs.placements = layouts[std::size_t(i)];
            ++fit.countsChecked;
            const double share = t.lower();
            const double shareUp = t.upper();
            const bool reaches = share >= rule.targetShare;
            const bool below = shareUp < rule.targetShare;
            if (below) {
                best = std::max(best, shareUp);
                continue;
            }
            if (t.tooLoud) {
                // Fails whatever its share; the tally went on until the
                // share could reach the target or not (unsettled: taken as
                // could).
                reachedButLoud = true;
                best = std::max(best, shareUp);
                continue;
            }
            // Settled by bounds: the share it reaches comes from the rest
            // of its tally, made exact. Too close to call: the map decides.
            if (reaches && !t.maybeLoud && !t.stoppedEarly) {
                Tally exact = t;
                if (tallies[std::size_t(i)]->finishShare(exact, cancel)) {
                    fit.outcome = FitOutcome::Fitted;
                    fit.count = n;
                    fit.share = exact.lower();
                    return fit;
                }
                if (cancel && cancel->load()) {
                    fit.outcome = FitOutcome::Cancelled;
                    return fit;
                }
            }
            if (!blocks)
                blocks = std::make_unique<MapBlocks>(withoutPlacements(inputs));
            const std::optional<LevelSummary> figures
                = tallies.front()->summary(*blocks, inputs.placements, cancel, SummaryFigures::Shares);
            ++fit.fullMaps;
            if (!figures) {
                fit.outcome = cancel && cancel->load() ? FitOutcome::Cancelled : FitOutcome::NoMap;
                return fit;
            }
            const LevelSummary &summary = *figures;
            if (meetsRule(summary, rule)) {
                fit.outcome = FitOutcome::Fitted;
                fit.count = n;
                fit.share = summary.requiredShare;
                return fit;
            }
            best = std::max(best, summary.requiredShare);
            reachedButLoud = reachedButLoud || summary.requiredShare >= rule.targetShare;
        }
    }
    fit.outcome = reachedButLoud ? FitOutcome::TooLoud : FitOutcome::ShareNotReached;
    fit.share = best;
    return fit;
}

QString loudspeakersText(int count)
{
    const int lastTwo = std::abs(count) % 100;
    const int last = lastTwo % 10;
    QString word;
    if (last == 1 && lastTwo != 11)
        word = QStringLiteral("громкоговоритель");
    else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        word = QStringLiteral("громкоговорителя");
    else
        word = QStringLiteral("громкоговорителей");
    return QString::number(count) + u' ' + word;
}

QString fitLine(const CountFit &fit, const FitRule &rule, QChar decimalPoint)
{
    switch (fit.outcome) {
    case FitOutcome::Fitted:
        return QStringLiteral("Подобрано по уровню: %1, не ниже %2 дБ на %3 % площади")
            .arg(loudspeakersText(fit.count), calc::formatFixed(rule.requiredLevel, 0, decimalPoint),
                 calc::formatFixed(fit.share, 1, decimalPoint));
    case FitOutcome::ShareNotReached:
        return QStringLiteral("Подбор по уровню: не достигается: не выше %1 % площади")
            .arg(calc::formatFixed(fit.share, 1, decimalPoint));
    case FitOutcome::TooLoud: return QStringLiteral("Подбор по уровню: не достигается: выше 120 дБ");
    case FitOutcome::NoMap:
    case FitOutcome::Cancelled: break;
    }
    return QStringLiteral("Подбор по уровню: нет данных");
}

QString targetShareLine(double targetShare, QChar decimalPoint)
{
    return QStringLiteral("Требуемая доля площади: %1 %")
        .arg(calc::formatTrimmed(targetShare, 1, decimalPoint));
}

} // namespace plan
