// The "Объект" window with the main window: rooms added from and replaced
// by the last completed calculation, opened again in the calculation with
// the same four results, undone and redone, sorted in the view only, and
// never closed with unsaved changes without the question.

#include "roomtesthelpers.h"
#include "windowfixture.h"

#include "app/roomevaluation.h"
#include "project/linetable.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/roomtable.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QTabWidget>

#include <QFile>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QUndoStack>
#include <ctime>

using project::RoomInputs;

Q_DECLARE_METATYPE(RoomInputs)

namespace {

RoomInputs inputs(const QString &model, calc::Mounting mounting, int tap, const QString &power,
                  const QString &sensitivity, const QString &roomType, const QString &noise,
                  const QString &height, const QString &length, const QString &width, const QString &area,
                  bool fromSides)
{
    RoomInputs in;
    in.model = model;
    in.mounting = mounting;
    in.tap = tap;
    in.power = power;
    in.sensitivity = sensitivity;
    in.directivity = "90";
    in.verticalDirectivity = "90";
    in.tilt = "0";
    in.margin = "10";
    in.listeningHeight = "150";
    in.roomType = roomType;
    in.noise = noise;
    in.height = height;
    in.length = length;
    in.width = width;
    in.area = area;
    in.areaFromSides = fromSides;
    return in;
}

QString layoutFor(calc::Mounting mounting)
{
    return mounting == calc::Mounting::Ceiling ? QStringLiteral("рядами") : QStringLiteral("на одной стене");
}

} // namespace

class ProjectWindowTest : public WindowTest {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        QLocale::setDefault(QLocale::c());
        openWindow();
    }
    void cleanup()
    {
        if (f && f->w().projectWindow())
            f->w().projectWindow()->discardProject();
        closeWindow();
    }
    void builtOnFirstUseAfterPlan();
    void addNeedsACalculation();
    void addAndReplaceTakeTheLastCalculation();
    void aRoomKeepsItsOutline();
    void staleCalculationIsRefused_data();
    void staleCalculationIsRefused();
    void openInCalculationShowsTheTablesResults_data();
    void openInCalculationShowsTheTablesResults();
    void aTypedDesignationKeepsItsOwnFigures_data();
    void aTypedDesignationKeepsItsOwnFigures();
    void aDecimalCommaInTheFileIsThePoint();
    void undoAndRedoEveryChange();
    void sortingTheViewKeepsTheFileOrder();
    void totalsLeaveOutStoppedRooms();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void aBadFileLeavesTheProjectAsItWas();
    void linesAreEditedAndUndone();
    void editorsRefuseValuesOutOfRange_data();
    void editorsRefuseValuesOutOfRange();
    void printingPaintsTheDocumentsPages();
    void exportWaitsForTheLevelsWithTheWindowAlive();
    void exportOfManyRoomsIsCancelledWhileTheColumnsFill();
    void exportRefusesTheProjectsOwnFile_data();
    void exportRefusesTheProjectsOwnFile();

private:
    project::ProjectWindow *projectWindow()
    {
        mproject(f->w())->trigger();
        return f->w().projectWindow();
    }
    // A project of these rooms, saved and opened in the window.
    project::ProjectWindow *openRooms(const std::vector<RoomInputs> &rooms)
    {
        project::Project p;
        p.name = "Проверка";
        for (std::size_t i = 0; i < rooms.size(); ++i)
            p.rooms.push_back({QStringLiteral("Помещение %1").arg(i + 1),
                               "1",
                               "Л1",
                               rooms[i],
                               layoutFor(rooms[i].mounting),
                               {}});
        const QString path = dir.filePath("rooms.lsplan");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(project::projectBytes(p, {})) < 0)
            return nullptr;
        file.close();
        project::ProjectWindow *w = projectWindow();
        return w->openFile(path) ? w : nullptr;
    }
    void selectRow(project::ProjectWindow *w, int viewRow)
    {
        w->view()->setCurrentIndex(w->view()->model()->index(viewRow, 1));
    }
    QStringList resultCells(project::ProjectWindow *w, int row) const
    {
        QStringList cells;
        for (const char *caption :
             {"Звуковое давление, дБ", "Дальность, м", "Площадь озвучивания, м2", "Количество"})
            cells << w->table()->cellText(row, column(caption));
        return cells;
    }
    QStringList resultLabels() const
    {
        return {results->lblPd->text(), results->lblD->text(), results->lblS->text(), results->lblKs->text()};
    }

    QTemporaryDir dir;
};

void ProjectWindowTest::builtOnFirstUseAfterPlan()
{
    QVERIFY(!f->w().projectWindow());
    const QList<QAction *> items = f->w().menuBar()->actions();
    QCOMPARE(items.indexOf(mproject(f->w())), items.indexOf(mplan(f->w())) + 1);
    QCOMPARE(mproject(f->w())->text(), QString("О&бъект"));
    project::ProjectWindow *w = projectWindow();
    QVERIFY(w && w->isVisible() && w->isWindow());
    QCOMPARE(w->windowTitle(), QString("Объект — Без имени[*]"));
    QCOMPARE(w->totalsLabel()->text(),
             QString("Помещений: 0. Громкоговорителей: 0. Суммарная мощность: 0 Вт"));
    w->close();
    QCOMPARE(projectWindow(), w);
}

void ProjectWindowTest::addNeedsACalculation()
{
    project::ProjectWindow *w = projectWindow();
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QCOMPARE(f->messages.texts(), QStringList{"Вначале произведите расчет"});
    QCOMPARE(w->model()->roomCount(), 0);
    QVERIFY(!w->isModified());
}

