// The rooms table of the "Объект" window as a user reads a wide project:
// "№" and "Помещение" stay in view over the left while the other columns
// scroll sideways, follow scrolling, sorting, selection and editing, and the
// columns the user hid or moved come back in the next window.

#include "recordingmessenger.h"
#include "roomtesthelpers.h"

#include "app/roomevaluation.h"
#include "project/frozentableview.h"
#include "project/projectfile.h"
#include "project/projectwindow.h"
#include "project/roomtable.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <algorithm>
#include <memory>

using project::FrozenTableView;
using project::ProjectWindow;

namespace {

const QString ColumnsKey = QStringLiteral("project/roomColumns");

// Twenty rooms of one ceiling model: room i is (10 + 3 i) m by 6 m, so
// that their counts differ; their names sort otherwise ("Помещение 20"
// before "Помещение 3").
project::Project wideProject()
{
    project::Project p;
    p.name = QStringLiteral("Корпус");
    for (int i = 1; i <= 20; ++i) {
        project::RoomInputs in;
        in.model = QStringLiteral("KE-1");
        in.mounting = calc::Mounting::Ceiling;
        in.tap = 1;
        in.directivity = "90";
        in.verticalDirectivity = "90";
        in.tilt = "0";
        in.margin = "10";
        in.listeningHeight = "150";
        in.roomType = QStringLiteral("МАГАЗИН");
        in.height = "3";
        in.length = QString::number(10 + 3 * ((i * 7) % 20));
        in.width = "6.5";
        in.areaFromSides = true;
        p.rooms.push_back(
            {QStringLiteral("Помещение %1").arg(i), "1", "Л1", in, QStringLiteral("рядами"), {}});
    }
    return p;
}

} // namespace

class RoomViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init()
    {
        QLocale::setDefault(QLocale::c());
        QSettings().remove(ColumnsKey);
    }
    void cleanup()
    {
        if (m_window)
            m_window->discardProject();
        m_window.reset();
        QSettings().remove(ColumnsKey);
    }
    void firstColumnsStayInViewScrolledRight_data();
    void firstColumnsStayInViewScrolledRight();
    void frozenColumnsFollowScrollingAndSorting();
    void frozenColumnsAreNoSecondStop();
    void nameIsEditedWhereItIsSeen();
    void hiddenAndMovedColumnsAreKept();
    void aStoredStateThatDoesNotFitGivesTheDefaults_data();
    void aStoredStateThatDoesNotFitGivesTheDefaults();

