#include "floorimport.h"

#include "projectcommands.h"

#include <QDir>
#include <QFileInfo>
#include <QPainterPath>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace project {

const ListedRoomType *roomTypeNamedIn(const QString &name, const std::vector<ListedRoomType> &types)
{
    const ListedRoomType *found = nullptr;
    for (const ListedRoomType &type : types) {
        if (type.name.isEmpty() || !name.contains(type.name, Qt::CaseInsensitive))
            continue;
        if (!found || type.name.size() > found->name.size())
            found = &type;
    }
    return found;
}

QString defaultRoomName(int number)
{
    return QStringLiteral("Помещение %1").arg(number);
}

bool isDefaultRoomName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^Помещение \\d+$"));
    return pattern.match(name).hasMatch();
}

namespace {

QPainterPath pathOf(const calc::Shape &shape)
{
    QPainterPath path;
    QPolygonF polygon;
    for (const QPointF &corner : shape.outline())
        polygon << corner;
    polygon << shape.outline().front();
    path.addPolygon(polygon);
    return path;
}

double polygonArea(const QPolygonF &polygon)
{
    double twice = 0.0;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF &a = polygon[i];
        const QPointF &b = polygon[(i + 1) % polygon.size()];
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return std::abs(twice) / 2.0;
}

} // namespace

double overlapArea(const calc::Shape &a, const calc::Shape &b)
{
    if (a.isEmpty() || b.isEmpty() || !a.bounds().intersects(b.bounds()))
        return 0.0;
    // The intersection of two simple polygons has no holes: its pieces'
    // areas add up.
    double area = 0.0;
    for (const QPolygonF &piece : pathOf(a).intersected(pathOf(b)).toFillPolygons())
        area += polygonArea(piece);
    return area;
}

FloorImport planFloorImport(const ProjectModel &model, const std::vector<ImportedRoom> &rooms,
                            const RoomTemplate &roomTemplate, const FloorPlan &plan,
                            const std::vector<ListedRoomType> &types)
{
    FloorImport import;
    import.plan = plan;

    // The floor's rooms now, and which of them have an outline to match.
    struct Old {
        int row;
        calc::Shape shape;
        bool matched = false;
    };
    std::vector<Old> old;
    for (int row = 0; row < model.roomCount(); ++row) {
        const Room &room = model.room(row);
        if (room.floor != plan.floor)
            continue;
        old.push_back(
            {row,
             room.inputs.outline.empty() ? calc::Shape() : calc::Shape::fromOutline(room.inputs.outline)});
    }

    // Every pair that overlaps by half the larger area, largest overlap first.
    struct Pair {
        double overlap;
        std::size_t fresh;
        std::size_t old;
    };
    std::vector<Pair> pairs;
    for (std::size_t n = 0; n < rooms.size(); ++n) {
        for (std::size_t o = 0; o < old.size(); ++o) {
            if (old[o].shape.isEmpty())
                continue;
            const double shared = overlapArea(rooms[n].outline, old[o].shape);
            if (shared >= 0.5 * std::max(rooms[n].outline.area(), old[o].shape.area()))
                pairs.push_back({shared, n, o});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const Pair &a, const Pair &b) { return a.overlap > b.overlap; });
    std::vector<std::optional<std::size_t>> matchOf(rooms.size());
    for (const Pair &pair : pairs) {
        if (matchOf[pair.fresh] || old[pair.old].matched)
            continue;
        matchOf[pair.fresh] = pair.old;
        old[pair.old].matched = true;
    }

    int removed = 0;
    for (const Old &o : old)
        removed += o.matched ? 0 : 1;
    // New rooms go after the rooms that stay.
    int nextNumber = model.roomCount() - removed + 1;
    for (std::size_t n = 0; n < rooms.size(); ++n) {
        const ImportedRoom &fresh = rooms[n];
        if (matchOf[n]) {
            const int row = old[*matchOf[n]].row;
            Room room = model.room(row);
            if (setOutline(room.inputs, fresh.outline.outline()) != calc::OutlineFault::None)
                continue;
            if (isDefaultRoomName(room.name) && !fresh.name.isEmpty())
                room.name = fresh.name;
            import.kept.push_back({model.idAt(row), std::move(room)});
            continue;
        }
        Room room;
        room.inputs = roomTemplate.inputs;
        room.layout = roomTemplate.layout;
        room.floor = plan.floor;
        if (setOutline(room.inputs, fresh.outline.outline()) != calc::OutlineFault::None)
            continue;
        room.name = fresh.name.isEmpty() ? defaultRoomName(nextNumber) : fresh.name;
        if (const ListedRoomType *type = roomTypeNamedIn(fresh.name, types)) {
            room.inputs.roomType = type->name;
            room.inputs.noise = type->noise;
        }
        import.added.push_back(std::move(room));
        ++nextNumber;
    }
    for (const Old &o : old) {
        if (!o.matched)
            import.unmatched.push_back(model.idAt(o.row));
    }
    return import;
}

