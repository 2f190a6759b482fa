#include "filesizelimit.h"
#include "output/reportfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/sysmacros.h>
#endif

using namespace output;

namespace {

const QString Name = QStringLiteral("Расчет-Г.txt");

// Two different report blocks, as the report writer produces them: lines
// in Windows-1251, each ended by CR LF.
const QByteArray BlockA = QByteArray("\xC2\xD5\xCE\xC4\xCD\xDB\xC5 A\r\n").repeated(25);
const QByteArray BlockB = QByteArray("\xC2\xD5\xCE\xC4\xCD\xDB\xC5 B\r\n").repeated(26);

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// The open file handles of this process, to see that a failed write leaves
// none behind; -1 where the system cannot tell.
int openHandles()
{
#ifdef Q_OS_LINUX
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
#else
    return -1;
#endif
}

// Whether this process may write into a folder it has made read-only (it
// may when it runs with administrator rights).
bool writesIgnorePermissions(const QString &folder)
{
    QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
    const bool written = probe.open(QIODevice::WriteOnly);
    probe.close();
    probe.remove();
    return written;
}

} // namespace

class ReportFileTest : public QObject {
    Q_OBJECT
private slots:
    void exists_data();
    void exists();
    void createWritesOneBlock();
    void appendAddsSecondBlock();
    void replaceKeepsOneBlock();
    void folderInTheWay_data();
    void folderInTheWay();
    void readOnlyFolderKeepsOldReport();
    void failedReplaceKeepsOldReport();
    void failedAppendCutsPartialBlock();
    void linkToADeviceIsRefused_data();
    void linkToADeviceIsRefused();
    void appendFollowsALinkToAReport();
    void questionText();
};

void ReportFileTest::exists_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<bool>("exists");
    QTest::newRow("no file") << QString() << false << false;
    QTest::newRow("exact name") << Name << false << true;
    QTest::newRow("other letter case") << QStringLiteral("расчет-г.txt") << false << false;
    QTest::newRow("capital extension") << QStringLiteral("Расчет-Г.TXT") << false << false;
    QTest::newRow("longer name") << QStringLiteral("Расчет-Г.txt.bak") << false << false;
    QTest::newRow("folder of that name") << Name << true << false;
}

void ReportFileTest::exists()
{
    QFETCH(QString, entry);
    QFETCH(bool, isFolder);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!entry.isEmpty()) {
        if (isFolder)
            QVERIFY(QDir(dir.path()).mkdir(entry));
        else
            QVERIFY(writeFile(dir.filePath(entry), BlockA));
    }
    QCOMPARE(reportFileExists(dir.path()), exists);
}

void ReportFileTest::createWritesOneBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!reportFileExists(dir.path()));
    const WriteResult result = writeReport(dir.path(), BlockA, WriteMode::Replace);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.error.isEmpty());
    QVERIFY(reportFileExists(dir.path()));
    QCOMPARE(reportFilePath(dir.path()), dir.filePath(Name));
    QCOMPARE(contents(dir.filePath(Name)), BlockA);
    // Only the report is left in the folder: no temporary file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{Name});
}

void ReportFileTest::appendAddsSecondBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeReport(dir.path(), BlockA, WriteMode::Replace).ok);
    const WriteResult result = writeReport(dir.path(), BlockB, WriteMode::Append);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(contents(dir.filePath(Name)), BlockA + BlockB);
}

void ReportFileTest::replaceKeepsOneBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeReport(dir.path(), BlockA, WriteMode::Replace).ok);
    QVERIFY(writeReport(dir.path(), BlockA, WriteMode::Append).ok);
    const WriteResult result = writeReport(dir.path(), BlockB, WriteMode::Replace);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(contents(dir.filePath(Name)), BlockB);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{Name});
}

void ReportFileTest::folderInTheWay_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("replace") << int(WriteMode::Replace);
    QTest::newRow("append") << int(WriteMode::Append);
}

void ReportFileTest::folderInTheWay()
{
    // A folder named like the report: the file cannot be created, whatever
    // the rights of the process.
    QFETCH(int, mode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(Name));
    const int handles = openHandles();
    const WriteResult result = writeReport(dir.path(), BlockA, WriteMode(mode));
    QVERIFY(!result.ok);
    QVERIFY2(result.error.startsWith(QStringLiteral("Не удалось записать файл ")), qPrintable(result.error));
    QVERIFY2(result.error.contains(QDir::toNativeSeparators(dir.filePath(Name))), qPrintable(result.error));
    QCOMPARE(openHandles(), handles);
    QVERIFY(QFileInfo(dir.filePath(Name)).isDir());
    QCOMPARE(QDir(dir.filePath(Name)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 0);
}

void ReportFileTest::readOnlyFolderKeepsOldReport()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(Name);
    QVERIFY(writeFile(path, BlockA));
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner
        | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(path,
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(dir.path(), readOnly));
    const bool ignored = writesIgnorePermissions(dir.path());
    if (!ignored) {
        const int handles = openHandles();
        const WriteResult replaced = writeReport(dir.path(), BlockB, WriteMode::Replace);
        const WriteResult appended = writeReport(dir.path(), BlockB, WriteMode::Append);
        QVERIFY(!replaced.ok);
        QVERIFY(!appended.ok);
        QVERIFY(replaced.error.contains(QDir::toNativeSeparators(path)));
        QVERIFY(appended.error.contains(QDir::toNativeSeparators(path)));
        QCOMPARE(openHandles(), handles);
        QCOMPARE(contents(path), BlockA);
    }
    // Give the rights back so that the folder can be removed.
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (ignored)
        QSKIP("The process writes into read-only folders (administrator rights)");
}