void ProjectWindowTest::addAndReplaceTakeTheLastCalculation()
{
    project::ProjectWindow *w = projectWindow();
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QCOMPARE(w->model()->roomCount(), 1);
    const project::Room added = w->model()->project().rooms.front();
    // The start-up inputs a plan's rooms take where a project has none are
    // those of the window as it starts.
    project::RoomInputs startup = startupRoomInputs();
    startup.areaFromSides = added.inputs.areaFromSides;
    startup.area = added.inputs.area;
    QCOMPARE(added.inputs, startup);
    QCOMPARE(added.name, QString("АВТОСТОЯНКА"));
    QCOMPARE(added.layout, QString("на одной стене"));
    QCOMPARE(added.inputs.model, QString("GK-1"));
    QCOMPARE(resultCells(w, 0), resultLabels());
    QVERIFY(!results->lblKs->text().isEmpty());

    w->table()->setData(w->table()->index(0, column("Этаж")), "2");
    QCOMPARE(w->undoStack()->count(), 2);

    chooseFromList(g->cmbG, "KE-1");
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    selectRow(w, 0);
    QTest::mouseClick(w->replaceButton(), Qt::LeftButton);
    const project::Room replaced = w->model()->project().rooms.front();
    QCOMPARE(replaced.inputs.model, QString("KE-1"));
    QCOMPARE(replaced.inputs.mounting, calc::Mounting::Ceiling);
    QCOMPARE(replaced.layout, QString("рядами"));
    QCOMPARE(replaced.name, added.name);
    QCOMPARE(replaced.floor, QString("2"));
    QCOMPARE(w->table()->cellText(0, column("Установка")), QString("Потолочный"));
    QCOMPARE(resultCells(w, 0), resultLabels());

    w->undoStack()->undo();
    QCOMPARE(w->model()->project().rooms.front().inputs, added.inputs);
    QCOMPARE(w->model()->project().rooms.front().layout, added.layout);
}

void ProjectWindowTest::aRoomKeepsItsOutline()
{
    // An L of 12.25 x 6.5 m, 50.75 m2, whose texts said 6 x 6 from the sides.
    RoomInputs shaped
        = inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "6", "6", "", true);
    const std::vector<QPointF> outline{{0, 0}, {12.25, 0}, {12.25, 3}, {4, 3}, {4, 6.5}, {0, 6.5}};
    QCOMPARE(project::setOutline(shaped, outline), calc::OutlineFault::None);
    project::ProjectWindow *w = openRooms({shaped});
    QVERIFY(w);
    const QChar point = w->results()->decimalPoint();
    QCOMPARE(w->table()->cellText(0, column("Длина, м")), QString("12.25").replace(u'.', point));
    QCOMPARE(w->table()->cellText(0, column("Ширина, м")), QString("6.5").replace(u'.', point));
    QCOMPARE(w->table()->cellText(0, column("Площадь, м2")), QString("50.75").replace(u'.', point));

    // "Открыть в расчете" types the shape's figures, the area as typed.
    selectRow(w, 0);
    QTest::mouseClick(w->openInCalculationButton(), Qt::LeftButton);
    QCOMPARE(room->txtL->text(), QString("12.25"));
    QCOMPARE(room->txtW->text(), QString("6.5"));
    QCOMPARE(room->txtSR->text(), QString("50.75"));
    QVERIFY(!f->w().state().areaFromLW);
    QCOMPARE(resultCells(w, 0), resultLabels());

    // "Заменить расчетом" takes the loudspeaker and keeps the floor.
    chooseFromList(g->cmbG, "KE-2");
    room->txtL->setText("30");
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QVERIFY(f->w().state().calculated);
    selectRow(w, 0);
    QTest::mouseClick(w->replaceButton(), Qt::LeftButton);
    const RoomInputs &replaced = w->model()->project().rooms.front().inputs;
    QCOMPARE(replaced.model, QString("KE-2"));
    QCOMPARE(replaced.outline, shaped.outline);
    QCOMPARE(replaced.length, QString("12.25"));
    QCOMPARE(replaced.width, QString("6.5"));
    QCOMPARE(replaced.area, QString("50.75"));
    QVERIFY(!replaced.areaFromSides);
    QCOMPARE(w->table()->cellText(0, column("Площадь, м2")), QString("50.75").replace(u'.', point));
}

void ProjectWindowTest::staleCalculationIsRefused_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<bool>("windowAfterChange");
    QTest::newRow("typed length, add") << "length" << false << false;
    QTest::newRow("typed length, replace") << "length" << true << false;
    QTest::newRow("model chosen, add") << "model" << false << false;
    QTest::newRow("stopped calculation, replace") << "stopped" << true << false;
    QTest::newRow("window built after the change, add") << "length" << false << true;
    QTest::newRow("window built after the change, replace") << "tap" << true << true;
}

void ProjectWindowTest::staleCalculationIsRefused()
{
    QFETCH(QString, change);
    QFETCH(bool, replace);
    QFETCH(bool, windowAfterChange);
    const QString refusal = "Данные главного окна изменены после расчета. Произведите расчет заново.";
    project::ProjectWindow *w = windowAfterChange ? nullptr : projectWindow();
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QVERIFY(f->w().state().calculated);
    // A room of that calculation, for "Заменить расчетом" to act on.
    if (w && replace)
        QTest::mouseClick(w->addButton(), Qt::LeftButton);

    if (change == u"length") {
        room->txtL->setFocus();
        typeKeys(room->txtL, "2");
    } else if (change == u"model") {
        chooseFromList(g->cmbG, "KE-1");
    } else if (change == u"tap") {
        g->opt_1[2]->click();
    } else {
        room->txtL->setText(QString());
        QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
        QVERIFY(!f->w().state().calculated);
        f->messages.shown.clear();
    }
    QVERIFY(results->lblKs->text().isEmpty());
    if (!w) {
        w = replace ? openRooms(
                {inputs("GK-1", calc::Mounting::Wall, 1, "", "", "ТЕАТР", "", "3", "6", "6", "", true)})
                    : projectWindow();
        QVERIFY(w);
    }
    const std::vector<project::Room> before = w->model()->project().rooms;
    const int commands = w->undoStack()->count();

    if (replace) {
        selectRow(w, 0);
        QTest::mouseClick(w->replaceButton(), Qt::LeftButton);
    } else {
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
    }
    QCOMPARE(f->messages.texts(), QStringList{refusal});
    QVERIFY(!f->messages.shown.front().question);
    QCOMPARE(w->model()->project().rooms, before);
    QCOMPARE(w->undoStack()->count(), commands);

    // Calculated again, the new calculation is taken.
    f->messages.shown.clear();
    room->txtL->setText("9");
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QVERIFY(f->w().state().calculated);
    if (replace) {
        selectRow(w, 0);
        QTest::mouseClick(w->replaceButton(), Qt::LeftButton);
    } else {
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
    }
    QCOMPARE(f->messages.texts(), QStringList());
    QCOMPARE(w->undoStack()->count(), commands + 1);
    const int row = replace ? 0 : int(before.size());
    QCOMPARE(w->model()->roomCount(), int(before.size()) + (replace ? 0 : 1));
    QCOMPARE(w->model()->project().rooms[std::size_t(row)].inputs.length, QString("9"));
    QCOMPARE(resultCells(w, row), resultLabels());
}

