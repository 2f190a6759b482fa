#include "projectmodel.h"

#include <QSet>
#include <utility>

namespace project {

ProjectModel::ProjectModel(QObject *parent) : QObject(parent)
{ }

int ProjectModel::rowOf(RoomId id) const
{
    if (!m_rowsValid) {
        m_rows.clear();
        m_rows.reserve(qsizetype(m_ids.size()));
        for (std::size_t r = 0; r < m_ids.size(); ++r)
            m_rows.insert(m_ids[r], int(r));
        m_rowsValid = true;
    }
    return m_rows.value(id, -1);
}

void ProjectModel::setProject(Project project)
{
    emit aboutToReset();
    m_project = std::move(project);
    m_ids.resize(m_project.rooms.size());
    for (RoomId &id : m_ids)
        id = m_nextId++;
    m_rowsValid = false;
    emit reset();
    emit changed();
}

void ProjectModel::setName(const QString &name)
{
    m_project.name = name;
    emit nameChanged();
    emit changed();
}

void ProjectModel::insertAt(int row, RoomId id, const Room &room)
{
    emit roomAboutToBeAdded(row);
    m_project.rooms.insert(m_project.rooms.begin() + row, room);
    m_ids.insert(m_ids.begin() + row, id);
    m_rowsValid = false;
    emit roomAdded(id, row);
    emit changed();
}

RoomId ProjectModel::addRoom(int row, const Room &room)
{
    const RoomId id = m_nextId++;
    insertAt(row, id, room);
    return id;
}

void ProjectModel::restoreRoom(int row, RoomId id, const Room &room)
{
    Q_ASSERT(id < m_nextId && !contains(id));
    insertAt(row, id, room);
}

Room ProjectModel::takeRoom(RoomId id)
{
    const int row = rowOf(id);
    Q_ASSERT(row >= 0);
    emit roomAboutToBeRemoved(id, row);
    Room room = std::move(m_project.rooms[std::size_t(row)]);
    m_project.rooms.erase(m_project.rooms.begin() + row);
    m_ids.erase(m_ids.begin() + row);
    m_rowsValid = false;
    emit roomRemoved(id, row);
    emit changed();
    return room;
}

void ProjectModel::setRoomInputs(RoomId id, const RoomInputs &inputs, const QString &layout)
{
    const int row = rowOf(id);
    Q_ASSERT(row >= 0);
    Room &room = m_project.rooms[std::size_t(row)];
    room.inputs = inputs;
    room.layout = layout;
    emit roomInputsChanged(id, row);
    emit changed();
}

void ProjectModel::setRoomCount(RoomId id, const PlanCount &count)
{
    const int row = rowOf(id);
    Q_ASSERT(row >= 0);
    m_project.rooms[std::size_t(row)].count = count;
    emit roomInputsChanged(id, row);
    emit changed();
}

void ProjectModel::setRoomText(RoomId id, QString Room::*text, const QString &value)
{
    const int row = rowOf(id);
    Q_ASSERT(row >= 0);
    m_project.rooms[std::size_t(row)].*text = value;
    emit roomTextChanged(id, row);
    emit changed();
}

void ProjectModel::insertLine(int index, const Line &line)
{
    m_project.lines.insert(m_project.lines.begin() + index, line);
    emit linesChanged();
    emit changed();
}

Line ProjectModel::takeLine(int index)
{
    Line line = std::move(m_project.lines[std::size_t(index)]);
    m_project.lines.erase(m_project.lines.begin() + index);
    emit linesChanged();
    emit changed();
    return line;
}

void ProjectModel::setLine(int index, const Line &line)
{
    m_project.lines[std::size_t(index)] = line;
    emit linesChanged();
    emit changed();
}

void ProjectModel::setCableAllowance(double allowance)
{
    m_project.cableAllowance = allowance;
    emit linesChanged();
    emit changed();
}

void ProjectModel::setTargetShare(double share)
{
    m_project.targetShare = share;
    emit targetShareChanged();
    emit changed();
}

void ProjectModel::setPlans(std::vector<FloorPlan> plans)
{
    m_project.plans = std::move(plans);
    emit plansChanged();
    emit changed();
}

std::vector<RoomId> ProjectModel::roomsOnLine(const QString &name) const
{
    std::vector<RoomId> rooms;
    for (std::size_t r = 0; r < m_project.rooms.size(); ++r) {
        if (m_project.rooms[r].line == name)
            rooms.push_back(m_ids[r]);
    }
    return rooms;
}

void ProjectModel::setRoomLines(const std::vector<RoomId> &rooms, const QString &name)
{
    if (rooms.empty())
        return;
    // One pass over the rows, however many rooms move.
    const QSet<RoomId> moved(rooms.begin(), rooms.end());
    for (std::size_t r = 0; r < m_ids.size(); ++r) {
        if (!moved.contains(m_ids[r]))
            continue;
        m_project.rooms[r].line = name;
        emit roomTextChanged(m_ids[r], int(r));
    }
    emit changed();
}

QByteArray ProjectModel::fileBytes(const std::vector<ResultTexts> &results) const
{
    return projectBytes(m_project, results);
}

} // namespace project
