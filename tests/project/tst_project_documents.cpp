// The building's documents: the texts of the cells, the PDF pages read back
// with pdftotext (title, cells, numbers, page numbers, the header row on
// every page, every row once), the workbook unpacked and read back (sheets,
// header row, styles, frozen pane, numbers as numbers with their formats,
// column widths), and the files written whole or not at all.
#include "filesizelimit.h"
#include "project/documentwriters.h"
#include "toolrun.h"
#include "widgets/exportformat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <clocale>
#include <cmath>
#include <limits>
#include <numeric>

using namespace project;

Q_DECLARE_METATYPE(project::DocumentCell)
Q_DECLARE_METATYPE(project::Document)

namespace {

const QString Title = QStringLiteral("Расчет системы оповещения: Бизнес-центр «Восток»");
const QString Date = QStringLiteral("Дата расчета: 14.03.2025");
const QStringList RoomCaptions{QStringLiteral("№"), QStringLiteral("Помещение"),
                               QStringLiteral("Площадь, м²"), QStringLiteral("Запас, дБ"),
                               QStringLiteral("Громкоговорителей")};

// 80 rooms: three pages of the PDF. Row r: its number, "Комната r", the
// area with two decimals (0.75 in the first row), a margin with one, a
// count; every fifth room has no count.
Document sampleDocument(int rooms = 80)
{
    DocumentTable roomTable{QStringLiteral("Помещения"), RoomCaptions, {}};
    for (int r = 1; r <= rooms; ++r) {
        DocumentRow row{DocumentCell::fromNumber(r, 0),
                        DocumentCell::fromText(QStringLiteral("Комната %1").arg(r)),
                        DocumentCell::fromNumber(r == 1 ? 0.75 : 10.0 + r * 1.25, 2),
                        DocumentCell::fromNumber(3.0 + r % 7, 1)};
        if (r % 5 != 0)
            row.push_back(DocumentCell::fromNumber(r % 9 + 1, 0));
        roomTable.rows.push_back(row);
    }
    DocumentTable lines{QStringLiteral("Линии"),
                        {QStringLiteral("Линия"), QStringLiteral("Длина, м")},
                        {{DocumentCell::fromText(QStringLiteral("Л1")), DocumentCell::fromNumber(125.5, 1)}}};
    DocumentTable equipment{QStringLiteral("Спецификация"),
                            {QStringLiteral("Изделие"), QStringLiteral("Кол-во")},
                            {{DocumentCell::fromText(QStringLiteral("Усилитель трансляционный")),
                              DocumentCell::fromNumber(2, 0)}}};
    return Document{Title, Date, {roomTable, lines, equipment}};
}

// The text of a PDF's pages first .. last (all when 0), laid out as on the page.
QString pdfText(const QString &path, int first = 0, int last = 0)
{
    QStringList arguments{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l")
                  << QString::number(last);
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-")));
}

int pdfPages(const QString &path)
{
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match
        = pages.match(QString::fromUtf8(run(QStringLiteral("pdfinfo"), {path})));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QByteArray zipEntry(const QString &path, const QString &entry)
{
    return run(QStringLiteral("unzip"), {QStringLiteral("-p"), path, entry});
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The values of one attribute of every element of a name, in order.
QStringList attributes(const QByteArray &xml, const QString &element, const QString &attribute)
{
    QStringList values;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            values << reader.attributes().value(attribute).toString();
    }
    return values;
}

// The shared strings of a workbook, in order.
QStringList sharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("t"))
            strings << reader.readElementText();
    }
    return strings;
}

// One cell of a sheet as stored: its type ("s" for a shared string, empty
// for a number), its style index and its value.
struct StoredCell {
    QString type;
    int style = 0;
    QString value;
};

QMap<QString, StoredCell> sheetCells(const QByteArray &xml)
{
    QMap<QString, StoredCell> cells;
    QXmlStreamReader reader(xml);
    QString reference;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("c")) {
            reference = reader.attributes().value(QLatin1String("r")).toString();
            cells[reference] = {reader.attributes().value(QLatin1String("t")).toString(),
                                reader.attributes().value(QLatin1String("s")).toInt(), QString()};
        } else if (reader.name() == QLatin1String("v")) {
            cells[reference].value = reader.readElementText();
        }
    }
    return cells;
}

