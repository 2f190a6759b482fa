// The plan window driven as a user drives it: the state before any
// calculation, the arrangements and the count box, a new calculation, the
// view of the zones or of the level, the three commands through replaced
// dialogs, and what a screen reader reads.
#include "calc/calcstate.h"
#include "calc/numberformat.h"
#include "dxfdrawing.h"
#include "plan/levelmap.h"
#include "plan/plandrawing.h"
#include "plan/plantexts.h"
#include "plan/planwindow.h"
#include "planexamples.h"
#include "widgets/messenger.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <ctime>
#include <utility>

using namespace plan;

namespace {

// Records every message; never opens a box. A confirmation is answered
// from confirmAnswers (no when it is empty).
class RecordingMessenger : public Messenger {
public:
    void inform(const QString &text, const QString &) override { informed << text; }
    Answer ask(const QString &text, const QString &) override
    {
        asked << text;
        return Answer::Cancel;
    }
    Answer askYesNo(const QString &text, const QString &, Answer) override
    {
        confirmed << text;
        return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst() ? Answer::Yes : Answer::No;
    }

    QStringList informed;
    QStringList asked;
    QStringList confirmed;
    QList<bool> confirmAnswers;
};

// The window with its dialogs answered by the test.
class ScriptedWindow : public PlanWindow {
public:
    using PlanWindow::PlanWindow;

    QString answerPath;   // what the file dialog returns once; then it is cancelled
    QString answerFilter; // the filter chosen in it, when set
    QStringList offeredFilters;
    QString suggested;
    int dialogsShown = 0;
    QString printTo; // a PDF file the printer writes into; empty: cancel
    int printerAsked = 0;
    QMarginsF marginsAsked; // the page margins, mm, the print dialog opened with

protected:
    QString askSavePath(const QString &, const QString &suggestion, const QStringList &filters,
                        QString *chosenFilter) override
    {
        ++dialogsShown;
        offeredFilters = filters;
        suggested = suggestion;
        if (!answerFilter.isEmpty())
            *chosenFilter = answerFilter;
        return std::exchange(answerPath, QString());
    }

    bool askPrinter(QPrinter &printer) override
    {
        ++printerAsked;
        marginsAsked = printer.pageLayout().margins(QPageLayout::Millimeter);
        if (printTo.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printTo);
        return true;
    }
};

PlanFigures ceilingExample()
{
    return planexamples::ceiling6x6(QLocale(QLocale::Russian).decimalPoint().front());
}

PlanFigures wallExample()
{
    PlanFigures f = ceilingExample();
    f.mounting = calc::Mounting::Wall;
    f.mountingWord = QStringLiteral("Настенный");
    f.range = 5;
    f.dirRad = calc::degreesToRadians(120);
    f.count = 2;
    return f;
}

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

QByteArray head(const QString &path, int size)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(size) : QByteArray();
}

QChar comma()
{
    return QLocale(QLocale::Russian).decimalPoint().front();
}

// The level summary of a layout as the map computed here gives it.
QString expectedLevelSummary(const PlanFigures &figures, const std::vector<Placement> &placements)
{
    const std::optional<LevelMap> map = levelMap(levelInputs(figures, placements));
    if (!map)
        return QStringLiteral("no map");
    return levelSummaryText(summarize(*map, figures.requiredLevel), figures.requiredLevel,
                            figures.decimalPoint);
}

// The text of a PDF through pdftotext, on one line.
QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

} // namespace

class TestPlanWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void beforeAnyCalculation();
    void showsTheCalculation();
    void gridsDecideTheCount_data();
    void gridsDecideTheCount();
    void countChangeLaysOutAgain();
    void followsEachNewCalculation();
    void drawingTintsTheUncoveredFloor();
    void unwritablePathGetsAMessageNamingTheFile_data();
    void unwritablePathGetsAMessageNamingTheFile();
    void savesUnderTheFilterSuffix_data();
    void savesUnderTheFilterSuffix();
    void asksBeforeReplacingTheFileWritten_data();
    void asksBeforeReplacingTheFileWritten();
    void savesInTheChosenFormat();
    void cancelledDialogsWriteNothing();
    void printsThroughThePrinter();
    void screenReaderNames();
    void tabLeavesTheCoordinateTable();
    void limitsAreSaid_data();
    void limitsAreSaid();
    void copiesTheSelectedCells_data();
    void copiesTheSelectedCells();

    void viewChoice();
    void levelOfTheWorkedExample_data();
    void levelOfTheWorkedExample();
    void drawingShowsTheLevelInColour();
    void intelligibilityView();
    void intelligibilityOfTheWorkedExample();
    void newestRequestWins_data();
    void newestRequestWins();
    void zonesViewCancelsTheMap();
    void largeMapLeavesTheWindowFree();
    void closingStopsTheMap();
    void filesWhileTheMapIsComputed_data();
    void filesWhileTheMapIsComputed();
    void printsTheLevelView();
    void savesTheDxfDrawing();

private:
    RecordingMessenger *m_messages = nullptr;
    ScriptedWindow *m_window = nullptr;
    QTemporaryDir *m_dir = nullptr;
};

void TestPlanWindow::init()
{
    m_messages = new RecordingMessenger;
    m_window = new ScriptedWindow(m_messages);
    m_dir = new QTemporaryDir;
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestPlanWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_messages;
    delete m_dir;
}

void TestPlanWindow::beforeAnyCalculation()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("План размещения громкоговорителей"));
    QVERIFY(!m_window->isModal());
    QVERIFY(m_window->notCalculatedLabel()->isVisible());
    QCOMPARE(m_window->notCalculatedLabel()->text(), QStringLiteral("Вначале произведите расчет"));
    // Nothing else shows.
    QVERIFY(!m_window->drawing()->isVisible());
    QVERIFY(!m_window->arrangementBox()->isVisible());
    QVERIFY(!m_window->saveButton()->isVisible());
    QVERIFY(!m_window->scene());
    // The commands do nothing without a plan.
    m_window->answerPath = m_dir->filePath(QStringLiteral("plan.pdf"));
    m_window->savePlan();
    m_window->saveCoordinates();
    m_window->printPlan();
    QCOMPARE(m_window->dialogsShown, 0);
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QCOMPARE(m_window->printerAsked, 0);
    QVERIFY(m_messages->informed.isEmpty());
}

