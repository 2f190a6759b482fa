#include "roomevaluation.h"

#include "calc/numberformat.h"
#include "calc/soundpressure.h"
#include "catalogue/catalogue.h"
#include "line/linecalc.h"
#include "line/linetexts.h"
#include "plan/floorcoverage.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"
#include "plan/planscene.h"
#include "plan/plantexts.h"
#include "plan/zones.h"
#include "room/roomtypes.h"

#include <algorithm>
#include <cmath>

std::optional<calc::Mounting> catalogueMounting(const QString &model)
{
    for (const catalogue::Model &m : catalogue::models()) {
        if (model != QStringView(m.designation))
            continue;
        switch (m.typeCode) {
        case catalogue::CeilingCode: return calc::Mounting::Ceiling;
        case catalogue::WallCode: return calc::Mounting::Wall;
        case catalogue::RoundHornCode: return calc::Mounting::RoundHorn;
        case catalogue::SquareHornCode: return calc::Mounting::SquareHorn;
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<int> listedNoise(const QString &roomType)
{
    for (int i = 0; i < roomtypes::Count; ++i) {
        if (i != roomtypes::OtherIndex && roomType == QStringView(roomtypes::Table[std::size_t(i)].name))
            return roomtypes::noiseLvl(i);
    }
    return std::nullopt;
}

calc::CalcInputs calculationInputs(const project::RoomInputs &room, QChar decimalPoint)
{
    calc::CalcInputs in;
    in.cmbGn = room.directivity;
    in.cmbDv = room.verticalDirectivity;
    in.cmbUN = room.tilt;
    in.cmbUPS = room.margin;
    in.cmbVP = room.listeningHeight;
    in.tapMember = room.tap;
    in.mounting = room.mounting;
    in.txtPv = room.power;
    in.txtPd = room.sensitivity;
    // A model chosen from the list brings the catalogue's figures, as the
    // main window's list does; a typed one keeps the room's own.
    const std::optional<calc::Mounting> mounting
        = room.modelFromList ? catalogueMounting(room.model) : std::nullopt;
    if (mounting) {
        in.mounting = *mounting;
        in.txtPv = QString::number(*catalogue::pvG(room.model));
        in.txtPd = QString::number(*catalogue::pdG(room.model));
    }
    const std::optional<int> noise = listedNoise(room.roomType);
    in.txtN = noise ? QString::number(*noise) : room.noise;
    in.txtH = room.height;
    in.txtL = room.length;
    in.txtW = room.width;
    in.txtSR = room.area;
    in.decimalPoint = decimalPoint;
    return in;
}

plan::Arrangement arrangementOf(calc::Mounting mounting, const QString &layout)
{
    const std::vector<plan::Arrangement> offered = plan::arrangementsFor(mounting);
    for (const plan::Arrangement arrangement : offered) {
        if (plan::arrangementName(arrangement) == layout)
            return arrangement;
    }
    return offered.front();
}

QStringList RoomEvaluation::layouts(calc::Mounting mounting) const
{
    QStringList names;
    for (const plan::Arrangement arrangement : plan::arrangementsFor(mounting))
        names << plan::arrangementName(arrangement);
    return names;
}

namespace {

// Gives the plan the room's floor. Only a PlanFigures that holds a shape
// (its member shape) takes it; one without lays out, covers and maps the
// rectangle of the calculation's length and width, which an outline's
// room holds as its shape's.
template <typename Figures>
void setPlanShape(Figures &figures, const calc::Shape &shape)
{
    if constexpr (requires { figures.shape = shape; })
        figures.shape = shape;
}

} // namespace

calc::Shape roomShape(const project::RoomInputs &room, const calc::CalcState &state)
{
    if (!room.outline.empty())
        return calc::Shape::fromOutline(room.outline);
    return calc::Shape::rectangle(state.roomL, state.roomW);
}

RoomPlan roomPlan(const calc::CompletedCalculation &calculation, const project::RoomInputs &room,
                  const QString &layout)
{
    RoomPlan plan;
    plan.figures = plan::figuresOf(calculation);
    setPlanShape(plan.figures, roomShape(room, calculation.state));
    plan.arrangement = arrangementOf(plan.figures.mounting, layout);
    plan.count = std::isfinite(plan.figures.count)
        ? int(std::clamp(std::round(plan.figures.count), 1.0, double(plan::MaxLoudspeakers)))
        : 1;
    return plan;
}

RoomCalculation calculateRoom(const project::RoomInputs &inputs)
{
    RoomCalculation room;
    room.calculation = {calculationInputs(inputs, calc::localeDecimalPoint()), calc::CalcState(),
                        inputs.model, inputs.roomType};
    room.calculation.state.areaFromLW = inputs.areaFromSides;
    const calc::Outcome outcome = calc::calculate(room.calculation.inputs, room.calculation.state);
    QStringList messages;
    for (const calc::Effect &effect : outcome.effects) {
        if (effect.kind == calc::Effect::Kind::Message)
            messages << effect.text;
    }
    room.note = messages.join(u' ');
    room.completed = outcome.completed;
    return room;
}

namespace {

// The room's plan laid out, or the plan window's note on why it is not: an
// arrangement that needs more loudspeakers than a plan holds is neither
// laid out nor cut down to the limit, since the figures of such a plan
// would not describe the room (and a plan of that many takes minutes).
struct PlacedPlan {
    std::optional<plan::Layout> layout;
    QString refusal;
};

PlacedPlan laidOut(const RoomPlan &room)
{
    const plan::PlanFigures &figures = room.figures;
    if (!plan::isGrid(room.arrangement)) {
        // The calculated count as layOut rounds it; checked before laying
        // out, which would place as many as the limit allows.
        const double needed = std::max(1.0, std::round(figures.count));
        if (needed > double(plan::MaxLoudspeakers))
            return {std::nullopt, plan::limitLine(room.arrangement, needed, false, 0, figures.decimalPoint)};
    }
    plan::Layout layout
        = plan::layOut(room.arrangement, figures.roomL, figures.roomW, figures.radius, room.count);
    if (layout.tooMany)
        return {std::nullopt,
                plan::limitLine(room.arrangement, layout.needed.count, layout.needed.atLeast, 0,
                                figures.decimalPoint)};
    return {std::move(layout), QString()};
}

} // namespace

project::RoomResults RoomEvaluation::evaluate(const project::RoomInputs &inputs, const QString &layout) const
{
    const RoomCalculation room = calculateRoom(inputs);
    const calc::CalcState &state = room.calculation.state;

    project::RoomResults results;
    results.mounting = room.calculation.inputs.mounting;
    results.noiseText = room.calculation.inputs.txtN;
    results.note = room.note;
    if (!room.completed)
        return results;

    results.completed = true;
    results.noise = state.noise;
    results.length = state.roomL;
    results.width = state.roomW;
    results.roomArea = state.roomArea;
    results.spl = state.splTotal;
    results.range = state.range;
    results.coverArea = state.coverS;
    results.count = state.count;
    // The plan's loudspeakers and covered share of the floor, as the plan
    // window shows them; the power is that of the loudspeakers the plan
    // holds, the calculated count's where it has none.
    const RoomPlan plan = roomPlan(room.calculation, inputs, layout);
    const PlacedPlan placed = laidOut(plan);
    if (placed.layout)
        results.planned = int(placed.layout->placements.size());
    results.power = results.loudspeakers() * double(calc::tappedPower(state.powerW, state.tap).value_or(0));
    if (placed.layout) {
        const plan::FloorCoverage coverage = plan::floorCoverage(
            plan.figures.roomL, plan.figures.roomW, plan::zoneForm(plan.figures), placed.layout->placements);
        if (coverage.grid.cells() > 0)
            results.covered = coverage.percent();
    } else if (!placed.refusal.isEmpty()) {
        results.note = results.note.isEmpty() ? placed.refusal : results.note + u' ' + placed.refusal;
    }
    return results;
}

project::RoomLevels RoomEvaluation::evaluateLevels(const project::RoomInputs &inputs, const QString &layout,
                                                   const std::atomic<bool> *cancel) const
{
    const RoomCalculation room = calculateRoom(inputs);
    if (!room.completed || (cancel && cancel->load()))
        return {};
    const RoomPlan plan = roomPlan(room.calculation, inputs, layout);
    const PlacedPlan placed = laidOut(plan);
    if (!placed.layout)
        return {};
    // One thread: the table computes many rooms at once. The map looks at
    // cancel after every block of cells.
    const std::optional<plan::LevelMap> map
        = plan::levelMap(plan::levelInputs(plan.figures, placed.layout->placements), cancel, 1);
    if (!map || map->grid.cells() == 0)
        return {};
    const plan::LevelSummary summary = plan::summarize(*map, plan.figures.requiredLevel);
    return {summary.lowest, summary.requiredShare};
}

project::LineResults RoomEvaluation::evaluateLine(const project::LineLoad &load, QChar decimalPoint) const
{
    line::LineInputs in;
    in.voltage = load.voltage;
    in.count = load.count;
    in.power = load.power;
    in.firstLength = load.firstLength;
    in.lastLength = load.lastLength;
    in.section = load.section;
    in.allowedLoss = load.allowedLoss;
    in.headroom = load.headroom;
    project::LineResults results;
    const auto outcome = line::computeLine(in);
    if (const auto *field = std::get_if<line::LineField>(&outcome)) {
        results.verdict = line::problemText(*field);
        return results;
    }
    const auto &figures = std::get<line::LineFigures>(outcome);
    const line::LineTexts texts = line::formatLine(figures, decimalPoint);
    results.computed = true;
    results.totalPower = figures.totalPower;
    results.lossAtLast = figures.lossAtLast;
    results.leastSection = figures.leastSection;
    results.longestLine = figures.longestLine;
    results.amplifierPower = figures.amplifierPower;
    results.lossInNorm = figures.lossInNorm;
    results.totalPowerText = texts.totalPower;
    results.lossText = texts.lossAtLast;
    results.leastSectionText = texts.leastSection;
    results.longestLineText = texts.longestLine;
    results.amplifierText = texts.amplifierPower;
    results.verdict = texts.verdict;
    return results;
}
