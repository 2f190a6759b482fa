#include "reportfile.h"

#include <QDir>
#include <QFile>

namespace output {

namespace {

using files::failure;
using files::writeAll;

WriteResult appendReport(const QString &path, const QByteArray &block)
{
    // A link is appended to at its target, which must be a regular file: a
    // device or a pipe would swallow the block or hang the window.
    if (const QString refused = files::writeTarget(path).reason; !refused.isEmpty())
        return failure(path, refused);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failure(path, file.errorString());
    const qint64 oldSize = file.size();
    QString reason;
    bool written = writeAll(file, block, reason);
    file.close();
    if (written && file.error() != QFileDevice::NoError) {
        written = false;
        reason = file.errorString();
    }
    if (written)
        return {true, path, QString(), QString()};
    // Cut off whatever part of the block reached the file.
    if (QFile::resize(path, oldSize))
        return failure(path, reason);
    return failure(path, reason + QStringLiteral(". Файл может содержать неполный блок отчета"));
}

} // namespace

QString reportFilePath(const QString &folder)
{
    return QDir(folder).filePath(ReportFileName);
}

bool reportFileExists(const QString &folder)
{
    // The listing gives the names as stored, so the comparison is exact
    // even where the file system ignores letter case.
    const QStringList names
        = QDir(folder).entryList(QStringList{ReportFileName}, QDir::Files | QDir::CaseSensitive);
    return names.contains(ReportFileName, Qt::CaseSensitive);
}

WriteResult writeReport(const QString &folder, const QByteArray &block, WriteMode mode)
{
    const QString path = reportFilePath(folder);
    // Replacing writes a temporary file beside the report and renames it over
    // the old one, so a failed write leaves the old report whole.
    return mode == WriteMode::Append ? appendReport(path, block) : files::writeWhole(path, block);
}

} // namespace output