void TestPlanWindow::showsTheCalculation()
{
    m_window->showCalculation(ceilingExample());
    QVERIFY(!m_window->notCalculatedLabel()->isVisible());
    QVERIFY(m_window->drawing()->isVisible());
    QCOMPARE(items(m_window->arrangementBox()),
             QStringList({"рядами", "без пропусков", "край к краю", "с полным перекрытием"}));
    QCOMPARE(m_window->arrangementBox()->currentText(), QStringLiteral("рядами"));
    QCOMPARE(m_window->countBox()->value(), 5);
    QVERIFY(!m_window->countBox()->isReadOnly());

    const QAbstractItemModel *model = m_window->coordinateTable()->model();
    QCOMPARE(model->rowCount(), 5);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("№"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("X, м"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Y, м"));
    // The fourth of the worked example's five: (1,5; 4,5).
    QCOMPARE(model->index(3, 0).data().toString(), QStringLiteral("4"));
    QCOMPARE(model->index(3, 1).data().toString(), QStringLiteral("1,50"));
    QCOMPARE(model->index(3, 2).data().toString(), QStringLiteral("4,50"));
    QCOMPARE(m_window->summaryLabel()->text(),
             QStringLiteral(
                 "Громкоговорителей на плане: 5 (по расчёту: 5). Озвучено: 85,3\u00A0% площади помещения"));
}

void TestPlanWindow::gridsDecideTheCount_data()
{
    QTest::addColumn<QString>("arrangement");
    QTest::addColumn<int>("count");

    QTest::newRow("without gaps") << "без пропусков" << 9;
    QTest::newRow("edge to edge") << "край к краю" << 9;
    QTest::newRow("full overlap") << "с полным перекрытием" << 25;
}

void TestPlanWindow::gridsDecideTheCount()
{
    QFETCH(QString, arrangement);
    QFETCH(int, count);
    m_window->showCalculation(ceilingExample());
    QComboBox *box = m_window->arrangementBox();
    box->setCurrentIndex(box->findText(arrangement));
    QVERIFY(m_window->countBox()->isReadOnly());
    QCOMPARE(m_window->countBox()->value(), count);
    QCOMPARE(m_window->coordinateTable()->model()->rowCount(), count);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(count));
    // Typing into the read-only box changes nothing.
    m_window->countBox()->setFocus();
    QTest::keyClick(m_window->countBox(), Qt::Key_Up);
    QCOMPARE(m_window->countBox()->value(), count);
    // Back to rows: the box is editable and holds the count again.
    box->setCurrentIndex(box->findText(QStringLiteral("рядами")));
    QVERIFY(!m_window->countBox()->isReadOnly());
    QCOMPARE(m_window->countBox()->value(), 5);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(5));
}

void TestPlanWindow::countChangeLaysOutAgain()
{
    m_window->showCalculation(ceilingExample());
    QSpinBox *count = m_window->countBox();
    count->selectAll();
    QTest::keyClicks(count, QStringLiteral("9"));
    QCOMPARE(count->value(), 9);
    // Nine in three rows of three cover 6 x 6 m without a gap.
    QCOMPARE(m_window->coordinateTable()->model()->rowCount(), 9);
    QCOMPARE(m_window->drawing()->scene()->loudspeakers(), qsizetype(9));
    QVERIFY(m_window->summaryLabel()->text().startsWith(
        QStringLiteral("Громкоговорителей на плане: 9 (по расчёту: 5)")));
    QVERIFY(m_window->summaryLabel()->text().endsWith(
        QStringLiteral("Озвучено: 100,0\u00A0% площади помещения")));
    QTest::keyClick(count, Qt::Key_Down);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(8));
    // A grid and back keeps the count the user chose.
    QComboBox *box = m_window->arrangementBox();
    box->setCurrentIndex(1);
    box->setCurrentIndex(0);
    QCOMPARE(count->value(), 8);
}

void TestPlanWindow::followsEachNewCalculation()
{
    m_window->showCalculation(ceilingExample());
    m_window->arrangementBox()->setCurrentIndex(2);
    m_window->showCalculation(wallExample());
    QCOMPARE(items(m_window->arrangementBox()), QStringList({"на одной стене", "на двух стенах"}));
    QCOMPARE(m_window->countBox()->value(), 2);
    QVERIFY(!m_window->countBox()->isReadOnly());
    QVERIFY(
        m_window->summaryLabel()->text().endsWith(QStringLiteral("Озвучено: 74,8\u00A0% площади помещения")));
    // The arrangement chosen stays where the new calculation offers it.
    m_window->arrangementBox()->setCurrentIndex(1);
    PlanFigures four = wallExample();
    four.count = 4;
    m_window->showCalculation(four);
    QCOMPARE(m_window->arrangementBox()->currentText(), QStringLiteral("на двух стенах"));
    QVERIFY(
        m_window->summaryLabel()->text().endsWith(QStringLiteral("Озвучено: 85,6\u00A0% площади помещения")));
    // And back to no calculation.
    m_window->showNoCalculation();
    QVERIFY(m_window->notCalculatedLabel()->isVisible());
    QVERIFY(!m_window->scene());
}

void TestPlanWindow::drawingTintsTheUncoveredFloor()
{
    m_window->showCalculation(ceilingExample());
    PlanDrawing *drawing = m_window->drawing();
    const QImage picture = drawing->grab().toImage();
    const PlanFrame frame = planFrame(QRectF(drawing->rect()), *drawing->scene(), *drawing);
    // The corner X = 0, Y = 0 (bottom left) lies beyond every disc; the
    // point under the first loudspeaker (1; 1,5) is covered.
    const QPoint corner = (frame.room.bottomLeft() + QPointF(5, -5)).toPoint();
    const QPoint first
        = (frame.room.bottomLeft() + QPointF(1.0 * frame.scale + 10, -1.5 * frame.scale)).toPoint();
    const qreal ratio = picture.devicePixelRatio();
    QCOMPARE(QColor(picture.pixel(corner * ratio)), UncoveredFloor);
    QCOMPARE(QColor(picture.pixel(first * ratio)), CoveredFloor);
    // The room fits the widget as it is resized, in its own proportions.
    const int wideWidth = drawing->width();
    m_window->resize(700, 900);
    QTRY_VERIFY(drawing->width() < wideWidth);
    const PlanFrame narrow = planFrame(QRectF(drawing->rect()), *drawing->scene(), *drawing);
    QVERIFY(QRectF(drawing->rect()).contains(narrow.room));
    QVERIFY(qAbs(narrow.room.width() - narrow.room.height()) < 1e-6);
    QVERIFY(narrow.room.width() > drawing->width() / 2.0);
}