private:
    // A new window with the twenty rooms, shown 1920 px wide.
    ProjectWindow *openWindow()
    {
        if (m_window)
            m_window->discardProject();
        m_window.reset();
        const QString path = m_dir.filePath(QStringLiteral("wide.lsplan"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(project::projectBytes(wideProject(), {})) < 0)
            return nullptr;
        file.close();
        m_window = std::make_unique<ProjectWindow>(m_calculator, &m_messages);
        m_window->resize(1920, 700);
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        if (!QTest::qWaitForWindowExposed(m_window.get()) || !m_window->openFile(path))
            return nullptr;
        m_window->activateWindow();
        QCoreApplication::processEvents();
        return m_window.get();
    }
    FrozenTableView *rooms() const { return qobject_cast<FrozenTableView *>(m_window->view()); }
    // The logical columns of the frozen part that are shown.
    static QList<int> shownColumns(const QTableView *view)
    {
        QList<int> shown;
        for (int c = 0; c < view->model()->columnCount(); ++c) {
            if (!view->isColumnHidden(c))
                shown << c;
        }
        return shown;
    }
    // The text the view shows at a point of its viewport.
    static QString textAt(const QTableView *view, QPoint point)
    {
        return view->indexAt(point).data().toString();
    }
    // The menu a right click on the column's heading opens.
    QMenu *headingMenu(QHeaderView *header, int column)
    {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        emit header->customContextMenuRequested(QPoint(x, header->height() / 2));
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    static QAction *entry(QMenu *menu, const QString &text)
    {
        for (QAction *a : menu->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }

    const RoomEvaluation m_calculator;
    RecordingMessenger m_messages;
    QTemporaryDir m_dir;
    std::unique_ptr<ProjectWindow> m_window;
};

void RoomViewTest::firstColumnsStayInViewScrolledRight_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("decimal point") << "C";
    QTest::newRow("decimal comma") << "ru_RU";
}

void RoomViewTest::firstColumnsStayInViewScrolledRight()
{
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    FrozenTableView *view = rooms();
    QVERIFY(view);
    QTableView *frozen = view->frozenView();
    QVERIFY(frozen->isVisible());
    QCOMPARE(frozen->accessibleName(), QString("Помещения: закрепленные столбцы «№» и «Помещение»"));
    QCOMPARE(shownColumns(frozen), (QList<int>{0, 1}));
    QCOMPARE(frozen->model()->headerData(0, Qt::Horizontal).toString(), QString("№"));
    QCOMPARE(frozen->model()->headerData(1, Qt::Horizontal).toString(), QString("Помещение"));

    // Twenty columns do not fit 1920 px: the table scrolls sideways.
    QScrollBar *sideways = view->horizontalScrollBar();
    QTRY_VERIFY(sideways->maximum() > 0);
    const int covered = view->columnWidth(0) + view->columnWidth(1);
    QTRY_COMPARE(frozen->columnWidth(0), view->columnWidth(0));
    QTRY_COMPARE(frozen->columnWidth(1), view->columnWidth(1));
    QCOMPARE(frozen->geometry(),
             QRect(view->viewport()->x(), view->viewport()->y() - view->horizontalHeader()->height(), covered,
                   view->viewport()->height() + view->horizontalHeader()->height()));

    sideways->setValue(sideways->maximum());
    QCoreApplication::processEvents();
    // The table's own first columns have gone off to the left; the part
    // over them still names every row.
    QVERIFY(view->columnViewportPosition(1) + view->columnWidth(1) <= 0);
    const int rowHeight = view->rowHeight(0);
    for (int row : {0, 5, 12}) {
        const int y = view->rowViewportPosition(row) + rowHeight / 2;
        QCOMPARE(textAt(frozen, QPoint(2, y)), w->table()->cellText(row, column("№")));
        QCOMPARE(textAt(frozen, QPoint(view->columnWidth(0) + 2, y)), QString("Помещение %1").arg(row + 1));
        // Beside them, a column of the end of the table.
        const int beside = view->columnAt(covered + 2);
        QVERIFY2(beside > 1, qPrintable(QString::number(beside)));
    }
    QVERIFY(view->columnAt(view->viewport()->width() - 2) == column("Замечание"));

    if (const QByteArray shots = qgetenv("PLANNER_SHOTS"); !shots.isEmpty())
        w->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/rooms-scrolled-%1.png").arg(locale));
}

void RoomViewTest::frozenColumnsFollowScrollingAndSorting()
{
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    w->resize(1200, 300);
    FrozenTableView *view = rooms();
    QTableView *frozen = view->frozenView();
    QTRY_VERIFY(view->verticalScrollBar()->maximum() > 5);
    QTRY_COMPARE(frozen->verticalScrollBar()->maximum(), view->verticalScrollBar()->maximum());
    const auto topRowsAgree = [view, frozen] {
        const int y = view->rowHeight(0) / 2;
        return view->rowAt(y) == frozen->rowAt(y) && view->rowAt(y) > 0
            && frozen->indexAt(QPoint(2, y)).data() == view->model()->index(view->rowAt(y), 0).data();
    };

    // Down in the table: the part follows.
    view->verticalScrollBar()->setValue(6);
    QCOMPARE(frozen->verticalScrollBar()->value(), 6);
    QVERIFY(topRowsAgree());
    // The wheel over the part: the table follows.
    QWheelEvent wheel(QPointF(5, 5), frozen->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(frozen->viewport(), &wheel);
    QVERIFY(view->verticalScrollBar()->value() > 6);
    QCOMPARE(view->verticalScrollBar()->value(), frozen->verticalScrollBar()->value());
    QVERIFY(topRowsAgree());
    // A new room at the end, scrolled to: both at the bottom.
    w->model()->addRoom(w->model()->roomCount(), w->model()->project().rooms.front());
    view->scrollToBottom();
    QTRY_COMPARE(frozen->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());

    // A click on "Помещение" over the left sorts the whole table by name.
    view->scrollToTop();
    QHeaderView *partHeader = frozen->horizontalHeader();
    QTest::mouseClick(partHeader->viewport(), Qt::LeftButton, {},
                      QPoint(partHeader->sectionViewportPosition(1) + 5, partHeader->height() / 2));
    QCOMPARE(view->horizontalHeader()->sortIndicatorSection(), 1);
    QStringList names;
    for (const project::Room &r : w->model()->project().rooms)
        names << r.name;
    std::sort(names.begin(), names.end());
    const Qt::SortOrder order = view->horizontalHeader()->sortIndicatorOrder();
    const QString first = order == Qt::AscendingOrder ? names.front() : names.back();
    QCOMPARE(textAt(frozen, QPoint(view->columnWidth(0) + 2, view->rowHeight(0) / 2)), first);

    // Sorted by the count in the table: the part shows the rooms in that order.
    const int count = column("Количество");
    view->horizontalHeader()->setSortIndicator(count, Qt::DescendingOrder);
    QCOMPARE(partHeader->sortIndicatorSection(), count);
    double previous = 1e300;
    for (int row = 0; row < 8; ++row) {
        const QString number = textAt(frozen, QPoint(2, view->rowViewportPosition(row) + 2));
        const double loudspeakers = w->results()->at(number.toInt() - 1).count;
        QVERIFY2(loudspeakers <= previous, qPrintable(number));
        previous = loudspeakers;
    }

    // One selection: a click on a name in the part selects that room's row.
    const QPoint third(view->columnWidth(0) + 2, view->rowViewportPosition(2) + 2);
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(view->selectionModel(), frozen->selectionModel());
    QCOMPARE(view->currentIndex().row(), 2);
    QVERIFY(view->selectionModel()->isRowSelected(2, QModelIndex()));
    QVERIFY(w->replaceButton()->isEnabled());
}

void RoomViewTest::frozenColumnsAreNoSecondStop()
{
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    FrozenTableView *view = rooms();
    QTableView *frozen = view->frozenView();
    QVERIFY(!(frozen->focusPolicy() & Qt::TabFocus));
    // A click in the part puts the keyboard in the table.
    QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {}, QPoint(2, view->rowViewportPosition(3) + 2));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(view));

    // Right to the last column and back: every cell the cursor reaches is
    // in view, none under the part.
    QScrollBar *sideways = view->horizontalScrollBar();
    const int covered = view->columnWidth(0) + view->columnWidth(1);
    for (int i = 0; i < view->model()->columnCount(); ++i)
        QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(view->currentIndex().column(), column("Замечание"));
    QCOMPARE(sideways->value(), sideways->maximum());
    for (int c = view->model()->columnCount() - 2; c >= 2; --c) {
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(view->currentIndex().column(), c);
        QVERIFY2(view->columnViewportPosition(c) >= covered, qPrintable(QString::number(c)));
    }
    QTest::keyClick(view, Qt::Key_End);
    QVERIFY(sideways->value() > 0);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->currentIndex().column(), 0);
    QCOMPARE(sideways->value(), 0);

    // Tab leaves the table for the next control, not for the part.
    QTest::keyClick(view, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != frozen);
    QVERIFY(QApplication::focusWidget() != view);
}

