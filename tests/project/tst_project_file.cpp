// The project file: what the reader accepts, the exact reason of every
// refusal, and that writing, reading and writing again gives the same bytes.

#include "project/projectfile.h"
#include "project/projectmodel.h"
#include "project/roomresults.h"

#include <QFile>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <utility>

using project::Project;
using project::Room;

Q_DECLARE_METATYPE(std::vector<project::Line>)
Q_DECLARE_METATYPE(std::vector<QPointF>)

namespace {

// One room as the file's example has it, written compactly as other tools may.
QByteArray exampleRoom(const QByteArray &inputsExtra = {}, const QByteArray &roomExtra = {})
{
    return R"({"name": "Спортзал", "floor": "1", "line": "Л1",
      "inputs": {"model": "GK-1", "mounting": "wall", "tap": "1", "power": "6", "sensitivity": "88",
        "directivity": "90", "verticalDirectivity": "90", "tilt": "0", "margin": "10", "listeningHeight": "150",
        "roomType": "СПОРТЗАЛ", "noise": "75", "height": "3", "length": "6", "width": "6", "area": "36",
        "areaFromSides": true)"
        + inputsExtra + R"(},
      "layout": "на одной стене")"
        + roomExtra + R"(,
      "results": {"spl": "95", "range": "5", "area": "20", "count": "2", "power": "12", "covered": "69,5", "note": ""}})";
}

QByteArray file(const QByteArray &rooms, const QByteArray &head = R"("version": 1, "name": "Школа № 5")")
{
    return R"({"format": "loudspeaker-planner/object", )" + head + R"(, "rooms": [)" + rooms + "]}";
}

QByteArray fileV2(const QByteArray &rooms)
{
    return file(rooms, R"("version": 2, "name": "Школа № 5")");
}

// The example room with an outline, written as the text given.
QByteArray outlineRoom(const QByteArray &outline)
{
    return exampleRoom({}, R"(, "outline": )" + outline);
}

using Outline = std::vector<QPointF>;

// A calculation that notes the outline of every room it is given.
class OutlineRecorder : public project::RoomCalculator {
public:
    project::RoomResults evaluate(const project::RoomInputs &inputs, const QString &,
                                  const project::PlanChoice &) const override
    {
        const QMutexLocker lock(&m_mutex);
        m_seen.push_back(inputs.outline);
        project::RoomResults results;
        results.completed = true;
        return results;
    }
    project::RoomLevels evaluateLevels(const project::RoomInputs &, const QString &,
                                       const project::RoomSurfaces &, const std::atomic<bool> *,
                                       const project::PlanChoice &) const override
    {
        return {};
    }
    project::LineResults evaluateLine(const project::LineLoad &, QChar) const override { return {}; }
    QStringList layouts(calc::Mounting) const override { return {"рядами"}; }

    std::vector<Outline> seen() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_seen;
    }

private:
    mutable QMutex m_mutex;
    mutable std::vector<Outline> m_seen;
};

Room sampleRoom(int i)
{
    Room room;
    room.name = QStringLiteral("Кабинет %1").arg(i);
    room.floor = QString::number(i % 3);
    room.line = QStringLiteral("Л%1").arg(i % 2 + 1);
    room.inputs.model = i % 2 ? QStringLiteral("KE-1") : QStringLiteral("Свой \"рупор\"\\1");
    room.inputs.modelFromList = i % 4 != 1;
    room.inputs.mounting = calc::Mounting(i % 4);
    room.inputs.tap = i % 3 + 1;
    room.inputs.power = QStringLiteral("6");
    room.inputs.sensitivity = QStringLiteral("88");
    room.inputs.directivity = QStringLiteral("90,5");
    room.inputs.verticalDirectivity = QStringLiteral("60");
    room.inputs.tilt = QStringLiteral("0");
    room.inputs.margin = QStringLiteral("10");
    room.inputs.listeningHeight = QStringLiteral("150");
    room.inputs.roomType = QStringLiteral("ТЕАТР");
    room.inputs.noise = QStringLiteral("40");
    room.inputs.height = QStringLiteral("3.5");
    room.inputs.length = QString::number(5 + i);
    room.inputs.width = QStringLiteral("4");
    room.inputs.area = QString();
    room.inputs.areaFromSides = i % 2 == 0;
    room.layout = QStringLiteral("рядами");
    // Every form of the plan's count.
    const project::PlanCount counts[] = {{},
                                         {project::PlanCount::Kind::Level, 0},
                                         project::PlanCount::fixed(i + 1),
                                         project::PlanCount::fixed(project::MaxPlanCount)};
    room.count = counts[i % 4];
    return room;
}

} // namespace

class ProjectFileTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void readsTheExample();
    void readsLinesAndTheirAbsence_data();
    void readsLinesAndTheirAbsence();
    void ignoresUnknownKeysAndResults_data();
    void ignoresUnknownKeysAndResults();
    void readsWhetherTheModelWasChosen_data();
    void readsWhetherTheModelWasChosen();
    void readsADecimalCommaAsThePoint_data();
    void readsADecimalCommaAsThePoint();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void refusesAnotherEncoding();
    void takesLinesAtTheBounds();
    void refusesBeyondTheLimits();
    void refusesLayoutsOfAnotherMounting();
    void namesTheFileAndTheReason();
    void writesKeysInOrderWithTwoSpaces();
    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void readsAnOutline_data();
    void readsAnOutline();
    void refusesBadOutlines_data();
    void refusesBadOutlines();
    void ignoresAnOutlineInAVersion1File();
    void writesTheOutlineAfterTheLine();
    void outlineRoundTripIsByteIdentical();
    void anOutlineReadIsWrittenTheSameEveryTime_data();
    void anOutlineReadIsWrittenTheSameEveryTime();
    void readsAVersion1FileAsBefore();
    void replacingTheOutlineKeepsTheRoomOtherwise();
    void roomsOfAnotherOutlineAreComputedApart();
    void readsThePlanCount_data();
    void readsThePlanCount();
    void refusesBadPlanCounts_data();
    void refusesBadPlanCounts();
    void readsTheTargetShare_data();
    void readsTheTargetShare();
    void writesTheCountAfterTheLayoutAndTheShareAfterTheAllowance();
};