void ProjectWindowTest::openInCalculationShowsTheTablesResults_data()
{
    using M = calc::Mounting;
    QTest::addColumn<RoomInputs>("entered");
    QTest::addColumn<bool>("completes");
    QTest::newRow("ceiling model, tap 1/2, area from sides")
        << inputs("KE-3", M::Ceiling, 2, "", "", "ТЕАТР", "", "3", "12", "8", "", true) << true;
    QTest::newRow("wall model, typed area")
        << inputs("GK-1", M::Wall, 1, "6", "88", "СПОРТЗАЛ", "75", "3", "6", "6", "30", false) << true;
    QTest::newRow("round horn, tap 1/3") << horn(
        inputs("RF-2", M::RoundHorn, 3, "", "", "СТАДИОН", "", "3", "40", "20", "", true), "60", "60", "30")
                                         << true;
    QTest::newRow("square horn model")
        << horn(inputs("RF-5", M::SquareHorn, 1, "", "", "АВТОСТОЯНКА", "", "5", "30", "15", "450", false),
                "60", "40", "20")
        << true;
    QTest::newRow("other model on the ceiling, other room type") << inputs(
        "Мой громкоговоритель", M::Ceiling, 2, "15", "91", "Серверная", "55", "4", "10", "7", "", true)
                                                                 << true;
    QTest::newRow("other model as a square horn, ПРОЧИЕ room type") << horn(
        inputs("Рупор-Х", M::SquareHorn, 3, "50", "104", "ПРОЧИЕ", "85", "6", "25", "12", "250", false), "50",
        "40", "15") << true;
    QTest::newRow("other model on the wall, tap 1/2")
        << inputs("ПРОЧИЕ", M::Wall, 2, "20", "96", "МАГАЗИН", "", "3.5", "18", "9", "", true) << true;
    QTest::newRow("stops without a length")
        << inputs("GK-1", M::Wall, 1, "", "", "МАГАЗИН", "", "3", "", "9", "", false) << false;
}

