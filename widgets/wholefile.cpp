#include "wholefile.h"

#include <QDir>
#include <QSaveFile>

namespace files {

WriteResult failure(const QString &path, const QString &reason)
{
    return {false, path, reason,
            QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), reason)};
}

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

WriteResult writeWhole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Unbuffered, so that every failing write shows at once with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(path, file.errorString());
    QString reason;
    if (!writeAll(file, bytes, reason)) {
        file.cancelWriting();
        return failure(path, reason);
    }
    // commit() closes the temporary file and renames it over path; on
    // failure it removes the temporary file and path stays as it was.
    if (!file.commit())
        return failure(path, file.errorString());
    return {true, path, QString(), QString()};
}

} // namespace files
