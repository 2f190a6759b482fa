// What the exported files share: the CSV writer's fields, quoting and
// formula guard byte for byte, the formats found by a path's suffix and by
// a file dialog's filter, the page layouts and a PDF built in memory.

#include "widgets/exportformat.h"

#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTest>
#include <cmath>

using namespace exportfile;

namespace {

enum Kind { Csv = 1, Xlsx = 2, Pdf = 3 };

FormatTable threeFormats()
{
    return FormatTable{{Csv, QStringLiteral("csv"), QStringLiteral("Таблица CSV (*.csv)")},
                       {Xlsx, QStringLiteral("xlsx"), QStringLiteral("Книга Excel (*.xlsx)")},
                       {Pdf, QStringLiteral("pdf"), QStringLiteral("Документ PDF (*.pdf)")}};
}

const QByteArray Bom("\xEF\xBB\xBF");

} // namespace

class TestExportFormat : public QObject {
    Q_OBJECT
private slots:
    void csvField_data();
    void csvField();
    void formulaGuard_data();
    void formulaGuard();
    void csvLines();
    void csvEmptyFile();
    void formatOfPath_data();
    void formatOfPath();
    void filters();
    void suffixOfFilter_data();
    void suffixOfFilter();
    void suffixList_data();
    void suffixList();
    void pageLayouts();
    void pdfInMemory();
};

void TestExportFormat::csvField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("plain") << "Зал 1" << QByteArray("\xD0\x97\xD0\xB0\xD0\xBB 1");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("number") << "-3,5" << QByteArray("-3,5");
    QTest::newRow("separator") << "a;b" << QByteArray("\"a;b\"");
    QTest::newRow("quote") << "5\" horn" << QByteArray("\"5\"\" horn\"");
    QTest::newRow("only quotes") << "\"\"" << QByteArray("\"\"\"\"\"\"");
    QTest::newRow("line feed") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("carriage return") << "a\rb" << QByteArray("\"a\rb\"");
    QTest::newRow("comma stays") << "1,5" << QByteArray("1,5");
    QTest::newRow("tab stays") << "a\tb" << QByteArray("a\tb");
    QTest::newRow("apostrophe stays") << "'x" << QByteArray("'x");
}

void TestExportFormat::csvField()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QCOMPARE(exportfile::csvField(text), field);
}

void TestExportFormat::formulaGuard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("formula");
    QTest::addColumn<QString>("guarded");

    QTest::newRow("equals") << "=1+2" << true << "'=1+2";
    QTest::newRow("plus") << "+7" << true << "'+7";
    QTest::newRow("minus") << "-3,5" << true << "'-3,5";
    QTest::newRow("at") << "@SUM(A1)" << true << "'@SUM(A1)";
    QTest::newRow("tab") << "\t=1" << true << "'\t=1";
    QTest::newRow("carriage return") << "\r=1" << true << "'\r=1";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("text") << "Зал" << false << "Зал";
    QTest::newRow("equals inside") << "a=b" << false << "a=b";
    QTest::newRow("space first") << " =1" << false << " =1";
    QTest::newRow("line feed first") << "\n=1" << false << "\n=1";
}

void TestExportFormat::formulaGuard()
{
    QFETCH(QString, text);
    QFETCH(bool, formula);
    QFETCH(QString, guarded);
    QCOMPARE(startsLikeFormula(text), formula);
    QCOMPARE(formulaGuarded(text), guarded);
}

// Two lines: the byte-order mark once, ";" only between fields, CR LF at
// every line's end, a guarded text quoted after its apostrophe.
void TestExportFormat::csvLines()
{
    CsvWriter csv;
    csv.line({QStringLiteral("№"), QStringLiteral("X, м")});
    csv.field(QStringLiteral("-1")).text(QStringLiteral("-1")).text(QStringLiteral("=a;b"));
    csv.field(QString());
    csv.endLine();
    QCOMPARE(csv.bytes(),
             Bom
                 + QByteArray("\xE2\x84\x96;X, \xD0\xBC\r\n"
                              "-1;'-1;\"'=a;b\";\r\n"));
}

void TestExportFormat::csvEmptyFile()
{
    CsvWriter csv;
    QCOMPARE(csv.bytes(), Bom);
    csv.endLine();
    QCOMPARE(csv.bytes(), Bom + "\r\n");
}

void TestExportFormat::formatOfPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("kind"); // 0: none

    QTest::newRow("csv") << "/tmp/объект.csv" << int(Csv);
    QTest::newRow("upper case") << "/tmp/ОБЪЕКТ.XLSX" << int(Xlsx);
    QTest::newRow("mixed case") << "a.Pdf" << int(Pdf);
    QTest::newRow("dots in the name") << "зал 1.2.pdf" << int(Pdf);
    QTest::newRow("dotted folder, no suffix") << "/tmp/a.pdf/объект" << 0;
    QTest::newRow("none") << "объект" << 0;
    QTest::newRow("other") << "объект.odt" << 0;
    QTest::newRow("suffix as a prefix") << "объект.pdfx" << 0;
    QTest::newRow("ends in a dot") << "объект.pdf." << 0;
}

