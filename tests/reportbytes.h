#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringList>

// The expected bytes of report lines: Windows-1251, CR LF after every line.
// Only for lines the code page holds entirely.
inline QByteArray reportFileBytes(const QStringList &lines)
{
    QStringEncoder encoder("windows-1251");
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += QByteArray(encoder.encode(line)) + "\r\n";
    return bytes;
}
