// The plan's texts and files: numbers in either decimal separator, the
// summary, the coordinate file byte for byte, whole-file replacement, the
// PDF page read back as text, the SVG and the PNG, and how the drawing
// fits its space.
#include "calc/calcstate.h"
#include "calc/numberformat.h"
#include "dxfdrawing.h"
#include "filesizelimit.h"
#include "plan/plandrawing.h"
#include "plan/planexport.h"
#include "plan/plantexts.h"
#include "planexamples.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace plan;

Q_DECLARE_METATYPE(plan::PlanFormat)
Q_DECLARE_METATYPE(plan::PlanView)

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

// A plan of ceiling loudspeakers in a room: the arrangement, the count
// asked for, the drawing's size (empty: the exported image) and its
// resolution.
struct DrawnPlan {
    PlanScene scene;
    QImage image;
    PlanFrame frame;
};

DrawnPlan drawPlan(double length, double width, double radius, Arrangement arrangement, double count,
                   QSize size, int dpi = 96)
{
    PlanFigures figures = ceilingExample(russianPoint());
    figures.roomL = length;
    figures.roomW = width;
    figures.radius = radius;
    DrawnPlan plan{buildScene(figures, arrangement, count), QImage(), PlanFrame()};
    if (size.isEmpty()) {
        plan.image = planImage(plan.scene);
    } else {
        plan.image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        plan.image.setDotsPerMeterX(qRound(dpi / 0.0254));
        plan.image.setDotsPerMeterY(qRound(dpi / 0.0254));
        plan.image.fill(Qt::white);
        QPainter painter(&plan.image);
        paintPlan(painter, QRectF(plan.image.rect()), plan.scene);
    }
    plan.frame = planFrame(QRectF(plan.image.rect()), plan.scene, plan.image);
    return plan;
}

// The share of the room's pixels, its walls left out, in exactly this colour.
double shareOf(const DrawnPlan &plan, const QColor &colour)
{
    const QRect room = plan.frame.room.toAlignedRect().adjusted(3, 3, -3, -3);
    qint64 count = 0;
    for (int y = room.top(); y <= room.bottom(); ++y) {
        for (int x = room.left(); x <= room.right(); ++x)
            count += QColor(plan.image.pixel(x, y)) == colour;
    }
    return double(count) / double(qint64(room.width()) * room.height());
}

} // namespace

Q_DECLARE_METATYPE(QList<QRectF>)

class TestPlanExport : public QObject {
    Q_OBJECT

private slots:
    void numbers_data();
    void numbers();
    void lengths_data();
    void lengths();
    void summaryLines();
    void limitNotes_data();
    void limitNotes();

    void csvBytesExactly_data();
    void csvBytesExactly();
    void csvWithoutLoudspeakers();

    void replacesAFileWhole();
    void unwritablePathIsNamed();
    void failedWriteKeepsTheOldFile();

    void pdfHoldsTitleFiguresAndCoordinates();
    void pdfContinuesCoordinatesOnFurtherPages();
    void svgAndPngHoldTheDrawing();
    void captionGoesUnderTheTitle();
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

    void denseDrawingShowsBothTints_data();
    void denseDrawingShowsBothTints();
    void denseDrawingThinsAndSaysSo_data();
    void denseDrawingThinsAndSaysSo();
    void numbersNeverTouch_data();
    void numbersNeverTouch();
    void numbersGoAboveBelowOrNowhere();

    void summaryFollowsTheView_data();
    void summaryFollowsTheView();
    void levelViewFiles_data();
    void levelViewFiles();
    void stiColours();
    void stiViewFiles_data();
    void stiViewFiles();
    void fileOfAWaitingLevelViewHasTheMap();
    void exportWritesByTheSuffix_data();
    void exportWritesByTheSuffix();
    void denseLevelDrawing_data();
    void denseLevelDrawing();

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
    QCOMPARE(coverageLine(87.44, russianPoint()), QStringLiteral("Озвучено: 87,4\u00A0% площади помещения"));
    QCOMPARE(coverageLine(100, cPoint()), QStringLiteral("Озвучено: 100.0\u00A0% площади помещения"));
    QCOMPARE(summaryLine(9, 5, 100, russianPoint()),
             QStringLiteral(
                 "Громкоговорителей на плане: 9 (по расчёту: 5). Озвучено: 100,0\u00A0% площади помещения"));
    const PlanScene scene = buildScene(ceilingExample(russianPoint()), Arrangement::Rows, 13);
    QCOMPARE(scene.summary(),
             QStringLiteral(
                 "Громкоговорителей на плане: 13 (по расчёту: 13). Озвучено: 88,7\u00A0% площади помещения"));
    PlanFigures huge = ceilingExample(russianPoint());
    huge.roomL = 1000;
    huge.roomW = 1000;
    huge.radius = 1;
    const PlanScene tooMany = buildScene(huge, Arrangement::FullOverlap, 13);
    QVERIFY(tooMany.layout.tooMany);
    QCOMPARE(tooMany.summary(),
             QStringLiteral(
                 "Громкоговорителей на плане: 0 (по расчёту: 13). Озвучено: 0,0\u00A0% площади помещения"));
    QCOMPARE(tooMany.limitNote(),
             QStringLiteral("Расстановке «с полным перекрытием» нужно громкоговорителей: "
                            "1000000, а план вмещает не более 100000; план не построен"));
}

