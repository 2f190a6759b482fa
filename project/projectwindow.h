#pragma once

#include "planimportdialog.h"
#include "projectdata.h"
#include "recovery.h"

#include "widgets/drawing.h"

#include "calc/completedcalculation.h"

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class BackgroundJobs;
class Messenger;
class QAction;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QTabWidget;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QTimer;
class QUndoStack;

namespace project {

class EquipmentTable;
class FloorTab;
class FrozenTableView;
class LineTable;
class ProjectModel;
class RoomCalculator;
class RoomResultsService;
class RoomTable;

// The window "Объект — <name>": the rooms of a building with the results
// of each, the lines they hang on with their amplifiers, and the equipment
// list, kept in a project file, on three tabs. Rooms come from the main
// window's last completed calculation and go back to it to be calculated
// again. Every change is an undoable command; an unsaved project is copied
// for recovery within two seconds of a change and asks to be saved before
// it is closed. "Экспорт…" writes the rooms as CSV or the documents as PDF
// or .xlsx; "Печать…" prints the documents' pages.
class ProjectWindow : public QMainWindow {
    Q_OBJECT
public:
    // calculator computes the rooms and messenger shows every message; the
    // window owns neither.
    ProjectWindow(const RoomCalculator &calculator, Messenger *messenger, QWidget *parent = nullptr);
    ~ProjectWindow() override;

    // The main window's calculations: the last completed one is what
    // "Добавить расчет" and "Заменить расчетом" take, until the main
    // window's inputs change after it (showInputsChanged); then both refuse
    // until the next completed calculation.
    void showCompletedCalculation(const calc::CompletedCalculation &calculation);
    void showInputsChanged();

    // The name the window shows: the project's own, else its file's, else
    // "Без имени".
    QString displayName() const;
    QString filePath() const { return m_path; }
    bool isModified() const;

    // The commands of the menus and buttons.
    void newProject();
    void open();
    bool openFile(const QString &path);
    bool save();
    bool saveAs();
    bool saveTo(const QString &path);
    void exportTable();
    void print();
    void addCalculation();
    void replaceByCalculation();
    void openInCalculation();
    void removeRoom();
    void addLine();
    void removeLine();
    // "Импорт плана DXF…": the rooms of a floor from the architect's plan.
    void importPlan();
    // "Экспорт этажа DXF…": the floor of the "План этажа" tab (or of the
    // selected room) with its rooms and loudspeakers, for CAD.
    void exportFloor();
    // "Запас кабеля, %" as typed: a number of at least 0 becomes the
    // allowance; any other text is put back.
    void applyCableAllowance();
    // "Требуемая доля площади, %" as typed: a number of 50 .. 100 becomes
    // the project's share; any other text is put back.
    void applyTargetShare();
    // "Подобрать по уровню": the fitted count on the plans of the selected
    // rooms (all when none is selected) whose arrangement takes a count,
    // computed in the background under a progress dialog whose "Отмена"
    // changes nothing; then one undoable step.
    void fitByLevel();
    // A project from a recovery copy, shown as unsaved.
    bool restore(const QByteArray &bytes, const QString &projectPath);
    // Writes the recovery copy of unsaved changes now rather than after the
    // usual delay (the program is about to end without asking); the copy
    // stays until the project is saved or closed.
    void writeRecoveryCopyNow();

    // Asks whether to save unsaved changes; true when the project may be
    // closed (saved, or the user does not want to), false on "Отмена".
    bool confirmClose();
    // Closes the project after confirmClose(): an empty one takes its place
    // and the recovery copy goes.
    void discardProject();

    // The recently used files, newest first (at most 8).
    QStringList recentFiles() const;

