// The program's command line, run as a process: exit codes, messages on
// the standard error, the CSV that --export writes without a window, the
// plan of one room (--room) in every drawing format with its caption, an
// OUT that is the project's own file, a standard error free of Qt's
// warnings; and the progress line and the caption as plain functions.

#include "app/commandline.h"
#include "calc/shape.h"
#include "plan/dxfdrawing.h"
#include "plan/dxfexport.h"
#include "project/projectfile.h"
#include "roomtesthelpers.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <unistd.h>

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A floor plan as an architect's CAD writes it (R2007, so its texts are
// UTF-8; millimetres): on the layer "А-ПОМЕЩЕНИЯ" a gym of 6 x 4 m named
// by a text inside it, a room of 3 x 4 m without one, an open polyline and
// a column of 0.5 x 0.5 m; a hatch line on "МЕБЕЛЬ".
QByteArray floorPlanDxf()
{
    QByteArray dxf = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n"
                     "0\nSECTION\n2\nENTITIES\n";
    const auto polyline = [&dxf](const QList<QPointF> &corners, bool closed) {
        dxf += "0\nLWPOLYLINE\n8\nА-ПОМЕЩЕНИЯ\n90\n" + QByteArray::number(corners.size()) + "\n70\n"
            + (closed ? "1" : "0") + "\n";
        for (const QPointF &c : corners)
            dxf += "10\n" + QByteArray::number(c.x()) + "\n20\n" + QByteArray::number(c.y()) + "\n";
    };
    polyline({{10000, 0}, {16000, 0}, {16000, 4000}, {10000, 4000}}, true);
    polyline({{16000, 0}, {19000, 0}, {19000, 4000}, {16000, 4000}}, true);
    polyline({{0, 6000}, {5000, 6000}, {5000, 9000}}, false);
    polyline({{12000, 1000}, {12500, 1000}, {12500, 1500}, {12000, 1500}}, true);
    dxf += "0\nTEXT\n8\nПОДПИСИ\n10\n11000\n20\n2000\n40\n300\n1\nСпортзал 2\n";
    dxf += "0\nLINE\n8\nМЕБЕЛЬ\n10\n0\n20\n0\n11\n1000\n21\n1000\n";
    dxf += "0\nENDSEC\n0\nEOF\n";
    return dxf;
}

// The caption the plans of the test's school carry, dated date.
QString schoolCaption(const QDate &date)
{
    return QStringLiteral("Объект «Школа; корпус \"Б\"». Помещение № 1 «Актовый зал», этаж 2. Дата: %1")
        .arg(date.toString("dd.MM.yyyy"));
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
    void roomPlan_data();
    void roomPlan();
    void roomPlanHoldsItsCount_data();
    void roomPlanHoldsItsCount();
    void levelViewDiffersFromZones();
    void outlineRoomPlan();
    void ontoTheProjectFile_data();
    void ontoTheProjectFile();
    void roomPlanSaysWhoseItIs_data();
    void roomPlanSaysWhoseItIs();
    void captionText_data();
    void captionText();
    void noQtWarnings_data();
    void noQtWarnings();
    void progressLine_data();
    void progressLine();
    void noProgressWithoutATerminal();
    void importPlan_data();
    void importPlan();
    void importedFloorAsDxf();

private:
    struct Run {
        int code;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QStringList &arguments, const QString &language = "C.UTF-8", bool runtimeFolder = true);
    QByteArray bytesOf(const QString &name);
    QTemporaryDir dir;
    QString runtime;
    QString good;
    QString bad;
};

void CommandLineTest::initTestCase()
{
    QVERIFY(dir.isValid());
    runtime = dir.filePath("runtime");
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    project::Project p;
    p.name = "Школа; корпус \"Б\"";
    p.rooms.push_back({"Актовый зал", "2", "Л1", theatreCeilingRoom("KE-1", 1, "12.5", "8"), "рядами", {}});
    p.rooms.push_back({"Коридор; 1", "1", "", theatreCeilingRoom("KE-1", 1, "", "2"), "рядами", {}});
    good = dir.filePath("school.lsplan");
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(project::projectBytes(p, {}));
    file.close();
    project::Project empty;
    empty.name = "Пусто";
    QVERIFY(writeBytes(dir.filePath("empty.lsplan"), project::projectBytes(empty, {})));
    QVERIFY(writeBytes(dir.filePath("этаж-1.dxf"), floorPlanDxf()));
    bad = dir.filePath("bad.lsplan");
    QFile broken(bad);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(
        "{\"format\": \"loudspeaker-planner/object\", \"version\": 1, \"name\": \"\", \"rooms\": [{}]}");
}

