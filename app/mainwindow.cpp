#include "mainwindow.h"

#include "app/roomevaluation.h"
#include "app/windowicon.h"
#include "calc/calculation.h"
#include "calc/soundpressure.h"
#include "calc/textrules.h"
#include "catalogue/loudspeakergroup.h"
#include "line/linewindow.h"
#include "output/attenuationgroup.h"
#include "output/helptexts.h"
#include "output/report.h"
#include "output/resultsgroup.h"
#include "plan/planwindow.h"
#include "project/projectdata.h"
#include "project/projectwindow.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"
#include "room/roomtypes.h"
#include "widgets/accessibility.h"
#include "widgets/look.h"
#include "widgets/messenger.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>

namespace {

const QString WindowTitle = QStringLiteral("Звуковое давление, озвучиваемая  площадь,  количество  "
                                           "громкоговорителей, потери на проводах (версия 4)");

// Group captions: the three top-level groups in dark green, the loudspeaker,
// room and manual-setting groups in the highlight colour, the power taps in
// the window-frame colour (black), the mounting types in the default colour.
const QString GroupTitleColours = QStringLiteral(
    "QGroupBox#Frame1::title, QGroupBox#Frame2::title, QGroupBox#Frame5::title { color: rgb(0, 64, 0); }"
    "QGroupBox#Frame3::title, QGroupBox#Frame4::title, QGroupBox#Frame7::title { color: palette(highlight); }"
    "QGroupBox#Frame6::title { color: black; }");

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      m_ownMessenger(std::make_unique<MessageBoxMessenger>(this)),
      m_messenger(m_ownMessenger.get())
{
    a11y::installAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowTitle);
    setWindowIcon(makeWindowIcon());
    buildMenu();
    buildGroups();
    connectGroups();
    setMessenger(m_messenger);
    setFocusOrder();
    formLoad();
    look::fitAllCaptions(this);
}

MainWindow::~MainWindow()
{
    // The project window computes rooms in the background with the room
    // evaluation, a member of this window: it goes first, waiting for those
    // computations, while the evaluation still exists (children would
    // otherwise be deleted only after the members).
    delete m_projectWindow;
}

void MainWindow::setMessenger(Messenger *messenger)
{
    m_messenger = messenger;
    frame2->setMessenger(messenger);
    frame5->setMessenger(messenger);
}

QString MainWindow::workingFolder() const
{
    return dir1;
}

void MainWindow::buildMenu()
{
    // Both items act directly: the menu bar has no drop-down menus.
    mopr = menuBar()->addAction(QStringLiteral("&О программе"));
    mopr->setObjectName(QStringLiteral("Mopr"));
    mvix = menuBar()->addAction(QStringLiteral("&Выход"));
    mvix->setObjectName(QStringLiteral("Mvix"));
    // The tool windows follow, acting directly as well.
    mline = menuBar()->addAction(QStringLiteral("&Линия"));
    mline->setObjectName(QStringLiteral("Mline"));
    connect(mvix, &QAction::triggered, this, &MainWindow::mvix_Click);
    mplan = menuBar()->addAction(QStringLiteral("&План"));
    mplan->setObjectName(QStringLiteral("Mplan"));
    mproject = menuBar()->addAction(QStringLiteral("О&бъект"));
    mproject->setObjectName(QStringLiteral("Mproject"));
    connect(mline, &QAction::triggered, this, &MainWindow::mline_Click);
    connect(mplan, &QAction::triggered, this, &MainWindow::mplan_Click);
    connect(mproject, &QAction::triggered, this, &MainWindow::mproject_Click);
    connect(mopr, &QAction::triggered, this, &MainWindow::mopr_Click);
}