void TestPlanWindow::unwritablePathGetsAMessageNamingTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("coordinates");

    QTest::newRow("PDF") << "plan.pdf"
                         << "Документ PDF (*.pdf)" << false;
    QTest::newRow("SVG") << "plan.svg"
                         << "Рисунок SVG (*.svg)" << false;
    QTest::newRow("PNG") << "plan.png"
                         << "Рисунок PNG (*.png)" << false;
    QTest::newRow("CSV") << "plan.csv"
                         << "Текст CSV (*.csv)" << true;
}

void TestPlanWindow::unwritablePathGetsAMessageNamingTheFile()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(bool, coordinates);
    m_window->showCalculation(ceilingExample());
    QPushButton *button = coordinates ? m_window->csvButton() : m_window->saveButton();
    const QString path = m_dir->filePath(QStringLiteral("нет папки/") + name);
    m_window->answerPath = path;
    m_window->answerFilter = filter;
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_messages->informed.size(), 1);
    QVERIFY2(m_messages->informed.front().contains(QDir::toNativeSeparators(path) + u':'),
             qPrintable(m_messages->informed.front()));
    QVERIFY(!QFile::exists(path));
    // The folder that could not be written to is not offered next time.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(QFileInfo(m_window->suggested).absolutePath(), QDir::currentPath());
}

void TestPlanWindow::savesUnderTheFilterSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("coordinates");
    QTest::addColumn<QString>("written");

    const QString pdf = QStringLiteral("Документ PDF (*.pdf)");
    const QString png = QStringLiteral("Рисунок PNG (*.png)");
    const QString csv = QStringLiteral("Текст CSV (*.csv)");
    QTest::newRow("PDF, no suffix") << "план этажа 1" << pdf << false << "план этажа 1.pdf";
    QTest::newRow("PDF, suffix in capitals") << "план.PDF" << pdf << false << "план.PDF";
    QTest::newRow("PDF, another suffix") << "план.svg" << pdf << false << "план.svg.pdf";
    QTest::newRow("PNG, a dot in the name") << "план 1.2" << png << false << "план 1.2.png";
    QTest::newRow("CSV, a dot in the name") << "зал 1.2" << csv << true << "зал 1.2.csv";
    QTest::newRow("CSV, suffix typed") << "зал.csv" << csv << true << "зал.csv";
    QTest::newRow("DXF, no suffix") << "чертеж этажа" << QStringLiteral("Чертеж DXF (*.dxf)") << false
                                    << "чертеж этажа.dxf";
    QTest::newRow("DXF, another suffix")
        << "чертеж.pdf" << QStringLiteral("Чертеж DXF (*.dxf)") << false << "чертеж.pdf.dxf";
}

// The file written carries the chosen filter's suffix, and nothing else is
// written beside it.
void TestPlanWindow::savesUnderTheFilterSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(bool, coordinates);
    QFETCH(QString, written);
    m_window->showCalculation(ceilingExample());
    m_window->answerPath = m_dir->filePath(typed);
    m_window->answerFilter = filter;
    QTest::mouseClick(coordinates ? m_window->csvButton() : m_window->saveButton(), Qt::LeftButton);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{written});
    QVERIFY(!head(m_dir->filePath(written), 3).isEmpty());
    QVERIFY(m_messages->informed.isEmpty());
    QVERIFY(m_messages->confirmed.isEmpty());
}

void TestPlanWindow::asksBeforeReplacingTheFileWritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("coordinates");
    QTest::addColumn<QString>("existing");

    const QString pdf = QStringLiteral("Документ PDF (*.pdf)");
    const QString csv = QStringLiteral("Текст CSV (*.csv)");
    QTest::newRow("PDF, suffix typed") << "план этажа 1.pdf" << pdf << false << "план этажа 1.pdf";
    QTest::newRow("PDF, no suffix") << "план этажа 1" << pdf << false << "план этажа 1.pdf";
    QTest::newRow("SVG, no suffix") << "план"
                                    << "Рисунок SVG (*.svg)" << false << "план.svg";
    QTest::newRow("CSV, no suffix") << "зал 1" << csv << true << "зал 1.csv";
    QTest::newRow("DXF, no suffix") << "чертеж"
                                    << "Чертеж DXF (*.dxf)" << false << "чертеж.dxf";
    QTest::newRow("CSV, a dot in the name") << "зал 1.2" << csv << true << "зал 1.2.csv";
}

// Whatever was typed, the question names the file that would be replaced;
// "Нет" goes back to the dialog with that name and leaves the file as it
// was, "Да" replaces it.
void TestPlanWindow::asksBeforeReplacingTheFileWritten()
{
    QFETCH(QString, typed);
    QFETCH(QString, filter);
    QFETCH(bool, coordinates);
    QFETCH(QString, existing);
    m_window->showCalculation(ceilingExample());
    QPushButton *button = coordinates ? m_window->csvButton() : m_window->saveButton();
    const QString existingPath = m_dir->filePath(existing);
    {
        QFile old(existingPath);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QString question = QStringLiteral("Файл «%1» уже существует. Заменить его?").arg(existing);

    m_window->answerPath = m_dir->filePath(typed);
    m_window->answerFilter = filter;
    m_messages->confirmAnswers = {false};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_messages->confirmed, QStringList{question});
    QCOMPARE(m_window->dialogsShown, 2);
    QCOMPARE(m_window->suggested, existingPath);
    QCOMPARE(head(existingPath, 10), QByteArray("old"));

    m_window->answerPath = m_dir->filePath(typed);
    m_messages->confirmAnswers = {true};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_messages->confirmed, QStringList({question, question}));
    QVERIFY(head(existingPath, 10) != QByteArray("old"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{existing});
    QVERIFY(m_messages->informed.isEmpty());
}

