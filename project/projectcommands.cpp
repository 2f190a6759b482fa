#include "projectcommands.h"

#include <algorithm>
#include <utility>

namespace project {

AddRoomCommand::AddRoomCommand(ProjectModel &model, int row, Room room, QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Добавить помещение"), parent),
      m_model(model),
      m_row(row),
      m_room(std::move(room))
{ }

void AddRoomCommand::redo()
{
    // Added again after an undo, the room is the same room: its id stays.
    if (m_id == 0)
        m_id = m_model.addRoom(m_row, m_room);
    else
        m_model.restoreRoom(std::min(m_row, m_model.roomCount()), m_id, m_room);
}

void AddRoomCommand::undo()
{
    m_row = m_model.rowOf(m_id);
    m_room = m_model.takeRoom(m_id);
}

RemoveRoomCommand::RemoveRoomCommand(ProjectModel &model, RoomId id, QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Удалить помещение"), parent),
      m_model(model),
      m_id(id)
{ }

void RemoveRoomCommand::redo()
{
    m_row = m_model.rowOf(m_id);
    m_room = m_model.takeRoom(m_id);
}

void RemoveRoomCommand::undo()
{
    m_model.restoreRoom(std::min(m_row, m_model.roomCount()), m_id, m_room);
}

ReplaceInputsCommand::ReplaceInputsCommand(ProjectModel &model, RoomId id, RoomInputs inputs, QString layout,
                                           QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Заменить расчетом"), parent),
      m_model(model),
      m_id(id),
      m_inputs(std::move(inputs)),
      m_layout(std::move(layout)),
      m_oldInputs(model.room(model.rowOf(id)).inputs),
      m_oldLayout(model.room(model.rowOf(id)).layout)
{ }

void ReplaceInputsCommand::redo()
{
    m_model.setRoomInputs(m_id, m_inputs, m_layout);
}

void ReplaceInputsCommand::undo()
{
    m_model.setRoomInputs(m_id, m_oldInputs, m_oldLayout);
}

EditTextCommand::EditTextCommand(ProjectModel &model, RoomId id, QString Room::*text, const QString &caption,
                                 QString value, QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Изменить %1").arg(caption), parent),
      m_model(model),
      m_id(id),
      m_text(text),
      m_value(std::move(value)),
      m_oldValue(model.room(model.rowOf(id)).*text)
{ }

void EditTextCommand::redo()
{
    m_model.setRoomText(m_id, m_text, m_value);
}

void EditTextCommand::undo()
{
    m_model.setRoomText(m_id, m_text, m_oldValue);
}

AddLineCommand::AddLineCommand(ProjectModel &model, int index, Line line)
    : QUndoCommand(QStringLiteral("Добавить линию")),
      m_model(model),
      m_index(index),
      m_line(std::move(line))
{ }

void AddLineCommand::redo()
{
    m_model.insertLine(m_index, m_line);
}

void AddLineCommand::undo()
{
    m_model.takeLine(m_index);
}

RemoveLineCommand::RemoveLineCommand(ProjectModel &model, int index)
    : QUndoCommand(QStringLiteral("Удалить линию")),
      m_model(model),
      m_index(index),
      m_line(model.project().lines[std::size_t(index)]),
      m_rooms(model.roomsOnLine(m_line.name))
{ }

void RemoveLineCommand::redo()
{
    m_model.setRoomLines(m_rooms, QString());
    m_model.takeLine(m_index);
}

void RemoveLineCommand::undo()
{
    m_model.insertLine(m_index, m_line);
    m_model.setRoomLines(m_rooms, m_line.name);
}

EditLineCommand::EditLineCommand(ProjectModel &model, int index, Line line)
    : QUndoCommand(QStringLiteral("Изменить линию")),
      m_model(model),
      m_index(index),
      m_line(std::move(line)),
      m_oldLine(model.project().lines[std::size_t(index)])
{
    if (m_line.name != m_oldLine.name)
        m_rooms = model.roomsOnLine(m_oldLine.name);
}

void EditLineCommand::redo()
{
    m_model.setLine(m_index, m_line);
    m_model.setRoomLines(m_rooms, m_line.name);
}

void EditLineCommand::undo()
{
    m_model.setLine(m_index, m_oldLine);
    m_model.setRoomLines(m_rooms, m_oldLine.name);
}

CableAllowanceCommand::CableAllowanceCommand(ProjectModel &model, double allowance)
    : QUndoCommand(QStringLiteral("Изменить запас кабеля")),
      m_model(model),
      m_allowance(allowance),
      m_oldAllowance(model.project().cableAllowance)
{ }

void CableAllowanceCommand::redo()
{
    m_model.setCableAllowance(m_allowance);
}

void CableAllowanceCommand::undo()
{
    m_model.setCableAllowance(m_oldAllowance);
}

RoomCountsCommand::RoomCountsCommand(ProjectModel &model, std::vector<std::pair<RoomId, PlanCount>> counts,
                                     QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Количество на плане"), parent),
      m_model(model),
      m_counts(std::move(counts))
{
    m_oldCounts.reserve(m_counts.size());
    for (const auto &[id, count] : m_counts)
        m_oldCounts.push_back(model.room(model.rowOf(id)).count);
}

void RoomCountsCommand::redo()
{
    for (const auto &[id, count] : m_counts)
        m_model.setRoomCount(id, count);
}

void RoomCountsCommand::undo()
{
    for (std::size_t i = 0; i < m_counts.size(); ++i)
        m_model.setRoomCount(m_counts[i].first, m_oldCounts[i]);
}

TargetShareCommand::TargetShareCommand(ProjectModel &model, double share)
    : QUndoCommand(QStringLiteral("Изменить требуемую долю площади")),
      m_model(model),
      m_share(share),
      m_oldShare(model.project().targetShare)
{ }

void TargetShareCommand::redo()
{
    m_model.setTargetShare(m_share);
}

void TargetShareCommand::undo()
{
    m_model.setTargetShare(m_oldShare);
}

PlansCommand::PlansCommand(ProjectModel &model, std::vector<FloorPlan> plans, QUndoCommand *parent)
    : QUndoCommand(QStringLiteral("Планы этажей"), parent),
      m_model(model),
      m_plans(std::move(plans)),
      m_oldPlans(model.project().plans)
{ }

void PlansCommand::redo()
{
    m_model.setPlans(m_plans);
}

void PlansCommand::undo()
{
    m_model.setPlans(m_oldPlans);
}

} // namespace project
