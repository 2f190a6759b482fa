#pragma once

#include "calc/calcstate.h"

#include <QString>
#include <optional>
#include <vector>

// A building ("объект") of many rooms as the project file keeps it: each
// room with the texts of the main window's inputs at the moment it was
// added, and the plan layout chosen for it. Results are never kept here:
// they are computed from the inputs whenever they are needed.
namespace project {

// The main window's inputs of one room, as the user typed and chose them.
struct RoomInputs {
    QString model; // the text of the model box: a catalogue designation or any other text
    calc::Mounting mounting = calc::Mounting::Wall;
    int tap = 1; // the power tap: 1, 2 (1/2) or 3 (1/3)
    QString power;
    QString sensitivity;
    QString directivity;
    QString verticalDirectivity;
    QString tilt;
    QString margin;
    QString listeningHeight;
    QString roomType; // a listed room type or any other text
    QString noise;
    QString height;
    QString length;
    QString width;
    QString area;
    bool areaFromSides = false; // the area is length x width, not the typed one

    bool operator==(const RoomInputs &) const = default;
};

struct Room {
    QString name;
    QString floor;
    QString line;
    RoomInputs inputs;
    QString layout; // the caption of the plan's arrangement, e.g. "рядами"

    bool operator==(const Room &) const = default;
};

struct Project {
    QString name;
    std::vector<Room> rooms;

    bool operator==(const Project &) const = default;
};

// The mounting type as the file names it: "ceiling", "wall", "round",
// "square".
QString mountingKey(calc::Mounting mounting);
std::optional<calc::Mounting> mountingFromKey(const QString &key);

// The tap as the file and the table name it: "1", "1/2", "1/3".
QString tapText(int tap);
std::optional<int> tapFromText(const QString &text);

} // namespace project