void TestPlanWindow::savesInTheChosenFormat()
{
    m_window->showCalculation(ceilingExample());
    m_window->answerPath = m_dir->filePath(QStringLiteral("plan.pdf"));
    QTest::mouseClick(m_window->saveButton(), Qt::LeftButton);
    QCOMPARE(m_window->offeredFilters,
             QStringList({"Документ PDF (*.pdf)", "Рисунок SVG (*.svg)", "Рисунок PNG (*.png)",
                          "Чертеж DXF (*.dxf)"}));
    QCOMPARE(head(m_dir->filePath(QStringLiteral("plan.pdf")), 5), QByteArray("%PDF-"));

    // A name without suffix takes the chosen filter's.
    m_window->answerPath = m_dir->filePath(QStringLiteral("рисунок"));
    m_window->answerFilter = QStringLiteral("Рисунок PNG (*.png)");
    QTest::mouseClick(m_window->saveButton(), Qt::LeftButton);
    QCOMPARE(head(m_dir->filePath(QStringLiteral("рисунок.png")), 8), QByteArray("\x89PNG\r\n\x1a\n"));
    // The next dialog opens in the folder last written to.
    QCOMPARE(QFileInfo(m_window->suggested).absolutePath(), QFileInfo(m_dir->path()).absoluteFilePath());

    m_window->answerFilter.clear();
    m_window->answerPath = m_dir->filePath(QStringLiteral("координаты"));
    QTest::mouseClick(m_window->csvButton(), Qt::LeftButton);
    QCOMPARE(head(m_dir->filePath(QStringLiteral("координаты.csv")), 3), QByteArray("\xEF\xBB\xBF"));
    QVERIFY(m_messages->informed.isEmpty());
}

void TestPlanWindow::cancelledDialogsWriteNothing()
{
    m_window->showCalculation(ceilingExample());
    m_window->answerPath.clear();
    QTest::mouseClick(m_window->saveButton(), Qt::LeftButton);
    QTest::mouseClick(m_window->csvButton(), Qt::LeftButton);
    QTest::mouseClick(m_window->printButton(), Qt::LeftButton);
    QCOMPARE(m_window->printerAsked, 1);
    QVERIFY(QDir(m_dir->path()).isEmpty());
    QVERIFY(m_messages->informed.isEmpty());
}

void TestPlanWindow::printsThroughThePrinter()
{
    m_window->showCalculation(ceilingExample());
    m_window->printTo = m_dir->filePath(QStringLiteral("printed.pdf"));
    QTest::mouseClick(m_window->printButton(), Qt::LeftButton);
    QCOMPARE(m_window->printerAsked, 1);
    QCOMPARE(head(m_window->printTo, 5), QByteArray("%PDF-"));
    QVERIFY(m_messages->informed.isEmpty());
    // The page keeps the PDF's 12 mm from the paper's edges: the dialog
    // opens with them, and the title starts there on the printed page.
    QCOMPARE(m_window->marginsAsked, QMarginsF(12, 12, 12, 12));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                   QStringLiteral("1"), m_window->printTo, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(60000));
    const QString boxes = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>План</word>)re"));
    const QRegularExpressionMatch title = word.match(boxes);
    QVERIFY2(title.hasMatch(), qPrintable(boxes.left(600)));
    const double pointsPerMm = 72.0 / 25.4;
    QVERIFY2(title.captured(1).toDouble() >= 12.0 * pointsPerMm - 0.5, qPrintable(title.captured(0)));
    QVERIFY2(title.captured(2).toDouble() >= 12.0 * pointsPerMm - 0.5, qPrintable(title.captured(0)));
}

void TestPlanWindow::screenReaderNames()
{
    m_window->showCalculation(ceilingExample());
    QCOMPARE(m_window->arrangementBox()->accessibleName(), QStringLiteral("Расстановка"));
    QCOMPARE(m_window->countBox()->accessibleName(), QStringLiteral("Количество громкоговорителей"));
    QCOMPARE(m_window->coordinateTable()->accessibleName(), QStringLiteral("Координаты"));
    QCOMPARE(m_window->saveButton()->accessibleName(), QStringLiteral("Сохранить…"));
    QCOMPARE(m_window->csvButton()->accessibleName(), QStringLiteral("Координаты CSV…"));
    QCOMPARE(m_window->printButton()->accessibleName(), QStringLiteral("Печать…"));
    QCOMPARE(m_window->saveButton()->text(), QStringLiteral("Сохранить…"));
    // The summary: its value as its name.
    QLabel *summary = m_window->summaryLabel();
    QCOMPARE(summary->accessibleName(), summary->text());
    QVERIFY(!summary->accessibleDescription().isEmpty());
    // Every value label of the window: named by its value, described by its caption.
    const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
    int values = 0;
    for (const QLabel *label : labels) {
        if (label->accessibleDescription().isEmpty())
            continue;
        ++values;
        QCOMPARE(label->accessibleName(), label->text());
    }
    QVERIFY(values >= 3);
    // The drawing: a name, and the room with the summary as description.
    const PlanDrawing *drawing = m_window->drawing();
    QCOMPARE(drawing->accessibleName(), QStringLiteral("План помещения"));
    QVERIFY(drawing->accessibleDescription().contains(QStringLiteral("6 × 6\u00A0м")));
    // A unit never wraps away from its number: a no-break space between them.
    const auto roomLabel = std::find_if(labels.cbegin(), labels.cend(), [](const QLabel *label) {
        return label->accessibleDescription() == QStringLiteral("Помещение");
    });
    QVERIFY(roomLabel != labels.cend());
    QCOMPARE((*roomLabel)->text(), QStringLiteral("6 × 6\u00A0м, 36\u00A0м²"));
    QVERIFY(drawing->accessibleDescription().contains(summary->text()));
    // The count change reaches the screen reader's text too.
    m_window->countBox()->setValue(9);
    QCOMPARE(summary->accessibleName(), summary->text());
    QVERIFY(drawing->accessibleDescription().contains(QStringLiteral("на плане: 9")));
}

// Tab goes from the table to the three buttons in turn and Shift+Tab back to
// the summary before it; the arrows move inside the table.
void TestPlanWindow::tabLeavesTheCoordinateTable()
{
    m_window->showCalculation(ceilingExample());
    QTableView *table = m_window->coordinateTable();
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 0));
    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(table->currentIndex().row(), 1);
    QCOMPARE(QApplication::focusWidget(), table);
    for (QPushButton *button : {m_window->saveButton(), m_window->csvButton(), m_window->printButton()}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button);
    }
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(QApplication::focusWidget() != table);
    QCOMPARE(QApplication::focusWidget(), m_window->summaryLabel());
}