void TestPlanExport::limitNotes_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("count");
    QTest::addColumn<QString>("note");

    QTest::newRow("within the plan") << 30.0 << 12.0 << 3.0 << Arrangement::Rows << 13.0 << "";
    QTest::newRow("rows above the limit")
        << 30.0 << 12.0 << 3.0 << Arrangement::Rows << 250000.0
        << "Нужно громкоговорителей: 250000, а план вмещает не более 100000; на плане 100000";
    QTest::newRow("two walls far above the limit")
        << 30.0 << 12.0 << 3.0 << Arrangement::TwoWalls << 1e20
        << "Нужно громкоговорителей: 1E+20, а план вмещает не более 100000; на плане 100000";
    QTest::newRow("edge to edge above the limit")
        << 3000.0 << 1200.0 << 1.0 << Arrangement::EdgeToEdge << 1.0
        << "Расстановке «край к краю» нужно громкоговорителей: 900000, а план вмещает не более 100000; "
           "план не построен";
    QTest::newRow("without gaps, too large to search")
        << 3e7 << 1e7 << 0.5 << Arrangement::NoGaps << 1.0
        << "Расстановке «без пропусков» нужно громкоговорителей: не менее 599999999400000, а план вмещает "
           "не более 100000; план не построен";
    QTest::newRow("grid without a zone")
        << 30.0 << 12.0 << 0.0 << Arrangement::EdgeToEdge << 1.0
        << "Для расстановки «край к краю» нужен радиус зоны больше нуля; план не построен";
    QTest::newRow("no room") << 0.0 << 12.0 << 3.0 << Arrangement::Rows << 13.0
                             << "Для плана нужны длина и ширина помещения больше нуля";
}

// What keeps a plan from showing its arrangement whole is said with the
// number the arrangement needs.
void TestPlanExport::limitNotes()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, count);
    QFETCH(QString, note);
    PlanFigures figures = ceilingExample(russianPoint());
    figures.roomL = length;
    figures.roomW = width;
    figures.radius = radius;
    QCOMPARE(buildScene(figures, arrangement, count).limitNote(), note);
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
    QVERIFY(svgBytes.contains(QStringLiteral("30\u00A0м").toUtf8()));

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

