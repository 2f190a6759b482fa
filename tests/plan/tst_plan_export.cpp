// The plan's texts and files: numbers in either decimal separator, the
// summary, the coordinate file byte for byte, whole-file replacement, the
// PDF page read back as text, the SVG and the PNG, and how the drawing
// fits its space.
#include "calc/calcstate.h"
#include "calc/numberformat.h"
#include "filesizelimit.h"
#include "plan/plandrawing.h"
#include "plan/planexport.h"
#include "plan/plantexts.h"
#include "planexamples.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace plan;

Q_DECLARE_METATYPE(plan::PlanFormat)

namespace {

QChar russianPoint()
{
    return QLocale(QLocale::Russian, QLocale::Russia).decimalPoint().front();
}

QChar cPoint()
{
    return QLocale::c().decimalPoint().front();
}

PlanFigures ceilingExample(QChar point)
{
    return planexamples::ceiling30x12(point);
}

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

// The text of a PDF's pages first .. last (all when 0) through pdftotext;
// with layout, each line of the page as one line of text.
QString pdfText(const QString &path, int first = 0, int last = 0, bool layout = false)
{
    QStringList arguments{QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (layout)
        arguments << QStringLiteral("-layout");
    if (first > 0)
        arguments << QStringLiteral("-f") << QString::number(first) << QStringLiteral("-l")
                  << QString::number(last);
    arguments << path << QStringLiteral("-");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {path});
    if (!process.waitForFinished(60000))
        return -1;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// The files left in a folder.
QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestPlanExport : public QObject {
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void lengths_data();
    void lengths();
    void summaryLines();

    void csvBytesExactly_data();
    void csvBytesExactly();
    void csvWithoutLoudspeakers();

    void replacesAFileWhole();
    void unwritablePathIsNamed();
    void failedWriteKeepsTheOldFile();

    void pdfHoldsTitleFiguresAndCoordinates();
    void pdfContinuesCoordinatesOnFurtherPages();
    void svgAndPngHoldTheDrawing();
    void formats_data();
    void formats();
    void unknownFormatIsRefused();
    void pageMarginsWithinThePrintableArea_data();
    void pageMarginsWithinThePrintableArea();

    void gridSteps_data();
    void gridSteps();
    void scaleBars_data();
    void scaleBars();
    void drawingKeepsTheRoomsProportions_data();
    void drawingKeepsTheRoomsProportions();

private:
    QTemporaryDir m_dir;
};

void TestPlanExport::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("expected");

    QTest::newRow("comma") << 2.142857 << 2 << true << "2,14";
    QTest::newRow("point") << 2.142857 << 2 << false << "2.14";
    QTest::newRow("whole number") << 3.0 << 2 << true << "3,00";
    QTest::newRow("rounds up") << 27.857 << 2 << true << "27,86";
    QTest::newRow("one decimal") << 85.27 << 1 << true << "85,3";
    QTest::newRow("no minus zero") << -0.001 << 2 << true << "0,00";
    QTest::newRow("negative") << -1.25 << 1 << false << "-1.3";
}

void TestPlanExport::numbers()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(bool, comma);
    QFETCH(QString, expected);
    QCOMPARE(calc::formatFixed(value, decimals, comma ? russianPoint() : cPoint()), expected);
}

void TestPlanExport::lengths_data()
{
    QTest::addColumn<double>("metres");
    QTest::addColumn<bool>("comma");
    QTest::addColumn<QString>("expected");

    QTest::newRow("whole") << 30.0 << true << "30";
    QTest::newRow("half, comma") << 12.5 << true << "12,5";
    QTest::newRow("half, point") << 12.5 << false << "12.5";
    QTest::newRow("quarter") << 0.25 << true << "0,25";
    QTest::newRow("rounded to two decimals") << 2.999 << true << "3";
    QTest::newRow("thousand") << 1000.0 << false << "1000";
}

void TestPlanExport::lengths()
{
    QFETCH(double, metres);
    QFETCH(bool, comma);
    QFETCH(QString, expected);
    QCOMPARE(calc::formatTrimmed(metres, 2, comma ? russianPoint() : cPoint()), expected);
}