// What a cell style of styles.xml shows: its number format's code and
// whether its font is bold.
struct CellStyle {
    QString numberFormat;
    bool bold = false;
};

QList<CellStyle> cellStyles(const QByteArray &xml)
{
    QMap<int, QString> formats{
        {0, QStringLiteral("General")}, {1, QStringLiteral("0")}, {2, QStringLiteral("0.00")}};
    QList<bool> boldFonts;
    QList<CellStyle> styles;
    QXmlStreamReader reader(xml);
    QString section;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto name = reader.name();
        if (name == QLatin1String("fonts") || name == QLatin1String("cellXfs")
            || name == QLatin1String("cellStyleXfs"))
            section = name.toString();
        else if (name == QLatin1String("numFmt"))
            formats[reader.attributes().value(QLatin1String("numFmtId")).toInt()]
                = reader.attributes().value(QLatin1String("formatCode")).toString();
        else if (name == QLatin1String("font") && section == QLatin1String("fonts"))
            boldFonts << false;
        else if (name == QLatin1String("b") && section == QLatin1String("fonts"))
            boldFonts.last() = true;
        else if (name == QLatin1String("xf") && section == QLatin1String("cellXfs")) {
            const int font = reader.attributes().value(QLatin1String("fontId")).toInt();
            styles << CellStyle{formats.value(reader.attributes().value(QLatin1String("numFmtId")).toInt()),
                                boldFonts.value(font)};
        }
    }
    return styles;
}

} // namespace

class TestProjectDocuments : public QObject {
    Q_OBJECT

private slots:
    void cellTexts_data();
    void cellTexts();

    void pdfPagesHoldTheDocument_data();
    void pdfPagesHoldTheDocument();
    void pdfPagesDoNotDependOnResolution();
    void unusualTablesStillMakeDocuments_data();
    void unusualTablesStillMakeDocuments();

    void workbookSheetsAndHeader();
    void workbookStoresNumbersAsNumbers();
    void workbookColumnsFitTheirTexts();
    void workbookSheetNames_data();
    void workbookSheetNames();
    void workbookRefusesTooLongText();
    void filesUnderACommaLocale();

    void unwritablePathIsNamed_data();
    void unwritablePathIsNamed();
    void failedWriteKeepsTheOldFile();
    void unbuiltDocumentWritesNothing();

private:
    QTemporaryDir m_dir;
};

void TestProjectDocuments::cellTexts_data()
{
    QTest::addColumn<DocumentCell>("cell");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("expected");

    const QChar comma(u','), dot(u'.');
    QTest::newRow("comma") << DocumentCell::fromNumber(0.75, 2) << comma << "0,75";
    QTest::newRow("point") << DocumentCell::fromNumber(0.75, 2) << dot << "0.75";
    QTest::newRow("rounded to its decimals") << DocumentCell::fromNumber(27.857, 1) << comma << "27,9";
    QTest::newRow("zeros kept") << DocumentCell::fromNumber(3, 2) << comma << "3,00";
    QTest::newRow("whole") << DocumentCell::fromNumber(12.4, 0) << comma << "12";
    // As a spreadsheet shows a number with a format of fixed decimals.
    QTest::newRow("halves away from zero") << DocumentCell::fromNumber(12.5, 0) << comma << "13";
    QTest::newRow("negative halves away from zero")
        << DocumentCell::fromNumber(-0.125, 2) << comma << "-0,13";
    QTest::newRow("no grouping") << DocumentCell::fromNumber(1234567.5, 1) << comma << "1234567,5";
    QTest::newRow("no minus zero") << DocumentCell::fromNumber(-0.004, 2) << comma << "0,00";
    QTest::newRow("negative") << DocumentCell::fromNumber(-1.26, 1) << comma << "-1,3";
    QTest::newRow("negative decimals as none") << DocumentCell::fromNumber(2.4, -3) << comma << "2";
    QTest::newRow("decimals at most 15")
        << DocumentCell::fromNumber(0.5, 40) << dot
        << QStringLiteral("0.") + QStringLiteral("5").leftJustified(15, u'0');
    QTest::newRow("not a number") << DocumentCell::fromNumber(std::nan(""), 2) << comma << "нет данных";
    QTest::newRow("infinite") << DocumentCell::fromNumber(std::numeric_limits<double>::infinity(), 2) << comma
                              << "нет данных";
    QTest::newRow("text as it is") << DocumentCell::fromText(QStringLiteral("3.5 м")) << comma << "3.5 м";
    QTest::newRow("empty") << DocumentCell{} << comma << "";
}

