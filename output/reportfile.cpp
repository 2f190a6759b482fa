#include "reportfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace output {

namespace {

WriteResult failure(const QString &path, const QString &reason)
{
    return {false,
            QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), reason)};
}

// Writes all of data, unbuffered, so that every failure shows at once and
// comes with its reason. A write that stops part way (a full disk) is
// retried with the rest, and the retry reports why nothing more fits.
bool writeAll(QFileDevice &file, const QByteArray &data, QString &reason)
{
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0) {
            reason = file.errorString();
            return false;
        }
        done += written;
    }
    return true;
}

WriteResult replaceReport(const QString &path, const QByteArray &block)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(path, file.errorString());
    QString reason;
    if (!writeAll(file, block, reason)) {
        file.cancelWriting();
        return failure(path, reason);
    }
    // commit() closes the temporary file and renames it over the report; on
    // failure it removes the temporary file and the old report stays as it was.
    if (!file.commit())
        return failure(path, file.errorString());
    return {true, QString()};
}

WriteResult appendReport(const QString &path, const QByteArray &block)
{
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
        return {true, QString()};
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
    return mode == WriteMode::Append ? appendReport(path, block) : replaceReport(path, block);
}

} // namespace output