namespace {

std::vector<FloorPlan> plansWith(const Project &project, const FloorPlan &plan)
{
    std::vector<FloorPlan> plans = project.plans;
    const auto same
        = std::find_if(plans.begin(), plans.end(), [&](const FloorPlan &p) { return p.floor == plan.floor; });
    if (same != plans.end())
        *same = plan;
    else
        plans.push_back(plan);
    return plans;
}

} // namespace

QUndoCommand *floorImportCommand(ProjectModel &model, const FloorImport &import, bool removeUnmatched)
{
    auto *step = new QUndoCommand(QStringLiteral("Импорт плана этажа «%1»").arg(import.plan.floor));
    for (const FloorImport::Kept &kept : import.kept) {
        const Room &now = model.room(model.rowOf(kept.id));
        if (now.inputs != kept.room.inputs || now.layout != kept.room.layout)
            new ReplaceInputsCommand(model, kept.id, kept.room.inputs, kept.room.layout, step);
        if (now.name != kept.room.name)
            new EditTextCommand(model, kept.id, &Room::name, QStringLiteral("Помещение"), kept.room.name,
                                step);
    }
    int removed = 0;
    if (removeUnmatched) {
        for (const RoomId id : import.unmatched) {
            new RemoveRoomCommand(model, id, step);
            ++removed;
        }
    }
    int row = model.roomCount() - removed;
    for (const Room &room : import.added)
        new AddRoomCommand(model, row++, room, step);
    new PlansCommand(model, plansWith(model.project(), import.plan), step);
    return step;
}

void applyFloorImport(ProjectModel &model, const FloorImport &import, bool removeUnmatched)
{
    std::unique_ptr<QUndoCommand> step(floorImportCommand(model, import, removeUnmatched));
    step->redo();
}

QStringList unmatchedNames(const ProjectModel &model, const FloorImport &import)
{
    QStringList names;
    for (const RoomId id : import.unmatched)
        names << model.room(model.rowOf(id)).name;
    return names;
}

QString planFilePath(const FloorPlan &plan, const QString &projectPath)
{
    if (projectPath.isEmpty() || QDir::isAbsolutePath(plan.file))
        return plan.file;
    return QDir::cleanPath(QFileInfo(projectPath).absoluteDir().filePath(plan.file));
}

QString storedPlanPath(const QString &planPath, const QString &projectPath)
{
    const QString absolute = QFileInfo(planPath).absoluteFilePath();
    if (projectPath.isEmpty())
        return absolute;
    return QFileInfo(projectPath).absoluteDir().relativeFilePath(absolute);
}

std::vector<FloorPlan> plansMoved(const std::vector<FloorPlan> &plans, const QString &oldPath,
                                  const QString &newPath)
{
    std::vector<FloorPlan> moved = plans;
    for (FloorPlan &plan : moved)
        plan.file = storedPlanPath(planFilePath(plan, oldPath), newPath);
    return moved;
}

} // namespace project