void TestPlanExport::summaryLines()
{
    QCOMPARE(coverageLine(87.44, russianPoint()), QStringLiteral("Озвучено: 87,4 % площади помещения"));
    QCOMPARE(coverageLine(100, cPoint()), QStringLiteral("Озвучено: 100.0 % площади помещения"));
    QCOMPARE(
        summaryLine(9, 5, 100, russianPoint()),
        QStringLiteral("Громкоговорителей на плане: 9 (по расчёту: 5). Озвучено: 100,0 % площади помещения"));
    const PlanScene scene = buildScene(ceilingExample(russianPoint()), Arrangement::Rows, 13);
    QCOMPARE(scene.summary(),
             QStringLiteral(
                 "Громкоговорителей на плане: 13 (по расчёту: 13). Озвучено: 88,7 % площади помещения"));
    PlanFigures huge = ceilingExample(russianPoint());
    huge.roomL = 1000;
    huge.roomW = 1000;
    huge.radius = 1;
    const PlanScene tooMany = buildScene(huge, Arrangement::FullOverlap, 13);
    QVERIFY(tooMany.layout.tooMany);
    QCOMPARE(
        tooMany.summary(),
        QStringLiteral("Громкоговорителей на плане: 0 (по расчёту: 13). Озвучено: 0,0 % площади помещения"));
    QCOMPARE(tooMany.limitNote(),
             QStringLiteral("Расстановке «с полным перекрытием» нужно громкоговорителей: "
                            "1000000, а план вмещает не более 100000; план не построен"));
}

void TestPlanExport::csvBytesExactly_data()
{
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QByteArray>("expected");

    // UTF-8 with its byte-order mark; "№" is E2 84 96 and "м" D0 BC.
    const QByteArray head = "\xEF\xBB\xBF\xE2\x84\x96;X, \xD0\xBC;Y, \xD0\xBC\r\n";
    QTest::newRow("ru locale") << russianPoint() << head + "1;1,00;1,50\r\n2;4,50;4,50\r\n3;27,86;0,00\r\n";
    QTest::newRow("C locale") << cPoint() << head + "1;1.00;1.50\r\n2;4.50;4.50\r\n3;27.86;0.00\r\n";
}

void TestPlanExport::csvBytesExactly()
{
    QFETCH(QChar, point);
    QFETCH(QByteArray, expected);
    const std::vector<Placement> placements{{QPointF(1, 1.5), Side::Ceiling},
                                            {QPointF(4.5, 4.5), Side::Ceiling},
                                            {QPointF(27.857142, 0), Side::NearWall}};
    QCOMPARE(csvBytes(placements, point), expected);
    const QString path = m_dir.filePath(QStringLiteral("координаты.csv"));
    const WriteResult result = writeCsv(path, placements, point);
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(contents(path), expected);
}

void TestPlanExport::csvWithoutLoudspeakers()
{
    QCOMPARE(csvBytes({}, cPoint()), QByteArray("\xEF\xBB\xBF\xE2\x84\x96;X, \xD0\xBC;Y, \xD0\xBC\r\n"));
}

void TestPlanExport::replacesAFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.csv"));
    QVERIFY(writeFile(path, QByteArray(5000, 'x')));
    const QByteArray shorter("short\r\n");
    const WriteResult result = writeWhole(path, shorter);
    QVERIFY2(result.ok, qPrintable(result.error));
    // Nothing of the longer old file is left, and no temporary file.
    QCOMPARE(contents(path), shorter);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("plan.csv")});
}

void TestPlanExport::unwritablePathIsNamed()
{
    const QString path = m_dir.filePath(QStringLiteral("нет такой папки/план.pdf"));
    const PlanScene scene = buildScene(ceilingExample(cPoint()), Arrangement::Rows, 13);
    for (const QString &target :
         {path, QString(path).replace(QStringLiteral(".pdf"), QStringLiteral(".csv"))}) {
        const WriteResult result = target.endsWith(QStringLiteral(".csv"))
            ? writeCsv(target, scene.layout.placements, cPoint())
            : writePdf(target, scene);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.startsWith(QStringLiteral("Не удалось записать файл ")),
                 qPrintable(result.error));
        QVERIFY2(result.error.contains(QDir::toNativeSeparators(target)), qPrintable(result.error));
        // The reason follows the name.
        QVERIFY(result.error.size() > QStringLiteral("Не удалось записать файл : ").size() + target.size());
        QVERIFY(!QFile::exists(target));
    }
}