void TestPlanWindow::copiesTheSelectedCells_data()
{
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QList<QPoint>>("cells"); // (column, row); empty: Ctrl+A
    QTest::addColumn<QString>("copied");

    const QChar comma = QLocale(QLocale::Russian).decimalPoint().front();
    QTest::newRow("all, comma") << comma << QList<QPoint>{}
                                << "№\tX, м\tY, м\n1\t1,00\t1,50\n2\t3,00\t1,50\n3\t5,00\t1,50\n"
                                   "4\t1,50\t4,50\n5\t4,50\t4,50\n";
    QTest::newRow("all, point") << QChar(u'.') << QList<QPoint>{}
                                << "№\tX, м\tY, м\n1\t1.00\t1.50\n2\t3.00\t1.50\n3\t5.00\t1.50\n"
                                   "4\t1.50\t4.50\n5\t4.50\t4.50\n";
    QTest::newRow("two rows") << comma << QList<QPoint>{{0, 3}, {1, 3}, {2, 3}, {0, 1}, {1, 1}, {2, 1}}
                              << "№\tX, м\tY, м\n2\t3,00\t1,50\n4\t1,50\t4,50\n";
    QTest::newRow("two cells apart") << comma << QList<QPoint>{{1, 0}, {2, 2}}
                                     << "X, м\tY, м\n1,00\t\n\t1,50\n";
}

// Ctrl+C copies what is selected, as shown, with a header row, for a
// spreadsheet; Ctrl+A selects every cell first.
void TestPlanWindow::copiesTheSelectedCells()
{
    QFETCH(QChar, point);
    QFETCH(QList<QPoint>, cells);
    QFETCH(QString, copied);
    PlanFigures figures = ceilingExample();
    figures.decimalPoint = point;
    m_window->showCalculation(figures);
    QTableView *table = m_window->coordinateTable();
    table->setFocus();
    QGuiApplication::clipboard()->clear();
    if (cells.isEmpty()) {
        QTest::keyClick(table, Qt::Key_A, Qt::ControlModifier);
    } else {
        table->selectionModel()->clearSelection();
        for (const QPoint &cell : cells)
            table->selectionModel()->select(table->model()->index(cell.y(), cell.x()),
                                            QItemSelectionModel::Select);
    }
    QTest::keyClick(table, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

void TestPlanWindow::limitsAreSaid_data()
{
    QTest::addColumn<QString>("arrangement");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("calculated");
    QTest::addColumn<QString>("typed"); // into the count box; empty: nothing typed
    QTest::addColumn<int>("used");      // loudspeakers on the plan, and in the count box
    QTest::addColumn<QString>("status");

    QTest::newRow("rows above the limit")
        << "рядами" << 200.0 << 100.0 << 150000.0 << "" << 100000
        << "Нужно громкоговорителей: 150000, а план вмещает не более 100000; на плане 100000";
    QTest::newRow("without gaps above the limit")
        << "без пропусков" << 1000.0 << 1000.0 << 5.0 << "" << 0
        << "Расстановке «без пропусков» нужно громкоговорителей: 500374, а план вмещает не более 100000; "
           "план не построен";
    QTest::newRow("full overlap above the limit")
        << "с полным перекрытием" << 1000.0 << 1000.0 << 5.0 << "" << 0
        << "Расстановке «с полным перекрытием» нужно громкоговорителей: 1000000, а план вмещает не более "
           "100000; план не построен";
    QTest::newRow("typed above the limit")
        << "рядами" << 200.0 << 100.0 << 5.0 << "100001" << 100000
        << "Введено 100001, а план вмещает от 1 до 100000 громкоговорителей; на плане 100000";
    QTest::newRow("typed far above the limit")
        << "рядами" << 200.0 << 100.0 << 5.0 << "250000" << 100000
        << "Введено 250000, а план вмещает от 1 до 100000 громкоговорителей; на плане 100000";
    QTest::newRow("typed zero") << "рядами" << 200.0 << 100.0 << 5.0 << "0" << 1
                                << "Введено 0, а план вмещает от 1 до 100000 громкоговорителей; на плане 1";
}

// A limit of the plan or a corrected count is said in the status line, which
// a screen reader reads by its name; the count box shows what the plan
// uses; a count typed within the limits clears the line.
void TestPlanWindow::limitsAreSaid()
{
    QFETCH(QString, arrangement);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, calculated);
    QFETCH(QString, typed);
    QFETCH(int, used);
    QFETCH(QString, status);
    m_window->showCalculation(planexamples::ceiling(length, width, 1.0, calculated, 3, u','));
    QComboBox *box = m_window->arrangementBox();
    box->setCurrentIndex(box->findText(arrangement));
    QSpinBox *count = m_window->countBox();
    if (!typed.isEmpty()) {
        QVERIFY(m_window->statusLabel()->isHidden());
        count->setFocus();
        count->selectAll();
        QTest::keyClicks(count, typed);
    }
    QLabel *line = m_window->statusLabel();
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), status);
    QCOMPARE(line->accessibleName(), status);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(used));
    QCOMPARE(count->value(), used);
    QCOMPARE(count->text(), QString::number(used));
    QVERIFY(m_window->drawing()->accessibleDescription().contains(status) || !typed.isEmpty());
    if (!count->isReadOnly()) {
        count->selectAll();
        QTest::keyClicks(count, QStringLiteral("7"));
        QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(7));
        QVERIFY(line->isHidden());
        QCOMPARE(line->accessibleName(), QString());
    }
}

// "Показать" offers the zones (shown first) and the level, is named by its
// caption, and each view says what it shows in the summary and to a screen
// reader; the zones view comes back as it was.
void TestPlanWindow::viewChoice()
{
    m_window->showCalculation(planexamples::workedLevel(comma()));
    QComboBox *view = m_window->viewBox();
    QCOMPARE(items(view), QStringList({"зоны", "уровень звука", "разборчивость (STI)"}));
    QCOMPARE(view->currentText(), QStringLiteral("зоны"));
    QCOMPARE(view->accessibleName(), QStringLiteral("Показать"));
    const QString zones = m_window->summaryLabel()->text();
    QVERIFY(zones.startsWith(QStringLiteral("Громкоговорителей на плане: 6 (по расчёту: 6)")));

    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    view->setCurrentIndex(1);
    QCOMPARE(m_window->summaryLabel()->text(), QStringLiteral("Расчет уровня звука…"));
    QVERIFY(shown.wait(20000));
    const QString level = m_window->summaryLabel()->text();
    QVERIFY2(level.startsWith(QStringLiteral("Уровень звука: от ")), qPrintable(level));
    QCOMPARE(m_window->summaryLabel()->accessibleName(), level);
    QVERIFY(m_window->drawing()->accessibleDescription().contains(level));
    QCOMPARE(m_window->drawing()->scene()->view, PlanView::Level);

    view->setCurrentIndex(0);
    QCOMPARE(m_window->summaryLabel()->text(), zones);
    QCOMPARE(m_window->summaryLabel()->accessibleName(), zones);
    QVERIFY(m_window->drawing()->accessibleDescription().contains(zones));
    // Back to the level of the same plan: the map computed is kept.
    view->setCurrentIndex(1);
    QCOMPARE(m_window->summaryLabel()->text(), level);
    QCOMPARE(shown.count(), 1);
    // The table stays as it was.
    QCOMPARE(m_window->coordinateTable()->model()->rowCount(), 6);
}

