#include "wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace files {

namespace {

// A chain of links longer than this is taken for a loop, as the system does.
constexpr int MostLinks = 40;

// The end of path's chain of symbolic links, absolute; empty for a loop.
QString linkTarget(const QString &path)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    for (int links = 0; info.isSymLink(); ++links) {
        if (links == MostLinks)
            return QString();
        info.setFile(info.symLinkTarget());
    }
    return QDir::cleanPath(info.absoluteFilePath());
}

// The kind of an existing thing that is not a regular file, for the
// reason; empty for a regular file or nothing there.
QString notRegular(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st { };
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    if (S_ISREG(st.st_mode))
        return QString();
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("папка");
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return QStringLiteral("устройство");
    if (S_ISFIFO(st.st_mode))
        return QStringLiteral("канал");
    if (S_ISSOCK(st.st_mode))
        return QStringLiteral("сокет");
    return QStringLiteral("особый файл");
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return QString();
    return info.isDir() ? QStringLiteral("папка") : QStringLiteral("особый файл");
#endif
}

// The path without links: the file's own canonical path, or where it does
// not exist the canonical folder with the name.
QString resolved(const QString &path)
{
    const QString target = linkTarget(path);
    if (target.isEmpty())
        return QString();
    const QFileInfo info(target);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? target : QDir(folder).filePath(info.fileName());
}

} // namespace

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

Target writeTarget(const QString &path)
{
    const QString target = linkTarget(path);
    if (target.isEmpty())
        return {path, QStringLiteral("символические ссылки ведут по кругу")};
    if (const QString kind = notRegular(target); !kind.isEmpty())
        return {target, QStringLiteral("это не обычный файл (%1)").arg(kind)};
    return {target, QString()};
}

WriteResult writeWhole(const QString &path, const QByteArray &bytes)
{
    // The temporary file goes beside the link's target and is renamed over
    // the target, never over the link or over a device, pipe or folder.
    const Target target = writeTarget(path);
    if (!target.reason.isEmpty())
        return failure(path, target.reason);
    QSaveFile file(target.path);
    // Unbuffered, so that every failing write shows at once with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(path, file.errorString());
    QString reason;
    if (!writeAll(file, bytes, reason)) {
        file.cancelWriting();
        return failure(path, reason);
    }
    // commit() closes the temporary file and renames it over the target;
    // on failure it removes the temporary file and the target stays as it
    // was.
    if (!file.commit())
        return failure(path, file.errorString());
    return {true, path, QString(), QString()};
}

bool sameFile(const QString &a, const QString &b)
{
#ifdef Q_OS_UNIX
    struct stat first { };
    struct stat second { };
    if (stat(QFile::encodeName(a).constData(), &first) == 0
        && stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#endif
    const QString left = resolved(a);
    return !left.isEmpty() && left == resolved(b);
}

} // namespace files