// A room written from a project says whose plan it is under the title;
// without a caption every file is as the plan window writes it.
void TestPlanExport::captionGoesUnderTheTitle()
{
    const PlanScene rows = buildScene(ceilingExample(russianPoint()), Arrangement::Rows, 13);
    const QString caption
        = QStringLiteral("Объект «Школа». Помещение № 7 «Кабинет 12», этаж 2. Дата: 09.12.2026");

    // The PNG: the plain drawing under a band that holds the two lines.
    const QImage plain = planImage(rows);
    const QImage titled = planImage(rows, caption);
    QCOMPARE(titled.width(), plain.width());
    const int band = titled.height() - plain.height();
    QVERIFY2(band > 40 && band < 200, qPrintable(QString::number(band)));
    QCOMPARE(titled.copy(0, band, plain.width(), plain.height()), plain);
    int inked = 0;
    for (int y = 0; y < band; ++y)
        for (int x = 0; x < titled.width(); ++x)
            inked += qGray(titled.pixel(x, y)) < 128;
    QVERIFY(inked > 500);
    const QString pngPath = m_dir.filePath(QStringLiteral("titled.png"));
    QVERIFY(writePng(pngPath, rows, caption).ok);
    QCOMPARE(QImage(pngPath).size(), titled.size());

    // The SVG: the caption as a text, taller by the same band.
    const QString svgPath = m_dir.filePath(QStringLiteral("titled.svg"));
    QVERIFY(writeSvg(svgPath, rows, caption).ok);
    const QByteArray svg = contents(svgPath);
    QVERIFY2(svg.contains(">" + caption.toUtf8() + "</text>"), svg.constData());
    QVERIFY(svg.contains(QStringLiteral(">План размещения громкоговорителей</text>").toUtf8()));
    QVERIFY(svg.contains(
        QStringLiteral("viewBox=\"0 0 %1 %2\"").arg(titled.width()).arg(titled.height()).toUtf8()));
    QVERIFY(writeSvg(svgPath, rows).ok);
    QVERIFY(!contents(svgPath).contains(QStringLiteral("Объект").toUtf8()));

    // The PDF: the caption right under the title.
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString pdfPath = m_dir.filePath(QStringLiteral("titled.pdf"));
    QVERIFY(writePdf(pdfPath, rows, caption).ok);
    const QString text = pdfText(pdfPath).simplified();
    QVERIFY2(text.startsWith(QStringLiteral("План размещения громкоговорителей ") + caption + u' '),
             qPrintable(text.left(200)));
    QVERIFY(writePlan(pdfPath, rows).ok);
    const QString plainText = pdfText(pdfPath).simplified();
    QVERIFY2(plainText.startsWith(QStringLiteral("План размещения громкоговорителей Громкоговоритель ")),
             qPrintable(plainText.left(200)));
}

void TestPlanExport::formats_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<PlanFormat>("format");

    QTest::newRow("pdf") << "/tmp/план.pdf" << PlanFormat::Pdf;
    QTest::newRow("upper case") << "/tmp/PLAN.PDF" << PlanFormat::Pdf;
    QTest::newRow("svg") << "план.svg" << PlanFormat::Svg;
    QTest::newRow("png") << "a.b.png" << PlanFormat::Png;
    QTest::newRow("dxf") << "/tmp/план.DXF" << PlanFormat::Dxf;
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
    const QPageLayout layout = exportfile::planPageLayout(device);
    QCOMPARE(layout.margins(QPageLayout::Millimeter), margins);
    QCOMPARE(layout.orientation(), QPageLayout::Landscape);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath(QStringLiteral("printed.pdf")));
    QVERIFY(printer.setPageLayout(exportfile::planPageLayout(device)));
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

void TestPlanExport::denseDrawingShowsBothTints_data()
{
    QTest::addColumn<double>("radius");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("count");
    QTest::addColumn<QSize>("size"); // empty: the exported image

    // All in a hall of 200 x 100 m.
    const QSize window(760, 640);
    QTest::newRow("20000 in rows, r 0.4") << 0.4 << Arrangement::Rows << 20000.0 << window;
    QTest::newRow("20000 in rows, r 0.4, exported") << 0.4 << Arrangement::Rows << 20000.0 << QSize();
    QTest::newRow("20000 in rows, r 0.5") << 0.5 << Arrangement::Rows << 20000.0 << window;
    QTest::newRow("100000 in rows, r 0.2") << 0.2 << Arrangement::Rows << 100000.0 << window;
    QTest::newRow("100000 in rows, r 0.2, exported") << 0.2 << Arrangement::Rows << 100000.0 << QSize();
    QTest::newRow("20000 in full overlap") << 1.0 << Arrangement::FullOverlap << 1.0 << window;
    QTest::newRow("5000 small zones in rows") << 0.7 << Arrangement::Rows << 5000.0 << window;
    QTest::newRow("2000 small zones in rows") << 1.0 << Arrangement::Rows << 2000.0 << window;
}

// However many loudspeakers, the floor's covered and uncovered tints show
// on at least a quarter of the floor they stand for.
void TestPlanExport::denseDrawingShowsBothTints()
{
    QFETCH(double, radius);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, count);
    QFETCH(QSize, size);
    const DrawnPlan plan = drawPlan(200, 100, radius, arrangement, count, size);
    const double covered = plan.scene.coverage.percent() / 100.0;
    const double coveredShown = shareOf(plan, CoveredFloor);
    const double uncoveredShown = shareOf(plan, UncoveredFloor);
    QVERIFY2(coveredShown >= 0.25 * covered,
             qPrintable(QStringLiteral("covered %1 of %2").arg(coveredShown).arg(covered)));
    QVERIFY2(uncoveredShown >= 0.25 * (1.0 - covered),
             qPrintable(QStringLiteral("uncovered %1 of %2").arg(uncoveredShown).arg(1.0 - covered)));
}

