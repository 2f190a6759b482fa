#include "planwindow.h"

#include "calc/calculation.h"
#include "calc/numberformat.h"
#include "coordinatemodel.h"
#include "countbox.h"
#include "plandrawing.h"
#include "planexport.h"
#include "plantexts.h"
#include "widgets/accessibility.h"
#include "widgets/commandbutton.h"
#include "widgets/exportformat.h"
#include "widgets/messenger.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedLayout>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

namespace plan {

namespace {

const QString FitCaption = QStringLiteral("Подобрать по уровню");
const QString FitComputing = QStringLiteral("Подбор по уровню: идет расчет…");

// A value label: announced by its value, described by its caption.
QLabel *valueLabel(const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    a11y::makeCopyableValue(label, caption);
    return label;
}

void setValue(QLabel *label, const QString &value)
{
    label->setText(value);
    label->setAccessibleName(value);
}

// A button of the window, pressed by Space, Enter or Return when focused.
QPushButton *windowButton(const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    pressOnEnter(button);
    return button;
}

// The typed name with the suffix added unless it ends in it already, in any
// letter case: "зал 1.2" becomes "зал 1.2.csv", "план.PDF" stays.
QString withSuffix(const QString &path, const QString &suffix)
{
    const QString ending = u'.' + suffix;
    if (suffix.isEmpty() || path.endsWith(ending, Qt::CaseInsensitive))
        return path;
    return path + ending;
}

// The table "Координаты": Tab and Shift+Tab leave it for the next control,
// the arrows move inside it, Ctrl+A selects every cell and Ctrl+C copies the
// selected cells as a spreadsheet takes them.
class CoordinateView : public QTableView {
public:
    explicit CoordinateView(QWidget *parent) : QTableView(parent) { setTabKeyNavigation(false); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event == QKeySequence::Copy && model() && selectionModel()) {
            QGuiApplication::clipboard()->setText(cellsAsText(*model(), selectionModel()->selectedIndexes()));
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }
};

} // namespace

PlanWindow::PlanWindow(Messenger *messenger, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_messenger(messenger),
      m_folder(QDir::currentPath())
{
    // Before any control: Qt makes a control's accessible interface as
    // soon as the control changes, and keeps it.
    a11y::installAccessibility();
    setWindowTitle(text::WindowTitle);
    setAccessibleName(text::WindowTitle);

    m_pages = new QStackedLayout(this);

    // Before any calculation.
    m_notCalculated = new QLabel(calc::msg::CalculateFirst, this);
    m_notCalculated->setAlignment(Qt::AlignCenter);
    m_notCalculated->setAccessibleName(calc::msg::CalculateFirst);
    m_pages->addWidget(m_notCalculated);

    // The plan: the drawing, and beside it the controls and the table.
    auto *planPage = new QWidget(this);
    auto *columns = new QHBoxLayout(planPage);
    m_drawing = new PlanDrawing(planPage);
    columns->addWidget(m_drawing, 1);

    auto *side = new QWidget(planPage);
    side->setMinimumWidth(300);
    side->setMaximumWidth(380);
    auto *panel = new QVBoxLayout(side);
    panel->setContentsMargins(0, 0, 0, 0);

    m_inputsChanged = new QLabel(side);
    m_inputsChanged->setWordWrap(true);
    m_inputsChanged->setStyleSheet(QStringLiteral("color: rgb(190, 0, 0);"));
    m_inputsChanged->hide();
    panel->addWidget(m_inputsChanged);

    m_loudspeaker = valueLabel(text::Loudspeaker, side);
    m_room = valueLabel(text::Room, side);
    auto *loudspeakerCaption = new QLabel(text::Loudspeaker, side);
    auto *roomCaption = new QLabel(text::Room, side);
    auto *facts = new QGridLayout;
    facts->addWidget(loudspeakerCaption, 0, 0, Qt::AlignTop);
    facts->addWidget(m_loudspeaker, 0, 1);
    facts->addWidget(roomCaption, 1, 0, Qt::AlignTop);
    facts->addWidget(m_room, 1, 1);
    facts->setColumnStretch(1, 1);
    panel->addLayout(facts);

    m_arrangement = new QComboBox(side);
    panel->addWidget(a11y::captionFor(m_arrangement, text::Arrangement));
    panel->addWidget(m_arrangement);
    m_count = new CountBox(side);
    m_count->setRange(1, MaxLoudspeakers);
    panel->addWidget(a11y::captionFor(m_count, text::Count));
    m_fit = windowButton(FitCaption, side);
    m_fit->setEnabled(false);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(m_count, 1);
    countRow->addWidget(m_fit);
    panel->addLayout(countRow);
    m_targetShare = new QLabel(targetShareLine(DefaultTargetShare, u','), side);
    m_targetShare->setWordWrap(true);
    m_targetShare->setAccessibleName(m_targetShare->text());
    panel->addWidget(m_targetShare);
    m_view = new QComboBox(side);
    m_view->addItem(text::ZonesView, int(PlanView::Zones));
    m_view->addItem(text::LevelView, int(PlanView::Level));
    m_view->addItem(text::StiView, int(PlanView::Sti));
    panel->addWidget(a11y::captionFor(m_view, text::View));
    panel->addWidget(m_view);

    // The room's surfaces, for the intelligibility view only.
    m_acoustics = new QWidget(side);
    auto *surfaces = new QGridLayout(m_acoustics);
    surfaces->setContentsMargins(0, 0, 0, 0);
    const Surfaces defaults;
    const auto surfaceBox = [&](const QString &caption, const QString &chosen, int row) {
        auto *box = new QComboBox(m_acoustics);
        box->addItems(materialNames());
        box->setCurrentText(chosen);
        surfaces->addWidget(a11y::captionFor(box, caption), row, 0);
        surfaces->addWidget(box, row, 1);
        return box;
    };
    m_floor = surfaceBox(text::FloorSurface, defaults.floor, 0);
    m_walls = surfaceBox(text::WallSurface, defaults.walls, 1);
    m_ceiling = surfaceBox(text::CeilingSurface, defaults.ceiling, 2);
    m_reverberation = new QLineEdit(m_acoustics);
    m_reverberation->setPlaceholderText(text::ReverberationFromSurfaces);
    surfaces->addWidget(a11y::captionFor(m_reverberation, text::ReverberationTime), 3, 0);
    surfaces->addWidget(m_reverberation, 3, 1);
    surfaces->setColumnStretch(1, 1);
    m_acoustics->hide();
    panel->addWidget(m_acoustics);

    m_summary = valueLabel(text::Summary, side);
    panel->addWidget(m_summary);
    // A status line, read by its text; it has no caption of its own to
    // stop at with Tab.
    m_status = new QLabel(side);
    m_status->setWordWrap(true);
    m_status->hide();
    panel->addWidget(m_status);

    m_table = new CoordinateView(side);
    m_model = new CoordinateModel(m_table);
    m_table->setModel(m_model);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    panel->addWidget(a11y::captionFor(m_table, text::Coordinates));
    panel->addWidget(m_table, 1);

    m_save = windowButton(text::Save, side);
    m_csv = windowButton(text::SaveCsv, side);
    m_print = windowButton(text::Print, side);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_csv);
    buttons->addWidget(m_print);
    panel->addLayout(buttons);

    columns->addWidget(side);
    m_pages->addWidget(planPage);
    m_pages->setCurrentWidget(m_notCalculated);

    connect(m_arrangement, &QComboBox::currentIndexChanged, this, &PlanWindow::arrangementChosen);
    connect(m_count, &QSpinBox::valueChanged, this, &PlanWindow::countChanged);
    connect(m_count, &CountBox::entryCorrected, this, &PlanWindow::countCorrected);
    connect(m_view, &QComboBox::currentIndexChanged, this, &PlanWindow::viewChosen);
    for (QComboBox *box : {m_floor, m_walls, m_ceiling})
        connect(box, &QComboBox::currentIndexChanged, this, &PlanWindow::surfacesChanged);
    connect(m_reverberation, &QLineEdit::textChanged, this, &PlanWindow::surfacesChanged);
    connect(m_fit, &QPushButton::clicked, this, &PlanWindow::fitByLevel);
    connect(m_save, &QPushButton::clicked, this, &PlanWindow::savePlan);
    connect(m_csv, &QPushButton::clicked, this, &PlanWindow::saveCoordinates);
    connect(m_print, &QPushButton::clicked, this, &PlanWindow::printPlan);

    resize(1100, 680);
}

PlanWindow::~PlanWindow()
{
    // No computation may outlive the window it reports to: one map at a
    // time (the map itself takes every core), stopped and waited for here.
    cancelLevel();
    m_levelJobs.waitForDone();
    cancelFit();
    m_fitJobs.waitForDone();
}

void PlanWindow::closeEvent(QCloseEvent *event)
{
    cancelLevel();
    cancelFit();
    QWidget::closeEvent(event);
}

void PlanWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A map cancelled when the window closed (none is being computed).
    if (m_scene && m_scene->levelPending() && !m_levelAsked)
        requestLevel();
}