CommandLineTest::Run CommandLineTest::run(const QStringList &arguments, const QString &language,
                                          bool runtimeFolder)
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
    // The drawings need a GUI application, which wants its runtime folder.
    if (runtimeFolder)
        env.insert("XDG_RUNTIME_DIR", runtime);
    else
        env.remove("XDG_RUNTIME_DIR");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(PLANNER_PROGRAM), arguments);
    if (!process.waitForFinished(120000))
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
          "Шум, дБ;Звуковое давление, дБ;Дальность, м;Площадь озвучивания, м2;Количество;На плане;По уровню;"
          "Мощность, Вт;"
          "Озвучено, %;Мин. уровень, дБ;Не ниже требуемого, %;Проверка;Пол;Стены;Потолок;Время реверберации, "
          "с;"
          "STI, среднее;STI не ниже 0,50, %;Замечание\r\n"
          "1;Актовый "
          "зал;2;Л1;KE-1;Потолочный;1;12{p}5;8;100;40;95;11;8;13;13;{fit};78;85{p}7;{lowest};{share};"
          "{verdict};линолеум;штукатурка;штукатурка;{time};{sti};{stiShare};\r\n"
          "2;\"Коридор; 1\";1;;KE-1;Потолочный;1;;2;;40;;;;;;;;;;;;"
          "линолеум;штукатурка;штукатурка;;;;Введите длину помещения\r\n";
    const QByteArray bytes = file.readAll();
    const QString text = QString::fromUtf8(bytes);
    // The level figures are checked against the map in the table's own
    // tests; here they must be there, to one decimal with the locale's point.
    const QStringList fields = text.split("\r\n").value(1).split(u';');
    const QString fit = fields.value(16);
    const QString lowest = fields.value(19);
    const QString share = fields.value(20);
    const QString verdict = fields.value(21);
    QVERIFY2(QRegularExpression("^\\d+$").match(fit).hasMatch() || fit.startsWith("не достигается: "),
             qPrintable(text));
    QVERIFY2(verdict == "выполнено" || verdict.startsWith("не выполнено: "), qPrintable(text));
    const QRegularExpression tenth(QStringLiteral("^\\d+\\%1\\d$").arg(point));
    QVERIFY2(tenth.match(lowest).hasMatch() && tenth.match(share).hasMatch(), qPrintable(text));
    QVERIFY(QString(share).replace(u',', u'.').toDouble() <= 100);
    // The intelligibility, to two decimals but its share.
    const QString time = fields.value(25);
    const QString sti = fields.value(26);
    const QString stiShare = fields.value(27);
    const QRegularExpression hundredth(QStringLiteral("^\\d+\\%1\\d\\d$").arg(point));
    QVERIFY2(hundredth.match(time).hasMatch() && hundredth.match(sti).hasMatch()
                 && tenth.match(stiShare).hasMatch(),
             qPrintable(text));
    QCOMPARE(bytes,
             "\xEF\xBB\xBF"
                 + QString(expected)
                       .replace("{p}", point)
                       .replace("{lowest}", lowest)
                       .replace("{share}", share)
                       .replace("{fit}", fit)
                       .replace("{verdict}", verdict)
                       .replace("{time}", time)
                       .replace("{sti}", sti)
                       .replace("{stiShare}", stiShare)
                       .toUtf8());
}

