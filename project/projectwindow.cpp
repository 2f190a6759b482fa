#include "projectwindow.h"

#include "choicedelegate.h"
#include "documentwriters.h"
#include "floorimport.h"
#include "frozentableview.h"
#include "linetable.h"
#include "projectcommands.h"
#include "projectdocument.h"
#include "projectfile.h"
#include "projectlines.h"
#include "projectmodel.h"
#include "roomcalculator.h"
#include "roomexport.h"
#include "roomresults.h"
#include "roomtable.h"
#include "validation.h"

#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "widgets/backgroundjobs.h"
#include "widgets/exportformat.h"
#include "widgets/messenger.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

namespace project {

namespace {

const QString RecentKey = QStringLiteral("project/recentFiles");
// The rooms table's columns as the user ordered and hid them.
const QString RoomColumnsKey = QStringLiteral("project/roomColumns");
// "№" and "Помещение" stay in view while the table scrolls sideways.
constexpr int FrozenRoomColumns = 2;
constexpr int RecentCount = 8;
// A change is copied for recovery within two seconds.
constexpr int RecoveryDelayMs = 1500;

QString fileFilter()
{
    return QStringLiteral("Объект (*.%1)").arg(FileSuffix);
}

QAction *addMenuAction(QMenu *menu, const QString &text, const QKeySequence &keys = {})
{
    QAction *action = menu->addAction(text);
    if (!keys.isEmpty())
        action->setShortcut(keys);
    return action;
}

// A table of the window: one row selected at a time, Tab leaving it for
// the next control, rows as tall as a line of text.
QTableView *setUpTableView(QTableView *view, const QString &name, const QString &caption)
{
    view->setObjectName(name);
    view->setAccessibleName(caption);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    return view;
}

QTableView *newTableView(const QString &name, const QString &caption, QWidget *parent)
{
    return setUpTableView(new QTableView(parent), name, caption);
}

// A heading above a table, which names it and takes its mnemonic.
void addHeadedView(QVBoxLayout *layout, const QString &caption, QTableView *view)
{
    auto *heading = new QLabel(caption, view->parentWidget());
    heading->setBuddy(view);
    layout->addWidget(heading);
    layout->addWidget(view, 1);
}

int columnWhere(bool (*test)(const RoomColumn &))
{
    const auto &columns = roomColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (test(columns[c]))
            return int(c);
    }
    return -1;
}

} // namespace

ProjectWindow::ProjectWindow(const RoomCalculator &calculator, Messenger *messenger, QWidget *parent)
    : QMainWindow(parent),
      m_calculator(calculator),
      m_messenger(messenger),
      m_model(new ProjectModel(this)),
      // Before the tables: the results are there when they hear of a change.
      m_results(new RoomResultsService(*m_model, calculator, calc::localeDecimalPoint(), this)),
      m_table(new RoomTable(*m_results, this)),
      m_sorted(new QSortFilterProxyModel(this)),
      m_undo(new QUndoStack(this)),
      m_lineTable(new LineTable(*m_results, this)),
      m_equipmentTable(new EquipmentTable(*m_lineTable, m_results->decimalPoint(), this)),
      m_recoveryTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("ProjectWindow"));
    m_sorted->setSourceModel(m_table);
    m_sorted->setSortRole(RoomTable::SortRole);
    m_recoveryTimer->setSingleShot(true);
    m_recoveryTimer->setInterval(RecoveryDelayMs);
    connect(m_recoveryTimer, &QTimer::timeout, this, &ProjectWindow::writeRecoveryCopy);

    buildMenus();
    buildContent();

    // An edit in place that is not taken leaves the cell as it was; the
    // status bar says why until the project changes next.
    connect(m_undo, &QUndoStack::indexChanged, statusBar(), &QStatusBar::clearMessage);
    connect(m_table, &RoomTable::editRequested, this, [this](RoomId id, int column, const QString &text) {
        const RoomColumn &edited = roomColumns()[std::size_t(column)];
        if (edited.countChoice) {
            const std::optional<PlanCount> count = countFromText(text);
            if (!count) {
                statusBar()->showMessage(QStringLiteral("%1: «%2», «%3» или целое число от 1 до %4")
                                             .arg(edited.caption, CalculatedCountText, LevelCountText)
                                             .arg(MaxPlanCount));
                return;
            }
            m_undo->push(new RoomCountsCommand(*m_model, {{id, *count}}));
            return;
        }
        if (const QString problem = roomNameProblem(text);
            edited.edited == &Room::name && !problem.isEmpty()) {
            statusBar()->showMessage(valueProblemText(edited.caption, problem));
            return;
        }
        if (const QString problem = reverberationProblem(text);
            edited.edited == &Room::reverberation && !problem.isEmpty()) {
            statusBar()->showMessage(valueProblemText(edited.caption, problem));
            return;
        }
        m_undo->push(new EditTextCommand(*m_model, id, edited.edited, edited.caption, text));
    });
    connect(m_model, &ProjectModel::changed, this, &ProjectWindow::updateTotals);
    connect(m_model, &ProjectModel::targetShareChanged, this, &ProjectWindow::updateLineFigures);
    connect(m_results, &RoomResultsService::levelsProgressed, this, &ProjectWindow::updateTotals);
    connect(m_lineTable, &LineTable::editRequested, this, [this](int row, const Line &line) {
        const QString problem = lineNameProblem(m_model->project(), row, line.name);
        if (!problem.isEmpty()) {
            statusBar()->showMessage(problem);
            return;
        }
        m_undo->push(new EditLineCommand(*m_model, row, line));
    });
    connect(m_lineTable, &LineTable::editRefused, this,
            [this](const QString &reason) { statusBar()->showMessage(reason); });
    connect(m_lineTable, &LineTable::figuresChanged, this, &ProjectWindow::updateLineFigures);
    connect(m_undo, &QUndoStack::indexChanged, this, &ProjectWindow::changed);
    connect(m_undo, &QUndoStack::cleanChanged, this, &ProjectWindow::changed);

    updateTitle();
    updateTotals();
    updateLineFigures();
    updateButtons();
    resize(1200, 600);
}

