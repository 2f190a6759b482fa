#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>
#include <vector>

class QLockFile;

// The recovery copy of an unsaved project: written under the user's data
// folder (QStandardPaths::AppDataLocation) soon after every change and
// removed when the project is saved or closed cleanly. Each running program
// owns its copy through a lock file beside it, so that at start only the
// copies of programs that ended without closing them are offered.
namespace project {

// The folder the copies are kept in.
QString recoveryFolder();

// The copy of this running program.
class RecoveryCopy {
public:
    RecoveryCopy();
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy &) = delete;
    RecoveryCopy &operator=(const RecoveryCopy &) = delete;

    // Writes the project's bytes and the path of its file (empty for a
    // project never saved); false when the folder cannot be written.
    bool write(const QByteArray &projectBytes, const QString &projectPath);
    // Removes the copy (a clean close or a save).
    void remove();
    QString path() const;

private:
    QString m_base; // the folder and this program's name for its files, without suffix
    std::unique_ptr<QLockFile> m_lock;
};

// A copy left by a program that did not end cleanly.
struct LeftCopy {
    QString path;        // the copy itself
    QString projectPath; // the file the project came from, if any
    QDateTime written;
    QByteArray bytes;
};

// The copies whose programs no longer run, oldest first.
std::vector<LeftCopy> leftCopies();

// Removes a left copy once it is restored or refused.
void discard(const LeftCopy &copy);

// "Найден несохраненный объект «name» от dd.MM.yyyy hh:mm. Восстановить?"
QString recoveryQuestion(const QString &name, const QDateTime &written);

} // namespace project