QByteArray CommandLineTest::bytesOf(const QString &name)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CommandLineTest::roomPlan_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    const QString help = "\nСправка: loudspeaker-planner --help\n";
    QTest::newRow("dxf") << QStringList{"--export", "plan.dxf", "--room", "1", "school.lsplan"} << 0 << "";
    QTest::newRow("svg") << QStringList{"--export", "plan.svg", "--room", "1", "school.lsplan"} << 0 << "";
    QTest::newRow("png, zones") << QStringList{"--export", "plan.png", "--room",       "1",
                                               "--view",   "zones",    "school.lsplan"}
                                << 0 << "";
    QTest::newRow("pdf, level") << QStringList{"--export", "plan.PDF", "--room",       "1",
                                               "--view",   "level",    "school.lsplan"}
                                << 0 << "";
    QTest::newRow("png, sti") << QStringList{"--export", "plan.png", "--room",       "1",
                                             "--view",   "sti",      "school.lsplan"}
                              << 0 << "";
    QTest::newRow("dxf without --room")
        << QStringList{"--export", "plan.dxf", "school.lsplan"} << 2
        << "Чертеж DXF записывается для одного помещения или этажа: укажите параметр --room N или --floor F."
            + help;
    // The room's number is checked against the rooms the file holds.
    QTest::newRow("N not a number") << QStringList{"--export", "plan.png", "--room", "первый",
                                                   "school.lsplan"}
                                    << 2 << "Номер помещения «первый» не является целым числом от 1 до 2.\n";
    QTest::newRow("N zero") << QStringList{"--export", "plan.png", "--room", "0", "school.lsplan"} << 2
                            << "Номер помещения «0» не является целым числом от 1 до 2.\n";
    QTest::newRow("N negative") << QStringList{"--export", "plan.png", "--room", "-1", "school.lsplan"} << 2
                                << "Номер помещения «-1» не является целым числом от 1 до 2.\n";
    QTest::newRow("N past the last room")
        << QStringList{"--export", "plan.png", "--room", "3", "school.lsplan"} << 2
        << "Номер помещения «3» не является целым числом от 1 до 2.\n";
    QTest::newRow("N a fraction") << QStringList{"--export", "plan.png", "--room", "1.5", "school.lsplan"}
                                  << 2 << "Номер помещения «1.5» не является целым числом от 1 до 2.\n";
    QTest::newRow("no rooms") << QStringList{"--export", "plan.png", "--room", "1", "empty.lsplan"} << 2
                              << "В объекте «empty.lsplan» нет ни одного помещения: записать план нечего.\n";
    QTest::newRow("level view in DXF")
        << QStringList{"--export", "plan.dxf", "--room", "1", "--view", "level", "school.lsplan"} << 2
        << "В чертеже DXF нет карты уровня звука: для вида level выберите файл .pdf, .svg или .png." + help;
    QTest::newRow("sti view in DXF")
        << QStringList{"--export", "plan.dxf", "--room", "1", "--view", "sti", "school.lsplan"} << 2
        << "В чертеже DXF нет карты разборчивости: для вида sti выберите файл .pdf, .svg или .png." + help;
    QTest::newRow("unknown view")
        << QStringList{"--export", "plan.png", "--room", "1", "--view", "map", "school.lsplan"} << 2
        << "Неизвестный вид плана «map»: укажите zones (зоны), level (уровень звука) или sti (разборчивость)."
            + help;
    QTest::newRow("view without a room")
        << QStringList{"--export", "plan.png", "--view", "level", "school.lsplan"} << 2
        << "Параметр --view выбирает вид плана помещения: укажите и --room N." + help;
    QTest::newRow("room without export")
        << QStringList{"--room", "1", "school.lsplan"} << 2
        << "Параметр --room записывает план помещения: укажите и --export OUT." + help;
    QTest::newRow("table format for a room")
        << QStringList{"--export", "plan.csv", "--room", "1", "school.lsplan"} << 2
        << "Неизвестный формат файла «plan.csv»: план помещения записывается в файл .dxf, .svg, .png или "
           ".pdf."
            + help;
    QTest::newRow("room that stops") << QStringList{"--export", "plan.png", "--room", "2", "school.lsplan"}
                                     << 1
                                     << "Помещение № 2 «Коридор; 1» не рассчитано: Введите длину помещения\n";
    QTest::newRow("missing project") << QStringList{"--export", "plan.png", "--room", "1", "missing.lsplan"}
                                     << 1 << "Файл «missing.lsplan» не открыт: файла нет\n";
}

void CommandLineTest::roomPlanHoldsItsCount_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("7") << 7;
    QTest::newRow("20") << 20;
}

void CommandLineTest::roomPlanHoldsItsCount()
{
    // The hall of school.lsplan (13 by the calculation) with the count set.
    QFETCH(int, count);
    project::Project p;
    p.rooms.push_back({"Актовый зал", "2", "Л1", theatreCeilingRoom("KE-1", 1, "12.5", "8"), "рядами",
                       project::PlanCount::fixed(count)});
    QVERIFY(writeBytes(dir.filePath("fixed.lsplan"), project::projectBytes(p, {})));
    const Run r = run({"--export", "fixed.dxf", "--room", "1", "fixed.lsplan"});
    QCOMPARE(r.code, 0);
    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytesOf("fixed.dxf"));
    QCOMPARE(int(drawing.on(plan::dxf::LoudspeakerLayer, "CIRCLE").size()), count);
}

