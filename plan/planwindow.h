#pragma once

#include "countbox.h"
#include "levelfit.h"
#include "planfigures.h"
#include "planscene.h"

#include "widgets/backgroundjobs.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class Messenger;
namespace files {
struct WriteResult;
}
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;
class QStackedLayout;
class QTableView;

namespace plan {

class CoordinateModel;
class PlanDrawing;

// The window "План размещения громкоговорителей": the last completed
// calculation's room with its loudspeakers laid out in the chosen
// arrangement, their zones or the level of the sound on the floor, the
// coordinates, and the plan saved or printed. Before any calculation it
// shows only "Вначале произведите расчет".
//
// The level map is computed off the UI thread: each layout, count,
// calculation or view asks anew, which cancels the computation asked for
// before; only the newest one's map is shown.
class PlanWindow : public QWidget {
    Q_OBJECT
public:
    // messenger shows the messages (a file that cannot be written); the
    // window does not own it.
    explicit PlanWindow(Messenger *messenger, QWidget *parent = nullptr);
    // Cancels a computation of the level map and waits for it to stop.
    ~PlanWindow() override;

    // Shows a completed calculation: the arrangements of its mounting type
    // (the chosen one kept where it is offered), the count box at the
    // calculation's count, and the plan laid out anew.
    void showCalculation(const PlanFigures &figures);

    // A completed calculation of the main window, shown as above; the
    // notice of changed inputs goes.
    void showCompletedCalculation(const calc::CompletedCalculation &calculation);

    // The main window's inputs changed, or a calculation stopped, after the
    // calculation shown: the plan stays, with a notice saying so.
    void showInputsChanged();
    QLabel *inputsChangedLabel() const { return m_inputsChanged; }

    // Back to the state before any calculation.
    void showNoCalculation();

    bool hasCalculation() const { return m_calculated; }
    // The plan as shown; null before any calculation.
    const PlanScene *scene() const { return m_scene.get(); }

    QComboBox *arrangementBox() const { return m_arrangement; }
    QSpinBox *countBox() const { return m_count; }
    // "Подобрать по уровню": the least count whose level map meets the
    // rules (see levelfit.h), computed off the UI thread; any change of
    // the plan's inputs cancels it. Enabled for the arrangements that take
    // a count.
    QPushButton *fitButton() const { return m_fit; }
    // "Требуемая доля площади: 95 %": the share the fit judges by.
    QLabel *targetShareLabel() const { return m_targetShare; }
    // Whether a fit is being computed.
    bool fitting() const { return m_fitting; }
    // "Показать": "зоны", "уровень звука" or "разборчивость (STI)".
    QComboBox *viewBox() const { return m_view; }
    // The room's surfaces and its reverberation time for the
    // intelligibility, shown in its view only: "Пол", "Стены", "Потолок"
    // and "Время реверберации, с" (empty: computed from the surfaces).
    QComboBox *floorBox() const { return m_floor; }
    QComboBox *wallsBox() const { return m_walls; }
    QComboBox *ceilingBox() const { return m_ceiling; }
    QLineEdit *reverberationBox() const { return m_reverberation; }
    QWidget *acousticsPanel() const { return m_acoustics; }
    // The surfaces as chosen; a reverberation time typed that is not a
    // number above 0 is kept as not a number, which gives no map.
    Surfaces surfaces() const;
    PlanDrawing *drawing() const { return m_drawing; }
    QTableView *coordinateTable() const { return m_table; }
    QLabel *summaryLabel() const { return m_summary; }
    // The status line: what keeps the plan from showing the arrangement as
    // asked (a limit, a refused plan, a corrected count); hidden when
    // nothing does.
    QLabel *statusLabel() const { return m_status; }
    QLabel *notCalculatedLabel() const { return m_notCalculated; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *csvButton() const { return m_csv; }
    QPushButton *printButton() const { return m_print; }

    // The commands behind the three buttons.
    void savePlan();
    void saveCoordinates();
    void printPlan();

signals:
    // A level or intelligibility map computed off the UI thread is shown.
    void levelMapShown();
    // A fit computed off the UI thread is shown (the count box set to it,
    // or the status line saying why there is none).
    void countFitted();

protected:
    // Closing the window stops the level map being computed; showing it
    // again asks for the map anew.
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // The file dialog: the path the user typed, empty when cancelled;
    // chosenFilter holds the filter shown first and, on return, the filter
    // in use. The dialog does not ask before replacing a file: the window
    // asks for the name it will really write.
    virtual QString askSavePath(const QString &title, const QString &suggested, const QStringList &filters,
                                QString *chosenFilter);
    // The print dialog; false when cancelled.
    virtual bool askPrinter(QPrinter &printer);

private:
    void arrangementChosen();
    void countChanged(int count);
    void countCorrected(qint64 typed, int used);
    void relayOut();
    void viewChosen();
    // Asks for the level map of the scene shown where its view needs one,
    // cancelling the computation asked for before.
    void requestLevel();
    void cancelLevel();
    void levelComputed(std::shared_ptr<const LevelPicture> picture);
    void stiComputed(std::shared_ptr<const StiPicture> picture);
    // A surface or the reverberation time changed: the intelligibility
    // map anew.
    void surfacesChanged();
    // The level map computed here and now where it is still being computed
    // (for a file or the printer, which show no half picture).
    void finishLevel();
    // The summary and the drawing after the scene's view or map changed.
    void showScene();
    void showStatus();
    void fitByLevel();
    void cancelFit();
    void fitComputed(const CountFit &fit, const FitRule &rule);
    void showInfo();
    QString suggestedPath(const QString &name) const;
    QString askTarget(const QString &title, const QString &name, const QStringList &filters);
    void reportWrite(const files::WriteResult &result);

    Messenger *m_messenger;
    bool m_calculated = false;
    PlanFigures m_figures;
    // The count asked for, as the calculation gave it or as typed; layOut
    // makes it a count a plan holds.
    double m_requested = 1.0;
    // Why the count typed was corrected; empty when it was not.
    QString m_countNote;
    QString m_folder;
    std::shared_ptr<PlanScene> m_scene;

    // The level map's computation: one at a time, the newest request's
    // map alone shown; whether one is asked for and not yet shown.
    BackgroundJobs m_levelJobs{1};
    bool m_levelAsked = false;

    // The fit by level: one at a time; its line in the status line.
    BackgroundJobs m_fitJobs{1};
    bool m_fitting = false;
    bool m_applyingFit = false;
    QString m_fitNote;
    bool m_fitMet = false; // the fit note tells of a fitted count

    QStackedLayout *m_pages;
    QLabel *m_notCalculated;
    QLabel *m_loudspeaker;
    QLabel *m_room;
    QComboBox *m_arrangement;
    CountBox *m_count;
    QPushButton *m_fit;
    QLabel *m_targetShare;
    QComboBox *m_view;
    QWidget *m_acoustics;
    QComboBox *m_floor;
    QComboBox *m_walls;
    QComboBox *m_ceiling;
    QLineEdit *m_reverberation;
    QLabel *m_summary;
    QLabel *m_status;
    QLabel *m_inputsChanged;
    QTableView *m_table;
    CoordinateModel *m_model;
    PlanDrawing *m_drawing;
    QPushButton *m_save;
    QPushButton *m_csv;
    QPushButton *m_print;
};

} // namespace plan
