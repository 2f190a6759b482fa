#pragma once

#include "calc/calculation.h"
#include "widgets/wholefile.h"

#include <QByteArray>
#include <QString>

// The report file "Расчет-Г.txt" in the working folder: whether it exists,
// and writing one report block into it.
namespace output {

inline const QString ReportFileName = QStringLiteral("Расчет-Г.txt");

// The messages of the PRINT command.
namespace reportmsg {
inline const QString AppendQuestion = QStringLiteral("Файл  Расчет-Г.txt  уже существует.")
    + QStringLiteral("\r\n") + QStringLiteral("Добавить данные в существующий файл? (Да)")
    + QStringLiteral("\r\n") + QStringLiteral("Создать новый? (Нет)");
inline const QString AppendTitle = QStringLiteral("ВНИМАНИЕ!");
inline const QString Written = QStringLiteral("Данные находятся в файле Расчет-Г.txt");
} // namespace reportmsg

// The full path of the report file in folder.
QString reportFilePath(const QString &folder);

// Whether folder holds a normal file named exactly "Расчет-Г.txt", letter
// case included. A folder, a device or a hidden file of that name is not
// the report file.
bool reportFileExists(const QString &folder);

enum class WriteMode {
    Replace, // create the file, or replace its whole content
    Append,  // add the block after the existing content
};

using files::WriteResult;

// Writes block into the report file of folder. Replacing writes a temporary
// file beside the report and renames it over the old one, so a failed write
// leaves the old report whole. A failed append cuts the file back to its old
// length, so no part of the block stays behind. On failure the result names
// the file and the reason. No file handle stays open either way.
WriteResult writeReport(const QString &folder, const QByteArray &block, WriteMode mode);

} // namespace output
