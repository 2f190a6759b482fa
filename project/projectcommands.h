#pragma once

#include "projectdata.h"
#include "projectmodel.h"

#include <QUndoCommand>
#include <utility>
#include <vector>

// Every change of a project is one of these commands on the window's undo
// stack, so that each can be undone and redone. A command finds its room by
// the room's id, wherever the room's row is by then, and a line by its
// index in the project's lines.
namespace project {

// A new room at row.
class AddRoomCommand : public QUndoCommand {
public:
    AddRoomCommand(ProjectModel &model, int row, Room room, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;
    // The room's id, once it was added.
    RoomId roomId() const { return m_id; }

private:
    ProjectModel &m_model;
    int m_row;
    Room m_room;
    RoomId m_id = 0; // none until the first redo
};

// The room removed.
class RemoveRoomCommand : public QUndoCommand {
public:
    RemoveRoomCommand(ProjectModel &model, RoomId id, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    RoomId m_id;
    int m_row = 0; // where it was
    Room m_room;
};

// The room's inputs and layout replaced; its name, floor and line stay.
class ReplaceInputsCommand : public QUndoCommand {
public:
    ReplaceInputsCommand(ProjectModel &model, RoomId id, RoomInputs inputs, QString layout,
                         QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    RoomId m_id;
    RoomInputs m_inputs;
    QString m_layout;
    RoomInputs m_oldInputs;
    QString m_oldLayout;
};

// A text edited in place: the room's name, floor or line; caption names
// the column it was edited in.
class EditTextCommand : public QUndoCommand {
public:
    EditTextCommand(ProjectModel &model, RoomId id, QString Room::*text, const QString &caption,
                    QString value, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    RoomId m_id;
    QString Room::*m_text;
    QString m_value;
    QString m_oldValue;
};

// A new line at index.
class AddLineCommand : public QUndoCommand {
public:
    AddLineCommand(ProjectModel &model, int index, Line line);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    int m_index;
    Line m_line;
};

// The line at index removed; its rooms then belong to no line.
class RemoveLineCommand : public QUndoCommand {
public:
    RemoveLineCommand(ProjectModel &model, int index);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    int m_index;
    Line m_line;
    std::vector<RoomId> m_rooms; // its rooms
};

// The line at index given new inputs or a new name; a new name goes to
// its rooms in the same step.
class EditLineCommand : public QUndoCommand {
public:
    EditLineCommand(ProjectModel &model, int index, Line line);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    int m_index;
    Line m_line;
    Line m_oldLine;
    std::vector<RoomId> m_rooms; // its rooms
};

// "Запас кабеля, %".
class CableAllowanceCommand : public QUndoCommand {
public:
    CableAllowanceCommand(ProjectModel &model, double allowance);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    double m_allowance;
    double m_oldAllowance;
};

// The counts of the rooms' plans set, each room its own, in one step.
class RoomCountsCommand : public QUndoCommand {
public:
    RoomCountsCommand(ProjectModel &model, std::vector<std::pair<RoomId, PlanCount>> counts,
                      QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    std::vector<std::pair<RoomId, PlanCount>> m_counts;
    std::vector<PlanCount> m_oldCounts;
};

// "Требуемая доля площади, %".
class TargetShareCommand : public QUndoCommand {
public:
    TargetShareCommand(ProjectModel &model, double share);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    double m_share;
    double m_oldShare;
};

// The floors' plans replaced, as importing a floor's plan does.
class PlansCommand : public QUndoCommand {
public:
    PlansCommand(ProjectModel &model, std::vector<FloorPlan> plans, QUndoCommand *parent = nullptr);
    void redo() override;
    void undo() override;

private:
    ProjectModel &m_model;
    std::vector<FloorPlan> m_plans;
    std::vector<FloorPlan> m_oldPlans;
};

} // namespace project