void TestPlanWindow::levelOfTheWorkedExample_data()
{
    QTest::addColumn<QChar>("point");

    QTest::newRow("comma") << comma();
    QTest::newRow("point") << QChar(u'.');
}

// The worked example: six ceiling loudspeakers in rows at (2; 2) … (10; 6),
// the summary's lowest and highest level those of the map computed here,
// the highest the 86,50 dB under a loudspeaker and the lowest below the
// 72,77 dB at (4; 4).
void TestPlanWindow::levelOfTheWorkedExample()
{
    QFETCH(QChar, point);
    const PlanFigures figures = planexamples::workedLevel(point);
    m_window->showCalculation(figures);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(shown.wait(20000));

    const std::vector<Placement> &placements = m_window->scene()->layout.placements;
    const QList<QPointF> worked{{2, 2}, {6, 2}, {10, 2}, {2, 6}, {6, 6}, {10, 6}};
    QCOMPARE(placements.size(), std::size_t(6));
    for (std::size_t i = 0; i < placements.size(); ++i)
        QCOMPARE(placements[i].position, worked[qsizetype(i)]);

    const QString summary = m_window->summaryLabel()->text();
    const QString decimal = QRegularExpression::escape(QString(point));
    const QString number = QStringLiteral(R"((-?\d+%1\d))").arg(decimal);
    const QRegularExpression pattern(
        QStringLiteral("^Уровень звука: от ") + number + QStringLiteral(" до ") + number
        + QStringLiteral(" дБ, разброс ") + number + QStringLiteral(" дБ\\. Не ниже 75 дБ: ") + number
        + QStringLiteral(" % площади\\. Выше 120 дБ: 0") + decimal + QStringLiteral("0 % площади\\.$"));
    const QRegularExpressionMatch match = pattern.match(summary);
    QVERIFY2(match.hasMatch(), qPrintable(summary));
    const std::optional<LevelMap> map = levelMap(levelInputs(figures, placements), nullptr, 1);
    QVERIFY(map.has_value());
    const auto [lowest, highest] = std::minmax_element(map->levels.begin(), map->levels.end());
    QCOMPARE(match.captured(1), calc::formatFixed(*lowest, 1, point));
    QCOMPARE(match.captured(2), calc::formatFixed(*highest, 1, point));
    QCOMPARE(match.captured(2), QStringLiteral("86") + point + u'5');
    QVERIFY(*lowest < 72.77);
    QCOMPARE(summary, expectedLevelSummary(figures, placements));
}

// The floor shows each point in the colour of its level's band: under
// loudspeaker 1 the loudest band, in the corner a quieter one.
void TestPlanWindow::drawingShowsTheLevelInColour()
{
    const PlanFigures figures = planexamples::workedLevel(comma());
    m_window->showCalculation(figures);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(shown.wait(20000));
    PlanDrawing *drawing = m_window->drawing();
    const PlanScene &scene = *drawing->scene();
    QVERIFY(scene.level && scene.level->computed);
    const QImage picture = drawing->grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    const PlanFrame frame = planFrame(QRectF(drawing->rect()), scene, *drawing);
    const LevelInputs inputs = levelInputs(figures, scene.layout.placements);
    const LevelScale &scale = scene.level->scale;
    int bands[2] = {-1, -1};
    int i = 0;
    for (const QPointF metres : {QPointF(2.3, 2.3), QPointF(0.3, 0.3)}) {
        const QPoint at
            = (frame.room.bottomLeft() + QPointF(metres.x(), -metres.y()) * frame.scale).toPoint();
        const double level = levelAt(inputs, metres);
        QCOMPARE(QColor(picture.pixel(at * ratio)).rgb(), levelColour(scale, level).rgb());
        bands[i++] = bandOf(scale, level);
    }
    QCOMPARE(bands[0], scale.bands - 1);
    QVERIFY(bands[1] < bands[0]);
}

namespace {

// The worked example in a room 3 m high with 60 dB(A) of noise.
PlanFigures workedIntelligibility()
{
    PlanFigures figures = planexamples::workedLevel(comma());
    figures.roomHeight = 3.0;
    figures.noise = 60.0;
    return figures;
}

} // namespace

// The surfaces show in the intelligibility view only, named by their
// captions, at their defaults; the reverberation time typed replaces the
// computed one, and one that is not a number gives no figures.
void TestPlanWindow::intelligibilityView()
{
    m_window->showCalculation(workedIntelligibility());
    QVERIFY(m_window->acousticsPanel()->isHidden());
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(2);
    QVERIFY(!m_window->acousticsPanel()->isHidden());
    QCOMPARE(m_window->summaryLabel()->text(), QStringLiteral("Расчет разборчивости…"));
    QCOMPARE(m_window->floorBox()->accessibleName(), QStringLiteral("Пол"));
    QCOMPARE(m_window->wallsBox()->accessibleName(), QStringLiteral("Стены"));
    QCOMPARE(m_window->ceilingBox()->accessibleName(), QStringLiteral("Потолок"));
    QCOMPARE(m_window->reverberationBox()->accessibleName(), QStringLiteral("Время реверберации, с"));
    QCOMPARE(m_window->floorBox()->currentText(), QStringLiteral("линолеум"));
    QCOMPARE(m_window->wallsBox()->currentText(), QStringLiteral("штукатурка"));
    QCOMPARE(m_window->ceilingBox()->currentText(), QStringLiteral("штукатурка"));
    QCOMPARE(items(m_window->ceilingBox()).size(), 10);
    QVERIFY(shown.wait(20000));
    QVERIFY(m_window->summaryLabel()->text().startsWith(QStringLiteral("Разборчивость STI: от 0,")));

    m_window->reverberationBox()->setText(QStringLiteral("1,5"));
    QVERIFY(shown.wait(20000));
    QVERIFY2(m_window->summaryLabel()->text().endsWith(QStringLiteral("Время реверберации 1,50 с.")),
             qPrintable(m_window->summaryLabel()->text()));
    QCOMPARE(m_window->scene()->surfaces.reverberationTime, std::optional<double>(1.5));
    m_window->reverberationBox()->setText(QStringLiteral("долго"));
    QCOMPARE(m_window->summaryLabel()->text(), QStringLiteral("Разборчивость STI: нет данных"));
    QCOMPARE(m_window->summaryLabel()->accessibleName(), QStringLiteral("Разборчивость STI: нет данных"));
    m_window->reverberationBox()->clear();
    QVERIFY(shown.wait(20000));

    m_window->viewBox()->setCurrentIndex(0);
    QVERIFY(m_window->acousticsPanel()->isHidden());
    QVERIFY(m_window->summaryLabel()->text().startsWith(QStringLiteral("Громкоговорителей на плане")));
}

