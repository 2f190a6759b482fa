#pragma once

#include "projectdata.h"
#include "projectmodel.h"
#include "roomcalculator.h"

#include "calc/shape.h"

#include <QString>
#include <QStringList>
#include <QUndoCommand>
#include <vector>

// Importing a floor's rooms from the architect's plan into a project: each
// outline becomes a room made from a template, and a floor imported again
// keeps the rooms whose outlines the new plan still holds.
namespace project {

// A room as the plan gives it: its outline in metres on the plan's
// coordinates and the texts inside it (empty: it has none).
struct ImportedRoom {
    calc::Shape outline;
    QString name;
};

// The listed type whose name appears in name, case-insensitively (the
// longest one where several do), or none.
const ListedRoomType *roomTypeNamedIn(const QString &name, const std::vector<ListedRoomType> &types);

// "Помещение N", the name of a room the plan gives no text for.
QString defaultRoomName(int number);
bool isDefaultRoomName(const QString &name);

// The area two outlines share, m2.
double overlapArea(const calc::Shape &a, const calc::Shape &b);

// What importing a floor changes in a project.
struct FloorImport {
    struct Kept {
        RoomId id;
        Room room; // its inputs with the new outline, and the new name where it had a default one
    };
    std::vector<Kept> kept;        // old rooms of the floor matched by a new outline
    std::vector<Room> added;       // new outlines, made from the template
    std::vector<RoomId> unmatched; // old rooms of the floor no new outline matches
    FloorPlan plan;                // the floor's plan from now on
};

// What the template gives each new room: its inputs (with the ceiling
// height the import asks for) and layout.
struct RoomTemplate {
    RoomInputs inputs;
    QString layout;
};

// The import of rooms onto plan.floor of model's project. A new outline
// keeps the old room of the floor (one with an outline) that it overlaps
// by at least half of the larger of the two areas, the largest overlap
// first; every other becomes a new room from the template, named by its
// texts or "Помещение N" (N its number in the project), taking the room
// type its name names. An outline the room cannot take (see setOutline)
// makes no room.
FloorImport planFloorImport(const ProjectModel &model, const std::vector<ImportedRoom> &rooms,
                            const RoomTemplate &roomTemplate, const FloorPlan &plan,
                            const std::vector<ListedRoomType> &types);

// The import as one undo step; the unmatched rooms go only when
// removeUnmatched.
QUndoCommand *floorImportCommand(ProjectModel &model, const FloorImport &import, bool removeUnmatched);

// The import applied at once, without undo (the command line).
void applyFloorImport(ProjectModel &model, const FloorImport &import, bool removeUnmatched);

// The names of the rooms the import would remove, for the question.
QStringList unmatchedNames(const ProjectModel &model, const FloorImport &import);

// The plan file of a floor's plan, its path resolved against the project
// file's folder (projectPath empty: as it stands).
QString planFilePath(const FloorPlan &plan, const QString &projectPath);

// The plan's path as the project keeps it: relative to the project file's
// folder, absolute while the project has no file.
QString storedPlanPath(const QString &planPath, const QString &projectPath);

// The floors' plans of a project saved from oldPath to newPath, their
// paths relative to the new folder.
std::vector<FloorPlan> plansMoved(const std::vector<FloorPlan> &plans, const QString &oldPath,
                                  const QString &newPath);

} // namespace project