void TestProjectDocuments::cellTexts()
{
    QFETCH(DocumentCell, cell);
    QFETCH(QChar, point);
    QFETCH(QString, expected);
    QCOMPARE(cellText(cell, point), expected);
}

void TestProjectDocuments::pdfPagesHoldTheDocument_data()
{
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("area");
    QTest::newRow("comma") << QChar(u',') << "0,75";
    QTest::newRow("point") << QChar(u'.') << "0.75";
}

void TestProjectDocuments::pdfPagesHoldTheDocument()
{
    QFETCH(QChar, point);
    QFETCH(QString, area);
    if (!hasTool(QStringLiteral("pdftotext")) || !hasTool(QStringLiteral("pdfinfo")))
        QSKIP("pdftotext and pdfinfo (poppler-utils) are not installed");
    const QString path = m_dir.filePath(QStringLiteral("объект.pdf"));
    const DocumentFileResult result = writePdfFile(path, sampleDocument(), point);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.path, path);
    QVERIFY(contents(path).startsWith("%PDF-"));
    QCOMPARE(pdfPages(path), 3);

    const QString first = pdfText(path, 1, 1);
    QVERIFY2(first.contains(Title), qPrintable(first));
    QVERIFY(first.contains(Date));
    QVERIFY(first.contains(QStringLiteral("Помещения")));
    QVERIFY(first.contains(QStringLiteral("Комната 1 ")));
    QVERIFY2(first.contains(QRegularExpression(
                 QStringLiteral("Комната 1\\s+%1\\s").arg(QRegularExpression::escape(area)))),
             qPrintable(first));
    QVERIFY(first.contains(QStringLiteral("Лист 1 из 3")));

    // Every page shows the header row and its number; the title only the first.
    for (int page = 2; page <= 3; ++page) {
        const QString text = pdfText(path, page, page);
        for (const QString &caption : RoomCaptions)
            QVERIFY2(text.contains(caption),
                     qPrintable(QStringLiteral("page %1: %2").arg(page).arg(caption)));
        QVERIFY(text.contains(QStringLiteral("Лист %1 из 3").arg(page)));
        QVERIFY(!text.contains(Title));
    }
    const QString last = pdfText(path, 3, 3);
    QVERIFY(last.contains(QStringLiteral("Линии")) && last.contains(QStringLiteral("Спецификация")));
    QVERIFY(last.contains(QStringLiteral("125%1%2").arg(point).arg(5)));
    QVERIFY(last.contains(QStringLiteral("Усилитель трансляционный")));

    // Every room once, in order, across the page breaks.
    QList<int> rooms;
    const QRegularExpression room(QStringLiteral("Комната (\\d+)\\b"));
    for (auto it = room.globalMatch(pdfText(path)); it.hasNext();)
        rooms << it.next().captured(1).toInt();
    QList<int> expected(80);
    std::iota(expected.begin(), expected.end(), 1);
    QCOMPARE(rooms, expected);
}

void TestProjectDocuments::pdfPagesDoNotDependOnResolution()
{
    // A printer paints at its own resolution; the pages must break alike.
    const Document document = sampleDocument(300);
    QList<int> pages;
    for (const int dpi : {150, 300, 600, 1200}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(dpi);
        writer.setPageLayout(exportfile::documentPageLayout());
        pages << paintDocument(writer, document, u',');
    }
    QVERIFY2(pages.first() >= 9, qPrintable(QString::number(pages.first())));
    QCOMPARE(pages, QList<int>(4, pages.first()));
}

