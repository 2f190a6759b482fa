#include "projectcommands.h"

#include "roomtable.h"

#include <utility>

namespace project {

AddRoomCommand::AddRoomCommand(RoomTable &table, int row, Room room)
    : QUndoCommand(QStringLiteral("Добавить помещение")),
      m_table(table),
      m_row(row),
      m_room(std::move(room))
{ }

void AddRoomCommand::redo()
{
    m_table.insertRoom(m_row, m_room);
}

void AddRoomCommand::undo()
{
    m_table.takeRoom(m_row);
}

RemoveRoomCommand::RemoveRoomCommand(RoomTable &table, int row)
    : QUndoCommand(QStringLiteral("Удалить помещение")),
      m_table(table),
      m_row(row)
{ }

void RemoveRoomCommand::redo()
{
    m_room = m_table.takeRoom(m_row);
}

void RemoveRoomCommand::undo()
{
    m_table.insertRoom(m_row, m_room);
}

ReplaceInputsCommand::ReplaceInputsCommand(RoomTable &table, int row, RoomInputs inputs, QString layout)
    : QUndoCommand(QStringLiteral("Заменить расчетом")),
      m_table(table),
      m_row(row),
      m_inputs(std::move(inputs)),
      m_layout(std::move(layout)),
      m_oldInputs(table.project().rooms[std::size_t(row)].inputs),
      m_oldLayout(table.project().rooms[std::size_t(row)].layout)
{ }

void ReplaceInputsCommand::redo()
{
    m_table.setRoomInputs(m_row, m_inputs, m_layout);
}

void ReplaceInputsCommand::undo()
{
    m_table.setRoomInputs(m_row, m_oldInputs, m_oldLayout);
}

EditTextCommand::EditTextCommand(RoomTable &table, int row, int column, QString text)
    : QUndoCommand(QStringLiteral("Изменить %1").arg(roomColumns()[std::size_t(column)].caption)),
      m_table(table),
      m_row(row),
      m_column(column),
      m_text(std::move(text)),
      m_oldText(table.cellText(row, column))
{ }

void EditTextCommand::redo()
{
    m_table.setRoomText(m_row, m_column, m_text);
}

void EditTextCommand::undo()
{
    m_table.setRoomText(m_row, m_column, m_oldText);
}

AddLineCommand::AddLineCommand(RoomTable &table, int index, Line line)
    : QUndoCommand(QStringLiteral("Добавить линию")),
      m_table(table),
      m_index(index),
      m_line(std::move(line))
{ }

void AddLineCommand::redo()
{
    m_table.insertLine(m_index, m_line);
}

void AddLineCommand::undo()
{
    m_table.takeLine(m_index);
}

RemoveLineCommand::RemoveLineCommand(RoomTable &table, int index)
    : QUndoCommand(QStringLiteral("Удалить линию")),
      m_table(table),
      m_index(index),
      m_line(table.project().lines[std::size_t(index)]),
      m_rooms(table.roomsOnLine(m_line.name))
{ }

void RemoveLineCommand::redo()
{
    m_table.setRoomLines(m_rooms, QString());
    m_table.takeLine(m_index);
}

void RemoveLineCommand::undo()
{
    m_table.insertLine(m_index, m_line);
    m_table.setRoomLines(m_rooms, m_line.name);
}

EditLineCommand::EditLineCommand(RoomTable &table, int index, Line line)
    : QUndoCommand(QStringLiteral("Изменить линию")),
      m_table(table),
      m_index(index),
      m_line(std::move(line)),
      m_oldLine(table.project().lines[std::size_t(index)])
{
    if (m_line.name != m_oldLine.name)
        m_rooms = table.roomsOnLine(m_oldLine.name);
}

void EditLineCommand::redo()
{
    m_table.setLine(m_index, m_line);
    m_table.setRoomLines(m_rooms, m_line.name);
}

void EditLineCommand::undo()
{
    m_table.setLine(m_index, m_oldLine);
    m_table.setRoomLines(m_rooms, m_oldLine.name);
}

CableAllowanceCommand::CableAllowanceCommand(RoomTable &table, double allowance)
    : QUndoCommand(QStringLiteral("Изменить запас кабеля")),
      m_table(table),
      m_allowance(allowance),
      m_oldAllowance(table.project().cableAllowance)
{ }

void CableAllowanceCommand::redo()
{
    m_table.setCableAllowance(m_allowance);
}

void CableAllowanceCommand::undo()
{
    m_table.setCableAllowance(m_oldAllowance);
}

} // namespace project