void MainWindow::buildGroups()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(10485 / 15, 8385 / 15);
    client->setStyleSheet(GroupTitleColours);
    setCentralWidget(client);

    frame1 = new QGroupBox(QStringLiteral("Входные данные"), client);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFont(look::font(12));
    look::place(frame1, 360, 120, 9855, 5055);
    a11y::nameGroup(frame1);

    frame3 = new LoudspeakerGroup(frame1);
    look::place(frame3, 120, 360, 9615, 1815);
    frame7 = new ManualSettingsGroup(frame1);
    look::place(frame7, 120, 2160, 5295, 2775);
    frame4 = new RoomGroup(frame1);
    look::place(frame4, 5520, 2160, 4215, 2775);

    frame2 = new ResultsGroup(client);
    look::place(frame2, 2400, 5160, 7815, 2775);
    frame5 = new AttenuationGroup(client);
    look::place(frame5, 360, 5280, 1935, 2775);

    // The folder the report goes to: where the program was started.
    dir1 = QDir::currentPath();

    timer1 = new QTimer(this);
    timer1->setObjectName(QStringLiteral("Timer1"));
    timer1->setInterval(500);
    timer1->setSingleShot(true);
    connect(timer1, &QTimer::timeout, this, &MainWindow::timer1_Timer);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void MainWindow::connectGroups()
{
    frame7->setStartMounting(frame3->mounting());
    connect(frame3, &LoudspeakerGroup::mountingChanged, frame4, &RoomGroup::applyMounting);
    connect(frame3, &LoudspeakerGroup::mountingChanged, frame7, &ManualSettingsGroup::applyMounting);
    connect(frame3, &LoudspeakerGroup::resultsStale, this, &MainWindow::clearResults);
    connect(frame3, &LoudspeakerGroup::attenuationStale, frame5->lblZat, &QLabel::clear);
    connect(frame7, &ManualSettingsGroup::resultsStale, this, &MainWindow::clearResults);
    connect(frame4, &RoomGroup::resultsStale, this, &MainWindow::clearResults);
    connect(frame4, &RoomGroup::lengthOrWidthTyped, this, [this] {
        if (!timer1->isActive())
            timer1->start();
        clearResults();
        m_state.areaFromLW = true;
    });
    connect(frame4, &RoomGroup::areaTyped, this, [this] {
        timer1->stop();
        clearResults();
        m_state.areaFromLW = false;
    });
    // A model, room type or mounting type chosen after a calculation names
    // a loudspeaker or room that its figures do not belong to.
    const auto choiceMade = [this] { m_choiceSinceCalculation = true; };
    connect(frame3->cmbG, &QComboBox::activated, this, choiceMade);
    connect(frame4->cmbOn, &QComboBox::activated, this, choiceMade);
    connect(frame3, &LoudspeakerGroup::mountingChanged, this, choiceMade);
    connect(frame2->cmdRkl, &QPushButton::clicked, this, &MainWindow::cmdRkl_Click);
    connect(frame2->cmdPch, &QPushButton::clicked, this, [this] {
        frame2->cmdPch_Click({m_state, frame3->mounting(), frame3->cmbG->currentText(),
                              frame4->cmbOn->currentText(), workingFolder(), calc::localeDecimalPoint(),
                              m_choiceSinceCalculation});
    });
    connect(frame2->cmdSpr, &QPushButton::clicked, frame2, &ResultsGroup::cmdSpr_Click);
}

