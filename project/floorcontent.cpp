#include "floorcontent.h"

#include "roomresults.h"

#include "widgets/backgroundjobs.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <cmath>

namespace project {

QStringList floorsOf(const Project &project)
{
    QStringList floors;
    QSet<QString> seen;
    for (const Room &room : project.rooms) {
        if (!seen.contains(room.floor)) {
            seen.insert(room.floor);
            floors << room.floor;
        }
    }
    for (const FloorPlan &plan : project.plans) {
        if (!seen.contains(plan.floor)) {
            seen.insert(plan.floor);
            floors << plan.floor;
        }
    }
    return floors;
}

std::vector<FloorRoomSource> floorRooms(const ProjectModel &model, const std::vector<RoomResults> &results,
                                        const QString &floor, FloorTint tint)
{
    std::vector<FloorRoomSource> rooms;
    for (int row = 0; row < model.roomCount(); ++row) {
        const Room &room = model.room(row);
        if (room.floor != floor || room.inputs.outline.empty())
            continue;
        rooms.push_back({model.idAt(row), room,
                         std::size_t(row) < results.size() ? results[std::size_t(row)] : RoomResults{},
                         model.project().targetShare, tint});
    }
    return rooms;
}

FloorVerdict floorVerdict(const RoomResults &results, double targetShare, FloorTint tint)
{
    const std::optional<bool> meets = tint == FloorTint::Level ? meetsRules(results, targetShare)
                                                               : meetsIntelligibility(results, targetShare);
    if (!meets)
        return FloorVerdict::NoData;
    return *meets ? FloorVerdict::Met : FloorVerdict::Short;
}

namespace {

QString countText(const RoomResults &results)
{
    if (!results.completed)
        return QString();
    const double count = results.loudspeakers();
    return std::isfinite(count) ? QString::number(count, 'f', 0) : QString();
}

} // namespace

std::vector<FloorRoom> drawFloorRooms(const std::vector<FloorRoomSource> &rooms,
                                      const RoomCalculator &calculator, const std::atomic<bool> *cancel)
{
    std::vector<FloorRoom> drawn(rooms.size());
    inParallel(rooms.size(), 0, [&](std::size_t i) {
        if (cancel && cancel->load())
            return;
        const FloorRoomSource &source = rooms[i];
        FloorRoom &room = drawn[i];
        room.id = source.id;
        room.name = source.room.name;
        room.outline = calc::Shape::fromOutline(source.room.inputs.outline);
        room.countText = countText(source.results);
        room.verdict = floorVerdict(source.results, source.targetShare, source.tint);
        room.model = source.room.inputs.model;
        room.line = source.room.line;
        // The plan's own loudspeakers are the count it holds ("На плане"),
        // which the drawing shows even without the results (the command
        // line's floor needs no level figures).
        RoomDrawing plan = calculator.roomDrawing(source.room.inputs, source.room.layout,
                                                  {source.room.count, source.targetShare});
        if (!plan.loudspeakers.empty())
            room.countText = QString::number(plan.loudspeakers.size());
        room.zones = std::move(plan.zones);
        room.loudspeakers.reserve(plan.loudspeakers.size());
        for (std::size_t k = 0; k < plan.loudspeakers.size(); ++k)
            room.loudspeakers.push_back({plan.loudspeakers[k], int(k + 1)});
    });
    return drawn;
}

double floorUnitsPerMetre(const Project &project, const QString &floor)
{
    if (const FloorPlan *plan = project.planOf(floor)) {
        if (const double metres = metresPerPlanUnit(plan->units); metres > 0.0)
            return 1.0 / metres;
    }
    return 1000.0;
}

} // namespace project
