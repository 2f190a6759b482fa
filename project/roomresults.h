#pragma once

#include "projectfile.h"
#include "projectmodel.h"
#include "roomcalculator.h"

#include "widgets/backgroundjobs.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

namespace project {

// The key of what a room's results depend on: a hash of its inputs, layout
// count and surfaces as the project file writes them, so that every input
// the file keeps is in it, and of the project's target share.
QByteArray resultsKey(const Room &room, double targetShare = DefaultTargetShare);

// Whether a room's plan meets the rules with the target share: its level
// map's share at or above the required level at least targetShare and no
// cell above LoudestLevel. None while its figures are computed and where
// there are none.
std::optional<bool> meetsRules(const RoomResults &results, double targetShare);
// Whether a room's plan is understood on the target share of its floor:
// its intelligibility map at an STI of 0.50 or above on at least
// targetShare. None while its figures are computed and where there are
// none.
std::optional<bool> meetsIntelligibility(const RoomResults &results, double targetShare);
// The "Проверка" cell: "выполнено", "не выполнено: 78,5 % площади не ниже
// 80 дБ", "не выполнено: выше 120 дБ"; empty where meetsRules gives none.
QString verdictText(const RoomResults &results, double targetShare, QChar decimalPoint);
// The "По уровню" cell: the fitted count, "не достигается: не выше 78,5 %
// площади", "не достигается: выше 120 дБ", "—" for a grid (which fixes its
// own count); empty where there is no map.
QString fitText(const RoomResults &results, QChar decimalPoint);
// "Требуемая доля площади: 95 %": the share the verdicts judge by.
QString targetShareLine(double targetShare, QChar decimalPoint);

// The results of the rooms of a ProjectModel, with the decimal separator
// they are shown with. Computed through the calculator whenever a room
// enters the model or its inputs change, rooms of equal inputs and layout
// once, and many rooms on every core. The level map's figures take far
// longer than the rest, so they are computed in the background after the
// rest is there, a room per thread; whatever writes them out calls
// completeLevels() first, or waits for levelProgress() to reach its end.
// The background stops within half a second of a new project or the
// service's end.
//
// It hears of the model's changes through the model's signals: make it
// before anything else that listens to them (the tables), so that the
// results are there when those hear of a change.
class RoomResultsService : public QObject {
    Q_OBJECT
public:
    RoomResultsService(const ProjectModel &model, const RoomCalculator &calculator, QChar decimalPoint,
                       QObject *parent = nullptr);
    ~RoomResultsService() override;

    const ProjectModel &model() const { return m_model; }
    const RoomCalculator &calculator() const { return m_calculator; }
    QChar decimalPoint() const { return m_decimalPoint; }

    // The results of the room of row, or of id (a room of the model).
    const RoomResults &at(int row) const { return m_results[std::size_t(row)]; }
    const RoomResults &of(RoomId id) const { return at(m_model.rowOf(id)); }
    // Every room's results, in file order.
    const std::vector<RoomResults> &all() const { return m_results; }

    // Whether the level figures are computed in the background (the
    // default); without it they are computed by completeLevels() alone, as
    // a program that writes a file and ends wants.
    void setBackgroundLevels(bool background) { m_backgroundLevels = background; }

    // Whether a room's level figures are still being computed.
    bool levelsPending() const;
    // The rows whose level figures are done, out of the rows that have a
    // plan to map (rooms whose calculation completed with a plan).
    struct LevelProgress {
        int done = 0;
        int needed = 0;
    };
    LevelProgress levelProgress() const;
    // "Расчет уровней: 412 из 2000" while figures are pending, else empty.
    QString levelProgressLine() const;
    // Computes every level figure still pending here and now, so that
    // every room has them; progress hears of each room done, one call at a
    // time.
    void completeLevels(const std::function<void(int done, int total)> &progress = {});

    // The result texts of every room, as the file keeps them for others.
    std::vector<ResultTexts> resultTexts() const;
    // The file's bytes for the project and its results as they are.
    QByteArray fileBytes() const { return m_model.fileBytes(resultTexts()); }
    // "Помещений: N. Громкоговорителей: M. Суммарная мощность: P Вт", the
    // loudspeakers (RoomResults::loudspeakers) and power of the rooms whose
    // calculation completed; with rooms whose calculation stopped,
    // "Помещений: N, не рассчитано: K. …", with rooms whose plans fail the
    // rules "Помещений: N, не выполнено: K помещений. …".
    QString totalsLine() const;
    // How many rooms' calculations stopped.
    int stoppedCount() const;
    // How many rooms' plans fail the rules (meetsRules false).
    int failingCount() const;

signals:
    // Level figures computed in the background were taken into the rooms
    // of rows first .. last (some of them).
    void levelsTaken(int first, int last);
    void levelsProgressed();

private:
    void resetRooms();
    void roomAdded(RoomId id, int row);
    void roomRemoved(RoomId id, int row);
    void roomInputsChanged(RoomId id, int row);
    void targetShareChanged();
    PlanChoice planChoice(const Room &room) const { return {room.count, m_model.project().targetShare}; }
    void roomTextChanged(RoomId id, int row);
    // Computes the rooms of the given rows, distinct inputs once and in
    // parallel, and stores their results; their level figures are queued.
    void computeRows(const std::vector<int> &rows);
    // Queues the level figures of the room of key in the background.
    void queueLevels(const QByteArray &key, const Room &room);
    // Stops what the background computes (within half a second).
    void cancelBackground();
    // A room's figures from the background, taken into the rooms at most
    // every TakeIntervalMs, since every take makes the views measure their
    // columns anew.
    void levelsArrived(const QByteArray &key, const RoomLevels &levels);
    void takeArrivedLevels();
    // Stores level figures by key in every room of that key still waiting.
    void applyLevels(const QHash<QByteArray, RoomLevels> &levels);

    const ProjectModel &m_model;
    const RoomCalculator &m_calculator;
    QChar m_decimalPoint;
    bool m_backgroundLevels = true;
    std::vector<RoomResults> m_results;     // each row's, as the model's rooms
    std::vector<QByteArray> m_keys;         // each row's resultsKey, as m_results
    QHash<QByteArray, RoomResults> m_known; // by key
    QSet<QByteArray> m_levelsQueued;        // keys whose level figures the background computes
    // Figures delivered and not yet taken, and whether a take is on its way.
    QHash<QByteArray, RoomLevels> m_arrived;
    bool m_takeQueued = false;
    QElapsedTimer m_sinceTake;
    // Last: it goes first, waiting for its jobs, which reach into nothing
    // above but the calculator.
    BackgroundJobs m_levelJobs{0, BackgroundJobs::Priority::Low};
};

} // namespace project