void CommandLineTest::roomPlan()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, err);
    const QString out = arguments.at(0) == "--export" ? arguments.at(1) : QString("plan.png");
    QFile::remove(dir.filePath(out));
    const Run r = run(arguments);
    QCOMPARE(r.code, code);
    QCOMPARE(QString::fromUtf8(r.err), err);
    QCOMPARE(QFile::exists(dir.filePath(out)), code == 0);
    if (code != 0)
        return;
    const QByteArray bytes = bytesOf(out);
    const QString suffix = out.section(u'.', -1).toLower();
    if (suffix == "dxf") {
        // The room, and as many loudspeakers as the table counts (13).
        const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytes);
        QVERIFY(drawing.endsWithEof);
        QCOMPARE(int(drawing.on(plan::dxf::RoomLayer, "LWPOLYLINE").size()), 1);
        QCOMPARE(int(drawing.on(plan::dxf::LoudspeakerLayer, "CIRCLE").size()), 13);
        QVERIFY(!drawing.on(plan::dxf::ZoneLayer, "CIRCLE").empty());
        QVERIFY(!drawing.on(plan::dxf::DimensionLayer, "TEXT").empty());
    } else if (suffix == "png") {
        QVERIFY(!QImage::fromData(bytes, "PNG").isNull());
    } else if (suffix == "svg") {
        QVERIFY(bytes.contains("<svg"));
    } else {
        QVERIFY(bytes.startsWith("%PDF"));
    }
}

void CommandLineTest::levelViewDiffersFromZones()
{
    QCOMPARE(run({"--export", "zones.png", "--room", "1", "school.lsplan"}).code, 0);
    QCOMPARE(run({"--export", "level.png", "--room", "1", "--view", "level", "school.lsplan"}).code, 0);
    const QImage zones = QImage::fromData(bytesOf("zones.png"), "PNG");
    const QImage level = QImage::fromData(bytesOf("level.png"), "PNG");
    QVERIFY(!zones.isNull() && !level.isNull());
    QVERIFY(zones != level);
    QCOMPARE(run({"--export", "sti.png", "--room", "1", "--view", "sti", "school.lsplan"}).code, 0);
    const QImage sti = QImage::fromData(bytesOf("sti.png"), "PNG");
    QVERIFY(!sti.isNull());
    QVERIFY(sti != zones && sti != level);
}

// A room with an outline is drawn on its floor: the DXF's room is the
// outline in mm where the floor plan has it, and every loudspeaker stands
// inside it.
void CommandLineTest::outlineRoomPlan()
{
    // An L-shaped corridor, 60 x 3 m with a 30 x 3 m leg, far from the
    // floor's origin.
    const std::vector<QPointF> outline{{100, 50}, {160, 50}, {160, 53}, {103, 53}, {103, 80}, {100, 80}};
    project::RoomInputs in = theatreCeilingRoom("KE-1", 1, "", "");
    QCOMPARE(project::setOutline(in, outline), calc::OutlineFault::None);
    project::Project p;
    p.rooms.push_back({"Коридор", "1", "", in, "без пропусков", {}});
    QVERIFY(writeBytes(dir.filePath("corridor.lsplan"), project::projectBytes(p, {})));
    QCOMPARE(run({"--export", "corridor.dxf", "--room", "1", "corridor.lsplan"}).code, 0);

    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytesOf("corridor.dxf"));
    const std::vector<dxfdrawing::Record> rooms = drawing.on(plan::dxf::RoomLayer, "LWPOLYLINE");
    QCOMPARE(int(rooms.size()), 1);
    const std::vector<double> xs = rooms.front().numbers(10);
    const std::vector<double> ys = rooms.front().numbers(20);
    QCOMPARE(xs.size(), outline.size());
    for (const QPointF &corner : outline) {
        bool found = false;
        for (std::size_t i = 0; i < xs.size(); ++i)
            found = found
                || (std::abs(xs[i] - corner.x() * 1000) < 1e-6 && std::abs(ys[i] - corner.y() * 1000) < 1e-6);
        QVERIFY2(found, qPrintable(QString("corner %1; %2").arg(corner.x()).arg(corner.y())));
    }
    const calc::Shape floor = calc::Shape::fromOutline(outline);
    const std::vector<dxfdrawing::Record> loudspeakers = drawing.on(plan::dxf::LoudspeakerLayer, "CIRCLE");
    QVERIFY(loudspeakers.size() >= 2);
    for (const dxfdrawing::Record &circle : loudspeakers)
        QVERIFY(floor.contains(QPointF(circle.number(10) / 1000, circle.number(20) / 1000)));
}