void TestPlanExport::denseDrawingThinsAndSaysSo_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("count");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("thinned");
    QTest::addColumn<QString>("note");

    QTest::newRow("100000 in 200 x 100 m")
        << 200.0 << 100.0 << 0.2 << Arrangement::Rows << 100000.0 << 96 << true
        << "Контуры зон не показаны, громкоговорители показаны выборочно: слишком плотно";
    QTest::newRow("100000 in 200 x 100 m, 300 dpi")
        << 200.0 << 100.0 << 0.2 << Arrangement::Rows << 100000.0 << 300 << true
        << "Контуры зон не показаны, громкоговорители показаны выборочно: слишком плотно";
    QTest::newRow("360 small zones in 30 x 12 m") << 30.0 << 12.0 << 0.2 << Arrangement::Rows << 360.0 << 96
                                                  << false << "Контуры зон не показаны: слишком мелко";
    QTest::newRow("5000 small zones in 200 x 100 m")
        << 200.0 << 100.0 << 0.7 << Arrangement::Rows << 5000.0 << 96 << false
        << "Контуры зон не показаны: слишком мелко";
    QTest::newRow("13 in 30 x 12 m") << 30.0 << 12.0 << 3.0 << Arrangement::Rows << 13.0 << 96 << false << "";
}

// Markers closer than a few pixels are thinned, none drawn nearer another
// than five screen pixels; what is left out is said under the drawing.
void TestPlanExport::denseDrawingThinsAndSaysSo()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, count);
    QFETCH(int, dpi);
    QFETCH(bool, thinned);
    QFETCH(QString, note);
    const QSize size = QSize(760, 640) * (dpi / 96.0);
    const DrawnPlan plan = drawPlan(length, width, radius, arrangement, count, size, dpi);
    const PlanMarkers markers = planMarkers(plan.scene, plan.frame);
    QCOMPARE(markers.thinned, thinned);
    QCOMPARE(markers.drawn.size() < plan.scene.layout.placements.size(), thinned);
    QCOMPARE(plan.frame.zonesLeftOut(), !note.isEmpty());
    if (thinned) {
        const double spacing = 5.0 * dpi / 96.0;
        for (std::size_t i = 0; i < markers.boxes.size(); ++i) {
            for (std::size_t j = i + 1; j < markers.boxes.size(); ++j) {
                const QPointF apart = markers.boxes[i].center() - markers.boxes[j].center();
                if (std::abs(apart.x()) < spacing && std::abs(apart.y()) < spacing)
                    QVERIFY(QLineF(QPointF(), apart).length() >= spacing);
            }
        }
    }
    // The note as the SVG writes it.
    QSvgGenerator generator;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setResolution(dpi);
    {
        QPainter painter(&generator);
        paintPlan(painter, QRectF(QPoint(0, 0), size), plan.scene);
    }
    const QString svg = QString::fromUtf8(buffer.data());
    if (note.isEmpty())
        QVERIFY(!svg.contains(QStringLiteral("Контуры")) && !svg.contains(QStringLiteral("выборочно")));
    else
        QVERIFY2(svg.contains(note), qPrintable(note));
}

void TestPlanExport::numbersNeverTouch_data()
{
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("radius");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("count");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<bool>("all"); // every loudspeaker numbered

    QTest::newRow("6 x 6 m, 5 in rows") << 6.0 << 6.0 << 1.49993 << Arrangement::Rows << 5.0 << 96 << true;
    QTest::newRow("30 x 12 m, 13 in rows") << 30.0 << 12.0 << 3.0 << Arrangement::Rows << 13.0 << 96 << true;
    QTest::newRow("30 x 12 m, full overlap at 1.5 m")
        << 30.0 << 12.0 << 1.5 << Arrangement::FullOverlap << 1.0 << 96 << false;
    QTest::newRow("30 x 12 m, full overlap at 1 m")
        << 30.0 << 12.0 << 1.0 << Arrangement::FullOverlap << 1.0 << 96 << false;
    QTest::newRow("30 x 12 m, full overlap at 1 m, 300 dpi")
        << 30.0 << 12.0 << 1.0 << Arrangement::FullOverlap << 1.0 << 300 << false;
    QTest::newRow("60 x 40 m, 400 in rows")
        << 60.0 << 40.0 << 1.0 << Arrangement::Rows << 400.0 << 96 << false;
    QTest::newRow("a long thin room") << 1000.0 << 0.5 << 1.0 << Arrangement::Rows << 3.0 << 96 << false;
}