ProjectWindow::~ProjectWindow()
{
    // The undo stack, a child, goes after this window's members and says on
    // its way that it is clean: that is no save, and the recovery copy of
    // a program ended without closing its project stays.
    m_undo->disconnect(this);
}

void ProjectWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&Файл"));
    connect(addMenuAction(file, QStringLiteral("&Создать"), QKeySequence(Qt::CTRL | Qt::Key_N)),
            &QAction::triggered, this, &ProjectWindow::newProject);
    connect(addMenuAction(file, QStringLiteral("&Открыть…"), QKeySequence(Qt::CTRL | Qt::Key_O)),
            &QAction::triggered, this, &ProjectWindow::open);
    connect(addMenuAction(file, QStringLiteral("&Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &ProjectWindow::save);
    connect(addMenuAction(file, QStringLiteral("Сохранить &как…"),
                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
            &QAction::triggered, this, &ProjectWindow::saveAs);
    m_recentMenu = file->addMenu(QStringLiteral("&Недавние"));
    connect(m_recentMenu, &QMenu::aboutToShow, this, &ProjectWindow::fillRecentMenu);
    fillRecentMenu();
    connect(addMenuAction(file, QStringLiteral("&Экспорт…")), &QAction::triggered, this,
            &ProjectWindow::exportTable);
    file->addSeparator();
    connect(addMenuAction(file, QStringLiteral("&Импорт плана DXF…")), &QAction::triggered, this,
            &ProjectWindow::importPlan);
    connect(addMenuAction(file, QStringLiteral("Экспорт &этажа DXF…")), &QAction::triggered, this,
            &ProjectWindow::exportFloor);
    file->addSeparator();
    connect(addMenuAction(file, QStringLiteral("&Печать…"), QKeySequence(Qt::CTRL | Qt::Key_P)),
            &QAction::triggered, this, &ProjectWindow::print);
    connect(addMenuAction(file, QStringLiteral("&Закрыть"), QKeySequence(Qt::CTRL | Qt::Key_W)),
            &QAction::triggered, this, &QWidget::close);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Правка"));
    QAction *undo = addMenuAction(edit, QStringLiteral("&Отменить"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo
        = addMenuAction(edit, QStringLiteral("&Повторить"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(undo, &QAction::triggered, m_undo, &QUndoStack::undo);
    connect(redo, &QAction::triggered, m_undo, &QUndoStack::redo);
    connect(m_undo, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    m_removeAction = addMenuAction(edit, QStringLiteral("&Удалить помещение"), QKeySequence(Qt::Key_Delete));
    connect(m_removeAction, &QAction::triggered, this, &ProjectWindow::removeRoom);
    connect(addMenuAction(edit, QStringLiteral("Подобрать по &уровню")), &QAction::triggered, this,
            &ProjectWindow::fitByLevel);
}

void ProjectWindow::buildContent()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("ProjectTabs"));
    m_tabs->addTab(buildRoomsTab(), QStringLiteral("Помещения"));
    m_tabs->addTab(buildLinesTab(), QStringLiteral("Линии"));
    m_tabs->addTab(buildEquipmentTab(), QStringLiteral("Спецификация"));
    m_tabs->addTab(buildFloorTab(), QStringLiteral("План этажа"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &ProjectWindow::updateButtons);
    setCentralWidget(m_tabs);
}

// A button of a tab's row, pressed by Space, Enter or Return when focused,
// named by its caption.
QPushButton *ProjectWindow::addCommandButton(QWidget *tab, QHBoxLayout *row, const QString &caption,
                                             void (ProjectWindow::*command)())
{
    auto *button = new QPushButton(caption, tab);
    button->setAccessibleName(caption);
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, command);
    row->addWidget(button);
    return button;
}

QWidget *ProjectWindow::buildRoomsTab()
{
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &caption, void (ProjectWindow::*command)()) {
        return addCommandButton(client, buttons, caption, command);
    };
    m_add = button(QStringLiteral("Добавить расчет"), &ProjectWindow::addCalculation);
    m_replace = button(QStringLiteral("Заменить расчетом"), &ProjectWindow::replaceByCalculation);
    m_openInCalculation = button(QStringLiteral("Открыть в расчете"), &ProjectWindow::openInCalculation);
    m_fitByLevel = button(QStringLiteral("Подобрать по уровню"), &ProjectWindow::fitByLevel);
    m_fitByLevel->setToolTip(QStringLiteral("Количество на плане выбранного помещения (всех, если ни одно не "
                                            "выбрано) — наименьшее, при котором уровень звука выполняет "
                                            "требования"));
    buttons->addStretch();
    layout->addLayout(buttons);

    auto *rooms = new FrozenTableView(FrozenRoomColumns, client);
    m_view = setUpTableView(rooms, QStringLiteral("Rooms"), QStringLiteral("Помещения"));
    m_view->setModel(m_sorted);
    // The view starts in file order; a click on a heading sorts it.
    m_view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    m_view->setSortingEnabled(true);
    // Columns fit the rooms in view: every take of level figures makes the
    // view measure its columns anew, and measuring more rows of a large
    // project held the window up for a tenth of a second.
    m_view->horizontalHeader()->setResizeContentsPrecision(30);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A room's line is one of the project's lines, or none.
    const int lineColumn = columnWhere([](const RoomColumn &c) { return c.lineChoice; });
    if (lineColumn >= 0) {
        m_view->setItemDelegateForColumn(lineColumn,
                                         new ChoiceDelegate(
                                             [this] {
                                                 QStringList names{QString()};
                                                 for (const Line &line : m_model->project().lines)
                                                     names << line.name;
                                                 return names;
                                             },
                                             roomColumns()[std::size_t(lineColumn)].caption, this));
    }
    // The count on a room's plan: by the calculation, by the level, or typed.
    const int countColumn = columnWhere([](const RoomColumn &c) { return c.countChoice; });
    if (countColumn >= 0) {
        m_view->setItemDelegateForColumn(countColumn,
                                         new ChoiceDelegate(
                                             [] {
                                                 return QStringList{CalculatedCountText, LevelCountText};
                                             },
                                             roomColumns()[std::size_t(countColumn)].caption, this, true));
    }
    // A room's surfaces are each one of the materials.
    for (std::size_t c = 0; c < roomColumns().size(); ++c) {
        if (roomColumns()[c].materialChoice)
            m_view->setItemDelegateForColumn(
                int(c), new ChoiceDelegate(calc::materialNames, roomColumns()[c].caption, this));
    }
    addHeadedView(layout, QStringLiteral("Помещения"), m_view);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ProjectWindow::updateButtons);
    setUpRoomColumns(rooms);

    m_totals = new QLabel(client);
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_totals);
    m_targetShareLine = new QLabel(client);
    m_targetShareLine->setAccessibleDescription(QStringLiteral("Проверка"));
    m_targetShareLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_targetShareLine);
    return client;
}

// The rooms table's columns: "№" and "Помещение" in view over the left,
// the others in the order and with the columns the user last chose
// (headings' menu, or "Вид" → "Столбцы таблицы помещений" from the keyboard).
void ProjectWindow::setUpRoomColumns(FrozenTableView *rooms)
{
    QTableView *frozen = rooms->frozenView();
    frozen->setObjectName(QStringLiteral("RoomsFrozen"));
    frozen->setAccessibleName(QStringLiteral("Помещения: закрепленные столбцы «№» и «Помещение»"));
    frozen->setAccessibleDescription(QStringLiteral("Те же строки, что в таблице «Помещения»"));
    QSettings settings;
    if (settings.contains(RoomColumnsKey))
        rooms->restoreColumnState(settings.value(RoomColumnsKey).toStringList());
    connect(rooms, &FrozenTableView::columnsChanged, this,
            [rooms] { QSettings().setValue(RoomColumnsKey, rooms->columnState()); });

    QMenu *columns
        = menuBar()->addMenu(QStringLiteral("&Вид"))->addMenu(QStringLiteral("&Столбцы таблицы помещений"));
    connect(columns, &QMenu::aboutToShow, this, [columns, rooms] {
        columns->clear();
        rooms->fillColumnsMenu(columns, rooms->currentIndex().column());
    });
}

QWidget *ProjectWindow::buildLinesTab()
{
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);
    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &caption, void (ProjectWindow::*command)()) {
        return addCommandButton(client, buttons, caption, command);
    };
    m_addLine = button(QStringLiteral("Добавить линию"), &ProjectWindow::addLine);
    m_removeLine = button(QStringLiteral("Удалить линию"), &ProjectWindow::removeLine);
    buttons->addStretch();
    layout->addLayout(buttons);

    m_lineView = newTableView(QStringLiteral("Lines"), QStringLiteral("Линии"), client);
    m_lineView->setModel(m_lineTable);
    m_lineView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    const auto &columns = lineColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].edit != LineColumn::Edit::Voltage)
            continue;
        m_lineView->setItemDelegateForColumn(int(c),
                                             new ChoiceDelegate(
                                                 [this] {
                                                     QStringList volts;
                                                     for (const double u : LineVoltages)
                                                         volts << calc::formatGeneral(
                                                             u, m_results->decimalPoint());
                                                     return volts;
                                                 },
                                                 columns[c].caption, this));
    }
    addHeadedView(layout, QStringLiteral("Линии"), m_lineView);
    connect(m_lineView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ProjectWindow::updateButtons);

    m_noLine = new QLabel(client);
    m_noLine->setAccessibleDescription(QStringLiteral("Помещений без линии"));
    m_noLine->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_noLine);
    return client;
}