void ProjectFileTest::readsTheExample()
{
    const project::ReadResult read = project::parseProject(file(exampleRoom()));
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(read.project->name, QString("Школа № 5"));
    QCOMPARE(read.project->rooms.size(), std::size_t(1));
    const Room &room = read.project->rooms.front();
    QCOMPARE(room.name, QString("Спортзал"));
    QCOMPARE(room.floor, QString("1"));
    QCOMPARE(room.line, QString("Л1"));
    QCOMPARE(room.layout, QString("на одной стене"));
    QCOMPARE(room.inputs.model, QString("GK-1"));
    QVERIFY(room.inputs.modelFromList);
    QCOMPARE(room.inputs.mounting, calc::Mounting::Wall);
    QCOMPARE(room.inputs.tap, 1);
    QCOMPARE(room.inputs.listeningHeight, QString("150"));
    QCOMPARE(room.inputs.roomType, QString("СПОРТЗАЛ"));
    QCOMPARE(room.inputs.area, QString("36"));
    QVERIFY(room.inputs.areaFromSides);
}

void ProjectFileTest::readsLinesAndTheirAbsence_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("allowance");
    QTest::addColumn<double>("section");
    QTest::newRow("a file written before lines")
        << QByteArray(R"("version": 1, "name": "")") << 0 << 10.0 << 0.0;
    QTest::newRow("two lines") << QByteArray(
        R"("version": 1, "name": "", "lines": [)"
        R"({"name": "Л1", "voltage": 30, "firstLength": 0, "lastLength": 12.25, "section": 1.5,)"
        R"( "allowedLoss": 0.5, "headroom": 0},)"
        R"({"name": "Л2", "voltage": 70, "firstLength": 1, "lastLength": 2, "section": 2.5,)"
        R"( "allowedLoss": 3, "headroom": 50}], "cableAllowance": 7.5)")
                               << 2 << 7.5 << 1.5;
}

void ProjectFileTest::readsLinesAndTheirAbsence()
{
    QFETCH(QByteArray, head);
    QFETCH(int, lines);
    QFETCH(double, allowance);
    QFETCH(double, section);
    const project::ReadResult read = project::parseProject(file(exampleRoom(), head));
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(int(read.project->lines.size()), lines);
    QCOMPARE(read.project->cableAllowance, allowance);
    // The room keeps the line it names, whether or not the project has it.
    QCOMPARE(read.project->rooms.front().line, QString("Л1"));
    if (lines > 0) {
        const project::Line &first = read.project->lines.front();
        QCOMPARE(first.name, QString("Л1"));
        QCOMPARE(first.voltage, 30.0);
        QCOMPARE(first.lastLength, 12.25);
        QCOMPARE(first.section, section);
        QCOMPARE(first.allowedLoss, 0.5);
        QCOMPARE(first.headroom, 0.0);
    }
}

void ProjectFileTest::ignoresUnknownKeysAndResults_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("rooms");
    QTest::newRow("no rooms") << file("") << 0;
    QTest::newRow("unknown top-level key")
        << file(exampleRoom(), R"("version": 1, "name": "", "extra": [1, 2])") << 1;
    QTest::newRow("unknown room key") << file(exampleRoom({}, R"(, "colour": "red")")) << 1;
    QTest::newRow("unknown input key") << file(exampleRoom(R"(, "comment": {"a": null})")) << 1;
    QByteArray noResults = exampleRoom();
    noResults.truncate(noResults.indexOf(",\n      \"results\""));
    QTest::newRow("no results") << file(noResults + "}") << 1;
    QTest::newRow("three rooms") << file(exampleRoom() + "," + exampleRoom() + "," + exampleRoom()) << 3;
}

void ProjectFileTest::ignoresUnknownKeysAndResults()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, rooms);
    const project::ReadResult read = project::parseProject(bytes);
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(int(read.project->rooms.size()), rooms);
}

void ProjectFileTest::readsWhetherTheModelWasChosen_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("written before the key") << QByteArray() << true;
    QTest::newRow("chosen from the list") << QByteArray(R"(, "modelFromList": true)") << true;
    QTest::newRow("typed") << QByteArray(R"(, "modelFromList": false)") << false;
}

void ProjectFileTest::readsWhetherTheModelWasChosen()
{
    QFETCH(QByteArray, key);
    QFETCH(bool, chosen);
    const project::ReadResult read = project::parseProject(file(exampleRoom(key)));
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(read.project->rooms.front().inputs.modelFromList, chosen);
    // Written back, the key follows the model whichever way it was read.
    const QByteArray written = project::projectBytes(*read.project, {});
    QVERIFY(written.contains(QByteArray("\"model\": \"GK-1\",\n        \"modelFromList\": ")
                             + (chosen ? "true" : "false") + ",\n        \"mounting\""));
}

void ProjectFileTest::readsADecimalCommaAsThePoint_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QString>("read");
    for (const char *key : {"power", "sensitivity", "noise", "height", "length", "width", "area"})
        QTest::newRow(key) << QByteArray(key) << QByteArray("9,5") << QString("9.5");
    QTest::newRow("two commas") << QByteArray("length") << QByteArray("1,5,2") << QString("1.5.2");
    QTest::newRow("a point stays") << QByteArray("width") << QByteArray("4.25") << QString("4.25");
    // The settings are read with either separator by the calculation and
    // the texts are no numbers: they stay as they were typed.
    QTest::newRow("directivity") << QByteArray("directivity") << QByteArray("90,5") << QString("90,5");
    QTest::newRow("room type") << QByteArray("roomType") << QByteArray("Зал 1,2") << QString("Зал 1,2");
    QTest::newRow("model") << QByteArray("model") << QByteArray("GK-1,5") << QString("GK-1,5");
}

void ProjectFileTest::readsADecimalCommaAsThePoint()
{
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, typed);
    QFETCH(QString, read);
    QByteArray room = exampleRoom();
    const QByteArray pattern = "\"" + key + "\": \"";
    const qsizetype at = room.indexOf(pattern);
    QVERIFY(at >= 0);
    const qsizetype start = at + pattern.size();
    room.replace(start, room.indexOf('"', start) - start, typed);
    const project::ReadResult result = project::parseProject(file(room));
    QVERIFY2(result.project, qPrintable(result.reason));
    const project::RoomInputs &in = result.project->rooms.front().inputs;
    const QMap<QByteArray, QString> texts{{"model", in.model},
                                          {"power", in.power},
                                          {"sensitivity", in.sensitivity},
                                          {"directivity", in.directivity},
                                          {"roomType", in.roomType},
                                          {"noise", in.noise},
                                          {"height", in.height},
                                          {"length", in.length},
                                          {"width", in.width},
                                          {"area", in.area}};
    QCOMPARE(texts.value(key), read);
    // Written, it is the text that was read, and it reads back the same.
    const QByteArray written = project::projectBytes(*result.project, {});
    QVERIFY(written.contains(pattern + read.toUtf8() + "\""));
    QCOMPARE(project::parseProject(written).project->rooms, result.project->rooms);
}