// The numbers paintPlan draws lie inside the room and touch neither each
// other nor any marker; where there is room, every loudspeaker has one.
void TestPlanExport::numbersNeverTouch()
{
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, radius);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, count);
    QFETCH(int, dpi);
    QFETCH(bool, all);
    const DrawnPlan plan
        = drawPlan(length, width, radius, arrangement, count, QSize(760, 640) * (dpi / 96.0), dpi);
    const PlanMarkers markers = planMarkers(plan.scene, plan.frame);
    const std::vector<PlacedNumber> numbers
        = planNumbers(plan.scene, plan.frame, markers, QFont(), plan.image);
    if (all)
        QCOMPARE(numbers.size(), plan.scene.layout.placements.size());
    const QRectF inside = plan.frame.room.adjusted(-1, -1, 1, 1);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const QRectF &box = numbers[i].box;
        QVERIFY(inside.contains(box));
        for (std::size_t j = i + 1; j < numbers.size(); ++j)
            QVERIFY2(
                !box.intersects(numbers[j].box),
                qPrintable(QStringLiteral("%1 and %2").arg(numbers[i].index + 1).arg(numbers[j].index + 1)));
        for (const QRectF &marker : markers.boxes)
            QVERIFY2(!box.intersects(marker), qPrintable(QString::number(numbers[i].index + 1)));
    }
}

// A number goes above its marker, below it where above leaves the room or
// comes too near another, and nowhere where neither fits.
void TestPlanExport::numbersGoAboveBelowOrNowhere()
{
    const QSizeF text(20, 10);
    const QRectF inside(0, 0, 200, 100);
    const std::vector<NumberSpot> spots{
        {QRectF(50, 50, 8, 8), text, false},  // 0: above
        {QRectF(100, 2, 8, 8), text, false},  // 1: at the top wall: below
        {QRectF(50, 70, 8, 8), text, false},  // 2: above would come near 0's marker: below
        {QRectF(150, 40, 8, 8), text, true},  // 3: on the far wall: below first
        {QRectF(150, 63, 8, 8), text, false}, // 4: 3's number above, 6's marker below: nowhere
        {QRectF(10, 92, 8, 8), text, false},  // 5: at the bottom wall: above
        {QRectF(150, 80, 8, 8), text, false}, // 6: 4's marker above: below
    };
    const std::vector<PlacedNumber> chosen = chooseNumbers(spots, inside, 1.0, 3.0);
    QList<QRectF> boxes(spots.size());
    for (const PlacedNumber &number : chosen)
        boxes[qsizetype(number.index)] = number.box;
    QCOMPARE(
        boxes,
        QList<QRectF>({QRectF(44, 39, 20, 10), QRectF(94, 11, 20, 10), QRectF(44, 79, 20, 10),
                       QRectF(144, 49, 20, 10), QRectF(), QRectF(4, 81, 20, 10), QRectF(144, 89, 20, 10)}));
}

namespace {

// The worked example's six in rows, in the view; the level view with its
// map when computed is true.
PlanScene workedScene(QChar point, PlanView view, bool computed, double dirDeg = 90)
{
    PlanFigures figures = planexamples::workedLevel(point);
    figures.dirDeg = dirDeg;
    figures.roomHeight = 3.0;
    figures.noise = 60.0;
    PlanScene scene = buildScene(figures, Arrangement::Rows, 6);
    scene.view = view;
    if (computed)
        completeLevel(scene);
    return scene;
}

// How many pixels of the image have exactly this colour.
qint64 pixelsOf(const QImage &image, const QColor &colour)
{
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour.rgb();
    }
    return count;
}

} // namespace

