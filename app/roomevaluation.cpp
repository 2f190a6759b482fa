#include "roomevaluation.h"

#include "calc/numberformat.h"
#include "calc/soundpressure.h"
#include "catalogue/catalogue.h"
#include "line/linecalc.h"
#include "line/linetexts.h"
#include "plan/intelligibility.h"
#include "plan/plangeometry.h"
#include "plan/planscene.h"
#include "plan/zones.h"
#include "project/roomresults.h"
#include "room/roomtypes.h"
#include "study/roomstudy.h"

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

QStringList RoomEvaluation::layouts(calc::Mounting mounting) const
{
    QStringList names;
    for (const plan::Arrangement arrangement : plan::arrangementsFor(mounting))
        names << plan::arrangementName(arrangement);
    return names;
}

project::RoomInputs startupRoomInputs()
{
    project::RoomInputs in;
    // The model box shows GK-1 but nothing is chosen from its list yet:
    // the power, sensitivity and wall mounting of the boxes apply.
    in.model = QStringLiteral("GK-1");
    in.modelFromList = false;
    in.mounting = calc::Mounting::Wall;
    in.tap = 1;
    in.power = QStringLiteral("6");
    in.sensitivity = QStringLiteral("88");
    in.directivity = QStringLiteral("90");
    in.verticalDirectivity = QStringLiteral("90");
    in.tilt = QStringLiteral("0");
    in.margin = QStringLiteral("10");
    in.listeningHeight = QStringLiteral("150");
    in.roomType = QStringLiteral("АВТОСТОЯНКА");
    in.noise = QStringLiteral("70");
    in.height = QStringLiteral("3");
    in.length = QStringLiteral("6");
    in.width = QStringLiteral("6");
    in.area = QStringLiteral("36");
    return in;
}

study::RoomRequest studyRequest(const project::RoomInputs &inputs, const QString &layout)
{
    study::RoomRequest request;
    request.inputs = calculationInputs(inputs, calc::localeDecimalPoint());
    request.model = inputs.model;
    request.roomType = inputs.roomType;
    request.areaFromSides = inputs.areaFromSides;
    if (!inputs.outline.empty())
        request.outline = calc::Shape::fromOutline(inputs.outline);
    request.layout = layout;
    return request;
}

project::LevelFit RoomEvaluation::fitLevel(const project::RoomInputs &inputs, const QString &layout,
                                           double targetShare, const std::atomic<bool> *cancel) const
{
    // What the fit depends on: the room's inputs and layout (not its
    // count) and the share.
    project::Room room;
    room.inputs = inputs;
    room.layout = layout;
    const QByteArray key = project::resultsKey(room, targetShare);
    {
        const QMutexLocker lock(&m_fitsLock);
        if (const auto known = m_fits.constFind(key); known != m_fits.constEnd())
            return *known;
    }
    // One thread: the table fits many rooms at once.
    const study::CountFitStudy study
        = study::fitCount(studyRequest(inputs, layout), targetShare, cancel, 1, true);
    project::LevelFit fit;
    switch (study.fit.outcome) {
    case plan::FitOutcome::Fitted:
        fit = {project::LevelFit::Outcome::Fitted, study.fit.count, study.fit.share};
        break;
    case plan::FitOutcome::ShareNotReached:
        fit = {project::LevelFit::Outcome::ShareNotReached, 0, study.fit.share};
        break;
    case plan::FitOutcome::TooLoud: fit = {project::LevelFit::Outcome::TooLoud, 0, 0.0}; break;
    case plan::FitOutcome::Cancelled: return {};
    case plan::FitOutcome::NoMap: break;
    }
    const QMutexLocker lock(&m_fitsLock);
    m_fits.insert(key, fit);
    return fit;
}

study::RoomRequest RoomEvaluation::planRequest(const project::RoomInputs &inputs, const QString &layout,
                                               const project::PlanChoice &plan, project::LevelFit &fit,
                                               const std::atomic<bool> *cancel) const
{
    study::RoomRequest request = studyRequest(inputs, layout);
    switch (plan.count.kind) {
    case project::PlanCount::Kind::Calculated: break;
    case project::PlanCount::Kind::Fixed: request.count = double(plan.count.number); break;
    case project::PlanCount::Kind::Level:
        // No fitted count: the plan holds the calculation's.
        fit = fitLevel(inputs, layout, plan.targetShare, cancel);
        if (fit.outcome == project::LevelFit::Outcome::Fitted)
            request.count = double(fit.count);
        break;
    }
    return request;
}