void ProjectFileTest::refusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QString notOurs = "это не файл объекта программы";
    QTest::newRow("not JSON") << QByteArray("format: object") << "это не текст JSON (ошибка около байта 2)";
    QTest::newRow("cut short") << file(exampleRoom()).left(40) << "это не текст JSON (ошибка около байта 41)";
    QTest::newRow("empty") << QByteArray() << "это не текст JSON (ошибка около байта 1)";
    QTest::newRow("an array") << QByteArray("[]") << notOurs;
    QTest::newRow("no format") << QByteArray(R"({"version": 1, "name": "", "rooms": []})") << notOurs;
    QTest::newRow("another format") << QByteArray(R"({"format": "other", "version": 1})") << notOurs;
    QTest::newRow("newer version") << file("", R"("version": 3, "name": "")")
                                   << "файл записан более новой версией программы (версия формата 3)";
    QTest::newRow("version 1.5") << file("", R"("version": 1.5, "name": "")")
                                 << "неизвестная версия формата 1.5";
    QTest::newRow("version 0") << file("", R"("version": 0, "name": "")") << "неизвестная версия формата 0";
    QTest::newRow("version as text") << file("", R"("version": "1", "name": "")")
                                     << "поле «version» должно быть числом";
    QTest::newRow("no version") << file("", R"("name": "")") << "нет поля «version»";
    QTest::newRow("no name") << file("", R"("version": 1)") << "нет поля «name»";
    QTest::newRow("name a number") << file("", R"("version": 1, "name": 5)")
                                   << "поле «name» должно быть строкой";
    QTest::newRow("no rooms") << QByteArray(
        R"({"format": "loudspeaker-planner/object", "version": 1, "name": ""})")
                              << "нет поля «rooms»";
    QTest::newRow("rooms an object") << QByteArray(
        R"({"format": "loudspeaker-planner/object", "version": 1, "name": "", "rooms": {}})")
                                     << "поле «rooms» должно быть списком";
    QTest::newRow("room a text") << file(exampleRoom() + R"(, "Спортзал")")
                                 << "помещение № 2 должно быть объектом";
    QByteArray noNoise = exampleRoom();
    noNoise.replace(R"("noise": "75", )", "");
    QTest::newRow("room without noise")
        << file(exampleRoom() + "," + exampleRoom() + "," + noNoise) << "у помещения № 3 нет поля «noise»";
    QByteArray noInputs = exampleRoom();
    noInputs.replace(R"("inputs")", R"("entries")");
    QTest::newRow("room without inputs") << file(noInputs) << "у помещения № 1 нет поля «inputs»";
    QByteArray floorNumber = exampleRoom();
    floorNumber.replace(R"("floor": "1")", R"("floor": 1)");
    QTest::newRow("floor a number") << file(exampleRoom() + "," + floorNumber)
                                    << "у помещения № 2 поле «floor» должно быть строкой";
    QByteArray areaFlag = exampleRoom();
    areaFlag.replace(R"("areaFromSides": true)", R"("areaFromSides": "да")");
    QTest::newRow("flag a text") << file(areaFlag)
                                 << "у помещения № 1 поле «areaFromSides» должно быть true или false";
    QByteArray power = exampleRoom();
    power.replace(R"("power": "6")", R"("power": 6)");
    QTest::newRow("power a number") << file(power) << "у помещения № 1 поле «power» должно быть строкой";
    QByteArray mounting = exampleRoom();
    mounting.replace(R"("mounting": "wall")", R"("mounting": "floor")");
    QTest::newRow("unknown mounting")
        << file(mounting)
        << "у помещения № 1 поле «mounting» должно быть одним из: ceiling, wall, round, square";
    const QByteArray line = R"({"name": "Л1", "voltage": 100, "firstLength": 10, "lastLength": 50, )"
                            R"("section": 0.75, "allowedLoss": 1, "headroom": 25})";
    const auto withLines = [](const QByteArray &lines, const QByteArray &more = {}) {
        return file("", R"("version": 1, "name": "", "lines": [)" + lines + "]" + more);
    };
    QTest::newRow("lines an object") << file("", R"("version": 1, "name": "", "lines": {})")
                                     << "поле «lines» должно быть списком";
    QTest::newRow("line a text") << withLines(line + R"(, "Л2")") << "линия № 2 должна быть объектом";
    QByteArray noSection = line;
    noSection.replace(R"("section": 0.75, )", "");
    QTest::newRow("line without section")
        << withLines(line + "," + noSection) << "у линии № 2 нет поля «section»";
    QByteArray lengthText = line;
    lengthText.replace(R"("lastLength": 50)", R"("lastLength": "50")");
    QTest::newRow("length a text") << withLines(lengthText)
                                   << "у линии № 1 поле «lastLength» должно быть числом";
    QByteArray nameNumber = line;
    nameNumber.replace(R"("name": "Л1")", R"("name": 1)");
    QTest::newRow("line name a number")
        << withLines(nameNumber) << "у линии № 1 поле «name» должно быть строкой";
    QByteArray blank = line;
    blank.replace(R"("name": "Л1")", R"("name": " ")");
    QTest::newRow("blank line name") << withLines(blank) << "у линии № 1 поле «name» пустое";
    QByteArray volts = line;
    volts.replace(R"("voltage": 100)", R"("voltage": 50)");
    QTest::newRow("unknown voltage") << withLines(volts)
                                     << "у линии № 1 поле «voltage» должно быть одним из: 100, 70, 30";
    // Figures out of range, each named with its line's number.
    const struct {
        const char *row;
        QByteArray from, to;
        const char *reason;
    } outOfRange[] = {
        {"negative first length", R"("firstLength": 10)", R"("firstLength": -1)",
         "поле «firstLength» должно быть от 0 до 100 000"},
        {"first length too long", R"("firstLength": 10)", R"("firstLength": 100001)",
         "поле «firstLength» должно быть от 0 до 100 000"},
        {"no last length", R"("lastLength": 50)", R"("lastLength": 0)",
         "поле «lastLength» должно быть больше 0 и не больше 100 000"},
        {"a length of 10^300", R"("lastLength": 50)", R"("lastLength": 1e300)",
         "поле «lastLength» должно быть больше 0 и не больше 100 000"},
        {"first beyond the last", R"("firstLength": 10)", R"("firstLength": 50.5)",
         "поле «firstLength» должно быть не больше поля «lastLength»"},
        {"section of -1", R"("section": 0.75)", R"("section": -1)",
         "поле «section» должно быть больше 0 и не больше 1000"},
        {"section of 0", R"("section": 0.75)", R"("section": 0)",
         "поле «section» должно быть больше 0 и не больше 1000"},
        {"section too large", R"("section": 0.75)", R"("section": 1000.5)",
         "поле «section» должно быть больше 0 и не больше 1000"},
        {"loss of -3", R"("allowedLoss": 1)", R"("allowedLoss": -3)",
         "поле «allowedLoss» должно быть больше 0 и не больше 60"},
        {"loss too large", R"("allowedLoss": 1)", R"("allowedLoss": 61)",
         "поле «allowedLoss» должно быть больше 0 и не больше 60"},
        {"negative headroom", R"("headroom": 25)", R"("headroom": -0.5)",
         "поле «headroom» должно быть от 0 до 1000"},
        {"headroom too large", R"("headroom": 25)", R"("headroom": 1001)",
         "поле «headroom» должно быть от 0 до 1000"},
    };
    for (const auto &bad : outOfRange) {
        QByteArray changed = line;
        QVERIFY(changed.contains(bad.from));
        changed.replace(bad.from, bad.to);
        changed.replace(R"("Л1")", R"("Л2")");
        QTest::newRow(bad.row) << withLines(line + "," + changed)
                               << QString("у линии № 2 ") + QString::fromUtf8(bad.reason);
    }
    for (const auto &[row, name] :
         {std::pair{"empty room name", R"("")"}, {"blank room name", R"(" 	 ")"}}) {
        QByteArray unnamed = exampleRoom();
        unnamed.replace(R"("name": "Спортзал")", QByteArray(R"("name": )") + name);
        QTest::newRow(row) << file(exampleRoom() + "," + unnamed)
                           << "у помещения № 2 поле «name» не может быть пустым";
    }
    QByteArray chosenText = exampleRoom(R"(, "modelFromList": "да")");
    QTest::newRow("model choice a text")
        << file(chosenText) << "у помещения № 1 поле «modelFromList» должно быть true или false";
    QByteArray second = line;
    second.replace(R"("Л1")", R"("Л2")");
    QTest::newRow("one name twice") << withLines(line + "," + second + "," + line)
                                    << "у линий № 1 и № 3 одно имя «Л1»";
    QTest::newRow("allowance a text")
        << withLines(line, R"(, "cableAllowance": "10")") << "поле «cableAllowance» должно быть числом";
    QTest::newRow("negative allowance")
        << withLines(line, R"(, "cableAllowance": -5)") << "поле «cableAllowance» не может быть меньше 0";
    QByteArray tap = exampleRoom();
    tap.replace(R"("tap": "1")", R"("tap": "1/4")");
    QTest::newRow("unknown tap") << file(tap)
                                 << "у помещения № 1 поле «tap» должно быть одним из: 1, 1/2, 1/3";
}