void MainWindow::setFocusOrder()
{
    // clang-format off
    const QList<QWidget *> order{
        frame2->cmdRkl, frame2->cmdPch, frame2->cmdSpr,
        frame4->txtH, frame4->txtL, frame4->txtW, frame4->txtN, frame4->cmbOn,
        frame7->cmbGn, frame7->cmbUPS, frame7->cmbVP, frame7->cmbDv, frame7->cmbUN,
        frame3->opt1, frame3->opt2, frame3->opt3, frame3->opt4,
        frame3->opt_1[2], frame3->opt_1[3], frame3->opt_1[1],
        frame3->cmbG, frame3->txtPv, frame3->txtPd,
        frame5->txtDln, frame5->cmdZ, frame4->txtSR,
    };
    // clang-format on
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// Form_Load: each group takes its start-up texts and lists, in the order
// the window has always set them; the calculation state starts with its
// own defaults.
void MainWindow::formLoad()
{
    frame3->setStartState();
    frame4->setStartState();
    frame5->setStartState();
    frame7->setStartState();
}

void MainWindow::clearResults()
{
    frame2->clearCaptions();
    reportInputsChanged();
}

void MainWindow::reportInputsChanged()
{
    if (!m_lastCompleted)
        return;
    m_inputsChangedAfterCompleted = true;
    emit inputsChangedAfterCalculation();
}

// Timer1_Timer: the area follows length x width half a second after the
// user changed either box. A product too large for a number leaves
// the area box as it is.
void MainWindow::timer1_Timer()
{
    const double width = calc::leadingValue(frame4->txtW->text());
    const double length = calc::leadingValue(frame4->txtL->text());
    const double area = length * width;
    // Written with "." whatever the locale, so that it reads back exactly.
    if (std::isfinite(area))
        frame4->txtSR->setText(calc::formatGeneral(area, u'.'));
    timer1->stop();
}

void MainWindow::mvix_Click()
{
    close();
}

namespace {

// A choice from a combo's list, as a click on the entry makes it.
template <typename Group>
void choose(QComboBox *combo, int index, Group *group, void (Group::*handler)(int))
{
    combo->setCurrentIndex(index);
    (group->*handler)(index);
}

QRadioButton *mountingOption(LoudspeakerGroup &group, calc::Mounting mounting)
{
    switch (mounting) {
    case calc::Mounting::Ceiling: return group.opt1;
    case calc::Mounting::Wall: return group.opt2;
    case calc::Mounting::RoundHorn: return group.opt3;
    case calc::Mounting::SquareHorn: break;
    }
    return group.opt4;
}

void enterLoudspeaker(LoudspeakerGroup &group, const project::RoomInputs &room)
{
    QComboBox *models = group.cmbG;
    const int other = models->count() - 1;
    if (room.modelFromList && catalogueMounting(room.model)) {
        choose(models, models->findText(room.model, Qt::MatchExactly | Qt::MatchCaseSensitive), &group,
               &LoudspeakerGroup::cmbG_Click);
    } else {
        choose(models, other, &group, &LoudspeakerGroup::cmbG_Click);
        models->setEditText(room.model);
        group.txtPv->setText(room.power);
        group.txtPd->setText(room.sensitivity);
        mountingOption(group, room.mounting)->setChecked(true);
    }
    group.opt_1[std::size_t(room.tap)]->setChecked(true);
}

void enterRoomType(RoomGroup &group, const project::RoomInputs &room)
{
    QComboBox *types = group.cmbOn;
    if (listedNoise(room.roomType)) {
        choose(types, types->findText(room.roomType, Qt::MatchExactly | Qt::MatchCaseSensitive), &group,
               &RoomGroup::cmbOn_Click);
    } else {
        choose(types, roomtypes::OtherIndex, &group, &RoomGroup::cmbOn_Click);
        types->setEditText(room.roomType);
        group.txtN->setText(room.noise);
    }
}

// A tool window comes to the front, opened if it was closed.
void bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

// A tool window follows every completed calculation and says when the
// main window's inputs no longer match it; a new one starts from the last
// completed calculation, and from the inputs having changed after it when
// they have.
template <typename Tool>
void MainWindow::connectTool(Tool *tool)
{
    connect(this, &MainWindow::calculationCompleted, tool, &Tool::showCompletedCalculation);
    connect(this, &MainWindow::inputsChangedAfterCalculation, tool, &Tool::showInputsChanged);
    if (m_lastCompleted) {
        tool->showCompletedCalculation(*m_lastCompleted);
        if (m_inputsChangedAfterCompleted)
            tool->showInputsChanged();
    }
}

void MainWindow::mline_Click()
{
    if (!m_lineWindow) {
        m_lineWindow = new LineWindow(this);
        if (!m_lastCompleted)
            m_lineWindow->setStartValues(1, tappedPowerOfTheBoxes());
        connectTool(m_lineWindow);
    }
    bringForward(m_lineWindow);
}

void MainWindow::mplan_Click()
{
    if (!m_planWindow) {
        m_planWindow = new plan::PlanWindow(m_messenger, this);
        connectTool(m_planWindow);
    }
    bringForward(m_planWindow);
}

void MainWindow::showRoomPlan(const project::RoomInputs &inputs, const QString &layout)
{
    enterRoom(inputs);
    mplan_Click();
    if (!m_lastCompleted)
        return;
    // The calculation knows the room's length and width; the plan takes its
    // floor's outline and the room's layout.
    plan::PlanFigures figures = plan::figuresOf(*m_lastCompleted);
    if (!inputs.outline.empty())
        figures.shape = calc::Shape::fromOutline(inputs.outline);
    m_planWindow->showCalculation(figures);
    QComboBox *arrangements = m_planWindow->arrangementBox();
    if (const int index = arrangements->findText(layout); index >= 0)
        arrangements->setCurrentIndex(index);
}

void MainWindow::mproject_Click()
{
    if (!m_projectWindow) {
        m_roomEvaluation = std::make_unique<RoomEvaluation>();
        m_projectWindow = new project::ProjectWindow(*m_roomEvaluation, m_messenger, this);
        connect(m_projectWindow, &project::ProjectWindow::openInCalculationRequested, this,
                &MainWindow::enterRoom);
        connect(m_projectWindow, &project::ProjectWindow::planRequested, this, &MainWindow::showRoomPlan);
        connectTool(m_projectWindow);
    }
    bringForward(m_projectWindow);
}

// The tapped power before any calculation: the power box times the selected
// tap, rounded as the calculation rounds it; 0 when it has none.
double MainWindow::tappedPowerOfTheBoxes() const
{
    double tap = m_state.tap;
    if (const std::optional<int> member = frame3->tapMember())
        tap = *member == 1 ? 1.0 : *member == 2 ? 0.5 : 1.0 / 3.0;
    const auto tapped = calc::tappedPower(calc::leadingValue(frame3->txtPv->text()), tap);
    return tapped ? double(*tapped) : 0.0;
}

// Closing the main window ends the program: the tool windows close with it,
// once an unsaved project has been saved or given up.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_projectWindow) {
        if (!m_projectWindow->confirmClose()) {
            event->ignore();
            return;
        }
        m_projectWindow->discardProject();
        m_projectWindow->close();
    }
    if (m_lineWindow)
        m_lineWindow->close();
    if (m_planWindow)
        m_planWindow->close();
    QMainWindow::closeEvent(event);
}

