#include "recovery.h"

#include "widgets/wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>

namespace project {

namespace {

const QString CopySuffix = QStringLiteral(".lsplan");
const QString PathSuffix = QStringLiteral(".path");
const QString LockSuffix = QStringLiteral(".lock");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString recoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

RecoveryCopy::RecoveryCopy()
    : m_base(recoveryFolder() + QStringLiteral("/object-")
             + QString::number(QCoreApplication::applicationPid()))
{ }

RecoveryCopy::~RecoveryCopy() = default;

QString RecoveryCopy::path() const
{
    return m_base + CopySuffix;
}

bool RecoveryCopy::write(const QByteArray &projectBytes, const QString &projectPath)
{
    if (!QDir().mkpath(recoveryFolder()))
        return false;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_base + LockSuffix);
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0)) {
            m_lock.reset();
            return false;
        }
    }
    return files::writeWhole(m_base + PathSuffix, projectPath.toUtf8()).ok
        && files::writeWhole(path(), projectBytes).ok;
}

void RecoveryCopy::remove()
{
    QFile::remove(path());
    QFile::remove(m_base + PathSuffix);
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

std::vector<LeftCopy> leftCopies()
{
    std::vector<LeftCopy> copies;
    const QDir folder(recoveryFolder());
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*") + CopySuffix}, QDir::Files);
    for (const QFileInfo &info : files) {
        const QString base = info.absolutePath() + u'/' + info.completeBaseName();
        // A lock still held belongs to a program that runs: not ours to offer.
        QLockFile lock(base + LockSuffix);
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        copies.push_back({info.absoluteFilePath(), QString::fromUtf8(readAll(base + PathSuffix)),
                          info.lastModified(), readAll(info.absoluteFilePath())});
    }
    std::sort(copies.begin(), copies.end(),
              [](const LeftCopy &a, const LeftCopy &b) { return a.written < b.written; });
    return copies;
}

void discard(const LeftCopy &copy)
{
    const QFileInfo info(copy.path);
    const QString base = info.absolutePath() + u'/' + info.completeBaseName();
    QFile::remove(copy.path);
    QFile::remove(base + PathSuffix);
}

QString recoveryQuestion(const QString &name, const QDateTime &written)
{
    return QStringLiteral("Найден несохраненный объект «%1» от %2. Восстановить?")
        .arg(name, written.toString(QStringLiteral("dd.MM.yyyy hh:mm")));
}

} // namespace project