void ProjectWindowTest::openInCalculationShowsTheTablesResults()
{
    QFETCH(RoomInputs, entered);
    QFETCH(bool, completes);
    // Another room first, so that the main window starts from other figures.
    project::ProjectWindow *w = openRooms(
        {inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ПЛЯЖ", "", "4", "20", "20", "", true), entered});
    QVERIFY(w);
    selectRow(w, 0);
    QTest::mouseClick(w->openInCalculationButton(), Qt::LeftButton);
    QVERIFY(!results->lblKs->text().isEmpty());
    f->messages.shown.clear();

    selectRow(w, 1);
    QTest::mouseClick(w->openInCalculationButton(), Qt::LeftButton);
    QCOMPARE(resultCells(w, 1), resultLabels());
    QCOMPARE(g->cmbG->currentText(), entered.model);
    QCOMPARE(entered.roomType, room->cmbOn->currentText());
    const project::RoomResults &computed = w->results()->at(1);
    QCOMPARE(computed.completed, completes);
    QCOMPARE(f->w().state().calculated, computed.completed);
    QCOMPARE(g->mounting(), computed.mounting);
    QCOMPARE(g->tapMember(), std::optional<int>(entered.tap));
    if (computed.completed) {
        QVERIFY(!results->lblKs->text().isEmpty());
        QCOMPARE(computed.count, f->w().state().count);
    } else {
        QVERIFY(results->lblKs->text().isEmpty());
        QCOMPARE(f->messages.texts().value(0), computed.note);
        QCOMPARE(w->table()->cellText(1, column("Замечание")), computed.note);
    }
}

void ProjectWindowTest::aTypedDesignationKeepsItsOwnFigures_data()
{
    QTest::addColumn<bool>("afterOther");
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("sensitivity");
    QTest::addColumn<int>("mounting");
    // Over the start-up text the boxes keep GK-1's figures, locked.
    QTest::newRow("typed over the start-up text") << false << "6"
                                                  << "88" << int(calc::Mounting::Wall);
    QTest::newRow("typed after ПРОЧИЕ with figures of its own") << true << "10"
                                                                << "90" << int(calc::Mounting::Ceiling);
}

void ProjectWindowTest::aTypedDesignationKeepsItsOwnFigures()
{
    QFETCH(bool, afterOther);
    QFETCH(QString, power);
    QFETCH(QString, sensitivity);
    QFETCH(int, mounting);
    project::ProjectWindow *w = projectWindow();
    if (afterOther) {
        clickListEntry(g->cmbG, "ПРОЧИЕ");
        g->txtPv->selectAll();
        typeKeys(g->txtPv, power);
        g->txtPd->selectAll();
        typeKeys(g->txtPd, sensitivity);
        QTest::mouseClick(g->opt1, Qt::LeftButton);
    }
    g->cmbG->lineEdit()->selectAll();
    typeKeys(g->cmbG->lineEdit(), "RF-4");
    QCOMPARE(g->cmbG->currentText(), QString("RF-4"));
    QCOMPARE(g->txtPv->text(), power);
    QCOMPARE(g->txtPd->text(), sensitivity);
    QCOMPARE(int(g->mounting()), mounting);
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    const QStringList typed = resultLabels();
    QVERIFY(!results->lblKs->text().isEmpty());

    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    const project::Room added = w->model()->project().rooms.front();
    QCOMPARE(added.inputs.model, QString("RF-4"));
    QVERIFY(!added.inputs.modelFromList);
    QCOMPARE(resultCells(w, 0), typed);
    QCOMPARE(int(w->results()->at(0).mounting), mounting);

    // Other figures in the main window, then the room opened again: its
    // designation typed, its own figures and the same four results.
    chooseFromList(g->cmbG, "RF-4");
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    const QStringList listed = resultLabels();
    QVERIFY2(listed != typed, qPrintable(listed.join(' ')));
    selectRow(w, 0);
    QTest::mouseClick(w->openInCalculationButton(), Qt::LeftButton);
    QCOMPARE(resultLabels(), typed);
    QCOMPARE(g->cmbG->currentText(), QString("RF-4"));
    QVERIFY(!g->modelFromList());
    QCOMPARE(g->txtPv->text(), power);
    QCOMPARE(g->txtPd->text(), sensitivity);
    QCOMPARE(int(g->mounting()), mounting);

    // Added again from that calculation, the room is the same, and it is
    // kept so in the file.
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QCOMPARE(w->model()->project().rooms.at(1).inputs.modelFromList, false);
    QCOMPARE(resultCells(w, 1), typed);
    const QString path = dir.filePath("typed.lsplan");
    QVERIFY(w->saveTo(path));
    QVERIFY(w->openFile(path));
    QCOMPARE(resultCells(w, 0), typed);
    QCOMPARE(resultCells(w, 1), typed);

    // The catalogue model chosen from the list gives the catalogue's figures.
    chooseFromList(g->cmbG, "RF-4");
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QVERIFY(w->model()->project().rooms.at(2).inputs.modelFromList);
    QCOMPARE(resultCells(w, 2), listed);
}

void ProjectWindowTest::aDecimalCommaInTheFileIsThePoint()
{
    project::ProjectWindow *w = openRooms(
        {inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "9,5", "3", "", true)});
    QVERIFY(w);
    QCOMPARE(w->model()->project().rooms.front().inputs.length, QString("9.5"));
    QCOMPARE(w->table()->cellText(0, column("Длина, м")), QString("9.5"));
    QCOMPARE(w->table()->cellText(0, column("Площадь, м2")), QString("28.5"));
    // The main window takes the same room with the same area.
    selectRow(w, 0);
    QTest::mouseClick(w->openInCalculationButton(), Qt::LeftButton);
    QCOMPARE(room->txtL->text(), QString("9.5"));
    QCOMPARE(room->txtSR->text(), QString("28.5"));
    QCOMPARE(resultCells(w, 0), resultLabels());
}

void ProjectWindowTest::undoAndRedoEveryChange()
{
    project::ProjectWindow *w = projectWindow();
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    QVERIFY(w->isWindowModified());
    w->table()->setData(w->table()->index(1, column("Помещение")), "Склад");
    w->table()->setData(w->table()->index(1, column("Линия")), "Л3");
    QCOMPARE(w->table()->cellText(1, column("Помещение")), QString("Склад"));
    selectRow(w, 0);
    QAction *remove = w->findChild<QAction *>();
    for (QAction *a : w->findChildren<QAction *>()) {
        if (a->text() == "&Удалить помещение")
            remove = a;
    }
    QCOMPARE(remove->shortcut(), QKeySequence(Qt::Key_Delete));
    remove->trigger();
    QCOMPARE(w->model()->roomCount(), 1);
    QCOMPARE(w->table()->cellText(0, column("№")), QString("1"));
    QCOMPARE(w->table()->cellText(0, column("Помещение")), QString("Склад"));

    w->undoStack()->undo();
    QCOMPARE(w->model()->roomCount(), 2);
    QCOMPARE(w->table()->cellText(1, column("Помещение")), QString("Склад"));
    w->undoStack()->undo();
    QCOMPARE(w->table()->cellText(1, column("Линия")), QString());
    w->undoStack()->undo();
    QCOMPARE(w->table()->cellText(1, column("Помещение")), QString("АВТОСТОЯНКА"));
    w->undoStack()->undo();
    w->undoStack()->undo();
    QCOMPARE(w->model()->roomCount(), 0);
    QVERIFY(!w->isWindowModified());
    for (int i = 0; i < 5; ++i)
        w->undoStack()->redo();
    QCOMPARE(w->model()->roomCount(), 1);
    QCOMPARE(w->model()->project().rooms.front().line, QString("Л3"));
    QVERIFY(w->isWindowModified());
}

void ProjectWindowTest::sortingTheViewKeepsTheFileOrder()
{
    using M = calc::Mounting;
    project::ProjectWindow *w
        = openRooms({inputs("KE-1", M::Ceiling, 1, "", "", "ТЕАТР", "", "3", "10", "10", "", true),
                     inputs("KE-1", M::Ceiling, 1, "", "", "ТЕАТР", "", "3", "40", "20", "", true),
                     inputs("KE-1", M::Ceiling, 1, "", "", "ТЕАТР", "", "3", "5", "4", "", true)});
    QVERIFY(w);
    const int count = column("Количество");
    w->view()->horizontalHeader()->setSortIndicator(count, Qt::DescendingOrder);
    QAbstractItemModel *view = w->view()->model();
    QCOMPARE(view->index(0, column("№")).data().toString(), QString("2"));
    QCOMPARE(view->index(2, column("№")).data().toString(), QString("3"));
    QVERIFY(view->index(0, count).data().toDouble() > view->index(1, count).data().toDouble());

    const QString saved = dir.filePath("sorted.lsplan");
    QVERIFY(w->saveTo(saved));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const project::ReadResult read = project::parseProject(file.readAll());
    QVERIFY(read.project);
    QCOMPARE(read.project->rooms, w->model()->project().rooms);
    QCOMPARE(read.project->rooms[1].inputs.length, QString("40"));

    // Opened again and saved again: the same bytes.
    QVERIFY(w->openFile(saved));
    const QString again = dir.filePath("again.lsplan");
    QVERIFY(w->saveTo(again));
    QFile second(again);
    QVERIFY(second.open(QIODevice::ReadOnly));
    file.seek(0);
    QCOMPARE(second.readAll(), file.readAll());
    QCOMPARE(w->recentFiles().value(0), again);
}

void ProjectWindowTest::totalsLeaveOutStoppedRooms()
{
    using M = calc::Mounting;
    project::ProjectWindow *w
        = openRooms({inputs("KE-1", M::Ceiling, 1, "", "", "ТЕАТР", "", "3", "10", "10", "", true),
                     inputs("GK-1", M::Wall, 2, "", "", "ТЕАТР", "", "3", "", "10", "", true),
                     inputs("KE-3", M::Ceiling, 3, "", "", "ТЕАТР", "", "3", "20", "8", "", true)});
    QVERIFY(w);
    const project::RoomTable &t = *w->table();
    const project::RoomResultsService &computed = *w->results();
    QVERIFY(computed.at(0).completed && !computed.at(1).completed && computed.at(2).completed);
    QCOMPARE(t.cellText(1, column("Количество")), QString());
    QCOMPARE(t.cellText(1, column("Озвучено, %")), QString());
    const double loudspeakers = computed.at(0).count + computed.at(2).count;
    // KE-1 gives 6 W on the full tap, KE-3 10 W on a third of 30 W.
    QCOMPARE(computed.at(0).power, computed.at(0).count * 6);
    QCOMPARE(computed.at(2).power, computed.at(2).count * 10);
    // While the level columns fill, the totals say how far they are.
    const QString totals = QString("Помещений: 3, не рассчитано: 1. Громкоговорителей: %1. "
                                   "Суммарная мощность: %2 Вт")
                               .arg(loudspeakers)
                               .arg(computed.at(0).power + computed.at(2).power);
    QCOMPARE(w->totalsLabel()->text(), totals + ". Расчет уровней: 0 из 2");
    QTRY_VERIFY_WITH_TIMEOUT(!computed.levelsPending(), 30000);
    QCOMPARE(w->totalsLabel()->text(), totals);
    QCOMPARE(w->totalsLabel()->accessibleName(), totals);
    QVERIFY(computed.at(0).covered && *computed.at(0).covered > 0 && *computed.at(0).covered <= 100);

    // The stopped room is marked in its first column, its reason on every
    // cell; the others have neither.
    const QString reason = "Введите длину помещения";
    QCOMPARE(computed.at(1).note, reason);
    const QIcon mark = t.index(1, 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!mark.isNull());
    const QImage dot = mark.pixmap(16, 16).toImage();
    const QColor centre = dot.pixelColor(dot.width() / 2, dot.height() / 2);
    QVERIFY2(centre.red() > 180 && centre.green() < 80 && centre.blue() < 80, qPrintable(centre.name()));
    for (int c = 0; c < t.columnCount(); ++c) {
        QCOMPARE(t.index(1, c).data(Qt::ToolTipRole).toString(), reason);
        QCOMPARE(t.index(1, c).data(Qt::AccessibleDescriptionRole).toString(), reason);
        QVERIFY(!t.index(0, c).data(Qt::AccessibleDescriptionRole).isValid());
        if (c != column("Замечание"))
            QVERIFY(!t.index(0, c).data(Qt::ToolTipRole).isValid());
        if (c > 0)
            QVERIFY(!t.index(1, c).data(Qt::DecorationRole).isValid());
    }
    QVERIFY(!t.index(0, 0).data(Qt::DecorationRole).isValid());
    QVERIFY(!t.index(2, 0).data(Qt::DecorationRole).isValid());
}

void ProjectWindowTest::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<bool>("byExit");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("savedRooms");
    using A = Messenger::Answer;
    QTest::newRow("Exit, Отмена") << true << int(A::Cancel) << false << 1;
    QTest::newRow("Exit, Нет") << true << int(A::No) << true << 1;
    QTest::newRow("Exit, Да") << true << int(A::Yes) << true << 2;
    QTest::newRow("close button, Отмена") << false << int(A::Cancel) << false << 1;
    QTest::newRow("close button, Да") << false << int(A::Yes) << true << 2;
}

