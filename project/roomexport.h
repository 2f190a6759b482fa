#pragma once

#include "widgets/wholefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// The project written to a file, in the format its name's suffix names:
// the rooms table as CSV, or the documents (rooms, lines, equipment list)
// as a PDF or an .xlsx workbook. Every format is listed once in
// roomexport.cpp, so that the export command, the command line and the
// file dialog offer the same ones.
namespace project {

class RoomResultsService;

// CSV: UTF-8 with a byte-order mark, ";" between fields, CR LF after each
// line; the column captions, then one line per room in file order, every
// value as the table shows it. A field with ";", a quote or a line break
// is quoted, its quotes doubled. A text that starts with "=", "+", "-",
// "@", a tab or a carriage return gets a leading apostrophe so that no
// spreadsheet runs it as a formula; a number in a column of figures
// ("-3,5") stays as it is. The tap is written with the fraction slash
// U+2044 ("1⁄2"), which no spreadsheet takes for a date. The level figures
// still pending are computed first.
QByteArray csvBytes(RoomResultsService &results);

// Whether the path's suffix names a format the rooms can be written in.
bool canExport(const QString &path);

// Whether writing that format paints text, which needs a QGuiApplication
// for the fonts.
bool exportPaints(const QString &path);

// The suffixes of the formats, each with its dot: ".csv, .xlsx или .pdf".
QString exportSuffixes();

// The file dialog's filters of the formats, the first the default.
QStringList exportFilters();

// The suffix a filter of exportFilters() adds to a name without one.
QString suffixOfFilter(const QString &filter);

// What an export onto the project's own file is told (files::sameFile):
// the export would replace the project, so it is refused. path as given.
QString ownFileRefusal(const QString &path);

// How far the level figures are: done of total rooms computed. Called from
// the threads that compute them, one call at a time.
using LevelProgress = std::function<void(int done, int total)>;

// Writes the project to path in its format, whole or not at all; name is
// the project's name in the documents' title. No file misses a figure:
// the level figures still pending are computed first, reported to
// progress as they come.
files::WriteResult exportProject(const QString &path, RoomResultsService &results, const QString &name,
                                 const LevelProgress &progress = {});

} // namespace project
