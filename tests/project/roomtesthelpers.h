#pragma once

#include "project/projectdata.h"
#include "project/projectmodel.h"
#include "project/roomresults.h"
#include "project/roomtable.h"

#include <QString>

// What the tests of the rooms table share: a project with its results and
// table, a ceiling room of a theatre, a horn's angles on a room, and a
// column of the table found by its caption.

// A project model with its rooms' results and the rooms table over them,
// made in the order the window makes them.
struct ProjectRooms {
    project::ProjectModel model;
    project::RoomResultsService results;
    project::RoomTable table;

    ProjectRooms(const project::RoomCalculator &calculator, QChar decimalPoint)
        : results(model, calculator, decimalPoint),
          table(results)
    { }
};

// A theatre's room with ceiling loudspeakers of the model, 3 m high, its
// area taken from its sides.
inline project::RoomInputs theatreCeilingRoom(const QString &model, int tap, const QString &length,
                                              const QString &width)
{
    project::RoomInputs in;
    in.model = model;
    in.mounting = calc::Mounting::Ceiling;
    in.tap = tap;
    in.directivity = in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "ТЕАТР";
    in.height = "3";
    in.length = length;
    in.width = width;
    in.areaFromSides = true;
    return in;
}

inline project::RoomInputs horn(project::RoomInputs in, const QString &directivity, const QString &vertical,
                                const QString &tilt)
{
    in.directivity = directivity;
    in.verticalDirectivity = vertical;
    in.tilt = tilt;
    return in;
}

// The index of the rooms table's column with this caption; -1 for none.
inline int column(const QString &caption)
{
    const auto &columns = project::roomColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].caption == caption)
            return int(i);
    }
    return -1;
}