void ProjectFileTest::refusesBadFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const project::ReadResult read = project::parseProject(bytes);
    QVERIFY(!read.project);
    QCOMPARE(read.reason, reason);
}

void ProjectFileTest::refusesAnotherEncoding()
{
    // A file saved in windows-1251 by another editor: its Russian letters
    // are single bytes that are no UTF-8.
    QByteArray legacy = file(exampleRoom());
    QVERIFY(legacy.contains("Спортзал"));
    legacy.replace("Спортзал", "\xd1\xef\xee\xf0\xf2\xe7\xe0\xeb");
    legacy.replace("Школа № 5", "\xd8\xea\xee\xeb\xe0 \xb9 5");
    QCOMPARE(project::parseProject(legacy).reason, QString("файл не в кодировке UTF-8"));
    QTemporaryDir dir;
    const QString path = dir.filePath("cp1251.lsplan");
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::WriteOnly));
    QVERIFY(saved.write(legacy) == legacy.size());
    saved.close();
    QCOMPARE(project::readProjectFile(path).reason, QString("файл не в кодировке UTF-8"));
    // A UTF-8 text that is no JSON is still refused as such.
    QVERIFY(project::parseProject(file(exampleRoom()).chopped(2)).reason.startsWith("это не текст JSON"));
}

void ProjectFileTest::takesLinesAtTheBounds()
{
    const QByteArray head = R"("version": 1, "name": "", "lines": [)"
                            R"({"name": "Л1", "voltage": 100, "firstLength": 100000, "lastLength": 100000,)"
                            R"( "section": 1000, "allowedLoss": 60, "headroom": 1000},)"
                            R"({"name": "Л2", "voltage": 70, "firstLength": 0, "lastLength": 1e-9,)"
                            R"( "section": 1e-9, "allowedLoss": 1e-9, "headroom": 0}])";
    const project::ReadResult read = project::parseProject(file(exampleRoom(), head));
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(read.project->lines,
             (std::vector<project::Line>{{"Л1", 100, 100000, 100000, 1000, 60, 1000},
                                         {"Л2", 70, 0, 1e-9, 1e-9, 1e-9, 0}}));
}

void ProjectFileTest::refusesBeyondTheLimits()
{
    // 100 000 rooms are read; one more is refused before any room is looked at.
    QByteArray rooms;
    for (int i = 0; i < project::MaxRooms; ++i)
        rooms += "{},";
    QCOMPARE(project::parseProject(file(rooms + "{}")).reason, QString("в нем больше 100 000 помещений"));
    rooms.chop(1);
    QCOMPARE(project::parseProject(file(rooms)).reason, QString("у помещения № 1 нет поля «name»"));

    QByteArray large = file(exampleRoom());
    large.append(project::MaxFileBytes - large.size() + 1, ' ');
    QCOMPARE(project::parseProject(large).reason, QString("файл больше 64 МБ"));

    // A file on disk larger than the limit is not even read.
    QTemporaryDir dir;
    const QString path = dir.filePath("large.lsplan");
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(project::MaxFileBytes + 1));
    big.close();
    QCOMPARE(project::readProjectFile(path).reason, QString("файл больше 64 МБ"));
    QCOMPARE(project::readProjectFile(dir.filePath("missing.lsplan")).reason, QString("файла нет"));
}

