#pragma once

#include "projectdata.h"

#include <QUndoCommand>
#include <vector>

// Every change of a project is one of these commands on the window's undo
// stack, so that each can be undone and redone.
namespace project {

class RoomTable;

// A new room at row.
class AddRoomCommand : public QUndoCommand {
public:
    AddRoomCommand(RoomTable &table, int row, Room room);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_row;
    Room m_room;
};

// The room at row removed.
class RemoveRoomCommand : public QUndoCommand {
public:
    RemoveRoomCommand(RoomTable &table, int row);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_row;
    Room m_room;
};

// The room's inputs and layout replaced; its name, floor and line stay.
class ReplaceInputsCommand : public QUndoCommand {
public:
    ReplaceInputsCommand(RoomTable &table, int row, RoomInputs inputs, QString layout);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_row;
    RoomInputs m_inputs;
    QString m_layout;
    RoomInputs m_oldInputs;
    QString m_oldLayout;
};

// A text edited in place: the room's name, floor or line.
class EditTextCommand : public QUndoCommand {
public:
    EditTextCommand(RoomTable &table, int row, int column, QString text);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_row;
    int m_column;
    QString m_text;
    QString m_oldText;
};

// A new line at index.
class AddLineCommand : public QUndoCommand {
public:
    AddLineCommand(RoomTable &table, int index, Line line);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_index;
    Line m_line;
};

// The line at index removed; its rooms then belong to no line.
class RemoveLineCommand : public QUndoCommand {
public:
    RemoveLineCommand(RoomTable &table, int index);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_index;
    Line m_line;
    std::vector<int> m_rooms; // the rows of its rooms
};

// The line at index given new inputs or a new name; a new name goes to
// its rooms in the same step.
class EditLineCommand : public QUndoCommand {
public:
    EditLineCommand(RoomTable &table, int index, Line line);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    int m_index;
    Line m_line;
    Line m_oldLine;
    std::vector<int> m_rooms; // the rows of its rooms
};

// "Запас кабеля, %".
class CableAllowanceCommand : public QUndoCommand {
public:
    CableAllowanceCommand(RoomTable &table, double allowance);
    void redo() override;
    void undo() override;

private:
    RoomTable &m_table;
    double m_allowance;
    double m_oldAllowance;
};

} // namespace project