void ProjectWindowTest::unsavedChangesAreAskedAbout()
{
    QFETCH(bool, byExit);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(int, savedRooms);
    project::ProjectWindow *w = projectWindow();
    QTest::mouseClick(results->cmdRkl, Qt::LeftButton);
    QTest::mouseClick(w->addButton(), Qt::LeftButton);
    const QString path = dir.filePath("Склад.lsplan");
    QVERIFY(w->saveTo(path));
    QCOMPARE(w->windowTitle(), QString("Объект — Склад[*]"));
    QVERIFY(!w->isWindowModified());
    QTest::mouseClick(w->addButton(), Qt::LeftButton);

    f->messages.answers.push_back(Messenger::Answer(answer));
    if (byExit)
        mvix(f->w())->trigger();
    else
        f->w().close();
    QCOMPARE(f->messages.texts(), QStringList{"Сохранить изменения в объекте «Склад»?"});
    QVERIFY(f->messages.shown.front().question);
    QCOMPARE(f->w().isVisible(), !closed);
    QCOMPARE(w->isVisible(), !closed);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(int(project::parseProject(file.readAll()).project->rooms.size()), savedRooms);

    // Closing the window alone asks the same; Отмена keeps it open.
    if (!closed) {
        f->messages.shown.clear();
        w->close();
        QCOMPARE(f->messages.texts(), QStringList{"Сохранить изменения в объекте «Склад»?"});
        QVERIFY(w->isVisible());
        QCOMPARE(w->model()->roomCount(), 2);
    }
}

void ProjectWindowTest::aBadFileLeavesTheProjectAsItWas()
{
    project::ProjectWindow *w
        = openRooms({inputs("GK-1", calc::Mounting::Wall, 1, "", "", "ТЕАТР", "", "3", "6", "6", "", true)});
    QVERIFY(w);
    const QString good = w->filePath();
    const QString bad = dir.filePath("bad.lsplan");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": "loudspeaker-planner/object", "version": 7})");
    file.close();
    QVERIFY(!w->openFile(bad));
    QCOMPARE(f->messages.texts(),
             QStringList{
                 QString("Файл «%1» не открыт: файл записан более новой версией программы (версия формата 7)")
                     .arg(QDir::toNativeSeparators(bad))});
    QCOMPARE(w->filePath(), good);
    QCOMPARE(w->model()->roomCount(), 1);
    QCOMPARE(w->windowTitle(), QString("Объект — Проверка[*]"));
}

