// The program's command line, run as a process: exit codes, messages on
// the standard error, and the CSV that --export writes without a window.

#include "project/projectfile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

project::RoomInputs ceilingRoom(const QString &length, const QString &width)
{
    project::RoomInputs in;
    in.model = "KE-1";
    in.mounting = calc::Mounting::Ceiling;
    in.directivity = in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = "ТЕАТР";
    in.height = "3";
    in.length = length;
    in.width = width;
    in.areaFromSides = true;
    return in;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exitCodes_data();
    void exitCodes();
    void csvBytes_data();
    void csvBytes();

private:
    struct Run {
        int code;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QStringList &arguments, const QString &language = "C.UTF-8");
    QTemporaryDir dir;
    QString good;
    QString bad;
};

void CommandLineTest::initTestCase()
{
    QVERIFY(dir.isValid());
    project::Project p;
    p.name = "Школа; корпус \"Б\"";
    p.rooms.push_back({"Актовый зал", "2", "Л1", ceilingRoom("12.5", "8"), "рядами"});
    p.rooms.push_back({"Коридор; 1", "1", "", ceilingRoom("", "2"), "рядами"});
    good = dir.filePath("school.lsplan");
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(project::projectBytes(p, {}));
    file.close();
    bad = dir.filePath("bad.lsplan");
    QFile broken(bad);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(
        "{\"format\": \"loudspeaker-planner/object\", \"version\": 1, \"name\": \"\", \"rooms\": [{}]}");
}

CommandLineTest::Run CommandLineTest::run(const QStringList &arguments, const QString &language)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display at all: a window could not even be made.
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("LANG", language);
    env.insert("LC_ALL", language);
    env.insert("HOME", dir.path());
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(PLANNER_PROGRAM), arguments);
    if (!process.waitForFinished(30000))
        return {-1, {}, {}};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

void CommandLineTest::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("out");
    const QString help = "\nСправка: loudspeaker-planner --help\n";
    QTest::newRow("help") << QStringList{"--help"} << 0 << ""
                          << "--export <OUT>";
    QTest::newRow("version") << QStringList{"--version"} << 0 << ""
                             << "loudspeaker-planner 4.0.0\n";
    QTest::newRow("written") << QStringList{"--export", "out.csv", "school.lsplan"} << 0 << ""
                             << "";
    QTest::newRow("unknown option") << QStringList{"--bogus", "school.lsplan"} << 2
                                    << "Неизвестный параметр «--bogus»." + help << "";
    QTest::newRow("no OUT") << QStringList{"--export"} << 2
                            << "У параметра --export не указан файл, в который записать таблицу." + help
                            << "";
    QTest::newRow("no FILE") << QStringList{"--export", "out.csv"} << 2
                             << "Укажите файл объекта, таблицу которого записать." + help << "";
    QTest::newRow("two files") << QStringList{"--export", "out.csv", "a.lsplan", "b.lsplan"} << 2
                               << "Укажите не больше одного файла объекта." + help << "";
    QTest::newRow("unknown format")
        << QStringList{"--export", "out.odt", "school.lsplan"} << 2
        << "Неизвестный формат файла «out.odt»: объект записывается в файл .csv, .xlsx или .pdf." + help
        << "";
    QTest::newRow("missing project") << QStringList{"--export", "out.csv", "missing.lsplan"} << 1
                                     << "Файл «missing.lsplan» не открыт: файла нет\n"
                                     << "";
    QTest::newRow("bad project") << QStringList{"--export", "out.csv", "bad.lsplan"} << 1
                                 << "Файл «bad.lsplan» не открыт: у помещения № 1 нет поля «name»\n"
                                 << "";
    QTest::newRow("OUT not writable") << QStringList{"--export", "no/such/folder/out.csv", "school.lsplan"}
                                      << 1 << "Не удалось записать файл no/such/folder/out.csv"
                                      << "";
}

void CommandLineTest::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, err);
    QFETCH(QString, out);
    QFile::remove(dir.filePath("out.csv"));
    const Run r = run(arguments);
    QCOMPARE(r.code, code);
    if (err.isEmpty())
        QCOMPARE(QString::fromUtf8(r.err), QString());
    else
        QVERIFY2(QString::fromUtf8(r.err).startsWith(err), r.err.constData());
    QVERIFY2(QString::fromUtf8(r.out).contains(out), r.out.constData());
    // Only a successful export leaves a file.
    QCOMPARE(QFile::exists(dir.filePath("out.csv")), code == 0 && arguments.contains("out.csv"));
}

void CommandLineTest::csvBytes_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("point");
    QTest::newRow("C") << "C.UTF-8"
                       << ".";
    QTest::newRow("ru_RU") << "ru_RU.UTF-8"
                           << ",";
}

void CommandLineTest::csvBytes()
{
    QFETCH(QString, language);
    QFETCH(QString, point);
    const Run r = run({"--export", "rooms.csv", "school.lsplan"}, language);
    QCOMPARE(r.code, 0);
    QFile file(dir.filePath("rooms.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString expected
        = "№;Помещение;Этаж;Линия;Громкоговоритель;Установка;Отвод;Длина, м;Ширина, м;Площадь, "
          "м2;"
          "Шум, дБ;Звуковое давление, дБ;Дальность, м;Площадь озвучивания, м2;Количество;Мощность, Вт;"
          "Озвучено, %;Замечание\r\n"
          "1;Актовый зал;2;Л1;KE-1;Потолочный;1;12{p}5;8;100;40;95;11;8;13;78;85{p}7;\r\n"
          "2;\"Коридор; 1\";1;;KE-1;Потолочный;1;;2;;40;;;;;;;Введите длину помещения\r\n";
    QCOMPARE(file.readAll(), "\xEF\xBB\xBF" + QString(expected).replace("{p}", point).toUtf8());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_project_commandline.moc"
