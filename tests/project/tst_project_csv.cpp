// The rooms table's CSV as a spreadsheet opens it: a text that starts like a
// formula is guarded by an apostrophe, a number in a column of figures stays
// a number, and the tap is written so that no spreadsheet takes it for a
// date. Checked by the bytes and, where LibreOffice is installed, by the
// cells LibreOffice Calc makes of the file under a Russian locale.
#include "app/roomevaluation.h"
#include "project/roomexport.h"
#include "project/roomtable.h"
#include "roomtesthelpers.h"
#include "toolrun.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace project;

namespace {

RoomInputs ceilingRoom(int tap, const QString &length, const QString &width)
{
    return theatreCeilingRoom("KE-1", tap, length, width);
}

// The fields of a CSV line, the quotes of a quoted field taken off.
QStringList fields(const QString &line)
{
    QStringList out;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
            field += u'"';
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (c == u';' && !quoted) {
            out << field;
            field.clear();
        } else {
            field += c;
        }
    }
    out << field;
    return out;
}

// A cell of a sheet LibreOffice wrote: its type ("s" a shared text, "n" or
// nothing a number, "str" a formula's text), its value and whether it holds
// a formula.
struct SheetCell {
    QString type;
    QString value;
    bool formula = false;
};

QMap<QString, SheetCell> sheetCells(const QByteArray &xml)
{
    QMap<QString, SheetCell> cells;
    QXmlStreamReader reader(xml);
    QString reference;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("c")) {
            reference = reader.attributes().value(QLatin1String("r")).toString();
            cells[reference].type = reader.attributes().value(QLatin1String("t")).toString();
        } else if (reader.name() == QLatin1String("f")) {
            cells[reference].formula = true;
        } else if (reader.name() == QLatin1String("v")) {
            cells[reference].value = reader.readElementText();
        }
    }
    return cells;
}

// The shared texts, each the concatenation of its runs.
QStringList sharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings << QString();
        else if (reader.isStartElement() && reader.name() == QLatin1String("t") && !strings.isEmpty())
            strings.last() += reader.readElementText();
    }
    return strings;
}

bool hasRussianLocale()
{
    const QString locales = QString::fromLatin1(run("locale", {"-a"})).toLower();
    return locales.contains("ru_ru.utf8") || locales.contains("ru_ru.utf-8");
}

QString columnLetter(const QString &caption)
{
    return QString(QChar(u'A' + column(caption)));
}

} // namespace

Q_DECLARE_METATYPE(project::Room)

class ProjectCsvTest : public QObject {
    Q_OBJECT
private slots:
    void fieldsAsWritten_data();
    void fieldsAsWritten();
    void manyRoomsInOrder();
    void openedInLibreOffice();

private:
    RoomEvaluation m_calculator;
};

void ProjectCsvTest::fieldsAsWritten_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Room>("room");
    QTest::addColumn<QString>("field");
    const auto room = [](const QString &name, const QString &floor, const QString &line, int tap,
                         const QString &length, const QString &width) {
        return Room{name, floor, line, ceilingRoom(tap, length, width), "рядами", {}};
    };
    const Room plain = room("Зал", "1", "Л1", 1, "12", "8");
    const auto named = [&](const QString &name) { return room(name, "1", "Л1", 1, "12", "8"); };
    QTest::newRow("name =") << "Помещение" << named("=1+2") << "'=1+2";
    QTest::newRow("name +") << "Помещение" << named("+7") << "'+7";
    QTest::newRow("name -, a text though it reads as a number") << "Помещение" << named("-5") << "'-5";
    QTest::newRow("name @") << "Помещение" << named("@SUM(A1)") << "'@SUM(A1)";
    QTest::newRow("name tab") << "Помещение" << named("\t=1+2") << "'\t=1+2";
    QTest::newRow("name carriage return") << "Помещение" << named("\r=1+2") << "'\r=1+2";
    QTest::newRow("name with = inside") << "Помещение" << named("Зал =1") << "Зал =1";
    QTest::newRow("name plain") << "Помещение" << plain << "Зал";
    QTest::newRow("line =") << "Линия" << room("Зал", "1", "=Л1", 1, "12", "8") << "'=Л1";
    QTest::newRow("floor a negative number") << "Этаж" << room("Зал", "-1", "Л1", 1, "12", "8") << "-1";
    QTest::newRow("floor a formula") << "Этаж" << room("Зал", "=2", "Л1", 1, "12", "8") << "'=2";
    // A room that stops shows its inputs as typed.
    QTest::newRow("length a negative figure")
        << "Длина, м" << room("Зал", "1", "Л1", 1, "-3,5", "8") << "-3,5";
    QTest::newRow("length in the other notation")
        << "Длина, м" << room("Зал", "1", "Л1", 1, "-3.5", "8") << "-3.5";
    QTest::newRow("length a formula") << "Длина, м" << room("Зал", "1", "Л1", 1, "-1+2", "8") << "'-1+2";
    QTest::newRow("width a formula") << "Ширина, м" << room("Зал", "1", "Л1", 1, "", "=1+2") << "'=1+2";
    QTest::newRow("tap 1") << "Отвод" << plain << "1";
    QTest::newRow("tap 1/2") << "Отвод" << room("Зал", "1", "Л1", 2, "12", "8") << "1\u20442";
    QTest::newRow("tap 1/3") << "Отвод" << room("Зал", "1", "Л1", 3, "12", "8") << "1\u20443";
}

