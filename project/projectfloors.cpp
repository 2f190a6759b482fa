// The "Объект" window's floors: the import of a floor's rooms from the
// architect's DXF plan, the floor view and the floor's DXF drawing.
#include "projectwindow.h"

#include "dxfplan.h"
#include "floorcontent.h"
#include "floordxf.h"
#include "floorimport.h"
#include "floorview.h"
#include "projectmodel.h"
#include "roomcalculator.h"
#include "roomresults.h"
#include "roomtable.h"

#include "widgets/backgroundjobs.h"
#include "widgets/messenger.h"
#include "widgets/wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>

namespace project {

namespace {

// How long the floor view waits after a change before it is drawn anew, so
// that a burst of changes (the level columns filling) draws it once.
constexpr int FloorUpdateDelayMs = 300;

} // namespace

std::optional<PlanImportChoice> ProjectWindow::askPlanImport(const QString &floor, const QString &height)
{
    const QString folder = m_path.isEmpty() ? QDir::currentPath() : QFileInfo(m_path).absolutePath();
    PlanImportDialog dialog(floor, height, folder, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void ProjectWindow::importPlan()
{
    // The template: the selected room, else the main window's last
    // completed calculation, else the project's last room.
    RoomTemplate roomTemplate;
    QString floor = QStringLiteral("1");
    if (const std::optional<int> row = selectedRoom()) {
        const Room &selected = m_model->room(*row);
        roomTemplate.inputs = selected.inputs;
        roomTemplate.inputs.outline.clear();
        roomTemplate.layout = selected.layout;
        if (!selected.floor.isEmpty())
            floor = selected.floor;
    } else if (m_last && !m_lastIsStale) {
        roomTemplate.inputs = inputsOf(*m_last);
        roomTemplate.layout = m_calculator.defaultLayout(roomTemplate.inputs.mounting);
    } else if (m_model->roomCount() > 0) {
        // A plan imported again needs a template only for its new rooms:
        // the project's last room, as the command line takes it.
        const Room &last = m_model->room(m_model->roomCount() - 1);
        roomTemplate.inputs = last.inputs;
        roomTemplate.inputs.outline.clear();
        roomTemplate.layout = last.layout;
    } else {
        refuseWithoutCurrentCalculation();
        return;
    }
    if (m_floorTab && !m_floorTab->currentFloor().isEmpty())
        floor = m_floorTab->currentFloor();
    const std::optional<PlanImportChoice> choice = askPlanImport(floor, roomTemplate.inputs.height);
    if (!choice)
        return;

    PlanReadOptions options;
    options.layer = choice->layer;
    options.unitWhenUnnamed = unitFromKey(choice->unit).value_or(PlanUnit::Millimetre);
    const PlanReading reading = readFloorPlan(choice->file, options);
    if (!reading.plan) {
        m_messenger->inform(reading.refusal);
        return;
    }
    const FloorPlanFile &plan = *reading.plan;
    if (plan.rooms.empty()) {
        m_messenger->inform(
            QStringLiteral("На слое «%1» нет помещений. %2").arg(plan.layer, planReport(plan)));
        return;
    }
    roomTemplate.inputs.height = choice->height;
    std::vector<ImportedRoom> rooms;
    rooms.reserve(plan.rooms.size());
    for (const PlanRoom &room : plan.rooms)
        rooms.push_back({room.outline, room.name});
    FloorPlan floorPlan{choice->floor, storedPlanPath(choice->file, m_path), unitKey(plan.unit), plan.layer};
    const FloorImport import
        = planFloorImport(*m_model, rooms, roomTemplate, floorPlan, m_calculator.roomTypes());
    bool removeUnmatched = false;
    if (!import.unmatched.empty()) {
        removeUnmatched
            = m_messenger->confirm(QStringLiteral("Удалить помещения, которых нет на новом плане: %1?")
                                       .arg(unmatchedNames(*m_model, import).join(QStringLiteral(", "))),
                                   QStringLiteral("Импорт плана DXF"));
    }
    m_undo->push(floorImportCommand(*m_model, import, removeUnmatched));
    if (m_floorTab)
        m_floorTab->setCurrentFloor(choice->floor);
    m_messenger->inform(planReport(plan), QStringLiteral("Импорт плана DXF"));
}

void ProjectWindow::exportFloor()
{
    QString floor = m_floorTab ? m_floorTab->currentFloor() : QString();
    if (const std::optional<int> row = selectedRoom(); row && m_tabs->currentIndex() == 0)
        floor = m_model->room(*row).floor;
    const std::vector<FloorRoomSource> sources = floorRooms(*m_model, m_results->all(), floor);
    if (sources.empty()) {
        m_messenger->inform(QStringLiteral("На этаже «%1» нет помещений с контуром.").arg(floor));
        return;
    }
    const QString folder = m_path.isEmpty() ? QDir::currentPath() : QFileInfo(m_path).absolutePath();
    const QStringList filters{QStringLiteral("Чертеж DXF (*.dxf)")};
    QString filter = filters.front();
    const QString suggested = QStringLiteral("%1 этаж %2.dxf").arg(displayName(), floor);
    QString path = askSavePath(QStringLiteral("Экспорт этажа DXF"), QDir(folder).filePath(suggested), filters,
                               &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dxf");
    if (!m_path.isEmpty() && files::sameFile(path, m_path)) {
        m_messenger->inform(QStringLiteral("Файл «%1» — это сам файл объекта; выберите другое имя.")
                                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    FloorDrawing drawing;
    drawing.floor = floor;
    drawing.rooms = drawFloorRooms(sources, m_calculator);
    const files::WriteResult result
        = files::writeWhole(path, floorDxf(drawing, floorUnitsPerMetre(m_model->project(), floor)));
    if (!result.ok)
        m_messenger->inform(result.error);
}

QWidget *ProjectWindow::buildFloorTab()
{
    m_floorTab = new FloorTab(this);
    m_floorJobs = std::make_unique<BackgroundJobs>(1);
    m_floorTimer = new QTimer(this);
    m_floorTimer->setSingleShot(true);
    m_floorTimer->setInterval(FloorUpdateDelayMs);
    connect(m_floorTimer, &QTimer::timeout, this, &ProjectWindow::updateFloorView);
    connect(m_floorTab, &FloorTab::floorChosen, this, [this] { updateFloorView(); });
    connect(m_floorTab, &FloorTab::tintChosen, this, [this] { updateFloorView(); });
    connect(m_model, &ProjectModel::changed, this, &ProjectWindow::scheduleFloorUpdate);
    connect(m_model, &ProjectModel::reset, this, &ProjectWindow::scheduleFloorUpdate);
    connect(m_results, &RoomResultsService::levelsTaken, this, &ProjectWindow::scheduleFloorUpdate);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_tabs->currentWidget() == m_floorTab)
            updateFloorView();
    });
    // The row selected in "Помещения" is the room highlighted on its floor.
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (const std::optional<int> row = selectedRoom())
            m_floorTab->view()->setSelectedRoom(m_model->idAt(*row));
    });
    // A click selects the room's row; a double click opens its plan.
    connect(m_floorTab->view(), &FloorView::roomClicked, this, [this](RoomId id) {
        const int row = m_model->rowOf(id);
        if (row >= 0)
            selectRoom(row);
    });
    connect(m_floorTab->view(), &FloorView::roomActivated, this, [this](RoomId id) {
        const int row = m_model->rowOf(id);
        if (row >= 0)
            emit planRequested(m_model->room(row).inputs, m_model->room(row).layout);
    });
    return m_floorTab;
}

void ProjectWindow::scheduleFloorUpdate()
{
    if (m_floorTab && m_tabs && m_tabs->currentWidget() == m_floorTab)
        m_floorTimer->start();
    else if (m_floorTab)
        m_floorTab->setFloors(floorsOf(m_model->project()));
}

const std::vector<drawing::Polyline> *ProjectWindow::floorBackground(const QString &floor, QString &note)
{
    const FloorPlan *plan = m_model->project().planOf(floor);
    if (!plan)
        return nullptr;
    const QString path = planFilePath(*plan, m_path);
    const QFileInfo file(path);
    if (!file.exists()) {
        note = QStringLiteral("План «%1» не найден").arg(QDir::toNativeSeparators(plan->file));
        return nullptr;
    }
    if (m_underlay.path != file.absoluteFilePath() || m_underlay.modified != file.lastModified()) {
        PlanReadOptions options;
        options.layer = plan->layer;
        options.unitWhenUnnamed = unitFromKey(plan->units).value_or(PlanUnit::Millimetre);
        const PlanReading reading = readFloorPlan(path, options);
        m_underlay.path = file.absoluteFilePath();
        m_underlay.modified = file.lastModified();
        m_underlay.lines = reading.plan ? reading.plan->background : std::vector<drawing::Polyline>{};
        m_underlay.refusal = reading.refusal;
    }
    if (!m_underlay.refusal.isEmpty()) {
        note = m_underlay.refusal;
        return nullptr;
    }
    return &m_underlay.lines;
}

void ProjectWindow::updateFloorView()
{
    if (!m_floorTab)
        return;
    m_floorTab->setFloors(floorsOf(m_model->project()));
    const QString floor = m_floorTab->currentFloor();
    auto drawing = std::make_shared<FloorDrawing>();
    drawing->floor = floor;
    if (const std::vector<drawing::Polyline> *lines = floorBackground(floor, drawing->backgroundNote))
        drawing->background = *lines;
    std::vector<FloorRoomSource> sources = floorRooms(*m_model, m_results->all(), floor, m_floorTab->tint());
    const RoomCalculator *calculator = &m_calculator;
    m_floorJobs->replace(
        [sources = std::move(sources), calculator](const std::atomic<bool> &cancel) {
            return drawFloorRooms(sources, *calculator, &cancel);
        },
        [this, drawing](std::vector<FloorRoom> rooms) {
            drawing->rooms = std::move(rooms);
            m_floorTab->view()->setDrawing(std::move(*drawing));
        });
}

void ProjectWindow::finishFloorDrawing()
{
    m_floorJobs->waitForDone();
    m_floorJobs->deliverFinished();
}

} // namespace project