void TestProjectDocuments::unusualTablesStillMakeDocuments_data()
{
    QTest::addColumn<Document>("document");
    QTest::addColumn<int>("pages");
    const DocumentCell text = DocumentCell::fromText(QStringLiteral("текст"));
    QTest::newRow("no tables") << Document{Title, Date, {}} << 1;
    QTest::newRow("no columns") << Document{Title, Date, {{QStringLiteral("Пусто"), {}, {{}, {}}}}} << 1;
    QTest::newRow("no rows") << Document{Title,
                                         Date,
                                         {{QStringLiteral("Линии"), {QStringLiteral("Линия")}, {}}}}
                             << 1;
    QTest::newRow("more cells than captions")
        << Document{Title, Date, {{QStringLiteral("Линии"), {QStringLiteral("Линия")}, {{text, text, text}}}}}
        << 1;
    // Hundreds of lines in one cell: the row stands alone on a page, cut at its foot.
    QString tall;
    for (int line = 0; line < 400; ++line)
        tall += QStringLiteral("строка %1\n").arg(line);
    QTest::newRow("row taller than a page") << Document{Title,
                                                        Date,
                                                        {{QStringLiteral("Линии"),
                                                          {QStringLiteral("Линия")},
                                                          {{text}, {DocumentCell::fromText(tall)}, {text}}}}}
                                            << 3;
    QTest::newRow("words wider than the page")
        << Document{Title,
                    Date,
                    {{QStringLiteral("Линии"),
                      QStringList(40, QString(12, u'Ш')),
                      {DocumentRow(40, DocumentCell::fromText(QString(20, u'Щ')))}}}}
        << 1;
}

void TestProjectDocuments::unusualTablesStillMakeDocuments()
{
    QFETCH(Document, document);
    QFETCH(int, pages);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageLayout(exportfile::documentPageLayout());
    QCOMPARE(paintDocument(writer, document, u','), pages);
    QVERIFY(xlsxBytes(document).ok);
}

void TestProjectDocuments::workbookSheetsAndHeader()
{
    if (!hasTool(QStringLiteral("unzip")))
        QSKIP("unzip is not installed");
    const QString path = m_dir.filePath(QStringLiteral("объект.xlsx"));
    const DocumentFileResult result = writeXlsxFile(path, sampleDocument());
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(
        attributes(zipEntry(path, QStringLiteral("xl/workbook.xml")), QStringLiteral("sheet"),
                   QStringLiteral("name")),
        (QStringList{QStringLiteral("Помещения"), QStringLiteral("Линии"), QStringLiteral("Спецификация")}));

    const QByteArray sheet = zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml"));
    QVERIFY2(QRegularExpression(QStringLiteral("<pane [^>]*ySplit=\"1\"[^>]*state=\"frozen\""))
                 .match(QString::fromUtf8(sheet))
                 .hasMatch(),
             sheet.left(1500).constData());
    const QStringList strings = sharedStrings(zipEntry(path, QStringLiteral("xl/sharedStrings.xml")));
    const QList<CellStyle> styles = cellStyles(zipEntry(path, QStringLiteral("xl/styles.xml")));
    const QMap<QString, StoredCell> cells = sheetCells(sheet);
    const QStringList columns{"A", "B", "C", "D", "E"};
    for (qsizetype c = 0; c < RoomCaptions.size(); ++c) {
        const StoredCell cell = cells.value(columns[c] + QStringLiteral("1"));
        QCOMPARE(cell.type, QStringLiteral("s"));
        QCOMPARE(strings.value(cell.value.toInt()), RoomCaptions[c]);
        QVERIFY(styles.value(cell.style).bold);
    }
    // Texts are shared strings and not bold.
    const StoredCell name = cells.value(QStringLiteral("B3"));
    QCOMPARE(name.type, QStringLiteral("s"));
    QCOMPARE(strings.value(name.value.toInt()), QStringLiteral("Комната 2"));
    QVERIFY(!styles.value(name.style).bold);
}