void ProjectFileTest::refusesLayoutsOfAnotherMounting()
{
    const auto wallOnly = [](calc::Mounting mounting, const QString &layout) {
        return mounting == calc::Mounting::Wall && layout == u"на одной стене";
    };
    QVERIFY(project::parseProject(file(exampleRoom()), wallOnly).project);
    QByteArray rows = exampleRoom();
    rows.replace(R"("layout": "на одной стене")", R"("layout": "рядами")");
    QCOMPARE(project::parseProject(file(exampleRoom() + "," + rows), wallOnly).reason,
             QString("у помещения № 2 расстановка «рядами» не подходит к установке «wall»"));
    // Of many wrong rooms, the first in the file is the one named.
    QByteArrayList many(900, exampleRoom());
    many[800] = many[377] = many[611] = rows;
    QCOMPARE(project::parseProject(file(many.join(',')), wallOnly).reason,
             QString("у помещения № 378 расстановка «рядами» не подходит к установке «wall»"));
    many[377] = exampleRoom();
    QCOMPARE(project::parseProject(file(many.join(',')), wallOnly).reason,
             QString("у помещения № 612 расстановка «рядами» не подходит к установке «wall»"));
}

void ProjectFileTest::namesTheFileAndTheReason()
{
    QCOMPARE(project::notOpenedMessage("/tmp/Школа.lsplan", "файла нет"),
             QString("Файл «/tmp/Школа.lsplan» не открыт: файла нет"));
}

void ProjectFileTest::writesKeysInOrderWithTwoSpaces()
{
    Project p;
    p.name = "Склад";
    Room room = sampleRoom(1);
    room.inputs.model = "GK-1";
    room.inputs.modelFromList = false;
    room.inputs.mounting = calc::Mounting::Wall;
    room.count = {};
    p.rooms.push_back(room);
    p.lines.push_back({"Л2", 70, 12.5, 80, 0.75, 1, 25});
    p.cableAllowance = 15;
    const QByteArray expected = R"({
  "format": "loudspeaker-planner/object",
  "version": 2,
  "name": "Склад",
  "lines": [
    {
      "name": "Л2",
      "voltage": 70,
      "firstLength": 12.5,
      "lastLength": 80,
      "section": 0.75,
      "allowedLoss": 1,
      "headroom": 25
    }
  ],
  "cableAllowance": 15,
  "targetShare": 95,
  "rooms": [
    {
      "name": "Кабинет 1",
      "floor": "1",
      "line": "Л2",
      "inputs": {
        "model": "GK-1",
        "modelFromList": false,
        "mounting": "wall",
        "tap": "1/2",
        "power": "6",
        "sensitivity": "88",
        "directivity": "90,5",
        "verticalDirectivity": "60",
        "tilt": "0",
        "margin": "10",
        "listeningHeight": "150",
        "roomType": "ТЕАТР",
        "noise": "40",
        "height": "3.5",
        "length": "6",
        "width": "4",
        "area": "",
        "areaFromSides": false
      },
      "layout": "рядами",
      "count": "calculated",
      "results": {
        "spl": "95",
        "range": "3",
        "area": "8",
        "count": "5",
        "power": "30",
        "covered": "44,6",
        "note": ""
      }
    }
  ]
}
)";
    QCOMPARE(project::projectBytes(p, {{"95", "3", "8", "5", "30", "44,6", ""}}), expected);
    QCOMPARE(
        project::projectBytes(Project{}, {}),
        QByteArray("{\n  \"format\": \"loudspeaker-planner/object\",\n  \"version\": 2,\n"
                   "  \"name\": \"\",\n  \"lines\": [],\n  \"cableAllowance\": 10,\n  \"targetShare\": 95,\n"
                   "  \"rooms\": []\n}\n"));
}

void ProjectFileTest::roundTripIsByteIdentical_data()
{
    QTest::addColumn<int>("rooms");
    QTest::addColumn<QString>("name");
    QTest::addColumn<std::vector<project::Line>>("lines");
    QTest::addColumn<double>("allowance");
    QTest::addColumn<double>("share");
    const std::vector<project::Line> none;
    QTest::newRow("empty") << 0 << QString() << none << 10.0 << 95.0;
    QTest::newRow("one") << 1 << QString("Школа № 5") << std::vector<project::Line>{{"Л1"}} << 10.0 << 50.0;
    QTest::newRow("every mounting, tap and count")
        << 12 << QString("Объект \"А\"\tкорпус\n2")
        << std::vector<project::Line>{{"Л1", 100, 10, 50, 0.75, 1, 25},
                                      {"Л2", 70, 0.1, 0.30000000000000004, 1e-7, 0.2, 12.5}}
        << 12.345 << 97.25;
    QTest::newRow("control characters")
        << 2 << QString::fromUtf16(u"\u0001\u001f\u007f\u2028 / \\")
        << std::vector<project::Line>{{"\"Л\"\n1", 30, 1e-300, 99999.99999999999, 1000, 60, 1e-300}} << 0.0
        << 100.0;
}

void ProjectFileTest::roundTripIsByteIdentical()
{
    QFETCH(int, rooms);
    QFETCH(QString, name);
    QFETCH(std::vector<project::Line>, lines);
    QFETCH(double, allowance);
    QFETCH(double, share);
    Project p;
    p.name = name;
    p.lines = lines;
    p.cableAllowance = allowance;
    p.targetShare = share;
    std::vector<project::ResultTexts> results;
    for (int i = 0; i < rooms; ++i) {
        p.rooms.push_back(sampleRoom(i));
        results.push_back({"1", "2", "3", "4", "5", "6,7", i % 2 ? "Введите длину помещения" : ""});
    }
    const QByteArray bytes = project::projectBytes(p, results);
    const project::ReadResult read = project::parseProject(bytes);
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(*read.project, p);
    QCOMPARE(project::projectBytes(*read.project, results), bytes);
}

