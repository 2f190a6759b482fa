#include "roomstudy.h"

#include "calc/calculation.h"
#include "plan/planscene.h"
#include "plan/plantexts.h"
#include "plan/zones.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace study {

std::optional<double> RoomStudy::coveredShare() const
{
    if (!layout || coverage.grid.cells() == 0)
        return std::nullopt;
    return coverage.percent();
}

std::optional<int> RoomStudy::placed() const
{
    if (!layout)
        return std::nullopt;
    return int(layout->placements.size());
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

int planCount(double count)
{
    return std::isfinite(count) ? int(std::clamp(std::round(count), 1.0, double(plan::MaxLoudspeakers))) : 1;
}

namespace {

// CALCULATE over the request's texts, as the main window runs it.
void calculate(const RoomRequest &request, RoomStudy &study)
{
    study.calculation = {request.inputs, calc::CalcState(), request.model, request.roomType};
    study.calculation.state.areaFromLW = request.areaFromSides;
    const calc::Outcome outcome = calc::calculate(study.calculation.inputs, study.calculation.state);
    QStringList messages;
    for (const calc::Effect &effect : outcome.effects) {
        if (effect.kind == calc::Effect::Kind::Message)
            messages << effect.text;
    }
    study.note = messages.join(u' ');
    study.completed = outcome.completed;
}

// The plan laid out, or the plan window's note on why it is not: an
// arrangement that needs more loudspeakers than a plan holds is neither
// laid out nor cut down to the limit, since the figures of such a plan
// would not describe the room (and a plan of that many takes minutes).
void layOut(const RoomRequest &request, RoomStudy &study)
{
    const plan::PlanFigures &figures = study.figures;
    const double asked = request.count.value_or(figures.count);
    if (!plan::isGrid(study.arrangement)) {
        // The count as layOut rounds it; checked before laying out, which
        // would place as many as the limit allows.
        const double needed = std::max(1.0, std::round(asked));
        if (needed > double(plan::MaxLoudspeakers)) {
            study.refusal = plan::limitLine(study.arrangement, needed, false, 0, figures.decimalPoint);
            return;
        }
    }
    plan::Layout layout = plan::layOut(study.arrangement, figures.roomShape(), figures.radius, study.count);
    if (layout.tooMany) {
        study.refusal = plan::limitLine(study.arrangement, layout.needed.count, layout.needed.atLeast, 0,
                                        figures.decimalPoint);
        return;
    }
    study.layout = std::move(layout);
}

} // namespace

RoomStudy studyRoom(const RoomRequest &request, Depth depth, const std::atomic<bool> *cancel, int threads)
{
    RoomStudy study;
    calculate(request, study);
    if (!study.completed)
        return study;

    study.figures = plan::figuresOf(study.calculation);
    if (request.outline)
        study.figures.shape = *request.outline;
    study.arrangement = arrangementOf(study.figures.mounting, request.layout);
    study.count = planCount(request.count.value_or(study.figures.count));
    layOut(request, study);
    if (!study.layout || depth == Depth::Layout)
        return study;
    if (depth != Depth::LevelsAlone)
        study.coverage = plan::floorCoverage(study.figures.roomShape(), plan::zoneForm(study.figures),
                                             study.layout->placements);

    if (depth == Depth::Plan)
        return study;
    if (cancel && cancel->load()) {
        study.cancelled = true;
        return study;
    }
    // The figures without the whole map: only the cells the bounds leave
    // open are computed, on the calling thread.
    (void)threads;
    std::optional<plan::LevelSummary> levels
        = plan::levelSummary(plan::levelInputs(study.figures, study.layout->placements),
                             study.figures.requiredLevel, cancel, plan::SummaryFigures::WithoutHighest);
    if (cancel && cancel->load()) {
        study.cancelled = true;
        return study;
    }
    study.levels = levels;
    return study;
}

CountFitStudy fitCount(const RoomRequest &request, double targetShare, const std::atomic<bool> *cancel,
                       int threads, bool bounded)
{
    CountFitStudy result;
    RoomStudy study;
    calculate(request, study);
    result.completed = study.completed;
    if (!study.completed)
        return result;
    plan::PlanFigures figures = plan::figuresOf(study.calculation);
    if (request.outline)
        figures.shape = *request.outline;
    result.arrangement = arrangementOf(figures.mounting, request.layout);
    result.rule = {figures.requiredLevel, targetShare};
    const int limit = bounded
        ? int(std::clamp(std::max(double(MinFitLimit), FitCountsPerCalculated * std::ceil(figures.count)),
                         1.0, double(plan::MaxLoudspeakers)))
        : plan::MaxLoudspeakers;
    result.fit = plan::fitCount(plan::levelInputs(figures, {}), result.arrangement, figures.radius,
                                result.rule, limit, cancel, threads);
    return result;
}

} // namespace study