void TestPlanExport::summaryFollowsTheView_data()
{
    QTest::addColumn<PlanView>("view");
    QTest::addColumn<bool>("computed");
    QTest::addColumn<double>("dirDeg");
    QTest::addColumn<QString>("summary"); // its beginning

    QTest::newRow("zones") << PlanView::Zones << false << 90.0
                           << "Громкоговорителей на плане: 6 (по расчёту: 6). Озвучено: ";
    QTest::newRow("zones, the map computed")
        << PlanView::Zones << true << 90.0 << "Громкоговорителей на плане: 6 (по расчёту: 6). Озвучено: ";
    QTest::newRow("level, being computed") << PlanView::Level << false << 90.0 << "Расчет уровня звука…";
    QTest::newRow("level") << PlanView::Level << true << 90.0 << "Уровень звука: от ";
    QTest::newRow("level without a directivity")
        << PlanView::Level << true << 0.0 << "Уровень звука: нет данных";
    QTest::newRow("sti, being computed") << PlanView::Sti << false << 90.0 << "Расчет разборчивости…";
    QTest::newRow("sti") << PlanView::Sti << true << 90.0 << "Разборчивость STI: от ";
    QTest::newRow("sti without a directivity")
        << PlanView::Sti << true << 0.0 << "Разборчивость STI: нет данных";
}

// The summary line says what the view shows: the coverage, the level, that
// the level is being computed, or that there is none to show.
void TestPlanExport::summaryFollowsTheView()
{
    QFETCH(PlanView, view);
    QFETCH(bool, computed);
    QFETCH(double, dirDeg);
    QFETCH(QString, summary);
    const PlanScene scene = workedScene(russianPoint(), view, computed, dirDeg);
    QVERIFY2(scene.summary().startsWith(summary), qPrintable(scene.summary()));
    QCOMPARE(scene.levelPending(), view != PlanView::Zones && !computed);
    if (summary == QStringLiteral("Уровень звука: от "))
        QCOMPARE(scene.summary(), levelSummaryText(scene.level->summary, 75, russianPoint()));
    if (summary == QStringLiteral("Разборчивость STI: от "))
        QCOMPARE(scene.summary(), stiSummaryText(scene.sti->summary, russianPoint()));
}

void TestPlanExport::levelViewFiles_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QChar>("point");

    QTest::newRow("SVG, comma") << "svg" << russianPoint();
    QTest::newRow("SVG, point") << "svg" << cPoint();
    QTest::newRow("PNG") << "png" << russianPoint();
    QTest::newRow("PDF, comma") << "pdf" << russianPoint();
    QTest::newRow("PDF, point") << "pdf" << cPoint();
}

// Each file shows the view it is asked for: the level view its legend in dB
// and the contour lines' captions, the colours of the level and its summary;
// the zones view none of them.
void TestPlanExport::levelViewFiles()
{
    QFETCH(QString, suffix);
    QFETCH(QChar, point);
    const PlanFigures figures = planexamples::workedLevel(point);
    const QString levelPath = m_dir.filePath(QStringLiteral("уровень.") + suffix);
    const QString zonesPath = m_dir.filePath(QStringLiteral("зоны.") + suffix);
    const WriteResult level = exportPlan(levelPath, figures, Arrangement::Rows, 6, PlanView::Level);
    QVERIFY2(level.ok, qPrintable(level.error));
    QVERIFY(exportPlan(zonesPath, figures, Arrangement::Rows, 6, PlanView::Zones).ok);
    const PlanScene scene = workedScene(point, PlanView::Level, true);
    const QString summary = scene.summary();
    const std::vector<LegendStep> steps = legendSteps(scene.level->scale);
    QVERIFY(steps.size() >= 2);

    if (suffix == QLatin1String("svg")) {
        const QString svg = QString::fromUtf8(contents(levelPath));
        for (const QString &expected :
             {QStringLiteral("Уровень, дБ"), QStringLiteral("требуемый 75\u00A0дБ"),
              QStringLiteral("предельный 120\u00A0дБ"),
              bandCaption(steps.front().from, steps.front().to, point),
              bandCaption(steps.back().from, steps.back().to, point), summary.toHtmlEscaped()})
            QVERIFY2(svg.contains(expected), qPrintable(expected));
        QVERIFY(!svg.contains(QStringLiteral("Не озвучено")));
        const QString zones = QString::fromUtf8(contents(zonesPath));
        QVERIFY(!zones.contains(QStringLiteral("Уровень")));
        QVERIFY(!zones.contains(QStringLiteral("требуемый")));
    } else if (suffix == QLatin1String("png")) {
        const QImage levelImage(levelPath);
        const QImage zonesImage(zonesPath);
        QVERIFY(!levelImage.isNull() && !zonesImage.isNull());
        QVERIFY(levelImage != zonesImage);
        // The loudest and the quietest band both show, on the floor and in
        // the legend; the zones view has neither colour.
        for (const LegendStep &step : {steps.front(), steps.back()}) {
            QVERIFY2(pixelsOf(levelImage, step.colour) > 100, qPrintable(step.colour.name()));
            QCOMPARE(pixelsOf(zonesImage, step.colour), qint64(0));
        }
    } else {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString text = pdfText(levelPath).simplified();
        QVERIFY2(text.contains(summary), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("Уровень, дБ")));
        const QString zones = pdfText(zonesPath).simplified();
        QVERIFY2(zones.contains(QStringLiteral("Громкоговорителей на плане: 6")), qPrintable(zones));
        QVERIFY(!zones.contains(QStringLiteral("Уровень")));
    }
}

