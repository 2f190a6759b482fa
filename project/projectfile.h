#pragma once

#include "projectdata.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The project file (.lsplan): JSON in UTF-8 that other tools can write and
// read. Keys in a fixed order with two-space indentation, rooms in the
// table's order, so that saving, opening and saving again gives the same
// bytes. Unknown keys are ignored on reading. A room may have "outline":
// its corners as [x, y] in metres, counter-clockwise (a clockwise one is
// reversed on reading), written right after "line".
namespace project {

inline const QString FormatName = QStringLiteral("loudspeaker-planner/object");
// Version 2 added the rooms' outlines; a version-1 file is read as before.
inline constexpr int FormatVersion = 2;
inline constexpr int OldestFormatVersion = 1;
inline const QString FileSuffix = QStringLiteral("lsplan");

// The largest project the program opens.
inline constexpr int MaxRooms = 100000;
inline constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

// A room's results as the table shows them, written for other readers
// (the program ignores them on opening).
struct ResultTexts {
    QString spl, range, area, count, power, covered, note;
};

// The file's bytes; results[i] goes with rooms[i] (empty texts where it
// is missing).
QByteArray projectBytes(const Project &project, const std::vector<ResultTexts> &results);

// Whether a layout caption belongs to a mounting type; the reader refuses a
// room whose layout does not. No check accepts any caption.
using LayoutCheck = std::function<bool(calc::Mounting, const QString &)>;

// A project read, or the reason in plain Russian why not.
struct ReadResult {
    std::optional<Project> project;
    QString reason;
};

ReadResult parseProject(const QByteArray &bytes, const LayoutCheck &layoutAllowed = {});

// Reads the file at path (at most MaxFileBytes).
ReadResult readProjectFile(const QString &path, const LayoutCheck &layoutAllowed = {});

// "Файл «path» не открыт: reason".
QString notOpenedMessage(const QString &path, const QString &reason);

} // namespace project