void ReportFileTest::failedReplaceKeepsOldReport()
{
#ifdef Q_OS_UNIX
    // A full disk, imitated by a file size limit: the new block does not
    // fit, and the old report must stay whole.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(Name);
    const QByteArray old = BlockA + BlockA;
    QVERIFY(writeFile(path, old));
    const QByteArray bigger = BlockB.repeated(3);
    const int handles = openHandles();
    WriteResult result;
    bool limited = false;
    {
        // Nothing but the write itself runs under the limit.
        FileSizeLimit limit(rlim_t(BlockB.size()));
        limited = limit.active();
        if (limited)
            result = writeReport(dir.path(), bigger, WriteMode::Replace);
    }
    QVERIFY(limited);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.startsWith(QStringLiteral("Не удалось записать файл ")), qPrintable(result.error));
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(openHandles(), handles);
    QCOMPARE(contents(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{Name});
#else
    QSKIP("Needs a file size limit");
#endif
}

void ReportFileTest::failedAppendCutsPartialBlock()
{
#ifdef Q_OS_UNIX
    // Room for only part of the new block: whatever part reached the file
    // is cut off again.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(Name);
    QVERIFY(writeFile(path, BlockA));
    const int handles = openHandles();
    WriteResult result;
    bool limited = false;
    {
        // Nothing but the write itself runs under the limit.
        FileSizeLimit limit(rlim_t(BlockA.size() + BlockB.size() / 2));
        limited = limit.active();
        if (limited)
            result = writeReport(dir.path(), BlockB, WriteMode::Append);
    }
    QVERIFY(limited);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.startsWith(QStringLiteral("Не удалось записать файл ")), qPrintable(result.error));
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(openHandles(), handles);
    QCOMPARE(contents(path), BlockA);
    // The file takes a complete block again afterwards.
    QVERIFY(writeReport(dir.path(), BlockB, WriteMode::Append).ok);
    QCOMPARE(contents(path), BlockA + BlockB);
#else
    QSKIP("Needs a file size limit");
#endif
}

void ReportFileTest::linkToADeviceIsRefused_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<unsigned>("minor");
    QTest::newRow("append, null") << int(WriteMode::Append) << 3u;
    QTest::newRow("append, full") << int(WriteMode::Append) << 7u;
    QTest::newRow("replace, null") << int(WriteMode::Replace) << 3u;
    QTest::newRow("replace, full") << int(WriteMode::Replace) << 7u;
}

// The report named by a link to a device: appending would lose the block
// in /dev/null without a word, replacing would put a file in the device's
// place. Both are refused with the reason, and the device stays one.
void ReportFileTest::linkToADeviceIsRefused()
{
#ifndef Q_OS_UNIX
    QSKIP("devices and links of a Unix file system");
#else
    QFETCH(int, mode);
    QFETCH(unsigned, minor);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A node of our own with the numbers of /dev/null or /dev/full, so that
    // a writer that went wrong could not replace the machine's.
    QString device = dir.filePath(QStringLiteral("device"));
    if (mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, minor)) != 0)
        device = minor == 3 ? QStringLiteral("/dev/null") : QStringLiteral("/dev/full");
    const QString report = dir.filePath(Name);
    QVERIFY(QFile::link(device, report));
    const int handles = openHandles();
    const WriteResult result = writeReport(dir.path(), BlockA, WriteMode(mode));
    QVERIFY(!result.ok);
    QCOMPARE(result.error,
             QStringLiteral("Не удалось записать файл %1: это не обычный файл (устройство)")
                 .arg(QDir::toNativeSeparators(report)));
    QCOMPARE(openHandles(), handles);
    struct stat st { };
    QCOMPARE(stat(QFile::encodeName(device).constData(), &st), 0);
    QVERIFY(S_ISCHR(st.st_mode));
    QVERIFY(QFileInfo(report).isSymLink());
#endif
}

void ReportFileTest::appendFollowsALinkToAReport()
{
    // A report kept elsewhere and linked into the working folder grows
    // there, and the link stays.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("kept"));
    const QString kept = dir.filePath(QStringLiteral("kept/report.txt"));
    QVERIFY(writeFile(kept, BlockA));
    QVERIFY(QFile::link(kept, dir.filePath(Name)));
    QVERIFY(reportFileExists(dir.path()));
    const WriteResult result = writeReport(dir.path(), BlockB, WriteMode::Append);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(contents(kept), BlockA + BlockB);
    QVERIFY(QFileInfo(dir.filePath(Name)).isSymLink());
    QVERIFY(writeReport(dir.path(), BlockB, WriteMode::Replace).ok);
    QCOMPARE(contents(kept), BlockB);
    QVERIFY(QFileInfo(dir.filePath(Name)).isSymLink());
}

void ReportFileTest::questionText()
{
    QCOMPARE(reportmsg::AppendQuestion.split(QStringLiteral("\r\n")),
             QStringList({QStringLiteral("Файл  Расчет-Г.txt  уже существует."),
                          QStringLiteral("Добавить данные в существующий файл? (Да)"),
                          QStringLiteral("Создать новый? (Нет)")}));
    QCOMPARE(reportmsg::AppendTitle, QStringLiteral("ВНИМАНИЕ!"));
    QVERIFY(reportmsg::Written.endsWith(Name));
    QVERIFY(reportmsg::AppendQuestion.contains(QStringLiteral("  ") + Name + QStringLiteral("  ")));
}

QTEST_APPLESS_MAIN(ReportFileTest)
#include "tst_output_reportfile.moc"