// Every band of 0.05 from 0 to 1 has its own colour, its hue rising from
// red to green.
void TestPlanExport::stiColours()
{
    QCOMPARE(stiColour(0.0).hue(), 0);
    QVERIFY(stiColour(0.95).hue() >= 120 && stiColour(0.95).hue() <= 135);
    for (int band = 1; band < 20; ++band) {
        const QColor below = stiColour((band - 1) * StiBandWidth);
        const QColor colour = stiColour(band * StiBandWidth);
        QVERIFY(colour.rgb() != below.rgb());
        QVERIFY(colour.hue() >= below.hue());
    }
}

void TestPlanExport::stiViewFiles_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("SVG") << "svg";
    QTest::newRow("PNG") << "png";
    QTest::newRow("PDF") << "pdf";
}

// The intelligibility view's files: its legend and contour caption, its
// lowest and highest bands' colours and its summary.
void TestPlanExport::stiViewFiles()
{
    QFETCH(QString, suffix);
    const QChar point = russianPoint();
    PlanScene scene = workedScene(point, PlanView::Sti, true);
    QVERIFY(scene.sti && scene.sti->computed);
    const QString path = m_dir.filePath(QStringLiteral("разборчивость.") + suffix);
    const WriteResult written = writePlan(path, scene);
    QVERIFY2(written.ok, qPrintable(written.error));
    const LevelScale &scale = scene.sti->scale;
    QVERIFY(scale.bands >= 2);
    if (suffix == QLatin1String("svg")) {
        const QString svg = QString::fromUtf8(contents(path));
        for (const QString &expected :
             {QStringLiteral("STI 0,50"), stiBandCaption(scale.bandFrom(0), scale.bandFrom(1), point),
              scene.summary().toHtmlEscaped()})
            QVERIFY2(svg.contains(expected), qPrintable(expected));
        QVERIFY(!svg.contains(QStringLiteral("Уровень, дБ")));
        QVERIFY(!svg.contains(QStringLiteral("Не озвучено")));
    } else if (suffix == QLatin1String("png")) {
        const QImage image(path);
        QVERIFY(!image.isNull());
        for (const int band : {0, scale.bands - 1}) {
            const QColor colour = stiColour(scale.bandFrom(band));
            QVERIFY2(pixelsOf(image, colour) > 100, qPrintable(colour.name()));
        }
    } else {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString text = pdfText(path).simplified();
        QVERIFY2(text.contains(scene.summary()), qPrintable(text));
    }
}

// A file of a level view whose map is still being computed waits for the
// map: the legend and the summary of the map, never "Расчет уровня звука…".
void TestPlanExport::fileOfAWaitingLevelViewHasTheMap()
{
    const PlanScene waiting = workedScene(cPoint(), PlanView::Level, false);
    QVERIFY(waiting.levelPending());
    const QString path = m_dir.filePath(QStringLiteral("plan.svg"));
    QVERIFY(writePlan(path, waiting).ok);
    const QString svg = QString::fromUtf8(contents(path));
    QVERIFY(!svg.contains(text::LevelComputing));
    QVERIFY(svg.contains(workedScene(cPoint(), PlanView::Level, true).summary()));
    QVERIFY(svg.contains(QStringLiteral("Уровень, дБ")));
    QVERIFY(planImage(waiting) == planImage(workedScene(cPoint(), PlanView::Level, true)));
}

void TestPlanExport::exportWritesByTheSuffix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<PlanView>("view");
    QTest::addColumn<QByteArray>("head"); // empty: refused

    QTest::newRow("DXF") << "чертеж.dxf" << PlanView::Zones << QByteArray("999\ndxflib");
    QTest::newRow("DXF of the level view") << "чертеж.DXF" << PlanView::Level << QByteArray("999\ndxflib");
    QTest::newRow("SVG") << "план.svg" << PlanView::Level << QByteArray("<?xml");
    QTest::newRow("PNG") << "план.png" << PlanView::Level << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow("PDF") << "план.pdf" << PlanView::Zones << QByteArray("%PDF-");
    QTest::newRow("PDF in capitals") << "ПЛАН.PDF" << PlanView::Level << QByteArray("%PDF-");
    QTest::newRow("JPG") << "план.jpg" << PlanView::Level << QByteArray();
    QTest::newRow("no suffix") << "план" << PlanView::Zones << QByteArray();
}