void TestPlanExport::failedWriteKeepsTheOldFile()
{
#ifdef Q_OS_UNIX
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.png"));
    const QByteArray old("old picture");
    QVERIFY(writeFile(path, old));
    const PlanScene scene = buildScene(ceilingExample(cPoint()), Arrangement::Rows, 13);
    WriteResult result;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("the file size limit cannot be lowered here");
        result = writePng(path, scene);
    }
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(QDir::toNativeSeparators(path)), qPrintable(result.error));
    QCOMPARE(contents(path), old);
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("plan.png")});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestPlanExport::pdfHoldsTitleFiguresAndCoordinates()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const PlanScene scene = buildScene(ceilingExample(russianPoint()), Arrangement::Rows, 13);
    const QString path = m_dir.filePath(QStringLiteral("план.pdf"));
    const WriteResult result = writePdf(path, scene);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(contents(path).startsWith("%PDF-"));
    QCOMPARE(pdfPages(path), 1);

    const QString text = pdfText(path).simplified();
    for (const QString &expected :
         {QStringLiteral("План размещения громкоговорителей"),
          QStringLiteral("Наименование громкоговорителя: ГР-1"),
          QStringLiteral("Тип громкоговорителя: Потолочный"),
          QStringLiteral("Общее звуковое давление, дБ: 95"), QStringLiteral("Эффективная дальность, м: 6"),
          QStringLiteral("Необходимое кол-во громкоговорителей: 13"),
          QStringLiteral("Длина помещения, м: 30"), QStringLiteral("Площадь помещения, м²: 360"),
          QStringLiteral("Расстановка: рядами"), QStringLiteral("88,7 %"), QStringLiteral("Координаты"),
          // The first and the last loudspeaker of the first row, the last of the second.
          QStringLiteral("2,14"), QStringLiteral("27,86"), QStringLiteral("27,50"), QStringLiteral("30 м")}) {
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in: ") + text));
    }
}

void TestPlanExport::pdfContinuesCoordinatesOnFurtherPages()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdftotext and pdfinfo (poppler-utils) are not installed");
    // 30 x 20 m with discs of 1 m one radius apart: 600 loudspeakers.
    PlanFigures figures = ceilingExample(cPoint());
    figures.roomW = 20;
    figures.radius = 1;
    const PlanScene scene = buildScene(figures, Arrangement::FullOverlap, 1);
    QCOMPARE(scene.loudspeakers(), qsizetype(600));
    const QString path = m_dir.filePath(QStringLiteral("many.pdf"));
    const WriteResult result = writePdf(path, scene);
    QVERIFY2(result.ok, qPrintable(result.error));
    const int pages = pdfPages(path);
    QVERIFY2(pages > 1, QByteArray::number(pages));
    const QString last = pdfText(path, pages, pages, true).simplified();
    QVERIFY2(last.contains(QStringLiteral("Координаты (продолжение)")), qPrintable(last));
    // The last loudspeaker, at the far corner cell's centre.
    QVERIFY2(last.contains(QStringLiteral("600 29.50 19.50")), qPrintable(last.right(300)));
}

void TestPlanExport::svgAndPngHoldTheDrawing()
{
    const PlanScene rows = buildScene(ceilingExample(russianPoint()), Arrangement::Rows, 13);
    const QString svgPath = m_dir.filePath(QStringLiteral("plan.svg"));
    const WriteResult svg = writeSvg(svgPath, rows);
    QVERIFY2(svg.ok, qPrintable(svg.error));
    const QByteArray svgBytes = contents(svgPath);
    QVERIFY(svgBytes.startsWith("<?xml"));
    QVERIFY(svgBytes.contains("<svg"));
    QVERIFY(svgBytes.contains(QStringLiteral("План размещения громкоговорителей").toUtf8()));
    QVERIFY(svgBytes.contains(QStringLiteral("30 м").toUtf8()));

    // The PNG: wider than high like the room, uncovered floor tinted in
    // rows and none of it without gaps.
    const auto tinted = [](const QImage &image) {
        qint64 count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                count += QColor(image.pixel(x, y)) == UncoveredFloor;
        }
        return count;
    };
    const QString pngPath = m_dir.filePath(QStringLiteral("plan.png"));
    const WriteResult png = writePng(pngPath, rows);
    QVERIFY2(png.ok, qPrintable(png.error));
    const QImage image(pngPath);
    QCOMPARE(image.width(), 1600);
    QVERIFY(image.height() < image.width() && image.height() >= 480);
    QVERIFY(tinted(image) > 1000);
    const PlanScene full = buildScene(ceilingExample(russianPoint()), Arrangement::NoGaps, 13);
    QVERIFY(writePng(pngPath, full).ok);
    QCOMPARE(tinted(QImage(pngPath)), qint64(0));
}

void TestPlanExport::formats_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<PlanFormat>("format");

    QTest::newRow("pdf") << "/tmp/план.pdf" << PlanFormat::Pdf;
    QTest::newRow("upper case") << "/tmp/PLAN.PDF" << PlanFormat::Pdf;
    QTest::newRow("svg") << "план.svg" << PlanFormat::Svg;
    QTest::newRow("png") << "a.b.png" << PlanFormat::Png;
    QTest::newRow("none") << "/tmp/план" << PlanFormat::Unknown;
    QTest::newRow("other") << "/tmp/план.jpg" << PlanFormat::Unknown;
}

void TestPlanExport::formats()
{
    QFETCH(QString, path);
    QFETCH(PlanFormat, format);
    QCOMPARE(formatOfPath(path), format);
}

