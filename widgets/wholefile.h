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

// Where a write to path lands: path itself, or for a symbolic link the end
// of its chain of links. The program writes regular files only; reason
// says, in Russian, why the target is not one (a device, a pipe, a
// folder, a socket, a loop of links) and is empty when it is a regular
// file or does not exist yet.
struct Target {
    QString path;
    QString reason;
};
Target writeTarget(const QString &path);

// Writes bytes as the whole new content of path, through a temporary file
// beside it that then replaces it. A symbolic link is followed to its
// target, which is written in its place, so that the link stays a link;
// a target that is not a regular file is refused and left as it was. Each
// write's result and the final rename are checked; on failure no part of
// the new content is left at path and an old file there stays as it was.
WriteResult writeWhole(const QString &path, const QByteArray &bytes);

// Whether a and b name the same file: the same device and inode where both
// exist (a hard link, a symbolic link, another spelling of the path), else
// the same path once links, "." and ".." are resolved, so that a file not
// yet written is the same as another name of the place it would go.
bool sameFile(const QString &a, const QString &b);

} // namespace files