void PlanWindow::showCalculation(const PlanFigures &figures)
{
    const bool hadArrangement = m_calculated && m_arrangement->currentIndex() >= 0;
    const auto previous
        = hadArrangement ? Arrangement(m_arrangement->currentData().toInt()) : Arrangement::Rows;
    m_figures = figures;
    m_calculated = true;
    setValue(m_targetShare, targetShareLine(DefaultTargetShare, figures.decimalPoint));
    m_requested = figures.count;
    m_countNote.clear();

    {
        const QSignalBlocker blockList(m_arrangement);
        m_arrangement->clear();
        int keep = 0;
        const std::vector<Arrangement> offered = arrangementsFor(figures.mounting);
        for (std::size_t i = 0; i < offered.size(); ++i) {
            m_arrangement->addItem(arrangementName(offered[i]), int(offered[i]));
            if (hadArrangement && offered[i] == previous)
                keep = int(i);
        }
        m_arrangement->setCurrentIndex(keep);
    }
    showInfo();
    m_pages->setCurrentIndex(1);
    arrangementChosen();
}

void PlanWindow::showCompletedCalculation(const calc::CompletedCalculation &calculation)
{
    m_inputsChanged->clear();
    m_inputsChanged->setAccessibleName(QString());
    m_inputsChanged->hide();
    showCalculation(figuresOf(calculation));
}

