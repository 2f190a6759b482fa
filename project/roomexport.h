#pragma once

#include "widgets/wholefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The rooms table written to a file, in the format its name's suffix
// names. Every format is listed once in roomexport.cpp, so that the export
// command, the command line and the file dialog offer the same ones.
namespace project {

class RoomTable;

// CSV: UTF-8 with a byte-order mark, ";" between fields, CR LF after each
// line; the column captions, then one line per room in file order, every
// value as the table shows it. A field with ";", a quote or a line break
// is quoted, its quotes doubled.
QByteArray csvBytes(const RoomTable &table);

// Whether the path's suffix names a format the rooms can be written in.
bool canExport(const QString &path);

// The file dialog's filters of the formats, the first the default.
QStringList exportFilters();

// The suffix a filter of exportFilters() adds to a name without one.
QString suffixOfFilter(const QString &filter);

// Writes the rooms to path in its format, whole or not at all.
files::WriteResult exportRooms(const QString &path, const RoomTable &table);

} // namespace project