// The worked example with an acoustic ceiling: the summary as the map
// computed here gives it, the reverberation the mean of 0.732 and 0.513 s,
// and the floor under loudspeaker 1 in the colour of its band.
void TestPlanWindow::intelligibilityOfTheWorkedExample()
{
    const PlanFigures figures = workedIntelligibility();
    m_window->showCalculation(figures);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->ceilingBox()->setCurrentText(QStringLiteral("акустический потолок"));
    m_window->viewBox()->setCurrentIndex(2);
    QVERIFY(shown.wait(20000));
    const PlanScene &scene = *m_window->drawing()->scene();
    QCOMPARE(scene.surfaces.ceiling, QStringLiteral("акустический потолок"));
    const StiInputs inputs = stiInputs(figures, scene.layout.placements, scene.surfaces);
    const std::optional<StiMap> map = stiMap(inputs, nullptr, 1);
    QVERIFY(map);
    const QString summary = m_window->summaryLabel()->text();
    QCOMPARE(summary, stiSummaryText(summarize(*map), comma()));
    QVERIFY2(summary.endsWith(QStringLiteral("Время реверберации 0,62 с.")), qPrintable(summary));
    QVERIFY(scene.sti && scene.sti->computed);

    PlanDrawing *drawing = m_window->drawing();
    const QImage picture = drawing->grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    const PlanFrame frame = planFrame(QRectF(drawing->rect()), scene, *drawing);
    QVERIFY(frame.legendWidth > 0.0);
    // Beside loudspeaker 1, clear of its marker: the block of (2.5; 2.5).
    const QPointF metres(2.55, 2.55);
    const QPoint at = (frame.room.bottomLeft() + QPointF(metres.x(), -metres.y()) * frame.scale).toPoint();
    const int column = int(metres.x() / (map->cells.cellWidth * StiBlockCells));
    const int row = int(metres.y() / (map->cells.cellHeight * StiBlockCells));
    const LevelScale &scale = scene.sti->scale;
    const QColor expected = stiColour(scale.bandFrom(bandOf(scale, map->at(column, row))));
    QCOMPARE(QColor(picture.pixel(at * ratio)).rgb(), expected.rgb());
}

void TestPlanWindow::newestRequestWins_data()
{
    QTest::addColumn<QString>("change");

    QTest::newRow("count") << "count";
    QTest::newRow("arrangement") << "arrangement";
    QTest::newRow("calculation") << "calculation";
    QTest::newRow("view") << "view";
}

// A new layout, count, calculation or view while the map is computed
// cancels it: only the newest request's map is shown, once.
void TestPlanWindow::newestRequestWins()
{
    QFETCH(QString, change);
    PlanFigures figures = planexamples::workedLevel(comma());
    m_window->showCalculation(figures);
    const QString first = expectedLevelSummary(figures, m_window->scene()->layout.placements);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(m_window->scene()->levelPending());
    if (change == QLatin1String("count")) {
        m_window->countBox()->setValue(4);
    } else if (change == QLatin1String("arrangement")) {
        QComboBox *box = m_window->arrangementBox();
        box->setCurrentIndex(box->findText(QStringLiteral("край к краю")));
    } else if (change == QLatin1String("calculation")) {
        figures.splTotal = 100;
        m_window->showCalculation(figures);
    } else {
        m_window->viewBox()->setCurrentIndex(0);
        m_window->viewBox()->setCurrentIndex(1);
    }
    QVERIFY(m_window->scene()->levelPending());
    QCOMPARE(m_window->summaryLabel()->text(), QStringLiteral("Расчет уровня звука…"));
    QVERIFY(shown.wait(20000));
    QTest::qWait(300);
    QCOMPARE(shown.count(), 1);
    const QString newest = expectedLevelSummary(figures, m_window->scene()->layout.placements);
    QCOMPARE(m_window->summaryLabel()->text(), newest);
    QCOMPARE(newest == first, change == QLatin1String("view"));
}

// Back to the zones before the map is ready: the map never shows.
void TestPlanWindow::zonesViewCancelsTheMap()
{
    m_window->showCalculation(planexamples::workedLevel(comma()));
    const QString zones = m_window->summaryLabel()->text();
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    m_window->viewBox()->setCurrentIndex(0);
    QTest::qWait(300);
    QCOMPARE(shown.count(), 0);
    QCOMPARE(m_window->summaryLabel()->text(), zones);
    QVERIFY(!m_window->scene()->level);
}

// The map of 20 000 loudspeakers is computed while the window goes on: the
// switch returns at once saying so, and closing the window while the map
// is computed stops it safely.
void TestPlanWindow::largeMapLeavesTheWindowFree()
{
    PlanFigures hall = planexamples::ceiling(200, 100, 1, 20000, 4, comma());
    hall.dirDeg = 90;
    hall.dropH = 1;
    m_window->showCalculation(hall);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(20000));
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(m_window->scene()->levelPending());
    QCOMPARE(m_window->summaryLabel()->text(), QStringLiteral("Расчет уровня звука…"));
    // The window answers while the map is computed.
    m_window->countBox()->setValue(19999);
    QCOMPARE(m_window->scene()->loudspeakers(), qsizetype(19999));
    QTest::qWait(50);
    delete m_window;
    m_window = nullptr;
}