void CommandLineTest::ontoTheProjectFile_data()
{
    // In the test's folder: "object.csv" and "object.pdf", projects of
    // their own whatever their names say; "link.csv" and "link.pdf"
    // symbolic links to them; "hard.csv" a hard link to object.csv; "sub/".
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("the same name") << QStringList{"--export", "object.csv", "object.csv"};
    QTest::newRow("with ./") << QStringList{"--export", "./object.csv", "object.csv"};
    QTest::newRow("through a folder and ..") << QStringList{"--export", "sub/../object.csv", "object.csv"};
    QTest::newRow("absolute OUT") << QStringList{"--export", "{dir}/object.csv", "object.csv"};
    QTest::newRow("absolute FILE") << QStringList{"--export", "object.csv", "{dir}/object.csv"};
    QTest::newRow("symbolic link") << QStringList{"--export", "link.csv", "object.csv"};
    QTest::newRow("hard link") << QStringList{"--export", "hard.csv", "object.csv"};
    QTest::newRow("PDF of the documents") << QStringList{"--export", "link.pdf", "object.pdf"};
    QTest::newRow("plan of a room") << QStringList{"--export", "object.pdf", "--room", "1", "object.pdf"};
    QTest::newRow("plan through a link")
        << QStringList{"--export", "link.pdf", "--room", "1", "--view", "level", "object.pdf"};
}

// An OUT that is the project's own file, by any name, would replace the
// project with the export: refused, and nothing is written.
void CommandLineTest::ontoTheProjectFile()
{
    QFETCH(QStringList, arguments);
    const QByteArray project = bytesOf("school.lsplan");
    QDir here(dir.path());
    for (const QString name : {"object.csv", "object.pdf", "link.csv", "link.pdf", "hard.csv"})
        here.remove(name);
    QVERIFY(writeBytes(dir.filePath("object.csv"), project));
    QVERIFY(writeBytes(dir.filePath("object.pdf"), project));
    QVERIFY(QFile::link("object.csv", dir.filePath("link.csv")));
    QVERIFY(QFile::link("object.pdf", dir.filePath("link.pdf")));
    QCOMPARE(::link(QFile::encodeName(dir.filePath("object.csv")).constData(),
                    QFile::encodeName(dir.filePath("hard.csv")).constData()),
             0);
    here.mkdir("sub");
    const QString canonical = QFileInfo(dir.path()).canonicalFilePath();
    arguments.replaceInStrings("{dir}", canonical);

    const Run r = run(arguments);
    QCOMPARE(r.code, 1);
    QCOMPARE(QString::fromUtf8(r.err),
             QStringLiteral("Файл «%1» — это сам файл объекта; выберите другое имя.\n")
                 .arg(QDir::toNativeSeparators(arguments.at(1))));
    QCOMPARE(bytesOf("object.csv"), project);
    QCOMPARE(bytesOf("object.pdf"), project);
    QCOMPARE(bytesOf("hard.csv"), project);
    QVERIFY(QFileInfo(dir.filePath("link.csv")).isSymLink());
    QVERIFY(QFileInfo(dir.filePath("link.pdf")).isSymLink());
    // No temporary file was left beside them either.
    QCOMPARE(here.entryList({"object*", "link*", "hard*"}, QDir::AllEntries | QDir::System),
             QStringList({"hard.csv", "link.csv", "link.pdf", "object.csv", "object.pdf"}));
}

void CommandLineTest::roomPlanSaysWhoseItIs_data()
{
    QTest::addColumn<QString>("out");
    QTest::newRow("pdf") << "titled.pdf";
    QTest::newRow("svg") << "titled.svg";
    QTest::newRow("dxf") << "titled.dxf";
}