void ProjectWindowTest::linesAreEditedAndUndone()
{
    const RoomInputs theatre
        = inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "9", "6", "", true);
    project::ProjectWindow *w = openRooms({theatre, theatre});
    QVERIFY(w);
    QStringList tabs;
    for (int i = 0; i < w->tabs()->count(); ++i)
        tabs << w->tabs()->tabText(i);
    QCOMPARE(tabs, QStringList({"Помещения", "Линии", "Спецификация", "План этажа"}));
    const auto roomLines = [w] {
        QStringList lines;
        for (const project::Room &r : w->model()->project().rooms)
            lines << r.line;
        return lines;
    };
    // The file's rooms name "Л1", which the project does not have yet.
    QCOMPARE(w->noLineLabel()->text(), QString("Помещений без линии: 2"));
    QTest::mouseClick(w->addLineButton(), Qt::LeftButton);
    const project::Line added = w->model()->project().lines.at(0);
    QCOMPARE(added, (project::Line{"Л1", 100, 10, 50, 0.75, 1, 25}));
    QCOMPARE(w->noLineLabel()->text(), QString("Помещений без линии: 0"));
    QCOMPARE(w->noLineLabel()->accessibleName(), QString("Помещений без линии: 0"));

    // A new name goes to the line's rooms in one step.
    project::LineTable *lines = w->lineTable();
    lines->setData(lines->index(0, 0), "Северная");
    QCOMPARE(roomLines(), QStringList({"Северная", "Северная"}));
    w->undoStack()->undo();
    QCOMPARE(roomLines(), QStringList({"Л1", "Л1"}));
    QCOMPARE(w->model()->project().lines.at(0).name, QString("Л1"));

    QTest::mouseClick(w->addLineButton(), Qt::LeftButton);
    // What is refused is said in the status bar, until the next change.
    QStatusBar *status = w->statusBar();
    lines->setData(lines->index(1, 0), "Л1");
    QCOMPARE(status->currentMessage(), QString("Линия «Л1» уже есть"));
    lines->setData(lines->index(1, 0), " ");
    QCOMPARE(status->currentMessage(), QString("У линии должно быть имя"));
    lines->setData(lines->index(1, 4), "1,5");
    QCOMPARE(status->currentMessage(), QString());
    lines->setData(lines->index(1, 2), "десять");
    QCOMPARE(status->currentMessage(), QString("«десять»: введите число"));
    QCOMPARE(f->messages.texts(), QStringList());
    QCOMPARE(w->model()->project().lines.at(1), (project::Line{"Л2", 100, 10, 50, 1.5, 1, 25}));

    // Removing a line leaves its rooms on no line, until it is undone.
    w->lineView()->setCurrentIndex(lines->index(0, 0));
    QVERIFY(w->removeLineButton()->isEnabled());
    QTest::mouseClick(w->removeLineButton(), Qt::LeftButton);
    QCOMPARE(roomLines(), QStringList({"", ""}));
    QCOMPARE(w->noLineLabel()->text(), QString("Помещений без линии: 2"));
    w->undoStack()->undo();
    QCOMPARE(roomLines(), QStringList({"Л1", "Л1"}));
    QCOMPARE(w->model()->project().lines.size(), std::size_t(2));

    // The cable allowance, typed, and undone.
    w->cableAllowanceBox()->setText("12,5");
    emit w->cableAllowanceBox()->editingFinished();
    QCOMPARE(w->model()->project().cableAllowance, 12.5);
    w->undoStack()->undo();
    QCOMPARE(w->model()->project().cableAllowance, 10.0);
    QCOMPARE(w->cableAllowanceBox()->text(), QString("10"));
    QCOMPARE(w->cableAllowanceBox()->accessibleName(), QString("Запас кабеля, %"));
}

void ProjectWindowTest::editorsRefuseValuesOutOfRange_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("section of -1") << "Сечение, мм²"
                                   << "-1"
                                   << "Значение «Сечение, мм²» должно быть больше 0 и не больше 1000";
    QTest::newRow("section too large") << "Сечение, мм²"
                                       << "1001"
                                       << "Значение «Сечение, мм²» должно быть больше 0 и не больше 1000";
    QTest::newRow("a length of 10^300")
        << "Длина до последнего, м"
        << "1e300"
        << "Значение «Длина до последнего, м» должно быть больше 0 и не больше 100 000";
    QTest::newRow("first beyond the last")
        << "Длина до первого, м"
        << "60"
        << "Значение «Длина до первого, м» должно быть не больше значения «Длина до последнего, м»";
    QTest::newRow("last before the first")
        << "Длина до последнего, м"
        << "5"
        << "Значение «Длина до первого, м» должно быть не больше значения «Длина до последнего, м»";
    QTest::newRow("negative first length") << "Длина до первого, м"
                                           << "-0,5"
                                           << "Значение «Длина до первого, м» должно быть от 0 до 100 000";
    QTest::newRow("loss of -3") << "Допустимые потери, дБ"
                                << "-3"
                                << "Значение «Допустимые потери, дБ» должно быть больше 0 и не больше 60";
    QTest::newRow("headroom too large") << "Запас мощности, %"
                                        << "1000.5"
                                        << "Значение «Запас мощности, %» должно быть от 0 до 1000";
    QTest::newRow("voltage off the list") << "Напряжение, В"
                                          << "50"
                                          << "Значение «Напряжение, В» должно быть одним из: 100, 70, 30";
    QTest::newRow("empty room name") << "Помещение"
                                     << ""
                                     << "Значение «Помещение» не может быть пустым";
    QTest::newRow("blank room name") << "Помещение"
                                     << "  "
                                     << "Значение «Помещение» не может быть пустым";
}

