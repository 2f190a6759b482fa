#include "projectwindow.h"

#include "projectcommands.h"
#include "projectfile.h"
#include "roomcalculator.h"
#include "roomexport.h"
#include "roomtable.h"

#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "widgets/messenger.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

namespace project {

namespace {

const QString Untitled = QStringLiteral("Без имени");
const QString RecentKey = QStringLiteral("project/recentFiles");
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

} // namespace

ProjectWindow::ProjectWindow(const RoomCalculator &calculator, Messenger *messenger, QWidget *parent)
    : QMainWindow(parent),
      m_calculator(calculator),
      m_messenger(messenger),
      m_table(new RoomTable(calculator, calc::localeDecimalPoint(), this)),
      m_sorted(new QSortFilterProxyModel(this)),
      m_undo(new QUndoStack(this)),
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

    connect(m_table, &RoomTable::editRequested, this, [this](int row, int column, const QString &text) {
        m_undo->push(new EditTextCommand(*m_table, row, column, text));
    });
    connect(m_table, &RoomTable::projectChanged, this, &ProjectWindow::updateTotals);
    connect(m_undo, &QUndoStack::indexChanged, this, &ProjectWindow::changed);
    connect(m_undo, &QUndoStack::cleanChanged, this, &ProjectWindow::changed);

    updateTitle();
    updateTotals();
    updateButtons();
    resize(1200, 600);
}

ProjectWindow::~ProjectWindow() = default;

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
}

void ProjectWindow::buildContent()
{
    auto *client = new QWidget(this);
    auto *layout = new QVBoxLayout(client);

    auto *buttons = new QHBoxLayout;
    const auto button = [&](const QString &caption, void (ProjectWindow::*command)()) {
        auto *b = new QPushButton(caption, client);
        b->setAccessibleName(caption);
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, command);
        buttons->addWidget(b);
        return b;
    };
    m_add = button(QStringLiteral("Добавить расчет"), &ProjectWindow::addCalculation);
    m_replace = button(QStringLiteral("Заменить расчетом"), &ProjectWindow::replaceByCalculation);
    m_openInCalculation = button(QStringLiteral("Открыть в расчете"), &ProjectWindow::openInCalculation);
    buttons->addStretch();
    layout->addLayout(buttons);

    const QString caption = QStringLiteral("Помещения");
    auto *heading = new QLabel(caption, client);
    layout->addWidget(heading);
    m_view = new QTableView(client);
    m_view->setObjectName(QStringLiteral("Rooms"));
    m_view->setAccessibleName(caption);
    heading->setBuddy(m_view);
    m_view->setModel(m_sorted);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setTabKeyNavigation(false);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 8);
    // The view starts in file order; a click on a heading sorts it.
    m_view->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    m_view->setSortingEnabled(true);
    // Columns fit the rooms at the top: measuring every row of a large
    // project would cost more than computing it.
    m_view->horizontalHeader()->setResizeContentsPrecision(100);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_view, 1);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ProjectWindow::updateButtons);

    m_totals = new QLabel(client);
    m_totals->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_totals);
    setCentralWidget(client);
}

QString ProjectWindow::displayName() const
{
    if (!m_table->project().name.isEmpty())
        return m_table->project().name;
    if (!m_path.isEmpty())
        return QFileInfo(m_path).completeBaseName();
    return Untitled;
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
    const QString line = m_table->totalsLine();
    m_totals->setText(line);
    m_totals->setAccessibleName(line);
}

void ProjectWindow::updateButtons()
{
    const bool selected = selectedRoom().has_value();
    m_replace->setEnabled(selected);
    m_openInCalculation->setEnabled(selected);
    m_removeAction->setEnabled(selected);
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
        m_recovery.write(m_table->fileBytes(), m_path);
}

void ProjectWindow::showCompletedCalculation(const calc::CompletedCalculation &calculation)
{
    m_last = calculation;
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
    if (!m_last) {
        m_messenger->inform(calc::msg::CalculateFirst);
        return;
    }
    Room room;
    room.name = m_last->roomType;
    room.inputs = inputsOf(*m_last);
    room.layout = m_calculator.defaultLayout(room.inputs.mounting);
    const int row = m_table->roomCount();
    m_undo->push(new AddRoomCommand(*m_table, row, room));
    selectRoom(row);
}

void ProjectWindow::replaceByCalculation()
{
    const std::optional<int> row = selectedRoom();
    if (!row)
        return;
    if (!m_last) {
        m_messenger->inform(calc::msg::CalculateFirst);
        return;
    }
    const RoomInputs inputs = inputsOf(*m_last);
    QString layout = m_table->project().rooms[std::size_t(*row)].layout;
    if (!m_calculator.layoutAllowed(inputs.mounting, layout))
        layout = m_calculator.defaultLayout(inputs.mounting);
    m_undo->push(new ReplaceInputsCommand(*m_table, *row, inputs, layout));
}

void ProjectWindow::openInCalculation()
{
    if (const std::optional<int> row = selectedRoom())
        emit openInCalculationRequested(m_table->project().rooms[std::size_t(*row)].inputs);
}

void ProjectWindow::removeRoom()
{
    if (const std::optional<int> row = selectedRoom())
        m_undo->push(new RemoveRoomCommand(*m_table, *row));
}

void ProjectWindow::startProject(Project project, const QString &path)
{
    m_recoveryTimer->stop();
    m_recovery.remove();
    m_table->setProject(std::move(project));
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
    if (m_table->project().name.isEmpty())
        m_table->setName(QFileInfo(path).completeBaseName());
    const files::WriteResult result = files::writeWhole(path, m_table->fileBytes());
    if (!result.ok) {
        m_messenger->inform(result.error);
        return false;
    }
    m_path = QFileInfo(path).absoluteFilePath();
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
        = askSavePath(QStringLiteral("Экспорт таблицы"),
                      QDir(folder).filePath(displayName() + u'.' + suffixOfFilter(filter)), filters, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffixOfFilter(filter);
    const files::WriteResult result = exportRooms(path, *m_table);
    if (!result.ok)
        m_messenger->inform(result.error);
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