QWidget *ProjectWindow::buildEquipmentTab()
{
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);
    auto *allowanceRow = new QHBoxLayout;
    const QString allowanceCaption = QStringLiteral("Запас кабеля, %");
    auto *allowanceLabel = new QLabel(allowanceCaption, client);
    m_allowance = new QLineEdit(client);
    m_allowance->setObjectName(QStringLiteral("CableAllowance"));
    m_allowance->setAccessibleName(allowanceCaption);
    m_allowance->setMaximumWidth(10 * m_allowance->fontMetrics().averageCharWidth());
    allowanceLabel->setBuddy(m_allowance);
    connect(m_allowance, &QLineEdit::editingFinished, this, &ProjectWindow::applyCableAllowance);
    allowanceRow->addWidget(allowanceLabel);
    allowanceRow->addWidget(m_allowance);
    const QString shareCaption = QStringLiteral("Требуемая доля площади, %");
    auto *shareLabel = new QLabel(shareCaption, client);
    m_targetShare = new QLineEdit(client);
    m_targetShare->setObjectName(QStringLiteral("TargetShare"));
    m_targetShare->setAccessibleName(shareCaption);
    m_targetShare->setMaximumWidth(10 * m_targetShare->fontMetrics().averageCharWidth());
    shareLabel->setBuddy(m_targetShare);
    connect(m_targetShare, &QLineEdit::editingFinished, this, &ProjectWindow::applyTargetShare);
    allowanceRow->addSpacing(m_targetShare->fontMetrics().averageCharWidth() * 3);
    allowanceRow->addWidget(shareLabel);
    allowanceRow->addWidget(m_targetShare);
    allowanceRow->addStretch();
    layout->addLayout(allowanceRow);

    m_equipmentView = newTableView(QStringLiteral("Equipment"), QStringLiteral("Спецификация"), client);
    m_equipmentView->setModel(m_equipmentTable);
    m_equipmentView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    addHeadedView(layout, QStringLiteral("Спецификация"), m_equipmentView);
    return client;
}

