// The whole-file writer on what can stand at a path: a regular file, a
// symbolic link to one, a dangling link, a chain or loop of links, and
// the things that are not files at all (a device, a pipe, a folder), which
// it refuses and leaves as they were; and the test of whether two names
// are one file.

#include "widgets/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

namespace {

const QByteArray NewBytes("new content\r\n");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

#ifdef Q_OS_UNIX
// The kind of what stands at path, not following a link: 'c' a character
// device, 'p' a pipe, 'd' a folder, 'l' a link, 'f' a regular file, '-'
// nothing.
char kindAt(const QString &path)
{
    struct stat st { };
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return '-';
    if (S_ISCHR(st.st_mode))
        return 'c';
    if (S_ISFIFO(st.st_mode))
        return 'p';
    if (S_ISDIR(st.st_mode))
        return 'd';
    if (S_ISLNK(st.st_mode))
        return 'l';
    return S_ISREG(st.st_mode) ? 'f' : '?';
}

// A character device to write to: a node of its own in folder with the
// numbers of /dev/null (minor 3) or /dev/full (minor 7) where the process
// may make one, so that a writer that went wrong could not replace the
// machine's own; else the machine's, which a process that may not make
// nodes cannot replace either.
QString device(const QString &folder, unsigned minor)
{
    const QString own = QDir(folder).filePath(QStringLiteral("device-%1").arg(minor));
    if (mknod(QFile::encodeName(own).constData(), S_IFCHR | 0666, makedev(1, minor)) == 0)
        return own;
    return minor == 3 ? QStringLiteral("/dev/null") : QStringLiteral("/dev/full");
}
#endif

} // namespace

class WholeFileTest : public QObject {
    Q_OBJECT
private slots:
    void onlyRegularFilesAreWritten_data();
    void onlyRegularFilesAreWritten();
    void sameFile_data();
    void sameFile();
};

void WholeFileTest::onlyRegularFilesAreWritten_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason"); // empty: written
    QTest::newRow("link to /dev/null") << "link-null"
                                       << "это не обычный файл (устройство)";
    QTest::newRow("link to /dev/full") << "link-full"
                                       << "это не обычный файл (устройство)";
    QTest::newRow("device itself") << "device"
                                   << "это не обычный файл (устройство)";
    QTest::newRow("link to a pipe") << "link-fifo"
                                    << "это не обычный файл (канал)";
    QTest::newRow("pipe itself") << "fifo"
                                 << "это не обычный файл (канал)";
    QTest::newRow("link to a folder") << "link-folder"
                                      << "это не обычный файл (папка)";
    QTest::newRow("folder itself") << "folder"
                                   << "это не обычный файл (папка)";
    QTest::newRow("loop of links") << "loop"
                                   << "символические ссылки ведут по кругу";
    QTest::newRow("dangling link") << "dangling"
                                   << "";
    QTest::newRow("link to a file") << "link-file"
                                    << "";
    QTest::newRow("chain of links into another folder") << "chain"
                                                        << "";
    QTest::newRow("regular file") << "file"
                                  << "";
    QTest::newRow("nothing there") << "none"
                                   << "";
}

