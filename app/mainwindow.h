#pragma once

#include "calc/calcstate.h"
#include "calc/completedcalculation.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class AttenuationGroup;
class LineWindow;
namespace plan {
class PlanWindow;
}
namespace project {
class ProjectWindow;
struct RoomInputs;
} // namespace project
class RoomEvaluation;
class LoudspeakerGroup;
class ManualSettingsGroup;
class Messenger;
class QAction;
class QGroupBox;
class QTimer;
class ResultsGroup;
class RoomGroup;

// Form1, the program's only window: it composes the groups, owns the
// calculation state and the area timer, and runs CALCULATE.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Routes every message of the window through messenger (tests answer
    // the questions themselves); the window does not own it.
    void setMessenger(Messenger *messenger);

    calc::CalcState &state() { return m_state; }
    const calc::CalcState &state() const { return m_state; }

    // The folder the process started in, taken once at start-up; the
    // report goes there.
    QString workingFolder() const;

    // Empties the captions of LblPd, LblD, LblS and LblKs, in this order.
    void clearResults();

    void cmdRkl_Click();
    void timer1_Timer();
    void mvix_Click();
    void mopr_Click();
    // "Линия": opens the window of wire losses and amplifier power, built on
    // first use, or raises it when it is open.
    void mline_Click();
    // "План": opens the plan of the room for the last calculation, built on
    // first use, or raises it when it is open.
    void mplan_Click();
    // "Объект": opens the project of many rooms, built on first use, or
    // raises it when it is open.
    void mproject_Click();

    // The tool window, once it has been opened.
    LineWindow *lineWindow() const { return m_lineWindow; }
    plan::PlanWindow *planWindow() const { return m_planWindow; }
    project::ProjectWindow *projectWindow() const { return m_projectWindow; }

    // "Открыть в расчете": enters a project room's inputs as a user chooses
    // and types them, then runs CALCULATE: a catalogue model that was
    // chosen from the list is chosen from it again; any other model, a
    // catalogue designation that was typed included, is typed after
    // "ПРОЧИЕ" with the room's power, sensitivity and mounting type. A
    // listed room type is chosen from its list, any other typed after
    // "ПРОЧИЕ" with the room's noise; the tap is selected, the settings and
    // sizes typed.
    void enterRoom(const project::RoomInputs &room);
    // A room of the project shown in the "План" window: the room entered
    // and calculated, its plan in its floor's outline and its layout.
    void showRoomPlan(const project::RoomInputs &inputs, const QString &layout);

    // The last calculation that reached the end, if any.
    const std::optional<calc::CompletedCalculation> &lastCompleted() const { return m_lastCompleted; }

signals:
    // CALCULATE reached the end: the state holds a new set of results.
    void calculationCompleted(const calc::CompletedCalculation &calculation);
    // After a completed calculation, an input it read changed (the results
    // were emptied) or a later calculation stopped.
    void inputsChangedAfterCalculation();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QAction *mopr;
    QAction *mvix;
    QAction *mline;
    QAction *mplan;
    QAction *mproject;
    QGroupBox *frame1;
    LoudspeakerGroup *frame3;
    ManualSettingsGroup *frame7;
    RoomGroup *frame4;
    ResultsGroup *frame2;
    AttenuationGroup *frame5;
    QString dir1; // Dir1: the working folder, taken once at start-up
    QTimer *timer1;

    void buildMenu();
    void buildGroups();
    void connectGroups();
    void setFocusOrder();
    void formLoad();
    double tappedPowerOfTheBoxes() const;
    template <typename Tool>
    void connectTool(Tool *tool);
    QWidget *control(calc::Control control) const;
    void apply(const calc::Effect &effect);
    // The inputs changed or a calculation stopped after the last completed
    // calculation: remembered for tool windows built later, and announced.
    void reportInputsChanged();

    calc::CalcState m_state;
    bool m_choiceSinceCalculation = false;
    // The last completed calculation, as the tool windows read it: a later
    // calculation that stops early leaves m_state partly overwritten.
    std::optional<calc::CompletedCalculation> m_lastCompleted;
    // The inputs changed, or a calculation stopped, after m_lastCompleted.
    bool m_inputsChangedAfterCompleted = false;
    LineWindow *m_lineWindow = nullptr;
    plan::PlanWindow *m_planWindow = nullptr;
    std::unique_ptr<RoomEvaluation> m_roomEvaluation;
    project::ProjectWindow *m_projectWindow = nullptr;
    std::unique_ptr<Messenger> m_ownMessenger;
    Messenger *m_messenger;
};