void ProjectFileTest::readsAnOutline_data()
{
    QTest::addColumn<QByteArray>("outline");
    QTest::addColumn<Outline>("kept");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("area");
    QTest::newRow("rectangle") << QByteArray("[[0, 0], [12, 0], [12, 5], [0, 5]]")
                               << Outline{{0, 0}, {12, 0}, {12, 5}, {0, 5}} << "12"
                               << "5"
                               << "60";
    // Clockwise on the floor: kept reversed.
    QTest::newRow("clockwise rectangle") << QByteArray("[[0, 0], [0, 5], [12, 5], [12, 0]]")
                                         << Outline{{12, 0}, {12, 5}, {0, 5}, {0, 0}} << "12"
                                         << "5"
                                         << "60";
    // The first corner repeated at the end is one corner.
    QTest::newRow("closed") << QByteArray("[[0, 0], [4, 0], [4, 3], [0, 3], [0, 0]]")
                            << Outline{{0, 0}, {4, 0}, {4, 3}, {0, 3}} << "4"
                            << "3"
                            << "12";
    // An L: 12.25 x 3 and 4 x 3.5; its smallest rectangle is its bounds.
    QTest::newRow("L-shaped") << QByteArray("[[0, 0], [12.25, 0], [12.25, 3], [4, 3], [4, 6.5], [0, 6.5]]")
                              << Outline{{0, 0}, {12.25, 0}, {12.25, 3}, {4, 3}, {4, 6.5}, {0, 6.5}}
                              << "12.25"
                              << "6.5"
                              << "50.75";
    // Turned by 45 degrees: sides of 3 sqrt 2 = 4.2426 and 2 sqrt 2 = 2.8284.
    QTest::newRow("turned") << QByteArray("[[0, 0], [3, 3], [1, 5], [-2, 2]]")
                            << Outline{{0, 0}, {3, 3}, {1, 5}, {-2, 2}} << "4.24"
                            << "2.83"
                            << "12";
    // 10/3 x 1.5: rounded to hundredths, trailing zeros dropped.
    QTest::newRow("rounded") << QByteArray(
        "[[0, 0], [3.3333333333333335, 0], [3.3333333333333335, 1.5], [0, 1.5]]")
                             << Outline{{0, 0}, {10.0 / 3, 0}, {10.0 / 3, 1.5}, {0, 1.5}} << "3.33"
                             << "1.5"
                             << "5";
    QTest::newRow("at the coordinate limit")
        << QByteArray("[[-1e7, -1e7], [1e7, -1e7], [1e7, 1e7], [-1e7, 1e7]]")
        << Outline{{-1e7, -1e7}, {1e7, -1e7}, {1e7, 1e7}, {-1e7, 1e7}} << "20000000"
        << "20000000"
        << "400000000000000";
}