// The plan of a project's room names the object, the room, its floor and
// the day it was written.
void CommandLineTest::roomPlanSaysWhoseItIs()
{
    QFETCH(QString, out);
    const QDate before = QDate::currentDate();
    const Run r = run({"--export", out, "--room", "1", "school.lsplan"});
    const QDate after = QDate::currentDate();
    QCOMPARE(r.code, 0);
    QString text;
    if (out.endsWith(".pdf")) {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QProcess pdftotext;
        pdftotext.start("pdftotext", {"-enc", "UTF-8", dir.filePath(out), "-"});
        QVERIFY(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0);
        text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
    } else if (out.endsWith(".svg")) {
        text = QString::fromUtf8(bytesOf(out)).replace("&quot;", "\"").replace("&amp;", "&");
    } else {
        const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytesOf(out));
        const std::vector<dxfdrawing::Record> titles = drawing.on(plan::dxf::TitleLayer, "TEXT");
        QCOMPARE(int(titles.size()), 1);
        text = dxfdrawing::decoded(titles[0].value(1)).replace("\\U+00AB", "«").replace("\\U+00BB", "»");
    }
    QVERIFY2(text.contains(schoolCaption(before)) || text.contains(schoolCaption(after)), qPrintable(text));
}

void CommandLineTest::captionText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("floor");
    QTest::addColumn<QString>("caption");
    QTest::newRow("name and floor") << "Кабинет 12"
                                    << "2"
                                    << "Объект «Школа». Помещение № 7 «Кабинет 12», этаж 2. Дата: 09.12.2026";
    QTest::newRow("no floor") << "Кабинет 12"
                              << ""
                              << "Объект «Школа». Помещение № 7 «Кабинет 12». Дата: 09.12.2026";
    QTest::newRow("no name") << ""
                             << "-1"
                             << "Объект «Школа». Помещение № 7, этаж -1. Дата: 09.12.2026";
    QTest::newRow("neither") << ""
                             << ""
                             << "Объект «Школа». Помещение № 7. Дата: 09.12.2026";
}

void CommandLineTest::captionText()
{
    QFETCH(QString, name);
    QFETCH(QString, floor);
    QFETCH(QString, caption);
    QCOMPARE(commandline::roomPlanCaption("Школа", 7, name, floor, QDate(2026, 12, 9)), caption);
}

void CommandLineTest::noQtWarnings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("documents as PDF") << QStringList{"--export", "quiet.pdf", "school.lsplan"};
    QTest::newRow("plan as PNG") << QStringList{"--export", "quiet.png", "--room", "1", "school.lsplan"};
    QTest::newRow("plan as PDF, level")
        << QStringList{"--export", "quiet.pdf", "--room", "1", "--view", "level", "school.lsplan"};
    QTest::newRow("table as CSV") << QStringList{"--export", "quiet.csv", "school.lsplan"};
}

// Without a runtime folder Qt warns as the application starts; none of
// that reaches the standard error of a run that succeeds.
void CommandLineTest::noQtWarnings()
{
    QFETCH(QStringList, arguments);
    QFile::remove(dir.filePath(arguments.at(1)));
    const Run r = run(arguments, "C.UTF-8", false);
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromUtf8(r.err), QString());
    QVERIFY(!bytesOf(arguments.at(1)).isEmpty());
}

void CommandLineTest::progressLine_data()
{
    // Each step: the milliseconds since the export began, then done and
    // total, or -1 for finish(); what the standard error holds after all.
    QTest::addColumn<bool>("terminal");
    QTest::addColumn<QList<QList<int>>>("steps");
    QTest::addColumn<QString>("written");
    const QList<QList<int>> slow{{500, 1, 10},  {2100, 2, 10},  {2150, 3, 10},
                                 {2250, 4, 10}, {2260, 10, 10}, {2300, -1, 0}};
    QTest::newRow("slow, on a terminal")
        << true << slow << "\rРасчет уровней: 2 из 10\rРасчет уровней: 4 из 10\rРасчет уровней: 10 из 10\n";
    QTest::newRow("slow, not a terminal") << false << slow << "";
    QTest::newRow("done within 2 s") << true << QList<QList<int>>{{100, 1, 2}, {1900, 2, 2}, {1950, -1, 0}}
                                     << "";
    QTest::newRow("exactly 2 s") << true << QList<QList<int>>{{2000, 5, 5}, {2001, -1, 0}} << "";
    QTest::newRow("finished twice") << true << QList<QList<int>>{{2500, 1, 1}, {2501, -1, 0}, {2502, -1, 0}}
                                    << "\rРасчет уровней: 1 из 1\n";
}

void CommandLineTest::progressLine()
{
    QFETCH(bool, terminal);
    QFETCH(QList<QList<int>>, steps);
    QFETCH(QString, written);
    QString err;
    QTextStream stream(&err);
    qint64 now = 0;
    commandline::ProgressLine line(stream, terminal, [&now] { return now; });
    for (const QList<int> &step : steps) {
        now = step[0];
        if (step[1] < 0)
            line.finish();
        else
            line.update(step[1], step[2]);
    }
    stream.flush();
    QCOMPARE(err, written);
    QCOMPARE(commandline::progressText(412, 2000), QStringLiteral("Расчет уровней: 412 из 2000"));
}

