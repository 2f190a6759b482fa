#pragma once

#include "projectdata.h"
#include "projectfile.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <vector>

namespace project {

// A room's identity while it is in a ProjectModel: given when the room
// enters the model and never given to another room in the model's life,
// so that a command finds its room wherever rows have moved. Not kept in
// the file: a project opened anew gets new ones.
using RoomId = quint64;

// The project being worked on: its rooms (each with its RoomId, in file
// order), lines, cable allowance and name, and what changes of it. No view:
// the tables adapt it, the undo commands change it, RoomResultsService
// computes its rooms.
//
// Every change is told by its own signals, then by changed(). A room's
// signals give its id and row; the "about to" ones come before the rooms
// move, while the rows are still as they were.
class ProjectModel : public QObject {
    Q_OBJECT
public:
    explicit ProjectModel(QObject *parent = nullptr);

    const Project &project() const { return m_project; }
    int roomCount() const { return int(m_project.rooms.size()); }
    const Room &room(int row) const { return m_project.rooms[std::size_t(row)]; }
    RoomId idAt(int row) const { return m_ids[std::size_t(row)]; }
    // The row of the room of id; -1 when it is not in the project.
    int rowOf(RoomId id) const;
    bool contains(RoomId id) const { return rowOf(id) >= 0; }

    // Replaces the whole project; its rooms get new ids.
    void setProject(Project project);
    void setName(const QString &name);

    // A new room at row (0 .. roomCount()), with a new id.
    RoomId addRoom(int row, const Room &room);
    // A room that left the model back at row, with the id it had: what an
    // undone removal puts back. The id must not be in the model.
    void restoreRoom(int row, RoomId id, const Room &room);
    Room takeRoom(RoomId id);
    // The room's inputs and layout.
    void setRoomInputs(RoomId id, const RoomInputs &inputs, const QString &layout);
    // The count the room's plan holds.
    void setRoomCount(RoomId id, const PlanCount &count);
    // One of the room's texts: its name, floor or line.
    void setRoomText(RoomId id, QString Room::*text, const QString &value);

    // The lines and the cable allowance; the rooms keep their line texts
    // unless setRoomLines changes them.
    void insertLine(int index, const Line &line);
    Line takeLine(int index);
    void setLine(int index, const Line &line);
    void setCableAllowance(double allowance);
    // The share of a room's floor its plan must reach, %.
    void setTargetShare(double share);
    // The floors' plans, all at once.
    void setPlans(std::vector<FloorPlan> plans);
    // The rooms whose line is name, and those rooms moved to the line name.
    std::vector<RoomId> roomsOnLine(const QString &name) const;
    void setRoomLines(const std::vector<RoomId> &rooms, const QString &name);

    // The file's bytes for the project as it is; results[i] goes with the
    // room of row i.
    QByteArray fileBytes(const std::vector<ResultTexts> &results) const;

signals:
    void aboutToReset();
    void reset();
    void roomAboutToBeAdded(int row);
    void roomAdded(project::RoomId id, int row);
    void roomAboutToBeRemoved(project::RoomId id, int row);
    void roomRemoved(project::RoomId id, int row);
    void roomInputsChanged(project::RoomId id, int row);
    // The room's name, floor or line.
    void roomTextChanged(project::RoomId id, int row);
    // A line, the lines or the cable allowance.
    void linesChanged();
    void plansChanged();
    void targetShareChanged();
    void nameChanged();
    // After every change and its own signals.
    void changed();

private:
    void insertAt(int row, RoomId id, const Room &room);

    Project m_project;
    std::vector<RoomId> m_ids; // each room's, as m_project.rooms
    RoomId m_nextId = 1;
    // The rows by id, made anew when asked after the rooms moved.
    mutable QHash<RoomId, int> m_rows;
    mutable bool m_rowsValid = false;
};

} // namespace project
