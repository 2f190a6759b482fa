#pragma once

#include "project/projectdata.h"
#include "project/roomtable.h"

#include <QString>

// What the tests of the rooms table share: a horn's angles on a room, and a
// column of the table found by its caption.

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