// A project whose level figures take a few seconds: the standard error of
// a test is no terminal, so it holds no progress.
void CommandLineTest::noProgressWithoutATerminal()
{
    project::Project p;
    p.name = "Медленный";
    for (const QString length : {"30", "31", "32", "33"}) {
        project::RoomInputs in = theatreCeilingRoom("KE-1", 1, length, "20");
        in.model = "GK-1";
        in.mounting = calc::Mounting::Wall;
        in.roomType = "СПОРТЗАЛ";
        p.rooms.push_back({"Зал " + length, "1", "", in, "на одной стене", {}});
    }
    QVERIFY(writeBytes(dir.filePath("slow.lsplan"), project::projectBytes(p, {})));
    const Run r = run({"--export", "slow.csv", "slow.lsplan"});
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromUtf8(r.err), QString());
    // Every room has its level figures.
    const QStringList lines = QString::fromUtf8(bytesOf("slow.csv")).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    for (const QString &line : lines.mid(1))
        QVERIFY2(!line.split(u';').value(17).isEmpty(), qPrintable(line));
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_project_commandline.moc"

void CommandLineTest::importPlan_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("out");
    const QString help = "\nСправка: loudspeaker-planner --help\n";
    const QString report = "Найдено помещений: 2. Пропущено: незамкнутых 1, меньше 1 м² 1.\n";
    QTest::newRow("new project") << QStringList{"--import-plan", "этаж-1.dxf", "--floor", "1", "new.lsplan"}
                                 << 0 << "" << report;
    QTest::newRow("layer named") << QStringList{"--import-plan", "этаж-1.dxf",  "--floor",  "1",
                                                "--layer",       "А-ПОМЕЩЕНИЯ", "--height", "4,5",
                                                "new.lsplan"}
                                 << 0 << "" << report;
    QTest::newRow("no floor") << QStringList{"--import-plan", "этаж-1.dxf", "new.lsplan"} << 2
                              << "Укажите этаж, на который добавить помещения плана: --floor F." + help << "";
    QTest::newRow("no project") << QStringList{"--import-plan", "этаж-1.dxf", "--floor", "1"} << 2
                                << "Укажите файл объекта, в который добавить помещения плана." + help << "";
    QTest::newRow("unknown units") << QStringList{"--import-plan", "этаж-1.dxf", "--floor",   "1",
                                                  "--units",       "km",         "new.lsplan"}
                                   << 2 << "Неизвестные единицы «km»: укажите mm, cm или m." + help << "";
    QTest::newRow("height not a number")
        << QStringList{"--import-plan", "этаж-1.dxf", "--floor", "1", "--height", "-3", "new.lsplan"} << 2
        << "Высота «-3» не является положительным числом метров." + help << "";
    QTest::newRow("with --export") << QStringList{"--import-plan", "этаж-1.dxf", "--floor",   "1",
                                                  "--export",      "a.csv",      "new.lsplan"}
                                   << 2 << "Параметр --export не используется вместе с --import-plan." + help
                                   << "";
    QTest::newRow("layer without import") << QStringList{"--layer", "X", "school.lsplan"} << 2
                                          << "Параметр --layer относится к импорту плана: укажите и "
                                             "--import-plan PLAN.dxf."
            + help << "";
    QTest::newRow("missing plan") << QStringList{"--import-plan", "нет.dxf", "--floor", "1", "new.lsplan"}
                                  << 1 << "Файл «нет.dxf» не прочитан"
                                  << "";
    QTest::newRow("no such layer") << QStringList{"--import-plan", "этаж-1.dxf", "--floor",   "1",
                                                  "--layer",       "СТЕНЫ",      "new.lsplan"}
                                   << 1 << "В плане нет слоя «СТЕНЫ».\n"
                                   << "";
    QTest::newRow("layer without rooms")
        << QStringList{"--import-plan", "этаж-1.dxf", "--floor", "1", "--layer", "МЕБЕЛЬ", "new.lsplan"} << 1
        << "На слое «МЕБЕЛЬ» нет помещений."
        << "";
    QTest::newRow("project unreadable")
        << QStringList{"--import-plan", "этаж-1.dxf", "--floor", "1", "bad.lsplan"} << 1
        << "Файл «bad.lsplan» не открыт"
        << "";
}

