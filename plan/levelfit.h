#pragma once

#include "layout.h"
#include "levelmap.h"

#include <QChar>
#include <QString>
#include <atomic>
#include <optional>
#include <vector>

// The least loudspeaker count whose level map meets the rules: the level
// of the direct sound (as levelMap computes it) at or above the required
// level on at least the target share of the floor's cells, and above
// LoudestAllowed on none.
//
// The fit goes up from one loudspeaker and takes the first count that
// meets the rules, since the share is not bound to grow with every
// loudspeaker added. Most counts are settled without a map: the floor is
// split into blocks, and for each block the loudspeakers (in a tree of
// boxes) give the least and the most power any of its cells can get. A
// block wholly above or below the thresholds is counted at once (since
// levelMap leaves out at most LevelMapTolerance of a cell's full sum and
// never adds to it, a cell whose full sum is at least LevelMapTolerance
// above the required level counts on the map, and one below it does not);
// the others are split down to single cells, whose levels come from the
// map's blocks of 8 x 8 cells, computed as the map computes them. The
// count found takes its share from its tally, finished down to the cells
// (so that it is its map's share); a count the bounds leave too close to
// call takes its map's figures, which levelSummary computes the same way.
namespace plan {

// The share of the floor the plan window judges by, per cent.
inline constexpr double DefaultTargetShare = 95.0;

struct FitRule {
    double requiredLevel = 75.0;             // dB
    double targetShare = DefaultTargetShare; // per cent of the floor's cells
};

// Whether a map's figures meet the rule: requiredShare (counted against
// rule.requiredLevel) at least the target and no cell too loud.
bool meetsRule(const LevelSummary &summary, const FitRule &rule);

// What the bounds tell of one layout without its whole map: the share of
// the floor's cells at or above the required level on the map lies in
// lower .. upper (per cent); tooLoud: some cell is above LoudestAllowed on
// the map for sure; quiet: none is, for sure. resolution: the blocks are
// split until upper - lower is at most this (per cent); a block of the
// map's (MapBlocks) that bounds leave open is computed as the map computes
// it, so that at resolution 0 both ends are the map's share.
struct ShareBounds {
    double lower = 0.0;
    double upper = 100.0;
    bool tooLoud = false;
    bool quiet = false;
    bool valid = false; // false where the inputs describe no map
};
ShareBounds shareBounds(const LevelInputs &inputs, double requiredLevel, double resolution);

// Which figures levelSummary computes: every one; all but the highest and
// the spread, which cost about as much as the rest and the rooms table
// does not show; or the shares alone, all a fit needs. Those left out are
// not a number.
enum class SummaryFigures { All, WithoutHighest, Shares };

// The figures of the map of inputs against requiredLevel, as
// summarize(*levelMap(inputs), requiredLevel) gives them, without
// computing every cell: only the blocks of cells whose bounds leave a
// figure open are computed (as the map computes them). The shares are the
// map's, and so is the lowest; the highest is a level of the map, the
// map's highest to within LevelMapTolerance. One thread; stops soon
// after cancel becomes true and gives no value, as where levelMap gives
// none. figures: which figures (see SummaryFigures).
std::optional<LevelSummary> levelSummary(const LevelInputs &inputs, double requiredLevel,
                                         const std::atomic<bool> *cancel = nullptr,
                                         SummaryFigures figures = SummaryFigures::All);

enum class FitOutcome {
    Fitted,          // count meets the rule
    ShareNotReached, // no count up to the limit reaches the target share
    TooLoud,         // every count that could reach it puts a cell above LoudestAllowed
    NoMap,           // the room and loudspeaker describe no map
    Cancelled,
};

struct CountFit {
    FitOutcome outcome = FitOutcome::NoMap;
    int count = 0; // Fitted: the least count that meets the rule
    // Fitted: the share the count's map reaches; ShareNotReached: the most
    // any count up to the limit can reach (a bound: the share is not above
    // it).
    double share = 0.0;
    // Counts whose map figures were computed (levelSummary's way: the
    // cells bounds leave open, as the map computes them). A count its
    // bounds show to meet the rule takes none: its share comes from its
    // tally, finished cell by cell where the bounds leave it open.
    int fullMaps = 0;
    int countsChecked = 0; // counts settled by bounds or maps
};

// The fit of an arrangement that takes a count (rows, one wall, two walls)
// in the room of inputs (its shape, or length x width; the placements are
// ignored): the least count of 1 .. limit whose layout (layOut with radius)
// meets the rule. Full maps run on threads threads (0: one per core);
// stops soon after cancel becomes true. Safe to call from any thread.
CountFit fitCount(const LevelInputs &room, Arrangement arrangement, double radius, const FitRule &rule,
                  int limit = MaxLoudspeakers, const std::atomic<bool> *cancel = nullptr, int threads = 0);

// "1 громкоговоритель", "3 громкоговорителя", "12 громкоговорителей".
QString loudspeakersText(int count);

// The plan window's line on a fit: "Подобрано по уровню: 9
// громкоговорителей, не ниже 80 дБ на 100,0 % площади", "Подбор по уровню:
// не достигается: не выше 78,5 % площади", "Подбор по уровню: не
// достигается: выше 120 дБ" or "Подбор по уровню: нет данных".
QString fitLine(const CountFit &fit, const FitRule &rule, QChar decimalPoint);

// "Требуемая доля площади: 95 %".
QString targetShareLine(double targetShare, QChar decimalPoint);

} // namespace plan