project::RoomResults RoomEvaluation::evaluate(const project::RoomInputs &inputs, const QString &layout,
                                              const project::PlanChoice &plan) const
{
    project::LevelFit fit;
    const study::RoomStudy room = study::studyRoom(planRequest(inputs, layout, plan, fit));
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
    results.requiredLevel = room.figures.requiredLevel;
    results.takesCount = !plan::isGrid(room.arrangement);
    results.fit = fit;
    // The plan's loudspeakers and covered share of the floor, as the plan
    // window shows them; the power is that of the loudspeakers the plan
    // holds, the calculated count's where it has none.
    if (const std::optional<int> placed = room.placed())
        results.planned = *placed;
    results.power = results.loudspeakers() * double(calc::tappedPower(state.powerW, state.tap).value_or(0));
    results.covered = room.coveredShare();
    if (!room.refusal.isEmpty())
        results.note = results.note.isEmpty() ? room.refusal : results.note + u' ' + room.refusal;
    return results;
}

project::RoomLevels RoomEvaluation::evaluateLevels(const project::RoomInputs &inputs, const QString &layout,
                                                   const project::RoomSurfaces &surfaces,
                                                   const std::atomic<bool> *cancel,
                                                   const project::PlanChoice &plan) const
{
    project::LevelFit fit;
    const study::RoomRequest request = planRequest(inputs, layout, plan, fit, cancel);
    // One thread: the table computes many rooms at once. The map looks at
    // cancel after every block of cells. The coverage is the results'
    // (evaluate).
    const study::RoomStudy room = study::studyRoom(request, study::Depth::LevelsAlone, cancel, 1);
    if (!room.levels)
        return {};
    project::RoomLevels levels;
    levels.lowest = room.levels->lowest;
    levels.requiredShare = room.levels->requiredShare;
    // The fitted count of every room that takes a count, whatever its plan
    // holds; and whatever the verdict needs.
    levels.tooLoudShare = room.levels->tooLoudShare;
    if (!plan::isGrid(room.arrangement))
        levels.fit = fitLevel(inputs, layout, plan.targetShare, cancel);
    roomIntelligibility(room, surfaces, cancel, levels);
    return levels;
}

void roomIntelligibility(const study::RoomStudy &room, const project::RoomSurfaces &surfaces,
                         const std::atomic<bool> *cancel, project::RoomLevels &levels)
{
    // The plan window's map of the same layout, on one thread.
    if (!room.layout)
        return;
    plan::Surfaces chosen;
    chosen.floor = surfaces.floor;
    chosen.walls = surfaces.walls;
    chosen.ceiling = surfaces.ceiling;
    chosen.reverberationTime = surfaces.reverberation;
    const std::optional<plan::StiMap> map
        = plan::stiMap(plan::stiInputs(room.figures, room.layout->placements, chosen), cancel, 1);
    if (!map || std::all_of(map->values.begin(), map->values.end(), [](double v) { return std::isnan(v); }))
        return;
    const plan::StiSummary summary = plan::summarize(*map);
    levels.stiMean = summary.mean;
    levels.stiShare = summary.contourShare;
    levels.reverberation = summary.reverberation;
}

project::RoomDrawing RoomEvaluation::roomDrawing(const project::RoomInputs &inputs, const QString &layout,
                                                 const project::PlanChoice &plan) const
{
    project::LevelFit fit;
    const study::RoomStudy room
        = study::studyRoom(planRequest(inputs, layout, plan, fit), study::Depth::Layout);
    project::RoomDrawing drawing;
    if (!room.layout)
        return drawing;
    // The zones exactly as the room's own plan and its DXF draw them.
    plan::PlanContent content;
    content.length = room.figures.roomL;
    content.width = room.figures.roomW;
    if (const calc::Shape shape = room.figures.roomShape(); !shape.isPlainRectangle())
        content.shape = shape;
    content.placements = room.layout->placements;
    content.zone = plan::zoneForm(room.figures);
    drawing.zones = plan::zonePrimitives(content);
    drawing.loudspeakers.reserve(content.placements.size());
    for (const plan::Placement &placement : content.placements)
        drawing.loudspeakers.push_back(placement.position);
    return drawing;
}

std::vector<project::ListedRoomType> RoomEvaluation::roomTypes() const
{
    std::vector<project::ListedRoomType> types;
    for (int i = 0; i < roomtypes::Count; ++i) {
        if (i != roomtypes::OtherIndex)
            types.push_back({QString::fromUtf16(roomtypes::Table[std::size_t(i)].name),
                             QString::number(roomtypes::noiseLvl(i))});
    }
    return types;
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