void MainWindow::enterRoom(const project::RoomInputs &room)
{
    enterLoudspeaker(*frame3, room);
    enterRoomType(*frame4, room);
    // The directivity first: the round horn copies it into the vertical one.
    ManualSettingsGroup &settings = *frame7;
    settings.cmbGn->setEditText(room.directivity);
    settings.cmbDv->setEditText(room.verticalDirectivity);
    settings.cmbUN->setEditText(room.tilt);
    settings.cmbUPS->setEditText(room.margin);
    settings.cmbVP->setEditText(room.listeningHeight);
    RoomGroup &sizes = *frame4;
    sizes.txtH->setText(room.height);
    sizes.txtL->setText(room.length);
    sizes.txtW->setText(room.width);
    sizes.txtSR->setText(room.area);
    // The area comes from the sides when the room says so, as after typing
    // a side; the typed area stays otherwise.
    timer1->stop();
    m_state.areaFromLW = room.areaFromSides;
    cmdRkl_Click();
}

void MainWindow::mopr_Click()
{
    m_messenger->inform(output::aboutText(), output::AboutTitle);
}

void MainWindow::cmdRkl_Click()
{
    calc::CalcInputs in;
    in.cmbGn = frame7->cmbGn->currentText();
    in.cmbDv = frame7->cmbDv->currentText();
    in.cmbUN = frame7->cmbUN->currentText();
    in.cmbUPS = frame7->cmbUPS->currentText();
    in.cmbVP = frame7->cmbVP->currentText();
    in.tapMember = frame3->tapMember();
    in.txtPv = frame3->txtPv->text();
    in.txtPd = frame3->txtPd->text();
    in.txtN = frame4->txtN->text();
    in.txtH = frame4->txtH->text();
    in.txtL = frame4->txtL->text();
    in.txtW = frame4->txtW->text();
    in.txtSR = frame4->txtSR->text();
    in.mounting = frame3->mounting();
    in.decimalPoint = calc::localeDecimalPoint();

    const calc::Outcome outcome = calc::calculate(in, m_state);
    for (const calc::Effect &effect : outcome.effects)
        apply(effect);
    if (outcome.completed) {
        m_choiceSinceCalculation = false;
        m_lastCompleted = calc::CompletedCalculation{in, m_state, frame3->cmbG->currentText(),
                                                     frame4->cmbOn->currentText(), frame3->modelFromList()};
        m_inputsChangedAfterCompleted = false;
        emit calculationCompleted(*m_lastCompleted);
    } else {
        reportInputsChanged();
    }
}

QWidget *MainWindow::control(calc::Control control) const
{
    using calc::Control;
    switch (control) {
    case Control::CmbGn: return frame7->cmbGn;
    case Control::CmbDv: return frame7->cmbDv;
    case Control::CmbUN: return frame7->cmbUN;
    case Control::CmbUPS: return frame7->cmbUPS;
    case Control::CmbVP: return frame7->cmbVP;
    case Control::TxtPv: return frame3->txtPv;
    case Control::TxtPd: return frame3->txtPd;
    case Control::TxtN: return frame4->txtN;
    case Control::TxtH: return frame4->txtH;
    case Control::TxtL: return frame4->txtL;
    case Control::TxtW: return frame4->txtW;
    case Control::TxtSR: return frame4->txtSR;
    case Control::LblPd: return frame2->lblPd;
    case Control::LblD: return frame2->lblD;
    case Control::LblS: return frame2->lblS;
    case Control::LblKs: return frame2->lblKs;
    case Control::None: break;
    }
    return nullptr;
}

void MainWindow::apply(const calc::Effect &effect)
{
    using Kind = calc::Effect::Kind;
    QWidget *target = control(effect.control);
    switch (effect.kind) {
    case Kind::Message: m_messenger->inform(effect.text); break;
    case Kind::SetText:
        if (auto *combo = qobject_cast<QComboBox *>(target))
            combo->setEditText(effect.text);
        else if (auto *box = qobject_cast<QLineEdit *>(target))
            box->setText(effect.text);
        else if (auto *label = qobject_cast<QLabel *>(target))
            label->setText(effect.text);
        break;
    case Kind::ClearLabels:
        clearResults();
        frame5->lblZat->clear();
        break;
    case Kind::Focus:
        if (target)
            target->setFocus();
        break;
    }
}
