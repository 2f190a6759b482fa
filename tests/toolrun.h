#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Outside programs the tests read files back with (pdftotext, unzip).

inline bool hasTool(const QString &name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// What program printed, or nothing when it failed or did not finish
// within a minute.
inline QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QByteArray();
    return process.readAllStandardOutput();
}