void CommandLineTest::importPlan()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, err);
    QFETCH(QString, out);
    QFile::remove(dir.filePath("new.lsplan"));
    const QByteArray badBefore = bytesOf("bad.lsplan");
    const Run r = run(arguments);
    QVERIFY2(r.code == code, r.err.constData());
    if (err.isEmpty())
        QCOMPARE(QString::fromUtf8(r.err), QString());
    else
        QVERIFY2(QString::fromUtf8(r.err).startsWith(err), r.err.constData());
    QCOMPARE(QString::fromUtf8(r.out), out);
    QCOMPARE(bytesOf("bad.lsplan"), badBefore);
    QCOMPARE(QFile::exists(dir.filePath("new.lsplan")), code == 0);
    if (code != 0)
        return;
    const project::ReadResult read = project::readProjectFile(dir.filePath("new.lsplan"));
    QVERIFY2(read.project, qPrintable(read.reason));
    const project::Project &p = *read.project;
    QCOMPARE(p.name, QString("new"));
    QCOMPARE(p.rooms.size(), std::size_t(2));
    // In reading order; the gym takes its type from its name, the other its
    // number; both the start-up inputs with their outline's figures.
    QCOMPARE(p.rooms[0].name, QString("Спортзал 2"));
    QCOMPARE(p.rooms[0].inputs.roomType, QString("СПОРТЗАЛ"));
    QCOMPARE(p.rooms[0].inputs.noise, QString("75"));
    QCOMPARE(p.rooms[1].name, QString("Помещение 2"));
    QCOMPARE(p.rooms[1].inputs.roomType, QString("АВТОСТОЯНКА"));
    QCOMPARE(p.rooms[0].inputs.model, QString("GK-1"));
    QCOMPARE(p.rooms[0].inputs.length, QString("6"));
    QCOMPARE(p.rooms[0].inputs.area, QString("24"));
    // The file keeps a decimal comma as the point.
    QCOMPARE(p.rooms[0].inputs.height, arguments.contains("--height") ? QString("4.5") : QString("3"));
    QCOMPARE(p.rooms[0].inputs.outline.front(), QPointF(10, 0));
    QCOMPARE(p.rooms[0].floor, QString("1"));
    QCOMPARE(p.plans.size(), std::size_t(1));
    QCOMPARE(p.plans.front(), (project::FloorPlan{"1", "этаж-1.dxf", "mm", "А-ПОМЕЩЕНИЯ"}));
}

// The floor imported, then imported again unchanged (every room kept), and
// written for CAD: the loudspeakers' blocks in millimetres inside their
// rooms.
void CommandLineTest::importedFloorAsDxf()
{
    QFile::remove(dir.filePath("floor.lsplan"));
    const QStringList import{"--import-plan", "этаж-1.dxf", "--floor", "1", "floor.lsplan"};
    QCOMPARE(run(import).code, 0);
    const QByteArray once = bytesOf("floor.lsplan");
    const Run again = run(import);
    QCOMPARE(again.code, 0);
    QCOMPARE(bytesOf("floor.lsplan"), once);

    const Run written = run({"--export", "floor.dxf", "--floor", "1", "floor.lsplan"});
    QCOMPARE(written.code, 0);
    QCOMPARE(written.err, QByteArray());
    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytesOf("floor.dxf"));
    const std::vector<dxfdrawing::Record> inserts = drawing.on("ГРОМКОГОВОРИТЕЛИ", "INSERT");
    QVERIFY(!inserts.empty());
    const calc::Shape gym = calc::Shape::fromOutline({{10000, 0}, {16000, 0}, {16000, 4000}, {10000, 4000}});
    const calc::Shape other
        = calc::Shape::fromOutline({{16000, 0}, {19000, 0}, {19000, 4000}, {16000, 4000}});
    for (const dxfdrawing::Record &insert : inserts) {
        const QPointF at(insert.number(10), insert.number(20));
        QVERIFY2(gym.contains(at) || other.contains(at),
                 qPrintable(QString("%1 %2").arg(at.x()).arg(at.y())));
    }

    QCOMPARE(run({"--export", "floor.dxf", "--floor", "9", "floor.lsplan"}).code, 1);
    QCOMPARE(run({"--export", "floor.csv", "--floor", "1", "floor.lsplan"}).code, 2);
    QCOMPARE(run({"--export", "floor.dxf", "--floor", "1", "--room", "1", "floor.lsplan"}).code, 2);
}