void TestProjectDocuments::workbookStoresNumbersAsNumbers()
{
    if (!hasTool(QStringLiteral("unzip")))
        QSKIP("unzip is not installed");
    Document document = sampleDocument(6);
    document.tables[0].rows[2][2] = DocumentCell::fromNumber(std::nan(""), 2);
    const DocumentBytes built = xlsxBytes(document);
    QVERIFY2(built.ok, qPrintable(built.reason));
    const QString path = m_dir.filePath(QStringLiteral("числа.xlsx"));
    QVERIFY(writeDocumentFile(path, built).ok);

    const QList<CellStyle> styles = cellStyles(zipEntry(path, QStringLiteral("xl/styles.xml")));
    const QStringList strings = sharedStrings(zipEntry(path, QStringLiteral("xl/sharedStrings.xml")));
    const QMap<QString, StoredCell> cells
        = sheetCells(zipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    const auto check = [&](const QString &reference, const QString &value, const QString &format) {
        const StoredCell cell = cells.value(reference);
        QVERIFY2(cell.type.isEmpty(), qPrintable(reference));
        QCOMPARE(cell.value.toDouble(), value.toDouble());
        QCOMPARE(styles.value(cell.style).numberFormat, format);
        QVERIFY(!styles.value(cell.style).bold);
    };
    check(QStringLiteral("C2"), QStringLiteral("0.75"), QStringLiteral("0.00"));
    check(QStringLiteral("A2"), QStringLiteral("1"), QStringLiteral("0"));
    check(QStringLiteral("D2"), QStringLiteral("4"), QStringLiteral("0.0"));
    check(QStringLiteral("C3"), QStringLiteral("12.5"), QStringLiteral("0.00"));
    // A number the program could not compute is shown as such, as a text.
    QCOMPARE(cells.value(QStringLiteral("C4")).type, QStringLiteral("s"));
    QCOMPARE(strings.value(cells.value(QStringLiteral("C4")).value.toInt()), QStringLiteral("нет данных"));
    // The fifth room has no count: nothing is stored for it.
    QVERIFY(cells.contains(QStringLiteral("E5")));
    QVERIFY(!cells.contains(QStringLiteral("E6")));
}

void TestProjectDocuments::workbookColumnsFitTheirTexts()
{
    if (!hasTool(QStringLiteral("unzip")))
        QSKIP("unzip is not installed");
    const QString path = m_dir.filePath(QStringLiteral("ширина.xlsx"));
    QVERIFY(writeXlsxFile(path, sampleDocument()).ok);
    const QByteArray sheet = zipEntry(path, QStringLiteral("xl/worksheets/sheet3.xml"));
    const QStringList widths = attributes(sheet, QStringLiteral("col"), QStringLiteral("width"));
    QCOMPARE(widths.size(), 2);
    // "Усилитель трансляционный": 24 characters (47 bytes in UTF-8);
    // "Кол-во": 6 characters, the caption the longest text of its column.
    const double wide = widths[0].toDouble();
    const double narrow = widths[1].toDouble();
    QVERIFY2(wide >= 24 && wide < 30, qPrintable(widths[0]));
    QVERIFY2(narrow >= 6 && narrow < 10, qPrintable(widths[1]));
}

void TestProjectDocuments::workbookSheetNames_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("as they are") << QStringList{"Помещения", "Линии", "Спецификация"}
                                 << QStringList{"Помещения", "Линии", "Спецификация"};
    QTest::newRow("forbidden characters")
        << QStringList{"Линии [1/2]: *?", "'Итог'"} << QStringList{"Линии _1_2__ __", "Итог"};
    QTest::newRow("same name, letter case ignored")
        << QStringList{"Линии", "ЛИНИИ", "линии"} << QStringList{"Линии", "ЛИНИИ (2)", "линии (3)"};
    QTest::newRow("blank") << QStringList{"", "  "} << QStringList{"Лист 1", "Лист 2"};
    QTest::newRow("cut at a space") << QStringList{"Помещения второго этажа до осей 1–12",
                                                   "Помещения второго этажа до осей 1–12"}
                                    << QStringList{"Помещения второго этажа до осей",
                                                   "Помещения второго этажа до (2)"};
    QTest::newRow("at most 31 characters")
        << QStringList{"Спецификация оборудования и материалов", "Спецификация оборудования и материалов"}
        << QStringList{"Спецификация оборудования и мат", "Спецификация оборудования и (2)"};
}

void TestProjectDocuments::workbookSheetNames()
{
    QFETCH(QStringList, titles);
    QFETCH(QStringList, names);
    if (!hasTool(QStringLiteral("unzip")))
        QSKIP("unzip is not installed");
    Document document{Title, Date, {}};
    for (const QString &title : titles)
        document.tables.push_back({title, {QStringLiteral("Графа")}, {}});
    const QString path = m_dir.filePath(QStringLiteral("листы.xlsx"));
    const DocumentFileResult result = writeXlsxFile(path, document);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(attributes(zipEntry(path, QStringLiteral("xl/workbook.xml")), QStringLiteral("sheet"),
                        QStringLiteral("name")),
             names);
}

void TestProjectDocuments::workbookRefusesTooLongText()
{
    Document document = sampleDocument(3);
    document.tables[1].rows[0][0] = DocumentCell::fromText(QString(40000, u'Ж'));
    const DocumentBytes built = xlsxBytes(document);
    QVERIFY(!built.ok);
    QVERIFY(built.bytes.isEmpty());
    QVERIFY2(built.reason.contains(QStringLiteral("«Линии»")), qPrintable(built.reason));
}