void ProjectCsvTest::fieldsAsWritten()
{
    QFETCH(QString, caption);
    QFETCH(Room, room);
    QFETCH(QString, field);
    ProjectRooms table(m_calculator, u',');
    Project p;
    p.lines = {Line{"Л1"}};
    p.rooms = {room};
    table.model.setProject(p);
    const QByteArray bytes = csvBytes(table.results);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    QCOMPARE(lines.size(), 3); // the captions, the room, and nothing after the last CR LF
    QCOMPARE(fields(lines[1]).size(), qsizetype(roomColumns().size()));
    QCOMPARE(fields(lines[1]).value(column(caption)), field);
    // The table itself shows the text as it is.
    if (caption != "Отвод")
        QVERIFY(!table.table.cellText(0, column(caption)).startsWith(u'\''));
}

// The rows of a building of hundreds of rooms, each once, in the table's
// order, one byte order mark at the file's start and none after it.
void ProjectCsvTest::manyRoomsInOrder()
{
    Project p;
    p.lines = {Line{"Л1"}};
    for (int i = 0; i < 700; ++i)
        p.rooms.push_back({QString("Комната %1").arg(i), "1", "Л1", ceilingRoom(1, "12", "8"), "рядами", {}});
    ProjectRooms table(m_calculator, u',');
    table.model.setProject(p);
    const QByteArray bytes = csvBytes(table.results);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(bytes.count("\xEF\xBB\xBF"), qsizetype(1));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    QCOMPARE(lines.size(), 702);
    for (int i = 0; i < 700; ++i)
        QCOMPARE(fields(lines[i + 1]).value(column("Помещение")), QString("Комната %1").arg(i));
    QVERIFY(lines.last().isEmpty());
}

void ProjectCsvTest::openedInLibreOffice()
{
    if (!hasTool("soffice"))
        QSKIP("LibreOffice (soffice) is not installed");
    if (!hasRussianLocale())
        QSKIP("the ru_RU.UTF-8 locale is not installed");
    Project p;
    p.lines = {Line{"Л1"}};
    p.rooms = {{"=1+2", "-1", "Л1", ceilingRoom(2, "12", "8"), "рядами", {}},
               {"-5", "2", "Л1", ceilingRoom(3, "-3,5", "=1+2"), "рядами", {}}};
    ProjectRooms table(m_calculator, u',');
    table.model.setProject(p);
    QVERIFY(table.results.at(0).completed);
    QVERIFY(!table.results.at(1).completed);
    // A control line of the test's own: the tap as the table writes it.
    const QByteArray control = ";1/2\r\n";
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString csv = dir.filePath("rooms.csv");
    {
        QFile file(csv);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(csvBytes(table.results) + control);
    }

    // Opened as a Russian user opens it: ";" between fields, UTF-8, the
    // locale's own language; then with the language of a locale whose
    // dates are written with "/" and special numbers (dates) detected, as
    // a spreadsheet that detects dates does.
    struct Opening {
        QString name;
        QString options;
    };
    const Opening openings[]
        = {{"ru", "CSV:59,34,76,1"}, {"en-US, dates detected", "CSV:59,34,76,1,,1033,false,true"}};
    for (const Opening &opening : openings) {
        const QString out = dir.filePath(opening.name);
        QVERIFY(QDir().mkpath(out));
        QProcess soffice;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "ru_RU.UTF-8");
        environment.insert("LANG", "ru_RU.UTF-8");
        soffice.setProcessEnvironment(environment);
        soffice.start("soffice",
                      {"--headless", "-env:UserInstallation=file://" + dir.filePath("profile"),
                       "--infilter=" + opening.options, "--convert-to", "xlsx", "--outdir", out, csv});
        QVERIFY2(soffice.waitForFinished(180000), qPrintable(opening.name));
        const QString xlsx = out + "/rooms.xlsx";
        QVERIFY2(QFile::exists(xlsx), soffice.readAllStandardError().constData());
        const auto cells = sheetCells(run("unzip", {"-p", xlsx, "xl/worksheets/sheet1.xml"}));
        const QStringList strings = sharedStrings(run("unzip", {"-p", xlsx, "xl/sharedStrings.xml"}));
        const auto text = [&](const QString &reference) {
            const SheetCell cell = cells.value(reference);
            return cell.type == "s" && !cell.formula ? strings.value(cell.value.toInt())
                                                     : QString("not a text");
        };
        const auto number = [&](const QString &reference) {
            const SheetCell cell = cells.value(reference);
            return (cell.type.isEmpty() || cell.type == "n") && !cell.formula && !cell.value.isEmpty()
                ? cell.value
                : QString("not a number");
        };
        const QString name = columnLetter("Помещение");
        const QString tap = columnLetter("Отвод");
        QCOMPARE(text(name + "1"), QString("Помещение"));
        // The names are texts, the guard shown: no formula, no 3.
        QCOMPARE(text(name + "2"), QString("'=1+2"));
        QCOMPARE(text(name + "3"), QString("'-5"));
        QCOMPARE(text(columnLetter("Ширина, м") + "3"), QString("'=1+2"));
        // The taps stay texts however the spreadsheet reads dates.
        QCOMPARE(text(tap + "2"), QString("1\u20442"));
        QCOMPARE(text(tap + "3"), QString("1\u20443"));
        if (opening.name == "ru") {
            // Numbers stay numbers: the floor and the length typed.
            QCOMPARE(number(columnLetter("Этаж") + "2"), QString("-1"));
            QCOMPARE(number(columnLetter("Длина, м") + "3"), QString("-3.5"));
            QCOMPARE(number(columnLetter("Ширина, м") + "2"), QString("8"));
            QCOMPARE(text("B4"), QString("1/2"));
        } else {
            // This opening does take "1/2" for a date: a number.
            QVERIFY2(number("B4") != "not a number", qPrintable(text("B4")));
        }
    }
}

QTEST_GUILESS_MAIN(ProjectCsvTest)
#include "tst_project_csv.moc"