void PlanWindow::showInputsChanged()
{
    if (!m_calculated)
        return;
    m_inputsChanged->setText(calc::InputsChangedNotice);
    m_inputsChanged->setAccessibleName(calc::InputsChangedNotice);
    m_inputsChanged->show();
}

void PlanWindow::showNoCalculation()
{
    cancelLevel();
    cancelFit();
    m_fit->setEnabled(false);
    m_calculated = false;
    m_scene.reset();
    m_drawing->setScene(nullptr);
    m_model->setScene(nullptr);
    m_pages->setCurrentWidget(m_notCalculated);
}

void PlanWindow::showInfo()
{
    const QChar point = m_figures.decimalPoint;
    QString loudspeaker = m_figures.model;
    if (!m_figures.mountingWord.isEmpty())
        loudspeaker += (loudspeaker.isEmpty() ? QString() : QStringLiteral(", ")) + m_figures.mountingWord;
    setValue(m_loudspeaker, loudspeaker);
    setValue(m_room,
             QStringLiteral("%1 × %2\u00A0м, %3\u00A0м²")
                 .arg(calc::formatTrimmed(m_figures.roomL, 2, point),
                      calc::formatTrimmed(m_figures.roomW, 2, point),
                      calc::formatTrimmed(m_figures.roomArea, 2, point)));
}

