#pragma once

#include "calc/completedcalculation.h"
#include "calc/shape.h"
#include "plan/floorcoverage.h"
#include "plan/layout.h"
#include "plan/levelfit.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"

#include <QString>
#include <atomic>
#include <optional>

// The study of one room, from its inputs to its figures: the main window's
// calculation, the plan of its arrangement in the room's shape (positions
// and zones), the floor the zones cover and, when asked, the level map's
// summary. The rooms table, the command line and the benchmarks all study
// a room through studyRoom; none of them strings the steps together itself.
namespace study {

struct RoomRequest {
    // The texts CALCULATE reads, as the main window would hold them once the
    // room is entered (a catalogue model's and a listed room type's figures
    // already in place), the model and room-type texts the report names and
    // whether the area is length x width.
    calc::CalcInputs inputs;
    QString model;
    QString roomType;
    bool areaFromSides = false;
    // The room's floor where it has an outline; the calculation's rectangle
    // length x width otherwise.
    std::optional<calc::Shape> outline;
    // The caption of the plan's arrangement; the mounting's default one when
    // it names none of those offered.
    QString layout;
    // How many loudspeakers the plan holds where the arrangement takes a
    // count; none: the calculation's count.
    std::optional<double> count;
};

// How far a study goes: the calculation and the loudspeakers laid out (for
// a drawing), the plan with its coverage as well, or the level map's
// summary too (which takes far longer); or the layout and the level map's
// summary without the coverage, for a caller that has it from the plan.
enum class Depth { Layout, Plan, Levels, LevelsAlone };

struct RoomStudy {
    // The calculation with the inputs it read and the state it left,
    // whether it completed, and its messages (the reason it stopped, or the
    // warnings of one that completed), joined by spaces.
    calc::CompletedCalculation calculation;
    bool completed = false;
    QString note;

    // The plan: what it is drawn from, its arrangement and the count asked of
    // it (a whole number of 1 .. plan::MaxLoudspeakers).
    plan::PlanFigures figures;
    plan::Arrangement arrangement = plan::Arrangement::Rows;
    int count = 1;
    // The loudspeakers placed; none where the calculation stopped or the
    // arrangement needs more than a plan holds (refusal then says so, as the
    // plan window does).
    std::optional<plan::Layout> layout;
    QString refusal;
    // The cells the zones cover (empty without a layout).
    plan::FloorCoverage coverage;
    // The level map's summary against the required level, but for its
    // highest and spread (not a number: the rooms table shows neither):
    // asked for with Depth::Levels, and there where the map could be
    // computed and was not cancelled.
    std::optional<plan::LevelSummary> levels;
    bool cancelled = false;

    // The plan's covered share of the floor, where it is laid out.
    std::optional<double> coveredShare() const;
    // How many loudspeakers the plan holds, where it is laid out.
    std::optional<int> placed() const;
};

// The arrangement a layout caption names for the mounting type, the
// default one when it names none of those offered.
plan::Arrangement arrangementOf(calc::Mounting mounting, const QString &layout);

// The plan's count for a calculation: the count asked for, or the
// calculation's, as a whole number of 1 .. plan::MaxLoudspeakers.
int planCount(double count);

// Studies the room. The level map's summary (plan::levelSummary, which
// computes only the cells its bounds leave open) runs on the calling
// thread whatever threads asks, and stops soon after cancel becomes true,
// leaving levels empty and cancelled set. Safe to call from any thread.
RoomStudy studyRoom(const RoomRequest &request, Depth depth = Depth::Plan,
                    const std::atomic<bool> *cancel = nullptr, int threads = 1);

// The least count whose level map meets the rules (plan::fitCount) for
// the room of the request: its calculation, figures, shape and arrangement
// as studyRoom takes them, judged by the required level the calculation
// gives and targetShare (per cent). fit.outcome is NoMap where the
// calculation stops or the arrangement is a grid (which fixes its own
// count), Cancelled when cancel became true; fit.fullMaps counts the maps
// computed in full.
struct CountFitStudy {
    bool completed = false; // the calculation completed
    plan::FitRule rule;
    plan::Arrangement arrangement = plan::Arrangement::Rows;
    plan::CountFit fit;
};
// bounded: the counts tried go up to FitCountsPerCalculated times the
// calculation's count (at least MinFitLimit) rather than to the plan's
// limit, so that a room whose share stays short of the target (a strip of
// floor no count reaches) is settled in seconds, as a table of many rooms
// needs.
inline constexpr int FitCountsPerCalculated = 4;
inline constexpr int MinFitLimit = 100;
CountFitStudy fitCount(const RoomRequest &request, double targetShare = plan::DefaultTargetShare,
                       const std::atomic<bool> *cancel = nullptr, int threads = 1, bool bounded = false);

} // namespace study