QString ProjectWindow::displayName() const
{
    return projectDisplayName(m_model->project().name, m_path);
}

bool ProjectWindow::isModified() const
{
    return !m_undo->isClean();
}

void ProjectWindow::updateTitle()
{
    setWindowTitle(QStringLiteral("Объект — %1[*]").arg(displayName()));
    setWindowModified(isModified());
}

void ProjectWindow::updateTotals()
{
    // While the level columns fill, how far they are.
    const QString progress = m_results->levelProgressLine();
    const QString line
        = progress.isEmpty() ? m_results->totalsLine() : m_results->totalsLine() + ". " + progress;
    m_totals->setText(line);
    m_totals->setAccessibleName(line);
}

void ProjectWindow::updateButtons()
{
    const bool selected = selectedRoom().has_value();
    m_replace->setEnabled(selected);
    m_openInCalculation->setEnabled(selected);
    // Delete removes a room only while the rooms are shown.
    m_removeAction->setEnabled(selected && m_tabs->currentIndex() == 0);
    m_removeLine->setEnabled(selectedLine().has_value());
}

void ProjectWindow::updateLineFigures()
{
    const QString text = m_lineTable->noLineText();
    m_noLine->setText(text);
    m_noLine->setAccessibleName(text);
    // A text being typed stays until it is finished.
    if (!(m_allowance->hasFocus() && m_allowance->isModified()))
        m_allowance->setText(
            calc::formatGeneral(m_model->project().cableAllowance, m_results->decimalPoint()));
    const double share = m_model->project().targetShare;
    if (!(m_targetShare->hasFocus() && m_targetShare->isModified()))
        m_targetShare->setText(calc::formatGeneral(share, m_results->decimalPoint()));
    const QString line = targetShareLine(share, m_results->decimalPoint());
    m_targetShareLine->setText(line);
    m_targetShareLine->setAccessibleName(line);
}

