#pragma once

#include "projectdata.h"

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"
#include "widgets/drawing.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>
#include <vector>

namespace project {

// What a room's plan is asked to hold: the count it takes and the share of
// the floor the rules ask for, % (the fit and the verdicts judge by it).
struct PlanChoice {
    PlanCount count;
    double targetShare = DefaultTargetShare;

    bool operator==(const PlanChoice &) const = default;
};

// The least count whose level map meets the rules, for an arrangement that
// takes a count: found, or why not (share: the most any count up to the
// limit reaches, %). None: a grid, or a room without a map.
struct LevelFit {
    enum class Outcome { None, Fitted, ShareNotReached, TooLoud };
    Outcome outcome = Outcome::None;
    int count = 0;
    double share = 0.0;

    bool operator==(const LevelFit &) const = default;
};

// What the calculation of one room gave. The figures are those of the
// main window for the same inputs; a calculation that stops has none.
struct RoomResults {
    bool completed = false;
    // The mounting type the calculation ran with: a catalogue model's own,
    // or the room's for any other model.
    calc::Mounting mounting = calc::Mounting::Wall;
    // The noise text the calculation was given: a listed room type's own
    // level, or the room's text.
    QString noiseText;
    // The room as the calculation read it (completed calculations only).
    double noise = 0.0;
    double length = 0.0;
    double width = 0.0;
    double roomArea = 0.0;
    // The four results of the main window.
    double spl = 0.0;
    double range = 0.0;
    double coverArea = 0.0;
    double count = 0.0; // the calculation's count
    // The loudspeakers the room's plan holds, if the plan could be laid out:
    // a grid's differs from the calculation's count.
    std::optional<int> planned;
    double power = 0.0; // loudspeakers() x tapped power, W
    // The plan's covered share of the floor in per cent, if the plan could
    // be laid out (a plan that would need more loudspeakers than a plan
    // holds is not: its note says so). A room without it has no level map.
    std::optional<double> covered;
    // The level map of that plan: its lowest level, dB, and its share of the
    // floor at or above the required level in per cent, if the map could be
    // computed. A map takes far longer than the rest, so the table fills
    // these in later: until then levelsPending is true.
    std::optional<double> lowestLevel;
    std::optional<double> requiredShare;
    // The intelligibility map of that plan (see RoomLevels), with the level
    // map's figures.
    std::optional<double> stiMean;
    std::optional<double> stiShare;
    std::optional<double> reverberation;
    bool levelsPending = false;
    // The rules the plan is judged by: the required level, dB, the share
    // of the floor above LoudestLevel (with the level figures) and the
    // fitted count (with them too; a room in level mode has it at once).
    double requiredLevel = 0.0;
    std::optional<double> tooLoudShare;
    LevelFit fit;
    // Whether the plan's arrangement takes a count (a grid fixes its own).
    bool takesCount = false;
    // The message of a calculation that stops, or the messages of one that
    // completes (such as the warning about the mounting height).
    QString note;

    // The loudspeakers the room is counted with in its power, its line and
    // the equipment list: its plan's, or the calculation's count where the
    // plan could not be laid out.
    double loudspeakers() const { return planned ? double(*planned) : count; }

    bool operator==(const RoomResults &) const = default;
};

// The level map's figures of a room's plan; none where the calculation
// stops or there is no map.
struct RoomLevels {
    std::optional<double> lowest;
    std::optional<double> requiredShare;
    // The share above LoudestLevel and the fitted count (see RoomResults).
    std::optional<double> tooLoudShare;
    LevelFit fit;
    // The intelligibility map of the plan with the room's surfaces: its
    // mean STI over the floor, its share of the floor at an STI of 0.50 or
    // above in per cent, and the room's reverberation time, s (the mean of
    // its 500 and 1000 Hz bands, the typed time where the room has one).
    std::optional<double> stiMean;
    std::optional<double> stiShare;
    std::optional<double> reverberation;
};

// The loudest level a plan may give anywhere on the floor, dB.
inline constexpr double LoudestLevel = 120.0;

// What a room's intelligibility depends on besides its inputs and layout:
// the materials of its surfaces and its typed reverberation time.
struct RoomSurfaces {
    QString floor = calc::defaultFloorMaterial();
    QString walls = calc::defaultWallsMaterial();
    QString ceiling = calc::defaultCeilingMaterial();
    std::optional<double> reverberation; // s; none: computed