// The plain export writes the format the suffix names, and refuses any
// other without writing a file; the DXF holds the room and the six
// loudspeakers at their positions in millimetres.
void TestPlanExport::exportWritesByTheSuffix()
{
    QFETCH(QString, name);
    QFETCH(PlanView, view);
    QFETCH(QByteArray, head);
    const QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const WriteResult result
        = exportPlan(path, planexamples::workedLevel(cPoint()), Arrangement::Rows, 6, view);
    if (head.isEmpty()) {
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(QDir::toNativeSeparators(path)), qPrintable(result.error));
        QVERIFY(filesIn(dir.path()).isEmpty());
        return;
    }
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(filesIn(dir.path()), QStringList{name});
    const QByteArray bytes = contents(path);
    QVERIFY2(bytes.startsWith(head), bytes.left(40).constData());
    if (formatOfPath(path) != PlanFormat::Dxf)
        return;
    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(bytes);
    QCOMPARE(drawing.on(QStringLiteral("ПОМЕЩЕНИЕ"), "LWPOLYLINE").size(), std::size_t(1));
    const std::vector<dxfdrawing::Record> circles = drawing.on(QStringLiteral("ГРОМКОГОВОРИТЕЛИ"), "CIRCLE");
    QCOMPARE(circles.size(), std::size_t(6));
    const QList<QPointF> worked{{2, 2}, {6, 2}, {10, 2}, {2, 6}, {6, 6}, {10, 6}};
    for (std::size_t i = 0; i < circles.size(); ++i) {
        QCOMPARE(circles[i].number(10), worked[qsizetype(i)].x() * 1000.0);
        QCOMPARE(circles[i].number(20), worked[qsizetype(i)].y() * 1000.0);
    }
}

void TestPlanExport::denseLevelDrawing_data()
{
    QTest::addColumn<double>("count");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("note");

    QTest::newRow("2000 in 200 x 100 m, small")
        << 2000.0 << QSize(420, 200) << "Громкоговорители показаны выборочно: слишком плотно";
    QTest::newRow("2000 in 200 x 100 m, large") << 2000.0 << QSize(1600, 900) << "";
    QTest::newRow("50 in 200 x 100 m, small") << 50.0 << QSize(300, 220) << "";
}

// The level view keeps the dense plan's rules for the markers, says so when
// it thins them, and never speaks of the zones it does not draw; its legend
// lies right of the room, inside the drawing.
void TestPlanExport::denseLevelDrawing()
{
    QFETCH(double, count);
    QFETCH(QSize, size);
    QFETCH(QString, note);
    PlanFigures figures = planexamples::ceiling(200, 100, 0.7, count, 1.5, russianPoint());
    figures.dirDeg = 90;
    figures.dropH = 0.7;
    PlanScene scene = buildScene(figures, Arrangement::Rows, count);
    scene.view = PlanView::Level;
    completeLevel(scene);
    QVERIFY(scene.level && scene.level->computed);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(qRound(96 / 0.0254));
    image.setDotsPerMeterY(qRound(96 / 0.0254));
    const PlanFrame frame = planFrame(QRectF(image.rect()), scene, image);
    QCOMPARE(planMarkers(scene, frame).thinned, !note.isEmpty());
    QVERIFY(frame.legendWidth > 0.0);
    QVERIFY(frame.room.right() + frame.legendWidth <= size.width());

    QSvgGenerator generator;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setResolution(96);
    {
        QPainter painter(&generator);
        paintPlan(painter, QRectF(QPoint(0, 0), size), scene);
    }
    const QString svg = QString::fromUtf8(buffer.data());
    QVERIFY(!svg.contains(QStringLiteral("Контуры зон")));
    QVERIFY(svg.contains(QStringLiteral("Уровень, дБ")));
    if (note.isEmpty())
        QVERIFY(!svg.contains(QStringLiteral("выборочно")));
    else
        QVERIFY2(svg.contains(note), qPrintable(note));
}

QTEST_MAIN(TestPlanExport)
#include "tst_plan_export.moc"