void RoomViewTest::nameIsEditedWhereItIsSeen()
{
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    FrozenTableView *view = rooms();
    QTableView *frozen = view->frozenView();
    view->setFocus();
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    const QModelIndex name = view->model()->index(4, column("Помещение"));
    view->setCurrentIndex(name);
    QTest::keyClick(view, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(frozen->indexWidget(name));
    QVERIFY(editor);
    QVERIFY(editor->isVisible());
    QVERIFY(frozen->geometry().contains(frozen->mapToParent(editor->mapTo(frozen, QPoint(1, 1)))));
    editor->setText(QStringLiteral("Тир"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on the next pass of the event loop.
    QTRY_COMPARE(w->model()->project().rooms[4].name, QString("Тир"));
    QCOMPARE(w->undoStack()->count(), 1);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(view));
}

void RoomViewTest::hiddenAndMovedColumnsAreKept()
{
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    FrozenTableView *view = rooms();
    QHeaderView *header = view->horizontalHeader();
    const int noise = column("Шум, дБ");
    const int range = column("Дальность, м");
    view->horizontalScrollBar()->setValue(header->sectionPosition(noise) - 400);
    QMenu *menu = headingMenu(header, noise);
    QVERIFY(menu);
    QAction *number = entry(menu, "№");
    QVERIFY(number && number->isChecked() && !number->isEnabled());
    QAction *name = entry(menu, "Помещение");
    QVERIFY(name && name->isChecked() && !name->isEnabled());
    QAction *rangeShown = entry(menu, "Дальность, м");
    QVERIFY(rangeShown && rangeShown->isChecked() && rangeShown->isEnabled());
    rangeShown->trigger();
    menu->close();
    QVERIFY(view->isColumnHidden(range));
    QVERIFY(!view->frozenView()->isColumnHidden(0));

    // The same entries from the menu bar, for the keyboard.
    QMenu *viewMenu = nullptr;
    for (QMenu *candidate : w->findChildren<QMenu *>()) {
        if (candidate->title() == "&Столбцы таблицы помещений")
            viewMenu = candidate;
    }
    QVERIFY(viewMenu);
    emit viewMenu->aboutToShow();
    QAction *rangeAgain = entry(viewMenu, "Дальность, м");
    QVERIFY(rangeAgain && !rangeAgain->isChecked());
    QVERIFY(entry(viewMenu, "Количество") && entry(viewMenu, "Количество")->isChecked());

    // "Шум, дБ" one place to the right, from its heading's menu.
    menu = headingMenu(header, noise);
    QVERIFY(menu);
    QAction *right = entry(menu, "Сдвинуть «Шум, дБ» вправо");
    QVERIFY(right && right->isEnabled());
    const int noiseAt = header->visualIndex(noise);
    right->trigger();
    menu->close();
    QCOMPARE(header->visualIndex(noise), noiseAt + 1);

    // Dragged before "№": "№" and "Помещение" take the first places back.
    const int line = column("Линия");
    header->moveSection(header->visualIndex(line), 0);
    QCOMPARE(header->logicalIndex(0), 0);
    QCOMPARE(header->logicalIndex(1), 1);
    QCOMPARE(header->logicalIndex(2), line);

    const QStringList state = QSettings().value(ColumnsKey).toStringList();
    QCOMPARE(state.size(), int(project::roomColumns().size()));
    QCOMPARE(state.mid(0, 3), QStringList({"№", "Помещение", "Линия"}));
    QVERIFY(state.contains("-Дальность, м"));
    const QList<int> order = [header] {
        QList<int> o;
        for (int v = 0; v < header->count(); ++v)
            o << header->logicalIndex(v);
        return o;
    }();

    // Another project opened keeps them; so does the next window.
    QVERIFY(w->openFile(w->filePath()));
    QVERIFY(view->isColumnHidden(range));
    w = openWindow();
    QVERIFY(w);
    view = rooms();
    header = view->horizontalHeader();
    QVERIFY(view->isColumnHidden(range));
    QCOMPARE(shownColumns(view->frozenView()), (QList<int>{0, 1}));
    for (int v = 0; v < header->count(); ++v)
        QCOMPARE(header->logicalIndex(v), order[v]);

    // "Все столбцы по порядку" gives the defaults back, and keeps them.
    menu = headingMenu(view->frozenView()->horizontalHeader(), 1);
    QVERIFY(menu);
    QVERIFY(!entry(menu, "Сдвинуть «Помещение» вправо"));
    entry(menu, "Все столбцы по порядку")->trigger();
    menu->close();
    QVERIFY(!view->isColumnHidden(range));
    for (int v = 0; v < header->count(); ++v)
        QCOMPARE(header->logicalIndex(v), v);
    QStringList captions;
    for (const project::RoomColumn &c : project::roomColumns())
        captions << c.caption;
    QCOMPARE(QSettings().value(ColumnsKey).toStringList(), captions);
}

void RoomViewTest::aStoredStateThatDoesNotFitGivesTheDefaults_data()
{
    QStringList captions;
    for (const project::RoomColumn &c : project::roomColumns())
        captions << c.caption;
    QTest::addColumn<QStringList>("stored");
    QStringList fewer = captions;
    fewer.removeAt(5);
    fewer[6] = "-" + fewer[6];
    QTest::newRow("a column fewer") << fewer;
    QStringList more = captions;
    more.insert(4, "-Сопротивление, Ом");
    QTest::newRow("a column more") << more;
    QStringList renamed = captions;
    renamed[8] = "-Длинна, м";
    QTest::newRow("an unknown column") << renamed;
    QStringList twice = captions;
    twice[9] = "-" + captions[8];
    QTest::newRow("a column twice") << twice;
    QStringList numberHidden = captions;
    numberHidden[0] = "-№";
    QTest::newRow("№ hidden") << numberHidden;
    QStringList nameMoved = captions;
    nameMoved.swapItemsAt(1, 7);
    QTest::newRow("Помещение moved") << nameMoved;
    QTest::newRow("nothing") << QStringList();
}

void RoomViewTest::aStoredStateThatDoesNotFitGivesTheDefaults()
{
    QFETCH(QStringList, stored);
    QSettings().setValue(ColumnsKey, stored);
    ProjectWindow *w = openWindow();
    QVERIFY(w);
    FrozenTableView *view = rooms();
    QHeaderView *header = view->horizontalHeader();
    QCOMPARE(header->count(), int(project::roomColumns().size()));
    for (int c = 0; c < header->count(); ++c) {
        QCOMPARE(header->visualIndex(c), c);
        QVERIFY(!view->isColumnHidden(c));
    }
    QCOMPARE(shownColumns(view->frozenView()), (QList<int>{0, 1}));
    QVERIFY(!view->restoreColumnState(stored));

    // The same state with every column fits.
    QStringList fits;
    for (const project::RoomColumn &c : project::roomColumns())
        fits << c.caption;
    fits.move(5, 9);
    fits[3] = "-" + fits[3];
    QVERIFY(view->restoreColumnState(fits));
    QCOMPARE(view->columnState(), fits);
    QVERIFY(view->isColumnHidden(column(fits[3].mid(1))));
}

QTEST_MAIN(RoomViewTest)
#include "tst_project_roomview.moc"
