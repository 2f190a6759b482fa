#pragma once

#include "documenttable.h"

#include <QDate>
#include <QString>
#include <optional>

// The building's documents as tables: the rooms, the lines and the
// equipment list, each cell as the window shows it.
namespace project {

class RoomResultsService;

// A cell as a table shows it: a number when the text is exactly that
// number with some decimals (so it is stored as one with those decimals),
// or a number within a unit of its last decimal of it (a share shown "99,9"
// for 99.96 % is stored as 99.9), else the text itself.
DocumentCell documentCell(const QString &shown, std::optional<double> value, QChar decimalPoint);

// "Расчет системы оповещения: <name>", "Дата: <dd.MM.yyyy>", then the
// tables "Помещения", "Линии" and "Спецификация"; the level figures still
// pending are computed first.
Document projectDocument(RoomResultsService &results, const QString &name, const QDate &date);

// The name the documents and the window give a project: its own, else its
// file's (path, if any), else "Без имени".
QString projectDisplayName(const QString &name, const QString &path);

} // namespace project