void ProjectWindowTest::editorsRefuseValuesOutOfRange()
{
    QFETCH(QString, caption);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    project::ProjectWindow *w = openRooms(
        {inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "9", "6", "", true)});
    QVERIFY(w);
    QTest::mouseClick(w->addLineButton(), Qt::LeftButton);
    const project::Project before = w->model()->project();
    const int edits = w->undoStack()->count();
    QAbstractItemModel *model = nullptr;
    int col = -1;
    if (caption == u"Помещение") {
        model = w->table();
        col = column(caption);
    } else {
        model = w->lineTable();
        const auto &columns = project::lineColumns();
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].caption == caption)
                col = int(i);
        }
    }
    QVERIFY(col >= 0);
    const QModelIndex cell = model->index(0, col);
    const QString shown = cell.data().toString();
    model->setData(cell, typed);
    QCOMPARE(cell.data().toString(), shown);
    QCOMPARE(w->model()->project(), before);
    QCOMPARE(w->undoStack()->count(), edits);
    QCOMPARE(w->statusBar()->currentMessage(), message);
    QCOMPARE(f->messages.texts(), QStringList());
    // A value in range is taken, and the message goes.
    model->setData(cell, caption == u"Помещение" ? "Зал" : caption == u"Напряжение, В" ? "70" : "20");
    QCOMPARE(w->undoStack()->count(), edits + 1);
    QCOMPARE(w->statusBar()->currentMessage(), QString());
}

namespace {

// Prints into a PDF file instead of asking for a printer.
class PrintingToFile : public project::ProjectWindow {
public:
    PrintingToFile(const project::RoomCalculator &calculator, Messenger *messenger, QString path)
        : ProjectWindow(calculator, messenger),
          m_path(std::move(path))
    { }

protected:
    bool askPrint(QPrinter &printer) override
    {
        layout = printer.pageLayout();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        return true;
    }

public:
    QPageLayout layout;

private:
    QString m_path;
};

} // namespace

void ProjectWindowTest::printingPaintsTheDocumentsPages()
{
    const RoomEvaluation calculator;
    const QString pdf = dir.filePath("printed.pdf");
    PrintingToFile w(calculator, &f->messages, pdf);
    const RoomInputs theatre
        = inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "9", "6", "", true);
    project::Project p;
    p.name = "Гимназия";
    p.lines = {project::Line{"Л1"}};
    p.rooms.push_back({"Тир", "1", "Л1", theatre, "рядами", {}});
    const QString path = dir.filePath("print.lsplan");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(project::projectBytes(p, {}));
    file.close();
    QVERIFY(w.openFile(path));
    w.print();
    QCOMPARE(w.layout.orientation(), QPageLayout::Landscape);
    QCOMPARE(w.layout.pageSize().id(), QPageSize::A4);
    QProcess text;
    text.start("pdftotext", {"-layout", "-enc", "UTF-8", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains("Расчет системы оповещения: Гимназия"), qPrintable(printed));
    QVERIFY(printed.contains("Тир"));
    QVERIFY(printed.contains("Усилитель (канал) для линии Л1"));
    QVERIFY(printed.contains("Лист 1 из 1"));
    QCOMPARE(f->messages.texts(), QStringList());
}

namespace {

// Answers "Экспорт…" with a path, the filter chosen the first one (CSV).
class ExportingTo : public project::ProjectWindow {
public:
    ExportingTo(const project::RoomCalculator &calculator, Messenger *messenger, QString path)
        : ProjectWindow(calculator, messenger),
          m_path(std::move(path))
    { }

protected:
    QString askSavePath(const QString &, const QString &, const QStringList &filters,
                        QString *chosen) override
    {
        if (chosen)
            *chosen = filters.front();
        return m_path;
    }

private:
    QString m_path;
};

// The processor time this thread has used, ms.
qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// A file of the project, written as another program would.
bool writeProject(const QString &path, const project::Project &p)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(project::projectBytes(p, {})) > 0;
}

} // namespace

// An export right after opening waits for the level figures, showing how
// many are done, and then writes all of them.
void ProjectWindowTest::exportWaitsForTheLevelsWithTheWindowAlive()
{
    const RoomEvaluation calculator;
    const QString csv = dir.filePath("levels.csv");
    ExportingTo w(calculator, &f->messages, csv);
    w.show();
    project::Project p;
    for (int i = 0; i < 4; ++i)
        p.rooms.push_back({QStringLiteral("Класс %1").arg(i + 1),
                           "2",
                           "",
                           inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3",
                                  QString::number(41 + i), "30", "", true),
                           "рядами",
                           {}});
    const QString path = dir.filePath("levels.lsplan");
    QVERIFY(writeProject(path, p));
    QVERIFY(w.openFile(path));
    QVERIFY(w.results()->levelsPending());
    QString shown;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, &w, [&] {
        if (auto *dialog = w.findChild<QProgressDialog *>(); dialog && dialog->isVisible() && shown.isEmpty())
            shown = dialog->labelText();
    });
    watcher.start(5);
    w.exportTable();
    watcher.stop();
    QVERIFY2(shown.startsWith("Расчет уровней: ") && shown.endsWith(" из 4"), qPrintable(shown));
    QVERIFY(!w.results()->levelsPending());
    QVERIFY(!w.findChild<QProgressDialog *>());
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY(!text.contains("…"));
    QCOMPARE(text.count("\r\n"), 5);
    for (int r = 0; r < 4; ++r)
        QVERIFY(!w.table()->cellText(r, column("Мин. уровень, дБ")).isEmpty());
    QCOMPARE(f->messages.texts(), QStringList());
}