std::optional<int> ProjectWindow::selectedLine() const
{
    const QModelIndex current = m_lineView->selectionModel()->currentIndex();
    if (!current.isValid() || current.row() >= m_lineTable->rowCount())
        return std::nullopt;
    return current.row();
}

void ProjectWindow::addLine()
{
    Line line;
    line.name = newLineName(m_model->project());
    const int row = int(m_model->project().lines.size());
    m_undo->push(new AddLineCommand(*m_model, row, line));
    const QModelIndex index = m_lineTable->index(row, 0);
    m_lineView->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_lineView->scrollTo(index);
    updateButtons();
}

void ProjectWindow::removeLine()
{
    if (const std::optional<int> row = selectedLine()) {
        m_undo->push(new RemoveLineCommand(*m_model, *row));
        updateButtons();
    }
}

void ProjectWindow::applyCableAllowance()
{
    const double current = m_model->project().cableAllowance;
    const std::optional<double> typed = readTypedNumber(m_allowance->text());
    if (!typed || *typed < 0.0) {
        m_allowance->setText(calc::formatGeneral(current, m_results->decimalPoint()));
        m_messenger->inform(QStringLiteral("Запас кабеля — число не меньше 0"));
        return;
    }
    if (*typed != current)
        m_undo->push(new CableAllowanceCommand(*m_model, *typed));
    m_allowance->setText(calc::formatGeneral(*typed, m_results->decimalPoint()));
}

void ProjectWindow::applyTargetShare()
{
    const double current = m_model->project().targetShare;
    const std::optional<double> typed = readTypedNumber(m_targetShare->text());
    if (!typed || *typed < MinTargetShare || *typed > MaxTargetShare) {
        m_targetShare->setText(calc::formatGeneral(current, m_results->decimalPoint()));
        m_messenger->inform(QStringLiteral("Требуемая доля площади — число от 50 до 100"));
        return;
    }
    if (*typed != current)
        m_undo->push(new TargetShareCommand(*m_model, *typed));
    m_targetShare->setText(calc::formatGeneral(*typed, m_results->decimalPoint()));
}