void TestExportFormat::formatOfPath()
{
    QFETCH(QString, path);
    QFETCH(int, kind);
    const FormatTable table = threeFormats();
    const FileFormat *format = table.ofPath(path);
    QCOMPARE(format ? format->kind : 0, kind);
}

void TestExportFormat::filters()
{
    QCOMPARE(threeFormats().filters(),
             QStringList({"Таблица CSV (*.csv)", "Книга Excel (*.xlsx)", "Документ PDF (*.pdf)"}));
}

void TestExportFormat::suffixOfFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("ofTable"); // the table's answer
    QTest::addColumn<QString>("parsed");  // the filter's own text

    QTest::newRow("listed") << "Книга Excel (*.xlsx)"
                            << "xlsx"
                            << "xlsx";
    QTest::newRow("last listed") << "Документ PDF (*.pdf)"
                                 << "pdf"
                                 << "pdf";
    QTest::newRow("not listed") << "Рисунок PNG (*.png)"
                                << "csv"
                                << "png";
    QTest::newRow("empty") << ""
                           << "csv"
                           << "";
    QTest::newRow("no pattern") << "Все файлы"
                                << "csv"
                                << "";
}

void TestExportFormat::suffixOfFilter()
{
    QFETCH(QString, filter);
    QFETCH(QString, ofTable);
    QFETCH(QString, parsed);
    QCOMPARE(threeFormats().suffixOfFilter(filter), ofTable);
    QCOMPARE(exportfile::suffixOfFilter(filter), parsed);
}

void TestExportFormat::suffixList_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("list");

    QTest::newRow("one") << 1 << ".csv";
    QTest::newRow("two") << 2 << ".csv или .xlsx";
    QTest::newRow("three") << 3 << ".csv, .xlsx или .pdf";
    QTest::newRow("four") << 4 << ".csv, .xlsx, .pdf или .dxf";
}

void TestExportFormat::suffixList()
{
    QFETCH(int, count);
    QFETCH(QString, list);
    const FileFormat all[] = {
        {1, "csv", "a (*.csv)"}, {2, "xlsx", "b (*.xlsx)"}, {3, "pdf", "c (*.pdf)"}, {4, "dxf", "d (*.dxf)"}};
    const FormatTable table = count == 1 ? FormatTable{all[0]}
        : count == 2                     ? FormatTable{all[0], all[1]}
        : count == 3                     ? FormatTable{all[0], all[1], all[2]}
                                         : FormatTable{all[0], all[1], all[2], all[3]};
    QCOMPARE(table.suffixList(), list);
}

// The plan's page: 12 mm, or the device's minimum where larger, on the
// device's paper; the documents' page: A4 landscape, 15 mm all round.
void TestExportFormat::pageLayouts()
{
    const QPageLayout letter(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(),
                             QPageLayout::Millimeter, QMarginsF(5, 20, 12, 13));
    const QPageLayout plan = planPageLayout(letter);
    QCOMPARE(plan.pageSize().id(), QPageSize::Letter);
    QCOMPARE(plan.orientation(), QPageLayout::Portrait);
    QCOMPARE(plan.margins(QPageLayout::Millimeter), QMarginsF(12, 20, 12, 13));

    const QPageLayout document = documentPageLayout();
    QCOMPARE(document.pageSize().id(), QPageSize::A4);
    QCOMPARE(document.orientation(), QPageLayout::Landscape);
    QCOMPARE(document.margins(QPageLayout::Millimeter), QMarginsF(15, 15, 15, 15));
    QCOMPARE(a4Landscape().margins(QPageLayout::Millimeter), QMarginsF());
}

// The writer paints on pages of the layout at 300 dpi; a painting that
// fails leaves no bytes.
void TestExportFormat::pdfInMemory()
{
    QByteArray bytes;
    int width = 0;
    int dpi = 0;
    QVERIFY(pdfBytes(
        documentPageLayout(), QStringLiteral("Объект"),
        [&](QPagedPaintDevice &device) {
            width = device.width();
            dpi = device.logicalDpiX();
            QPainter painter(&device);
            painter.drawLine(0, 0, 100, 100);
            return true;
        },
        bytes));
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(dpi, PdfDpi);
    // 297 mm less two 15 mm margins at 300 dpi, as Qt rounds it to points.
    QCOMPARE(width,
             QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15),
                         QPageLayout::Millimeter)
                 .paintRectPixels(300)
                 .width());
    QVERIFY(std::abs(width - 3153.5) < 10.0);

    QVERIFY(!pdfBytes(
        documentPageLayout(), QString(), [](QPagedPaintDevice &) { return false; }, bytes));
    QVERIFY(bytes.isEmpty());
}

QTEST_MAIN(TestExportFormat)
#include "tst_exportformat.moc"