// A link is followed to its target; the target must be a regular file or
// nothing. What is refused stays what it was, with no file left beside it.
void WholeFileTest::onlyRegularFilesAreWritten()
{
#ifndef Q_OS_UNIX
    QSKIP("devices, pipes and links of a Unix file system");
#else
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("here");
    const QString other = dir.filePath("other");
    QVERIFY(QDir().mkpath(folder) && QDir().mkpath(other));
    const QString path = QDir(folder).filePath("out.pdf");
    QString target = path; // where the bytes land, or what must stay as it was
    char kind = 'f';       // what stands at target afterwards
    const auto link = [](const QString &to, const QString &at) { return QFile::link(to, at); };

    if (setup == "link-null" || setup == "link-full") {
        target = device(other, setup == "link-null" ? 3 : 7);
        QVERIFY(link(target, path));
        kind = 'c';
    } else if (setup == "device") {
        if (mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("this process may not make a device node");
        kind = 'c';
    } else if (setup == "link-fifo" || setup == "fifo") {
        target = setup == "fifo" ? path : QDir(other).filePath("pipe");
        QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0666), 0);
        if (setup == "link-fifo")
            QVERIFY(link(target, path));
        kind = 'p';
    } else if (setup == "link-folder" || setup == "folder") {
        target = setup == "folder" ? path : other;
        if (setup == "folder")
            QVERIFY(QDir().mkpath(path));
        else
            QVERIFY(link(other, path));
        kind = 'd';
    } else if (setup == "loop") {
        const QString back = QDir(folder).filePath("back.pdf");
        QVERIFY(link(back, path));
        QVERIFY(link(path, back));
        kind = 'l';
    } else if (setup == "dangling") {
        target = QDir(other).filePath("not yet.pdf");
        QVERIFY(link(target, path));
    } else if (setup == "link-file") {
        target = QDir(other).filePath("plan.pdf");
        QVERIFY(writeFile(target, QByteArray(5000, 'x')));
        QVERIFY(link(target, path));
    } else if (setup == "chain") {
        // out.pdf -> middle.pdf (relative) -> ../other/end.pdf (relative)
        target = QDir(other).filePath("end.pdf");
        QVERIFY(writeFile(target, "old"));
        QVERIFY(link("../other/end.pdf", QDir(folder).filePath("middle.pdf")));
        QVERIFY(link("middle.pdf", path));
    } else if (setup == "file") {
        QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    }
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    const QStringList otherBefore
        = QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

    const files::WriteResult result = files::writeWhole(path, NewBytes);

    if (reason.isEmpty()) {
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(contents(path), NewBytes);
        QCOMPARE(contents(target), NewBytes);
        QCOMPARE(kindAt(target), 'f');
        // A link stays a link, to the file now written.
        if (target != path)
            QCOMPARE(kindAt(path), 'l');
    } else {
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, reason);
        QCOMPARE(
            result.error,
            QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(path), reason));
        QCOMPARE(kindAt(target), kind);
        if (target != path)
            QCOMPARE(kindAt(path), 'l');
    }
    // No temporary file is left in either folder.
    QStringList after = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    QStringList otherAfter = QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    if (setup == "none")
        after.removeOne("out.pdf");
    if (setup == "dangling")
        otherAfter.removeOne("not yet.pdf");
    QCOMPARE(after, before);
    QCOMPARE(otherAfter, otherBefore);
#endif
}

void WholeFileTest::sameFile_data()
{
    // Names relative to the test's folder, which is the current one; the
    // folder holds "project.csv", "copy.csv" (the same bytes), "sub/",
    // "link.csv" -> project.csv, "hard.csv" (a hard link to project.csv),
    // "dangling.csv" -> new.csv.
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("the same name") << "project.csv"
                                   << "project.csv" << true;
    QTest::newRow("with ./") << "./project.csv"
                             << "project.csv" << true;
    QTest::newRow("through ..") << "sub/../project.csv"
                                << "project.csv" << true;
    QTest::newRow("absolute and relative") << "{dir}/project.csv"
                                           << "project.csv" << true;
    QTest::newRow("symbolic link") << "link.csv"
                                   << "project.csv" << true;
    QTest::newRow("hard link") << "hard.csv"
                               << "project.csv" << true;
    QTest::newRow("a copy") << "copy.csv"
                            << "project.csv" << false;
    QTest::newRow("another name") << "other.csv"
                                  << "project.csv" << false;
    QTest::newRow("not yet there, spelt two ways") << "sub/../new.csv"
                                                   << "{dir}/new.csv" << true;
    QTest::newRow("dangling link and its target") << "dangling.csv"
                                                  << "new.csv" << true;
    QTest::newRow("two names not there") << "new.csv"
                                         << "newer.csv" << false;
    QTest::newRow("a folder and a file in it") << "sub"
                                               << "sub/project.csv" << false;
}

void WholeFileTest::sameFile()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString was = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    QVERIFY(writeFile("project.csv", "{}"));
    QVERIFY(writeFile("copy.csv", "{}"));
    QVERIFY(QDir().mkdir("sub"));
    QVERIFY(QFile::link("project.csv", "link.csv"));
    QVERIFY(QFile::link("new.csv", "dangling.csv"));
#ifdef Q_OS_UNIX
    QCOMPARE(::link("project.csv", "hard.csv"), 0);
#else
    QVERIFY(QFile::copy("project.csv", "hard.csv"));
#endif
    const QString canonical = QFileInfo(dir.path()).canonicalFilePath();
    a.replace("{dir}", canonical);
    b.replace("{dir}", canonical);
    const bool found = files::sameFile(a, b);
    const bool reversed = files::sameFile(b, a);
    QVERIFY(QDir::setCurrent(was));
    QCOMPARE(found, same);
    QCOMPARE(reversed, same);
}

QTEST_GUILESS_MAIN(WholeFileTest)
#include "tst_wholefile.moc"
