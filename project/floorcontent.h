#pragma once

#include "floordrawing.h"
#include "projectdata.h"
#include "projectmodel.h"
#include "roomcalculator.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

// A floor of the project as its view and its DXF drawing show it, made
// from the rooms' inputs, their results and their plans.
namespace project {

// A room of the floor as the window holds it at the moment: what its
// drawing is made from, safe to take to another thread.
struct FloorRoomSource {
    RoomId id = 0;
    Room room;
    RoomResults results;
    // The project's share, %: the room is tinted as meeting the rules
    // where its plan meets them with it.
    double targetShare = DefaultTargetShare;
    FloorTint tint = FloorTint::Level;
};

// The floors of the project, in the order their rooms first name them;
// the floors with plans first where they have no room yet.
QStringList floorsOf(const Project &project);

// The rooms of floor that have an outline, with their results, to be
// tinted by tint.
std::vector<FloorRoomSource> floorRooms(const ProjectModel &model, const std::vector<RoomResults> &results,
                                        const QString &floor, FloorTint tint = FloorTint::Level);

// A room's tint: by the level (meetsRules) or by the intelligibility
// (meetsIntelligibility), grey where the figures are not there.
FloorVerdict floorVerdict(const RoomResults &results, double targetShare, FloorTint tint);

// The floor's rooms drawn: each outline with its name, count and verdict,
// its loudspeakers and zones from its plan. A room without results (none
// given) is drawn all the same, its verdict unknown. Stops early (returning what it
// has) once cancel is set.
std::vector<FloorRoom> drawFloorRooms(const std::vector<FloorRoomSource> &rooms,
                                      const RoomCalculator &calculator,
                                      const std::atomic<bool> *cancel = nullptr);

// Drawing units per metre of a floor's DXF: the plan's own unit, mm for a
// floor without a plan.
double floorUnitsPerMetre(const Project &project, const QString &floor);

} // namespace project