std::vector<int> ProjectWindow::roomsToFit() const
{
    std::vector<int> rows;
    for (const QModelIndex &index : m_view->selectionModel()->selectedRows())
        rows.push_back(m_sorted->mapToSource(index).row());
    if (rows.empty()) {
        for (int row = 0; row < m_model->roomCount(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    // A grid fixes its own count; a room whose calculation stops has none.
    std::erase_if(rows, [this](int row) {
        const RoomResults &results = m_results->at(row);
        return !results.completed || !results.takesCount;
    });
    return rows;
}

void ProjectWindow::fitByLevel()
{
    const std::vector<int> rows = roomsToFit();
    if (rows.empty()) {
        statusBar()->showMessage(QStringLiteral("Подбор по уровню: нет помещений, где количество задается"));
        return;
    }
    // Each distinct room once, on every core; the calculator keeps the fits,
    // so that the rooms' results then take them as they are.
    const double share = m_model->project().targetShare;
    std::vector<const Room *> distinct;
    {
        QSet<QByteArray> seen;
        for (const int row : rows) {
            const Room &room = m_model->room(row);
            Room plain;
            plain.inputs = room.inputs;
            plain.layout = room.layout;
            if (const QByteArray key = resultsKey(plain, share); !seen.contains(key)) {
                seen.insert(key);
                distinct.push_back(&room);
            }
        }
    }
    QProgressDialog dialog(this);
    dialog.setObjectName(QStringLiteral("FitProgress"));
    dialog.setWindowTitle(QStringLiteral("Подобрать по уровню"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    const QString caption = QStringLiteral("Подбор по уровню");
    dialog.setAccessibleName(caption);
    dialog.setMaximum(int(distinct.size()));
    const auto progressLine = [&distinct](int done) {
        return QStringLiteral("Подбор по уровню: %1 из %2").arg(done).arg(distinct.size());
    };
    dialog.setLabelText(progressLine(0));

    QEventLoop loop;
    int done = 0;
    BackgroundJobs jobs;
    for (const Room *room : distinct) {
        jobs.start(
            [&calculator = m_calculator, inputs = room->inputs, layout = room->layout,
             share](const std::atomic<bool> &cancel) {
                return calculator.fitLevel(inputs, layout, share, &cancel);
            },
            [&](const LevelFit &) {
                ++done;
                if (done >= int(distinct.size()))
                    loop.quit();
            });
    }
    QTimer ticker;
    ticker.setInterval(100);
    connect(&ticker, &QTimer::timeout, &dialog, [&] {
        // cancel() called on the dialog (not through its button or Esc)
        // sets the flag without the signal: the tick ends the wait then.
        if (dialog.wasCanceled()) {
            loop.quit();
            return;
        }
        dialog.setLabelText(progressLine(done));
        dialog.setValue(done);
    });
    connect(&dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    dialog.show();
    ticker.start();
    if (done < int(distinct.size()) && !dialog.wasCanceled())
        loop.exec();
    ticker.stop();
    const bool finished = done >= int(distinct.size()) && !dialog.wasCanceled();
    jobs.cancel();
    jobs.waitForDone();
    dialog.hide();
    if (!finished)
        return;

    std::vector<std::pair<RoomId, PlanCount>> counts;
    for (const int row : rows) {
        if (m_model->room(row).count.kind != PlanCount::Kind::Level)
            counts.emplace_back(m_model->idAt(row), PlanCount{PlanCount::Kind::Level, 0});
    }
    if (!counts.empty())
        m_undo->push(new RoomCountsCommand(*m_model, std::move(counts)));
    const auto fitted = std::count_if(rows.begin(), rows.end(), [this](int row) {
        return m_results->at(row).fit.outcome == LevelFit::Outcome::Fitted;
    });
    // After "из" the rooms are counted in the genitive: "из 1 помещения",
    // "из 21 помещения", "из 5 помещений".
    const std::size_t total = rows.size();
    const bool singular = total % 10 == 1 && total % 100 != 11;
    statusBar()->showMessage(QStringLiteral("Подобрано по уровню: %1 из %2 %3")
                                 .arg(fitted)
                                 .arg(total)
                                 .arg(singular ? QStringLiteral("помещения") : QStringLiteral("помещений")));
}

void ProjectWindow::changed()
{
    updateTitle();
    updateButtons();
    if (isModified()) {
        if (!m_recoveryTimer->isActive())
            m_recoveryTimer->start();
    } else {
        m_recoveryTimer->stop();
        m_recovery.remove();
    }
}

void ProjectWindow::writeRecoveryCopy()
{
    if (isModified())
        m_recovery.write(m_results->fileBytes(), m_path);
}

void ProjectWindow::writeRecoveryCopyNow()
{
    m_recoveryTimer->stop();
    writeRecoveryCopy();
}

void ProjectWindow::showCompletedCalculation(const calc::CompletedCalculation &calculation)
{
    m_last = calculation;
    m_lastIsStale = false;
}

void ProjectWindow::showInputsChanged()
{
    if (m_last)
        m_lastIsStale = true;
}

bool ProjectWindow::refuseWithoutCurrentCalculation()
{
    if (!m_last) {
        m_messenger->inform(calc::msg::CalculateFirst);
        return true;
    }
    if (m_lastIsStale) {
        m_messenger->inform(calc::RecalculateRequest);
        return true;
    }
    return false;
}

std::optional<int> ProjectWindow::selectedRoom() const
{
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return m_sorted->mapToSource(current).row();
}

void ProjectWindow::selectRoom(int row)
{
    const QModelIndex index = m_sorted->mapFromSource(m_table->index(row, 1));
    m_view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view->scrollTo(index);
}

void ProjectWindow::addCalculation()
{
    if (refuseWithoutCurrentCalculation())
        return;
    const int row = m_model->roomCount();
    Room room;
    room.name = m_last->roomType;
    // A room type typed blank names no room: the file would refuse it.
    if (!roomNameProblem(room.name).isEmpty())
        room.name = QStringLiteral("Помещение %1").arg(row + 1);
    room.inputs = inputsOf(*m_last);
    room.layout = m_calculator.defaultLayout(room.inputs.mounting);
    m_undo->push(new AddRoomCommand(*m_model, row, room));
    selectRoom(row);
}

void ProjectWindow::replaceByCalculation()
{
    const std::optional<int> row = selectedRoom();
    if (!row || refuseWithoutCurrentCalculation())
        return;
    const Room &replaced = m_model->room(*row);
    RoomInputs inputs = inputsOf(*m_last);
    // The room keeps its floor, and with it its length, width and area.
    setOutline(inputs, replaced.inputs.outline);
    QString layout = replaced.layout;
    if (!m_calculator.layoutAllowed(inputs.mounting, layout))
        layout = m_calculator.defaultLayout(inputs.mounting);
    m_undo->push(new ReplaceInputsCommand(*m_model, m_table->idAt(*row), inputs, layout));
}

void ProjectWindow::openInCalculation()
{
    if (const std::optional<int> row = selectedRoom())
        emit openInCalculationRequested(m_model->room(*row).inputs);
}

void ProjectWindow::removeRoom()
{
    if (const std::optional<int> row = selectedRoom())
        m_undo->push(new RemoveRoomCommand(*m_model, m_table->idAt(*row)));
}

void ProjectWindow::startProject(Project project, const QString &path)
{
    m_recoveryTimer->stop();
    m_recovery.remove();
    m_model->setProject(std::move(project));
    m_path = path;
    m_undo->clear();
    m_view->sortByColumn(0, Qt::AscendingOrder);
    updateTitle();
    updateButtons();
}

void ProjectWindow::newProject()
{
    if (confirmClose())
        startProject(Project{}, QString());
}

void ProjectWindow::open()
{
    if (!confirmClose())
        return;
    const QString path = askOpenPath();
    if (!path.isEmpty())
        openFile(path);
}

bool ProjectWindow::openFile(const QString &path)
{
    ReadResult read = readProjectFile(path, [this](calc::Mounting mounting, const QString &layout) {
        return m_calculator.layoutAllowed(mounting, layout);
    });
    if (!read.project) {
        m_messenger->inform(notOpenedMessage(path, read.reason));
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    startProject(std::move(*read.project), absolute);
    rememberRecent(absolute);
    return true;
}

bool ProjectWindow::restore(const QByteArray &bytes, const QString &projectPath)
{
    ReadResult read = parseProject(bytes, [this](calc::Mounting mounting, const QString &layout) {
        return m_calculator.layoutAllowed(mounting, layout);
    });
    if (!read.project)
        return false;
    startProject(std::move(*read.project), projectPath);
    // Unsaved until the user saves it: no state of the stack is clean.
    m_undo->resetClean();
    return true;
}

bool ProjectWindow::save()
{
    return m_path.isEmpty() ? saveAs() : saveTo(m_path);
}

bool ProjectWindow::saveAs()
{
    const QString folder = m_path.isEmpty() ? QDir::currentPath() : QFileInfo(m_path).absolutePath();
    const QString suggested = QDir(folder).filePath(displayName() + u'.' + FileSuffix);
    QString path = askSavePath(QStringLiteral("Сохранить объект"), suggested, {fileFilter()}, nullptr);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + FileSuffix;
    return saveTo(path);
}

bool ProjectWindow::saveTo(const QString &path)
{
    // A project without a name takes its file's.
    if (m_model->project().name.isEmpty())
        m_model->setName(QFileInfo(path).completeBaseName());
    // The floors' plans stay where they are: their paths, relative to the
    // project's folder, follow the file to its new folder.
    const std::vector<FloorPlan> plans = m_model->project().plans;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const bool moved = !plans.empty()
        && (m_path.isEmpty() || QFileInfo(absolute).absolutePath() != QFileInfo(m_path).absolutePath());
    if (moved)
        m_model->setPlans(plansMoved(plans, m_path, absolute));
    const files::WriteResult result = files::writeWhole(path, m_results->fileBytes());
    if (!result.ok) {
        if (moved)
            m_model->setPlans(plans);
        m_messenger->inform(result.error);
        return false;
    }
    m_path = absolute;
    m_undo->setClean();
    m_recovery.remove();
    rememberRecent(m_path);
    updateTitle();
    return true;
}

void ProjectWindow::exportTable()
{
    const QString folder = m_path.isEmpty() ? QDir::currentPath() : QFileInfo(m_path).absolutePath();
    const QStringList filters = exportFilters();
    QString filter = filters.front();
    QString path
        = askSavePath(QStringLiteral("Экспорт"),
                      QDir(folder).filePath(displayName() + u'.' + suffixOfFilter(filter)), filters, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffixOfFilter(filter);
    if (!m_path.isEmpty() && files::sameFile(path, m_path)) {
        m_messenger->inform(ownFileRefusal(path));
        return;
    }
    if (!waitForLevels(QStringLiteral("Экспорт")))
        return;
    const files::WriteResult result = exportProject(path, *m_results, displayName());
    if (!result.ok)
        m_messenger->inform(result.error);
}

void ProjectWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(exportfile::documentPageLayout());
    printer.setDocName(displayName());
    if (!askPrint(printer) || !waitForLevels(QStringLiteral("Печать")))
        return;
    const Document document = projectDocument(*m_results, displayName(), QDate::currentDate());
    if (paintDocument(printer, document, m_results->decimalPoint()) == 0)
        m_messenger->inform(QStringLiteral("Не удалось напечатать: принтер не принял страницы"));
}

bool ProjectWindow::waitForLevels(const QString &title)
{
    if (!m_results->levelsPending())
        return true;
    QProgressDialog dialog(this);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setCancelButtonText(QStringLiteral("Отмена"));
    const QString caption = QStringLiteral("Расчет уровней");
    dialog.setAccessibleName(caption);
    auto *label = dialog.findChild<QLabel *>();
    if (label)
        label->setAccessibleDescription(caption);

    QEventLoop loop;
    bool showing = false;
    const auto show = [&] {
        // A window-modal dialog handles events in setValue, which may take
        // more figures and call this again: that call is left to this one.
        if (showing)
            return;
        showing = true;
        const RoomResultsService::LevelProgress progress = m_results->levelProgress();
        const QString line = m_results->levelProgressLine();
        dialog.setLabelText(line);
        if (label)
            label->setAccessibleName(line);
        dialog.setMaximum(progress.needed);
        dialog.setValue(progress.done);
        showing = false;
        if (!m_results->levelsPending())
            loop.quit();
    };
    connect(m_results, &RoomResultsService::levelsProgressed, &dialog, show);
    connect(&dialog, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    dialog.show();
    show();
    // The loop also ends when the program does; the figures are then not
    // all there.
    if (m_results->levelsPending() && !dialog.wasCanceled())
        loop.exec();
    return !m_results->levelsPending() && !dialog.wasCanceled();
}

bool ProjectWindow::askPrint(QPrinter &printer)
{
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

bool ProjectWindow::confirmClose()
{
    if (!isModified())
        return true;
    const QString question = QStringLiteral("Сохранить изменения в объекте «%1»?").arg(displayName());
    switch (m_messenger->ask(question, windowTitle().remove(QStringLiteral("[*]")))) {
    case Messenger::Answer::Yes: return save();
    case Messenger::Answer::No: return true;
    case Messenger::Answer::Cancel: break;
    }
    return false;
}

void ProjectWindow::discardProject()
{
    startProject(Project{}, QString());
}

void ProjectWindow::closeEvent(QCloseEvent *event)
{
    if (!confirmClose()) {
        event->ignore();
        return;
    }
    discardProject();
    QMainWindow::closeEvent(event);
}

QStringList ProjectWindow::recentFiles() const
{
    return QSettings().value(RecentKey).toStringList();
}

void ProjectWindow::rememberRecent(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > RecentCount)
        files.removeLast();
    QSettings().setValue(RecentKey, files);
}

void ProjectWindow::forgetRecent(const QString &path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    QSettings().setValue(RecentKey, files);
}

void ProjectWindow::fillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList files = recentFiles();
    m_recentMenu->setEnabled(!files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction *action = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(action, &QAction::triggered, this, [this, path] {
            if (!confirmClose())
                return;
            if (!openFile(path))
                forgetRecent(path);
        });
    }
}

QString ProjectWindow::askOpenPath()
{
    const QString folder = m_path.isEmpty() ? QDir::currentPath() : QFileInfo(m_path).absolutePath();
    return QFileDialog::getOpenFileName(this, QStringLiteral("Открыть объект"), folder, fileFilter());
}

QString ProjectWindow::askSavePath(const QString &title, const QString &suggested, const QStringList &filters,
                                   QString *chosenFilter)
{
    return QFileDialog::getSaveFileName(this, title, suggested, filters.join(QStringLiteral(";;")),
                                        chosenFilter);
}

} // namespace project