void TestPlanExport::unknownFormatIsRefused()
{
    const PlanScene scene = buildScene(ceilingExample(cPoint()), Arrangement::Rows, 13);
    const QString path = m_dir.filePath(QStringLiteral("plan.jpg"));
    const WriteResult result = writePlan(path, scene);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains(QDir::toNativeSeparators(path)));
    QVERIFY(!QFile::exists(path));
}

void TestPlanExport::pageMarginsWithinThePrintableArea_data()
{
    QTest::addColumn<QMarginsF>("least"); // the device's minimum margins, mm
    QTest::addColumn<QMarginsF>("margins");

    QTest::newRow("no minimum") << QMarginsF() << QMarginsF(12, 12, 12, 12);
    QTest::newRow("printer's 4 mm") << QMarginsF(4, 4, 4, 4) << QMarginsF(12, 12, 12, 12);
    QTest::newRow("wider at the top") << QMarginsF(5, 15, 5, 5) << QMarginsF(12, 15, 12, 12);
    QTest::newRow("wider everywhere") << QMarginsF(20, 14, 13, 16) << QMarginsF(20, 14, 13, 16);
}

// The document's page keeps the PDF's margins where the device can print
// there, and the device's minimum where it cannot; a PDF printer takes the
// layout as it is, A4 landscape.
void TestPlanExport::pageMarginsWithinThePrintableArea()
{
    QFETCH(QMarginsF, least);
    QFETCH(QMarginsF, margins);
    const QPageLayout device(QPageSize(QPageSize::A4), QPageLayout::Landscape, least, QPageLayout::Millimeter,
                             least);
    const QPageLayout layout = documentPageLayout(device);
    QCOMPARE(layout.margins(QPageLayout::Millimeter), margins);
    QCOMPARE(layout.orientation(), QPageLayout::Landscape);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("printed.pdf")));
    QVERIFY(printer.setPageLayout(documentPageLayout(device)));
    QCOMPARE(printer.pageLayout().margins(QPageLayout::Millimeter), margins);
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
}

void TestPlanExport::gridSteps_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("step");

    QTest::newRow("24 px per metre: every metre") << 24.0 << 1.0;
    QTest::newRow("8 px per metre: still every metre") << 8.0 << 1.0;
    QTest::newRow("3.6 px per metre: 5 m") << 3.6 << 5.0;
    QTest::newRow("0.7 px per metre: 20 m") << 0.7 << 20.0;
    QTest::newRow("0.1 px per metre: 100 m") << 0.1 << 100.0;
}

void TestPlanExport::gridSteps()
{
    QFETCH(double, scale);
    QFETCH(double, step);
    QCOMPARE(gridStep(scale, 8.0), step);
}

void TestPlanExport::scaleBars_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("length");

    QTest::newRow("24 px per metre: 5 m") << 24.0 << 5.0;
    QTest::newRow("100 px per metre: 1 m") << 100.0 << 1.0;
    QTest::newRow("1000 px per metre: 10 cm") << 1000.0 << 0.1;
    QTest::newRow("0.75 px per metre: 200 m") << 0.75 << 200.0;
}

void TestPlanExport::scaleBars()
{
    QFETCH(double, scale);
    QFETCH(double, length);
    QVERIFY(std::abs(scaleBarLength(scale, 150.0) - length) < 1e-12);
}

void TestPlanExport::drawingKeepsTheRoomsProportions_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");

    QTest::newRow("wide window, long room") << QSize(900, 500) << 30.0 << 12.0;
    QTest::newRow("tall window, long room") << QSize(400, 900) << 30.0 << 12.0;
    QTest::newRow("wide window, square room") << QSize(1200, 400) << 6.0 << 6.0;
    QTest::newRow("very long narrow room") << QSize(800, 600) << 1000.0 << 0.5;
}

void TestPlanExport::drawingKeepsTheRoomsProportions()
{
    QFETCH(QSize, size);
    QFETCH(double, length);
    QFETCH(double, width);
    PlanFigures figures = ceilingExample(cPoint());
    figures.roomL = length;
    figures.roomW = width;
    const PlanScene scene = buildScene(figures, Arrangement::Rows, 3);
    QImage device(size, QImage::Format_ARGB32_Premultiplied);
    const QRectF target(QPointF(0, 0), size);
    const PlanFrame frame = planFrame(target, scene, device);
    QVERIFY(target.contains(frame.room));
    QVERIFY(std::abs(frame.room.width() / frame.scale - length) < 1e-9 * length);
    QVERIFY(std::abs(frame.room.height() / frame.scale - width) < 1e-9 * length);
    // It fills the space in one direction: at least half of it.
    QVERIFY(frame.room.width() > size.width() / 2.0 || frame.room.height() > size.height() / 2.0);
}

QTEST_MAIN(TestPlanExport)
#include "tst_plan_export.moc"
