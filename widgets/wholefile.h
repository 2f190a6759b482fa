#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// Files written whole or not at all: the report, the plan's files and every
// export go through here, so that a failed write never leaves half a file
// and always tells the user which file and why.
namespace files {

struct WriteResult {
    bool ok = false;
    QString path;   // the file that was or was not written
    QString reason; // why it was not, in the words of the system
    QString error;  // the message for the user: names the file and the reason; empty on success
};

// The result of a write that failed for reason.
WriteResult failure(const QString &path, const QString &reason);

// Writes all of data, retrying a write that stops part way, so that a full
// disk shows with its reason. False with the reason when a write fails.
bool writeAll(QFileDevice &file, const QByteArray &data, QString &reason);

// Writes bytes as the whole new content of path, through a temporary file
// beside it that then replaces it. Each write's result and the final rename
// are checked; on failure no part of the new content is left at path and an
// old file there stays as it was.
WriteResult writeWhole(const QString &path, const QByteArray &bytes);

} // namespace files