void ProjectFileTest::readsAnOutline()
{
    QFETCH(QByteArray, outline);
    QFETCH(Outline, kept);
    QFETCH(QString, length);
    QFETCH(QString, width);
    QFETCH(QString, area);
    const project::ReadResult read = project::parseProject(fileV2(outlineRoom(outline)));
    QVERIFY2(read.project, qPrintable(read.reason));
    const project::RoomInputs &in = read.project->rooms.front().inputs;
    // Exactly the corners of the file, not merely close to them.
    QCOMPARE(in.outline.size(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        QCOMPARE(in.outline[i].x(), kept[i].x());
        QCOMPARE(in.outline[i].y(), kept[i].y());
    }
    // The texts of the file's length, width and area (6, 6, 36 from the
    // sides) give way to the shape's.
    QCOMPARE(in.length, length);
    QCOMPARE(in.width, width);
    QCOMPARE(in.area, area);
    QVERIFY(!in.areaFromSides);
}

void ProjectFileTest::refusesBadOutlines_data()
{
    QTest::addColumn<QByteArray>("outline");
    QTest::addColumn<QString>("reason");
    const QString malformed = "Помещение 2: поле «outline» должно быть списком пар чисел [x, y]";
    QTest::newRow("crosses itself") << QByteArray("[[0, 0], [4, 4], [4, 0], [0, 4]]")
                                    << "Помещение 2: контур пересекает сам себя";
    QTest::newRow("touches itself at a corner")
        << QByteArray("[[0, 0], [4, 0], [2, 2], [4, 4], [0, 4], [2, 2]]")
        << "Помещение 2: контур пересекает сам себя";
    QTest::newRow("two points") << QByteArray("[[0, 0], [4, 0]]")
                                << "Помещение 2: в контуре меньше трех различных точек";
    QTest::newRow("a point thrice") << QByteArray("[[1, 1], [1, 1], [1, 1]]")
                                    << "Помещение 2: в контуре меньше трех различных точек";
    QTest::newRow("no corners") << QByteArray("[]") << "Помещение 2: в контуре меньше трех различных точек";
    QTest::newRow("0.005 m2") << QByteArray("[[0, 0], [0.1, 0], [0, 0.1]]")
                              << "Помещение 2: площадь контура меньше 0,01 м2";
    const QString notFinite
        = "Помещение 2: координата контура не является конечным числом не больше 10000000 м по модулю";
    QTest::newRow("beyond 10^7") << QByteArray("[[0, 0], [10000000.000000002, 0], [0, 3]]") << notFinite;
    QTest::newRow("below -10^7") << QByteArray("[[0, 0], [4, 0], [0, -2e7]]") << notFinite;
    QTest::newRow("10^300") << QByteArray("[[0, 0], [4, 0], [0, 1e300]]") << notFinite;
    QTest::newRow("an object") << QByteArray(R"({"x": [0, 4, 4], "y": [0, 0, 3]})") << malformed;
    QTest::newRow("a text") << QByteArray(R"("0 0, 4 0, 4 3")") << malformed;
    QTest::newRow("flat numbers") << QByteArray("[0, 0, 4, 0, 4, 3]") << malformed;
    QTest::newRow("three numbers") << QByteArray("[[0, 0, 0], [4, 0, 0], [4, 3, 0]]") << malformed;
    QTest::newRow("one number") << QByteArray("[[0, 0], [4], [4, 3]]") << malformed;
    QTest::newRow("a text number") << QByteArray(R"([[0, 0], [4, "0"], [4, 3]])") << malformed;
    QTest::newRow("null") << QByteArray("[[0, 0], [4, null], [4, 3]]") << malformed;
    QTest::newRow("a point object") << QByteArray(R"([[0, 0], {"x": 4, "y": 0}, [4, 3]])") << malformed;
    QByteArray many = "[";
    for (int i = 0; i <= project::MaxOutlinePoints; ++i)
        many += QByteArray::number(i) + ", 0], [";
    many.chop(3);
    many += "]";
    QTest::newRow("1001 corners") << ("[" + many) << "Помещение 2: в контуре больше 1000 точек";
}

void ProjectFileTest::refusesBadOutlines()
{
    QFETCH(QByteArray, outline);
    QFETCH(QString, reason);
    // The first room is fine: the fault names the second.
    const project::ReadResult read
        = project::parseProject(fileV2(exampleRoom() + "," + outlineRoom(outline)));
    QVERIFY(!read.project);
    QCOMPARE(read.reason, reason);
}

void ProjectFileTest::ignoresAnOutlineInAVersion1File()
{
    // Version 1 had no outlines: such a key is another tool's, and ignored
    // whatever it holds.
    const project::ReadResult read
        = project::parseProject(file(outlineRoom("[[0, 0], [4, 4], [4, 0], [0, 4]]")));
    QVERIFY2(read.project, qPrintable(read.reason));
    const project::RoomInputs &in = read.project->rooms.front().inputs;
    QVERIFY(in.outline.empty());
    QCOMPARE(in.length, QString("6"));
    QCOMPARE(in.area, QString("36"));
    QVERIFY(in.areaFromSides);
}

void ProjectFileTest::writesTheOutlineAfterTheLine()
{
    Project p;
    Room room = sampleRoom(1);
    QCOMPARE(project::setOutline(room.inputs, {{0, 0}, {0, 2.5}, {10, 2.5}, {10, 0}}),
             calc::OutlineFault::None);
    p.rooms.push_back(room);
    const QByteArray bytes = project::projectBytes(p, {});
    const QByteArray expected = R"(
      "line": "Л2",
      "outline": [
        [10, 0],
        [10, 2.5],
        [0, 2.5],
        [0, 0]
      ],
      "inputs": {)";
    QVERIFY2(bytes.contains(expected), bytes.constData());
    QVERIFY(bytes.contains(R"(
        "length": "10",
        "width": "2.5",
        "area": "25",
        "areaFromSides": false
      },)"));
    // A room without one has no such key.
    p.rooms.front().inputs.outline.clear();
    QVERIFY(!project::projectBytes(p, {}).contains("outline"));
}

void ProjectFileTest::outlineRoundTripIsByteIdentical()
{
    // A room with an outline given clockwise, and a plain room.
    Project p;
    p.name = "Корпус Б";
    p.lines.push_back({"Л1"});
    Room shaped = sampleRoom(2);
    shaped.line = "Л1";
    const Outline clockwise{{0, 0}, {0, 6.5}, {4, 6.5}, {4, 3}, {12.25, 3}, {12.25, 0.4}};
    QCOMPARE(project::setOutline(shaped.inputs, clockwise), calc::OutlineFault::None);
    p.rooms.push_back(shaped);
    p.rooms.push_back(sampleRoom(3));
    const std::vector<project::ResultTexts> results{{"1", "2", "3", "4", "5", "6,7", ""}, {}};

    const QByteArray bytes = project::projectBytes(p, results);
    const project::ReadResult read = project::parseProject(bytes);
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(*read.project, p);
    QCOMPARE(project::projectBytes(*read.project, results), bytes);

    const project::RoomInputs &in = read.project->rooms.front().inputs;
    QCOMPARE(in.outline.front(), QPointF(12.25, 0.4));
    QCOMPARE(in.outline.back(), QPointF(0, 0));
    // 12.25 x 6.5 less the cut 8.25 x 3.5 and the sliver 12.25 x 0.4 / 2.
    QCOMPARE(in.length, QString("12.25"));
    QCOMPARE(in.width, QString("6.5"));
    QCOMPARE(in.area, QString("48.3"));
    QVERIFY(read.project->rooms.back().inputs.outline.empty());
    QVERIFY(bytes.contains("\"version\": 2,"));
}

void ProjectFileTest::anOutlineReadIsWrittenTheSameEveryTime_data()
{
    QTest::addColumn<QByteArray>("outline");
    // Its area is 1391.425 m2: summed clockwise and counter-clockwise it
    // differs in the last bit, on either side of the half hundredth.
    QTest::newRow("clockwise at a half hundredth")
        << QByteArray("[[5, 0], [0, 6.5], [4, 685], [4, 3], [12.2, 3], [12.25, 0]]");
    QTest::newRow("counter-clockwise at a half hundredth")
        << QByteArray("[[12.25, 0], [12.2, 3], [4, 3], [4, 685], [0, 6.5], [5, 0]]");
    QTest::newRow("clockwise L") << QByteArray(
        "[[0, 0], [0, 6.5], [4, 6.5], [4, 3], [12.25, 3], [12.25, 0]]");
}

void ProjectFileTest::anOutlineReadIsWrittenTheSameEveryTime()
{
    QFETCH(QByteArray, outline);
    const project::ReadResult read = project::parseProject(fileV2(outlineRoom(outline)));
    QVERIFY2(read.project, qPrintable(read.reason));
    const QByteArray written = project::projectBytes(*read.project, {});
    const project::ReadResult again = project::parseProject(written);
    QVERIFY2(again.project, qPrintable(again.reason));
    QCOMPARE(again.project->rooms, read.project->rooms);
    QCOMPARE(project::projectBytes(*again.project, {}), written);
}

void ProjectFileTest::readsAVersion1FileAsBefore()
{
    // A file as the program wrote it before outlines: read, it is written
    // again the same but for the version.
    Project p;
    p.name = "Склад";
    p.lines.push_back({"Л2", 70, 12.5, 80, 0.75, 1, 25});
    for (int i = 0; i < 4; ++i)
        p.rooms.push_back(sampleRoom(i));
    const std::vector<project::ResultTexts> results{{"95", "3", "8", "5", "30", "44,6", ""}};
    const QByteArray now = project::projectBytes(p, results);
    QVERIFY(now.contains("\n  \"version\": 2,\n"));
    QByteArray before = now;
    before.replace("\n  \"version\": 2,\n", "\n  \"version\": 1,\n");
    const project::ReadResult read = project::parseProject(before);
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(*read.project, p);
    QCOMPARE(project::projectBytes(*read.project, results), now);
}

void ProjectFileTest::replacingTheOutlineKeepsTheRoomOtherwise()
{
    project::RoomInputs in = sampleRoom(0).inputs;
    const project::RoomInputs before = in;
    // A fault leaves the room as it was.
    QCOMPARE(project::setOutline(in, {{0, 0}, {4, 4}, {4, 0}, {0, 4}}), calc::OutlineFault::SelfCrossing);
    QCOMPARE(in, before);
    QCOMPARE(project::setOutline(in, {{0, 0}, {8, 0}, {8, 2}, {0, 2}}), calc::OutlineFault::None);
    QCOMPARE(in.length, QString("8"));
    QCOMPARE(in.width, QString("2"));
    QCOMPARE(in.area, QString("16"));
    QVERIFY(!in.areaFromSides);
    QCOMPARE(in.model, before.model);
    QCOMPARE(in.height, before.height);
    // No outline: the rectangle of the texts the room has.
    QCOMPARE(project::setOutline(in, {}), calc::OutlineFault::None);
    QVERIFY(in.outline.empty());
    QCOMPARE(in.length, QString("8"));
    QCOMPARE(in.area, QString("16"));
}

void ProjectFileTest::roomsOfAnotherOutlineAreComputedApart()
{
    // Two rooms of the same size and texts, one moved by a metre, and a
    // copy of the first: the results are computed for the first two, not the third.
    Project p;
    Room here = sampleRoom(0);
    const Outline first{{0, 0}, {8, 0}, {8, 4}, {0, 4}};
    const Outline moved{{1, 0}, {9, 0}, {9, 4}, {1, 4}};
    QCOMPARE(project::setOutline(here.inputs, first), calc::OutlineFault::None);
    Room there = here;
    QCOMPARE(project::setOutline(there.inputs, moved), calc::OutlineFault::None);
    QCOMPARE(there.inputs.length, here.inputs.length);
    QCOMPARE(there.inputs.area, here.inputs.area);
    p.rooms = {here, there, here};
    const OutlineRecorder recorder;
    project::ProjectModel model;
    const project::RoomResultsService results(model, recorder, u'.');
    model.setProject(p);
    std::vector<Outline> seen = recorder.seen();
    QCOMPARE(seen.size(), std::size_t(2));
    std::sort(seen.begin(), seen.end(),
              [](const Outline &a, const Outline &b) { return a[0].x() < b[0].x(); });
    QCOMPARE(seen[0], first);
    QCOMPARE(seen[1], moved);
}

void ProjectFileTest::readsThePlanCount_data()
{
    using Kind = project::PlanCount::Kind;
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("number");
    QTest::newRow("no key: the calculation's") << QByteArray() << int(Kind::Calculated) << 0;
    QTest::newRow("calculated") << QByteArray(R"(, "count": "calculated")") << int(Kind::Calculated) << 0;
    QTest::newRow("level") << QByteArray(R"(, "count": "level")") << int(Kind::Level) << 0;
    QTest::newRow("12") << QByteArray(R"(, "count": 12)") << int(Kind::Fixed) << 12;
    QTest::newRow("1") << QByteArray(R"(, "count": 1)") << int(Kind::Fixed) << 1;
    QTest::newRow("12.0") << QByteArray(R"(, "count": 12.0)") << int(Kind::Fixed) << 12;
    QTest::newRow("100000") << QByteArray(R"(, "count": 100000)") << int(Kind::Fixed) << 100000;
}

void ProjectFileTest::readsThePlanCount()
{
    QFETCH(QByteArray, key);
    QFETCH(int, kind);
    QFETCH(int, number);
    const project::ReadResult read = project::parseProject(fileV2(exampleRoom({}, key)));
    QVERIFY2(read.project, qPrintable(read.reason));
    const project::PlanCount count = read.project->rooms.front().count;
    QCOMPARE(int(count.kind), kind);
    QCOMPARE(count.number, number);
}

void ProjectFileTest::refusesBadPlanCounts_data()
{
    QTest::addColumn<QByteArray>("count");
    for (const char *count :
         {"0", "-3", "100001", "2.5", "1e300", "\"12\"", "\"уровень\"", "\"Level\"", "true", "null", "[12]"})
        QTest::newRow(count) << QByteArray(count);
}

void ProjectFileTest::refusesBadPlanCounts()
{
    QFETCH(QByteArray, count);
    // The first room is fine: the fault names the second.
    const project::ReadResult read
        = project::parseProject(fileV2(exampleRoom() + "," + exampleRoom({}, R"(, "count": )" + count)));
    QVERIFY(!read.project);
    QCOMPARE(read.reason,
             QString("Помещение 2: поле «count» должно быть «calculated», «level» или целым числом "
                     "от 1 до 100000"));
}

void ProjectFileTest::readsTheTargetShare_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<double>("share"); // negative: refused
    QTest::addColumn<QString>("reason");
    QTest::newRow("no key: 95") << QByteArray() << 95.0 << QString();
    QTest::newRow("50") << QByteArray(R"(, "targetShare": 50)") << 50.0 << QString();
    QTest::newRow("100") << QByteArray(R"(, "targetShare": 100)") << 100.0 << QString();
    QTest::newRow("97.5") << QByteArray(R"(, "targetShare": 97.5)") << 97.5 << QString();
    const QString range = "поле «targetShare» должно быть от 50 до 100";
    QTest::newRow("49.99") << QByteArray(R"(, "targetShare": 49.99)") << -1.0 << range;
    QTest::newRow("100.01") << QByteArray(R"(, "targetShare": 100.01)") << -1.0 << range;
    QTest::newRow("0") << QByteArray(R"(, "targetShare": 0)") << -1.0 << range;
    QTest::newRow("a text") << QByteArray(R"(, "targetShare": "95")") << -1.0
                            << QString("поле «targetShare» должно быть числом");
}