// A building of 2 000 distinct rooms, exported while its level columns
// fill: the progress dialog counts up, the window answers all along (a
// timer ticking every 20 ms never waits for 100 ms of the window's work),
// and "Отмена" writes nothing while the columns go on filling.
void ProjectWindowTest::exportOfManyRoomsIsCancelledWhileTheColumnsFill()
{
    const RoomEvaluation calculator;
    const QString csv = dir.filePath("building.csv");
    ExportingTo w(calculator, &f->messages, csv);
    w.show();
    project::Project p;
    p.name = "Корпус";
    for (int i = 0; i < 2000; ++i) {
        const QString length = QString::number(12 + (i % 40) * 0.25);
        const QString width = QString::number(6 + (i / 40) * 0.1);
        p.rooms.push_back(
            {QStringLiteral("Помещение %1").arg(i + 1),
             QString::number(i / 100 + 1),
             "",
             inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", length, width, "", true),
             "рядами",
             {}});
    }
    const QString path = dir.filePath("building.lsplan");
    QVERIFY(writeProject(path, p));
    QElapsedTimer opening;
    opening.start();
    QVERIFY(w.openFile(path));
    qInfo("2 000 rooms opened and computed but their maps in %lld ms", qlonglong(opening.elapsed()));
    QCOMPARE(w.results()->levelProgress().needed, 2000);
    // The user asks for the export once the window shows the rooms.
    QTest::qWait(200);

    // Between two ticks: the time gone by, and the time the window's thread
    // worked (which a busy machine does not stretch).
    QElapsedTimer sinceTick;
    qint64 largestGap = 0;
    qint64 lastWork = threadCpuMs();
    qint64 largestWork = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, &w, [&] {
        largestGap = std::max(largestGap, sinceTick.restart());
        const qint64 work = threadCpuMs();
        largestWork = std::max(largestWork, work - lastWork);
        lastWork = work;
    });
    QStringList labels;
    QStringList totals;
    QString accessibleName;
    QString cancelCaption;
    bool windowModal = false;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, &w, [&] {
        auto *dialog = w.findChild<QProgressDialog *>();
        if (!dialog || !dialog->isVisible())
            return;
        if (labels.isEmpty() || labels.back() != dialog->labelText()) {
            labels << dialog->labelText();
            totals << w.totalsLabel()->text();
        }
        accessibleName = dialog->accessibleName();
        windowModal = dialog->windowModality() == Qt::WindowModal;
        if (labels.size() >= 3) {
            auto *cancel = dialog->findChild<QPushButton *>();
            cancelCaption = cancel->text();
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    sinceTick.start();
    ticker.start(20);
    watcher.start(50);
    w.exportTable();
    ticker.stop();
    watcher.stop();
    qInfo("The longest the window was held up while the export waited: %lld ms, of which it worked %lld ms",
          qlonglong(largestGap), qlonglong(largestWork));

    QVERIFY(!QFile::exists(csv));
    QCOMPARE(f->messages.texts(), QStringList());
    QCOMPARE(accessibleName, QString("Расчет уровней"));
    QCOMPARE(cancelCaption, QString("Отмена"));
    QVERIFY(windowModal);
    QVERIFY2(labels.size() >= 3, qPrintable(labels.join(" | ")));
    const QRegularExpression counted("^Расчет уровней: (\\d+) из 2000$");
    int previous = -1;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QRegularExpressionMatch match = counted.match(labels[i]);
        QVERIFY2(match.hasMatch(), qPrintable(labels[i]));
        QVERIFY(match.captured(1).toInt() > previous);
        previous = match.captured(1).toInt();
        // The table's totals show the count too.
        QVERIFY2(totals[i].startsWith("Помещений: 2000. Громкоговорителей: ")
                     && counted.match(totals[i].section(". ", -1)).hasMatch(),
                 qPrintable(totals[i]));
    }
    QVERIFY(previous < 2000);
    // The columns go on filling after the export is cancelled.
    QVERIFY(w.results()->levelsPending());
    const int done = w.results()->levelProgress().done;
    QTRY_VERIFY_WITH_TIMEOUT(w.results()->levelProgress().done > done, 20000);
    // The window's own work never holds it up for 100 ms; the time gone by
    // also counts the other programs of a busy machine, hence the margin.
    QVERIFY2(largestWork < 100, qPrintable(QString::number(largestWork)));
    QVERIFY2(largestGap < 1000, qPrintable(QString::number(largestGap)));
}

void ProjectWindowTest::exportRefusesTheProjectsOwnFile_data()
{
    // The project is the file "object.csv" in the test's folder, which
    // also holds "link.csv" -> object.csv.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("refused");
    QTest::newRow("the project's file") << "{dir}/object.csv" << true;
    QTest::newRow("the name without its suffix") << "{dir}/object" << true;
    QTest::newRow("another spelling") << "{dir}/sub/../object.csv" << true;
    QTest::newRow("a link to it") << "{dir}/link.csv" << true;
    QTest::newRow("another file") << "{dir}/rooms.csv" << false;
}

// "Экспорт…" onto the project's own file would replace the project with
// the table: refused with the message the command line gives, and nothing
// is written.
void ProjectWindowTest::exportRefusesTheProjectsOwnFile()
{
    QFETCH(QString, chosen);
    QFETCH(bool, refused);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir("sub"));
    chosen.replace("{dir}", folder.path());
    const RoomEvaluation calculator;
    ExportingTo w(calculator, &f->messages, chosen);
    project::Project p;
    p.name = "Гимназия";
    p.rooms.push_back(
        {"Тир",
         "1",
         "",
         inputs("KE-1", calc::Mounting::Ceiling, 1, "", "", "ТЕАТР", "", "3", "9", "6", "", true),
         "рядами",
         {}});
    const QString path = folder.filePath("object.csv");
    const QByteArray bytes = project::projectBytes(p, {});
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(QFile::link(path, folder.filePath("link.csv")));
    QVERIFY(w.openFile(path));
    f->messages.shown.clear();

    w.exportTable();
    const QString written = QFileInfo(chosen).suffix().isEmpty() ? chosen + ".csv" : chosen;
    QFile project(path);
    QVERIFY(project.open(QIODevice::ReadOnly));
    if (refused) {
        QCOMPARE(f->messages.texts(),
                 QStringList{QStringLiteral("Файл «%1» — это сам файл объекта; выберите другое имя.")
                                 .arg(QDir::toNativeSeparators(written))});
        QCOMPARE(project.readAll(), bytes);
        QVERIFY(QFileInfo(folder.filePath("link.csv")).isSymLink());
    } else {
        QCOMPARE(f->messages.texts(), QStringList());
        QCOMPARE(project.readAll(), bytes);
        QFile table(written);
        QVERIFY(table.open(QIODevice::ReadOnly));
        QVERIFY(table.readAll().contains(QStringLiteral("Тир").toUtf8()));
    }
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System).size(), refused ? 2 : 3);
}

QTEST_MAIN(ProjectWindowTest)
#include "tst_project_window.moc"