namespace {

// The processor time of the whole process, ms.
qint64 processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

// Closing the window stops the map being computed within half a second:
// the process then rests. Shown again, the window asks for the map anew.
void TestPlanWindow::closingStopsTheMap()
{
    // Wide beams that reach far: a map of many seconds on every core.
    PlanFigures hall = planexamples::ceiling(200, 100, 1, 20000, 4, comma());
    hall.dirDeg = 150;
    hall.dropH = 1;
    m_window->showCalculation(hall);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(m_window->scene()->levelPending());
    QTest::qWait(300);
    m_window->close();
    QTest::qWait(500);
    const qint64 before = processCpuMs();
    QTest::qWait(500);
    const qint64 used = processCpuMs() - before;
    qInfo("Processor time in half a second after the close: %lld ms", qlonglong(used));
    QVERIFY2(used < 100, qPrintable(QString::number(used)));
    QCOMPARE(shown.count(), 0);

    // A map of a few loudspeakers, cancelled by the close, is shown once
    // the window is shown again.
    m_window->show();
    m_window->showCalculation(planexamples::workedLevel(comma()));
    QVERIFY(m_window->scene()->levelPending());
    m_window->close();
    QTest::qWait(300);
    QCOMPARE(shown.count(), 0);
    QVERIFY(m_window->scene()->levelPending());
    m_window->show();
    QVERIFY(shown.wait(20000));
    QVERIFY(m_window->scene()->level && m_window->scene()->level->computed);
}

void TestPlanWindow::filesWhileTheMapIsComputed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("waits"); // the map is computed for the file

    QTest::newRow("SVG") << "plan.svg"
                         << "Рисунок SVG (*.svg)" << true;
    QTest::newRow("PNG") << "plan.png"
                         << "Рисунок PNG (*.png)" << true;
    QTest::newRow("PDF") << "plan.pdf"
                         << "Документ PDF (*.pdf)" << true;
    QTest::newRow("DXF") << "plan.dxf"
                         << "Чертеж DXF (*.dxf)" << false;
}

// A drawing saved while the map is computed has the whole map: the window
// computes it there and then and shows it. The DXF, which has no map, does
// not wait for it.
void TestPlanWindow::filesWhileTheMapIsComputed()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(bool, waits);
    const PlanFigures figures = planexamples::workedLevel(comma());
    m_window->showCalculation(figures);
    QSignalSpy shown(m_window, &PlanWindow::levelMapShown);
    m_window->viewBox()->setCurrentIndex(1);
    QVERIFY(m_window->scene()->levelPending());
    const QString path = m_dir->filePath(name);
    m_window->answerPath = path;
    m_window->answerFilter = filter;
    QTest::mouseClick(m_window->saveButton(), Qt::LeftButton);
    QVERIFY(m_messages->informed.isEmpty());
    QVERIFY(QFile::exists(path));
    QCOMPARE(m_window->scene()->levelPending(), !waits);
    const QString level = expectedLevelSummary(figures, m_window->scene()->layout.placements);
    if (waits) {
        QCOMPARE(m_window->summaryLabel()->text(), level);
        // The map computed before is dropped, not shown again.
        QTest::qWait(300);
        QCOMPARE(shown.count(), 0);
    } else {
        QVERIFY(shown.wait(20000));
        QCOMPARE(m_window->summaryLabel()->text(), level);
    }
    if (name.endsWith(QLatin1String(".svg"))) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString svg = QString::fromUtf8(file.readAll());
        QVERIFY(svg.contains(level));
        QVERIFY(svg.contains(QStringLiteral("Уровень, дБ")));
        QVERIFY(svg.contains(QStringLiteral("требуемый 75\u00A0дБ")));
    }
}

// The printout shows the view on screen, its summary and its legend.
void TestPlanWindow::printsTheLevelView()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const PlanFigures figures = planexamples::workedLevel(comma());
    m_window->showCalculation(figures);
    m_window->viewBox()->setCurrentIndex(1);
    m_window->printTo = m_dir->filePath(QStringLiteral("printed.pdf"));
    QTest::mouseClick(m_window->printButton(), Qt::LeftButton);
    const QString text = pdfText(m_window->printTo);
    QVERIFY2(text.contains(expectedLevelSummary(figures, m_window->scene()->layout.placements)),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Уровень, дБ")));
    QVERIFY(!text.contains(QStringLiteral("Расчет уровня звука")));
}

// "Чертеж DXF (*.dxf)" writes the plan's drawing: the room, each
// loudspeaker's circle at its coordinates in millimetres with its number,
// the zones and the dimensions, each on its layer.
void TestPlanWindow::savesTheDxfDrawing()
{
    m_window->showCalculation(ceilingExample());
    m_window->answerPath = m_dir->filePath(QStringLiteral("чертеж"));
    m_window->answerFilter = QStringLiteral("Чертеж DXF (*.dxf)");
    QTest::mouseClick(m_window->saveButton(), Qt::LeftButton);
    QVERIFY(m_messages->informed.isEmpty());
    QFile file(m_dir->filePath(QStringLiteral("чертеж.dxf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const dxfdrawing::Drawing drawing = dxfdrawing::readDrawing(file.readAll());
    QVERIFY(drawing.endsWithEof);
    QCOMPARE(drawing.on(QStringLiteral("ПОМЕЩЕНИЕ"), "LWPOLYLINE").size(), std::size_t(1));
    const std::vector<dxfdrawing::Record> circles = drawing.on(QStringLiteral("ГРОМКОГОВОРИТЕЛИ"), "CIRCLE");
    const std::vector<dxfdrawing::Record> numbers = drawing.on(QStringLiteral("ГРОМКОГОВОРИТЕЛИ"), "TEXT");
    const QAbstractItemModel *table = m_window->coordinateTable()->model();
    QCOMPARE(qsizetype(circles.size()), qsizetype(table->rowCount()));
    QCOMPARE(numbers.size(), circles.size());
    const auto metres = [](const QVariant &cell) { return cell.toString().replace(u',', u'.').toDouble(); };
    for (std::size_t i = 0; i < circles.size(); ++i) {
        QCOMPARE(circles[i].number(10), metres(table->index(int(i), 1).data()) * 1000.0);
        QCOMPARE(circles[i].number(20), metres(table->index(int(i), 2).data()) * 1000.0);
    }
    QCOMPARE(drawing.on(QStringLiteral("ЗОНЫ"), "CIRCLE").size()
                 + drawing.on(QStringLiteral("ЗОНЫ"), "LWPOLYLINE").size(),
             circles.size());
    QCOMPARE(drawing.on(QStringLiteral("РАЗМЕРЫ"), "TEXT").size(), std::size_t(2));
}

QTEST_MAIN(TestPlanWindow)
#include "tst_plan_window.moc"