void ProjectFileTest::readsTheTargetShare()
{
    QFETCH(QByteArray, key);
    QFETCH(double, share);
    QFETCH(QString, reason);
    const project::ReadResult read = project::parseProject(
        file(exampleRoom(), R"("version": 2, "name": "", "cableAllowance": 10)" + key));
    if (share < 0) {
        QVERIFY(!read.project);
        QCOMPARE(read.reason, reason);
        return;
    }
    QVERIFY2(read.project, qPrintable(read.reason));
    QCOMPARE(read.project->targetShare, share);
}

void ProjectFileTest::writesTheCountAfterTheLayoutAndTheShareAfterTheAllowance()
{
    Project p;
    p.targetShare = 97.5;
    for (int i = 0; i < 3; ++i)
        p.rooms.push_back(sampleRoom(i));
    const QByteArray bytes = project::projectBytes(p, {});
    QVERIFY(bytes.contains("\"cableAllowance\": 10,\n  \"targetShare\": 97.5,\n  \"rooms\""));
    QVERIFY(bytes.contains("\"layout\": \"рядами\",\n      \"count\": \"calculated\",\n      \"results\""));
    QVERIFY(bytes.contains("\"layout\": \"рядами\",\n      \"count\": \"level\",\n      \"results\""));
    QVERIFY(bytes.contains("\"layout\": \"рядами\",\n      \"count\": 3,\n      \"results\""));
}

QTEST_GUILESS_MAIN(ProjectFileTest)
#include "tst_project_file.moc"