void PlanWindow::arrangementChosen()
{
    if (!m_calculated || m_arrangement->currentIndex() < 0)
        return;
    const auto arrangement = Arrangement(m_arrangement->currentData().toInt());
    const bool grid = isGrid(arrangement);
    {
        // A grid decides the count, none when the plan is refused; a count
        // typed takes 1 .. MaxLoudspeakers.
        const QSignalBlocker block(m_count);
        m_count->setReadOnly(grid);
        m_count->setButtonSymbols(grid ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
        m_count->setRange(grid ? 0 : 1, MaxLoudspeakers);
    }
    cancelFit();
    m_fit->setEnabled(!grid);
    m_countNote.clear();
    relayOut();
}

void PlanWindow::countChanged(int count)
{
    if (!m_calculated || m_count->isReadOnly())
        return;
    m_countNote.clear();
    if (!m_applyingFit)
        cancelFit();
    if (m_scene && double(count) == m_requested) {
        showStatus();
        return;
    }
    m_requested = count;
    relayOut();
}

void PlanWindow::countCorrected(qint64 typed, int used)
{
    if (!m_calculated || m_count->isReadOnly())
        return;
    m_countNote = countCorrectedLine(typed, used);
    showStatus();
}

void PlanWindow::relayOut()
{
    const auto arrangement = Arrangement(m_arrangement->currentData().toInt());
    m_scene = std::make_shared<PlanScene>(buildScene(m_figures, arrangement, m_requested));
    m_scene->view = PlanView(m_view->currentData().toInt());
    m_scene->surfaces = surfaces();
    {
        // The box shows what the plan uses.
        const QSignalBlocker block(m_count);
        m_count->setValue(int(m_scene->loudspeakers()));
    }
    m_model->setScene(m_scene);
    requestLevel();
    showScene();
    showStatus();
}

void PlanWindow::viewChosen()
{
    m_acoustics->setVisible(PlanView(m_view->currentData().toInt()) == PlanView::Sti);
    if (!m_scene)
        return;
    m_scene->view = PlanView(m_view->currentData().toInt());
    requestLevel();
    showScene();
}

void PlanWindow::showScene()
{
    m_drawing->setScene(m_scene);
    setValue(m_summary, m_scene->summary());
}

Surfaces PlanWindow::surfaces() const
{
    Surfaces chosen;
    chosen.floor = m_floor->currentText();
    chosen.walls = m_walls->currentText();
    chosen.ceiling = m_ceiling->currentText();
    QString typed = m_reverberation->text().trimmed();
    if (!typed.isEmpty()) {
        typed.replace(u',', u'.');
        bool ok = false;
        const double seconds = typed.toDouble(&ok);
        chosen.reverberationTime = ok && std::isfinite(seconds) && seconds > 0.0 ? seconds : qQNaN();
    }
    return chosen;
}

void PlanWindow::surfacesChanged()
{
    if (!m_scene)
        return;
    m_scene->surfaces = surfaces();
    m_scene->sti.reset();
    requestLevel();
    showScene();
}

void PlanWindow::requestLevel()
{
    cancelLevel();
    if (!m_scene->levelPending())
        return;
    if (m_scene->showsSti()) {
        StiInputs inputs = stiInputs(m_figures, m_scene->layout.placements, m_scene->surfaces);
        if (!hasSti(inputs)) {
            m_scene->sti = stiPicture(inputs);
            return;
        }
        m_levelAsked = true;
        m_levelJobs.replace(
            [inputs = std::move(inputs)](const std::atomic<bool> &cancel) {
                return stiPicture(inputs, &cancel);
            },
            [this](std::shared_ptr<const StiPicture> picture) { stiComputed(std::move(picture)); });
        return;
    }
    LevelInputs inputs = levelInputs(m_figures, m_scene->layout.placements);
    const double required = m_figures.requiredLevel;
    if (!hasLevelMap(inputs)) {
        // Nothing to compute: "нет данных" at once.
        m_scene->level = levelPicture(inputs, required);
        return;
    }
    m_levelAsked = true;
    m_levelJobs.replace(
        [inputs = std::move(inputs), required](const std::atomic<bool> &cancel) {
            return levelPicture(inputs, required, &cancel);
        },
        [this](std::shared_ptr<const LevelPicture> picture) { levelComputed(std::move(picture)); });
}

void PlanWindow::cancelLevel()
{
    m_levelJobs.cancel();
    m_levelAsked = false;
}

void PlanWindow::levelComputed(std::shared_ptr<const LevelPicture> picture)
{
    m_levelAsked = false;
    if (!picture || !m_scene || !m_scene->showsLevel() || !m_scene->levelPending())
        return;
    m_scene->level = std::move(picture);
    showScene();
    emit levelMapShown();
}

void PlanWindow::stiComputed(std::shared_ptr<const StiPicture> picture)
{
    m_levelAsked = false;
    if (!picture || !m_scene || !m_scene->showsSti() || !m_scene->levelPending())
        return;
    m_scene->sti = std::move(picture);
    showScene();
    emit levelMapShown();
}

void PlanWindow::finishLevel()
{
    if (!m_scene || !m_scene->levelPending())
        return;
    cancelLevel();
    completeLevel(*m_scene);
    showScene();
}

void PlanWindow::showStatus()
{
    QStringList notes;
    for (const QString &note : {m_scene ? m_scene->limitNote() : QString(), m_countNote, m_fitNote}) {
        if (!note.isEmpty())
            notes << note;
    }
    setValue(m_status, notes.join(u'\n'));
    m_status->setVisible(!notes.isEmpty());
    // Red for a warning; a fitted count or a fit under way is news, not one.
    const bool warning = (m_scene && !m_scene->limitNote().isEmpty()) || !m_countNote.isEmpty()
        || (!m_fitNote.isEmpty() && !m_fitMet && m_fitNote != FitComputing);
    m_status->setStyleSheet(warning ? QStringLiteral("color: rgb(190, 0, 0);") : QString());
}

void PlanWindow::fitByLevel()
{
    if (!m_calculated || m_arrangement->currentIndex() < 0)
        return;
    const auto arrangement = Arrangement(m_arrangement->currentData().toInt());
    if (isGrid(arrangement))
        return;
    cancelFit();
    const LevelInputs room = levelInputs(m_figures, {});
    const FitRule rule{m_figures.requiredLevel, DefaultTargetShare};
    const double radius = m_figures.radius;
    m_fitting = true;
    m_fitNote = FitComputing;
    showStatus();
    m_fitJobs.replace(
        [room, arrangement, radius, rule](const std::atomic<bool> &cancel) {
            return fitCount(room, arrangement, radius, rule, MaxLoudspeakers, &cancel);
        },
        [this, rule](const CountFit &fit) { fitComputed(fit, rule); });
}

void PlanWindow::cancelFit()
{
    m_fitJobs.cancel();
    m_fitting = false;
    m_fitNote.clear();
}

void PlanWindow::fitComputed(const CountFit &fit, const FitRule &rule)
{
    m_fitting = false;
    if (fit.outcome == FitOutcome::Cancelled)
        return;
    if (fit.outcome == FitOutcome::Fitted && fit.count != m_count->value()) {
        m_applyingFit = true;
        m_count->setValue(fit.count);
        m_applyingFit = false;
    }
    m_fitNote = fitLine(fit, rule, m_figures.decimalPoint);
    m_fitMet = fit.outcome == FitOutcome::Fitted;
    showStatus();
    emit countFitted();
}

QString PlanWindow::suggestedPath(const QString &name) const
{
    return QDir(m_folder).filePath(name);
}

// The file dialog, then the chosen filter's suffix added to the typed name
// unless it ends in it already, then the question before that file is
// replaced; not replacing it goes back to the dialog. Empty when the user
// cancels.
QString PlanWindow::askTarget(const QString &title, const QString &name, const QStringList &filters)
{
    QString suggested = suggestedPath(name);
    QString filter = filters.front();
    for (;;) {
        const QString typed = askSavePath(title, suggested, filters, &filter);
        if (typed.isEmpty())
            return QString();
        if (!filters.contains(filter))
            filter = filters.front();
        const QString path = withSuffix(typed, exportfile::suffixOfFilter(filter));
        if (!QFileInfo::exists(path))
            return path;
        // Without a messenger nobody can say yes: nothing is replaced.
        if (!m_messenger)
            return QString();
        if (m_messenger->confirm(replaceQuestion(QFileInfo(path).fileName()), title))
            return path;
        suggested = path;
    }
}

// The folder is remembered for the next dialog once a file is written
// there; a failed write is told with the file's name and the reason.
void PlanWindow::reportWrite(const WriteResult &result)
{
    if (result.ok)
        m_folder = QFileInfo(result.path).absolutePath();
    else if (m_messenger)
        m_messenger->inform(result.error);
}

void PlanWindow::savePlan()
{
    if (!m_scene)
        return;
    const QString path = askTarget(text::SaveTitle, text::PlanFileName, planFormats().filters());
    if (path.isEmpty())
        return;
    if (formatOfPath(path) != PlanFormat::Dxf)
        finishLevel();
    reportWrite(writePlan(path, *m_scene));
}

void PlanWindow::saveCoordinates()
{
    if (!m_scene)
        return;
    const QString path = askTarget(text::SaveCsvTitle, text::CsvFileName, {text::CsvFilter});
    if (!path.isEmpty())
        reportWrite(writeCsv(path, m_scene->layout.placements, m_figures.decimalPoint));
}

void PlanWindow::printPlan()
{
    if (!m_scene)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(text::WindowTitle);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    // The PDF's margins, as far as the printer prints; the dialog shows them
    // and may change them within the printer's printable area.
    printer.setPageLayout(exportfile::planPageLayout(printer.pageLayout()));
    if (!askPrinter(printer))
        return;
    finishLevel();
    if (!paintDocument(printer, *m_scene) && m_messenger)
        m_messenger->inform(QStringLiteral("Не удалось напечатать план: принтер не принимает документ"));
}

QString PlanWindow::askSavePath(const QString &title, const QString &suggested, const QStringList &filters,
                                QString *chosenFilter)
{
    return QFileDialog::getSaveFileName(this, title, suggested, filters.join(QStringLiteral(";;")),
                                        chosenFilter, QFileDialog::DontConfirmOverwrite);
}

bool PlanWindow::askPrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(text::Print);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace plan