    bool operator==(const RoomSurfaces &) const = default;
};
RoomSurfaces surfacesOf(const Room &room);

// The inputs of one line's formulas: a line's own figures with the
// loudspeakers of its rooms, count loudspeakers of power W each on their
// taps, taken as evenly spread along the line.
struct LineLoad {
    double voltage = 100.0;
    double count = 0.0;
    double power = 0.0;
    double firstLength = 0.0;
    double lastLength = 0.0;
    double section = 0.0;
    double allowedLoss = 0.0;
    double headroom = 0.0;
};

// What the "Линия" window shows for a line: its figures as numbers and as
// that window's texts, and its verdict. A line whose inputs are out of
// range has no figures; its verdict is then what that window says about
// the first such input.
struct LineResults {
    bool computed = false;
    double totalPower = 0.0;            // W
    double lossAtLast = 0.0;            // dB
    std::optional<double> leastSection; // mm2, none above the largest on sale
    double longestLine = 0.0;           // m
    double amplifierPower = 0.0;        // W
    bool lossInNorm = false;
    QString totalPowerText;
    QString lossText;
    QString leastSectionText;
    QString longestLineText;
    QString amplifierText;
    QString verdict;
};

// A room type of the main window's list with the noise text it enters.
struct ListedRoomType {
    QString name;
    QString noise;
};

// A room's plan as its floor shows it: each loudspeaker's position and its
// zone cut to the room, in metres on the floor's coordinates, in the
// plan's numbering; empty where the plan could not be laid out.
struct RoomDrawing {
    std::vector<QPointF> loudspeakers;
    std::vector<drawing::Primitive> zones;
};

// The calculation of rooms and of their lines, supplied by the program that
// knows the catalogue, the room types, the calculation, the plan and the
// line's formulas. evaluate() and evaluateLevels() are
// called from several threads at once and must not touch shared state.
class RoomCalculator {
public:
    virtual ~RoomCalculator() = default;

    // Every result but the level map's figures, which it leaves empty. The
    // plan holds the count plan asks for; a fitted one (PlanCount::Level)
    // is computed here, fit then filled in, and where none is found the
    // plan holds the calculation's count.
    virtual RoomResults evaluate(const RoomInputs &inputs, const QString &layout,
                                 const PlanChoice &plan = {}) const = 0;
    // The level map's figures of the room's plan (RoomResults::lowestLevel
    // and requiredShare) and those of its intelligibility map with the
    // surfaces, computed on the calling thread alone. When cancel
    // becomes true the computation stops soon after (well within half a
    // second, whatever the plan) and its figures are to be thrown away.
    // Its fit is the fitted count of the room whatever count the plan
    // holds.
    virtual RoomLevels evaluateLevels(const RoomInputs &inputs, const QString &layout,
                                      const RoomSurfaces &surfaces, const std::atomic<bool> *cancel = nullptr,
                                      const PlanChoice &plan = {}) const = 0;
    // The fitted count alone (of the cache evaluate and evaluateLevels
    // share, where the calculator keeps one); fit.outcome None when
    // cancelled.
    virtual LevelFit fitLevel(const RoomInputs &inputs, const QString &layout, double targetShare,
                              const std::atomic<bool> *cancel = nullptr) const
    {
        Q_UNUSED(inputs);
        Q_UNUSED(layout);
        Q_UNUSED(targetShare);
        Q_UNUSED(cancel);
        return {};
    }

    // The "Линия" window's formulas for a line, texts with decimalPoint.
    virtual LineResults evaluateLine(const LineLoad &line, QChar decimalPoint) const = 0;

    // The room's plan on its floor (see RoomDrawing); any thread.
    virtual RoomDrawing roomDrawing(const RoomInputs &inputs, const QString &layout,
                                    const PlanChoice &plan = {}) const
    {
        Q_UNUSED(inputs);
        Q_UNUSED(layout);
        Q_UNUSED(plan);
        return {};
    }

    // The room types a room's name may name, with their noise.
    virtual std::vector<ListedRoomType> roomTypes() const { return {}; }

    // The plan layouts offered for a mounting type, the default first.
    virtual QStringList layouts(calc::Mounting mounting) const = 0;

    bool layoutAllowed(calc::Mounting mounting, const QString &layout) const
    {
        return layouts(mounting).contains(layout);
    }
    QString defaultLayout(calc::Mounting mounting) const
    {
        const QStringList offered = layouts(mounting);
        return offered.isEmpty() ? QString() : offered.front();
    }
};

// A room's inputs taken from a completed calculation of the main window;
// an area taken from length x width is the product the area box then shows.
RoomInputs inputsOf(const calc::CompletedCalculation &calculation);

} // namespace project