void TestProjectDocuments::filesUnderACommaLocale()
{
    // Qt sets the C library's locale from the desktop's; a Russian one
    // writes "0,75" through printf. The files must not change with it.
    if (!hasTool(QStringLiteral("localedef")) || !hasTool(QStringLiteral("unzip"))
        || !hasTool(QStringLiteral("pdfinfo")))
        QSKIP("localedef, unzip or pdfinfo is not installed");
    QTemporaryDir locales;
    QProcess define;
    define.start(QStringLiteral("localedef"),
                 {QStringLiteral("-i"), QStringLiteral("ru_RU"), QStringLiteral("-f"),
                  QStringLiteral("UTF-8"), locales.filePath(QStringLiteral("ru_RU.UTF-8"))});
    if (!define.waitForFinished(120000) || define.exitCode() != 0)
        QSKIP("the ru_RU locale cannot be made here (package locales)");
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    const QByteArray previous = setlocale(LC_ALL, nullptr);
    const bool russian
        = setlocale(LC_ALL, "ru_RU.UTF-8") != nullptr && localeconv()->decimal_point == QByteArray(",");
    const QString workbook = m_dir.filePath(QStringLiteral("запятая.xlsx"));
    const QString pdf = m_dir.filePath(QStringLiteral("запятая.pdf"));
    const bool written
        = writeXlsxFile(workbook, sampleDocument()).ok && writePdfFile(pdf, sampleDocument(), u',').ok;
    setlocale(LC_ALL, previous.constData());
    qunsetenv("LOCPATH");
    if (!russian)
        QSKIP("the ru_RU locale is not taken here");
    QVERIFY(written);

    const QByteArray sheet = zipEntry(workbook, QStringLiteral("xl/worksheets/sheet1.xml"));
    QCOMPARE(sheetCells(sheet).value(QStringLiteral("C2")).value, QStringLiteral("0.75"));
    for (const QString &width : attributes(sheet, QStringLiteral("col"), QStringLiteral("width")))
        QVERIFY2(!width.contains(u','), qPrintable(width));
    QCOMPARE(pdfPages(pdf), 3);
}

void TestProjectDocuments::unwritablePathIsNamed_data()
{
    QTest::addColumn<bool>("pdf");
    QTest::newRow("pdf") << true;
    QTest::newRow("xlsx") << false;
}

void TestProjectDocuments::unwritablePathIsNamed()
{
    QFETCH(bool, pdf);
    const QString path = m_dir.filePath(QStringLiteral("нет такой папки/объект.") + (pdf ? "pdf" : "xlsx"));
    const Document document = sampleDocument(5);
    const DocumentFileResult result
        = pdf ? writePdfFile(path, document, u',') : writeXlsxFile(path, document);
    QVERIFY(!result.ok);
    QCOMPARE(result.path, path);
    QVERIFY2(result.error.startsWith(QStringLiteral("Не удалось записать файл ")
                                     + QDir::toNativeSeparators(path) + QStringLiteral(": ")),
             qPrintable(result.error));
    QVERIFY(!QFile::exists(path));
}

void TestProjectDocuments::failedWriteKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("объект.pdf"));
    const QByteArray old("old document");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    const DocumentBytes built = pdfBytes(sampleDocument(), u',');
    QVERIFY(built.ok && built.bytes.size() > 8192);
    DocumentFileResult result;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("the file size limit cannot be lowered here");
        result = writeDocumentFile(path, built);
    }
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QDir::toNativeSeparators(path)), qPrintable(result.error));
    QCOMPARE(contents(path), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("объект.pdf")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestProjectDocuments::unbuiltDocumentWritesNothing()
{
    const QString path = m_dir.filePath(QStringLiteral("несобранный.xlsx"));
    const DocumentFileResult result = writeDocumentFile(
        path, DocumentBytes{false, QByteArray("part"), QStringLiteral("не хватило памяти")});
    QVERIFY(!result.ok);
    QCOMPARE(
        result.error,
        QStringLiteral("Не удалось записать файл %1: не хватило памяти").arg(QDir::toNativeSeparators(path)));
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestProjectDocuments)
#include "tst_project_documents.moc"