    // The project, its rooms' results and the rooms table of the view.
    ProjectModel *model() const { return m_model; }
    RoomResultsService *results() const { return m_results; }
    RoomTable *table() const { return m_table; }
    QTableView *view() const { return m_view; }
    QSortFilterProxyModel *sortedRooms() const { return m_sorted; }
    QLabel *totalsLabel() const { return m_totals; }
    QUndoStack *undoStack() const { return m_undo; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *replaceButton() const { return m_replace; }
    QPushButton *openInCalculationButton() const { return m_openInCalculation; }
    QString recoveryPath() const { return m_recovery.path(); }
    QTabWidget *tabs() const { return m_tabs; }
    LineTable *lineTable() const { return m_lineTable; }
    EquipmentTable *equipmentTable() const { return m_equipmentTable; }
    QTableView *lineView() const { return m_lineView; }
    QTableView *equipmentView() const { return m_equipmentView; }
    QPushButton *addLineButton() const { return m_addLine; }
    QPushButton *removeLineButton() const { return m_removeLine; }
    QLabel *noLineLabel() const { return m_noLine; }
    QLineEdit *cableAllowanceBox() const { return m_allowance; }
    QLineEdit *targetShareBox() const { return m_targetShare; }
    QLabel *targetShareLabel() const { return m_targetShareLine; }
    QPushButton *fitByLevelButton() const { return m_fitByLevel; }
    FloorTab *floorTab() const { return m_floorTab; }
    // Delivers the floor view's drawing now if it is being made (tests).
    void finishFloorDrawing();

signals:
    // "Открыть в расчете": the main window is to take these inputs and
    // calculate them.
    void openInCalculationRequested(const project::RoomInputs &inputs);
    // A double click on a room of the floor view: the main window is to
    // take the room and the "План" window to show its plan.
    void planRequested(const project::RoomInputs &inputs, const QString &layout);

protected:
    void closeEvent(QCloseEvent *event) override;
    // The file dialogs: the chosen path, empty when cancelled.
    virtual QString askOpenPath();
    virtual QString askSavePath(const QString &title, const QString &suggested, const QStringList &filters,
                                QString *chosenFilter);
    // The print dialog for a printer set to the documents' page: true to print.
    virtual bool askPrint(QPrinter &printer);
    // The import dialog: what to import, none when cancelled.
    virtual std::optional<PlanImportChoice> askPlanImport(const QString &floor, const QString &height);

private:
    void buildMenus();
    void buildContent();
    QWidget *buildRoomsTab();
    void setUpRoomColumns(FrozenTableView *rooms);
    QPushButton *addCommandButton(QWidget *tab, QHBoxLayout *row, const QString &caption,
                                  void (ProjectWindow::*command)());
    QWidget *buildLinesTab();
    QWidget *buildEquipmentTab();
    QWidget *buildFloorTab();
    // The floor the floor view shows, drawn anew in the background.
    void updateFloorView();
    void scheduleFloorUpdate();
    // The floor's plan file read for the view's underlay, kept while the
    // file stays as it was.
    const std::vector<drawing::Polyline> *floorBackground(const QString &floor, QString &note);
    void updateLineFigures();
    std::optional<int> selectedLine() const;
    void updateTitle();
    void updateTotals();
    // Waits, with the window alive, for the level figures the background is
    // computing, showing how many are done: true once all are there, false
    // when the user cancels (or the program ends meanwhile).
    bool waitForLevels(const QString &title);
    void updateButtons();
    void changed();
    void writeRecoveryCopy();
    void rememberRecent(const QString &path);
    void forgetRecent(const QString &path);
    void fillRecentMenu();
    void startProject(Project project, const QString &path);
    // The row in the project of the room selected in the view, if any.
    std::optional<int> selectedRoom() const;
    void selectRoom(int row);
    // Says why there is no calculation to take (none yet, or the main
    // window's inputs changed after it) and returns true; false when m_last
    // may be taken.
    bool refuseWithoutCurrentCalculation();
    // The rows fitByLevel() works on, in file order.
    std::vector<int> roomsToFit() const;

    const RoomCalculator &m_calculator;
    // The floor view, its pending update and its drawing's background job.
    FloorTab *m_floorTab = nullptr;
    QTimer *m_floorTimer = nullptr;
    std::unique_ptr<BackgroundJobs> m_floorJobs;
    struct Underlay {
        QString path;
        QDateTime modified;
        std::vector<drawing::Polyline> lines;
        QString refusal;
    };
    Underlay m_underlay;
    Messenger *m_messenger;
    std::optional<calc::CompletedCalculation> m_last;
    // The main window's inputs no longer match m_last.
    bool m_lastIsStale = false;
    QString m_path;
    RecoveryCopy m_recovery;

    ProjectModel *m_model;
    RoomResultsService *m_results;
    RoomTable *m_table;
    QSortFilterProxyModel *m_sorted;
    QUndoStack *m_undo;
    QTableView *m_view = nullptr;
    QLabel *m_totals = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_replace = nullptr;
    QPushButton *m_openInCalculation = nullptr;
    QAction *m_removeAction = nullptr;
    QMenu *m_recentMenu = nullptr;
    LineTable *m_lineTable;
    EquipmentTable *m_equipmentTable;
    QTabWidget *m_tabs = nullptr;
    QTableView *m_lineView = nullptr;
    QTableView *m_equipmentView = nullptr;
    QPushButton *m_addLine = nullptr;
    QPushButton *m_removeLine = nullptr;
    QLabel *m_noLine = nullptr;
    QLineEdit *m_allowance = nullptr;
    QLineEdit *m_targetShare = nullptr;
    QLabel *m_targetShareLine = nullptr;
    QPushButton *m_fitByLevel = nullptr;
    QTimer *m_recoveryTimer;
};

} // namespace project
